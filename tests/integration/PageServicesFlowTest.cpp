// Images and page services through the entry point: a dynamic image written into the form's cache and clicked at
// a position, an AJAX notifier and a modal window opened and closed by callbacks. (The tree's posted expansion and
// the timer that moves a progress bar run in the browser tests.)
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
  TKXAJAXNotifier* Notifier1 = nullptr;
  TKXModalWindow* Modal1 = nullptr;
  TKXButton* Button1 = nullptr;
  TKXTimer* Timer1 = nullptr;
  std::string Clicked;
  int Ticks = 0;
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
    Timer1 = TComponent::Create<TKXTimer>(this);
    Timer1->SetName("Timer1");
    Timer1->OnTimer = [this](TObject*) { ++Ticks; };
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
  // A position without a comma is reported as the page's error and changes nothing.
  Submit("IMAGE1", "7");
  ASSERT_EQ(mErrors.size(), 1u);
  EXPECT_EQ(mErrors.front(), "'' is not a valid integer value");
  EXPECT_EQ(Form()->Clicked, "15/20");
}



TEST_F(PageServicesFlowTest, SubmittingTimerIsTheActionOfItsTick) {
  EXPECT_NE(TParsed(mPage.Content, true).Value("/html/head/script[not(@src)]").find(
                "KX.setTimer(\"TIMER1\", true, 1000, false);"),
            std::string::npos);
  EXPECT_EQ(Submit("TIMER1", "").Code, 200);
  EXPECT_EQ(Form()->Ticks, 1);
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
