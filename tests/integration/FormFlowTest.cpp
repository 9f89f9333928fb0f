// Form flows through the entry point: a small form of test controls is a new
// session's main form; its page is parsed with libxml2's HTML parser; full
// submits and callbacks are posted as the client scripts post them; the form
// id is checked; the track id stays the same in page, cookie and posts over
// more than 36 requests.
#include "kx/forms/FormTypes.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "kx/appserver/CallBacks.h"
#include "kx/appserver/ContentHandlers.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/Identifiers.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"
#include "support/ParsedDocument.h"

namespace kx {
namespace {

using test::AddControl;
using test::TFlowButton;
using test::TFlowEdit;
using test::TFlowLabel;
using test::TParsedDocument;

// The main form of the flows: an edit, a button that greets what the edit
// holds, a label it writes to, a label nothing changes, and a hidden field.
class TFlowForm : public TKXForm {
  KX_COMPONENT_CLASS(TFlowForm, TKXForm)

 public:
  static inline int Clicks = 0;
  static inline int Changes = 0;

  TFlowEdit* Edit1 = nullptr;
  TFlowButton* Button1 = nullptr;
  TFlowLabel* Label1 = nullptr;
  TFlowLabel* Label2 = nullptr;

 protected:
  void BuildComponents() override {
    SetTitle("Flow <test>");
    HiddenFields().Add("Secret=a&b ]]> \"q\"");
    Edit1 = AddControl<TFlowEdit>(this, this, "Edit1", 10, 10, 120, 24);
    Button1 = AddControl<TFlowButton>(this, this, "Button1", 140, 10, 75, 24);
    Label1 = AddControl<TFlowLabel>(this, this, "Label1", 10, 50, 200, 20);
    Label1->SetText("Waiting");
    Label2 = AddControl<TFlowLabel>(this, this, "Label2", 10, 80, 200, 20);
    Label2->SetText("Static");
    Button1->OnClick = [this](TObject*) {
      ++Clicks;
      Label1->SetText("Hello " + Edit1->Text());
    };
    Edit1->OnAsyncChange = [this](TObject*, TStrings&) {
      ++Changes;
      Label1->SetText("Typed " + Edit1->Text());
    };
  }
};

class TNextForm : public TKXForm {
  KX_COMPONENT_CLASS(TNextForm, TKXForm)

 protected:
  void BuildComponents() override { SetTitle("Next"); }
};

// A form with an edit of the main form's edit's name.
class TEditForm : public TKXForm {
  KX_COMPONENT_CLASS(TEditForm, TKXForm)

 public:
  TFlowEdit* Edit1 = nullptr;

 protected:
  void BuildComponents() override { Edit1 = AddControl<TFlowEdit>(this, this, "Edit1", 10, 10, 120, 24); }
};

class FormFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TFlowForm::Clicks = 0;
    TFlowForm::Changes = 0;
    RegisterSessionLayer();
    SetAsMainForm<TFlowForm>();
    mController = std::make_unique<test::TTempController>([this](TKXServerControllerBase& controller) {
      controller.SecurityOptions()->SetCheckFormId(true);
      controller.OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
      controller.OnBackButton = [this](TKXResyncInfo&) { ++mBackButtons; };
    });
  }

  void TearDown() override {
    mController.reset();
  }

  TKXApplication* Session() const { return SessionStore()->LookUp(mClient.Id()); }
  TFlowForm* Form() const { return dynamic_cast<TFlowForm*>(Session()->GetActiveForm()); }

  // New session, start page, start check, the start check's post, then the main form page.
  TReplyPacket OpenMainForm() {
    TReplyPacket start = mClient.Send("GET", "/", "", {});
    EXPECT_NE(start.Content.find("/$/StartCheck"), std::string::npos);
    TReplyPacket check = mClient.Send("GET", "/$/StartCheck", "KX_width=1024&KX_height=768", {});
    EXPECT_NE(check.Content.find("name=\"KX_TrackID_\" value=\"1\""), std::string::npos) << check.Content;
    TReplyPacket root = mClient.Send("POST", "/", "",
                                     {"KX_width=1024", "KX_height=768", "KX_SessionID_=" + mClient.Id(), "KX_TrackID_=1"});
    EXPECT_NE(root.Content.find("window.location.replace(\"/$/\")"), std::string::npos) << root.Content;
    return mClient.Send("GET", "/$/", "", {});
  }

  // The fields a full submit posts (KX.Form.submit): the controls' values, the hidden fields and the form's own fields.
  std::vector<std::string> SubmitFields(const std::string& action, const std::string& editValue,
                                        const std::string& formId) {
    return {"EDIT1=" + editValue, "Secret=kept", "KX_FormName=FlowForm", "KX_FormClass=TFlowForm",
            "KX_FormID_=" + formId, "KX_width=1024", "KX_height=768", "KX_Action=" + action, "KX_ActionParam=",
            "KX_SessionID_=" + mClient.Id(), "KX_TrackID_=" + mClient.Track()};
  }

  // A callback as KX.Ajax sends it: name, id and track id in the query; the sender's fields, session and form id in the body.
  TReplyPacket Callback(const std::string& name, const std::vector<std::string>& senderFields) {
    std::vector<std::string> body = senderFields;
    body.push_back("KX_SessionID_=" + mClient.Id());
    body.push_back("KX_FormID_=" + Form()->FormId());
    return mClient.Send("POST", "/$/callback", "callback=" + name + "&KX_AjaxID=1_1&KX_TrackID_=" + mClient.Track(),
                        body);
  }

  static std::string Global(const std::string& page, const std::string& name) {
    std::smatch match;
    if (!std::regex_search(page, match, std::regex("var " + name + "=([^;\\r\\n]*);"))) return "<missing>";
    return match[1];
  }

  std::unique_ptr<test::TTempController> mController;
  std::vector<std::string> mErrors;
  int mBackButtons = 0;
  test::TPacketClient mClient;
};

TEST_F(FormFlowTest, NewSessionEndsOnTheMainFormPage) {
  TReplyPacket reply = OpenMainForm();
  ASSERT_EQ(reply.Code, 200) << reply.Content;
  EXPECT_EQ(mClient.Track(), "2");
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  ASSERT_NE(Form(), nullptr);
  EXPECT_EQ(Form()->Name(), "FlowForm");
  EXPECT_TRUE(reply.Content.starts_with("<!DOCTYPE HTML>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"))
      << reply.Content.substr(0, 200);
  EXPECT_TRUE(reply.Content.ends_with("</body>\r\n</html>")) << reply.Content.substr(reply.Content.size() - 100);

  TParsedDocument page(reply.Content, true);
  EXPECT_TRUE(page.Errors().empty()) << page.Errors().front() << "\n" << reply.Content;
  EXPECT_EQ(page.Value("/html/head/title"), "Flow <test>");
  EXPECT_EQ(page.Value("//meta[@name='GENERATOR']/@content"), std::string("Kestrix v") + KX_VERSION);
  // HTML5: none of the http-equiv lines.
  EXPECT_EQ(page.Count("//meta[@http-equiv]"), 0);

  // The post form and every hidden field.
  const std::string form = "//form[@name='SubmitForm']";
  EXPECT_EQ(page.Count(form), 1);
  EXPECT_EQ(page.Value(form + "/@method"), "POST");
  EXPECT_EQ(page.Count(form + "/@enctype"), 0);
  EXPECT_EQ(page.Count(form + "/input"), 5);
  EXPECT_EQ(page.Value(form + "/input[@name='EDIT1']/@type"), "hidden");
  EXPECT_EQ(page.Count(form + "/input[@name='EDIT1']/@value"), 0);
  EXPECT_EQ(page.Value(form + "/input[@name='Secret']/@id"), "HIDDEN_Secret");
  EXPECT_EQ(page.Value(form + "/input[@name='Secret']/@value"), "a&b ]]> \"q\"");
  EXPECT_EQ(page.Value(form + "/input[@name='Secret']/@size"), "-1");
  EXPECT_EQ(page.Value(form + "/input[@name='KX_FormName']/@value"), "FlowForm");
  EXPECT_EQ(page.Value(form + "/input[@name='KX_FormClass']/@value"), "TFlowForm");
  EXPECT_EQ(page.Value(form + "/input[@name='KX_FormID_']/@value"), Form()->FormId());
  EXPECT_EQ(Form()->FormId().size(), 22u);

  // The controls: the edit and the button share one wrapper, the labels stand outside.
  EXPECT_EQ(page.Count("//form[@onsubmit='return FormDefaultSubmit();']"), 1);
  EXPECT_EQ(page.Count("//form[@onsubmit]/input[@id='EDIT1' and @name='EDIT1' and @tabindex='1']"), 1);
  EXPECT_EQ(page.Count("//form[@onsubmit]/input[@id='BUTTON1' and @tabindex='2']"), 1);
  EXPECT_EQ(page.Value("//span[@id='LABEL1']"), "Waiting");
  EXPECT_EQ(page.Count("//form//span"), 0);
  EXPECT_EQ(page.Value("//span[@id='LABEL2']/@class"), "LABEL2CSS");
  EXPECT_NE(page.Value("/html/head/style").find(".EDIT1CSS {position: absolute; left: 10px; top: 10px;"),
            std::string::npos);

  // BODY.
  EXPECT_EQ(page.Value("/html/body/@onload"), "Initialize()");
  EXPECT_EQ(page.Value("/html/body/@onunload"), "ReleaseKXCL()");
  EXPECT_EQ(page.Value("/html/body/@style"), "margin: 0;");
  EXPECT_EQ(page.Value("/html/body/script[1]"), "createKXLocker(\"/$/gfx/loading.gif\");ActivateLock();");
  EXPECT_EQ(page.Value("/html/body/script[2]"),
            "var PreScript=false; PostScript=false;var PreAsyncScript=false; PostAsyncScript=false;");

  // The framework's scripts: the compressed library, the framework, the browser's file.
  ASSERT_EQ(page.Count("/html/head/script[@src]"), 3);
  EXPECT_TRUE(std::regex_match(page.Value("/html/head/script[@src][1]/@src"), std::regex("/\\$/js/KXLib(__\\w+)?\\.js")));
  EXPECT_TRUE(std::regex_match(page.Value("/html/head/script[@src][2]/@src"), std::regex("/\\$/js/KXBase(__\\w+)?\\.js")));
  EXPECT_TRUE(std::regex_match(page.Value("/html/head/script[@src][3]/@src"), std::regex("/\\$/js/KXGecko(__\\w+)?\\.js")));

  // The page globals.
  const std::string script = page.Value("/html/head/script[not(@src)]");
  EXPECT_EQ(Global(script, "GURLBase"), "\"/$/\"");
  EXPECT_EQ(Global(script, "GAppID"), "\"" + mClient.Id() + "\"");
  EXPECT_EQ(Global(script, "GTrackID"), "2");
  EXPECT_EQ(Global(script, "GOnResizetimeout"), "1000");
  EXPECT_EQ(Global(script, "GResizeURL"), "<missing>");
  EXPECT_NE(script.find("KX.implicitSubmit = false;\r\n"), std::string::npos);
  EXPECT_NE(script.find("function KXTop(){return window;}\r\n"), std::string::npos);
  EXPECT_NE(script.find("function Body_OnBlur(){GSubmitting = false;}\r\n"), std::string::npos);
  EXPECT_NE(script.find("function FormDefaultSubmit()\r\n{return false;}\r\n"), std::string::npos);
  EXPECT_NE(script.find("function Validate() {\r\n  return true;\r\n}\r\n"), std::string::npos);
  // The edit's change event is hooked: its handler calls back.
  EXPECT_NE(script.find("function InitKXCLObjects() {\r\n  KX.initKXCL(KXCLForm,\"EDIT1\",true);\r\n"
                        "  EDIT1KXCL.HookDefaultHandlers(\"OnChange\");\r\n\r\n"
                        "  KX.initKXCL(KXCLForm,\"BUTTON1\",false);\r\n"
                        "  KX.initKXCL(KXCLForm,\"LABEL1\",false);\r\n  KX.initKXCL(KXCLForm,\"LABEL2\",false);\r\n}"),
            std::string::npos)
      << script;
  EXPECT_NE(script.find("function Initialize() {\r\n"
                        "GActivateLock = true;\r\nInitRects(1024, 768);\r\nInitKXCLObjects();\r\n"
                        "AttachBeforeUnload();\r\nhistory.go(1);\r\nBody_OnResize();\r\n"
                        "window.onresize = Body_OnResize;\r\ndocument.body.onblur = Body_OnBlur;\r\n"
                        "KX.Utils.fixIEMargins();\r\nReleaseLock();\r\n\r\n}"),
            std::string::npos)
      << script;
}

TEST_F(FormFlowTest, FullSubmitTakesTheValueAndRunsTheButtonsHandler) {
  OpenMainForm();
  const std::string formId = Form()->FormId();
  TReplyPacket reply = mClient.Send("POST", "/$/", "", SubmitFields("BUTTON1", "World", formId));
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  EXPECT_EQ(TFlowForm::Clicks, 1);
  EXPECT_EQ(Form()->Edit1->Text(), "World");
  EXPECT_EQ(Form()->HiddenFields().Values("Secret"), "kept");
  EXPECT_EQ(mClient.Track(), "3");

  TParsedDocument page(reply.Content, true);
  EXPECT_TRUE(page.Errors().empty()) << page.Errors().front();
  EXPECT_EQ(page.Value("//span[@id='LABEL1']"), "Hello World");
  EXPECT_EQ(page.Value("//input[@id='EDIT1']/@value"), "World");
  EXPECT_EQ(page.Value("//form[@name='SubmitForm']/input[@name='Secret']/@value"), "kept");
  EXPECT_EQ(Global(page.Value("/html/head/script[not(@src)]"), "GTrackID"), "3");
  // The same form id for the life of the form.
  EXPECT_EQ(page.Value("//form[@name='SubmitForm']/input[@name='KX_FormID_']/@value"), formId);
}

TEST_F(FormFlowTest, CallbackAnswersWithTheChangedControlsOnly) {
  OpenMainForm();
  TReplyPacket reply = Callback("EDIT1.DoOnAsyncChange", {"EDIT1=abc <&>"});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  EXPECT_EQ(TFlowForm::Changes, 1);
  EXPECT_EQ(Form()->Edit1->Text(), "abc <&>");
  EXPECT_EQ(reply.Content.find("<html"), std::string::npos);
  EXPECT_EQ(reply.Content.find("<body"), std::string::npos);

  TParsedDocument answer(reply.Content, false);
  ASSERT_TRUE(answer.Parsed()) << reply.Content;
  EXPECT_EQ(answer.Count("/response/*"), 5);
  // The form's own element and the label the handler changed; not the edit, whose value the browser shows already.
  EXPECT_EQ(answer.Count("/response/update/control"), 2) << reply.Content;
  EXPECT_EQ(answer.Value("/response/update/control[1]/@id"), "FlowForm");
  EXPECT_EQ(answer.Value("/response/update/control[1]/@type"), "KXFORM");
  EXPECT_EQ(answer.Value("/response/update/control[1]/hiddenfield[@id='Secret']"), "a&b ]]> \"q\"");
  EXPECT_EQ(answer.Value("/response/update/control[2]/@id"), "LABEL1");
  EXPECT_EQ(answer.Value("/response/update/control[2]/caption"), "Typed abc &lt;&amp;&gt;");
  EXPECT_EQ(answer.Value("/response/submit"), "/$/");
  EXPECT_EQ(answer.Value("/response/trackid"), "3");
  EXPECT_EQ(mClient.Track(), "3");
  EXPECT_EQ(answer.Count("/response/execute/literal"), 0) << reply.Content;
}

TEST_F(FormFlowTest, UnknownCallbackIsLoggedInTheAnswer) {
  OpenMainForm();
  TReplyPacket reply = Callback("EDIT1.DoOnAsyncClick", {});
  TParsedDocument answer(reply.Content, false);
  ASSERT_TRUE(answer.Parsed()) << reply.Content;
  EXPECT_EQ(answer.Value("/response/execute/literal[1]"),
            "logMessage(\"Callback method not found: FlowForm.EDIT1.DoOnAsyncClick\")");
}

TEST_F(FormFlowTest, WrongFormIdIsRefused) {
  OpenMainForm();
  TReplyPacket reply = mClient.Send("POST", "/$/", "", SubmitFields("BUTTON1", "Evil", "forged"));
  ASSERT_EQ(reply.Code, 200);
  EXPECT_EQ(TFlowForm::Clicks, 0);
  EXPECT_EQ(Form()->Edit1->Text(), "");
  EXPECT_EQ(mErrors, std::vector<std::string>{"Invalid form Id"});
  EXPECT_NE(reply.Content.find("window.alert(\"Invalid form Id\");"), std::string::npos);

  // A callback with a forged id is refused the same way; the message reaches the browser as a script.
  TReplyPacket callback =
      mClient.Send("POST", "/$/callback", "callback=EDIT1.DoOnAsyncChange&KX_TrackID_=" + mClient.Track(),
                   {"EDIT1=Evil", "KX_SessionID_=" + mClient.Id(), "KX_FormID_=forged"});
  TParsedDocument answer(callback.Content, false);
  ASSERT_TRUE(answer.Parsed()) << callback.Content;
  EXPECT_EQ(TFlowForm::Changes, 0);
  // (An XML reader gives CR LF back as LF.)
  EXPECT_EQ(answer.Value("/response/execute/literal[1]"), "window.alert(\"Invalid form Id\");\n");
}

// F12: the track id travels in base 36 from track 10 on ("a") and with two
// digits from 36 on ("10"); the page keeps it decimal. Any disagreement
// between page, cookie and posts would call the back-button handler.
TEST_F(FormFlowTest, TrackIdsAgreeOverMoreThan36Requests) {
  TReplyPacket page = OpenMainForm();
  std::int32_t expected = 2;
  for (int i = 0; i < 40; ++i) {
    ++expected;
    SCOPED_TRACE("request " + std::to_string(i) + ", track " + std::to_string(expected));
    if (i % 2 == 0) {
      TReplyPacket reply =
          mClient.Send("POST", "/$/", "", SubmitFields("BUTTON1", "x" + std::to_string(i), Form()->FormId()));
      TParsedDocument parsed(reply.Content, true);
      EXPECT_EQ(Global(parsed.Value("/html/head/script[not(@src)]"), "GTrackID"), std::to_string(expected));
    } else {
      TReplyPacket reply = Callback("EDIT1.DoOnAsyncChange", {"EDIT1=y" + std::to_string(i)});
      TParsedDocument answer(reply.Content, false);
      EXPECT_EQ(answer.Value("/response/trackid"), std::to_string(expected));
    }
    EXPECT_EQ(mClient.Track(), ToBase36(std::uint64_t(expected), 1));
    EXPECT_EQ(Session()->TrackID(), expected);
  }
  EXPECT_EQ(mClient.Track(), "16");  // 42
  EXPECT_EQ(mBackButtons, 0);
  EXPECT_EQ(TFlowForm::Clicks, 20);
  EXPECT_EQ(TFlowForm::Changes, 20);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

// The server places the controls for the new window size and answers with a
// script that moves the client objects that moved, and only those.
TEST_F(FormFlowTest, ResizeAnswersThePositionsOfTheControlsThatMoved) {
  OpenMainForm();
  Form()->Label2->SetAnchors(TAnchors{akTop, akRight});
  TReplyPacket reply =
      mClient.Send("GET", "/$/resize", "KX_width=824&KX_height=768&KX_TrackID_=" + mClient.Track(), {});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_EQ(Form()->Width(), 824);
  EXPECT_EQ(Form()->Label2->Left(), -190);
  EXPECT_NE(reply.Content.find("var lRect = new parent.Rect(-190, 80, 200, 20);\r\n"
                               "KXTop().LABEL2KXCL.SetRect(lRect);\r\nKXTop().LABEL2KXCL.Rect = KXTop().CopyRect(lRect);"),
            std::string::npos)
      << reply.Content;
  EXPECT_EQ(reply.Content.find("LABEL1KXCL"), std::string::npos);
  EXPECT_EQ(mClient.Track(), "2");
}

// A forged resize cannot give the form an absurd size: sides outside 0 to 100,000 keep the form's own.
TEST_F(FormFlowTest, ResizeIgnoresWindowSidesOutOfRange) {
  OpenMainForm();
  const int width = Form()->Width(), height = Form()->Height();
  mClient.Send("GET", "/$/resize", "KX_width=99999999&KX_height=-5&KX_TrackID_=" + mClient.Track(), {});
  EXPECT_EQ(Form()->Width(), width);
  EXPECT_EQ(Form()->Height(), height);
  mClient.Send("GET", "/$/resize", "KX_width=100000&KX_height=0&KX_TrackID_=" + mClient.Track(), {});
  EXPECT_EQ(Form()->Width(), 100000);
  EXPECT_EQ(Form()->Height(), 0);
}

// Another tab of the session moved on to a form with an edit of the same name as the main form's. A callback from
// the tab left behind on the main form's page posts that form's name: its values stay out of the session's form,
// and the answer brings the tab to that form. One from the session's form's own page changes the edit.
TEST_F(FormFlowTest, ACallbackFromAPageOfAnotherFormChangesNothingInTheSessionsForm) {
  const struct {
    const char* Page;  // the form of the page that calls back
    const char* Edit;  // what the session's form's edit holds after it
    bool Moves;        // the answer submits the page, to show the session's form
  } rows[] = {
      {"FlowForm", "", true},
      {"EditForm", "from the page", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Page);
    mClient = test::TPacketClient();
    OpenMainForm();
    const std::string mainFormId = Form()->FormId();
    Form()->Button1->OnClick = [](TObject* sender) {
      TKXForm* form = TKXForm::FindParentForm(static_cast<TComponent*>(sender));
      TComponent::Create<TEditForm>(form->WebApplication())->Show();
    };
    mClient.Send("POST", "/$/", "", SubmitFields("BUTTON1", "moved on", mainFormId));
    auto* shown = dynamic_cast<TEditForm*>(Session()->GetActiveForm());
    ASSERT_NE(shown, nullptr);
    const std::string formId = std::string(row.Page) == "FlowForm" ? mainFormId : shown->FormId();
    TReplyPacket reply = mClient.Send(
        "POST", "/$/callback", "callback=EDIT1.DoOnAsyncChange&KX_AjaxID=1_1&KX_TrackID_=" + mClient.Track(),
        {"EDIT1=from the page", std::string("KX_FormName=") + row.Page, "KX_SessionID_=" + mClient.Id(),
         "KX_FormID_=" + formId});
    EXPECT_EQ(reply.Code, 200);
    EXPECT_EQ(shown->Edit1->Text(), row.Edit);
    EXPECT_EQ(reply.Content.find("d.SubmitForm.submit();") != std::string::npos, row.Moves) << reply.Content;
  }
  EXPECT_EQ(TFlowForm::Changes, 0);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
}

// A handler shows another form and releases its own: the session frees the
// released form after the request and answers with the form now active.
TEST_F(FormFlowTest, ReleasedFormIsFreedAfterTheRequest) {
  OpenMainForm();
  TComponentRef<TComponent> first(Form());
  Form()->Button1->OnClick = [](TObject* sender) {
    TKXForm* form = TKXForm::FindParentForm(static_cast<TComponent*>(sender));
    TKXForm* next = TComponent::Create<TNextForm>(form->WebApplication());
    next->Show();
    form->Release();
  };
  TReplyPacket reply = mClient.Send("POST", "/$/", "", SubmitFields("BUTTON1", "bye", Form()->FormId()));
  EXPECT_FALSE(first);
  EXPECT_EQ(Session()->GetActiveForm()->Name(), "NextForm");
  TParsedDocument page(reply.Content, true);
  EXPECT_EQ(page.Value("//form[@name='SubmitForm']/input[@name='KX_FormName']/@value"), "NextForm");
  EXPECT_EQ(page.Value("/html/head/title"), "Next");
}

// Releasing the last form ends the session with a page (not an empty reply,
// which a host cannot send) and removes the session cookie.
TEST_F(FormFlowTest, ReleasingTheLastFormEndsTheSessionWithAPage) {
  OpenMainForm();
  Form()->Button1->OnClick = [](TObject* sender) { TKXForm::FindParentForm(static_cast<TComponent*>(sender))->Release(); };
  TReplyPacket reply = mClient.Send("POST", "/$/", "", SubmitFields("BUTTON1", "bye", Form()->FormId()));
  EXPECT_EQ(reply.Code, 200);
  EXPECT_NE(reply.Content.find("This session has been terminated"), std::string::npos) << reply.Content;
}

}  // namespace
}  // namespace kx
