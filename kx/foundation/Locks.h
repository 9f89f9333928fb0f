// The framework's locks: re-entrant critical sections (one of them timed), a reader/writer lock
// with scope guards, and an atomic 32-bit value. Each lock fills a cache line
// of its own, so two hot locks never share one.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include <pthread.h>

namespace kx {

// Alignment of every lock; at least one cache line.
inline constexpr std::size_t kKXCacheLineSize = 64;

// Re-entrant: the thread holding it may enter again and leaves as often as it entered.
// Also meets BasicLockable/Lockable, so std::lock_guard and std::scoped_lock work.
class alignas(kKXCacheLineSize) TKXCriticalSection {
 public:
  TKXCriticalSection() = default;
  TKXCriticalSection(const TKXCriticalSection&) = delete;
  TKXCriticalSection& operator=(const TKXCriticalSection&) = delete;

  void Acquire() { mLock.lock(); }
  void Release() { mLock.unlock(); }
  void Enter() { mLock.lock(); }
  void Leave() { mLock.unlock(); }
  bool TryEnter() { return mLock.try_lock(); }

  void lock() { mLock.lock(); }
  void unlock() { mLock.unlock(); }
  bool try_lock() { return mLock.try_lock(); }

 private:
  std::recursive_mutex mLock;
};

// A re-entrant critical section that can also be waited for with a limit.
class alignas(kKXCacheLineSize) TKXTimedCriticalSection {
 public:
  TKXTimedCriticalSection() = default;
  TKXTimedCriticalSection(const TKXTimedCriticalSection&) = delete;
  TKXTimedCriticalSection& operator=(const TKXTimedCriticalSection&) = delete;

  void Enter() { mLock.lock(); }
  void Leave() { mLock.unlock(); }
  bool TryEnter() { return mLock.try_lock(); }
  // Waits at most about wait. The wait runs on the wall clock: the monotonic timed lock is a call the thread
  // checkers do not follow. A caller keeping a deadline of its own checks it again, and waits in short steps.
  bool TryEnterFor(std::chrono::nanoseconds wait) {
    return mLock.try_lock_until(std::chrono::system_clock::now() +
                                std::chrono::duration_cast<std::chrono::system_clock::duration>(wait));
  }
  // Counts the calling thread among those waiting for the lock, unless most wait already: then false, and the
  // caller does not wait. A counted waiter calls LeaveWaiters once it stops waiting, with or without the lock.
  bool JoinWaiters(int most) {
    int waiting = mWaiters.load();
    while (waiting < most)
      if (mWaiters.compare_exchange_weak(waiting, waiting + 1)) return true;
    return false;
  }
  void LeaveWaiters() { --mWaiters; }

 private:
  std::recursive_timed_mutex mLock;
  std::atomic<int> mWaiters{0};
};

// Shared for readers, exclusive for writers; not re-entrant (a thread that holds
// it must not take it again in either mode). By default a reader may join
// readers while a writer waits; a lock made with WritersFirst queues readers
// that come after a waiting writer, so a steady stream of short reads cannot
// keep a writer out.
class alignas(kKXCacheLineSize) TKXSlimReaderWriter {
 public:
  enum TPreference { ReadersFirst, WritersFirst };

  explicit TKXSlimReaderWriter(TPreference preference = ReadersFirst) {
    pthread_rwlockattr_t attributes;
    pthread_rwlockattr_init(&attributes);
    pthread_rwlockattr_setkind_np(&attributes, preference == WritersFirst
                                                   ? PTHREAD_RWLOCK_PREFER_WRITER_NONRECURSIVE_NP
                                                   : PTHREAD_RWLOCK_PREFER_READER_NP);
    pthread_rwlock_init(&mLock, &attributes);
    pthread_rwlockattr_destroy(&attributes);
  }
  ~TKXSlimReaderWriter() { pthread_rwlock_destroy(&mLock); }
  TKXSlimReaderWriter(const TKXSlimReaderWriter&) = delete;
  TKXSlimReaderWriter& operator=(const TKXSlimReaderWriter&) = delete;

  void BeginRead() { pthread_rwlock_rdlock(&mLock); }
  void EndRead() { pthread_rwlock_unlock(&mLock); }
  void BeginWrite() { pthread_rwlock_wrlock(&mLock); }
  void EndWrite() { pthread_rwlock_unlock(&mLock); }
  // True when acquired without waiting.
  bool TryBeginRead() { return pthread_rwlock_tryrdlock(&mLock) == 0; }
  bool TryBeginWrite() { return pthread_rwlock_trywrlock(&mLock) == 0; }

 private:
  pthread_rwlock_t mLock;
};

// The name under which the internal-file registry knows the reader/writer lock.
using TKXMREW = TKXSlimReaderWriter;

// Holds a read lock for its scope.
class TKXReadGuard {
 public:
  explicit TKXReadGuard(TKXSlimReaderWriter& lock) : mLock(lock) { mLock.BeginRead(); }
  ~TKXReadGuard() { mLock.EndRead(); }
  TKXReadGuard(const TKXReadGuard&) = delete;
  TKXReadGuard& operator=(const TKXReadGuard&) = delete;

 private:
  TKXSlimReaderWriter& mLock;
};

// Holds the write lock for its scope.
class TKXWriteGuard {
 public:
  explicit TKXWriteGuard(TKXSlimReaderWriter& lock) : mLock(lock) { mLock.BeginWrite(); }
  ~TKXWriteGuard() { mLock.EndWrite(); }
  TKXWriteGuard(const TKXWriteGuard&) = delete;
  TKXWriteGuard& operator=(const TKXWriteGuard&) = delete;

 private:
  TKXSlimReaderWriter& mLock;
};

// A 32-bit integer whose every operation is one atomic instruction. Add and
// Subtract wrap around on overflow.
class TThreadSafeValue {
 public:
  constexpr explicit TThreadSafeValue(std::int32_t value = 0) : mValue(value) {}
  TThreadSafeValue(const TThreadSafeValue&) = delete;
  TThreadSafeValue& operator=(const TThreadSafeValue&) = delete;

  std::int32_t GetValue() const { return mValue.load(); }
  void SetValue(std::int32_t value) { mValue.exchange(value); }
  // Return the value before the change.
  std::int32_t Add(std::int32_t amount) { return mValue.fetch_add(amount); }
  std::int32_t Subtract(std::int32_t amount) { return mValue.fetch_sub(amount); }
  // Returns the value after the change.
  std::int32_t Increment() {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(mValue.fetch_add(1)) + 1u);
  }

 private:
  std::atomic<std::int32_t> mValue;
};

}  // namespace kx
