#include "kx/platform/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kx {

std::string SysErrorMessage(int errorCode) {
  char buffer[256];
  // GNU strerror_r returns the text, which may or may not live in buffer.
  return strerror_r(errorCode, buffer, sizeof buffer);
}

void RaiseLastOSError() { RaiseLastOSError(errno); }

void RaiseLastOSError(int errorCode) {
  throw EOSError(Format("System Error.  Code: %d.\r\n%s", errorCode, SysErrorMessage(errorCode)), errorCode);
}

void Abort() { throw EAbort(); }

// ---------------------------------------------------------------------------
// Format

namespace {

[[noreturn]] void FormatError(std::string_view pattern) {
  throw EConvertError(Format("Format '%s' invalid or incompatible with argument", std::string(pattern)));
}

std::string Digits(std::uint64_t value, int base) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, base);
  std::string text(buffer, end);
  if (base == 16) std::transform(text.begin(), text.end(), text.begin(), [](char c) { return char(std::toupper(c)); });
  return text;
}

std::string FloatText(double value, std::chars_format form, int precision) {
  char buffer[512];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, form, precision);
  if (ec != std::errc()) return "0";
  return std::string(buffer, end);
}

// Inserts thousands separators into the integer part of a fixed-point text.
std::string GroupThousands(std::string text) {
  std::size_t start = text[0] == '-' ? 1 : 0;
  std::size_t end = text.find('.');
  if (end == std::string::npos) end = text.size();
  for (std::ptrdiff_t i = std::ptrdiff_t(end) - 3; i > std::ptrdiff_t(start); i -= 3) text.insert(std::size_t(i), ",");
  return text;
}

}  // namespace

std::string FormatV(std::string_view pattern, std::span<const FormatArg> args) {
  std::string out;
  out.reserve(pattern.size() + 16 * args.size());
  std::size_t next = 0;
  std::size_t i = 0;
  while (i < pattern.size()) {
    char c = pattern[i++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i < pattern.size() && pattern[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    auto number = [&](int& value) {
      bool any = false;
      value = 0;
      while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
        value = value * 10 + (pattern[i++] - '0');
        any = true;
      }
      return any;
    };
    int value = 0;
    std::size_t mark = i;
    if (number(value) && i < pattern.size() && pattern[i] == ':') {
      next = std::size_t(value);
      ++i;
    } else {
      i = mark;
    }
    bool left = false;
    if (i < pattern.size() && pattern[i] == '-') {
      left = true;
      ++i;
    }
    int width = 0;
    number(width);
    int precision = -1;
    if (i < pattern.size() && pattern[i] == '.') {
      ++i;
      number(precision);
    }
    if (i >= pattern.size() || next >= args.size()) FormatError(pattern);
    char type = char(std::tolower(pattern[i++]));
    const FormatArg& arg = args[next++];
    using Kind = FormatArg::Kind;
    std::string piece;
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        bool negative = false;
        std::uint64_t magnitude = 0;
        if (arg.GetKind() == Kind::Signed) {
          std::int64_t v = arg.Signed();
          if (type == 'd') {
            negative = v < 0;
            magnitude = negative ? 0 - std::uint64_t(v) : std::uint64_t(v);
          } else {
            magnitude = type == 'x' && v >= INT32_MIN && v <= INT32_MAX ? std::uint32_t(v) : std::uint64_t(v);
          }
        } else if (arg.GetKind() == Kind::Unsigned) {
          magnitude = arg.Unsigned();
        } else {
          FormatError(pattern);
        }
        piece = Digits(magnitude, type == 'x' ? 16 : 10);
        if (precision > int(piece.size())) piece.insert(0, std::size_t(precision) - piece.size(), '0');
        if (negative) piece.insert(0, "-");
        break;
      }
      case 's':
        if (arg.GetKind() != Kind::Text) FormatError(pattern);
        piece = arg.Text();
        if (precision >= 0 && std::size_t(precision) < piece.size()) piece.resize(std::size_t(precision));
        break;
      case 'f':
      case 'n':
      case 'e':
      case 'g': {
        double v;
        if (arg.GetKind() == Kind::Float) v = arg.Float();
        else FormatError(pattern);
        if (type == 'g') {
          piece = FloatText(v, std::chars_format::general, precision < 0 ? 15 : std::max(precision, 1));
        } else if (type == 'e') {
          piece = FloatText(v, std::chars_format::scientific, precision < 0 ? 15 : precision);
        } else {
          piece = FloatText(v, std::chars_format::fixed, precision < 0 ? 2 : precision);
          if (type == 'n') piece = GroupThousands(piece);
        }
        break;
      }
      case 'p':
        if (arg.GetKind() != Kind::Pointer) FormatError(pattern);
        piece = Digits(arg.Unsigned(), 16);
        piece.insert(0, 16 - std::min<std::size_t>(16, piece.size()), '0');
        break;
      default:
        FormatError(pattern);
    }
    if (int(piece.size()) < width) {
      if (left) piece.append(std::size_t(width) - piece.size(), ' ');
      else piece.insert(0, std::size_t(width) - piece.size(), ' ');
    }
    out += piece;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Numbers

std::string IntToStr(std::int64_t value) { return Format("%d", value); }

std::string IntToHex(std::uint64_t value, int digits) {
  std::string text = Digits(value, 16);
  if (int(text.size()) < digits) text.insert(0, std::size_t(digits) - text.size(), '0');
  return text;
}

bool TryStrToInt64(std::string_view s, std::int64_t& value) {
  std::string text = Trim(s);
  std::string_view t = text;
  bool negative = false;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  int base = 10;
  if (!t.empty() && t[0] == '$') {
    base = 16;
    t.remove_prefix(1);
  } else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  }
  if (t.empty()) return false;
  std::uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), magnitude, base);
  if (ec != std::errc() || end != t.data() + t.size()) return false;
  if (negative) {
    if (magnitude > std::uint64_t(INT64_MAX) + 1) return false;
    value = std::int64_t(0 - magnitude);
  } else {
    if (base == 10 && magnitude > std::uint64_t(INT64_MAX)) return false;
    value = std::int64_t(magnitude);
  }
  return true;
}

bool TryStrToInt(std::string_view s, int& value) {
  std::int64_t wide = 0;
  if (!TryStrToInt64(s, wide)) return false;
  if (wide < INT32_MIN || wide > INT32_MAX) {
    // Hexadecimal texts may name the bit pattern of a negative number ($FFFFFFFF).
    if (wide > INT32_MAX && wide <= std::int64_t(UINT32_MAX) && ContainsText(s, "$")) {
      value = std::int32_t(std::uint32_t(wide));
      return true;
    }
    return false;
  }
  value = int(wide);
  return true;
}

int StrToInt(std::string_view s) {
  int value = 0;
  if (!TryStrToInt(s, value)) throw EConvertError(Format("'%s' is not a valid integer value", s));
  return value;
}

std::int64_t StrToInt64(std::string_view s) {
  std::int64_t value = 0;
  if (!TryStrToInt64(s, value)) throw EConvertError(Format("'%s' is not a valid integer value", s));
  return value;
}

int StrToIntDef(std::string_view s, int defaultValue) {
  int value = 0;
  return TryStrToInt(s, value) ? value : defaultValue;
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  std::string text = FloatText(value, std::chars_format::general, 15);
  return text == "-0" ? "0" : text;
}

bool TryStrToFloat(std::string_view s, double& value) {
  std::string text = Trim(s);
  std::string_view t = text;
  if (!t.empty() && t[0] == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  return ec == std::errc() && end == t.data() + t.size();
}

double StrToFloat(std::string_view s) {
  double value = 0;
  if (!TryStrToFloat(s, value)) throw EConvertError(Format("'%s' is not a valid floating point value", s));
  return value;
}

// ---------------------------------------------------------------------------
// Texts

std::string TrimLeft(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  std::size_t e = s.size();
  while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

namespace {
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }
}  // namespace

std::string UpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

std::string LowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

int CompareStr(std::string_view a, std::string_view b) { return a.compare(b); }

int CompareText(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(AsciiUpper(a[i]));
    unsigned char y = static_cast<unsigned char>(AsciiUpper(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

bool StartsText(std::string_view prefix, std::string_view s) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(std::string_view suffix, std::string_view s) {
  return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

bool StartsStr(std::string_view prefix, std::string_view s) { return s.starts_with(prefix); }
bool EndsStr(std::string_view suffix, std::string_view s) { return s.ends_with(suffix); }

bool ContainsText(std::string_view s, std::string_view sub) {
  return !sub.empty() && Pos(UpperCase(sub), UpperCase(s)) > 0;
}

std::size_t Pos(std::string_view sub, std::string_view s, std::size_t offset) {
  if (sub.empty() || offset < 1 || offset > s.size()) return 0;
  std::size_t at = s.find(sub, offset - 1);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::string Copy(std::string_view s, std::int64_t index, std::int64_t count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > std::int64_t(s.size())) return {};
  std::size_t start = std::size_t(index - 1);
  return std::string(s.substr(start, std::min<std::size_t>(std::size_t(count), s.size() - start)));
}

void Delete(std::string& s, std::int64_t index, std::int64_t count) {
  if (index < 1 || count <= 0 || index > std::int64_t(s.size())) return;
  std::size_t start = std::size_t(index - 1);
  s.erase(start, std::min<std::size_t>(std::size_t(count), s.size() - start));
}

}  // namespace kx
