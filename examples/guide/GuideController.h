// The guide's server controller: its name and port, the exception logger's report files, the trusted proxies, the
// per-session data module that each new session gets (OnNewSession), .html files served as static pages, and a
// sign-in used when a file of users lies beside the program. Builds on appserver/ServerController.h.
#pragma once

#include <cstdint>

#include "kx/appserver/Authenticators.h"
#include "kx/appserver/ServerController.h"

namespace kx {

class TGuideController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TGuideController, TKXServerControllerBase)

 public:
  static constexpr std::int32_t DefaultPort = 8080;

 protected:
  void InitDesignTime() override;

 private:
  // The users and passwords of #Auth.ini beside the program; the controller's Auther when that file exists.
  TKXAutherINI FSignIn{this};
};

}  // namespace kx
