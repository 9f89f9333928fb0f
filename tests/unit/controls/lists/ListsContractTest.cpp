// The combo box, the list box and the ordered list box against the control contract (support/ControlContract.h).
#include "kx/controls/lists/Lists.h"
#include "kx/controls/lists/OrderedListbox.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

std::string ItemIndexOf(TKXCustomControl& control) {
  return std::to_string(static_cast<TKXCustomListCombo&>(control).ItemIndex());
}

// "0,2": the selected items of a list box.
std::string SelectionOf(TKXCustomControl& control) {
  auto& list = static_cast<TKXListbox&>(control);
  std::string text;
  for (int i = 0; i < list.Items().Count(); ++i) {
    if (list.GetSelected(i)) text += (text.empty() ? "" : ",") + std::to_string(i);
  }
  return text;
}

// "c,a,b|1": the ordered list's values in order, then its ItemIndex.
std::string OrderOf(TKXCustomControl& control) {
  auto& list = static_cast<TKXOrderedListbox&>(control);
  std::string text;
  for (int i = 0; i < list.Items().Count(); ++i) text += (i ? "," : "") + list.ItemValue(i);
  return text + "|" + std::to_string(list.ItemIndex());
}

template <class T>
T* MakeList(TFormFixture& f, const char* name, bool withValues) {
  auto* list = f.Add<T>(name, f.Form);
  list->SetItemsHaveValues(withValues);
  for (const char* item : {"one=va", "two=vb", "three=vc"}) list->Items().Add(withValues ? item : std::string(item).substr(0, std::string(item).find('=')));
  return list;
}

// A hostile value part: the caption's spaces are written as non-breaking ones, the value stands as it is.
void SetHostileValue(TKXCustomControl& control, const std::string& text) {
  auto& list = static_cast<TKXCustomListCombo&>(control);
  list.SetItemsHaveValues(true);
  list.Items().SetStrings(0, "caption=" + text);
}

void SetHostileCaption(TKXCustomControl& control, const std::string& text) {
  auto& list = static_cast<TKXCustomListCombo&>(control);
  list.SetItemsHaveValues(false);
  list.Items().SetStrings(0, text);
}

const TControlContract kListsContract[] = {
    {.Name = "ComboBox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return MakeList<TKXComboBox>(f, "Combo1", false); },
     .Tag = "select",
     .Attributes = {{"name", "COMBO1"}, {"size", "1"}, {"multiple", kAbsent}, {"disabled", kAbsent}},
     .Styles = {{"border", "1px inset"}},
     // a value that names no item (out of range, negative, not a number) changes nothing; -1 selects nothing
     .Posts = {{"1", "1", &ItemIndexOf}, {"9", "1", &ItemIndexOf}, {"-5", "1", &ItemIndexOf},
               {"2,0", "2", &ItemIndexOf}, {"abc", "2", &ItemIndexOf}, {"-1", "-1", &ItemIndexOf}},
     .HostileText = &SetHostileValue,
     .AsyncType = "KXCOMBOBOX",
     .AsyncFacts = {{"items/item[1]/@value", "-1"}, {"items/item[4]/@value", "2"}, {"items/item[5]/@value", ""}}},
    {.Name = "ComboBoxWithValues",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return MakeList<TKXComboBox>(f, "Combo1", true); },
     .Tag = "select",
     .Posts = {{"vb", "1", &ItemIndexOf}, {"1", "1", &ItemIndexOf}, {"vc", "2", &ItemIndexOf}},
     .AsyncType = "KXCOMBOBOX",
     .AsyncFacts = {{"items/item[3]/@value", "vb"}, {"items/item[3]", "two"}}},
    // The scripted drop-down posts the index even when the items hold values.
    {.Name = "EnhancedComboBox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* combo = MakeList<TKXComboBox>(f, "Combo1", true);
       combo->SetStyle(TKXCustomComboBoxStyle::stEnhanced);
       return combo;
     },
     .Tag = "span",
     .Posts = {{"2", "2", &ItemIndexOf}, {"vb", "2", &ItemIndexOf}},
     .HostileText = &SetHostileCaption,
     .AsyncType = "KXCOMBOBOX"},
    {.Name = "ComboBoxAsLabel",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* combo = MakeList<TKXComboBox>(f, "Combo1", false);
       combo->SetItemIndex(1);
       combo->SetNonEditableAsLabel(true);
       combo->SetEditable(false);
       combo->SetBounds(40, 30, 121, 21);
       combo->Items().SetStrings(1, "value  two");
       return combo;
     },
     .Tag = "span",
     .HostileText = [](TKXCustomControl& c, const std::string& text) {
       SetHostileCaption(c, text);
       static_cast<TKXComboBox&>(c).SetItemIndex(0);
     },
     .AsyncType = "KXLABEL",
     // the update keeps the label where the combo box stands, and the blanks of the caption
     .AsyncFacts = {{"style/attribute[@name='left']", "40px"}, {"style/attribute[@name='top']", "30px"},
                    {"innerhtml", "value&nbsp;&nbsp;two"}}},
    {.Name = "Listbox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return MakeList<TKXListbox>(f, "List1", false); },
     .Tag = "select",
     .Attributes = {{"name", "LIST1"}, {"size", "7"}, {"multiple", kAbsent}},
     .Posts = {{"2", "2", &ItemIndexOf}, {"9", "2", &ItemIndexOf}, {"-7", "2", &ItemIndexOf}, {"", "-1", &ItemIndexOf}},
     .HostileText = &SetHostileValue,
     .AsyncType = "KXLISTBOX",
     .AsyncFacts = {{"select_type", "select-one"}}},
    {.Name = "ListboxAsLabel",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* list = MakeList<TKXListbox>(f, "List1", true);
       list->Items().SetStrings(1, "two=value  two");
       list->SetItemIndex(1);
       list->SetNonEditableAsLabel(true);
       list->SetEditable(false);
       return list;
     },
     .Tag = "span",
     .HostileText = [](TKXCustomControl& c, const std::string& text) {
       SetHostileValue(c, text);
       static_cast<TKXListbox&>(c).SetItemIndex(0);
     },
     .AsyncType = "KXLABEL",
     .AsyncFacts = {{"innerhtml", "value&nbsp;&nbsp;two"}}},
    {.Name = "MultiSelectListbox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* list = MakeList<TKXListbox>(f, "List1", true);
       list->SetMultiSelect(true);
       return list;
     },
     .Tag = "select",
     .Attributes = {{"multiple", "multiple"}},
     .Posts = {{"va,vc", "0,2", &SelectionOf}, {"vb,nothing", "0,2", &SelectionOf}, {"vb", "1", &SelectionOf},
               {"-1", "", &SelectionOf}},
     .AsyncType = "KXLISTBOX",
     .AsyncFacts = {{"select_type", "select-multiple"}, {"items/item[1]/@value", "va"}}},
    {.Name = "OrderedListbox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* list = f.Add<TKXOrderedListbox>("Ordered1", f.Form);
       for (const char* item : {"Apple=a", "Banana=b", "Cherry=c"}) list->Items().Add(item);
       return list;
     },
     .Tag = "table",
     .Attributes = {{"id", "ORDERED1"}},
     .Posts = {{"c;*a;b", "c,a,b|1", &OrderOf}, {"", "c,a,b|1", &OrderOf}, {"b;x;*b", "b,c,a|-1", &OrderOf}},
     .HostileText = [](TKXCustomControl& c, const std::string& text) { c.SetText(text); }},
};
KX_CONTROL_CONTRACT(Lists, kListsContract);

}  // namespace
}  // namespace kx::test
