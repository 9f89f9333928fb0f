#include "kx/controls/checks/Checks.h"

#include "kx/appserver/Application.h"
#include "kx/controls/checks/FamilyFiles.h"
#include "kx/foundation/Markup.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr char CRLF[] = "\r\n";

// A script's boolean literal.
std::string BoolText(bool value) { return value ? "true" : "false"; }

std::string CoolImageURL(bool checked) {
  const std::string file = std::string("gfx/CoolCheckBox_") + (checked ? "True" : "False") + ".gif";
  return TKXControlSession::Current().LibraryFileURL(file);
}

// A caption shown as text beside the input (line breaks kept).
std::string CaptionHTML(const std::string& caption) { return TKXBaseHTMLControl::TextToHTML(caption, true, false); }

}  // namespace

// ---------------------------------------------------------------------------
// TKXCustomCheckBox

void TKXCustomCheckBox::InitControl() {
  TKXControl::InitControl();
  SetBounds(Left(), Top(), 121, 21);
  SetNeedsFormTag(true);
  SetCanReceiveFocus(true);
}

void TKXCustomCheckBox::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  Invalidate();
  ValueChanged();
}

void TKXCustomCheckBox::GetInputControlNames(TStrings& list) { list.Add(HTMLName() + "_CHECKBOX"); }

bool TKXCustomCheckBox::IsForThisControl(const std::string& name) {
  return SameText(name, HTMLName() + "_CHECKBOX");
}

void TKXCustomCheckBox::SetValue(const std::string& value) {
  bool changed = false;
  SetValue(value, changed);
}

void TKXCustomCheckBox::SetValue(const std::string& value, bool& changed) {
  NotifyParentOfPostedValue(value);
  const bool checked = SameText(value, "On");
  changed = checked != FChecked;
  if (changed) {
    FChecked = checked;
    SetDoRefreshControl(false);
  }
}

void TKXCustomCheckBox::ValueChanged() {
  if (OnChange) OnChange(this);
}

void TKXCustomCheckBox::Submit(const std::string& value) {
  TKXControl::Submit(value);
  DoClick();
}

void TKXCustomCheckBox::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXControl::HookEvents(pageContext, scriptEvents);
  if (FStyle != TKXCustomCheckBoxStyle::stNormal || !Editable()) return;
  if (OnClick) {
    scriptEvents.HookEvent("OnClick", SubmitHandler("", HTMLName(), false));
  } else if (OnChange) {
    scriptEvents.HookEvent("OnChange", SubmitHandler("", HTMLName(), false));
  }
}

void TKXCustomCheckBox::RenderNormal(TKXCompContext* context, TKXHTMLTag* span) {
  (void)context;
  const std::string n = HTMLName();
  const std::string cursor = Cursor() != crAuto ? RenderCursorStyle(Cursor()) : std::string();
  const std::string click = "checkBoxClick(event, '" + n + "');";
  TKXHTMLTag* input = span->Contents()->AddTag("INPUT", false);
  if (HasTabOrder() && RealTabOrder() >= 0) RenderTabOrder(input);
  input->AddStringParam("TYPE", "CHECKBOX");
  input->AddStringParam("NAME", n + "_CHECKBOX");
  input->AddStringParam("ID", n + "_CHECKBOX");
  input->AddStringParam("style", cursor);
  input->AddStringParam("OnClick", click);
  if (!Enabled() || !Editable()) input->Add("disabled");
  if (FChecked) input->Add("checked");
  TKXHTMLTag* caption = span->Contents()->AddTag("SPAN", false);
  caption->AddStringParam("ID", n + "_CHKBCAPTION");
  caption->AddStringParam("style", cursor);
  caption->AddStringParam("OnClick", click);
  caption->Contents()->AddText(CaptionHTML(Caption()), false);
}

void TKXCustomCheckBox::RenderCool(TKXCompContext* context, TKXHTMLTag* span) {
  const std::string n = HTMLName();
  const std::string state = FChecked ? "True" : "False";
  const std::string toggle = "CoolCheckBoxToggle('" + n + "', " + BoolText(bool(OnClick)) + ")";
  auto addImage = [&](TKXHTMLTag* parent) {
    TKXHTMLTag* image = parent->Contents()->AddTag("IMG", false);
    image->AddStringParam("ID", n + "_Image");
    image->AddStringParam("ALT", n);
    image->AddStringParam("SRC", EscapeAttributeQuotes(CoolImageURL(FChecked)));
    image->AddStringParam("style", "text-decoration: none; width: 10px; height: 12px; border: 0;");
  };
  if (Editable()) {
    if (context) {
      context->CacheImage("CoolCheckBox_False", CoolImageURL(false));
      context->CacheImage("CoolCheckBox_True", CoolImageURL(true));
      context->AddToInitProc("var img = KX.$('" + n + "_Image');" + CRLF + "if (img) {" + CRLF +
                             "  img.src = GImageCache_CoolCheckBox_" + state + ".src;" + CRLF + "  KXTop().FindElem('" +
                             n + "_CHECKBOX').value=\"" + (FChecked ? "On" : "Off") + "\";" + CRLF + "}");
    }
    TKXHTMLTag* link = span->Contents()->AddTag("A", false);
    link->AddStringParam("HREF", "#");
    link->AddStringParam("OnClick", toggle);
    addImage(link);
    span->Contents()->AddHiddenField(n + "_CHECKBOX", n + "_CHECKBOX", "");
  } else {
    addImage(span);
  }
  TKXHTMLTag* caption = span->Contents()->AddTag("SPAN", false);
  if (Editable() && Enabled()) caption->AddStringParam("OnClick", toggle);
  caption->Contents()->AddText(CaptionHTML(Caption()), false);
}

TKXElementPtr<TKXHTMLTag> TKXCustomCheckBox::RenderHTML(TKXCompContext* context) {
  if (context) context->AddScriptFile(checks_files::kKXChecksJs);
  TKXElementPtr<TKXHTMLTag> span = TKXHTMLTag::Create("SPAN");
  span->AddStringParam("ID", HTMLName());
  if (FStyle == TKXCustomCheckBoxStyle::stCool) {
    RenderCool(context, span.get());
  } else {
    RenderNormal(context, span.get());
  }
  return span;
}

TKXElementPtr<TKXXMLTag> TKXCustomCheckBox::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXCHECKBOX");
  RenderAsyncPropertyAsString("Caption", tag.get(), Caption(), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonPropsButEnabled);
  RenderAsyncProperty("checked", tag.get(), FChecked);
  RenderAsyncProperty("enabled", tag.get(), Enabled() && Editable());
  return tag;
}

// ---------------------------------------------------------------------------
// TKXCustomRadioButton

void TKXCustomRadioButton::InitControl() {
  TKXControl::InitControl();
  SetBounds(Left(), Top(), 121, 21);
  SetNeedsFormTag(true);
  SetCanReceiveFocus(true);
  SetEnabled(true);
  FValue = Name();
}

void TKXCustomRadioButton::SetName(const std::string& value) {
  // A value that was edited stays; one that followed the name (or none yet) follows it on.
  if (FValue.empty() || FValue == Name()) FValue = value;
  TKXControl::SetName(value);
}

void TKXCustomRadioButton::SetTabOrder(int value) {
  (void)value;
  TKXControl::SetTabOrder(0);
}

void TKXCustomRadioButton::GetInputControlNames(TStrings& list) { list.Add(HTMLName() + "_INPUT"); }

bool TKXCustomRadioButton::IsForThisControl(const std::string& name) { return SameText(name, HTMLName() + "_INPUT"); }

void TKXCustomRadioButton::SetValue(const std::string& value) {
  NotifyParentOfPostedValue(value);
  const bool checked = SameText(value, FValue);
  if (checked != FChecked) {
    FChecked = checked;
    SetDoRefreshControl(false);
  }
}

void TKXCustomRadioButton::Submit(const std::string& value) {
  TKXControl::Submit(value);
  DoClick();
}

void TKXCustomRadioButton::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXControl::HookEvents(pageContext, scriptEvents);
  if (OnClick && Editable()) scriptEvents.HookEvent("OnClick", SubmitHandler("", HTMLName(), false));
}

TKXElementPtr<TKXHTMLTag> TKXCustomRadioButton::RenderHTML(TKXCompContext* context) {
  const std::string n = HTMLName();
  if (context) {
    context->AddScriptFile(checks_files::kKXChecksJs);
    // The group's fields N_INPUT start from what the page shows.
    context->AddToInitProc("radioButtonSync('" + TextToJSStringLiteral(FGroup) + "');");
  }
  TKXElementPtr<TKXHTMLTag> span = TKXHTMLTag::Create("SPAN");
  span->AddStringParam("ID", n);
  const std::string click =
      DesignMode() ? std::string() : "radioButtonClick(event, '" + TextToJSStringLiteral(FGroup) + "','" + n + "_INPUT');";
  TKXHTMLTag* input = span->Contents()->AddTag("INPUT", false);
  input->AddStringParam("TYPE", "RADIO");
  input->AddStringParam("NAME", TextToHTML(FGroup, false, false), true);
  input->AddStringParam("VALUE", TextToHTML(FValue, false, false), true);
  input->AddStringParam("id", n + "_INPUT");
  input->AddStringParam("style", "margin-left: 0; margin-top: 1px; padding: 0;");
  if (FChecked) input->Add("CHECKED");
  if (!Editable() || !Enabled()) input->Add("DISABLED");
  input->AddStringParam("OnClick", click);
  TKXHTMLTag* caption = span->Contents()->AddTag("SPAN", false);
  caption->AddStringParam("ID", n + "_CAPTRADIOBUTTON");
  caption->AddStringParam("OnClick", click);
  caption->Contents()->AddText(CaptionHTML(Caption()), false);
  // The browser posts the radio under the group's name, which no control claims: this field carries the
  // group's checked value under the button's own name (radioButtonSync keeps it), for submits and callbacks.
  span->Contents()->AddHiddenField(n + "_INPUT", FChecked ? TextToHTML(FValue, false, false) : std::string());
  return span;
}

TKXElementPtr<TKXXMLTag> TKXCustomRadioButton::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXRADIOBUTTON");
  RenderAsyncProperty("CHECKED", tag.get(), FChecked);
  RenderAsyncPropertyAsString("VALUE", tag.get(), FValue, false);
  RenderAsyncPropertyAsString("Caption", tag.get(), Caption(), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonPropsButEnabled);
  RenderAsyncProperty("Enabled", tag.get(), Enabled() && Editable());
  return tag;
}

// ---------------------------------------------------------------------------
// TKXCustomRadioGroup

void TKXCustomRadioGroup::InitControl() {
  TKXControl::InitControl();
  SetNeedsFormTag(true);
  SetBounds(Left(), Top(), 89, 112);
  FLayout = glVertical;
  FItems.OnChange = [this](TObject*) { OnItemsChange(); };
}

void TKXCustomRadioGroup::OnItemsChange() {
  SetDoRefreshControl(true);
  Invalidate();
}

void TKXCustomRadioGroup::SetItemIndex(std::int32_t value) {
  if (value == FItemIndex) return;
  FItemIndex = value;
  SetDoRefreshControl(true);
}

void TKXCustomRadioGroup::SetItems(const TStrings& list) {
  FItems.Assign(&list);
  Invalidate();
}

void TKXCustomRadioGroup::GetInputControlNames(TStrings& list) { list.Add(HTMLName() + "_INPUT"); }

bool TKXCustomRadioGroup::IsForThisControl(const std::string& name) { return name == HTMLName() + "_INPUT"; }

void TKXCustomRadioGroup::SetValue(const std::string& value) {
  bool changed = false;
  SetValue(value, changed);
}

void TKXCustomRadioGroup::SetValue(const std::string& value, bool& changed) {
  changed = false;
  NotifyParentOfPostedValue(value);
  int index = -1;
  // A value that names no button (a forged post, or one for items since changed) leaves the choice as it is.
  if (!TryStrToInt(Trim(value), index) || index < -1 || index >= FItems.Count()) return;
  if (index != FItemIndex) {
    changed = true;
    SetItemIndex(index);
    SetDoRefreshControl(false);
  }
}

void TKXCustomRadioGroup::ValueChanged() { TKXControl::DoClick(); }

void TKXCustomRadioGroup::Submit(const std::string& value) { TKXControl::Submit(value); }

void TKXCustomRadioGroup::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXControl::HookEvents(pageContext, scriptEvents);
  if (OnClick && Enabled()) scriptEvents.HookEvent("OnClick", SubmitHandler("", HTMLName(), false));
}

std::string TKXCustomRadioGroup::RenderStyle(TKXCompContext* context) {
  std::string style = TKXControl::RenderStyle(context);
  if (FLayout == glHorizontal) style += " white-space:nowrap;";
  return style;
}

TKXElementPtr<TKXHTMLTag> TKXCustomRadioGroup::RenderHTML(TKXCompContext* context) {
  const std::string name = HTMLName();
  const bool active = Enabled() && Editable();
  if (context) context->AddScriptFile(checks_files::kKXChecksJs);
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("DIV");
  tag->AddStringParam("type", "RADIOGROUP");
  for (int i = 0; i < FItems.Count(); ++i) {
    const std::string id = name + "_INPUT_" + std::to_string(i);
    const std::string click = "radioGroupClick(event, '" + id + "');";
    TKXHTMLTag* input = tag->Contents()->AddTag("INPUT", false);
    input->AddStringParam("TYPE", "RADIO");
    if (i == FItemIndex) input->Add("CHECKED");
    input->AddStringParam("NAME", name + "_INPUT");
    input->AddStringParam("id", id);
    input->AddStringParam("VALUE", std::to_string(i));
    if (!active) input->Add("DISABLED");
    input->AddStringParam("OnClick", click);
    TKXHTMLTag* caption = tag->Contents()->AddTag("SPAN", false);
    caption->AddStringParam("OnClick", click);
    caption->Contents()->AddText(TextToHTML(FItems.Strings(i), false, false), false);
    if (FLayout == glVertical) tag->Contents()->AddText("<BR>", false);
  }
  return tag;
}

TKXElementPtr<TKXXMLTag> TKXCustomRadioGroup::RenderAsync(TKXCompContext* context) {
  const std::string name = HTMLName();
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", name);
  tag->AddStringParam("type", "KXRADIOGROUP");
  tag->AddStringParam("layout", FLayout == glVertical ? "vertical" : "horizontal");
  TKXMarkupLanguageTag* items = tag->Contents()->AddTag("items", false);
  for (int i = 0; i < FItems.Count(); ++i) {
    TKXMarkupLanguageTag* item = items->Contents()->AddTag("item", false);
    if (i == FItemIndex) item->AddStringParam("selected", "true");
    item->AddStringParam("value", std::to_string(i));
    item->AddStringParam("id", name + "_INPUT_" + std::to_string(i));
    item->AddBoolParam("enabled", Enabled() && Editable());
    item->Contents()->AddText(EscapeXMLText(TextToHTML(FItems.Strings(i), false, false, false)), false);
  }
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& ChecksFamily() {
  static const TKXControlFamily family{.Name = "checks"};
  return family;
}

}  // namespace kx
