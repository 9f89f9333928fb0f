// The session store: the live sessions of the process by id, the ids of
// recently expired sessions with their run parameters, look-up with the
// session lock held for one request, and expiry for the session-timeout thread.
// Builds on appserver/Application.h and foundation/Locks.h.
//
// Locks: the store's reader/writer lock comes before a session's own lock, and
// no thread ever waits for a session lock while holding the store lock. A
// look-up finds the session under the shared lock and try-locks it there. When
// another request holds it, the look-up takes a share of the session's lock
// object (SharedLock), releases the store lock and waits on that lock alone,
// never touching the session, which may be freed meanwhile. Once it has the
// lock it finds the id again under the shared lock and keeps the session only
// when it is still listed with that same lock; otherwise it lets the lock go
// and starts over. A session leaves the store while its lock is held, and is
// freed only after that lock was released, outside the store lock.
//
// Expiry: each listed session has one entry in an index ordered by the time it
// may expire at the earliest, so a sweep looks only at the entries that are due.
// A session handed out locked (a new one, one a look-up gives a request) is due
// at once, as its request may change its timeout; a sweep moves each due session
// that has not expired to within a second before its deadline. Access marks only
// make a deadline later, so an entry is never later than the session's expiry.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <memory_resource>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "kx/appserver/Application.h"
#include "kx/appserver/PostLedger.h"
#include "kx/appserver/SessionStore.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/Locks.h"
#include "kx/platform/Classes.h"

namespace kx {

struct TKXSessionEntry;
// The store's expiry index: the time each listed session may expire at the earliest.
using TKXExpiryIndex = std::multimap<std::chrono::steady_clock::time_point, TKXSessionEntry*>;

// One listed session, with the store's bookkeeping of its expiry.
struct TKXSessionEntry {
  TKXSessionEntry(TKXApplication* session, std::string clientIP) : Session(session), ClientIP(std::move(clientIP)) {}

  TKXApplication* const Session;
  const std::string ClientIP;
  // Its place in the expiry index; changed under the index's own lock.
  TKXExpiryIndex::iterator Due;
  // Its place is "at once" already: readers of the store check this before they take the index's lock.
  std::atomic<bool> DueAtOnce{false};
  // A request after the one that created it found it (a start page's next step): it may no longer make room.
  std::atomic<bool> Used{false};
  // In its address's list of sessions that may make room (TKXSessionList::TakeUnused).
  bool MayMakeRoom = false;
  std::list<TKXSessionEntry*>::iterator RoomAt;
  // Its page's submits; shared with the requests that wait for the session, which may outlive the entry.
  const std::shared_ptr<TKXPostLedger> Posts = std::make_shared<TKXPostLedger>();
};

// The live sessions by id; ids compare case-sensitively. Counts the sessions of each client address.
class TKXSessionList {
 public:
  // Raises EStringListError "String list does not allow duplicates" for an id already listed.
  TKXSessionEntry& Add(const std::string& id, TKXApplication* session, const std::string& clientIP = std::string());
  // nullptr for an unknown or empty id.
  TKXApplication* Find(const std::string& id) const;
  TKXSessionEntry* Entry(const std::string& id);
  // The first entry, in id order, for which matches is true; nullptr when none.
  TKXSessionEntry* FindEntry(const std::function<bool(const TKXSessionEntry&)>& matches);
  void ForEach(const std::function<void(TKXSessionEntry&)>& visit);
  // Deletes the entry and returns its session (nullptr when unknown).
  TKXApplication* Remove(const std::string& id);
  bool Exists(const TKXApplication* session) const;
  // Appends every session, in id order.
  void GetObjectList(std::vector<TKXApplication*>& list) const;
  // A fresh NewGuidEncode64 id that is not listed.
  std::string NewSessionID() const;
  int Count() const { return int(mItems.size()); }
  // The listed sessions added with clientIP.
  int CountOf(const std::string& clientIP) const;
  // Whether clientIP may have a session that no request found since its first (it may be Used by now).
  bool MayMakeRoom(const std::string& clientIP) const;
  // The oldest session of clientIP that no request found since its first and that try-locks, out of the list and
  // locked; nullptr when none. The caller holds the store's write lock.
  TKXSessionEntry* TakeUnused(const std::string& clientIP);
  bool Empty() const { return mItems.empty(); }
  TKXApplication* First() const { return mItems.empty() ? nullptr : mItems.begin()->second.Session; }

 private:
  struct TAddress {
    int Count = 0;
    // Oldest first: the sessions that may make room. An entry found Used is dropped when TakeUnused meets it.
    std::list<TKXSessionEntry*> Unused;
  };
  std::map<std::string, TKXSessionEntry> mItems;
  // Only addresses with at least one session.
  std::map<std::string, TAddress> mPerAddress;
};

// A new session would pass the server controller's MaxSessions or MaxSessionsPerIP.
KX_DECLARE_KX_EXCEPTION(ESessionLimitReached, EKXException);
// A request's look-up did not wait for its busy session: too many requests wait for it already, or the host asked
// the wait to end (the client has gone, the server is stopping). Nothing ran in the session.
KX_DECLARE_KX_EXCEPTION(ESessionBusy, EKXException);

// The ids of expired sessions with their run parameters (raw text), so that a
// request for an expired session can restart it with them. Bounded: at most
// MaxCount entries (the oldest go first) and run parameters up to
// MaxRunParams bytes (longer ones are not kept). Its memory comes from a pool
// of its own: entries made while sessions are freed would otherwise sit
// scattered in the pages those sessions leave, and keep every one of them.
class TKXExpiredSessionList {
 public:
  // The list is pruned of old entries only once it holds this many.
  static constexpr std::int32_t InitialCapacity = 100;
  // Entries older than this many minutes are pruned.
  static constexpr std::int32_t CleanAfterMinutes = 240;
  static constexpr std::int32_t MaxCount = 1000;
  static constexpr std::size_t MaxRunParams = 1024;

  TKXExpiredSessionList() = default;
  TKXExpiredSessionList(const TKXExpiredSessionList&) = delete;
  TKXExpiredSessionList& operator=(const TKXExpiredSessionList&) = delete;

  // Only when the id is not listed yet; the oldest entry goes when MaxCount are listed.
  void Add(const std::string& id, const std::string& runParams);
  bool Contains(const std::string& id) const { return mItems.count(KeyOf(id)) != 0; }
  // Empty for an unknown id, and for one whose run parameters were too long to keep.
  std::string GetRunParams(const std::string& id) const;
  void RemoveSession(const std::string& id);
  // With InitialCapacity entries or more: deletes those made more than
  // CleanAfterMinutes before now.
  void RemoveOldSessions();
  int Count() const { return int(mItems.size()); }

 private:
  using TOrder = std::pmr::list<const std::pmr::string*>;  // the keys of mItems, oldest first
  struct TExpiredSession {
    std::pmr::string mRunParams;
    std::chrono::steady_clock::time_point mExpiredAt;
    TOrder::iterator mOrder;
  };
  using TItems = std::pmr::map<std::pmr::string, TExpiredSession, std::less<>>;
  static std::string_view KeyOf(const std::string& id) { return id; }
  void Erase(TItems::iterator item);

  std::pmr::unsynchronized_pool_resource mMemory;  // first made, last freed
  TItems mItems{&mMemory};
  TOrder mOrder{&mMemory};
};

using TKXSessionEvent = std::function<void(TKXApplication* session)>;
// Receives what freeing a session raised; the store carries on with the next one.
using TKXSessionErrorEvent = std::function<void(const std::string& sessionId, const std::exception& error)>;

// The process's store is gSessions (appserver/KXGlobal.h); SessionStore() gives it with this class's
// operations.
class TKXSessions : public TObject, public IKXSessionStore {
 public:
  // Requests that may wait for one busy session at once. Each waits on a request thread of the host, so without a
  // bound one session's pile of requests takes the threads every other visitor needs; a page sends one callback
  // at a time (a notification follows its job's), so a real visitor never has more than two waiting.
  static constexpr int MaxWaiters = 4;
  // How often a waiting look-up asks its thread's request watch whether to go on.
  static constexpr std::chrono::milliseconds WatchStep{50};

  TKXSessions() = default;
  // Ends every session (Clear).
  ~TKXSessions() override;
  TKXSessions(const TKXSessions&) = delete;
  TKXSessions& operator=(const TKXSessions&) = delete;

  void BeginRead() { FLock.BeginRead(); }
  void EndRead() { FLock.EndRead(); }
  void BeginWrite() { FLock.BeginWrite(); }
  void EndWrite() { FLock.EndWrite(); }

  // Fired after a new session was registered, and while a session is destroyed.
  // Set them at start-up only.
  TKXSessionEvent OnCreateSession;
  TKXSessionEvent OnDestroySession;
  // Set at start-up only; without it such errors go to stderr.
  TKXSessionErrorEvent OnSessionError;
  void DoOnCreateSession(TKXApplication* session);
  void DoOnDestroySession(TKXApplication* session);

  // A new id, unique among the live sessions. The caller holds the write lock.
  std::string GenerateSessionID() const { return FSessions.NewSessionID(); }
  // Locks session and registers it under its id; the caller holds the write
  // lock. A duplicate id raises Exception "Error while trying to add a new
  // session: " + the list's message, and leaves session unlocked. The lock is
  // only tried (a new session is free): a session held by another thread
  // raises ESessionAlreadyLocked. A session beyond the controller's limits
  // (SessionLimitReached for its IP) raises ESessionLimitReached. At its address's MaxSessionsPerIP, the oldest
  // session of the address that no request found since its first (a start page never followed, as a page of another
  // site showing the start address as images makes a thousand) makes room: it leaves the store, its id joins the
  // expired list, and RegisterSession frees it; a session that was used never makes room.
  void AddSessionAndLock(TKXApplication* session);
  // One more session from clientIP would pass gSC's MaxSessions, or MaxSessionsPerIP with no session of the address
  // that may make room; false without a controller.
  bool SessionLimitReached(const std::string& clientIP) const;

  // Read lock. The session returned by LookUp is not locked: use it only for
  // identity, never after the store lock could have let it go.
  TKXApplication* LookUp(const std::string& id);
  bool IsValidSession(const TKXApplication* session);
  // Whether id names a session of the store that has neither been told to end (TKXApplication::Terminate) nor
  // expired (it may wait in the store for the timeout thread).
  bool IsLive(const std::string& id);
  int GetCount() const override;
  // The session's status, after which its access is marked; -1 for an unknown id.
  std::int32_t QueryStatus(const std::string& id);
  // Marks the session's access when it exists.
  void MarkAccess(const std::string& id);
  // What the session of id knows of its page's submits; nullptr for an id that names no session of the store.
  std::shared_ptr<TKXPostLedger> PostLedger(const std::string& id);

  // The session of id, locked for the caller; nullptr when the id is unknown, when the session has expired
  // (expired is then true, as it is for an id in the expired list), or when timeoutMs (> 0) passed while another
  // request held the session. 0 waits without limit. A busy session is waited for, not polled; one that ends
  // meanwhile gives nullptr. An expired session stays in the store for the timeout thread; its run parameters go to
  // the expired list. A look-up that would be the session's MaxWaiters + 1st waiter raises ESessionBusy at once, as
  // does one whose thread's request watch (appserver/RequestWatch.h) stops wanting to wait; the watch is asked every
  // WatchStep.
  TKXApplication* LookupAndLock(const std::string& id, bool& expired, std::int32_t timeoutMs);
  TKXApplication* LookupAndLock(const std::string& id, std::int32_t timeoutMs);
  // The first session whose tagged name equals name ignoring case, locked
  // (waiting while it is busy), or nullptr.
  TKXApplication* LookupByTaggedNameAndLock(const std::string& name);

  // Takes the session out of the store (the object is not freed); nullptr is ignored.
  void Remove(TKXApplication* session);
  // The caller holds session's lock once: the session leaves the store, its lock
  // is released and it is freed (as the thread's current application).
  void RemoveAndFree(TKXApplication* session);
  // Ends the session of id: waits until no request holds it, takes it out of
  // the store and frees it. True when it existed. The calling thread may hold
  // the session's lock itself (once).
  bool Terminate(const std::string& id);
  // Ends every session, one at a time, as Terminate does.
  void Clear();

  // Takes the write lock and returns every session; UnLockList releases it.
  std::vector<TKXApplication*> LockList();
  // Releases the lock of LockList; every session is due for the next sweep, as its holder may have changed them.
  void UnLockList();
  // Moves every expired session that no request holds into target, recording
  // its run parameters in the expired list. The caller frees them
  // (FreeSession), outside every lock. Looks only at the sessions that the
  // expiry index gives as due.
  void RemoveExpiredSessions(std::vector<TKXApplication*>& target) override;
  // How many sessions the sweeps have looked at since the store was made.
  std::int64_t ExpiryChecks() const;
  // The saved run parameters of an expired id (empty when none); remove deletes the entry.
  std::string GetExpiredParams(const std::string& id, bool remove);
  // Prunes the expired list (RemoveOldSessions).
  void ClearExpiredSessionsList() override;
  int ExpiredCount();

  // Frees a session that is out of the store and unlocked, as the thread's
  // current application; what it raises goes to OnSessionError.
  void FreeSession(TKXApplication* session) override;
  // Under the write lock: GenerateSessionID when id is empty, then AddSessionAndLock.
  void RegisterSession(TKXApplication* session, std::string& id) override;
  void UnregisterSession(TKXApplication* session) override { Remove(session); }
  void SessionCreated(TKXApplication* session) override { DoOnCreateSession(session); }
  // A session freed by other code than the store leaves it too: the store never lists a freed session.
  void SessionDestroyed(TKXApplication* session) override {
    Remove(session);
    DoOnDestroySession(session);
  }

 private:
  using TClock = std::chrono::steady_clock;

  // The session of the entry find() gives (find runs under the shared lock),
  // locked for the caller and still listed, waiting while another thread holds
  // it; it is due for the next sweep. nullptr when find gives none, and when
  // the deadline (by gSessionClock) passed first. A request's look-up (forRequest) waits as one of at most
  // MaxWaiters and as long as its request watch wants, else raises ESessionBusy.
  template <class TFind>
  TKXApplication* FindAndLock(const TFind& find, const std::optional<TClock::time_point>& deadline,
                              bool forRequest = false);
  // Locks the session of id (or the first session, for first set), waiting
  // while it is busy, and takes it out of the store; nullptr when there is none.
  TKXApplication* TakeLocked(const std::string& id, bool first);
  // Takes the entry out of the list and the index; the caller holds the write lock.
  void Unlist(TKXSessionEntry& entry);
  // Makes the entry due at the next sweep; the caller holds the store lock, shared at least.
  void MakeDue(TKXSessionEntry& entry);
  // Unlocks and frees sessions that made room; the caller holds no store lock.
  void FreeMadeRoom(std::vector<TKXApplication*>& sessions);
  // Whether the controller's MaxSessions, or its MaxSessionsPerIP for clientIP, is reached; the store lock is held.
  bool AtLimit(const std::string& clientIP, bool& perAddress) const;

  // Writers first: look-ups from every request thread must not keep out a new session or a sweep.
  mutable TKXSlimReaderWriter FLock{TKXSlimReaderWriter::WritersFirst};
  TKXExpiredSessionList FExpiredSessions;
  TKXSessionList FSessions;
  // The expiry index; changed under FDueLock, taken after the store lock and held briefly.
  mutable std::mutex FDueLock;
  TKXExpiryIndex FDue;
  std::int64_t FExpiryChecks = 0;
  // Sessions that made room for a new one (AddSessionAndLock), out of the store and locked; RegisterSession frees
  // them once the write lock is released. Changed under the write lock.
  std::vector<TKXApplication*> FMadeRoom;
};

// gSessions as this class, or nullptr when no store (or another kind) is installed.
TKXSessions* SessionStore();

}  // namespace kx
