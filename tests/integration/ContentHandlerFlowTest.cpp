// Content handlers and callbacks through the entry point: request packets go
// through HttpExecute with the session layer, the callback unit and the
// content-handler registry installed, and the reply packets are read back.
#include "kx/appserver/ContentHandlers.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kx/appserver/CallBacks.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HttpPackets.h"
#include "support/SessionTestDoubles.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
constexpr const char* kCookieName = "KX_MyKXApp";
constexpr const char* kXml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

std::string gAppFolder;

// Answers with its tag and whether a session came with the request.
class TEchoHandler : public TContentBase {
 public:
  explicit TEchoHandler(std::string tag) : mTag(std::move(tag)) {}
  bool Execute(THttpRequest&, THttpReply& reply, const std::string&, TKXApplication* session, TStrings&) override {
    reply.WriteString(mTag + (session != nullptr ? " with session" : " without session"));
    return true;
  }

 private:
  std::string mTag;
};

class ContentHandlerFlowTest : public ::testing::Test {
 protected:

  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-handlers-flow-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gAppFolder = pattern + "/";
    gGetAppPath = [] { return gAppFolder; };
    fs::create_directories(gAppFolder + "wwwroot/");
    RegisterSessionLayer();
    InstallCallBacks();
    InstallContentHandlers();
    THandlers::Clear();
    gMainFormClass = &TTestForm::ClassRecord();
  }

  // Creates the controller (which closes registration) once the test has registered its handlers.
  void Serve() {
    mController.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gSC = gServerController = mController.get();
  }

  void TearDown() override {
    mController.reset();
    TTestForm::OnExecute = nullptr;
    THandlers::Clear();
    fs::remove_all(gAppFolder);
  }

  static TReplyPacket Get(const std::string& path, const std::vector<std::string>& query = {},
                          const std::string& cookie = "") {
    TRequestPacketFields fields;
    fields.PathInfo = path;
    fields.URL = path;
    fields.Method = "GET";
    fields.Host = "www.example.com";
    fields.ServerPort = 80;
    fields.RemoteAddr = "192.0.2.10";
    fields.UserAgent = kChrome;
    for (const std::string& line : query) {
      fields.Query += (fields.Query.empty() ? "" : "&") + line;
      fields.QueryFields.push_back(line);
    }
    if (!cookie.empty()) fields.CookieFields.push_back(std::string(kCookieName) + "=" + cookie);
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    return ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
  }

  static std::string CookieOf(const TReplyPacket& reply) {
    for (const TReplyPacketCookie& cookie : reply.Cookies)
      if (cookie.Name == kCookieName) return cookie.Value;
    return "";
  }
  static std::string IdOf(const std::string& cookie) { return cookie.substr(0, cookie.find('_')); }

  // A session showing its main form; returns the cookie value of its next request.
  std::string SessionOnMainForm() {
    const std::string first = CookieOf(Get("/"));
    EXPECT_FALSE(first.empty());
    return CookieOf(Get("/$/", {}, first));
  }

  TOwnedComponent<TKXServerControllerBase> mController;
};

TEST_F(ContentHandlerFlowTest, HandlerAnswersItsPathOnceTheSessionStarted) {
  auto reports = std::make_unique<TEchoHandler>("reports");
  reports->SetFileMustExist(false);
  THandlers::Add("/reports/", "", std::move(reports));
  Serve();

  TReplyPacket fresh = Get("/reports/q1.kxp");
  EXPECT_EQ(fresh.Content.find("reports"), std::string::npos) << "a new session goes through its start page first";
  EXPECT_NE(fresh.Content.find("StartCheck"), std::string::npos) << fresh.Content;

  const std::string cookie = SessionOnMainForm();
  TReplyPacket reply = Get("/REPORTS/Q1.kxp", {}, cookie);
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(reply.Content, "reports with session");
}

// A handler for a static-file extension answers when no such file exists; without a
// handler the same missing file is a 404.
TEST_F(ContentHandlerFlowTest, HandlerOfAStaticExtensionAnswersAMissingFile) {
  auto pdf = std::make_unique<TEchoHandler>("pdf");
  pdf->SetFileMustExist(false);
  THandlers::Add("/generated/", "", std::move(pdf));
  Serve();
  const std::string cookie = SessionOnMainForm();

  TReplyPacket reply = Get("/generated/report.pdf", {}, cookie);
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(reply.Content, "pdf with session");
  EXPECT_EQ(Get("/elsewhere/report.pdf", {}, cookie).Code, 404);
}

TEST_F(ContentHandlerFlowTest, StartHandlerWithoutSessionStartAnswersTheFirstRequest) {
  auto welcome = std::make_unique<TEchoHandler>("welcome");
  welcome->SetFileMustExist(false);
  welcome->SetRequiresSessionStart(false);
  THandlers::AddStartHandler("/welcome/", "", std::move(welcome));
  Serve();

  TReplyPacket reply = Get("/welcome/");
  EXPECT_EQ(reply.Content, "welcome with session");
  EXPECT_FALSE(CookieOf(reply).empty());
}

TEST_F(ContentHandlerFlowTest, MissingFileIs404WhileAPresentOneRunsTheHandler) {
  THandlers::Add("/docs/", "", std::make_unique<TEchoHandler>("docs"));
  fs::create_directories(gAppFolder + "wwwroot/docs/");
  std::ofstream(gAppFolder + "wwwroot/docs/there.html") << "there";
  Serve();
  const std::string cookie = SessionOnMainForm();

  EXPECT_EQ(Get("/docs/missing.html", {}, cookie).Code, 404);
  TReplyPacket present = Get("/docs/there.html", {}, cookie);
  EXPECT_EQ(present.Code, 200);
  EXPECT_EQ(present.Content, "docs with session");
}

TEST_F(ContentHandlerFlowTest, FormHandlerShowsItsFormAndCallbacksSubmitBackToIt) {
  auto shop = std::make_unique<TContentForm>(&TTestForm::ClassRecord());
  shop->SetRequiresSessionStart(false);
  THandlers::AddStartHandler("/shop/", "", std::move(shop));
  Serve();

  TReplyPacket page = Get("/shop/");
  EXPECT_EQ(page.Content, "<html> track 2</html>");
  const std::string cookie = CookieOf(page);
  ASSERT_EQ(cookie.substr(cookie.find('_')), "_2");

  TReplyPacket callback = Get("/$/callback", {"KX_SessionID_=" + cookie.substr(0, cookie.find('_'))}, cookie);
  EXPECT_EQ(callback.Content.rfind(kXml, 0), 0u) << callback.Content;
  EXPECT_NE(callback.Content.find("<submit>/shop/</submit>"), std::string::npos) << callback.Content;
}

TEST_F(ContentHandlerFlowTest, CallbackDocumentCarriesHostileTextsSafely) {
  TTestForm::OnExecute = [](TTestForm& form, const TStrings& params) {
    TKXApplication* session = form.Session();
    // A careless author puts the posted value straight into a script.
    session->RegisterCallBack("Echo", [session](TStrings& posted) {
      session->CallBackResponse()->AddJavaScriptToExecuteAsCDATA("show('" + posted.Values("v") + "')");
      session->CallBackResponse()->AddJavaScriptToExecute("if (a < b && c) x();");
    });
    if (!params.Values("cb").empty()) session->PerformCallBack(&form, params.Values("cb"));
  };
  Serve();
  const std::string cookie = SessionOnMainForm();

  const std::string posted = "KX_SessionID_=" + cookie.substr(0, cookie.find('_'));
  TReplyPacket reply = Get("/$/callback", {"cb=Echo", "v=]]><x>", posted}, cookie);
  const std::string& xml = reply.Content;
  EXPECT_EQ(xml.rfind(std::string(kXml) + "<response>", 0), 0u) << xml;
  EXPECT_NE(xml.find("<literal><![CDATA[show(']]]]><![CDATA[><x>')]]></literal>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<literal>if (a &lt; b &amp;&amp; c) x();</literal>"), std::string::npos) << xml;

  const std::string next = CookieOf(reply);
  TReplyPacket unknown = Get("/$/callback", {"cb=x\");alert(1);//", posted}, next);
  EXPECT_NE(unknown.Content.find("logMessage(\"Callback method not found: x\\x22);alert(1);//\")"), std::string::npos)
      << unknown.Content;
}

}  // namespace
}  // namespace kx
