#include "GuideController.h"

#include <filesystem>

#include "GuideSession.h"
#include "kx/appserver/MimeTypes.h"

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

  // This program's .html files are plain pages (wwwroot/bye.html, shown after "Log out"): as a static type they are
  // served from the content folder without a session and without sign-in. Left as it is, a .html path is the
  // application's own content, and one that names no session starts a new session.
  TKXMimeTypes::RegisterType(".html", TKXMimeTypes::GetAsString(mtHTML), true);

  // Sign-in: with a file #Auth.ini beside the program, a section per user with its Password, every request asks
  // for a user and a password (HTTP Basic). The file is read again at each check.
  if (std::filesystem::exists(FSignIn.IniFileName())) SetAuther(&FSignIn);
}

}  // namespace kx
