// The framework behind the real host over a real socket: TKXStandAloneApp with the real HttpExecute on
// 127.0.0.1, a free port, and a content folder the test makes; requests go over one kept-alive connection, so
// the host's packet buffer is used again and again.
#include "kx/hosts/StandAloneApp.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/Server.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/Resources.h"
#include "support/FileCreations.h"
#include "support/Inflate.h"

namespace kx {

class TEndToEndController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TEndToEndController, TKXServerControllerBase)

 protected:
  void InitDesignTime() override {
    TKXServerControllerBase::InitDesignTime();
    SetAppName("EndToEnd");
    SetBoundIP("127.0.0.1");
  }
};

namespace {

using test::Inflate;

namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace net = boost::asio;
namespace fs = std::filesystem;
using tcp = net::ip::tcp;
using TResponse = http::response<http::string_body>;

std::string gAppFolder;

std::string Embedded(const char* name) {
  const TEmbeddedResource* resource = FindResource(name);
  EXPECT_NE(resource, nullptr) << name;
  return resource ? std::string(reinterpret_cast<const char*>(resource->Data), resource->Size) : std::string();
}

// The body as the client reads it once its content coding is undone.
std::string Decoded(const TResponse& res) {
  const std::string coding(res[http::field::content_encoding]);
  if (coding == "gzip") return Inflate(res.body(), 31);
  if (coding == "deflate") return Inflate(res.body(), 15);
  EXPECT_EQ(coding, "");
  return res.body();
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::string data(size, '\0');
  std::mt19937 random(seed);
  for (char& c : data) c = char(random());
  return data;
}

void WriteFile(const std::string& fileName, const std::string& data) {
  std::ofstream(fileName, std::ios::binary) << data;
}

std::size_t SpillFiles(const std::string& folder) {
  std::size_t n = 0;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().rfind("BRM", 0) == 0) ++n;
  return n;
}

class TKXStandAloneAppEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gAppFolder = pattern + "/";
    gGetAppPath = [] { return gAppFolder; };
    fs::create_directories(gAppFolder + "wwwroot/img");
    mText = "Static text of the content folder.\n";
    WriteFile(gAppFolder + "wwwroot/hello.txt", mText);
    mImage = RandomBytes(300 * 1024, 11);  // far larger than the packet buffer
    WriteFile(gAppFolder + "wwwroot/img/photo.gif", mImage);
    TKXServerControllerBase::SetServerControllerClass<TEndToEndController>();
    mApp = std::make_unique<TKXStandAloneApp>();
    ASSERT_EQ(gHttpExecuteHook, &HttpExecute);  // the real entry point, no stand-in
    mApp->Start();
    ASSERT_NE(mApp->Port(), 0);
    mSocket.connect({net::ip::address_v4::loopback(), mApp->Port()});
  }

  void TearDown() override {
    mSocket.close();
    mApp.reset();
    fs::remove_all(gAppFolder);
  }

  TResponse Send(const std::string& request) {
    net::write(mSocket, net::buffer(request));
    http::response_parser<http::string_body> parser;
    parser.body_limit(boost::none);
    http::read(mSocket, mBuffer, parser);
    return parser.release();
  }
  TResponse Get(const std::string& target, const std::string& extra = "") {
    return Send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n");
  }

  std::string mText;
  std::string mImage;
  std::unique_ptr<TKXStandAloneApp> mApp;
  net::io_context mIoc;
  tcp::socket mSocket{mIoc};
  beast::flat_buffer mBuffer;
};

TEST_F(TKXStandAloneAppEndToEnd, EmbeddedScriptsArriveGzippedAndInflateToTheirBytes) {
  // KXLib.js is larger than the packet buffer even compressed, yet reaches the host in memory: no file is made.
  test::TFileCreations creations(mApp->Controller().CacheDir());
  for (const auto& [path, name] : {std::pair{"/$/js/KXBase.js", "KX_JS_KXBASE"}, {"/$/js/KXLib.js", "KX_JS_KXLIB"}}) {
    SCOPED_TRACE(path);
    TResponse res = Get(path, "Accept-Encoding: gzip, deflate\r\n");
    ASSERT_EQ(res.result_int(), 200u);
    EXPECT_EQ(res[http::field::content_type], "application/x-javascript; charset=UTF-8");
    // Compressed once, by the internal files; the host leaves an encoded body alone.
    EXPECT_EQ(res.count(http::field::content_encoding), 1u);
    EXPECT_EQ(res[http::field::content_encoding], "gzip");
    EXPECT_EQ(res[http::field::vary], "Accept-Encoding");
    const std::string script = Embedded(name);
    EXPECT_LT(res.body().size(), script.size());
    EXPECT_TRUE(Inflate(res.body(), 31) == script);
  }
  Get("/$/ping");  // a sent file is deleted before the next request is read
  EXPECT_EQ(SpillFiles(mApp->Controller().CacheDir()), 0u);
  EXPECT_EQ(creations.Count(), 0u);
}

TEST_F(TKXStandAloneAppEndToEnd, EmbeddedScriptsAreServedByManyClientsAtOnce) {
  // The bundle's bytes are shared by every reply in flight: each client gets them whole.
  const std::string script = Embedded("KX_JS_KXLIB");
  std::vector<std::thread> clients;
  std::atomic<int> good{0};
  for (int i = 0; i < 6; ++i)
    clients.emplace_back([&] {
      net::io_context ioc;
      tcp::socket socket(ioc);
      socket.connect({net::ip::address_v4::loopback(), mApp->Port()});
      beast::flat_buffer buffer;
      for (int n = 0; n < 20; ++n) {
        net::write(socket, net::buffer(std::string("GET /$/js/KXLib.js HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                                   "Accept-Encoding: gzip\r\n\r\n")));
        TResponse res;
        http::read(socket, buffer, res);
        if (res.result_int() == 200 && Inflate(res.body(), 31) == script) ++good;
      }
    });
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(good.load(), 120);
  EXPECT_EQ(SpillFiles(mApp->Controller().CacheDir()), 0u);
}

TEST_F(TKXStandAloneAppEndToEnd, StaticFilesComeFromTheContentFolder) {
  TResponse text = Get("/hello.txt");
  EXPECT_EQ(text.result_int(), 200u);
  EXPECT_EQ(text[http::field::content_type].substr(0, 10), "text/plain");
  EXPECT_EQ(text.body(), mText);
  TResponse image = Get("/img/photo.gif", "Accept-Encoding: gzip\r\n");
  EXPECT_EQ(image.result_int(), 200u);
  EXPECT_EQ(image[http::field::content_type], "image/gif");
  EXPECT_EQ(image.count(http::field::content_encoding), 0u);
  EXPECT_TRUE(image.body() == mImage);
  // The file was streamed, not deleted: it is the application's.
  EXPECT_TRUE(fs::exists(gAppFolder + "wwwroot/img/photo.gif"));
  // A compressible file may be compressed by the host; the client gets the same bytes either way.
  std::string page(8000, 'a');
  WriteFile(gAppFolder + "wwwroot/big.txt", page);
  EXPECT_EQ(Decoded(Get("/big.txt", "Accept-Encoding: gzip\r\n")), page);
}

TEST_F(TKXStandAloneAppEndToEnd, MissingFilesAre404AndTheConnectionGoesOn) {
  for (const char* path : {"/missing.gif", "/img/../../outside.txt", "/$/js/NoSuchScript.js"}) {
    SCOPED_TRACE(path);
    TResponse res = Get(path);
    EXPECT_EQ(res.result_int(), 404u);
    EXPECT_NE(res.body().find("404 - Not Found"), std::string::npos) << res.body();
  }
  TResponse ping = Get("/$/ping");
  EXPECT_EQ(ping.body(), "Pong");
  EXPECT_TRUE(ping.keep_alive());
}

TEST_F(TKXStandAloneAppEndToEnd, RequestLargerThanThePacketBufferIsRead) {
  // 40 000 form fields' bytes do not fit the 32 KB buffer: the request packet travels in a spill file.
  std::string body;
  for (int i = 0; body.size() < 60000; ++i) body += "F" + std::to_string(i) + "=" + std::string(20, 'v') + "&";
  TResponse res = Send("POST /$/ping HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                       "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                       std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_EQ(res.result_int(), 200u);
  EXPECT_EQ(res.body(), "Pong");
  Get("/$/ping");
  EXPECT_EQ(SpillFiles(mApp->Controller().CacheDir()), 0u);
}

}  // namespace
}  // namespace kx
