// The library's start-up sequence: the registrations that a desktop program's unit initialisation would make, run
// once and in order before the server controller is created and before requests are served.
#pragma once

namespace kx {

// Creates the internal-file registry (gInternalFiles), registers the default browser classes, fills the MIME
// table and installs the session layer's parts (callbacks, content handlers, exception pages, session event log).
// Every call makes sure a session store exists (the controller frees it when it ends). When TZ is unset it is set
// to ":/etc/localtime", so the time zone is read once per process. The registrations run on the first call only.
// Control modules register their own internal files after it.
void Startup();

}  // namespace kx
