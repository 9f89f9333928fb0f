// The process's open-file descriptors as the stand-alone host sees them: the soft limit raised to the hard one at a
// program's start, and whether enough are free to take on new sessions. Builds on <sys/resource.h> and fcntl alone.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

// What RaiseDescriptorLimit found and left.
struct TDescriptorLimit {
  std::uint64_t Before = 0;  // the soft limit found
  std::uint64_t Soft = 0;    // the soft limit now
  std::uint64_t Hard = 0;
  int Error = 0;  // errno of a raise that failed, else 0
};

// Raises the soft RLIMIT_NOFILE to the hard one: sessions keep files open (a data form's database), and a soft limit
// of 1024 under a hard one of a million left a few hundred sessions able to stop the server.
TDescriptorLimit RaiseDescriptorLimit();
// The log line of it, with the reserve the sessions keep: "Open files: at most 4096 (raised from 1024 to the hard
// limit); new sessions are refused while fewer than 64 are free."
std::string DescriptorLimitText(const TDescriptorLimit& limit);

// The soft RLIMIT_NOFILE now (RLIM_INFINITY as UINT64_MAX).
std::uint64_t DescriptorLimit();
// New sessions are refused while fewer descriptors than this are free under limit: a quarter of the limit, at most
// 64, so that the sessions already there can still connect, spool a body and open their forms' files.
int SessionDescriptorReserve(std::uint64_t limit);
// Whether count descriptors are free now. Counted, not guessed from the lowest free number (a connection that
// closed leaves a low number free under hundreds in use): each next free number is found by duplicating probe (any
// open descriptor) onto it and closing the copy at once, so at most one is taken at a time; 2 * count system calls.
bool DescriptorsFree(int probe, int count);

}  // namespace kx
