// The base of every visible control: TKXCustomControl renders the control's
// style, CSS class and client script (the client object, alignment, anchors,
// events), carries the sixteen asynchronous events that call back into the
// session, and writes the common properties of an asynchronous update.
// TKXHTMLControlImplementation does the rendering work (regions use it too),
// TKXForwardToImplementation the members a control and a region answer alike
// from it; TKXControl adds the input and submit roles.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kx/forms/BaseControls.h"
#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/RenderContexts.h"
#include "kx/forms/ScriptEvents.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/CompactFunction.h"
#include "kx/platform/CompactString.h"
#include "kx/platform/Properties.h"
#include "kx/platform/Types.h"

namespace kx {

class TBrowser;
class IKXCallBacks;

// Pixel width of the frame drawn around a control with UseFrame.
inline constexpr int USE_FRAME_WIDTH = 2;

// The asynchronous events, in the order of their handlers and DoOnAsync methods.
enum TKXAsyncEventType : std::uint8_t {
  aeClick,
  aeDoubleClick,
  aeChange,
  aeEnter,
  aeExit,
  aeKeyDown,
  aeKeyUp,
  aeKeyPress,
  aeMouseDown,
  aeMouseMove,
  aeMouseOver,
  aeMouseOut,
  aeMouseUp,
  aeSelect,
  aeLoad,
  aeUnLoad,
};
inline constexpr int KXAsyncEventCount = 16;
using TKXAsyncEventTypes = TEnumSet<TKXAsyncEventType>;

// The properties RenderAsyncCommonProperties may write.
enum TKXAsyncCommonProp : std::uint8_t {
  acpEnabled,
  acpCSS,
  acpVisible,
  acpLeft,
  acpTop,
  acpHeight,
  acpWidth,
  acpZIndex,
  acpHint,
  acpFont,
  acpPosition,
  acpAlignment,
};
using TKXAsyncCommonProps = TEnumSet<TKXAsyncCommonProp>;
// All of them, and all but the enabled state (for a control whose update carries its own).
inline constexpr TKXAsyncCommonProps kAsyncCommonProps{acpEnabled, acpCSS,  acpVisible, acpLeft,
                                                       acpTop,     acpHeight, acpWidth, acpZIndex,
                                                       acpHint,    acpFont,   acpPosition, acpAlignment};
inline constexpr TKXAsyncCommonProps kAsyncCommonPropsButEnabled{acpCSS,    acpVisible, acpLeft, acpTop,
                                                                 acpHeight, acpWidth,   acpZIndex, acpHint,
                                                                 acpFont,   acpPosition, acpAlignment};

enum TKXScrollStyle : std::uint8_t { sbsNone, sbsAuto, sbsBoth, sbsVertical, sbsHorizontal };
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

// An asynchronous event handler: the control and the parameters of the call. A control carries sixteen, most of
// them empty, so each holds its function only once one is assigned.
using TKXAsyncEvent = TCompactFunction<void(TObject* sender, TStrings& params)>;

// One row of the asynchronous event table.
struct TKXAsyncEventInfo {
  std::string_view MethodName;    // "DoOnAsyncClick": the callback is HTMLName + "." + MethodName
  std::string_view BrowserEvent;  // "OnClick"
  bool NeedsEnabled;              // the handler runs only while the control is enabled
};
const TKXAsyncEventInfo& AsyncEventInfo(TKXAsyncEventType event);

// A CSS declaration list split into trimmed (name, value) pairs in order; empty entries are dropped.
std::vector<std::pair<std::string, std::string>> parseCSS(std::string_view style);

// ---------------------------------------------------------------------------

// The rendering state of a control and the work of rendering it. control must
// implement IKXHTML40Control (a custom control or a region).
class TKXHTMLControlImplementation : public TKXBaseHTMLControlImplementation {
 public:
  explicit TKXHTMLControlImplementation(TControl* control);

  // True by default.
  bool RenderSize() const { return FRenderSize; }
  void SetRenderSize(bool value) { FRenderSize = value; }
  // Owned.
  TKXStyleRenderOptions& StyleRenderOptions() { return FStyleRenderOptions; }
  // 0 by default; the page gets ZIndex + 100.
  std::int32_t ZIndex() const { return FZIndex; }
  void SetZIndex(std::int32_t value) { FZIndex = value; }
  // False by default.
  bool Clip() const { return FClip; }
  void SetClip(bool value) { FClip = value; }
  const std::string& Css() const { return FCss; }
  void SetCss(const std::string& value) { FCss = value; }
  const std::string& SkinId() const { return FSkinId; }
  void SetSkinId(const std::string& value) { FSkinId = value; }
  // crAuto by default.
  TKXCursor Cursor() const { return FCursor; }
  void SetCursor(TKXCursor value) { FCursor = value; }
  // Owned, made on first use.
  TKXScriptEvents& ScriptEvents();
  // Whether the control has script events stored (none before ScriptEvents was first asked for).
  bool HasScriptEvents() const;
  // True by default.
  bool SupportsPartial() const { return FSupportsPartial; }
  void SetSupportsPartial(bool value) { FSupportsPartial = value; }

  // The client object of the control's parent ("KXCLForm", "REGION1KXCL"), worked out at each call from the current
  // parent and its name (a render asks once per control; a kept copy would cost every control 32 bytes).
  std::string KXCLParentName() const;

  // The layout's style, z-index, size, padding, clip, font and cursor.
  std::string RenderStyle(TKXCompContext* context);
  // Css, or HTMLName + "CSS".
  std::string RenderCSSClass();
  // Hooks the events, writes the client object's start-up line (with
  // alignment and anchors) and the script events into the page.
  void RenderScripts(TKXCompContext* context);
  // Attribute "title" with the hint escaped as HTML text, when hints are shown and the hint is not empty.
  void HintEvents(TKXHTMLTag* tag);
  // The control supports input and posts its value with asynchronous events.
  bool GetSubmitOnAsync();

  // Update elements: a child named LowerCase(name) whose text is the value
  // escaped for HTML and then for XML (so an update document always parses).
  static void addAsyncTag(TKXXMLTag* tag, const std::string& name, const std::string& value, bool omitEmpty);
  void RenderAsyncProperty(const std::string& name, TKXXMLTag* tag, bool value);
  void RenderAsyncProperty(const std::string& name, TKXXMLTag* tag, std::int32_t value);
  void RenderAsyncPropertyAsString(const std::string& name, TKXXMLTag* tag, const std::string& value,
                                   bool omitEmpty);
  void RenderAsyncPropertyAsColor(const std::string& name, TKXXMLTag* tag, TKXColor color);
  void RenderAsyncPropertyAsPixel(const std::string& name, TKXXMLTag* tag, std::int32_t value);
  // A child "style" with one "attribute" child (attribute "name") per declaration; nothing for an empty style.
  static void AddAsyncStyle(TKXXMLTag* tag, const std::string& style);
  // The css, supportsinput, enabled and hint elements and the style of the given properties.
  void RenderAsyncCommonProperties(TKXCompContext* context, TKXXMLTag* tag, TKXAsyncCommonProps props);

 private:
  IKXHTML40Control* ControlInterface() const;

  bool FRenderSize = true;
  TKXStyleRenderOptions FStyleRenderOptions;
  std::int32_t FZIndex = 0;
  bool FClip = false;
  // Most controls set neither.
  TCompactString FCss;
  TCompactString FSkinId;
  TKXCursor FCursor = crAuto;
  // Most controls store no script events: a render hooks its scripts into a collection of its own then.
  std::unique_ptr<TKXScriptEvents> FScriptEvents;
  bool FSupportsPartial = true;
};

// ---------------------------------------------------------------------------

// The members of the control interfaces that a visual control (TKXCustomControl)
// and a region (TKXCustomRegion) answer alike from their implementation object,
// written once for both class trees. TBase is the control's base
// (TKXBaseHTMLControl) or the region's (TKXHTML40Container); the class deriving
// from it owns the implementation and answers HTMLControlImplementation().
template <class TBase>
class TKXForwardToImplementation : public TBase,
                                   public virtual IKXBaseControl,
                                   public virtual IKXHTML40Component,
                                   public virtual IKXHTML40Control {
 public:
  // The implementation object; set once the component's InitControl ran.
  virtual TKXHTMLControlImplementation* HTMLControlImplementation() const = 0;

  // ---- IKXBaseComponent
  TComponent* InterfaceInstance() override { return this; }
  TStrings& ExtraTagParams() override { return HTMLControlImplementation()->ExtraTagParams(); }
  // Copies the lines; outside design mode ExtraTagParamsChanged follows.
  void SetExtraTagParams(const TStrings& value) override {
    HTMLControlImplementation()->ExtraTagParams().Assign(&value);
    if (!this->DesignMode()) ExtraTagParamsChanged();
  }
  // Implements IKXSubmitControl.
  bool SupportsSubmit() override { return Supports<IKXSubmitControl>(this) != nullptr; }
  // Implements IKXInputControl and is editable.
  bool SupportsInput() override {
    IKXInputControl* input = Supports<IKXInputControl>(this);
    return input != nullptr && input->Editable();
  }
  // RenderHTML.
  TKXElementPtr<TKXMarkupLanguageTag> RenderMarkupLanguageTag(TKXCompContext* context) override {
    return static_cast<IKXBaseHTMLComponent*>(this)->RenderHTML(context);
  }
  void AddFreeNotifier(TObject* object) override { HTMLControlImplementation()->AddFreeNotifier(object); }
  void RemoveFreeNotifier(TObject* object) override {
    if (TKXHTMLControlImplementation* implementation = HTMLControlImplementation()) {
      implementation->RemoveFreeNotifier(object);
    }
  }
  std::string ComponentName() override { return HTMLName(); }

  // ---- IKXBaseHTMLComponent
  // Name + the parent container's prefix, or the owner frame's name + Name, upper-cased.
  std::string HTMLName() override { return HTMLControlImplementation()->getHTMLName(); }
  const TKXOnHTMLTag& OnHTMLTag() override { return HTMLControlImplementation()->OnHTMLTag(); }
  void SetOnHTMLTag(TKXOnHTMLTag value) override { HTMLControlImplementation()->SetOnHTMLTag(std::move(value)); }
  bool HasName() override { return HTMLControlImplementation()->getHasName(); }
  // AddTabIndex, then the extra attributes, CR LF and the tag.
  void MakeHTMLTag(TKXHTMLTag* tag, TKXRenderStream& stream) override {
    if (tag == nullptr) return;
    AddTabIndex(tag);
    tag->Params()->AppendParams(HTMLControlImplementation()->ExtraTagParamsToRender());
    stream.Write("\r\n");
    tag->Render(stream);
  }
  std::string MakeHTMLTag(TKXHTMLTag* tag) override {
    TKXRenderStream stream(true, true);
    MakeHTMLTag(tag, stream);
    return stream.GetAsString();
  }
  void DoHTMLTag(TKXMarkupLanguageTag* tag) override {
    if (OnHTMLTag()) OnHTMLTag()(this, tag);
  }

  // ---- IKXBaseHTMLControl
  TKXFont& WebFont() override { return HTMLControlImplementation()->Font(); }
  // The font to read: WebFont once the control has one of its own, else the shared default font (none is made).
  const TKXFont& EffectiveFont() const { return HTMLControlImplementation()->EffectiveFont(); }
  void SetWebFont(const TKXFont& value) override { HTMLControlImplementation()->Font().Assign(&value); }

  // ---- IKXHTML40Component
  void AddAsyncStyle(TKXXMLTag* tag, const std::string& style) override {
    TKXHTMLControlImplementation::AddAsyncStyle(tag, style);
  }

  // ---- IKXHTML40Control (a setter that compares invalidates when the value changes)
  int HTMLLeft() override { return this->Left(); }
  int HTMLTop() override { return this->Top(); }
  // Attribute "title" with the hint escaped as HTML text, when hints are shown and the hint is not empty.
  void HintEvents(TKXHTMLTag* tag) override { HTMLControlImplementation()->HintEvents(tag); }
  bool RenderSize() override { return HTMLControlImplementation()->RenderSize(); }
  void SetRenderSize(bool value) override { Change(value, RenderSize(), &TKXHTMLControlImplementation::SetRenderSize); }
  TKXStyleRenderOptions& StyleRenderOptions() override { return HTMLControlImplementation()->StyleRenderOptions(); }
  void SetStyleRenderOptions(const TKXStyleRenderOptions& value) override {
    HTMLControlImplementation()->StyleRenderOptions().Assign(&value);
  }
  int ZIndex() override { return HTMLControlImplementation()->ZIndex(); }
  void SetZIndex(int value) override { Change(value, ZIndex(), &TKXHTMLControlImplementation::SetZIndex); }
  bool Clip() override { return HTMLControlImplementation()->Clip(); }
  void SetClip(bool value) override { Change(value, Clip(), &TKXHTMLControlImplementation::SetClip); }
  std::string Css() override { return HTMLControlImplementation()->Css(); }
  std::string SkinId() override { return HTMLControlImplementation()->SkinId(); }
  TKXCursor WebCursor() override { return HTMLControlImplementation()->Cursor(); }
  void SetWebCursor(TKXCursor value) override { Change(value, WebCursor(), &TKXHTMLControlImplementation::SetCursor); }
  bool SupportsPartial() override { return HTMLControlImplementation()->SupportsPartial(); }
  void SetSupportsPartial(bool value) override { HTMLControlImplementation()->SetSupportsPartial(value); }
  TKXScriptEvents& ScriptEvents() override { return HTMLControlImplementation()->ScriptEvents(); }
  // Assigns into the owned collection.
  void SetScriptEvents(const TKXScriptEvents& value) override {
    HTMLControlImplementation()->ScriptEvents().Assign(&value);
  }
  // The platform's (alNone and [akLeft, akTop] by default).
  TAnchors Anchors() const override { return TBase::Anchors(); }
  void SetAnchors(TAnchors value) override { TBase::SetAnchors(value); }
  TAlign Align() const override { return TBase::Align(); }
  void SetAlign(TAlign value) override { TBase::SetAlign(value); }
  bool ShowHint() const override { return TBase::ShowHint(); }
  void SetShowHint(bool value) override { TBase::SetShowHint(value); }
  bool ParentShowHint() const override { return TBase::ParentShowHint(); }
  void SetParentShowHint(bool value) override { TBase::SetParentShowHint(value); }
  // DoRefreshControl.
  bool RequiresRefresh() override { return static_cast<IKXHTML40Component*>(this)->DoRefreshControl(); }

  // ---- IKXBaseControl
  // The base's (answers IKXBaseControl for a region too).
  void ParentChanging(TWinControl* oldParent, TWinControl* newParent) override {
    TBase::ParentChanging(oldParent, newParent);
  }
  // Keeps inside the border of a parent region (not in design mode); a change marks the component for refresh.
  void SetBounds(int left, int top, int width, int height) override {
    if (!this->DesignMode()) {
      if (IKXRegion* region = Supports<IKXRegion>(this->Parent())) {
        const int border = region->BorderPixelWidth();
        left = std::max(left, border);
        top = std::max(top, border);
      }
    }
    const bool changed =
        left != this->Left() || top != this->Top() || width != this->Width() || height != this->Height();
    TBase::SetBounds(left, top, width, height);
    if (changed) static_cast<IKXHTML40Component*>(this)->SetDoRefreshControl(true);
  }

 protected:
  // Writes the tab index into tag before MakeHTMLTag adds the extra attributes; nothing here.
  virtual void AddTabIndex(TKXHTMLTag* tag) { (void)tag; }
  virtual void ExtraTagParamsChanged() { Changed(); }

 private:
  // The component's own Invalidate, reached through the interface whichever base also declares one.
  void Changed() { static_cast<IKXBaseControl*>(this)->Invalidate(); }
  // Stores value through the implementation's setter and invalidates, unless it equals current.
  template <class TValue, class TStored>
  void Change(TValue value, TValue current, void (TKXHTMLControlImplementation::*setter)(TStored)) {
    if (value == current) return;
    (HTMLControlImplementation()->*setter)(value);
    Changed();
  }
};

// ---------------------------------------------------------------------------

// The members of the control interfaces that a region answers alike come from
// TKXForwardToImplementation.
class TKXCustomControl : public TKXForwardToImplementation<TKXBaseHTMLControl>, public virtual IKXResyncEvents {
  KX_COMPONENT_CLASS(TKXCustomControl, TKXBaseHTMLControl)

 public:
  // ---- properties
  // Marks the control for refresh.
  void SetHint(const std::string& value) override;
  // Marks the control for refresh when the value changes ignoring case.
  void SetCss(const std::string& value) override;
  // A change invalidates.
  void SetSkinId(const std::string& value) override;
  TKXCursor Cursor() { return WebCursor(); }
  void SetCursor(TKXCursor value) { SetWebCursor(value); }
  // False by default; a change marks the control for refresh.
  bool UseFrame() override { return FUseFrame; }
  void SetUseFrame(bool value) override;
  TKXAsyncEventTypes LockOnAsyncEvents() const { return FLockOnAsyncEvents; }
  void SetLockOnAsyncEvents(TKXAsyncEventTypes value) { FLockOnAsyncEvents = value; }
  // Stored and never read.
  void SetKX50Hint(bool value) { FKX50Hint = value; }
  // Accepted and dropped: nothing on the server reads a status text.
  void SetStatusText(const std::string& value) { (void)value; }
  // Question asked before a submit; empty for none.
  const std::string& Confirmation() const { return FConfirmation; }
  void SetConfirmation(const std::string& value) { FConfirmation = value; }
  // True by default: a submit runs the page's validation first.
  bool DoSubmitValidation() const { return FDoSubmitValidation; }
  void SetDoSubmitValidation(bool value) { FDoSubmitValidation = value; }
  // Follows Name while it equals Name or is empty.
  const std::string& FriendlyName() const { return FFriendlyName; }
  void SetFriendlyName(const std::string& value) { FFriendlyName = value; }
  // Defaults to SupportsInput; a change invalidates.
  virtual bool SubmitOnAsyncEvent() { return FSubmitOnAsyncEvent; }
  virtual void SetSubmitOnAsyncEvent(bool value);
  bool DontSubmitFiles() const { return FDontSubmitFiles; }
  void SetDontSubmitFiles(bool value) { FDontSubmitFiles = value; }
  // False here; controls that can take the focus switch it on.
  bool CanReceiveFocus() const { return FCanReceiveFocus; }

  // ---- asynchronous events (in table order)
  TKXAsyncEvent OnAsyncClick;
  TKXAsyncEvent OnAsyncDoubleClick;
  TKXAsyncEvent OnAsyncChange;
  TKXAsyncEvent OnAsyncEnter;
  TKXAsyncEvent OnAsyncExit;
  TKXAsyncEvent OnAsyncKeyDown;
  TKXAsyncEvent OnAsyncKeyUp;
  TKXAsyncEvent OnAsyncKeyPress;
  TKXAsyncEvent OnAsyncMouseDown;
  TKXAsyncEvent OnAsyncMouseMove;
  TKXAsyncEvent OnAsyncMouseOver;
  TKXAsyncEvent OnAsyncMouseOut;
  TKXAsyncEvent OnAsyncMouseUp;
  TKXAsyncEvent OnAsyncSelect;
  TKXAsyncEvent OnAsyncLoad;
  TKXAsyncEvent OnAsyncUnLoad;
  TKXAsyncEvent& AsyncEvent(TKXAsyncEventType event);

  // The callbacks: for events other than Load and UnLoad nothing happens while
  // the control is disabled; the handler runs with the parameters, which
  // GetAsyncParam reads until it returns (also when it raises).
  virtual void DoOnAsyncClick(TStrings& params) { DoOnAsync(aeClick, params); }
  virtual void DoOnAsyncDoubleClick(TStrings& params) { DoOnAsync(aeDoubleClick, params); }
  virtual void DoOnAsyncChange(TStrings& params) { DoOnAsync(aeChange, params); }
  virtual void DoOnAsyncEnter(TStrings& params) { DoOnAsync(aeEnter, params); }
  virtual void DoOnAsyncExit(TStrings& params) { DoOnAsync(aeExit, params); }
  virtual void DoOnAsyncKeyDown(TStrings& params) { DoOnAsync(aeKeyDown, params); }
  virtual void DoOnAsyncKeyUp(TStrings& params) { DoOnAsync(aeKeyUp, params); }
  virtual void DoOnAsyncKeyPress(TStrings& params) { DoOnAsync(aeKeyPress, params); }
  virtual void DoOnAsyncMouseDown(TStrings& params) { DoOnAsync(aeMouseDown, params); }
  virtual void DoOnAsyncMouseMove(TStrings& params) { DoOnAsync(aeMouseMove, params); }
  virtual void DoOnAsyncMouseOver(TStrings& params) { DoOnAsync(aeMouseOver, params); }
  virtual void DoOnAsyncMouseOut(TStrings& params) { DoOnAsync(aeMouseOut, params); }
  virtual void DoOnAsyncMouseUp(TStrings& params) { DoOnAsync(aeMouseUp, params); }
  virtual void DoOnAsyncSelect(TStrings& params) { DoOnAsync(aeSelect, params); }
  virtual void DoOnAsyncLoad(TStrings& params) { DoOnAsync(aeLoad, params); }
  virtual void DoOnAsyncUnLoad(TStrings& params) { DoOnAsync(aeUnLoad, params); }
  // Calls the DoOnAsync method of the event.
  void CallAsyncEvent(TKXAsyncEventType event, TStrings& params);

  // The value of a parameter of the asynchronous call being handled; empty outside one.
  std::string GetAsyncParam(const std::string& name) const;
  // The same as an integer; defaultValue when it is not one.
  std::int32_t GetAsyncParam(const std::string& name, std::int32_t defaultValue) const;

  // Registers one callback per assigned event: HTMLName + "." + its DoOnAsync method name.
  void RegisterAsyncEvents(TKXApplication* application) override;
  void RegisterAsyncEvents(IKXCallBacks& callBacks);
  // RegisterAsyncEvents with the page's session, then AddAsyncEventHandler for each assigned event.
  virtual void AssignAsyncEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents);
  // Hooks the client library's default handler of the browser event.
  virtual void AddAsyncEventHandler(const std::string& browserEvent, const std::string& methodName,
                                    TKXScriptEvents& scriptEvents, bool lock);

  // ---- IKXHTML40Component
  // Set by Invalidate and the setters that change what is shown.
  bool DoRefreshControl() override { return FDoRefreshControl; }
  void SetDoRefreshControl(bool value) override { FDoRefreshControl = value; }
  std::string RenderCSSClass(TKXCompContext* context) override;
  std::string RenderStyle(TKXCompContext* context) override;
  // Nothing in design mode; the implementation's scripts, then the frame width for UseFrame.
  void RenderScripts(TKXCompContext* context) override;
  // RenderAsync.
  TKXElementPtr<TKXXMLTag> RenderAsyncComponent(TKXCompContext* context) override;
  bool WantsSubmitValidation() override { return FDoSubmitValidation; }
  // The control's update element, or null; null here.
  virtual TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context);

  // ---- IKXHTML40Control
  // AssignAsyncEvents here; overrides call the inherited one.
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;

  // ---- sizes, refresh and focus
  // Less 2 * USE_FRAME_WIDTH with UseFrame in a Firefox session; never below 0.
  int HTMLWidth() override;
  int HTMLHeight() override;
  // Marks the control for refresh.
  void Invalidate() override;
  void RepaintControl() { Invalidate(); }
  // The setter of a property that the page shows: stores value and marks the control for refresh when it differs
  // from field; returns whether it did.  void SetBGColor(TKXColor value) { SetProperty(FBGColor, value); }
  template <class T, class V>
  bool SetProperty(T& field, V&& value) {
    return AssignProperty(field, std::forward<V>(value), [this] { Invalidate(); });
  }
  // A change marks the control for refresh.
  void SetVisible(bool value) override;
  void SetEditable(bool value) override;
  // FriendlyName follows the name while it equals the old name (ignoring case) or is empty.
  void SetName(const std::string& value) override;
  // Raises Exception "Control cannot receive focus" unless CanReceiveFocus; else the form's SetActiveControl.
  void SetFocus();

  // ---- input and submit (the roles TKXControl publishes)
  // The list holds HTMLName only.
  virtual void GetInputControlNames(TStrings& list);
  // name equals HTMLName, case-sensitively.
  virtual bool IsForThisControl(const std::string& name);
  virtual void SetFileValue(const std::string& value) { (void)value; }
  // Stores the value for GetSubmitParam.
  virtual void Submit(const std::string& value) { FSubmitParam = value; }
  bool IsScriptEventsStored();

  // ---- helpers for controls
  // The click script "SubmitClickConfirm('name','param', validate, 'confirmation')"
  // with ";return false;" (returnFalse) or as "return ...;". name is
  // controlName or HTMLName; the texts are escaped as script literals.
  std::string SubmitHandler(const std::string& param, const std::string& controlName, bool returnFalse);
  // A new "A" tag that submits the control with param ("'" written "%27").
  TKXElementPtr<TKXHTMLTag> SubmitLink(const std::string& text, const std::string& param, bool useScriptEvents,
                                       const TBrowser* browser);
  // The margins of a control aligned with margins.
  std::string RenderMargins();
  static std::string RenderSizeStyle(int width, int height);
  static std::string RenderScrollStyle(TKXScrollStyle style);
  static std::string RenderCursorStyle(TKXCursor cursor);
  static std::string RenderTextAlignStyle(TAlignment alignment);
  static std::string RenderVerticalAlignStyle(TKXVerticalAlignment alignment);
  // Empty for clNone.
  static std::string RenderBGColor(TKXColor color);

  // Forwarded to the implementation.
  void RenderAsyncProperty(const std::string& name, TKXXMLTag* tag, bool value);
  void RenderAsyncProperty(const std::string& name, TKXXMLTag* tag, std::int32_t value);
  void RenderAsyncPropertyAsString(const std::string& name, TKXXMLTag* tag, const std::string& value,
                                   bool omitEmpty);
  void RenderAsyncPropertyAsColor(const std::string& name, TKXXMLTag* tag, TKXColor color);
  void RenderAsyncPropertyAsPixel(const std::string& name, TKXXMLTag* tag, std::int32_t value);
  // Without RenderSize the height and width are left out.
  void RenderAsyncCommonProperties(TKXCompContext* context, TKXXMLTag* tag, TKXAsyncCommonProps props);

  TKXHTMLControlImplementation* HTMLControlImplementation() const override;

 protected:
  // The inherited InitControl, 24 x 24, visible, submit validation on,
  // SubmitOnAsyncEvent := SupportsInput.
  void InitControl() override;
  void InitializeImplementation() override;
  void ReleaseImplementation() override;
  // The tab index when the control renders one.
  void AddTabIndex(TKXHTMLTag* tag) override;
  void ColorChanged() override { Invalidate(); }
  void TextChangedNotification() override { Invalidate(); }
  // Takes RenderSize from the options, or invalidates.
  virtual void StyleRenderOptionsChanged();
  void SetCanReceiveFocus(bool value) { FCanReceiveFocus = value; }
  void DoOnAsync(TKXAsyncEventType event, TStrings& params);

  // Written by its setter and never read.
  bool FKX50Hint = false;

 private:
  bool FUseFrame = false;
  bool FDoRefreshControl = false;
  TCompactString FSubmitParam;
  bool FCanReceiveFocus = false;
  bool FSubmitOnAsyncEvent = false;
  TCompactString FConfirmation;
  bool FDoSubmitValidation = true;
  std::string FFriendlyName;
  bool FDontSubmitFiles = false;
  TKXAsyncEventTypes FLockOnAsyncEvents;
  TStrings* FAsyncParams = nullptr;

  friend class TKXControl;
};

// A custom control that takes posted values and submits.
class TKXControl : public TKXCustomControl,
                   public virtual IKXInputControl40,
                   public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXControl, TKXCustomControl)

 public:
  // Tells a parent implementing IKXUpdateNotified, then invalidates.
  void SetValue(const std::string& value) override;
  void SetFileValue(const std::string& value) override { TKXCustomControl::SetFileValue(value); }
  bool Editable() override { return TKXCustomControl::Editable(); }
  void SetEditable(bool value) override { TKXCustomControl::SetEditable(value); }
  bool NonEditableAsLabel() override { return TKXCustomControl::NonEditableAsLabel(); }
  void SetNonEditableAsLabel(bool value) override { TKXCustomControl::SetNonEditableAsLabel(value); }
  void GetInputControlNames(TStrings& list) override { TKXCustomControl::GetInputControlNames(list); }
  bool IsForThisControl(const std::string& name) override { return TKXCustomControl::IsForThisControl(name); }
  bool SubmitOnAsyncEvent() override { return TKXCustomControl::SubmitOnAsyncEvent(); }
  void SetSubmitOnAsyncEvent(bool value) override { TKXCustomControl::SetSubmitOnAsyncEvent(value); }
  void Submit(const std::string& value) override { TKXCustomControl::Submit(value); }
  // The control's Submit.
  TSubmitProc getSubmitProc() override;
  std::string GetSubmitParam() override { return FSubmitParam; }

 protected:
  // Tells a parent implementing IKXUpdateNotified (a container that tracks its controls' values) that value was
  // posted for this control; a posted-value setter calls it first.
  void NotifyParentOfPostedValue(const std::string& value);
  // size less a border of borderWidth pixels on both sides, never below 0: what the element inside the border
  // measures (HTMLWidth and HTMLHeight of a control that draws its own border).
  static int LessBorder(int size, int borderWidth) { return std::max(size - 2 * borderWidth, 0); }
  // The style of an inset border of borderWidth pixels, "border: 1px inset;".
  static std::string InsetBorderStyle(int borderWidth) { return "border: " + std::to_string(borderWidth) + "px inset;"; }
};

// The object behind a control interface; null for null.
TComponent* GetInterfaceInstance(IKXHTML40Control* control);

}  // namespace kx
