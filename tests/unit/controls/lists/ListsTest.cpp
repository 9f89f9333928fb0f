// What the contract rows cannot say about the list, combo and ordered list boxes: the no-selection entry, the
// selection following the items, script literals of the drop-down, and the ordered
// list's posts.
#include "kx/controls/lists/Lists.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/controls/lists/OrderedListbox.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;

std::string Page(TFormFixture& f, const char* htmlName) {
  TKXMarkupLanguageTag* tag = f.Form->Render()->GetMarkupLanguageTag(htmlName);
  return tag ? tag->Render() : std::string();
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TKXListbox* AddList(TFormFixture& f, std::initializer_list<const char*> items) {
  auto* list = f.Add<TKXListbox>("List1", f.Form);
  for (const char* item : items) list->Items().Add(item);
  return list;
}

std::string Selection(TKXListbox& list) {
  std::string text;
  for (int i = 0; i < list.Items().Count(); ++i) text += list.GetSelected(i) ? '1' : '0';
  return text;
}

TEST(TKXComboBox, OffersTheNoSelectionEntryOnlyWhileItApplies) {
  struct {
    int Items;
    bool RequireSelection;
    int ItemIndex;
    int Options;  // OPTION elements
    bool NoSelectionSelected;
  } const cases[] = {
      {0, true, -1, 0, false},   // no items: not even the no-selection entry
      {3, true, -1, 4, true},    // nothing selected yet: offered and selected
      {3, true, 2, 3, false},    // a selection is required once there is one
      {3, false, 2, 4, false},   // not required: always offered
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Items << " items, index " << c.ItemIndex);
    TFormFixture f;
    auto* combo = f.Add<TKXComboBox>("Combo1", f.Form);
    for (int i = 0; i < c.Items; ++i) combo->Items().Add("item" + std::to_string(i));
    combo->SetRequireSelection(c.RequireSelection);
    combo->SetItemIndex(c.ItemIndex);
    const std::string page = Page(f, "COMBO1");
    EXPECT_EQ(Count(page, "<option"), c.Options) << page;
    EXPECT_EQ(page.find("<option value=\"-1\" selected>") != std::string::npos, c.NoSelectionSelected) << page;
  }
}

TEST(TKXListbox, NoSelectionEntryNeedsItsTextAndSingleSelection) {
  TFormFixture f;
  TKXListbox* list = AddList(f, {"a", "b"});
  EXPECT_NE(Page(f, "LIST1").find("value=\"-1\""), std::string::npos);
  list->SetNoSelectionText("");
  EXPECT_EQ(Page(f, "LIST1").find("value=\"-1\""), std::string::npos);
  list->SetNoSelectionText("none");
  list->SetMultiSelect(true);
  EXPECT_EQ(Page(f, "LIST1").find("value=\"-1\""), std::string::npos);
}

TEST(TKXListbox, MultiSelectAndRequireSelectionExcludeEachOther) {
  TFormFixture f;
  TKXListbox* list = AddList(f, {});
  list->SetMultiSelect(true);
  EXPECT_FALSE(list->RequireSelection());
  list->SetRequireSelection(true);
  EXPECT_FALSE(list->MultiSelect());
}

// The selection of a multi-select list box follows its items when they are inserted, deleted, exchanged or sorted.
TEST(TKXListbox, SelectionFollowsTheItems) {
  struct {
    const char* Change;
    void (*Apply)(TKXListbox&);
    const char* Selection;  // after selecting "b" and "d" of a, b, c, d
  } const cases[] = {
      {"insert at 0", [](TKXListbox& l) { l.Items().Insert(0, "x"); }, "00101"},
      {"delete 0", [](TKXListbox& l) { l.Items().Delete(0); }, "101"},
      {"delete the selected b", [](TKXListbox& l) { l.Items().Delete(1); }, "001"},
      {"exchange 0 and 1", [](TKXListbox& l) { l.Items().Exchange(0, 1); }, "1001"},
      {"sort", [](TKXListbox& l) { l.SetSorted(true); }, "0101"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Change);
    TFormFixture f;
    TKXListbox* list = AddList(f, {"d", "b", "c", "a"});
    list->SetMultiSelect(true);
    if (std::string(c.Change) == "sort") {
      list->SetSelected(0, true);  // d
      list->SetSelected(1, true);  // b
    } else {
      list->Items().Clear();
      for (const char* item : {"a", "b", "c", "d"}) list->Items().Add(item);
      list->SetSelected(1, true);
      list->SetSelected(3, true);
    }
    c.Apply(*list);
    EXPECT_EQ(Selection(*list), c.Selection);
  }
}

TEST(TKXListbox, EmptyingTheItemsSelectsNothing) {
  TFormFixture f;
  TKXListbox* list = AddList(f, {"a", "b"});
  list->SetItemIndex(1);
  list->Items().Delete(1);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->GetSelectedText(), "-- No Selection --");
}

// An entry of a multiple selection that is not a number is the platform's conversion error (the form reports it),
// the first one too; the selection stays as it was.
TEST(TKXListbox, NonNumericEntriesWithoutValues) {
  TFormFixture f;
  TKXListbox* list = AddList(f, {"a", "b", "c"});
  list->SetMultiSelect(true);
  list->SetValue("2");
  EXPECT_THROW(list->SetValue("1,b"), EConvertError);
  EXPECT_THROW(list->SetValue("x,2"), EConvertError);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(Selection(*list), "001");
}

TEST(TKXListbox, SubmitRunsChangeThenClickOrDoubleClick) {
  TFormFixture f;
  TKXListbox* list = AddList(f, {"a"});
  std::string seen;
  list->OnChange = [&](TObject*) { seen += "change;"; };
  list->OnClick = [&](TObject*) { seen += "click;"; };
  list->OnDblClick = [&](TObject*) { seen += "dblclick;"; };
  list->Submit("");
  list->Submit("DblClick");
  EXPECT_EQ(seen, "change;click;change;dblclick;");
}

// Captions reach the drop-down's script as literals of their HTML text, inside a double-quoted attribute.
TEST(TKXComboBox, EnhancedDropDownEscapesCaptionsForItsScript) {
  TFormFixture f;
  auto* combo = f.Add<TKXComboBox>("Combo1", f.Form);
  combo->SetStyle(TKXCustomComboBoxStyle::stEnhanced);
  combo->Items().Add("it's \"quoted\" \\ <b>");
  combo->SetItemIndex(0);
  combo->OnChange = [](TObject*) {};
  const std::string page = Page(f, "COMBO1");
  EXPECT_NE(page.find("COMBO1_doSelectItem(0,'it\\x26#39;s \\x26quot;quoted\\x26quot; \\\\ \\x26lt;b\\x26gt;');"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("SubmitClickConfirm('COMBO1',''+idx+'', true, '');"), std::string::npos);
  EXPECT_NE(page.find("<input type=\"hidden\" name=\"COMBO1\" value=\"0\">"), std::string::npos) << page;
  EXPECT_NE(page.find("src=\"/$/gfx/ComboBoxDownArrow.gif\""), std::string::npos);
}

// ---------------------------------------------------------------------------

TKXOrderedListbox* AddOrdered(TFormFixture& f) {
  auto* list = f.Add<TKXOrderedListbox>("Ordered1", f.Form);
  for (const char* item : {"Apple=a", "Banana=b", "Cherry=c"}) list->Items().Add(item);
  return list;
}

TEST(TKXOrderedListbox, PostsReorderAndSelect) {
  struct {
    const char* Posted;
    bool Multi;
    const char* Items;
    const char* Selected;
  } const cases[] = {
      {"c;*a;b", false, "Cherry=c|Apple=a|Banana=b|", "1"},
      {"*c;a;*b", true, "Cherry=c|Apple=a|Banana=b|", "Cherry=c,Banana=b,"},
      {"a;a;a", false, "Apple=a|Banana=b|Cherry=c|", "-1"},    // an item is taken once
      {"c", false, "Cherry=c|Apple=a|Banana=b|", "-1"},        // items not posted keep their order after
      {"zz;*b", false, "Banana=b|Apple=a|Cherry=c|", "0"},     // an entry naming no item is skipped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Posted);
    TFormFixture f;
    TKXOrderedListbox* list = AddOrdered(f);
    list->SetMultiSelect(c.Multi);
    list->SetValue(c.Posted);
    std::string items, selected;
    for (int i = 0; i < list->Items().Count(); ++i) {
      items += list->Items().Strings(i) + "|";
      if (list->GetSelected(i)) selected += list->Items().Strings(i) + ",";
    }
    EXPECT_EQ(items, c.Items);
    EXPECT_EQ(c.Multi ? selected : std::to_string(list->ItemIndex()), c.Selected);
  }
}

TEST(TKXOrderedListbox, RendersTheListTheButtonsAndTheField) {
  TFormFixture f;
  TKXOrderedListbox* list = AddOrdered(f);
  list->SetBounds(0, 0, 200, 100);
  list->SetItemIndex(1);
  const std::string page = Page(f, "ORDERED1");
  EXPECT_NE(page.find("Use the Move up and Move down buttons to sort items.</CAPTION>"), std::string::npos);
  EXPECT_NE(page.find("size=\"6\""), std::string::npos) << page;
  EXPECT_NE(page.find("width:184px"), std::string::npos);
  EXPECT_NE(page.find("<option value=\"b\" selected>Banana</option>"), std::string::npos) << page;
  EXPECT_NE(page.find("id=\"ORDERED1up\" type=\"BUTTON\" value=\"Move up\" disabled=\"true\""), std::string::npos)
      << page;
  EXPECT_EQ(Count(page, "disabled"), 1) << "the down button is never disabled";
  EXPECT_NE(page.find("MoveOrderedListItem(-1, 'ORDERED1list', 'ORDERED1up', 'ORDERED1down', 'ORDERED1_VALUE')"),
            std::string::npos);
  EXPECT_NE(page.find("name=\"ORDERED1_VALUE\""), std::string::npos);
  EXPECT_TRUE(list->IsForThisControl("ORDERED1_VALUE"));
  EXPECT_FALSE(list->IsForThisControl("ordered1_value"));
}

}  // namespace
}  // namespace kx
