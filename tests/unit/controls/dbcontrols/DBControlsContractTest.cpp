// The data-aware controls against the control contract (support/ControlContract.h): each renders as its parent,
// with the field's value; a post lands in the field.
#include "support/ControlContract.h"
#include "unit/controls/dbcontrols/DBControlsTestData.h"

namespace kx::test {
namespace {

std::string CheckedOf(TKXCustomControl& control) {
  return static_cast<TKXDBCheckBox&>(control).Checked() ? "1" : "0";
}

const TControlContract kDBControlsContract[] = {
    {.Name = "DBEdit",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return BoundControl<TKXDBEdit>(f, "DBEdit1", "name"); },
     .Tag = "input",
     .Attributes = {{"name", "DBEDIT1"}, {"type", "TEXT"}, {"value", "Ada"}},
     .Styles = {{"border", "1px inset"}},
     .Posts = {{"Grace", "Grace", &FieldText<TKXDBEdit>}, {"", "", &FieldText<TKXDBEdit>}},
     .HostileText = &StoreField<TKXDBEdit>,
     .AsyncType = "KXEDIT",
     .AsyncFacts = {{"@id", "DBEDIT1"}, {"text", "Ada"}}},
    {.Name = "DBLabel",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return BoundControl<TKXDBLabel>(f, "DBLabel1", "name"); },
     .Tag = "span",
     .HostileText = &StoreField<TKXDBLabel>,
     .AsyncType = "KXLABEL"},
    {.Name = "DBText",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return BoundControl<TKXDBText>(f, "DBText1", "notes"); },
     .Tag = "div",
     .HostileText = &StoreField<TKXDBText>,
     .AsyncType = "KXTEXT"},
    {.Name = "DBMemo",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return BoundControl<TKXDBMemo>(f, "DBMemo1", "notes"); },
     .Tag = "textarea",
     .Attributes = {{"name", "DBMEMO1"}},
     .Posts = {{"one\ntwo", "one\r\ntwo", &FieldText<TKXDBMemo>}, {"three\n", "three\r\n", &FieldText<TKXDBMemo>}},
     .HostileText = &StoreField<TKXDBMemo>,
     .AsyncType = "KXMEMO"},
    {.Name = "DBCheckBox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       return BoundControl<TKXDBCheckBox>(f, "DBCheck1", "active");
     },
     .Tag = "span",
     .Attributes = {{"id", "DBCHECK1"}},
     .Posts = {{"", "0", &CheckedOf}, {"on", "1", &CheckedOf}},
     .AsyncType = "KXCHECKBOX",
     .AsyncFacts = {{"checked", "true"}}},
    {.Name = "DBComboBox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* combo = BoundControl<TKXDBComboBox>(f, "DBCombo1", "name");
       combo->Items().SetText("Grace\nAda\n");
       return combo;
     },
     .Tag = "select",
     .Attributes = {{"name", "DBCOMBO1"}},
     .Posts = {{"0", "Grace", &FieldText<TKXDBComboBox>}, {"-1", "", &FieldText<TKXDBComboBox>}},
     .AsyncType = "KXCOMBOBOX",
     .AsyncFacts = {{"items/item[2]/@selected", "true"}}},
    {.Name = "DBListbox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* list = BoundControl<TKXDBListbox>(f, "DBList1", "city");
       list->Items().SetText("Paris\nLondon\n");
       return list;
     },
     .Tag = "select",
     .Attributes = {{"name", "DBLIST1"}},
     .Posts = {{"0", "Paris", &FieldText<TKXDBListbox>}},
     .AsyncType = "KXLISTBOX"},
    {.Name = "DBLookupComboBox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return LookupControl<TKXDBLookupComboBox>(f); },
     .Tag = "select",
     .Attributes = {{"name", "LOOKUP1"}},
     .Posts = {{"2", "3", &FieldText<TKXDBLookupComboBox>}, {"0", "1", &FieldText<TKXDBLookupComboBox>}},
     .AsyncType = "KXCOMBOBOX",
     .AsyncFacts = {{"items/item[1]/@selected", "true"}}},
    // Browsing, an auto-editable look-up shows as a label, which its update keeps where the control stands.
    {.Name = "DBLookupComboBoxBrowsing",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* combo = LookupControl<TKXDBLookupComboBox>(f);
       combo->SetAutoEditable(true);
       TDataSet* people = PeopleSource(f)->DataSet();
       people->Edit();
       people->Cancel();
       combo->SetBounds(40, 30, 160, 21);
       return combo;
     },
     .Tag = "span",
     .AsyncType = "KXLABEL",
     .AsyncFacts = {{"innerhtml", "City&nbsp;1"}, {"style/attribute[@name='left']", "40px"},
                    {"style/attribute[@name='top']", "30px"}}},
    {.Name = "DBLookupListBox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return LookupControl<TKXDBLookupListBox>(f); },
     .Tag = "select",
     .Attributes = {{"name", "LOOKUP1"}},
     .Posts = {{"1", "2", &FieldText<TKXDBLookupListBox>}},
     .AsyncType = "KXLISTBOX"},
};
KX_CONTROL_CONTRACT(DBControls, kDBControlsContract);

}  // namespace
}  // namespace kx::test
