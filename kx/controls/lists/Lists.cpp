#include "kx/controls/lists/Lists.h"

#include <algorithm>
#include <vector>

#include "kx/appserver/Application.h"
#include "kx/controls/lists/FamilyFiles.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/KXMessages.h"
#include "kx/foundation/Markup.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr char CRLF[] = "\r\n";

// A script's boolean literal.
std::string BoolText(bool value) { return value ? "true" : "false"; }

constexpr int kListLineHeight = 16;  // pixels of one line of a SELECT list: its SIZE is the height over it
constexpr int kEnhancedButtonWidth = 18;
constexpr int kEnhancedItemHeight = 14;
constexpr int kEnhancedMaxDropDownHeight = 95;

// A value for a double-quoted XML attribute that the client reads back as value.
std::string XMLAttributeValue(const std::string& value) { return EscapeAttributeQuotes(EscapeXMLText(value)); }

}  // namespace

// ---------------------------------------------------------------------------
// TComboStringList

void TComboStringList::InsertItem(int index, const std::string& s, TObject* object) {
  TKXNotifyStringList::InsertItem(index, s, object);
  if (FOwner) FOwner->ItemInserted(index);
}

void TComboStringList::Delete(int index) {
  // The owner's flags move before the list tells it of the change.
  if (FOwner && index >= 0 && index < Count()) FOwner->ItemDeleted(index);
  TKXNotifyStringList::Delete(index);
  if (FOwner && Count() == 0) FOwner->FItemIndex = -1;
}

void TComboStringList::Exchange(int index1, int index2) {
  TKXNotifyStringList::Exchange(index1, index2);
  if (FOwner) FOwner->ItemsExchanged(index1, index2);
}

void TComboStringList::ExchangeSort() {
  if (Sorted() || Count() < 2) return;
  // A selection sort by exchanges: few items, and every move is one Exchange.
  for (int i = 0; i < Count() - 1; ++i) {
    int smallest = i;
    for (int j = i + 1; j < Count(); ++j) {
      if (CompareStrings(Strings(j), Strings(smallest)) < 0) smallest = j;
    }
    if (smallest != i) Exchange(i, smallest);
  }
}

// ---------------------------------------------------------------------------
// TKXCustomListCombo

void TKXCustomListCombo::InitItems() {
  FItems = std::make_unique<TComboStringList>(this);
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

void TKXCustomListCombo::ItemsChanged() {
  SetDoRefreshControl(true);
  Invalidate();
}

TComboStringList& TKXCustomListCombo::Items() {
  if (!FItems) InitItems();
  return *FItems;
}

void TKXCustomListCombo::SetItems(const TStrings& list) {
  if (list.Count() == 0 || list.Count() < Items().Count()) SetItemIndex(-1);
  Items().Assign(&list);
  Invalidate();
}

bool TKXCustomListCombo::Sorted() { return Items().Sorted(); }

void TKXCustomListCombo::SetSorted(bool value) {
  if (value == Items().Sorted()) return;
  if (value) Items().ExchangeSort();
  Items().SetSorted(value);
  Invalidate();
}

void TKXCustomListCombo::SetBGColor(TKXColor value) { SetProperty(FBGColor, value); }

void TKXCustomListCombo::SetItemIndex(std::int32_t value) {
  // A negative index other than -1 would later be read as an item: it means nothing selected.
  if (value < -1) value = -1;
  if (ComponentState().Contains(csLoading)) {
    FItemIndex = value;
    return;
  }
  if (value >= Items().Count() || value == FItemIndex) return;
  FItemIndex = value;
  SetDoRefreshControl(true);
  Invalidate();
  if (!DesignMode() && TKXControlSession::Current().IsCallBack()) DoChange();
}

void TKXCustomListCombo::SetItemsHaveValues(bool value) { SetProperty(FItemsHaveValues, value); }

void TKXCustomListCombo::SetRequireSelection(bool value) { SetProperty(FRequireSelection, value); }

void TKXCustomListCombo::SetNoSelectionText(const std::string& value) { SetProperty(FNoSelectionText, value); }

void TKXCustomListCombo::SetUseSize(bool value) {
  FUseSize = value;
  SetRenderSize(value);
}

std::string TKXCustomListCombo::ItemCaption(int index) {
  const std::string& text = Items().Strings(index);
  if (!FItemsHaveValues) return text;
  return text.substr(0, text.find('='));
}

std::string TKXCustomListCombo::ItemValue(int index) {
  const std::string& text = Items().Strings(index);
  if (!FItemsHaveValues) return text;
  const std::size_t equals = text.find('=');
  return equals == std::string::npos ? std::string() : text.substr(equals + 1);
}

int TKXCustomListCombo::IndexOfValue(const std::string& value) {
  for (int i = 0; i < Items().Count(); ++i) {
    if (ItemValue(i) == value) return i;
  }
  return -1;
}

std::optional<int> TKXCustomListCombo::ItemAt(int index) {
  if (index < -1 || index >= Items().Count()) return std::nullopt;
  return index;
}

std::optional<int> TKXCustomListCombo::ItemOfValue(const std::string& value) {
  if (const int index = IndexOfValue(value); index >= 0) return index;
  if (value == "-1") return -1;
  return std::nullopt;
}

std::string TKXCustomListCombo::GetSelectedValue() {
  if (FItemIndex < 0 || FItemIndex >= Items().Count()) return std::string();
  return ItemValue(FItemIndex);
}

std::string TKXCustomListCombo::GetSelectedText() {
  if (FItemIndex >= Items().Count()) FItemIndex = -1;
  if (FItemIndex < 0) return FNoSelectionText;
  return ItemCaption(FItemIndex);
}

void TKXCustomListCombo::Clear() {
  SetItemIndex(-1);
  Items().Clear();
}

void TKXCustomListCombo::DoChange() {
  if (OnChange) OnChange(this);
}

void TKXCustomListCombo::ItemDeleted(int index) {
  // The selected item going away: nothing is selected rather than its neighbour.
  if (index == FItemIndex) FItemIndex = -1;
  else if (index < FItemIndex) --FItemIndex;
}

bool TKXCustomListCombo::ShouldRenderTabOrder() const {
  auto* self = const_cast<TKXCustomListCombo*>(this);
  return self->Editable() || !self->NonEditableAsLabel();
}

bool TKXCustomListCombo::RenderOnChangeIntoTag(const std::string& userAgent) {
  (void)userAgent;
  return false;
}

bool TKXCustomListCombo::ShowsNoSelection() { return FItemIndex == -1 || !FRequireSelection; }

void TKXCustomListCombo::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXControl::HookEvents(pageContext, scriptEvents);
  const TBrowser* browser = TKXControlSession::Current().Browser();
  const std::string userAgent = browser != nullptr ? browser->UserAgent() : "";
  if (OnChange && Editable() && !RenderOnChangeIntoTag(userAgent))
    scriptEvents.HookEvent("OnChange", SubmitHandler("", HTMLName(), false));
  if (FFocusColor != clNone && Editable()) {
    scriptEvents.HookEvent("OnFocus", "this.style.backgroundColor='" + ColorToRGBString(FFocusColor) + "';");
    // Without a colour of its own the control goes back to its style's background.
    const std::string background = FBGColor == clNone ? std::string() : ColorToRGBString(FBGColor);
    scriptEvents.HookEvent("OnBlur", "this.style.backgroundColor='" + background + "';");
  }
}

void TKXCustomListCombo::RenderScripts(TKXCompContext* context) {
  TKXControl::RenderScripts(context);
  if (context) context->InitKXCLProperty(HTMLName(), "AutoHide", BoolText(FAutoHideOnMenuActivation));
}

std::string TKXCustomListCombo::RenderStyle(TKXCompContext* context) {
  std::string style = TKXControl::RenderStyle(context);
  if (FBGColor != clNone) style += "background-color:" + ColorToRGBString(FBGColor) + ";";
  if (StyleRenderOptions().RenderBorder()) style += InsetBorderStyle(FBorderWidth);
  return style;
}

TKXElementPtr<TKXHTMLTag> TKXCustomListCombo::RenderSelect(TKXCompContext* context, int size, bool multiple) {
  const std::string name = HTMLName();
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("SELECT");
  tag->AddStringParam("NAME", name);
  tag->AddIntegerParam("SIZE", size);
  if (multiple) tag->Add("MULTIPLE");
  if (NonEditableAsLabel()) {
    if (!Enabled()) tag->Add("DISABLED");
  } else if (!Enabled() || !Editable()) {
    tag->AddBoolParam("DISABLED", true);
  }
  if (FRequired && context != nullptr) {
    // The page writes the message as a script literal (escaped there).
    context->AddValidation(name + "KXCL != null && " + name + "KXCL.value==\"-1\"",
                           Format(RSSelectionRequired, FriendlyName()));
  }
  if (Items().Count() == 0) {
    tag->Contents()->AddText("", false);
    return tag;
  }
  if (ShowsNoSelection()) {
    TKXHTMLTag* option = tag->Contents()->AddTag("OPTION", false);
    option->AddIntegerParam("VALUE", -1);
    if (FItemIndex == -1) option->Add("SELECTED");
    option->Contents()->AddText(TextToHTML(FNoSelectionText, false, true), false);
  }
  for (int i = 0; i < Items().Count(); ++i) {
    TKXHTMLTag* option = tag->Contents()->AddTag("OPTION", false);
    if (IsItemSelected(i)) option->Add("SELECTED");
    option->AddStringParam("VALUE", FItemsHaveValues ? TextToHTML(ItemValue(i), false, false) : std::to_string(i),
                           true);
    option->Contents()->AddText(TextToHTML(ItemCaption(i), false, true), false);
  }
  return tag;
}

TKXElementPtr<TKXXMLTag> TKXCustomListCombo::RenderItemsAsync(TKXCompContext* context, const std::string& type) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", type);
  RenderAsyncSelectType(tag.get());
  TKXMarkupLanguageTag* items = tag->Contents()->AddTag("items", false);
  if (ShowsNoSelection()) {
    TKXMarkupLanguageTag* item = items->Contents()->AddTag("item", false);
    if (FItemIndex == -1) item->AddStringParam("selected", "true");
    item->AddIntegerParam("value", -1);
    item->Contents()->AddText(EscapeXMLText(TextToHTML(FNoSelectionText, false, false, false)), false);
  }
  for (int i = 0; i < Items().Count(); ++i) {
    TKXMarkupLanguageTag* item = items->Contents()->AddTag("item", false);
    if (IsItemSelected(i)) item->AddStringParam("selected", "true");
    item->AddStringParam("value", XMLAttributeValue(FItemsHaveValues ? ItemValue(i) : std::to_string(i)), true);
    item->Contents()->AddText(EscapeXMLText(TextToHTML(ItemCaption(i), false, false, false)), false);
  }
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonPropsButEnabled);
  TKXControlSession::Of(context).AddScriptToAnswer("setEnabled(\"" + TextToJSStringLiteral(HTMLName()) + "\"," +
                                                    BoolText(Enabled() && Editable()) + ");");
  return tag;
}

TOwnedComponent<TKXLabel> TKXCustomListCombo::CreateInnerLabel() {
  TOwnedComponent<TKXLabel> label(TComponent::Create<TKXLabel>(nullptr));
  UpdateInnerLabel(*label);
  return label;
}

void TKXCustomListCombo::UpdateInnerLabel(TKXLabel& label) {
  label.SetName(Name());
  label.SetBGColor(FBGColor);
  label.SetCss(Css());
  label.SetStyleRenderOptions(StyleRenderOptions());
  label.SetWebFont(WebFont());
  label.SetHint(Hint());
  label.SetShowHint(ShowHint());
  label.SetAlign(Align());
  label.SetBounds(Left(), Top(), Width(), Height());
  label.SetVisible(Visible());
  label.SetZIndex(ZIndex());
  // The label escapes the caption itself: handing it escaped text would show the escapes. Its blanks are kept as
  // the list writes them in its items.
  label.SetCaption(InnerLabelCaption());
  label.SetConvertSpaces(true);
}

std::string TKXCustomListCombo::InnerLabelCaption() {
  return FItemIndex >= 0 && FItemIndex < Items().Count() ? ItemCaption(FItemIndex) : std::string();
}

// ---------------------------------------------------------------------------
// TKXCustomComboBox

void TKXCustomComboBox::InitControl() {
  TKXCustomListCombo::InitControl();
  SetBounds(Left(), Top(), 121, 21);
  SetNeedsFormTag(true);
  SetCanReceiveFocus(true);
  SetRenderSize(true);
  SetSubmitOnAsyncEvent(true);
  FButtonImage.OnChange = [this](TObject*) { Invalidate(); };
}

void TKXCustomComboBox::SetValue(const std::string& value) {
  NotifyParentOfPostedValue(value);
  if (const std::optional<int> index = PostedItem(value); index && *index != ItemIndex()) SetItemIndex(*index);
  SetDoRefreshControl(false);
}

std::optional<int> TKXCustomComboBox::PostedItem(const std::string& value) {
  // The enhanced drop-down posts the index whatever the items hold.
  if (FStyle == TKXCustomComboBoxStyle::stNormal && ItemsHaveValues()) return ItemOfValue(value);
  int index = -1;
  if (!TryStrToInt(Trim(std::string_view(value).substr(0, value.find(','))), index)) return std::nullopt;
  return ItemAt(index);
}

void TKXCustomComboBox::Submit(const std::string& value) {
  TKXCustomListCombo::Submit(value);
  DoChange();
}

bool TKXCustomComboBox::RenderOnChangeIntoTag(const std::string& userAgent) {
  const std::string upper = UpperCase(userAgent);
  return upper.find("MSIE") != std::string::npos &&
         (upper.find("MACINTOSH") != std::string::npos || upper.find("MAC") != std::string::npos);
}

TKXElementPtr<TKXHTMLTag> TKXCustomComboBox::RenderHTML(TKXCompContext* context) {
  if (ShownAsLabel()) return InnerLabel().RenderHTML(context);
  if (FStyle == TKXCustomComboBoxStyle::stEnhanced) return RenderEnhanced(context);
  TKXElementPtr<TKXHTMLTag> tag = RenderSelect(context, 1, false);
  const std::string userAgent =
      context != nullptr && context->Browser() != nullptr ? context->Browser()->UserAgent() : std::string();
  if (!DesignMode() && OnChange && RenderOnChangeIntoTag(userAgent))
    tag->AddStringParam("OnChange", SubmitHandler("", HTMLName(), false));
  return tag;
}

std::string TKXCustomComboBox::ButtonImageURL() {
  const TKXControlSession session = TKXControlSession::Current();
  const std::string location = session.FileLocation(FButtonImage);
  return location.empty() ? session.LibraryFileURL("gfx/ComboBoxDownArrow.gif") : location;
}

// The drop-down's own functions: open and close it, and take an item. Captions
// reach the script as literals of their HTML text (they go to innerHTML).
std::string TKXCustomComboBox::EnhancedScript() {
  const std::string n = HTMLName();
  std::string script = "  var " + n + "_state = 'closed';" + CRLF + "  function " + n + "_doClick() {" + CRLF;
  if (Enabled()) {
    script += "    if (" + n + "_state =='closed') {" + CRLF + "      document.getElementById('" + n +
              "_Button').style.borderStyle = 'inset';" + CRLF + "      document.getElementById('" + n +
              "_DropDown').style.visibility = 'visible';" + CRLF + "      " + n + "_state = 'open';" + CRLF +
              "    } else {" + CRLF + "      document.getElementById('" + n +
              "_Button').style.borderStyle = 'outset';" + CRLF + "      document.getElementById('" + n +
              "_DropDown').style.visibility = 'hidden';" + CRLF + "      " + n + "_state = 'closed';" + CRLF +
              "    }" + CRLF;
  }
  script += "  }\r\n  function " + n + "_doSelectItem(idx, text) {" + CRLF + "    " + n + "_doClick();" + CRLF +
            "    document.getElementById('" + n + "_Text').innerHTML = text;" + CRLF + "    FindElem('" + n +
            "').value = idx;" + CRLF;
  if (OnChange) {
    script += "    SubmitClickConfirm('" + TextToJSStringLiteral(n) + "',''+idx+'', " + BoolText(DoSubmitValidation()) +
              ", '" + TextToJSStringLiteral(Confirmation()) + "');" + CRLF;
  }
  script += std::string("  }") + CRLF;
  return script;
}

TKXElementPtr<TKXHTMLTag> TKXCustomComboBox::RenderEnhanced(TKXCompContext* context) {
  const std::string n = HTMLName();
  const int width = HTMLWidth();
  const std::string background = ColorToRGBString(BGColor() == clNone ? clWhite : BGColor());
  const std::string itemStyle = WebFont().FontToStringStyle() + "; cursor :pointer;";
  if (context) context->AddScriptFile(lists_files::kKXListsJs);

  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("SPAN");
  tag->Contents()->AddHiddenField(n, std::to_string(ItemIndex()));
  TKXHTMLTag* script = tag->Contents()->AddTag("SCRIPT", false);
  script->AddStringParam("type", "text/javascript");
  script->Contents()->AddText(EnhancedScript(), false);

  TKXHTMLTag* selected = tag->Contents()->AddTag("SPAN", false);
  selected->AddStringParam("ID", n + "_Selected");
  selected->AddStringParam("onClick", n + "_doClick();");
  selected->AddStringParam("style", "position:absolute; left:0px; top:0px; width:" + std::to_string(width) + "px;");
  TKXHTMLTag* text = selected->Contents()->AddTag("DIV", false);
  text->AddStringParam("ID", n + "_Text");
  text->AddStringParam("style", "position:absolute; left:0px; top:0px; overflow:hidden; white-space:nowrap; width:" +
                                    std::to_string(std::max(width - kEnhancedButtonWidth, 0)) +
                                    "px; background-color:" + background + "; " + WebFont().FontToStringStyle());
  text->Contents()->AddText(TextToHTML(GetSelectedText(), false, false), false);
  TKXHTMLTag* button = selected->Contents()->AddTag("SPAN", false);
  button->AddStringParam("ID", n + "_Button");
  // No click handler of its own: the click reaches N_Selected's, and a second toggle would close the list at once.
  button->AddStringParam("style", "position:absolute; top:0px; left:" +
                                      std::to_string(std::max(width - kEnhancedButtonWidth, 0)) + "px; width:" +
                                      std::to_string(kEnhancedButtonWidth) +
                                      "px; clip:rect(0px 18px 22px 0px); border:1px outset; background-color:" +
                                      ColorToRGBString(FButtonColor) + ";");
  TKXHTMLTag* image = button->Contents()->AddTag("IMG", false);
  image->AddIntegerParam("width", 17);
  image->AddIntegerParam("height", 18);
  image->AddStringParam("src", EscapeAttributeQuotes(ButtonImageURL()));

  const int shown = Items().Count() + 2;
  TKXHTMLTag* dropDown = tag->Contents()->AddTag("SPAN", false);
  dropDown->AddStringParam("ID", n + "_DropDown");
  dropDown->AddStringParam(
      "style", "position:absolute; left:0px; top:" + std::to_string(HTMLHeight()) + "px; width:" +
                   std::to_string(width + 1) + "px; height:" +
                   std::to_string(std::min(kEnhancedMaxDropDownHeight, shown * kEnhancedItemHeight)) +
                   "px; overflow:auto; visibility:hidden; border:1px solid; background-color:" + background + ";");
  auto addItem = [&](const std::string& id, const std::string& index, const std::string& caption) {
    TKXHTMLTag* item = dropDown->Contents()->AddTag("DIV", false);
    item->AddStringParam("ID", id);
    item->AddStringParam("onClick", n + "_doSelectItem(" + index + ",'" +
                                        TextToJSStringLiteral(TextToHTML(caption, false, false)) + "');");
    item->AddStringParam("style", itemStyle);
    item->Contents()->AddTag("NOBR", false)->Contents()->AddText(TextToHTML(caption, false, false), false);
  };
  if (ShowsNoSelection()) addItem(n + "_item_noselect", "-1", NoSelectionText());
  for (int i = 0; i < Items().Count(); ++i) addItem(n + "_item_" + std::to_string(i), std::to_string(i), ItemCaption(i));
  return tag;
}

TKXElementPtr<TKXXMLTag> TKXCustomComboBox::RenderAsync(TKXCompContext* context) {
  if (ShownAsLabel()) return InnerLabel().RenderAsync(context);
  return RenderItemsAsync(context, "KXCOMBOBOX");
}

TKXLabel& TKXCustomComboBox::InnerLabel() {
  if (!FInnerLabel) FInnerLabel = CreateInnerLabel();
  else UpdateInnerLabel(*FInnerLabel);
  return *FInnerLabel;
}

// ---------------------------------------------------------------------------
// TKXCustomListbox

void TKXCustomListbox::InitControl() {
  TKXCustomListCombo::InitControl();
  SetBounds(Left(), Top(), 121, 121);
  SetNeedsFormTag(true);
  SetCanReceiveFocus(true);
  SetRenderSize(true);
}

void TKXCustomListbox::SetMultiSelect(bool value) {
  if (value) SetRequireSelection(false);
  FMultiSelect = value;
  Invalidate();
}

void TKXListbox::SetRequireSelection(bool value) {
  if (value) SetMultiSelect(false);
  TKXCustomListbox::SetRequireSelection(value);
}

bool TKXCustomListbox::GetSelected(int index) {
  if (!FMultiSelect) return index == ItemIndex();
  return FSelection.count(index) != 0;
}

void TKXCustomListbox::SetSelected(int index, bool value) {
  if (index < 0 || index >= Items().Count()) return;
  const bool changed = value ? FSelection.insert(index).second : FSelection.erase(index) != 0;
  if (changed) Invalidate();
}

void TKXCustomListbox::ResetSelection() {
  FSelection.clear();
  Invalidate();
}

void TKXCustomListbox::SetItemIndex(std::int32_t value) {
  TKXCustomListCombo::SetItemIndex(value);
  if (FMultiSelect && ItemIndex() >= 0) SetSelected(ItemIndex(), true);
}

void TKXCustomListbox::ItemInserted(int index) {
  std::set<int> moved;
  for (int selected : FSelection) moved.insert(selected >= index ? selected + 1 : selected);
  FSelection.swap(moved);
}

void TKXCustomListbox::ItemDeleted(int index) {
  TKXCustomListCombo::ItemDeleted(index);
  std::set<int> moved;
  for (int selected : FSelection) {
    if (selected != index) moved.insert(selected > index ? selected - 1 : selected);
  }
  FSelection.swap(moved);
}

void TKXCustomListbox::ItemsExchanged(int index1, int index2) {
  const bool first = FSelection.count(index1) != 0;
  const bool second = FSelection.count(index2) != 0;
  FSelection.erase(index1);
  FSelection.erase(index2);
  if (first) FSelection.insert(index2);
  if (second) FSelection.insert(index1);
}

bool TKXCustomListbox::ShowsNoSelection() {
  return TKXCustomListCombo::ShowsNoSelection() && !NoSelectionText().empty() && !FMultiSelect &&
         Items().Count() > 0;
}

std::string TKXCustomListbox::InnerLabelCaption() {
  const int index = ItemIndex();
  return index >= 0 && index < Items().Count() ? ItemValue(index) : std::string();
}

void TKXCustomListbox::RenderAsyncSelectType(TKXXMLTag* tag) {
  tag->Contents()->AddTag("select_type", false)->Contents()->AddText(FMultiSelect ? "select-multiple" : "select-one",
                                                                     false);
}

void TKXCustomListbox::SetValue(const std::string& value) {
  NotifyParentOfPostedValue(value);
  // A forged post (or one for items since changed) leaves the selection as it is.
  if (const std::optional<std::vector<int>> posted = PostedItems(value)) {
    SetItemIndex(posted->front());
    if (FMultiSelect) {
      std::vector<bool> flags(std::size_t(Items().Count()), false);
      for (int index : *posted)
        if (index >= 0) flags[std::size_t(index)] = true;
      for (int i = 0; i < Items().Count(); ++i) SetSelected(i, flags[std::size_t(i)]);
    }
  }
  SetDoRefreshControl(false);
}

std::optional<std::vector<int>> TKXCustomListbox::PostedItems(const std::string& value) {
  // The no-selection entry's value, and what the browser posts for a list with nothing selected.
  const bool nothing = value == "-1" || (value.empty() && !(ItemsHaveValues() && IndexOfValue(value) >= 0));
  if (nothing) return std::vector<int>{-1};
  std::vector<int> items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    const std::string entry = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    const std::optional<int> item = ItemsHaveValues() ? ItemOfValue(entry) : ItemAt(StrToInt(Trim(entry)));
    if (!item) return std::nullopt;
    items.push_back(*item);
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

void TKXCustomListbox::Submit(const std::string& value) {
  TKXCustomListCombo::Submit(value);
  DoChange();
  if (value == "DblClick") {
    if (OnDblClick) OnDblClick(this);
  } else {
    DoClick();
  }
}

void TKXCustomListbox::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXCustomListCombo::HookEvents(pageContext, scriptEvents);
  if (!Editable()) return;
  if (OnClick) {
    scriptEvents.HookEvent("OnClick", SubmitHandler("", HTMLName(), false));
  } else if (OnDblClick) {
    scriptEvents.HookEvent("OnDblClick", SubmitHandler("DblClick", HTMLName(), false));
  }
}

TKXElementPtr<TKXHTMLTag> TKXCustomListbox::RenderHTML(TKXCompContext* context) {
  if (ShownAsLabel()) return CreateInnerLabel()->RenderHTML(context);
  return RenderSelect(context, Height() / kListLineHeight, FMultiSelect);
}

TKXElementPtr<TKXXMLTag> TKXCustomListbox::RenderAsync(TKXCompContext* context) {
  if (ShownAsLabel()) return CreateInnerLabel()->RenderAsync(context);
  return RenderItemsAsync(context, "KXLISTBOX");
}

// ---------------------------------------------------------------------------

const TKXControlFamily& ListsFamily() {
  static const TKXControlFamily family{.Name = "lists"};
  return family;
}

}  // namespace kx
