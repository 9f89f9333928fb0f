// The data-aware controls against the control contract (support/ControlContract.h): each renders as its parent,
// with the field's value; a post lands in the field.
#include "support/ControlContract.h"
#include "unit/controls/dbcontrols/DBControlsTestData.h"

namespace kx::test {
namespace {

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
};
KX_CONTROL_CONTRACT(DBControls, kDBControlsContract);

}  // namespace
}  // namespace kx::test
