// The choice controls through the entry point: a form with a combo box, a list box, a check box, two radio buttons,
// a radio group, a time edit and an ordered list box. The page carries their scripts and fields; a full submit
// with the values the client scripts post (edge cases among them) sets them; a value the list box cannot read is
// reported as the page's error; a callback answers with the combo box's update and its enabled state.
#include "kx/controls/lists/Lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/checks/Checks.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/lists/OrderedListbox.h"
#include "kx/controls/timeedit/TimeEdit.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/Forms.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {

class TChoicesForm : public TKXForm {
  KX_COMPONENT_CLASS(TChoicesForm, TKXForm)

 public:
  TKXComboBox* Combo1 = nullptr;
  TKXListbox* List1 = nullptr;
  TKXCheckBox* Check1 = nullptr;
  TKXRadioButton* Radio1 = nullptr;
  TKXRadioButton* Radio2 = nullptr;
  TKXRadioGroup* Group1 = nullptr;
  TKXTimeEdit* Time1 = nullptr;
  TKXOrderedListbox* Order1 = nullptr;
  TKXButton* Button1 = nullptr;
  TKXButton* Button2 = nullptr;
  std::string Seen;

 protected:
  void BuildComponents() override {
    Combo1 = test::AddControl<TKXComboBox>(this, this, "Combo1", 10, 10, 121, 21);
    for (const char* item : {"a", "b", "c"}) Combo1->Items().Add(item);
    Combo1->OnChange = [this](TObject*) { Seen += "combo change;"; };
    List1 = test::AddControl<TKXListbox>(this, this, "List1", 10, 40, 121, 64);
    List1->SetMultiSelect(true);
    for (const char* item : {"x", "y", "z"}) List1->Items().Add(item);
    Check1 = test::AddControl<TKXCheckBox>(this, this, "Check1", 10, 110, 121, 21);
    Check1->OnChange = [this](TObject*) { Seen += "check change;"; };
    Radio1 = test::AddControl<TKXRadioButton>(this, this, "Radio1", 10, 140, 121, 21);
    Radio2 = test::AddControl<TKXRadioButton>(this, this, "Radio2", 140, 140, 121, 21);
    Radio1->SetChecked(true);
    Group1 = test::AddControl<TKXRadioGroup>(this, this, "Group1", 10, 170, 200, 60);
    for (const char* item : {"one", "two"}) Group1->Items().Add(item);
    Group1->OnClick = [this](TObject*) { Seen += "group click;"; };
    Time1 = test::AddControl<TKXTimeEdit>(this, this, "Time1", 10, 240, 121, 21);
    Order1 = test::AddControl<TKXOrderedListbox>(this, this, "Order1", 10, 270, 250, 100);
    for (const char* item : {"A=a", "B=b", "C=c"}) Order1->Items().Add(item);
    Button1 = test::AddControl<TKXButton>(this, this, "Button1", 10, 380, 75, 25);
    Button1->OnClick = [this](TObject*) { Seen += "click;"; };
    Button2 = test::AddControl<TKXButton>(this, this, "Button2", 100, 380, 75, 25);
    Button2->OnAsyncClick = [this](TObject*, TStrings&) {
      Combo1->SetItemIndex(2);
      Combo1->SetEnabled(false);
    };
  }
};

using TParsed = test::TParsedDocument;

class ChoicesFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSessionLayer();
    SetAsMainForm<TChoicesForm>();
    mController = std::make_unique<test::TTempController>([this](TKXServerControllerBase& controller) {
      controller.OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
    });
  }
  void TearDown() override { mController.reset(); }

  TChoicesForm* Form() const {
    TKXApplication* session = SessionStore()->LookUp(mClient.Id());
    return session ? dynamic_cast<TChoicesForm*>(session->GetActiveForm()) : nullptr;
  }

  TReplyPacket Submit(std::vector<std::string> fields) {
    for (std::string field : {"KX_FormName=ChoicesForm", "KX_FormClass=TChoicesForm", "KX_width=1024",
                              "KX_height=768", "KX_Action=BUTTON1", "KX_ActionParam="})
      fields.push_back(field);
    fields.push_back("KX_FormID_=" + Form()->FormId());
    fields.push_back("KX_SessionID_=" + mClient.Id());
    fields.push_back("KX_TrackID_=" + mClient.Track());
    return mClient.Send("POST", "/$/", "", fields);
  }

  std::unique_ptr<test::TTempController> mController;
  std::vector<std::string> mErrors;
  test::TPacketClient mClient;
};

TEST_F(ChoicesFlowTest, PageCarriesTheScriptsAndTheFields) {
  TReplyPacket reply = mClient.OpenMainForm();
  ASSERT_EQ(reply.Code, 200) << reply.Content;
  TParsed page(reply.Content, true);
  ASSERT_TRUE(page.Parsed());
  for (const char* script : {"KXChecks", "KXTimeEdit", "KXOrderedListbox"}) {
    SCOPED_TRACE(script);
    EXPECT_EQ(page.Count(std::string("/html/head/script[contains(@src, '") + script + "')]"), 1);
  }
  for (const char* field : {"COMBO1", "LIST1", "CHECK1_CHECKBOX", "RADIO1_INPUT", "RADIO2_INPUT", "GROUP1_INPUT",
                            "TIME1", "ORDER1_VALUE"}) {
    SCOPED_TRACE(field);
    EXPECT_EQ(page.Count(std::string("//form[@name='SubmitForm']/input[@name='") + field + "']"), 1);
  }
  EXPECT_EQ(page.Count("//select[@id='COMBO1']/option"), 4);
  EXPECT_EQ(page.Value("//input[@id='RADIO1_INPUT']/@name"), "no group");
  const std::string script = page.Value("/html/head/script[not(@src)]");
  EXPECT_NE(script.find("radioButtonSync('no group');"), std::string::npos);
  EXPECT_NE(script.find("if(!ValidateTimeEdit(\"TIME1\"))"), std::string::npos) << script;
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

TEST_F(ChoicesFlowTest, FullSubmitTakesEveryValue) {
  mClient.OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  TReplyPacket reply = Submit({"COMBO1=1", "LIST1=0,2", "CHECK1_CHECKBOX=on", "RADIO1_INPUT=Radio2",
                               "RADIO2_INPUT=Radio2", "GROUP1_INPUT=1", "TIME1=1:15", "ORDER1_VALUE=c;*a"});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  TChoicesForm* form = Form();
  EXPECT_EQ(form->Combo1->ItemIndex(), 1);
  EXPECT_TRUE(form->List1->GetSelected(0) && !form->List1->GetSelected(1) && form->List1->GetSelected(2));
  EXPECT_TRUE(form->Check1->Checked());
  EXPECT_FALSE(form->Radio1->Checked());
  EXPECT_TRUE(form->Radio2->Checked());
  EXPECT_EQ(form->Group1->ItemIndex(), 1);
  EXPECT_EQ(form->Time1->Minutes(), 75);
  EXPECT_EQ(form->Order1->Items().Text(), "C=c\r\nA=a\r\nB=b\r\n");
  EXPECT_EQ(form->Order1->ItemIndex(), 1);
  // Outside a callback the combo's new index fires no OnChange; the check box's and the group's events follow
  // the posted values, the click comes last.
  EXPECT_EQ(form->Seen, "check change;group click;click;");

  TParsed page(reply.Content, true);
  EXPECT_EQ(page.Value("//select[@id='COMBO1']/option[@selected]"), "b");
  EXPECT_EQ(page.Count("//input[@id='RADIO2_INPUT'][@checked]"), 1);
}

// A value the control cannot hold changes nothing and the page still comes; a list entry that is not a number is
// the platform's conversion error, reported as the page's failure.
TEST_F(ChoicesFlowTest, ValuesTheControlsCannotHold) {
  mClient.OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  TReplyPacket reply = Submit({"COMBO1=-5", "TIME1=soon", "ORDER1_VALUE=zz"});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  EXPECT_EQ(Form()->Order1->Items().Count(), 3);
  EXPECT_TRUE(TParsed(reply.Content, true).Parsed());

  Submit({"LIST1=1,b"});
  ASSERT_EQ(mErrors.size(), 1u);
  EXPECT_NE(mErrors.front().find("List1"), std::string::npos) << mErrors.front();
}

TEST_F(ChoicesFlowTest, CallbackSendsTheComboAndItsEnabledState) {
  mClient.OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  TReplyPacket reply = mClient.Send(
      "POST", "/$/callback", "callback=BUTTON2.DoOnAsyncClick&KX_AjaxID=1_1&KX_TrackID_=" + mClient.Track(),
      {"KX_SessionID_=" + mClient.Id(), "KX_FormID_=" + Form()->FormId()});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  TParsed answer(reply.Content, false);
  ASSERT_TRUE(answer.Parsed()) << reply.Content;
  const std::string combo = "/response/update/control[@id='COMBO1']";
  EXPECT_EQ(answer.Value(combo + "/@type"), "KXCOMBOBOX");
  EXPECT_EQ(answer.Value(combo + "/items/item[@selected='true']/@value"), "2");
  EXPECT_NE(answer.Value("/response/execute").find("setEnabled(\"COMBO1\",false);"), std::string::npos)
      << reply.Content;
  EXPECT_EQ(Form()->Seen, "combo change;") << "a new index during a callback fires OnChange";
}

}  // namespace
}  // namespace kx
