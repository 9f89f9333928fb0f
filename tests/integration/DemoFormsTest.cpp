// The demo application's forms through the entry point, as the browser drives
// them: the main form's page, a full submit of BUTTON1, the callback of
// BUTTON2, the message of BUTTON3, and the second form reached with BUTTON4
// and left with BUTTONBACK. Pages are parsed with libxml2's HTML parser,
// callback answers with its XML parser.
#include "examples/demo/DemoForms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/appserver/CallBacks.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/RenderContexts.h"
#include "kx/foundation/HttpPackets.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {


using TDocument = test::TParsedDocument;

class DemoFormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSessionLayer();
    SetAsMainForm<TMainForm>();
    mController = std::make_unique<test::TTempController>([this](TKXServerControllerBase& controller) {
      controller.OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
    });
  }

  void TearDown() override {
    mController.reset();
  }

  TReplyPacket Send(const std::string& method, const std::string& path, const std::string& query,
                    const std::vector<std::string>& body) {
    return mClient.Send(method, path, query, body);
  }

  std::string Id() const { return mClient.Id(); }
  std::string Track() const { return mClient.Track(); }
  TComponent* ActiveForm() const {
    TKXApplication* session = SessionStore()->LookUp(Id());
    return session ? session->GetActiveForm() : nullptr;
  }
  TMainForm* MainForm() const { return dynamic_cast<TMainForm*>(ActiveForm()); }

  // A new session: the start page, the browser check, the start post and the main form's page.
  TReplyPacket OpenMainForm() { return mClient.OpenMainForm(); }

  // A full submit of the active form with action as the pressed button, as the client script posts it.
  TReplyPacket Submit(const std::string& action, std::vector<std::string> fields) {
    auto* form = dynamic_cast<TKXBaseForm*>(ActiveForm());
    if (form == nullptr) return TReplyPacket();
    for (const std::string& field :
         {"KX_FormName=" + form->Name(), "KX_FormClass=" + std::string(form->ClassName()),
          "KX_FormID_=" + form->FormId(), std::string("KX_width=1024"), std::string("KX_height=768"),
          "KX_Action=" + action, std::string("KX_ActionParam="), "KX_SessionID_=" + Id(), "KX_TrackID_=" + Track()})
      fields.push_back(field);
    return Send("POST", "/$/", "", fields);
  }

  std::unique_ptr<test::TTempController> mController;
  std::vector<std::string> mErrors;
  test::TPacketClient mClient;
};

TEST_F(DemoFormsTest, NewSessionShowsTheMainForm) {
  TReplyPacket reply = OpenMainForm();
  ASSERT_EQ(reply.Code, 200) << reply.Content;
  ASSERT_NE(MainForm(), nullptr);
  TDocument page(reply.Content, true);
  ASSERT_TRUE(page.Errors().empty()) << page.Errors().front() << "\n" << reply.Content;

  EXPECT_EQ(page.Value("/html/head/title"), "KXDemo");
  const std::string region = "//div[@id='REGION1']";
  EXPECT_EQ(page.Value(region + "//input[@id='EDIT1']/@value"), "Hello, world");
  EXPECT_EQ(page.Count(region + "//textarea[@id='MEMO1']"), 1);
  EXPECT_EQ(page.Value(region + "//span[@id='LABEL1']"), "The edit's text shows here.");
  const struct {
    const char* id;
    const char* caption;
  } buttons[] = {{"BUTTON1", "Submit"}, {"BUTTON2", "Callback"}, {"BUTTON3", "Message"}, {"BUTTON4", "Second form"}};
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.id);
    EXPECT_EQ(page.Value(std::string("//input[@id='") + button.id + "']/@value"), button.caption);
    EXPECT_EQ(page.Count(std::string("//div[@id='REGION1']//input[@id='") + button.id + "']"), 0);
  }
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

// An idle session keeps what its page showed only as names: the main form's context and the region's own context
// still find the controls (also by the dotted path through the region), but hold no rendered tags any more.
TEST_F(DemoFormsTest, TheSentPageLeavesOnlyNamesBehind) {
  OpenMainForm();
  TMainForm* form = MainForm();
  ASSERT_NE(form, nullptr);
  TKXContainerContext* page = form->ContainerContext();
  TKXContainerContext* region = form->REGION1->ContainerContext();
  ASSERT_NE(page, nullptr);
  ASSERT_NE(region, nullptr);
  const struct {
    TKXContainerContext* context;
    const char* name;
    TComponent* component;
  } names[] = {{page, "REGION1", form->REGION1}, {page, "BUTTON2", form->BUTTON2}, {page, "GALLERY1", nullptr},
               {page, "REGION1.EDIT1", form->EDIT1}, {region, "EDIT1", form->EDIT1}, {region, "label1", form->LABEL1}};
  for (const auto& n : names) {
    SCOPED_TRACE(n.name);
    if (n.component != nullptr) {
      EXPECT_EQ(n.context->GetControlInstance(n.name), n.component);
    }
    EXPECT_NE(n.context->GetControlInstance(n.name), nullptr);
    EXPECT_EQ(n.context->GetComponentContext(n.name), nullptr);
  }
  // A submit still finds its button by the name the page gave it.
  Submit("BUTTON1", {"EDIT1=after"});
  EXPECT_EQ(MainForm()->LABEL1->Caption(), "after");
}

TEST_F(DemoFormsTest, FullSubmitOfButton1CopiesTheEditIntoTheLabel) {
  OpenMainForm();
  ASSERT_NE(MainForm(), nullptr);
  TReplyPacket reply = Submit("BUTTON1", {"EDIT1=hello", "MEMO1=two\nlines"});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  ASSERT_NE(MainForm(), nullptr);
  EXPECT_EQ(MainForm()->LABEL1->Caption(), "hello");
  EXPECT_EQ(MainForm()->MEMO1->Lines().Count(), 2);

  TDocument page(reply.Content, true);
  ASSERT_TRUE(page.Errors().empty()) << page.Errors().front();
  EXPECT_EQ(page.Value("//span[@id='LABEL1']"), "hello");
  EXPECT_EQ(page.Value("//input[@id='EDIT1']/@value"), "hello");
}

TEST_F(DemoFormsTest, MarkupTypedIntoTheEditStaysText) {
  OpenMainForm();
  TReplyPacket reply = Submit("BUTTON1", {"EDIT1=<img src=x onerror=alert(1)>"});
  TDocument page(reply.Content, true);
  ASSERT_TRUE(page.Errors().empty()) << page.Errors().front();
  EXPECT_EQ(page.Value("//span[@id='LABEL1']"), "<img src=x onerror=alert(1)>");
  EXPECT_EQ(page.Count("//img[@onerror]"), 0);
}

TEST_F(DemoFormsTest, CallbackOfButton2UpdatesOnlyTheLabel) {
  OpenMainForm();
  ASSERT_NE(MainForm(), nullptr);
  // The callback posts the edit's value as the client script does.
  TReplyPacket reply = Send("POST", "/$/callback", "callback=BUTTON2.DoOnAsyncClick&KX_AjaxID=1_1&KX_TrackID_=" + Track(),
                            {"EDIT1=hello", "KX_SessionID_=" + Id(), "KX_FormID_=" + MainForm()->FormId()});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  TDocument answer(reply.Content, false);
  ASSERT_TRUE(answer.Parsed()) << reply.Content;
  // The form's own element carries its hidden fields; of the controls only the label changed.
  EXPECT_EQ(answer.Count("/response/update/control[@type!='KXFORM']"), 1) << reply.Content;
  EXPECT_EQ(answer.Value("/response/update/control[@id='LABEL1']/@type"), "KXLABEL");
  EXPECT_EQ(answer.Value("/response/update/control[@id='LABEL1']/innerhtml"), "hello");
  EXPECT_EQ(MainForm()->LABEL1->Caption(), "hello");
}

// A session holds a callback answer only while it makes one: none after its pages, none once an answer is sent, and
// each callback after that still answers in full.
TEST_F(DemoFormsTest, CallbackAnswerIsHeldOnlyWhileACallbackRuns) {
  OpenMainForm();
  TKXApplication* session = SessionStore()->LookUp(Id());
  ASSERT_NE(session, nullptr);
  auto* response = dynamic_cast<TKXCallBackResponse*>(session->CallBackResponse());
  ASSERT_NE(response, nullptr);
  EXPECT_FALSE(response->HasDocument());
  for (const char* text : {"first", "second"}) {
    SCOPED_TRACE(text);
    TReplyPacket reply =
        Send("POST", "/$/callback", "callback=BUTTON2.DoOnAsyncClick&KX_AjaxID=1_1&KX_TrackID_=" + Track(),
             {std::string("EDIT1=") + text, "KX_SessionID_=" + Id(), "KX_FormID_=" + MainForm()->FormId()});
    ASSERT_EQ(reply.Code, 200);
    TDocument answer(reply.Content, false);
    ASSERT_TRUE(answer.Parsed()) << reply.Content;
    EXPECT_EQ(answer.Value("/response/update/control[@id='LABEL1']/innerhtml"), text);
    EXPECT_EQ(answer.Value("/response/trackid"), Track());
    EXPECT_EQ(answer.Count("/response/submit"), 1);
    EXPECT_FALSE(response->HasDocument());
  }
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

TEST_F(DemoFormsTest, Button3ShowsAMessageBoxWithTheEditsText) {
  OpenMainForm();
  TReplyPacket reply = Submit("BUTTON3", {"EDIT1=it's \"quoted\""});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  TDocument page(reply.Content, true);
  ASSERT_TRUE(page.Errors().empty()) << page.Errors().front();
  const std::string script = page.Value("/html/head/script[not(@src)]");
  // The quotes are escaped for the script string.
  EXPECT_NE(script.find("window.alert(\"Hello from the server: it\\x27s \\x22quoted\\x22\");"), std::string::npos)
      << script;
  EXPECT_NE(MainForm(), nullptr);  // the main form stays
}

TEST_F(DemoFormsTest, Button4ShowsTheSecondFormAndButtonBackReturns) {
  OpenMainForm();
  TMainForm* main = MainForm();
  ASSERT_NE(main, nullptr);
  TReplyPacket reply = Submit("BUTTON4", {"EDIT1=kept"});
  ASSERT_EQ(reply.Code, 200);
  auto* second = dynamic_cast<TSecondForm*>(ActiveForm());
  ASSERT_NE(second, nullptr);
  {
    TDocument page(reply.Content, true);
    ASSERT_TRUE(page.Errors().empty()) << page.Errors().front();
    EXPECT_EQ(page.Value("//span[@id='LABEL1']"), "This is the second form.");
    EXPECT_EQ(page.Value("//input[@id='BUTTONBACK']/@value"), "Back");
    EXPECT_EQ(page.Count("//input[@id='EDIT1']"), 0);
  }

  reply = Submit("BUTTONBACK", {});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  EXPECT_EQ(MainForm(), main);
  TDocument page(reply.Content, true);
  ASSERT_TRUE(page.Errors().empty()) << page.Errors().front();
  EXPECT_EQ(page.Value("//input[@id='EDIT1']/@value"), "kept");
  EXPECT_EQ(page.Count("//input[@id='BUTTONBACK']"), 0);
}

}  // namespace
}  // namespace kx
