#include "kx/appserver/Pools.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
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
    mPool.OnDestroyObject = [](TObject*, TObject*& object) {
      delete object;
      object = nullptr;
    };
  }

  TObjectPool mPool;
};

TEST_F(ObjectPoolTest, StartNeedsBothEvents) {
  struct TCase {
    bool Create, Destroy;
    const char* Message;
  };
  for (const TCase& row : {TCase{false, true, "There must be an OnCreateObject event before calling Start"},
                           TCase{true, false, "There must be an OnDestroyObject event before calling Start"}}) {
    TObjectPool pool;
    if (row.Create) pool.OnCreateObject = mPool.OnCreateObject;
    if (row.Destroy) pool.OnDestroyObject = mPool.OnDestroyObject;
    EXPECT_EQ(test::MessageOf([&] { pool.Start(); }), row.Message);
    EXPECT_FALSE(pool.Active());
  }
}

TEST_F(ObjectPoolTest, RefusesUseOutsideStartedPool) {
  EXPECT_EQ(test::MessageOf<EAbort>([&] { mPool.Acquire(); }), "Cannot acquire an object before calling Start");
  TPooled foreign;
  EXPECT_EQ(test::MessageOf([&] { mPool.Release(&foreign); }), "Cannot release an object before calling Start");
  mPool.SetPoolSize(1);
  mPool.Start();
  EXPECT_EQ(test::MessageOf([&] { mPool.Release(nullptr); }), "Cannot release an object before calling Start");
}

// The third Acquire of a pool of two is refused without counting as a use; a released object is lent again.
TEST_F(ObjectPoolTest, FixedPoolRefusesThenLendsTheReleasedObject) {
  mPool.SetPoolSize(2);
  mPool.Start();
  EXPECT_EQ(TPooled::Live, 2);
  TObject* first = mPool.Acquire();
  TObject* second = mPool.Acquire();
  EXPECT_NE(first, second);
  EXPECT_EQ(test::MessageOf([&] { mPool.Acquire(); }), "There are no available objects in the pool");
  EXPECT_EQ(mPool.UsageCount(), 2);
  mPool.Release(first);
  EXPECT_EQ(mPool.UsageCount(), 1);
  EXPECT_EQ(mPool.Acquire(), first);
  mPool.Release(first);
  mPool.Release(second);
  mPool.Stop();
  EXPECT_EQ(TPooled::Live, 0);
}

TEST_F(ObjectPoolTest, WithoutRaisingARefusalIsNull) {
  mPool.SetPoolSize(1);
  mPool.Start(false);
  TObject* only = mPool.Acquire();
  EXPECT_EQ(mPool.Acquire(), nullptr);
  EXPECT_EQ(mPool.UsageCount(), 1);
  TPooled foreign;
  EXPECT_NO_THROW(mPool.Release(&foreign));
  EXPECT_EQ(mPool.UsageCount(), 1);
  mPool.Release(only);
  mPool.Stop();
  EXPECT_TRUE(mPool.RaiseExceptions());
}

// Size 2, GrowToSize 3: the pool grows to 3, then to 4, then refuses.
TEST_F(ObjectPoolTest, AutoGrowStopsOnePastGrowToSize) {
  mPool.SetPoolSize(2);
  mPool.SetAutoGrow(true);
  mPool.SetGrowToSize(3);
  mPool.Start();
  std::set<TObject*> lent;
  for (int i = 0; i < 4; ++i) lent.insert(mPool.Acquire());
  EXPECT_EQ(lent.size(), 4u);
  EXPECT_EQ(mPool.PoolSize(), 4);
  EXPECT_EQ(TPooled::Live, 4);
  EXPECT_EQ(test::MessageOf([&] { mPool.Acquire(); }), "There are no available objects in the pool");
  EXPECT_EQ(mPool.UsageCount(), 4);
  for (TObject* object : lent) mPool.Release(object);
}

TEST_F(ObjectPoolTest, ReleaseRefusesForeignObjectsAndIgnoresASecondRelease) {
  mPool.SetPoolSize(2);
  mPool.Start();
  TPooled foreign;
  EXPECT_EQ(test::MessageOf([&] { mPool.Release(&foreign); }), "Cannot release an object that is not in the pool");
  TObject* object = mPool.Acquire();
  TObject* other = mPool.Acquire();
  mPool.Release(object);
  mPool.Release(object);
  EXPECT_EQ(mPool.UsageCount(), 1);
  mPool.Release(other);
}

TEST_F(ObjectPoolTest, FailedCreationLeavesThePoolInactiveAndEmpty) {
  int made = 0;
  mPool.OnCreateObject = [&made](TObject*, TObject*& object) {
    if (++made == 3) throw Exception("no connection");
    object = new TPooled;
  };
  mPool.SetPoolSize(5);
  EXPECT_EQ(test::MessageOf([&] { mPool.Start(); }), "no connection");
  EXPECT_FALSE(mPool.Active());
  EXPECT_EQ(TPooled::Live, 0);
}

// Stop waits for a lent object, whose Release is accepted while it waits, and then destroys everything.
TEST_F(ObjectPoolTest, StopWaitsForALoanThatComesBack) {
  mPool.SetPoolSize(3);
  mPool.Start();
  mPool.SetStopTimeout(5s);
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
  EXPECT_EQ(mPool.ObjectCount(), 0);
}

// After the wait a lent object is left to its borrower and destroyed when it comes back, even after Stop.
TEST_F(ObjectPoolTest, StopLeavesALentObjectUntilItComesBack) {
  mPool.SetPoolSize(2);
  mPool.SetStopTimeout(20ms);
  mPool.Start();
  auto* object = static_cast<TPooled*>(mPool.Acquire());
  mPool.Stop();
  EXPECT_EQ(TPooled::Live, 1);
  EXPECT_EQ(mPool.ObjectCount(), 1);
  EXPECT_EQ(mPool.UsageCount(), 0);
  object->Held = true;  // still usable by its borrower
  EXPECT_NO_THROW(mPool.Release(object));
  EXPECT_EQ(TPooled::Live, 0);
  EXPECT_EQ(mPool.ObjectCount(), 0);
}

// 16 threads borrow from a pool of 4: an object is never held by two threads at once, and all come back.
TEST_F(ObjectPoolTest, SixteenThreadsShareFourObjects) {
  mPool.SetPoolSize(4);
  mPool.Start(false);
  std::atomic<int> loans{0}, refusals{0}, sharedLoans{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 300; ++i) {
        auto* object = static_cast<TPooled*>(mPool.Acquire());
        if (object == nullptr) {
          ++refusals;
          std::this_thread::yield();
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
  EXPECT_GT(loans, 0);
  EXPECT_EQ(mPool.UsageCount(), 0);
  EXPECT_EQ(mPool.PoolSize(), 4);
  mPool.Stop();
  EXPECT_EQ(TPooled::Live, 0);
}

// ---------------------------------------------------------------------------
// TKXDataModulePool

class DataModulePoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mPool.reset(TComponent::Create<TKXDataModulePool>(nullptr));
    mPool->OnCreateDataModule = [this](TDataModule*& module) {
      module = TComponent::Create<TDataModule>(nullptr);
      module->OnDestroy = [this](TObject*) { ++mFreed; };
      ++mMade;
    };
  }

  TOwnedComponent<TKXDataModulePool> mPool;
  int mMade = 0;
  int mFreed = 0;
};

TEST_F(DataModulePoolTest, LendsModulesOnlyWhileActive) {
  const char* inactive = "You cannot perform this operation on an inactive TKXDataModulePool";
  EXPECT_EQ(test::MessageOf<EComponentError>([&] { mPool->Lock(); }), inactive);
  TDataModule* none = nullptr;
  EXPECT_EQ(test::MessageOf<EComponentError>([&] { mPool->Unlock(none); }), inactive);
  EXPECT_EQ(mPool->PoolCount(), 20);
  EXPECT_EQ(mPool->Version(), "2.0.0");
  mPool->SetPoolCount(3);
  mPool->SetActive(true);
  EXPECT_EQ(mMade, 3);
  EXPECT_EQ(test::MessageOf<EComponentError>([&] { mPool->SetPoolCount(5); }),
            "You cannot perform this operation on an active TKXDataModulePool");
  TDataModule* module = mPool->Lock();
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(mPool->CurrentThreadsInUse(), 1);
  mPool->Unlock(module);
  EXPECT_EQ(module, nullptr);
  EXPECT_EQ(mPool->CurrentThreadsInUse(), 0);
  mPool->SetActive(false);
  EXPECT_EQ(mFreed, 3);
}

TEST_F(DataModulePoolTest, FreeHandlerOrThePoolFreesTheModules) {
  int handed = 0;
  mPool->OnFreeDataModule = [&handed](TDataModule*& module) {
    ++handed;
    module->Free();
    module = nullptr;
  };
  mPool->SetPoolCount(2);
  mPool->SetActive(true);
  mPool->SetActive(false);
  EXPECT_EQ(handed, 2);
  EXPECT_EQ(mFreed, 2);
  // Without a handler the pool frees them itself; freeing the component deactivates it.
  mPool->OnFreeDataModule = nullptr;
  mPool->SetActive(true);
  mPool.reset();
  EXPECT_EQ(mFreed, 4);
}

// A pool made while its owner is loading starts only when loading completes.
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

TEST(DataModulePoolLoading, ActivationWaitsForLoaded) {
  TOwnedComponent<TPoolHolder> holder(TComponent::Create<TPoolHolder>(nullptr));
  EXPECT_FALSE(holder->ActiveWhileLoading);
  EXPECT_TRUE(holder->Pool->Active());
  EXPECT_EQ(holder->Pool->CurrentThreadsInUse(), 0);
}

TEST(MakeUniqueDBName, PrefixAndThreadId) {
  const std::string mine = MakeUniqueDBName();
  ASSERT_GT(mine.size(), 2u);
  EXPECT_EQ(mine.substr(0, 2), "DB");
  EXPECT_EQ(mine.find_first_not_of("0123456789", 2), std::string::npos);
  EXPECT_EQ(MakeUniqueDBName("Orders"), "Orders" + mine.substr(2));
  std::string other;
  std::thread([&other] { other = MakeUniqueDBName(); }).join();
  EXPECT_NE(other, mine);
}

}  // namespace
}  // namespace kx
