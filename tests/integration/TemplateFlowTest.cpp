// A form rendered through an HTML template, through the entry point: the page
// is the template with the controls where their tags stand, the template of
// the request's language is chosen (never a path from Accept-Language), a
// full submit renders the template again, and a broken template makes an
// error page, not a crash.
#include "kx/forms/TemplateProcessor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kx/appserver/CallBacks.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/regions/Regions.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/HttpPackets.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {

constexpr const char* kHostile = "<script>alert('x')</script> & \"q\"";

class TOrderForm : public TKXForm {
  KX_COMPONENT_CLASS(TOrderForm, TKXForm)

 public:
  TKXTemplateProcessorHTML* Template = nullptr;
  TKXEdit* Edit1 = nullptr;
  TKXLabel* Label1 = nullptr;
  TKXButton* Button1 = nullptr;

 protected:
  void BuildComponents() override {
    Template = TComponent::Create<TKXTemplateProcessorHTML>(this);
    SetLayoutMgr(Template);
    Edit1 = test::AddControl<TKXEdit>(this, this, "Edit1", 10, 10, 121, 21);
    Label1 = test::AddControl<TKXLabel>(this, this, "Label1", 10, 40, 300, 21);
    Label1->SetCaption(kHostile);
    Button1 = test::AddControl<TKXButton>(this, this, "Button1", 10, 70, 75, 25);
    Button1->SetCaption("Send");
    Button1->OnClick = [this](TObject*) { Label1->SetCaption("Hello " + Edit1->Text()); };
  }
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TemplateFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSessionLayer();
    SetAsMainForm<TOrderForm>();
    mController = std::make_unique<test::TTempController>([this](TKXServerControllerBase& controller) {
      controller.OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
    });
    mDir = (*mController)->TemplateDir();
    std::filesystem::create_directories(mDir + "OrderForm.de");
    Write("OrderForm.html", "<html><head><title>Orders</title></head><body><h1>Orders</h1>\n"
                            "<p>{%Edit1%}{%Button1%}</p><p class=\"out\">{%Label1%}</p></body></html>");
    Write("OrderForm.de.html", "<html><head><title>Bestellungen</title></head><body><h1>Bestellungen</h1>\n"
                               "<p>{%Edit1%}{%Button1%}</p><p>{%Label1%}</p></body></html>");
    Write("x.html", "<html><body>SECRET</body></html>");
  }

  void TearDown() override {
    mController.reset();
  }

  void Write(const std::string& name, const std::string& text) { std::ofstream(mDir + name, std::ios::binary) << text; }

  TReplyPacket Send(const std::string& method, const std::string& path, const std::string& query,
                    const std::vector<std::string>& body) {
    mClient.AcceptLanguage = mLanguage;
    return mClient.Send(method, path, query, body);
  }

  std::string Id() const { return mClient.Id(); }
  std::string Track() const { return mClient.Track(); }
  TOrderForm* Form() const {
    TKXApplication* session = SessionStore()->LookUp(Id());
    return session ? dynamic_cast<TOrderForm*>(session->GetActiveForm()) : nullptr;
  }

  TReplyPacket OpenMainForm() {
    mClient.AcceptLanguage = mLanguage;
    return mClient.OpenMainForm();
  }

  std::unique_ptr<test::TTempController> mController;
  std::vector<std::string> mErrors;
  test::TPacketClient mClient;
  std::string mLanguage;
  std::string mDir;
};

TEST_F(TemplateFlowTest, PageIsTheTemplateWithTheControlsInPlace) {
  TReplyPacket reply = OpenMainForm();
  ASSERT_EQ(reply.Code, 200) << reply.Content;
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  const std::string& page = reply.Content;
  EXPECT_TRUE(Has(page, "<h1>Orders</h1>")) << page;
  const std::size_t edit = page.find("id=\"EDIT1\"");
  const std::size_t button = page.find("id=\"BUTTON1\"");
  const std::size_t label = page.find("id=\"LABEL1\"");
  ASSERT_NE(label, std::string::npos) << page;
  EXPECT_LT(page.find("<p>"), edit);
  EXPECT_LT(edit, button);
  EXPECT_LT(page.find("<p class=\"out\">"), label);
  // The label's hostile caption is text, never markup.
  EXPECT_FALSE(Has(page, "<script>alert"));
  EXPECT_TRUE(Has(page, "<FORM onSubmit=\"return FormDefaultSubmit();\" style=\"display:inline;\">"));
  EXPECT_TRUE(Has(page, "name=\"SubmitForm\""));
}

TEST_F(TemplateFlowTest, TheLanguageOfTheRequestChoosesTheTemplateAndNeverAPath) {
  mLanguage = "de-DE,de;q=0.8,en;q=0.5";
  EXPECT_TRUE(Has(OpenMainForm().Content, "<h1>Bestellungen</h1>"));
  for (const std::string& hostile : {std::string("de/../x"), std::string("../../etc/passwd"), std::string("de\0", 3)}) {
    SCOPED_TRACE(hostile);
    mLanguage = hostile;
    const std::string page = Send("GET", "/$/", "", {}).Content;
    EXPECT_TRUE(Has(page, "<h1>Orders</h1>")) << page;
    EXPECT_FALSE(Has(page, "SECRET"));
  }
}

TEST_F(TemplateFlowTest, FullSubmitRendersTheTemplateAgainWithTheNewValues) {
  OpenMainForm();
  ASSERT_NE(Form(), nullptr);
  TReplyPacket reply = Send("POST", "/$/", "",
                            {"EDIT1=World <b>", "BUTTON1=", "KX_FormName=OrderForm", "KX_FormClass=TOrderForm",
                             "KX_FormID_=" + Form()->FormId(), "KX_width=1024", "KX_height=768", "KX_Action=BUTTON1",
                             "KX_ActionParam=", "KX_SessionID_=" + Id(), "KX_TrackID_=" + Track()});
  ASSERT_EQ(reply.Code, 200);
  EXPECT_TRUE(mErrors.empty()) << mErrors.front();
  EXPECT_EQ(Form()->Label1->Caption(), "Hello World <b>");
  EXPECT_TRUE(Has(reply.Content, "<h1>Orders</h1>"));
  EXPECT_TRUE(Has(reply.Content, "Hello World &lt;b&gt;")) << reply.Content;
}

TEST_F(TemplateFlowTest, ABrokenTemplateGivesAnErrorPage) {
  Write("OrderForm.html", "<html><body>{%Edit1</body></html>");
  TReplyPacket reply = OpenMainForm();
  EXPECT_NE(reply.Code, 200);
  ASSERT_FALSE(mErrors.empty());
  EXPECT_TRUE(Has(mErrors.back(), "line 1")) << mErrors.back();
  // The session lives on: a repaired template renders again.
  Write("OrderForm.html", "<html><body>repaired {%Edit1%}</body></html>");
  EXPECT_TRUE(Has(Send("GET", "/$/", "", {}).Content, "repaired"));
}

}  // namespace
}  // namespace kx
