// The names a program formats dates with (day and month names, short and long)
// and FormatDateTime over them. English by default; an application that shows
// another language replaces the names once at start-up, before sessions run.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "kx/platform/DateUtils.h"

namespace kx {

struct TFormatSettings {
  // Index 0 is January.
  std::array<std::string, 12> ShortMonthNames;
  std::array<std::string, 12> LongMonthNames;
  // Index 0 is Sunday.
  std::array<std::string, 7> ShortDayNames;
  std::array<std::string, 7> LongDayNames;
};

// "Jan" .. "December", "Sun" .. "Saturday".
const TFormatSettings& EnglishFormatSettings();
// The process's settings, English until the application changes them; read by
// the controls at every render, written only at start-up.
TFormatSettings& KXFormatSettings();

// value written after format: "yyyy" the year in four digits, "yy" in two;
// "mmmm" the long month name, "mmm" the short one, "mm" the month in two
// digits, "m" without a leading zero; "dddd", "ddd", "dd", "d" likewise for the
// day (names by weekday). Text between double or single quotes is copied
// without the quotes; every other character as it is.
std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings = KXFormatSettings());

}  // namespace kx
