// The program around a recorded test: the sample application in test mode for the whole run, and afterwards the
// check that the replay reached the sample's button with the recorded text intact.
#include <gtest/gtest.h>

#include <memory>

#include "support/RecorderSample.h"

namespace {

class TRecordedSampleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    kx::test::LastGreeting().clear();
    mApp = std::make_unique<kx::test::TRecorderSampleApp>();
  }
  void TearDown() override {
    EXPECT_EQ(kx::test::LastGreeting(), kx::test::ExpectedGreeting()) << "the replay did not press the button";
    mApp.reset();
  }

 private:
  std::unique_ptr<kx::test::TRecorderSampleApp> mApp;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new TRecordedSampleEnvironment);
  return RUN_ALL_TESTS();
}
