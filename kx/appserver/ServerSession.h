// Session dispatch: TKXServerSession, the server object HttpExecute makes once the
// session layer is registered. It finds the session of a request (cookie, form
// field, URL or query), answers the store queries (status, keep-alive), starts
// sessions (start page, start check, main form, start handler), locks an
// existing session for the request and holds it to its client checks, routes
// the session paths (submit, callback, resize, upload, call, stop, content
// paths), and at the end sets or removes the session cookie and releases the
// session. Builds on appserver/Server.h, appserver/Sessions.h and appserver/Application.h.
//
// The session lock is held from the look-up to the end of the request and is
// released on every way out: normal end, the silent abort (401, redirects),
// an exception (after the error page was made, so the report still sees the
// session) and, as a last resort, the destruction of the server object.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "kx/appserver/Application.h"
#include "kx/appserver/Server.h"

namespace kx {

// What OnBackButton receives when a submit comes from another page than the
// session's current one.
struct TKXResyncInfo {
  std::int32_t CurrentTrackId = 0;
  std::int32_t SubmittedTrackId = 0;
  std::string FormName;
  std::string FormClassName;
  bool ExecuteForm = false;
  bool SetActiveForm = false;
  bool RecreateActiveForm = false;
  bool Handled = false;
};

class TKXServerSession : public TKXServer {
 public:
  TKXServerSession(void* buffer, std::int32_t bufferSize);
  // Releases a session that is still held.
  ~TKXServerSession() override;

  // The session of this request while it is held; nullptr otherwise.
  TKXApplication* Session() const { return mSession; }

 protected:
  void ExecuteSession(const std::string& urlPath) override;
  // The controller's DoException (with the session), the error page unless it
  // was handled, then the session's release.
  void HandleException(const std::exception& e) override;

 private:
  std::string GetSessionId(const std::string& path);
  void SetUrlPaths(const std::string& path, const std::string& id);
  void SetSessionBaseURL(const std::string& id);
  // True when a new session was created. Either way mSession is held afterwards.
  bool LookupOrCreate(const std::string& id);
  void SecurityCheck();
  std::string RunParamsText(bool always);
  void StartNew(const std::string& id);
  // The start page that measures the window and asks for url.
  std::string StartPageText(const std::string& url, const TKXApplication* session) const;
  bool StartHandler();
  void StartPage(bool isCallback);
  void StartCheck();
  void Stop();
  void ContentPath(const std::string& path);
  void Callback();
  void FormSubmit();
  void ShowMainForm();
  void BackButtonResync();
  void Resize();
  void Upload();
  void CheckAuth();
  void SetSessionCookie();
  // Streams the session's callback response as the reply body.
  void StreamCallBackResponse();
  // Step 14: the cookie, then the release.
  void Finish();
  // Releases mSession: a terminated session leaves the store and is freed;
  // any other gets its access marked and is unlocked. Never raises.
  void ReleaseSession() noexcept;
  // The integer parameter, or defaultValue when absent or not a number.
  int IntParam(const std::string& name, int defaultValue) const;

  TKXApplication* mSession = nullptr;
  IKXContentHandler* mContentHandler = nullptr;
  bool mAuthenticated = false;
  bool mRequestAuth = true;
  bool mRestart = false;
  bool mIsRootStart = false;
  // The session failed before the request could use it (creation events,
  // client checks): the release only unlocks it.
  bool mUnlockOnly = false;
};

// Installs the session layer: creates the session store (gSessions) when there
// is none, makes HttpExecute create TKXServerSession objects, describes sessions
// in exception reports, and keeps the thread's current application in a
// thread-local value unless the host installed accessors of its own. Call it at
// start-up, after Startup() and before the server controller is created.
void RegisterSessionLayer();

}  // namespace kx
