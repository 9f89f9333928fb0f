#include "kx/foundation/HttpDates.h"

#include <charconv>
#include <cstdlib>
#include <optional>

#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

const char* const kDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Month names accepted when parsing, upper case; a name in any row gives its
// column's month, "" where a language has no form of its own.
const char* const kMonthTable[][12] = {
    {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"},
    {"", "", "", "", "", "JUNE", "JULY", "", "SEPT", "", "", ""},
    {"", "", "MRZ", "", "MAI", "", "", "", "", "OKT", "", "DEZ"},                 // German
    {"ENO", "FBRO", "MZO", "AB", "", "", "", "AGTO", "SBRE", "OBRE", "NBRE", "DBRE"},  // Spanish
    {"", "", "MRT", "", "MEI", "", "", "", "", "OKT", "", ""},                    // Dutch
    {"JANV", "FÉV", "MARS", "AVR", "MAI", "JUIN", "JUIL", "AOÛ", "SEPT", "", "", "DÉC"},  // French
    {"", "FÉVR", "", "", "", "", "JUI", "AOÛT", "", "", "", ""},                  // French
    {"", "", "", "", "MAJ", "", "", "AVG", "", "", "", ""},                       // Slovenian
};

struct TZoneEntry {
  const char* name;
  const char* offset;
};

// Searched in order; where a name occurs twice the first entry wins.
const TZoneEntry kZones[91] = {
    {"A", "+0100"},     {"ACDT", "+1030"}, {"ACST", "+0930"}, {"ADT", "-0300"},  {"AEDT", "+1100"},
    {"AEST", "+1000"},  {"AKDT", "-0800"}, {"AKST", "-0900"}, {"AST", "-0400"},  {"AWDT", "+0900"},
    {"AWST", "+0800"},  {"B", "+0200"},    {"BST", "+0100"},  {"C", "+0300"},    {"CDT", "+1030"},
    {"CDT", "-0500"},   {"CEDT", "+0200"}, {"CEST", "+0200"}, {"CET", "+0100"},  {"CST", "+1030"},
    {"CST", "+0930"},   {"CST", "-0600"},  {"CXT", "+0700"},  {"D", "+0400"},    {"E", "+0500"},
    {"EDT", "+1100"},   {"EDT", "-0400"},  {"EEDT", "+0300"}, {"EEST", "+0300"}, {"EET", "+0200"},
    {"EST", "+1100"},   {"EST", "+1000"},  {"EST", "-0500"},  {"F", "+0600"},    {"G", "+0700"},
    {"GMT", "+0000"},   {"H", "+0800"},    {"HAA", "-0300"},  {"HAC", "-0500"},  {"HADT", "-0900"},
    {"HAE", "-0400"},   {"HAP", "-0700"},  {"HAR", "-0600"},  {"HAST", "-1000"}, {"HAT", "-0230"},
    {"HAY", "-0800"},   {"HNA", "-0400"},  {"HNC", "-0600"},  {"HNE", "-0500"},  {"HNP", "-0800"},
    {"HNR", "-0700"},   {"HNT", "-0330"},  {"HNY", "-0900"},  {"I", "+0900"},    {"IST", "+0100"},
    {"K", "+1000"},     {"L", "+1100"},    {"M", "+1200"},    {"MDT", "-0600"},  {"MEHSZ", "+0300"},
    {"MESZ", "+0200"},  {"MEZ", "+0100"},  {"MSD", "+0400"},  {"MSK", "+0300"},  {"MST", "-0700"},
    {"N", "-0100"},     {"NDT", "-0230"},  {"NFT", "+1130"},  {"NST", "-0330"},  {"O", "-0200"},
    {"P", "-0300"},     {"PDT", "-0700"},  {"PST", "-0800"},  {"Q", "-0400"},    {"R", "-0500"},
    {"S", "-0600"},     {"T", "-0700"},    {"U", "-0800"},    {"UT", "+0000"},   {"UTC", "+0000"},
    {"V", "-0900"},     {"W", "-1000"},    {"WDT", "+0900"},  {"WEDT", "+0100"}, {"WEST", "+0100"},
    {"WET", "+0000"},   {"WST", "+0900"},  {"WST", "+0800"},  {"X", "-1100"},    {"Y", "-1200"},
    {"Z", "+0000"},
};

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The next blank-separated token of rest, which moves past it; "" at the end.
std::string_view NextToken(std::string_view& rest) {
  std::size_t start = 0;
  while (start < rest.size() && IsBlank(rest[start])) ++start;
  std::size_t end = start;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  const std::string_view token = rest.substr(start, end - start);
  rest.remove_prefix(end);
  return token;
}

// A token of 1 to maxDigits decimal digits.
std::optional<int> Number(std::string_view token, std::size_t maxDigits) {
  if (token.empty() || token.size() > maxDigits) return std::nullopt;
  int value = 0;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (ec != std::errc() || end != token.data() + token.size()) return std::nullopt;
  return value;
}

// 1..12 for an upper-case month name of the table, 0 otherwise.
int MonthOf(std::string_view token) {
  if (token.empty()) return 0;
  for (const auto& row : kMonthTable)
    for (int month = 0; month < 12; ++month)
      if (token == row[month]) return month + 1;
  return 0;
}

// Minutes east of GMT of the zone token: a name of the table (unknown: "-0000")
// or "+hhmm"/"-hhmm"; anything else gives 0.
int ZoneMinutes(std::string_view token) {
  std::string_view offset = token;
  if (offset.empty() || (offset[0] != '+' && offset[0] != '-')) {
    offset = "-0000";
    for (const TZoneEntry& zone : kZones)
      if (token == zone.name) {
        offset = zone.offset;
        break;
      }
  }
  if (offset.size() != 5) return 0;
  const std::optional<int> hours = Number(offset.substr(1, 2), 2);
  const std::optional<int> minutes = Number(offset.substr(3, 2), 2);
  if (!hours || !minutes) return 0;
  const int total = *hours * 60 + *minutes;
  return offset[0] == '-' ? -total : total;
}

// A two-digit year names the year with those digits that lies at most 50 years
// ahead of the current one (as HTTP asks for RFC 850 dates).
int WithCentury(int twoDigits) {
  int y = 0, m = 0, d = 0;
  DecodeDate(NowUTC(), y, m, d);
  int year = y / 100 * 100 + twoDigits;
  if (year > y + 50)
    year -= 100;
  else if (year <= y - 50)
    year += 100;
  return year;
}

// "hh[:nn[:ss]]" with an optional "AM"/"PM" suffix (ampm, when given as its own token).
bool ParseTime(std::string_view token, std::string_view ampm, int& hour, int& minute,
               int& second) {
  if (token.size() > 2 && (token.ends_with("AM") || token.ends_with("PM"))) {
    ampm = token.substr(token.size() - 2);
    token.remove_suffix(2);
  }
  int parts[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    const std::size_t colon = token.find(':');
    const std::optional<int> value = Number(token.substr(0, colon), 2);
    if (!value) return false;
    parts[i] = *value;
    if (colon == std::string_view::npos) {
      token = {};
      break;
    }
    token.remove_prefix(colon + 1);
    if (i == 2) return false;  // a fourth part
  }
  hour = parts[0];
  minute = parts[1];
  second = parts[2];
  if (ampm == "PM" && hour < 12) hour += 12;
  if (ampm == "AM" && hour == 12) hour = 0;
  return true;
}

// The date text as a GMT date-time; false when it does not parse.
bool ParseHttpDate(std::string_view text, TDateTime& gmt) {
  std::string s = AnsiUpperCase(Trim(text));
  if (s.empty()) return false;

  // A leading day name ("SUN", "SUNDAY,", "SUN,06") is dropped.
  static const char* const kUpperDays[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
  for (const char* day : kUpperDays) {
    if (!s.starts_with(day)) continue;
    std::size_t blank = 0;
    while (blank < s.size() && !IsBlank(s[blank])) ++blank;
    // "SUN,06 NOV": a comma inside the first token ends the day name.
    const std::size_t comma = s.find(',');
    if (comma < blank) blank = comma + 1;
    s = Trim(std::string_view(s).substr(blank));
    break;
  }

  // The dashed form "06-NOV-94": its two dashes separate like blanks. Only the
  // first token is touched, so a "-0500" zone keeps its sign.
  {
    std::size_t end = 0;
    while (end < s.size() && !IsBlank(s[end])) ++end;
    const std::size_t first = s.find('-');
    if (first != std::string::npos && first >= 1 && first < end) {
      const std::size_t second = s.find('-', first + 1);
      if (second != std::string::npos && second < end) s[first] = s[second] = ' ';
    }
  }

  std::string_view rest = s;
  int month = 0;
  std::optional<int> day;
  const std::string_view first = NextToken(rest);
  if ((month = MonthOf(first)) != 0) {  // asctime order: month, then day
    day = Number(NextToken(rest), 2);
  } else {
    day = Number(first, 2);
    month = MonthOf(NextToken(rest));
  }
  if (!day || month == 0) return false;

  std::string_view timeToken, ampm;
  std::string_view yearToken = NextToken(rest);
  auto takeAmPm = [&rest, &ampm] {
    std::string_view after = rest;
    const std::string_view token = NextToken(after);
    if (token == "AM" || token == "PM") {
      ampm = token;
      rest = after;
    }
  };
  if (!Number(yearToken, 4)) {  // asctime: the time stands before the year
    timeToken = yearToken;
    takeAmPm();
    yearToken = NextToken(rest);
  } else {
    std::string_view after = rest;
    const std::string_view token = NextToken(after);
    if (!token.empty() && token[0] >= '0' && token[0] <= '9') {
      timeToken = token;
      rest = after;
      takeAmPm();
    }
  }
  std::optional<int> year = Number(yearToken, 4);
  if (!year) return false;
  if (yearToken.size() <= 2) year = WithCentury(*year);

  int hour = 0, minute = 0, second = 0;
  if (!timeToken.empty() && !ParseTime(timeToken, ampm, hour, minute, second)) return false;

  TDateTime value = 0;
  if (!TryEncodeDateTime(*year, month, *day, hour, minute, second, 0, value)) return false;

  // The zone is the last token of what is left.
  std::string_view zone, token;
  while (!(token = NextToken(rest)).empty()) zone = token;
  try {
    gmt = IncMinute(value, -ZoneMinutes(zone));
  } catch (const EConvertError&) {  // pushed outside years 1..9999
    return false;
  }
  return true;
}

}  // namespace

TDateTime OffsetFromUTC() {
  const int minutes = CurrentUTCOffsetSeconds() / 60;
  return double(minutes) / kMinsPerDay;
}

std::string DateTimeGMTToHttpStr(TDateTime gmt) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(gmt, y, mo, d, h, mi, s, ms);
  return Format("%s, %.2d %s %.4d %s %s", kDayNames[DayOfWeek(gmt) - 1], d, kMonthNames[mo - 1], y,
                Format("%.2d:%.2d:%.2d", h, mi, s), "GMT");
}

std::string LocalDateTimeToHttpStr(TDateTime local) {
  return DateTimeGMTToHttpStr(LocalTimeToUTC(local));
}

TDateTime GMTToLocalDateTime(std::string_view text) {
  TDateTime gmt = 0;
  if (!ParseHttpDate(text, gmt)) return 0;
  try {
    return UTCToLocalTime(gmt);
  } catch (const EConvertError&) {  // a GMT date at the very edge of the range
    return 0;
  }
}

std::string DateTimeToRFC822(TDateTime local) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(local, y, mo, d, h, mi, s, ms);
  const int offset = UTCOffsetSecondsAt(local) / 60;
  const int magnitude = std::abs(offset);
  return Format("%s, %d %s %d %.2d:%.2d:%.2d %s%.2d%.2d", kDayNames[DayOfWeek(local) - 1], d,
                kMonthNames[mo - 1], y, h, mi, s, offset < 0 ? "-" : "+", magnitude / 60,
                magnitude % 60);
}

}  // namespace kx
