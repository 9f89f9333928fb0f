// Calendar dates and times as TDateTime (days since 1899-12-30, the fraction is
// the time of day), the clock, and conversion between local time and UTC with
// the offset in force at the date converted. Locale-free; local time follows
// the process time zone (TZ), which is re-read on every call that needs it.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

// Days since 1899-12-30 00:00; the fraction is the time of day. A date before
// 1899-12-30 is negative with a positive time part: -1.25 is 1899-12-29 06:00.
using TDateTime = double;

inline constexpr double kHoursPerDay = 24;
inline constexpr double kMinsPerDay = 24 * 60;
inline constexpr double kSecsPerDay = 24 * 60 * 60;
inline constexpr double kMSecsPerDay = 24 * 60 * 60 * 1000.0;
// The TDateTime of 1970-01-01 00:00.
inline constexpr TDateTime kUnixDateDelta = 25569;

// The clock. Now and Date are local time; NowUTC is UTC.
TDateTime Now();
TDateTime NowUTC();
TDateTime Date();

bool IsLeapYear(int year);
// 28 to 31; 0 for a month outside 1..12.
int DaysInAMonth(int year, int month);

// Years 1..9999. Invalid parts raise EConvertError naming the values.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                       int millisecond, TDateTime& result);

// The value is rounded to the millisecond first, so 23:59:59.9999 decodes as the
// next day. A value outside years 1..9999 (or not finite) raises EConvertError.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond);

// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime value);

// Whole-unit steps that stay right across 1899-12-30 (negative date-times).
TDateTime IncDay(TDateTime value, std::int64_t days = 1);
TDateTime IncHour(TDateTime value, std::int64_t hours = 1);
TDateTime IncMinute(TDateTime value, std::int64_t minutes = 1);
TDateTime IncSecond(TDateTime value, std::int64_t seconds = 1);
TDateTime IncMilliSecond(TDateTime value, std::int64_t milliseconds = 1);

// Seconds since 1970-01-01 00:00 (the value taken as UTC), rounded to the second.
std::int64_t DateTimeToUnix(TDateTime value);
TDateTime UnixToDateTime(std::int64_t seconds);

// "yyyy-mm-dd hh:nn:ss", always with the time.
std::string DateTimeToStr(TDateTime value);

// Local time <-> UTC with the time zone's rules for that very date (daylight
// saving included). A local time that does not exist (skipped by a clock change)
// is taken as the system's mktime takes it. When the system cannot convert, these
// raise Exception "Failed attempting to retrieve time zone information.".
TDateTime LocalTimeToUTC(TDateTime local);
TDateTime UTCToLocalTime(TDateTime utc);
// Seconds to add to UTC to get local time, in force at that local date-time
// (positive east of Greenwich).
int UTCOffsetSecondsAt(TDateTime local);
// The same, in force now.
int CurrentUTCOffsetSeconds();

}  // namespace kx
