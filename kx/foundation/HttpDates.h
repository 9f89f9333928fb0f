// Date texts of HTTP headers: writing Last-Modified, Expires and Date values,
// reading If-Modified-Since back into local time, and the RFC 822 form with a
// numeric zone. Local time is the process time zone, re-read on every call.
#pragma once

#include <string>
#include <string_view>

#include "kx/platform/DateUtils.h"

namespace kx {

// The local offset from UTC in force now, as a date-time fraction (hours and
// minutes); negative west of Greenwich.
TDateTime OffsetFromUTC();

// "Sun, 06 Nov 1994 08:49:37 GMT" of a date-time that is already in GMT.
std::string DateTimeGMTToHttpStr(TDateTime gmt);
// The same text of a local date-time, converted with the offset in force at
// that date (a winter date written in summer still gets its winter offset).
std::string LocalDateTimeToHttpStr(TDateTime local);

// Parses an HTTP date (RFC 1123, RFC 850 or asctime; month names in several
// languages, zone names or "+hhmm") and returns it as local time. The empty
// text, and any text that does not parse to a valid date, give 0: a client's
// malformed If-Modified-Since is ignored, never an error.
TDateTime GMTToLocalDateTime(std::string_view text);

// "Sun, 6 Nov 1994 08:49:37 +0100": a local date-time with the offset in force at that date.
std::string DateTimeToRFC822(TDateTime local);

}  // namespace kx
