#include "appserver/Startup.h"

#include <mutex>

#include "appserver/InternalFiles.h"
#include "appserver/MimeTypes.h"
#include "foundation/Browsers.h"

namespace kx {

void Startup() {
  static std::once_flag once;
  std::call_once(once, [] {
    CreateInternalFiles();
    RegisterBrowsers();
    TKXMimeTypes::Init();
  });
}

}  // namespace kx
