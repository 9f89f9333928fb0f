#include "kx/platform/DateUtils.h"

#include <time.h>

#include <cmath>
#include <cstdlib>

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kMinDay = -693593;   // 0001-01-01
constexpr std::int64_t kMaxDay = 2958465;   // 9999-12-31
constexpr std::int64_t kUnixEpochMs = 25569 * kMsPerDay;

const char* const kTimeZoneError = "Failed attempting to retrieve time zone information.";

// Division rounding towards minus infinity.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Days since 1899-12-30 of a proleptic Gregorian date (any month and day that
// are in range; no validation here).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  const std::int64_t z = days - 25569 + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(yoe + era * 400 + (month <= 2));
}

// A date-time as milliseconds on a straight time line (day * ms-per-day + time
// of day), which makes arithmetic right on both sides of 1899-12-30.
std::int64_t ToLinearMs(TDateTime value) {
  if (!std::isfinite(value) || std::fabs(value) > double(kMaxDay + 1))
    throw EConvertError(Format("Invalid date-time value %s", FloatToStr(value)));
  const std::int64_t total = std::llround(value * double(kMsPerDay));
  const std::int64_t days = total / kMsPerDay;  // towards zero: the date part
  const std::int64_t time = std::llabs(total % kMsPerDay);
  if (days < kMinDay || days > kMaxDay)
    throw EConvertError(Format("Invalid date-time value %s", FloatToStr(value)));
  return days * kMsPerDay + time;
}

TDateTime FromLinearMs(std::int64_t linear) {
  const std::int64_t days = FloorDiv(linear, kMsPerDay);
  const double time = double(linear - days * kMsPerDay) / double(kMsPerDay);
  return days >= 0 ? double(days) + time : double(days) - time;
}

TDateTime AddUnits(TDateTime value, std::int64_t count, std::int64_t unitMs) {
  std::int64_t delta = 0, result = 0;
  if (__builtin_mul_overflow(count, unitMs, &delta) ||
      __builtin_add_overflow(ToLinearMs(value), delta, &result))
    throw EConvertError("Date-time step out of range");
  return FromLinearMs(result);
}

bool ValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInAMonth(year, month);
}

bool ValidTime(int hour, int minute, int second, int millisecond) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
         millisecond >= 0 && millisecond < 1000;
}

std::int64_t TimeMs(int hour, int minute, int second, int millisecond) {
  return ((std::int64_t(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
}

// Local broken-down time (plus milliseconds) as a linear millisecond count.
std::int64_t LinearFromTm(const struct tm& t, std::int64_t ms) {
  return DaysFromCivil(std::int64_t(t.tm_year) + 1900, t.tm_mon + 1, t.tm_mday) * kMsPerDay +
         TimeMs(t.tm_hour, t.tm_min, 0, 0) + std::int64_t(t.tm_sec) * 1000 + ms;
}

// The local broken-down time of a UTC instant; tzset first so that a changed TZ is seen.
struct tm LocalTm(time_t t) {
  tzset();
  struct tm result {};
  if (!localtime_r(&t, &result)) throw Exception(kTimeZoneError);
  return result;
}

// mktime of a local linear time: the UTC seconds and the broken-down result.
time_t MakeTime(std::int64_t localLinear, struct tm& t) {
  const std::int64_t days = FloorDiv(localLinear, kMsPerDay);
  const std::int64_t secOfDay = (localLinear - days * kMsPerDay) / 1000;
  int year = 0, month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = int(secOfDay / 3600);
  t.tm_min = int(secOfDay / 60 % 60);
  t.tm_sec = int(secOfDay % 60);
  t.tm_isdst = -1;  // let the zone's rules decide for that date
  t.tm_wday = -1;   // stays -1 only when mktime failed (-1 is also a valid result)
  tzset();
  const time_t result = mktime(&t);
  if (result == time_t(-1) && t.tm_wday == -1) throw Exception(kTimeZoneError);
  return result;
}

}  // namespace

TDateTime Now() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  const struct tm t = LocalTm(ts.tv_sec);
  return FromLinearMs(LinearFromTm(t, ts.tv_nsec / 1000000));
}

TDateTime NowUTC() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  return FromLinearMs(kUnixEpochMs + std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
}

TDateTime Date() { return std::floor(Now()); }

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (!ValidDate(year, month, day)) return false;
  result = double(DaysFromCivil(year, month, day));
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
  if (!ValidTime(hour, minute, second, millisecond)) return false;
  result = double(TimeMs(hour, minute, second, millisecond)) / double(kMsPerDay);
  return true;
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                       int millisecond, TDateTime& result) {
  if (!ValidDate(year, month, day) || !ValidTime(hour, minute, second, millisecond)) return false;
  result = FromLinearMs(DaysFromCivil(year, month, day) * kMsPerDay +
                        TimeMs(hour, minute, second, millisecond));
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result = 0;
  if (!TryEncodeDate(year, month, day, result))
    throw EConvertError(
        Format("Invalid argument to date encode (year %d, month %d, day %d)", year, month, day));
  return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime result = 0;
  if (!TryEncodeTime(hour, minute, second, millisecond, result))
    throw EConvertError(Format("Invalid argument to time encode (%d:%d:%d.%d)", hour, minute,
                               second, millisecond));
  return result;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
  const TDateTime date = EncodeDate(year, month, day);
  const TDateTime time = EncodeTime(hour, minute, second, millisecond);
  return date >= 0 ? date + time : date - time;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  CivilFromDays(FloorDiv(ToLinearMs(value), kMsPerDay), year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
  const std::int64_t linear = ToLinearMs(value);
  const std::int64_t ms = linear - FloorDiv(linear, kMsPerDay) * kMsPerDay;
  hour = int(ms / 3600000);
  minute = int(ms / 60000 % 60);
  second = int(ms / 1000 % 60);
  millisecond = int(ms % 1000);
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond) {
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, minute, second, millisecond);
}

int DayOfWeek(TDateTime value) {
  const std::int64_t days = FloorDiv(ToLinearMs(value), kMsPerDay);
  // 1899-12-30 was a Saturday (7).
  return int(((days % 7) + 7 + 6) % 7) + 1;
}

TDateTime IncDay(TDateTime value, std::int64_t days) { return AddUnits(value, days, kMsPerDay); }
TDateTime IncHour(TDateTime value, std::int64_t hours) { return AddUnits(value, hours, 3600000); }
TDateTime IncMinute(TDateTime value, std::int64_t minutes) {
  return AddUnits(value, minutes, 60000);
}
TDateTime IncSecond(TDateTime value, std::int64_t seconds) {
  return AddUnits(value, seconds, 1000);
}
TDateTime IncMilliSecond(TDateTime value, std::int64_t milliseconds) {
  return AddUnits(value, milliseconds, 1);
}

std::int64_t DateTimeToUnix(TDateTime value) {
  return std::llround(double(ToLinearMs(value) - kUnixEpochMs) / 1000.0);
}

TDateTime UnixToDateTime(std::int64_t seconds) {
  std::int64_t ms = 0;
  if (__builtin_mul_overflow(seconds, std::int64_t(1000), &ms) ||
      __builtin_add_overflow(ms, kUnixEpochMs, &ms))
    throw EConvertError(Format("Invalid Unix time %d", seconds));
  return FromLinearMs(ms);
}

std::string DateTimeToStr(TDateTime value) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(value, y, mo, d, h, mi, s, ms);
  return Format("%.4d-%.2d-%.2d %.2d:%.2d:%.2d", y, mo, d, h, mi, s);
}

TDateTime LocalTimeToUTC(TDateTime local) {
  const std::int64_t linear = ToLinearMs(local);
  struct tm t {};
  const time_t seconds = MakeTime(linear, t);
  const std::int64_t ms = linear - FloorDiv(linear, 1000) * 1000;
  return FromLinearMs(kUnixEpochMs + std::int64_t(seconds) * 1000 + ms);
}

TDateTime UTCToLocalTime(TDateTime utc) {
  const std::int64_t sinceEpoch = ToLinearMs(utc) - kUnixEpochMs;
  const std::int64_t seconds = FloorDiv(sinceEpoch, 1000);
  const struct tm t = LocalTm(time_t(seconds));
  return FromLinearMs(LinearFromTm(t, sinceEpoch - seconds * 1000));
}

int UTCOffsetSecondsAt(TDateTime local) {
  struct tm t {};
  MakeTime(ToLinearMs(local), t);
  return int(t.tm_gmtoff);
}

int CurrentUTCOffsetSeconds() { return int(LocalTm(time(nullptr)).tm_gmtoff); }

}  // namespace kx
