#include "kx/foundation/Locks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <limits>
#include <thread>
#include <vector>

namespace kx {

static_assert(alignof(TKXCriticalSection) >= 64 && sizeof(TKXCriticalSection) % 64 == 0);
static_assert(alignof(TKXSlimReaderWriter) >= 64 && sizeof(TKXSlimReaderWriter) % 64 == 0);
static_assert(alignof(TKXTimedCriticalSection) >= 64 && sizeof(TKXTimedCriticalSection) % 64 == 0);

namespace {

// Runs body on another thread and returns its result.
template <class F>
auto OnOtherThread(F body) {
  return std::async(std::launch::async, body).get();
}

}  // namespace

TEST(TKXCriticalSection, IsReentrantAndExcludesOtherThreads) {
  TKXCriticalSection lock;
  lock.Enter();
  lock.Acquire();  // the same thread enters again
  EXPECT_FALSE(OnOtherThread([&] { return lock.TryEnter(); }));
  lock.Leave();
  EXPECT_FALSE(OnOtherThread([&] { return lock.TryEnter(); }));
  lock.Release();
  EXPECT_TRUE(OnOtherThread([&] {
    const bool entered = lock.TryEnter();
    if (entered) lock.Leave();
    return entered;
  }));
}

TEST(TKXTimedCriticalSection, IsReentrantAndAWaitWithALimitGivesUpOrGetsIt) {
  TKXTimedCriticalSection lock;
  lock.Enter();
  EXPECT_TRUE(lock.TryEnter());  // the same thread enters again
  lock.Leave();
  EXPECT_FALSE(OnOtherThread([&] { return lock.TryEnterFor(std::chrono::milliseconds(20)); }));
  auto waiter = std::async(std::launch::async, [&] {
    const bool entered = lock.TryEnterFor(std::chrono::seconds(30));
    if (entered) lock.Leave();
    return entered;
  });
  lock.Leave();
  EXPECT_TRUE(waiter.get());
}

// Made WritersFirst, the lock refuses a new reader once a writer waits for the readers before it.
TEST(TKXSlimReaderWriter, WritersFirstQueuesNewReadersBehindAWaitingWriter) {
  TKXSlimReaderWriter lock(TKXSlimReaderWriter::WritersFirst);
  lock.BeginRead();
  std::atomic<bool> wrote{false};
  std::thread writer([&] {
    lock.BeginWrite();
    wrote = true;
    lock.EndWrite();
  });
  // Reads succeed until the writer is queued; a lock that lets readers pass it never refuses one.
  const bool refused = OnOtherThread([&] {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < giveUp) {
      if (!lock.TryBeginRead()) return true;
      lock.EndRead();
      std::this_thread::yield();
    }
    return false;
  });
  EXPECT_TRUE(refused);
  EXPECT_FALSE(wrote);
  lock.EndRead();
  writer.join();
  EXPECT_TRUE(wrote);
}

TEST(TKXSlimReaderWriter, TryBeginWriteFailsWhileAnotherThreadReads) {
  TKXSlimReaderWriter lock;
  std::promise<void> reading, release;
  std::thread reader([&] {
    lock.BeginRead();
    reading.set_value();
    release.get_future().wait();
    lock.EndRead();
  });
  reading.get_future().wait();
  EXPECT_FALSE(lock.TryBeginWrite());
  EXPECT_TRUE(lock.TryBeginRead());  // readers share the lock
  lock.EndRead();
  release.set_value();
  reader.join();
  EXPECT_TRUE(lock.TryBeginWrite());
  lock.EndWrite();
}

TEST(TKXSlimReaderWriter, TryBeginReadFailsWhileAnotherThreadWrites) {
  TKXSlimReaderWriter lock;
  lock.BeginWrite();
  EXPECT_FALSE(OnOtherThread([&] { return lock.TryBeginRead(); }));
  EXPECT_FALSE(OnOtherThread([&] { return lock.TryBeginWrite(); }));
  lock.EndWrite();
}

TEST(TKXSlimReaderWriter, GuardsReleaseOnEveryWayOut) {
  TKXSlimReaderWriter lock;
  try {
    TKXWriteGuard guard(lock);
    EXPECT_FALSE(OnOtherThread([&] { return lock.TryBeginRead(); }));
    throw std::runtime_error("leave the scope");
  } catch (const std::runtime_error&) {
  }
  {
    TKXReadGuard guard(lock);
    EXPECT_FALSE(OnOtherThread([&] { return lock.TryBeginWrite(); }));
  }
  EXPECT_TRUE(lock.TryBeginWrite());
  lock.EndWrite();
}

TEST(TThreadSafeValue, AddAndSubtractReturnThePreviousValueIncrementTheNew) {
  TThreadSafeValue value(10);
  EXPECT_EQ(value.Add(5), 10);
  EXPECT_EQ(value.Subtract(3), 15);
  EXPECT_EQ(value.Increment(), 13);
  value.SetValue(-1);
  EXPECT_EQ(value.GetValue(), -1);
  value.SetValue(std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(value.Increment(), std::numeric_limits<std::int32_t>::min());  // wraps
}

TEST(TThreadSafeValue, ConcurrentIncrementsAreNotLost) {
  TThreadSafeValue value;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) value.Increment();
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(value.GetValue(), 40000);
}

}  // namespace kx
