#include "kx/appserver/ExceptionRenderer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/foundation/KXExceptions.h"
#include "tests/support/Escaping.h"

namespace kx {

// The server's seam (appserver/Server.h names its pointer type like the renderer class).
std::string (*GetExceptionRenderer())(const std::exception& e, const THttpRequest* request);
void SetExceptionRenderer(std::string (*renderer)(const std::exception& e, const THttpRequest* request));

namespace {

namespace fs = std::filesystem;

std::string gTestAppFolder;
constexpr const char* kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

class TRendererTestController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TRendererTestController, TKXServerControllerBase)
};

std::unique_ptr<THttpRequest> MakeRequest(const std::string& remoteAddr, const std::string& host = "example.com",
                                          const std::string& scriptName = "", const std::string& forwardedFor = "",
                                          const std::string& clientIP = "") {
  TRequestPacketFields fields;
  fields.RemoteAddr = remoteAddr;
  fields.ForwardedFor = forwardedFor;
  fields.HttpClientIP = clientIP;
  fields.Host = host;
  fields.ScriptName = scriptName;
  fields.Method = "GET";
  std::vector<char> buffer(THttpPacket::HostBufferSize);
  const std::int64_t length = WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
  return std::make_unique<THttpRequest>(buffer.data(), length);
}

// Every placeholder once, separated by "|" (escaped values never hold one).
constexpr const char* kProbe =
    "{%APPID%}|{%RUNPARAMS%}|{%CONTENT%}|{%APPADDRESS%}|{%APPNAME%}|{%EXCEPTIONSPECIFIC%}|{%FROMCOLOR%}|"
    "{%TOCOLOR%}|{%HEADERTEXTCOLOR%}|{%BODYBACKCOLOR%}|{%BODYTEXTCOLOR%}|{%ERRORDETAILS_TITLE%}|"
    "{%ERRORDETAILS_CONTENT%}";
enum { fAppId, fRunParams, fContent, fAppAddress, fAppName, fSpecific, fFrom, fTo, fHeaderText, fBodyBack,
       fBodyText, fDetailsTitle, fDetailsContent, fCount };

class TKXExceptionRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateInternalFiles();
    RegisterBrowsers();
    std::string pattern = gsTempPath() + "kx-renderer-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gTestAppFolder = pattern + "/";
    gGetAppPath = [] { return gTestAppFolder; };
    mController.reset(TComponent::Create<TRendererTestController>(nullptr));
    gSC = mController.get();
    fs::create_directories(gSC->TemplateDir());
    mRequest = MakeRequest("198.51.100.7");
    delete gSessions;  // the store kx::Startup made: this test uses its own
    gSessions = &mStore;
  }
  void TearDown() override {
    SetWebApplication(nullptr);
    mStore.Clear();
    gSessions = nullptr;  // the controller would free the store it finds there
    mController.reset();
    fs::remove_all(gTestAppFolder);
  }

  void WriteTemplate(const std::string& kind, const std::string& text) {
    std::ofstream(gSC->TemplateDir() + "KX" + kind + ".html", std::ios::binary) << text;
  }
  std::vector<std::string> Probe(const std::exception& e, const THttpRequest* request = nullptr) {
    const std::string page = TKXExceptionRenderer::RenderHTML(e, request ? request : mRequest.get());
    std::vector<std::string> fields(1);
    for (char c : page) c == '|' ? fields.emplace_back() : fields.back().append(1, c);
    EXPECT_EQ(fields.size(), std::size_t(fCount)) << page;
    fields.resize(fCount);
    return fields;
  }

  TKXSessions mStore;
  TOwnedComponent<TRendererTestController> mController;
  std::unique_ptr<THttpRequest> mRequest;
};

// F8: the message of the bare page is escaped too.
TEST_F(TKXExceptionRendererTest, WithoutControllerOrRequestOnlyTheEscapedMessage) {
  const Exception e("<b>disk\nfull</b>");
  EXPECT_EQ(TKXExceptionRenderer::RenderHTML(e, nullptr), "&#60;b&#62;disk<br>full&#60;&#47;b&#62;");
  gSC = nullptr;
  EXPECT_EQ(TKXExceptionRenderer::RenderHTML(e, mRequest.get()), "&#60;b&#62;disk<br>full&#60;&#47;b&#62;");
}

TEST_F(TKXExceptionRendererTest, EachKindReadsItsOwnTemplateFile) {
  struct Case {
    std::exception_ptr error;
    std::string kind, id, specific;
    bool details;
  };
  const Case cases[] = {
      {std::make_exception_ptr(Exception("boom")), "ERROR", "",
       "Depending on the error condition, it might be possible to restart the application.", true},
      {std::make_exception_ptr(EExpiredSession("ID1", "expired")), "SESSIONTIMEOUT", "ID1",
       "Your session has expired. You will have to restart the application. In order to keep sessions from "
       "expiring you may set the session timeout parameter to a higher value. The current session timeout value "
       "is 10 minutes.",
       false},
      {std::make_exception_ptr(EInvalidAppID("ID2", "invalid")), "SESSIONINVALID", "ID2", "Session ID is invalid.",
       false},
      {std::make_exception_ptr(EKXSecurityException("IP changed")), "SECURITYCHECK", "",
       "Security check failed. Please restart the application.", true},
  };
  for (const char* kind : {"ERROR", "SESSIONTIMEOUT", "SESSIONINVALID", "SECURITYCHECK"})
    WriteTemplate(kind, std::string(kind) + ":\r\n" + kProbe);
  auto local = MakeRequest("127.0.0.1");  // details are for this machine's clients
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    try {
      std::rethrow_exception(c.error);
    } catch (const std::exception& e) {
      const std::vector<std::string> f = Probe(e, local.get());
      EXPECT_EQ(f[fAppId], c.kind + ":" + c.id);
      EXPECT_EQ(f[fContent], TextToHTMLStringLiteralEx(e.what()));
      EXPECT_EQ(f[fSpecific], TextToHTMLStringLiteralEx(c.specific));
      EXPECT_EQ(f[fAppName] + f[fAppAddress], "MyKXApp&#47;");
      EXPECT_EQ(f[fFrom] + f[fTo] + f[fHeaderText] + f[fBodyBack] + f[fBodyText],
                "#224B09#A9DB80#FFFFFF#F9F9F9#000000");
      EXPECT_EQ(f[fDetailsTitle], c.details ? "Error details:" : "");
      EXPECT_EQ(f[fDetailsContent].empty(), !c.details);
    }
  }
}

TEST_F(TKXExceptionRendererTest, EmbeddedTemplateWithoutFile) {
  const std::pair<std::exception_ptr, std::string> cases[] = {
      {std::make_exception_ptr(Exception("boom")), "Application error"},
      {std::make_exception_ptr(EExpiredSession("ID1", "expired")), "Session expired"},
      {std::make_exception_ptr(EInvalidSession("ID2", "invalid")), "Invalid session"},
      {std::make_exception_ptr(EKXSecurityException("IP changed")), "Security check failed"},
  };
  for (const auto& [error, title] : cases) {
    SCOPED_TRACE(title);
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      const std::string page = TKXExceptionRenderer::RenderHTML(e, mRequest.get());
      EXPECT_NE(page.find("<title>MyKXApp - " + title + "</title>"), std::string::npos);
      EXPECT_NE(page.find("<p class=\"message\">" + TextToHTMLStringLiteralEx(e.what())), std::string::npos);
      EXPECT_EQ(page.find("{%"), std::string::npos);
      EXPECT_EQ(page.find_first_of("\r\n"), std::string::npos);
    }
  }
  WriteTemplate("ERROR", "\xEF\xBB\xBF<p>\r\n{%APPNAME%}\n</p>{%UNKNOWN%}{%");
  EXPECT_EQ(TKXExceptionRenderer::RenderHTML(Exception("x"), mRequest.get()), "<p>MyKXApp</p>{%UNKNOWN%}{%");
}

TEST_F(TKXExceptionRendererTest, ExpiredTextSaysMinuteOrMinutes) {
  WriteTemplate("SESSIONTIMEOUT", kProbe);
  gSC->SetSessionTimeout(1);
  EXPECT_TRUE(Probe(EExpiredSession("ID", "x"))[fSpecific].ends_with("is&#32;1&#32;minute."));
  gSC->SetSessionTimeout(10);
  EXPECT_TRUE(Probe(EExpiredSession("ID", "x"))[fSpecific].ends_with("is&#32;10&#32;minutes."));
}

TEST_F(TKXExceptionRendererTest, HiddenSecurityDetailsShowTheBracketedText) {
  WriteTemplate("SECURITYCHECK", kProbe);
  gSC->SecurityOptions()->SetShowSecurityErrorDetails(false);
  const std::vector<std::string> f = Probe(EKXSecurityException("User agent changed"));
  EXPECT_EQ(f[fContent], "[Error details are disabled in server configuration]");
  EXPECT_EQ(f[fDetailsTitle] + f[fDetailsContent], "");
}

// F8: a session id from the request becomes character references only: no
// markup, no attribute end, no placeholder of its own.
TEST_F(TKXExceptionRendererTest, HostileSessionIdsBecomeCharacterReferences) {
  for (const std::string& id : test::HostileStrings()) {
    SCOPED_TRACE(id);
    EXPECT_EQ(TKXExceptionRenderer::RenderHTML(EInvalidAppID(id, "x"), mRequest.get()).find("<script"),
              std::string::npos);
  }
  WriteTemplate("SESSIONINVALID", kProbe);
  for (const std::string& id : test::HostileStrings()) {
    SCOPED_TRACE(id);
    const std::string field = Probe(EInvalidAppID(id + "{%APPNAME%}", "x"))[fAppId];
    EXPECT_EQ(field.find_first_of(std::string("<>\"'\r\n\0{}", 10)), std::string::npos) << field;
    for (std::size_t amp = field.find('&'); amp != std::string::npos; amp = field.find('&', amp + 1))
      EXPECT_EQ(field.compare(amp, 2, "&#"), 0) << field;
  }
}

// F8: run parameters reach the restart link's href: the expired session's from
// the store's expired list (where they stay), a general error's from the
// current session.
TEST_F(TKXExceptionRendererTest, RunParamsAreEscapedForTheHref) {
  auto newSession = [] {
    TKXApplication* session = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(kChrome), nullptr,
                                                                 nullptr, "127.0.0.1", "", "", "/");
    session->RunParams().Add("q=\"><svg onload=alert(1)>");  // passes the run-parameter guard
    session->Unlock();
    return session;
  };
  const std::string id = newSession()->AppID();
  mStore.LookUp(id)->SetSessionTimeOut(0);
  bool expired = false;
  ASSERT_EQ(mStore.LookupAndLock(id, expired, 0), nullptr);
  const std::string saved = mStore.GetExpiredParams(id, false);
  ASSERT_FALSE(saved.empty());
  const std::string page = TKXExceptionRenderer::RenderHTML(EExpiredSession(id, "x"), mRequest.get());
  EXPECT_EQ(page.find("<svg"), std::string::npos);
  EXPECT_NE(page.find("$/start" + TextToHTMLStringLiteral("/" + saved) + "\""), std::string::npos) << page;
  EXPECT_EQ(mStore.GetExpiredParams(id, false), saved);

  WriteTemplate("ERROR", kProbe);
  EXPECT_EQ(Probe(Exception("x"))[fRunParams], "");
  SetWebApplication(newSession());
  EXPECT_EQ(Probe(Exception("x"))[fRunParams],
            TextToHTMLStringLiteral("/" + GetWebApplication()->RunParams().GetRawString() +
                                    "&KX_SessionID_=" + GetWebApplication()->AppID()));
  // What the request contributes to the address is URL-encoded, then escaped.
  auto request = MakeRequest("198.51.100.7", "example.com", "/x\" onmouseover=\"alert(1)");
  EXPECT_EQ(Probe(Exception("x"), request.get())[fAppAddress],
            TextToHTMLStringLiteral("/x%22%20onmouseover=%22alert(1)/"));
}

// F9: only the connection's address grants details, never the Host header. A remote client's page carried the
// exception class, code addresses and the stack trace, which defeat address randomisation: it gets the message only.
TEST_F(TKXExceptionRendererTest, DetailsOnlyForLoopbackPeer) {
  WriteTemplate("ERROR", kProbe);
  const std::string appInfo = TextToHTMLStringLiteralEx(GAppPathname());
  auto remote = MakeRequest("198.51.100.7", "localhost");
  const std::vector<std::string> remotePage = Probe(Exception("x <y>"), remote.get());
  EXPECT_EQ(remotePage[fContent], TextToHTMLStringLiteralEx("x <y>"));
  EXPECT_EQ(remotePage[fDetailsTitle] + remotePage[fDetailsContent], "");
  auto local = MakeRequest("127.0.0.1", "example.com");
  const std::vector<std::string> localPage = Probe(Exception("x"), local.get());
  EXPECT_EQ(localPage[fDetailsTitle], "Error details:");
  EXPECT_NE(localPage[fDetailsContent].find(appInfo), std::string::npos);
}

// Issue 31, fault 6: details depended on the TCP peer alone, so behind a reverse proxy on the same machine every
// visitor got them. They go to the client the trusted-proxy rule gives; no proxy is trusted here.
TEST_F(TKXExceptionRendererTest, DetailsFollowTheClientBehindTheProxies) {
  WriteTemplate("ERROR", kProbe);
  const struct {
    const char* Peer;
    const char* ForwardedFor;
    const char* ClientIP;
    bool Details;
  } cases[] = {
      {"127.0.0.1", "", "", true},
      {"::1", " , ", "", true},
      {"127.0.0.1", "203.0.113.9", "", false},
      {"127.0.0.1", "127.0.0.1", "", false},  // who wrote it is unknown
      {"::1", "", "203.0.113.9", false},
      {"198.51.100.7", "127.0.0.1", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Peer) + " for " + c.ForwardedFor + "/" + c.ClientIP);
    auto request = MakeRequest(c.Peer, "example.com", "", c.ForwardedFor, c.ClientIP);
    const std::vector<std::string> page = Probe(Exception("x"), request.get());
    EXPECT_EQ(page[fDetailsTitle] == "Error details:", c.Details);
    EXPECT_EQ(page[fDetailsContent].empty(), !c.Details);
  }
}

TEST(TKXExceptionRendererClass, InstalledIntoTheServer) {
  InstallExceptionRenderer();
  EXPECT_EQ(GetExceptionRenderer(), &RenderExceptionPage);
  SetExceptionRenderer(nullptr);
}

TEST(TKXExceptionRendererClass, ReplacedAndRestoredByNil) {
  struct TMyRenderer {
    static std::string RenderHTML(const std::exception& e, const THttpRequest*) {
      return std::string("mine: ") + e.what();
    }
  };
  static const TKXExceptionRendererClass myClass{"TMyRenderer", &TMyRenderer::RenderHTML};
  SetExceptionRendererClass(&myClass);
  EXPECT_EQ(RenderExceptionPage(Exception("x"), nullptr), "mine: x");
  SetExceptionRendererClass(nullptr);
  EXPECT_EQ(&GetExceptionRendererClass(), &TKXExceptionRenderer::ClassRecord);
}

TEST(TKXExceptionRendererPlaceholders, ReplacedInOnePass) {
  auto values = [](std::string_view name, std::string& value) {
    if (name != "A" && name != "B") return false;
    value = name == "A" ? "{%B%}" : "b";
    return true;
  };
  EXPECT_EQ(TKXExceptionRenderer::ReplacePlaceholders("{%A%}{%B%}", values), "{%B%}b");
  EXPECT_EQ(TKXExceptionRenderer::ReplacePlaceholders("{%{%A%}%}{%C%}x{%A", values), "{%{%B%}%}{%C%}x{%A");
}

}  // namespace
}  // namespace kx
