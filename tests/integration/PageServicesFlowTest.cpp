// Images, the tree view, the progress bar and the page services through the entry point: a dynamic image written
// into the form's cache and clicked at a position, a tree whose expansion comes back with the post, a timer whose
// callbacks move a progress bar, an AJAX notifier and a modal window opened and closed by callbacks.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/images/Images.h"
#include "kx/controls/pageservices/PageServices.h"
#include "kx/controls/progress/Progress.h"
#include "kx/controls/tree/TreeView.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/Forms.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {

class TServicesForm : public TKXForm {
  KX_COMPONENT_CLASS(TServicesForm, TKXForm)

 public:
  TKXImage* Image1 = nullptr;
  TKXTreeView* Tree1 = nullptr;
  TKXProgressBar* Bar1 = nullptr;
  TKXTimer* Timer1 = nullptr;
  TKXAJAXNotifier* Notifier1 = nullptr;
  TKXModalWindow* Modal1 = nullptr;
  TKXButton* Button1 = nullptr;
  std::string Clicked;
  int Notified = 0;
  int Closed = 0;

  void Draw(int width) {
    TBitmap bitmap;
    bitmap.SetSize(width, 10);
    Image1->Picture().SetGraphic(&bitmap);
  }

 protected:
  void BuildComponents() override {
    Image1 = test::AddControl<TKXImage>(this, this, "Image1", 10, 10, 40, 10);
    Draw(40);
    Image1->SetOnMouseDown([this](TObject*, std::int32_t x, std::int32_t y) {
      Clicked = std::to_string(x) + "/" + std::to_string(y);
    });
    Tree1 = test::AddControl<TKXTreeView>(this, this, "Tree1", 10, 40, 200, 200);
    TKXTreeViewItem* docs = Tree1->Items().Add(nullptr);
    Tree1->Items().Add(docs);
    Tree1->Items().Add(nullptr);
    Bar1 = test::AddControl<TKXProgressBar>(this, this, "Bar1", 10, 250, 225, 17);
    Bar1->SetShowText(true);
    Timer1 = TComponent::Create<TKXTimer>(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(200);
    Timer1->OnAsyncTimer = [this](TObject*, TStrings&) {
      Bar1->SetPercent(Bar1->Percent() + 25);
      if (Bar1->Percent() == 100) Timer1->SetEnabled(false);
    };
    Notifier1 = TComponent::Create<TKXAJAXNotifier>(this);
    Notifier1->SetName("Notifier1");
    Notifier1->OnNotify = [this](TObject*) { ++Notified; };
    Modal1 = TComponent::Create<TKXModalWindow>(this);
    Modal1->SetName("Modal1");
    Modal1->SetTitle("Question");
    Modal1->OnAsyncClose = [this](TObject*, TStrings&) { ++Closed; };
    Button1 = test::AddControl<TKXButton>(this, this, "Button1", 10, 280, 75, 25);
    Button1->OnAsyncClick = [this](TObject*, TStrings&) {
      Notifier1->Notify();
      Modal1->Show();
    };
  }
};

using TParsed = test::TParsedDocument;

class PageServicesFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSessionLayer();
    SetAsMainForm<TServicesForm>();
    mController = std::make_unique<test::TTempController>([this](TKXServerControllerBase& controller) {
      controller.OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
    });
    mPage = mClient.OpenMainForm();
  }
  void TearDown() override { mController.reset(); }

  TServicesForm* Form() const {
    TKXApplication* session = SessionStore()->LookUp(mClient.Id());
    return session ? dynamic_cast<TServicesForm*>(session->GetActiveForm()) : nullptr;
  }
  TReplyPacket Submit(const std::string& action, const std::string& param, std::vector<std::string> fields = {}) {
    fields.insert(fields.end(), {"KX_FormID_=" + Form()->FormId(), "KX_Action=" + action, "KX_ActionParam=" + param,
                                 "KX_SessionID_=" + mClient.Id(), "KX_TrackID_=" + mClient.Track()});
    return mClient.Send("POST", "/$/", "", fields);
  }
  TReplyPacket CallBack(const std::string& name, std::vector<std::string> fields = {}) {
    fields.insert(fields.end(), {"KX_SessionID_=" + mClient.Id(), "KX_FormID_=" + Form()->FormId()});
    return mClient.Send("POST", "/$/callback", "callback=" + name + "&KX_AjaxID=1_1&KX_TrackID_=" + mClient.Track(),
                        fields);
  }
  static std::string Scripts(const TParsed& answer) {
    std::string text;
    for (int i = 1; i <= answer.Count("/response/execute/literal"); ++i)
      text += answer.Value("/response/execute/literal[" + std::to_string(i) + "]") + "\n";
    return text;
  }

  std::unique_ptr<test::TTempController> mController;
  std::vector<std::string> mErrors;
  test::TPacketClient mClient;
  TReplyPacket mPage;
};

TEST_F(PageServicesFlowTest, DynamicImageIsServedFromTheFormsCacheOncePerPicture) {
  ASSERT_EQ(mPage.Code, 200) << mPage.Content;
  TParsed page(mPage.Content, true);
  const std::string src = page.Value("//img[@id='IMAGE1']/@src");
  ASSERT_FALSE(src.empty()) << mPage.Content;
  EXPECT_EQ(page.Value("//img[@id='IMAGE1']/@name"), "IMAGE1");
  EXPECT_EQ(page.Count("/html/head/script[contains(@src, 'KXImage')]"), 1);
  EXPECT_NE(page.Value("/html/head/script[not(@src)]").find("return ImageClick(this.name,event,true, '');"),
            std::string::npos);
  TReplyPacket image = mClient.Send("GET", src, "", {});
  EXPECT_EQ(image.Code, 200);
  EXPECT_EQ(image.DataType, rtCacheFile);
  std::ifstream file(image.FileName, std::ios::binary);
  std::string head(4, '\0');
  file.read(head.data(), 4);
  EXPECT_EQ(head, "\x89PNG");
  // Rendered again without a change: the same file. A new picture: a new file.
  EXPECT_EQ(TParsed(Submit("IMAGE1", "3,4").Content, true).Value("//img[@id='IMAGE1']/@src"), src);
  EXPECT_EQ(Form()->Clicked, "3/4");
  Form()->Draw(30);
  EXPECT_NE(TParsed(Submit("IMAGE1", "15,20").Content, true).Value("//img[@id='IMAGE1']/@src"), src);
  EXPECT_EQ(Form()->Clicked, "15/20");
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

TEST_F(PageServicesFlowTest, ClickPositionWithoutACommaIsReportedAndChangesNothing) {
  ASSERT_NE(Form(), nullptr);
  Submit("IMAGE1", "15");
  ASSERT_EQ(mErrors.size(), 1u);
  EXPECT_EQ(mErrors.front(), "'' is not a valid integer value");
  EXPECT_EQ(Form()->Clicked, "");
}

TEST_F(PageServicesFlowTest, TreeExpansionComesBackWithThePost) {
  TParsed page(mPage.Content, true);
  EXPECT_EQ(page.Count("//form[@name='SubmitForm']/input[@name='TREE1status']"), 1);
  EXPECT_EQ(page.Value("//div[@id='TREE1']/input[@name='TREE1status']/@value"), "%2ci1%2c%2ci2%2c%2ci3%2c");
  TReplyPacket reply = Submit("TREE1", "i3", {"TREE1status=%2ci2%2c"});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  TKXTreeViewItems& items = Form()->Tree1->Items();
  EXPECT_FALSE(items.Items(0)->Expanded());
  EXPECT_TRUE(items.Items(1)->Expanded());
  EXPECT_EQ(Form()->Tree1->TreeViewItem(), items.Items(2));
  // The next page shows the state the browser posted.
  TParsed next(reply.Content, true);
  EXPECT_EQ(next.Value("//input[@name='TREE1status']/@value"), "%2ci2%2c");
  EXPECT_EQ(next.Value("//span[@id='TREE1_i2']/@style"), "visibility:hidden; display:none;");
}

TEST_F(PageServicesFlowTest, TimerCallbacksMoveTheBarAndRearmTheTimer) {
  TParsed page(mPage.Content, true);
  EXPECT_NE(page.Value("/html/head/script[not(@src)]").find("KX.setTimer(\"TIMER1\", true, 200, true);"),
            std::string::npos);
  EXPECT_EQ(page.Count("/html/head/script[contains(@src, 'KXPageServices')]"), 1);
  for (int tick = 1; tick <= 4; ++tick) {
    SCOPED_TRACE(tick);
    TReplyPacket reply = CallBack("TIMER1.DoOnAsyncTimer");
    TParsed answer(reply.Content, false);
    ASSERT_TRUE(answer.Parsed()) << reply.Content;
    const std::string percent = std::to_string(tick * 25) + "%";
    EXPECT_EQ(answer.Value("/response/update/control[@id='BAR1_C1']/style/attribute[@name='width']"), percent);
    EXPECT_EQ(answer.Value("/response/update/control[@id='BAR1_TEXT']/innerhtml"), percent);
    EXPECT_EQ(answer.Value("/response/update/control[@id='BAR1']/@type"), "KXPROGRESSBAR");
    EXPECT_NE(Scripts(answer).find(tick < 4 ? "KX.setTimer(\"TIMER1\", true, 200, true);"
                                            : "KX.setTimer(\"TIMER1\", false);"),
              std::string::npos)
        << Scripts(answer);
  }
  // Stopped: a late tick changes nothing.
  CallBack("TIMER1.DoOnAsyncTimer");
  EXPECT_EQ(Form()->Bar1->Percent(), 100);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

TEST_F(PageServicesFlowTest, NotifierAndModalWindowWorkThroughCallbacks) {
  TParsed answer(CallBack("BUTTON1.DoOnAsyncClick").Content, false);
  ASSERT_TRUE(answer.Parsed());
  const std::string scripts = Scripts(answer);
  EXPECT_NE(scripts.find("ajaxNotify(\"NOTIFIER1.DoOnNotify\");"), std::string::npos) << scripts;
  EXPECT_NE(scripts.find("var x = new KXModalWindow({\"title\": \"Question\", "), std::string::npos) << scripts;
  EXPECT_NE(scripts.find("\"closeCallback\": \"MODAL1.DoOnAsyncClose\""), std::string::npos);
  EXPECT_EQ(Form()->Notified, 0);
  // The browser's second callback; it asks for no third.
  TParsed second(CallBack("NOTIFIER1.DoOnNotify").Content, false);
  EXPECT_EQ(Form()->Notified, 1);
  EXPECT_EQ(Scripts(second).find("ajaxNotify"), std::string::npos);
  CallBack("NOTIFIER1.DoOnNotify");
  EXPECT_EQ(Form()->Notified, 1) << "one notification per Notify";
  CallBack("MODAL1.DoOnAsyncClose");
  EXPECT_EQ(Form()->Closed, 1);
  EXPECT_FALSE(Form()->Modal1->ShowPending());
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

}  // namespace
}  // namespace kx
