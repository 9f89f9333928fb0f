// The first controls through the entry point: a main form with a region
// (splitter at its bottom edge) holding an edit, a memo and a label, and two
// buttons, one submitting, one calling back. The page is parsed with
// libxml2's HTML parser, the callback answer with its XML parser; the values
// posted are those the client scripts post. Hostile texts come back as the
// same text, never as markup.
#include "kx/controls/regions/Regions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/appserver/CallBacks.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/HttpPackets.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {

constexpr const char* kHostile = "<script>alert('x')</script> & \"q\" ]]>";

class TControlsForm : public TKXForm {
  KX_COMPONENT_CLASS(TControlsForm, TKXForm)

 public:
  TKXRegion* Region1 = nullptr;
  TKXEdit* Edit1 = nullptr;
  TKXMemo* Memo1 = nullptr;
  TKXLabel* Label1 = nullptr;
  TKXButton* Button1 = nullptr;
  TKXButton* Button2 = nullptr;

 protected:
  void BuildComponents() override {
    Region1 = test::AddControl<TKXRegion>(this, this, "Region1", 0, 0, 800, 200);
    Region1->SetAlign(alTop);
    Region1->SetSplitter(true);
    Edit1 = test::AddControl<TKXEdit>(this, Region1, "Edit1", 10, 10, 121, 21);
    Edit1->SetMaxLength(40);
    Edit1->SetRequired(true);
    Edit1->SetText(kHostile);
    Memo1 = test::AddControl<TKXMemo>(this, Region1, "Memo1", 10, 40, 200, 80);
    Label1 = test::AddControl<TKXLabel>(this, Region1, "Label1", 10, 130, 300, 21);
    Label1->SetCaption(kHostile);
    Label1->SetHint(kHostile);
    Button1 = test::AddControl<TKXButton>(this, this, "Button1", 10, 210, 75, 25);
    Button1->SetCaption(kHostile);
    Button1->OnClick = [this](TObject*) { Label1->SetCaption("Hello " + Edit1->Text()); };
    Button2 = test::AddControl<TKXButton>(this, this, "Button2", 100, 210, 75, 25);
    Button2->SetCaption("Async");
    Button2->OnAsyncClick = [this](TObject*, TStrings&) { Label1->SetCaption("Async " + Edit1->Text()); };
  }
};

using TParsed = test::TParsedDocument;

class ControlsFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSessionLayer();
    SetAsMainForm<TControlsForm>();
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
  TControlsForm* Form() const {
    TKXApplication* session = SessionStore()->LookUp(Id());
    return session ? dynamic_cast<TControlsForm*>(session->GetActiveForm()) : nullptr;
  }

  TReplyPacket OpenMainForm() { return mClient.OpenMainForm(); }

  std::unique_ptr<test::TTempController> mController;
  std::vector<std::string> mErrors;
  test::TPacketClient mClient;
};

TEST_F(ControlsFlowTest, PageHoldsTheControlsWithTheirTextsEscaped) {
  TReplyPacket reply = OpenMainForm();
  ASSERT_EQ(reply.Code, 200) << reply.Content;
  ASSERT_NE(Form(), nullptr);
  TParsed page(reply.Content, true);
  ASSERT_TRUE(page.Errors().empty()) << page.Errors().front() << "\n" << reply.Content;

  // The region's DIV holds the splitter, the edit, the memo and the label.
  const std::string region = "//div[@id='REGION1']";
  EXPECT_EQ(page.Value(region + "/@class"), "REGION1CSS KXCLIPCONTROL");
  EXPECT_EQ(page.Value(region + "/form/input[@id='REGION1_data']/@value"), "0,200");
  EXPECT_EQ(page.Value(region + "/div[@id='REGION1_grip']/@onmousedown"), "return GripMouseDown(event,'bottom')");
  EXPECT_EQ(page.Value(region + "//input[@id='EDIT1']/@value"), kHostile);
  EXPECT_EQ(page.Value(region + "//input[@id='EDIT1']/@maxlength"), "40");
  EXPECT_EQ(page.Count(region + "//textarea[@id='MEMO1']"), 1);
  EXPECT_EQ(page.Value(region + "//span[@id='LABEL1']"), kHostile);
  EXPECT_EQ(page.Value(region + "//span[@id='LABEL1']/@title"), kHostile);
  EXPECT_EQ(page.Count("//script[contains(., \"alert('x')\")]"), 0);
  EXPECT_EQ(reply.Content.find("<script>alert"), std::string::npos);
  // The buttons: the submitting one with its click script, the other with the callback's default handler.
  EXPECT_EQ(page.Value("//input[@id='BUTTON1']/@value"), kHostile);
  EXPECT_EQ(page.Value("//input[@id='BUTTON1']/@type"), "button");
  const std::string script = page.Value("/html/head/script[not(@src)]");
  EXPECT_NE(script.find("function BUTTON1_onclick(event) {\r\nreturn SubmitClickConfirm('BUTTON1','', true, '');"),
            std::string::npos)
      << script;
  EXPECT_NE(script.find("BUTTON2KXCL.HookDefaultHandlers(\"OnClick\");"), std::string::npos);
  EXPECT_NE(script.find("KX.initKXCL(REGION1KXCL,\"EDIT1\",true);"), std::string::npos);
  EXPECT_NE(script.find("if(EDIT1KXCL != null && EDIT1KXCL.value.length==0)"), std::string::npos);
  EXPECT_NE(script.find("window.alert(\"Edit1 is a required field.\");"), std::string::npos);
  // The splitter's script and every posting field in the post form.
  EXPECT_EQ(page.Count("/html/head/script[contains(@src, 'KXSplitter')]"), 1);
  for (const char* field : {"EDIT1", "MEMO1", "REGION1_data", "BUTTON1", "BUTTON2"}) {
    SCOPED_TRACE(field);
    EXPECT_EQ(page.Count(std::string("//form[@name='SubmitForm']/input[@name='") + field + "']"), 1);
  }
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

TEST_F(ControlsFlowTest, FullSubmitTakesTheValuesAndRunsTheClick) {
  OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  TReplyPacket reply =
      Send("POST", "/$/", "",
           {"EDIT1=World <b>", "MEMO1=line 1\nline <2>\n", "REGION1_data=0,150", "BUTTON1=", "BUTTON2=",
            "KX_FormName=ControlsForm", "KX_FormClass=TControlsForm", "KX_FormID_=" + Form()->FormId(),
            "KX_width=1024", "KX_height=768", "KX_Action=BUTTON1", "KX_ActionParam=", "KX_SessionID_=" + Id(),
            "KX_TrackID_=" + Track()});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  TControlsForm* form = Form();
  EXPECT_EQ(form->Edit1->Text(), "World <b>");
  EXPECT_EQ(form->Memo1->Lines().Count(), 2);
  EXPECT_EQ(form->Memo1->Lines().Strings(1), "line <2>");
  EXPECT_EQ(form->Region1->Height(), 150);
  EXPECT_EQ(form->Label1->Caption(), "Hello World <b>");
  EXPECT_EQ(form->Button1->GetSubmitParam(), "");

  TParsed page(reply.Content, true);
  ASSERT_TRUE(page.Errors().empty()) << page.Errors().front();
  EXPECT_EQ(page.Value("//span[@id='LABEL1']"), "Hello World <b>");
  EXPECT_EQ(page.Value("//textarea[@id='MEMO1']"), "line 1\r\nline <2>\r\n");
  EXPECT_EQ(page.Value("//input[@id='REGION1_data']/@value"), "0,150");
}

TEST_F(ControlsFlowTest, AsyncClickAnswersWithTheLabel) {
  OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  TReplyPacket reply = Send("POST", "/$/callback", "callback=BUTTON2.DoOnAsyncClick&KX_AjaxID=1_1&KX_TrackID_=" + Track(),
                            {"KX_SessionID_=" + Id(), "KX_FormID_=" + Form()->FormId()});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  TParsed answer(reply.Content, false);
  ASSERT_TRUE(answer.Parsed()) << reply.Content;
  const std::string label = "/response/update/control[@id='LABEL1']";
  EXPECT_EQ(answer.Value(label + "/@type"), "KXLABEL");
  // The innerHTML is markup: the text escaped once, "]]>" split so the CDATA section holds.
  EXPECT_EQ(answer.Value(label + "/innerhtml"),
            "Async &lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot; ]]&gt;");
  EXPECT_EQ(Form()->Label1->Caption(), std::string("Async ") + kHostile);
}

}  // namespace
}  // namespace kx
