// The server controller: the one data module of the process that holds the server-wide settings and option
// objects, the server events, the exception logger, the per-process cache folder and the session-timeout thread;
// every part of the application server reads it through gSC. Builds on the component model, the exception
// logger, the authenticators, the compression options and the process globals of appserver/KXGlobal.h.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "kx/appserver/Authenticators.h"
#include "kx/appserver/CacheFiles.h"
#include "kx/appserver/Compression.h"
#include "kx/appserver/ExceptionLogger.h"
#include "kx/appserver/FileReference.h"
#include "kx/Version.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/SessionStore.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/foundation/TimedThread.h"
#include "kx/platform/Components.h"
#include "kx/platform/DateUtils.h"
#include "kx/platform/StringLists.h"
#include "kx/platform/Types.h"

namespace kx {

class TBrowser;
class THttpReply;
class THttpRequest;
class TKXAppForm;
class TKXForm;
class TKXServerControllerBase;
struct TKXResyncInfo;

// The framework's version text (the controller's Version), as the build and the package give it.
inline constexpr char kKXVersion[] = KX_VERSION;

// Kept for configuration only: Linux has no COM, so no value changes what a thread does.
enum TComInitialization : std::uint8_t { ciNone, ciNormal, ciMultiThreaded };
enum TLogOptions : std::uint8_t { loNone, loFile };
enum TKXRendering : std::uint8_t { rnInFile, rnInMemory };
enum TKXNonSSLRequest : std::uint8_t { nsAccept, nsBlock, nsRedirect };
enum TKXSSLVersion : std::uint8_t { SSLv2, SSLv23, SSLv3, TLSv1, TLSv11, TLSv12 };
using TKXSSLVersions = TEnumSet<TKXSSLVersion>;
enum TKXAjaxErrorMode : std::uint8_t { emNone, emAlert, emConsole };
enum TKXBackButtonMode : std::uint8_t { bmInterceptGlobal, bmInterceptForm, bmEnable, bmDisableCompat };

// ---------------------------------------------------------------------------
// Option objects. Assign from the same class copies the fields named there; any other source goes to
// TPersistent::Assign.

class TKXSSLOptions : public TPersistent {
 public:
  const std::string& CertificatePassword() const { return FCertificatePassword; }
  void SetCertificatePassword(const std::string& value) { FCertificatePassword = value; }
  TKXNonSSLRequest NonSSLRequest() const { return FNonSSLRequest; }  // nsAccept by default
  void SetNonSSLRequest(TKXNonSSLRequest value) { FNonSSLRequest = value; }
  std::int32_t Port() const { return FPort; }  // 0 by default
  void SetPort(std::int32_t value) { FPort = value; }
  TKXSSLVersion SSLVersion() const { return FSSLVersion; }  // TLSv12 by default
  void SetSSLVersion(TKXSSLVersion value) { FSSLVersion = value; }
  const std::string& CipherList() const { return FCipherList; }
  void SetCipherList(const std::string& value) { FCipherList = value; }
  TKXSSLVersions SSLVersions() const { return FSSLVersions; }  // empty by default
  void SetSSLVersions(TKXSSLVersions value) { FSSLVersions = value; }
  const std::string& DHParamsFile() const { return FDHParamsFile; }
  void SetDHParamsFile(const std::string& value) { FDHParamsFile = value; }

  // Copies all seven.
  void Assign(const TPersistent* source) override;

 private:
  std::string FCertificatePassword;
  TKXNonSSLRequest FNonSSLRequest = nsAccept;
  std::int32_t FPort = 0;
  TKXSSLVersion FSSLVersion = TLSv12;
  std::string FCipherList;
  TKXSSLVersions FSSLVersions;
  std::string FDHParamsFile;
};

class TKXSessionCookieOptions : public TPersistent {
 public:
  // owner: the controller whose AllowMultipleSessionsPerUser UseCookies is checked against (may be nullptr).
  explicit TKXSessionCookieOptions(TKXServerControllerBase* owner = nullptr) : FOwner(owner) {}

  // true: a browser-session cookie; false: the cookie expires a day after the session would.
  bool SessionCookies() const { return FSessionCookies; }
  void SetSessionCookies(bool value) { FSessionCookies = value; }
  // Stored without blanks, "," and ";", which would break the cookie's name.
  const std::string& CookieNameSuffix() const { return FCookieNameSuffix; }
  void SetCookieNameSuffix(const std::string& value);
  // true by default. Turning it off while the owner's AllowMultipleSessionsPerUser is false raises "In order to
  // disable cookies you must set ServerController.AllowMultipleSessionsPerUser to TRUE.".
  bool UseCookies() const { return FUseCookies; }
  void SetUseCookies(bool value);
  bool Secure() const { return FSecure; }
  void SetSecure(bool value) { FSecure = value; }
  bool HttpOnly() const { return FHttpOnly; }
  void SetHttpOnly(bool value) { FHttpOnly = value; }

  // Copies SessionCookies only.
  void Assign(const TPersistent* source) override;

 private:
  TKXServerControllerBase* FOwner;
  bool FSessionCookies = true;
  std::string FCookieNameSuffix;
  bool FUseCookies = true;
  bool FSecure = false;
  bool FHttpOnly = false;
};

class TKXSearchEngineOptions : public TPersistent {
 public:
  bool RedirectToContentHandler() const { return FRedirectToContentHandler; }
  void SetRedirectToContentHandler(bool value) { FRedirectToContentHandler = value; }
  const std::string& ContentHandlerPath() const { return FContentHandlerPath; }
  void SetContentHandlerPath(const std::string& value) { FContentHandlerPath = value; }

  // Copies both.
  void Assign(const TPersistent* source) override;

 private:
  bool FRedirectToContentHandler = false;
  std::string FContentHandlerPath;
};

class TKXJavaScriptOptions : public TPersistent {
 public:
  bool Debug() const { return FDebug; }
  void SetDebug(bool value) { FDebug = value; }
  bool UseUncompressedFiles() const { return FUseUncompressedFiles; }
  void SetUseUncompressedFiles(bool value) { FUseUncompressedFiles = value; }
  bool EnableFirebug() const { return FEnableFirebug; }
  void SetEnableFirebug(bool value) { FEnableFirebug = value; }
  TKXAjaxErrorMode AjaxErrorMode() const { return FAjaxErrorMode; }  // emAlert by default
  void SetAjaxErrorMode(TKXAjaxErrorMode value) { FAjaxErrorMode = value; }
  bool RenderjQuery() const { return FRenderjQuery; }  // true by default
  void SetRenderjQuery(bool value) { FRenderjQuery = value; }

  // Copies all five.
  void Assign(const TPersistent* source) override;

 private:
  bool FDebug = false;
  bool FUseUncompressedFiles = false;
  bool FEnableFirebug = false;
  TKXAjaxErrorMode FAjaxErrorMode = emAlert;
  bool FRenderjQuery = true;
};

class TKXBackButtonOptions : public TPersistent {
 public:
  TKXBackButtonMode Mode() const { return FMode; }  // bmDisableCompat by default
  void SetMode(TKXBackButtonMode value) { FMode = value; }
  bool ShowMessage() const { return FShowMessage; }
  void SetShowMessage(bool value) { FShowMessage = value; }
  const std::string& WarningMessage() const { return FWarningMessage; }
  void SetWarningMessage(const std::string& value) { FWarningMessage = value; }

  // Copies all three.
  void Assign(const TPersistent* source) override;

 private:
  TKXBackButtonMode FMode = bmDisableCompat;
  bool FShowMessage = false;
  std::string FWarningMessage;
};

class TKXSecurityOptions : public TPersistent {
 public:
  bool CheckSameIP() const { return FCheckSameIP; }  // true by default
  void SetCheckSameIP(bool value) { FCheckSameIP = value; }
  bool CheckSameUA() const { return FCheckSameUA; }
  void SetCheckSameUA(bool value) { FCheckSameUA = value; }
  bool CheckFormId() const { return FCheckFormId; }
  void SetCheckFormId(bool value) { FCheckFormId = value; }
  bool ShowSecurityErrorDetails() const { return FShowSecurityErrorDetails; }  // true by default
  void SetShowSecurityErrorDetails(bool value) { FShowSecurityErrorDetails = value; }

  // Copies all four.
  void Assign(const TPersistent* source) override;

 private:
  bool FCheckSameIP = true;
  bool FCheckSameUA = false;
  bool FCheckFormId = false;
  bool FShowSecurityErrorDetails = true;
};

class TKXMobileOptions : public TPersistent {
 public:
  const std::string& ViewportTag() const { return FViewportTag; }
  void SetViewportTag(const std::string& value) { FViewportTag = value; }

  // Copies ViewportTag.
  void Assign(const TPersistent* source) override;

 private:
  std::string FViewportTag;
};

// ---------------------------------------------------------------------------
// What the controller needs of the session layer, which fills it in.

// Describes a session for an exception report: the one given, else the one sender (the object that reported the
// exception, or nullptr) is, else the calling thread's; false when there is none. Installed by the session layer
// at start-up.
inline constexpr TKXRuntimeRef<&TKXRuntime::DescribeSession> gDescribeSession{};

// What a stand-alone program's command line asks of the controller (kx/hosts/RunStandAlone.h fills it in), a slot
// of the runtime. Every controller the runtime creates applies it after its OnConfig, before its settings lock, so the command line has
// the last word over the controller's code and "port.ini". An empty field leaves the controller's value.
struct TKXCommandLineOverrides {
  std::optional<std::string> BoundIP;
  std::optional<std::int32_t> Port;
  std::optional<std::int32_t> SessionTimeout;  // minutes; outside 0..65535 the controller raises
  // The BoundIP of a controller that neither the command line nor its own code gave one; empty: all addresses.
  std::string DefaultBoundIP;
};
inline TKXCommandLineOverrides& CommandLineOverrides() {
  return TKXRuntimeSlots::Required().Slot<TKXCommandLineOverrides>();
}

// ---------------------------------------------------------------------------
// The session-timeout thread: every Interval milliseconds it takes the expired sessions out of gSessions and
// frees them, each while it is the thread's current application; every 60th run it purges the store's list of
// expired sessions. A session whose freeing raises is reported through the controller's DoLogException and the
// run goes on with the next one. Each run ends with the exception logger's Maintain.
class TSessionTimeoutThread : public TKXTimedThread {
 public:
  static constexpr std::int32_t DefaultInterval = 60000;
  static constexpr int PurgeEveryRuns = 60;
  // A run that frees this many sessions or more gives the freed memory back to the system (malloc_trim).
  static constexpr std::size_t TrimAfterFreed = 64;

  // Created suspended, named "KX Session Timeout Thread".
  explicit TSessionTimeoutThread(TKXServerControllerBase& controller, std::int32_t interval = DefaultInterval);
  // Finishes the thread and waits for it.
  ~TSessionTimeoutThread() override;

  // One run, as the thread does it each time its interval elapses.
  void Run();
  int RunCount() const { return mRunCount; }
  // The runs that gave memory back.
  int MemoryTrims() const { return mMemoryTrims; }

 protected:
  void DoExecute() override { Run(); }
  void HandleException(const std::exception_ptr& error) override;

 private:
  TKXServerControllerBase& mController;
  int mRunCount = 0;
  int mMemoryTrims = 0;
  std::vector<TKXApplication*> mList;
};

// ---------------------------------------------------------------------------
// Events

using TKXDispatchEvent = std::function<void(THttpRequest& request, THttpReply& reply)>;
using TKXSessionNotifyEvent = std::function<void(TKXApplication* application)>;
// handled comes in false; true suppresses the error page.
using TKXExceptionEvent = std::function<void(TKXApplication* application, const std::exception& e, bool& handled)>;
// A non-empty sessionId replaces the generated one.
using TKXGetSessionIDEvent = std::function<void(TKXApplication* application, std::string& sessionId)>;
using TKXGetMainFormEvent = std::function<void(TKXAppForm*& mainForm)>;
using TKXBackButtonEvent = std::function<void(TKXResyncInfo& resyncInfo)>;
// A form returned in newForm is shown instead of form.
using TKXBeforeRenderEvent = std::function<void(TKXApplication* application, TKXForm* form, TKXForm*& newForm)>;
using TKXAfterRenderEvent = std::function<void(TKXApplication* application, TKXForm* form)>;
// params: the tag's parameters as name=value lines; the text put in output replaces the tag.
using TKXUserTagEvent = std::function<void(const std::string& tagName, const TStrings& params, std::string& output)>;
using TKXSessionTagEvent = std::function<void(TKXApplication* application, const std::string& tagName,
                                              const TStrings& params, std::string& output)>;
// May replace the detected browser.
using TKXBrowserCheckEvent = std::function<void(TKXApplication* application, std::unique_ptr<TBrowser>& browser)>;
// nameValue: one run parameter "name=value"; valid comes in as the framework's verdict; index: where the
// framework found script in it (0 when none).
using TKXParseParameterEvent = std::function<void(std::string& nameValue, bool& valid, int index)>;
// handled comes in false; true ends the request.
using TKXExecuteRequestEvent =
    std::function<void(const std::string& urlPath, THttpRequest& request, bool& handled, THttpReply& reply)>;
// Returns true when it took the report, which then is not saved.
using TKXLogExceptionEvent = std::function<bool(const TStrings& report)>;

// ---------------------------------------------------------------------------

// The application's server controller derives from this class and is created by the host from
// gServerControllerClass; the host stores it in gSC and gServerController. Creation runs, in this order:
// InitControl (defaults, option objects, the timeout thread), InitDesignTime, BuildComponents and Loaded
// ("port.ini"), OnCreate, then the controller's own steps: Description and DisplayName defaults, the machine
// name, OnConfig, CommandLineOverrides(), the default CacheDir (created), the temporary-file folder := CacheDir;
// then AppName, BoundIP, CacheDir and ContentPath are locked, the cache folders that dead processes left beside
// CacheDir are removed (TKXAppCache::RemoveStaleCacheFolders), a missing content folder is logged, and the
// controller becomes TKXAppCache's controller. Free stops the timeout
// thread, frees gSessions, clears the controller's cache files, deletes the cache folder tree and clears
// gServerController (and gSC when it is this controller). A controller is made in the calling thread's runtime
// and becomes its gSC at once; a second one while the first lives raises Exception.
class TKXServerControllerBase : public TDataModule,
                                public IKXExceptionLoggerOwner,
                                public IKXAutherOwner,
                                public IKXCacheController {
  KX_COMPONENT_CLASS(TKXServerControllerBase, TDataModule)

 public:
  TKXServerControllerBase();

  // The class the host creates: gServerControllerClass := T's class record.
  template <class T>
  static void SetServerControllerClass() {
    static_assert(std::is_base_of_v<TKXServerControllerBase, T>);
    gServerControllerClass = &T::ClassRecord();
  }

  // --- Properties, in published order.

  bool AuthBeforeNewSession() const { return FAuthBeforeNewSession; }
  void SetAuthBeforeNewSession(bool value) { FAuthBeforeNewSession = value; }
  // Default "MyKXApp". Locked. Trimmed; empty raises "Application name cannot be empty"; anything but an
  // identifier raises "Invalid application name. Application name must follow the same rules of TComponent name".
  const std::string& AppName() const { return FAppName; }
  void SetAppName(const std::string& value);
  // Locked.
  const std::string& BoundIP() const { return FBoundIP; }
  void SetBoundIP(const std::string& value);
  // Locked. A relative folder lies under the temporary folder, and the process id is appended once, so each run
  // of the process works in a folder of its own ("cache" gives $TMPDIR/cache/<ProcessID>/). The folder is
  // created with its parents; when that fails, raises "Unable to create cache directory \"<folder>\"." and keeps
  // the previous value.
  std::string CacheDir() const override { return FCacheDir; }
  void SetCacheDir(const std::string& value);
  // Accepted and dropped, so that settings written for older versions still compile: pages are UTF-8, internal
  // files are served from the library itself under "/$/", and script debugging is JavaScriptOptions().Debug().
  void SetCharSet(const std::string& value) { (void)value; }
  void SetCacheExpiry(std::int32_t value) { (void)value; }
  void SetFilesDir(const std::string& value) { (void)value; }
  void SetHistoryEnabled(bool value) { (void)value; }
  void SetInternalFilesDir(const std::string& value) { (void)value; }
  void SetInternalFilesURL(const std::string& value) { (void)value; }
  void SetJavascriptDebug(bool value) { (void)value; }
  void SetUseInternalFiles(bool value) { (void)value; }
  TComInitialization ComInitialization() const { return FComInitialization; }
  void SetComInitialization(TComInitialization value) { FComInitialization = value; }
  TKXCompressionOptions* Compression() const { return FCompression.get(); }
  void SetCompression(const TKXCompressionOptions* value) { FCompression->Assign(value); }
  // "Kestrix Application" when empty at the end of creation.
  const std::string& Description() const { return FDescription; }
  void SetDescription(const std::string& value) { FDescription = value; }
  bool DebugHTML() const { return FDebugHTML; }
  void SetDebugHTML(bool value) { FDebugHTML = value; }
  // Description when empty at the end of creation.
  const std::string& DisplayName() const { return FDisplayName; }
  void SetDisplayName(const std::string& value) { FDisplayName = value; }
  // loFile: creating the cache folder is noted in the framework log file.
  TLogOptions Log() const { return FLog; }
  void SetLog(TLogOptions value) { FLog = value; }
  bool EnableImageToolbar() const { return FEnableImageToolbar; }
  void SetEnableImageToolbar(bool value) { FEnableImageToolbar = value; }
  TKXShowMessageType ExceptionDisplayMode() const { return FExceptionDisplayMode; }  // smAlert by default
  void SetExceptionDisplayMode(TKXShowMessageType value) { FExceptionDisplayMode = value; }
  TStringList* HTMLHeaders() const { return FHTMLHeaders.get(); }
  void SetHTMLHeaders(const TStrings* value) { FHTMLHeaders->Assign(value); }
  TStringList* ContentFiles() const { return FContentFiles.get(); }
  void SetContentFiles(const TStrings* value) { FContentFiles->Assign(value); }
  // Copied into each new session.
  const std::string& MasterTemplate() const { return FMasterTemplate; }
  void SetMasterTemplate(const std::string& value) { FMasterTemplate = value; }
  bool PageTransitions() const { return FPageTransitions; }
  void SetPageTransitions(bool value) { FPageTransitions = value; }
  // 0 by default; "port.ini" beside the program overrides it.
  std::int32_t Port() const { return FPort; }
  void SetPort(std::int32_t value) { FPort = value; }
  std::int32_t RedirectMsgDelay() const { return FRedirectMsgDelay; }
  void SetRedirectMsgDelay(std::int32_t value) { FRedirectMsgDelay = value; }
  std::int32_t ServerResizeTimeout() const { return FServerResizeTimeout; }
  void SetServerResizeTimeout(std::int32_t value) { FServerResizeTimeout = value; }
  // Not owned; cleared when the authenticator holding this controller as owner is destroyed.
  TKXAutherBase* Auther() const override { return FAuther; }
  void SetAuther(TKXAutherBase* value) override { FAuther = value; }
  bool ShowLoadingAnimation() const { return FShowLoadingAnimation; }  // true by default
  void SetShowLoadingAnimation(bool value) { FShowLoadingAnimation = value; }
  // Minutes, 10 by default; outside 0..65535 raises "Invalid session timeout value.".
  std::int32_t SessionTimeout() const { return FSessionTimeout; }
  void SetSessionTimeout(std::int32_t value);
  // Empty by default. A form whose own StyleSheet is still empty once it has loaded takes this one, so one style
  // sheet can serve every page. A value that names a file or a URL clears Theme first.
  const TKXFileReference& StyleSheet() const { return FStyleSheet; }
  void SetStyleSheet(const TKXFileReference& value);
  TKXSSLOptions* SSLOptions() const { return FSSLOptions.get(); }
  // The application folder + "Templates/" by default. A non-empty value gets a trailing "/".
  const std::string& TemplateDir() const { return FTemplateDir; }
  void SetTemplateDir(const std::string& value);
  const std::string& Theme() const { return FTheme; }
  // Clears StyleSheet's file name and URL, then stores.
  void SetTheme(const std::string& value);
  // Trimmed, then made to begin and end with "/"; the empty text stays empty.
  const std::string& URLBase() const { return FURLBase; }
  void SetURLBase(const std::string& value);
  // The framework's version text; read-only.
  std::string Version() const { return kKXVersion; }
  // Turning it off while CookieOptions.UseCookies is false raises "You must set CookieOptions.UseCookies to TRUE
  // before setting ServerController.AllowMultipleSessionsPerUser to FALSE.".
  bool AllowMultipleSessionsPerUser() const { return FAllowMultipleSessionsPerUser; }
  void SetAllowMultipleSessionsPerUser(bool value);
  // Trimmed and checked with ValidateDocType (its messages).
  const std::string& DocType() const { return FDocType; }
  void SetDocType(const std::string& value);
  // Sent as "X-UA-Compatible" with every 200 HTML reply when set.
  const std::string& IECompatibilityMode() const { return FIECompatibilityMode; }
  void SetIECompatibilityMode(const std::string& value) { FIECompatibilityMode = value; }
  // The origins that may show the application's pages in a frame, as the sources of a Content-Security-Policy
  // "frame-ancestors" directive, which every HTML answer carries. "'self'" by default: the application's own pages
  // only (sent as "X-Frame-Options: SAMEORIGIN" too; "'none'" as "DENY"). An application meant to be embedded names
  // its embedders ("https://portal.example.com"); empty sends neither header, so any page may frame it. Trimmed.
  const std::string& FrameAncestors() const { return FFrameAncestors; }
  void SetFrameAncestors(const std::string& value);
  // Run parameters are carried into start URLs; true by default.
  bool ShowStartParams() const { return FShowStartParams; }
  void SetShowStartParams(bool value) { FShowStartParams = value; }
  TKXExceptionLogger* ExceptionLogger() const { return FExceptionLogger.get(); }
  TKXSessionCookieOptions* CookieOptions() const { return FCookieOptions.get(); }
  TKXSearchEngineOptions* SearchEngineOptions() const { return FSearchEngineOptions.get(); }
  TKXJavaScriptOptions* JavaScriptOptions() const { return FJavaScriptOptions.get(); }
  bool HttpKeepAlive() const { return FHttpKeepAlive; }
  void SetHttpKeepAlive(bool value) { FHttpKeepAlive = value; }
  TKXSecurityOptions* SecurityOptions() const { return FSecurityOptions.get(); }
  // A request for an expired or unknown session starts a new one.
  bool RestartExpiredSession() const { return FRestartExpiredSession; }
  void SetRestartExpiredSession(bool value) { FRestartExpiredSession = value; }
  TKXBackButtonOptions* BackButtonOptions() const { return FBackButtonOptions.get(); }
  TKXMobileOptions* MobileOptions() const { return FMobileOptions.get(); }
  bool LogSessionEvents() const { return FLogSessionEvents; }
  void SetLogSessionEvents(bool value) { FLogSessionEvents = value; }
  // Live sessions in all and per client address (the server's ClientIP); a request that would start one more is
  // answered 503 with "Retry-After". 100,000 and 1,000 by default; 0: no limit. Locked; a negative value raises
  // "Invalid session limit.".
  std::int32_t MaxSessions() const { return FMaxSessions; }
  void SetMaxSessions(std::int32_t value);
  std::int32_t MaxSessionsPerIP() const { return FMaxSessionsPerIP; }
  void SetMaxSessionsPerIP(std::int32_t value);
  // Requests of one client address that may run in their sessions or wait for them while the host's threads are
  // nearly all taken (appserver/Admission.h); the next is answered 503 "Too many requests from your address" with
  // "Retry-After". While the host has threads to spare no address is refused, however many requests it has in.
  // 16 by default; 0: no limit. Locked; a negative value raises "Invalid request limit.".
  std::int32_t MaxRequestsPerIP() const { return FMaxRequestsPerIP; }
  void SetMaxRequestsPerIP(std::int32_t value);
  // The addresses whose X-Forwarded-For and Client-IP headers are believed when they are the connection's peer;
  // "127.0.0.1" and "::1" by default (a reverse proxy on this machine), empty: none. Locked.
  const std::vector<std::string>& TrustedProxies() const { return FTrustedProxies; }
  void SetTrustedProxies(std::vector<std::string> value);

  // --- Unpublished state.

  // True from the end of creation on.
  bool Locked() const { return mLocked; }
  // The runtime the controller was made in, which it serves.
  TKXRuntime& Runtime() const { return mRuntime; }
  TKXRendering Rendering() const { return FRendering; }  // rnInMemory by default
  void SetRendering(TKXRendering value) { FRendering = value; }
  // The application folder + "wwwroot/" by default. Locked; gets a trailing "/".
  const std::string& ContentPath() const { return FContentPath; }
  void SetContentPath(const std::string& value);
  // Creation time with the milliseconds set to 0.
  TDateTime StartDateTime() const { return FStartDateTime; }
  // Upper-case hexadecimal of the creation time in whole seconds of the platform time stamp (days counted from
  // 0001-01-01 as day 1).
  const std::string& StartUID() const { return mStartUID; }
  // Base 36 of the creation time in milliseconds (at least 10 digits; later than any this process gave before, so
  // two controllers never share one), "_" and the process id in base 36.
  const std::string& ProcessID() const { return FProcessID; }
  bool GUIActive() const { return FGUIActive; }
  void MakeGUIActive() { FGUIActive = true; }
  // Sorted: "APP_POOL_ID", "SERVER_ADDR", "SERVER_NAME", "SERVER_PORT", "SERVER_SOFTWARE".
  TStringList* ServerVariables() const { return mServerVariables.get(); }
  // Full paths of the controller's ctApp cache files, deleted when it is freed.
  TStrings& CacheFiles() override { return *mCacheFiles; }
  // A host's replacement for the request's script name (reverse-proxy set-ups).
  const std::string& RewriteURL() const { return mRewriteURL; }
  void SetRewriteURL(const std::string& value) { mRewriteURL = value; }
  TSessionTimeoutThread* SessionTimeoutThread() const { return mSessionTimeoutThread.get(); }
  // The computer name read at creation (at most 256 bytes); empty when it could not be read.
  const std::string& GetMachineName() const { return mMachineName; }

  // --- Events.

  TKXDispatchEvent OnAfterDispatch;
  TKXDispatchEvent OnBeforeDispatch;
  TKXSessionNotifyEvent OnCloseSession;
  // Runs during creation, before the settings are locked: the place to configure the controller.
  TNotifyEvent OnConfig;
  TKXExceptionEvent OnException;
  TKXGetSessionIDEvent OnGetSessionID;
  TKXSessionNotifyEvent OnNewSession;
  TKXGetMainFormEvent OnGetMainForm;
  TKXBackButtonEvent OnBackButton;
  TKXBeforeRenderEvent OnBeforeRender;
  TKXAfterRenderEvent OnAfterRender;
  TKXUserTagEvent OnUserTag;
  TKXSessionTagEvent OnSessionTag;
  TKXBrowserCheckEvent OnBrowserCheck;
  TKXParseParameterEvent OnParseParameter;
  TKXSessionNotifyEvent OnSessionRestarted;
  TKXExecuteRequestEvent OnExecuteRequest;
  TKXLogExceptionEvent OnLogException;

  // --- Operations.

  // Once the controller is locked, raises Exception "<propertyName> is locked. Suggestion: Set in
  // ServerController OnConfig event instead.".
  void CheckLock(std::string_view propertyName) const;
  // CheckLock on gSC, when a controller exists.
  static void CheckLockGlobal(std::string_view propertyName);

  // Each fires its event when assigned, passing the arguments through.
  void DoCloseSession(TKXApplication* application);
  void DoNewSession(TKXApplication* application);
  void DoSessionRestarted(TKXApplication* application);
  void DoGetSessionID(TKXApplication* application, std::string& sessionId);
  void DoGetMainForm(TKXAppForm*& mainForm);
  void DoBackButton(TKXResyncInfo& resyncInfo);
  void DoBrowserCheck(TKXApplication* application, std::unique_ptr<TBrowser>& browser);
  void DoOnUserTag(const std::string& tagName, const TStrings& params, std::string& output);
  void DoOnSessionTag(TKXApplication* application, const std::string& tagName, const TStrings& params,
                      std::string& output);
  // Writes e's line to gErrorLogProcedure (the session of application, the path of request, else of the session's
  // request), logs e through
  // the exception logger, then asks OnException; returns whether it handled e.
  bool DoException(TKXApplication* application, const std::exception& e, const THttpRequest* request = nullptr);
  void DoLogException(TObject* sender, const std::exception& e);
  // A one-time cache file of the calling thread's session (GetWebApplication) with that content type, sealed empty
  // at once; returns its URL. Raises Exception "Session is not started." without a current session.
  std::string NewCacheFile(const std::string& contentType);
  // An authenticator is set and restricts access.
  bool AuthActive() const;

 protected:
  // Deletes the cache folder tree, gives the temporary-file folder back and clears gServerController (and gSC)
  // when they name this controller.
  ~TKXServerControllerBase() override;

  void InitControl() override;
  // AppName "MyKXApp" when empty; TemplateDir resolved (see SetTemplateDir).
  void InitDesignTime() override;
  // Reads "port.ini" beside the program: section "PORTS", keys "Port" and "SSLPort" (a missing key reads 0; a
  // value that is not a number is logged and leaves the port as it was).
  void Loaded() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Dispose() override;

  // IKXExceptionLoggerOwner
  void GetExceptionReportFacts(TObject* sender, TKXExceptionReportFacts& facts) override;
  bool DoOnLogException(const TStrings& report) override;

 private:
  // The error line of DoException; raises nothing.
  void LogErrorLine(TKXApplication* application, const std::exception& e, const THttpRequest* request);
  void CreateCommon();
  // TemplateDir as creation leaves it: a relative folder that exists under the application folder is taken
  // from there; empty gives the application folder + "Templates/".
  void ResolveTemplateDir();
  void StopSessionTimeoutThread();
  // Frees gSessions once the timeout thread is stopped.
  void FreeSessionStore();

  bool FAuthBeforeNewSession = false;
  std::string FAppName;
  std::string FBoundIP;
  std::string FCacheDir;
  TComInitialization FComInitialization = ciNone;
  std::unique_ptr<TKXCompressionOptions> FCompression;
  std::string FDescription;
  bool FDebugHTML = false;
  std::string FDisplayName;
  TLogOptions FLog = loNone;
  bool FEnableImageToolbar = false;
  TKXShowMessageType FExceptionDisplayMode = smAlert;
  std::unique_ptr<TStringList> FHTMLHeaders;
  std::unique_ptr<TStringList> FContentFiles;
  std::string FMasterTemplate;
  bool FPageTransitions = false;
  std::int32_t FPort = 0;
  std::int32_t FRedirectMsgDelay = 0;
  std::int32_t FServerResizeTimeout = 0;
  TKXAutherBase* FAuther = nullptr;
  bool FShowLoadingAnimation = true;
  std::int32_t FSessionTimeout = 10;
  TKXFileReference FStyleSheet;
  std::unique_ptr<TKXSSLOptions> FSSLOptions;
  std::string FTemplateDir;
  std::string FTheme;
  std::string FURLBase;
  bool FAllowMultipleSessionsPerUser = false;
  std::string FDocType;
  std::string FIECompatibilityMode;
  std::string FFrameAncestors = "'self'";
  bool FShowStartParams = true;
  std::unique_ptr<TKXExceptionLogger> FExceptionLogger;
  std::unique_ptr<TKXSessionCookieOptions> FCookieOptions;
  std::unique_ptr<TKXSearchEngineOptions> FSearchEngineOptions;
  std::unique_ptr<TKXJavaScriptOptions> FJavaScriptOptions;
  bool FHttpKeepAlive = false;
  std::unique_ptr<TKXSecurityOptions> FSecurityOptions;
  bool FRestartExpiredSession = false;
  std::unique_ptr<TKXBackButtonOptions> FBackButtonOptions;
  std::unique_ptr<TKXMobileOptions> FMobileOptions;
  bool FLogSessionEvents = false;
  std::int32_t FMaxSessions = 100000;
  std::int32_t FMaxSessionsPerIP = 1000;
  std::int32_t FMaxRequestsPerIP = 16;
  std::vector<std::string> FTrustedProxies{"127.0.0.1", "::1"};

  bool mLocked = false;
  TKXRuntime& mRuntime;
  TKXRendering FRendering = rnInMemory;
  std::string mMachineName;
  TDateTime FStartDateTime = 0;
  std::string mStartUID;
  std::string FContentPath;
  bool FGUIActive = false;
  std::string FProcessID;
  std::unique_ptr<TStringList> mServerVariables;
  std::unique_ptr<TStringList> mCacheFiles;
  std::unique_ptr<TSessionTimeoutThread> mSessionTimeoutThread;
  std::string mRewriteURL;
  // The temporary-file folder before creation pointed it at CacheDir; given back when the controller is freed.
  std::string mPreviousTempPath;
  bool mTempPathSet = false;
};

}  // namespace kx
