// The guide's per-session data module: one per browser session, created by the controller's OnNewSession and freed
// with the session. Forms reach it through TGuideSession::Of(WebApplication()). Builds on appserver/Application.h.
#pragma once

#include <string>

#include "kx/appserver/Application.h"

namespace kx {

class TGuideSession : public TKXUserSessionBase {
  KX_COMPONENT_CLASS(TGuideSession, TKXUserSessionBase)

 public:
  explicit TGuideSession(TKXApplication* session = nullptr) : TKXUserSessionBase(session) {}

  // The data module of application; raises Exception when the session has none.
  static TGuideSession& Of(TKXApplication* application);

  // What the sign-up form saved; empty and 0 until then.
  std::string VisitorName;
  int VisitorAge = 0;
  // Greetings given in this session, by submit or by callback.
  int Greetings = 0;
  // The notes the template form collected, one per line.
  std::string Notes;
};

}  // namespace kx
