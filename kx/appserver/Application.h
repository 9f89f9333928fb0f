// The application object: one user session (TKXApplication) with its forms and
// data modules, active-form stack, run parameters, browser, lock, times and
// URLs; the author's per-session data module (TKXUserSessionBase); and the
// small interfaces through which the session reaches what is built above or
// beside it: forms (the forms layer implements IKXForm and its companions), the
// callback registry and response, content handlers and the session event log.
// Builds on foundation/HttpRequest.h, foundation/HttpReply.h, foundation/Browsers.h.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/appserver/CacheFiles.h"
#include "kx/appserver/ExceptionLogger.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/Runtime.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/HttpReply.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/foundation/Locks.h"
#include "kx/foundation/Markup.h"
#include "kx/foundation/Streams.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/CompactString.h"
#include "kx/platform/Components.h"
#include "kx/platform/DateUtils.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TKXApplication;
class TKXAppForm;
class TKXForm;

// ---------------------------------------------------------------------------
// Forms as the session sees them. Every form is a TComponent owned by its
// session and implements IKXForm; the interfaces are inherited virtually and
// queried with Supports<I>(component).

// The state of a form while the framework works on it.
enum TKXFormState : std::uint8_t { fsUndefined, fsRendering, fsExecuting, fsCreating, fsCreated };

class IKXCallBackResponse;

// Every form of a session (the forms layer's TKXBaseForm).
class IKXForm {
 public:
  // The form as the controller's events carry it.
  virtual TKXForm* KXForm() = 0;
  virtual TKXFormState FormState() const = 0;
  virtual TKXConnectionMode ConnectionMode() const = 0;
  // Whether the form is an application form (TKXAppForm), the kind a session
  // may show as its main form.
  virtual bool IsAppForm() const = 0;
  // Fires the form's OnShow; called when the form becomes the active form.
  virtual void DoShow() = 0;
  // Makes the form the session's active form (TKXApplication::SetActiveForm).
  virtual void Show() = 0;
  virtual void ForceAlign() = 0;
  // The form's parameter list (the posted fields of the current request).
  virtual TStrings& Params() = 0;
  // Takes params into the parameter list and executes the posted values and
  // events against the form.
  virtual void ExecuteForm(const TStrings& params) = 0;
  // Renders the whole page into stream.
  virtual void GenerateForm(TKXRenderStream& stream) = 0;
  // Renders the changes of a callback into response.
  virtual void GenerateCallBack(IKXCallBackResponse& response) = 0;
  // After a callback made this form active anew: re-sends its client events.
  virtual void ResyncEvents() = 0;
  // Whether the request must authenticate before the form answers; realm receives the realm.
  virtual bool RequestAuth(const THttpRequest& request, std::string& realm) = 0;
  // Whether a callback answer should carry the AJAX notification script, and that script.
  virtual bool SendAJAXNotification() const = 0;
  virtual std::string GetKXAJAXNotificationJSCode() const = 0;
  // The class whose instance shows a message of this form (ShowMessage's same-window kinds); nullptr for none.
  virtual const TComponentClass* MessageForm() const = 0;

 protected:
  ~IKXForm() = default;
};

// A form rendered as an HTML page (the HTML-form and page interfaces).
class IKXHTMLForm {
 public:
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  // Clears or sets the form's refresh marker.
  virtual void SetDoRefreshControl(bool value) = 0;
  // Tells the form the browser's window size.
  virtual void SetBrowserSize(int width, int height) = 0;
  // The script that moves the controls to their positions after a resize.
  virtual std::string GenerateControlPositions() = 0;
  // Appends script to the page's initialisation code.
  virtual void AddToInitProc(const std::string& script) = 0;
  // Appends script to the page's new-window code.
  virtual void AddToInitProcNewWindowCode(const std::string& script) = 0;

 protected:
  ~IKXHTMLForm() = default;
};

// The form that shows a message in the browser window (ShowMessage).
class IKXMessageForm {
 public:
  virtual void InitializeAndShow(const std::string& message, const std::string& templateName,
                                 TKXShowMessageType kind) = 0;

 protected:
  ~IKXMessageForm() = default;
};

// The component of a form that a controller event handed over (OnBeforeRender,
// OnGetMainForm); set by the forms layer at start-up.
inline constexpr TKXRuntimeRef<&TKXRuntime::FormComponent> gFormComponent{};
inline constexpr TKXRuntimeRef<&TKXRuntime::AppFormComponent> gAppFormComponent{};

// The class of a registered application form (a TKXAppForm descendant) whose
// name equals name ignoring case, or nullptr. Set by the forms layer at start-up.
inline constexpr TKXRuntimeRef<&TKXRuntime::FindAppFormClass> gFindAppFormClass{};

// ---------------------------------------------------------------------------
// Callbacks: the session owns a callback registry and a callback response; the
// callback unit implements both and sets the creators below at start-up.

// The XML document that answers a callback (TKXCallBackResponse).
class IKXCallBackResponse {
 public:
  virtual ~IKXCallBackResponse() = default;
  // Empties all five parts; called at the start of every request.
  virtual void Initialize() = 0;
  virtual void AddJavaScriptToExecute(const std::string& script) = 0;
  // Nothing for the empty script.
  virtual void AddJavaScriptToExecuteAsCDATA(const std::string& script) = 0;
  // Appends a whole page to the rewrite part.
  virtual void AddTagToRewrite(const std::string& page) = 0;
  virtual void SetSubmitURL(const std::string& url) = 0;
  virtual void SetTrackNumber(const std::string& track) = 0;
  // Appends rendered update markup: the whole content of stream (its position is kept), or one element.
  virtual void AddTagToUpdate(TKXRenderStream& stream) = 0;
  virtual void AddTagToUpdate(TKXElementPtr<TKXMarkupLanguageTag> tag) = 0;
  // The HTML name of the control the browser focuses after this callback; empty for none.
  virtual const std::string& FocusedControlHTMLName() const = 0;
  virtual void SetFocusedControlHTMLName(const std::string& name) = 0;
  // Writes the XML declaration and the document into stream.
  virtual void StreamResponse(TKXRenderStream& stream) = 0;
};

// A callback method: receives a copy of the active form's parameters.
using TKXCallBackMethod = std::function<void(TStrings& params)>;

// The session's registry of callback methods by name (TKXCallBacks).
class IKXCallBacks {
 public:
  virtual ~IKXCallBacks() = default;
  virtual void RegisterCallBack(const std::string& name, TKXCallBackMethod method) = 0;
  virtual void UnregisterCallBack(const std::string& name) = 0;
  virtual void PerformCallBack(TComponent* component, const std::string& name) = 0;
};

// Called by every new session. Without them a session has neither part: its
// callbacks are not found and a callback request answers an empty reply.
inline constexpr TKXRuntimeRef<&TKXRuntime::CreateCallBackResponse> gCreateCallBackResponse{};
inline constexpr TKXRuntimeRef<&TKXRuntime::CreateCallBacks> gCreateCallBacks{};

// ---------------------------------------------------------------------------
// Content handlers (TContentBase and the registry THandlers) as session
// dispatch uses them; the content-handler unit implements them and sets the
// look-ups below when it registers its first handler.

class IKXContentHandler {
 public:
  // The registered path + document, as given.
  virtual const std::string& Path() const = 0;
  // A request for this handler may create a session.
  virtual bool CanStartSession() const = 0;
  // A new session still goes through its start page before this handler runs.
  virtual bool RequiresSessionStart() const = 0;
  // Answers the request for fileName (the path mapped under the content
  // folder); false lets dispatch try the file itself.
  virtual bool DoExecute(THttpRequest& request, THttpReply& reply, const std::string& fileName,
                         TKXApplication* session, TStrings& params) = 0;
  virtual bool RequestAuth(const THttpRequest& request, std::string& realm) = 0;

 protected:
  ~IKXContentHandler() = default;
};

// The handler registered for a URL path, or nullptr (THandlers::FindMatch).
inline constexpr TKXRuntimeRef<&TKXRuntime::FindContentHandler> gFindContentHandler{};
// The handler a new session starts with, or nullptr (THandlers::GetStartHandler).
inline constexpr TKXRuntimeRef<&TKXRuntime::GetStartHandler> gGetStartHandler{};

// ---------------------------------------------------------------------------
// The session event log.

// Writes one record of the session event log; set by the log's unit at start-up.
inline constexpr TKXRuntimeRef<&TKXRuntime::LogSessionEvent> gLogSessionEvent{};

// ---------------------------------------------------------------------------

// The monotonic clock of session expiry and look-up deadlines. Tests may
// replace it before any session exists.
inline constexpr TKXRuntimeRef<&TKXRuntime::SessionClock> gSessionClock{};

// Whether id is made of the characters of generated session ids (A-Z a-z 0-9 ~ -)
// and not empty. Only such an id may reach a URL, a cookie or a folder name.
bool IsValidSessionID(std::string_view id);

// Fills in the report facts of session, else of the session that sender is, else of the
// thread's current application; false when there is none of them (gDescribeSession).
bool DescribeSession(TObject* sender, TKXApplication* session, TKXReportSession& facts);

// The text as the content of a double-quoted script string that stays right
// inside an HTML attribute too (the escaping of JsRedirect's URL).
std::string ScriptStringLiteral(std::string_view text);

// Run parameters: "name=value" lines, written in a URL as "?a=1&b=2".
// Names compare ignoring case.
class TKXParamsString : public TStringList {
 public:
  TKXParamsString();

  // The lines joined with "&", each name and value percent-encoded so that a
  // "&", "=" or "?" inside them survives the trip; "?" first when not empty.
  std::string GetRawString() const;
  // Clears, trims, drops one leading "?", then reads "&"-separated lines
  // (names and values are percent-decoded).
  void SetRawString(std::string_view text);
  // Replaces the lines with those of strings that are run parameters: names
  // beginning with "KX_" (any case) are skipped; each line must pass
  // ParamIsValid and the controller's OnParseParameter.
  void AddStrings(const TStrings& strings) override;
  // Replaces the lines with the run parameters of an address's query (its raw
  // text, decoded as a form's fields are: "+" is a space), as AddStrings takes
  // them. Only the address's own query: the stand-alone host lists a posted
  // body's fields among the query fields, and what a visitor typed (a password
  // too) must never reach an address.
  void SetFromQuery(std::string_view query);
};

class TKXPermissions : public TObject {
 public:
  bool CanEditPages() const { return FCanEditPages; }  // false
  void SetCanEditPages(bool value) { FCanEditPages = value; }

 private:
  bool FCanEditPages = false;
};

// Called with handled false; setting it true replaces the default error display.
using TKXExecuteFormErrorEvent = std::function<void(TObject* sender, const std::exception& error, bool& handled)>;

// A window side the browser posted (KX_width, KX_height), in pixels: a number from 0 to 100,000; anything else (no
// number, negative, absurdly large) keeps current.
int PostedWindowSide(std::string_view text, int current);

// One user session. Created (already locked and registered in the session
// store) by session dispatch through TComponent::Create<TKXApplication>(nullptr,
// browser, request, reply, clientIP, user, password, scriptName); freed by the
// store (termination, expiry, Clear) once it is out of the store and unlocked.
// Only the request holding the session lock touches it, except the store's
// access marks and status reads.
class TKXApplication : public TComponent, public IKXCacheOwner {
  KX_COMPONENT_CLASS(TKXApplication, TComponent)

 public:
  using Clock = std::chrono::steady_clock;

  // The creation steps run in AfterConstruction: raises EUnknownBrowserException
  // "Unknown browser type. User Agent string: %s" for an unsupported browser,
  // EKXException for a session id from OnGetSessionID outside the id alphabet
  // ("A-Z a-z 0-9 ~ -"), and the store's message for a duplicate id; in each
  // case nothing stays registered.
  TKXApplication(std::unique_ptr<TBrowser> browser, THttpRequest* request, THttpReply* reply,
                 std::string clientIP, std::string user, std::string password, std::string scriptName);

  // ---- identity, lock and times
  const std::string& AppID() const { return FAppID; }
  // 1 at creation, +1 after each executed request.
  std::int32_t TrackID() const { return FTrackID; }
  void SetTrackID(std::int32_t value) { FTrackID = value; }
  // The track id as it travels: lower-case base 36.
  std::string TrackID36() const;
  const std::string& TaggedSessionName() const { return FTaggedSessionName; }
  void SetTaggedSessionName(const std::string& value) { FTaggedSessionName = value; }

  // The session lock (re-entrant).
  void Lock() { FLock->Enter(); }
  bool TryLock() { return FLock->TryEnter(); }
  void Unlock() { FLock->Leave(); }
  // The same lock as a shared object: a thread waiting for it holds a share, so the lock outlives the session if
  // the session is freed meanwhile (the session store's look-ups wait this way).
  const std::shared_ptr<TKXTimedCriticalSection>& SharedLock() const { return FLock; }

  // Minutes; 0 makes the session expire at its next look-up.
  std::int32_t SessionTimeOut() const { return FSessionTimeOut.load(); }
  void SetSessionTimeOut(std::int32_t minutes) { FSessionTimeOut.store(minutes); }
  // A brand-new session runs on a 1-minute timeout until its second request,
  // which gives it the controller's timeout (ApplyConfiguredTimeout).
  void SetNewSessionTimeout();
  void ApplyConfiguredTimeout();
  // The value "/$/QueryStatus" reports (0 at creation).
  std::int32_t Status() const { return mStatus.GetValue(); }
  void SetStatus(std::int32_t value) { mStatus.SetValue(value); }
  // Records now as the last access (thread-safe).
  void MarkAccess();
  // Date-time of creation and of the last access.
  TDateTime CreationTime() const { return mCreationTime; }
  TDateTime GetLastAccess() const;
  TDateTime GetSessionTimeStamp() const { return FSessionTimeStamp; }
  // Whether now lies a whole timeout or more after the last access (equality
  // counts). Monotonic: a change of the wall clock expires nothing.
  bool IsExpired(Clock::time_point now) const;

  // ---- the current request
  // Stores request and reply, clears the per-request flags and empties the callback response.
  void Initialize(THttpRequest* request, THttpReply* reply);
  // Drops the request and reply references (at the end of every request).
  void FinishRequest();
  THttpRequest* Request() const { return FRequest; }
  THttpReply* Response() const { return FResponse; }
  bool IsCallBack() const { return FIsCallBack; }
  void SetIsCallBack(bool value) { FIsCallBack = value; }
  TBrowser* Browser() const { return mBrowser.get(); }
  // The client address that created the session.
  const std::string& IP() const { return FIP; }
  const std::string& AuthUser() const { return FAuthUser; }
  const std::string& AuthPassword() const { return FAuthPassword; }
  void SetUserNameAndPassword(const std::string& user, const std::string& password);
  const std::string& ReferringURL() const { return FReferringURL; }
  TKXParamsString& RunParams() { return FRunParams; }
  const TKXParamsString& RunParams() const { return FRunParams; }
  // The request's uploaded files; nullptr without a request.
  THttpFileList* GetFileList() const;
  THttpFile* FindFile(const std::string& name) const;
  // The browser window size; -1 until known.
  std::int32_t FormWidth() const { return FFormWidth; }
  void SetFormWidth(std::int32_t value) { FFormWidth = value; }
  std::int32_t FormHeight() const { return FFormHeight; }
  void SetFormHeight(std::int32_t value) { FFormHeight = value; }
  // The current request came over HTTPS (recomputed on every call).
  bool GetSecureMode();

  // ---- flags of the current request
  // The session ends after this request.
  bool Terminated() const { return mTerminated; }
  bool SkipExecuteForm() const { return mSkipExecuteForm; }
  void SetSkipExecuteForm(bool value) { mSkipExecuteForm = value; }
  // A file or stream was sent: the form is not rendered.
  bool SkipGenerateForm() const { return mSkipGenerateForm; }
  void SetSkipGenerateForm(bool value) { mSkipGenerateForm = value; }
  bool IsRedirect() const { return mIsRedirect; }
  void SetIsRedirect(bool value) { mIsRedirect = value; }

  // ---- forms
  // Executes the active form with params, then renders it unless the reply carries a file or stream.
  void ProcessForm(THttpReply& reply, TStrings& params);
  // Always true. Exceptions of the form go to HandleExecuteFormError.
  bool ExecuteActiveForm(TStrings& params);
  void GenerateActiveForm(THttpReply& reply);
  // Pushes form unless it is on top already (then nothing happens).
  void SetActiveForm(TComponent* form);
  // Removes every occurrence of form from the active-form stack.
  void RemoveForm(TComponent* form);
  TComponent* GetActiveForm() const;
  TComponent* GetActiveFormByIndex(int index) const;
  int GetActiveFormCount() const { return int(FActiveForms.size()); }
  // Enforces the active form's connection mode and records its execute action.
  void ChangeActiveForm();
  // The new active form's OnShow.
  void ActiveFormListChanged();
  // Frees form after the current execution.
  void ReleaseForm(TComponent* form);
  TComponent* FindFormByName(std::string_view name) const;
  TComponent* FindFormByClassName(std::string_view name) const;
  // All forms and data modules of the session.
  TComponent* GetForm(int index) const;
  int GetFormCount() const { return int(FForms.size()); }
  TComponent* LastForm() const { return FLastForm; }
  void AddDataModule(TDataModule* module);
  void RemoveDataModule(TDataModule* module);
  const std::string& FormAction() const { return FFormAction; }

  // ---- callbacks
  IKXCallBacks* CallBacks() const { return FCallbacks.get(); }
  IKXCallBackResponse* CallBackResponse() const { return FCallBackResponse.get(); }
  void RegisterCallBack(const std::string& name, TKXCallBackMethod method);
  void UnregisterCallBack(const std::string& name);
  void PerformCallBack(TComponent* component, const std::string& name);
  bool CallBackProcessing() const { return FCallBackProcessing; }

  // ---- render override: a prepared reply body that replaces rendering
  void SetRenderOverride(std::unique_ptr<TKXRenderStream> stream);
  bool HasRenderOverride() const { return mRenderOverride != nullptr; }
  // Hands the override to reply; false when there is none.
  bool SendRenderOverride(THttpReply& reply);

  // ---- URLs
  // The application URL base, ending with "/".
  const std::string& AppUrlBase() const { return mAppUrlBase; }
  // AppUrlBase + "$/".
  std::string InternalUrlBase() const override { return mInternalUrlBase; }
  // The base of the session's internal paths (with the id when sessions live in the URL).
  const std::string& SessionInternalUrlBase() const { return mSessionInternalUrlBase; }
  const std::string& SessionUrlBase() const { return mSessionUrlBase; }
  const std::string& UserCacheUrlBase() const { return mUserCacheUrlBase; }
  // The path of the session's cache folder (CacheDir + "user/" + id + "/"; empty without a controller cache
  // folder). The folder itself is made by ForceUserCacheDir, so most sessions never have one.
  const std::string& UserCacheDir() const { return mUserCacheDir; }
  // UserCacheDir, creating the folder (with its parents) when it is missing; whoever puts the session's first file
  // there calls this. The folder is then deleted with the session. Raises EKXException "Unable to create cache
  // directory "<folder>"." when it cannot be made, and "Cache folder is not defined." when there is no path.
  const std::string& ForceUserCacheDir();
  const std::string& CookiePath() const { return mCookiePath; }
  void SetCookiePath(const std::string& value) { mCookiePath = value; }
  // The execute action set by a form content handler.
  const std::string& MappedURL() const { return FMappedURL; }
  void SetMappedURL(const std::string& value) { FMappedURL = value; }
  // MappedURL when set, else SessionInternalUrlBase.
  std::string GetExecAction() const;
  // Whether the client came over https: the connection the request came on (HttpsHeader, which the host fills);
  // behind a trusted proxy that sent X-Forwarded-Proto, the proxy says (ForwardedOrigin, kx/appserver/Server.h).
  static bool IsHTTPS(const THttpRequest* request);
  // "http(s)://" + the request's host and the controller's port (or SSL port) unless it is the default; behind a
  // trusted proxy the host and port the client used (TForwardedOrigin::URL).
  static std::string GetHost(const THttpRequest& request, bool secure);
  static std::string FullApplicationURL(const THttpRequest& request);
  std::string GetApplicationURL() const;
  std::string GetInternalFileURL(const std::string& name) const;
  std::string GetExternalFileURL(const std::string& name) const;
  std::string GetActiveMasterTemplate() const;
  // Removes the session id and the character after it when the id is not at the end.
  void RemoveAppIdFromURL(std::string& url) const;

  // ---- the rest
  TKXPermissions& Permissions() { return mPermissions; }
  void SetPermissions(const TKXPermissions& value) { mPermissions.SetCanEditPages(value.CanEditPages()); }
  std::string GetApplicationPath();
  bool GetDesignMode() const { return false; }
  // The author's per-session object, freed with the session.
  TObject* Data() const { return FData.get(); }
  void SetData(std::unique_ptr<TObject> value) { FData = std::move(value); }
  // The session's cache files (ctSession), deleted when the session ends.
  TStringList& CacheFiles() override { return mCacheFiles; }
  IKXCacheOwner* CacheSession() override { return this; }
  bool IsCacheForm() const override { return false; }
  // Writes the event to the session event log when the controller asks for it.
  void LogSessionEvent(TSessionEvent event);

  // Replaces the default error display during one execution.
  TKXExecuteFormErrorEvent OnExecuteFormError;
  // The default error display: OnExecuteFormError, then the controller's
  // exception handling, then ShowMessage with the controller's display mode.
  virtual void HandleExecuteFormError(TObject* sender, const std::exception& error);

  // ---- output operations
  // Defined here: the ones session dispatch and error display need.
  // Sends the browser to url (a script in a callback, a redirect page otherwise).
  void GoToURL(const std::string& url, bool replace = true, bool resolve = true);
  // The session ends after this request.
  void Terminate();
  void TerminateAndRedirect(const std::string& url, bool resolve = true);
  void ShowMessage(const std::string& message, TKXShowMessageType kind = smAlert,
                   const std::string& templateName = "");
  // Defined by the output unit (appserver/ApplicationOutput.cpp).
  void Terminate(const std::string& message);
  void SwitchToSecure();
  void SwitchToNonSecure();
  void SendFile(const std::string& fileName, bool attachment = false, const std::string& contentType = "",
                const std::string& displayName = "");
  void SendStream(std::unique_ptr<TStream> stream, bool attachment = false, const std::string& contentType = "",
                  const std::string& fileName = "");
  void SetSendHeaders(bool attachment, const std::string& contentType, const std::string& fileName);
  void NewWindow(const std::string& url);
  void NewWindow(const std::string& url, const std::string& windowName, int height, int width);

 protected:
  // Deletes the session's cache files and, when ForceUserCacheDir made it, its cache folder.
  ~TKXApplication() override;
  void AfterConstruction() override;
  void Dispose() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void InitApplication();
  void FreeReleasedForms();

  TThreadSafeValue mStatus{0};
  // Milliseconds from creation to the last access.
  std::atomic<std::int64_t> mLastAccess{0};
  TDateTime mCreationTime = 0;
  Clock::time_point mCreationTick;
  TComponent* FLastForm = nullptr;
  std::unique_ptr<IKXCallBacks> FCallbacks;
  std::shared_ptr<TKXTimedCriticalSection> FLock = std::make_shared<TKXTimedCriticalSection>();
  bool FSecureMode = false;
  std::int32_t FFormHeight = -1;
  std::int32_t FFormWidth = -1;
  bool FCallBackProcessing = false;
  TKXPermissions mPermissions;
  std::string FApplicationPath;
  std::vector<TComponent*> FActiveForms;
  std::vector<TComponent*> FReleasedForms;
  std::string FAppID;
  std::string mAppUrlBase;
  std::string mInternalUrlBase;
  std::string mSessionInternalUrlBase;
  std::string mSessionUrlBase;
  std::string mUserCacheUrlBase;
  // Most sessions have no user name, password, master template, referrer or mapped URL: one pointer each then.
  TCompactString FAuthPassword;
  TCompactString FAuthUser;
  std::unique_ptr<IKXCallBackResponse> FCallBackResponse;
  std::unique_ptr<TBrowser> mBrowser;
  std::unique_ptr<TObject> FData;
  std::string FFormAction;
  std::vector<TComponent*> FForms;
  std::string FIP;
  bool FIsCallBack = false;
  TCompactString FMasterTemplate;
  TCompactString FReferringURL;
  THttpReply* FResponse = nullptr;
  THttpRequest* FRequest = nullptr;
  TKXParamsString FRunParams;
  std::atomic<std::int32_t> FSessionTimeOut{0};
  bool mAwaitingSecondRequest = false;
  TDateTime FSessionTimeStamp = 0;
  // Read by the store for another request's start (TKXSessions::IsLive) while this one's request may set it.
  std::atomic<bool> mTerminated{false};
  bool mSkipExecuteForm = false;
  bool mSkipGenerateForm = false;
  bool mIsRedirect = false;
  std::int32_t FTrackID = 1;
  std::string FTaggedSessionName;
  std::string mUserCacheDir;
  bool mUserCacheDirMade = false;
  TCompactString FMappedURL;
  std::unique_ptr<TKXRenderStream> mRenderOverride;
  TStringList mCacheFiles;
  std::string mCookiePath;
  // Creation arguments, used by AfterConstruction.
  std::string mScriptName;
  // The session was registered in the store (and the destruction steps for a
  // full session apply).
  bool mRegistered = false;
};

// The base of the author's per-session data module. Create it with
// TComponent::Create<TMyUserSession>(owner, session).
class TKXUserSessionBase : public TDataModule {
  KX_COMPONENT_CLASS(TKXUserSessionBase, TDataModule)

 public:
  explicit TKXUserSessionBase(TKXApplication* session = nullptr) : mWebApplication(session) {}

  // The session given at creation, else the thread's current application.
  TKXApplication* GetWebApplication() const;

 protected:
  // Calls OnDestroy and ignores what it raises.
  void DoDestroy() override;

 private:
  TKXApplication* mWebApplication;
};

}  // namespace kx
