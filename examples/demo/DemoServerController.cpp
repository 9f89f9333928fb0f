#include "examples/demo/DemoServerController.h"

#include "appserver/MimeTypes.h"
#include "appserver/Server.h"

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
  OnExecuteRequest = [this](const std::string& urlPath, THttpRequest& request, bool& handled, THttpReply& reply) {
    ExecuteRequest(urlPath, request, handled, reply);
  };
}

void TDemoServerController::Config() {
  // Runs after "port.ini" was read: the command line has the last word.
  SetBoundIP(CommandLine().BindAddress);
  if (CommandLine().Port >= 0) SetPort(CommandLine().Port);
  if (CommandLine().SessionTimeout >= 0) SetSessionTimeout(CommandLine().SessionTimeout);
}

void TDemoServerController::ExecuteRequest(const std::string& urlPath, THttpRequest&, bool& handled, THttpReply&) {
  if (urlPath != "/" || !gKXServer) return;
  gKXServer->DoSendFile(ContentPath() + "index.html", true, TKXMimeTypes::GetAsString(mtHTML), ftStatic);
  handled = true;
}

}  // namespace kx
