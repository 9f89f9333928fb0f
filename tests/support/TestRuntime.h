// Every test of a binary runs in a runtime of its own, made before the test and freed after it, with the layers
// that binary tests installed: no registry, controller or session store outlives its test. A test binary registers
// the way its runtime is made once, from a static initializer (support/RuntimeForEachTest.cpp).
#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <memory>
#include <utility>

#include "kx/foundation/RuntimeSlots.h"

namespace kx::test {

// Runtime slots and nothing else, for the layers below the application server.
class TTestSlots : public TKXRuntimeSlots {};

using TMakeRuntime = std::function<std::unique_ptr<TKXRuntimeSlots>()>;

class TRuntimeForEachTest : public ::testing::EmptyTestEventListener {
 public:
  explicit TRuntimeForEachTest(TMakeRuntime make) : mMake(std::move(make)) {}

  void OnTestStart(const ::testing::TestInfo&) override {
    try {
      mRuntime = mMake();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "making the test's runtime raised: " << e.what();
    }
  }
  void OnTestEnd(const ::testing::TestInfo&) override { mRuntime.reset(); }

 private:
  TMakeRuntime mMake;
  std::unique_ptr<TKXRuntimeSlots> mRuntime;
};

inline bool RunEachTestInItsOwnRuntime(TMakeRuntime make) {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TRuntimeForEachTest(std::move(make)));
  return true;
}

}  // namespace kx::test
