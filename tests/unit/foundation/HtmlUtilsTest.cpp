#include "kx/foundation/HtmlUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "kx/foundation/KXExceptions.h"
#include "kx/platform/Streams.h"
#include "kx/platform/Utf8.h"
#include "support/Escaping.h"
#include "support/Raised.h"

namespace kx {

namespace {

using namespace std::string_view_literals;

using test::MessageOf;

std::unique_ptr<TStream> StreamOf(std::string_view text) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  return stream;
}

std::string TextOf(TStream& stream) {
  std::string text(static_cast<std::size_t>(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.ReadBuffer(text.data(), stream.Size());
  return text;
}

// Merges page into outer and returns the merged text.
std::string Merge(std::string_view page, std::string_view outer) {
  std::unique_ptr<TStream> pageStream = StreamOf(page);
  const auto outerStream = StreamOf(outer);
  MergeTemplates(pageStream, *outerStream);
  EXPECT_EQ(pageStream->Position(), 0);
  return TextOf(*pageStream);
}

// The body of the string literal in a redirect statement.
std::string LiteralOf(const std::string& statement) {
  const std::size_t open = statement.find('"');
  const std::size_t close = statement.rfind('"');
  return statement.substr(open + 1, close - open - 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// ParamIsValid

TEST(ParamIsValid, Cases) {
  const struct {
    std::string text;
    bool valid;
    int position;
  } cases[] = {
      {"<SCRIPT>alert(1)</SCRIPT>", false, 1},
      {"x=<iframe src=a>", false, 3},
      {"<div><script>", false, 6},            // "<script" comes first in the list
      {"\xC3\xA9<img src=x>", false, 3},      // byte positions
      {"javascript :alert(1)", false, 1},
      {"href  =x", false, 1},
      {"hrefx=1", true, 0},
      {"see the url of the page", true, 0},
      {"url(", false, 1},
      {"a url =", false, 3},
      {"EVAL (x)", false, 1},
      {"expression\t(", false, 1},
      {"VBScript:", false, 1},
      // Every occurrence counts, and any white space before the character.
      {"javascript javascript:", false, 12},
      {"href\t=", false, 1},
      {"href\r\n=", false, 1},
      {"src src=", false, 5},
      {"name=value&other=1", true, 0},
      {"", true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int position = -1;
    EXPECT_EQ(ParamIsValid(c.text, position), c.valid);
    EXPECT_EQ(position, c.position);
  }
}

// ---------------------------------------------------------------------------
// TextToHTMLStringLiteral

TEST(TextToHTMLStringLiteral, Cases) {
  const struct {
    std::string text, expected;
  } cases[] = {
      {"a<b", "a&#60;b"},
      {"\xE4\xB8\xAD", "&#20013;"},           // U+4E2D: one reference
      {"\xF0\x9F\x98\x80", "&#128512;"},      // U+1F600: one reference, not two halves
      {"\xF0\x9F\x99\x81", "&#128577;"},      // U+1F641, whose low byte is "A"
      {"\xC5\x81", "&#321;"},                 // U+0141, whose low byte is "A"
      {"Az09,-._", "Az09,-._"},
      {"a b", "a&#32;b"},
      {"\"'&", "&#34;&#39;&#38;"},
      {"\r\n", "&#13;&#10;"},
      {"\xFF", "&#65533;"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TextToHTMLStringLiteral(c.text), c.expected);
  }
}

TEST(TextToHTMLStringLiteralEx, TurnsLineFeedsIntoBreaksAndDropsCarriageReturns) {
  EXPECT_EQ(TextToHTMLStringLiteralEx("a\r\nb"), "a<br>b");
  EXPECT_EQ(TextToHTMLStringLiteralEx("<\n\n"), "&#60;<br><br>");
  EXPECT_EQ(TextToHTMLStringLiteralEx("x\ry"), "xy");
  EXPECT_EQ(TextToHTMLStringLiteralEx("\xF0\x9F\x98\x80 "), "&#128512;&#32;");
}

TEST(TextToHTMLStringLiteral, HostileStringsYieldOnlyInertCharacters) {
  const auto inert = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ',' || c == '-' ||
           c == '.' || c == '_' || c == '&' || c == '#' || c == ';';
  };
  for (const std::string& s : test::HostileStrings()) {
    SCOPED_TRACE(s);
    for (const char c : TextToHTMLStringLiteral(s)) EXPECT_TRUE(inert(c)) << int(c);
    std::string ex = TextToHTMLStringLiteralEx(s);
    for (std::size_t at; (at = ex.find("<br>")) != std::string::npos;) ex.erase(at, 4);
    for (const char c : ex) EXPECT_TRUE(inert(c)) << int(c);
  }
}

// ---------------------------------------------------------------------------
// Small text helpers

TEST(HtmlText, KXExtractTagContent) {
  EXPECT_EQ(KXExtractTagContent("<html><Head a=\"1\">x<b>y</b></HEAD></html>", "head"), "x<b>y</b>");
  EXPECT_EQ(KXExtractTagContent("<body><b>y</b></body>", "b"), "y");  // not "<body"
  EXPECT_EQ(KXExtractTagContent("<br/><b>z</b>", "br"), "");          // no "</br>"
  EXPECT_EQ(KXExtractTagContent("<title>t</title>", "head"), "");
  EXPECT_EQ(KXExtractTagContent("<head>unclosed", "head"), "");
  EXPECT_EQ(KXExtractTagContent("<head", "head"), "");
}

TEST(HtmlText, ValidateDocTypeAndIsHtml5) {
  EXPECT_NO_THROW(ValidateDocType(""));
  EXPECT_NO_THROW(ValidateDocType("<!doctype html>"));
  EXPECT_NO_THROW(ValidateDocType("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">"));
  EXPECT_EQ(MessageOf([] { ValidateDocType("<html>"); }),
            "Invalid value for DocType property: DocType must start with \"<!DOCTYPE\"");
  EXPECT_EQ(MessageOf([] { ValidateDocType("<!DOCTYPE html"); }),
            "Invalid value for DocType property: DocType must end with \">\"");

  EXPECT_TRUE(IsHtml5(""));
  EXPECT_TRUE(IsHtml5("<!DOCTYPE HTML>"));
  EXPECT_TRUE(IsHtml5("<!doctype html>"));
  EXPECT_FALSE(IsHtml5("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">"));
}

// ---------------------------------------------------------------------------
// KXHttpEncode / KXHttpDecode

TEST(KXHttpEncode, Cases) {
  EXPECT_EQ(KXHttpEncode("a b&c"), "a+b%26c");
  EXPECT_EQ(KXHttpEncode("\xC3\xA9"), "%c3%a9");
  EXPECT_EQ(KXHttpEncode("!$'()*-.@_Az09"), "!$'()*-.@_Az09");
  EXPECT_EQ(KXHttpEncode("+%/=?#\"<>\r\n"), "%2b%25%2f%3d%3f%23%22%3c%3e%0d%0a");
  EXPECT_EQ(KXHttpEncode(std::string(1, '\0')), "%00");
}

TEST(KXHttpDecode, Cases) {
  const struct {
    std::string text, expected;
  } cases[] = {
      {"a+b%26c", "a b&c"}, {"%%", "%"},          {"100%%+", "100% "},     {"%41%4a%4A", "AJJ"},
      {"%c3%a9", "\xC3\xA9"}, {"%C3%A9", "\xC3\xA9"}, {"", ""},
      {"%ff", "\xEF\xBF\xBD"},          // not UTF-8: U+FFFD, never the raw byte
      {"%c3", "\xEF\xBF\xBD"},          // a cut sequence
      {"a%c0%afb", "a\xEF\xBF\xBD\xEF\xBF\xBD" "b"},  // an overlong "/"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(KXHttpDecode(c.text), c.expected);
  }
}

TEST(KXHttpDecode, MalformedEscapeRaisesWithItsPosition) {
  const struct {
    std::string text;
    int position;
  } cases[] = {{"%4", 1}, {"ab%", 3}, {"%zz", 1}, {"a%4g", 2}, {"%%%", 3}, {"%4%", 1}, {"% 41", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(MessageOf([&] { KXHttpDecode(c.text); }),
              "Error decoding URL style (%XX) encoded string at position " + std::to_string(c.position));
  }
}

TEST(KXHttpEncode, HostileStringsAreFullyEncodedAndComeBack) {
  const std::string_view allowed =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!$'()*-.@_+%";
  for (const std::string& s : test::HostileStrings()) {
    SCOPED_TRACE(s);
    const std::string encoded = KXHttpEncode(s);
    EXPECT_EQ(encoded.find_first_not_of(allowed), std::string::npos);
    EXPECT_EQ(KXHttpDecode(encoded), SanitizeUtf8(s));
  }
}

// ---------------------------------------------------------------------------
// Redirects

TEST(HtmlRedirect, ExactPage) {
  EXPECT_EQ(HtmlRedirect("/app/$/start", true),
            "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<script>window.location.replace(\"/app/$/start\");"
            "</script>\r\n</head></html>");
  EXPECT_EQ(HtmlRedirect("http://host/x", false),
            "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<script>window.location.href = \"http://host/x\";"
            "</script>\r\n</head></html>");
}

TEST(JsRedirect, Statements) {
  EXPECT_EQ(JsRedirect("/a/b", true), "window.location.replace(\"/a/b\");");
  EXPECT_EQ(JsRedirect("/a/b", false), "window.location.href = \"/a/b\";");
  EXPECT_EQ(JsRedirect("/a?x=1&y='2'", false), "window.location.href = \"/a?x=1\\x26y=\\x272\\x27\";");
  EXPECT_EQ(JsRedirect("\"</script>\\", true), "window.location.replace(\"\\x22\\x3C/script\\x3E\\\\\");");
}

TEST(JsRedirect, HostileUrlsStayInsideTheLiteralAndKeepTheirValue) {
  for (const std::string& url : test::HostileStrings()) {
    SCOPED_TRACE(url);
    for (const bool replace : {true, false}) {
      const std::string statement = JsRedirect(url, replace);
      const std::string literal = LiteralOf(statement);
      EXPECT_EQ(literal.find_first_of("\"'&<\r\n"), std::string::npos);
      for (const char c : literal) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << int(c);
      EXPECT_EQ(literal.find("\xE2\x80\xA8"), std::string::npos);
      EXPECT_EQ(literal.find("\xE2\x80\xA9"), std::string::npos);
      EXPECT_TRUE(IsValidUtf8(literal));
      EXPECT_EQ(test::UnescapeScriptLiteral(literal), SanitizeUtf8(url));
      EXPECT_NE(HtmlRedirect(url, replace).find("<script>" + statement + "</script>"), std::string::npos);
    }
  }
}

// ---------------------------------------------------------------------------
// MergeTemplates

TEST(MergeTemplates, PlacesHeadAndBodyIntoTheTemplate) {
  const struct {
    const char *page, *outer, *merged;
  } cases[] = {
      {"<html><Head><title>T</title></head><body class=\"x\"><p>B</p></BODY></html>",
       "<HTML><head><style></style></HEAD><div>$body</div>$body</html>",
       "<HTML><head><style></style><title>T</title></HEAD><div><p>B</p></div>$body</html>"},
      // A page without a body merges an empty body.
      {"<head>H</head>", "<html><head></head>[$body]</html>", "<html><head>H</head>[]</html>"},
      {"", "<html><head></head>[$body]</html>", "<html><head></head>[]</html>"},
      // Neither "</HEAD" nor "<HTML" in the template: the head block goes at the very start.
      {"<head>H</head><body>B</body>", "<p>$body</p>", "<head>\r\n<meta charset=\"utf-8\">H</HEAD><p>B</p>"},
      // "<HTML" without "</HEAD": right after the ">" of "<HTML".
      {"<body>B</body>", "<html lang=\"en\"><p>$body</p></html>",
       "<html lang=\"en\"><head>\r\n<meta charset=\"utf-8\"></HEAD><p>B</p></html>"},
      // The body mark is case sensitive and sought from the head on.
      {"<body>B</body>", "$body<html><head></head>$BODY $body</html>", "$body<html><head></head>$BODY B</html>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outer);
    EXPECT_EQ(Merge(c.page, c.outer), c.merged);
  }
}

TEST(MergeTemplates, MissingClosingTagsRaiseAndLeaveThePage) {
  const struct {
    std::string page, message;
  } cases[] = {
      {"<head><title>x</title><body>B</body>", "Can't find </HEAD> tag in the template"},
      {"<head>", "Can't find </HEAD> tag in the template"},
      {"<head></head><body>B", "Can't find </BODY> tag in the template"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    std::unique_ptr<TStream> page = StreamOf(c.page);
    TStream* const before = page.get();
    const auto outer = StreamOf("<html><head></head>$body</html>");
    EXPECT_EQ(MessageOf<EKXException>([&] { MergeTemplates(page, *outer); }), c.message);
    EXPECT_EQ(page.get(), before);
    EXPECT_EQ(TextOf(*page), c.page);
  }
}

TEST(MergeTemplates, ReadsByteOrderMarksAndKeepsTheTemplatePosition) {
  std::unique_ptr<TStream> page = StreamOf("\xEF\xBB\xBF<body>\xC3\xA9</body>");
  const auto outer = StreamOf("\xFF\xFE<\0h\0e\0a\0d\0>\0<\0/\0h\0e\0a\0d\0>\0$\0b\0o\0d\0y\0"sv);
  outer->SetPosition(3);
  MergeTemplates(page, *outer);
  EXPECT_EQ(TextOf(*page), "<head></head>\xC3\xA9");
  EXPECT_EQ(outer->Position(), 3);
}

}  // namespace kx
