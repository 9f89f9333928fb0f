#include "examples/demo/DemoServerController.h"

namespace kx {

void TDemoServerController::InitDesignTime() {
  TKXServerControllerBase::InitDesignTime();
  SetAppName("KXDemo");
  SetDescription("kx demo application");
  SetPort(DefaultPort);
}

}  // namespace kx
