#include "kx/foundation/TextUtils.h"

#include <algorithm>

#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

constexpr std::size_t kNoOrigin = std::string::npos;

// A text upper-cased for case-insensitive search. origin[i] is the byte offset in the original text of
// the character that starts at byte i of text (kNoOrigin inside a character); origin[text.size()] is
// the original size. A match is only taken when both its ends have an origin.
struct FoldedText {
  std::string text;
  std::vector<std::size_t> origin;
};

FoldedText Fold(std::string_view s) {
  FoldedText folded;
  folded.text.reserve(s.size());
  folded.origin.reserve(s.size() + 1);
  auto take = [&](std::size_t from, std::string_view upper) {
    folded.origin.push_back(from);
    folded.origin.insert(folded.origin.end(), upper.size() - 1, kNoOrigin);
    folded.text.append(upper);
  };
  for (std::size_t pos = 0; pos < s.size();) {
    std::size_t start = pos;
    unsigned char byte = static_cast<unsigned char>(s[pos]);
    if (byte < 0x80) {
      char c = byte >= 'a' && byte <= 'z' ? char(byte - 32) : char(byte);
      take(start, std::string_view(&c, 1));
      ++pos;
      continue;
    }
    char32_t cp;
    if (DecodeUtf8(s, pos, cp)) {
      take(start, AnsiUpperCase(s.substr(start, pos - start)));
    } else {
      take(start, s.substr(start, 1));  // an invalid byte stands for itself
      pos = start + 1;
    }
  }
  folded.origin.push_back(s.size());
  return folded;
}

std::string FoldedKey(std::string_view s) { return Fold(s).text; }

// The first match of key (a folded text) in haystack at or after byte from of the folded text whose ends
// are character boundaries; npos when none.
std::size_t FindFolded(const FoldedText& haystack, std::string_view key, std::size_t from) {
  while (true) {
    std::size_t at = haystack.text.find(key, from);
    if (at == std::string::npos) return at;
    if (haystack.origin[at] != kNoOrigin && haystack.origin[at + key.size()] != kNoOrigin) return at;
    from = at + 1;
  }
}

bool ContainsFolded(const FoldedText& haystack, std::string_view value) {
  return !value.empty() && FindFolded(haystack, FoldedKey(value), 0) != std::string::npos;
}

bool HasLetter(std::string_view s) { return AnsiUpperCase(s) != s || AnsiLowerCase(s) != s; }

// Byte length of the first n code points of s (all of s when it has fewer).
std::size_t CodePointBytes(std::string_view s, std::size_t n) {
  std::size_t pos = 0;
  char32_t cp;
  for (std::size_t i = 0; i < n && pos < s.size(); ++i) DecodeUtf8(s, pos, cp);
  return pos;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXStringList

int TKXStringList::CompareStrings(const std::string& s1, const std::string& s2) const {
  return CaseSensitive() ? CompareStr(s1, s2) : CompareText(s1, s2);
}

// ---------------------------------------------------------------------------
// TString

std::string TString::Left(std::string_view s, int n) {
  if (n >= 0) return std::string(s.substr(0, CodePointBytes(s, static_cast<std::size_t>(n))));
  std::size_t length = Utf8Length(s);
  std::size_t drop = static_cast<std::size_t>(-static_cast<std::int64_t>(n));
  if (drop >= length) return std::string();
  return std::string(s.substr(0, CodePointBytes(s, length - drop)));
}

void TString::ForceSuffix(std::string& s, std::string_view suffix, bool force) {
  if (s.empty() && !force) return;
  FoldedText folded = Fold(s);
  std::string key = FoldedKey(suffix);
  bool ends = key.size() <= folded.text.size() && folded.text.ends_with(key) &&
              folded.origin[folded.text.size() - key.size()] != kNoOrigin;
  if (!ends) s.append(suffix);
}

void TString::ForcePrefix(std::string& s, std::string_view prefix, bool force) {
  if (s.empty() && !force) return;
  FoldedText folded = Fold(s);
  std::string key = FoldedKey(prefix);
  bool starts = folded.text.starts_with(key) && folded.origin[key.size()] != kNoOrigin;
  if (!starts) s.insert(0, prefix);
}

std::unique_ptr<TStringList> TString::SplitToList(std::string_view s, char delimiter, bool trim) {
  auto list = std::make_unique<TStringList>();
  list->SetStrictDelimiter(true);
  list->SetDelimiter(delimiter);
  list->SetQuoteChar('"');
  list->SetDelimitedText(s);
  if (trim) {
    for (int i = 0; i < list->Count(); ++i) list->SetStrings(i, Trim(list->Strings(i)));
  }
  return list;
}

StringArray TString::Split(std::string_view s, char delimiter) {
  std::unique_ptr<TStringList> list = SplitToList(s, delimiter, false);
  StringArray items;
  items.reserve(static_cast<std::size_t>(list->Count()));
  for (int i = 0; i < list->Count(); ++i) items.push_back(list->Strings(i));
  return items;
}

std::string TString::QuoteDelimited(std::string_view s, char delimiter) {
  std::string result;
  bool first = true;
  for (const std::string& item : Split(s, delimiter)) {
    if (!first) result += delimiter;
    first = false;
    result += '\'';
    for (char c : item) {
      if (c == '\'') result += '\'';
      result += c;
    }
    result += '\'';
  }
  return result;
}

void TString::ReplaceChars(std::string& s, std::string_view charSet, char32_t replacement) {
  std::u32string members = Utf8ToCodePoints(charSet);
  std::string result;
  result.reserve(s.size());
  for (std::size_t pos = 0; pos < s.size();) {
    std::size_t start = pos;
    char32_t cp;
    bool valid = DecodeUtf8(s, pos, cp);
    if (valid && members.find(cp) != std::u32string::npos) {
      AppendUtf8(result, replacement);
    } else {
      result.append(s, start, valid ? pos - start : 1);  // an invalid byte is never a member
      pos = valid ? pos : start + 1;
    }
  }
  s = std::move(result);
}

std::string TString::Dequote(std::string_view s) {
  if (s.size() < 2 || s.front() != '"') return std::string(s);
  std::string inner;
  std::size_t pos = 1;
  while (pos < s.size()) {
    if (s[pos] != '"') {
      inner += s[pos++];
    } else if (pos + 1 < s.size() && s[pos + 1] == '"') {
      inner += '"';
      pos += 2;
    } else {
      // The closing quote: dequoted only when it ends the text.
      return pos + 1 == s.size() ? inner : std::string(s);
    }
  }
  return std::string(s);  // never closed
}

void TString::DequoteSimple(std::string& s) {
  // The quotes are one byte each, so "longer than 2 characters" and "longer than 2 bytes" agree here.
  if (s.size() > 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
}

int TString::IndexText(std::string_view s, const StringArray& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (AnsiSameText(s, values[i])) return static_cast<int>(i);
  }
  return -1;
}

bool TString::MatchText(std::string_view s, const StringArray& values) { return IndexText(s, values) >= 0; }

bool TString::MatchCharAtPos(std::string_view s, int charPos, char c) {
  if (charPos < 1) throw Exception("Invalid ACharPos");
  return static_cast<std::size_t>(charPos) <= s.size() && s[static_cast<std::size_t>(charPos) - 1] == c;
}

std::string TString::QuoteSpaces(std::string_view s) {
  if (s.find(' ') == std::string_view::npos) return std::string(s);
  return "'" + std::string(s) + "'";
}

std::string TString::RemoveLFCR(std::string_view s) {
  std::string result;
  result.reserve(s.size());
  for (char c : s) {
    if (c != '\r' && c != '\n') result += c;
  }
  return result;
}

std::string TString::ExtractBefore(std::string_view s, std::string_view sub) {
  std::size_t at = Pos(sub, s);
  return at == 0 ? std::string(s) : std::string(s.substr(0, at - 1));
}

std::string TString::ExtractAfter(std::string_view s, std::string_view sub) {
  std::size_t at = Pos(sub, s);
  if (at == 0) return std::string(s);
  std::string_view rest = s.substr(at - 1 + sub.size());
  return std::string(rest.substr(CodePointBytes(rest, 1)));
}

char32_t TString::FirstNonBlankChar(std::string_view s, int start) {
  std::size_t pos = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
  while (pos < s.size() && s[pos] == ' ') ++pos;
  if (pos >= s.size()) return 0;
  char32_t cp;
  DecodeUtf8(s, pos, cp);
  return cp;
}

// ---------------------------------------------------------------------------
// Free functions

std::string Fetch(std::string& s, std::string_view delimiter, bool deleteFromS, bool caseSensitive) {
  std::size_t at = std::string::npos, end = 0;  // byte range of the delimiter in s
  if (!delimiter.empty()) {
    if (caseSensitive || delimiter == " " || !HasLetter(delimiter)) {
      at = s.find(delimiter);
      end = at + delimiter.size();
    } else {
      FoldedText folded = Fold(s);
      std::string key = FoldedKey(delimiter);
      std::size_t match = FindFolded(folded, key, 0);
      if (match != std::string::npos) {
        at = folded.origin[match];
        end = folded.origin[match + key.size()];
      }
    }
  }
  if (at == std::string::npos) {
    std::string result = s;
    if (deleteFromS) s.clear();
    return result;
  }
  std::string result = s.substr(0, at);
  if (deleteFromS) s.erase(0, end);
  return result;
}

void RemoveTrailingChars(std::string& s, char c) {
  std::size_t keep = s.find_last_not_of(c);
  s.erase(keep == std::string::npos ? 0 : keep + 1);
}

std::string DecodeLtGt(std::string_view s) {
  std::string result;
  result.reserve(s.size());
  for (std::size_t pos = 0; pos < s.size();) {
    if (s.substr(pos, 4) == "&lt;") {
      result += '<';
      pos += 4;
    } else if (s.substr(pos, 4) == "&gt;") {
      result += '>';
      pos += 4;
    } else {
      result += s[pos++];
    }
  }
  return result;
}

namespace {

// Code points a terminal or an editor acts on rather than shows: the C1 controls (U+009B is CSI), the line and
// paragraph separators, the bidirectional marks, embeddings, overrides and isolates, which reorder what is shown
// around them, and the byte order mark, which shows as nothing.
bool IsLogHazard(char32_t cp) {
  return (cp >= 0x80 && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029 || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2066 && cp <= 0x2069) || cp == 0x200E || cp == 0x200F || cp == 0x061C || cp == 0xFEFF;
}

}  // namespace

std::string LogLineText(std::string_view s) {
  static const char kHex[] = "0123456789abcdef";
  std::string result;
  result.reserve(s.size());
  for (std::size_t pos = 0; pos < s.size();) {
    const std::size_t start = pos;
    char32_t cp;
    if (!DecodeUtf8(s, pos, cp) || (cp < 0x20 && cp != '\t') || cp == 0x7F) {
      // A control byte, or a byte of no valid sequence (a lone 0x9B is CSI to a terminal that is not in UTF-8).
      const auto c = static_cast<unsigned char>(s[start]);
      result += "\\x";
      result += kHex[c >> 4];
      result += kHex[c & 0xF];
    } else if (IsLogHazard(cp)) {
      result += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) result += kHex[(cp >> shift) & 0xF];
    } else {
      result.append(s, start, pos - start);
    }
  }
  return result;
}

std::string CutLogText(std::string_view s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return std::string(s);
  const auto continuation = [&s](std::size_t at) {
    return at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80;
  };
  std::size_t headEnd = maxBytes - maxBytes / 3;
  while (headEnd > 0 && continuation(headEnd)) --headEnd;
  std::size_t tailStart = s.size() - maxBytes / 3;
  while (continuation(tailStart)) ++tailStart;
  return std::string(s.substr(0, headEnd)) + " [... " + std::to_string(tailStart - headEnd) + " bytes cut ...] " +
         std::string(s.substr(tailStart));
}

std::string QuotedLogText(std::string_view s) {
  const std::string value = CutLogText(s, kMaxQuotedLogValue);
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return LogLineText(quoted + '"');
}

std::string EscapeJsonString(std::string_view s) {
  static const char kHex[] = "0123456789abcdef";
  std::string result;
  result.reserve(s.size() + s.size() / 8);
  for (std::size_t pos = 0; pos < s.size(); ++pos) {
    unsigned char c = static_cast<unsigned char>(s[pos]);
    switch (c) {
      case '"': result += "\\\""; break;
      case '\\': result += "\\\\"; break;
      case '/': result += "\\/"; break;
      case '\n': result += "\\n"; break;
      case '\r': result += "\\r"; break;
      case '\t': result += "\\t"; break;
      case '\b': result += "\\b"; break;
      case '\f': result += "\\f"; break;
      default:
        if (c < 0x20) {
          result += "\\u00";
          result += kHex[c >> 4];
          result += kHex[c & 0xF];
        } else if (c == 0xE2 && pos + 2 < s.size() && static_cast<unsigned char>(s[pos + 1]) == 0x80 &&
                   (static_cast<unsigned char>(s[pos + 2]) == 0xA8 ||
                    static_cast<unsigned char>(s[pos + 2]) == 0xA9)) {
          // U+2028 and U+2029 end a line inside a script string literal.
          result += static_cast<unsigned char>(s[pos + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
          pos += 2;
        } else {
          result += static_cast<char>(c);
        }
    }
  }
  return result;
}

char BoolToChar(bool value) { return value ? 'T' : 'F'; }

std::string BoolToString(bool value) { return value ? "true" : "false"; }

std::string KXStringReplace(std::string_view s, std::string_view oldText, std::string_view newText,
                            TReplaceFlags flags) {
  if (s.empty()) return std::string();
  if (oldText.empty()) return std::string(s);
  bool replaceAll = (flags & rfReplaceAll) != 0;

  // Byte ranges of the matches in s, left to right, never overlapping.
  std::vector<std::pair<std::size_t, std::size_t>> matches;
  if (flags & rfIgnoreCase) {
    FoldedText folded = Fold(s);
    std::string key = FoldedKey(oldText);
    for (std::size_t at = FindFolded(folded, key, 0); at != std::string::npos;
         at = FindFolded(folded, key, at + key.size())) {
      matches.emplace_back(folded.origin[at], folded.origin[at + key.size()]);
      if (!replaceAll) break;
    }
  } else {
    for (std::size_t at = s.find(oldText); at != std::string_view::npos; at = s.find(oldText, at + oldText.size())) {
      matches.emplace_back(at, at + oldText.size());
      if (!replaceAll) break;
    }
  }
  if (matches.empty()) return std::string(s);

  std::size_t size = s.size();
  for (auto [begin, end] : matches) size = size - (end - begin) + newText.size();
  std::string result;
  result.reserve(size);
  std::size_t copied = 0;
  for (auto [begin, end] : matches) {
    result.append(s.substr(copied, begin - copied));
    result.append(newText);
    copied = end;
  }
  result.append(s.substr(copied));
  return result;
}

std::string KXStringReplace(std::string_view s, std::string_view oldText, std::string_view newText) {
  return KXStringReplace(s, oldText, newText, rfReplaceAll);
}

std::string KXTextReplace(std::string_view s, std::string_view oldText, std::string_view newText) {
  return KXStringReplace(s, oldText, newText, rfReplaceAll | rfIgnoreCase);
}

bool ContainsAll(std::string_view s, const StringArray& values) {
  FoldedText folded = Fold(s);
  return std::all_of(values.begin(), values.end(), [&](const std::string& v) { return ContainsFolded(folded, v); });
}

bool ContainsAny(std::string_view s, const StringArray& values) {
  FoldedText folded = Fold(s);
  return std::any_of(values.begin(), values.end(), [&](const std::string& v) { return ContainsFolded(folded, v); });
}

bool ContainsNone(std::string_view s, const StringArray& values) { return !ContainsAny(s, values); }

}  // namespace kx
