// A named worker thread that runs DoExecute each time its interval elapses,
// until Finish wakes it and ends it at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

namespace kx {

// Owned by its creator (it never frees itself). A descendant whose DoExecute
// uses the descendant's own members calls Finish() and WaitFor() in its
// destructor, because the thread may still be running when this base
// destructor is reached.
class TKXTimedThread {
 public:
  // Created suspended; Start runs it. The name is given to the system thread
  // (its first 15 bytes). A negative interval waits for Finish only.
  TKXTimedThread(std::string name, std::int32_t interval);
  // Finishes the thread and waits for it to end.
  virtual ~TKXTimedThread();
  TKXTimedThread(const TKXTimedThread&) = delete;
  TKXTimedThread& operator=(const TKXTimedThread&) = delete;

  const std::string& Name() const { return FName; }
  // Milliseconds between two runs of DoExecute.
  std::int32_t Interval() const { return FInterval; }
  // True once Finish was called; a long DoExecute may poll it.
  bool Terminated() const { return FTerminated.load(); }

  // Raises EInvalidOperation when the thread was started before.
  void Start();
  // Requests termination and wakes the thread: it ends without another DoExecute.
  // Safe from any thread, and more than once.
  void Finish();
  // Waits until the thread has ended (returns at once when it never started).
  // Raises EInvalidOperation when called from the thread itself.
  void WaitFor();

 protected:
  // The periodic work.
  virtual void DoExecute() = 0;
  // Receives what DoExecute raised (except the silent EAbort); the thread keeps
  // running afterwards. The default writes "<name>: <message>" to stderr. What
  // this hook raises is dropped.
  virtual void HandleException(const std::exception_ptr& error);

 private:
  void Execute();
  void RunDoExecute();

  std::string FName;
  std::int32_t FInterval;
  std::atomic<bool> FTerminated{false};
  // The manual-reset event: FSignalled under FEventLock, waited on through FEvent.
  std::mutex FEventLock;
  std::condition_variable FEvent;
  bool FSignalled = false;
  std::thread FThread;
  bool FStarted = false;
};

}  // namespace kx
