#include "kx/platform/FormatSettings.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(FormatDateTime, NamesAndNumbers) {
  const TDateTime date = EncodeDate(2024, 2, 29);  // a Thursday
  struct Case {
    const char* format;
    const char* expected;
  } cases[] = {
      {"mmmm", "February"},     {"yyyy", "2024"},  {"mmmm yyyy", "February 2024"}, {"mmm", "Feb"},
      {"dddd", "Thursday"},     {"ddd", "Thu"},    {"dd/mm/yy", "29/02/24"},        {"d.m.", "29.2."},
      {"'mm' mm", "mm 02"},     {"\"d\"", "d"},    {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(FormatDateTime(c.format, date, EnglishFormatSettings()), c.expected);
  }
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd", EncodeDate(1, 1, 1), EnglishFormatSettings()), "0001-01-01");
}

TEST(FormatDateTime, UsesTheGivenNames) {
  TFormatSettings german = EnglishFormatSettings();
  german.LongMonthNames[2] = "M\xC3\xA4rz";
  EXPECT_EQ(FormatDateTime("mmmm", EncodeDate(2025, 3, 2), german), "M\xC3\xA4rz");
}

}  // namespace
}  // namespace kx
