// The session output operations of TKXApplication (appserver/ApplicationOutput.cpp).
#include "kx/appserver/Application.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/CacheFiles.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/MimeTypes.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/SessionOutput.h"
#include "kx/appserver/Sessions.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/Paths.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";
constexpr const char* kAndroid =
    "Mozilla/5.0 (Linux; U; Android 4.0.3; ko-kr; LG-L160L Build/IML74K) AppleWebkit/534.30 (KHTML, like Gecko) "
    "Version/4.0 Mobile Safari/534.30";

std::string gTestAppFolder;

class TOutputTestController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TOutputTestController, TKXServerControllerBase)
};

// Records what the operations add to a callback answer.
class TRecordingResponse : public IKXCallBackResponse {
 public:
  void Initialize() override { Execute.clear(); }
  void AddJavaScriptToExecute(const std::string& script) override { Execute.push_back(script); }
  void AddJavaScriptToExecuteAsCDATA(const std::string& script) override { Execute.push_back("CDATA:" + script); }
  void AddTagToRewrite(const std::string&) override {}
  void SetSubmitURL(const std::string&) override {}
  void SetTrackNumber(const std::string&) override {}
  void AddTagToUpdate(TKXRenderStream&) override {}
  void AddTagToUpdate(TKXElementPtr<TKXMarkupLanguageTag>) override {}
  const std::string& FocusedControlHTMLName() const override { return Focused; }
  void SetFocusedControlHTMLName(const std::string& name) override { Focused = name; }
  void StreamResponse(TKXRenderStream&) override {}

  std::vector<std::string> Execute;
  std::string Focused;
};

// An active form as far as the output operations reach it.
class TPageForm : public TComponent, public virtual IKXHTMLForm {
  KX_COMPONENT_CLASS(TPageForm, TComponent)

 public:
  int Width() const override { return 0; }
  int Height() const override { return 0; }
  void SetBounds(int, int, int, int) override {}
  void SetDoRefreshControl(bool) override {}
  void SetBrowserSize(int, int) override {}
  std::string GenerateControlPositions() override { return {}; }
  void AddToInitProc(const std::string&) override {}
  void AddToInitProcNewWindowCode(const std::string& script) override { NewWindowCode += script; }

  std::string NewWindowCode;
};

class TFolderCacheController : public IKXCacheController {
 public:
  std::string CacheDir() const override { return Folder; }
  TStrings& CacheFiles() override { return Files; }

  std::string Folder;
  TStringList Files;
};

class TKXApplicationOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBrowsers();
    TKXMimeTypes::Init();
    std::string pattern = gsTempPath() + "kx-output-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gTestAppFolder = pattern + "/";
    gGetAppPath = [] { return gTestAppFolder; };
    mController.reset(TComponent::Create<TOutputTestController>(nullptr));
    gSC = mController.get();
    gSC->SSLOptions()->SetPort(8443);
    mCache.Folder = gTestAppFolder + "cache/";
    fs::create_directories(mCache.Folder);
    TKXAppCache::SetController(&mCache);
    delete gSessions;  // the store kx::Startup made: this test uses its own
    gSessions = &mStore;
    gCreateCallBackResponse = [](TKXApplication&) -> std::unique_ptr<IKXCallBackResponse> {
      return std::make_unique<TRecordingResponse>();
    };
  }
  void TearDown() override {
    for (TKXApplication* session : mSessions) session->FinishRequest();
    mStore.Clear();
    // The controller would free the store it finds in gSessions.
    gSessions = nullptr;
    TKXAppCache::SetController(nullptr);
    mController.reset();
    fs::remove_all(gTestAppFolder);
  }

  // A session of userAgent in a request for host "shop.example" on port 80, or over TLS on port 8443.
  TKXApplication* NewSession(const char* userAgent = kChrome, bool secure = false) {
    TKXApplication* session = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(userAgent), nullptr,
                                                                 nullptr, "127.0.0.1", "", "", "/");
    session->Unlock();
    mSessions.push_back(session);
    TRequestPacketFields fields;
    fields.Host = "shop.example";
    fields.ServerPort = secure ? 8443 : 80;
    fields.HttpsHeader = secure ? "on" : "off";
    fields.Method = "GET";
    fields.UserAgent = userAgent;
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    const std::int64_t length = WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    mRequests.push_back(std::make_unique<THttpRequest>(buffer.data(), length));
    mReplyBuffers.emplace_back(THttpPacket::HostBufferSize);
    mReplies.push_back(
        std::make_unique<THttpReply>(mReplyBuffers.back().data(), std::int32_t(THttpPacket::HostBufferSize)));
    session->Initialize(mRequests.back().get(), mReplies.back().get());
    return session;
  }
  static TRecordingResponse& Response(TKXApplication* session) {
    return dynamic_cast<TRecordingResponse&>(*session->CallBackResponse());
  }
  // The reply packet that session's reply commits.
  TReplyPacket Commit(TKXApplication* session) {
    const std::size_t index = std::size_t(std::find(mSessions.begin(), mSessions.end(), session) - mSessions.begin());
    session->Response()->Commit();
    return ReadReplyPacket(mReplyBuffers.at(index).data(), THttpPacket::HostBufferSize);
  }
  // The body the session's render override gives the reply.
  std::string OverrideBody(TKXApplication* session) {
    EXPECT_TRUE(session->SendRenderOverride(*session->Response()));
    return Commit(session).Content;
  }
  std::string WriteFile(const std::string& relative, const std::string& bytes) {
    const std::string name = gTestAppFolder + relative;
    fs::create_directories(fs::path(name).parent_path());
    std::ofstream(name, std::ios::binary) << bytes;
    return name;
  }
  // The content of the cache file that href names.
  std::string CacheContent(const std::string& href) {
    TReadCacheFileStream stream(mCache.Folder + TURL::ExtractFileName(href) + ".tmp");
    std::string bytes(std::size_t(stream.Size()), '\0');
    stream.ReadBuffer(bytes.data(), stream.Size());
    return bytes;
  }
  static std::string Href(const std::string& redirectScript) {
    const std::size_t open = redirectScript.find('"');
    return redirectScript.substr(open + 1, redirectScript.rfind('"') - open - 1);
  }

  TKXSessions mStore;
  TOwnedComponent<TOutputTestController> mController;
  TFolderCacheController mCache;
  std::vector<TKXApplication*> mSessions;
  std::vector<std::unique_ptr<THttpRequest>> mRequests;
  std::vector<std::vector<char>> mReplyBuffers;
  std::vector<std::unique_ptr<THttpReply>> mReplies;
};

TEST_F(TKXApplicationOutputTest, SendFileInFullRequestSendsTheFileAsDownload) {
  const std::string file = WriteFile("docs/R\xC3\xA9sum\xC3\xA9 final.pdf", "%PDF");
  TKXApplication* session = NewSession();
  session->SendFile(file, true);
  const THttpReply& reply = *session->Response();
  EXPECT_EQ(reply.DataType(), rtFile);
  EXPECT_EQ(reply.FilePathname(), file);
  EXPECT_FALSE(reply.FileDelete());
  EXPECT_TRUE(reply.CacheControlEnabled());
  EXPECT_NE(reply.Expires(), 0);
  EXPECT_EQ(reply.ContentType(), "application/pdf; charset=UTF-8");
  EXPECT_EQ(reply.Headers().Values("Content-Disposition"),
            "attachment; filename=\"R_sum_ final.pdf\"; filename*=UTF-8''R%C3%A9sum%C3%A9%20final.pdf");
  EXPECT_TRUE(session->SkipGenerateForm());
}

TEST_F(TKXApplicationOutputTest, AndroidGetsUpperCaseExtensionAndOctetStream) {
  TKXApplication* session = NewSession(kAndroid);
  auto stream = std::make_unique<TMemoryStream>();
  stream->Write("%PDF", 4);
  session->SendStream(std::move(stream), false, "application/pdf", "report.pdf");
  THttpReply& reply = *session->Response();
  EXPECT_EQ(reply.ContentType(), "application/octet-stream; charset=UTF-8");
  EXPECT_EQ(reply.Headers().Values("Content-Disposition"), "attachment; filename=\"report.PDF\"");
  EXPECT_EQ(Commit(session).Content, "%PDF");
  EXPECT_TRUE(session->SkipGenerateForm());
}

// F12: in callbacks, two sessions sending files of one name get one-time
// cache files of their own.
TEST_F(TKXApplicationOutputTest, CallbackDownloadsOfSameNameStayApart) {
  const std::string first = WriteFile("one/report.pdf", "first");
  const std::string second = WriteFile("two/report.pdf", "second");
  TKXApplication* a = NewSession();
  TKXApplication* b = NewSession();
  a->SetIsCallBack(true);
  b->SetIsCallBack(true);
  a->SendFile(first);
  b->SendFile(second);
  ASSERT_EQ(Response(a).Execute.size(), 1u);
  ASSERT_EQ(Response(b).Execute.size(), 1u);
  const std::string hrefA = Href(Response(a).Execute[0]);
  const std::string hrefB = Href(Response(b).Execute[0]);
  EXPECT_EQ(Response(a).Execute[0], "CDATA:" + JsRedirect(hrefA, true));
  EXPECT_NE(hrefA, hrefB);
  EXPECT_EQ(CacheContent(hrefA), "first");
  EXPECT_EQ(CacheContent(hrefB), "second");
  EXPECT_EQ(a->Response()->DataType(), rtNone);
  EXPECT_TRUE(a->SkipGenerateForm());
}

TEST_F(TKXApplicationOutputTest, TerminateWithMessageShowsThePage) {
  TKXApplication* session = NewSession();
  session->Terminate(std::string());
  EXPECT_TRUE(session->Terminated());
  EXPECT_EQ(OverrideBody(session), TerminatedPage(""));

  // A callback is sent to a one-time cache file holding the page.
  TKXApplication* callback = NewSession();
  callback->SetIsCallBack(true);
  callback->Terminate(std::string("<b>Bye</b>"));
  EXPECT_TRUE(callback->Terminated());
  ASSERT_EQ(Response(callback).Execute.size(), 1u);
  const std::string href = Href(Response(callback).Execute[0]);
  EXPECT_EQ(Response(callback).Execute[0], JsRedirect(href, true));
  EXPECT_EQ(CacheContent(href), "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n</head><body><b>Bye</b></body></html>");
}

TEST_F(TKXApplicationOutputTest, SwitchToSecureCallsBackIntoTheSameSession) {
  TKXApplication* session = NewSession(kChrome, false);
  session->SetMappedURL("/app/$");
  session->SwitchToSecure();
  const std::string url = "https://shop.example:8443/app/$/call?" + session->AppID() + "_1";
  EXPECT_EQ(session->Response()->ServerPort(), 8443);
  EXPECT_TRUE(session->IsRedirect());
  EXPECT_EQ(OverrideBody(session), HtmlRedirect(url, false));

  // Already secure: nothing to do; the way back names the track in base 36.
  TKXApplication* secure = NewSession(kChrome, true);
  secure->SwitchToSecure();
  EXPECT_FALSE(secure->IsRedirect());
  secure->SetMappedURL("/app/$/");
  secure->SetTrackID(36);
  secure->SwitchToNonSecure();
  EXPECT_EQ(OverrideBody(secure), HtmlRedirect("http://shop.example/app/$/call?" + secure->AppID() + "_10", false));
}

TEST_F(TKXApplicationOutputTest, NewWindowGoesToPageOrCallback) {
  TKXApplication* session = NewSession();
  session->NewWindow("x.html");  // no active form: nothing to carry it
  TPageForm* form = TComponent::Create<TPageForm>(session);
  session->SetActiveForm(form);
  session->NewWindow("help.html", "help", 300, 400);
  EXPECT_EQ(form->NewWindowCode, NewWindowScript("help.html", "help", 300, 400, {woDefault}, -1, -1));
  EXPECT_TRUE(form->NewWindowCode.find("\"height=300,width=400\"") != std::string::npos);

  session->SetIsCallBack(true);
  NewWindow(*session, "a\"b", "", -1, -1, {woDetectBlock}, 5, 6);
  ASSERT_EQ(Response(session).Execute.size(), 1u);
  EXPECT_EQ(Response(session).Execute[0], NewWindowScript("a\"b", "", -1, -1, {woDetectBlock}, 5, 6));
  EXPECT_EQ(form->NewWindowCode.find("a\\x22b"), std::string::npos);
}

}  // namespace
}  // namespace kx
