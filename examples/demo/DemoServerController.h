// The demo application's server controller: its name and its default port. The start path shows the main form;
// the content folder (wwwroot/) holds the static files. Builds on appserver/ServerController.h.
#pragma once

#include <cstdint>

#include "kx/appserver/ServerController.h"

namespace kx {

class TDemoServerController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TDemoServerController, TKXServerControllerBase)

 public:
  static constexpr std::int32_t DefaultPort = 8888;

 protected:
  // AppName "KXDemo", its description and DefaultPort ("port.ini" and the command line may replace the port).
  void InitDesignTime() override;
};

}  // namespace kx
