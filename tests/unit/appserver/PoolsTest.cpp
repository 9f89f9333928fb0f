#include "kx/appserver/Pools.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/Raised.h"

namespace kx {
namespace {

using namespace std::chrono_literals;

// A pooled object that knows how many of its kind live and whether a thread holds it.
struct TPooled : TObject {
  TPooled() { ++Live; }
  ~TPooled() override { --Live; }
  std::atomic<bool> Held{false};
  static inline std::atomic<int> Live{0};
};

class ObjectPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TPooled::Live = 0;
    mPool.OnCreateObject = [](TObject*, TObject*& object) { object = new TPooled; };
    mPool.OnDestroyObject = [](TObject*, TObject*& object) { delete object; };
  }
  void Start(int size, bool raise = true) {
    mPool.SetPoolSize(size);
    mPool.Start(raise);
  }

  TObjectPool mPool;
};

TEST_F(ObjectPoolTest, RefusesUseOutsideAStartedPool) {
  TObjectPool bare;
  EXPECT_EQ(test::MessageOf([&] { bare.Start(); }), "There must be an OnCreateObject event before calling Start");
  bare.OnCreateObject = mPool.OnCreateObject;
  EXPECT_EQ(test::MessageOf([&] { bare.Start(); }), "There must be an OnDestroyObject event before calling Start");
  EXPECT_EQ(test::MessageOf<EAbort>([&] { mPool.Acquire(); }), "Cannot acquire an object before calling Start");
  TPooled foreign;
  EXPECT_EQ(test::MessageOf([&] { mPool.Release(&foreign); }), "Cannot release an object before calling Start");
  Start(1);
  EXPECT_EQ(test::MessageOf([&] { mPool.Release(nullptr); }), "Cannot release an object before calling Start");
  EXPECT_EQ(test::MessageOf([&] { mPool.Release(&foreign); }), "Cannot release an object that is not in the pool");
}

// A pool of two refuses the third Acquire without counting it; a released object is lent again, once.
TEST_F(ObjectPoolTest, FixedPoolRefusesThenLendsTheReleasedObject) {
  Start(2);
  TObject* first = mPool.Acquire();
  TObject* second = mPool.Acquire();
  EXPECT_EQ(test::MessageOf([&] { mPool.Acquire(); }), "There are no available objects in the pool");
  EXPECT_EQ(mPool.UsageCount(), 2);
  mPool.Release(first);
  mPool.Release(first);
  EXPECT_EQ(mPool.UsageCount(), 1);
  EXPECT_EQ(mPool.Acquire(), first);
  mPool.Release(first);
  mPool.Release(second);
  mPool.Stop();
  EXPECT_EQ(TPooled::Live, 0);
  // Without raising, a refusal is nullptr and a foreign object is ignored.
  Start(1, false);
  TObject* only = mPool.Acquire();
  EXPECT_EQ(mPool.Acquire(), nullptr);
  TPooled foreign;
  mPool.Release(&foreign);
  EXPECT_EQ(mPool.UsageCount(), 1);
  mPool.Release(only);
}

// Size 2, GrowToSize 3: the pool grows to 3, then to 4, then refuses.
TEST_F(ObjectPoolTest, AutoGrowStopsOnePastGrowToSize) {
  mPool.SetAutoGrow(true);
  mPool.SetGrowToSize(3);
  Start(2);
  std::vector<TObject*> lent;
  for (int i = 0; i < 4; ++i) lent.push_back(mPool.Acquire());
  EXPECT_EQ(mPool.PoolSize(), 4);
  EXPECT_EQ(TPooled::Live, 4);
  EXPECT_EQ(test::MessageOf([&] { mPool.Acquire(); }), "There are no available objects in the pool");
  for (TObject* object : lent) mPool.Release(object);
}

// Stop waits for a loan, whose Release it accepts meanwhile; a loan still out after the wait is destroyed when it
// comes back.
TEST_F(ObjectPoolTest, StopWaitsForLoansAndOutlivesTheWait) {
  mPool.SetStopTimeout(5s);
  Start(3);
  TObject* object = mPool.Acquire();
  std::string refusal;
  std::thread borrower([&] {
    std::this_thread::sleep_for(50ms);
    refusal = test::MessageOf([&] { mPool.Release(object); });
  });
  const auto started = std::chrono::steady_clock::now();
  mPool.Stop();
  borrower.join();
  EXPECT_EQ(refusal, "(no exception)");
  EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
  EXPECT_EQ(TPooled::Live, 0);

  mPool.SetStopTimeout(20ms);
  mPool.Start();
  object = mPool.Acquire();
  mPool.Stop();
  EXPECT_EQ(TPooled::Live, 1);
  EXPECT_EQ(mPool.ObjectCount(), 1);
  EXPECT_NO_THROW(mPool.Release(object));
  EXPECT_EQ(TPooled::Live, 0);
}

// 16 threads borrow from a pool of 4: an object is never held by two threads at once, and all come back.
TEST_F(ObjectPoolTest, SixteenThreadsShareFourObjects) {
  Start(4, false);
  std::atomic<int> loans{0}, refusals{0}, sharedLoans{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 300; ++i) {
        auto* object = static_cast<TPooled*>(mPool.Acquire());
        if (object == nullptr) {
          ++refusals;
          continue;
        }
        if (object->Held.exchange(true)) ++sharedLoans;
        ++loans;
        std::this_thread::yield();
        object->Held = false;
        mPool.Release(object);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(sharedLoans, 0);
  EXPECT_EQ(loans + refusals, 16 * 300);
  EXPECT_EQ(mPool.UsageCount(), 0);
}

// Runs work on a thread of its own and tells whether it ended in time; a thread that hangs is left behind (with what
// it works on) so that the test can fail instead of hanging.
bool EndsWithin(std::chrono::milliseconds limit, std::function<void()> work) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> ended = done->get_future();
  std::thread([done, work = std::move(work)] {
    work();
    done->set_value();
  }).detach();
  return ended.wait_for(limit) == std::future_status::ready;
}

// The events may read the pool they run for: when it starts, grows, stops and takes back a loan that outlived a Stop.
TEST(ObjectPoolEvents, ReadTheirPool) {
  auto* pool = new TObjectPool;
  std::vector<std::string> seen;
  pool->OnCreateObject = [&seen](TObject* sender, TObject*& object) {
    auto& self = *static_cast<TObjectPool*>(sender);
    seen.push_back("create " + std::to_string(self.PoolSize()) + "/" + std::to_string(self.UsageCount()));
    object = new TPooled;
  };
  pool->OnDestroyObject = [&seen](TObject* sender, TObject*& object) {
    auto& self = *static_cast<TObjectPool*>(sender);
    seen.push_back("destroy " + std::to_string(self.ObjectCount()) + (self.Active() ? " active" : ""));
    delete object;
  };
  const bool ended = EndsWithin(5s, [pool] {
    pool->SetPoolSize(1);
    pool->SetAutoGrow(true);
    pool->SetGrowToSize(1);
    pool->Start();
    TObject* first = pool->Acquire();
    TObject* grown = pool->Acquire();
    pool->Release(first);
    pool->SetStopTimeout(10ms);
    pool->Stop();
    pool->Release(grown);
  });
  ASSERT_TRUE(ended) << "a pool event that reads its pool hangs";
  EXPECT_EQ(seen, (std::vector<std::string>{"create 1/0", "create 2/2", "destroy 1", "destroy 0"}));
  delete pool;
}

TEST(TKXDataModulePoolEvents, ReadTheirPool) {
  auto* pool = TComponent::Create<TKXDataModulePool>(nullptr);
  std::vector<std::string> seen;
  pool->OnCreateDataModule = [&seen, pool](TDataModule*& module) {
    seen.push_back("create " + std::to_string(pool->PoolCount()) + "/" + std::to_string(pool->CurrentThreadsInUse()));
    module = TComponent::Create<TDataModule>(nullptr);
  };
  pool->OnFreeDataModule = [&seen, pool](TDataModule*& module) {
    seen.push_back("free " + std::to_string(pool->PoolCount()) + "/" + std::to_string(pool->CurrentThreadsInUse()));
    module->Free();
  };
  const bool ended = EndsWithin(5s, [pool] {
    pool->SetPoolCount(2);
    pool->SetActive(true);
    pool->SetActive(false);
  });
  ASSERT_TRUE(ended) << "a data-module pool event that reads its pool hangs";
  EXPECT_EQ(seen, (std::vector<std::string>{"create 2/0", "create 2/0", "free 2/0", "free 2/0"}));
  pool->Free();
}

// ---------------------------------------------------------------------------

TEST(TKXDataModulePool, LendsModulesOnlyWhileActiveAndFreesThem) {
  int made = 0, freed = 0, handed = 0;
  TOwnedComponent<TKXDataModulePool> pool(TComponent::Create<TKXDataModulePool>(nullptr));
  pool->OnCreateDataModule = [&](TDataModule*& module) {
    module = TComponent::Create<TDataModule>(nullptr);
    module->OnDestroy = [&freed](TObject*) { ++freed; };
    ++made;
  };
  const char* inactive = "You cannot perform this operation on an inactive TKXDataModulePool";
  EXPECT_EQ(test::MessageOf<EComponentError>([&] { pool->Lock(); }), inactive);
  EXPECT_EQ(pool->PoolCount(), 20);
  pool->SetPoolCount(3);
  pool->SetActive(true);
  EXPECT_EQ(made, 3);
  EXPECT_EQ(test::MessageOf<EComponentError>([&] { pool->SetPoolCount(5); }),
            "You cannot perform this operation on an active TKXDataModulePool");
  TDataModule* module = pool->Lock();
  EXPECT_EQ(pool->CurrentThreadsInUse(), 1);
  pool->Unlock(module);
  EXPECT_EQ(module, nullptr);
  pool->OnFreeDataModule = [&handed](TDataModule*& dataModule) {
    ++handed;
    dataModule->Free();
  };
  pool->SetActive(false);
  EXPECT_EQ(handed, 3);
  // A module still lent when deactivation gave up waiting is taken back and freed.
  pool->SetActive(true);
  pool->Pool().SetStopTimeout(20ms);
  module = pool->Lock();
  pool->SetActive(false);
  EXPECT_EQ(handed, 5);
  pool->Unlock(module);
  EXPECT_EQ(handed, 6);
  // Without a handler the pool frees them itself; freeing the component deactivates it.
  pool->OnFreeDataModule = nullptr;
  pool->SetActive(true);
  pool.reset();
  EXPECT_EQ(freed, 9);
}

// A pool made while its owner is loading starts only once loading is complete.
class TPoolHolder : public TDataModule {
  KX_COMPONENT_CLASS(TPoolHolder, TDataModule)

 public:
  TKXDataModulePool* Pool = nullptr;
  bool ActiveWhileLoading = true;

 protected:
  void BuildComponents() override {
    Pool = TComponent::Create<TKXDataModulePool>(this);
    Pool->SetPoolCount(1);
    Pool->OnCreateDataModule = [](TDataModule*& module) { module = TComponent::Create<TDataModule>(nullptr); };
    Pool->SetActive(true);
    ActiveWhileLoading = Pool->Active();
  }
};

TEST(TKXDataModulePool, ActivationWaitsForLoaded) {
  TOwnedComponent<TPoolHolder> holder(TComponent::Create<TPoolHolder>(nullptr));
  EXPECT_FALSE(holder->ActiveWhileLoading);
  EXPECT_TRUE(holder->Pool->Active());
}

TEST(MakeUniqueDBName, PrefixAndThreadId) {
  std::string other;
  std::thread([&other] { other = MakeUniqueDBName("Orders"); }).join();
  EXPECT_EQ(MakeUniqueDBName(), "DB" + std::to_string(gettid()));
  EXPECT_NE(other, "Orders" + std::to_string(gettid()));
}

}  // namespace
}  // namespace kx
