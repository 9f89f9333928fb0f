#include "kx/controls/lists/OrderedListbox.h"

#include <vector>

#include "kx/controls/lists/FamilyFiles.h"
#include "kx/foundation/Markup.h"

namespace kx {

namespace {

constexpr int kListLineHeight = 16;
constexpr int kListMargin = 16;  // pixels the list leaves beside the buttons

}  // namespace

void TKXOrderedListbox::InitControl() {
  TKXControl::InitControl();
  SetNeedsFormTag(true);
  SetText("Use the Move up and Move down buttons to sort items.");
  FItems.OnChange = [this](TObject*) { Invalidate(); };
}

std::string TKXOrderedListbox::ItemCaption(int index) const {
  const std::string& text = FItems.Strings(index);
  return text.substr(0, text.find('='));
}

std::string TKXOrderedListbox::ItemValue(int index) const {
  const std::string& text = FItems.Strings(index);
  const std::size_t equals = text.find('=');
  return equals == std::string::npos ? std::string() : text.substr(equals + 1);
}

void TKXOrderedListbox::SetItemIndex(std::int32_t value) {
  if (value < -1) value = -1;
  if (ComponentState().Contains(csLoading)) {
    FItemIndex = value;
    return;
  }
  if (value < FItems.Count() && value != FItemIndex) {
    FItemIndex = value;
    SetDoRefreshControl(true);
    Invalidate();
  }
}

bool TKXOrderedListbox::GetSelected(int index) const {
  if (!FMultiSelect) return index == FItemIndex;
  return index >= 0 && index < FItems.Count() && FSelection.IndexOf(FItems.Strings(index)) >= 0;
}

void TKXOrderedListbox::SetSelected(int index, bool value) {
  if (index < 0 || index >= FItems.Count()) return;
  const std::string& entry = FItems.Strings(index);
  const int at = FSelection.IndexOf(entry);
  if (value && at < 0) FSelection.Add(entry);
  if (!value && at >= 0) FSelection.Delete(at);
  Invalidate();
}

void TKXOrderedListbox::ResetSelection() {
  FSelection.Clear();
  SetItemIndex(-1);
}

void TKXOrderedListbox::GetInputControlNames(TStrings& list) { list.Add(HTMLName() + "_VALUE"); }

bool TKXOrderedListbox::IsForThisControl(const std::string& name) { return name == HTMLName() + "_VALUE"; }

void TKXOrderedListbox::SetValue(const std::string& value) {
  NotifyParentOfPostedValue(value);
  if (value.empty()) return;
  ResetSelection();
  std::vector<bool> taken(std::size_t(FItems.Count()), false);
  TStringList ordered;
  int newIndex = -1;
  std::size_t start = 0;
  for (;;) {
    const std::size_t semicolon = value.find(';', start);
    std::string entry = value.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start);
    const bool marked = !entry.empty() && entry.front() == '*';
    if (marked) entry.erase(0, 1);
    // Each item at most once: a repeated entry would copy the item.
    for (int i = 0; i < FItems.Count(); ++i) {
      if (taken[std::size_t(i)] || ItemValue(i) != entry) continue;
      taken[std::size_t(i)] = true;
      ordered.Add(FItems.Strings(i));
      if (marked) {
        if (FMultiSelect) FSelection.Add(FItems.Strings(i));
        else newIndex = ordered.Count() - 1;
      }
      break;
    }
    if (semicolon == std::string::npos) break;
    start = semicolon + 1;
  }
  // A partial or forged post does not lose the items it left out.
  for (int i = 0; i < FItems.Count(); ++i) {
    if (!taken[std::size_t(i)]) ordered.Add(FItems.Strings(i));
  }
  FItems.Assign(&ordered);
  SetItemIndex(newIndex);
  SetDoRefreshControl(false);
}

std::string TKXOrderedListbox::ButtonStyle() {
  std::string style = FButtonWidth > 0 ? "width:" + std::to_string(FButtonWidth) + "px;" : std::string();
  if (Css().empty()) style = FButtonsFont.FontToStringStyle() + style;
  return style;
}

TKXElementPtr<TKXHTMLTag> TKXOrderedListbox::RenderHTML(TKXCompContext* context) {
  const std::string n = HTMLName();
  const std::string up = n + "up";
  const std::string down = n + "down";
  const std::string list = n + "list";
  const std::string valueField = n + "_VALUE";
  if (context) context->AddScriptFile(lists_files::kKXOrderedListboxJs);

  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("TABLE");
  tag->AddStringParam("ID", n);
  const std::string captionLook = Css().empty() ? "STYLE = \"" + EscapeAttributeQuotes(FCaptionFont.FontToStringStyle()) + "\""
                                                : "CLASS = \"" + EscapeAttributeQuotes(Css()) + "\"";
  tag->Contents()->AddText("<TR><TD COLSPAN=2><CAPTION " + captionLook + ">" + TextToHTML(Caption(), true, false) +
                               "</CAPTION></TD></TR>",
                           false);

  TKXHTMLTag* firstRow = tag->Contents()->AddTag("TR", false);
  TKXHTMLTag* listCell = firstRow->Contents()->AddTag("TD", false);
  listCell->AddStringParam("ROWSPAN", "2");
  listCell->AddStringParam("VALIGN", "MIDDLE");
  listCell->AddStringParam("ALIGN", "CENTER");
  TKXHTMLTag* select = listCell->Contents()->AddTag("SELECT", false);
  if (FMultiSelect) select->Add("MULTIPLE");
  select->AddIntegerParam("SIZE", Height() / kListLineHeight);
  const int listWidth = Width() - (FButtonWidth > 0 ? FButtonWidth : 0) - kListMargin;
  std::string listStyle = "width:" + std::to_string(listWidth) + "px";
  if (Css().empty()) listStyle = FItemsFont.FontToStringStyle() + listStyle;
  else select->AddStringParam("CLASS", EscapeAttributeQuotes(Css()));
  select->AddStringParam("STYLE", EscapeAttributeQuotes(listStyle));
  select->AddStringParam("ID", list);
  select->AddStringParam("OnChange", "DoOrderedListClick(this, '" + up + "', '" + down + "', '" + valueField + "')");
  for (int i = 0; i < FItems.Count(); ++i) {
    TKXHTMLTag* option = select->Contents()->AddTag("OPTION", false);
    option->AddStringParam("VALUE", TextToHTML(ItemValue(i), false, false), true);
    if (GetSelected(i)) option->Add("SELECTED");
    option->Contents()->AddText(TextToHTML(ItemCaption(i), false, false), false);
  }

  const std::string moveArguments = "'" + list + "', '" + up + "', '" + down + "', '" + valueField + "')";
  auto addButton = [&](TKXHTMLTag* cell, const std::string& id, const std::string& caption, int direction) {
    TKXHTMLTag* button = cell->Contents()->AddTag("INPUT", false);
    button->AddStringParam("ID", id);
    button->AddStringParam("TYPE", "BUTTON");
    button->AddStringParam("VALUE", TextToHTML(caption, false, false), true);
    if (direction > 0) button->AddStringParam("DISABLED", "true");
    const std::string style = ButtonStyle();
    if (!Css().empty()) button->AddStringParam("CLASS", EscapeAttributeQuotes(Css()));
    button->AddStringParam("STYLE", EscapeAttributeQuotes(style));
    button->AddStringParam("onclick", "MoveOrderedListItem(" + std::to_string(direction) + ", " + moveArguments);
  };
  TKXHTMLTag* upCell = firstRow->Contents()->AddTag("TD", false);
  upCell->AddStringParam("VALIGN", "BOTTOM");
  upCell->AddStringParam("ALIGN", "CENTER");
  addButton(upCell, up, FMoveUpCaption, 1);
  TKXHTMLTag* downCell = tag->Contents()->AddTag("TR", false)->Contents()->AddTag("TD", false);
  downCell->AddStringParam("VALIGN", "TOP");
  downCell->AddStringParam("ALIGN", "CENTER");
  addButton(downCell, down, FMoveDownCaption, -1);
  // Inside a cell: a parser moves anything written between rows out of the table.
  downCell->Contents()->AddHiddenField(valueField, valueField, "");
  return tag;
}

}  // namespace kx
