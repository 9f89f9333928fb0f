#include "kx/appserver/SessionLog.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/DateUtils.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

std::string gTestAppFolder;

class TLogTestController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TLogTestController, TKXServerControllerBase)
};

// Little-endian bytes as the stream helper writes them.
std::string Int32(std::int32_t value) {
  std::string bytes(4, '\0');
  std::memcpy(bytes.data(), &value, 4);
  return bytes;
}
std::string Text(const std::string& text) { return Int32(std::int32_t(text.size())) + text; }

std::string FileBytes(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

class TKXSessionLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBrowsers();
    std::string pattern = gsTempPath() + "kx-sessionlog-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gTestAppFolder = pattern + "/";
    gGetAppPath = [] { return gTestAppFolder; };
    delete gSessions;  // the store kx::Startup made: this test uses its own
    gSessions = &mStore;
  }
  void TearDown() override {
    for (TKXApplication* session : mSessions) session->FinishRequest();
    mStore.Clear();
    // The controller would free the store it finds in gSessions.
    gSessions = nullptr;
    mController.reset();
    fs::remove_all(gTestAppFolder);
  }

  TKXApplication* NewSession() {
    TKXApplication* session = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(kChrome), nullptr,
                                                                 nullptr, "127.0.0.1", "", "", "/");
    session->Unlock();
    mSessions.push_back(session);
    return session;
  }
  void CreateController() {
    mController.reset(TComponent::Create<TLogTestController>(nullptr));
    gSC = mController.get();
  }
  // Gives session a current request from 203.0.113.4 for /$/callback with two posted fields.
  void StartRequest(TKXApplication* session) {
    TRequestPacketFields fields;
    fields.RemoteAddr = "203.0.113.4";
    fields.PathInfo = "/$/callback";
    fields.Method = "POST";
    fields.UserAgent = kChrome;
    fields.ContentFields = {"a=1", "b=\xC3\xA9"};
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    const std::int64_t length = WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    mRequest = std::make_unique<THttpRequest>(buffer.data(), length);
    mReplyBuffer.assign(THttpPacket::HostBufferSize, 0);
    mReply = std::make_unique<THttpReply>(mReplyBuffer.data(), std::int32_t(mReplyBuffer.size()));
    session->Initialize(mRequest.get(), mReply.get());
  }

  // The record's bytes after its date-time, which is checked to lie between before and after.
  static std::string WithoutTime(const std::string& bytes, std::size_t offset, TDateTime before, TDateTime after) {
    double time = 0;
    std::memcpy(&time, bytes.data() + offset, 8);
    EXPECT_GE(time, before);
    EXPECT_LE(time, after);
    return bytes.substr(0, offset) + bytes.substr(offset + 8);
  }

  TKXSessions mStore;
  std::vector<TKXApplication*> mSessions;
  TOwnedComponent<TLogTestController> mController;
  std::unique_ptr<THttpRequest> mRequest;
  std::vector<char> mReplyBuffer;
  std::unique_ptr<THttpReply> mReply;
};

// A session destroyed outside a request: two empty texts and a zero count after its id.
TEST_F(TKXSessionLoggerTest, FirstRecordWithoutControllerHasShortHeader) {
  TKXApplication* session = NewSession();
  const TDateTime before = Now();
  TKXSessionLogger::LogEvent(*session, seDestroy, "ignored");
  const TDateTime after = Now();
  const std::string bytes = FileBytes(gTestAppFolder + gsAppName() + "_session.log");
  ASSERT_EQ(bytes.size(), 8u + 1 + 8 + 4 + session->AppID().size() + 12);
  EXPECT_EQ(WithoutTime(bytes, 9, before, after),
            Int32(20040827) + Int32(2) + '\x01' + Text(session->AppID()) + Text("") + Text("") + Int32(0));
}

TEST_F(TKXSessionLoggerTest, HeaderWithControllerThenRecordsWithoutHeader) {
  CreateController();
  gSC->SetAllowMultipleSessionsPerUser(true);
  gSC->SetSessionTimeout(25);
  TKXApplication* session = NewSession();
  const TDateTime before = Now();
  TKXSessionLogger::LogEvent(*session, seRequest);
  TKXSessionLogger::LogEvent(*session, seDestroy);
  const TDateTime after = Now();
  const std::string bytes = FileBytes(TKXSessionLogger::LogFileName());
  const std::string header = Int32(20040827) + Int32(2) + '\x01' + Int32(25);
  const std::string tail = Text(session->AppID()) + Text("") + Text("") + Int32(0);
  const std::size_t recordSize = 1 + 8 + tail.size();
  ASSERT_EQ(bytes.size(), header.size() + 2 * recordSize);
  EXPECT_EQ(bytes.substr(0, header.size()), header);
  EXPECT_EQ(WithoutTime(bytes.substr(header.size(), recordSize), 1, before, after), '\x02' + tail);
  EXPECT_EQ(WithoutTime(bytes.substr(header.size() + recordSize), 1, before, after), '\x01' + tail);
}

TEST_F(TKXSessionLoggerTest, CreateRecordCarriesBrowserAndRequest) {
  TKXApplication* session = NewSession();
  StartRequest(session);
  const TDateTime before = Now();
  const std::string create = TKXSessionLogger::BuildRecord(*session, seCreate, false);
  const std::string request = TKXSessionLogger::BuildRecord(*session, seRequest, false);
  const TDateTime after = Now();
  const std::string requestPart =
      Text("203.0.113.4") + Text("/$/callback") + Int32(2) + Text("a=1") + Text("b=\xC3\xA9");
  EXPECT_EQ(WithoutTime(create, 1, before, after), '\x00' + Text(session->AppID()) +
                                                        Text(session->Browser()->BrowserName()) + Text(kChrome) +
                                                        requestPart);
  EXPECT_EQ(WithoutTime(request, 1, before, after), '\x02' + Text(session->AppID()) + requestPart);
}

// F6: a log that cannot be written raises from LogEvent, but never out of the
// writer that sessions call (a request or a destruction goes on).
TEST_F(TKXSessionLoggerTest, UnwritableLogRaisesOnlyFromLogEvent) {
  fs::create_directory(TKXSessionLogger::LogFileName());
  TKXApplication* session = NewSession();
  EXPECT_THROW(TKXSessionLogger::LogEvent(*session, seRequest), EFOpenError);
  InstallSessionLogger();
  ASSERT_NE(gLogSessionEvent, nullptr);
  EXPECT_NO_THROW(gLogSessionEvent(*session, seRequest));
}

TEST_F(TKXSessionLoggerTest, ConcurrentWritersLeaveOnlyWholeRecords) {
  constexpr int kThreads = 8;
  constexpr int kRecords = 40;
  std::vector<TKXApplication*> sessions;
  for (int i = 0; i < kThreads; ++i) sessions.push_back(NewSession());
  std::vector<std::thread> threads;
  for (TKXApplication* session : sessions)
    threads.emplace_back([session] {
      for (int i = 0; i < kRecords; ++i) TKXSessionLogger::LogEvent(*session, seRequest);
    });
  for (std::thread& thread : threads) thread.join();

  TStreamHelper log(std::make_unique<TFileStream>(TKXSessionLogger::LogFileName(), fmOpenRead));
  EXPECT_EQ(log.ReadInteger(), 20040827);
  EXPECT_EQ(log.ReadInteger(), 2);
  std::map<std::string, int> counts;
  while (log.Stream()->Position() < log.Stream()->Size()) {
    ASSERT_EQ(log.ReadByte(), seRequest);
    log.ReadDouble();
    ++counts[log.ReadText()];
    EXPECT_EQ(log.ReadText(), "");
    EXPECT_EQ(log.ReadText(), "");
    EXPECT_EQ(log.ReadInteger(), 0);
  }
  ASSERT_EQ(counts.size(), std::size_t(kThreads));
  for (TKXApplication* session : sessions) EXPECT_EQ(counts[session->AppID()], kRecords);
}

}  // namespace
}  // namespace kx
