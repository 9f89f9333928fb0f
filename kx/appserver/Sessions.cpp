#include "kx/appserver/Sessions.h"

#include <cstdio>
#include <thread>

#include "kx/foundation/Identifiers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/SysUtils.h"

namespace kx {

TKXSessions* SessionStore() { return dynamic_cast<TKXSessions*>(gSessions.Get()); }

// ---------------------------------------------------------------------------
// TKXSessionList

void TKXSessionList::Add(const std::string& id, TKXApplication* session, const std::string& clientIP) {
  if (!mItems.emplace(id, TEntry{session, clientIP}).second)
    throw EStringListError("String list does not allow duplicates");
  ++mPerAddress[clientIP];
}

TKXApplication* TKXSessionList::Find(const std::string& id) const {
  if (id.empty()) return nullptr;
  auto found = mItems.find(id);
  return found == mItems.end() ? nullptr : found->second.Session;
}

TKXApplication* TKXSessionList::Remove(const std::string& id) {
  auto found = mItems.find(id);
  if (found == mItems.end()) return nullptr;
  TKXApplication* session = found->second.Session;
  auto address = mPerAddress.find(found->second.ClientIP);
  if (address != mPerAddress.end() && --address->second <= 0) mPerAddress.erase(address);
  mItems.erase(found);
  return session;
}

int TKXSessionList::CountOf(const std::string& clientIP) const {
  auto found = mPerAddress.find(clientIP);
  return found == mPerAddress.end() ? 0 : found->second;
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

void TKXSessions::DoOnDestroySession(TKXApplication* session) {
  if (OnDestroySession) OnDestroySession(session);
}

bool TKXSessions::LimitReached(const std::string& clientIP) const {
  if (!gSC) return false;
  const std::int32_t all = gSC->MaxSessions();
  const std::int32_t perAddress = gSC->MaxSessionsPerIP();
  return (all > 0 && FSessions.Count() >= all) || (perAddress > 0 && FSessions.CountOf(clientIP) >= perAddress);
}

bool TKXSessions::SessionLimitReached(const std::string& clientIP) const {
  TKXReadGuard guard(FLock);
  return LimitReached(clientIP);
}

void TKXSessions::AddSessionAndLock(TKXApplication* session) {
  // Judged here, under the write lock, so that requests racing for the last place cannot both take it.
  if (LimitReached(session->IP())) throw ESessionLimitReached("Too many sessions.");
  // Only tried under the store lock, as everywhere: a session nobody else knows yet is always free.
  ESessionAlreadyLocked::IfFalse(session->TryLock(), "Error while trying to add a new session: it is locked.");
  try {
    FSessions.Add(session->AppID(), session, session->IP());
  } catch (const std::exception& e) {
    session->Unlock();
    throw Exception("Error while trying to add a new session: " + std::string(e.what()));
  }
}

TKXApplication* TKXSessions::LookUp(const std::string& id) {
  TKXReadGuard guard(FLock);
  return FSessions.Find(id);
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

void TKXSessions::MarkAccess(const std::string& id) {
  TKXReadGuard guard(FLock);
  if (TKXApplication* session = FSessions.Find(id)) session->MarkAccess();
}

TKXApplication* TKXSessions::LookupAndLock(const std::string& id, bool& expired, std::int32_t timeoutMs) {
  expired = false;
  const bool limited = timeoutMs > 0;
  const auto deadline = gSessionClock() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    {
      TKXWriteGuard guard(FLock);
      TKXApplication* session = FSessions.Find(id);
      if (session == nullptr) {
        expired = FExpiredSessions.Contains(id);
        return nullptr;
      }
      // The session is locked before its expiry is judged, so a request that
      // is still running in it is waited for (it marks the access when it
      // ends), and its run parameters are read while nobody else uses it.
      if (session->TryLock()) {
        if (!session->IsExpired(gSessionClock())) return session;
        FExpiredSessions.Add(id, session->RunParams().GetRawString());
        session->Unlock();
        expired = true;
        return nullptr;
      }
    }
    if (limited && gSessionClock() >= deadline) return nullptr;
    std::this_thread::sleep_for(RetryInterval);
    if (limited && gSessionClock() >= deadline) return nullptr;
  }
}

TKXApplication* TKXSessions::LookupAndLock(const std::string& id, std::int32_t timeoutMs) {
  bool expired;
  return LookupAndLock(id, expired, timeoutMs);
}

TKXApplication* TKXSessions::LookupByTaggedNameAndLock(const std::string& name) {
  for (;;) {
    bool busy = false;
    {
      TKXWriteGuard guard(FLock);
      std::vector<TKXApplication*> sessions;
      FSessions.GetObjectList(sessions);
      for (TKXApplication* session : sessions) {
        if (!SameText(session->TaggedSessionName(), name)) continue;
        if (session->TryLock()) return session;
        busy = true;
        break;
      }
    }
    if (!busy) return nullptr;
    std::this_thread::sleep_for(RetryInterval);
  }
}

void TKXSessions::Remove(TKXApplication* session) {
  if (session == nullptr) return;
  TKXWriteGuard guard(FLock);
  if (FSessions.Find(session->AppID()) == session) FSessions.Remove(session->AppID());
}

void TKXSessions::RemoveAndFree(TKXApplication* session) {
  if (session == nullptr) return;
  Remove(session);
  session->Unlock();
  FreeSession(session);
}

TKXApplication* TKXSessions::TakeLocked(const std::string& id, bool first) {
  for (;;) {
    {
      TKXWriteGuard guard(FLock);
      TKXApplication* session = first ? FSessions.First() : FSessions.Find(id);
      if (session == nullptr) return nullptr;
      if (session->TryLock()) {
        FSessions.Remove(session->AppID());
        return session;
      }
    }
    std::this_thread::sleep_for(RetryInterval);
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

void TKXSessions::UnLockList() { FLock.EndWrite(); }

void TKXSessions::RemoveExpiredSessions(std::vector<TKXApplication*>& target) {
  TKXWriteGuard guard(FLock);
  std::vector<TKXApplication*> sessions;
  FSessions.GetObjectList(sessions);
  const auto now = gSessionClock();
  for (TKXApplication* session : sessions) {
    if (!session->TryLock()) continue;  // busy with a request
    if (session->IsExpired(now)) {
      FExpiredSessions.Add(session->AppID(), session->RunParams().GetRawString());
      FSessions.Remove(session->AppID());
      target.push_back(session);
    }
    session->Unlock();
  }
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
      std::fprintf(stderr, "Error while freeing session %s: %s\n", id.c_str(), e.what());
    }
  } catch (...) {
  }
  SetWebApplication(previous == session ? nullptr : previous);
}

}  // namespace kx
