// The navigator and the data grid against the control contract (support/ControlContract.h).
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
    {.Name = "LinkedDBGrid",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* grid = f.Add<TKXDBGrid>("DBGrid1", f.Form);
       grid->SetDataSource(NumbersSource(f, 3));
       TKXDBGridColumn* name = grid->Columns().Add();
       name->SetDataField("name");
       name->SetLinkField("name");
       grid->SetRowClick(true);
       grid->SetUseFrame(false);
       return grid;
     },
     .Tag = "div",
     .HostileText = &StoreName,
     .AsyncType = "KXGRID"},
};

}  // namespace

KX_CONTROL_CONTRACT(DBGrid, kDBGridContract);

}  // namespace kx::test
