// The bases of every framework component and control: non-visual components
// (TKXBaseComponent and its HTML kinds), visual controls (TKXVCLBaseControl,
// TKXBaseControl, TKXBaseHTMLControl) with the implementation objects that hold
// their rendering state, the data-module and plain component bases, the text
// escaping every control uses, and the focus and refresh helpers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/RenderContexts.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/Components.h"
#include "kx/platform/Controls.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TKXContainer;

// ---------------------------------------------------------------------------
// Data-module and plain component bases

// The base of data modules that belong to the framework.
class TKXDataModule : public TDataModule {
  KX_COMPONENT_CLASS(TKXDataModule, TDataModule)

 public:
  bool DesignMode() const { return FDesignMode; }

 protected:
  void AfterConstruction() override;

 private:
  bool FDesignMode = false;
};

// The base of the framework's plain (non-rendering) components, such as layout managers.
class TKXVCLComponent : public TComponent {
  KX_COMPONENT_CLASS(TKXVCLComponent, TComponent)

 public:
  // Recorded after InitControl and InitDesignTime.
  bool DesignMode() const { return FDesignMode; }

 protected:
  void AfterConstruction() override;

 private:
  bool FDesignMode = false;
};

// ---------------------------------------------------------------------------
// Implementation objects

// The state every framework component keeps: extra tag attributes, the objects
// to tell when it goes, and the form that lists it.
class TKXBaseComponentImplementation : public TObject {
 public:
  explicit TKXBaseComponentImplementation(TComponent* component);
  TKXBaseComponentImplementation(const TKXBaseComponentImplementation&) = delete;
  TKXBaseComponentImplementation& operator=(const TKXBaseComponentImplementation&) = delete;

  TComponent* Component() const { return mComponent; }
  // name=value lines copied onto the rendered tag; made on first use.
  TStringList& ExtraTagParams();
  // The lines to copy onto a tag: ExtraTagParams once made, else an empty list (none is made).
  const TStrings& ExtraTagParamsToRender() const;
  // The form the component is registered with; null when none or freed.
  TComponent* Parent() const { return mParent.Get(); }
  void SetParent(TComponent* form) { mParent = form; }

  // Adds the object once; nothing while the component is being destroyed. A
  // component among them is forgotten when it is freed first.
  void AddFreeNotifier(TObject* object);
  void RemoveFreeNotifier(TObject* object);
  // Tells every notifier that implements IKXFreeNotification that the component goes.
  void DoFreeNotification();

 private:
  struct TNotifier {
    TObject* Object;
    TComponentRef<TComponent> Guard;  // set for a component: it may be freed first
    bool IsComponent;
  };
  TObject* Alive(const TNotifier& notifier) const;

  TComponent* mComponent;
  // Few components have extra attributes.
  std::unique_ptr<TStringList> mExtraTagParams;
  std::vector<TNotifier> mFreeNotifiers;
  TComponentRef<TComponent> mParent;
};

class TKXBaseHTMLComponentImplementation : public TKXBaseComponentImplementation {
 public:
  using TKXBaseComponentImplementation::TKXBaseComponentImplementation;

  const TKXOnHTMLTag& OnHTMLTag() const { return mOnHTMLTag; }
  void SetOnHTMLTag(TKXOnHTMLTag value) { mOnHTMLTag = std::move(value); }
  // UpperCase(Name).
  virtual std::string getHTMLName() const;
  virtual bool getHasName() const { return true; }

 private:
  TKXOnHTMLTag mOnHTMLTag;
};

// The rendering state of a visual control (also used by containers shown as controls).
class TKXBaseHTMLControlImplementation : public TKXBaseHTMLComponentImplementation {
 public:
  explicit TKXBaseHTMLControlImplementation(TControl* control);

  TControl* Control() const { return mControl; }
  // clNone by default.
  TKXColor Color() const { return mColor; }
  void SetColor(TKXColor value) { mColor = value; }
  // Owned, made on first use; a change calls the font-change hook.
  TKXFont& Font();
  // The font to read and render with: the control's own once made, else DefaultFont(), which equals a new font.
  const TKXFont& EffectiveFont() const { return mFont ? *mFont : DefaultFont(); }
  // Told after every change of the font (the control's FontChanged); null for none (the default), also for the
  // font made already.
  using TFontChangeHook = void (*)(TControl* control);
  void SetFontChangeHook(TFontChangeHook hook);
  // The font of a control that has none of its own, shared by all: its style text is worked out when it is made,
  // so that reading it from several threads writes nothing.
  static const TKXFont& DefaultFont();
  // -1 by default.
  std::int16_t TabOrder() const { return mTabOrder; }
  void SetTabOrder(std::int16_t value) { mTabOrder = value; }

  // Name + the parent container's prefix, or the owner frame's name + Name, upper-cased.
  std::string getHTMLName() const override;

 private:
  void BindFont();

  TControl* mControl;
  TKXColor mColor = clNone;
  // Most controls keep the default font: each would spend some 300 bytes on its own (with its style text).
  std::unique_ptr<TKXFont> mFont;
  TFontChangeHook mFontChangeHook = nullptr;
  std::int16_t mTabOrder = -1;
};

// The parent link of a visual control.
class TKXBaseControlImplementation : public TObject {
 public:
  explicit TKXBaseControlImplementation(TControl* control) : mControl(control) {}

  TControl* Control() const { return mControl; }
  // The current parent when it is a framework container; null otherwise or once it is freed.
  IKXBaseContainer* Parent() const { return Supports<IKXBaseContainer>(mParent.Get()); }
  void SetParent(TWinControl* parent) { mParent = Supports<IKXBaseContainer>(parent) ? parent : nullptr; }

 private:
  TControl* mControl;
  TComponentRef<TWinControl> mParent;
};

// ---------------------------------------------------------------------------
// Non-visual components

class TKXBaseComponent : public TComponent, public virtual IKXBaseComponent, public virtual IKXFormComponent {
  KX_COMPONENT_CLASS(TKXBaseComponent, TComponent)

 public:
  bool DesignMode() const { return ComponentState().Contains(csDesigning); }

  TComponent* InterfaceInstance() override { return this; }
  TStrings& ExtraTagParams() override;
  void SetExtraTagParams(const TStrings& value) override;
  bool SupportsSubmit() override;
  bool SupportsInput() override;
  // Null here.
  TKXElementPtr<TKXMarkupLanguageTag> RenderMarkupLanguageTag(TKXCompContext* context) override;
  void AddFreeNotifier(TObject* object) override;
  void RemoveFreeNotifier(TObject* object) override;
  // UpperCase(Name).
  std::string ComponentName() override;
  virtual bool RequiresRefresh() { return false; }

  TKXBaseComponentImplementation* BaseComponentImplementation() const { return FBaseComponentImplementation.get(); }
  // Leaves the form it was registered with and joins the one GetKXParentForm finds now.
  void ParentChanging() override;

 protected:
  // Creates the implementation object, then registers the component with its form.
  void InitControl() override;
  // Tells the free notifiers.
  void Dispose() override;
  // The implementation object InitControl creates.
  virtual std::unique_ptr<TKXBaseComponentImplementation> CreateImplementation();

 private:
  std::unique_ptr<TKXBaseComponentImplementation> FBaseComponentImplementation;
};

class TKXBaseHTMLComponent : public TKXBaseComponent, public virtual IKXBaseHTMLComponent {
  KX_COMPONENT_CLASS(TKXBaseHTMLComponent, TKXBaseComponent)

 public:
  // UpperCase(Name).
  std::string HTMLName() override;
  const TKXOnHTMLTag& OnHTMLTag() override;
  void SetOnHTMLTag(TKXOnHTMLTag value) override;
  bool HasName() override { return true; }
  // False by default.
  bool NeedsFormTag() override { return FNeedsFormTag; }
  void SetNeedsFormTag(bool value) { FNeedsFormTag = value; }
  // Null here.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // RenderHTML.
  TKXElementPtr<TKXMarkupLanguageTag> RenderMarkupLanguageTag(TKXCompContext* context) override;
  void MakeHTMLTag(TKXHTMLTag* tag, TKXRenderStream& stream) override;
  std::string MakeHTMLTag(TKXHTMLTag* tag) override;
  void DoHTMLTag(TKXMarkupLanguageTag* tag) override;

 protected:
  std::unique_ptr<TKXBaseComponentImplementation> CreateImplementation() override;

 private:
  TKXBaseHTMLComponentImplementation* Implementation() const;

  bool FNeedsFormTag = false;
};

class TKXBaseHTML40Component : public TKXBaseHTMLComponent, public virtual IKXHTML40Component {
  KX_COMPONENT_CLASS(TKXBaseHTML40Component, TKXBaseHTMLComponent)

 public:
  bool DoRefreshControl() override { return FDoRefreshControl; }
  void SetDoRefreshControl(bool value) override { FDoRefreshControl = value; }
  // Null here.
  virtual TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context);
  // Empty here.
  std::string RenderCSSClass(TKXCompContext* context) override;
  std::string RenderStyle(TKXCompContext* context) override;
  // Nothing here.
  void RenderScripts(TKXCompContext* context) override;
  // RenderAsync.
  TKXElementPtr<TKXXMLTag> RenderAsyncComponent(TKXCompContext* context) override;
  // Nothing here.
  void AddAsyncStyle(TKXXMLTag* tag, const std::string& style) override;
  bool WantsSubmitValidation() override { return false; }

 private:
  bool FDoRefreshControl = false;
};

// ---------------------------------------------------------------------------
// Visual controls

class TKXVCLBaseControl : public TControl {
  KX_COMPONENT_CLASS(TKXVCLBaseControl, TControl)

 public:
  // Recorded between InitControl and InitDesignTime.
  bool DesignMode() const { return FDesignMode; }
  bool GetLoading() const { return ComponentState().Contains(csLoading); }

  // ParentChanging(old, new), the platform's SetParent, then AfterParentChanging(old, new).
  void SetParent(TWinControl* parent) override;
  void SetAutoSize(bool value) override;
  // Empty by default; a change calls TextChangedNotification.
  const std::string& Text() const { return mText; }
  virtual void SetText(const std::string& value);

  // Told before the parent changes; nothing here.
  virtual void ParentChanging(TWinControl* oldParent, TWinControl* newParent) {
    (void)oldParent, (void)newParent;
  }

 protected:
  void AfterConstruction() override;
  // The parent container's ForceAlign for a framework container, the platform's alignment otherwise.
  void RequestAlign() override;
  virtual void ColorChanged() {}
  virtual void TextChangedNotification() {}
  // Told after the parent changed; nothing here.
  virtual void AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) {
    (void)oldParent, (void)newParent;
  }

 private:
  bool FAutosize = false;
  bool FDesignMode = false;
  std::string mText;
};

class TKXBaseControl : public TKXVCLBaseControl, public virtual IKXBaseControl {
  KX_COMPONENT_CLASS(TKXBaseControl, TKXVCLBaseControl)

 public:
  TNotifyEvent OnClick;
  // Calls OnClick when assigned.
  virtual void DoClick();
  void Hide() { SetVisible(false); }
  void Show() { SetVisible(true); }

  // Leaves the old parent's container. The new parent's container takes the
  // control once the parent is set (its control-change hook), so that the tab
  // order is taken in the new parent's form.
  void ParentChanging(TWinControl* oldParent, TWinControl* newParent) override;
  IKXBaseContainer* ParentContainer() override;
  void Invalidate() override {}
  void SetBounds(int left, int top, int width, int height) override { TControl::SetBounds(left, top, width, height); }
  bool Visible() const override { return TControl::Visible(); }
  void SetVisible(bool value) override { TControl::SetVisible(value); }

  TKXBaseControlImplementation* KXControlImplementation() const { return FKXControlImplementation.get(); }

 protected:
  // The inherited InitControl, AutoSize and ShowHint on, the implementation object.
  void InitControl() override;
  // A control without a name that has an owner is named ClassName + the first free number.
  void InitDesignTime() override;
  // Leaves the parent's container.
  void Dispose() override;
  // Joins the new parent's container (once: the container usually took the control already).
  void AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) override;
  void TextChangedNotification() override { Invalidate(); }

 private:
  std::unique_ptr<TKXBaseControlImplementation> FKXControlImplementation;
};

class TKXBaseHTMLControl : public TKXBaseControl,
                           public virtual IKXTabOrder,
                           public virtual IKXTabListControl,
                           public virtual IKXBaseHTMLControl {
  KX_COMPONENT_CLASS(TKXBaseHTMLControl, TKXBaseControl)

 public:
  // ---- escaping (class functions)
  // "&" "<" ">" '"' "'" as "&amp;" "&lt;" "&gt;" "&quot;" "&#39;". convertLineBreaks:
  // LF becomes "<br>", CR is dropped. convertSpaces: a blank becomes "&nbsp;",
  // or "&amp;nbsp;" while the current session answers a callback.
  static std::string TextToHTML(std::string_view text, bool convertLineBreaks = true, bool convertSpaces = false);
  // The same with the callback state given.
  static std::string TextToHTML(std::string_view text, bool convertLineBreaks, bool convertSpaces, bool inCallBack);
  // The text of a script string literal (either quote) that means the same
  // inside a <script> element and inside an HTML attribute: "\" as "\\", '"' "'"
  // "&" "<" ">" as "\x22" "\x27" "\x26" "\x3C" "\x3E", LF as "\n", CR dropped,
  // other control characters as "\xHH", U+2028 and U+2029 as "\u2028" "\u2029".
  static std::string TextToJSStringLiteral(std::string_view text);

  // The members that forward to the implementation object come from
  // TKXForwardToImplementation (CustomControl.h), which TKXCustomControl derives from.

  // ---- IKXBaseHTMLComponent
  bool NeedsFormTag() override { return FNeedsFormTag; }
  void SetNeedsFormTag(bool value) { FNeedsFormTag = value; }
  // Null here.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;

  // ---- IKXBaseHTMLControl
  TKXColor WebColor() override;
  // Stores the colour and calls ColorChanged.
  void SetWebColor(TKXColor value) override;
  // Width / Height.
  int HTMLWidth() override { return Width(); }
  int HTMLHeight() override { return Height(); }

  // ---- IKXTabOrder
  // The index in the tab list of the owner frame, else of the owner form, else the stored value.
  int TabOrder() const override;
  // The index in the owner form's tab order of the current rendering; -1 when none.
  int RealTabOrder() const override;
  bool ShouldRenderTabOrder() const override { return true; }
  // Moves the control in its owner's tab list (see the class comment of the .cpp).
  void SetTabOrder(int value) override;
  bool HasTabOrder() const override { return true; }

  // ---- the rest
  // True by default.
  virtual bool Editable() { return FEditable; }
  virtual void SetEditable(bool value) { FEditable = value; }
  // True by default.
  virtual bool NonEditableAsLabel() { return FNonEditableAsLabel; }
  virtual void SetNonEditableAsLabel(bool value) { FNonEditableAsLabel = value; }
  // False here.
  virtual bool RequiresRefresh() { return false; }
  // Attribute "TabIndex" = RealTabOrder + 1.
  void RenderTabOrder(TKXHTMLTag* tag);
  // The value SetTabOrder stored (-1 for none).
  int StoredTabOrder() const override;

  TKXBaseHTMLControlImplementation* BaseHTMLControlImplementation() const {
    return FKXBaseHTMLControlImplementation.get();
  }
  // The container whose tab list holds the control: the container below a frame
  // reached through plain containers, or the form; null when neither.
  TKXContainer* OwnerFrame() const override;
  TKXContainer* OwnerForm() const override;

 protected:
  // InitializeImplementation, the inherited InitControl, then AutoSize,
  // Editable, NonEditableAsLabel and ShowHint on and no tab order.
  void InitControl() override;
  void Dispose() override;
  // Creates the implementation object (and binds its font to FontChanged).
  virtual void InitializeImplementation();
  virtual void ReleaseImplementation();
  void SetImplementation(std::unique_ptr<TKXBaseHTMLControlImplementation> implementation);
  // Places the control again when it moves to or from a frame, or gets its first parent.
  void AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) override;
  void ColorChanged() override { Invalidate(); }
  void TextChangedNotification() override { Invalidate(); }
  virtual void FontChanged() { Invalidate(); }

 private:
  std::unique_ptr<TKXBaseHTMLControlImplementation> FKXBaseHTMLControlImplementation;
  bool FEditable = true;
  bool FNonEditableAsLabel = true;
  bool FNeedsFormTag = false;
};

}  // namespace kx
