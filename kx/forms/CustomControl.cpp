#include "kx/forms/CustomControl.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "kx/appserver/Application.h"
#include "kx/forms/Containers.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/KXMessages.h"
#include "kx/foundation/TextUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";

constexpr TKXAsyncEventInfo kAsyncEvents[KXAsyncEventCount] = {
    {"DoOnAsyncClick", "OnClick", true},         {"DoOnAsyncDoubleClick", "OnDblClick", true},
    {"DoOnAsyncChange", "OnChange", true},       {"DoOnAsyncEnter", "OnFocus", true},
    {"DoOnAsyncExit", "OnBlur", true},           {"DoOnAsyncKeyDown", "OnKeyDown", true},
    {"DoOnAsyncKeyUp", "OnKeyUp", true},         {"DoOnAsyncKeyPress", "OnKeyPress", true},
    {"DoOnAsyncMouseDown", "OnMouseDown", true}, {"DoOnAsyncMouseMove", "OnMouseMove", true},
    {"DoOnAsyncMouseOver", "OnMouseOver", true}, {"DoOnAsyncMouseOut", "OnMouseOut", true},
    {"DoOnAsyncMouseUp", "OnMouseUp", true},     {"DoOnAsyncSelect", "OnSelect", true},
    {"DoOnAsyncLoad", "OnLoad", false},          {"DoOnAsyncUnLoad", "OnUnLoad", false},
};

using TAsyncMethod = void (TKXCustomControl::*)(TStrings&);
constexpr TAsyncMethod kAsyncMethods[KXAsyncEventCount] = {
    &TKXCustomControl::DoOnAsyncClick,     &TKXCustomControl::DoOnAsyncDoubleClick,
    &TKXCustomControl::DoOnAsyncChange,    &TKXCustomControl::DoOnAsyncEnter,
    &TKXCustomControl::DoOnAsyncExit,      &TKXCustomControl::DoOnAsyncKeyDown,
    &TKXCustomControl::DoOnAsyncKeyUp,     &TKXCustomControl::DoOnAsyncKeyPress,
    &TKXCustomControl::DoOnAsyncMouseDown, &TKXCustomControl::DoOnAsyncMouseMove,
    &TKXCustomControl::DoOnAsyncMouseOver, &TKXCustomControl::DoOnAsyncMouseOut,
    &TKXCustomControl::DoOnAsyncMouseUp,   &TKXCustomControl::DoOnAsyncSelect,
    &TKXCustomControl::DoOnAsyncLoad,      &TKXCustomControl::DoOnAsyncUnLoad,
};

TKXAsyncEventType EventAt(int index) { return static_cast<TKXAsyncEventType>(index); }

const char* BoolText(bool value) { return value ? "true" : "false"; }

std::string AlignName(TAlign align) {
  switch (align) {
    case alNone: return "alNone";
    case alTop: return "alTop";
    case alBottom: return "alBottom";
    case alLeft: return "alLeft";
    case alRight: return "alRight";
    case alClient: return "alClient";
    default: return std::string();
  }
}

}  // namespace

const TKXAsyncEventInfo& AsyncEventInfo(TKXAsyncEventType event) { return kAsyncEvents[event]; }

std::vector<std::pair<std::string, std::string>> parseCSS(std::string_view style) {
  std::string text = Trim(style);
  while (!text.empty() && text.back() == ';') text.pop_back();
  std::vector<std::pair<std::string, std::string>> result;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string entry = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (entry.empty()) continue;
    const std::size_t colon = entry.find(':');
    // A declaration without ":" names no property: nothing can be written for it.
    if (colon == std::string::npos) continue;
    result.emplace_back(Trim(std::string_view(entry).substr(0, colon)), Trim(std::string_view(entry).substr(colon + 1)));
  }
  return result;
}

// ---------------------------------------------------------------------------
// TKXHTMLControlImplementation

TKXHTMLControlImplementation::TKXHTMLControlImplementation(TControl* control)
    : TKXBaseHTMLControlImplementation(control) {}

TKXScriptEvents& TKXHTMLControlImplementation::ScriptEvents() {
  if (!FScriptEvents) FScriptEvents = std::make_unique<TKXScriptEvents>(Control());
  return *FScriptEvents;
}

bool TKXHTMLControlImplementation::HasScriptEvents() const { return FScriptEvents && FScriptEvents->Count() > 0; }

IKXHTML40Control* TKXHTMLControlImplementation::ControlInterface() const {
  return Supports<IKXHTML40Control>(Control());
}

std::string TKXHTMLControlImplementation::KXCLParentName() const {
  TWinControl* parent = Control()->Parent();
  if (parent == nullptr || Supports<IKXHTML40Form>(parent)) return "KXCLForm";
  if (IKXBaseHTMLComponent* component = Supports<IKXBaseHTMLComponent>(parent)) return component->HTMLName() + "KXCL";
  if (auto* frame = Supports<TFrame>(parent); frame != nullptr && frame->Parent() != nullptr) {
    TWinControl* holder = frame->Parent();
    IKXBaseHTMLComponent* component = Supports<IKXBaseHTMLComponent>(holder);
    return Supports<IKXBaseContainer>(holder) && component ? component->HTMLName() + "KXCL" : "KXCLForm";
  }
  return parent->Name() + "KXCL";
}

std::string TKXHTMLControlImplementation::RenderStyle(TKXCompContext* context) {
  std::string style;
  IKXHTML40Control* control = ControlInterface();
  if (context && context->ContainerContext()) {
    if (IKXContainerLayout* layout = context->ContainerContext()->LayoutInterface()) {
      layout->RenderStyle(control, style);
    }
  }
  if (control == nullptr) return style;

  if (FStyleRenderOptions.RenderZIndex() && FZIndex + 100 != 0) {
    style += "z-index: " + std::to_string(FZIndex + 100) + "; ";
  }
  const bool region = Supports<IKXRegion>(Control()) != nullptr;
  bool sizeFlag = true;
  if (region) {
    sizeFlag = false;
  } else if (Supports<TKXCustomControl>(Control())) {
    sizeFlag = !Control()->AutoSize();
  }
  if ((FRenderSize && FStyleRenderOptions.RenderSize()) || sizeFlag) {
    style += "width: " + std::to_string(control->HTMLWidth()) + "px; " + "height: " +
             std::to_string(control->HTMLHeight()) + "px; ";
  }
  if (FStyleRenderOptions.RenderPadding()) style += "padding: 0; ";
  if (!region && FClip) {
    style += "clip:rect(0px," + std::to_string(control->HTMLWidth()) + "px," + std::to_string(control->HTMLHeight()) +
             "px,0px); ";
  }
  TKXBasePageContext* page = context ? context->BasePageContext() : nullptr;
  if (page && page->WebApplication() && FStyleRenderOptions.RenderFont()) style += EffectiveFont().FontToStringStyle();
  if (FCursor != crAuto) style += TKXCustomControl::RenderCursorStyle(FCursor);
  return style;
}

std::string TKXHTMLControlImplementation::RenderCSSClass() {
  if (!FCss.empty()) return FCss;
  IKXHTML40Control* control = ControlInterface();
  return (control ? control->HTMLName() : getHTMLName()) + "CSS";
}

bool TKXHTMLControlImplementation::GetSubmitOnAsync() {
  IKXBaseComponent* component = Supports<IKXBaseComponent>(Control());
  IKXInputControl40* input = Supports<IKXInputControl40>(Control());
  return component && component->SupportsInput() && input && input->SubmitOnAsyncEvent();
}

void TKXHTMLControlImplementation::HintEvents(TKXHTMLTag* tag) {
  if (tag == nullptr || !Control()->ShowHint() || Control()->Hint().empty()) return;
  // Escaped as HTML text: a quote or "&" in the hint can neither end the attribute nor change its meaning.
  tag->AddStringParam("title", TKXBaseHTMLControl::TextToHTML(Control()->Hint(), false, false, false));
}

void TKXHTMLControlImplementation::RenderScripts(TKXCompContext* context) {
  IKXHTML40Control* control = ControlInterface();
  if (context == nullptr || control == nullptr) return;
  TKXPageContext40* page = context->PageContext();
  // Without stored events the hooked scripts go into a collection for this render only.
  std::optional<TKXScriptEvents> renderOnly;
  TKXScriptEvents& events = FScriptEvents ? *FScriptEvents : renderOnly.emplace(Control());
  events.Clear();
  control->HookEvents(page, events);
  control->HintEvents(context->HTMLTag());

  const std::string name = control->HTMLName();
  std::string script = "  KX.initKXCL(" + KXCLParentName() + ",\"" + name + "\"," + BoolText(GetSubmitOnAsync()) + ")";
  IKXContainerLayout* layout = context->ContainerContext() ? context->ContainerContext()->LayoutInterface() : nullptr;
  const TKXLayoutKind kind = layout ? layout->LayoutKind() : lkOther;
  if (FStyleRenderOptions.RenderPosition() && (kind == lkForm || kind == lkTemplate)) {
    TAlign align = control->Align();
    TAnchors anchors = control->Anchors();
    auto* frame = Supports<TFrame>(Control()->Parent());
    if (frame && Supports<IKXHTML40Container>(Control())) {
      align = frame->Align();
      anchors = frame->Anchors();
    }
    if (align != alNone || anchors != TAnchors{akLeft, akTop}) {
      const auto flag = [&](TAnchorKind kind, bool last) {
        return std::string(BoolText(anchors.Contains(kind))) + (last ? "" : ", ");
      };
      script += std::string(CRLF) + "  if (" + name + "KXCL) {" + CRLF + "    " + name + "KXCL.SetAlign(" +
                AlignName(align) + ");" + CRLF + "    " + name + "KXCL.SetAnchors(new CreateAnchors(" +
                flag(akLeft, false) + flag(akRight, false) + flag(akTop, false) + flag(akBottom, true) + "));" + CRLF +
                "  }";
    }
  }
  if (script.back() != ';') script += ';';
  if (page) page->AddToKXCLInitProc(script);
  events.RenderEvents(page);
  events.Clear();
}

void TKXHTMLControlImplementation::addAsyncTag(TKXXMLTag* tag, const std::string& name, const std::string& value,
                                               bool omitEmpty) {
  if (tag == nullptr || (value.empty() && omitEmpty)) return;
  TKXMarkupLanguageTag* child = tag->Contents()->AddTag(LowerCase(name), false);
  child->Contents()->AddText(EscapeXMLText(TKXBaseHTMLControl::TextToHTML(value, true, false, false)), false);
}

void TKXHTMLControlImplementation::RenderAsyncProperty(const std::string& name, TKXXMLTag* tag, bool value) {
  addAsyncTag(tag, name, BoolText(value), false);
}

void TKXHTMLControlImplementation::RenderAsyncProperty(const std::string& name, TKXXMLTag* tag,
                                                       std::int32_t value) {
  addAsyncTag(tag, name, std::to_string(value), false);
}

void TKXHTMLControlImplementation::RenderAsyncPropertyAsString(const std::string& name, TKXXMLTag* tag,
                                                               const std::string& value, bool omitEmpty) {
  addAsyncTag(tag, name, value, omitEmpty);
}

void TKXHTMLControlImplementation::RenderAsyncPropertyAsColor(const std::string& name, TKXXMLTag* tag,
                                                              TKXColor color) {
  addAsyncTag(tag, name, ColorToRGBString(color), false);
}

void TKXHTMLControlImplementation::RenderAsyncPropertyAsPixel(const std::string& name, TKXXMLTag* tag,
                                                              std::int32_t value) {
  addAsyncTag(tag, name, std::to_string(value) + "px", false);
}

void TKXHTMLControlImplementation::AddAsyncStyle(TKXXMLTag* tag, const std::string& style) {
  if (tag == nullptr || style.empty()) return;
  TKXMarkupLanguageTag* styleTag = tag->Contents()->AddTag("style", false);
  for (const auto& [property, value] : parseCSS(style)) {
    TKXMarkupLanguageTag* attribute = styleTag->Contents()->AddTag("attribute", false);
    attribute->AddStringParam("name", property);
    attribute->Contents()->AddText(EscapeXMLText(value), false);
  }
}

void TKXHTMLControlImplementation::RenderAsyncCommonProperties(TKXCompContext* context, TKXXMLTag* tag,
                                                               TKXAsyncCommonProps props) {
  TControl* control = Control();
  IKXHTML40Control* html = ControlInterface();
  if (props.Contains(acpCSS) && context) {
    if (IKXHTML40Component* component = Supports<IKXHTML40Component>(context->Component())) {
      RenderAsyncPropertyAsString("Css", tag, component->RenderCSSClass(context), true);
    }
  }
  RenderAsyncProperty("SupportsInput", tag, GetSubmitOnAsync());
  if (props.Contains(acpEnabled) && FStyleRenderOptions.RenderStatus()) {
    RenderAsyncProperty("Enabled", tag, control->Enabled());
  }
  if (props.Contains(acpHint) && control->ShowHint()) RenderAsyncPropertyAsString("Hint", tag, control->Hint(), false);

  std::string style;
  if (props.Contains(acpVisible) && FStyleRenderOptions.RenderVisibility()) {
    const bool visible = control->Visible();
    if (FStyleRenderOptions.UseDisplay()) style += std::string(" display: ") + (visible ? "" : "none") + "; ";
    style += std::string(" visibility: ") + (visible ? "inherit" : "hidden") + "; ";
  }
  if (props.Contains(acpLeft) && FStyleRenderOptions.RenderPosition()) {
    style += " left: " + std::to_string(html ? html->HTMLLeft() : control->Left()) + "px; ";
  }
  if (props.Contains(acpTop) && FStyleRenderOptions.RenderPosition()) {
    style += "top: " + std::to_string(html ? html->HTMLTop() : control->Top()) + "px; ";
  }
  if (props.Contains(acpHeight) && FStyleRenderOptions.RenderSize()) {
    style += " height: " + std::to_string(html ? html->HTMLHeight() : control->Height()) + "px; ";
  }
  if (props.Contains(acpWidth) && FStyleRenderOptions.RenderSize()) {
    style += " width: " + std::to_string(html ? html->HTMLWidth() : control->Width()) + "px; ";
  }
  if (props.Contains(acpZIndex) && FStyleRenderOptions.RenderZIndex() && FZIndex + 100 != 0) {
    style += " z-index: " + std::to_string(FZIndex + 100) + "; ";
  }
  if (props.Contains(acpFont) && FStyleRenderOptions.RenderFont()) style += EffectiveFont().FontToStringStyle();
  AddAsyncStyle(tag, style);
}

// ---------------------------------------------------------------------------
// TKXCustomControl

TKXHTMLControlImplementation* TKXCustomControl::HTMLControlImplementation() const {
  return static_cast<TKXHTMLControlImplementation*>(BaseHTMLControlImplementation());
}

void TKXCustomControl::InitializeImplementation() {
  auto implementation = std::make_unique<TKXHTMLControlImplementation>(this);
  implementation->StyleRenderOptions().OnChange = [this](TObject*) { StyleRenderOptionsChanged(); };
  SetImplementation(std::move(implementation));
}

void TKXCustomControl::ReleaseImplementation() {
  if (TKXHTMLControlImplementation* implementation = HTMLControlImplementation()) {
    implementation->StyleRenderOptions().OnChange = nullptr;
  }
  TKXBaseHTMLControl::ReleaseImplementation();
}

void TKXCustomControl::InitControl() {
  TKXBaseHTMLControl::InitControl();
  SetBounds(Left(), Top(), 24, 24);
  SetVisible(true);
  FConfirmation.clear();
  FDoSubmitValidation = true;
  FDontSubmitFiles = false;
  FSubmitOnAsyncEvent = SupportsInput();
}

void TKXCustomControl::AddTabIndex(TKXHTMLTag* tag) {
  if (HasTabOrder() && ShouldRenderTabOrder()) RenderTabOrder(tag);
}

void TKXCustomControl::StyleRenderOptionsChanged() {
  const bool renderSize = HTMLControlImplementation()->StyleRenderOptions().RenderSize();
  if (renderSize != RenderSize()) {
    SetRenderSize(renderSize);
  } else {
    Invalidate();
  }
}

void TKXCustomControl::SetHint(const std::string& value) {
  TKXBaseHTMLControl::SetHint(value);
  FDoRefreshControl = true;
}

void TKXCustomControl::SetCss(const std::string& value) {
  if (!SameText(value, HTMLControlImplementation()->Css())) FDoRefreshControl = true;
  HTMLControlImplementation()->SetCss(value);
}

void TKXCustomControl::SetSkinId(const std::string& value) {
  if (value == SkinId()) return;
  HTMLControlImplementation()->SetSkinId(value);
  Invalidate();
}

void TKXCustomControl::SetUseFrame(bool value) {
  if (value == FUseFrame) return;
  FUseFrame = value;
  FDoRefreshControl = true;
}

void TKXCustomControl::SetSubmitOnAsyncEvent(bool value) { SetProperty(FSubmitOnAsyncEvent, value); }

TKXAsyncEvent& TKXCustomControl::AsyncEvent(TKXAsyncEventType event) {
  static constexpr TKXAsyncEvent TKXCustomControl::*kHandlers[KXAsyncEventCount] = {
      &TKXCustomControl::OnAsyncClick,     &TKXCustomControl::OnAsyncDoubleClick, &TKXCustomControl::OnAsyncChange,
      &TKXCustomControl::OnAsyncEnter,     &TKXCustomControl::OnAsyncExit,        &TKXCustomControl::OnAsyncKeyDown,
      &TKXCustomControl::OnAsyncKeyUp,     &TKXCustomControl::OnAsyncKeyPress,    &TKXCustomControl::OnAsyncMouseDown,
      &TKXCustomControl::OnAsyncMouseMove, &TKXCustomControl::OnAsyncMouseOver,   &TKXCustomControl::OnAsyncMouseOut,
      &TKXCustomControl::OnAsyncMouseUp,   &TKXCustomControl::OnAsyncSelect,      &TKXCustomControl::OnAsyncLoad,
      &TKXCustomControl::OnAsyncUnLoad,
  };
  return this->*kHandlers[event];
}

void TKXCustomControl::CallAsyncEvent(TKXAsyncEventType event, TStrings& params) {
  (this->*kAsyncMethods[event])(params);
}

void TKXCustomControl::DoOnAsync(TKXAsyncEventType event, TStrings& params) {
  if (kAsyncEvents[event].NeedsEnabled && !Enabled()) return;
  const TKXAsyncEvent& handler = AsyncEvent(event);
  if (!handler) return;
  // The parameters are readable only while the handler runs, also when it raises.
  struct TParamsScope {
    TStrings*& Target;
    ~TParamsScope() { Target = nullptr; }
  } scope{FAsyncParams};
  FAsyncParams = &params;
  handler(this, params);
}

std::string TKXCustomControl::GetAsyncParam(const std::string& name) const {
  return FAsyncParams ? FAsyncParams->Values(name) : std::string();
}

std::int32_t TKXCustomControl::GetAsyncParam(const std::string& name, std::int32_t defaultValue) const {
  return StrToIntDef(GetAsyncParam(name), defaultValue);
}

void TKXCustomControl::RegisterAsyncEvents(TKXApplication* application) {
  if (application && application->CallBacks()) RegisterAsyncEvents(*application->CallBacks());
}

void TKXCustomControl::RegisterAsyncEvents(IKXCallBacks& callBacks) {
  for (int i = 0; i < KXAsyncEventCount; ++i) {
    const TKXAsyncEventType event = EventAt(i);
    if (!AsyncEvent(event)) continue;
    // The registry belongs to the session and may outlive the control: the
    // callback holds a guarded pointer and does nothing once the control is freed.
    TComponentRef<TKXCustomControl> control(this);
    callBacks.RegisterCallBack(HTMLName() + "." + std::string(kAsyncEvents[i].MethodName),
                               [control, event](TStrings& params) {
                                 if (control) control->CallAsyncEvent(event, params);
                               });
  }
}

void TKXCustomControl::AssignAsyncEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  RegisterAsyncEvents(pageContext ? pageContext->WebApplication() : nullptr);
  for (int i = 0; i < KXAsyncEventCount; ++i) {
    const TKXAsyncEventType event = EventAt(i);
    if (!AsyncEvent(event)) continue;
    AddAsyncEventHandler(std::string(kAsyncEvents[i].BrowserEvent), std::string(kAsyncEvents[i].MethodName),
                         scriptEvents, FLockOnAsyncEvents.Contains(event));
  }
}

void TKXCustomControl::AddAsyncEventHandler(const std::string& browserEvent, const std::string& methodName,
                                            TKXScriptEvents& scriptEvents, bool lock) {
  (void)methodName;
  scriptEvents.HookDefaultHandler(browserEvent, lock);
}

std::string TKXCustomControl::RenderCSSClass(TKXCompContext* context) {
  (void)context;
  return HTMLControlImplementation()->RenderCSSClass();
}

std::string TKXCustomControl::RenderStyle(TKXCompContext* context) {
  return HTMLControlImplementation()->RenderStyle(context);
}

void TKXCustomControl::RenderScripts(TKXCompContext* context) {
  if (DesignMode()) return;
  HTMLControlImplementation()->RenderScripts(context);
  if (FUseFrame && context) context->InitKXCLProperty(HTMLName(), "BorderWidthPixels", std::to_string(USE_FRAME_WIDTH));
}

TKXElementPtr<TKXXMLTag> TKXCustomControl::RenderAsyncComponent(TKXCompContext* context) {
  return RenderAsync(context);
}

TKXElementPtr<TKXXMLTag> TKXCustomControl::RenderAsync(TKXCompContext* context) {
  (void)context;
  return nullptr;
}

void TKXCustomControl::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  AssignAsyncEvents(pageContext, scriptEvents);
}

int TKXCustomControl::HTMLWidth() {
  int width = TKXBaseHTMLControl::HTMLWidth();
  if (FUseFrame) {
    TKXApplication* application = GetWebApplication();
    if (application && Supports<TFirefox>(application->Browser())) width -= 2 * USE_FRAME_WIDTH;
  }
  return std::max(width, 0);
}

int TKXCustomControl::HTMLHeight() {
  int height = TKXBaseHTMLControl::HTMLHeight();
  if (FUseFrame) {
    TKXApplication* application = GetWebApplication();
    if (application && Supports<TFirefox>(application->Browser())) height -= 2 * USE_FRAME_WIDTH;
  }
  return std::max(height, 0);
}

void TKXCustomControl::Invalidate() { FDoRefreshControl = true; }

void TKXCustomControl::SetVisible(bool value) {
  if (value == Visible()) return;
  TKXBaseHTMLControl::SetVisible(value);
  FDoRefreshControl = true;
}

void TKXCustomControl::SetEditable(bool value) {
  if (value == Editable()) return;
  TKXBaseHTMLControl::SetEditable(value);
  FDoRefreshControl = true;
}

// The rename comes first, so that a refused name never becomes the friendly name.
void TKXCustomControl::SetName(const std::string& value) {
  const std::string old = Name();
  TKXBaseHTMLControl::SetName(value);
  if (FFriendlyName.empty() || SameText(FFriendlyName, old)) FFriendlyName = value;
}

void TKXCustomControl::SetFocus() {
  if (!FCanReceiveFocus) throw Exception(RSCannotReceiveFocus);
  kx::SetActiveControl(Parent(), this);
}

void TKXCustomControl::GetInputControlNames(TStrings& list) {
  list.Clear();
  list.Add(HTMLName());
}

bool TKXCustomControl::IsForThisControl(const std::string& name) { return name == HTMLName(); }

bool TKXCustomControl::IsScriptEventsStored() { return HTMLControlImplementation()->HasScriptEvents(); }

std::string TKXCustomControl::SubmitHandler(const std::string& param, const std::string& controlName,
                                            bool returnFalse) {
  const std::string name = controlName.empty() ? HTMLName() : controlName;
  const std::string call = "SubmitClickConfirm('" + TextToJSStringLiteral(name) + "','" + TextToJSStringLiteral(param) +
                           "'" + ", " + BoolText(FDoSubmitValidation) + ", '" +
                           TextToJSStringLiteral(FConfirmation.Get()) + "'" + ")";
  return returnFalse ? call + ";return false;" : "return " + call + ";";
}

TKXElementPtr<TKXHTMLTag> TKXCustomControl::SubmitLink(const std::string& text, const std::string& param,
                                                       bool useScriptEvents, const TBrowser* browser) {
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("A");
  tag->AddStringParam("HREF", "#");
  const std::string submitParam = KXStringReplace(param, "'", "%27");
  if (useScriptEvents) {
    TKXScriptEvents events(this);
    if (HTMLControlImplementation()->HasScriptEvents()) events.Assign(&ScriptEvents());
    events.HookEvent("OnClick", SubmitHandler(submitParam, "", false));
    if (!DesignMode()) tag->AddStringParam("OnClick", events.GetCodeByEventName("OnClick"));
  } else if (!DesignMode()) {
    const bool explorer = Supports<const TInternetExplorer>(browser) != nullptr;
    tag->AddStringParam("OnClick", SubmitHandler(submitParam, "", explorer));
  }
  HintEvents(tag.get());
  tag->Contents()->AddText(text, false);
  return tag;
}

std::string TKXCustomControl::RenderMargins() {
  if (!AlignWithMargins()) return std::string();
  const TMargins& margins = std::as_const(*this).Margins();
  const int bottom = margins.Bottom();
  if (bottom != 0 && margins.Left() == bottom && margins.Right() == bottom && margins.Top() == bottom) {
    return "margin: " + std::to_string(bottom) + "px; ";
  }
  std::string result;
  const std::pair<const char*, int> sides[] = {{"margin-bottom: ", bottom},
                                               {"margin-left: ", margins.Left()},
                                               {"margin-right: ", margins.Right()},
                                               {"margin-top: ", margins.Top()}};
  for (const auto& [label, value] : sides) {
    if (value != 0) result += label + std::to_string(value) + "px; ";
  }
  return result;
}

std::string TKXCustomControl::RenderSizeStyle(int width, int height) {
  return "width: " + std::to_string(width) + "px; height: " + std::to_string(height) + "px; ";
}

std::string TKXCustomControl::RenderScrollStyle(TKXScrollStyle style) {
  switch (style) {
    case sbsNone: return "overflow: hidden; ";
    case sbsAuto: return "overflow: auto; ";
    case sbsBoth: return "overflow: scroll; ";
    case sbsVertical: return "overflow-x: hidden; overflow-y: scroll; ";
    case sbsHorizontal: return "overflow-x: scroll; overflow-y: hidden; ";
  }
  return std::string();
}

std::string TKXCustomControl::RenderCursorStyle(TKXCursor cursor) {
  const char* value = "default; ";
  switch (cursor) {
    case crCrossHair: value = "crosshair; "; break;
    case crDefault: value = "default; "; break;
    case crPointer:
    case crHandPoint: value = "pointer; "; break;
    case crMove: value = "move; "; break;
    case crEResize: value = "e-resize; "; break;
    case crNEResize: value = "ne-resize; "; break;
    case crNWResize: value = "nw-resize; "; break;
    case crNResize: value = "n-resize; "; break;
    case crSEResize: value = "se-resize; "; break;
    case crSWResize: value = "sw-resize; "; break;
    case crSResize: value = "s-resize; "; break;
    case crWResize: value = "w-resize; "; break;
    case crText: value = "text; "; break;
    case crWait: value = "wait; "; break;
    case crHelp: value = "help; "; break;
    case crAuto: break;
  }
  return std::string("cursor: ") + value;
}

std::string TKXCustomControl::RenderTextAlignStyle(TAlignment alignment) {
  switch (alignment) {
    case taLeftJustify: return "text-align: left; ";
    case taRightJustify: return "text-align: right; ";
    case taCenter: return "text-align: center; ";
  }
  return std::string();
}

std::string TKXCustomControl::RenderVerticalAlignStyle(TKXVerticalAlignment alignment) {
  switch (alignment) {
    case vaMiddle: return "vertical-align: middle; ";
    case vaTop: return "vertical-align: top; ";
    case vaBottom: return "vertical-align: bottom; ";
    case vaBaseline: return "vertical-align: baseline; ";
  }
  return std::string();
}

std::string TKXCustomControl::RenderBGColor(TKXColor color) {
  if (color == clNone) return std::string();
  return "background-color: " + ColorToRGBString(color) + "; ";
}

void TKXCustomControl::RenderAsyncProperty(const std::string& name, TKXXMLTag* tag, bool value) {
  HTMLControlImplementation()->RenderAsyncProperty(name, tag, value);
}

void TKXCustomControl::RenderAsyncProperty(const std::string& name, TKXXMLTag* tag, std::int32_t value) {
  HTMLControlImplementation()->RenderAsyncProperty(name, tag, value);
}

void TKXCustomControl::RenderAsyncPropertyAsString(const std::string& name, TKXXMLTag* tag,
                                                   const std::string& value, bool omitEmpty) {
  HTMLControlImplementation()->RenderAsyncPropertyAsString(name, tag, value, omitEmpty);
}

void TKXCustomControl::RenderAsyncPropertyAsColor(const std::string& name, TKXXMLTag* tag, TKXColor color) {
  HTMLControlImplementation()->RenderAsyncPropertyAsColor(name, tag, color);
}

void TKXCustomControl::RenderAsyncPropertyAsPixel(const std::string& name, TKXXMLTag* tag, std::int32_t value) {
  HTMLControlImplementation()->RenderAsyncPropertyAsPixel(name, tag, value);
}

void TKXCustomControl::RenderAsyncCommonProperties(TKXCompContext* context, TKXXMLTag* tag,
                                                   TKXAsyncCommonProps props) {
  if (!RenderSize()) props.Exclude(acpHeight).Exclude(acpWidth);
  HTMLControlImplementation()->RenderAsyncCommonProperties(context, tag, props);
}

// ---------------------------------------------------------------------------
// TKXControl

void TKXControl::SetValue(const std::string& value) {
  NotifyParentOfPostedValue(value);
  Invalidate();
}

void TKXControl::NotifyParentOfPostedValue(const std::string& value) {
  if (IKXUpdateNotified* parent = Supports<IKXUpdateNotified>(Parent())) parent->ControlValueUpdated(this, value);
}

TSubmitProc TKXControl::getSubmitProc() {
  TComponentRef<TKXControl> control(this);
  return [control](const std::string& value) {
    if (control) control->Submit(value);
  };
}

TComponent* GetInterfaceInstance(IKXHTML40Control* control) { return control ? control->InterfaceInstance() : nullptr; }

}  // namespace kx
