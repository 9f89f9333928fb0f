#include "kx/appserver/Sessions.h"

#include <algorithm>
#include <cstdio>

#include "kx/appserver/RequestWatch.h"
#include "kx/appserver/ServerController.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/TextUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

TKXSessions* SessionStore() { return dynamic_cast<TKXSessions*>(gSessions.Get()); }

namespace {

using TClock = std::chrono::steady_clock;

// The longest single wait on a session's lock when the look-up has a deadline: the wait runs on the wall clock,
// the deadline on gSessionClock, which is judged again after each step.
constexpr std::chrono::seconds kLongestWaitStep{1};

enum class TAwait { Locked, TimedOut, GaveUp };

// Takes lock, waiting until deadline by gSessionClock (none: without limit) and, with a watch, while the watch
// wants to wait (asked every WatchStep).
TAwait AwaitLock(TKXTimedCriticalSection& lock, const std::optional<TClock::time_point>& deadline,
                 IKXRequestWatch* watch) {
  if (!deadline && watch == nullptr) {
    lock.Enter();
    return TAwait::Locked;
  }
  const TClock::duration longest =
      watch != nullptr ? TClock::duration(TKXSessions::WatchStep) : TClock::duration(kLongestWaitStep);
  for (;;) {
    if (watch != nullptr && !watch->KeepWaiting()) return TAwait::GaveUp;
    TClock::duration wait = longest;
    if (deadline) {
      const TClock::duration left = *deadline - gSessionClock();
      if (left <= TClock::duration::zero()) return TAwait::TimedOut;
      wait = std::min(left, wait);
    }
    if (lock.TryEnterFor(wait)) return TAwait::Locked;
  }
}

// Counts a waiter of a session's lock for its scope.
class TWaiter {
 public:
  explicit TWaiter(TKXTimedCriticalSection& lock) : mLock(lock) {
    if (!mLock.JoinWaiters(TKXSessions::MaxWaiters)) throw ESessionBusy("Too many requests wait for the session.");
  }
  ~TWaiter() { mLock.LeaveWaiters(); }
  TWaiter(const TWaiter&) = delete;
  TWaiter& operator=(const TWaiter&) = delete;

 private:
  TKXTimedCriticalSection& mLock;
};

// An instant at most a second before the session expires; it is not expired at now. A session tells whether an
// instant lies past its deadline (IsExpired), not the deadline itself, so it is found by halving; sweeps a minute
// apart need no finer one. Timeouts beyond a year are indexed as a year (the clock's range ends in centuries).
TClock::time_point ExpiryLowerBound(const TKXApplication& session, TClock::time_point now) {
  constexpr std::chrono::seconds kStep{1};
  constexpr std::int32_t kLongestTimeout = 366 * 24 * 60;
  TClock::time_point live = now;
  TClock::time_point dead = now + std::chrono::minutes(std::min(session.SessionTimeOut(), kLongestTimeout)) + kStep;
  if (!session.IsExpired(dead)) return dead;  // accessed after now: it expires later still
  // Most sessions a sweep looks at had a request since the last one: their deadline lies in the last second.
  live = std::max(live, dead - 2 * kStep);
  if (session.IsExpired(live)) live = now;
  while (dead - live > kStep) {
    const TClock::time_point middle = live + (dead - live) / 2;
    (session.IsExpired(middle) ? dead : live) = middle;
  }
  return live;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXSessionList

TKXSessionEntry& TKXSessionList::Add(const std::string& id, TKXApplication* session, const std::string& clientIP) {
  auto [item, added] = mItems.try_emplace(id, session, clientIP);
  if (!added) throw EStringListError("String list does not allow duplicates");
  TAddress& address = mPerAddress[clientIP];
  ++address.Count;
  TKXSessionEntry& entry = item->second;
  entry.RoomAt = address.Unused.insert(address.Unused.end(), &entry);
  entry.MayMakeRoom = true;
  return entry;
}

TKXApplication* TKXSessionList::Find(const std::string& id) const {
  if (id.empty()) return nullptr;
  auto found = mItems.find(id);
  return found == mItems.end() ? nullptr : found->second.Session;
}

TKXSessionEntry* TKXSessionList::Entry(const std::string& id) {
  if (id.empty()) return nullptr;
  auto found = mItems.find(id);
  return found == mItems.end() ? nullptr : &found->second;
}

void TKXSessionList::ForEach(const std::function<void(TKXSessionEntry&)>& visit) {
  for (auto& item : mItems) visit(item.second);
}

TKXSessionEntry* TKXSessionList::FindEntry(const std::function<bool(const TKXSessionEntry&)>& matches) {
  for (auto& item : mItems)
    if (matches(item.second)) return &item.second;
  return nullptr;
}

TKXApplication* TKXSessionList::Remove(const std::string& id) {
  auto found = mItems.find(id);
  if (found == mItems.end()) return nullptr;
  TKXSessionEntry& entry = found->second;
  TKXApplication* session = entry.Session;
  auto address = mPerAddress.find(entry.ClientIP);
  if (address != mPerAddress.end()) {
    if (entry.MayMakeRoom) address->second.Unused.erase(entry.RoomAt);
    if (--address->second.Count <= 0) mPerAddress.erase(address);
  }
  mItems.erase(found);
  return session;
}

int TKXSessionList::CountOf(const std::string& clientIP) const {
  auto found = mPerAddress.find(clientIP);
  return found == mPerAddress.end() ? 0 : found->second.Count;
}

bool TKXSessionList::MayMakeRoom(const std::string& clientIP) const {
  auto found = mPerAddress.find(clientIP);
  return found != mPerAddress.end() && !found->second.Unused.empty();
}

TKXSessionEntry* TKXSessionList::TakeUnused(const std::string& clientIP) {
  auto address = mPerAddress.find(clientIP);
  if (address == mPerAddress.end()) return nullptr;
  std::list<TKXSessionEntry*>& unused = address->second.Unused;
  for (auto at = unused.begin(); at != unused.end();) {
    TKXSessionEntry* entry = *at;
    // Used: never again a candidate. Busy: its first request is still running; it stays a candidate.
    const bool used = entry->Used.load(std::memory_order_relaxed);
    if (!used && !entry->Session->TryLock()) {
      ++at;
      continue;
    }
    at = unused.erase(at);
    entry->MayMakeRoom = false;
    if (!used) return entry;
  }
  return nullptr;
}

bool TKXSessionList::Exists(const TKXApplication* session) const {
  for (const auto& item : mItems)
    if (item.second.Session == session) return true;
  return false;
}

void TKXSessionList::GetObjectList(std::vector<TKXApplication*>& list) const {
  list.reserve(list.size() + mItems.size());
  for (const auto& item : mItems) list.push_back(item.second.Session);
}

std::string TKXSessionList::NewSessionID() const {
  std::string id;
  do {
    id = NewGuidEncode64();
  } while (mItems.count(id) != 0);
  return id;
}

// ---------------------------------------------------------------------------
// TKXExpiredSessionList

void TKXExpiredSessionList::Add(const std::string& id, const std::string& runParams) {
  if (mItems.count(KeyOf(id)) != 0) return;
  if (Count() >= MaxCount) Erase(mItems.find(*mOrder.front()));
  // Longer run parameters are not worth their memory: the session restarts without them.
  const std::string_view kept = runParams.size() <= MaxRunParams ? std::string_view(runParams) : std::string_view();
  auto item = mItems.emplace(id, TExpiredSession{std::pmr::string(kept, &mMemory), gSessionClock(), {}}).first;
  item->second.mOrder = mOrder.insert(mOrder.end(), &item->first);
}

std::string TKXExpiredSessionList::GetRunParams(const std::string& id) const {
  auto found = mItems.find(KeyOf(id));
  return found == mItems.end() ? std::string() : std::string(found->second.mRunParams);
}

void TKXExpiredSessionList::RemoveSession(const std::string& id) {
  auto found = mItems.find(KeyOf(id));
  if (found != mItems.end()) Erase(found);
}

void TKXExpiredSessionList::RemoveOldSessions() {
  if (Count() < InitialCapacity) return;
  const auto limit = gSessionClock() - std::chrono::minutes(CleanAfterMinutes);
  // Oldest first: the first entry young enough ends the pruning.
  while (!mOrder.empty()) {
    auto oldest = mItems.find(*mOrder.front());
    if (oldest->second.mExpiredAt >= limit) break;
    Erase(oldest);
  }
}

void TKXExpiredSessionList::Erase(TItems::iterator item) {
  mOrder.erase(item->second.mOrder);
  mItems.erase(item);
  // An empty list gives its pool back.
  if (mItems.empty()) mMemory.release();
}

// ---------------------------------------------------------------------------
// TKXSessions

TKXSessions::~TKXSessions() { Clear(); }

void TKXSessions::DoOnCreateSession(TKXApplication* session) {
  if (OnCreateSession) OnCreateSession(session);
}

void TKXSessions::RegisterSession(TKXApplication* session, std::string& id) {
  BeginWrite();
  std::vector<TKXApplication*> madeRoom;
  try {
    if (id.empty()) id = GenerateSessionID();
    AddSessionAndLock(session);
  } catch (...) {
    madeRoom.swap(FMadeRoom);
    EndWrite();
    FreeMadeRoom(madeRoom);
    throw;
  }
  madeRoom.swap(FMadeRoom);
  EndWrite();
  FreeMadeRoom(madeRoom);
}

void TKXSessions::FreeMadeRoom(std::vector<TKXApplication*>& sessions) {
  for (TKXApplication* session : sessions) {
    session->Unlock();
    FreeSession(session);
  }
  sessions.clear();
}

void TKXSessions::DoOnDestroySession(TKXApplication* session) {
  if (OnDestroySession) OnDestroySession(session);
}

bool TKXSessions::AtLimit(const std::string& clientIP, bool& perAddress) const {
  perAddress = false;
  if (!gSC) return false;
  const std::int32_t all = gSC->MaxSessions();
  const std::int32_t ofAddress = gSC->MaxSessionsPerIP();
  if (all > 0 && FSessions.Count() >= all) return true;
  perAddress = ofAddress > 0 && FSessions.CountOf(clientIP) >= ofAddress;
  return perAddress;
}

bool TKXSessions::SessionLimitReached(const std::string& clientIP) const {
  TKXReadGuard guard(FLock);
  bool perAddress;
  return AtLimit(clientIP, perAddress) && !(perAddress && FSessions.MayMakeRoom(clientIP));
}

void TKXSessions::AddSessionAndLock(TKXApplication* session) {
  // Judged here, under the write lock, so that requests racing for the last place cannot both take it.
  bool perAddress;
  if (AtLimit(session->IP(), perAddress)) {
    TKXSessionEntry* room = perAddress ? FSessions.TakeUnused(session->IP()) : nullptr;
    if (room == nullptr) throw ESessionLimitReached("Too many sessions.");
    TKXApplication* old = room->Session;
    // A visitor whose start page it was comes back to a restart, as after expiry.
    FExpiredSessions.Add(old->AppID(), old->RunParams().GetRawString());
    Unlist(*room);
    FMadeRoom.push_back(old);
  }
  // Only tried under the store lock, as everywhere: a session nobody else knows yet is always free.
  ESessionAlreadyLocked::IfFalse(session->TryLock(), "Error while trying to add a new session: it is locked.");
  TKXSessionEntry* entry;
  try {
    entry = &FSessions.Add(session->AppID(), session, session->IP());
  } catch (const std::exception& e) {
    session->Unlock();
    throw Exception("Error while trying to add a new session: " + std::string(e.what()));
  }
  // Due at once: its request sets the timeout it runs on.
  std::lock_guard<std::mutex> guard(FDueLock);
  entry->Due = FDue.emplace(TClock::time_point::min(), entry);
  entry->DueAtOnce.store(true, std::memory_order_relaxed);
}

TKXApplication* TKXSessions::LookUp(const std::string& id) {
  TKXReadGuard guard(FLock);
  return FSessions.Find(id);
}

bool TKXSessions::IsLive(const std::string& id) {
  TKXReadGuard guard(FLock);  // a session leaves the store before it is freed
  const TKXApplication* session = FSessions.Find(id);
  return session != nullptr && !session->Terminated() && !session->IsExpired(gSessionClock());
}

bool TKXSessions::IsValidSession(const TKXApplication* session) {
  TKXReadGuard guard(FLock);
  return session != nullptr && FSessions.Exists(session);
}

int TKXSessions::GetCount() const {
  TKXReadGuard guard(FLock);
  return FSessions.Count();
}

std::int32_t TKXSessions::QueryStatus(const std::string& id) {
  TKXReadGuard guard(FLock);
  TKXApplication* session = FSessions.Find(id);
  if (session == nullptr) return -1;
  std::int32_t status = session->Status();
  session->MarkAccess();
  return status;
}

std::shared_ptr<TKXPostLedger> TKXSessions::PostLedger(const std::string& id) {
  TKXReadGuard guard(FLock);
  const TKXSessionEntry* entry = FSessions.Entry(id);
  return entry != nullptr ? entry->Posts : nullptr;
}

void TKXSessions::MarkAccess(const std::string& id) {
  TKXReadGuard guard(FLock);
  if (TKXApplication* session = FSessions.Find(id)) session->MarkAccess();
}

template <class TFind>
TKXApplication* TKXSessions::FindAndLock(const TFind& find, const std::optional<TClock::time_point>& deadline,
                                         bool forRequest) {
  for (;;) {
    std::shared_ptr<TKXTimedCriticalSection> lock;
    {
      TKXReadGuard guard(FLock);
      TKXSessionEntry* entry = find();
      if (entry == nullptr) return nullptr;
      if (entry->Session->TryLock()) {
        MakeDue(*entry);
        if (forRequest) entry->Used.store(true, std::memory_order_relaxed);
        return entry->Session;
      }
      lock = entry->Session->SharedLock();
    }
    // From here until the id is found again the session may be freed: only its lock, shared, is touched.
    TAwait waited;
    if (forRequest) {
      TWaiter waiter(*lock);
      waited = AwaitLock(*lock, deadline, gRequestWatch);
    } else {
      waited = AwaitLock(*lock, deadline, nullptr);
    }
    if (waited == TAwait::GaveUp) throw ESessionBusy("The request stopped waiting for its session.");
    if (waited == TAwait::TimedOut) return nullptr;
    {
      TKXReadGuard guard(FLock);
      TKXSessionEntry* entry = find();
      if (entry != nullptr && entry->Session->SharedLock() == lock) {
        MakeDue(*entry);
        if (forRequest) entry->Used.store(true, std::memory_order_relaxed);
        return entry->Session;
      }
    }
    // It left the store while this thread waited (or another session matches now): look again.
    lock->Leave();
  }
}

TKXApplication* TKXSessions::LookupAndLock(const std::string& id, bool& expired, std::int32_t timeoutMs) {
  expired = false;
  std::optional<TClock::time_point> deadline;
  if (timeoutMs > 0) deadline = gSessionClock() + std::chrono::milliseconds(timeoutMs);
  TKXApplication* session = FindAndLock(
      [&]() -> TKXSessionEntry* {
        TKXSessionEntry* entry = FSessions.Entry(id);
        if (entry == nullptr) expired = FExpiredSessions.Contains(id);
        return entry;
      },
      deadline, true);
  // The session is locked before its expiry is judged, so a request that is
  // still running in it is waited for (it marks the access when it ends), and
  // its run parameters are read while nobody else uses it.
  if (session == nullptr || !session->IsExpired(gSessionClock())) return session;
  {
    TKXWriteGuard guard(FLock);
    FExpiredSessions.Add(id, session->RunParams().GetRawString());
  }
  session->Unlock();
  expired = true;
  return nullptr;
}

TKXApplication* TKXSessions::LookupAndLock(const std::string& id, std::int32_t timeoutMs) {
  bool expired;
  return LookupAndLock(id, expired, timeoutMs);
}

TKXApplication* TKXSessions::LookupByTaggedNameAndLock(const std::string& name) {
  return FindAndLock(
      [&] {
        return FSessions.FindEntry(
            [&](const TKXSessionEntry& entry) { return SameText(entry.Session->TaggedSessionName(), name); });
      },
      std::nullopt);
}

void TKXSessions::MakeDue(TKXSessionEntry& entry) {
  if (entry.DueAtOnce.load(std::memory_order_relaxed)) return;
  std::lock_guard<std::mutex> guard(FDueLock);
  if (entry.DueAtOnce.load(std::memory_order_relaxed)) return;
  auto node = FDue.extract(entry.Due);
  node.key() = TClock::time_point::min();
  entry.Due = FDue.insert(std::move(node));
  entry.DueAtOnce.store(true, std::memory_order_relaxed);
}

void TKXSessions::Unlist(TKXSessionEntry& entry) {
  {
    std::lock_guard<std::mutex> guard(FDueLock);
    FDue.erase(entry.Due);
  }
  FSessions.Remove(entry.Session->AppID());
}

void TKXSessions::Remove(TKXApplication* session) {
  if (session == nullptr) return;
  TKXWriteGuard guard(FLock);
  TKXSessionEntry* entry = FSessions.Entry(session->AppID());
  if (entry != nullptr && entry->Session == session) Unlist(*entry);
}

void TKXSessions::RemoveAndFree(TKXApplication* session) {
  if (session == nullptr) return;
  Remove(session);
  session->Unlock();
  FreeSession(session);
}

TKXApplication* TKXSessions::TakeLocked(const std::string& id, bool first) {
  const auto find = [&]() -> TKXSessionEntry* {
    if (!first) return FSessions.Entry(id);
    TKXApplication* session = FSessions.First();
    return session == nullptr ? nullptr : FSessions.Entry(session->AppID());
  };
  for (;;) {
    TKXApplication* session = FindAndLock(find, std::nullopt);
    if (session == nullptr) return nullptr;
    {
      TKXWriteGuard guard(FLock);
      TKXSessionEntry* entry = FSessions.Entry(session->AppID());
      if (entry != nullptr && entry->Session == session) {
        Unlist(*entry);
        return session;
      }
    }
    // Taken out by the thread that holds it too (its own request) between the look-up and the write lock.
    session->Unlock();
  }
}

bool TKXSessions::Terminate(const std::string& id) {
  TKXApplication* session = TakeLocked(id, false);
  if (session == nullptr) return false;
  session->Unlock();
  FreeSession(session);
  return true;
}

void TKXSessions::Clear() {
  std::vector<TKXApplication*> madeRoom;
  {
    TKXWriteGuard guard(FLock);
    madeRoom.swap(FMadeRoom);
  }
  FreeMadeRoom(madeRoom);
  while (TKXApplication* session = TakeLocked(std::string(), true)) {
    session->Unlock();
    FreeSession(session);
  }
}

std::vector<TKXApplication*> TKXSessions::LockList() {
  FLock.BeginWrite();
  std::vector<TKXApplication*> list;
  FSessions.GetObjectList(list);
  return list;
}

void TKXSessions::UnLockList() {
  FSessions.ForEach([this](TKXSessionEntry& entry) { MakeDue(entry); });
  FLock.EndWrite();
}

void TKXSessions::RemoveExpiredSessions(std::vector<TKXApplication*>& target) {
  TKXWriteGuard guard(FLock);
  std::lock_guard<std::mutex> due(FDueLock);
  const auto now = gSessionClock();
  // Looked at in this sweep and due again after it: put back once the due ones are done.
  std::vector<TKXExpiryIndex::node_type> later;
  later.reserve(std::min<std::size_t>(FDue.size(), 1024));
  while (!FDue.empty() && FDue.begin()->first <= now) {
    auto node = FDue.extract(FDue.begin());
    TKXSessionEntry* entry = node.mapped();
    TKXApplication* session = entry->Session;
    ++FExpiryChecks;
    if (!session->TryLock()) {  // busy with a request, which may change its timeout: due again at the next sweep
      entry->DueAtOnce.store(true, std::memory_order_relaxed);
      node.key() = TClock::time_point::min();
      later.push_back(std::move(node));
      continue;
    }
    if (session->IsExpired(now)) {
      FExpiredSessions.Add(session->AppID(), session->RunParams().GetRawString());
      FSessions.Remove(session->AppID());
      target.push_back(session);
    } else {
      entry->DueAtOnce.store(false, std::memory_order_relaxed);
      node.key() = ExpiryLowerBound(*session, now);
      later.push_back(std::move(node));
    }
    session->Unlock();
  }
  // Mostly in the order of their requests, so mostly later than every entry left: the end is the hint.
  for (auto& node : later) {
    TKXSessionEntry* entry = node.mapped();
    entry->Due = FDue.insert(FDue.end(), std::move(node));
  }
}

std::int64_t TKXSessions::ExpiryChecks() const {
  std::lock_guard<std::mutex> guard(FDueLock);
  return FExpiryChecks;
}

std::string TKXSessions::GetExpiredParams(const std::string& id, bool remove) {
  if (!remove) {
    TKXReadGuard guard(FLock);
    return FExpiredSessions.GetRunParams(id);
  }
  TKXWriteGuard guard(FLock);
  std::string params = FExpiredSessions.GetRunParams(id);
  FExpiredSessions.RemoveSession(id);
  return params;
}

void TKXSessions::ClearExpiredSessionsList() {
  TKXWriteGuard guard(FLock);
  FExpiredSessions.RemoveOldSessions();
}

int TKXSessions::ExpiredCount() {
  TKXReadGuard guard(FLock);
  return FExpiredSessions.Count();
}

void TKXSessions::FreeSession(TKXApplication* session) {
  if (session == nullptr) return;
  TKXApplication* previous = GetWebApplication();
  const std::string id = session->AppID();
  SetWebApplication(session);
  try {
    session->Free();
  } catch (const std::exception& e) {
    // Free completed all the same; only the report remains.
    if (OnSessionError) {
      try {
        OnSessionError(id, e);
      } catch (...) {
      }
    } else {
      std::fprintf(stderr, "Error while freeing session %s: %s\n", id.c_str(), LogLineText(e.what()).c_str());
    }
  } catch (...) {
  }
  SetWebApplication(previous == session ? nullptr : previous);
}

}  // namespace kx
