#include "kx/foundation/HtmlUtils.h"

#include <algorithm>

#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/KXUtils.h"
#include "kx/foundation/TextUtils.h"
#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

constexpr std::string_view kHexLower = "0123456789abcdef";
constexpr std::string_view kHexUpper = "0123456789ABCDEF";

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendReference(std::string& out, char32_t c) {
  out += "&#";
  out += std::to_string(static_cast<std::uint32_t>(c));
  out += ';';
}

// Shared body of TextToHTMLStringLiteral and its Ex form.
std::string HtmlStringLiteral(std::string_view text, bool lineBreaks) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c;
    DecodeUtf8(text, pos, c);  // an invalid sequence gives U+FFFD
    if (c < 0x80 && (IsAsciiAlnum(static_cast<unsigned char>(c)) || c == ',' || c == '-' || c == '.' || c == '_')) {
      out += static_cast<char>(c);
    } else if (lineBreaks && c == '\n') {
      out += "<br>";
    } else if (lineBreaks && c == '\r') {
      // dropped
    } else {
      AppendReference(out, c);
    }
  }
  return out;
}

}  // namespace

std::string ScriptStringText(std::string_view text, bool dropCR) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c;
    DecodeUtf8(text, pos, c);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\x22"; break;
      case '&': out += "\\x26"; break;
      case '\'': out += "\\x27"; break;
      case '<': out += "\\x3C"; break;
      case '>': out += "\\x3E"; break;
      case '\r':
        if (!dropCR) out += "\\r";
        break;
      case '\n': out += "\\n"; break;
      case 0x2028: out += "\\u2028"; break;
      case 0x2029: out += "\\u2029"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x";
          out += kHexUpper[c >> 4];
          out += kHexUpper[c & 0xF];
        } else {
          AppendUtf8(out, c);
        }
    }
  }
  return out;
}

namespace {

// Upper-cases ASCII letters only, so that byte positions stay those of the original.
std::string AsciiUpper(std::string_view s) { return UpperCase(s); }

// The part of upperPage between the ">" ending the first openTag and the next closeTag
// (positions into page). Empty when openTag is missing; raises message when closeTag is.
std::string InnerContent(const std::string& page, const std::string& upperPage, std::string_view openTag,
                         std::string_view closeTag, std::string_view message) {
  const std::size_t open = upperPage.find(openTag);
  if (open == std::string::npos) return {};
  const std::size_t gt = upperPage.find('>', open);
  const std::size_t close = gt == std::string::npos ? std::string::npos : upperPage.find(closeTag, gt + 1);
  EKXException::IfFalse(close != std::string::npos, message);
  return page.substr(gt + 1, close - gt - 1);
}

std::string WholeText(TStream& stream) {
  const std::int64_t position = stream.Position();
  stream.SetPosition(0);
  std::string text = ReadContentsFromStream(stream, stream.Size());
  stream.SetPosition(position);
  return text;
}

}  // namespace

bool ParamIsValid(std::string_view text, int& position) {
  static constexpr std::string_view kTags[] = {"<script", "<embed", "<applet", "<frameset", "<form", "<iframe",
                                               "<meta",   "<layer", "<object", "<img",      "<link", "<div"};
  static constexpr struct {
    std::string_view word;
    char follower;
  } kWords[] = {{"javascript", ':'}, {"href", '='},     {"src", '='},      {"eval", '('},
                {"expression", '('}, {"vbscript", ':'}, {"url", '='},      {"url", '('}};

  const std::string lower = LowerCase(text);
  for (const std::string_view tag : kTags) {
    const std::size_t at = lower.find(tag);
    if (at != std::string::npos) {
      position = static_cast<int>(at + 1);
      return false;
    }
  }
  for (const auto& rule : kWords) {
    for (std::size_t at = lower.find(rule.word); at != std::string::npos; at = lower.find(rule.word, at + 1)) {
      std::size_t next = at + rule.word.size();
      while (next < lower.size() && static_cast<unsigned char>(lower[next]) <= 32) ++next;
      if (next < lower.size() && lower[next] == rule.follower) {
        position = static_cast<int>(at + 1);
        return false;
      }
    }
  }
  position = 0;
  return true;
}

std::string TextToHTMLStringLiteral(std::string_view text) { return HtmlStringLiteral(text, false); }

std::string TextToHTMLStringLiteralEx(std::string_view text) { return HtmlStringLiteral(text, true); }

std::string RemoveCRLF(std::string_view text) { return TString::RemoveLFCR(text); }

std::string StringsToHTML(const TStrings& list) {
  std::string out;
  for (int i = 0; i < list.Count(); ++i) {
    if (i > 0) out += "<br/>";
    out += Trim(list.Strings(i));
  }
  return out;
}

std::string KXHttpEncode(std::string_view text) {
  static constexpr std::string_view kKept = "!$'()*-.@_";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsAsciiAlnum(c) || kKept.find(ch) != std::string_view::npos) {
      out += ch;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHexLower[c >> 4];
      out += kHexLower[c & 0xF];
    }
  }
  return out;
}

std::string KXHttpDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c != '%') {
      out += c;
    } else if (i + 1 < text.size() && text[i + 1] == '%') {
      out += '%';
      ++i;
    } else {
      const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
      const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
      if (high < 0 || low < 0)
        throw Exception(
            Format("Error decoding URL style (%%XX) encoded string at position %d", static_cast<std::int64_t>(i + 1)));
      out += static_cast<char>(high << 4 | low);
      i += 2;
    }
  }
  return SanitizeUtf8(out);
}

std::string KXExtractTagContent(std::string_view text, std::string_view tag) {
  if (tag.empty()) return {};
  const std::string lower = LowerCase(text);
  const std::string open = "<" + LowerCase(tag);
  for (std::size_t at = lower.find(open); at != std::string::npos; at = lower.find(open, at + 1)) {
    const std::size_t after = at + open.size();
    if (after < lower.size() && lower[after] != '>' && lower[after] != '/' &&
        static_cast<unsigned char>(lower[after]) > 32)
      continue;  // a longer tag name
    const std::size_t gt = lower.find('>', after);
    if (gt == std::string::npos) return {};
    const std::size_t close = lower.find("</" + LowerCase(tag) + ">", gt + 1);
    if (close == std::string::npos) return {};
    return std::string(text.substr(gt + 1, close - gt - 1));
  }
  return {};
}

std::size_t LastPos(std::string_view sub, std::string_view text) {
  if (sub.empty()) return 0;
  const std::size_t at = text.rfind(sub);
  return at == std::string_view::npos ? 0 : at + 1;
}

void ValidateDocType(std::string_view docType) {
  if (docType.empty()) return;
  if (!StartsText("<!DOCTYPE", docType))
    throw Exception("Invalid value for DocType property: DocType must start with \"<!DOCTYPE\"");
  if (!docType.ends_with('>')) throw Exception("Invalid value for DocType property: DocType must end with \">\"");
}

bool IsHtml5(std::string_view docType) { return docType.empty() || SameText(docType, "<!DOCTYPE HTML>"); }

std::string HtmlRedirect(std::string_view url, bool replace) {
  return "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<script>" + JsRedirect(url, replace) +
         "</script>\r\n</head></html>";
}

std::string JsRedirect(std::string_view url, bool replace) {
  const std::string literal = ScriptStringText(url);
  return replace ? "window.location.replace(\"" + literal + "\");" : "window.location.href = \"" + literal + "\";";
}

void MergeTemplates(std::unique_ptr<TStream>& page, TStream& outerTemplate) {
  const std::string pageText = page ? WholeText(*page) : std::string();
  const std::string upperPage = AsciiUpper(pageText);
  std::string head = InnerContent(pageText, upperPage, "<HEAD", "</HEAD", "Can't find </HEAD> tag in the template");
  const std::string body =
      InnerContent(pageText, upperPage, "<BODY", "</BODY", "Can't find </BODY> tag in the template");

  const std::string outer = WholeText(outerTemplate);
  const std::string upperOuter = AsciiUpper(outer);
  std::size_t insertAt = upperOuter.find("</HEAD");
  if (insertAt == std::string::npos) {
    head = "<head>\r\n<meta charset=\"utf-8\">" + head + "</HEAD>";
    const std::size_t html = upperOuter.find("<HTML");
    const std::size_t gt = html == std::string::npos ? std::string::npos : upperOuter.find('>', html);
    insertAt = gt == std::string::npos ? 0 : gt + 1;
  }
  std::string rest = outer.substr(insertAt);
  const std::size_t bodyMark = rest.find("$body");
  if (bodyMark != std::string::npos) rest.replace(bodyMark, 5, body);

  const std::string merged = outer.substr(0, insertAt) + head + rest;
  auto result = std::make_unique<TMemoryStream>();
  StreamWrite(*result, merged);
  result->SetPosition(0);
  page = std::move(result);
}

}  // namespace kx
