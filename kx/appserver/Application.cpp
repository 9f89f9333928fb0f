#include "kx/appserver/Application.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "kx/appserver/ClientOrigin.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/MimeTypes.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/SessionStore.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/Paths.h"
#include "kx/platform/SysUtils.h"

namespace kx {

int PostedWindowSide(std::string_view text, int current) {
  constexpr int kMaxWindowSide = 100000;
  int value = 0;
  if (!TryStrToInt(text, value) || value < 0 || value > kMaxWindowSide) return current;
  return value;
}

namespace {

// A run parameter's name or value inside URL text: the characters that would
// split it ("&", "=", "?", "#", "%", "+" and blanks among them) are percent-encoded.
std::string EncodeParamPart(std::string_view text) { return TURL::Encode(text, "\"#%*+,;<>[\\]^`{|}/&=?"); }

std::string DecodeParamPart(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto hex = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (text[i] == '%' && i + 2 < text.size() + 0 && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      result += char(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      result += text[i];
    }
  }
  return result;
}

}  // namespace

std::string ScriptStringLiteral(std::string_view text) { return ScriptStringText(text); }

namespace {

std::string IncludeSlash(std::string text) {
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

}  // namespace

IKXCacheOwner* CurrentCacheOwner() { return GetWebApplication(); }

bool IsValidSessionID(std::string_view id) {
  return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
    return kEncode64Alphabet.find(c) != std::string_view::npos;
  });
}

// ---------------------------------------------------------------------------
// TKXParamsString

TKXParamsString::TKXParamsString() {
  SetNameValueSeparator('=');
  SetDelimiter('&');
  SetStrictDelimiter(true);
  SetCaseSensitive(false);
}

std::string TKXParamsString::GetRawString() const {
  std::string result;
  for (int i = 0; i < Count(); ++i) {
    const std::string& line = Strings(i);
    if (!result.empty()) result += '&';
    std::size_t separator = line.find('=');
    if (separator == std::string::npos) {
      result += EncodeParamPart(line);
    } else {
      result += EncodeParamPart(std::string_view(line).substr(0, separator));
      result += '=';
      result += EncodeParamPart(std::string_view(line).substr(separator + 1));
    }
  }
  if (!result.empty()) result.insert(0, 1, '?');
  return result;
}

void TKXParamsString::SetRawString(std::string_view text) {
  Clear();
  std::string trimmed = Trim(std::string(text));
  std::string_view rest(trimmed);
  if (!rest.empty() && rest.front() == '?') rest.remove_prefix(1);
  while (!rest.empty()) {
    std::size_t end = rest.find('&');
    std::string_view item = rest.substr(0, end);
    if (!item.empty()) {
      std::size_t separator = item.find('=');
      if (separator == std::string_view::npos)
        Add(DecodeParamPart(item));
      else
        Add(DecodeParamPart(item.substr(0, separator)) + "=" + DecodeParamPart(item.substr(separator + 1)));
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

void TKXParamsString::SetFromQuery(std::string_view query) {
  std::string text(query);
  for (std::size_t plus = text.find('+'); plus != std::string::npos; plus = text.find('+', plus))
    text.replace(plus, 1, "%20");
  TKXParamsString fields;
  fields.SetRawString(text);
  AddStrings(fields);
}

void TKXParamsString::AddStrings(const TStrings& strings) {
  BeginUpdate();
  try {
    Clear();
    for (int i = 0; i < strings.Count(); ++i) {
      std::string line = strings.Strings(i);
      if (StartsText("KX_", line)) continue;
      int position = 0;
      bool valid = ParamIsValid(line, position);
      if (gSC != nullptr && gSC->OnParseParameter) gSC->OnParseParameter(line, valid, position);
      if (valid && !line.empty()) AddObject(line, strings.Objects(i));
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// ---------------------------------------------------------------------------
// TKXApplication: creation and destruction

TKXApplication::TKXApplication(std::unique_ptr<TBrowser> browser, THttpRequest* request, THttpReply* reply,
                               std::string clientIP, std::string user, std::string password,
                               std::string scriptName)
    : mBrowser(std::move(browser)),
      FIP(std::move(clientIP)),
      FResponse(reply),
      FRequest(request),
      mScriptName(std::move(scriptName)) {
  FAuthPassword = password;
  FAuthUser = user;
}

void TKXApplication::AfterConstruction() {
  TComponent::AfterConstruction();
  FTrackID = 1;
  mStatus.SetValue(0);
  mCreationTime = Now();
  mCreationTick = gSessionClock();
  if (gCreateCallBacks != nullptr) FCallbacks = gCreateCallBacks(*this);
  if (gCreateCallBackResponse != nullptr) FCallBackResponse = gCreateCallBackResponse(*this);

  InitApplication();

  if (!mTerminated) {
    FFormHeight = -1;
    FFormWidth = -1;
    if (gSC != nullptr) {
      FMasterTemplate = gSC->MasterTemplate();
      FSessionTimeOut.store(gSC->SessionTimeout());
    }
    FSessionTimeStamp = Now();
    if (gSC != nullptr) gSC->DoGetSessionID(this, FAppID);
    // An id from the author reaches cookies, URLs and a folder name.
    EKXException::IfTrue(!FAppID.empty() && !IsValidSessionID(FAppID),
                         "Invalid session ID. A session ID may hold only letters, digits, \"~\" and \"-\".");
  }

  IKXSessionStore* store = gSessions;
  EKXException::IfNotAssigned(store, "The session store does not exist.");
  store->RegisterSession(this, FAppID);
  // From here on the session is in the store: a failure takes it out again
  // before the component is freed.
  try {
    mRegistered = true;
    store->SessionCreated(this);

    const bool multiple = gSC != nullptr && gSC->AllowMultipleSessionsPerUser();
    mSessionInternalUrlBase = multiple ? mAppUrlBase + FAppID + "/$/" : mInternalUrlBase;
    mSessionUrlBase = TURL::RemoveExec(mSessionInternalUrlBase, true);
    FTaggedSessionName = FAppID;

    if (gSC != nullptr && !gSC->CacheDir().empty()) {
      mUserCacheDir = IncludeSlash(gSC->CacheDir()) + "user/" + FAppID + "/";
      mUserCacheUrlBase = mInternalUrlBase + gSC->AppName() + "/" + FAppID + "/";
    }
    LogSessionEvent(seCreate);
  } catch (...) {
    store->UnregisterSession(this);
    Unlock();
    throw;
  }
}

void TKXApplication::InitApplication() {
  mAppUrlBase = mScriptName;
  if (gSC != nullptr && !gSC->URLBase().empty()) mAppUrlBase = gSC->URLBase();
  mAppUrlBase = IncludeSlash(mAppUrlBase);
  mInternalUrlBase = mAppUrlBase + "$/";
  if (gSC != nullptr) {
    Initialize(FRequest, FResponse);
    gSC->DoBrowserCheck(this, mBrowser);
  }
  if (mBrowser == nullptr || !mBrowser->IsSupported()) {
    std::string agent = mBrowser != nullptr ? mBrowser->UserAgent()
                                            : (FRequest != nullptr ? FRequest->UserAgent() : std::string());
    throw EUnknownBrowserException(Format("Unknown browser type. User Agent string: %s", agent));
  }
  if (!mTerminated) {
    MarkAccess();
    if (FRequest != nullptr) {
      FReferringURL = FRequest->Referer();
      FRunParams.SetFromQuery(FRequest->Query());
    }
  }
}

void TKXApplication::Dispose() {
  // Every step runs even when an earlier one raised; the first exception is
  // raised again at the end (Free completes all the same).
  std::exception_ptr first;
  auto step = [&first](auto&& action) {
    try {
      action();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  };
  FRequest = nullptr;
  FResponse = nullptr;
  if (mRegistered) {
    step([&] { LogSessionEvent(seDestroy); });
    step([&] {
      if (gSC != nullptr && !FAppID.empty()) gSC->DoCloseSession(this);
    });
    step([&] {
      if (IKXSessionStore* store = gSessions) store->SessionDestroyed(this);
    });
  }
  step([&] { FData.reset(); });
  TComponent::Dispose();
  if (first) std::rethrow_exception(first);
}

TKXApplication::~TKXApplication() {
  // The session's cache files, then its cache folder (whose name holds only id characters).
  try {
    TKXAppCache::ClearCache(mCacheFiles);
  } catch (...) {
  }
  std::error_code error;
  if (mUserCacheDirMade) std::filesystem::remove_all(mUserCacheDir, error);
}

// Made on demand: a folder per session costs an inode and a directory walk at its end, and few sessions use one.
const std::string& TKXApplication::ForceUserCacheDir() {
  EKXException::IfTrue(mUserCacheDir.empty(), "Cache folder is not defined.");
  if (!mUserCacheDirMade) {
    std::error_code error;
    std::filesystem::create_directories(mUserCacheDir, error);
    if (error) throw EKXException("Unable to create cache directory \"" + mUserCacheDir + "\".");
    mUserCacheDirMade = true;
  }
  return mUserCacheDir;
}

void TKXApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  const bool isForm = Supports<IKXForm>(component) != nullptr;
  if (!isForm && dynamic_cast<TDataModule*>(component) == nullptr) return;
  if (operation == opInsert) {
    if (std::find(FForms.begin(), FForms.end(), component) == FForms.end()) FForms.push_back(component);
    if (isForm) FLastForm = component;
  } else {
    std::erase(FForms, component);
    if (FLastForm == component) FLastForm = nullptr;
    // A freed form must not stay on the stack or in the release list.
    std::erase(FActiveForms, component);
    std::erase(FReleasedForms, component);
  }
}

// ---------------------------------------------------------------------------
// Identity, times and the current request

std::string TKXApplication::TrackID36() const { return ToBase36(static_cast<std::uint32_t>(FTrackID), 1); }

void TKXApplication::SetNewSessionTimeout() {
  FSessionTimeOut.store(1);
  mAwaitingSecondRequest = true;
}

void TKXApplication::ApplyConfiguredTimeout() {
  if (!mAwaitingSecondRequest) return;
  mAwaitingSecondRequest = false;
  if (gSC != nullptr) FSessionTimeOut.store(gSC->SessionTimeout());
}

void TKXApplication::MarkAccess() {
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(gSessionClock() - mCreationTick);
  mLastAccess.store(elapsed.count());
}

TDateTime TKXApplication::GetLastAccess() const { return mCreationTime + double(mLastAccess.load()) / 86400000.0; }

bool TKXApplication::IsExpired(Clock::time_point now) const {
  const auto lastAccess = mCreationTick + std::chrono::milliseconds(mLastAccess.load());
  return now - lastAccess >= std::chrono::minutes(FSessionTimeOut.load());
}

void TKXApplication::Initialize(THttpRequest* request, THttpReply* reply) {
  FRequest = request;
  FResponse = reply;
  FIsCallBack = false;
  mSkipExecuteForm = false;
  mSkipGenerateForm = false;
  mIsRedirect = false;
  if (FCallBackResponse != nullptr) FCallBackResponse->Initialize();
}

void TKXApplication::FinishRequest() {
  FRequest = nullptr;
  FResponse = nullptr;
}

void TKXApplication::SetUserNameAndPassword(const std::string& user, const std::string& password) {
  FAuthUser = user;
  FAuthPassword = password;
}

THttpFileList* TKXApplication::GetFileList() const { return FRequest != nullptr ? &FRequest->Files() : nullptr; }

THttpFile* TKXApplication::FindFile(const std::string& name) const {
  return FRequest != nullptr ? FRequest->Files().FindFile(name) : nullptr;
}

bool TKXApplication::GetSecureMode() {
  FSecureMode = IsHTTPS(FRequest);
  return FSecureMode;
}

// ---------------------------------------------------------------------------
// Forms

void TKXApplication::ProcessForm(THttpReply& reply, TStrings& params) {
  ExecuteActiveForm(params);
  if (!reply.SendingFile()) GenerateActiveForm(reply);
}

bool TKXApplication::ExecuteActiveForm(TStrings& params) {
  mSkipGenerateForm = false;
  mIsRedirect = false;
  if (mSkipExecuteForm) return true;

  int index = params.IndexOf(FAppID + IntToStr(FTrackID));
  if (index > 0) params.Delete(index);

  TComponent* active = GetActiveForm();
  try {
    try {
      if (IKXForm* form = Supports<IKXForm>(active)) {
        std::string formName = params.Values("KX_FormName");
        if (!formName.empty() && !SameText(formName, active->Name())) params.Clear();
        form->ExecuteForm(params);
      }
    } catch (...) {
      FreeReleasedForms();
      throw;
    }
    FreeReleasedForms();
  } catch (const EAbort&) {
    // The silent abort ends the execution without a message.
  } catch (const std::exception& e) {
    HandleExecuteFormError(active != nullptr ? static_cast<TObject*>(active) : this, e);
  }

  const bool sendingFile = FResponse != nullptr && FResponse->SendingFile();
  if (!mTerminated && !sendingFile && !mIsRedirect) {
    if (GetActiveForm() == nullptr) {
      Terminate();
    } else {
      ++FTrackID;
      ChangeActiveForm();
    }
  }
  return true;
}

void TKXApplication::FreeReleasedForms() {
  // First to last; a form's Free may release or free others, so re-read each turn.
  while (!FReleasedForms.empty()) {
    TComponent* form = FReleasedForms.front();
    FReleasedForms.erase(FReleasedForms.begin());
    form->Free();
  }
}

void TKXApplication::GenerateActiveForm(THttpReply& reply) {
  if (mSkipGenerateForm || SendRenderOverride(reply)) return;
  IKXForm* form = Supports<IKXForm>(GetActiveForm());
  if (form != nullptr && gSC != nullptr && gSC->OnBeforeRender) {
    TKXForm* newForm = nullptr;
    gSC->OnBeforeRender(this, form->KXForm(), newForm);
    TComponent* component = newForm != nullptr && gFormComponent != nullptr ? gFormComponent(newForm) : nullptr;
    if (IKXForm* other = Supports<IKXForm>(component)) {
      other->Show();
      ChangeActiveForm();
      form = other;
    }
  }
  if (form == nullptr) return;
  if (FIsCallBack) {
    if (FCallBackResponse != nullptr) form->GenerateCallBack(*FCallBackResponse);
  } else {
    auto stream = std::make_unique<TKXRenderStream>(true, false, THttpReply::BodyFlushSize());
    form->GenerateForm(*stream);
    reply.SendRenderStream(std::move(stream));
  }
  if (gSC != nullptr && gSC->OnAfterRender) gSC->OnAfterRender(this, form->KXForm());
}

void TKXApplication::SetActiveForm(TComponent* form) {
  if (form == nullptr) return;
  mSkipGenerateForm = false;
  if (FActiveForms.empty() || FActiveForms.back() != form) {
    FActiveForms.push_back(form);
    ActiveFormListChanged();
  }
  // Only a size the browser reported in full.
  if (FFormWidth >= 0 && FFormHeight >= 0)
    if (IKXHTMLForm* html = Supports<IKXHTMLForm>(form)) html->SetBrowserSize(FFormWidth, FFormHeight);
}

void TKXApplication::RemoveForm(TComponent* form) {
  for (std::size_t i = FActiveForms.size(); i-- > 0;) {
    if (i >= FActiveForms.size() || FActiveForms[i] != form) continue;
    FActiveForms.erase(FActiveForms.begin() + std::ptrdiff_t(i));
    ActiveFormListChanged();
  }
}

TComponent* TKXApplication::GetActiveForm() const { return FActiveForms.empty() ? nullptr : FActiveForms.back(); }

TComponent* TKXApplication::GetActiveFormByIndex(int index) const {
  if (index < 0 || index >= int(FActiveForms.size())) throw EListError(Format("List index out of bounds (%d)", index));
  return FActiveForms[std::size_t(index)];
}

void TKXApplication::ActiveFormListChanged() {
  if (IKXForm* form = Supports<IKXForm>(GetActiveForm())) form->DoShow();
}

void TKXApplication::ChangeActiveForm() {
  FFormAction = GetExecAction();
  IKXForm* form = Supports<IKXForm>(GetActiveForm());
  if (form == nullptr) return;
  switch (form->ConnectionMode()) {
    case cmAny:
      break;
    case cmSecure:
      EKXException::IfFalse(GetSecureMode(), "Secure mode is required for this form.");
      break;
    case cmNonSecure:
      EKXException::IfTrue(GetSecureMode(), "Non-Secure mode is required for this form.");
      break;
    default:
      throw EKXException("Unknown connection mode");
  }
}

void TKXApplication::ReleaseForm(TComponent* form) {
  if (form != nullptr && std::find(FReleasedForms.begin(), FReleasedForms.end(), form) == FReleasedForms.end())
    FReleasedForms.push_back(form);
}

TComponent* TKXApplication::FindFormByName(std::string_view name) const {
  for (TComponent* form : FForms)
    if (SameText(form->Name(), name)) return form;
  return nullptr;
}

TComponent* TKXApplication::FindFormByClassName(std::string_view name) const {
  for (TComponent* form : FForms)
    if (SameText(form->ClassType().Name, name)) return form;
  return nullptr;
}

TComponent* TKXApplication::GetForm(int index) const {
  if (index < 0 || index >= int(FForms.size())) throw EListError(Format("List index out of bounds (%d)", index));
  return FForms[std::size_t(index)];
}

void TKXApplication::AddDataModule(TDataModule* module) {
  if (module == nullptr || dynamic_cast<TKXServerControllerBase*>(module) != nullptr) return;
  if (std::find(FForms.begin(), FForms.end(), module) == FForms.end()) FForms.push_back(module);
}

void TKXApplication::RemoveDataModule(TDataModule* module) {
  if (module == nullptr || dynamic_cast<TKXServerControllerBase*>(module) != nullptr) return;
  std::erase(FForms, static_cast<TComponent*>(module));
}

// ---------------------------------------------------------------------------
// Callbacks and render override

void TKXApplication::RegisterCallBack(const std::string& name, TKXCallBackMethod method) {
  if (FCallbacks != nullptr) FCallbacks->RegisterCallBack(name, std::move(method));
}

void TKXApplication::UnregisterCallBack(const std::string& name) {
  if (FCallbacks != nullptr) FCallbacks->UnregisterCallBack(name);
}

void TKXApplication::PerformCallBack(TComponent* component, const std::string& name) {
  if (FCallbacks == nullptr) return;
  FCallBackProcessing = true;
  try {
    FCallbacks->PerformCallBack(component, name);
  } catch (...) {
    FCallBackProcessing = false;
    throw;
  }
  FCallBackProcessing = false;
}

void TKXApplication::SetRenderOverride(std::unique_ptr<TKXRenderStream> stream) {
  mRenderOverride = std::move(stream);
}

bool TKXApplication::SendRenderOverride(THttpReply& reply) {
  if (mRenderOverride == nullptr) return false;
  reply.SendRenderStream(std::move(mRenderOverride));
  mRenderOverride.reset();
  return true;
}

// ---------------------------------------------------------------------------
// URLs

std::string TKXApplication::GetExecAction() const {
  return FMappedURL.empty() ? mSessionInternalUrlBase : FMappedURL;
}

bool TKXApplication::IsHTTPS(const THttpRequest* request) {
  if (request == nullptr || gSC == nullptr) return false;
  // Behind a trusted proxy, the scheme the client used to reach it.
  if (const TForwardedOrigin origin = ForwardedOrigin(*request, gSC->TrustedProxies()); origin.Known)
    return origin.Secure;
  // Else the connection the request came on, as the host reports it: a port in the Host header is the client's
  // word, and a plain-HTTP client may name the TLS port there.
  return SameText(request->HttpsHeader(), "ON");
}

std::string TKXApplication::GetHost(const THttpRequest& request, bool secure) {
  // Behind a trusted proxy the address is the one the client used, never this instance's own port.
  if (gSC != nullptr)
    if (const TForwardedOrigin origin = ForwardedOrigin(request, gSC->TrustedProxies()); origin.Known)
      return origin.URL(secure);
  if (secure) {
    const std::int32_t port = gSC != nullptr ? gSC->SSLOptions()->Port() : 0;
    std::string result = "https://" + request.Host();
    if (port >= 1 && port != 443) result += ":" + IntToStr(port);
    return result;
  }
  const std::int32_t port = gSC != nullptr ? gSC->Port() : 0;
  std::string result = "http://" + request.Host();
  if (port >= 1 && port != 80) result += ":" + IntToStr(port);
  return result;
}

std::string TKXApplication::FullApplicationURL(const THttpRequest& request) {
  return GetHost(request, IsHTTPS(&request)) + request.ScriptName();
}

std::string TKXApplication::GetApplicationURL() const {
  return FRequest != nullptr ? FullApplicationURL(*FRequest) : std::string();
}

std::string TKXApplication::GetInternalFileURL(const std::string& name) const {
  std::string file = name;
  if (GAppType == atStandAlone && gSC != nullptr && EndsText(".js", file))
    file.insert(file.size() - 3, "__" + gSC->StartUID());
  return TURL::MakeValidFileUrl(mInternalUrlBase, file);
}

std::string TKXApplication::GetExternalFileURL(const std::string& name) const {
  if (name.find("://") != std::string::npos) return name;
  return TURL::MakeValidFileUrl(mAppUrlBase, name);
}

std::string TKXApplication::GetActiveMasterTemplate() const {
  return Supports<IKXHTMLForm>(GetActiveForm()) != nullptr ? FMasterTemplate : std::string();
}

void TKXApplication::RemoveAppIdFromURL(std::string& url) const {
  if (FAppID.empty()) return;
  std::size_t position = url.find(FAppID);
  if (position != std::string::npos && position + FAppID.size() < url.size())
    url.erase(position, FAppID.size() + 1);
}

// ---------------------------------------------------------------------------
// The rest

std::string TKXApplication::GetApplicationPath() {
  if (FApplicationPath.empty()) FApplicationPath = gGetAppPath != nullptr ? gGetAppPath() : gsAppPath();
  return FApplicationPath;
}

void TKXApplication::LogSessionEvent(TSessionEvent event) {
  if (gSC != nullptr && gSC->LogSessionEvents() && !GetDesignMode() && gLogSessionEvent != nullptr)
    gLogSessionEvent(*this, event);
}

void TKXApplication::HandleExecuteFormError(TObject* sender, const std::exception& error) {
  bool handled = false;
  if (OnExecuteFormError) OnExecuteFormError(sender, error, handled);
  if (handled) return;
  if (gSC != nullptr && gSC->DoException(this, error)) return;
  ShowMessage(error.what(), gSC != nullptr ? gSC->ExceptionDisplayMode() : smAlert, "KXException.html");
}

// ---------------------------------------------------------------------------
// The output operations that dispatch and error display need

namespace {

// Whether url leads to the start or stop address of an application on origin (a path, or an absolute URL of that
// origin): those end the session they name. A browser reads a backslash as a slash in an http address, so an
// address whose first two characters are each a slash or a backslash names another host.
bool IsOwnStartOrStop(std::string url, const std::string& origin) {
  const auto isSlash = [](char c) { return c == '/' || c == '\\'; };
  if (!origin.empty() && StartsText(origin + "/", url)) {
    url.erase(0, origin.size());
  } else if (url.find(':') < url.find_first_of("/?#") || (url.size() >= 2 && isSlash(url[0]) && isSlash(url[1]))) {
    return false;  // another origin, or a scheme of its own
  }
  const std::string path = url.substr(0, url.find_first_of("?#"));
  return EndsText("/$/Start", path) || EndsText("/$/Start/", path) || EndsText("/$/Stop/", path);
}

// A relative address with every backslash of its path a slash, as a browser reads it in an http page. Joined as
// written, "\host/x" (this host's "/host/x") became "/\host/x" under the base "/": another host's address.
std::string WithBrowsersSlashes(std::string url) {
  const std::size_t pathEnd = std::min(url.find_first_of("?#"), url.size());
  std::replace(url.begin(), url.begin() + std::ptrdiff_t(pathEnd), '\\', '/');
  return url;
}

}  // namespace

void TKXApplication::GoToURL(const std::string& url, bool replace, bool resolve) {
  std::string target = TURL::BrowserReading(url);
  if (resolve && !TURL::IsAbsolute(target) && target.find("/$/") == std::string::npos) {
    target = WithBrowsersSlashes(target);
    target = TURL::Concat(TKXMimeTypes::IsStaticFile(target) ? mAppUrlBase : mSessionUrlBase, target);
  }
  // The session's own start or stop acts only for a request that names the session (or says it comes from its
  // origin): the address names it, as the stop links do.
  const std::string origin = FRequest != nullptr && gSC != nullptr ? RequestOrigin(*FRequest, gSC->TrustedProxies())
                                                                    : std::string();
  if (!FAppID.empty() && IsOwnStartOrStop(target, origin)) {
    const std::size_t fragment = std::min(target.find('#'), target.size());
    const bool hasQuery = target.find('?') < fragment;
    target.insert(fragment, std::string(hasQuery ? "&" : "?") + "KX_SessionID_=" + FAppID);
  }
  if (FIsCallBack) {
    if (FCallBackResponse != nullptr) FCallBackResponse->AddJavaScriptToExecute(JsRedirect(target, replace));
  } else {
    auto stream = std::make_unique<TKXRenderStream>(true, false, THttpReply::BodyFlushSize());
    stream->Write(HtmlRedirect(target, replace));
    SetRenderOverride(std::move(stream));
  }
  mIsRedirect = true;
}

void TKXApplication::Terminate() { mTerminated = true; }

void TKXApplication::TerminateAndRedirect(const std::string& url, bool resolve) {
  Terminate();
  GoToURL(url, true, resolve);
}

void TKXApplication::ShowMessage(const std::string& message, TKXShowMessageType kind,
                                 const std::string& templateName) {
  TComponent* active = GetActiveForm();
  IKXHTMLForm* page = Supports<IKXHTMLForm>(active);
  if (page == nullptr) kind = smSameWindow;
  switch (kind) {
    case smAlert:
      page->AddToInitProc("window.alert(\"" + ScriptStringLiteral(message) + "\");\r\n");
      return;
    case smNewWindow: {
      std::string text = TextToHTMLStringLiteral(message);
      std::string html = RemoveCRLF(Format(
          "<html>\r\n<head>\r\n<meta charset=\"utf-8\"><TITLE>%s</TITLE></HEAD><BODY><CENTER>%s</CENTER>"
          "<FORM onSubmit=\"window.close();\"><CENTER><INPUT TYPE=\"button\" NAME=\"butnClose\" VALUE=\"Ok\" "
          "onClick=\"window.close()\"></CENTER></FORM></BODY></HTML>",
          std::string("Message Dialog"), text));
      // The page sits in a single-quoted script string.
      std::string quoted;
      for (char c : html) {
        if (c == '\\' || c == '\'') quoted += '\\';
        quoted += c;
      }
      page->AddToInitProcNewWindowCode(Format(
          "var mWnd=window.open(\"\",\"ShowMessage\",\"menubar=no,scrollbars=yes,status=no,width=300,"
          "height=300,toolbar=no,location=no,resizable=no,directories=no\");\r\nvar d = mWnd.document;\r\n"
          "d.open(\"text/html\", \"replace\");\r\nd.write('%s');\r\nd.close();",
          quoted));
      return;
    }
    case smSameWindow:
    case smSameWindowFrame: {
      IKXForm* form = Supports<IKXForm>(active);
      const TComponentClass* messageClass = form != nullptr ? form->MessageForm() : nullptr;
      if (messageClass == nullptr || messageClass->Create == nullptr) return;
      TComponent* messageForm = messageClass->Create(this);
      if (IKXMessageForm* shown = Supports<IKXMessageForm>(messageForm))
        shown->InitializeAndShow(message, templateName.empty() ? "KXShowMessage.html" : templateName, kind);
      return;
    }
  }
}

// ---------------------------------------------------------------------------
// The session in exception reports

namespace {

TKXReportForm ReportForm(const TComponent* form) {
  TKXReportForm report;
  if (form == nullptr) return report;
  report.Assigned = true;
  report.IsComponent = true;
  report.Name = form->Name();
  report.ClassName = std::string(form->ClassType().Name);
  return report;
}

}  // namespace

bool DescribeSession(TObject* sender, TKXApplication* session, TKXReportSession& facts) {
  if (session == nullptr) session = dynamic_cast<TKXApplication*>(sender);
  if (session == nullptr) session = GetWebApplication();
  if (session == nullptr) return false;
  facts.AppPath = session->GetApplicationPath();
  facts.ActiveForm = ReportForm(session->GetActiveForm());
  for (int i = 0; i < session->GetActiveFormCount(); ++i)
    facts.ActiveForms.push_back(ReportForm(session->GetActiveFormByIndex(i)));
  for (int i = 0; i < session->GetFormCount(); ++i) facts.Forms.push_back(ReportForm(session->GetForm(i)));
  if (const TBrowser* browser = session->Browser()) facts.Browser = TKXReportBrowser{browser->BrowserName(), browser->UserAgent()};
  facts.SessionID = session->AppID();
  facts.LastAccess = session->GetLastAccess();
  facts.Callback = session->IsCallBack();
  if (const THttpRequest* request = session->Request())
    facts.Request = TKXReportRequest{request->RemoteAddr(), request->PathInfo(),
                                     request->HttpMethod() == hmGet ? "GET" : "POST"};
  facts.RunParams = session->RunParams().GetRawString();
  return true;
}

// ---------------------------------------------------------------------------
// TKXUserSessionBase

TKXApplication* TKXUserSessionBase::GetWebApplication() const {
  return mWebApplication != nullptr ? mWebApplication : kx::GetWebApplication();
}

void TKXUserSessionBase::DoDestroy() {
  try {
    TDataModule::DoDestroy();
  } catch (...) {
  }
}

}  // namespace kx
