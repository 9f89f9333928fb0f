#include "examples/guide/GuideController.h"

#include "examples/guide/GuideSession.h"

namespace kx {

void TGuideController::InitDesignTime() {
  TKXServerControllerBase::InitDesignTime();
  SetAppName("Guide");  // names the session cookie: KX_Guide
  SetDescription("kx guide examples");
  SetPort(DefaultPort);  // --port replaces it

  // Every new session gets its data module, owned (and freed) by the session.
  OnNewSession = [](TKXApplication* application) { TComponent::Create<TGuideSession>(application, application); };

  // An exception that escapes a handler is shown as an alert on the page it came from (smAlert is the default).
  SetExceptionDisplayMode(smAlert);
  // ... and written as a report file to ErrorLog/ beside the program, files older than 14 days purged.
  ExceptionLogger()->SetEnabled(true);
  ExceptionLogger()->SetPurgeAfterDays(14);

  // Runs during creation, before the settings lock.
  OnConfig = [this](TObject*) {
    // X-Forwarded-For is believed only from these peers: a reverse proxy on this machine (the default).
    // Add the proxy's own address when it runs elsewhere.
    SetTrustedProxies({"127.0.0.1", "::1"});
  };
}

}  // namespace kx
