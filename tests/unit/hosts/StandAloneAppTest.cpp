#include "kx/hosts/StandAloneApp.h"

#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <mutex>
#include <string>
#include <vector>

#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/Server.h"
#include "support/TempFolder.h"

namespace kx {

// A controller as an application declares it: its name and address set while it is created.
class TTestAppController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TTestAppController, TKXServerControllerBase)

 protected:
  void InitDesignTime() override {
    TKXServerControllerBase::InitDesignTime();
    SetAppName("TestApp");
    SetBoundIP("127.0.0.1");
  }
};

namespace {

std::mutex gMutex;
std::vector<std::string> gLog;
int gAppInitCalls = 0;
std::string gAppFolder;

void LogLine(const std::string& line) {
  std::lock_guard lock(gMutex);
  gLog.push_back(line);
}

void CountingAppInit() {
  ++gAppInitCalls;
  CreateServerController();
}

void OtherHook(void*, std::int32_t) {}

bool IsPreCompressed(const std::string& name) {
  bool cacheable = false, compressed = false;
  gInternalFiles->ResourceAsStream(name, cacheable, compressed);
  return compressed;
}

class TKXStandAloneAppTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    gAppFolder = mFolder;
    gGetAppPath = [] { return gAppFolder; };
    TKXServerControllerBase::SetServerControllerClass<TTestAppController>();
    gLogProcedure = &LogLine;
    gAppInitCalls = 0;
    std::lock_guard lock(gMutex);
    gLog.clear();
  }
  void TearDown() override {
    TempFolderTest::TearDown();
  }
};

TEST(SplitBoundIPs, SeparatesAddressesByCommaSemicolonAndBlanks) {
  struct {
    const char* text;
    std::vector<std::string> addresses;
  } cases[] = {
      {"", {}},
      {"  ", {}},
      {"127.0.0.1", {"127.0.0.1"}},
      {"127.0.0.1, ::1", {"127.0.0.1", "::1"}},
      {";10.0.0.1,,10.0.0.2 ;\t10.0.0.3\n", {"10.0.0.1", "10.0.0.2", "10.0.0.3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitBoundIPs(c.text), c.addresses);
  }
}

TEST_F(TKXStandAloneAppTest, ServerOptionsComeFromTheControllerConfiguration) {
  TOwnedComponent<TTestAppController> sc(TComponent::Create<TTestAppController>(nullptr));
  sc->SetPort(8080);
  sc->SSLOptions()->SetPort(8443);
  sc->SSLOptions()->SetCertificatePassword("secret");
  sc->SSLOptions()->SetCipherList("HIGH:!aNULL");
  sc->Compression()->SetLevel(7);
  sc->Compression()->SetMinSize(2048);
  sc->Compression()->SetAllowDeflate(false);

  TKXStandAloneServerOptions options = ServerOptionsFrom(*sc);
  EXPECT_EQ(options.Port, 8080);
  EXPECT_EQ(options.BoundIPs, std::vector<std::string>{"127.0.0.1"});
  EXPECT_EQ(options.SSLPort, 8443);
  EXPECT_EQ(options.CertificatePassword, "secret");
  EXPECT_EQ(options.CipherList, "HIGH:!aNULL");
  EXPECT_EQ(options.CertificateFolder, mFolder);
  EXPECT_TRUE(options.Compression.Enabled);
  EXPECT_EQ(options.Compression.Level, 7);
  EXPECT_EQ(options.Compression.MinSize, 2048);
  EXPECT_TRUE(options.Compression.AllowGZip);
  EXPECT_FALSE(options.Compression.AllowDeflate);

  struct {
    TKXNonSSLRequest value;
    THostNonSSLRequest expected;
  } rules[] = {{nsAccept, THostNonSSLRequest::Accept},
               {nsBlock, THostNonSSLRequest::Block},
               {nsRedirect, THostNonSSLRequest::Redirect}};
  for (const auto& rule : rules) {
    SCOPED_TRACE(int(rule.value));
    sc->SSLOptions()->SetNonSSLRequest(rule.value);
    EXPECT_EQ(ServerOptionsFrom(*sc).NonSSLRequest, rule.expected);
  }
}

// A port the server cannot take is refused, not cut to 16 bits (70000 would have become 4464).
TEST_F(TKXStandAloneAppTest, PortOutsideTheRangeIsRefused) {
  TOwnedComponent<TTestAppController> sc(TComponent::Create<TTestAppController>(nullptr));
  for (std::int32_t port : {-1, 65536, 70000}) {
    SCOPED_TRACE(port);
    sc->SetPort(port);
    try {
      ServerOptionsFrom(*sc);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Invalid port " + std::to_string(port) + ".");
    }
    sc->SetPort(0);
    sc->SSLOptions()->SetPort(port);
    EXPECT_THROW(ServerOptionsFrom(*sc), Exception);
    sc->SSLOptions()->SetPort(0);
  }
  sc->SetPort(65535);
  EXPECT_EQ(ServerOptionsFrom(*sc).Port, 65535);
}

TEST_F(TKXStandAloneAppTest, CreatesTheControllerThroughAppInitAndFreesIt) {
  gAppInit = &CountingAppInit;
  {
    TKXStandAloneApp app;
    EXPECT_EQ(gAppInitCalls, 1);
    ASSERT_NE(gSC, nullptr);
    EXPECT_EQ(gSC, gServerController);
    EXPECT_EQ(&app.Controller(), gSC);
    EXPECT_STREQ(gSC->ClassName().data(), "TTestAppController");
    EXPECT_TRUE(app.OwnsController());
    EXPECT_EQ(gHttpExecuteHook, &HttpExecute);
    EXPECT_EQ(GAppType, atStandAlone);
  }
  EXPECT_EQ(gSC, nullptr);
  EXPECT_EQ(gServerController, nullptr);
  EXPECT_EQ(gHttpExecuteHook, nullptr);
}

TEST_F(TKXStandAloneAppTest, KeepsAControllerAndAHookThatExistAlready) {
  gAppInit = &CountingAppInit;
  TOwnedComponent<TTestAppController> sc(TComponent::Create<TTestAppController>(nullptr));
  gSC = gServerController = sc.get();
  gHttpExecuteHook = &OtherHook;
  {
    TKXStandAloneApp app;
    EXPECT_EQ(gAppInitCalls, 0);
    EXPECT_EQ(&app.Controller(), sc.get());
    EXPECT_FALSE(app.OwnsController());
    EXPECT_EQ(gHttpExecuteHook, &OtherHook);
  }
  EXPECT_EQ(gSC, sc.get());
  EXPECT_EQ(gHttpExecuteHook, &OtherHook);
}

TEST_F(TKXStandAloneAppTest, WithoutAppInitTheControllerClassIsCreated) {
  TKXStandAloneApp app;
  EXPECT_STREQ(app.Controller().ClassName().data(), "TTestAppController");
  EXPECT_TRUE(app.OwnsController());
}

TEST_F(TKXStandAloneAppTest, NoControllerIsAnError) {
  gServerControllerClass = nullptr;
  EXPECT_THROW(TKXStandAloneApp(), Exception);
  gAppInit = [] {};
  try {
    TKXStandAloneApp app;
    ADD_FAILURE() << "created without a controller";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "The application-init procedure (gAppInit) created no server controller.");
  }
  EXPECT_EQ(gHttpExecuteHook, nullptr);
}

TEST_F(TKXStandAloneAppTest, AControllerLeftByAFailingAppInitIsFreed) {
  gAppInit = [] {
    CreateServerController();
    throw Exception("configuration failed");
  };
  EXPECT_THROW(TKXStandAloneApp(), Exception);
  EXPECT_EQ(gSC, nullptr);
  EXPECT_EQ(gServerController, nullptr);
  EXPECT_EQ(gHttpExecuteHook, nullptr);
}

// Runs before the tests that start with compression on: pre-compression cannot be undone in a process.
TEST_F(TKXStandAloneAppTest, DisabledCompressionLeavesTheScriptsUncompressed) {
  TKXStandAloneApp app;
  if (IsPreCompressed("KX_JS_KXBASE")) GTEST_SKIP() << "pre-compressed by an earlier test of this process";
  app.Controller().Compression()->SetEnabled(false);
  app.Start();
  EXPECT_FALSE(IsPreCompressed("KX_JS_KXBASE"));
  EXPECT_FALSE(app.Server()->Options().Compression.Enabled);
}

TEST_F(TKXStandAloneAppTest, StartWritesTheBoundPortBackAndLogsIt) {
  TKXStandAloneApp app;
  EXPECT_EQ(app.Port(), 0);
  app.Start();
  ASSERT_TRUE(app.Active());
  EXPECT_NE(app.Port(), 0);
  EXPECT_EQ(app.SSLPort(), 0);
  EXPECT_EQ(app.Controller().Port(), app.Port());
  {
    std::lock_guard lock(gMutex);
    // One start-up line: the server's, with the address; none of the application's saying the same.
    const std::string listening = "HTTP server listening on 127.0.0.1:" + std::to_string(app.Port());
    EXPECT_EQ(std::count(gLog.begin(), gLog.end(), listening), 1);
    const auto namesThePort = [](const std::string& line) { return line.find("port") != std::string::npos; };
    EXPECT_EQ(std::count_if(gLog.begin(), gLog.end(), namesThePort), 0);
  }
  const std::uint16_t port = app.Port();
  app.Start();  // started already: nothing changes
  EXPECT_EQ(app.Port(), port);
  app.Stop();
  EXPECT_FALSE(app.Active());
  EXPECT_EQ(app.Server(), nullptr);
}

TEST_F(TKXStandAloneAppTest, StartThatCannotBindLeavesNothingListening) {
  boost::asio::io_context ioc;
  boost::asio::ip::tcp::acceptor taken(ioc, {boost::asio::ip::address_v4::loopback(), 0});
  TKXStandAloneApp app;
  app.Controller().SetPort(taken.local_endpoint().port());
  EXPECT_THROW(app.Start(), Exception);
  EXPECT_FALSE(app.Active());
  EXPECT_EQ(app.Port(), 0);
}

TEST_F(TKXStandAloneAppTest, StartPreCompressesTheScriptsAndStyleSheets) {
  TKXStandAloneApp app;
  app.Start();
  EXPECT_TRUE(IsPreCompressed("KX_JS_KXBASE"));
  EXPECT_FALSE(IsPreCompressed("KX_FAVICON"));
}

}  // namespace
}  // namespace kx
