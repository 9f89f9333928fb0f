// What the framework may ask the host about the request the calling thread answers: while that request waits (for
// its busy session), whether to go on waiting; before it takes its thread into a session, how many threads the host
// has to spare (appserver/Admission.h); before it makes a new session, whether the host has the descriptors for it.
// The host installs its watch around its call of gHttpExecuteHook; threads without one (tests, the timeout thread)
// always go on.
#pragma once

namespace kx {

class IKXRequestWatch {
 public:
  virtual ~IKXRequestWatch() = default;
  // False once the request's client has gone or the host is stopping and no longer waits for queued requests.
  // Cheap enough to be asked every few milliseconds; asked only on the request's own thread.
  virtual bool KeepWaiting() = 0;
  // How many more requests the host could have inside the framework at once besides those in it now (this one
  // included among those); -1 when the host does not say.
  virtual int SpareThreads() { return -1; }
  // Whether the host's process has too few descriptors free to take on a new session: it would take files (a data
  // form's database) that the sessions already there need to go on. False when the host does not say.
  virtual bool DescriptorsShort() { return false; }
};

// The calling thread's watch, or nullptr.
inline thread_local IKXRequestWatch* gRequestWatch = nullptr;

// Installs a watch on the calling thread for its scope, and puts the previous one back after it.
class TKXRequestWatchScope {
 public:
  explicit TKXRequestWatchScope(IKXRequestWatch& watch) : mPrevious(gRequestWatch) { gRequestWatch = &watch; }
  ~TKXRequestWatchScope() { gRequestWatch = mPrevious; }
  TKXRequestWatchScope(const TKXRequestWatchScope&) = delete;
  TKXRequestWatchScope& operator=(const TKXRequestWatchScope&) = delete;

 private:
  IKXRequestWatch* mPrevious;
};

}  // namespace kx
