#include "kx/foundation/ObjectGuard.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/TestRuntime.h"

namespace kx {
namespace {

// Writes its name into a shared log when it is freed.
class TLoggedObject : public TObject {
 public:
  TLoggedObject(std::vector<std::string>& log, std::string name) : mLog(log), mName(std::move(name)) {}
  ~TLoggedObject() override { mLog.push_back(mName); }

 private:
  std::vector<std::string>& mLog;
  std::string mName;
};

TEST(KXObjectGuard, GuardedObjectsLiveUntilTheirRuntimeEndsAndGoLastFirst) {
  std::vector<std::string> freed;
  {
    test::TTestSlots runtime;
    TKXRuntimeSlots::TScope scope(runtime);
    auto first = std::make_unique<TLoggedObject>(freed, "first");
    TLoggedObject* expected = first.get();
    EXPECT_EQ(KXObjectGuard(std::move(first)), expected);
    KXObjectGuard(std::make_unique<TLoggedObject>(freed, "second"));
    KXObjectGuard(std::make_unique<TLoggedObject>(freed, "third"));
    EXPECT_TRUE(freed.empty());
  }
  EXPECT_EQ(freed, (std::vector<std::string>{"third", "second", "first"}));
}

TEST(KXObjectGuard, ANullObjectGuardsNothing) {
  EXPECT_EQ(KXObjectGuard(std::unique_ptr<TLoggedObject>()), nullptr);
}

// Two runtimes in one process (two tests on two threads) never free each other's objects.
TEST(KXObjectGuard, EachRuntimeFreesOnlyItsOwnObjects) {
  std::vector<std::string> freed;
  auto outer = std::make_unique<test::TTestSlots>();
  {
    TKXRuntimeSlots::TScope outerScope(*outer);
    KXObjectGuard(std::make_unique<TLoggedObject>(freed, "outer"));
    {
      test::TTestSlots inner;
      TKXRuntimeSlots::TScope innerScope(inner);
      KXObjectGuard(std::make_unique<TLoggedObject>(freed, "inner"));
    }
    EXPECT_EQ(freed, std::vector<std::string>{"inner"});
  }
  outer.reset();
  EXPECT_EQ(freed, (std::vector<std::string>{"inner", "outer"}));
}

TEST(KXObjectGuard, ThreadsGuardAtTheSameTime) {
  constexpr int kThreads = 4;
  constexpr int kEach = 200;
  std::vector<std::vector<std::string>> freed(kThreads);
  {
    test::TTestSlots runtime;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&runtime, &log = freed[std::size_t(t)]] {
        TKXRuntimeSlots::TScope scope(runtime);
        for (int i = 0; i < kEach; ++i) KXObjectGuard(std::make_unique<TLoggedObject>(log, "x"));
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  for (const auto& log : freed) EXPECT_EQ(log.size(), std::size_t(kEach));
}

}  // namespace
}  // namespace kx
