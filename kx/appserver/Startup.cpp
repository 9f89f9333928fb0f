#include "kx/appserver/Startup.h"

#include <cstdlib>
#include <mutex>

#include "kx/appserver/CallBacks.h"
#include "kx/appserver/ContentHandlers.h"
#include "kx/appserver/ExceptionRenderer.h"
#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/MimeTypes.h"
#include "kx/appserver/Runtime.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/SessionDataModules.h"
#include "kx/appserver/SessionLog.h"
#include "kx/foundation/Browsers.h"

namespace kx {

void Startup() {
  static std::once_flag once;
  std::call_once(once, [] {
    // With TZ unset, every local-time conversion makes glibc look at
    // /etc/localtime again under a process-wide lock, which serialises request
    // threads. Naming the file keeps the zone read once per process.
    setenv("TZ", ":/etc/localtime", 0);
  });
  TKXRuntime& runtime = TKXRuntime::Required();
  // Data modules made by a request are listed by its session (once per process: the platform's routines are global).
  InstallFormListManager();
  if (runtime.InternalFiles == nullptr) {
    CreateInternalFiles();
    RegisterBrowsers();
    TKXMimeTypes::Init();
    InstallCallBacks();
    InstallContentHandlers();
    InstallExceptionRenderer();
    InstallSessionLogger();
  }
  // The controller frees the session store when it ends: a later controller
  // of the same runtime gets a new one.
  RegisterSessionLayer();
}

}  // namespace kx
