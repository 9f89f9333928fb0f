#include "examples/demo/DemoServerController.h"

namespace kx {

TDemoServerController::TCommandLine& TDemoServerController::CommandLine() {
  static TCommandLine commandLine;
  return commandLine;
}

void TDemoServerController::InitDesignTime() {
  TKXServerControllerBase::InitDesignTime();
  SetAppName("KXDemo");
  SetDescription("kx demo application");
  SetPort(DefaultPort);
  OnConfig = [this](TObject*) { Config(); };
}

void TDemoServerController::Config() {
  // Runs after "port.ini" was read: the command line has the last word.
  SetBoundIP(CommandLine().BindAddress);
  if (CommandLine().Port >= 0) SetPort(CommandLine().Port);
  if (CommandLine().SessionTimeout >= 0) SetSessionTimeout(CommandLine().SessionTimeout);
}

}  // namespace kx
