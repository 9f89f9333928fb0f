// Test helpers for escaping functions: a table of hostile strings, and a reader
// of script (or JSON) string literal bodies that undoes \\ \" \' \/ \b \f \n
// \r \t \xHH and \uHHHH (surrogate pairs joined), so a test can check that an
// escaped value means exactly its input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kx/platform/Utf8.h"

namespace kx::test {

// Texts that try to leave the context they are written into.
inline const std::vector<std::string>& HostileStrings() {
  static const std::vector<std::string> strings = {
      "\"><script>alert(1)</script>",
      "'><img src=x onerror=alert(1)>",
      "</script><script>alert(1)</script>",
      "<!--<script>",
      "\";alert(1);//",
      "');alert(1);('",
      "\\\"",
      "a\r\nSet-Cookie: x=1",
      "line\u2028break\u2029",  // U+2028, U+2029
      "tab\tnul" + std::string(1, '\0') + "bell\x07",
      "&quot;&#39;&lt;",
      "]]><x>",
      "javascript:alert(1)",
      "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80",  // é 中 😀
      "bad\xFF\xC3utf8",  // invalid UTF-8
      "`${alert(1)}`",
  };
  return strings;
}

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

inline char32_t ReadHex(std::string_view s, std::size_t& i, int digits) {
  char32_t value = 0;
  for (int k = 0; k < digits && i < s.size(); ++k) value = value * 16 + static_cast<char32_t>(HexDigit(s[i++]));
  return value;
}

// The value of the literal body s (without its quotes).
inline std::string UnescapeScriptLiteral(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      out += s[i++];
      continue;
    }
    const char e = s[i + 1];
    i += 2;
    switch (e) {
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x': AppendUtf8(out, ReadHex(s, i, 2)); break;
      case 'u': {
        char32_t unit = ReadHex(s, i, 4);
        if (unit >= 0xD800 && unit <= 0xDBFF && s.substr(i, 2) == "\\u") {
          i += 2;
          const char32_t low = ReadHex(s, i, 4);
          unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, unit);
        break;
      }
      default: out += e;  // \\ \" \' \/
    }
  }
  return out;
}

}  // namespace kx::test
