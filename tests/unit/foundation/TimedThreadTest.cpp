#include "kx/foundation/TimedThread.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// Counts its runs, lets a test wait for a number of them, records reported errors.
class TCountingThread : public TKXTimedThread {
 public:
  TCountingThread(std::string name, std::int32_t interval,
                  std::function<void(int run)> work = nullptr)
      : TKXTimedThread(std::move(name), interval), mWork(std::move(work)) {}
  ~TCountingThread() override {
    Finish();
    WaitFor();
  }

  int Runs() {
    std::lock_guard<std::mutex> lock(mLock);
    return mRuns;
  }
  void WaitForRuns(int count) {
    std::unique_lock<std::mutex> lock(mLock);
    mChanged.wait(lock, [&] { return mRuns >= count; });
  }
  std::vector<std::string> Errors() {
    std::lock_guard<std::mutex> lock(mLock);
    return mErrors;
  }
  std::string ThreadName() {
    std::lock_guard<std::mutex> lock(mLock);
    return mThreadName;
  }

 protected:
  void DoExecute() override {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    int run = 0;
    {
      std::lock_guard<std::mutex> lock(mLock);
      run = ++mRuns;
      mThreadName = name;
    }
    mChanged.notify_all();
    if (mWork) mWork(run);
  }
  void HandleException(const std::exception_ptr& error) override {
    std::string text;
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      text = e.what();
    } catch (...) {
      text = "?";
    }
    std::lock_guard<std::mutex> lock(mLock);
    mErrors.push_back(text);
  }

 private:
  std::function<void(int)> mWork;
  std::mutex mLock;
  std::condition_variable mChanged;
  int mRuns = 0;
  std::vector<std::string> mErrors;
  std::string mThreadName;
};

}  // namespace

// Finish wakes a long wait at once: were it not woken, WaitFor would sit out the
// 60 s interval and then see one DoExecute.
TEST(TKXTimedThread, FinishEndsALongWaitWithoutAnotherRun) {
  TCountingThread thread("KX Long Wait", 60000);
  thread.Start();
  thread.Finish();
  thread.WaitFor();
  EXPECT_EQ(thread.Runs(), 0);
  EXPECT_TRUE(thread.Terminated());
}

TEST(TKXTimedThread, RunsEachIntervalUntilFinished) {
  TCountingThread thread("", 1);
  thread.Start();
  thread.WaitForRuns(3);
  thread.Finish();
  thread.WaitFor();
  const int runs = thread.Runs();
  thread.Finish();  // a second Finish is harmless
  EXPECT_GE(runs, 3);
  EXPECT_EQ(thread.Runs(), runs);
}

// What DoExecute raises is reported and the thread keeps running: it never ends the process.
TEST(TKXTimedThread, ARaisingDoExecuteDoesNotEndTheThread) {
  TCountingThread thread("KX Raising", 1, [](int run) {
    if (run == 1) throw std::runtime_error("first");
    if (run == 2) throw EConvertError("second");
    if (run == 3) throw 42;
    if (run == 4) throw EAbort();  // silent
  });
  thread.Start();
  thread.WaitForRuns(6);
  thread.Finish();
  thread.WaitFor();
  EXPECT_EQ(thread.Errors(), (std::vector<std::string>{"first", "second", "?"}));
}

TEST(TKXTimedThread, NamesTheSystemThreadWithinFifteenBytes) {
  const struct {
    const char* name;
    const char* shown;
  } cases[] = {{"KX Session Timeout Thread", "KX Session Time"},
               {"ÄÄÄÄÄÄÄÄ", "ÄÄÄÄÄÄÄ"}};  // 16 bytes: cut before the last character
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TCountingThread thread(c.name, 1);
    thread.Start();
    thread.WaitForRuns(1);
    EXPECT_EQ(thread.ThreadName(), c.shown);
  }
}

TEST(TKXTimedThread, StartsOnlyOnce) {
  TCountingThread thread("", 60000);
  thread.Start();
  EXPECT_THROW(thread.Start(), EInvalidOperation);
}

TEST(TKXTimedThread, DestroyedUnstartedOrRunning) {
  { TCountingThread unstarted("", 60000); }
  {
    TCountingThread running("", 60000);
    running.Start();
  }  // the destructor finishes and joins
  TCountingThread waitsForFinishOnly("", -1);
  waitsForFinishOnly.Start();
  waitsForFinishOnly.Finish();
  waitsForFinishOnly.WaitFor();
  EXPECT_EQ(waitsForFinishOnly.Runs(), 0);
}

}  // namespace kx
