#include "kx/foundation/TimedThread.h"

#include <pthread.h>

#include <chrono>
#include <cstdio>

#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

// Linux keeps 15 bytes of a thread name; cut at a character boundary.
std::string SystemThreadName(const std::string& name) {
  std::size_t end = 0, pos = 0;
  char32_t codePoint = 0;
  while (pos < name.size()) {
    DecodeUtf8(name, pos, codePoint);
    if (pos > 15) break;
    end = pos;
  }
  return name.substr(0, end);
}

std::string ExceptionText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

}  // namespace

TKXTimedThread::TKXTimedThread(std::string name, std::int32_t interval)
    : FName(std::move(name)), FInterval(interval) {}

TKXTimedThread::~TKXTimedThread() {
  Finish();
  if (!FThread.joinable()) return;
  if (FThread.get_id() == std::this_thread::get_id())
    FThread.detach();  // destroyed from its own DoExecute: it cannot wait for itself
  else
    FThread.join();
}

void TKXTimedThread::Start() {
  if (FStarted) throw EInvalidOperation("Cannot call Start on a running or suspended thread");
  FStarted = true;
  FThread = std::thread(&TKXTimedThread::Execute, this);
}

void TKXTimedThread::Finish() {
  FTerminated = true;
  {
    std::lock_guard<std::mutex> lock(FEventLock);
    FSignalled = true;
  }
  FEvent.notify_all();
}

void TKXTimedThread::WaitFor() {
  if (!FThread.joinable()) return;
  if (FThread.get_id() == std::this_thread::get_id())
    throw EInvalidOperation("A thread cannot wait for itself");
  FThread.join();
}

void TKXTimedThread::HandleException(const std::exception_ptr& error) {
  std::fprintf(stderr, "%s: %s\n", FName.empty() ? "TKXTimedThread" : FName.c_str(),
               ExceptionText(error).c_str());
}

void TKXTimedThread::RunDoExecute() {
  try {
    DoExecute();
  } catch (const EAbort&) {
  } catch (...) {
    try {
      HandleException(std::current_exception());
    } catch (...) {
    }
  }
}

void TKXTimedThread::Execute() {
  // Nothing may leave a thread body: that would end the process.
  try {
    if (!FName.empty()) pthread_setname_np(pthread_self(), SystemThreadName(FName).c_str());
    const auto signalled = [this] { return FSignalled; };
    std::unique_lock<std::mutex> lock(FEventLock);
    while (!FTerminated) {
      if (FInterval < 0) {
        FEvent.wait(lock, signalled);
        break;
      }
      if (FEvent.wait_for(lock, std::chrono::milliseconds(FInterval), signalled)) break;
      lock.unlock();
      RunDoExecute();
      lock.lock();
    }
  } catch (...) {
  }
}

}  // namespace kx
