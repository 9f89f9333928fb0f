// The first controls through the entry point: a main form with a region
// (splitter at its bottom edge) holding an edit, a memo and a label, and two
// buttons, one submitting, one calling back. The page is parsed with
// libxml2's HTML parser, the callback answer with its XML parser; the values
// posted are those the client scripts post. Hostile texts come back as the
// same text, never as markup.
#include "controls/Regions.h"

#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <string>
#include <vector>

#include "appserver/CallBacks.h"
#include "appserver/ServerSession.h"
#include "appserver/Sessions.h"
#include "appserver/Startup.h"
#include "controls/Buttons.h"
#include "controls/Edits.h"
#include "controls/Labels.h"
#include "forms/FormTypes.h"
#include "forms/Forms.h"
#include "foundation/HttpPackets.h"
#include "support/FormTestControls.h"

namespace kx {
namespace {

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
constexpr const char* kCookieName = "KX_MyKXApp";
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

// A parsed page or answer, read with XPath.
class TParsed {
 public:
  TParsed(const std::string& text, bool html) {
    xmlSetStructuredErrorFunc(&mErrors, [](void* errors, xmlErrorPtr error) {
      static_cast<std::vector<std::string>*>(errors)->push_back(error->message ? error->message : "?");
    });
    mDoc = html ? htmlReadMemory(text.data(), int(text.size()), "page.html", "UTF-8", HTML_PARSE_NONET)
                : xmlReadMemory(text.data(), int(text.size()), "answer.xml", "UTF-8", XML_PARSE_NONET);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
  }
  ~TParsed() { xmlFreeDoc(mDoc); }
  TParsed(const TParsed&) = delete;
  TParsed& operator=(const TParsed&) = delete;

  bool Parsed() const { return mDoc != nullptr; }
  const std::vector<std::string>& Errors() const { return mErrors; }
  std::string Value(const std::string& path) const {
    if (mDoc == nullptr) return "<no document>";
    xmlXPathContextPtr context = xmlXPathNewContext(mDoc);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(BAD_CAST ("string(" + path + ")").c_str(), context);
    std::string value = result && result->stringval ? reinterpret_cast<const char*>(result->stringval) : "";
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    return value;
  }
  int Count(const std::string& path) const { return std::stoi(Value("count(" + path + ")")); }

 private:
  xmlDocPtr mDoc = nullptr;
  std::vector<std::string> mErrors;
};

class ControlsFlowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Startup();
    InstallCallBacks();
    InstallForms();
    InstallRegions();
  }

  void SetUp() override {
    RegisterSessionLayer();
    SetAsMainForm<TControlsForm>();
    mController = std::make_unique<test::TTempController>([this](TKXServerControllerBase& controller) {
      controller.OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
    });
  }

  void TearDown() override {
    mController.reset();
    gServerFactory = nullptr;
    gDescribeSession = nullptr;
    gMainFormClass = nullptr;
  }

  TReplyPacket Send(const std::string& method, const std::string& path, const std::string& query,
                    const std::vector<std::string>& body) {
    TRequestPacketFields fields;
    fields.PathInfo = path;
    fields.URL = path;
    fields.Query = query;
    fields.Method = method;
    fields.Host = "www.example.com";
    fields.ServerPort = 80;
    fields.RemoteAddr = "192.0.2.10";
    fields.UserAgent = kChrome;
    if (!mCookie.empty()) fields.CookieFields.push_back(std::string(kCookieName) + "=" + mCookie);
    std::string_view rest(query);
    while (!rest.empty()) {
      const std::size_t end = rest.find('&');
      fields.QueryFields.emplace_back(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
    for (const std::string& field : body) fields.QueryFields.push_back(field);
    fields.HasContent = !body.empty();
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    TReplyPacket reply = ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
    for (const TReplyPacketCookie& cookie : reply.Cookies)
      if (cookie.Name == kCookieName) mCookie = cookie.Value;
    return reply;
  }

  std::string Id() const { return mCookie.substr(0, mCookie.find('_')); }
  std::string Track() const { return mCookie.substr(mCookie.find('_') + 1); }
  TControlsForm* Form() const {
    TKXApplication* session = SessionStore()->LookUp(Id());
    return session ? dynamic_cast<TControlsForm*>(session->GetActiveForm()) : nullptr;
  }

  TReplyPacket OpenMainForm() {
    Send("GET", "/", "", {});
    Send("GET", "/$/StartCheck", "KX_width=1024&KX_height=768", {});
    Send("POST", "/", "", {"KX_width=1024", "KX_height=768", "KX_SessionID_=" + Id(), "KX_TrackID_=1"});
    return Send("GET", "/$/", "", {});
  }

  std::unique_ptr<test::TTempController> mController;
  std::vector<std::string> mErrors;
  std::string mCookie;
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
