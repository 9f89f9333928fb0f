// The navigator and the data grid against the control contract (support/ControlContract.h).
#include "kx/controls/dbgrid/DBExtCtrls.h"
#include "support/ControlContract.h"
#include "unit/controls/dbgrid/DBGridTestData.h"

namespace kx::test {
namespace {

// Writes text into the name of the first record.
void StoreName(TKXCustomControl& control, const std::string& text) {
  TDataSet* data = static_cast<TKXDBGrid&>(control).DataSource()->DataSet();
  data->First();
  data->Edit();
  data->FieldByName("name").SetText(text);
  data->Post();
}

// A data set of one record with a code "B", for the radio group; its source is "CodesSource".
TDataSource* CodesSource(TFormFixture& f) {
  auto* codes = f.Add<TMemDataSet>("Codes", f.Form);
  codes->AddField("code", ftString);
  codes->AddField("pic", ftBlob);
  codes->Open();
  codes->AddRecord({"B", std::nullopt});
  codes->Refresh();
  auto* source = f.Add<TDataSource>("CodesSource", f.Form);
  source->SetDataSet(codes);
  return source;
}

// The posted index is taken first; the field is written when the form runs ValueChanged (DBExtCtrlsTest).
std::string IndexOf(TKXCustomControl& control) {
  return std::to_string(static_cast<TKXDBRadioGroup&>(control).ItemIndex());
}

const TControlContract kDBGridContract[] = {
    {.Name = "DBNavigator",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* navigator = f.Add<TKXDBNavigator>("Nav1", f.Form);
       navigator->SetDataSource(NumbersSource(f, 3));
       return navigator;
     },
     .Tag = "span",
     .AsyncType = "KXDBNAVIGATOR",
     .AsyncFacts = {{"@id", "NAV1"}}},
    {.Name = "DBGrid",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* grid = f.Add<TKXDBGrid>("DBGrid1", f.Form);
       grid->SetDataSource(NumbersSource(f, 3));
       grid->SetRowLimit(2);
       // Framed (the default), a grid's update goes to its table ("TBL" + name): the unframed grid answers
       // under its own name, as the contract asks.
       grid->SetUseFrame(false);
       return grid;
     },
     .Tag = "div",
     .HostileText = &StoreName,
     .AsyncType = "KXGRID",
     .AsyncFacts = {{"@id", "DBGRID1"}}},
    {.Name = "DBRadioGroup",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* group = f.Add<TKXDBRadioGroup>("DBRadio1", f.Form);
       group->SetDataSource(CodesSource(f));
       group->SetDataField("code");
       group->Items().SetText("Alpha\nBeta\n");
       group->Values().SetText("A\nB\n");
       return group;
     },
     .Tag = "div",
     .Attributes = {{"type", "RADIOGROUP"}},
     .Posts = {{"0", "0", &IndexOf}, {"-1", "-1", &IndexOf}},
     .AsyncType = "KXRADIOGROUP"},
    {.Name = "DBImage",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* image = f.Add<TKXDBImage>("DBImage1", f.Form);
       image->SetDataSource(CodesSource(f));
       image->SetDataField("pic");
       return image;
     },
     // A null blob: the empty image renders as a SPAN.
     .Tag = "span",
     .AsyncType = "IMAGE"},
};

}  // namespace

KX_CONTROL_CONTRACT(DBGrid, kDBGridContract);

}  // namespace kx::test
