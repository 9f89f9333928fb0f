// Request packets through the entry point: each test writes a request packet with the encoder the hosts use,
// calls HttpExecute and reads the reply packet back, as a host would.
#include "kx/appserver/Server.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "kx/appserver/CacheFiles.h"
#include "kx/appserver/Compression.h"
#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/MimeTypes.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/HttpDates.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/Resources.h"
#include "support/Inflate.h"

namespace kx {
namespace {

using test::Gunzip;

namespace fs = std::filesystem;

std::string gTestAppFolder;

// A script of about 30 KB, registered once as an internal file and pre-compressed.
const std::string& TestScript() {
  static const std::string script = [] {
    std::string text;
    for (int i = 0; text.size() < 30000; ++i) text += "function f" + std::to_string(i) + "(a) { return a + " + std::to_string(i) + "; }\n";
    return text;
  }();
  return script;
}

class HttpExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto stream = std::make_unique<TMemoryStream>();
    stream->WriteBuffer(TestScript().data(), std::int64_t(TestScript().size()));
    gInternalFiles->AddStream(std::move(stream), "KX_JS_TESTLIB", "/js/TestLib.js");
    gInternalFiles->DoPreCompressFiles();
    // The session-less road on its own: session paths meet no session layer (a row that needs a session puts
    // mSessionFactory back while it asks).
    mSessionFactory = gServerFactory;
    gServerFactory = nullptr;
    std::string pattern = gsTempPath() + "kx-http-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gTestAppFolder = pattern + "/";
    gGetAppPath = [] { return gTestAppFolder; };
    mContent = gTestAppFolder + "wwwroot/";
    fs::create_directories(mContent);
    mController.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gSC = gServerController = mController.get();
    SC().OnException = [this](TKXApplication*, const std::exception& e, bool&) {
      mEvents.push_back(std::string("exception ") + e.what());
    };
  }

  void TearDown() override {
    mController.reset();
    gServerFactory = mSessionFactory;
    fs::remove_all(gTestAppFolder);
  }

  TKXServerControllerBase& SC() { return *mController; }

  TKXServerFactory mSessionFactory = nullptr;

  static TRequestPacketFields Request(const std::string& pathInfo) {
    TRequestPacketFields fields;
    fields.PathInfo = pathInfo;
    fields.URL = pathInfo;
    fields.Method = "GET";
    fields.Host = "www.example.com:8080";
    fields.ServerPort = 8080;
    fields.RemoteAddr = "192.0.2.10";
    fields.UserAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
    return fields;
  }

  static TReplyPacket Exchange(const TRequestPacketFields& fields) {
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    return ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
  }

  static TReplyPacket Get(const std::string& pathInfo, const std::function<void(TRequestPacketFields&)>& adjust = {}) {
    TRequestPacketFields fields = Request(pathInfo);
    if (adjust) adjust(fields);
    return Exchange(fields);
  }

  // The value of the header line "name: value" or "name:value"; "" when absent.
  static std::string Header(const TReplyPacket& reply, std::string_view name) {
    for (const std::string& line : reply.Headers) {
      const std::size_t colon = line.find(':');
      if (colon != std::string::npos && SameText(Trim(line.substr(0, colon)), name)) return Trim(line.substr(colon + 1));
    }
    return {};
  }

  void WriteFile(const std::string& fileName, const std::string& text) {
    fs::create_directories(fs::path(fileName).parent_path());
    std::ofstream(fileName, std::ios::binary) << text;
  }

  static std::string NotFoundPage() { return "<html><body>404 - Not Found</body></html>"; }

  std::string mContent;
  TOwnedComponent<TKXServerControllerBase> mController;
  std::vector<std::string> mEvents;
};

TEST_F(HttpExecuteTest, PingAnswersPongInAnyCase) {
  for (const char* path : {"/$/ping", "/$/Ping", "/$/PING"}) {
    SCOPED_TRACE(path);
    TReplyPacket reply = Get(path);
    EXPECT_EQ(reply.Code, 200);
    EXPECT_EQ(reply.DataType, rtInline);
    EXPECT_EQ(reply.Content, "Pong");
    EXPECT_EQ(Header(reply, "Cache-Control"), "no-cache");
  }
  EXPECT_TRUE(mEvents.empty());
}

// Any other path, "/$/pinga" too, needs a session; without the session layer that is an error page.
TEST_F(HttpExecuteTest, SessionPathsGoThroughTheExceptionPath) {
  for (const char* path : {"/$/pinga", "/", "/index.html", "/$/", "/$/callback", "/$/Start"}) {
    SCOPED_TRACE(path);
    mEvents.clear();
    TReplyPacket reply = Get(path);
    EXPECT_EQ(reply.Code, 500);
    EXPECT_EQ(reply.DataType, rtInline);
    EXPECT_NE(reply.Content.find(TextToHTMLStringLiteralEx("Session dispatch is not available.")), std::string::npos);
    EXPECT_EQ(mEvents, (std::vector<std::string>{"exception Session dispatch is not available."}));
  }
}

TEST_F(HttpExecuteTest, FavIconComesFromTheEmbeddedResource) {
  TReplyPacket reply = Get("/favicon.ico");
  EXPECT_EQ(reply.Code, 200);
  ASSERT_EQ(reply.DataType, rtInline);
  const TEmbeddedResource* icon = FindResource("KX_FAVICON");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(reply.Content, icon->Text());
  EXPECT_EQ(reply.ContentType, TKXMimeTypes::GetAsString(".ico"));
  EXPECT_EQ(Header(reply, "Cache-Control"), "private");
}

TEST_F(HttpExecuteTest, FavIconComesFromTheContentFolderWhenThere) {
  WriteFile(mContent + "favicon.ico", "own icon");
  TReplyPacket reply = Get("/FAVICON.ICO");
  EXPECT_EQ(reply.Code, 200);
  ASSERT_EQ(reply.DataType, rtFile);
  EXPECT_EQ(reply.FileName, mContent + "favicon.ico");
  EXPECT_FALSE(reply.DeleteFile);
  EXPECT_EQ(reply.ContentType, TKXMimeTypes::GetAsString(".ico"));
  EXPECT_FALSE(Header(reply, "Last-Modified").empty());
}

TEST_F(HttpExecuteTest, StaticFileIsSentWithItsDateAndThen304) {
  WriteFile(mContent + "css/site.css", "body {}");
  TReplyPacket reply = Get("/css/site.css");
  EXPECT_EQ(reply.Code, 200);
  ASSERT_EQ(reply.DataType, rtFile);
  EXPECT_EQ(reply.FileName, mContent + "css/site.css");
  EXPECT_FALSE(reply.DeleteFile);
  EXPECT_EQ(reply.ContentType, std::string(MIME_CSS));
  EXPECT_EQ(Header(reply, "Cache-Control"), "private");
  const std::string lastModified = Header(reply, "Last-Modified");
  ASSERT_FALSE(lastModified.empty());

  TReplyPacket again = Get("/css/site.css", [&](TRequestPacketFields& f) { f.IfModifiedSince = lastModified; });
  EXPECT_EQ(again.Code, 304);
  EXPECT_NE(again.DataType, rtFile);
  EXPECT_TRUE(again.Content.empty());
  EXPECT_TRUE(mEvents.empty());
}

// A missing static file is answered 404 once; nothing runs after it (no session dispatch, no error page).
TEST_F(HttpExecuteTest, MissingStaticFileIs404AndNothingElse) {
  TReplyPacket reply = Get("/docs/missing.pdf");
  EXPECT_EQ(reply.Code, 404);
  EXPECT_EQ(reply.Content, NotFoundPage());
  EXPECT_EQ(reply.ContentType, "text/html");
  EXPECT_TRUE(mEvents.empty());
}

TEST_F(HttpExecuteTest, FileNameWithHashIs404) {
  WriteFile(mContent + "a#b.txt", "text");
  TReplyPacket reply = Get("/a#b.txt");
  EXPECT_EQ(reply.Code, 404);
  EXPECT_EQ(reply.Content, NotFoundPage());
}

// Issue 31, fault 10: a backslash ("%5C") in the path gave a 500 exception page.
TEST_F(HttpExecuteTest, BackslashInThePathIs404) {
  WriteFile(mContent + "sub/page.txt", "page");
  for (const char* path : {"/sub\\page.txt", "/a\\b", "/\\", "/$/js\\KXBase.js", "/$\\js/KXBase.js"}) {
    SCOPED_TRACE(path);
    TReplyPacket reply = Get(path);
    EXPECT_EQ(reply.Code, 404);
    EXPECT_EQ(reply.Content, NotFoundPage());
  }
  EXPECT_TRUE(mEvents.empty());
}

TEST_F(HttpExecuteTest, PathsNeverReachFilesOutsideTheContentFolder) {
  WriteFile(gTestAppFolder + "secret.txt", "top secret");
  WriteFile(mContent + "sub/page.txt", "page");
  const std::string absolute = "/" + gTestAppFolder + "secret.txt";
  const std::string cases[] = {
      "/../secret.txt",
      "/sub/../../secret.txt",
      "/sub/../secret.txt",
      "/%2e%2e/secret.txt",
      "/..%2fsecret.txt",
      std::string("/sub/\0/../../secret.txt", 23),
      std::string("/secret.txt\0.txt", 16),
      absolute,
      "/" + absolute,
      "/$/filesnc/../../secret.txt",
      "/$/filesnc/../secret.txt",
      "/$/temp/../../secret",
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    TReplyPacket reply = Get(path);
    EXPECT_EQ(reply.Code, 404);
    EXPECT_NE(reply.DataType, rtFile);
    EXPECT_NE(reply.DataType, rtCacheFile);
    EXPECT_EQ(reply.Content.find("top secret"), std::string::npos);
  }
  // A backslash is refused before any file is looked at: not found (issue 31, fault 10: it was a 500 page).
  for (const char* path : {"/sub\\page.txt", "/sub/..\\..\\secret.txt"}) {
    SCOPED_TRACE(path);
    TReplyPacket reply = Get(path);
    EXPECT_EQ(reply.Code, 404);
    EXPECT_EQ(reply.Content, NotFoundPage());
  }
}

TEST_F(HttpExecuteTest, NormalisesTheUrlPath) {
  std::string seen;
  SC().OnExecuteRequest = [&](const std::string& path, THttpRequest&, bool& handled, THttpReply& reply) {
    seen = path;
    reply.WriteString("handled");
    handled = true;
  };
  const struct {
    const char* URLBase;
    const char* PathInfo;
    const char* Expected;
  } cases[] = {
      {"", "", "/"},
      {"", "/$", "/$/"},
      {"", "//a//b", "/a/b"},
      {"", "///", "//"},
      {"", "/../x", "x"},
      {"", "/../../x", "../x"},
      {"/app/", "/app/$/js/x.js", "/$/js/x.js"},
      {"/app/", "/APP/$/ping", "/$/ping"},
      {"/app/", "/other/x", "/other/x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.PathInfo);
    SC().SetURLBase(c.URLBase);
    seen = "(not called)";
    TReplyPacket reply = Get(c.PathInfo);
    EXPECT_EQ(seen, c.Expected);
    EXPECT_EQ(reply.Code, 200);
  }
}

// Pre-compressed files went out gzip-encoded even to a client that refuses gzip: it gets the plain bytes.
TEST_F(HttpExecuteTest, PreCompressedScriptIsSentGzipEncodedOnlyWhereAccepted) {
  // The same bytes registered already gzip-encoded, which the registry only marks compressed.
  auto gzipped = std::make_unique<TMemoryStream>();
  {
    TPointerStream plain(TestScript().data(), std::int64_t(TestScript().size()));
    KXCompressStreamProc(plain, *gzipped, 9, kxcmGZIP);
  }
  gInternalFiles->AddStream(std::move(gzipped), "KX_JS_GZIPPED", "/js/Gzipped.js");
  gInternalFiles->DoPreCompressFiles();
  const struct {
    const char* AcceptEncoding;  // nullptr: no header
    bool GZip;
  } cases[] = {{"gzip, deflate", true}, {"*", true}, {nullptr, false}, {"identity", false}, {"gzip;q=0", false}};
  for (const char* path : {"/$/js/TestLib__1a2b.js", "/$/js/Gzipped.js"}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(path + std::string(" ") + (c.AcceptEncoding ? c.AcceptEncoding : "(none)"));
      TReplyPacket reply = Get(path, [&](TRequestPacketFields& f) {
        if (c.AcceptEncoding) f.RawHeaders.push_back(std::string("Accept-Encoding: ") + c.AcceptEncoding);
      });
      EXPECT_EQ(reply.Code, 200);
      // Over the inline limit the body travels as a file the host deletes once sent.
      std::string body = reply.Content;
      if (reply.DataType == rtFile) {
        std::ifstream in(reply.FileName, std::ios::binary);
        body.assign(std::istreambuf_iterator<char>(in), {});
        fs::remove(reply.FileName);
      }
      EXPECT_EQ(Header(reply, "Content-Encoding"), c.GZip ? "gzip" : "");
      EXPECT_EQ(Header(reply, "Vary"), "Accept-Encoding");
      EXPECT_EQ(reply.ContentType, std::string(MIME_JavaScript));
      EXPECT_EQ(c.GZip ? Gunzip(body) : body, TestScript());
      EXPECT_EQ(Header(reply, "Last-Modified"), LocalDateTimeToHttpStr(SC().StartDateTime()));
      EXPECT_EQ(Header(reply, "Cache-Control"), "private");
    }
  }
}

TEST_F(HttpExecuteTest, ScriptUnderTheUrlBaseDropsTheVersionSuffix) {
  SC().SetURLBase("/app/");
  TReplyPacket reply =
      Get("/app/$/javascript/TESTLIB__99.js", [](TRequestPacketFields& f) { f.RawHeaders = {"Accept-Encoding: gzip"}; });
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(Header(reply, "Content-Encoding"), "gzip");
}

// A name nobody registered is a 404, not an exception report.
TEST_F(HttpExecuteTest, ScriptThatIsNotEmbeddedIs404WithoutReport) {
  for (const char* path : {"/$/js/NotEmbedded.js", "/$/css/Missing.css", "/$/gfx/../../x.gif"}) {
    SCOPED_TRACE(path);
    TReplyPacket reply = Get(path);
    EXPECT_EQ(reply.Code, 404);
    EXPECT_EQ(reply.Content, NotFoundPage());
    EXPECT_EQ(Header(reply, "Cache-Control"), "no-cache");
  }
  EXPECT_TRUE(mEvents.empty());
}

TEST_F(HttpExecuteTest, EmbeddedImageAnswers304ToTheStartTime) {
  const TEmbeddedResource* image = FindResource("KX_GFX_Tp");
  ASSERT_NE(image, nullptr);
  TReplyPacket reply = Get("/$/gfx/Tp.gif");
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(reply.Content, image->Text());
  EXPECT_EQ(reply.ContentType, std::string(MIME_GIF));

  const TDateTime start = SC().StartDateTime();
  TReplyPacket same = Get("/$/gfx/Tp.gif", [&](TRequestPacketFields& f) { f.IfModifiedSince = LocalDateTimeToHttpStr(start); });
  EXPECT_EQ(same.Code, 304);
  EXPECT_TRUE(same.Content.empty());

  TReplyPacket later =
      Get("/$/gfx/Tp.gif", [&](TRequestPacketFields& f) { f.IfModifiedSince = LocalDateTimeToHttpStr(IncSecond(start)); });
  EXPECT_EQ(later.Code, 200);
  EXPECT_EQ(later.Content, image->Text());

  // A date that does not parse is no date: the image is sent.
  TReplyPacket garbled = Get("/$/gfx/Tp.gif", [](TRequestPacketFields& f) { f.IfModifiedSince = "yesterday"; });
  EXPECT_EQ(garbled.Code, 200);
}

TEST_F(HttpExecuteTest, BlankPageIsCachedAndAnswers304) {
  for (const char* path : {"/$/blank", "/$/BLANK_"}) {
    SCOPED_TRACE(path);
    TReplyPacket reply = Get(path);
    EXPECT_EQ(reply.Code, 200);
    EXPECT_EQ(reply.Content, "<html><head><title></title></head><body></body></html>");
    EXPECT_EQ(Header(reply, "Last-Modified"), LocalDateTimeToHttpStr(SC().StartDateTime()));
    EXPECT_EQ(Header(reply, "Cache-Control"), "private");
    TReplyPacket again = Get(path, [](TRequestPacketFields& f) { f.IfModifiedSince = "Thu, 01 Jan 1970 00:00:00 GMT"; });
    EXPECT_EQ(again.Code, 304);
  }
}

TEST_F(HttpExecuteTest, FilesPathRedirectsIntoTheBaseUrl) {
  SC().SetURLBase("/app/");
  TReplyPacket reply = Get("/app/$/files/docs/a.pdf");
  EXPECT_EQ(reply.Code, 302);
  EXPECT_EQ(Header(reply, "Location"), "/app/files/docs/a.pdf");
  EXPECT_TRUE(reply.Cookies.empty());
}

// Text from the request that reaches a header loses its line breaks, so it cannot add a header of its own.
TEST_F(HttpExecuteTest, HeaderValuesNeverCarryLineBreaks) {
  TReplyPacket files = Get("/$/files/a\r\nSet-Cookie: stolen=1");
  EXPECT_EQ(files.Code, 302);
  EXPECT_EQ(Header(files, "Location"), "/files/aSet-Cookie: stolen=1");
  EXPECT_EQ(Header(files, "Set-Cookie"), "");

  SC().SSLOptions()->SetNonSSLRequest(nsRedirect);
  SC().SSLOptions()->SetPort(8443);
  TReplyPacket ssl = Get("/$/ping", [](TRequestPacketFields& f) { f.Host = "evil.example\r\nX-Injected: 1"; });
  EXPECT_EQ(ssl.Code, 302);
  EXPECT_EQ(Header(ssl, "X-Injected"), "");
  for (const std::string& line : ssl.Headers) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
}

TEST_F(HttpExecuteTest, NonCachedFilesComeFromTheFilesFolder) {
  WriteFile(mContent + "files/report.txt", "report");
  TReplyPacket reply = Get("/$/filesnc/report.txt");
  EXPECT_EQ(reply.Code, 200);
  ASSERT_EQ(reply.DataType, rtFile);
  EXPECT_EQ(reply.FileName, mContent + "files/report.txt");
  EXPECT_EQ(reply.ContentType, std::string(MIME_TXT));
  EXPECT_EQ(Header(reply, "Cache-Control"), "no-cache");
  EXPECT_TRUE(Header(reply, "Last-Modified").empty());
  EXPECT_EQ(Get("/$/filesnc/other.txt").Code, 404);
}

TEST_F(HttpExecuteTest, CacheFilesAreServedByBareName) {
  WriteFile(SC().CacheDir() + "BRMtest.tmp", "cached");
  TReplyPacket reply = Get("/$/temp/BRMtest");
  EXPECT_EQ(reply.Code, 200);
  ASSERT_EQ(reply.DataType, rtCacheFile);
  EXPECT_EQ(reply.FileName, SC().CacheDir() + "BRMtest.tmp");
  EXPECT_FALSE(reply.DeleteFile);

  WriteFile(SC().CacheDir() + "sub/BRMx.tmp", "nested");
  for (const char* path : {"/$/temp/", "/$/temp/sub/BRMx", "/$/temp/.BRMtest", "/$/temp/BRMmissing", "/$/temp/a:b"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Get(path).Code, 404);
  }
}

// What a session offers the cache files, enough for an application-wide file.
class TCacheOwner : public IKXCacheOwner {
 public:
  IKXCacheOwner* CacheSession() override { return this; }
  bool IsCacheForm() const override { return false; }
  TStrings& CacheFiles() override { return mFiles; }
  std::string InternalUrlBase() const override { return "/$/"; }

 private:
  TStringList mFiles;
};

TEST_F(HttpExecuteTest, CacheFileIsServedByItsHref) {
  TCacheOwner owner;
  std::unique_ptr<TCacheStream> stream;
  std::string href;
  TKXAppCache::NewAppCacheStream(&owner, "text/plain; charset=UTF-8", stream, href);
  stream->Write("generated");
  const std::string fileName = stream->FileName();
  stream.reset();
  ASSERT_EQ(href.rfind("/$/temp/", 0), 0u);
  EXPECT_EQ(SC().CacheFiles().IndexOf(fileName), 0);

  TReplyPacket reply = Get(href);
  EXPECT_EQ(reply.Code, 200);
  ASSERT_EQ(reply.DataType, rtCacheFile);
  EXPECT_EQ(reply.FileName, fileName);
}

TEST_F(HttpExecuteTest, DispatchEventsRunAroundTheUrl) {
  SC().OnBeforeDispatch = [&](THttpRequest&, THttpReply&) { mEvents.push_back("before"); };
  SC().OnAfterDispatch = [&](THttpRequest&, THttpReply&) { mEvents.push_back("after"); };
  SC().OnExecuteRequest = [&](const std::string& path, THttpRequest&, bool&, THttpReply&) {
    mEvents.push_back("execute " + path);
    if (path == "/fail") throw Exception("Invalid characters in URL.");
  };
  EXPECT_EQ(Get("/$/ping").Content, "Pong");
  EXPECT_EQ(mEvents, (std::vector<std::string>{"before", "execute /$/ping", "after"}));

  // OnAfterDispatch runs when the URL fails, before the exception is handled.
  mEvents.clear();
  EXPECT_EQ(Get("/fail").Code, 500);
  EXPECT_EQ(mEvents,
            (std::vector<std::string>{"before", "execute /fail", "after", "exception Invalid characters in URL."}));
}

TEST_F(HttpExecuteTest, ExceptionInOnExecuteRequestBecomesAnEscaped500Page) {
  SC().OnAfterDispatch = [&](THttpRequest&, THttpReply&) { mEvents.push_back("after"); };
  SC().OnExecuteRequest = [&](const std::string&, THttpRequest&, bool&, THttpReply& reply) {
    reply.WriteString("half a page");
    throw Exception("<script>alert(1)</script>");
  };
  TReplyPacket reply = Get("/$/ping");
  EXPECT_EQ(reply.Code, 500);
  EXPECT_EQ(reply.Content.find("half a page"), std::string::npos);
  EXPECT_EQ(reply.Content.find("<script>"), std::string::npos);
  EXPECT_NE(reply.Content.find(TextToHTMLStringLiteralEx("<script>alert(1)</script>")), std::string::npos);
  EXPECT_EQ(mEvents, (std::vector<std::string>{"after", "exception <script>alert(1)</script>"}));
}

TEST_F(HttpExecuteTest, HandledExceptionLeavesTheReplyToTheHandler) {
  SC().OnException = [](TKXApplication*, const std::exception&, bool& handled) { handled = true; };
  SC().OnExecuteRequest = [](const std::string&, THttpRequest&, bool&, THttpReply& reply) {
    reply.WriteString("partial");
    throw Exception("handled elsewhere");
  };
  TReplyPacket reply = Get("/$/ping");
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(reply.Content, "partial");
}

// Details only for a client on this machine, judged by the connection's address: a remote page showed the
// exception class, code addresses and the stack trace, and now carries the message alone.
TEST_F(HttpExecuteTest, ExceptionDetailsOnlyForLoopbackPeers) {
  SC().OnExecuteRequest = [](const std::string&, THttpRequest&, bool&, THttpReply&) { throw Exception("failure"); };
  const std::string fullOnly = TextToHTMLStringLiteralEx("Application Name");
  const struct {
    const char* RemoteAddr;
    const char* Host;
    const char* ForwardedFor;
    bool Full;
  } cases[] = {
      {"127.0.0.1", "www.example.com", "", true},
      {"::1", "www.example.com", "", true},
      {"192.0.2.10", "localhost", "", false},
      {"192.0.2.10", "127.0.0.1", "127.0.0.1", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.RemoteAddr + std::string(" ") + c.Host);
    TReplyPacket reply = Get("/$/ping", [&](TRequestPacketFields& f) {
      f.RemoteAddr = c.RemoteAddr;
      f.Host = c.Host;
      f.ForwardedFor = c.ForwardedFor;
    });
    EXPECT_EQ(reply.Code, 500);
    EXPECT_NE(reply.Content.find(TextToHTMLStringLiteralEx("failure")), std::string::npos);
    EXPECT_EQ(reply.Content.find(fullOnly) != std::string::npos, c.Full);
    EXPECT_EQ(reply.Content.find(TextToHTMLStringLiteralEx("Exception class")) != std::string::npos, c.Full);
    EXPECT_EQ(reply.Content.find("Error details") != std::string::npos, c.Full);
  }
}

// Uploads stayed on disk until a clean stop: once the entry point answered, every upload that nothing adopted is
// gone, whatever the path and however the request ended; an adopted one is its adopter's.
TEST_F(HttpExecuteTest, UploadsNobodyAdoptedAreDeletedOnceAnswered) {
  std::unique_ptr<THttpFile> adopted;
  SC().OnExecuteRequest = [&](const std::string& path, THttpRequest& request, bool&, THttpReply&) {
    if (path == "/$/ping" && request.Files().Count() > 1) adopted = std::make_unique<THttpFile>(*request.Files().Items(1));
  };
  const std::string upload = SC().CacheDir() + "BRMupload.tmp", kept = SC().CacheDir() + "BRMkept.tmp";
  for (const char* path : {"/$/ping", "/app/form", "/$/js/NoSuchScript.js", "/$/temp/BRMupload"}) {
    SCOPED_TRACE(path);
    WriteFile(upload, "bytes");
    WriteFile(kept, "bytes");
    Get(path, [&](TRequestPacketFields& f) {
      f.Method = "POST";
      f.Files = {{"a.bin", upload, "application/octet-stream", "file", 5}, {"b.bin", kept, "text/plain", "b", 5}};
    });
    EXPECT_FALSE(fs::exists(upload));
    EXPECT_EQ(fs::exists(kept), adopted != nullptr);
    adopted.reset();
    EXPECT_FALSE(fs::exists(kept));
  }
}

// Hardening: the forwarded headers named the client whatever the connection's peer was.
TEST(ClientAddress, ForwardedHeadersCountOnlyFromTrustedProxies) {
  const std::vector<std::string> loopback{"127.0.0.1", "::1"};
  const std::vector<std::string> none;
  const std::vector<std::string> proxies{"192.0.2.1", "192.0.2.2"};
  const struct {
    const char* Peer;
    const char* ForwardedFor;
    const char* ClientIP;
    const std::vector<std::string>& Trusted;
    const char* Client;
  } cases[] = {
      {"198.51.100.7", "203.0.113.5", "", loopback, "198.51.100.7"},
      {"198.51.100.7", "", "203.0.113.5", loopback, "198.51.100.7"},
      {"127.0.0.1", "203.0.113.5", "", none, "127.0.0.1"},
      {"", "203.0.113.5", "", loopback, ""},
      {"127.0.0.1", "203.0.113.5", "203.0.113.9", loopback, "203.0.113.5"},
      {"127.0.0.1", "198.51.100.7,203.0.113.5", "", loopback, "203.0.113.5"},
      {"192.0.2.2", "198.51.100.7, 203.0.113.5, 192.0.2.1", "", proxies, "203.0.113.5"},
      {"192.0.2.2", "192.0.2.1, 192.0.2.2", "", proxies, "192.0.2.1"},
      {"::ffff:127.0.0.1", "203.0.113.5:8080", "", loopback, "203.0.113.5"},
      {"::1", " [2001:DB8::0:1]:443 ", "", loopback, "2001:db8::1"},
      {"::1", "::ffff:203.0.113.5", "", loopback, "203.0.113.5"},
      {"127.0.0.1", "203.0.113.5, unknown", "", loopback, "127.0.0.1"},
      {"127.0.0.1", "", "203.0.113.9", loopback, "203.0.113.9"},
      {"127.0.0.1", " , ", "not an address", loopback, "127.0.0.1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Peer) + " | " + c.ForwardedFor + " | " + c.ClientIP);
    EXPECT_EQ(ClientAddress(c.Peer, c.ForwardedFor, c.ClientIP, c.Trusted), c.Client);
  }
}

// Behind a load balancer: the scheme and host the client used come from X-Forwarded-Proto and X-Forwarded-Host (or
// the Host header), believed only from a trusted proxy, and only when they are a scheme and a plain host.
TEST(ForwardedOrigin, TheClientsSchemeAndHostComeOnlyFromATrustedProxy) {
  const std::vector<std::string> loopback{"127.0.0.1", "::1"};
  const struct {
    const char* Peer;
    std::vector<std::string> Headers;
    bool Known;
    const char* Secure;  // URL(true)
    const char* Plain;   // URL(false)
  } cases[] = {
      {"127.0.0.1", {"Host: shop.example", "X-Forwarded-Proto: https"}, true, "https://shop.example", "http://shop.example"},
      {"127.0.0.1", {"Host: shop.example:8443", "X-Forwarded-Proto: https"}, true, "https://shop.example:8443",
       "http://shop.example"},
      {"127.0.0.1", {"Host: shop.example:8080", "X-Forwarded-Proto: HTTP"}, true, "https://shop.example",
       "http://shop.example:8080"},
      {"127.0.0.1", {"Host: shop.example:443", "X-Forwarded-Proto: https"}, true, "https://shop.example",
       "http://shop.example"},
      {"::ffff:127.0.0.1", {"Host: 10.0.0.5:9001", "X-Forwarded-Proto: https", "X-Forwarded-Host: shop.example"},
       true, "https://shop.example", "http://shop.example"},
      {"::1", {"Host: x", "X-Forwarded-Proto: https", "X-Forwarded-Host: [2001:db8::1]:8443"}, true,
       "https://[2001:db8::1]:8443", "http://[2001:db8::1]"},
      // several proxies: the nearest one's entry and line count
      {"127.0.0.1", {"Host: shop.example", "X-Forwarded-Proto: http, https"}, true, "https://shop.example",
       "http://shop.example"},
      {"127.0.0.1", {"Host: shop.example", "X-Forwarded-Proto: https", "X-Forwarded-Proto: http"}, true,
       "https://shop.example", "http://shop.example"},
      // a forwarded host that is no plain host falls back on the Host header
      {"127.0.0.1", {"Host: shop.example", "X-Forwarded-Proto: https", "X-Forwarded-Host: evil\"><script>"}, true,
       "https://shop.example", "http://shop.example"},
      // not believed, or nothing usable said
      {"198.51.100.7", {"Host: shop.example", "X-Forwarded-Proto: https"}, false, "", ""},
      {"127.0.0.1", {"Host: shop.example"}, false, "", ""},
      {"127.0.0.1", {"Host: shop.example", "X-Forwarded-Proto: ftp"}, false, "", ""},
      {"127.0.0.1", {"Host: shop.example", "X-Forwarded-Proto: https, "}, false, "", ""},
      {"127.0.0.1", {"Host: shop.example:99999", "X-Forwarded-Proto: https"}, false, "", ""},
      {"127.0.0.1", {"Host: shop.example:", "X-Forwarded-Proto: https"}, false, "", ""},
      {"127.0.0.1", {"Host: a/b", "X-Forwarded-Proto: https"}, false, "", ""},
      {"127.0.0.1", {"Host: [::1", "X-Forwarded-Proto: https"}, false, "", ""},
      {"127.0.0.1", {"X-Forwarded-Proto: https"}, false, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Peer) + " | " + c.Headers.back());
    TRequestPacketFields fields;
    fields.Method = "GET";
    fields.RemoteAddr = c.Peer;
    fields.RawHeaders = c.Headers;
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    const THttpRequest request(buffer.data(), std::int64_t(buffer.size()));
    const TForwardedOrigin origin = ForwardedOrigin(request, loopback);
    EXPECT_EQ(origin.Known, c.Known);
    if (!c.Known) continue;
    EXPECT_EQ(origin.URL(true), c.Secure);
    EXPECT_EQ(origin.URL(false), c.Plain);
  }
  // An empty list of trusted proxies believes no one.
  TRequestPacketFields fields;
  fields.Method = "GET";
  fields.RemoteAddr = "127.0.0.1";
  fields.RawHeaders = {"Host: shop.example", "X-Forwarded-Proto: https"};
  std::vector<char> buffer(THttpPacket::HostBufferSize);
  WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
  EXPECT_FALSE(ForwardedOrigin(THttpRequest(buffer.data(), std::int64_t(buffer.size())), {}).Known);
}

TEST_F(HttpExecuteTest, InvalidSessionRemovesTheSessionCookie) {
  SC().OnExecuteRequest = [](const std::string&, THttpRequest&, bool&, THttpReply&) {
    throw EInvalidAppID("abc", "Session ID is invalid.");
  };
  TReplyPacket reply = Get("/$/ping");
  EXPECT_EQ(reply.Code, 500);
  ASSERT_EQ(reply.Cookies.size(), 1u);
  EXPECT_EQ(reply.Cookies[0].Name, "KX_MyKXApp");
  EXPECT_EQ(reply.Cookies[0].Path, "/");
  EXPECT_EQ(reply.Cookies[0].Value, "");
  EXPECT_EQ(reply.Cookies[0].Expires, -1);
}

TEST_F(HttpExecuteTest, ExceptionRendererCanBeReplaced) {
  SetExceptionRenderer([](const std::exception& e, const THttpRequest*) { return std::string("custom: ") + e.what(); });
  TReplyPacket reply = Get("/");
  SetExceptionRenderer(nullptr);
  EXPECT_EQ(reply.Code, 500);
  EXPECT_EQ(reply.Content, "custom: Session dispatch is not available.");
  EXPECT_NE(Get("/").Content, reply.Content);
}

TEST_F(HttpExecuteTest, BasicCredentialsAreDecoded) {
  std::string user, password;
  SC().OnExecuteRequest = [&](const std::string&, THttpRequest&, bool& handled, THttpReply& reply) {
    user = gKXServer->Username();
    password = gKXServer->Password();
    reply.WriteString("handled");
    handled = true;
  };
  const struct {
    const char* Authorization;
    const char* AuthUser;
    const char* User;
    const char* Password;
  } cases[] = {
      {"Basic dXNlcjpwYTpzcw==", "", "user", "pa:ss"},
      {"basic dXNlcjpwYXNz", "", "user", "pass"},
      {"Basic dXNlcg==", "", "user", ""},
      {"Basic w6lsw6hyZTrDqXTDqQ==", "", "\xC3\xA9l\xC3\xA8re", "\xC3\xA9t\xC3\xA9"},  // UTF-8 "élère:été"
      {"Basic !!!not base64", "", "", ""},
      {"Bearer dXNlcjpwYXNz", "", "", ""},
      {"Basic", "", "", ""},
      {"Basic dXNlcjpwYXNz", "host", "host", "hostpass"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Authorization);
    user = password = "(not called)";
    TReplyPacket reply = Get("/$/ping", [&](TRequestPacketFields& f) {
      f.Authorization = c.Authorization;
      f.AuthUser = c.AuthUser;
      if (*c.AuthUser) f.AuthPass = "hostpass";
    });
    EXPECT_EQ(reply.Code, 200);
    EXPECT_EQ(user, c.User);
    EXPECT_EQ(password, c.Password);
  }
  EXPECT_TRUE(mEvents.empty());
}

TEST_F(HttpExecuteTest, NonSslRequestIsRedirectedToTheSslPort) {
  SC().SSLOptions()->SetNonSSLRequest(nsRedirect);
  SC().SSLOptions()->SetPort(8443);
  const struct {
    const char* Host;
    const char* Query;
    const char* Location;
  } cases[] = {
      {"www.example.com:8080", "a=1&b=2", "https://www.example.com:8443/?a=1&b=2"},
      {"www.example.com", "", "https://www.example.com:8443"},
      {"[::1]:8080", "", "https://[::1]:8443"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Host);
    TReplyPacket reply = Get("/$/ping", [&](TRequestPacketFields& f) {
      f.Host = c.Host;
      f.Query = c.Query;
    });
    EXPECT_EQ(reply.Code, 302);
    EXPECT_EQ(Header(reply, "Location"), c.Location);
    EXPECT_TRUE(reply.Content.empty());
  }
  // Requests that came over TLS are served.
  EXPECT_EQ(Get("/$/ping", [](TRequestPacketFields& f) { f.HttpsHeader = "on"; }).Content, "Pong");
  EXPECT_TRUE(mEvents.empty());
}

// The host takes the server port from the Host header (for the URLs it builds), so a plain-HTTP client can name the
// SSL port there: what counts is the connection the request came on.
TEST_F(HttpExecuteTest, APlainRequestNamingTheSslPortIsRedirectedAllTheSame) {
  SC().SSLOptions()->SetNonSSLRequest(nsRedirect);
  SC().SSLOptions()->SetPort(8443);
  const struct {
    const char* Connection;
    int ServerPort;
    const char* Location;  // "" when served
  } cases[] = {
      {"off", 8443, "https://www.example.com:8443"},
      {"off", 8080, "https://www.example.com:8443"},
      {"on", 8443, ""},
      {"on", 8080, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Connection) + " " + std::to_string(c.ServerPort));
    TReplyPacket reply = Get("/$/ping", [&](TRequestPacketFields& f) {
      f.Host = "www.example.com:" + std::to_string(c.ServerPort);
      f.ServerPort = c.ServerPort;
      f.HttpsHeader = c.Connection;
    });
    EXPECT_EQ(reply.Code, *c.Location ? 302 : 200);
    EXPECT_EQ(Header(reply, "Location"), c.Location);
  }
}

// Behind a balancer that ends TLS, every request reaches the instance in plain HTTP: the redirect to https must
// follow the client's scheme as the trusted balancer reports it, or a client already on https would go round forever.
TEST_F(HttpExecuteTest, BehindATrustedProxyTheRedirectToHttpsFollowsTheClientsScheme) {
  SC().SSLOptions()->SetNonSSLRequest(nsRedirect);
  SC().SSLOptions()->SetPort(8443);
  const struct {
    const char* Peer;
    const char* Proto;
    const char* Location;  // "" when served
  } cases[] = {
      {"127.0.0.1", "https", ""},
      {"127.0.0.1", "http", "https://shop.example/?a=1"},
      // a client that names its own scheme is not believed: the direct rule
      {"192.0.2.10", "https", "https://www.example.com:8443/?a=1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Peer) + " " + c.Proto);
    TReplyPacket reply = Get("/$/ping", [&](TRequestPacketFields& f) {
      f.Host = "www.example.com";
      f.Query = "a=1";
      f.RemoteAddr = c.Peer;
      f.RawHeaders = {"Host: shop.example:8080", std::string("X-Forwarded-Proto: ") + c.Proto,
                      "X-Forwarded-Host: shop.example"};
    });
    EXPECT_EQ(reply.Code, *c.Location ? 302 : 200);
    EXPECT_EQ(Header(reply, "Location"), c.Location);
  }
}

TEST_F(HttpExecuteTest, UnknownApplicationTypeIsAnError) {
  GAppType = static_cast<TKXAppType>(7);
  TReplyPacket reply = Get("/$/ping");
  EXPECT_EQ(reply.Code, 500);
  EXPECT_EQ(mEvents, (std::vector<std::string>{"exception Unknown application type."}));
}

TEST_F(HttpExecuteTest, CompatibilityModeGoesWithHtmlReplies) {
  SC().SetIECompatibilityMode("IE=edge");
  EXPECT_EQ(Header(Get("/$/ping"), "X-UA-Compatible"), "IE=edge");
  EXPECT_EQ(Header(Get("/$/gfx/Tp.gif"), "X-UA-Compatible"), "");
  EXPECT_EQ(Header(Get("/missing.txt"), "X-UA-Compatible"), "");
}

// Issue 55: a page of the application refuses frames of other origins unless the controller names them.
TEST_F(HttpExecuteTest, HtmlAnswersSayWhoMayFrameThem) {
  WriteFile(mContent + "page.html", "<p>static</p>");
  const struct {
    const char* Setting;  // nullptr: as it stands (the default in the first rows)
    const char* Path;
    bool InSession;  // asked with the cookie of a session the session layer started
    std::uint16_t Code;
    const char* Csp;
    const char* Xfo;
  } cases[] = {
      {nullptr, "/$/ping", false, 200, "frame-ancestors 'self'", "SAMEORIGIN"},
      {nullptr, "/$/nothing", false, 500, "frame-ancestors 'self'", "SAMEORIGIN"},  // the error page
      {nullptr, "/page.html", true, 200, "frame-ancestors 'self'", "SAMEORIGIN"},   // the content folder's file
      {nullptr, "/$/gfx/Tp.gif", false, 200, "", ""},
      {" 'none' ", "/$/ping", false, 200, "frame-ancestors 'none'", "DENY"},
      {"https://portal.example.com", "/$/ping", false, 200, "frame-ancestors https://portal.example.com", ""},
      {"", "/$/ping", false, 200, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Path) + " " + (c.Setting != nullptr ? c.Setting : "default"));
    if (c.Setting != nullptr) SC().SetFrameAncestors(c.Setting);
    std::string cookie;
    if (c.InSession) {
      gServerFactory = mSessionFactory;
      for (const TReplyPacketCookie& set : Get("/").Cookies) cookie = set.Name + "=" + set.Value;
      ASSERT_FALSE(cookie.empty());
    }
    const TReplyPacket reply = Get(c.Path, [&](TRequestPacketFields& f) {
      if (!cookie.empty()) f.CookieFields.push_back(cookie);
    });
    gServerFactory = nullptr;
    EXPECT_EQ(reply.Code, c.Code);
    if (c.InSession) {
      EXPECT_EQ(reply.DataType, rtFile);
      EXPECT_EQ(reply.FileName, mContent + "page.html");
    }
    EXPECT_EQ(Header(reply, "Content-Security-Policy"), c.Csp);
    EXPECT_EQ(Header(reply, "X-Frame-Options"), c.Xfo);
  }
}

TEST_F(HttpExecuteTest, UnreadableRequestPacketIsAnswered500) {
  std::vector<char> buffer(THttpPacket::HostBufferSize, '\x5A');
  HttpExecute(buffer.data(), std::int32_t(buffer.size()));
  TReplyPacket reply = ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
  EXPECT_EQ(reply.Code, 500);
}

TEST_F(HttpExecuteTest, WithoutControllerEveryRequestIsAnError) {
  gSC = nullptr;
  TReplyPacket reply = Get("/$/ping");
  EXPECT_EQ(reply.Code, 500);
  EXPECT_NE(reply.Content.find(TextToHTMLStringLiteralEx("No server controller has been created.")), std::string::npos);
}

TEST_F(HttpExecuteTest, CurrentApplicationIsClearedAfterEveryRequest) {
  static int clears;
  clears = 0;
  gSetWebApplicationThreadVar = [](TKXApplication* application) {
    if (!application) ++clears;
  };
  Get("/$/ping");
  Get("/");
  SC().OnExecuteRequest = [](const std::string&, THttpRequest&, bool&, THttpReply& reply) {
    reply.WriteString("prepared");
    Abort();
  };
  Get("/$/ping");
  gSetWebApplicationThreadVar = nullptr;
  EXPECT_EQ(clears, 3);
  EXPECT_EQ(gKXServer, nullptr);
}

}  // namespace
}  // namespace kx
