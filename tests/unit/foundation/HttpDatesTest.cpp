#include "kx/foundation/HttpDates.h"

#include <gtest/gtest.h>

#include "kx/platform/SysUtils.h"
#include "support/ScopedTimeZone.h"

namespace kx {

namespace {

std::string LocalText(std::string_view httpDate) {
  const TDateTime value = GMTToLocalDateTime(httpDate);
  return value == 0 ? "0" : DateTimeToStr(value);
}

const TDateTime kSample = EncodeDateTime(1994, 11, 6, 8, 49, 37, 0);

}  // namespace

TEST(DateTimeGMTToHttpStr, WritesTheRfc1123Form) {
  EXPECT_EQ(DateTimeGMTToHttpStr(kSample), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(DateTimeGMTToHttpStr(EncodeDate(2000, 2, 29)), "Tue, 29 Feb 2000 00:00:00 GMT");
  EXPECT_EQ(DateTimeGMTToHttpStr(EncodeDateTime(99, 12, 31, 23, 59, 59, 0)),
            "Thu, 31 Dec 0099 23:59:59 GMT");
  // Rounded to the millisecond first, so day name, date and time agree.
  EXPECT_EQ(DateTimeGMTToHttpStr(EncodeDate(2024, 7, 13) + (kMSecsPerDay - 0.4) / kMSecsPerDay),
            "Sun, 14 Jul 2024 00:00:00 GMT");
}

TEST(GMTToLocalDateTime, ParsesTheThreeHttpForms) {
  test::ScopedTimeZone zone(test::kCET);
  const char* const forms[] = {
      "Sun, 06 Nov 1994 08:49:37 GMT",   // RFC 1123
      "Sunday, 06-Nov-94 08:49:37 GMT",  // RFC 850
      "Sun Nov  6 08:49:37 1994",        // asctime
      "sun, 06 nov 1994 08:49:37 gmt",
      "  Sun,06 Nov 1994   08:49:37 GMT ",
      "06 Nov 1994 08:49:37 GMT",
      "Sun, 06 Nov 1994 08:49:37 GMT; length=1234",
  };
  for (const char* text : forms) {
    SCOPED_TRACE(text);
    EXPECT_EQ(LocalText(text), "1994-11-06 09:49:37");
  }
}

TEST(GMTToLocalDateTime, ZoneOfTheText) {
  test::ScopedTimeZone zone(test::kCET);
  const struct {
    const char* zone;
    const char* local;
  } cases[] = {
      {"GMT", "1994-11-06 09:49:37"},   {"+0100", "1994-11-06 08:49:37"},
      {"MEZ", "1994-11-06 08:49:37"},   {"mesz", "1994-11-06 07:49:37"},
      {"XYZ", "1994-11-06 09:49:37"},   // unknown: -0000
      {"CDT", "1994-11-05 23:19:37"},   // the first CDT: +1030
      {"EST", "1994-11-05 22:49:37"},   // the first EST: +1100
      {"-0330", "1994-11-06 13:19:37"}, {"Z", "1994-11-06 09:49:37"},
      {"Y", "1994-11-06 21:49:37"},     {"+01", "1994-11-06 09:49:37"},  // malformed: 0
      {"+01x0", "1994-11-06 09:49:37"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zone);
    EXPECT_EQ(LocalText(std::string("Sun, 06 Nov 1994 08:49:37 ") + c.zone), c.local);
  }
}

TEST(GMTToLocalDateTime, MonthNamesOfSeveralLanguages) {
  test::ScopedTimeZone zone(test::kUTC);
  const struct {
    const char* month;
    int number;
  } cases[] = {{"févr", 2}, {"FÉV", 2},  {"aoû", 8},  {"Août", 8}, {"déc", 12}, {"juil", 7},
               {"jui", 7},  {"Mrz", 3},  {"Okt", 10}, {"Dez", 12}, {"Ab", 4},   {"dbre", 12},
               {"eno", 1},  {"mei", 5},  {"Mrt", 3},  {"maj", 5},  {"avg", 8},  {"Sept", 9},
               {"June", 6}, {"july", 7}, {"mars", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.month);
    EXPECT_EQ(LocalText(Format("06 %s 2024 10:00:00 GMT", c.month)),
              Format("2024-%.2d-06 10:00:00", c.number));
  }
  EXPECT_EQ(LocalText("06 Foo 2024 10:00:00 GMT"), "0");
  EXPECT_EQ(LocalText("06 November 2024 10:00:00 GMT"), "0");
}

TEST(GMTToLocalDateTime, TimeParts) {
  test::ScopedTimeZone zone(test::kUTC);
  const struct {
    const char* text;
    const char* local;
  } cases[] = {
      {"06 Nov 1994 08:49:37 PM GMT", "1994-11-06 20:49:37"},
      {"06 Nov 1994 08:49:37pm GMT", "1994-11-06 20:49:37"},
      {"06 Nov 1994 12:00:00 AM GMT", "1994-11-06 00:00:00"},
      {"06 Nov 1994 12:30:00 PM GMT", "1994-11-06 12:30:00"},
      {"Sun Nov  6 08:49:37 PM 1994", "1994-11-06 20:49:37"},
      {"06 Nov 1994 08:49 GMT", "1994-11-06 08:49:00"},
      {"06 Nov 1994 8 GMT", "1994-11-06 08:00:00"},
      {"06 Nov 1994", "1994-11-06 00:00:00"},
      {"06 Nov 1994 +0200", "1994-11-05 22:00:00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(LocalText(c.text), c.local);
  }
}

TEST(GMTToLocalDateTime, TwoDigitYearsLieAtMostFiftyYearsAhead) {
  test::ScopedTimeZone zone(test::kUTC);
  int year = 0, month = 0, day = 0;
  DecodeDate(NowUTC(), year, month, day);
  const int soon = year + 10, past = year - 40;
  EXPECT_EQ(LocalText(Format("Monday, 01-Mar-%.2d 00:00:00 GMT", soon % 100)),
            Format("%.4d-03-01 00:00:00", soon));
  EXPECT_EQ(LocalText(Format("01-Mar-%.2d 00:00:00 GMT", past % 100)),
            Format("%.4d-03-01 00:00:00", past));
}

// A malformed If-Modified-Since comes from the client: it gives 0, never an error.
TEST(GMTToLocalDateTime, GarbageGivesZero) {
  test::ScopedTimeZone zone(test::kUTC);
  const char* const cases[] = {
      "", "   ", "garbage", "Sun,", "Sun", "Sunday, ", "-", "--", "06-Nov", "Nov", "1994",
      "Sun, 32 Nov 1994 08:49:37 GMT", "Sun, 29 Feb 2023 08:49:37 GMT",
      "Sun, 00 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 0000 08:49:37 GMT",
      "Sun, 06 Nov 1994 25:00:00 GMT", "Sun, 06 Nov 1994 08:60:00 GMT",
      "Sun, 06 Nov 1994 08:49:37:12 GMT", "Sun, 06 Nov 1994 08::37 GMT",
      "Sun, 06 Nov 99999999999999999999 08:49:37 GMT", "Sun, 999999999999 Nov 1994",
      "Sun, -6 Nov 1994 08:49:37 GMT", "Sun Nov  6 08:49:37", "Sun Nov  6 08:49:37 abc",
      "\xff\xfe\x00\x01", "Sun, 06 Nov 19x4 08:49:37 GMT", "Mon, 01 Jan 0001 00:00:00 +0100",
      "Fri, 31 Dec 9999 23:59:59 -1200",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(GMTToLocalDateTime(text), 0);
  }
  EXPECT_EQ(GMTToLocalDateTime(std::string(100000, '9')), 0);
}

// A date converts with the offset in force at that date, not today's.
TEST(LocalDateTimeToHttpStr, UsesTheOffsetOfThatDate) {
  test::ScopedTimeZone zone(test::kCET);
  EXPECT_EQ(LocalDateTimeToHttpStr(EncodeDateTime(2024, 1, 15, 12, 0, 0, 0)),
            "Mon, 15 Jan 2024 11:00:00 GMT");
  EXPECT_EQ(LocalDateTimeToHttpStr(EncodeDateTime(2024, 7, 15, 12, 0, 0, 0)),
            "Mon, 15 Jul 2024 10:00:00 GMT");
  EXPECT_EQ(LocalDateTimeToHttpStr(EncodeDateTime(2024, 1, 1, 0, 30, 0, 0)),
            "Sun, 31 Dec 2023 23:30:00 GMT");
}

TEST(LocalDateTimeToHttpStr, RoundTripsThroughGMTToLocalDateTime) {
  test::ScopedTimeZone zone(test::kCET);
  const TDateTime dates[] = {EncodeDateTime(2024, 1, 15, 12, 0, 0, 0),
                             EncodeDateTime(2024, 7, 15, 23, 59, 59, 0),
                             EncodeDateTime(1850, 3, 1, 1, 2, 3, 0)};
  for (TDateTime local : dates) {
    SCOPED_TRACE(DateTimeToStr(local));
    EXPECT_EQ(DateTimeToStr(GMTToLocalDateTime(LocalDateTimeToHttpStr(local))),
              DateTimeToStr(local));
  }
}

// The zone is read again on every call.
TEST(LocalDateTimeToHttpStr, SeesAChangedTimeZone) {
  test::ScopedTimeZone zone(test::kUTC);
  const TDateTime noon = EncodeDateTime(2024, 1, 15, 12, 0, 0, 0);
  EXPECT_EQ(LocalDateTimeToHttpStr(noon), "Mon, 15 Jan 2024 12:00:00 GMT");
  zone.Set(test::kCET);
  EXPECT_EQ(LocalDateTimeToHttpStr(noon), "Mon, 15 Jan 2024 11:00:00 GMT");
}

TEST(DateTimeToRFC822, NumericZoneOfThatDate) {
  const struct {
    const char* zone;
    TDateTime local;
    const char* text;
  } cases[] = {
      {test::kCET, EncodeDateTime(2024, 7, 1, 12, 5, 9, 0), "Mon, 1 Jul 2024 12:05:09 +0200"},
      {test::kCET, EncodeDateTime(2024, 1, 15, 8, 0, 0, 0), "Mon, 15 Jan 2024 08:00:00 +0100"},
      {test::kNewfoundland, EncodeDateTime(2024, 1, 15, 8, 0, 0, 0),
       "Mon, 15 Jan 2024 08:00:00 -0330"},
      {test::kNewfoundland, EncodeDateTime(2024, 7, 15, 8, 0, 0, 0),
       "Mon, 15 Jul 2024 08:00:00 -0230"},
      {test::kUTC, kSample, "Sun, 6 Nov 1994 08:49:37 +0000"},
  };
  test::ScopedTimeZone zone(test::kUTC);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    zone.Set(c.zone);
    EXPECT_EQ(DateTimeToRFC822(c.local), c.text);
  }
}

TEST(OffsetFromUTC, HoursAndMinutesNegativeWestOfGreenwich) {
  test::ScopedTimeZone zone(test::kUTC);
  EXPECT_EQ(OffsetFromUTC(), 0);
  zone.Set("XST-5:30");
  EXPECT_DOUBLE_EQ(OffsetFromUTC(), 5.5 / 24);
  zone.Set("XST3:30");
  EXPECT_DOUBLE_EQ(OffsetFromUTC(), -3.5 / 24);
}

}  // namespace kx
