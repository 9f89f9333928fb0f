#include "kx/platform/SysUtils.h"

#include <gtest/gtest.h>

#include "kx/platform/Classes.h"
#include "kx/platform/Utf8.h"

#include "support/Raised.h"

namespace kx {

TEST(Format, MessagePatterns) {
  EXPECT_EQ(Format("%s, %.2d %s %.4d", "Sun", 6, "Nov", 1994), "Sun, 06 Nov 1994");
  EXPECT_EQ(Format("%x", 255), "FF");
  EXPECT_EQ(Format("%.8x", 0x1A), "0000001A");
  EXPECT_EQ(Format("%x", -1), "FFFFFFFF");
  EXPECT_EQ(Format("%d%%", -5), "-5%");
  EXPECT_EQ(Format("%.3d", -5), "-005");
  EXPECT_EQ(Format("[%5s|%-5s]", "ab", "cd"), "[   ab|cd   ]");
  EXPECT_EQ(Format("%1:s %0:s", "a", "b"), "b a");
  EXPECT_EQ(Format("%.2f", 3.14159), "3.14");
  EXPECT_EQ(Format("&#%d;", 128512), "&#128512;");
}

TEST(Format, MismatchedOrMissingArgumentRaises) {
  EXPECT_THROW(Format("%d", "text"), EConvertError);
  EXPECT_THROW(Format("%s", 5), EConvertError);
  EXPECT_THROW(Format("%s %s", "one"), EConvertError);
  EXPECT_THROW(Format("%q", 1), EConvertError);
}

TEST(Numbers, ParseAndPrintWithoutLocale) {
  EXPECT_EQ(StrToInt(" 42 "), 42);
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt64("9000000000"), 9000000000LL);
  EXPECT_EQ(StrToIntDef("x", 3), 3);
  EXPECT_THROW(StrToInt("12a"), EConvertError);
  EXPECT_THROW(StrToInt("99999999999"), EConvertError);
  EXPECT_EQ(test::MessageOf<EConvertError>([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
  EXPECT_EQ(FloatToStr(45678.541666666666), "45678.5416666667");
  EXPECT_EQ(FloatToStr(0.5), "0.5");
  EXPECT_EQ(FloatToStr(-1), "-1");
  EXPECT_DOUBLE_EQ(StrToFloat("2.25"), 2.25);
  EXPECT_THROW(StrToFloat("2,25"), EConvertError);
  EXPECT_EQ(IntToHex(0xAB, 4), "00AB");
}

TEST(Texts, PositionsAreOneBasedAndClamped) {
  EXPECT_EQ(Pos("b", "abc"), 2u);
  EXPECT_EQ(Pos("", "abc"), 0u);  // an empty text is never found
  EXPECT_EQ(Pos("a", "aba", 2), 3u);
  EXPECT_EQ(Copy("abcdef", 5, 10), "ef");
  EXPECT_EQ(Copy("abc", 0, 2), "ab");
  EXPECT_EQ(Copy("abc", 9, 2), "");
  std::string s = "abcdef";
  Delete(s, 2, 2);
  EXPECT_EQ(s, "adef");
  EXPECT_EQ(Trim("\t a b \r\n"), "a b");
  EXPECT_TRUE(SameText("Content-Type", "content-TYPE"));
  EXPECT_TRUE(ContainsText("Hello World", "WORLD"));
  EXPECT_FALSE(ContainsText("Hello", ""));
}

TEST(Utf8, InvalidInputBecomesReplacementCharacter) {
  EXPECT_EQ(Utf8ToCodePoints("a\xF0\x9F\x98\x80"), (std::u32string{U'a', 0x1F600}));
  EXPECT_EQ(Utf8ToCodePoints("\xC3"), std::u32string{kReplacementChar});           // truncated
  EXPECT_EQ(Utf8ToCodePoints("\xC0\xAF"), (std::u32string{0xFFFD, 0xFFFD}));       // overlong
  EXPECT_EQ(Utf8ToCodePoints("\xED\xA0\x80"), (std::u32string{0xFFFD, 0xFFFD, 0xFFFD}));  // surrogate
  EXPECT_EQ(Utf8Length("h\xC3\xA9\xF0\x9F\x98\x80"), 3u);
  EXPECT_FALSE(IsValidUtf8("\xFF"));
  EXPECT_EQ(SanitizeUtf8("a\xFF"), "a\xEF\xBF\xBD");
  EXPECT_EQ(CodePointsToUtf8(std::u32string{0xD800}), "\xEF\xBF\xBD");
}

TEST(Utf8, Latin1AndCaseMapping) {
  EXPECT_EQ(Utf8ToLatin1("\xC3\xA9\xE4\xB8\xAD"), "\xE9?");
  EXPECT_EQ(Latin1ToUtf8("\xE9"), "\xC3\xA9");
  EXPECT_EQ(AnsiUpperCase("f\xC3\xA9v"), "F\xC3\x89V");
  EXPECT_EQ(AnsiUpperCase("stra\xC3\x9F" "e"), "STRA\xC3\x9F" "E");  // one to one
  EXPECT_TRUE(AnsiSameText("AO\xC3\x9BT", "ao\xC3\xBBt"));
}

namespace {
class TPoint : public TPersistent {
 public:
  int x = 0;

 protected:
  void AssignTo(TPersistent* dest) const override {
    if (auto* p = dynamic_cast<TPoint*>(dest)) p->x = x;
    else TPersistent::AssignTo(dest);
  }
};
class TOther : public TPersistent {};
}  // namespace

TEST(TPersistent, AssignCopiesOrNamesBothClasses) {
  TPoint a, b;
  a.x = 4;
  b.Assign(&a);
  EXPECT_EQ(b.x, 4);
  TOther other;
  EXPECT_EQ(test::MessageOf<EConvertError>([&] { other.Assign(&a); }), "Cannot assign a TPoint to a TOther.");
  EXPECT_THROW(other.Assign(nullptr), EConvertError);
}

}  // namespace kx
