#include "kx/hosts/Descriptors.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace kx {

namespace {

std::uint64_t LimitValue(rlim_t value) {
  return value == RLIM_INFINITY ? std::numeric_limits<std::uint64_t>::max() : std::uint64_t(value);
}

std::string LimitText(std::uint64_t value) {
  return value == std::numeric_limits<std::uint64_t>::max() ? "unlimited" : std::to_string(value);
}

}  // namespace

TDescriptorLimit RaiseDescriptorLimit() {
  TDescriptorLimit result;
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
    result.Error = errno;
    return result;
  }
  result.Before = result.Soft = LimitValue(limit.rlim_cur);
  result.Hard = LimitValue(limit.rlim_max);
  if (limit.rlim_cur == limit.rlim_max) return result;
  limit.rlim_cur = limit.rlim_max;
  if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
    result.Error = errno;
  else
    result.Soft = result.Hard;
  return result;
}

std::string DescriptorLimitText(const TDescriptorLimit& limit) {
  std::string text = "Open files: " + LimitText(limit.Soft);
  if (limit.Error != 0 && limit.Soft == 0)
    text += " (the limit could not be read: " + std::string(std::strerror(limit.Error)) + ")";
  else if (limit.Error != 0)
    text += " (the hard limit " + LimitText(limit.Hard) + " could not be set: " + std::strerror(limit.Error) + ")";
  else if (limit.Soft != limit.Before)
    text += " (raised from " + LimitText(limit.Before) + " to the hard limit)";
  else
    text += " (the hard limit)";
  return text + "; new sessions are refused while fewer than " +
         std::to_string(SessionDescriptorReserve(limit.Soft)) + " are free.";
}

std::uint64_t DescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  return LimitValue(limit.rlim_cur);
}

int SessionDescriptorReserve(std::uint64_t limit) { return int(std::min<std::uint64_t>(64, limit / 4)); }

bool DescriptorsFree(int probe, int count) {
  int from = 0;
  for (int found = 0; found < count; ++found) {
    const int copy = ::fcntl(probe, F_DUPFD_CLOEXEC, from);
    if (copy < 0) return false;  // EMFILE: no free number from there up; EINVAL: from reached the limit
    ::close(copy);
    from = copy + 1;
  }
  return true;
}

}  // namespace kx
