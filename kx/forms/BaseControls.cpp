#include "kx/forms/BaseControls.h"

#include "kx/foundation/HtmlUtils.h"

#include <algorithm>
#include <utility>

#include "kx/appserver/Application.h"
#include "kx/forms/Containers.h"
#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

// ---------------------------------------------------------------------------
// TKXDataModule, TKXVCLComponent

void TKXDataModule::AfterConstruction() {
  FDesignMode = ComponentState().Contains(csDesigning);
  TDataModule::AfterConstruction();
}

void TKXVCLComponent::AfterConstruction() {
  TComponent::AfterConstruction();
  FDesignMode = ComponentState().Contains(csDesigning);
}

// ---------------------------------------------------------------------------
// Implementation objects

TKXBaseComponentImplementation::TKXBaseComponentImplementation(TComponent* component) : mComponent(component) {}

TStringList& TKXBaseComponentImplementation::ExtraTagParams() {
  if (!mExtraTagParams) mExtraTagParams = std::make_unique<TStringList>();
  return *mExtraTagParams;
}

const TStrings& TKXBaseComponentImplementation::ExtraTagParamsToRender() const {
  static const TStringList none;
  return mExtraTagParams ? *mExtraTagParams : none;
}

TObject* TKXBaseComponentImplementation::Alive(const TNotifier& notifier) const {
  if (notifier.IsComponent) return notifier.Guard.Get();
  return notifier.Object;
}

void TKXBaseComponentImplementation::AddFreeNotifier(TObject* object) {
  if (object == nullptr || mComponent->ComponentState().Contains(csDestroying)) return;
  for (const TNotifier& notifier : mFreeNotifiers) {
    if (Alive(notifier) == object) return;
  }
  auto* component = Supports<TComponent>(object);
  mFreeNotifiers.push_back(TNotifier{object, component, component != nullptr});
}

void TKXBaseComponentImplementation::RemoveFreeNotifier(TObject* object) {
  std::erase_if(mFreeNotifiers, [&](const TNotifier& notifier) {
    TObject* alive = Alive(notifier);
    return alive == object || alive == nullptr;
  });
}

void TKXBaseComponentImplementation::DoFreeNotification() {
  // A notifier may free another or unregister itself meanwhile: work on the taken list.
  std::vector<TNotifier> notifiers = std::move(mFreeNotifiers);
  mFreeNotifiers.clear();
  for (const TNotifier& notifier : notifiers) {
    if (IKXFreeNotification* target = Supports<IKXFreeNotification>(Alive(notifier))) target->Freeing(mComponent);
  }
}

std::string TKXBaseHTMLComponentImplementation::getHTMLName() const { return UpperCase(Component()->Name()); }

TKXBaseHTMLControlImplementation::TKXBaseHTMLControlImplementation(TControl* control)
    : TKXBaseHTMLComponentImplementation(control), mControl(control) {}

TKXFont& TKXBaseHTMLControlImplementation::Font() {
  if (!mFont) {
    mFont = std::make_unique<TKXFont>();
    BindFont();
  }
  return *mFont;
}

void TKXBaseHTMLControlImplementation::SetFontChangeHook(TFontChangeHook hook) {
  mFontChangeHook = hook;
  if (mFont) BindFont();
}

void TKXBaseHTMLControlImplementation::BindFont() {
  if (mFontChangeHook == nullptr) {
    mFont->OnChange = nullptr;
  } else {
    mFont->OnChange = [this](TObject*) { mFontChangeHook(mControl); };
  }
}

const TKXFont& TKXBaseHTMLControlImplementation::DefaultFont() {
  struct TDefaultFont {
    TKXFont Font;
    TDefaultFont() { (void)Font.FontToStringStyle(); }  // fills the font's cache of its style text
  };
  static const TDefaultFont instance;
  return instance.Font;
}

std::string TKXBaseHTMLControlImplementation::getHTMLName() const {
  if (IKXBaseContainer* parent = Supports<IKXBaseContainer>(mControl->Parent())) {
    return UpperCase(mControl->Name() + parent->ContainerPrefix());
  }
  if (auto* frame = Supports<TFrame>(mControl->Owner())) return UpperCase(frame->Name() + mControl->Name());
  return UpperCase(mControl->Name());
}

// ---------------------------------------------------------------------------
// TKXBaseComponent

std::unique_ptr<TKXBaseComponentImplementation> TKXBaseComponent::CreateImplementation() {
  return std::make_unique<TKXBaseComponentImplementation>(this);
}

void TKXBaseComponent::InitControl() {
  if (!FBaseComponentImplementation) FBaseComponentImplementation = CreateImplementation();
  TComponent::InitControl();
  ParentChanging();
}

void TKXBaseComponent::ParentChanging() {
  if (IKXBaseContainer* previous = Supports<IKXBaseContainer>(FBaseComponentImplementation->Parent())) {
    previous->KXRemoveComponent(this);
  }
  TKXContainer* form = GetKXParentForm(this);
  FBaseComponentImplementation->SetParent(form);
  if (form) form->KXAddComponent(this);
}

void TKXBaseComponent::Dispose() {
  if (FBaseComponentImplementation) FBaseComponentImplementation->DoFreeNotification();
  TComponent::Dispose();
}

TStrings& TKXBaseComponent::ExtraTagParams() { return FBaseComponentImplementation->ExtraTagParams(); }

void TKXBaseComponent::SetExtraTagParams(const TStrings& value) {
  FBaseComponentImplementation->ExtraTagParams().Assign(&value);
}

bool TKXBaseComponent::SupportsSubmit() { return Supports<IKXSubmitControl>(this) != nullptr; }

bool TKXBaseComponent::SupportsInput() {
  IKXInputControl* input = Supports<IKXInputControl>(this);
  return input != nullptr && input->Editable();
}

TKXElementPtr<TKXMarkupLanguageTag> TKXBaseComponent::RenderMarkupLanguageTag(TKXCompContext* context) {
  (void)context;
  return nullptr;
}

void TKXBaseComponent::AddFreeNotifier(TObject* object) { FBaseComponentImplementation->AddFreeNotifier(object); }

void TKXBaseComponent::RemoveFreeNotifier(TObject* object) {
  if (FBaseComponentImplementation) FBaseComponentImplementation->RemoveFreeNotifier(object);
}

std::string TKXBaseComponent::ComponentName() { return UpperCase(Name()); }

// ---------------------------------------------------------------------------
// TKXBaseHTMLComponent

std::unique_ptr<TKXBaseComponentImplementation> TKXBaseHTMLComponent::CreateImplementation() {
  return std::make_unique<TKXBaseHTMLComponentImplementation>(this);
}

TKXBaseHTMLComponentImplementation* TKXBaseHTMLComponent::Implementation() const {
  return static_cast<TKXBaseHTMLComponentImplementation*>(BaseComponentImplementation());
}

std::string TKXBaseHTMLComponent::HTMLName() { return UpperCase(Name()); }

const TKXOnHTMLTag& TKXBaseHTMLComponent::OnHTMLTag() { return Implementation()->OnHTMLTag(); }

void TKXBaseHTMLComponent::SetOnHTMLTag(TKXOnHTMLTag value) { Implementation()->SetOnHTMLTag(std::move(value)); }

TKXElementPtr<TKXHTMLTag> TKXBaseHTMLComponent::RenderHTML(TKXCompContext* context) {
  (void)context;
  return nullptr;
}

TKXElementPtr<TKXMarkupLanguageTag> TKXBaseHTMLComponent::RenderMarkupLanguageTag(TKXCompContext* context) {
  return RenderHTML(context);
}

void TKXBaseHTMLComponent::MakeHTMLTag(TKXHTMLTag* tag, TKXRenderStream& stream) {
  if (tag == nullptr) return;
  tag->Params()->AppendParams(BaseComponentImplementation()->ExtraTagParamsToRender());
  stream.Write("\r\n");
  tag->Render(stream);
}

std::string TKXBaseHTMLComponent::MakeHTMLTag(TKXHTMLTag* tag) {
  TKXRenderStream stream(true, true);
  MakeHTMLTag(tag, stream);
  return stream.GetAsString();
}

void TKXBaseHTMLComponent::DoHTMLTag(TKXMarkupLanguageTag* tag) {
  if (OnHTMLTag()) OnHTMLTag()(this, tag);
}

// ---------------------------------------------------------------------------
// TKXBaseHTML40Component

TKXElementPtr<TKXXMLTag> TKXBaseHTML40Component::RenderAsync(TKXCompContext* context) {
  (void)context;
  return nullptr;
}

std::string TKXBaseHTML40Component::RenderCSSClass(TKXCompContext* context) {
  (void)context;
  return std::string();
}

std::string TKXBaseHTML40Component::RenderStyle(TKXCompContext* context) {
  (void)context;
  return std::string();
}

void TKXBaseHTML40Component::RenderScripts(TKXCompContext* context) { (void)context; }

TKXElementPtr<TKXXMLTag> TKXBaseHTML40Component::RenderAsyncComponent(TKXCompContext* context) {
  return RenderAsync(context);
}

void TKXBaseHTML40Component::AddAsyncStyle(TKXXMLTag* tag, const std::string& style) { (void)tag, (void)style; }

// ---------------------------------------------------------------------------
// TKXVCLBaseControl

void TKXVCLBaseControl::AfterConstruction() {
  InitControl();
  FDesignMode = ComponentState().Contains(csDesigning);
  InitDesignTime();
}

void TKXVCLBaseControl::SetParent(TWinControl* parent) {
  TWinControl* old = Parent();
  if (old == parent) return;
  ParentChanging(old, parent);
  TControl::SetParent(parent);
  AfterParentChanging(old, parent);
}

void TKXVCLBaseControl::SetAutoSize(bool value) {
  TControl::SetAutoSize(value);
  FAutosize = value;
}

void TKXVCLBaseControl::SetText(const std::string& value) {
  if (value == mText) return;
  mText = value;
  TextChangedNotification();
}

void TKXVCLBaseControl::RequestAlign() {
  if (!DesignMode()) {
    if (auto* container = Supports<TKXBaseContainer>(Parent())) {
      container->ForceAlign();
      return;
    }
  }
  TControl::RequestAlign();
}

// ---------------------------------------------------------------------------
// TKXBaseControl

void TKXBaseControl::InitControl() {
  TKXVCLBaseControl::InitControl();
  SetAutoSize(true);
  SetShowHint(true);
  FKXControlImplementation = std::make_unique<TKXBaseControlImplementation>(this);
}

void TKXBaseControl::InitDesignTime() {
  TKXVCLBaseControl::InitDesignTime();
  if (DesignMode() || !Name().empty() || Owner() == nullptr) return;
  const std::string base = ClassName();
  for (int n = 1;; ++n) {
    const std::string candidate = base + std::to_string(n);
    if (Owner()->FindComponent(candidate) == nullptr) {
      SetName(candidate);
      return;
    }
  }
}

void TKXBaseControl::ParentChanging(TWinControl* oldParent, TWinControl* newParent) {
  if (IKXBaseContainer* old = Supports<IKXBaseContainer>(oldParent)) old->KXRemoveComponent(this);
  FKXControlImplementation->SetParent(newParent);
}

void TKXBaseControl::AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) {
  TKXVCLBaseControl::AfterParentChanging(oldParent, newParent);
  // Normally the container took the control when it became its parent; this covers any other container.
  if (IKXBaseContainer* container = Supports<IKXBaseContainer>(newParent)) container->KXAddComponent(this);
}

IKXBaseContainer* TKXBaseControl::ParentContainer() { return FKXControlImplementation->Parent(); }

void TKXBaseControl::Dispose() {
  if (IKXBaseContainer* container = Supports<IKXBaseContainer>(Parent())) container->KXRemoveComponent(this);
  TKXVCLBaseControl::Dispose();
}

void TKXBaseControl::DoClick() {
  if (OnClick) OnClick(this);
}

// ---------------------------------------------------------------------------
// TKXBaseHTMLControl

std::string TKXBaseHTMLControl::TextToHTML(std::string_view text, bool convertLineBreaks, bool convertSpaces) {
  const TKXApplication* application = convertSpaces ? GetWebApplication() : nullptr;
  return TextToHTML(text, convertLineBreaks, convertSpaces, application != nullptr && application->IsCallBack());
}

std::string TKXBaseHTMLControl::TextToHTML(std::string_view text, bool convertLineBreaks, bool convertSpaces,
                                           bool inCallBack) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      case '\n':
        if (convertLineBreaks) {
          out += "<br>";
        } else {
          out += c;
        }
        break;
      case '\r':
        if (!convertLineBreaks) out += c;
        break;
      case ' ':
        if (!convertSpaces) {
          out += c;
        } else if (inCallBack) {
          out += "&amp;nbsp;";
        } else {
          out += "&nbsp;";
        }
        break;
      default: out += c;
    }
  }
  return out;
}

std::string TKXBaseHTMLControl::TextToJSStringLiteral(std::string_view text) {
  return ScriptStringText(text, /*dropCR=*/true);
}

void TKXBaseHTMLControl::InitControl() {
  InitializeImplementation();
  TKXBaseControl::InitControl();
  SetAutoSize(true);
  FEditable = true;
  FNonEditableAsLabel = true;
  SetShowHint(true);
  FKXBaseHTMLControlImplementation->SetTabOrder(-1);
}

void TKXBaseHTMLControl::InitializeImplementation() {
  SetImplementation(std::make_unique<TKXBaseHTMLControlImplementation>(this));
}

void TKXBaseHTMLControl::SetImplementation(std::unique_ptr<TKXBaseHTMLControlImplementation> implementation) {
  FKXBaseHTMLControlImplementation = std::move(implementation);
  FKXBaseHTMLControlImplementation->SetFontChangeHook(
      [](TControl* control) { static_cast<TKXBaseHTMLControl*>(control)->FontChanged(); });
}

void TKXBaseHTMLControl::ReleaseImplementation() {
  // The object itself lives until the control is deleted: notices that arrive
  // after Dispose may still ask it for names and notifiers.
  if (FKXBaseHTMLControlImplementation) FKXBaseHTMLControlImplementation->SetFontChangeHook(nullptr);
}

void TKXBaseHTMLControl::Dispose() {
  FKXBaseHTMLControlImplementation->DoFreeNotification();
  TKXBaseControl::Dispose();
  ReleaseImplementation();
}

TKXElementPtr<TKXHTMLTag> TKXBaseHTMLControl::RenderHTML(TKXCompContext* context) {
  (void)context;
  return nullptr;
}

TKXColor TKXBaseHTMLControl::WebColor() { return FKXBaseHTMLControlImplementation->Color(); }

void TKXBaseHTMLControl::SetWebColor(TKXColor value) {
  FKXBaseHTMLControlImplementation->SetColor(value);
  ColorChanged();
}

void TKXBaseHTMLControl::RenderTabOrder(TKXHTMLTag* tag) {
  if (tag) tag->AddIntegerParam("TabIndex", RealTabOrder() + 1);
}

int TKXBaseHTMLControl::StoredTabOrder() const { return FKXBaseHTMLControlImplementation->TabOrder(); }

// Tab order. The owner frame is the container reached through plain HTML
// containers whose parent is a frame; the owner form is the parent form, the
// owner form of an HTML container parent, or the form holding a parent frame.
TKXContainer* TKXBaseHTMLControl::OwnerFrame() const {
  TWinControl* parent = Parent();
  while (auto* container = Supports<TKXHTMLContainer>(parent)) {
    if (Supports<TFrame>(container->Parent())) return container;
    parent = container->Parent();
  }
  return nullptr;
}

TKXContainer* TKXBaseHTMLControl::OwnerForm() const {
  TWinControl* parent = Parent();
  if (IsKXForm(parent)) return static_cast<TKXContainer*>(parent);
  if (auto* container = Supports<TKXHTMLContainer>(parent)) return container->OwnerForm();
  if (auto* frame = Supports<TFrame>(parent)) return GetKXParentForm(frame);
  return nullptr;
}

int TKXBaseHTMLControl::TabOrder() const {
  TKXContainer* owner = OwnerFrame();
  if (owner == nullptr) owner = OwnerForm();
  if (owner == nullptr) return FKXBaseHTMLControlImplementation->TabOrder();
  const std::vector<TControl*>& list = owner->TabOrderList();
  auto it = std::find(list.begin(), list.end(), static_cast<const TControl*>(this));
  return it == list.end() ? -1 : int(it - list.begin());
}

int TKXBaseHTMLControl::RealTabOrder() const {
  IKXHTML40Form* form = Supports<IKXHTML40Form>(OwnerForm());
  return form ? form->RealTabOrderOf(this) : -1;
}

// Removes the control from its owner's list; when not loading, a value within
// the list puts it there, any other value (-1 included) appends it. The stored
// value is the one given, or the position taken for -1.
void TKXBaseHTMLControl::SetTabOrder(int value) {
  TKXBaseHTMLControlImplementation* implementation = FKXBaseHTMLControlImplementation.get();
  if (!HasTabOrder()) {
    implementation->SetTabOrder(-1);
    return;
  }
  TKXContainer* owner = OwnerFrame();
  if (owner == nullptr) owner = OwnerForm();
  if (owner == nullptr) {
    if (value != -1) implementation->SetTabOrder(std::int16_t(value));
    return;
  }
  std::vector<TControl*>& list = owner->TabOrderList();
  std::erase(list, static_cast<TControl*>(this));
  if (!GetLoading() && value >= 0 && value < int(list.size())) {
    list.insert(list.begin() + value, this);
    implementation->SetTabOrder(std::int16_t(value));
  } else {
    list.push_back(this);
    implementation->SetTabOrder(std::int16_t(list.size() - 1));
    if (value != -1) implementation->SetTabOrder(std::int16_t(value));
  }
}

void TKXBaseHTMLControl::AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) {
  TKXBaseControl::AfterParentChanging(oldParent, newParent);
  if (Supports<TFrame>(oldParent) || Supports<TFrame>(newParent) ||
      (oldParent == nullptr && newParent != nullptr)) {
    SetTabOrder(-1);
  }
}

}  // namespace kx
