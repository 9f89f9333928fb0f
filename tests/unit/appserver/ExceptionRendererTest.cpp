#include "appserver/ExceptionRenderer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "appserver/InternalFiles.h"
#include "appserver/KXGlobal.h"
#include "appserver/ServerController.h"
#include "appserver/Sessions.h"
#include "foundation/AppInfo.h"
#include "foundation/Browsers.h"
#include "foundation/HtmlUtils.h"
#include "foundation/HttpPackets.h"
#include "foundation/HttpRequest.h"
#include "foundation/KXExceptions.h"
#include "tests/support/Escaping.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

std::string gTestAppFolder;

constexpr const char* kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";
// Passes the run-parameter guard, yet would open an element if written raw.
constexpr const char* kHostileParam = "q=\"><svg onload=alert(1)>{%APPID%}";

class TRendererTestController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TRendererTestController, TKXServerControllerBase)
};

std::unique_ptr<THttpRequest> MakeRequest(const std::string& remoteAddr, const std::string& host = "example.com",
                                          const std::string& scriptName = "") {
  TRequestPacketFields fields;
  fields.RemoteAddr = remoteAddr;
  fields.Host = host;
  fields.ScriptName = scriptName;
  fields.PathInfo = "/";
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

std::vector<std::string> Fields(const std::string& page) {
  std::vector<std::string> fields(1);
  for (char c : page) {
    if (c == '|') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

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
    gSessions = &mStore;
  }
  void TearDown() override {
    SetWebApplication(nullptr);
    mStore.Clear();
    // The controller would free the store it finds in gSessions.
    gSessions = nullptr;
    gSC = nullptr;
    mController.reset();
    gGetAppPath = nullptr;
    fs::remove_all(gTestAppFolder);
  }

  void WriteTemplate(const std::string& kind, const std::string& text) {
    std::ofstream(gSC->TemplateDir() + "KX" + kind + ".html", std::ios::binary) << text;
  }
  std::vector<std::string> Probe(const std::exception& e, const THttpRequest* request = nullptr) {
    const std::string page = TKXExceptionRenderer::RenderHTML(e, request ? request : mRequest.get());
    std::vector<std::string> fields = Fields(page);
    EXPECT_EQ(fields.size(), std::size_t(fCount)) << page;
    fields.resize(fCount);
    return fields;
  }

  // A session (unlocked) whose run parameters hold kHostileParam.
  TKXApplication* NewSession() {
    TKXApplication* session = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(kChrome), nullptr,
                                                                 nullptr, "127.0.0.1", "", "", "/");
    session->RunParams().Add(kHostileParam);
    session->Unlock();
    return session;
  }
  static void ExpectSafeRunParams(const std::string& field) {
    EXPECT_TRUE(field.starts_with(TextToHTMLStringLiteral("/?"))) << field;
    EXPECT_EQ(field.find_first_of("\"'<>{}"), std::string::npos) << field;
  }

  TKXSessions mStore;
  TOwnedComponent<TRendererTestController> mController;
  std::unique_ptr<THttpRequest> mRequest;
};

TEST_F(TKXExceptionRendererTest, WithoutControllerOrRequestOnlyTheEscapedMessage) {
  const Exception e("<b>disk\nfull</b>");
  EXPECT_EQ(TKXExceptionRenderer::RenderHTML(e, nullptr), "&#60;b&#62;disk<br>full&#60;&#47;b&#62;");
  gSC = nullptr;
  EXPECT_EQ(TKXExceptionRenderer::RenderHTML(e, mRequest.get()), "&#60;b&#62;disk<br>full&#60;&#47;b&#62;");
}

TEST_F(TKXExceptionRendererTest, EachKindReadsItsOwnTemplateFile) {
  struct Case {
    std::function<void()> raise;
    std::string kind, id, specific;
    bool details;
  };
  const Case cases[] = {
      {[] { throw Exception("boom"); }, "ERROR", "",
       "Depending on the error condition, it might be possible to restart the application.", true},
      {[] { throw EExpiredSession("ID1", "Your session has expired due to inactivity."); }, "SESSIONTIMEOUT", "ID1",
       "Your session has expired. You will have to restart the application. In order to keep sessions from "
       "expiring you may set the session timeout parameter to a higher value. The current session timeout value "
       "is 10 minutes.",
       false},
      {[] { throw EInvalidAppID("ID2", "Session ID is invalid."); }, "SESSIONINVALID", "ID2",
       "Session ID is invalid.", false},
      {[] { throw EInvalidSession("ID3", "gone"); }, "SESSIONINVALID", "ID3", "Session ID is invalid.", false},
      {[] { throw EKXSecurityException("IP changed"); }, "SECURITYCHECK", "",
       "Security check failed. Please restart the application.", true},
  };
  for (const char* kind : {"ERROR", "SESSIONTIMEOUT", "SESSIONINVALID", "SECURITYCHECK"})
    WriteTemplate(kind, std::string(kind) + ":" + kProbe);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind + " " + c.id);
    try {
      c.raise();
    } catch (const std::exception& e) {
      std::vector<std::string> fields = Probe(e);
      EXPECT_EQ(fields[fAppId], c.kind + ":" + c.id);
      EXPECT_EQ(fields[fContent], TextToHTMLStringLiteralEx(e.what()));
      EXPECT_EQ(fields[fSpecific], TextToHTMLStringLiteralEx(c.specific));
      EXPECT_EQ(fields[fAppName], "MyKXApp");
      EXPECT_EQ(fields[fAppAddress], TextToHTMLStringLiteral("/"));
      EXPECT_EQ(fields[fDetailsTitle], c.details ? "Error details:" : "");
      EXPECT_EQ(fields[fDetailsContent].empty(), !c.details);
    }
  }
}

TEST_F(TKXExceptionRendererTest, EmbeddedTemplateWithoutFile) {
  struct Case {
    std::function<void()> raise;
    std::string title;
  };
  const Case cases[] = {
      {[] { throw Exception("boom"); }, "Application error"},
      {[] { throw EExpiredSession("ID1", "expired"); }, "Session expired"},
      {[] { throw EInvalidAppID("ID2", "invalid"); }, "Invalid session"},
      {[] { throw EKXSecurityException("IP changed"); }, "Security check failed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    try {
      c.raise();
    } catch (const std::exception& e) {
      const std::string page = TKXExceptionRenderer::RenderHTML(e, mRequest.get());
      EXPECT_TRUE(page.starts_with("<!DOCTYPE html>"));
      EXPECT_NE(page.find("<title>MyKXApp - " + c.title + "</title>"), std::string::npos);
      EXPECT_NE(page.find(TextToHTMLStringLiteralEx(e.what())), std::string::npos);
      EXPECT_NE(page.find("background: #224B09;"), std::string::npos);
      EXPECT_EQ(page.find("{%"), std::string::npos);
      EXPECT_EQ(page.find_first_of("\r\n"), std::string::npos);
    }
  }
}

TEST_F(TKXExceptionRendererTest, TemplateFileLosesByteOrderMarkAndLineBreaks) {
  WriteTemplate("ERROR", "\xEF\xBB\xBF<p>\r\n{%APPNAME%}\n</p>\r{%UNKNOWN%}{%");
  EXPECT_EQ(TKXExceptionRenderer::RenderHTML(Exception("x"), mRequest.get()), "<p>MyKXApp</p>{%UNKNOWN%}{%");
}

TEST_F(TKXExceptionRendererTest, ExpiredTextSaysMinuteOrMinutes) {
  WriteTemplate("SESSIONTIMEOUT", kProbe);
  for (int timeout : {1, 10}) {
    SCOPED_TRACE(timeout);
    gSC->SetSessionTimeout(timeout);
    const std::string specific = Probe(EExpiredSession("ID", "expired"))[fSpecific];
    EXPECT_TRUE(specific.ends_with(timeout == 1 ? "value&#32;is&#32;1&#32;minute."
                                                : "value&#32;is&#32;10&#32;minutes."))
        << specific;
  }
}

TEST_F(TKXExceptionRendererTest, HiddenSecurityDetailsShowTheBracketedText) {
  WriteTemplate("SECURITYCHECK", kProbe);
  gSC->SecurityOptions()->SetShowSecurityErrorDetails(false);
  const std::vector<std::string> fields = Probe(EKXSecurityException("User agent changed"));
  EXPECT_EQ(fields[fContent], "[Error details are disabled in server configuration]");
  EXPECT_EQ(fields[fDetailsTitle], "");
  EXPECT_EQ(fields[fDetailsContent], "");
}

// F8: a session id from the request cannot add markup, close the attribute or
// bring in a placeholder of its own.
TEST_F(TKXExceptionRendererTest, HostileSessionIdCannotInjectMarkup) {
  const std::string id = "\"><script>alert(1)</script>{%APPNAME%}";
  const std::string page = TKXExceptionRenderer::RenderHTML(EInvalidAppID(id, "invalid"), mRequest.get());
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("{%"), std::string::npos);
  EXPECT_NE(page.find("<p class=\"session\">" + TextToHTMLStringLiteral(id) + "</p>"), std::string::npos);
  WriteTemplate("SESSIONINVALID", kProbe);
  EXPECT_EQ(Probe(EInvalidAppID(id, "invalid"))[fAppId],
            "&#34;&#62;&#60;script&#62;alert&#40;1&#41;&#60;&#47;script&#62;&#123;&#37;APPNAME&#37;&#125;");
}

TEST_F(TKXExceptionRendererTest, HostileSessionIdsBecomeCharacterReferences) {
  WriteTemplate("SESSIONINVALID", kProbe);
  for (const std::string& id : test::HostileStrings()) {
    SCOPED_TRACE(id);
    const std::string field = Probe(EInvalidAppID(id, "invalid"))[fAppId];
    EXPECT_EQ(field.find_first_of(std::string("<>\"'\r\n\0{}", 10)), std::string::npos) << field;
    for (std::size_t amp = field.find('&'); amp != std::string::npos; amp = field.find('&', amp + 1))
      EXPECT_EQ(field.compare(amp, 2, "&#"), 0) << field;
  }
}

// F8: run parameters reach the restart link's href; the expired session's are
// read from the store's expired list and stay there.
TEST_F(TKXExceptionRendererTest, ExpiredSessionRunParamsAreEscapedAndKept) {
  TKXApplication* session = NewSession();
  const std::string id = session->AppID();
  session->SetSessionTimeOut(0);
  bool expired = false;
  ASSERT_EQ(mStore.LookupAndLock(id, expired, 0), nullptr);
  ASSERT_TRUE(expired);
  const std::string saved = mStore.GetExpiredParams(id, false);
  ASSERT_FALSE(saved.empty());

  const std::string page = TKXExceptionRenderer::RenderHTML(EExpiredSession(id, "expired"), mRequest.get());
  EXPECT_EQ(page.find("<svg"), std::string::npos);
  EXPECT_NE(page.find("$/start" + TextToHTMLStringLiteral("/" + saved) + "\""), std::string::npos) << page;
  WriteTemplate("SESSIONTIMEOUT", kProbe);
  ExpectSafeRunParams(Probe(EExpiredSession(id, "expired"))[fRunParams]);
  EXPECT_EQ(mStore.GetExpiredParams(id, false), saved);
}

TEST_F(TKXExceptionRendererTest, GeneralErrorTakesRunParamsOfCurrentSession) {
  WriteTemplate("ERROR", kProbe);
  EXPECT_EQ(Probe(Exception("x"))[fRunParams], "");
  SetWebApplication(NewSession());
  ExpectSafeRunParams(Probe(Exception("x"))[fRunParams]);
}

// F8: the restart address is a URL inside an href; what the request contributes
// is URL-encoded and then escaped for the attribute.
TEST_F(TKXExceptionRendererTest, AddressIsEscapedForTheHref) {
  WriteTemplate("ERROR", kProbe);
  auto request = MakeRequest("198.51.100.7", "example.com", "/x\" onmouseover=\"alert(1)");
  EXPECT_EQ(Probe(Exception("x"), request.get())[fAppAddress],
            TextToHTMLStringLiteral("/x%22%20onmouseover=%22alert(1)/"));
}

// F9: only the connection's address decides about full details, never the Host header.
TEST_F(TKXExceptionRendererTest, FullDetailsOnlyForLoopbackPeer) {
  WriteTemplate("ERROR", kProbe);
  const std::string appInfo = TextToHTMLStringLiteralEx(GAppPathname());
  auto remote = MakeRequest("198.51.100.7", "localhost");
  const std::string remoteDetails = Probe(Exception("x"), remote.get())[fDetailsContent];
  EXPECT_FALSE(remoteDetails.empty());
  EXPECT_EQ(remoteDetails.find(appInfo), std::string::npos);
  auto local = MakeRequest("127.0.0.1", "example.com");
  EXPECT_NE(Probe(Exception("x"), local.get())[fDetailsContent].find(appInfo), std::string::npos);
}

TEST_F(TKXExceptionRendererTest, ColoursComeFromTheClassVariables) {
  WriteTemplate("ERROR", kProbe);
  std::vector<std::string> fields = Probe(Exception("x"));
  EXPECT_EQ(fields[fFrom] + fields[fTo] + fields[fHeaderText] + fields[fBodyBack] + fields[fBodyText],
            "#224B09#A9DB80#FFFFFF#F9F9F9#000000");
  TKXExceptionRenderer::SetColors(clRed, clLime, clBlue, clBlack, clWhite);
  fields = Probe(Exception("x"));
  TKXExceptionRenderer::SetColors(0x094B22, 0x80DBA9, 0xFFFFFF, 0xF9F9F9, 0);
  EXPECT_EQ(fields[fFrom] + fields[fTo] + fields[fHeaderText] + fields[fBodyBack] + fields[fBodyText],
            "#FF0000#00FF00#0000FF#000000#FFFFFF");
}

TEST(TKXExceptionRendererClass, ReplacedAndRestoredByNil) {
  struct TMyRenderer {
    static std::string RenderHTML(const std::exception& e, const THttpRequest*) {
      return std::string("mine: ") + e.what();
    }
  };
  static const TKXExceptionRendererClass myClass{"TMyRenderer", &TMyRenderer::RenderHTML};
  EXPECT_STREQ(GetExceptionRendererClass().Name, "TKXExceptionRenderer");
  SetExceptionRendererClass(&myClass);
  EXPECT_EQ(RenderExceptionPage(Exception("x"), nullptr), "mine: x");
  SetExceptionRendererClass(nullptr);
  EXPECT_EQ(&GetExceptionRendererClass(), &TKXExceptionRenderer::ClassRecord);
  EXPECT_EQ(RenderExceptionPage(Exception("<x>"), nullptr), "&#60;x&#62;");
}

TEST(TKXExceptionRendererPlaceholders, ReplacedInOnePass) {
  auto values = [](std::string_view name, std::string& value) {
    if (name == "A") value = "{%B%}";
    else if (name == "B") value = "b";
    else return false;
    return true;
  };
  EXPECT_EQ(TKXExceptionRenderer::ReplacePlaceholders("{%A%}{%B%}", values), "{%B%}b");
  EXPECT_EQ(TKXExceptionRenderer::ReplacePlaceholders("{%{%A%}%}", values), "{%{%B%}%}");
  EXPECT_EQ(TKXExceptionRenderer::ReplacePlaceholders("x{%A", values), "x{%A");
  EXPECT_EQ(TKXExceptionRenderer::ReplacePlaceholders("{%C%}{%B%}", values), "{%C%}b");
}

}  // namespace
}  // namespace kx
