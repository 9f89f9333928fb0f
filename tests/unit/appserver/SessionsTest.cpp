#include "kx/appserver/Sessions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <thread>

#include "kx/appserver/RequestWatch.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/SysUtils.h"

namespace kx {
namespace {

constexpr const char* kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

// A clock the test moves by hand.
std::atomic<std::int64_t> gFakeNowMs{0};
std::chrono::steady_clock::time_point FakeNow() {
  return std::chrono::steady_clock::time_point(std::chrono::milliseconds(gFakeNowMs.load()));
}

class TKXSessionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBrowsers();
    gFakeNowMs = 1'000'000;
    gSessionClock = &FakeNow;
    delete gSessions;  // the store kx::Startup made: this test uses its own
    gSessions = &mStore;
  }
  void TearDown() override {
    mStore.Clear();
    gSessions = nullptr;
  }

  // A new session, registered and locked by the calling thread, then unlocked.
  TKXApplication* NewSession(int timeoutMinutes = 10) {
    TKXApplication* session = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(kChrome), nullptr,
                                                                 nullptr, "127.0.0.1", "", "", "/");
    session->SetSessionTimeOut(timeoutMinutes);
    session->Unlock();
    return session;
  }

  static void Advance(std::chrono::milliseconds step) { gFakeNowMs += step.count(); }

  // Returns once waiters threads wait for the session: each holds a share of its lock.
  static void UntilWaitedFor(const TKXApplication* session, long waiters = 1) {
    while (session->SharedLock().use_count() < 1 + waiters) std::this_thread::yield();
  }

  // The ids of the sessions a sweep takes out now; they are freed.
  std::set<std::string> Sweep() {
    std::vector<TKXApplication*> removed;
    mStore.RemoveExpiredSessions(removed);
    std::set<std::string> ids;
    for (TKXApplication* session : removed) {
      ids.insert(session->AppID());
      mStore.FreeSession(session);
    }
    return ids;
  }

  TKXSessions mStore;
};

TEST_F(TKXSessionsTest, NewSessionIsRegisteredUnderAGeneratedId) {
  TKXApplication* session = NewSession();
  EXPECT_EQ(session->AppID().size(), 22u);
  EXPECT_EQ(mStore.LookUp(session->AppID()), session);
  EXPECT_TRUE(mStore.IsValidSession(session));
  EXPECT_EQ(mStore.GetCount(), 1);
}

// Equality counts as expired: exactly one timeout after the last access.
TEST_F(TKXSessionsTest, ExpiresExactlyOneTimeoutAfterLastAccess) {
  TKXApplication* session = NewSession(10);
  const std::string id = session->AppID();
  Advance(std::chrono::minutes(10) - std::chrono::milliseconds(1));
  bool expired = true;
  TKXApplication* found = mStore.LookupAndLock(id, expired, 0);
  ASSERT_EQ(found, session);
  EXPECT_FALSE(expired);
  found->MarkAccess();
  found->Unlock();

  Advance(std::chrono::minutes(10));
  EXPECT_EQ(mStore.LookupAndLock(id, expired, 0), nullptr);
  EXPECT_TRUE(expired);
}

// A timeout of 0 expires the session at its next look-up; it stays live for the
// timeout thread and is reported expired every time until then.
TEST_F(TKXSessionsTest, ExpiredSessionStaysLiveUntilRemovedAndKeepsItsRunParameters) {
  TKXApplication* session = NewSession(0);
  session->RunParams().Add("a=1&2");
  const std::string id = session->AppID();
  for (int i = 0; i < 2; ++i) {
    bool expired = false;
    EXPECT_EQ(mStore.LookupAndLock(id, expired, 0), nullptr);
    EXPECT_TRUE(expired);
    EXPECT_EQ(mStore.GetCount(), 1);
  }
  EXPECT_EQ(mStore.GetExpiredParams(id, false), "?a=1%262");

  std::vector<TKXApplication*> removed;
  mStore.RemoveExpiredSessions(removed);
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_EQ(mStore.GetCount(), 0);
  mStore.FreeSession(removed[0]);

  // An id of the expired list is still reported expired, not unknown.
  bool expired = false;
  EXPECT_EQ(mStore.LookupAndLock(id, expired, 0), nullptr);
  EXPECT_TRUE(expired);
  EXPECT_EQ(mStore.GetExpiredParams(id, true), "?a=1%262");
  EXPECT_EQ(mStore.GetExpiredParams(id, false), "");
  EXPECT_EQ(mStore.LookupAndLock(id, expired, 0), nullptr);
  EXPECT_FALSE(expired);
}

TEST_F(TKXSessionsTest, RemoveExpiredSessionsSkipsSessionsBusyWithARequest) {
  TKXApplication* busy = NewSession(0);
  TKXApplication* idle = NewSession(0);
  TKXApplication* live = NewSession(10);
  std::atomic<bool> locked{false}, release{false};
  std::thread request([&] {
    busy->Lock();
    locked = true;
    while (!release) std::this_thread::yield();
    busy->Unlock();
  });
  while (!locked) std::this_thread::yield();
  std::vector<TKXApplication*> removed;
  mStore.RemoveExpiredSessions(removed);
  release = true;
  request.join();
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_EQ(removed[0], idle);
  EXPECT_TRUE(mStore.IsValidSession(busy));
  EXPECT_TRUE(mStore.IsValidSession(live));
  mStore.FreeSession(idle);
}

TEST_F(TKXSessionsTest, LookupOfABusySessionWaitsForItsUnlock) {
  gSessionClock = &std::chrono::steady_clock::now;
  TKXApplication* session = NewSession();
  session->MarkAccess();
  const std::string id = session->AppID();
  session->Lock();
  std::atomic<bool> done{false};
  TKXApplication* found = nullptr;
  std::thread second([&] {
    found = mStore.LookupAndLock(id, 0);
    done = true;
    if (found) found->Unlock();
  });
  // Meanwhile the store stays usable: the waiting look-up does not hold its lock.
  EXPECT_EQ(mStore.GetCount(), 1);
  EXPECT_FALSE(done);
  session->Unlock();
  second.join();
  EXPECT_EQ(found, session);
}

TEST_F(TKXSessionsTest, LookupWithATimeOutGivesUpOnABusySession) {
  gSessionClock = &std::chrono::steady_clock::now;
  TKXApplication* session = NewSession();
  session->MarkAccess();
  std::atomic<bool> locked{false}, release{false};
  std::thread request([&] {
    session->Lock();
    locked = true;
    while (!release) std::this_thread::yield();
    session->Unlock();
  });
  while (!locked) std::this_thread::yield();
  bool expired = true;
  EXPECT_EQ(mStore.LookupAndLock(session->AppID(), expired, 50), nullptr);
  EXPECT_FALSE(expired);
  release = true;
  request.join();
}

TEST_F(TKXSessionsTest, UnknownIdsGiveNothing) {
  bool expired = true;
  EXPECT_EQ(mStore.LookupAndLock("nope", expired, 0), nullptr);
  EXPECT_FALSE(expired);
  EXPECT_EQ(mStore.LookupAndLock("", expired, 0), nullptr);
  EXPECT_EQ(mStore.QueryStatus("nope"), -1);
  EXPECT_FALSE(mStore.Terminate("nope"));
  mStore.MarkAccess("nope");
  mStore.Remove(nullptr);
}

TEST_F(TKXSessionsTest, QueryStatusReadsTheStatusAndMarksTheAccess) {
  TKXApplication* session = NewSession(10);
  session->SetStatus(7);
  Advance(std::chrono::minutes(9));
  EXPECT_EQ(mStore.QueryStatus(session->AppID()), 7);
  Advance(std::chrono::minutes(9));
  bool expired = true;
  TKXApplication* found = mStore.LookupAndLock(session->AppID(), expired, 0);
  EXPECT_EQ(found, session);
  found->Unlock();
}

TEST_F(TKXSessionsTest, DuplicateIdIsRefusedWithPrefixAndLeavesTheSessionUnlocked) {
  TKXApplication* session = NewSession();
  TKXSessions other;
  other.BeginWrite();
  other.AddSessionAndLock(session);
  session->Unlock();
  try {
    other.AddSessionAndLock(session);
    ADD_FAILURE() << "a duplicate id was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Error while trying to add a new session: String list does not allow duplicates");
  }
  other.EndWrite();
  bool lockable = false;
  std::thread probe([&] {
    lockable = session->TryLock();
    if (lockable) session->Unlock();
  });
  probe.join();
  EXPECT_TRUE(lockable);
  other.Remove(session);
}

// Terminating a session that another request holds waits for that request
// without holding the store lock, so the rest of the process carries on.
TEST_F(TKXSessionsTest, TerminateOfABusySessionWaitsWithoutBlockingTheStore) {
  TKXApplication* session = NewSession();
  TKXApplication* other = NewSession();
  const std::string id = session->AppID();
  session->Lock();
  std::atomic<bool> terminated{false};
  std::thread terminator([&] { terminated = mStore.Terminate(id); });
  TKXApplication* found = mStore.LookupAndLock(other->AppID(), 0);
  EXPECT_EQ(found, other);
  if (found) found->Unlock();
  EXPECT_EQ(mStore.GetCount(), 2);
  session->Unlock();
  terminator.join();
  EXPECT_TRUE(terminated);
  EXPECT_EQ(mStore.LookUp(id), nullptr);
  EXPECT_EQ(mStore.GetCount(), 1);
}

// The request's own session (its lock held once by the caller) is ended at once.
TEST_F(TKXSessionsTest, RemoveAndFreeEndsTheCallersOwnSession) {
  TKXApplication* session = NewSession();
  const std::string id = session->AppID();
  ASSERT_EQ(mStore.LookupAndLock(id, 0), session);
  mStore.RemoveAndFree(session);
  EXPECT_EQ(mStore.LookUp(id), nullptr);
  EXPECT_EQ(mStore.GetCount(), 0);
}

// A session its owner frees directly (not through the store) leaves the store: the store kept a freed pointer,
// which the next look-up or Clear used.
TEST_F(TKXSessionsTest, ASessionFreedDirectlyLeavesTheStore) {
  TKXApplication* kept = NewSession();
  TKXApplication* freed = NewSession();
  const std::string id = freed->AppID();
  freed->Free();
  EXPECT_EQ(mStore.LookUp(id), nullptr);
  EXPECT_EQ(mStore.GetCount(), 1);
  EXPECT_EQ(mStore.LookUp(kept->AppID()), kept);
}

TEST_F(TKXSessionsTest, SessionsAreFreedAsTheThreadsCurrentApplication) {
  std::vector<std::string> seen;
  mStore.OnDestroySession = [&](TKXApplication* session) {
    seen.push_back(GetWebApplication() == session ? "current" : "other");
  };
  NewSession();
  NewSession();
  mStore.Clear();
  EXPECT_EQ(seen, (std::vector<std::string>{"current", "current"}));
  EXPECT_EQ(GetWebApplication(), nullptr);
  EXPECT_EQ(mStore.GetCount(), 0);
}

// A session whose destruction raises is still freed and reported; the next one follows.
TEST_F(TKXSessionsTest, AFailingDestructionIsReportedAndTheStoreCarriesOn) {
  int destroyed = 0;
  std::vector<std::string> errors;
  mStore.OnDestroySession = [&](TKXApplication*) {
    ++destroyed;
    throw Exception("boom");
  };
  mStore.OnSessionError = [&](const std::string& id, const std::exception& e) {
    errors.push_back(std::to_string(id.size()) + ":" + e.what());
  };
  NewSession();
  NewSession();
  mStore.Clear();
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(errors, (std::vector<std::string>{"22:boom", "22:boom"}));
  EXPECT_EQ(mStore.GetCount(), 0);
}

TEST_F(TKXSessionsTest, TaggedNameLookupIgnoresCaseAndLocks) {
  TKXApplication* session = NewSession();
  session->SetTaggedSessionName("Alice");
  EXPECT_EQ(mStore.LookupByTaggedNameAndLock("nobody"), nullptr);
  TKXApplication* found = mStore.LookupByTaggedNameAndLock("ALICE");
  ASSERT_EQ(found, session);
  bool lockable = true;
  std::thread probe([&] {
    lockable = session->TryLock();
    if (lockable) session->Unlock();
  });
  probe.join();
  EXPECT_FALSE(lockable);
  found->Unlock();
}

// What waits for a busy session: each gives whether it got the session (the look-ups unlock it at once).
struct TWaitingCall {
  const char* Name;
  std::function<bool(TKXSessions& store, const std::string& id)> Run;
};
const TWaitingCall kWaitingCalls[] = {
    {"look-up without limit",
     [](TKXSessions& store, const std::string& id) {
       TKXApplication* session = store.LookupAndLock(id, 0);
       if (session != nullptr) session->Unlock();
       return session != nullptr;
     }},
    {"look-up with a limit",
     [](TKXSessions& store, const std::string& id) {
       TKXApplication* session = store.LookupAndLock(id, 60000);
       if (session != nullptr) session->Unlock();
       return session != nullptr;
     }},
    {"look-up by tagged name",
     [](TKXSessions& store, const std::string&) {
       TKXApplication* session = store.LookupByTaggedNameAndLock("waited");
       if (session != nullptr) session->Unlock();
       return session != nullptr;
     }},
    {"terminate", [](TKXSessions& store, const std::string& id) { return store.Terminate(id); }},
};

// A call that finds the session busy waits for it and gets it when the holder lets it go.
TEST_F(TKXSessionsTest, ABusySessionGoesToTheCallWaitingForItOnceReleased) {
  for (const TWaitingCall& call : kWaitingCalls) {
    SCOPED_TRACE(call.Name);
    TKXApplication* session = NewSession();
    session->SetTaggedSessionName("waited");
    const std::string id = session->AppID();
    session->Lock();
    std::atomic<bool> done{false};
    bool got = false;
    std::thread waiter([&] {
      got = call.Run(mStore, id);
      done = true;
    });
    UntilWaitedFor(session);
    EXPECT_FALSE(done);
    session->Unlock();
    waiter.join();
    EXPECT_TRUE(got);
    mStore.Clear();
  }
}

// The session ends while a call waits for it: the call gets nothing, and it never touches the freed session (the
// address sanitizer build sees it if it did). The session is freed either as a request ends it (its lock released,
// then freed: the waiter may wake meanwhile) or before its lock is let go (the waiter wakes after the free).
TEST_F(TKXSessionsTest, ASessionEndingWhileWaitedForGivesNothing) {
  const struct {
    const char* Name;
    std::function<void(TKXSessions& store, TKXApplication* session)> End;
  } ends[] = {
      {"ended by its request", [](TKXSessions& store, TKXApplication* session) { store.RemoveAndFree(session); }},
      {"freed before its lock is let go",
       [](TKXSessions& store, TKXApplication* session) {
         std::shared_ptr<TKXTimedCriticalSection> lock = session->SharedLock();
         store.Remove(session);
         store.FreeSession(session);
         lock->Leave();
       }},
  };
  for (const auto& end : ends) {
    for (const TWaitingCall& call : kWaitingCalls) {
      SCOPED_TRACE(std::string(end.Name) + ", " + call.Name);
      TKXApplication* session = NewSession();
      session->SetTaggedSessionName("waited");
      const std::string id = session->AppID();
      session->Lock();
      bool got = true;
      std::thread waiter([&] { got = call.Run(mStore, id); });
      UntilWaitedFor(session);
      end.End(mStore, session);
      waiter.join();
      EXPECT_FALSE(got);
      EXPECT_EQ(mStore.GetCount(), 0);
    }
  }
}

// The session expires and the sweep frees it while a look-up waits: the look-up reports it expired.
TEST_F(TKXSessionsTest, ASessionExpiringWhileWaitedForIsReportedExpired) {
  TKXApplication* session = NewSession(10);
  const std::string id = session->AppID();
  session->Lock();
  bool expired = false;
  TKXApplication* found = session;
  std::thread waiter([&] { found = mStore.LookupAndLock(id, expired, 0); });
  UntilWaitedFor(session);
  Advance(std::chrono::minutes(10));
  // The sweep runs on the holder's thread, so that it may take the busy session.
  std::vector<TKXApplication*> removed;
  mStore.RemoveExpiredSessions(removed);
  ASSERT_EQ(removed, std::vector<TKXApplication*>{session});
  session->Unlock();
  mStore.FreeSession(session);
  waiter.join();
  EXPECT_EQ(found, nullptr);
  EXPECT_TRUE(expired);
}

// The time-out of a look-up is judged by the session clock: a waiting look-up gives up once that clock passes it.
TEST_F(TKXSessionsTest, AWaitingLookupGivesUpWhenTheSessionClockPassesItsTimeOut) {
  TKXApplication* session = NewSession();
  session->Lock();
  std::atomic<bool> done{false};
  bool expired = true;
  TKXApplication* found = session;
  std::thread waiter([&] {
    found = mStore.LookupAndLock(session->AppID(), expired, 50);
    done = true;
  });
  UntilWaitedFor(session);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));  // real time passes, the session clock stands
  EXPECT_FALSE(done);
  Advance(std::chrono::milliseconds(50));
  waiter.join();
  EXPECT_EQ(found, nullptr);
  EXPECT_FALSE(expired);
  session->Unlock();
}

// A request's look-up stops waiting for a busy session once the host's watch says its client has gone (before or
// during the wait): it raises ESessionBusy and gets nothing.
TEST_F(TKXSessionsTest, ALookupGivesUpWhenTheRequestsClientHasGone) {
  struct TWatch : IKXRequestWatch {
    std::atomic<bool> Keep{true};
    bool KeepWaiting() override { return Keep; }
  };
  for (const bool goneAtFirst : {true, false}) {
    SCOPED_TRACE(goneAtFirst ? "gone before the wait" : "gone while waiting");
    TKXApplication* session = NewSession();
    session->Lock();
    TWatch watch;
    watch.Keep = !goneAtFirst;
    std::atomic<bool> done{false}, busy{false};
    std::thread request([&] {
      TKXRequestWatchScope watching(watch);
      try {
        if (TKXApplication* found = mStore.LookupAndLock(session->AppID(), 0)) found->Unlock();
      } catch (const ESessionBusy&) {
        busy = true;
      }
      done = true;
    });
    if (!goneAtFirst) UntilWaitedFor(session);
    watch.Keep = false;
    // Bounded only so that a look-up that waits on fails the test instead of hanging it.
    for (int i = 0; i < 10000 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    session->Unlock();
    request.join();
    EXPECT_TRUE(busy.load());
    mStore.Clear();
  }
}

// The sweep takes out exactly the sessions due, whatever moved their deadlines since they were indexed: an access
// mark makes one later, a request that shortens the timeout makes one earlier.
TEST_F(TKXSessionsTest, SweepsTakeOutExactlyTheSessionsDue) {
  const std::string a = NewSession(10)->AppID();
  const std::string b = NewSession(20)->AppID();
  const std::string c = NewSession(10)->AppID();
  const std::string d = NewSession(30)->AppID();
  EXPECT_TRUE(Sweep().empty());  // every new session is looked at once
  Advance(std::chrono::minutes(1));
  TKXApplication* request = mStore.LookupAndLock(d, 0);
  ASSERT_NE(request, nullptr);
  request->SetSessionTimeOut(5);
  request->MarkAccess();
  request->Unlock();
  Advance(std::chrono::minutes(4));
  mStore.MarkAccess(c);  // at 5 minutes: c is due at 15
  const struct {
    std::chrono::milliseconds At;  // from the start
    std::set<std::string> Removed;
  } sweeps[] = {
      {std::chrono::minutes(6) - std::chrono::milliseconds(1), {}},
      {std::chrono::minutes(6), {d}},
      {std::chrono::minutes(10) - std::chrono::milliseconds(1), {}},
      {std::chrono::minutes(10), {a}},
      {std::chrono::minutes(15) - std::chrono::milliseconds(1), {}},
      {std::chrono::minutes(15), {c}},
      {std::chrono::minutes(20) - std::chrono::milliseconds(1), {}},
      {std::chrono::minutes(20), {b}},
  };
  const std::int64_t start = gFakeNowMs - std::chrono::milliseconds(std::chrono::minutes(5)).count();
  for (const auto& sweep : sweeps) {
    gFakeNowMs = start + sweep.At.count();
    SCOPED_TRACE(sweep.At.count());
    EXPECT_EQ(Sweep(), sweep.Removed);
  }
  EXPECT_EQ(mStore.GetCount(), 0);
}

// A sweep looks only at the sessions due or handed out since the last one, not at every live session.
TEST_F(TKXSessionsTest, ASweepLooksOnlyAtTheSessionsDueOrUsedSinceTheLastOne) {
  std::vector<std::string> ids;
  for (int i = 0; i < 50; ++i) ids.push_back(NewSession(10)->AppID());
  const std::int64_t made = mStore.ExpiryChecks();
  EXPECT_TRUE(Sweep().empty());
  EXPECT_EQ(mStore.ExpiryChecks() - made, 50);
  EXPECT_TRUE(Sweep().empty());
  EXPECT_EQ(mStore.ExpiryChecks() - made, 50);
  for (int i = 0; i < 3; ++i) mStore.LookupAndLock(ids[i], 0)->Unlock();
  mStore.QueryStatus(ids[3]);  // an access mark alone changes no deadline to an earlier one
  Advance(std::chrono::minutes(5));
  EXPECT_TRUE(Sweep().empty());
  EXPECT_EQ(mStore.ExpiryChecks() - made, 53);
}

TEST(TKXExpiredSessionList, PrunesOldEntriesOnlyFromHundredEntriesOn) {
  gFakeNowMs = 0;
  gSessionClock = &FakeNow;
  TKXExpiredSessionList list;
  for (int i = 0; i < 99; ++i) list.Add("old" + std::to_string(i), "?a=1");
  gFakeNowMs += std::chrono::milliseconds(std::chrono::minutes(241)).count();
  list.RemoveOldSessions();
  EXPECT_EQ(list.Count(), 99);  // below the threshold nothing goes
  list.Add("new", "?b=2");
  list.Add("new", "?ignored");
  EXPECT_EQ(list.GetRunParams("new"), "?b=2");
  list.RemoveOldSessions();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.Contains("new"));
  gSessionClock = &std::chrono::steady_clock::now;
}

// Issue 31, fault 4: the expired list kept every id with its whole start parameters for 240 minutes, without a cap
// (six 20 MB start posts held 354 MiB after expiry).
TEST(TKXExpiredSessionList, IsCappedByCountAndKeepsOnlyShortRunParameters) {
  gFakeNowMs = 0;
  gSessionClock = &FakeNow;
  TKXExpiredSessionList list;
  const std::string longest(TKXExpiredSessionList::MaxRunParams, 'p');
  const struct {
    const char* Id;
    std::string RunParams;
    std::string Kept;
  } cases[] = {
      {"empty", "", ""},
      {"short", "?a=1", "?a=1"},
      {"longest kept", longest, longest},
      {"one byte too long", longest + "p", ""},
      {"20 MB", std::string(20 << 20, 'x'), ""},
  };
  for (const auto& c : cases) list.Add(c.Id, c.RunParams);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Id);
    EXPECT_TRUE(list.Contains(c.Id));  // still told apart from an unknown id
    EXPECT_EQ(list.GetRunParams(c.Id), c.Kept);
  }
  // The oldest go first once the cap is reached; a removed id leaves room.
  list.RemoveSession("short");
  for (int i = 0; i < TKXExpiredSessionList::MaxCount; ++i) {
    ++gFakeNowMs;
    list.Add("flood" + std::to_string(i), "?f=" + std::to_string(i));
  }
  EXPECT_EQ(list.Count(), TKXExpiredSessionList::MaxCount);
  for (const auto& c : cases) EXPECT_FALSE(list.Contains(c.Id)) << c.Id;
  EXPECT_EQ(list.GetRunParams("flood0"), "?f=0");
  list.Add("one more", "?m=1");
  EXPECT_FALSE(list.Contains("flood0"));
  EXPECT_EQ(list.GetRunParams("one more"), "?m=1");
  EXPECT_EQ(list.Count(), TKXExpiredSessionList::MaxCount);
  // Pruning by age still goes from the oldest.
  gFakeNowMs += std::chrono::milliseconds(std::chrono::minutes(241)).count();
  list.Add("young", "?y=1");
  list.RemoveOldSessions();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.Contains("young"));
  gSessionClock = &std::chrono::steady_clock::now;
}

TEST(TKXSessionList, FindsByExactIdAndNewIdsAreNotLive) {
  TKXSessionList list;
  auto* marker = reinterpret_cast<TKXApplication*>(0x10);
  list.Add("Abc", marker, "192.0.2.10");
  EXPECT_EQ(list.Find("Abc"), marker);
  EXPECT_EQ(list.Find("abc"), nullptr);
  EXPECT_EQ(list.Find(""), nullptr);
  EXPECT_THROW(list.Add("Abc", marker), EStringListError);
  std::string id = list.NewSessionID();
  EXPECT_EQ(id.size(), 22u);
  EXPECT_NE(id, "Abc");
  EXPECT_EQ(list.Remove("Abc"), marker);
  EXPECT_EQ(list.Remove("Abc"), nullptr);
}

// The per-address count follows every way in and out, a refused duplicate included.
TEST(TKXSessionList, CountsTheSessionsOfEachAddress) {
  TKXSessionList list;
  auto* marker = reinterpret_cast<TKXApplication*>(0x10);
  list.Add("a", marker, "192.0.2.10");
  list.Add("b", marker, "192.0.2.10");
  list.Add("c", marker, "198.51.100.7");
  EXPECT_THROW(list.Add("a", marker, "192.0.2.10"), EStringListError);
  EXPECT_EQ(list.CountOf("192.0.2.10"), 2);
  list.Remove("a");
  list.Remove("a");
  EXPECT_EQ(list.CountOf("192.0.2.10"), 1);
  EXPECT_EQ(list.CountOf("198.51.100.7"), 1);
  list.Remove("b");
  EXPECT_EQ(list.CountOf("192.0.2.10"), 0);
}

}  // namespace
}  // namespace kx
