// The guide's server controller: its name and port, the exception logger's report files, the trusted proxies, and
// the per-session data module that each new session gets (OnNewSession). Builds on appserver/ServerController.h.
#pragma once

#include <cstdint>

#include "kx/appserver/ServerController.h"

namespace kx {

class TGuideController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TGuideController, TKXServerControllerBase)

 public:
  static constexpr std::int32_t DefaultPort = 8080;

 protected:
  void InitDesignTime() override;
};

}  // namespace kx
