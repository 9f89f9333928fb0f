#include "kx/platform/DateUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kx/platform/SysUtils.h"
#include "support/ScopedTimeZone.h"

#include "support/Raised.h"

namespace kx {

TEST(EncodeDate, KnownDayNumbers) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1);
  EXPECT_EQ(EncodeDate(1970, 1, 1), kUnixDateDelta);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
}

TEST(EncodeDate, InvalidPartsRaise) {
  const struct {
    int y, m, d;
  } cases[] = {{2023, 2, 29}, {1900, 2, 29}, {2024, 2, 30}, {2024, 4, 31}, {2024, 1, 0},
               {2024, 0, 1},  {2024, 13, 1}, {0, 1, 1},     {10000, 1, 1}, {-5, 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Format("%d-%d-%d", c.y, c.m, c.d));
    EXPECT_THROW(EncodeDate(c.y, c.m, c.d), EConvertError);
    TDateTime unused = 0;
    EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, unused));
  }
  EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
  EXPECT_EQ(test::MessageOf<EConvertError>([] { EncodeDate(2023, 2, 29); }),
            "Invalid argument to date encode (year 2023, month 2, day 29)");
}

TEST(EncodeTime, InvalidPartsRaise) {
  const int cases[][4] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0},
                          {0, 0, 0, 1000}, {-1, 0, 0, 0}, {0, 0, 0, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Format("%d:%d:%d.%d", c[0], c[1], c[2], c[3]));
    EXPECT_THROW(EncodeTime(c[0], c[1], c[2], c[3]), EConvertError);
  }
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(DecodeDate, RoundTripsEveryDayAcrossTheRange) {
  for (std::int64_t day = -693593; day <= 2958465; day += 97) {
    int y = 0, m = 0, d = 0;
    DecodeDate(double(day), y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), double(day)) << day;
  }
  int y = 0, m = 0, d = 0;
  DecodeDate(EncodeDate(2024, 2, 29) + 0.75, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
}

TEST(DecodeTime, RoundsToTheMillisecondIntoTheNextDay) {
  const TDateTime almostMidnight = EncodeDate(2024, 12, 31) + (kMSecsPerDay - 0.4) / kMSecsPerDay;
  EXPECT_EQ(DateTimeToStr(almostMidnight), "2025-01-01 00:00:00");
  int h = 0, n = 0, s = 0, ms = 0;
  DecodeTime(EncodeDateTime(2024, 1, 1, 23, 59, 59, 999), h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 235959999);
}

TEST(DecodeDateTime, NegativeValuesHaveAPositiveTimePart) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  EXPECT_EQ(DateTimeToStr(-1.25), "1899-12-29 06:00:00");
  EXPECT_EQ(DateTimeToStr(-693593.5), "0001-01-01 12:00:00");
}

TEST(DecodeDateTime, ValuesOutsideTheCalendarRaise) {
  const double cases[] = {std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(), 1e300, 2958466.0, -693594.0};
  for (double value : cases) {
    SCOPED_TRACE(value);
    int y = 0, m = 0, d = 0;
    EXPECT_THROW(DecodeDate(value, y, m, d), EConvertError);
  }
}

TEST(DayOfWeek, OneIsSunday) {
  EXPECT_EQ(DayOfWeek(EncodeDate(1994, 11, 6)), 1);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 7, 13)), 7);
  EXPECT_EQ(DayOfWeek(0), 7);     // 1899-12-30, a Saturday
  EXPECT_EQ(DayOfWeek(-1.25), 6);  // 1899-12-29, a Friday
  EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);
}

TEST(IncMinute, StepsAcrossTheDayZero) {
  const TDateTime before = EncodeDateTime(1899, 12, 29, 23, 59, 0, 0);
  EXPECT_EQ(DateTimeToStr(IncMinute(before, 2)), "1899-12-30 00:01:00");
  EXPECT_EQ(DateTimeToStr(IncMinute(EncodeDateTime(1899, 12, 30, 0, 1, 0, 0), -2)),
            "1899-12-29 23:59:00");
  EXPECT_EQ(IncDay(-1.25), 0.25);
  EXPECT_EQ(DateTimeToStr(IncSecond(EncodeDateTime(2024, 12, 31, 23, 59, 59, 0))),
            "2025-01-01 00:00:00");
  EXPECT_EQ(DateTimeToStr(IncHour(EncodeDate(2024, 3, 1), -1)), "2024-02-29 23:00:00");
  EXPECT_THROW(IncMinute(0, std::numeric_limits<std::int64_t>::max()), EConvertError);
}

TEST(DateTimeToUnix, RoundTripsAroundTheEpoch) {
  EXPECT_EQ(DateTimeToUnix(kUnixDateDelta), 0);
  EXPECT_EQ(DateTimeToUnix(EncodeDateTime(1994, 11, 6, 8, 49, 37, 0)), 784111777);
  EXPECT_EQ(DateTimeToStr(UnixToDateTime(784111777)), "1994-11-06 08:49:37");
  EXPECT_EQ(DateTimeToStr(UnixToDateTime(-1)), "1969-12-31 23:59:59");
  EXPECT_EQ(DateTimeToUnix(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0)), -2209226400);
  EXPECT_THROW(UnixToDateTime(std::numeric_limits<std::int64_t>::max()), EConvertError);
}

TEST(DateTimeToStr, IsLocaleFreeWithTime) {
  EXPECT_EQ(DateTimeToStr(EncodeDateTime(1994, 11, 6, 8, 49, 37, 500)), "1994-11-06 08:49:37");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 1, 2)), "2024-01-02 00:00:00");
}

TEST(LocalTimeToUTC, UsesTheOffsetInForceAtThatDate) {
  test::ScopedTimeZone zone(test::kCET);
  const TDateTime winter = EncodeDateTime(2024, 1, 15, 12, 0, 0, 250);
  const TDateTime summer = EncodeDateTime(2024, 7, 15, 12, 0, 0, 0);
  EXPECT_EQ(DateTimeToStr(LocalTimeToUTC(winter)), "2024-01-15 11:00:00");
  EXPECT_EQ(DateTimeToStr(LocalTimeToUTC(summer)), "2024-07-15 10:00:00");
  EXPECT_EQ(UTCOffsetSecondsAt(winter), 3600);
  EXPECT_EQ(UTCOffsetSecondsAt(summer), 7200);
  EXPECT_NEAR(UTCToLocalTime(LocalTimeToUTC(winter)), winter, 1e-9);
  EXPECT_EQ(DateTimeToStr(UTCToLocalTime(EncodeDateTime(2024, 10, 27, 0, 59, 59, 0))),
            "2024-10-27 02:59:59");
  EXPECT_EQ(DateTimeToStr(UTCToLocalTime(EncodeDateTime(2024, 10, 27, 1, 0, 0, 0))),
            "2024-10-27 02:00:00");
}

TEST(LocalTimeToUTC, WorksBeforeNineteenHundredAndBeforeTheEpoch) {
  test::ScopedTimeZone zone(test::kUTC);
  const TDateTime old = EncodeDateTime(1850, 6, 1, 10, 30, 0, 0);
  EXPECT_EQ(DateTimeToStr(LocalTimeToUTC(old)), "1850-06-01 10:30:00");
  EXPECT_EQ(DateTimeToStr(UTCToLocalTime(-1.25)), "1899-12-29 06:00:00");
  EXPECT_EQ(DateTimeToStr(LocalTimeToUTC(EncodeDate(1, 1, 1))), "0001-01-01 00:00:00");
}

// The zone is re-read on every call, so a changed TZ is seen at once.
TEST(LocalTimeToUTC, SeesAChangedTimeZone) {
  test::ScopedTimeZone zone(test::kUTC);
  const TDateTime winter = EncodeDateTime(2024, 1, 15, 12, 0, 0, 0);
  EXPECT_EQ(UTCOffsetSecondsAt(winter), 0);
  zone.Set(test::kCET);
  EXPECT_EQ(UTCOffsetSecondsAt(winter), 3600);
  EXPECT_EQ(DateTimeToStr(UTCToLocalTime(winter)), "2024-01-15 13:00:00");
  zone.Set(test::kNewfoundland);
  EXPECT_EQ(UTCOffsetSecondsAt(winter), -12600);
}

TEST(Now, IsLocalTimeAndNowUTCIsNot) {
  test::ScopedTimeZone zone("XST-5:30");  // a fixed offset without daylight saving
  EXPECT_EQ(CurrentUTCOffsetSeconds(), 19800);
  const double difference = (Now() - NowUTC()) * kSecsPerDay;
  EXPECT_NEAR(difference, 19800, 60);  // the two clock reads lie close together
  EXPECT_EQ(Date(), std::floor(Now()));
}

}  // namespace kx
