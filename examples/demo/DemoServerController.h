// The demo application's server controller: its name, its default port, the address and port the command line
// asks for, and its start page. Builds on appserver/ServerController.h.
#pragma once

#include <cstdint>
#include <string>

#include "appserver/ServerController.h"

namespace kx {

class TDemoServerController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TDemoServerController, TKXServerControllerBase)

 public:
  static constexpr std::int32_t DefaultPort = 8888;

  // What the command line asks for, read while the controller is created (its OnConfig).
  struct TCommandLine {
    std::string BindAddress = "127.0.0.1";
    std::int32_t Port = -1;  // -1: the configured port (DefaultPort, or "port.ini")
    std::int32_t SessionTimeout = -1;  // minutes; -1: the controller's default
  };
  static TCommandLine& CommandLine();

 protected:
  // AppName "KXDemo", DefaultPort, OnConfig and OnExecuteRequest.
  void InitDesignTime() override;

 private:
  void Config();
  // Until the demo has a main form, its start path shows the static start page "index.html" of the content
  // folder; every other path goes the framework's way.
  void ExecuteRequest(const std::string& urlPath, THttpRequest& request, bool& handled, THttpReply& reply);
};

}  // namespace kx
