#include "kx/forms/Forms.h"

#include <algorithm>
#include <utility>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/forms/FormExecution.h"
#include "kx/forms/PageGeneration.h"
#include "kx/forms/TestRecorder.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/SortedLists.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";

// Sets a form's state for one operation and restores the previous one, however it ends.
class TStateScope {
 public:
  TStateScope(TKXFormState& state, TKXFormState value) : mState(state), mPrevious(state) { mState = value; }
  ~TStateScope() { mState = mPrevious; }
  TStateScope(const TStateScope&) = delete;
  TStateScope& operator=(const TStateScope&) = delete;

 private:
  TKXFormState& mState;
  TKXFormState mPrevious;
};

// The name a form takes when it has none: its class name without the leading
// T, numbered when the owner holds that name already.
std::string DefaultFormName(const TComponent* form) {
  std::string base(form->ClassType().Name);
  if (base.size() > 1 && (base[0] == 'T' || base[0] == 't')) base.erase(0, 1);
  if (!IsValidIdent(base)) base = "Form";
  const TComponent* owner = form->Owner();
  if (owner == nullptr || owner->FindComponent(base) == nullptr) return base;
  for (int n = 1;; ++n) {
    const std::string name = base + "_" + IntToStr(n);
    if (owner->FindComponent(name) == nullptr) return name;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXModuleDsn

void TKXModuleDsn::InitControl() {
  TKXContainer::InitControl();
  SetBounds(Left(), Top(), 185, 41);
  SetVisible(true);
}

// ---------------------------------------------------------------------------
// TKXBaseForm

void TKXBaseForm::InitControl() {
  TKXModuleDsn::InitControl();
  FAllowPageAccess = true;
  FComponentHash = std::make_unique<TKXComponentHash>();
  FComponentHash->SetIgnoreDuplicates(true);
  FExecCount = 0;
  if (!DesignMode() && gSC != nullptr && gSC->SecurityOptions()->CheckFormId()) FFormId = NewGuidEncode64();
}

void TKXBaseForm::AfterConstruction() {
  TKXModuleDsn::AfterConstruction();
  if (Name().empty()) SetName(DefaultFormName(this));
  FFormState = fsCreating;
  LoadComponents();
  DoCreate();
  FFormState = fsCreated;
}

void TKXBaseForm::DoCreate() {
  if (OnCreate) OnCreate(this);
  if (!DesignMode()) ForceAlign();
}

void TKXBaseForm::BeforeDestruction() {
  TKXModuleDsn::BeforeDestruction();
  if (OnDestroy) OnDestroy(this);
}

void TKXBaseForm::Dispose() {
  if (TKXApplication* application = WebApplication()) application->RemoveForm(this);
  FWebApplication = nullptr;
  TKXModuleDsn::Dispose();
}

void TKXBaseForm::Notification(TComponent* component, TOperation operation) {
  TKXModuleDsn::Notification(component, operation);
  if (operation == opRemove && FComponentHash && !ComponentState().Contains(csDestroying))
    FComponentHash->SetNeedsRefresh(true);
}

void TKXBaseForm::KXComponentsChanged(TComponent* component) {
  TKXModuleDsn::KXComponentsChanged(component);
  if (FComponentHash && !ComponentState().Contains(csDestroying)) FComponentHash->SetNeedsRefresh(true);
}

TKXApplication* TKXBaseForm::WebApplication() const {
  if (DesignMode()) return nullptr;
  if (FWebApplication == nullptr) {
    FWebApplication = Supports<TKXApplication>(Owner());
    if (FWebApplication == nullptr) FWebApplication = GetWebApplication();
  }
  return FWebApplication;
}

TKXForm* TKXBaseForm::KXForm() { return Supports<TKXForm>(this); }

void TKXBaseForm::Show() {
  if (TKXApplication* application = WebApplication()) application->SetActiveForm(this);
  FExecCount = 0;
}

void TKXBaseForm::Hide() {
  if (TKXApplication* application = WebApplication()) application->RemoveForm(this);
}

void TKXBaseForm::Release() {
  FReleased = true;
  if (TKXApplication* application = WebApplication()) application->ReleaseForm(this);
  Hide();
}

void TKXBaseForm::ReleaseAndRedirect(const std::string& url) {
  Release();
  if (TKXApplication* application = WebApplication()) application->GoToURL(url, true, true);
}

void TKXBaseForm::ExecuteForm(const TStrings& params) {
  if (&params != &FParams) FParams.Assign(&params);
  ExecuteForm();
}

void TKXBaseForm::ExecuteForm() {
  ++FExecCount;
  TStateScope scope(FFormState, fsExecuting);
  DoExecuteForm();
}

void TKXBaseForm::GenerateForm(TKXRenderStream& stream) {
  TStateScope scope(FFormState, fsRendering);
  DoGenerateForm(stream);
}

void TKXBaseForm::GenerateCallBack(IKXCallBackResponse& response) {
  TStateScope scope(FFormState, fsRendering);
  DoGenerateCallBack(response);
}

// F7: the verdict stops the execution whether or not a handler looked at it;
// an enabled check never lets a wrong id through.
void TKXBaseForm::DoExecuteForm() {
  if (FExecCount < 2 || gSC == nullptr || !gSC->SecurityOptions()->CheckFormId() || FFormId.empty() ||
      FParams.Count() == 0) {
    return;
  }
  bool valid = FParams.Values("KX_FormID_") == FFormId;
  if (OnCheckFormId) OnCheckFormId(this, valid);
  if (!valid) throw EKXSecurityException("Invalid form Id");
}

void TKXBaseForm::Submit(IKXSubmitControl* submitControl) {
  TestFramework().SubmitForm(*this, submitControl);
}

TComponent* TKXBaseForm::LocateComponent(const std::string& name) {
  if (FComponentHash->NeedsRefresh()) FComponentHash->Populate(this);
  return FComponentHash->LookUp(name);
}

void TKXBaseForm::TriggerOnShow() {
  if (OnShow) OnShow(this);
}

void TKXBaseForm::DoAfterRender() {
  if (OnAfterRender) OnAfterRender(this);
}

bool TKXBaseForm::RequestAuth(const THttpRequest& request, std::string& realm) {
  (void)request, (void)realm;
  return true;
}

void TKXBaseForm::ResetTabOrders(TKXContainer* container, TKXTabSortType sortType, int level) {
  if (container == nullptr) return;
  TKXList controls;
  std::vector<TKXContainer*> containers;
  for (int i = 0; i < container->ControlCount(); ++i) {
    TControl* child = container->Controls(i);
    if (Supports<TKXBaseControl>(child)) controls.Add(child);
    if (auto* nested = Supports<TKXContainer>(child)) containers.push_back(nested);
  }
  controls.MergeSort([sortType](void* a, void* b) {
    const auto* first = static_cast<TControl*>(a);
    const auto* second = static_cast<TControl*>(b);
    const int major = sortType == stXY ? first->Left() - second->Left() : first->Top() - second->Top();
    if (major != 0) return major < 0 ? -1 : 1;
    const int minor = sortType == stXY ? first->Top() - second->Top() : first->Left() - second->Left();
    return minor < 0 ? -1 : (minor > 0 ? 1 : 0);
  });
  for (int i = 0; i < controls.Count(); ++i) {
    if (IKXTabOrder* order = Supports<IKXTabOrder>(static_cast<TControl*>(controls.Items(i))))
      order->SetTabOrder(std::int16_t(level * 1000 + i));
  }
  for (TKXContainer* nested : containers) ResetTabOrders(nested, sortType, level + 1);
}

void TKXBaseForm::SetChildOrder(TControl* child, int order) {
  if (Supports<TKXBaseControl>(child)) {
    SetZOrderPosition(child, order);
  } else {
    TKXModuleDsn::SetChildOrder(child, order);
  }
}

void SetZOrderPosition(TControl* control, int position) {
  if (control == nullptr) return;
  TWinControl* parent = control->Parent();
  if (parent == nullptr || GetKXControlParentForm(control) == nullptr)
    throw EInvalidOperation(Format(SParentRequired, control->Name()));
  parent->SetChildOrder(control, position);
}

TKXBaseForm* GetKXControlParentForm(TComponent* control) {
  for (TComponent* parent = GetKXParent(control); parent != nullptr; parent = GetKXParent(parent)) {
    if (auto* form = Supports<TKXBaseForm>(parent)) return form;
  }
  return nullptr;
}

IKXMessageForm* MessageFormInterface(TObject* object) { return Supports<IKXMessageForm>(object); }

// ---------------------------------------------------------------------------
// TKXBackground

void TKXBackground::AssignTo(TPersistent* dest) const {
  TKXFileReference::AssignTo(dest);
  if (auto* background = Supports<TKXBackground>(dest)) background->FFixed = FFixed;
}

// ---------------------------------------------------------------------------
// TKXForm: properties

void TKXForm::InitControl() {
  FHTML40ContainerImpl = std::make_unique<TKXHTML40ContainerImplementation>(this);
  TKXBaseHTMLForm::InitControl();
  FDoResizePrediction = true;
  FLockUntilLoaded = true;
  FLockOnSubmit = true;
  FXPTheme = true;
  FLeftToRight = true;
  SetShowHint(true);
}

void TKXForm::Dispose() {
  FPageContext.reset();
  try {
    TKXAppCache::ClearCache(mCacheFiles);
  } catch (...) {
    // A file that cannot be removed must not keep the form alive.
  }
  TKXBaseHTMLForm::Dispose();
}

void TKXForm::Loaded() {
  TKXBaseHTMLForm::Loaded();
  if (DesignMode()) return;
  ForceAlign();
  if (FStyleSheet.Empty() && gSC != nullptr) FStyleSheet.Assign(&gSC->StyleSheet());
}

void TKXForm::SetActiveControl(IKXHTML40Control* control) {
  TComponent* instance = control ? control->InterfaceInstance() : nullptr;
  FActiveControlChanged = instance != FActiveControl.Get();
  FActiveControl = instance;
  TKXApplication* application = WebApplication();
  if (control == nullptr || application == nullptr || !application->IsCallBack()) return;
  if (IKXCallBackResponse* response = application->CallBackResponse())
    response->SetFocusedControlHTMLName(control->HTMLName());
}

void TKXForm::SetDocType(const std::string& value) {
  ValidateDocType(Trim(value));
  FDocType = value;
}

void TKXForm::SetKeepAlive(bool value) {
  if (value == FKeepAlive) return;
  FKeepAlive = value;
  FRenderKeepAlive = true;
}

bool TKXForm::GetHasTemplate() {
  auto* layout = Supports<TKXBaseLayoutComponent>(LayoutMgr());
  return layout != nullptr && layout->Able();
}

void TKXForm::AddToInitProcNewWindowCode(const std::string& script) {
  if (!FPageContext) CreatePageContext();
  FPageContext->AddToInitProcNewWindowCode(script);
}

void TKXForm::CreatePageContext() {
  FPageContext = std::make_unique<TKXPageContext40>(WebApplication());
  FPageContext->SetServerResize(FDoResizePrediction);
  FPageContext->SetParentForm(this);
  FPageContext->SetProgressIndicator(FProgressIndicator.Get());
}

void TKXForm::SetBounds(int left, int top, int width, int height) {
  if (!DesignMode() && width == Width() && height == Height()) return;
  TKXBaseHTMLForm::SetBounds(left, top, width, height);
  ForceAlign();
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* frame = Supports<TFrame>(Components(i));
    if (frame != nullptr && frame->OnResize) frame->OnResize(frame);
  }
}

IKXCacheOwner* TKXForm::CacheSession() { return WebApplication(); }

bool TKXForm::SendAJAXNotification() const {
  const IKXAJAXNotifier* notifier = Supports<IKXAJAXNotifier>(FKXAJAXNotifier.Get());
  return notifier != nullptr && notifier->NotificationPending();
}

std::string TKXForm::GetKXAJAXNotificationJSCode() const {
  IKXBaseHTMLComponent* notifier = Supports<IKXBaseHTMLComponent>(FKXAJAXNotifier.Get());
  if (notifier == nullptr) return std::string();
  return "ajaxNotify(\"" + notifier->HTMLName() + ".DoOnNotify\");";
}

std::string TKXForm::InternalUrlBase() const {
  TKXApplication* application = WebApplication();
  return application ? application->InternalUrlBase() : std::string();
}

TKXForm* TKXForm::FindParentForm(TComponent* control) {
  for (TComponent* current = control; current != nullptr; current = GetKXParent(current)) {
    if (auto* form = Supports<TKXForm>(current)) return form;
  }
  return nullptr;
}

void TKXForm::ResyncEvents() {
  TKXApplication* application = WebApplication();
  std::vector<TComponent*> components;
  for (int i = 0; i < ComponentCount(); ++i) components.push_back(Components(i));
  for (TComponent* component : components) {
    if (IKXResyncEvents* events = Supports<IKXResyncEvents>(component)) events->RegisterAsyncEvents(application);
  }
}

void TKXForm::DoDefaultAction() {
  if (OnDefaultAction) OnDefaultAction(this);
}

// ---------------------------------------------------------------------------
// TKXForm: rendering

std::unique_ptr<TKXContainerContext> TKXForm::InitContainerContext(TKXApplication* application) {
  return InitLayoutContext(this, application);
}

void TKXForm::RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  TKXBaseHTMLForm::RenderComponents(containerContext, pageContext);
  ProcessLayoutControls(containerContext, pageContext);
}

void TKXForm::RenderAsyncComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  FHTML40ContainerImpl->RenderAsyncComponents(containerContext, pageContext);
  TKXApplication* application = WebApplication();
  IKXCallBackResponse* response = application ? application->CallBackResponse() : nullptr;
  if (response == nullptr) return;
  response->AddTagToUpdate(TKXElementPtr<TKXMarkupLanguageTag>(RenderAsync()));
  const std::string focused = response->FocusedControlHTMLName();
  if (focused.empty()) return;
  response->AddJavaScriptToExecute("var xEvent = " + focused + "KXCL.onBlur; " + focused + "KXCL.onBlur = null; " +
                                   focused + "KXCL.focus(); " + focused + "KXCL.onBlur = xEvent; ");
  response->SetFocusedControlHTMLName(std::string());
}

// F9: the values are posted by the client; as CDATA each "]]>" is split, so
// none can end its section.
TKXElementPtr<TKXXMLTag> TKXForm::RenderAsync() {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", Name());
  tag->AddStringParam("type", "KXFORM");
  for (int i = 0; i < HiddenFields().Count(); ++i) {
    auto* field = static_cast<TKXXMLTag*>(tag->Contents()->AddTag("hiddenfield", false));
    field->SetCDATA(true);
    field->AddStringParam("id", HiddenFields().Names(i));
    field->Contents()->AddText(HiddenFields().ValueFromIndex(i), false);
  }
  return tag;
}

TKXMarkupLanguageTag* TKXForm::DoPostRenderProcessing(TKXMarkupLanguageTag* tag, TKXCompContext* context,
                                                      TComponent* component) {
  tag = TKXBaseHTMLForm::DoPostRenderProcessing(tag, context, component);
  IKXHTML40Control* control = Supports<IKXHTML40Control>(component);
  if (tag != nullptr && context != nullptr && control != nullptr && control->UseFrame() && gCreateDefaultFrame) {
    auto* layout = Supports<TKXContainerLayout>(context->ContainerContext() ? context->ContainerContext()->Layout()
                                                                                 : nullptr);
    if (layout != nullptr && layout->AllowFrames()) {
      context->SetMLTag(gCreateDefaultFrame(context->TakeMLTag(), component));
      tag = context->MLTag();
    }
  }
  TKXApplication* application = WebApplication();
  if (application == nullptr || !application->Terminated()) {
    if (IKXHTML40Component* html = Supports<IKXHTML40Component>(component)) html->RenderScripts(context);
  }
  return tag;
}

bool TKXForm::CheckUpdateTree(TComponent* component) {
  IKXHTML40Component* html = Supports<IKXHTML40Component>(component);
  return html != nullptr && html->DoRefreshControl();
}

std::string TKXForm::GenerateControlPositions() {
  std::string result;
  for (int i = 0; i < KXComponentsCount(); ++i) {
    TComponent* component = ContainerComponent(i);
    IKXHTML40Component* html = Supports<IKXHTML40Component>(component);
    IKXBaseControl* base = Supports<IKXBaseControl>(component);
    IKXHTML40Control* control = Supports<IKXHTML40Control>(component);
    if (html != nullptr && html->DoRefreshControl() && base != nullptr && base->Visible() && control != nullptr) {
      result += CRLF + Format("var lRect = new parent.Rect(%d, %d, %d, %d);", control->HTMLLeft(), control->HTMLTop(),
                              control->HTMLWidth(), control->HTMLHeight()) +
                CRLF + "KXTop()." + control->HTMLName() + "KXCL.SetRect(lRect);" + CRLF + "KXTop()." +
                control->HTMLName() + "KXCL.Rect = KXTop().CopyRect(lRect);" + CRLF;
    }
    if (IKXHTML40Container* nested = Supports<IKXHTML40Container>(component)) {
      if (!result.empty()) result += CRLF;
      result += nested->GenerateControlPositions();
    } else if (auto* frame = Supports<TFrame>(component); frame != nullptr && frame->Visible()) {
      if (IKXHTML40Container* region = Supports<IKXHTML40Container>(frame->FindComponent("KXFrameRegion"))) {
        if (!result.empty()) result += CRLF;
        result += region->GenerateControlPositions();
      }
    }
  }
  return result;
}

void TKXForm::ProcessContentFile(const std::string& file) {
  if (file.empty() || !FPageContext) return;
  if (EndsText(".JS", file)) {
    FPageContext->AddPreScriptFile(file);
  } else {
    FPageContext->AddLinkFile(file);
  }
}

void TKXForm::RenderWidgets(TComponent* component, TKXPageContext40* pageContext) {
  if (component == nullptr || pageContext == nullptr) return;
  for (int i = 0; i < component->ComponentCount(); ++i) {
    TComponent* owned = component->Components(i);
    if (Supports<TFrame>(owned)) {
      RenderWidgets(owned, pageContext);
      continue;
    }
    IKXRequiresFormRender* widget = Supports<IKXRequiresFormRender>(owned);
    if (widget == nullptr || !widget->GetEnabled()) continue;
    TStringList files;
    widget->GetContentFiles(files);
    for (int j = 0; j < files.Count(); ++j) ProcessContentFile(files.Strings(j));
    pageContext->AddToOnReady(widget->GetOnReadyProc());
  }
}

int TKXForm::RealTabOrderOf(const TComponent* control) {
  auto it = std::find(FRealTabOrderList.begin(), FRealTabOrderList.end(), control);
  return it == FRealTabOrderList.end() ? -1 : int(it - FRealTabOrderList.begin());
}

void TKXForm::FillRealTabOrders() {
  FRealTabOrderList.clear();
  AddRealTabOrders(this);
}

// The members of a tab list in order; a container contributes the members of
// its own tab list (a frame's container keeps its controls there).
void TKXForm::AddRealTabOrders(TKXContainer* owner) {
  for (TControl* control : owner->TabOrderList()) {
    if (auto* container = Supports<TKXContainer>(control)) {
      if (container != owner) AddRealTabOrders(container);
      continue;
    }
    IKXTabOrder* order = Supports<IKXTabOrder>(control);
    if (order != nullptr && order->HasTabOrder()) FRealTabOrderList.push_back(control);
  }
}

void TKXForm::DoGenerateForm(TKXRenderStream& stream) { TKXPageGenerator(*this).GeneratePage(stream); }

void TKXForm::AddSubmitIFrame() { TKXPageGenerator(*this).AddSubmitIFrame(); }

void TKXForm::DoGenerateCallBack(IKXCallBackResponse& response) { TKXPageGenerator(*this).GenerateCallBack(response); }

void TKXForm::DoExecuteForm() {
  if (!FPageContext) {
    CreatePageContext();
    FJavaScriptOnce.clear();
  } else {
    FPageContext->Clear(false);
  }
  kx::SetDoRefreshControl(this, false);
  if (ComponentHash().NeedsRefresh()) ComponentHash().Populate(this);
  TKXBaseHTMLForm::DoExecuteForm();
  TKXFormExecution(*this).Execute();
}

}  // namespace kx
