// The data grid through the entry point: a callback that changes its data set answers with the grid's rows, as it
// does with the bound edit beside it; a submit the page cannot have sent (an action, a navigator button, a grid
// index that is not there) is the client's doing, a warning line without a report.
#include "kx/controls/dbgrid/DBGrid.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/dbcontrols/DBStdCtrls.h"
#include "kx/controls/dbgrid/DBNavigator.h"
#include "kx/controls/grids/Grids.h"
#include "kx/controls/labels/Labels.h"
#include "kx/data/MemDataSet.h"
#include "kx/forms/FormTypes.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"
#include "support/ParsedDocument.h"

namespace kx {
namespace {

// A data set of one record ("Ada") and its source, both owned by owner.
TDataSource* OneRecordSource(TComponent* owner) {
  auto* data = TComponent::Create<TMemDataSet>(owner);
  data->AddField("name", ftString, 20);
  data->Open();
  data->AddRecord({"Ada"});
  auto* source = TComponent::Create<TDataSource>(owner);
  source->SetDataSet(data);
  return source;
}

class TGridForm : public TKXForm {
  KX_COMPONENT_CLASS(TGridForm, TKXForm)

 public:
  static inline std::function<void(TDataSet&)> Change;

 protected:
  void BuildComponents() override {
    auto* source = OneRecordSource(this);
    test::AddControl<TKXDBGrid>(this, this, "Grid1", 10, 10, 300, 120)->SetDataSource(source);
    auto* edit = test::AddControl<TKXDBEdit>(this, this, "Edit1", 10, 140, 200, 21);
    edit->SetDataSource(source);
    edit->SetDataField("name");
    auto* button = test::AddControl<TKXButton>(this, this, "Button1", 10, 170, 75, 25);
    button->OnAsyncClick = [data = source->DataSet()](TObject*, TStrings&) { Change(*data); };
  }
};

TEST(DBGridFlow, ACallbackThatChangesTheDataAnswersWithTheGridsRows) {
  RegisterSessionLayer();
  SetAsMainForm<TGridForm>();
  test::TTempController controller;
  const auto set = [](const char* name) {
    return [name](TDataSet& d) {
      d.FieldByName("name").SetText(name);
      d.Post();
    };
  };
  const struct {
    const char* Name;
    std::function<void(TDataSet&)> Change;
    const char* Shown;  // in the grid's update; "" for no update of the grid
  } cases[] = {
      {"edit and post the current record", [&](TDataSet& d) { d.Edit(), set("Ada B.")(d); }, ">Ada B.<"},
      {"append a record", [&](TDataSet& d) { d.Append(), set("Bob")(d); }, ">Bob<"},
      {"a callback that leaves the data", [](TDataSet&) {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TGridForm::Change = c.Change;
    test::TPacketClient client;
    client.OpenMainForm();
    auto* form = dynamic_cast<TGridForm*>(SessionStore()->LookUp(client.Id())->GetActiveForm());
    const test::TParsedDocument answer(client.CallBack(*form, "BUTTON1.DoOnAsyncClick", {}).Content, false);
    ASSERT_TRUE(answer.Parsed());
    const std::string grid = "/response/update/control[@id='TBLGRID1']";
    ASSERT_EQ(answer.Count(grid), *c.Shown ? 1 : 0);
    if (*c.Shown) {
      EXPECT_NE(answer.Value(grid + "/innerhtml").find(c.Shown), std::string::npos);
    }
  }
  TGridForm::Change = nullptr;
}

// A grid, a navigator showing First and Next, a grid of 2 x 2 cells, a label, and a button whose click fails.
class TRefusingForm : public TKXForm {
  KX_COMPONENT_CLASS(TRefusingForm, TKXForm)

 protected:
  void BuildComponents() override {
    auto* source = OneRecordSource(this);
    test::AddControl<TKXDBGrid>(this, this, "Grid1", 10, 10, 300, 120)->SetDataSource(source);
    auto* navigator = test::AddControl<TKXDBNavigator>(this, this, "Nav1", 10, 140, 250, 28);
    navigator->SetDataSource(source);
    navigator->SetVisibleButtons({nbFirst, nbNext});
    auto* cells = test::AddControl<TKXGrid>(this, this, "Cells1", 10, 180, 200, 60);
    cells->SetColumnCount(2);
    cells->SetRowCount(2);
    test::AddControl<TKXLabel>(this, this, "Label1", 10, 250, 100, 20);
    test::AddControl<TKXButton>(this, this, "Button1", 10, 280, 75, 25)->OnClick = [](TObject*) {
      throw Exception("The click failed on purpose.");
    };
  }
};

std::vector<std::string> gLines;

// A posted action of a control the page does not offer, a navigator button it does not show, a grid index outside
// the grid: each wrote a report with its stack, and a visitor's real fault at that place was then only counted.
TEST(DBGridFlow, ASubmitThePageCannotHaveSentIsAWarningWithoutAReport) {
  RegisterSessionLayer();
  SetAsMainForm<TRefusingForm>();
  test::TTempController controller([](TKXServerControllerBase& c) {
    c.ExceptionLogger()->SetFilePath(test::TTempController::Folder() + "ErrorLog");
    c.ExceptionLogger()->SetEnabled(true);
  });
  gErrorLogProcedure = [](const std::string& line) { gLines.push_back(line); };
  const struct {
    const char* Action;
    const char* Param;
    const char* Line;  // what the operator's line says after the path
    bool Report;
  } rows[] = {
      {"NOSUCH", "", "warning .*: EKXSubmitRefused: Cannot find submit component\\.", false},
      {"LABEL1", "", "warning .*: EKXSubmitRefused: Submit control \\(LABEL1\\) does not have a handler\\.", false},
      {"NAV1", "Jump", "warning .*: EKXSubmitRefused: Jump is not a valid response\\.", false},
      {"NAV1", "Last", "warning .*: EKXSubmitRefused: Last is not a valid response\\.", false},  // not shown
      {"GRID1", "C7", "warning .*: EKXSubmitRefused: Index out of bounds\\.", false},
      {"CELLS1", "2_0", "warning .*: EKXSubmitRefused: Index out of bounds\\.", false},
      {"BUTTON1", "", "error .*: Exception: The click failed on purpose\\.", true},  // a fault is still reported
  };
  test::TPacketClient client;
  client.OpenMainForm();
  const std::string folder = test::TTempController::Folder() + "ErrorLog";
  const auto reports = [&folder] {
    std::error_code error;
    return std::distance(std::filesystem::directory_iterator(folder, error), std::filesystem::directory_iterator());
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.Action) + " " + row.Param);
    gLines.clear();
    const auto before = reports();
    auto* form = dynamic_cast<TRefusingForm*>(SessionStore()->LookUp(client.Id())->GetActiveForm());
    ASSERT_NE(form, nullptr);
    client.SubmitForm(*form, row.Action, {std::string("KX_ActionParam=") + row.Param});
    ASSERT_EQ(gLines.size(), 1u);
    EXPECT_TRUE(std::regex_search(gLines[0], std::regex(std::string(" ") + row.Line + "(\n|$)"))) << gLines[0];
    EXPECT_EQ(reports() - before, row.Report ? 1 : 0);
  }
  gErrorLogProcedure = nullptr;
}

}  // namespace
}  // namespace kx
