// Forms: TKXBaseForm ties a form to its session (show, hide, release, its
// posted parameters, the form-id check, tab orders and the name index of its
// components); TKXBaseHTMLForm adds the page colours; TKXForm is the standard
// form, which renders itself as a page or as a callback update
// (forms/PageGeneration.h) and executes what the browser posts
// (forms/FormExecution.h). A form builds its controls in code in
// BuildComponents, which runs during creation, followed by Loaded and OnCreate.
// Builds on forms/Containers.h, forms/LayoutManagers.h, forms/ComponentHash.h
// and the form seams of appserver/Application.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/Application.h"
#include "kx/appserver/CacheFiles.h"
#include "kx/appserver/FileReference.h"
#include "kx/forms/ComponentHash.h"
#include "kx/forms/Containers.h"
#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/LayoutManagers.h"
#include "kx/forms/RenderContexts.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/CompactFunction.h"
#include "kx/platform/Components.h"
#include "kx/platform/Controls.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TKXForm;
class TKXPageGenerator;
class TKXFormExecution;

// Called with the form and the verdict of the form-id check, which it may change.
using TKXCheckFormIdEvent = std::function<void(TObject* sender, bool& valid)>;

// Wraps the tag of a control with UseFrame in the default frame of container
// borders and returns the wrapper; set by the unit of regions. Until it is set
// such tags stay unwrapped.
using TKXCreateDefaultFrame = TKXElementPtr<TKXMarkupLanguageTag> (*)(TKXElementPtr<TKXMarkupLanguageTag> tag,
                                                                      TComponent* control);
// The forms layer's seams, a slot of the runtime.
struct TKXFormsSeams {
  TKXCreateDefaultFrame CreateDefaultFrame = nullptr;  // InstallRegions
};
inline constexpr TKXRuntimeSlotRef<&TKXFormsSeams::CreateDefaultFrame> gCreateDefaultFrame{};

// What the page reads of a form's progress indicator: its markup and the four
// script lists run around submits and callbacks.
class IKXProgressIndicator {
 public:
  virtual std::string Render() = 0;
  virtual const TStrings& PreScript() = 0;
  virtual const TStrings& PostScript() = 0;
  virtual const TStrings& PreAsyncScript() = 0;
  virtual const TStrings& PostAsyncScript() = 0;

 protected:
  ~IKXProgressIndicator() = default;
};

// What a form asks of its AJAX notifier: whether a notification is pending (the browser then calls the notifier's
// "DoOnNotify" callback once more after the current callback).
class IKXAJAXNotifier {
 public:
  virtual bool NotificationPending() const = 0;

 protected:
  ~IKXAJAXNotifier() = default;
};

// The design surface of forms; only its size defaults matter on the server.
class TKXModuleDsn : public TKXContainer {
  KX_COMPONENT_CLASS(TKXModuleDsn, TKXContainer)

 protected:
  // 185 x 41.
  void InitControl() override;
};

class TKXBaseForm : public TKXModuleDsn, public virtual IKXForm {
  KX_COMPONENT_CLASS(TKXBaseForm, TKXModuleDsn)

 public:
  // ---- properties
  // cmAny by default; checked by the session when the form becomes active.
  TKXConnectionMode ConnectionMode() const override { return FConnectionMode; }
  void SetConnectionMode(TKXConnectionMode value) { FConnectionMode = value; }
  // Head lines written before / after the page's own; author text, written as it is.
  TStringList& PreHeader() { return FPreHeader; }
  void SetPreHeader(const TStrings& value) { FPreHeader.Assign(&value); }
  TStringList& ExtraHeader() { return FExtraHeader; }
  void SetExtraHeader(const TStrings& value) { FExtraHeader.Assign(&value); }
  // Script (".js", any case) and style-sheet files the page loads.
  TStringList& ContentFiles() { return FContentFiles; }
  void SetContentFiles(const TStrings& value) { FContentFiles.Assign(&value); }
  // name=value lines posted with every submit as hidden fields; a non-empty
  // posted value of the same name replaces the value.
  TStringList& HiddenFields() { return FHiddenFields; }
  void SetHiddenFields(const TStrings& value) { FHiddenFields.Assign(&value); }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& value) { FTitle = value; }
  // False by default; with the controller's back-button mode bmInterceptForm it turns interception on.
  bool PreventBackButton() const { return FPreventBackButton; }
  void SetPreventBackButton(bool value) { FPreventBackButton = value; }
  // True after creation.
  bool AllowPageAccess() const { return FAllowPageAccess; }
  void SetAllowPageAccess(bool value) { FAllowPageAccess = value; }
  // The URL the page's FORM posts to; empty: the page's own URL.
  const std::string& FormAction() const { return FFormAction; }
  virtual void SetFormAction(const std::string& value) { FFormAction = value; }

  // A form's events cost one pointer each while empty, as most stay (TCompactFunction).
  TCompactFunction<void(TObject* sender)> OnAfterRender;
  // At the end of creation, after BuildComponents and Loaded.
  TCompactFunction<void(TObject* sender)> OnCreate;
  // At the start of Free.
  TCompactFunction<void(TObject* sender)> OnDestroy;
  TCompactFunction<void(TObject* sender)> OnShow;
  TCompactFunction<void(TObject* sender, bool& valid)> OnCheckFormId;

  // ---- state
  // The posted fields of the current request as name=value lines.
  TStrings& Params() override { return FParams; }
  TKXFormState FormState() const override { return FFormState; }
  // Executions since the form was last shown.
  std::int32_t ExecCount() const { return FExecCount; }
  // 22 characters when the controller checks form ids (set at creation), else empty.
  const std::string& FormId() const { return FFormId; }
  bool Released() const { return FReleased; }
  // The session: the owner when it is one, else the thread's current
  // application at first use; null without either.
  TKXApplication* WebApplication() const;
  TKXComponentHash& ComponentHash() { return *FComponentHash; }

  // ---- operations
  // Makes the form the session's active form and restarts the execution count.
  void Show() override;
  // Takes the form off the session's active-form stack.
  virtual void Hide();
  // The session frees the form after the current request; Hide.
  virtual void Release();
  // Release, then the browser goes to url.
  virtual void ReleaseAndRedirect(const std::string& url);
  // Takes params as the posted fields, then ExecuteForm().
  void ExecuteForm(const TStrings& params) override;
  // Counts the execution and runs DoExecuteForm in the state fsExecuting.
  void ExecuteForm();
  // Runs DoGenerateForm / DoGenerateCallBack in the state fsRendering.
  void GenerateForm(TKXRenderStream& stream) override;
  void GenerateCallBack(IKXCallBackResponse& response) override;
  // In test mode the recorder submits the control (TKXTestFramework::SubmitForm, defined in forms/TestRecorder.cpp);
  // otherwise EKXException "Not in test mode.".
  virtual void Submit(IKXSubmitControl* submitControl);
  // The component of that HTML or input name (any case); null when none.
  TComponent* LocateComponent(const std::string& name);
  void TriggerOnShow();
  // Calls OnAfterRender.
  virtual void DoAfterRender();
  // Numbers the tab orders of container's framework controls sorted by
  // position (stXY: Left, then Top; stYX: Top, then Left) as level * 1000 + i,
  // then those of each child container with level + 1.
  void ResetTabOrders(TKXContainer* container, TKXTabSortType sortType, int level);
  // A framework control moves in its parent's child order (SetZOrderPosition); others as the platform does.
  void SetChildOrder(TControl* child, int order);

  // ---- IKXForm
  TKXForm* KXForm() override;
  // False: the application form says true.
  bool IsAppForm() const override { return false; }
  // TriggerOnShow.
  void DoShow() override { TriggerOnShow(); }
  void ForceAlign() override { TKXModuleDsn::ForceAlign(); }
  // Nothing at this level.
  void ResyncEvents() override {}
  // True: with authentication active the request must authenticate.
  bool RequestAuth(const THttpRequest& request, std::string& realm) override;
  bool SendAJAXNotification() const override { return false; }
  std::string GetKXAJAXNotificationJSCode() const override { return std::string(); }
  // None at this level.
  const TComponentClass* MessageForm() const override { return nullptr; }

 protected:
  // The defaults, the lists and, when the controller checks form ids, the form id.
  void InitControl() override;
  // The creation steps: a name when the form has none (the class name without
  // its T, numbered "_1", "_2" ... when the owner has that name already), then
  // BuildComponents and Loaded, then DoCreate, in the state fsCreating.
  void AfterConstruction() override;
  // OnDestroy.
  void BeforeDestruction() override;
  // Leaves the session.
  void Dispose() override;
  // A component of the form going marks the name index for a refresh.
  void Notification(TComponent* component, TOperation operation) override;
  // Marks the name index for a refresh unless the form is being destroyed.
  void KXComponentsChanged(TComponent* component) override;
  // OnCreate, then the controls are aligned.
  virtual void DoCreate();
  // Nothing at this level.
  virtual void DoGenerateForm(TKXRenderStream& stream) { (void)stream; }
  virtual void DoGenerateCallBack(IKXCallBackResponse& response) { (void)response; }
  // The form-id check: from the second execution after Show, with a form id
  // and posted fields, "KX_FormID_" must equal the form id (case-sensitive);
  // OnCheckFormId may change the verdict; a false verdict raises
  // EKXSecurityException "Invalid form Id".
  virtual void DoExecuteForm();

 private:
  TKXConnectionMode FConnectionMode = cmAny;
  TStringList FPreHeader;
  TStringList FExtraHeader;
  TStringList FContentFiles;
  TStringList FHiddenFields;
  TStringList FParams;
  bool FReleased = false;
  std::string FTitle;
  mutable TKXApplication* FWebApplication = nullptr;
  TKXFormState FFormState = fsUndefined;
  bool FPreventBackButton = false;
  std::int32_t FExecCount = 0;
  std::string FFormAction;
  bool FAllowPageAccess = true;
  std::unique_ptr<TKXComponentHash> FComponentHash;
  std::string FFormId;
};

class TKXBaseHTMLForm : public TKXBaseForm {
  KX_COMPONENT_CLASS(TKXBaseHTMLForm, TKXBaseForm)

 public:
  // clNone by default: nothing is written.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { FBGColor = value; }
  TKXColor LinkColor() const { return FLinkColor; }
  void SetLinkColor(TKXColor value) { FLinkColor = value; }
  TKXColor TextColor() const { return FTextColor; }
  void SetTextColor(TKXColor value) { FTextColor = value; }
  TKXColor VLinkColor() const { return FVLinkColor; }
  void SetVLinkColor(TKXColor value) { FVLinkColor = value; }

 private:
  TKXColor FBGColor = clNone;
  TKXColor FLinkColor = clNone;
  TKXColor FTextColor = clNone;
  TKXColor FVLinkColor = clNone;
};

// A page background image.
class TKXBackground : public TKXFileReference {
 public:
  // False by default: the image scrolls with the page.
  bool Fixed() const { return FFixed; }
  void SetFixed(bool value) { FFixed = value; }

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  bool FFixed = false;
};

// The standard form. Authors derive from it and build their controls in
// BuildComponents:
//   class TMainForm : public TKXForm {
//     KX_COMPONENT_CLASS(TMainForm, TKXForm)
//    protected:
//     void BuildComponents() override { ... TComponent::Create<TMyEdit>(this) ... }
//   };
class TKXForm : public TKXBaseHTMLForm,
                public virtual IKXHTML40Form,
                public virtual IKXHTMLForm,
                public virtual IKXCacheOwner {
  KX_COMPONENT_CLASS(TKXForm, TKXBaseHTMLForm)

 public:
  // ---- properties
  // True by default; false writes DIR="RTL" on the BODY.
  bool LeftToRight() const { return FLeftToRight; }
  void SetLeftToRight(bool value) { FLeftToRight = value; }
  // The control focused when the page shows; null when none or once it has been freed.
  IKXHTML40Control* ActiveControl() const { return Supports<IKXHTML40Control>(FActiveControl.Get()); }
  // Stores the control; during a callback the browser focuses it after the answer.
  void SetActiveControl(IKXHTML40Control* control) override;
  bool ActiveControlChanged() const { return FActiveControlChanged; }
  // Script lines the page runs once (inside its script section).
  TStringList& JavaScript() { return FJavaScript; }
  void SetJavaScript(const TStrings& value) { FJavaScript.Assign(&value); }
  // Once-only script for the next page; emptied when a new page starts.
  const std::string& JavaScriptOnce() const { return FJavaScriptOnce; }
  void SetJavaScriptOnce(const std::string& value) { FJavaScriptOnce = value; }
  TKXBackground& Background() { return FBackground; }
  void SetBackground(const TKXBackground& value) { FBackground.Assign(&value); }
  bool HandleTabs() const { return FHandleTabs; }
  void SetHandleTabs(bool value) { FHandleTabs = value; }
  // True by default: the page stays locked until it has loaded.
  bool LockUntilLoaded() const { return FLockUntilLoaded; }
  void SetLockUntilLoaded(bool value) { FLockUntilLoaded = value; }
  // True by default: a submit locks the page.
  bool LockOnSubmit() const { return FLockOnSubmit; }
  void SetLockOnSubmit(bool value) { FLockOnSubmit = value; }
  // Empty by default; still empty once the form has loaded, it takes the server controller's.
  TKXFileReference& StyleSheet() { return FStyleSheet; }
  void SetStyleSheet(const TKXFileReference& value) { FStyleSheet.Assign(&value); }
  const std::string& Theme() const { return FTheme; }
  void SetTheme(const std::string& value) { FTheme = value; }
  // True by default.
  bool XPTheme() const { return FXPTheme; }
  void SetXPTheme(bool value) { FXPTheme = value; }
  // Accepted and dropped: a callback answer always carries the controls marked for refresh.
  void SetUpdateMode(TKXFormUpdateMode value) { (void)value; }
  // Accepted and dropped: with an OnResize handler the page always reports the browser's size.
  void SetServerOnResize(bool value) { (void)value; }
  // Accepted and dropped: nothing reads it; the session checks are the controller's SecurityOptions.
  void SetBrowserSecurityCheck(bool value) { (void)value; }
  // Empty by default (then the controller's, else "<!DOCTYPE HTML>"). A
  // trimmed value that does not start with "<!DOCTYPE" and end with ">" raises.
  const std::string& DocType() const { return FDocType; }
  void SetDocType(const std::string& value);
  // False by default: with it the page pings the session every quarter of its timeout.
  bool KeepAlive() const { return FKeepAlive; }
  // A change also re-sends the keep-alive interval with the next callback.
  void SetKeepAlive(bool value);
  // The component (implementing IKXProgressIndicator) shown while a submit or
  // callback is under way; null when none or once it has been freed.
  TComponent* ProgressIndicator() const { return FProgressIndicator.Get(); }
  void SetProgressIndicator(TComponent* value) { FProgressIndicator = value; }
  // The component (implementing IKXAJAXNotifier) whose pending notification the next callback answer carries;
  // null when none or once it has been freed.
  TComponent* KXAJAXNotifier() const { return FKXAJAXNotifier.Get(); }
  void SetKXAJAXNotifier(TComponent* value) { FKXAJAXNotifier = value; }
  // The notifier's pending flag; false without one.
  bool SendAJAXNotification() const override;
  // "ajaxNotify(\"NAME.DoOnNotify\");" for the notifier's HTML name; empty without one.
  std::string GetKXAJAXNotificationJSCode() const override;
  // Called with the form when the default action is posted (Enter in a field).
  TCompactFunction<void(TObject* sender)> OnDefaultAction;

  // ---- layout and rendering
  TComponent* LayoutMgr() override { return TKXContainer::LayoutMgr(); }
  void SetLayoutMgr(TComponent* value) override { TKXContainer::SetLayoutMgr(value); }
  // A layout is set and able (a template).
  bool GetHasTemplate();
  // The page context between an execution and the page it leads to; null otherwise.
  TKXPageContext40* PageContext() override { return FPageContext.get(); }
  // The control's position in the tab order of the current rendering; -1 when it has none.
  int RealTabOrderOf(const TComponent* control) override;
  // Start-up code of the next page, appended as it is.
  void AddToInitProc(const std::string& script) override { FInitProc += script; }
  void AddToInitProcNewWindowCode(const std::string& script) override;
  // A new container context over application: its layout is the form's able
  // layout manager, or a new TKXLayoutMgrForm that becomes the form's.
  std::unique_ptr<TKXContainerContext> InitContainerContext(TKXApplication* application) override;
  // The children render, then the layout processes them.
  void RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override;
  // The marked controls' update elements, the form's own element with its
  // hidden fields, and the script that focuses the control named by the
  // callback response.
  void RenderAsyncComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override;
  // The form's update element: "control" (id = the form's name, type
  // "KXFORM") with one "hiddenfield" per hidden field, its value as CDATA.
  TKXElementPtr<TKXXMLTag> RenderAsync();
  // A control with UseFrame gets the default frame under a layout that allows
  // frames; then the control writes its scripts (not once the session is terminated).
  TKXMarkupLanguageTag* DoPostRenderProcessing(TKXMarkupLanguageTag* tag, TKXCompContext* context,
                                               TComponent* component) override;
  // Whether component is marked for refresh.
  bool CheckUpdateTree(TComponent* component) override;
  // The script that moves the refreshing visible controls to their rectangles.
  std::string GenerateControlPositions() override;
  // A name ending with ".js" (any case) becomes a pre-script file of the page, any other a style sheet.
  void ProcessContentFile(const std::string& file);
  // The content files and ready code of the enabled components (inside
  // frames too) owned by component that require the form's rendering.
  void RenderWidgets(TComponent* component, TKXPageContext40* pageContext);
  // Calls OnDefaultAction.
  void DoDefaultAction();
  // Gives the page being generated the hidden IFRAME "SubmitFrame", which loads a one-time cache file of the
  // session holding the page's update and start-up code around its FORM. Meant for a layout's Process, when the
  // FORM is complete and the BODY not yet written; no page has it otherwise. Raises EKXException while no page is
  // generated.
  void AddSubmitIFrame();

  // ---- IKXHTML40Container, IKXHTMLForm
  bool ShowHint() const override { return TControl::ShowHint(); }
  int Width() const override { return TControl::Width(); }
  int Height() const override { return TControl::Height(); }
  // Nothing when the size stays the same; otherwise the bounds are set, the
  // controls re-aligned and the OnResize of every frame the form owns called.
  void SetBounds(int left, int top, int width, int height) override;
  // The form's own refresh marker (its controls keep theirs).
  bool DoRefreshControl() const { return FDoRefreshControl; }
  void SetDoRefreshControl(bool value) override { FDoRefreshControl = value; }
  // The browser window's size becomes the form's.
  void SetBrowserSize(int width, int height) override { SetBounds(0, 0, width, height); }

  // ---- IKXForm
  TKXForm* KXForm() override { return this; }
  // Registers the asynchronous events of every component that has them.
  void ResyncEvents() override;

  // ---- IKXCacheOwner
  IKXCacheOwner* CacheSession() override;
  bool IsCacheForm() const override { return true; }
  TStrings& CacheFiles() override { return mCacheFiles; }
  std::string InternalUrlBase() const override;

  // The first TKXForm among control and its parents; null when none.
  static TKXForm* FindParentForm(TComponent* control);

 protected:
  void InitControl() override;
  // Frees the page context and the form's cache files.
  void Dispose() override;
  // The inherited Loaded, then the controls are aligned and an empty StyleSheet takes the controller's.
  void Loaded() override;
  // The page (forms/PageGeneration.h) and the execution (forms/FormExecution.h), defined beside their helpers so
  // that the form stands below them.
  void DoGenerateForm(TKXRenderStream& stream) override;
  void DoGenerateCallBack(IKXCallBackResponse& response) override;
  void DoExecuteForm() override;
  // A new page context over the session, told of the resize prediction, the form and the progress indicator.
  void CreatePageContext();

 private:
  friend class TKXPageGenerator;

  // Builds the list of the controls that take part in tab order, in tab order.
  void FillRealTabOrders();
  void AddRealTabOrders(TKXContainer* owner);
  void ClearRealTabOrders() { FRealTabOrderList.clear(); }

  bool FLeftToRight = true;
  TComponentRef<TComponent> FActiveControl;
  bool FActiveControlChanged = false;
  std::string FInitProc;
  TStringList FJavaScript;
  std::string FJavaScriptOnce;
  TKXBackground FBackground;
  bool FHandleTabs = false;
  bool FLockUntilLoaded = true;
  bool FLockOnSubmit = true;
  TKXFileReference FStyleSheet;
  std::string FTheme;
  bool FXPTheme = true;
  std::string FDocType;
  bool FKeepAlive = false;
  bool FRenderKeepAlive = false;
  std::vector<const TComponent*> FRealTabOrderList;
  TComponentRef<TComponent> FProgressIndicator;
  TComponentRef<TComponent> FKXAJAXNotifier;
  bool FDoResizePrediction = true;
  bool FDoRefreshControl = false;
  std::unique_ptr<TKXPageContext40> FPageContext;
  std::unique_ptr<TKXHTML40ContainerImplementation> FHTML40ContainerImpl;
  TStringList mCacheFiles;
};

// Moves control to position among its parent's children (clamped to the
// list). A control that is on no form raises EInvalidOperation with the
// platform's parent-required message.
void SetZOrderPosition(TControl* control, int position);
// The first TKXBaseForm among the control's parents; null when none.
TKXBaseForm* GetKXControlParentForm(TComponent* control);
// The object's message-form interface, or null.
IKXMessageForm* MessageFormInterface(TObject* object);

}  // namespace kx
