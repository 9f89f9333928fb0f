// The library's start-up sequence: the registrations that a desktop program's unit initialisation would make, run
// once and in order before the server controller is created and before requests are served.
#pragma once

namespace kx {

// Creates the internal-file registry (gInternalFiles), registers the default browser classes and fills the MIME
// table. When TZ is unset it is set to ":/etc/localtime", so the time zone is read once per process. The first call does the work; later calls do nothing. Control modules register their own internal files
// after it.
void Startup();

}  // namespace kx
