// The data grid and the data-aware controls beside it through the entry point: a callback that changes the data
// set answers with the grid's rows as they are now, like the bound controls.
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
#include "kx/forms/Forms.h"
#include "support/FormTestControls.h"
#include "support/ParsedDocument.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {

class TGridForm : public TKXForm {
  KX_COMPONENT_CLASS(TGridForm, TKXForm)

 public:
  static inline std::function<void(TDataSet&)> Change;
  TMemDataSet* Data = nullptr;
  TKXDBGrid* Grid = nullptr;
  TKXDBEdit* Edit = nullptr;

 protected:
  void BuildComponents() override {
    Data = TComponent::Create<TMemDataSet>(this);
    Data->AddField("name", ftString, 20);
    Data->Open();
    Data->AddRecord({"Ada"});
    Data->AddRecord({"Bob"});
    auto* source = TComponent::Create<TDataSource>(this);
    source->SetDataSet(Data);
    Grid = test::AddControl<TKXDBGrid>(this, this, "Grid1", 10, 10, 300, 120);
    Grid->SetDataSource(source);
    Grid->SetCss("grid");
    Edit = test::AddControl<TKXDBEdit>(this, this, "Edit1", 10, 140, 200, 21);
    Edit->SetDataSource(source);
    Edit->SetDataField("name");
    auto* button = test::AddControl<TKXButton>(this, this, "Button1", 10, 170, 75, 25);
    button->OnAsyncClick = [this](TObject*, TStrings&) { Change(*Data); };
  }
};

class DBGridFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSessionLayer();
    SetAsMainForm<TGridForm>();
    mController = std::make_unique<test::TTempController>();
  }
  void TearDown() override {
    TGridForm::Change = nullptr;
    mController.reset();
  }
  TGridForm* Form() const {
    TKXApplication* session = SessionStore()->LookUp(mClient.Id());
    return session ? dynamic_cast<TGridForm*>(session->GetActiveForm()) : nullptr;
  }

  std::unique_ptr<test::TTempController> mController;
  test::TPacketClient mClient;
};

TEST_F(DBGridFlowTest, ACallbackThatChangesTheDataAnswersWithTheGridsRows) {
  const struct {
    const char* Name;
    std::function<void(TDataSet&)> Change;
    const char* Shown;  // in the grid's update; "" for no update of the grid
  } cases[] = {
      {"edit and post the current record",
       [](TDataSet& d) {
         d.Edit();
         d.FieldByName("name").SetText("Ada B.");
         d.Post();
       },
       ">Ada B.<"},
      {"append a record", [](TDataSet& d) {
         d.Append();
         d.FieldByName("name").SetText("Cy");
         d.Post();
       },
       ">Cy<"},
      {"a callback that leaves the data", [](TDataSet&) {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TGridForm::Change = c.Change;
    mClient = test::TPacketClient();
    mClient.OpenMainForm();
    ASSERT_NE(Form(), nullptr);
    const TReplyPacket reply = mClient.CallBack(*Form(), "BUTTON1.DoOnAsyncClick", {});
    ASSERT_EQ(reply.Code, 200);
    const test::TParsedDocument answer(reply.Content, false);
    ASSERT_TRUE(answer.Parsed()) << reply.Content;
    const std::string grid = "/response/update/control[@id='TBLGRID1']";
    ASSERT_EQ(answer.Count(grid), *c.Shown ? 1 : 0) << reply.Content;
    if (*c.Shown) {
      EXPECT_NE(answer.Value(grid + "/innerhtml").find(c.Shown), std::string::npos) << reply.Content;
    }
  }
}

}  // namespace
}  // namespace kx
