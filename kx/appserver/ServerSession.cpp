#include "kx/appserver/ServerSession.h"

#include <climits>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/MimeTypes.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/SessionOutput.h"
#include "kx/appserver/Sessions.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/Markup.h"
#include "kx/foundation/Paths.h"
#include "kx/foundation/TextUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* kCRLF = "\r\n";
constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

// The head every page of the start sequence begins with, up to "<title></title>".
std::string PageHead() {
  std::string text;
  for (const char* line : {"<!DOCTYPE html>", "<html lang=\"en\">", "<head>", "<meta charset=\"utf-8\">",
                           "<title></title>"}) {
    text += line;
    text += kCRLF;
  }
  return text;
}

// getWH(): the inner size of the window, else of the document element, else of the body.
constexpr const char* kGetWH =
    "function getWH() {\r\n"
    "  var w = 0, h = 0;\r\n"
    "  if (typeof(window.innerWidth) == \"number\") {\r\n"
    "    w = window.innerWidth; h = window.innerHeight;\r\n"
    "  } else if (document.documentElement && (document.documentElement.clientWidth || "
    "document.documentElement.clientHeight)) {\r\n"
    "    w = document.documentElement.clientWidth; h = document.documentElement.clientHeight;\r\n"
    "  } else if (document.body && (document.body.clientWidth || document.body.clientHeight)) {\r\n"
    "    w = document.body.clientWidth; h = document.body.clientHeight;\r\n"
    "  }\r\n"
    "  return [w, h];\r\n"
    "}\r\n";

// The rest of the start page's script up to the line that adds the session.
// The time stamp joins a URL that carries run parameters with "&", not a second "?".
constexpr const char* kStartScript =
    "function docReplace(res) {\r\n"
    "  document.open(\"text/html\", \"replace\");\r\n"
    "  document.write(res);\r\n"
    "  document.close();\r\n"
    "}\r\n"
    "function ajaxGetCallback(res, code) {\r\n"
    "  if (code == 200 && res.charAt(0) != \"<\") {\r\n"
    "    window.location.replace(res);\r\n"
    "  } else {\r\n"
    "    docReplace(res);\r\n"
    "  }\r\n"
    "}\r\n"
    "function ajaxGet(url, params, callback) {\r\n"
    "  var x = new XMLHttpRequest();\r\n"
    "  var u = url + (url.indexOf(\"?\") < 0 ? \"?\" : \"&\") + \"KX_AjaxID=\" + new Date().getTime();\r\n"
    "  if (params) u += \"&\" + params;\r\n"
    "  x.open(\"GET\", u, false);\r\n"
    "  x.send(null);\r\n"
    "  callback(x.responseText, x.status);\r\n"
    "}\r\n"
    "function get(url) {\r\n"
    "  var wh = getWH();\r\n"
    "  var p = \"KX_width=\" + wh[0] + \"&KX_height=\" + wh[1];\r\n";

constexpr const char* kKXTop =
    "function KXTop() {\r\n"
    "  var w = window;\r\n"
    "  try {\r\n"
    "    while (w.parent && w.parent != w) {\r\n"
    "      var d = w.parent.document;\r\n"
    "      if (!d) break;\r\n"
    "      w = w.parent;\r\n"
    "    }\r\n"
    "  } catch (e) {\r\n"
    "  }\r\n"
    "  return w;\r\n"
    "}\r\n";

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

thread_local TKXApplication* tCurrentApplication = nullptr;

}  // namespace

// ---------------------------------------------------------------------------

TKXServerSession::TKXServerSession(void* buffer, std::int32_t bufferSize) : TKXServer(buffer, bufferSize) {}

TKXServerSession::~TKXServerSession() { ReleaseSession(); }

// ---------------------------------------------------------------------------
// The session and track ids of the request

std::string TKXServerSession::GetSessionId(const std::string& path) {
  mTrackID = -1;
  std::string raw;
  if (SameText(path, "/$/call")) {
    raw = mRequest->Query();
  } else if (gSC->CookieOptions()->UseCookies()) {
    raw = mRequest->GetCookieValue(mCookieName);
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

void TKXServerSession::ExecuteSession(const std::string& urlPath) {
  try {
    mAuthenticated = false;
    mRequestAuth = true;
    mContentHandler = nullptr;
    mRestart = false;
    mUnlockOnly = false;
    const std::string id = GetSessionId(urlPath);

    if (id.empty()) {
      if (EndsText("/$/callback", urlPath)) throw EKXNoSessionId("Session was terminated.");
      if (EndsText("/$/StartCheck", urlPath)) throw EKXNoSessionId("/$/StartCheck requires a session Id.");
    }
    if (SameText(urlPath, "/$/Start") || SameText(urlPath, "/$/Start/")) {
      StartNew(id);
      return;
    }
    SetUrlPaths(urlPath, id);
    if (!id.empty()) SetSessionBaseURL(id);

    if (EndsText("/$/QueryStatus", mUrlPath)) {
      TKXSessions* store = SessionStore();
      std::int32_t status = id.empty() || store == nullptr ? -1 : store->QueryStatus(id);
      mReply->WriteString(std::string(kXmlDeclaration) + "<status>" + IntToStr(status) + "</status>");
      return;
    }
    if (EndsText("/$/KeepAlive", mUrlPath)) {
      if (!id.empty())
        if (TKXSessions* store = SessionStore()) store->MarkAccess(id);
      mReply->WriteString(std::string(kXmlDeclaration) + "<response>OK</response>");
      return;
    }

    mContentHandler = gFindContentHandler != nullptr ? gFindContentHandler(mUrlPath) : nullptr;
    if (id.empty() && mContentHandler == nullptr && TKXMimeTypes::IsStaticFile(mUrlPath)) {
      Send404();
      return;
    }

    const bool isNew = LookupOrCreate(id);
    TKXApplication* session = mSession;

    if (isNew) {
      SetSessionBaseURL(session->AppID());
      if (StartHandler()) {
        Finish();
        return;
      }
    } else {
      session->LogSessionEvent(seRequest);
      if (SameText(mUrlPath, "/$/Stop/")) {
        Stop();
      } else if (SameText(mUrlPath, "/$/StartCheck")) {
        StartCheck();
        Finish();
        return;
      }
    }
    if (session->Terminated() && session->SendRenderOverride(*mReply)) {
      Finish();
      return;
    }
    if (isNew) {
      StartPage(SameText(mUrlPath, "/$/callback"));
      Finish();
      return;
    }

    if (!StartsText("/$/", mUrlPath)) {
      ContentPath(mUrlPath);
    } else if (SameText(mUrlPath, "/$/callback")) {
      Callback();
    } else if (mUrlPath == "/$/") {
      FormSubmit();
    } else if (SameText(mUrlPath, "/$/resize")) {
      Resize();
    } else {
      CheckAuth();
      if (StartsText("/$/upload", mUrlPath))
        Upload();
      else if (StartsText("/$/call", mUrlPath))
        FormSubmit();
      else
        ContentPath(mUrlPath.substr(2));
    }
    Finish();
  } catch (const EAbort&) {
    // A 401 or a redirect: no error page follows, so the session is released here.
    ReleaseSession();
    throw;
  }
}

void TKXServerSession::HandleException(const std::exception& e) {
  try {
    if (!(gSC != nullptr && gSC->DoException(mSession, e))) SendException(e);
  } catch (...) {
    ReleaseSession();
    throw;
  }
  ReleaseSession();
}

void TKXServerSession::Finish() {
  if (mSession == nullptr) return;
  if (mSession->Terminated())
    RemoveSessionCookie();
  else
    SetSessionCookie();
  ReleaseSession();
}

void TKXServerSession::ReleaseSession() noexcept {
  TKXApplication* session = mSession;
  if (session == nullptr) return;
  mSession = nullptr;
  try {
    TKXSessions* store = SessionStore();
    if (session->Terminated() && !mUnlockOnly && store != nullptr) {
      SetWebApplication(nullptr);
      store->RemoveAndFree(session);
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
// Finding, creating and checking the session

bool TKXServerSession::LookupOrCreate(const std::string& id) {
  TKXSessions* store = SessionStore();
  EKXException::IfNotAssigned(store, "The session store does not exist.");
  std::string savedRunParams;
  if (!id.empty()) {
    bool expired = false;
    mSession = store->LookupAndLock(id, expired, 0);
    if (mSession == nullptr && !(mContentHandler != nullptr && mContentHandler->CanStartSession())) {
      if (gSC->RestartExpiredSession()) {
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
    if (gSC->AuthBeforeNewSession()) CheckAuth();
    mSession = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(mRequest->UserAgent()),
                                                  mRequest.get(), mReply.get(), mClientIP, mUsername, mPassword,
                                                  mRequest->ScriptName());
    try {
      if (mRestart) mSession->RunParams().SetRawString(savedRunParams);
      mSession->SetNewSessionTimeout();
      mTrackID = mSession->TrackID();
      SetWebApplication(mSession);
      gSC->DoNewSession(mSession);
      if (mRestart) gSC->DoSessionRestarted(mSession);
    } catch (...) {
      mUnlockOnly = true;
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
      mUnlockOnly = true;
      throw;
    }
  }
  if (mAuthenticated) mSession->SetUserNameAndPassword(mUsername, mPassword);
  mSession->Initialize(mRequest.get(), mReply.get());
  return isNew;
}

void TKXServerSession::SecurityCheck() {
  TKXSecurityOptions* options = gSC->SecurityOptions();
  if (options->CheckSameIP() && mClientIP != mSession->IP())
    throw EKXSecurityException("The IP you are using is different than the one that initiated the session.");
  if (options->CheckSameUA() &&
      (mSession->Browser() == nullptr || mRequest->UserAgent() != mSession->Browser()->UserAgent()))
    throw EKXSecurityException("The browser you are using is different than the one that initiated the session.");
}

std::string TKXServerSession::RunParamsText(bool always) {
  if (!always && !gSC->ShowStartParams()) return std::string();
  if (mSession != nullptr) return mSession->RunParams().GetRawString();
  TKXParamsString params;
  if (mParams != nullptr) params.AddStrings(*mParams);
  return params.GetRawString();
}

// ---------------------------------------------------------------------------
// Starting sessions

void TKXServerSession::StartNew(const std::string& id) {
  if (!id.empty()) {
    RemoveSessionCookie();
    if (TKXSessions* store = SessionStore()) store->Terminate(id);
  }
  mReply->WriteString(StartPageText(mBaseURL + RunParamsText(true), nullptr));
}

std::string TKXServerSession::StartPageText(const std::string& url, const TKXApplication* session) const {
  std::string page = PageHead();
  page += "<script type=\"text/javascript\">";
  page += kCRLF;
  page += kGetWH;
  page += kStartScript;
  if (session != nullptr) {
    page += "  p += \"&KX_SessionID_=" + session->AppID() + "&KX_TrackID_=" + session->TrackID36() + "\";";
    page += kCRLF;
  }
  for (std::string line : {std::string("  ajaxGet(url, p, function(t, s){ajaxGetCallback(t, s);});"),
                           std::string("}"), std::string("</script>"), std::string("</head>"), std::string("<body>"),
                           std::string("<script type=\"text/javascript\">"),
                           // After the load: while the page is still parsed, document.open() is ignored and an
                           // answer that is a whole page would be written into this one.
                           " window.addEventListener(\"load\", function() { setTimeout(function() { get(\"" +
                               ScriptStringLiteral(url) + "\"); }, 0); });",
                           std::string("</script>"),
                           std::string("</form>"), std::string("</body>")}) {
    page += line;
    page += kCRLF;
  }
  page += "</html>";
  return page;
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

void TKXServerSession::StartCheck() {
  int width = IntParam("KX_width", -1);
  int height = IntParam("KX_height", -1);
  if (width > -1) mSession->SetFormWidth(width);
  if (height > -1) mSession->SetFormHeight(height);
  std::string page = PageHead();
  page += "<script type=\"text/javascript\">";
  page += kCRLF;
  page += kGetWH;
  page +=
      "function init() {\r\n"
      "  var wh = getWH();\r\n"
      "  var f = document.forms[0];\r\n"
      "  f.elements[\"KX_width\"].value = wh[0];\r\n"
      "  f.elements[\"KX_height\"].value = wh[1];\r\n"
      "  f.submit();\r\n";
  for (std::string line :
       {std::string("}"), std::string("</script>"), std::string("</head>"), std::string("<body>"),
        "<form method=post action=\"" + EscapeAttributeQuotes(mBaseURL + RunParamsText(false)) + "\">",
        std::string("<input type=hidden name=\"KX_width\">"), std::string("<input type=hidden name=\"KX_height\">"),
        "<input type=hidden name=\"KX_SessionID_\" value=\"" + mSession->AppID() + "\">",
        "<input type=hidden name=\"KX_TrackID_\" value=\"" + mSession->TrackID36() + "\">",
        std::string("<script type=\"text/javascript\">"), std::string("init();"), std::string("</script>"),
        std::string("</form>"), std::string("</body>")}) {
    page += line;
    page += kCRLF;
  }
  page += "</html>";
  mReply->WriteString(page);
}

// ---------------------------------------------------------------------------
// The session paths

void TKXServerSession::Stop() {
  std::string url = mParams != nullptr ? mParams->Values("url") : std::string();
  if (url.empty()) return;
  if (StartsText("_s_.", url) && url.size() > 5)
    url = "https://" + url.substr(4);
  else
    url = "http://" + url;
  mSession->TerminateAndRedirect(url);
}

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
  session->ExecuteActiveForm(*mParams);
  IKXCallBackResponse* response = session->CallBackResponse();
  TComponent* now = session->GetActiveForm();
  if (now != nullptr && now->Name() != name) {
    if (response != nullptr)
      response->AddJavaScriptToExecute(
          "var w=topmost(), d=w.document, p=w.location.protocol + \"//\" + w.location.host + \"" +
          ScriptStringLiteral(session->SessionInternalUrlBase()) +
          "\";\r\nw.GSubmitting = false;\r\nw.ValidClick = true;\r\nd.SubmitForm.action=p;\r\nd.SubmitForm.submit();\r\n");
  } else {
    session->GenerateActiveForm(*mReply);
    if (response != nullptr) response->SetSubmitURL(session->GetExecAction());
  }
  StreamCallBackResponse();
}

void TKXServerSession::StreamCallBackResponse() {
  IKXCallBackResponse* response = mSession->CallBackResponse();
  if (response == nullptr || mReply->SendingFile()) return;
  auto stream = std::make_unique<TKXRenderStream>(true, false);
  response->StreamResponse(*stream);
  mReply->SendRenderStream(std::move(stream));
}

void TKXServerSession::FormSubmit() {
  if (mSession->GetActiveForm() != nullptr)
    BackButtonResync();
  else
    ShowMainForm();
  if (mSession->Terminated() && mSession->SendRenderOverride(*mReply)) return;
  CheckAuth();
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

void TKXServerSession::Resize() {
  IKXHTMLForm* form = Supports<IKXHTMLForm>(mSession->GetActiveForm());
  if (form == nullptr) return;
  const int width = IntParam("KX_width", form->Width());
  const int height = IntParam("KX_height", form->Height());
  form->SetBounds(0, 0, width, height);
  form->SetDoRefreshControl(false);
  mSession->SetFormWidth(width);
  mSession->SetFormHeight(height);
  if (mTrackID <= 1) return;
  std::string page = PageHead();
  page += "<script type=\"text/javascript\">";
  page += kCRLF;
  page += kKXTop;
  page += form->GenerateControlPositions();
  page += kCRLF;
  page += "KXTop().GSubmitting=false;";
  page += kCRLF;
  page += "</script></head></html>";
  mReply->WriteString(page);
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
  mReply->WriteString(reported ? "{\"error\":\"" + JsonMessage(error) + "\"}" : std::string("{\"success\":true}"));
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
  mReply->Cookies().AddCookie(mCookieName, mSession->AppID() + "_" + mSession->TrackID36(), mCookiePath, expires,
                              options->HttpOnly(), options->Secure());
}

int TKXServerSession::IntParam(const std::string& name, int defaultValue) const {
  int value = defaultValue;
  if (mParams == nullptr || !TryStrToInt(mParams->Values(name), value)) return defaultValue;
  return value;
}

// ---------------------------------------------------------------------------

void RegisterSessionLayer() {
  if (gSessions == nullptr) gSessions = new TKXSessions();
  gServerFactory = [](void* buffer, std::int32_t bufferSize) -> std::unique_ptr<TKXServer> {
    return std::make_unique<TKXServerSession>(buffer, bufferSize);
  };
  gDescribeSession = &DescribeSession;
  if (gGetWebApplicationThreadVar == nullptr && gSetWebApplicationThreadVar == nullptr) {
    gGetWebApplicationThreadVar = []() -> TKXApplication* { return tCurrentApplication; };
    gSetWebApplicationThreadVar = [](TKXApplication* application) { tCurrentApplication = application; };
  }
}

}  // namespace kx
