// The data-aware choice controls: what a post writes, what reading the field must not do, and the look-up lists.
#include <gtest/gtest.h>

#include "kx/controls/dbcontrols/DBListCtrls.h"
#include "kx/forms/Forms.h"
#include "unit/controls/dbcontrols/DBControlsTestData.h"

namespace kx {
namespace {

using test::BoundControl;
using test::LookupControl;
using test::PeopleSource;
using test::TFormFixture;

std::string Shown(TFormFixture& f, const char* htmlName) {
  TKXMarkupLanguageTag* tag = f.Form->Render()->GetMarkupLanguageTag(htmlName);
  return tag ? tag->Render() : std::string();
}

TDataSet* People(TFormFixture& f) { return PeopleSource(f)->DataSet(); }
std::string FieldOf(TFormFixture& f, const char* name) { return People(f)->FieldByName(name).Text(); }

// A post as form execution makes it: the value, then the change event when it changed.
void PostCheckBox(TKXDBCheckBox* box, const std::string& value) {
  bool changed = false;
  box->SetValue(value, changed);
  if (changed) box->ValueChanged();
}

TEST(TKXDBCheckBox, ReadsIgnoringCaseWritesItsTextsAndFiresNoEventWhileReading) {
  TFormFixture f;
  auto* box = BoundControl<TKXDBCheckBox>(f, "DBCheck1", "active");
  int changes = 0;
  box->OnChange = [&changes](TObject*) { ++changes; };
  Shown(f, "DBCHECK1");
  EXPECT_TRUE(box->Checked());  // "True" is "true" ignoring case
  EXPECT_EQ(changes, 0);
  PostCheckBox(box, "");
  EXPECT_EQ(FieldOf(f, "active"), "False");
  EXPECT_EQ(changes, 1);
  People(f)->Post();

  // A null field is written as soon as the box changes.
  People(f)->Edit();
  People(f)->FieldByName("active").Clear();
  People(f)->Post();
  Shown(f, "DBCHECK1");
  PostCheckBox(box, "on");
  EXPECT_EQ(FieldOf(f, "active"), "True");
}

TEST(TKXDBChoice, AnUnchangedSelectionNeverRewritesTheField) {
  struct {
    const char* Name;
    std::function<TKXCustomListCombo*(TFormFixture&)> Make;
    const char* Field;
    int Shown;              // the item the field selects
    const char* Unchanged;  // the post of that item
    const char* Other;      // the post of another item
    const char* Written;    // what that writes
  } cases[] = {
      // " london " selects "London" trimmed and ignoring case, and is not rewritten.
      {"list box, trimmed", [](TFormFixture& f) -> TKXCustomListCombo* {
         auto* list = BoundControl<TKXDBListbox>(f, "DBChoice1", "city");
         list->Items().SetText("Paris\nLondon\n");
         return list;
       }, "city", 1, "1", "0", "Paris"},
      {"combo box, ignoring case", [](TFormFixture& f) -> TKXCustomListCombo* {
         auto* combo = BoundControl<TKXDBComboBox>(f, "DBChoice1", "name");
         combo->Items().SetText("Grace\nADA\n");
         return combo;
       }, "name", 1, "1", "0", "Grace"},
      {"combo box with values", [](TFormFixture& f) -> TKXCustomListCombo* {
         auto* combo = BoundControl<TKXDBComboBox>(f, "DBChoice1", "id");
         combo->SetItemsHaveValues(true);
         combo->Items().SetText("One=1\nTwo=2\nAlso one=1\n");
         People(f)->FieldByName("id").SetReadOnly(false);
         return combo;
       }, "id", 0, "1", "2", "2"},
  };
  for (const auto& c : cases) {
    TFormFixture f;
    TKXCustomListCombo* control = c.Make(f);
    Shown(f, "DBCHOICE1");
    EXPECT_EQ(control->ItemIndex(), c.Shown) << c.Name;
    control->SetValue(c.Unchanged);
    EXPECT_EQ(People(f)->State(), dsBrowse) << c.Name;
    control->SetValue(c.Other);
    EXPECT_EQ(FieldOf(f, c.Field), c.Written) << c.Name;
  }
}

TEST(TKXDBLookupComboBox, SelectsByKeyWritesKeysAndClearsForNoSelection) {
  TFormFixture f;
  auto* combo = LookupControl<TKXDBLookupComboBox>(f);
  auto* cities = static_cast<TDataSet*>(f.Form->FindComponent("Cities"));
  cities->SetRecNo(2);
  const std::string html = Shown(f, "LOOKUP1");
  EXPECT_NE(html.find("City&nbsp;3"), std::string::npos) << html;
  EXPECT_EQ(combo->ItemIndex(), 0);  // id 1
  EXPECT_EQ(cities->RecNo(), 2);     // the list stays where it was
  combo->SetValue("2");
  EXPECT_EQ(FieldOf(f, "id"), "3");
  combo->SetValue("-1");
  EXPECT_TRUE(People(f)->FieldByName("id").IsNull());  // cleared, never the marker
  People(f)->Post();

  // Browsing and not editable: the post is ignored.
  combo->SetEditable(false);
  combo->SetValue("0");
  EXPECT_TRUE(People(f)->FieldByName("id").IsNull());
  EXPECT_EQ(People(f)->State(), dsBrowse);
}

TEST(TKXDBLookupComboBox, AnEmptyListRendersDisabledForThatRenderOrWithTheNoSelectionOption) {
  TFormFixture f;
  auto* combo = LookupControl<TKXDBLookupComboBox>(f, false);
  EXPECT_NE(Shown(f, "LOOKUP1").find("disabled"), std::string::npos);
  EXPECT_TRUE(combo->Enabled());
  combo->SetDisableWhenEmpty(false);
  combo->SetNoSelectionText("(none)");
  const std::string html = Shown(f, "LOOKUP1");
  EXPECT_EQ(html.find("disabled"), std::string::npos);
  EXPECT_NE(html.find("<option selected value=\"-1\">(none)</option>"), std::string::npos) << html;
}

TEST(TKXDBLookupListBox, KeepsTheListWhereItWasAndWritesTheKey) {
  TFormFixture f;
  auto* list = LookupControl<TKXDBLookupListBox>(f);
  auto* cities = static_cast<TDataSet*>(f.Form->FindComponent("Cities"));
  cities->SetRecNo(3);
  Shown(f, "LOOKUP1");
  EXPECT_EQ(cities->RecNo(), 3);
  EXPECT_EQ(list->GetSelectedValue(), "1");
  list->SetValue("1");
  EXPECT_EQ(FieldOf(f, "id"), "2");
  list->SetValue("-1");
  EXPECT_TRUE(People(f)->FieldByName("id").IsNull());
}

}  // namespace
}  // namespace kx
