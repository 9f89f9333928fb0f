// The data grid through the entry point: a callback that changes its data set answers with the grid's rows, as it
// does with the bound edit beside it.
#include "kx/controls/dbgrid/DBGrid.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/dbcontrols/DBStdCtrls.h"
#include "kx/data/MemDataSet.h"
#include "kx/forms/FormTypes.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"
#include "support/ParsedDocument.h"

namespace kx {
namespace {

class TGridForm : public TKXForm {
  KX_COMPONENT_CLASS(TGridForm, TKXForm)

 public:
  static inline std::function<void(TDataSet&)> Change;

 protected:
  void BuildComponents() override {
    auto* data = TComponent::Create<TMemDataSet>(this);
    data->AddField("name", ftString, 20);
    data->Open();
    data->AddRecord({"Ada"});
    auto* source = TComponent::Create<TDataSource>(this);
    source->SetDataSet(data);
    test::AddControl<TKXDBGrid>(this, this, "Grid1", 10, 10, 300, 120)->SetDataSource(source);
    auto* edit = test::AddControl<TKXDBEdit>(this, this, "Edit1", 10, 140, 200, 21);
    edit->SetDataSource(source);
    edit->SetDataField("name");
    auto* button = test::AddControl<TKXButton>(this, this, "Button1", 10, 170, 75, 25);
    button->OnAsyncClick = [data](TObject*, TStrings&) { Change(*data); };
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

}  // namespace
}  // namespace kx
