#include "kx/appserver/ServerController.h"

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>

#include "kx/foundation/AppInfo.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/IniFiles.h"

namespace kx {

namespace {

constexpr char kInvalidSessionLimit[] = "Invalid session limit.";
constexpr char kLockedMessage[] = " is locked. Suggestion: Set in ServerController OnConfig event instead.";
constexpr char kEmptyAppName[] = "Application name cannot be empty";
constexpr char kInvalidAppName[] =
    "Invalid application name. Application name must follow the same rules of TComponent name";
constexpr char kInvalidSessionTimeout[] = "Invalid session timeout value.";
constexpr char kSessionNotStarted[] = "Session is not started.";
constexpr char kUnableToCreateCacheDir[] = "Unable to create cache directory \"%s\".";
constexpr char kCacheDirCreated[] = "Cache directory created \"%s\"";
constexpr char kUseCookiesFirst[] =
    "You must set CookieOptions.UseCookies to TRUE before setting ServerController.AllowMultipleSessionsPerUser to "
    "FALSE.";
constexpr char kAllowMultipleFirst[] =
    "In order to disable cookies you must set ServerController.AllowMultipleSessionsPerUser to TRUE.";
constexpr char kDefaultDescription[] = "Kestrix Application";
constexpr char kDefaultAppName[] = "MyKXApp";
constexpr char kThreadName[] = "KX Session Timeout Thread";
// Days from 0001-01-01 to 1899-12-30, counted from 1: the date part of the platform's time stamp.
constexpr std::int64_t kDateDelta = 693594;
constexpr std::size_t kMaxMachineName = 256;

// The application's folder, with a trailing "/": the host's answer when it supplies one.
std::string ApplicationFolder() {
  if (gGetAppPath) return IncludeTrailingPathDelim(gGetAppPath());
  return gsAppPath();
}

bool IsRegularFile(const std::string& fileName) {
  struct stat status {};
  return ::stat(fileName.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

TDateTime WithoutMilliseconds(TDateTime value) {
  int year, month, day, hour, minute, second, millisecond;
  DecodeDateTime(value, year, month, day, hour, minute, second, millisecond);
  return EncodeDateTime(year, month, day, hour, minute, second, 0);
}

// The upper-case hexadecimal of the platform time stamp of value in whole seconds.
std::string StartUIDOf(TDateTime value) {
  const double days = std::floor(value);
  const std::int64_t date = std::int64_t(days) + kDateDelta;
  const std::int64_t time = std::llround((value - days) * kMSecsPerDay);
  const std::int64_t milliseconds = date * 86400000 + time;
  return IntToHex(std::uint64_t((milliseconds + 500) / 1000));
}

}  // namespace

void LogConfigurationMistake(const std::string& message) {
  if (gLogProcedure)
    gLogProcedure(message);
  else
    std::fprintf(stderr, "%s\n", message.c_str());
}

namespace {

// A port of "port.ini": a missing or empty key reads 0; a value that is not a number is logged and leaves current.
std::int32_t ReadIniPort(const TMemIniFile& ini, const char* key, std::int32_t current) {
  const std::string value = ini.ReadString("PORTS", key, "");
  if (value.empty()) return 0;
  int port = 0;
  if (TryStrToInt(value, port)) return port;
  LogConfigurationMistake(
      Format("%s: [PORTS] %s=%s is not a number; the value is ignored.", ini.FileName(), key, value));
  return current;
}

// milliseconds, made larger than any stamp given before in this process: two runtimes' controllers made in the
// same millisecond never share (and never delete) one cache folder.
std::uint64_t UniqueStamp(std::uint64_t milliseconds) {
  static std::atomic<std::uint64_t> last{0};
  std::uint64_t previous = last.load();
  std::uint64_t stamp;
  do {
    stamp = std::max(milliseconds, previous + 1);
  } while (!last.compare_exchange_weak(previous, stamp));
  return stamp;
}

void ApplyCommandLineOverrides(TKXServerControllerBase& controller) {
  const TKXCommandLineOverrides& overrides = CommandLineOverrides();
  if (overrides.BoundIP)
    controller.SetBoundIP(*overrides.BoundIP);
  else if (controller.BoundIP().empty() && !overrides.DefaultBoundIP.empty())
    controller.SetBoundIP(overrides.DefaultBoundIP);
  if (overrides.Port) controller.SetPort(*overrides.Port);
  if (overrides.SessionTimeout) controller.SetSessionTimeout(*overrides.SessionTimeout);
}

}  // namespace

// ---------------------------------------------------------------------------
// Option objects

void TKXSSLOptions::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TKXSSLOptions*>(source)) {
    FCertificatePassword = other->FCertificatePassword;
    FNonSSLRequest = other->FNonSSLRequest;
    FPort = other->FPort;
    FSSLVersion = other->FSSLVersion;
    FCipherList = other->FCipherList;
    FSSLVersions = other->FSSLVersions;
    FDHParamsFile = other->FDHParamsFile;
    return;
  }
  TPersistent::Assign(source);
}

void TKXSessionCookieOptions::SetCookieNameSuffix(const std::string& value) {
  std::string suffix;
  for (char c : value)
    if (c != ' ' && c != ',' && c != ';') suffix += c;
  FCookieNameSuffix = std::move(suffix);
}

void TKXSessionCookieOptions::SetUseCookies(bool value) {
  if (!value && FOwner && !FOwner->AllowMultipleSessionsPerUser()) throw Exception(kAllowMultipleFirst);
  FUseCookies = value;
}

void TKXSessionCookieOptions::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TKXSessionCookieOptions*>(source)) {
    FSessionCookies = other->FSessionCookies;
    return;
  }
  TPersistent::Assign(source);
}

void TKXSearchEngineOptions::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TKXSearchEngineOptions*>(source)) {
    FRedirectToContentHandler = other->FRedirectToContentHandler;
    FContentHandlerPath = other->FContentHandlerPath;
    return;
  }
  TPersistent::Assign(source);
}

void TKXJavaScriptOptions::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TKXJavaScriptOptions*>(source)) {
    FDebug = other->FDebug;
    FUseUncompressedFiles = other->FUseUncompressedFiles;
    FEnableFirebug = other->FEnableFirebug;
    FAjaxErrorMode = other->FAjaxErrorMode;
    FRenderjQuery = other->FRenderjQuery;
    return;
  }
  TPersistent::Assign(source);
}

void TKXBackButtonOptions::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TKXBackButtonOptions*>(source)) {
    FMode = other->FMode;
    FShowMessage = other->FShowMessage;
    FWarningMessage = other->FWarningMessage;
    return;
  }
  TPersistent::Assign(source);
}

void TKXSecurityOptions::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TKXSecurityOptions*>(source)) {
    FCheckSameIP = other->FCheckSameIP;
    FCheckSameUA = other->FCheckSameUA;
    FCheckFormId = other->FCheckFormId;
    FShowSecurityErrorDetails = other->FShowSecurityErrorDetails;
    return;
  }
  TPersistent::Assign(source);
}

void TKXMobileOptions::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TKXMobileOptions*>(source)) {
    FViewportTag = other->FViewportTag;
    return;
  }
  TPersistent::Assign(source);
}

// ---------------------------------------------------------------------------
// TSessionTimeoutThread

TSessionTimeoutThread::TSessionTimeoutThread(TKXServerControllerBase& controller, std::int32_t interval)
    : TKXTimedThread(kThreadName, interval), mController(controller) {}

TSessionTimeoutThread::~TSessionTimeoutThread() {
  Finish();
  WaitFor();
}

void TSessionTimeoutThread::Run() {
  // The thread works for its controller's runtime, whichever thread made it.
  TKXRuntimeSlots::TScope scope(mController.Runtime());
  mList.clear();
  IKXSessionStore* store = gSessions;
  std::exception_ptr error;
  if (store) {
    try {
      store->RemoveExpiredSessions(mList);
    } catch (...) {
      // The sessions already taken out are freed all the same.
      error = std::current_exception();
    }
    for (TKXApplication* session : mList) {
      SetWebApplication(session);
      try {
        store->FreeSession(session);
      } catch (const std::exception& e) {
        mController.DoLogException(nullptr, e);
      } catch (...) {
        // Nothing to report; the next session is freed all the same.
      }
      SetWebApplication(nullptr);
    }
    // Freed sessions leave their memory scattered through the heap, where the allocator keeps it.
    if (mList.size() >= TrimAfterFreed) {
      malloc_trim(0);
      ++mMemoryTrims;
    }
    mList.clear();
  }
  if (++mRunCount >= PurgeEveryRuns) {
    mRunCount = 0;
    if (store) store->ClearExpiredSessionsList();
  }
  // The thread is the logger's clock too: counts whose window ended, and the daily purge of old reports.
  if (TKXExceptionLogger* logger = mController.ExceptionLogger()) logger->Maintain();
  if (error) std::rethrow_exception(error);
}

void TSessionTimeoutThread::HandleException(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    mController.DoLogException(nullptr, e);
  } catch (...) {
    // Not an exception object: nothing to report.
  }
}

// ---------------------------------------------------------------------------
// The runtime's one controller

namespace {

// Raises while another controller serves the runtime: two would share (and free) one session store.
void TakeControllerPlace(TKXRuntime& runtime, TKXServerControllerBase* controller) {
  TKXServerControllerBase* current = runtime.Controller();
  if (controller != nullptr && current != nullptr && controller != current)
    throw Exception(Format("A server controller (%s) already serves this application: a process has one server "
                           "controller.",
                           current->ClassName().c_str()));
  runtime.SetController(controller);
}

}  // namespace

const TKXCurrentController& TKXCurrentController::operator=(TKXServerControllerBase* controller) const {
  TakeControllerPlace(TKXRuntime::Required(), controller);
  return *this;
}

// ---------------------------------------------------------------------------
// TKXServerControllerBase: creation

TKXServerControllerBase::TKXServerControllerBase()
    : mRuntime(TKXRuntime::Required()), FContentPath(ApplicationFolder() + "wwwroot/") {
  TakeControllerPlace(mRuntime, this);
}

TKXServerControllerBase::~TKXServerControllerBase() {
  // The temporary-file folder given back is this controller's runtime's, whichever thread frees it.
  TKXRuntimeSlots::TScope scope(mRuntime);
  try {
    if (!FCacheDir.empty() && DirectoryExists(FCacheDir)) KXDelTree(FCacheDir);
  } catch (...) {
    // A cache folder that cannot be removed stays; the process ends anyway.
  }
  if (mTempPathSet && TTempFileStream::GetTempPath() == FCacheDir) TTempFileStream::SetTempPath(mPreviousTempPath);
  if (mRuntime.ServerController == this) mRuntime.ServerController = nullptr;
  if (mRuntime.Controller() == this) mRuntime.SetController(nullptr);
}

void TKXServerControllerBase::InitControl() {
  FProcessID = ToBase36(UniqueStamp(std::uint64_t(std::llround(Now() * kMSecsPerDay))), 10) + "_" +
               ToBase36(std::uint64_t(::getpid()), 1);
  TDataModule::InitControl();
  FComInitialization = ciNone;
  FRendering = rnInMemory;
  FHTMLHeaders = std::make_unique<TStringList>();
  FContentFiles = std::make_unique<TStringList>();
  FSessionTimeout = 10;
  FShowLoadingAnimation = true;
  FPageTransitions = false;
  mCacheFiles = std::make_unique<TStringList>();
  mServerVariables = std::make_unique<TStringList>();
  for (const char* name : {"APP_POOL_ID", "SERVER_ADDR", "SERVER_NAME", "SERVER_PORT", "SERVER_SOFTWARE"})
    mServerVariables->Add(name);
  mServerVariables->SetSorted(true);
  FCompression = std::make_unique<TKXCompressionOptions>();
  FSSLOptions = std::make_unique<TKXSSLOptions>();
  FExceptionLogger = std::make_unique<TKXExceptionLogger>(this);
  FCookieOptions = std::make_unique<TKXSessionCookieOptions>(this);
  FSearchEngineOptions = std::make_unique<TKXSearchEngineOptions>();
  FJavaScriptOptions = std::make_unique<TKXJavaScriptOptions>();
  FSecurityOptions = std::make_unique<TKXSecurityOptions>();
  FBackButtonOptions = std::make_unique<TKXBackButtonOptions>();
  FMobileOptions = std::make_unique<TKXMobileOptions>();
  FStartDateTime = WithoutMilliseconds(Now());
  mStartUID = StartUIDOf(FStartDateTime);
  FAllowMultipleSessionsPerUser = false;
  FShowStartParams = true;
  FRestartExpiredSession = false;
  FLogSessionEvents = false;
  mSessionTimeoutThread = std::make_unique<TSessionTimeoutThread>(*this);
  mSessionTimeoutThread->Start();
}

void TKXServerControllerBase::InitDesignTime() {
  TDataModule::InitDesignTime();
  if (FAppName.empty()) FAppName = kDefaultAppName;
  ResolveTemplateDir();
}

void TKXServerControllerBase::ResolveTemplateDir() {
  const std::string appFolder = ApplicationFolder();
  if (FTemplateDir.empty()) {
    FTemplateDir = appFolder + "Templates/";
  } else if (FTemplateDir.front() != '/' && DirectoryExists(appFolder + FTemplateDir)) {
    FTemplateDir = IncludeTrailingPathDelim(appFolder + FTemplateDir);
  } else {
    FTemplateDir = IncludeTrailingPathDelim(FTemplateDir);
  }
}

void TKXServerControllerBase::Loaded() {
  TDataModule::Loaded();
  // A relative TemplateDir given while the components were built is resolved as one set before.
  ResolveTemplateDir();
  const std::string portIni = ApplicationFolder() + "port.ini";
  if (IsRegularFile(portIni)) {
    TMemIniFile ini(portIni);
    FPort = ReadIniPort(ini, "Port", FPort);
    FSSLOptions->SetPort(ReadIniPort(ini, "SSLPort", FSSLOptions->Port()));
  }
}

void TKXServerControllerBase::AfterConstruction() {
  TDataModule::AfterConstruction();
  CreateCommon();
  if (!FCacheDir.empty()) {
    // Folders of earlier runs that ended without a clean stop (their uploads and cache files) go now.
    TKXAppCache::RemoveStaleCacheFolders(FCacheDir.substr(0, FCacheDir.size() - FProcessID.size() - 1));
    if (!TKXAppCache::MakeProcessFolder(FCacheDir)) throw Exception(Format(kUnableToCreateCacheDir, FCacheDir));
    if (FLog == loFile) LogFileAppend(Format(kCacheDirCreated, FCacheDir));
  }
  TKXAppCache::SetController(this);
  if (!DirectoryExists(FContentPath))
    LogConfigurationMistake(Format("%s: the content folder \"%s\" does not exist; no static file is served from it.",
                                   FAppName, FContentPath));
}

void TKXServerControllerBase::CreateCommon() {
  if (FDescription.empty()) FDescription = kDefaultDescription;
  if (FDisplayName.empty()) FDisplayName = FDescription;
  mMachineName = TKXAppInfo::GetComputerName();
  if (mMachineName.size() > kMaxMachineName) mMachineName.resize(kMaxMachineName);
  // InitDesignTime ran with the inherited creation, before the components were built.
  if (OnConfig) OnConfig(this);
  ApplyCommandLineOverrides(*this);
  if (FCacheDir.empty()) SetCacheDir("");
  mPreviousTempPath = TTempFileStream::GetTempPath();
  TTempFileStream::SetTempPath(FCacheDir);
  mTempPathSet = true;
  mLocked = true;
}

// ---------------------------------------------------------------------------
// Destruction

void TKXServerControllerBase::BeforeDestruction() {
  std::exception_ptr error;
  try {
    TDataModule::BeforeDestruction();
  } catch (...) {
    error = std::current_exception();
  }
  StopSessionTimeoutThread();
  FreeSessionStore();
  if (error) std::rethrow_exception(error);
}

void TKXServerControllerBase::Dispose() {
  TKXRuntimeSlots::TScope scope(mRuntime);
  StopSessionTimeoutThread();
  if (mCacheFiles) TKXAppCache::ClearCache(*mCacheFiles);
  if (TKXAppCache::Controller() == this) TKXAppCache::SetController(nullptr);
  TDataModule::Dispose();
}

void TKXServerControllerBase::StopSessionTimeoutThread() {
  if (!mSessionTimeoutThread) return;
  mSessionTimeoutThread->Finish();
  mSessionTimeoutThread->WaitFor();
  mSessionTimeoutThread.reset();
}

void TKXServerControllerBase::FreeSessionStore() {
  // A controller whose creation failed never served a request; the store stays for the next one.
  if (!mLocked) return;
  // Only the runtime's controller ends its sessions.
  if (mRuntime.Controller() != this) return;
  std::unique_ptr<IKXSessionStore> store = std::move(mRuntime.Sessions);
  store.reset();
}

// ---------------------------------------------------------------------------
// Properties

void TKXServerControllerBase::SetAppName(const std::string& value) {
  CheckLock("AppName");
  const std::string name = Trim(value);
  if (name.empty()) throw Exception(kEmptyAppName);
  if (!IsValidIdent(name)) throw Exception(kInvalidAppName);
  FAppName = name;
}

void TKXServerControllerBase::SetBoundIP(const std::string& value) {
  CheckLock("BoundIP");
  FBoundIP = value;
}

void TKXServerControllerBase::SetCacheDir(const std::string& value) {
  CheckLock("CacheDir");
  std::string folder;
  if (Trim(value).empty()) {
    folder = gsTempPath();
  } else {
    folder = IncludeTrailingPathDelim(value);
    if (folder.front() != '/') folder = gsTempPath() + folder;
  }
  const std::string processFolder = FProcessID + "/";
  if (!EndsText(processFolder, folder)) folder += processFolder;
  if (!TKXAppCache::MakeProcessFolder(folder)) throw Exception(Format(kUnableToCreateCacheDir, folder));
  FCacheDir = folder;
}

void TKXServerControllerBase::SetSessionTimeout(std::int32_t value) {
  if (value < 0 || value > 65535) throw Exception(kInvalidSessionTimeout);
  FSessionTimeout = value;
}

void TKXServerControllerBase::SetStyleSheet(const TKXFileReference& value) {
  if (!value.Empty()) FTheme.clear();
  FStyleSheet.Assign(&value);
}

void TKXServerControllerBase::SetTheme(const std::string& value) {
  FStyleSheet.SetFilename(std::string());
  FStyleSheet.SetURL(std::string());
  FTheme = value;
}

void TKXServerControllerBase::SetMaxSessions(std::int32_t value) {
  CheckLock("MaxSessions");
  if (value < 0) throw Exception(kInvalidSessionLimit);
  FMaxSessions = value;
}

void TKXServerControllerBase::SetMaxSessionsPerIP(std::int32_t value) {
  CheckLock("MaxSessionsPerIP");
  if (value < 0) throw Exception(kInvalidSessionLimit);
  FMaxSessionsPerIP = value;
}

void TKXServerControllerBase::SetFrameAncestors(const std::string& value) { FFrameAncestors = Trim(value); }

void TKXServerControllerBase::SetMaxRequestsPerIP(std::int32_t value) {
  CheckLock("MaxRequestsPerIP");
  if (value < 0) throw Exception("Invalid request limit.");
  FMaxRequestsPerIP = value;
}

void TKXServerControllerBase::SetTrustedProxies(std::vector<std::string> value) {
  CheckLock("TrustedProxies");
  FTrustedProxies = std::move(value);
}

void TKXServerControllerBase::SetTemplateDir(const std::string& value) {
  FTemplateDir = IncludeTrailingPathDelim(value);
}

void TKXServerControllerBase::SetURLBase(const std::string& value) {
  std::string base = Trim(value);
  if (!base.empty()) {
    if (base.front() != '/') base.insert(0, 1, '/');
    if (base.back() != '/') base += '/';
  }
  FURLBase = std::move(base);
}

void TKXServerControllerBase::SetAllowMultipleSessionsPerUser(bool value) {
  if (!value && FCookieOptions && !FCookieOptions->UseCookies()) throw Exception(kUseCookiesFirst);
  FAllowMultipleSessionsPerUser = value;
}

void TKXServerControllerBase::SetDocType(const std::string& value) {
  const std::string docType = Trim(value);
  ValidateDocType(docType);
  FDocType = docType;
}

void TKXServerControllerBase::SetContentPath(const std::string& value) {
  CheckLock("ContentPath");
  FContentPath = IncludeTrailingPathDelim(value);
}

// ---------------------------------------------------------------------------
// Operations

void TKXServerControllerBase::CheckLock(std::string_view propertyName) const {
  if (mLocked) throw Exception(std::string(propertyName) + kLockedMessage);
}

void TKXServerControllerBase::CheckLockGlobal(std::string_view propertyName) {
  if (gSC) gSC->CheckLock(propertyName);
}

void TKXServerControllerBase::DoCloseSession(TKXApplication* application) {
  if (OnCloseSession) OnCloseSession(application);
}

void TKXServerControllerBase::DoNewSession(TKXApplication* application) {
  if (OnNewSession) OnNewSession(application);
}

void TKXServerControllerBase::DoSessionRestarted(TKXApplication* application) {
  if (OnSessionRestarted) OnSessionRestarted(application);
}

void TKXServerControllerBase::DoGetSessionID(TKXApplication* application, std::string& sessionId) {
  if (OnGetSessionID) OnGetSessionID(application, sessionId);
}

void TKXServerControllerBase::DoGetMainForm(TKXAppForm*& mainForm) {
  if (OnGetMainForm) OnGetMainForm(mainForm);
}

void TKXServerControllerBase::DoBackButton(TKXResyncInfo& resyncInfo) {
  if (OnBackButton) OnBackButton(resyncInfo);
}

void TKXServerControllerBase::DoBrowserCheck(TKXApplication* application, std::unique_ptr<TBrowser>& browser) {
  if (OnBrowserCheck) OnBrowserCheck(application, browser);
}

void TKXServerControllerBase::DoOnUserTag(const std::string& tagName, const TStrings& params, std::string& output) {
  if (OnUserTag) OnUserTag(tagName, params, output);
}

void TKXServerControllerBase::DoOnSessionTag(TKXApplication* application, const std::string& tagName,
                                             const TStrings& params, std::string& output) {
  if (OnSessionTag) OnSessionTag(application, tagName, params, output);
}

bool TKXServerControllerBase::DoException(TKXApplication* application, const std::exception& e,
                                          const THttpRequest* request) {
  LogErrorLine(application, e, request);
  // The report describes the thread's current application, which is this one during a request.
  FExceptionLogger->LogException(nullptr, &e);
  bool handled = false;
  if (OnException) OnException(application, e, handled);
  return handled;
}

void TKXServerControllerBase::LogErrorLine(TKXApplication* application, const std::exception& e,
                                           const THttpRequest* request) {
  if (!gErrorLogProcedure) return;
  try {
    TKXReportSession session;
    const bool described = gDescribeSession && gDescribeSession(nullptr, application, session);
    std::string method, path;
    if (request) {
      method = HttpMethodText(request->HttpMethod());
      path = request->PathInfo();
    } else if (described && session.Request) {
      method = session.Request->Method;
      path = session.Request->PathInfo;
    }
    gErrorLogProcedure(ExceptionLogLine(e, described ? session.SessionID : std::string(), method, path));
  } catch (...) {
    // Called from exception handling: the line is lost, the answer is not.
  }
}

void TKXServerControllerBase::DoLogException(TObject* sender, const std::exception& e) {
  if (FExceptionLogger) FExceptionLogger->LogException(sender, &e);
}

std::string TKXServerControllerBase::NewCacheFile(const std::string& contentType) {
  IKXCacheOwner* session = CurrentCacheOwner();
  if (session == nullptr) throw Exception(kSessionNotStarted);
  std::unique_ptr<TCacheStream> stream;
  std::string href;
  TKXAppCache::NewCacheStream(session, contentType, ctOneTime, stream, href);
  return href;  // the stream seals the empty file as it goes
}

bool TKXServerControllerBase::AuthActive() const {
  return FAuther != nullptr && FAuther->AutherPolicy() != apRestrictNone;
}

void TKXServerControllerBase::GetExceptionReportFacts(TObject* sender, TKXExceptionReportFacts& facts) {
  facts.Server = TKXReportServer{Version(), FAllowMultipleSessionsPerUser, FContentPath};
  facts.SessionCount = gSessions ? gSessions->GetCount() : 0;
  if (gDescribeSession) {
    TKXReportSession session;
    if (gDescribeSession(sender, nullptr, session)) facts.Session = std::move(session);
  }
}

bool TKXServerControllerBase::DoOnLogException(const TStrings& report) {
  return OnLogException ? OnLogException(report) : false;
}

}  // namespace kx
