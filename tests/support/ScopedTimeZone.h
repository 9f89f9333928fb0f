// Sets TZ for one test scope and restores the previous value (or its absence) after it.
#pragma once

#include <time.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace kx::test {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) mOld = old;
    Set(zone);
  }
  ~ScopedTimeZone() {
    if (mOld)
      setenv("TZ", mOld->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  // Switches to another zone within the same scope.
  void Set(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }

 private:
  std::optional<std::string> mOld;
};

// Central Europe, daylight saving from the last Sunday of March to the last of October.
inline constexpr const char* kCET = "CET-1CEST,M3.5.0,M10.5.0/3";
inline constexpr const char* kUTC = "UTC0";
// Newfoundland: -03:30, daylight saving -02:30 from March to November.
inline constexpr const char* kNewfoundland = "NST3:30NDT,M3.2.0,M11.1.0";

}  // namespace kx::test
