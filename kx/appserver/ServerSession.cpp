#include "kx/appserver/ServerSession.h"

#include <climits>

#include "kx/appserver/ExceptionLogger.h"
#include "kx/appserver/ExceptionRenderer.h"
#include "kx/appserver/RequestWatch.h"

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/MimeTypes.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/SessionOutput.h"
#include "kx/appserver/Sessions.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/Markup.h"
#include "kx/foundation/Paths.h"
#include "kx/foundation/TextUtils.h"
#include "kx/platform/Resources.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* kCRLF = "\r\n";
constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

std::string IncludeSlash(std::string text) {
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

// The JSON text of an error message that also opens no markup.
std::string JsonMessage(std::string_view message) {
  std::string escaped = EscapeJsonString(message);
  std::string result;
  result.reserve(escaped.size());
  for (char c : escaped) {
    if (c == '<')
      result += "\\u003C";
    else
      result += c;
  }
  return result;
}

// The uploader's answer for a file that was not taken.
std::string UploadErrorJson(std::string_view message) { return "{\"error\":\"" + JsonMessage(message) + "\"}"; }

// Whether a posted KX_Retry is a script's token: 16 to 64 ASCII letters and digits.
bool IsRetryToken(std::string_view token) {
  if (token.size() < 16 || token.size() > 64) return false;
  for (char c : token)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  return true;
}

// Whether two "id_track" texts name the same session (never an empty one).
bool SameSessionId(std::string_view a, std::string_view b) {
  a = a.substr(0, a.find('_'));
  return !a.empty() && a == b.substr(0, b.find('_'));
}

// Whether a control took every uploaded file: one whose field names no uploader of the page shown (or that came
// after its page was left) would otherwise be thrown away while the client hears of a success.
bool AllUploadsTaken(const THttpFileList& files) {
  for (int i = 0; i < files.Count(); ++i)
    if (!files.Items(i)->Adopted()) return false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------
// The hold on the session

TKXSessionHold::TKXSessionHold(TKXSessionHold&& other) noexcept
    : mHeld(other.mHeld), mSession(other.mSession), mUnlockOnly(other.mUnlockOnly) {
  other.mSession = nullptr;
}

TKXSessionHold& TKXSessionHold::operator=(TKXSessionHold&& other) noexcept {
  if (this == &other) return *this;
  Release();
  mHeld = other.mHeld;
  mSession = other.mSession;
  mUnlockOnly = other.mUnlockOnly;
  other.mSession = nullptr;
  *mHeld = mSession;
  return *this;
}

void TKXSessionHold::Take(TKXApplication* session) {
  Release();
  mSession = session;
  mUnlockOnly = false;
  *mHeld = session;
}

void TKXSessionHold::Release() noexcept {
  TKXApplication* session = mSession;
  if (session == nullptr) return;
  mSession = nullptr;
  if (*mHeld == session) *mHeld = nullptr;
  try {
    TKXSessions* store = SessionStore();
    if (session->Terminated() && !mUnlockOnly && store != nullptr) {
      SetWebApplication(nullptr);
      store->RemoveAndFree(session);  // out of the store, unlocked, then freed
      return;
    }
    if (!mUnlockOnly) session->MarkAccess();
    session->FinishRequest();
    session->Unlock();
    SetWebApplication(nullptr);
  } catch (...) {
    // Nothing here raises but a host's accessor; the lock is released all the same.
  }
}

// ---------------------------------------------------------------------------
// Page templates

std::string FillPageTemplate(std::string_view name,
                             std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
  const TEmbeddedResource* resource = FindResource(name);
  if (resource == nullptr) throw EKXException("Page template " + std::string(name) + " is not embedded.");
  std::string_view file = resource->Text();
  if (file.ends_with('\n')) file.remove_suffix(1);
  std::string text;
  text.reserve(file.size() + file.size() / 16);
  for (char c : file) {
    if (c == '\r') continue;
    if (c == '\n') text += '\r';
    text += c;
  }
  std::string_view missing;
  std::string page = TKXExceptionRenderer::ReplacePlaceholders(text, [&](std::string_view key, std::string& out) {
    for (const auto& [placeholder, value] : values) {
      if (placeholder == key) {
        out.assign(value);
        return true;
      }
    }
    if (missing.empty()) missing = key;
    return false;
  });
  if (!missing.empty())
    throw EKXException("Page template " + std::string(name) + " has no value for " + std::string(missing) + ".");
  return page;
}

// ---------------------------------------------------------------------------

TKXServerSession::TKXServerSession(void* buffer, std::int32_t bufferSize) : TKXServer(buffer, bufferSize) {}

// ---------------------------------------------------------------------------
// The session and track ids of the request

std::string TKXServerSession::GetSessionId(const std::string& path) {
  mTrackID = -1;
  std::string raw;
  const bool useCookies = gSC->CookieOptions()->UseCookies();
  const std::string cookie = useCookies ? mRequest->GetCookieValue(mCookieName) : std::string();
  // With cookies the query of "/$/call" counts only when it names the cookie's own session: a link carrying
  // another browser's id would otherwise put this browser into that session, and set its cookie.
  if (SameText(path, "/$/call") && (!useCookies || SameSessionId(mRequest->Query(), cookie))) {
    raw = mRequest->Query();
  } else if (useCookies) {
    raw = cookie;
  } else {
    raw = mParams != nullptr ? mParams->Values("KX_SessionID_") : std::string();
    if (raw.empty()) raw = TURL::ExtractSessionId(path);
    if (!raw.empty() && mParams != nullptr) {
      std::string track = mParams->Values("KX_TrackID_");
      if (!track.empty()) mTrackID = std::int64_t(FromBase36(track) & 0x7FFFFFFF);
    }
  }
  std::size_t separator = raw.find('_');
  if (separator == std::string::npos) return raw;
  mTrackID = std::int64_t(FromBase36(std::string_view(raw).substr(separator + 1)) & 0x7FFFFFFF);
  return raw.substr(0, separator);
}

void TKXServerSession::SetUrlPaths(const std::string& path, const std::string& id) {
  mFullUrlPath = path;
  if (!id.empty() && path == "/" + id) mFullUrlPath += '/';
  const std::string& base = gSC->URLBase();
  if (!base.empty() && StartsText(base, mFullUrlPath)) mFullUrlPath.erase(0, base.size() - 1);
  mUrlPath = mFullUrlPath;
  if (!id.empty()) {
    std::size_t position = mUrlPath.find(id);
    if (position != std::string::npos) mUrlPath.erase(0, position + id.size());
  }
}

void TKXServerSession::SetSessionBaseURL(const std::string& id) {
  // The id reaches the base URL and the cookie path: only an id made of id characters.
  if (!gSC->AllowMultipleSessionsPerUser() || !IsValidSessionID(id)) return;
  std::string base = mRequest->ScriptName().empty() ? gSC->URLBase()
                                                    : TURL::Concat(gSC->URLBase(), mRequest->ScriptName());
  base = IncludeSlash(base) + id + "/";
  if (base.front() != '/') base.insert(0, 1, '/');
  mBaseURL = base;
  SetCookiePath();
  if (mSession != nullptr) mSession->SetCookiePath(mCookiePath);
}

// ---------------------------------------------------------------------------
// Dispatch

// The points of the dispatch at which rows are tried, in the order it reaches them. The first three come before
// the session look-up and answer without a session; the last three run with the session held.
enum class TKXServerSession::TStage : std::uint8_t {
  NoId,        // the request path of a request that names no session
  NoSession,   // the request path, before the session part is taken off it
  Store,       // the session path, answered from the store without taking the session
  NewSession,  // the session path, with a session this request created (after its start handler)
  Found,       // the session path, with a session found in the store (before its render override)
  Session,     // the session path, with a found session (after its render override)
};

// How a row's path is compared with the request's: Exact byte for byte, the others ignoring ASCII case.
enum class TPathMatch : std::uint8_t { Any, Exact, Same, EndsWith, StartsWith, NotStartsWith };

// What a row's step may do to the session the request names. The cross-site checks read it from the row the
// request takes, never from the path's text.
enum class TActs : std::uint8_t {
  Never,     // answers from the store, or a page that changes nothing
  OnAction,  // runs the form or a content handler: acts when not a GET or HEAD, or when it names an action
  Always,    // a callback or an upload
  Ends,      // a start or a stop: ends the session it names while that lives
  Measures,  // the page's resize request: acts, but names no session (it only measures the window)
};

struct TKXServerSession::TRoute {
  TStage Stage;
  TPathMatch Match;
  std::string_view Path;
  TActs Acts;
  bool Auth;  // CheckAuth before the step
  void (TKXServerSession::*Step)();
  bool Ends;  // false: the dispatch goes on after the step
};

struct TKXServerSession::TStopTarget {
  std::string URL;                         // where the stop leads: a path of this site, or Address written anew
  std::optional<TBrowserAddress> Address;  // another address than a path of this site, as the browser reads it
};

namespace {

bool PathMatches(TPathMatch match, std::string_view routePath, const std::string& path) {
  switch (match) {
    case TPathMatch::Any:
      return true;
    case TPathMatch::Exact:
      return path == routePath;
    case TPathMatch::Same:
      return SameText(path, routePath);
    case TPathMatch::EndsWith:
      return EndsText(routePath, path);
    case TPathMatch::StartsWith:
      return StartsText(routePath, path);
    case TPathMatch::NotStartsWith:
      return !StartsText(routePath, path);
  }
  return false;
}

using S = TKXServerSession;
using M = TPathMatch;
using A = TActs;
constexpr bool kAuth = true;
constexpr bool kNoAuth = false;
constexpr bool kEnds = true;
constexpr bool kGoesOn = false;

}  // namespace

// Within a stage the first row whose path matches decides: the order of the rows is the order of the tests.
const TKXServerSession::TRoute TKXServerSession::sRoutes[] = {
    // stage             match             path              acts         auth     step                        ends
    {TStage::NoId,       M::EndsWith,      "/$/callback",    A::Always,   kNoAuth, &S::NoSessionForCallback,   kEnds},
    {TStage::NoId,       M::EndsWith,      "/$/StartCheck",  A::Never,    kNoAuth, &S::NoSessionForStartCheck, kEnds},
    {TStage::NoSession,  M::Same,          "/$/Start",       A::Ends,     kNoAuth, &S::StartNew,               kEnds},
    {TStage::NoSession,  M::Same,          "/$/Start/",      A::Ends,     kNoAuth, &S::StartNew,               kEnds},
    {TStage::Store,      M::EndsWith,      "/$/QueryStatus", A::Never,    kNoAuth, &S::QueryStatus,            kEnds},
    {TStage::Store,      M::EndsWith,      "/$/KeepAlive",   A::Never,    kNoAuth, &S::KeepAlive,              kEnds},
    {TStage::Store,      M::EndsWith,      "/$/PostStatus",  A::Always,   kNoAuth, &S::PostStatus,             kEnds},
    {TStage::Store,      M::Same,          "/$/Stop/",       A::Ends,     kNoAuth, &S::StopWithoutSession,     kGoesOn},
    {TStage::NewSession, M::Same,          "/$/callback",    A::Never,    kNoAuth, &S::StartPageForCallback,   kEnds},
    {TStage::NewSession, M::Any,           "",               A::Never,    kNoAuth, &S::NewSessionStartPage,    kEnds},
    {TStage::Found,      M::Same,          "/$/Stop/",       A::Ends,     kNoAuth, &S::Stop,                   kGoesOn},
    {TStage::Found,      M::Same,          "/$/StartCheck",  A::Never,    kNoAuth, &S::StartCheck,             kEnds},
    {TStage::Session,    M::NotStartsWith, "/$/",            A::OnAction, kNoAuth, &S::SessionContentPath,     kEnds},
    {TStage::Session,    M::Same,          "/$/callback",    A::Always,   kNoAuth, &S::Callback,               kEnds},
    {TStage::Session,    M::Exact,         "/$/",            A::OnAction, kNoAuth, &S::FormSubmit,             kEnds},
    {TStage::Session,    M::Same,          "/$/resize",      A::Measures, kNoAuth, &S::Resize,                 kEnds},
    {TStage::Session,    M::StartsWith,    "/$/upload",      A::Always,   kAuth,   &S::Upload,                 kEnds},
    {TStage::Session,    M::StartsWith,    "/$/call",        A::OnAction, kAuth,   &S::FormSubmit,             kEnds},
    {TStage::Session,    M::StartsWith,    "/$/",            A::OnAction, kAuth,   &S::InternalContentPath,    kEnds},
};

const TKXServerSession::TRoute* TKXServerSession::FindRoute(TStage stage, const std::string& path) {
  for (const TRoute& route : sRoutes)
    if (route.Stage == stage && PathMatches(route.Match, route.Path, path)) return &route;
  return nullptr;
}

const TKXServerSession::TRoute& TKXServerSession::SessionRoute(const std::string& path) {
  const TRoute* route = FindRoute(TStage::Found, path);
  if (route == nullptr) route = FindRoute(TStage::Session, path);
  return *route;  // the last rows of the Session stage take every path
}

bool TKXServerSession::Route(TStage stage, const std::string& path) {
  const TRoute* route = FindRoute(stage, path);
  if (route == nullptr) return false;
  // A row met before the session look-up is the request's own; the later stages were admitted by SessionRoute.
  if (stage < TStage::NewSession) Admit(*route, path);
  if (route->Auth) CheckAuth();
  (this->*route->Step)();
  return route->Ends;
}

void TKXServerSession::ExecuteSession(const std::string& urlPath) {
  TKXSessionHold hold(mSession);
  try {
    Dispatch(urlPath, hold);
    FinishPost();
  } catch (const EAbort&) {
    FinishPost();
    throw;  // a 401 or a redirect: no error page follows, the hold ends here
  } catch (...) {
    FinishPost();  // it ran, up to its error
    mErrorPageHold = std::move(hold);  // the error page is made while the session is still held
    throw;
  }
}

void TKXServerSession::Dispatch(const std::string& urlPath, TKXSessionHold& hold) {
  mAuthenticated = false;
  mRequestAuth = true;
  mContentHandler = nullptr;
  mRestart = false;
  mUploading = false;
  mAnotherSessionsPage = false;
  mPostToken.clear();
  mPosts = nullptr;
  mPostCopy = TPostCopy::None;
  mSessionId = GetSessionId(urlPath);
  const std::string& id = mSessionId;

  if (id.empty() && Route(TStage::NoId, urlPath)) return;
  if (Route(TStage::NoSession, urlPath)) return;
  SetUrlPaths(urlPath, id);
  if (!id.empty()) SetSessionBaseURL(id);
  if (Route(TStage::Store, mUrlPath)) return;

  mContentHandler = gFindContentHandler != nullptr ? gFindContentHandler(mUrlPath) : nullptr;
  if (id.empty() && mContentHandler == nullptr && TKXMimeTypes::IsStaticFile(mUrlPath)) {
    Send404();
    return;
  }

  // Judged before a session is found or made for it, by what the request does once its session is found.
  const TRoute& route = SessionRoute(mUrlPath);
  Admit(route, mUrlPath);
  mUploading = route.Step == &S::Upload;
  RefuseAnotherSessionsPage(route);
  if (route.Step == &S::FormSubmit) {
    if (id.empty()) RefuseEndedSessionsPost();
    mPostToken = mParams != nullptr ? mParams->Values("KX_Retry") : std::string();
    if (!IsRetryToken(mPostToken)) mPostToken.clear();
  }
  const bool isNew = LookupOrCreate(id, hold);
  TKXApplication* session = mSession;
  bool answered;
  if (isNew) {
    SetSessionBaseURL(session->AppID());
    answered = StartHandler();
  } else {
    session->LogSessionEvent(seRequest);
    answered = Route(TStage::Found, mUrlPath);
  }
  if (!answered && !(session->Terminated() && session->SendRenderOverride(*mReply)))
    Route(isNew ? TStage::NewSession : TStage::Session, mUrlPath);

  if (session->Terminated())
    RemoveSessionCookie();
  else
    SetSessionCookie();
}

void TKXServerSession::HandleException(const std::exception& e) {
  TKXSessionHold hold = std::move(mErrorPageHold);  // released once the page is made, or making it failed
  if (!(gSC != nullptr && gSC->DoException(mSession, e, &Request()))) SendException(e);
}

void TKXServerSession::SendException(const std::exception& e) {
  if (mUploading && dynamic_cast<const EInvalidSession*>(&e) != nullptr) {
    // The uploader's script shows a JSON error in its file's line; a page would reach it as "Upload failed".
    ResetReply();
    mReply->WriteString(UploadErrorJson("Your session has ended. Restart the application to go on."));
    return;
  }
  TKXServer::SendException(e);
  // The cookie names the browser's live session, not the page's: removing it would end that one too.
  if (mAnotherSessionsPage) mReply->Cookies().Clear();
}

// ---------------------------------------------------------------------------
// The steps answered without the session

void TKXServerSession::NoSessionForCallback() { SessionEnded(); }

void TKXServerSession::NoSessionForStartCheck() {
  throw EKXNoSessionId(PostedSessionId(), "/$/StartCheck requires a session Id.");
}

std::string TKXServerSession::PostedSessionId() const {
  std::string id = mParams != nullptr ? mParams->Values("KX_SessionID_") : std::string();
  return IsValidSessionID(id) ? id : std::string();
}

void TKXServerSession::SessionEnded() { throw EKXNoSessionId(PostedSessionId(), "Session was terminated."); }

void TKXServerSession::PostStatus() {
  const std::string token = mParams != nullptr ? mParams->Values("KX_Retry") : std::string();
  TKXSessions* store = SessionStore();
  std::shared_ptr<TKXPostLedger> posts = store != nullptr && !mSessionId.empty() ? store->PostLedger(mSessionId)
                                                                                 : nullptr;
  std::string_view state = "ended";
  if (posts != nullptr && !IsRetryToken(token))
    state = "unknown";
  else if (posts != nullptr)
    state = PostStateWord(mParams->Values("KX_GiveUp") == "1" ? posts->GiveUp(token) : posts->Ask(token));
  mReply->WriteString(std::string(kXmlDeclaration) + "<post>" + std::string(state) + "</post>");
}

void TKXServerSession::QueryStatus() {
  TKXSessions* store = SessionStore();
  std::int32_t status = mSessionId.empty() || store == nullptr ? -1 : store->QueryStatus(mSessionId);
  mReply->WriteString(std::string(kXmlDeclaration) + "<status>" + IntToStr(status) + "</status>");
}

void TKXServerSession::KeepAlive() {
  if (!mSessionId.empty())
    if (TKXSessions* store = SessionStore()) store->MarkAccess(mSessionId);
  mReply->WriteString(std::string(kXmlDeclaration) + "<response>OK</response>");
}

// ---------------------------------------------------------------------------
// Finding, creating and checking the session

void TKXServerSession::Admission() {
  // From here the request holds a host thread in a session or waiting for one.
  const int spare = gRequestWatch != nullptr ? gRequestWatch->SpareThreads() : -1;
  mAdmission.emplace(RequestAdmission(), mClientIP, gSC->MaxRequestsPerIP(), spare);
  if (!mAdmission->Admitted()) SendAddressBusy(spare);
}

bool TKXServerSession::LookupOrCreate(const std::string& id, TKXSessionHold& hold) {
  TKXSessions* store = SessionStore();
  EKXException::IfNotAssigned(store, "The session store does not exist.");
  Admission();
  std::string savedRunParams;
  if (!id.empty()) {
    ArrivePost(*store, id);
    bool expired = false;
    try {
      hold.Take(store->LookupAndLock(id, expired, 0));
    } catch (const ESessionBusy&) {
      SendSessionBusy();
    }
    if (mSession != nullptr) ClaimPost();
    if (mSession == nullptr && !(mContentHandler != nullptr && mContentHandler->CanStartSession())) {
      // An upload restarts nothing (below): its page hears that its session expired or ended, and the saved run
      // parameters stay for the restart its next click makes.
      if (gSC->RestartExpiredSession() && !mUploading) {
        mRestart = true;
        if (expired) savedRunParams = store->GetExpiredParams(id, true);
      } else if (expired) {
        throw EExpiredSession(id, "Your session has expired due to inactivity.");
      } else {
        throw EInvalidAppID(id, "Session ID is invalid.");
      }
    }
  }

  const bool isNew = mSession == nullptr;
  if (isNew) {
    // An upload comes from a page of a session: with none found it ended, and a new one would answer the uploader's
    // script with a start page and a cookie that takes the browser into it.
    if (mUploading) SessionEnded();
    if (gSC->AuthBeforeNewSession()) CheckAuth();
    // Asked first so that a flood costs no session object; the store judges again under its lock.
    if (store->SessionLimitReached(mClientIP)) SendTooManySessions();
    // A session may open files (a data form's database) that the sessions already there would then lack.
    if (gRequestWatch != nullptr && gRequestWatch->DescriptorsShort()) SendServerBusy();
    // The new session registers itself in the store, locked.
    try {
      hold.Take(TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(mRequest->UserAgent()),
                                                   mRequest.get(), mReply.get(), mClientIP, mUsername, mPassword,
                                                   mRequest->ScriptName()));
    } catch (const ESessionLimitReached&) {
      SendTooManySessions();
    }
    try {
      if (mRestart) mSession->RunParams().SetRawString(savedRunParams);
      mSession->SetNewSessionTimeout();
      mTrackID = mSession->TrackID();
      SetWebApplication(mSession);
      gSC->DoNewSession(mSession);
      if (mRestart) gSC->DoSessionRestarted(mSession);
    } catch (...) {
      hold.SetUnlockOnly();
      throw;
    }
  } else {
    try {
      SecurityCheck();
      mSession->ApplyConfiguredTimeout();
      mTrackID = mSession->TrackID();
      SetWebApplication(mSession);
    } catch (...) {
      // Marked before the release unlocks it; it ends with its next request or by expiry.
      mSession->Terminate();
      hold.SetUnlockOnly();
      throw;
    }
  }
  if (mAuthenticated) mSession->SetUserNameAndPassword(mUsername, mPassword);
  mSession->Initialize(mRequest.get(), mReply.get());
  return isNew;
}

void TKXServerSession::ArrivePost(TKXSessions& store, const std::string& id) {
  if (mPostToken.empty()) return;
  mPosts = store.PostLedger(id);
  if (mPosts == nullptr) return;
  mPosts->Arrive(mPostToken);
  mPostCopy = TPostCopy::Waiting;
}

void TKXServerSession::ClaimPost() {
  if (mPostCopy != TPostCopy::Waiting) return;
  const TKXPostState found = mPosts->Claim(mPostToken);
  const bool known = found == TKXPostState::Done || found == TKXPostState::Abandoned;
  mPostCopy = known ? TPostCopy::Known : TPostCopy::Claimed;
  if (found != TKXPostState::Abandoned) return;
  // Its page withdrew it and took its clicks back: it never runs, and the answer leaves that page as it is.
  ResetReply();
  mReply->SetCode(204);
  Abort();
}

void TKXServerSession::StartPost() {
  if (mPostCopy == TPostCopy::Claimed) mPostCopy = TPostCopy::Running;
}

void TKXServerSession::FinishPost() noexcept {
  switch (mPostCopy) {
    case TPostCopy::Waiting: mPosts->Leave(mPostToken); break;
    case TPostCopy::Claimed: mPosts->Release(mPostToken); break;
    case TPostCopy::Running: mPosts->Finish(mPostToken); break;
    case TPostCopy::None:
    case TPostCopy::Known: break;
  }
  mPostCopy = TPostCopy::None;
}

void TKXServerSession::RefuseEndedSessionsPost() {
  if (!gSC->CookieOptions()->UseCookies() || gSC->RestartExpiredSession()) return;
  if (mRequest->HttpMethod() != hmPost || PostedSessionId().empty()) return;
  SessionEnded();
}

void TKXServerSession::RefuseAnotherSessionsPage(const TRoute& route) {
  if (route.Step != &S::FormSubmit && route.Step != &S::Callback && route.Step != &S::Upload) return;
  if (!gSC->CookieOptions()->UseCookies() || mSessionId.empty() || !ActsOnSession(route)) return;
  const std::string posted = mParams != nullptr ? mParams->Values("KX_SessionID_") : std::string();
  if (posted.empty() || posted == mSessionId) return;
  mAnotherSessionsPage = true;
  SessionEnded();
}

void TKXServerSession::SecurityCheck() {
  TKXSecurityOptions* options = gSC->SecurityOptions();
  if (options->CheckSameIP() && mClientIP != mSession->IP())
    throw EKXSecurityException("The IP you are using is different than the one that initiated the session.");
  if (options->CheckSameUA() &&
      (mSession->Browser() == nullptr || mRequest->UserAgent() != mSession->Browser()->UserAgent()))
    throw EKXSecurityException("The browser you are using is different than the one that initiated the session.");
}

namespace {

// The request's Sec-Fetch-Site, empty for "none": a request the browser started itself (an address typed or
// bookmarked, a link opened from another program, and wherever that is redirected) says nothing of where it comes
// from, so it is judged as a request from a browser that sends no fetch metadata.
std::string FetchSite(const THttpRequest& request) {
  std::string site = request.GetRawHeaderValue("Sec-Fetch-Site");
  if (SameText(site, "none")) site.clear();
  return site;
}

}  // namespace

bool TKXServerSession::ActsOnSession(const TRoute& route) const {
  switch (route.Acts) {
    case TActs::Never:
      return false;
    case TActs::Always:
    case TActs::Measures:
      return true;
    case TActs::Ends: {
      // A session that is gone or ending already (the restart link of an expiry or security error page) loses
      // nothing.
      TKXSessions* store = SessionStore();
      return !mSessionId.empty() && store != nullptr && store->IsLive(mSessionId);
    }
    case TActs::OnAction: {
      const THttpMethod method = mRequest->HttpMethod();
      if (method != hmGet && method != hmHead) return true;
      return mParams != nullptr && (!mParams->Values("KX_Action").empty() ||
                                    !mParams->Values("KX_ActionParam").empty() || !mParams->Values("callback").empty());
    }
  }
  return true;
}

void TKXServerSession::Admit(const TRoute& route, const std::string& path) {
  const std::string site = FetchSite(*mRequest);
  const std::string origin = mRequest->GetRawHeaderValue("Origin");
  const bool saysWhere = !site.empty() || !origin.empty();
  const bool ownSite = saysWhere && (!site.empty() ? SameText(site, "same-origin")
                                                   : IsRequestOrigin(origin, *mRequest, gSC->TrustedProxies()));
  // Another site's post carries no Lax cookie: whatever its row, answering it would start a session whose cookie
  // replaces the visitor's. Only a link (a GET) may start the visitor's first session.
  const THttpMethod method = mRequest->HttpMethod();
  const bool otherSitesPost = saysWhere && !ownSite && method != hmGet && method != hmHead;
  if (!otherSitesPost && !ActsOnSession(route)) return;
  if (saysWhere) {
    if (ownSite) return;
    Refuse(route, path, "This request came from another site; the application refused it.",
           !site.empty() ? "Sec-Fetch-Site " + QuotedLogText(site) : "Origin " + QuotedLogText(origin));
  }
  // Saying nothing of where it comes from, it must name its session as the page's own requests do. Without cookies
  // the session's id travels in the request anyway, and a session that does not live has nothing to lose.
  if (route.Acts == TActs::Measures || !gSC->CookieOptions()->UseCookies() || mSessionId.empty()) return;
  if (mParams != nullptr && mParams->Values("KX_SessionID_") == mSessionId) return;
  if (TKXSessions* store = SessionStore(); store == nullptr || !store->IsLive(mSessionId)) return;
  const std::string header = mRequest->GetRawHeaderValue("Sec-Fetch-Site");
  Refuse(route, path, "This request does not name its session; the application refused it.",
         (header.empty() ? std::string("neither Origin nor Sec-Fetch-Site") : "Sec-Fetch-Site " + QuotedLogText(header)) +
             ", no KX_SessionID_");
}

void TKXServerSession::Refuse(const TRoute& route, const std::string& path, const std::string& message,
                              const std::string& seen) {
  if (gErrorLogProcedure)
    gErrorLogProcedure(OperatorLogLine("warning", mSessionId, HttpMethodText(mRequest->HttpMethod()), path,
                                       message + " Seen: " + seen + "; expected origin \"" +
                                           RequestOrigin(*mRequest, gSC->TrustedProxies()) + "\"; client " +
                                           mClientIP + "."));
  // The page only where a visitor sees it (a browser that says what it loads says "document" for a page), and only
  // for a session that lives: another site's post names none.
  const std::string dest = mRequest->GetRawHeaderValue("Sec-Fetch-Dest");
  if (route.Acts == TActs::Ends && ActsOnSession(route) && (dest.empty() || SameText(dest, "document")))
    SendSessionStillOpen(route);
  SendForbidden(message);
}

// A start or stop the visitor reached without the page's word (an address typed, a plain link, another site's
// navigation) leads on in one click: back to the session, or a button of this page that restarts or ends it. A
// stop without "url" ends nothing (Stop), so it says so and offers only the way back; a stop to another host names it.
void TKXServerSession::SendSessionStillOpen(const TRoute& route) {
  const bool start = route.Step == &S::StartNew;
  const TStopTarget stop = start ? TStopTarget() : StopTarget();
  const bool ends = !stop.URL.empty();
  std::string text =
      "The address you followed names no page to go to, so it ends nothing: your session is as you left it.";
  std::string button;
  if (start || ends) {
    text = std::string("The address you followed ") + (start ? "restarts" : "ends") +
           " your session, but it did not come from the application's own page, so nothing was changed.";
    button = std::string(" or <button type=submit>") + (start ? "Restart" : "End") + " the session</button>";
    button += StopLeadsTo(stop);  // the button goes where Stop redirects
  }
  std::string action = mBaseURL + std::string(route.Path.substr(1));
  if (!mRequest->Query().empty()) action += "?" + mRequest->Query();
  ResetReply();
  mReply->SetCode(403);
  mReply->WriteString(FillPageTemplate("KX_TPL_SESSIONOPEN",
                                       {{"TEXT", text},
                                        {"ACTION", EscapeAttributeQuotes(action)},
                                        {"SESSIONID", EscapeAttributeQuotes(mSessionId)},
                                        {"BACK", EscapeAttributeQuotes(mBaseURL + "$/")},
                                        {"BUTTON", button}}));
  Abort();
}

void TKXServerSession::SendAddressBusy(int spareThreads) {
  if (gErrorLogProcedure) {
    const std::string text = RequestAdmission().RefusalLine(mClientIP, gSC->MaxRequestsPerIP(), spareThreads);
    if (!text.empty())
      gErrorLogProcedure(OperatorLogLine("warning", mSessionId, HttpMethodText(mRequest->HttpMethod()),
                                         mRequest->PathInfo(), text));
  }
  SendTryAgain("Too many requests from your address. Please try again later.", "address", AddressBusyRetryAfter);
}

void TKXServerSession::SendTryAgain(const std::string& message, std::string_view cause, int retryAfter) {
  const std::string token = mParams == nullptr ? std::string() : mParams->Values("KX_Retry");
  // The cause's word goes beside the text: a callback's page says the cause in its own words, never the server's.
  if (!IsRetryToken(token)) SendPlainError(503, message, retryAfter, cause);
  ResetReply();
  mReply->SetCode(204);
  mReply->AddHeader("Retry-After", IntToStr(retryAfter));
  mReply->Cookies()
      .AddCookie("KX_Retry_" + token, IntToStr(retryAfter) + ":" + std::string(cause), "/",
                 Now() + RetryCookieMinutes / 1440.0, false, false)
      ->SetSameSite("Lax");
  Abort();
}

void TKXServerSession::SendPlainError(int code, const std::string& message, int retryAfter, std::string_view cause) {
  ResetReply();
  mReply->SetCode(code);
  mReply->SetContentType("text/plain");
  if (retryAfter > 0) mReply->AddHeader("Retry-After", IntToStr(retryAfter));
  if (!cause.empty()) mReply->AddHeader("X-KX-Retry-Cause", std::string(cause));
  mReply->WriteString(IntToStr(code) + " - " + message);
  Abort();
}

std::string TKXServerSession::RunParamsText(bool always) {
  if (!always && !gSC->ShowStartParams()) return std::string();
  if (mSession != nullptr) return mSession->RunParams().GetRawString();
  TKXParamsString params;
  params.SetFromQuery(mRequest->Query());
  return params.GetRawString();
}

// ---------------------------------------------------------------------------
// Starting sessions

void TKXServerSession::StartNew() {
  if (!mSessionId.empty()) {
    Admission();  // ending the session waits for it
    RemoveSessionCookie();
    if (TKXSessions* store = SessionStore()) store->Terminate(mSessionId);
  }
  mReply->WriteString(StartPageText(mBaseURL + RunParamsText(true), nullptr));
}

// The script asks for url once the page has loaded: while the page is still parsed, document.open() is ignored
// and an answer that is a whole page would be written into this one. Its time stamp joins a URL that carries run
// parameters with "&", not a second "?".
std::string TKXServerSession::StartPageText(const std::string& url, const TKXApplication* session) const {
  std::string sessionLine;
  if (session != nullptr)
    sessionLine =
        "  p += \"&KX_SessionID_=" + session->AppID() + "&KX_TrackID_=" + session->TrackID36() + "\";" + kCRLF;
  return FillPageTemplate("KX_TPL_STARTPAGE", {{"HEAD", FillPageTemplate("KX_TPL_PAGEHEAD")},
                                               {"GETWH", FillPageTemplate("KX_TPL_GETWH")},
                                               {"SESSIONLINE", sessionLine},
                                               {"URL", ScriptStringLiteral(url)}});
}

bool TKXServerSession::StartHandler() {
  IKXContentHandler* handler = mContentHandler;
  if (handler == nullptr || !handler->CanStartSession())
    handler = gGetStartHandler != nullptr ? gGetStartHandler(mSession) : nullptr;
  TKXSearchEngineOptions* searchEngines = gSC->SearchEngineOptions();
  if (handler == nullptr && searchEngines->RedirectToContentHandler() && mSession->Browser() != nullptr &&
      mSession->Browser()->InheritsFrom(TSearchEngine::ClassRecord) && gFindContentHandler != nullptr)
    handler = gFindContentHandler(searchEngines->ContentHandlerPath());
  if (handler != nullptr) mContentHandler = handler;
  if (handler == nullptr || !handler->CanStartSession() || handler->RequiresSessionStart()) return false;
  ContentPath(mUrlPath);
  return true;
}

void TKXServerSession::StartPage(bool isCallback) {
  if (mContentHandler != nullptr && !mContentHandler->CanStartSession()) mContentHandler = nullptr;
  std::string target = mContentHandler != nullptr ? TURL::Concat(mSession->SessionUrlBase(), mContentHandler->Path())
                                                  : mSession->SessionInternalUrlBase() + "StartCheck";
  target += RunParamsText(false);
  std::string page = StartPageText(target, mSession);
  if (mRestart && isCallback && mSession->CallBackResponse() != nullptr) {
    mSession->CallBackResponse()->AddTagToRewrite(page);
    StreamCallBackResponse();
  } else {
    mReply->WriteString(page);
  }
}

void TKXServerSession::NewSessionStartPage() { StartPage(false); }

void TKXServerSession::StartPageForCallback() { StartPage(true); }

void TKXServerSession::StartCheck() {
  const int width = WindowSideParam("KX_width", -1);
  const int height = WindowSideParam("KX_height", -1);
  if (width > -1) mSession->SetFormWidth(width);
  if (height > -1) mSession->SetFormHeight(height);
  mReply->WriteString(FillPageTemplate("KX_TPL_STARTCHECK",
                                       {{"HEAD", FillPageTemplate("KX_TPL_PAGEHEAD")},
                                        {"GETWH", FillPageTemplate("KX_TPL_GETWH")},
                                        {"ACTION", EscapeAttributeQuotes(mBaseURL + RunParamsText(false))},
                                        {"SESSIONID", mSession->AppID()},
                                        {"TRACKID", mSession->TrackID36()}}));
}

// ---------------------------------------------------------------------------
// The session paths

namespace {

// Whether url begins with a scheme of its own ("javascript:", "HTTP:") rather than a host and its port
// ("example.org:8080/a", which a stop link writes for "http://example.org:8080/a").
bool NamesScheme(std::string_view url) {
  constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0 || kLetters.find(url[0]) == std::string_view::npos) return false;
  if (url.find_first_not_of(std::string(kLetters) + "0123456789+-.") < colon) return false;
  const std::string_view port = url.substr(colon + 1, url.find_first_of("/\\?#", colon) - colon - 1);
  return port.empty() || port.find_first_not_of("0123456789") != std::string_view::npos;
}

}  // namespace

TKXServerSession::TStopTarget TKXServerSession::StopTarget() const {
  TStopTarget target;
  const std::string url = mParams != nullptr ? TURL::BrowserReading(mParams->Values("url")) : std::string();
  if (url.empty()) return target;
  // A path of this site ("/bye.html", "./bye.html") stays one; "//host" and "/\host" are another host's.
  if (url[0] == '.' || (url[0] == '/' && url.find_first_of("/\\", 1) != 1)) {
    target.URL = url;
    return target;
  }
  // The stop links drop "http://" and write "_s_." for "https://"; an address written by hand may carry its scheme,
  // and one of another scheme than http or https names no page to go to.
  std::string address = "http://" + url;
  if (StartsText("_s_.", url) && url.size() > 5)
    address = "https://" + url.substr(4);
  else if (NamesScheme(url))
    address = url;
  // Written anew from the one reading, so that the redirect goes to the host the page names.
  target.Address = TURL::ReadBrowserAddress(address);
  if (target.Address) target.URL = target.Address->Href();
  return target;
}

std::string TKXServerSession::StopLeadsTo(const TStopTarget& target) const {
  if (!target.Address) return std::string();  // a path of this site, or nowhere
  const std::optional<TBrowserAddress> own = TURL::ReadBrowserAddress(RequestOrigin(*mRequest, gSC->TrustedProxies()));
  if (own && own->SameOrigin(*target.Address)) return std::string();
  return " It leads to " + TextToHTMLStringLiteral(target.Address->Named()) + ".";
}

void TKXServerSession::Stop() {
  const std::string url = StopTarget().URL;
  if (url.empty()) return;
  // "./bye.html" is joined to the session's address; every other address is whole already.
  mSession->TerminateAndRedirect(url, url[0] == '.');
}

void TKXServerSession::StopWithoutSession() {
  TKXSessions* store = SessionStore();
  if (!mSessionId.empty() && store != nullptr && store->IsLive(mSessionId)) return;  // Stop ends it
  // The application's start, as the error pages offer it: the session's id (ended) is not part of it.
  const std::string appBase = IncludeSlash(gSC->URLBase() + mRequest->ScriptName());
  const TStopTarget target = StopTarget();
  std::string link = target.URL;
  std::string linkText = "Go on";
  if (link.empty()) {
    link = appBase + "$/Start";
    linkText = "Start the application again";
  } else if (link[0] == '.') {
    link = TURL::Concat(appBase, link);  // as Stop joins it: relative to this page it would be under "/$/Stop/"
  }
  ResetReply();
  mReply->WriteString(FillPageTemplate("KX_TPL_SESSIONENDED", {{"LINK", TextToHTMLStringLiteral(link)},
                                                               {"LINKTEXT", linkText},
                                                               {"LEADS", StopLeadsTo(target)}}));
  Abort();
}

void TKXServerSession::SessionContentPath() { ContentPath(mUrlPath); }

void TKXServerSession::InternalContentPath() { ContentPath(mUrlPath.substr(2)); }

void TKXServerSession::ContentPath(const std::string& path) {
  const bool root = path == "/" || path == "/" + mSession->AppID() + "/";
  std::string urlPath = path;
  if (!urlPath.empty() && urlPath.back() == '/') urlPath += "index.kxp";
  std::string file;
  try {
    file = TURL::UrlPathToFilePath(gSC->ContentPath(), urlPath);
  } catch (const Exception&) {
    Send404();  // a path that leaves the content folder or holds illegal characters
    return;
  }
  if (mContentHandler != nullptr) {
    CheckAuth();
    if (mContentHandler->DoExecute(*mRequest, *mReply, file, mSession, *mParams)) return;
  }
  if (EndsText("/index.kxp", file)) file.replace(file.size() - 3, 3, "html");
  if (!file.empty() && file.back() != '/' && DoSendFile(file, false)) return;
  if (root)
    SendHtmlRedirect(mBaseURL + "$/" + RunParamsText(false));
  else
    Send404();
}

void TKXServerSession::Callback() {
  TKXApplication* session = mSession;
  TComponent* active = session->GetActiveForm();
  if (active == nullptr) {
    // Nothing to execute: the (empty) response still tells the page where to submit.
    if (IKXCallBackResponse* response = session->CallBackResponse()) response->SetSubmitURL(session->GetExecAction());
    StreamCallBackResponse();
    return;
  }
  session->SetIsCallBack(true);
  BackButtonResync();
  const std::string name = session->GetActiveForm() != nullptr ? session->GetActiveForm()->Name() : std::string();
  // Read before the execution, which empties the posted fields of a page of another form.
  const std::string posted = mRequest->GetContentFieldValue("KX_FormName");
  session->ExecuteActiveForm(*mParams);
  IKXCallBackResponse* response = session->CallBackResponse();
  TComponent* now = session->GetActiveForm();
  // A page of another form (a tab left behind when another tab of the session moved on) ran nothing: like a
  // handler that changed the form, the answer brings that page to the session's form.
  const bool pageBehind = now != nullptr && !posted.empty() && !SameText(posted, now->Name());
  if (now != nullptr && (now->Name() != name || pageBehind)) {
    if (response != nullptr)
      response->AddJavaScriptToExecute(
          FillPageTemplate("KX_TPL_FORMCHANGE", {{"URLBASE", ScriptStringLiteral(session->SessionInternalUrlBase())}}) +
          kCRLF);
  } else {
    session->GenerateActiveForm(*mReply);
    if (response != nullptr) response->SetSubmitURL(session->GetExecAction());
  }
  StreamCallBackResponse();
}

void TKXServerSession::StreamCallBackResponse() {
  IKXCallBackResponse* response = mSession->CallBackResponse();
  if (response == nullptr || mReply->SendingFile()) return;
  auto stream = std::make_unique<TKXRenderStream>(true, false, THttpReply::BodyFlushSize());
  response->StreamResponse(*stream);
  mReply->SendRenderStream(std::move(stream));
  // Sent: the document goes until the next callback, so an idle session does not keep its last answer.
  response->Initialize();
}

void TKXServerSession::FormSubmit() {
  // A post the session has run already (a reload of the page that answered it, a resend) runs nothing again: its
  // answer is the session's form as it stands.
  const bool again = mPostCopy == TPostCopy::Known && mSession->GetActiveForm() != nullptr;
  if (again)
    mSession->SetSkipExecuteForm(true);
  else if (mSession->GetActiveForm() != nullptr)
    BackButtonResync();
  else
    ShowMainForm();
  if (mSession->Terminated() && mSession->SendRenderOverride(*mReply)) return;
  CheckAuth();
  StartPost();
  mSession->ProcessForm(*mReply, *mParams);
  // The last form released ends the session; the browser still gets a page.
  if (mSession->Terminated() && mReply->DataType() == rtNone) mReply->WriteString(TerminatedPage(""));
}

void TKXServerSession::ShowMainForm() {
  TComponent* form = nullptr;
  if (gSC->OnGetMainForm) {
    TKXAppForm* mainForm = nullptr;
    gSC->DoGetMainForm(mainForm);
    if (mainForm != nullptr && gAppFormComponent != nullptr) form = gAppFormComponent(mainForm);
  }
  if (form == nullptr) {
    if (gMainFormClass != nullptr && gMainFormClass->Create != nullptr) {
      form = gMainFormClass->Create(mSession);
    } else {
      ResetReply();
      mReply->SetCode(404);
    }
  }
  IKXForm* shown = Supports<IKXForm>(form);
  if (shown == nullptr) throw Exception("Application main form is not defined");
  shown->ForceAlign();
  shown->Show();
}

void TKXServerSession::BackButtonResync() {
  TKXApplication* session = mSession;
  TComponent* active = session->GetActiveForm();
  if (active == nullptr) return;
  const std::string formName = mRequest->GetContentFieldValue("KX_FormName");
  const std::uint64_t track = FromBase36(mRequest->QueryFields().Values("KX_TrackID_"));
  const std::int32_t submitted = track > std::uint64_t(INT32_MAX) ? -1 : std::int32_t(track);
  const bool otherForm = !formName.empty() && !SameText(formName, active->Name());
  if (!((submitted != 0 && submitted != session->TrackID()) || otherForm)) return;

  TKXResyncInfo info;
  info.CurrentTrackId = session->TrackID();
  info.SubmittedTrackId = submitted;
  info.FormName = formName;
  info.FormClassName = mRequest->GetContentFieldValue("KX_FormClass");
  gSC->DoBackButton(info);
  if (info.Handled) return;
  if (otherForm && info.SetActiveForm) {
    if (IKXForm* named = Supports<IKXForm>(session->FindFormByName(formName))) {
      named->Show();
    } else if (info.RecreateActiveForm && !info.FormClassName.empty() && gFindAppFormClass != nullptr) {
      const TComponentClass* formClass = gFindAppFormClass(info.FormClassName);
      if (formClass != nullptr && formClass->Create != nullptr) {
        if (IKXForm* created = Supports<IKXForm>(formClass->Create(session))) {
          created->Show();
          if (session->IsCallBack()) created->ResyncEvents();
        }
      }
    }
  }
  if (!info.ExecuteForm) session->SetSkipExecuteForm(false);
}

// A session without a form yet (just started) or without a page drawn has no controls to move: its answer is the
// same page without positions, as a callback without a form is answered with an empty response.
void TKXServerSession::Resize() {
  std::string positions;
  if (IKXHTMLForm* form = Supports<IKXHTMLForm>(mSession->GetActiveForm())) {
    const int width = WindowSideParam("KX_width", form->Width());
    const int height = WindowSideParam("KX_height", form->Height());
    form->SetBounds(0, 0, width, height);
    form->SetDoRefreshControl(false);
    mSession->SetFormWidth(width);
    mSession->SetFormHeight(height);
    if (mTrackID > 1) positions = form->GenerateControlPositions();
  }
  mReply->WriteString(FillPageTemplate("KX_TPL_RESIZE",
                                       {{"HEAD", FillPageTemplate("KX_TPL_PAGEHEAD")}, {"POSITIONS", positions}}));
}

void TKXServerSession::Upload() {
  std::string error;
  bool reported = false;
  if (mSession->GetActiveForm() != nullptr) {
    mSession->OnExecuteFormError = [&](TObject*, const std::exception& e, bool& handled) {
      if (!reported) error = e.what();
      reported = true;
      handled = true;
    };
    try {
      mSession->ExecuteActiveForm(*mParams);
    } catch (...) {
      mSession->OnExecuteFormError = nullptr;
      throw;
    }
    mSession->OnExecuteFormError = nullptr;
  }
  if (!reported && !AllUploadsTaken(mRequest->Files())) {
    error = "No control on this page takes the upload.";
    reported = true;
  }
  mReply->WriteString(reported ? UploadErrorJson(error) : std::string("{\"success\":true}"));
}

void TKXServerSession::CheckAuth() {
  if (!gSC->AuthActive() || mAuthenticated) return;
  TKXAutherBase* auther = gSC->Auther();
  if (!mUsername.empty()) {
    mAuthenticated = auther->Check(mUsername, mPassword);
    if (mSession != nullptr) mSession->SetUserNameAndPassword(mUsername, mPassword);
    auther->DoOnAuthenticate(mAuthenticated);
  }
  if (mAuthenticated) return;
  if (mSession != nullptr) {
    std::string realm;
    if (IKXForm* form = Supports<IKXForm>(mSession->GetActiveForm()))
      mRequestAuth = form->RequestAuth(*mRequest, realm);
    else if (mContentHandler != nullptr)
      mRequestAuth = mContentHandler->RequestAuth(*mRequest, realm);
  }
  if (mRequestAuth) AuthFailed();
}

void TKXServerSession::SetSessionCookie() {
  TKXSessionCookieOptions* options = gSC->CookieOptions();
  if (!options->UseCookies() || mSession == nullptr || mReply->Code() == 404 || mReply->Code() == 302) return;
  if (mSession->Terminated()) {
    RemoveSessionCookie();
    return;
  }
  TDateTime expires = 0;
  const std::int32_t timeout = mSession->SessionTimeOut();
  if (!options->SessionCookies() && timeout > 0) expires = Now() + timeout / 1440.0 + 1.0;
  // Lax: a page of another site gets no cookie sent with the requests it makes, only with a link followed.
  mReply->Cookies()
      .AddCookie(mCookieName, mSession->AppID() + "_" + mSession->TrackID36(), mCookiePath, expires,
                 options->HttpOnly(), options->Secure())
      ->SetSameSite("Lax");
}

int TKXServerSession::WindowSideParam(const std::string& name, int defaultValue) const {
  return mParams == nullptr ? defaultValue : PostedWindowSide(mParams->Values(name), defaultValue);
}

// ---------------------------------------------------------------------------

void RegisterSessionLayer() {
  if (gSessions == nullptr) gSessions = new TKXSessions();
  gServerFactory = [](void* buffer, std::int32_t bufferSize) -> std::unique_ptr<TKXServer> {
    return std::make_unique<TKXServerSession>(buffer, bufferSize);
  };
  gDescribeSession = &DescribeSession;
}

}  // namespace kx
