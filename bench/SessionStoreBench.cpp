// The session store: LookupAndLock + Unlock of a session from 1 and 8 threads, each thread on a session of its own,
// with only those sessions in the store and with 10,000 more; and a sweep of RemoveExpiredSessions over 10,000 live
// sessions of which none is due, once when they stayed idle since the last sweep and once when each had a request;
// and how long a call that takes the store's write lock waits while 8 threads look up without a pause.
// Sessions are made directly in the store (no request packets), with a 10-minute timeout on the steady clock.
// Usage: kx_bench_session_store [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "kx/appserver/Runtime.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/Browsers.h"

namespace {

using namespace kx;

constexpr const char* kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";
constexpr int kThreadSessions = 8;

// The run's runtime and store; sessions are only ever added.
class TStoreWorld {
 public:
  TKXRuntime mRuntime;

  TStoreWorld() {
    Startup();
    RegisterBrowsers();
    mStore = SessionStore();
    if (mStore == nullptr) {
      gSessions = new TKXSessions();
      mStore = SessionStore();
    }
    for (int i = 0; i < kThreadSessions; ++i) mThreadIds.push_back(NewSession());
  }

  // Adds sessions until count exist besides the threads' own.
  void EnsureOthers(int count) {
    while (mOthers < count) {
      mOtherIds.push_back(NewSession());
      ++mOthers;
    }
  }

  TKXSessions& Store() { return *mStore; }
  const std::string& ThreadSession(int thread) const { return mThreadIds[thread]; }
  const std::vector<std::string>& Others() const { return mOtherIds; }

 private:
  std::string NewSession() {
    TKXApplication* session = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(kChrome), nullptr,
                                                                 nullptr, "127.0.0.1", "", "", "/");
    session->SetSessionTimeOut(10);
    session->MarkAccess();
    session->Unlock();
    return session->AppID();
  }

  TKXSessions* mStore = nullptr;
  std::vector<std::string> mThreadIds;
  std::vector<std::string> mOtherIds;
  int mOthers = 0;
};

TStoreWorld& World() {
  static TStoreWorld* world = new TStoreWorld();  // lives to the end of the process
  return *world;
}

// One request's hold on its session: look it up locked, let it go. Arg: the other sessions in the store.
void BM_LookupAndLock(benchmark::State& state) {
  TStoreWorld& world = World();
  if (state.thread_index() == 0) world.EnsureOthers(int(state.range(0)));
  const std::string id = world.ThreadSession(state.thread_index());
  for (auto _ : state) {
    TKXApplication* session = world.Store().LookupAndLock(id, 0);
    if (session == nullptr) std::abort();
    session->Unlock();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupAndLock)->Arg(0)->Arg(10000)->Threads(1)->Threads(8)->UseRealTime();

// Empties the expiry backlog, so that the sweeps measured start from a settled store.
void Settle(TKXSessions& store) {
  std::vector<TKXApplication*> removed;
  store.RemoveExpiredSessions(removed);
  if (!removed.empty()) std::abort();
}

// A sweep over 10,000 live sessions (and the threads' 8) that stayed idle since the last sweep: none is due.
void BM_RemoveExpiredSessionsIdle(benchmark::State& state) {
  TStoreWorld& world = World();
  world.EnsureOthers(10000);
  Settle(world.Store());
  std::vector<TKXApplication*> removed;
  for (auto _ : state) {
    world.Store().RemoveExpiredSessions(removed);
    if (!removed.empty()) std::abort();
  }
}
BENCHMARK(BM_RemoveExpiredSessionsIdle)->Unit(benchmark::kMicrosecond);

// The same sweep when each of the 10,000 sessions had a request since the last one (none is due still).
void BM_RemoveExpiredSessionsAfterRequests(benchmark::State& state) {
  TStoreWorld& world = World();
  world.EnsureOthers(10000);
  Settle(world.Store());
  std::vector<TKXApplication*> removed;
  for (auto _ : state) {
    state.PauseTiming();
    for (const std::string& id : world.Others()) {
      TKXApplication* session = world.Store().LookupAndLock(id, 0);
      session->MarkAccess();  // as a request does when it ends
      session->Unlock();
    }
    state.ResumeTiming();
    world.Store().RemoveExpiredSessions(removed);
    if (!removed.empty()) std::abort();
  }
}
BENCHMARK(BM_RemoveExpiredSessionsAfterRequests)->Unit(benchmark::kMicrosecond);


// A call that takes the store's write lock (GetExpiredParams with remove) while 8 threads look up their sessions
// without a pause: its mean time, and the longest one in worst_us.
void BM_WriteWhileEightThreadsLookUp(benchmark::State& state) {
  TStoreWorld& world = World();
  std::atomic<bool> stop{false};
  std::vector<std::thread> readers;
  for (int t = 0; t < kThreadSessions; ++t)
    readers.emplace_back([&world, &stop, t] {
      const std::string id = world.ThreadSession(t);
      while (!stop) world.Store().LookupAndLock(id, 0)->Unlock();
    });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  double worst = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    world.Store().GetExpiredParams("unknown", true);
    worst = std::max(worst, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  stop = true;
  for (std::thread& reader : readers) reader.join();
  state.counters["worst_us"] = worst;
}
BENCHMARK(BM_WriteWhileEightThreadsLookUp)->Iterations(2000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
