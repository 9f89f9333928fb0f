#include "kx/hosts/Descriptors.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <vector>

namespace kx {
namespace {

// Runs body in a child process, whose descriptor limits it may change at will, and returns what it returned.
template <class T, class Body>
T InChild(Body body) {
  int ends[2];
  if (::pipe(ends) != 0) return T{};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ends[0]);
    const T result = body();
    const bool written = ::write(ends[1], &result, sizeof result) == ssize_t(sizeof result);
    ::_exit(written ? 0 : 1);
  }
  ::close(ends[1]);
  T result{};
  if (pid > 0 && ::read(ends[0], &result, sizeof result) != ssize_t(sizeof result)) ADD_FAILURE() << "no answer";
  ::close(ends[0]);
  if (pid > 0) ::waitpid(pid, nullptr, 0);
  return result;
}

TEST(RaiseDescriptorLimit, RaisesTheSoftLimitToTheHardOne) {
  struct TFound {
    TDescriptorLimit Limit;
    rlim_t SoftAfter = 0;
  };
  const struct {
    rlim_t Soft, Hard;
  } rows[] = {{64, 128}, {128, 128}, {1, 4096}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.Soft) + " of " + std::to_string(row.Hard));
    const TFound found = InChild<TFound>([&] {
      TFound child;
      rlimit limit{row.Soft, row.Hard};
      if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return child;
      child.Limit = RaiseDescriptorLimit();
      ::getrlimit(RLIMIT_NOFILE, &limit);
      child.SoftAfter = limit.rlim_cur;
      return child;
    });
    EXPECT_EQ(found.Limit.Before, row.Soft);
    EXPECT_EQ(found.Limit.Soft, row.Hard);
    EXPECT_EQ(found.Limit.Hard, row.Hard);
    EXPECT_EQ(found.Limit.Error, 0);
    EXPECT_EQ(found.SoftAfter, row.Hard);
  }
}

// The one line a program logs at its start, with the sessions' reserve: a quarter of the limit, at most 64.
TEST(RaiseDescriptorLimit, SaysWhatItGotAndTheSessionsReserve) {
  const struct {
    TDescriptorLimit Limit;
    const char* Text;
  } rows[] = {
      {{1024, 4096, 4096, 0},
       "Open files: 4096 (raised from 1024 to the hard limit); new sessions are refused while fewer than 64 are free."},
      {{256, 256, 256, 0}, "Open files: 256 (the hard limit); new sessions are refused while fewer than 64 are free."},
      {{64, 64, 64, 0}, "Open files: 64 (the hard limit); new sessions are refused while fewer than 16 are free."},
      {{1024, 1024, 4096, EPERM},
       "Open files: 1024 (the hard limit 4096 could not be set: Operation not permitted); new sessions are refused "
       "while fewer than 64 are free."},
  };
  for (const auto& row : rows) EXPECT_EQ(DescriptorLimitText(row.Limit), row.Text);
}

// The reserve judgement: 16 free of 64 is enough, 15 is short, wherever the free numbers lie. Counted from the lowest
// free number, free ones low under many in use (a connection that closed) read as the whole rest of the limit.
TEST(DescriptorsFree, CountsTheFreeNumbersWhereverTheyLie) {
  constexpr rlim_t kLimit = 64;
  constexpr int kReserve = 16;
  const struct {
    int Free;
    bool Low;  // the free numbers are the lowest the test took, else the highest
    bool Enough;
  } rows[] = {{16, true, true}, {15, true, false}, {16, false, true}, {15, false, false}, {0, false, false},
              {40, true, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.Free) + (row.Low ? " low" : " high"));
    const int answer = InChild<int>([&] {
      rlimit limit{};
      ::getrlimit(RLIMIT_NOFILE, &limit);
      limit.rlim_cur = kLimit;
      if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
      std::vector<int> taken;
      for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) taken.push_back(fd);
      if (int(taken.size()) < row.Free + 1) return -1;
      std::sort(taken.begin(), taken.end());
      const int probe = row.Low ? taken.back() : taken.front();
      for (std::size_t i = 0; i < std::size_t(row.Free); ++i) ::close(taken[row.Low ? i : taken.size() - 1 - i]);
      return int(DescriptorsFree(probe, kReserve));
    });
    EXPECT_EQ(answer, int(row.Enough));
  }
}

}  // namespace
}  // namespace kx
