// The demo application's server controller: its name, its default port and the address and port the command line
// asks for. The start path shows the main form; the content folder (wwwroot/) holds the static files. Builds on
// appserver/ServerController.h.
#pragma once

#include <cstdint>
#include <string>

#include "kx/appserver/ServerController.h"

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
  // AppName "KXDemo", DefaultPort and OnConfig.
  void InitDesignTime() override;

 private:
  void Config();
};

}  // namespace kx
