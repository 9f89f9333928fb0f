// The grid and the calendar through the entry point: a main form with a grid whose cells hold an edit and a
// clickable text, a calendar, and a button that changes both by callback. The page is parsed with libxml2's
// HTML parser, the callback answer with its XML parser; the values posted are those the client scripts post.
#include "kx/controls/grids/Grids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/calendar/Calendar.h"
#include "kx/controls/edits/Edits.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/Forms.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {

class TGridsForm : public TKXForm {
  KX_COMPONENT_CLASS(TGridsForm, TKXForm)

 public:
  TKXGrid* Grid1 = nullptr;
  TKXEdit* Edit1 = nullptr;
  TKXCalendar* Calendar1 = nullptr;
  TKXButton* Button1 = nullptr;
  std::vector<std::string> Clicks;

 protected:
  void BuildComponents() override {
    Grid1 = test::AddControl<TKXGrid>(this, this, "Grid1", 10, 10, 400, 200);
    Grid1->SetColumnCount(3);
    Grid1->SetRowCount(3);
    Grid1->Cell(2, 0)->SetText("click");
    Grid1->Cell(2, 0)->SetClickable(true);
    Grid1->OnCellClick = [this](TObject*, std::int32_t row, std::int32_t column) {
      Clicks.push_back(std::to_string(row) + "," + std::to_string(column) + " " + Edit1->Text());
    };
    Edit1 = test::AddControl<TKXEdit>(this, this, "Edit1", 0, 0, 100, 21);
    Grid1->Cell(1, 1)->SetControl(Edit1);
    Calendar1 = test::AddControl<TKXCalendar>(this, this, "Calendar1", 420, 10, 300, 200);
    Calendar1->SetStartDate(EncodeDate(2024, 12, 1));
    Button1 = test::AddControl<TKXButton>(this, this, "Button1", 10, 220, 75, 25);
    Button1->OnAsyncClick = [this](TObject*, TStrings&) {
      Grid1->Cell(0, 2)->SetText("<i>raw</i> ]]> kept");
      Calendar1->GoNextMonth();
    };
  }
};

using TParsed = test::TParsedDocument;

class GridsFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSessionLayer();
    SetAsMainForm<TGridsForm>();
    mController = std::make_unique<test::TTempController>([this](TKXServerControllerBase& controller) {
      controller.OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
    });
  }
  void TearDown() override { mController.reset(); }

  TGridsForm* Form() const {
    TKXApplication* session = SessionStore()->LookUp(mClient.Id());
    return session ? dynamic_cast<TGridsForm*>(session->GetActiveForm()) : nullptr;
  }
  TReplyPacket Submit(const std::string& action, const std::string& param, const std::string& edit) {
    return mClient.Send("POST", "/$/", "",
                        {"EDIT1=" + edit, "KX_FormName=GridsForm", "KX_FormClass=TGridsForm",
                         "KX_FormID_=" + Form()->FormId(), "KX_Action=" + action, "KX_ActionParam=" + param,
                         "KX_SessionID_=" + mClient.Id(), "KX_TrackID_=" + mClient.Track()});
  }

  std::unique_ptr<test::TTempController> mController;
  std::vector<std::string> mErrors;
  test::TPacketClient mClient;
};

TEST_F(GridsFlowTest, PageHoldsTheEditInItsCellAndTheCalendarStyles) {
  TReplyPacket reply = mClient.OpenMainForm();
  ASSERT_EQ(reply.Code, 200) << reply.Content;
  TParsed page(reply.Content, true);
  EXPECT_EQ(page.Count("//div[@id='GRID1']/table[@id='TBLGRID1']/tr[2]/td[2]/input[@id='EDIT1']"), 1)
      << reply.Content;
  EXPECT_EQ(page.Count("//input[@id='EDIT1']"), 1);
  EXPECT_EQ(page.Count("//form[@name='SubmitForm']/input[@name='EDIT1']"), 1);
  EXPECT_EQ(page.Count("/html/head/script[contains(@src, '/KXGrid')]"), 1);
  EXPECT_EQ(page.Count("/html/head/script[contains(@src, '/KXCalendar')]"), 1);
  EXPECT_NE(page.Value("/html/head/style").find(".CALENDAR1_CS0{"), std::string::npos);
  EXPECT_EQ(page.Value("//table[@id='CALENDAR1']//table//td[2]"), "December 2024");
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

TEST_F(GridsFlowTest, SubmitsReachTheEditInTheGridTheCellClickAndTheCalendar) {
  mClient.OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  ASSERT_EQ(Submit("GRID1", "2_0", "typed <b>").Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  EXPECT_EQ(Form()->Clicks, (std::vector<std::string>{"2,0 typed <b>"}));
  TReplyPacket reply = Submit("CALENDAR1", "0_6", "typed <b>");
  ASSERT_EQ(reply.Code, 200);
  EXPECT_EQ(Form()->Calendar1->CurrentYear(), 2025);
  TParsed page(reply.Content, true);
  EXPECT_EQ(page.Value("//table[@id='CALENDAR1']//table//td[2]"), "January 2025");
  EXPECT_EQ(page.Value("//input[@id='EDIT1']/@value"), "typed <b>");
  // A forged cell outside the grid is refused without reaching the handler.
  Submit("GRID1", "7_0", "");
  EXPECT_EQ(Form()->Clicks.size(), 1u);
  EXPECT_EQ(mErrors.size(), 1u);
}

TEST_F(GridsFlowTest, CallbackSendsTheGridTableAndTheCalendarWithItsStyles) {
  mClient.OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  TReplyPacket reply =
      mClient.Send("POST", "/$/callback", "callback=BUTTON1.DoOnAsyncClick&KX_AjaxID=1_1&KX_TrackID_=" + mClient.Track(),
                   {"KX_SessionID_=" + mClient.Id(), "KX_FormID_=" + Form()->FormId()});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  TParsed answer(reply.Content, false);
  ASSERT_TRUE(answer.Parsed() && answer.Errors().empty()) << reply.Content;
  const std::string grid = "/response/update/control[@id='GRID1']";
  EXPECT_EQ(answer.Value(grid + "/@type"), "KXGRID");
  TParsed table("<html><body>" + answer.Value(grid + "/innerhtml") + "</body></html>", true);
  EXPECT_EQ(table.Value("//table[@id='TBLGRID1']/tr[1]/td[3]//i"), "raw");
  EXPECT_NE(table.Value("//table[@id='TBLGRID1']/tr[1]/td[3]").find("]]> kept"), std::string::npos);
  EXPECT_EQ(table.Count("//input[@id='EDIT1']"), 1);
  EXPECT_EQ(answer.Count("/response/update/control[@id='TBLGRID1'][@type='KXGRID']"), 1);
  const std::string calendar = "/response/update/control[@id='CALENDAR1']";
  EXPECT_EQ(answer.Value(calendar + "/@type"), "KXCALENDAR");
  TParsed month("<html><body>" + answer.Value(calendar + "/innerhtml") + "</body></html>", true);
  EXPECT_EQ(month.Value("//table[@id='CALENDAR1']//table//td[2]"), "January 2025");
  EXPECT_NE(answer.Value(calendar + "/cellstyles").find(".CALENDAR1_CS0{"), std::string::npos);
}

}  // namespace
}  // namespace kx
