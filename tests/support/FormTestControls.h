// Minimal controls on the control bases for the form tests (the real buttons,
// edits and labels come with the controls layer): an edit that takes its
// posted value, a button that submits, a label, a panel container, and a
// server controller over a temporary application folder.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/forms/Containers.h"
#include "kx/forms/CustomControl.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/AppInfo.h"

namespace kx::test {

// A one-line text input. Its posted value becomes its text; the browser shows it already, so it is not sent back.
class TFlowEdit : public TKXControl {
  KX_COMPONENT_CLASS(TFlowEdit, TKXControl)

 public:
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    (void)context;
    TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("INPUT");
    tag->AddStringParam("type", "text");
    tag->AddStringParam("value", TextToHTML(Text(), false, false, false));
    return tag;
  }
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override {
    TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
    tag->AddStringParam("id", HTMLName());
    tag->AddStringParam("type", "FLOWEDIT");
    RenderAsyncCommonProperties(context, tag.get(), {acpEnabled, acpVisible});
    RenderAsyncPropertyAsString("text", tag.get(), Text(), false);
    return tag;
  }
  void SetValue(const std::string& value) override {
    if (IKXUpdateNotified* parent = Supports<IKXUpdateNotified>(Parent())) parent->ControlValueUpdated(this, value);
    if (value != Text()) SetText(value);
    SetDoRefreshControl(false);
  }

 protected:
  void InitControl() override {
    TKXControl::InitControl();
    SetCanReceiveFocus(true);
  }
};

// A push button: a click submits the form with the button as the action; the submit calls OnClick.
class TFlowButton : public TKXControl {
  KX_COMPONENT_CLASS(TFlowButton, TKXControl)

 public:
  std::string Caption = "Ok";

  bool SupportsInput() override { return false; }
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    (void)context;
    TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("INPUT");
    tag->AddStringParam("type", "button");
    tag->AddStringParam("value", TextToHTML(Caption, false, false, false));
    tag->AddStringParam("onclick", SubmitHandler("", "", true));
    return tag;
  }
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override {
    TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
    tag->AddStringParam("id", HTMLName());
    tag->AddStringParam("type", "FLOWBUTTON");
    RenderAsyncCommonProperties(context, tag.get(), {acpEnabled, acpVisible});
    RenderAsyncPropertyAsString("caption", tag.get(), Caption, false);
    return tag;
  }
  void Submit(const std::string& value) override {
    TKXControl::Submit(value);
    DoClick();
  }
};

// Text that takes no input, rendered as a SPAN.
class TFlowLabel : public TKXCustomControl {
  KX_COMPONENT_CLASS(TFlowLabel, TKXCustomControl)

 public:
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    (void)context;
    TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("SPAN");
    tag->Contents()->AddText(TextToHTML(Text(), true, false, false), false);
    return tag;
  }
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override {
    TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
    tag->AddStringParam("id", HTMLName());
    tag->AddStringParam("type", "FLOWLABEL");
    RenderAsyncCommonProperties(context, tag.get(), {acpVisible});
    RenderAsyncPropertyAsString("caption", tag.get(), Text(), false);
    return tag;
  }
};

// A container rendered as a DIV that holds its children's markup, as a region does.
class TFlowPanel : public TKXHTML40Container, public virtual IKXBaseHTMLComponent, public virtual IKXBaseControl {
  KX_COMPONENT_CLASS(TFlowPanel, TKXHTML40Container)

 public:
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

  std::unique_ptr<TKXContainerContext> InitContainerContext(TKXApplication* application) override {
    auto context = std::make_unique<TKXContainerContext>(application, CacheControls());
    auto* layout = dynamic_cast<TKXContainerLayout*>(LayoutMgr());
    if (layout != nullptr) layout->SetContainer(this);
    context->SetLayout(LayoutMgr());
    return context;
  }
  void RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override {
    TKXHTML40Container::RenderComponents(containerContext, pageContext);
    auto* layout = dynamic_cast<TKXContainerLayout*>(LayoutMgr());
    if (layout == nullptr) return;
    layout->ProcessControls(containerContext, pageContext);
    TKXRenderStream inner(true, true);
    layout->Process(inner, containerContext, pageContext);
    if (mTag != nullptr) mTag->Contents()->AddBuffer(inner, false);
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
    mTag = tag.get();
    return tag;
  }
  void MakeHTMLTag(TKXHTMLTag* tag, TKXRenderStream& stream) override {
    if (tag == nullptr) return;
    stream.Write("\r\n");
    tag->Render(stream);
  }
  std::string MakeHTMLTag(TKXHTMLTag* tag) override { return tag ? tag->Render() : std::string(); }
  void DoHTMLTag(TKXMarkupLanguageTag* tag) override {
    if (mOnHTMLTag) mOnHTMLTag(this, tag);
  }

 protected:
  void InitControl() override {
    TKXHTML40Container::InitControl();
    SetLayoutMgr(TComponent::Create<TKXLayoutMgrForm>(this));
  }

 private:
  TStringList mExtraTagParams;
  TKXOnHTMLTag mOnHTMLTag;
  TKXHTMLTag* mTag = nullptr;
};

// Creates a control of class T named name, owned by owner and placed on parent.
template <class T>
T* AddControl(TComponent* owner, TWinControl* parent, const std::string& name, int left, int top, int width = 100,
              int height = 24) {
  T* control = TComponent::Create<T>(owner);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

// A server controller over a temporary application folder, installed as gSC
// for the lifetime of the object. configure runs before the controller locks.
class TTempController {
 public:
  explicit TTempController(const std::function<void(TKXServerControllerBase&)>& configure = {}) {
    std::string pattern = gsTempPath() + "kx-forms-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw Exception("cannot create a temporary folder");
    sFolder = pattern + "/";
    gGetAppPath = [] { return sFolder; };
    std::filesystem::create_directories(sFolder + "wwwroot/");
    mController.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gServerController = mController.get();
    if (configure) configure(*mController);
  }
  ~TTempController() {
    mController.reset();
    std::filesystem::remove_all(sFolder);
  }
  TTempController(const TTempController&) = delete;
  TTempController& operator=(const TTempController&) = delete;

  TKXServerControllerBase& operator*() { return *mController; }
  TKXServerControllerBase* operator->() { return mController.get(); }
  static const std::string& Folder() { return sFolder; }

 private:
  static inline std::string sFolder;
  TOwnedComponent<TKXServerControllerBase> mController;
};

}  // namespace kx::test
