#include "appserver/Startup.h"

#include <cstdlib>
#include <mutex>

#include "appserver/CallBacks.h"
#include "appserver/ContentHandlers.h"
#include "appserver/ExceptionRenderer.h"
#include "appserver/InternalFiles.h"
#include "appserver/MimeTypes.h"
#include "appserver/ServerSession.h"
#include "appserver/SessionLog.h"
#include "foundation/Browsers.h"

namespace kx {

void Startup() {
  static std::once_flag once;
  std::call_once(once, [] {
    // With TZ unset, every local-time conversion makes glibc look at
    // /etc/localtime again under a process-wide lock, which serialises request
    // threads. Naming the file keeps the zone read once per process.
    setenv("TZ", ":/etc/localtime", 0);
    CreateInternalFiles();
    RegisterBrowsers();
    TKXMimeTypes::Init();
    InstallCallBacks();
    InstallContentHandlers();
    InstallExceptionRenderer();
    InstallSessionLogger();
  });
  // The controller frees the session store when it ends: a later controller
  // of the same process gets a new one.
  RegisterSessionLayer();
}

}  // namespace kx
