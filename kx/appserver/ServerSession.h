// Session dispatch: TKXServerSession, the server object HttpExecute makes once the
// session layer is registered. It finds the session of a request (cookie, form
// field, URL or query), answers the store queries (status, keep-alive), starts
// sessions (start page, start check, main form, start handler), locks an
// existing session for the request and holds it to its client checks, routes
// the session paths (submit, callback, resize, upload, call, stop, content
// paths), and at the end sets or removes the session cookie and releases the
// session. The paths are rows of one route table (ServerSession.cpp), tried top
// to bottom. Builds on appserver/Server.h, appserver/Sessions.h and appserver/Application.h.
//
// The session lock belongs to one TKXSessionHold from the look-up to the end of
// the request; its destructor releases the session on every way out: normal end,
// the silent abort (401, redirects), an exception (after the error page was made,
// so the report still sees the session) and the destruction of the server object.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "kx/appserver/Admission.h"
#include "kx/appserver/Application.h"
#include "kx/appserver/Server.h"
#include "kx/appserver/Sessions.h"

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

// One request's hold on the lock of its session, as a lock guard holds a mutex:
// it takes over a session that the look-up locked and releases it in its
// destructor. While it holds, the pointer given at construction (the server's
// mSession) names the session; the release clears it first, then a terminated
// session leaves the store (unlocked before it is freed) and any other gets its
// access marked and is unlocked. Movable, so that the hold can outlive the
// dispatch until the error page is made.
class TKXSessionHold {
 public:
  explicit TKXSessionHold(TKXApplication*& held) : mHeld(&held) {}
  TKXSessionHold(TKXSessionHold&& other) noexcept;
  // Releases what this hold held, then takes over other's session.
  TKXSessionHold& operator=(TKXSessionHold&& other) noexcept;
  ~TKXSessionHold() { Release(); }

  // Takes over session, locked by the calling thread. Releases a session held before.
  void Take(TKXApplication* session);
  // The session failed before the request could use it (creation events, client
  // checks): the release only unlocks it, leaving it in the store as it is.
  void SetUnlockOnly() { mUnlockOnly = true; }
  TKXApplication* Session() const { return mSession; }

 private:
  void Release() noexcept;

  TKXApplication** mHeld;
  TKXApplication* mSession = nullptr;
  bool mUnlockOnly = false;
};

class TKXServerSession : public TKXServer {
 public:
  // Seconds a client refused a session for the controller's limits is asked to wait: the timeout thread's
  // interval, after which expired sessions have made room.
  static constexpr int SessionLimitRetryAfter = 60;
  // Seconds a request refused for its busy session is asked to wait (TKXSessions::MaxWaiters wait already), and one
  // refused for its address (the controller's MaxRequestsPerIP while the host's threads are nearly all taken).
  static constexpr int SessionBusyRetryAfter = 1;
  static constexpr int AddressBusyRetryAfter = 1;
  // Seconds a client refused a new session for want of the host's descriptors is asked to wait: the host's idle
  // connections have closed by then, and the longest wait a page's script takes.
  static constexpr int ServerBusyRetryAfter = 30;
  // Minutes the cookie of a 204 "try again" lives: its script reads it at once; one its page left never piles up.
  static constexpr int RetryCookieMinutes = 10;

  TKXServerSession(void* buffer, std::int32_t bufferSize);

  // The session of this request while it is held; nullptr otherwise.
  TKXApplication* Session() const { return mSession; }

 protected:
  void ExecuteSession(const std::string& urlPath) override;
  // The controller's DoException (with the session), the error page unless it
  // was handled, then the session's release.
  void HandleException(const std::exception& e) override;
  // The error page, but for a page of an ended session (EInvalidSession): an upload's script reads
  // {"error":"Your session has ended. ..."} (200, no cookie), and a page of another session than the cookie's
  // leaves the cookie as it is (RefuseAnotherSessionsPage).
  void SendException(const std::exception& e) override;

 private:
  struct TRoute;
  struct TStopTarget;
  enum class TStage : std::uint8_t;
  static const TRoute sRoutes[];

  // The dispatch: the route table's stages in order, with the URL paths, the
  // content handler and the session look-up between them. Ends with the cookie.
  void Dispatch(const std::string& urlPath, TKXSessionHold& hold);
  // The first row of stage whose path matches path; nullptr when none does.
  static const TRoute* FindRoute(TStage stage, const std::string& path);
  // The row that answers path once its session is found: one of the Found stage, else one of the Session stage.
  static const TRoute& SessionRoute(const std::string& path);
  // Runs the step of the first row of stage whose path matches path, after
  // CheckAuth when the row asks for it (and, before the session look-up, Admit).
  // True when the row ends the request.
  bool Route(TStage stage, const std::string& path);
  std::string GetSessionId(const std::string& path);
  void SetUrlPaths(const std::string& path, const std::string& id);
  void SetSessionBaseURL(const std::string& id);
  // True when a new session was created. Either way hold has the session afterwards. A new session beyond the
  // controller's MaxSessions or MaxSessionsPerIP is not created: SendTooManySessions answers; nor while the host has
  // too few descriptors free (gRequestWatch's DescriptorsShort): SendServerBusy answers. First the request asks
  // the admission (appserver/Admission.h) for its place: SendAddressBusy answers a refusal.
  bool LookupOrCreate(const std::string& id, TKXSessionHold& hold);
  // Counts the request in with its client address from here to its end, as one that holds a host thread in a
  // session or waiting for one; SendAddressBusy when the admission refuses it.
  void Admission();
  void SecurityCheck();
  // Whether the request, taking route, acts on the session it names.
  bool ActsOnSession(const TRoute& route) const;
  // A request taking route (for path) that acts on its session is refused with a 403 before its step runs, so that
  // it neither runs a form nor starts or ends a session, when it comes from another origin (Sec-Fetch-Site decides
  // when sent, "none" counting as not sent: only "same-origin" passes; else Origin against the request's own
  // origin) or, with cookies, says neither where it comes from nor posts its live session's id as KX_SessionID_
  // (the client scripts post it with every submit, callback and upload, the stop links carry it). The page's resize
  // request needs only the first.
  void Admit(const TRoute& route, const std::string& path);
  // The refusal of Admit with message, after one warning line to gErrorLogProcedure, as for what other clients
  // caused: the method and path, the message, what the request said of its origin (seen), the origin expected and
  // the client. A start or stop loaded as a page is answered SendSessionStillOpen, anything else SendForbidden.
  [[noreturn]] void Refuse(const TRoute& route, const std::string& path, const std::string& message,
                           const std::string& seen);
  // A 403 page for a start or stop (route) refused by Admit: the session is still open, with a link back to it and
  // a button that posts the start or stop again from this page, naming the session, and for a stop to another host
  // the host it leads to ("It leads to HOST.").
  [[noreturn]] void SendSessionStillOpen(const TRoute& route);
  // A fresh reply: code with "<code> - " + message as plain text (and "Retry-After" when retryAfter > 0, the
  // cause's word in "X-KX-Retry-Cause" when one is given); then the silent abort.
  [[noreturn]] void SendPlainError(int code, const std::string& message, int retryAfter = 0,
                                   std::string_view cause = {});
  // 403 for a request refused by the origin checks.
  [[noreturn]] void SendForbidden(const std::string& message) { SendPlainError(403, message); }
  // 503 with "Retry-After" for a session the controller's limits refuse.
  [[noreturn]] void SendTooManySessions() {
    SendPlainError(503, "Too many sessions. Please try again later.", SessionLimitRetryAfter);
  }
  // The answer to a request turned away for the moment: 503 with message and "Retry-After". A posted form whose
  // script waits for it (KX_Retry=TOKEN, a random token of 16 to 64 letters and digits for each submit, the same in
  // every copy of it) gets 204 instead, which leaves the page with the visitor's values in place, with the same
  // "Retry-After" and the cookie KX_Retry_TOKEN ("SECONDS:CAUSE", cause a word the page turns into its own text:
  // "session", "address" or "server"; path "/", RetryCookieMinutes); the script that posted it, and no other page,
  // posts again after the wait. Any other KX_Retry gets the 503, which names the cause's word in "X-KX-Retry-Cause"
  // for a callback's page.
  [[noreturn]] void SendTryAgain(const std::string& message, std::string_view cause, int retryAfter);
  // The same for a request that did not wait for its busy session (ESessionBusy).
  [[noreturn]] void SendSessionBusy() {
    SendTryAgain("The session is busy. Please try again later.", "session", SessionBusyRetryAfter);
  }
  // The same for a request that would make a new session while the host has too few descriptors free.
  [[noreturn]] void SendServerBusy() {
    SendTryAgain("The server is busy. Please try again later.", "server", ServerBusyRetryAfter);
  }
  // The same for a request the admission refused, after the operator's line when one is due (one a minute at most).
  [[noreturn]] void SendAddressBusy(int spareThreads);
  // The query's run parameters (or the session's) as text for an address; empty unless always or ShowStartParams.
  std::string RunParamsText(bool always);
  // The valid session id the request posted as KX_SessionID_; empty when none.
  std::string PostedSessionId() const;
  // The request of a page whose session has ended: EKXNoSessionId "Session was terminated.", naming the posted id.
  [[noreturn]] void SessionEnded();
  // With cookies, a page's submit that carries no cookie but posts its session's id comes from a page whose session
  // ended (a log-out in another tab took the cookie): SessionEnded, rather than a new session made of that post.
  // Not with RestartExpiredSession, which starts the new session as for an ended session's cookie.
  void RefuseEndedSessionsPost();
  // With cookies, a submit, callback or upload that acts and posts a KX_SessionID_ other than the cookie's session
  // comes from a page of another session (ended in another tab, whose "Start again" gave the browser a new
  // session): SessionEnded, before the cookie's session is looked up, so nothing of it runs there, and its cookie
  // stays. Also with RestartExpiredSession, whose new session would replace the cookie's.
  void RefuseAnotherSessionsPage(const TRoute& route);
  // Counts this copy of the submit (its token: mPostToken) in the ledger of the session of id as waiting for it.
  void ArrivePost(TKXSessions& store, const std::string& id);
  // The copy has the session: it claims its post, unless the session has done it (the copy runs nothing) or its page
  // withdrew it (answered 204 at once). Decided here, not at arrival, so that a copy turned away or refused never
  // makes another copy of the same post run nothing.
  void ClaimPost();
  // The form's execution starts, every check before it passed: from here the claimed post counts as run.
  void StartPost();
  // On every way out, the session still held: a post that ran is done (also when its handler failed or ended the
  // request itself), one claimed but refused before it ran (401, a redirect, a failed check) is let go for its next
  // copy, and a copy that never had the session leaves the ledger.
  void FinishPost() noexcept;
  // The steps of the route table: each answers the request's path (mSessionId,
  // mUrlPath) on its own.
  [[noreturn]] void NoSessionForCallback();
  [[noreturn]] void NoSessionForStartCheck();
  void StartNew();
  void QueryStatus();
  void KeepAlive();
  // "<post>STATE</post>": what the session knows of the submit whose token is posted as KX_Retry (PostStateWord), or
  // "ended" when the request names no session of the store. Only with KX_GiveUp=1 does the question change anything:
  // the page withdraws its post, so an unknown one is given up ("abandoned") and never runs.
  void PostStatus();
  void NewSessionStartPage();
  void StartPageForCallback();
  void StartCheck();
  void Stop();
  // Where the stop leads: its "url" read as the browser reads it, kept when it is a path of this site; else
  // "_s_.REST" is "https://REST", an address with a scheme of its own is kept and anything else gets "http://" before
  // it, and that is read as the browser reads it (TURL::ReadBrowserAddress) and written anew. Nowhere without a
  // url, and for one of another scheme than http or https or whose host or port the browser refuses.
  TStopTarget StopTarget() const;
  // " It leads to HOST." for a target of another origin than the request's, HOST as the browser shows it (with a
  // port other than the scheme's default); empty for a path of this site or the request's own origin.
  std::string StopLeadsTo(const TStopTarget& target) const;
  // A stop whose session does not live (no cookie, or one of a session that ended, expired or is unknown) starts
  // none: the page "Your session has ended" with a link to where the stop leads (StopLeadsTo beside it), or to the
  // application's start for a stop that leads nowhere. Nothing leads on by itself; no cookie is set. A stop of a
  // live session goes on to Stop.
  void StopWithoutSession();
  void SessionContentPath();
  // A "/$/" path that no other row takes: the part after "/$" as a content path.
  void InternalContentPath();
  // The start page that measures the window and asks for url.
  std::string StartPageText(const std::string& url, const TKXApplication* session) const;
  bool StartHandler();
  void StartPage(bool isCallback);
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
  // The posted window side of that name (PostedWindowSide), or defaultValue.
  int WindowSideParam(const std::string& name, int defaultValue) const;

  // The held session; set and cleared by its TKXSessionHold.
  TKXApplication* mSession = nullptr;
  // The session id the request names; empty when it names none.
  std::string mSessionId;
  IKXContentHandler* mContentHandler = nullptr;
  bool mAuthenticated = false;
  bool mRequestAuth = true;
  bool mRestart = false;
  // The request is an upload: a session is never made for it (LookupOrCreate), and SendException answers JSON.
  bool mUploading = false;
  // The request was refused as a page of another session (RefuseAnotherSessionsPage).
  bool mAnotherSessionsPage = false;
  // A submit's own token (KX_Retry), the ledger of its session and how far this copy of the post got in it.
  enum class TPostCopy : std::uint8_t {
    None,     // no token, or no ledger: it runs as any post
    Waiting,  // counted in the ledger, waiting for the session
    Known,    // has the session, which ran its post already: it runs nothing
    Claimed,  // has the session and its post, before the form's checks
    Running,  // the form's execution started
  };
  std::string mPostToken;
  std::shared_ptr<TKXPostLedger> mPosts;
  TPostCopy mPostCopy = TPostCopy::None;
  // The request's place in the admission, from its session look-up to the end of the request.
  std::optional<TKXAdmissionTicket> mAdmission;
  // The hold of a dispatch that ended by an exception, kept until HandleException
  // has made the error page; released by the destructor when that never runs.
  TKXSessionHold mErrorPageHold{mSession};
};

// The embedded page template name (resources/manifest.txt) filled in: the
// file's lines joined by CR LF (the line end of its last line is not part of
// the text; a CR in the file is dropped), then every "{%NAME%}" replaced in one
// pass by the value given for NAME. Values go in as they are: each caller
// escapes its values for their place in the page. A template that is not
// embedded, or a placeholder without a value, raises EKXException.
std::string FillPageTemplate(std::string_view name,
                             std::initializer_list<std::pair<std::string_view, std::string_view>> values = {});

// Installs the session layer: creates the session store (gSessions) when there
// is none, makes HttpExecute create TKXServerSession objects, describes sessions
// in exception reports, and keeps the thread's current application in a
// thread-local value unless the host installed accessors of its own. Call it at
// start-up, after Startup() and before the server controller is created.
void RegisterSessionLayer();

}  // namespace kx
