#include "kx/controls/edits/Edits.h"

#include <algorithm>
#include <string_view>

#include "kx/forms/Containers.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/KXMessages.h"
#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

constexpr std::int32_t kNoMaxLength = 2147483647;

// The first count characters of text (all of it when it has no more).
std::string CutToCharacters(std::string_view text, std::size_t count) {
  std::size_t pos = 0;
  char32_t c;
  for (std::size_t n = 0; n < count && pos < text.size(); ++n) DecodeUtf8(text, pos, c);
  return std::string(text.substr(0, pos));
}

// The validation of a required field: its value in the browser must not be empty.
void AddRequiredValidation(TKXCompContext* context, const std::string& name, const std::string& friendlyName) {
  if (context == nullptr) return;
  // The page writes the message as a script literal (escaped there).
  context->AddValidation(name + "KXCL != null && " + name + "KXCL.value.length==0",
                         Format(RSValidationRequeredField, friendlyName));
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXCustomEdit

void TKXCustomEdit::InitControl() {
  TKXControl::InitControl();
  SetBounds(Left(), Top(), 121, 21);
  SetNeedsFormTag(true);
  SetCanReceiveFocus(true);
  SetRenderSize(true);
  SetNonEditableAsLabel(false);
  FInputType = "TEXT";
}

void TKXCustomEdit::SetAlignment(TAlignment value) { SetProperty(FAlignment, value); }

void TKXCustomEdit::SetBGColor(TKXColor value) { SetProperty(FBGColor, value); }

void TKXCustomEdit::SetFocusColor(TKXColor value) { SetProperty(FFocusColor, value); }

void TKXCustomEdit::SetMaxLength(std::int32_t value) { SetProperty(FMaxLength, value); }

void TKXCustomEdit::SetPasswordPrompt(bool value) {
  FInputType = value ? "PASSWORD" : "TEXT";
  FPasswordPrompt = value;
}

void TKXCustomEdit::SetRequired(bool value) { SetProperty(FRequired, value); }

void TKXCustomEdit::SetReadOnly(bool value) { SetProperty(FReadOnly, value); }

void TKXCustomEdit::SetValue(const std::string& value) {
  NotifyParentOfPostedValue(value);
  // The browser never posts more than MaxLength characters: a longer value was not typed into this page.
  const std::string text = FMaxLength > 0 ? CutToCharacters(value, std::size_t(FMaxLength)) : value;
  if (text != Text()) {
    SetText(text);
    SetDoRefreshControl(false);
  }
}

void TKXCustomEdit::Submit(const std::string& value) {
  TKXControl::Submit(value);
  DoSubmit();
}

bool TKXCustomEdit::FormHasOnDefaultActionSet() const {
  auto* form = Supports<TKXForm>(GetKXParentForm(this));
  return form != nullptr && form->OnDefaultAction;
}

void TKXCustomEdit::DoSubmit() {
  if (OnSubmit) {
    OnSubmit(this);
  } else if (FormHasOnDefaultActionSet()) {
    static_cast<TKXForm*>(GetKXParentForm(this))->OnDefaultAction(this);
  }
}

void TKXCustomEdit::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXControl::HookEvents(pageContext, scriptEvents);
  if (OnSubmit || FormHasOnDefaultActionSet()) {
    scriptEvents.HookKXCLProperty("ImplicitSubmit", true);
    scriptEvents.HookKXCLProperty("SubmitValidation", DoSubmitValidation());
  }
  if (FFocusColor != clNone && Editable()) {
    scriptEvents.HookKXCLProperty("FocusColor", ColorToRGBString(FFocusColor));
    // Without a colour of its own the edit keeps its style's background after the focus leaves.
    scriptEvents.HookKXCLProperty("BGColor", FBGColor == clNone ? std::string() : ColorToRGBString(FBGColor));
  }
}

bool TKXCustomEdit::ShouldRenderTabOrder() const {
  auto* self = const_cast<TKXCustomEdit*>(this);
  return self->Editable() || !self->NonEditableAsLabel();
}

int TKXCustomEdit::HTMLWidth() { return LessBorder(TKXControl::HTMLWidth(), FBorderWidth); }

int TKXCustomEdit::HTMLHeight() { return LessBorder(TKXControl::HTMLHeight(), FBorderWidth); }

std::string TKXCustomEdit::DisplayText() const {
  if (!FPasswordPrompt) return Text();
  return std::string(Utf8Length(Text()), '*');
}

TKXElementPtr<TKXHTMLTag> TKXCustomEdit::RenderHTML(TKXCompContext* context) {
  if (ShownAsLabel()) {
    TOwnedComponent<TKXLabel> label(TComponent::Create<TKXLabel>(nullptr));
    label->SetName(Name());
    label->SetAlignment(FAlignment);
    label->SetCaption(DisplayText());
    label->SetWebFont(WebFont());
    label->SetBounds(label->Left(), label->Top(), Width(), Height());
    return label->RenderHTML(context);
  }
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("INPUT");
  tag->AddStringParam("TYPE", FInputType);
  tag->AddStringParam("NAME", HTMLName());
  if (!Editable()) tag->AddBoolParam("READONLY", true);
  if (!Enabled()) tag->Add("DISABLED");
  tag->AddIntegerParam("MAXLENGTH", FMaxLength == 0 ? kNoMaxLength : FMaxLength);
  // An attribute value: a line break stays a line break (as "<br>" it would be posted back as text).
  tag->AddStringParam("VALUE", TextToHTML(Text(), false, false, false));
  if ((FReadOnly || DesignMode()) && tag->Params()->IndexOfName("readonly") < 0) tag->Add("READONLY");
  if (FRequired) AddRequiredValidation(context, HTMLName(), FriendlyName());
  return tag;
}

std::string TKXCustomEdit::RenderStyle(TKXCompContext* context) {
  std::string style;
  const TKXColor fontColor = EffectiveFont().Color();
  if (fontColor != clNone) style += "color:" + ColorToRGBString(fontColor) + ";";
  style += TKXControl::RenderStyle(context);
  style += RenderBGColor(FBGColor);
  style += RenderTextAlignStyle(FAlignment);
  if (StyleRenderOptions().RenderBorder()) style += InsetBorderStyle(FBorderWidth);
  return style;
}

TKXElementPtr<TKXXMLTag> TKXCustomEdit::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", ShownAsLabel() ? "KXEDITASLABEL" : "KXEDIT");
  AddAsyncStyle(tag.get(), RenderBGColor(FBGColor));
  switch (FAlignment) {
    case taLeftJustify: AddAsyncStyle(tag.get(), "text-align:left;"); break;
    case taRightJustify: AddAsyncStyle(tag.get(), "text-align:right;"); break;
    case taCenter: AddAsyncStyle(tag.get(), "text-align:center;"); break;
  }
  RenderAsyncProperty("ReadOnly", tag.get(), FReadOnly || !Editable());
  RenderAsyncProperty("Enabled", tag.get(), Enabled());
  // Shown as a label the text is the page's text: a password stays hidden behind its asterisks.
  RenderAsyncPropertyAsString("Text", tag.get(), ShownAsLabel() ? DisplayText() : Text(), false);
  RenderAsyncPropertyAsString("MaxLength", tag.get(), std::to_string(FMaxLength), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonPropsButEnabled);
  return tag;
}

// ---------------------------------------------------------------------------
// TKXCustomMemo

void TKXCustomMemo::InitControl() {
  TKXControl::InitControl();
  SetBounds(Left(), Top(), 121, 121);
  SetNeedsFormTag(true);
  SetCanReceiveFocus(true);
  SetRenderSize(true);
  FEndsWithLineBreak = true;
}

void TKXCustomMemo::SetVertScrollBar(bool value) { SetProperty(FVertScrollBar, value); }

void TKXCustomMemo::SetBGColor(TKXColor value) { SetProperty(FBGColor, value); }

void TKXCustomMemo::SetLines(const TStrings& value) {
  Lines().Assign(&value);
  FEndsWithLineBreak = true;
  Invalidate();
}

void TKXCustomMemo::TextChangedNotification() {
  TKXControl::TextChangedNotification();
  FLines.TextChanged();
}

void TKXCustomMemo::SetValue(const std::string& value) {
  NotifyParentOfPostedValue(value);
  std::string text;
  text.reserve(value.size());
  for (char c : value) {
    if (c == '\r') continue;
    if (c == '\n') text += '\r';
    text += c;
  }
  Lines().SetText(text);
  FEndsWithLineBreak = Lines().Text() == text;
  SetText(text);
  SetDoRefreshControl(false);
}

void TKXCustomMemo::RenderScripts(TKXCompContext* context) {
  TKXControl::RenderScripts(context);
  if (context) context->InitKXCLProperty(HTMLName(), "BorderWidthPixels", "1");
}

int TKXCustomMemo::HTMLWidth() { return LessBorder(TKXControl::HTMLWidth(), FBorderWidth); }

int TKXCustomMemo::HTMLHeight() { return LessBorder(TKXControl::HTMLHeight(), FBorderWidth); }

std::string TKXCustomMemo::TextForRendering() const {
  std::string text = TextToHTML(Text(), false, false, false);
  if (!FEndsWithLineBreak && text.size() >= 2) text.resize(text.size() - 2);
  return text;
}

TKXElementPtr<TKXHTMLTag> TKXCustomMemo::RenderHTML(TKXCompContext* context) {
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("TEXTAREA");
  tag->AddStringParam("NAME", HTMLName());
  if (!Editable()) tag->Add("READONLY");
  if (!Enabled()) tag->Add("DISABLED");
  if (FHorizScrollBar) tag->AddStringParam("WRAP", "OFF");
  std::string text = TextForRendering();
  // The browser drops one line break right after the start tag: a text that
  // begins with an empty line would lose it on every round trip.
  if (!text.empty() && (text.front() == '\r' || text.front() == '\n')) text = "\r\n" + text;
  tag->Contents()->AddText(text, false);
  if (FRequired && SupportsInput()) AddRequiredValidation(context, HTMLName(), FriendlyName());
  return tag;
}

std::string TKXCustomMemo::RenderStyle(TKXCompContext* context) {
  std::string style = TKXControl::RenderStyle(context);
  style += "margin: 0px; ";
  if (FBGColor != clNone) style += "background-color: " + ColorToRGBString(FBGColor) + "; ";
  if (!FVertScrollBar) style += "overflow: hidden;";
  if (FInvisibleBorder) {
    style += "border-style: none; ";
  } else if (StyleRenderOptions().RenderBorder()) {
    style += InsetBorderStyle(FBorderWidth);
  }
  switch (FResizeDirection) {
    case rdNone: style += "resize:none;"; break;
    case rdBoth: style += "resize:both;"; break;
    case rdVertical: style += "resize:vertical;"; break;
    case rdHorizontal: style += "resize:horizontal;"; break;
  }
  return style;
}

TKXElementPtr<TKXXMLTag> TKXCustomMemo::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXMEMO");
  if (FBGColor != clNone) AddAsyncStyle(tag.get(), "background-color:" + ColorToRGBString(FBGColor) + ";");
  RenderAsyncProperty("ReadOnly", tag.get(), !Editable());
  tag->Contents()->AddTag("text", false)->Contents()->AddText(EscapeXMLText(TextForRendering()), false);
  TKXAsyncCommonProps props = kAsyncCommonProps;
  if (StyleRenderOptions().RenderSize()) {
    switch (Align()) {
      case alTop:
      case alBottom: props.Exclude(acpWidth); break;
      case alLeft:
      case alRight: props.Exclude(acpHeight); break;
      case alClient: props.Exclude(acpWidth).Exclude(acpHeight); break;
      default: break;
    }
  }
  RenderAsyncCommonProperties(context, tag.get(), props);
  return tag;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& EditsFamily() {
  static const TKXControlFamily family{.Name = "edits"};
  return family;
}

}  // namespace kx
