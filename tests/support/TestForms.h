// Test doubles for the forms tests: a minimal form (the forms proper are built
// on these bases), a nested panel container, a layout, an edit and a label, and
// a callback registry that records what is registered.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/Application.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/forms/BaseControls.h"
#include "kx/forms/Containers.h"
#include "kx/forms/CustomControl.h"
#include "kx/forms/RenderContexts.h"

namespace kx::test {

// A layout of the given kind; the position it writes is "position: absolute; ".
class TTestLayout : public TKXVCLComponent, public virtual IKXContainerLayout {
  KX_COMPONENT_CLASS(TTestLayout, TKXVCLComponent)

 public:
  TKXLayoutKind Kind = lkForm;
  IKXBaseContainer* Container = nullptr;

  TKXLayoutKind LayoutKind() override { return Kind; }
  void RenderStyle(IKXBaseHTMLControl* control, std::string& style) override {
    (void)control;
    style += "position: absolute; ";
  }
  void SetContainer(IKXBaseContainer* container) override { Container = container; }
};

// A form as the control bases see one: it renders its children with its layout
// and, as forms do, writes each child's scripts after the child rendered.
class TTestForm : public TKXHTML40Container, public virtual IKXForm, public virtual IKXHTML40Form {
  KX_COMPONENT_CLASS(TTestForm, TKXHTML40Container)

 public:
  TKXPageContext40 Page{nullptr};
  IKXHTML40Control* ActiveControl = nullptr;
  std::string InitProc;
  // The tab order of the current rendering (RealTabOrderOf).
  std::vector<const TComponent*> RealTabOrderList;
  bool AppForm = false;
  TStringList FormParams;

  TTestLayout* Layout() { return static_cast<TTestLayout*>(LayoutMgr()); }

  // Renders the children into a new container context, kept as the form's own.
  TKXContainerContext* Render() {
    std::unique_ptr<TKXContainerContext> context = InitContainerContext(nullptr);
    TKXContainerContext* own = context.get();
    SetContainerContext(std::move(context));
    RenderComponents(own, &Page);
    return own;
  }
  // The asynchronous update: the marked components' contexts.
  TKXContainerContext* RenderUpdate() {
    std::unique_ptr<TKXContainerContext> context = InitContainerContext(nullptr);
    TKXContainerContext* own = context.get();
    SetContainerContext(std::move(context));
    RenderAsyncComponents(own, &Page);
    return own;
  }

  std::unique_ptr<TKXContainerContext> InitContainerContext(TKXApplication* application) override {
    auto context = std::make_unique<TKXContainerContext>(application, CacheControls());
    context->SetLayout(LayoutMgr());
    return context;
  }
  TKXMarkupLanguageTag* DoPostRenderProcessing(TKXMarkupLanguageTag* tag, TKXCompContext* context,
                                               TComponent* component) override {
    if (IKXHTML40Component* html = Supports<IKXHTML40Component>(component)) html->RenderScripts(context);
    return tag;
  }
  bool CheckUpdateTree(TComponent* component) override {
    IKXHTML40Component* html = Supports<IKXHTML40Component>(component);
    return html && html->DoRefreshControl();
  }

  // IKXHTML40Form
  void AddToInitProc(const std::string& script) override { InitProc += script; }
  TKXPageContext40* PageContext() override { return &Page; }
  int RealTabOrderOf(const TComponent* control) override {
    for (std::size_t i = 0; i < RealTabOrderList.size(); ++i) {
      if (RealTabOrderList[i] == control) return int(i);
    }
    return -1;
  }
  void SetActiveControl(IKXHTML40Control* control) override { ActiveControl = control; }

  // IKXForm
  TKXForm* KXForm() override { return nullptr; }
  TKXFormState FormState() const override { return fsCreated; }
  TKXConnectionMode ConnectionMode() const override { return cmAny; }
  bool IsAppForm() const override { return AppForm; }
  void DoShow() override {}
  void Show() override {}
  void ForceAlign() override { TKXHTML40Container::ForceAlign(); }
  TStrings& Params() override { return FormParams; }
  void ExecuteForm(const TStrings& params) override { (void)params; }
  void GenerateForm(TKXRenderStream& stream) override { (void)stream; }
  void GenerateCallBack(IKXCallBackResponse& response) override { (void)response; }
  void ResyncEvents() override {}
  bool RequestAuth(const THttpRequest& request, std::string& realm) override {
    (void)request, (void)realm;
    return false;
  }
  bool SendAJAXNotification() const override { return false; }
  std::string GetKXAJAXNotificationJSCode() const override { return std::string(); }
  const TComponentClass* MessageForm() const override { return nullptr; }

 protected:
  void InitControl() override {
    TKXHTML40Container::InitControl();
    SetLayoutMgr(TComponent::Create<TTestLayout>(this));
    SetBounds(0, 0, 800, 600);
  }
};

// A nested container rendered as a DIV (as a region is), with a border its children keep inside.
class TTestPanel : public TKXHTML40Container,
                   public virtual IKXBaseHTMLComponent,
                   public virtual IKXBaseControl,
                   public virtual IKXRegion {
  KX_COMPONENT_CLASS(TTestPanel, TKXHTML40Container)

 public:
  int Border = 0;

  // IKXBaseControl
  void ParentChanging(TWinControl* oldParent, TWinControl* newParent) override {
    TKXHTML40Container::ParentChanging(oldParent, newParent);
  }
  IKXBaseContainer* ParentContainer() override { return Supports<IKXBaseContainer>(Parent()); }
  void Invalidate() override {}
  void SetBounds(int left, int top, int width, int height) override {
    TKXHTML40Container::SetBounds(left, top, width, height);
  }
  bool Visible() const override { return TControl::Visible(); }
  void SetVisible(bool value) override { TKXHTML40Container::SetVisible(value); }

  int BorderPixelWidth() override { return Border; }

  std::unique_ptr<TKXContainerContext> InitContainerContext(TKXApplication* application) override {
    auto context = std::make_unique<TKXContainerContext>(application, CacheControls());
    context->SetLayout(LayoutMgr());
    return context;
  }
  TKXMarkupLanguageTag* DoPostRenderProcessing(TKXMarkupLanguageTag* tag, TKXCompContext* context,
                                               TComponent* component) override {
    if (IKXHTML40Component* html = Supports<IKXHTML40Component>(component)) html->RenderScripts(context);
    return tag;
  }

  // IKXBaseComponent
  TComponent* InterfaceInstance() override { return this; }
  TStrings& ExtraTagParams() override { return mExtraTagParams; }
  void SetExtraTagParams(const TStrings& value) override { mExtraTagParams.Assign(&value); }
  bool SupportsSubmit() override { return false; }
  bool SupportsInput() override { return false; }
  TKXElementPtr<TKXMarkupLanguageTag> RenderMarkupLanguageTag(TKXCompContext* context) override {
    return RenderHTML(context);
  }
  void AddFreeNotifier(TObject* object) override { (void)object; }
  void RemoveFreeNotifier(TObject* object) override { (void)object; }
  std::string ComponentName() override { return HTMLName(); }
  // IKXBaseHTMLComponent
  std::string HTMLName() override { return UpperCase(Name()); }
  const TKXOnHTMLTag& OnHTMLTag() override { return mOnHTMLTag; }
  void SetOnHTMLTag(TKXOnHTMLTag value) override { mOnHTMLTag = std::move(value); }
  bool HasName() override { return true; }
  bool NeedsFormTag() override { return false; }
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    (void)context;
    TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("DIV");
    tag->AddStringParam("id", HTMLName());
    return tag;
  }
  void MakeHTMLTag(TKXHTMLTag* tag, TKXRenderStream& stream) override {
    if (tag) tag->Render(stream);
  }
  std::string MakeHTMLTag(TKXHTMLTag* tag) override { return tag ? tag->Render() : std::string(); }
  void DoHTMLTag(TKXMarkupLanguageTag* tag) override {
    if (mOnHTMLTag) mOnHTMLTag(this, tag);
  }

 protected:
  void InitControl() override {
    TKXHTML40Container::InitControl();
    SetLayoutMgr(TComponent::Create<TTestLayout>(this));
  }

 private:
  TStringList mExtraTagParams;
  TKXOnHTMLTag mOnHTMLTag;
};

// An input control rendered as an INPUT element; its update element carries the common properties.
class TTestEdit : public TKXControl {
  KX_COMPONENT_CLASS(TTestEdit, TKXControl)

 public:
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    (void)context;
    TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("INPUT");
    tag->AddStringParam("type", "text");
    tag->AddStringParam("value", Text());
    return tag;
  }
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override {
    TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
    tag->AddStringParam("id", HTMLName());
    tag->AddStringParam("type", "TESTEDIT");
    RenderAsyncCommonProperties(context, tag.get(),
                                {acpEnabled, acpCSS, acpVisible, acpLeft, acpTop, acpHeight, acpWidth, acpHint});
    return tag;
  }

 protected:
  void InitControl() override {
    TKXControl::InitControl();
    SetCanReceiveFocus(true);
  }
};

// A control that takes no input, rendered as a SPAN.
class TTestLabel : public TKXCustomControl {
  KX_COMPONENT_CLASS(TTestLabel, TKXCustomControl)

 public:
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    (void)context;
    TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("SPAN");
    tag->Contents()->AddText(TextToHTML(Text(), true, false, false), false);
    return tag;
  }
};

// Records the callbacks registered.
class TFakeCallBacks : public IKXCallBacks {
 public:
  std::map<std::string, TKXCallBackMethod> Methods;

  void RegisterCallBack(const std::string& name, TKXCallBackMethod method) override {
    Methods[name] = std::move(method);
  }
  void UnregisterCallBack(const std::string& name) override { Methods.erase(name); }
  void PerformCallBack(TComponent* component, const std::string& name) override {
    (void)component;
    TStringList params;
    Methods.at(name)(params);
  }
};

// A form owned by a root component that the fixture frees.
struct TFormFixture {
  TOwnedComponent<TComponent> Root{TComponent::Create<TComponent>(nullptr)};
  TTestForm* Form = nullptr;

  TFormFixture() {
    Form = TComponent::Create<TTestForm>(Root.get());
    Form->SetName("Form1");
  }

  template <class T>
  T* Add(const char* name, TWinControl* parent, TComponent* owner = nullptr) {
    T* component = TComponent::Create<T>(owner ? owner : Form);
    component->SetName(name);
    if constexpr (std::is_base_of_v<TControl, T>) component->SetParent(parent);
    return component;
  }
};

// A server controller with its session store and one session of the given browser, made the
// current application of the thread for the fixture's life.
struct TSessionFixture {
  TOwnedComponent<TKXServerControllerBase> Controller;
  TKXApplication* Session = nullptr;

  explicit TSessionFixture(const std::string& userAgent) {
    Startup();
    Controller.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gServerController = Controller.get();
    Session = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(userAgent), nullptr, nullptr,
                                                 "192.0.2.1", "", "", "/app");
    SetWebApplication(Session);
  }
  ~TSessionFixture() {
    SetWebApplication(nullptr);
    Controller.reset();  // frees the store and its sessions
  }
};

}  // namespace kx::test
