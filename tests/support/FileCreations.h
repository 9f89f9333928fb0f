// Counts the files made in a folder (created or moved in) while the watcher lives, through inotify: a file
// made and deleted between two looks still counts.
#pragma once

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstddef>
#include <string>

namespace kx::test {

class TFileCreations {
 public:
  explicit TFileCreations(const std::string& folder) : mFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    EXPECT_GE(mFd, 0);
    EXPECT_GE(inotify_add_watch(mFd, folder.c_str(), IN_CREATE | IN_MOVED_TO), 0) << folder;
  }
  TFileCreations(const TFileCreations&) = delete;
  TFileCreations& operator=(const TFileCreations&) = delete;
  ~TFileCreations() {
    if (mFd >= 0) ::close(mFd);
  }

  // The files made so far.
  std::size_t Count() {
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(mFd, events, sizeof events)) > 0;)
      for (ssize_t at = 0; at < n; at += ssize_t(sizeof(inotify_event) + EventAt(events, at)->len)) ++mCount;
    return mCount;
  }

 private:
  static const inotify_event* EventAt(const char* events, ssize_t at) {
    return reinterpret_cast<const inotify_event*>(events + at);
  }

  int mFd;
  std::size_t mCount = 0;
};

}  // namespace kx::test
