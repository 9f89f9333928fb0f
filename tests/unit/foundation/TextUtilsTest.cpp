#include "kx/foundation/TextUtils.h"

#include <gtest/gtest.h>

#include "support/Raised.h"

namespace kx {

namespace {

using V = std::vector<std::string>;

V Lines(const TStrings& list) {
  V lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

// U+0131 (dotless i, two bytes) upper-cases to the one-byte "I".
const std::string kDotlessI = "\xC4\xB1";

}  // namespace

TEST(Fetch, SplitsAtTheFirstDelimiter) {
  struct Case {
    std::string s, delimiter;
    bool deleteFromS, caseSensitive;
    std::string result, rest;
  } cases[] = {
      {"a=b=c", "=", true, true, "a", "b=c"},
      {"abc", "=", true, true, "abc", ""},
      {"abc", "=", false, true, "abc", "abc"},
      {"a=b", "=", false, true, "a", "a=b"},
      {"abc", "", true, true, "abc", ""},  // an empty delimiter never occurs
      {"", "=", true, true, "", ""},
      {"=x", "=", true, true, "", "x"},
      {"x::y::z", "::", true, true, "x", "y::z"},
      {"oneANDtwo", "and", true, true, "oneANDtwo", ""},
      {"oneANDtwo", "and", true, false, "one", "two"},
      {"a B b", " ", true, false, "a", "B b"},
      {"x" + kDotlessI + "y", "i", true, false, "x", "y"},  // the match is two bytes in s, one in the delimiter
      {"caf\xC3\xA9-ET-CAF\xC3\x89", "-et-", true, false, "caf\xC3\xA9", "CAF\xC3\x89"},
      {"a\xC3\x89Tb", "\xC3\xA9t", true, false, "a", "b"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.s + " / " + c.delimiter);
    std::string s = c.s;
    EXPECT_EQ(Fetch(s, c.delimiter, c.deleteFromS, c.caseSensitive), c.result);
    EXPECT_EQ(s, c.rest);
  }
}

TEST(TString, LeftCountsCharacters) {
  struct Case {
    std::string s;
    int n;
    std::string result;
  } cases[] = {
      {"abcdef", -2, "abcd"}, {"abcdef", 3, "abc"},  {"abcdef", 0, ""},
      {"abcdef", 10, "abcdef"}, {"abcdef", -6, ""},  {"abcdef", -10, ""},
      {"h\xC3\xA9llo", 2, "h\xC3\xA9"},                      // never half of "é"
      {"a\xF0\x9F\x98\x80" "b", -1, "a\xF0\x9F\x98\x80"},  // U+1F600 is one character
      {"", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.s + " " + std::to_string(c.n));
    EXPECT_EQ(TString::Left(c.s, c.n), c.result);
  }
}

TEST(TString, ForceSuffixAndPrefix) {
  std::string s;
  TString::ForceSuffix(s, "/", false);
  EXPECT_EQ(s, "");
  TString::ForceSuffix(s, "/", true);
  EXPECT_EQ(s, "/");
  s = "path";
  TString::ForceSuffix(s, "/", false);
  TString::ForceSuffix(s, "/", false);
  EXPECT_EQ(s, "path/");
  s = "file.HTML";
  TString::ForceSuffix(s, ".html", false);
  EXPECT_EQ(s, "file.HTML");
  s = "caf\xC3\x89";
  TString::ForceSuffix(s, "\xC3\xA9", false);  // "É" ends it ignoring case
  EXPECT_EQ(s, "caf\xC3\x89");
  s = "x" + kDotlessI;
  TString::ForceSuffix(s, "\xB1", false);  // a stray byte never matches inside a character
  EXPECT_EQ(s, "x" + kDotlessI + "\xB1");

  s = "";
  TString::ForcePrefix(s, "/", false);
  EXPECT_EQ(s, "");
  TString::ForcePrefix(s, "/", true);
  EXPECT_EQ(s, "/");
  s = "HTTP://x";
  TString::ForcePrefix(s, "http://", false);
  EXPECT_EQ(s, "HTTP://x");
  s = "x";
  TString::ForcePrefix(s, "http://", false);
  EXPECT_EQ(s, "http://x");
}

TEST(TString, SplitHonoursQuotesAndOnlyTheDelimiter) {
  // A quote opens a quoted item only right after a delimiter (or at the start).
  std::unique_ptr<TStringList> list = TString::SplitToList("a; \"b;c\" ;\"d\"\"e\"; f g ;", ';', false);
  EXPECT_EQ(Lines(*list), (V{"a", " \"b", "c\" ", "d\"e", " f g ", ""}));
  list = TString::SplitToList("a; \"b;c\" ;\"d\"\"e\"; f g ;", ';', true);
  EXPECT_EQ(Lines(*list), (V{"a", "\"b", "c\"", "d\"e", "f g", ""}));
  list = TString::SplitToList("\"a;b\";c", ';', true);
  EXPECT_EQ(Lines(*list), (V{"a;b", "c"}));
  EXPECT_EQ(TString::SplitToList("", ',', true)->Count(), 0);
  EXPECT_EQ(TString::Split("x,\"y,z\",", ','), (V{"x", "y,z", ""}));
  EXPECT_EQ(TString::Split("single", ','), V{"single"});
}

TEST(TString, QuoteDelimited) {
  EXPECT_EQ(TString::QuoteDelimited("a,it's,", ','), "'a','it''s',''");
  EXPECT_EQ(TString::QuoteDelimited("", ','), "");
  EXPECT_EQ(TString::QuoteDelimited("one", ','), "'one'");
}

TEST(TString, ReplaceChars) {
  std::string s = "a:b/c\\d";
  TString::ReplaceChars(s, ":/\\", '_');
  EXPECT_EQ(s, "a_b_c_d");
  s = "d\xC3\xA9j\xC3\xA0";
  TString::ReplaceChars(s, "\xC3\xA9\xC3\xA0", U'e');
  EXPECT_EQ(s, "deje");
  s = "a\xC3\xA9";
  TString::ReplaceChars(s, "\xA9", U'x');  // a stray byte of the set never matches part of a character
  EXPECT_EQ(s, "a\xC3\xA9");
}

TEST(TString, Dequote) {
  struct Case {
    const char* s;
    const char* result;
  } cases[] = {
      {"\"abc\"", "abc"},
      {"\"a \"\"b\"\" c\"", "a \"b\" c"},
      {"\"\"", ""},
      {"abc", "abc"},
      {"\"", "\""},
      {"\"abc", "\"abc"},
      {"abc\"", "abc\""},
      // The platform routine returned "ab" here and dropped the rest; the text is not quoted as a whole.
      {"\"ab\"cd", "\"ab\"cd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.s);
    EXPECT_EQ(TString::Dequote(c.s), c.result);
  }
}

TEST(TString, DequoteSimple) {
  struct Case {
    const char* s;
    const char* result;
  } cases[] = {{"\"a\"", "a"}, {"\"\"", "\"\""}, {"\"\"\"", "\""}, {"\"a", "\"a"}, {"a", "a"}, {"", ""},
               {"\"a\"\"b\"", "a\"\"b"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.s);
    std::string s = c.s;
    TString::DequoteSimple(s);
    EXPECT_EQ(s, c.result);
  }
}

TEST(TString, IndexAndMatchText) {
  StringArray values = {"GET", "Post", "\xC3\xA9t\xC3\xA9"};
  EXPECT_EQ(TString::IndexText("post", values), 1);
  EXPECT_EQ(TString::IndexText("\xC3\x89T\xC3\x89", values), 2);
  EXPECT_EQ(TString::IndexText("PUT", values), -1);
  EXPECT_EQ(TString::IndexText("", {}), -1);
  EXPECT_TRUE(TString::MatchText("get", values));
  EXPECT_FALSE(TString::MatchText("ge", values));
}

TEST(TString, MatchCharAtPos) {
  EXPECT_TRUE(TString::MatchCharAtPos("abc", 1, 'a'));
  EXPECT_TRUE(TString::MatchCharAtPos("abc", 3, 'c'));
  EXPECT_FALSE(TString::MatchCharAtPos("abc", 4, 'c'));
  EXPECT_FALSE(TString::MatchCharAtPos("", 1, 'a'));
  EXPECT_EQ(test::MessageOf([] { TString::MatchCharAtPos("abc", 0, 'a'); }), "Invalid ACharPos");
  EXPECT_THROW(TString::MatchCharAtPos("abc", -3, 'a'), Exception);
}

TEST(TString, SmallTextOperations) {
  EXPECT_EQ(TString::QuoteSpaces("a b"), "'a b'");
  EXPECT_EQ(TString::QuoteSpaces("a\tb"), "a\tb");
  EXPECT_EQ(TString::QuoteSpaces(""), "");
  EXPECT_EQ(TString::RemoveLFCR("a\r\nb\nc\r"), "abc");

  EXPECT_EQ(TString::ExtractBefore("key=value", "="), "key");
  EXPECT_EQ(TString::ExtractBefore("key", "="), "key");
  EXPECT_EQ(TString::ExtractBefore("key", ""), "key");
  EXPECT_EQ(TString::ExtractAfter("key=value", "key"), "value");  // the "=" after the match is skipped
  EXPECT_EQ(TString::ExtractAfter("a=bc", "="), "c");
  EXPECT_EQ(TString::ExtractAfter("a=", "="), "");
  EXPECT_EQ(TString::ExtractAfter("ab\xC3\xA9xy", "b"), "xy");  // skips all of "é"
  EXPECT_EQ(TString::ExtractAfter("abc", "z"), "abc");
  EXPECT_EQ(TString::ExtractAfter("abc", ""), "abc");

  EXPECT_EQ(TString::FirstNonBlankChar("   x", 1), U'x');
  EXPECT_EQ(TString::FirstNonBlankChar("a  b", 2), U'b');
  EXPECT_EQ(TString::FirstNonBlankChar("a  \xC3\xA9", 2), U'\u00E9');
  EXPECT_EQ(TString::FirstNonBlankChar("a\t", 2), U'\t');  // only code 32 is a blank
  EXPECT_EQ(TString::FirstNonBlankChar("    ", 1), 0u);
  EXPECT_EQ(TString::FirstNonBlankChar("ab", 3), 0u);
  EXPECT_EQ(TString::FirstNonBlankChar(" ab", 0), U'a');
}

TEST(TextHelpers, RemoveTrailingChars) {
  std::string s = "path///";
  RemoveTrailingChars(s, '/');
  EXPECT_EQ(s, "path");
  s = "///";
  RemoveTrailingChars(s, '/');
  EXPECT_EQ(s, "");
  s = "/a";
  RemoveTrailingChars(s, '/');
  EXPECT_EQ(s, "/a");
}

TEST(TextHelpers, DecodeLtGt) {
  EXPECT_EQ(DecodeLtGt("&lt;b&gt;x&lt;/b&gt;"), "<b>x</b>");
  EXPECT_EQ(DecodeLtGt("&LT; &amp; &lt &gt"), "&LT; &amp; &lt &gt");
  EXPECT_EQ(DecodeLtGt("&&lt;;"), "&<;");
}

TEST(TextHelpers, EscapeJsonString) {
  EXPECT_EQ(EscapeJsonString("a/b\"c\nd\re\\f"), "a\\/b\\\"c\\nd\\re\\\\f");
  EXPECT_EQ(EscapeJsonString("caf\xC3\xA9 \xF0\x9F\x98\x80"), "caf\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(EscapeJsonString(""), "");
}

// F15: controls and the two line separators made invalid JSON or broke script string literals.
TEST(TextHelpers, EscapeJsonStringEscapesControlsAndLineSeparators) {
  EXPECT_EQ(EscapeJsonString("a\tb\bc\fd"), "a\\tb\\bc\\fd");
  EXPECT_EQ(EscapeJsonString(std::string("\x01\x1F\x00", 3)), "\\u0001\\u001f\\u0000");
  EXPECT_EQ(EscapeJsonString("x\xE2\x80\xA8y\xE2\x80\xA9z"), "x\\u2028y\\u2029z");
  EXPECT_EQ(EscapeJsonString("\xE2\x80\xA6"), "\xE2\x80\xA6");  // U+2026 stays
  EXPECT_EQ(EscapeJsonString("\xE2\x80"), "\xE2\x80");          // a cut sequence is copied
}

// A client's ESC, CSI or bidi override reached the operator's log raw and acted in the terminal that showed it.
TEST(TextHelpers, LogLineTextShowsEveryControlByteAsAnEscape) {
  const std::pair<std::string, std::string> cases[] = {
      {"/\x1b[31mred", "/\\x1b[31mred"},                          // a terminal sequence
      {"a\r\nb", "a\\x0d\\x0ab"},                                // a forged second line
      {std::string("\x00\x01\x1f", 3), "\\x00\\x01\\x1f"},  // NUL and the other C0 bytes
      {"x\x7fy", "x\\x7fy"},                                    // DEL
      {"a\tb \\x1b caf\xC3\xA9 \xE2\x80\xA6", "a\tb \\x1b caf\xC3\xA9 \xE2\x80\xA6"},  // TAB and the rest are copied
      {"\xC2\x9B" "2J \xC2\x85 \xE2\x80\xA8", "\\u009b2J \\u0085 \\u2028"},  // C1 (CSI, NEL), a line separator
      {"a\xE2\x80\xAE" "cba\xE2\x80\xACz\xE2\x81\xA6\xE2\x81\xA9", "a\\u202ecba\\u202cz\\u2066\\u2069"},  // bidi
      {"\xE2\x80\x8E \xE2\x80\x8F \xD8\x9C \xEF\xBB\xBF", "\\u200e \\u200f \\u061c \\ufeff"},  // marks and a BOM
      {"\x9b" "2J \x80 \xC2 \xC0\x9B", "\\x9b2J \\x80 \\xc2 \\xc0\\x9b"},  // bytes of no valid sequence
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(LogLineText(text), expected) << expected;
}

// A 60 MB posted value quoted in a message wrote a 60 MB log line: what a line quotes is cut, its head and tail kept
// around a mark that says how much went, never inside a UTF-8 sequence.
TEST(TextHelpers, LogTextIsCutOnUtf8BoundariesAndSaysHowMuch) {
  const std::string euros = std::string(600, 'a') + std::string(300, '\xE2') + "z";  // lone lead bytes, no sequence
  std::string accents;
  for (int i = 0; i < 200; ++i) accents += "\xC3\xA9";  // 400 bytes of 2-byte sequences
  const struct {
    std::string Text;
    std::size_t Max;
    std::string Head, Tail;  // what the cut text starts and ends with; the whole text when not cut
    std::size_t Cut;         // bytes left out
  } cases[] = {
      {"short", 10, "short", "short", 0},
      {std::string(12, 'x'), 12, std::string(12, 'x'), std::string(12, 'x'), 0},
      {std::string(200, 'h') + std::string(100, 't'), 30, std::string(20, 'h'), std::string(10, 't'), 270},
      {accents, 31, accents.substr(0, 20), accents.substr(390), 400 - 20 - 10},  // a head of 21 would split one
      {euros, 90, std::string(60, 'a'), std::string(29, '\xE2') + "z", 901 - 60 - 30},
      {std::string(100, '\x80'), 30, "", "", 100},  // nothing but continuation bytes: no boundary to keep
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text.substr(0, 20));
    const std::string cut = CutLogText(c.Text, c.Max);
    if (c.Cut == 0) {
      EXPECT_EQ(cut, c.Text);
      continue;
    }
    const std::string mark = " [... " + std::to_string(c.Cut) + " bytes cut ...] ";
    const std::size_t at = cut.find(mark);
    ASSERT_NE(at, std::string::npos) << cut;
    EXPECT_TRUE(cut.starts_with(c.Head)) << cut;
    EXPECT_TRUE(cut.ends_with(c.Tail)) << cut;
    EXPECT_EQ(at + mark.size() + (c.Text.size() - at - c.Cut), cut.size());  // what is not the mark is the text's
    EXPECT_LE(cut.size(), c.Max + mark.size());
    const std::string shown = LogLineText(cut);
    EXPECT_TRUE(shown.find("\\xc3") == std::string::npos && shown.find("\\xa9") == std::string::npos) << shown;
  }
  // A quoted value (a path, a header) keeps a few hundred bytes, inside its quotes.
  const std::string quoted = QuotedLogText(std::string(300'000, '"'));
  EXPECT_LE(quoted.size(), 2 * kMaxQuotedLogValue + 40);
  EXPECT_TRUE(quoted.starts_with("\"\\\"") && quoted.ends_with("\\\"\"")) << quoted;
  EXPECT_NE(quoted.find(" [... " + std::to_string(300'000 - kMaxQuotedLogValue) + " bytes cut ...] "),
            std::string::npos);
}

TEST(KXStringReplace, Cases) {
  struct Case {
    std::string s, oldText, newText;
    TReplaceFlags flags;
    std::string result;
  } cases[] = {
      {"Hello", "L", "x", rfReplaceAll | rfIgnoreCase, "Hexxo"},
      {"Hello", "L", "x", rfIgnoreCase, "Hexlo"},
      {"Hello", "L", "x", rfReplaceAll, "Hello"},
      {"Hello", "l", "x", rfNone, "Hexlo"},
      {"", "a", "b", rfReplaceAll, ""},
      {"abc", "", "x", rfReplaceAll, "abc"},  // an empty old text never matches
      {"aaa", "aa", "b", rfReplaceAll, "ba"},
      {"aaaa", "aa", "a", rfReplaceAll, "aa"},  // no re-scan of the replacement
      {"abab", "ab", "", rfReplaceAll, ""},
      {"x.y.z", ".", "::", rfReplaceAll, "x::y::z"},
      {"a-b-c", "-", "+", rfReplaceAll, "a+b+c"},
      {"\xC3\x89t\xC3\xA9 \xC3\xA9t\xC3\xA9", "\xC3\x89", "e", rfReplaceAll | rfIgnoreCase, "ete ete"},
      {"x" + kDotlessI + "y" + kDotlessI, "I", "-", rfReplaceAll | rfIgnoreCase, "x-y-"},
      {"\xC2\xA9\xA9", "\xA9", "x", rfReplaceAll | rfIgnoreCase, "\xC2\xA9x"},  // never inside "©"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.s + " / " + c.oldText + " / " + std::to_string(c.flags));
    EXPECT_EQ(KXStringReplace(c.s, c.oldText, c.newText, c.flags), c.result);
  }
  EXPECT_EQ(KXStringReplace("aXa", "a", "b"), "bXb");
  EXPECT_EQ(KXStringReplace("aXA", "a", "b"), "bXA");
  EXPECT_EQ(KXTextReplace("aXA", "a", "bb"), "bbXbb");
}

TEST(TextHelpers, ContainsAllAnyNone) {
  std::string s = "The Quick Brown \xC3\x89t\xC3\xA9";
  EXPECT_TRUE(ContainsAll(s, {"quick", "BROWN", "\xC3\xA9t\xC3\xA9"}));
  EXPECT_FALSE(ContainsAll(s, {"quick", "fox"}));
  EXPECT_TRUE(ContainsAll(s, {}));
  EXPECT_FALSE(ContainsAll(s, {""}));  // an empty entry is never contained
  EXPECT_TRUE(ContainsAny(s, {"fox", "the"}));
  EXPECT_FALSE(ContainsAny(s, {"fox", "dog"}));
  EXPECT_FALSE(ContainsAny(s, {}));
  EXPECT_TRUE(ContainsNone(s, {"fox", ""}));
  EXPECT_FALSE(ContainsNone(s, {"fox", "QUICK"}));
  EXPECT_TRUE(ContainsNone(s, {}));
}

TEST(TKXStringList, OrderIsOrdinalNeverLocale) {
  TKXStringList list;
  list.SetSorted(true);
  for (const char* s : {"\xC3\xA9", "B", "a", "_", "Z1"}) list.Add(s);
  // Letters fold to upper case, so "_" (5F) sorts after "Z" (5A); "é" sorts by its bytes, after ASCII.
  EXPECT_EQ(Lines(list), (V{"a", "B", "Z1", "_", "\xC3\xA9"}));
}

TEST(TKXStringList, CaseSensitiveOrderIsByteOrder) {
  TKXStringList list;
  list.SetCaseSensitive(true);
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  for (const char* s : {"\xC3\xA9", "b", "B", "a"}) list.Add(s);
  EXPECT_EQ(Lines(list), (V{"B", "a", "b", "\xC3\xA9"}));
  EXPECT_THROW(list.Add("a"), EStringListError);
  EXPECT_NO_THROW(list.Add("A"));
}

}  // namespace kx
