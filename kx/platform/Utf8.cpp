#include "kx/platform/Utf8.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace kx {

bool DecodeUtf8(std::string_view s, std::size_t& pos, char32_t& codePoint) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char lead = byte(pos);
  int extra;
  char32_t value;
  char32_t minimum;
  if (lead < 0x80) {
    codePoint = lead;
    ++pos;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, minimum = 0x10000;
  } else {
    codePoint = kReplacementChar;
    ++pos;
    return false;
  }
  if (pos + std::size_t(extra) >= s.size()) {
    codePoint = kReplacementChar;
    ++pos;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    unsigned char b = byte(pos + std::size_t(k));
    if ((b & 0xC0) != 0x80) {
      codePoint = kReplacementChar;
      ++pos;
      return false;
    }
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    codePoint = kReplacementChar;
    ++pos;
    return false;
  }
  codePoint = value;
  pos += std::size_t(extra) + 1;
  return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementChar;
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

std::u32string Utf8ToCodePoints(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t pos = 0; pos < s.size();) {
    char32_t cp;
    DecodeUtf8(s, pos, cp);
    out += cp;
  }
  return out;
}

std::string CodePointsToUtf8(std::u32string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char32_t cp : s) AppendUtf8(out, cp);
  return out;
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t pos = 0; pos < s.size();) {
    char32_t cp;
    if (!DecodeUtf8(s, pos, cp)) return false;
  }
  return true;
}

std::string SanitizeUtf8(std::string_view s) {
  if (IsValidUtf8(s)) return std::string(s);
  return CodePointsToUtf8(Utf8ToCodePoints(s));
}

std::size_t Utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < s.size(); ++n) {
    char32_t cp;
    DecodeUtf8(s, pos, cp);
  }
  return n;
}

std::string Utf8ToLatin1(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char32_t cp : Utf8ToCodePoints(s)) out += cp <= 0xFF ? char(cp) : '?';
  return out;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char b : bytes) AppendUtf8(out, b);
  return out;
}

namespace {

// The C.UTF-8 locale gives wide-character case mapping without touching the
// process locale.
locale_t CaseLocale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  return locale;
}

template <class Map>
std::string MapCase(std::string_view s, Map map) {
  std::string out;
  out.reserve(s.size());
  locale_t locale = CaseLocale();
  for (std::size_t pos = 0; pos < s.size();) {
    char32_t cp;
    DecodeUtf8(s, pos, cp);
    // ASCII maps without the locale, so the result never depends on it.
    AppendUtf8(out, char32_t(map(wint_t(cp), cp < 0x80 ? locale_t(0) : locale)));
  }
  return out;
}

wint_t Upper(wint_t c, locale_t locale) {
  if (!locale) return c >= 'a' && c <= 'z' ? c - 32 : c;
  return towupper_l(c, locale);
}

wint_t Lower(wint_t c, locale_t locale) {
  if (!locale) return c >= 'A' && c <= 'Z' ? c + 32 : c;
  return towlower_l(c, locale);
}

}  // namespace

std::string AnsiUpperCase(std::string_view s) { return MapCase(s, Upper); }
std::string AnsiLowerCase(std::string_view s) { return MapCase(s, Lower); }
bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiUpperCase(a) == AnsiUpperCase(b); }

}  // namespace kx
