#include "kx/platform/FormatSettings.h"

#include <cstdio>

namespace kx {

const TFormatSettings& EnglishFormatSettings() {
  static const TFormatSettings settings{
      {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
      {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November",
       "December"},
      {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
      {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}};
  return settings;
}

TFormatSettings& KXFormatSettings() {
  static TFormatSettings settings = EnglishFormatSettings();
  return settings;
}

namespace {

std::string Padded(int value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
  return buffer;
}

// The number of times c repeats from pos on.
std::size_t RunLength(std::string_view text, std::size_t pos) {
  std::size_t end = pos;
  while (end < text.size() && (text[end] | 0x20) == (text[pos] | 0x20)) ++end;
  return end - pos;
}

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings) {
  int year, month, day;
  DecodeDate(value, year, month, day);
  const int weekday = DayOfWeek(value) - 1;
  std::string out;
  std::size_t pos = 0;
  while (pos < format.size()) {
    const char c = format[pos];
    if (c == '"' || c == '\'') {
      const std::size_t close = format.find(c, pos + 1);
      const std::size_t end = close == std::string_view::npos ? format.size() : close;
      out.append(format.substr(pos + 1, end - pos - 1));
      pos = end + 1;
      continue;
    }
    const char lower = char(c | 0x20);
    if (lower != 'y' && lower != 'm' && lower != 'd') {
      out += c;
      ++pos;
      continue;
    }
    const std::size_t run = RunLength(format, pos);
    pos += run;
    if (lower == 'y') {
      out += run <= 2 ? Padded(year % 100, 2) : Padded(year, 4);
    } else if (lower == 'm') {
      if (run >= 4) out += settings.LongMonthNames[std::size_t(month - 1)];
      else if (run == 3) out += settings.ShortMonthNames[std::size_t(month - 1)];
      else out += Padded(month, int(run));
    } else {
      if (run >= 4) out += settings.LongDayNames[std::size_t(weekday)];
      else if (run == 3) out += settings.ShortDayNames[std::size_t(weekday)];
      else out += Padded(day, int(run));
    }
  }
  return out;
}

}  // namespace kx
