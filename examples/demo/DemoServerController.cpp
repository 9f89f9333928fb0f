#include "examples/demo/DemoServerController.h"

namespace kx {

void TDemoServerController::InitDesignTime() {
  TKXServerControllerBase::InitDesignTime();
  SetAppName("KXDemo");
  SetDescription("kx demo application");
  SetPort(DefaultPort);
  // No page script reads the session cookie, so none may: a script of another port of this host included.
  CookieOptions()->SetHttpOnly(true);
}

}  // namespace kx
