// Many request threads on few sessions while expiry runs every few milliseconds
// and requests end sessions: no request may find a session busy with another,
// no lock may be lost (each request is answered), nothing is used after it was
// freed (run under ThreadSanitizer or AddressSanitizer to see the latter).
#include "kx/appserver/ServerSession.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HttpPackets.h"
#include "support/SessionTestDoubles.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

std::string gStressFolder;
// Session time runs fast: a thread moves it on by 5 s every millisecond, so a
// session left alone expires within a few dozen milliseconds.
std::atomic<std::int64_t> gStressNowMs{0};
std::chrono::steady_clock::time_point StressNow() {
  return std::chrono::steady_clock::time_point(std::chrono::milliseconds(gStressNowMs.load()));
}

TReplyPacket Exchange(const std::string& path, const std::string& query, const std::string& cookie) {
  TRequestPacketFields fields;
  fields.PathInfo = path;
  fields.URL = path;
  fields.Query = query;
  for (std::size_t start = 0; start < query.size();) {
    const std::size_t end = std::min(query.find('&', start), query.size());
    fields.QueryFields.push_back(query.substr(start, end - start));
    start = end + 1;
  }
  fields.Method = "GET";
  fields.Host = "www.example.com";
  fields.RemoteAddr = "192.0.2.10";
  fields.UserAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
  if (!cookie.empty()) fields.CookieFields.push_back("KX_MyKXApp=" + cookie);
  std::vector<char> buffer(THttpPacket::HostBufferSize);
  WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
  HttpExecute(buffer.data(), std::int32_t(buffer.size()));
  return ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
}

std::string CookieOf(const TReplyPacket& reply) {
  for (const TReplyPacketCookie& cookie : reply.Cookies)
    if (cookie.Name == "KX_MyKXApp" && !cookie.Value.empty()) return cookie.Value;
  return {};
}

TEST(SessionStress, ManyThreadsSessionsExpiryAndTerminations) {
  Startup();
  std::string pattern = gsTempPath() + "kx-stress-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  gStressFolder = pattern + "/";
  gGetAppPath = [] { return gStressFolder; };
  gStressNowMs = 1'000'000;
  gSessionClock = &StressNow;
  RegisterSessionLayer();
  gCreateCallBackResponse = &TTestCallBackResponse::Create;
  gMainFormClass = &TTestForm::ClassRecord();
  std::atomic<int> overlaps{0}, executions{0};
  auto inside = [&](TTestForm& form) {
    if (form.mInside.fetch_add(1) != 0) ++overlaps;
    ++executions;
    std::this_thread::yield();
    form.mInside.fetch_sub(1);
  };
  TTestForm::OnExecute = [&](TTestForm& form, const TStrings& params) {
    inside(form);
    if (params.IndexOf("end=1") >= 0) form.Session()->Terminate();
  };
  TTestForm::OnGenerate = inside;
  {
    TOwnedComponent<TKXServerControllerBase> controller(TComponent::Create<TKXServerControllerBase>(nullptr));
    gSC = gServerController = controller.get();

    TSessionTimeoutThread expiry(*controller, 2);
    expiry.Start();
    std::atomic<bool> stop{false};
    std::thread clock([&] {
      while (!stop) {
        gStressNowMs += 5000;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });

    // A few sessions that every thread shares, renewed when they end.
    std::mutex sharedLock;
    std::vector<std::string> shared;
    for (int i = 0; i < 4; ++i) shared.push_back(CookieOf(Exchange("/", "", "")));

    constexpr int kThreads = 12;
    constexpr int kRequests = 250;
    std::atomic<int> answered{0}, unexpected{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        std::mt19937 random(t);
        for (int i = 0; i < kRequests; ++i) {
          std::string cookie;
          std::size_t slot = random() % 4;
          {
            std::lock_guard<std::mutex> guard(sharedLock);
            cookie = shared[slot];
          }
          TReplyPacket reply;
          // Callbacks, stop and start name their session, as the page's own requests do.
          const std::string named = "KX_SessionID_=" + cookie.substr(0, cookie.find('_'));
          switch (random() % 9) {
            case 0: reply = Exchange("/", "", ""); break;
            case 1: reply = Exchange("/$/callback", "callback=x&" + named, cookie); break;
            case 2: reply = Exchange("/$/KeepAlive", "", cookie); break;
            case 3: reply = Exchange("/$/QueryStatus", "", cookie); break;
            case 4: reply = Exchange("/$/", "end=1", cookie); break;
            case 5: reply = Exchange("/$/Stop/", "url=example.org&" + named, cookie); break;
            case 6: reply = Exchange("/$/Start", named, cookie); break;
            default: reply = Exchange("/$/", "", cookie); break;
          }
          ++answered;
          // 503: more requests than a session lets wait were after one session.
          if (reply.Code != 200 && reply.Code != 500 && reply.Code != 503) ++unexpected;
          // A session that ended (or never started) is replaced by a fresh one.
          if (reply.Code == 500 || (i % 25) == 0) {
            std::string fresh = CookieOf(Exchange("/", "", ""));
            std::lock_guard<std::mutex> guard(sharedLock);
            shared[slot] = fresh;
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    stop = true;
    clock.join();
    expiry.Finish();
    expiry.WaitFor();

    EXPECT_EQ(answered, kThreads * kRequests);
    EXPECT_EQ(unexpected, 0);
    EXPECT_EQ(overlaps, 0);
    EXPECT_GT(executions, 0);

    // Everything left expires: the store ends empty, every session freed.
    gStressNowMs += std::int64_t(24) * 3600 * 1000;
    controller->SessionTimeoutThread()->Run();
    EXPECT_EQ(SessionStore()->GetCount(), 0);
    EXPECT_FALSE(fs::exists(controller->CacheDir() + "user") && !fs::is_empty(controller->CacheDir() + "user"));
  }
  gSC = nullptr;
  gServerFactory = nullptr;
  gDescribeSession = nullptr;
  gCreateCallBackResponse = nullptr;
  gMainFormClass = nullptr;
  TTestForm::OnExecute = nullptr;
  TTestForm::OnGenerate = nullptr;
  gSessionClock = &std::chrono::steady_clock::now;
  gGetAppPath = nullptr;
  fs::remove_all(gStressFolder);
}

}  // namespace
}  // namespace kx
