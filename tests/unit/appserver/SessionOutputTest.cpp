#include "kx/appserver/SessionOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "kx/platform/Utf8.h"
#include "tests/support/Escaping.h"

namespace kx {
namespace {

TEST(NewWindowFeatures, ListsFlagsThenKnownSizes) {
  struct Case {
    int height, width;
    TKXWindowOptions options;
    int top, left;
    std::string expected;
  };
  const Case cases[] = {
      {-1, -1, {woDefault}, -1, -1, ""},
      {300, 400, {woDefault, woButtons}, -1, -1, "height=300,width=400"},
      {-1, -1, {}, -1, -1,
       "directories=no,status=no,menubar=no,scrollbars=no,resizable=no,copyhistory=no,fullscreen=no"},
      {200, -1, {woButtons, woScrollBars, woFullScreen}, 0, 15,
       "directories=yes,status=no,menubar=no,scrollbars=yes,resizable=no,copyhistory=no,fullscreen=yes,"
       "height=200,top=0,left=15"},
      {-1, -1, {woStatusBar, woMenuBar, woResizable, woCopyHistory, woDetectBlock}, -1, -1,
       "directories=no,status=yes,menubar=yes,scrollbars=no,resizable=yes,copyhistory=yes,fullscreen=no"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(NewWindowFeatures(c.height, c.width, c.options, c.top, c.left), c.expected);
  }
}

TEST(NewWindowScript, WithoutFeaturesOpensPlainWindow) {
  EXPECT_EQ(NewWindowScript("page.html", "", -1, -1, {woDefault}, -1, -1),
            "var xWin = window.open(\"page.html\",\"\");if (xWin && xWin.focus) {xWin.focus()};");
  EXPECT_EQ(NewWindowScript("a.html", "w1", 100, 200, {woDefault}, -1, -1),
            "var xWin = window.open(\"a.html\",\"w1\",\"height=100,width=200\");"
            "if (xWin && xWin.focus) {xWin.focus()};");
}

TEST(NewWindowScript, DetectBlockAddsCheckAfterFocus) {
  const std::string script = NewWindowScript("x", "n", -1, -1, {woDefault, woDetectBlock}, -1, -1);
  EXPECT_EQ(script,
            "var xWin = window.open(\"x\",\"n\");if (xWin && xWin.focus) {xWin.focus()};"
            "setTimeout(function(){isWndBlocked(xWin, \"Popup is blocked. Please disable popup blocker to "
            "continue.\")}, 1000);");
}

// F10: a URL or window name from the client cannot close its string, the
// statement or the script element.
TEST(NewWindowScript, HostileStringsMeanExactlyThemselves) {
  const std::string prefix = "var xWin = window.open(\"";
  for (const std::string& text : test::HostileStrings()) {
    SCOPED_TRACE(text);
    const std::string script = NewWindowScript(text, text, -1, -1, {woDefault}, -1, -1);
    ASSERT_TRUE(script.starts_with(prefix));
    const std::size_t end = script.find('"', prefix.size());
    ASSERT_EQ(script.compare(end, 3, "\",\""), 0);
    EXPECT_EQ(test::UnescapeScriptLiteral(script.substr(prefix.size(), end - prefix.size())), SanitizeUtf8(text));
    EXPECT_EQ(script.find("</"), std::string::npos);
    EXPECT_EQ(script.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
  }
}

TEST(ContentDispositionValue, AccentsAndBlanksGetPlainAndEncodedNames) {
  EXPECT_EQ(ContentDispositionValue("R\xC3\xA9sum\xC3\xA9 final.pdf", true),
            "attachment; filename=\"R_sum_ final.pdf\"; filename*=UTF-8''R%C3%A9sum%C3%A9%20final.pdf");
  EXPECT_EQ(ContentDispositionValue("report.pdf", false),
            "inline; filename=\"report.pdf\"; filename*=UTF-8''report.pdf");
}

// F11: a file name (often an upload's client name) can neither split the
// header nor end its quoted string, and filename* holds only RFC 5987 characters.
TEST(ContentDispositionValue, HostileNamesAreSanitised) {
  EXPECT_EQ(ContentDispositionValue("evil\"\r\nSet-Cookie: a=b;\\100%.pdf", true),
            "attachment; filename=\"evil_Set-Cookie: a=b;_100_.pdf\"; "
            "filename*=UTF-8''evil%22Set-Cookie%3A%20a%3Db%3B%5C100%25.pdf");
  EXPECT_EQ(ContentDispositionValue("\xF0\x9F\x98\x80\xFF\x7F\xC2\x85.png", true),
            "attachment; filename=\"__.png\"; filename*=UTF-8''%F0%9F%98%80%EF%BF%BD.png");
}

TEST(ContentDispositionValue, HostileStringsStayInTheirParameters) {
  const std::string quoted = "attachment; filename=\"";
  const std::string extended = "\"; filename*=UTF-8''";
  for (const std::string& text : test::HostileStrings()) {
    SCOPED_TRACE(text);
    const std::string value = ContentDispositionValue(text, true);
    for (unsigned char c : value) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << int(c);
    ASSERT_TRUE(value.starts_with(quoted));
    const std::size_t end = value.find(extended);
    ASSERT_NE(end, std::string::npos);
    const std::string name = value.substr(quoted.size(), end - quoted.size());
    EXPECT_EQ(name.find_first_of("\"\\"), std::string::npos);
    // filename* decodes to the name, control characters removed.
    std::string decoded;
    const std::string encoded = value.substr(end + extended.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
      const char c = encoded[i];
      if (c == '%') {
        decoded += char(test::HexDigit(encoded[i + 1]) * 16 + test::HexDigit(encoded[i + 2]));
        i += 2;
      } else {
        EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) ||
                    std::string_view("!#$&+-.^_`|~").find(c) != std::string_view::npos)
            << c;
        decoded += c;
      }
    }
    EXPECT_EQ(decoded, DownloadFileName(text));
  }
}

TEST(AndroidContentDispositionValue, UpperCasesTheExtension) {
  EXPECT_EQ(AndroidContentDispositionValue("report.pdf"), "attachment; filename=\"report.PDF\"");
  EXPECT_EQ(AndroidContentDispositionValue("a.tar.gz"), "attachment; filename=\"a.tar.GZ\"");
  EXPECT_EQ(AndroidContentDispositionValue("README"), "attachment; filename=\"README\"");
  EXPECT_EQ(AndroidContentDispositionValue("x\"\r\n.pdf"), "attachment; filename=\"x_.PDF\"");
}

TEST(DownloadContentType, NeverEmptyAndAlwaysWithCharset) {
  EXPECT_EQ(DownloadContentType(""), "application/unknown; charset=UTF-8");
  EXPECT_EQ(DownloadContentType("  "), "application/unknown; charset=UTF-8");
  EXPECT_EQ(DownloadContentType(" text/plain "), "text/plain; charset=UTF-8");
  EXPECT_EQ(DownloadContentType("application/octet-stream"), "application/octet-stream; charset=UTF-8");
  EXPECT_EQ(DownloadContentType("text/html; Charset=ISO-8859-1"), "text/html; Charset=ISO-8859-1");
}

}  // namespace
}  // namespace kx
