// The application server's part of the start-up sequence: the registrations that a desktop program's unit
// initialisation would make, run in order into the calling thread's runtime before the server controller is made
// and before requests are served.
#pragma once

namespace kx {

// Creates the runtime's internal files, registers the default browser classes, fills the MIME table and installs
// the session layer's parts (session store, callbacks, content handlers, exception pages, session event log), and
// once per process the per-session registration of data modules (TKXFormListManager).
// Raises Exception when no runtime exists. A second call into the same runtime changes nothing. When TZ is unset it
// is set to ":/etc/localtime", so the time zone is read once per process. Control modules register their own
// internal files after it.
void Startup();

}  // namespace kx
