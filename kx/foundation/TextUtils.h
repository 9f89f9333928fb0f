// The text operations the whole library shares: splitting and quoting, prefix
// and suffix forcing, case-insensitive searches, the Fetch tokenizer of every
// parser, a replace routine, JSON string escaping and the locale-free string list.
//
// Texts are UTF-8. Positions are 1-based byte positions. Where a count is in
// characters (Left, ExtractAfter's skipped character) it counts code points, so
// a UTF-8 sequence is never cut in half. Case-insensitive searches upper-case
// both sides per code point (Unicode-aware, AnsiUpperCase) and map positions back
// to the original bytes, since upper-casing may change a character's byte length
// (U+0131 has two bytes, its upper case "I" one); bytes that are not valid UTF-8
// are compared as they are. There is no process-wide redirection of another
// replace routine: callers call KXStringReplace/KXTextReplace directly.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/platform/StringLists.h"

namespace kx {

using StringArray = std::vector<std::string>;

// A string list whose order never depends on the locale: bytes when case-sensitive, ASCII letters
// folded otherwise (UTF-8 byte order is code point order, so "a" < "B" < "é" ignoring case).
class TKXStringList : public TStringList {
 public:
  using TStringList::TStringList;

  int CompareStrings(const std::string& s1, const std::string& s2) const override;
};

// Class functions only.
class TString {
 public:
  TString() = delete;

  // The first n characters; a negative n gives all but the last -n characters.
  static std::string Left(std::string_view s, int n);
  // Appends suffix unless s already ends with it (ignoring case); an empty s stays empty unless force.
  static void ForceSuffix(std::string& s, std::string_view suffix, bool force);
  // Puts prefix in front unless s already starts with it (ignoring case); an empty s stays empty unless force.
  static void ForcePrefix(std::string& s, std::string_view prefix, bool force);
  // The items of s split at delimiter only (strict delimited text, '"' quotes honoured, doubled quotes
  // inside stand for one); a delimiter at the end adds an empty item, an empty s gives no items.
  // With trim each item is trimmed.
  static std::unique_ptr<TStringList> SplitToList(std::string_view s, char delimiter, bool trim);
  static StringArray Split(std::string_view s, char delimiter);
  // The items of s, each in single quotes (inner single quotes doubled), joined with delimiter.
  static std::string QuoteDelimited(std::string_view s, char delimiter);
  // Replaces every character of s found in charSet (a UTF-8 text, one member per character) by replacement.
  static void ReplaceChars(std::string& s, std::string_view charSet, char32_t replacement);
  // The text inside surrounding double quotes, doubled inner quotes made single. s is returned unchanged
  // unless it starts with a quote whose closing quote is its last character.
  static std::string Dequote(std::string_view s);
  // Drops the first and last character when s is longer than 2 characters and both are double quotes.
  static void DequoteSimple(std::string& s);
  // The index of the first entry equal to s ignoring case, -1 when none.
  static int IndexText(std::string_view s, const StringArray& values);
  static bool MatchText(std::string_view s, const StringArray& values);
  // Whether the byte at the 1-based charPos is c; false beyond the end. charPos < 1 raises
  // Exception "Invalid ACharPos".
  static bool MatchCharAtPos(std::string_view s, int charPos, char c);
  // s in single quotes when it contains a blank, else s.
  static std::string QuoteSpaces(std::string_view s);
  static std::string RemoveLFCR(std::string_view s);
  // The part before the first sub, or s when sub does not occur (an empty sub never occurs).
  static std::string ExtractBefore(std::string_view s, std::string_view sub);
  // The part that starts one character after the end of the first sub (that character is skipped),
  // or s when sub does not occur.
  static std::string ExtractAfter(std::string_view s, std::string_view sub);
  // The first character at or after the 1-based start that is not a blank (code 32); 0 when none.
  static char32_t FirstNonBlankChar(std::string_view s, int start);
};

// Returns the part of s before the first delimiter; with deleteFromS, s becomes the part after it.
// Without the delimiter (or with an empty one) returns all of s and, with deleteFromS, empties s.
// Without caseSensitive a delimiter holding letters (other than the single blank) is searched ignoring case.
std::string Fetch(std::string& s, std::string_view delimiter, bool deleteFromS = true, bool caseSensitive = true);
// Strips every trailing c.
void RemoveTrailingChars(std::string& s, char c);
// Replaces "&lt;" by "<" and "&gt;" by ">" (lower case only).
std::string DecodeLtGt(std::string_view s);
// Escapes '"', '\\' and '/' with a backslash, LF as \n, CR as \r, and (so the result is valid JSON and safe
// in a script literal) TAB, BS, FF as \t \b \f, other controls below U+0020 as \u00xx, U+2028 and U+2029 as
// \u2028 and \u2029. Everything else is copied.
std::string EscapeJsonString(std::string_view s);
// Text for a line of the operator's log: every byte below 0x20 but TAB, DEL (0x7F) and every byte of no valid UTF-8
// sequence becomes a visible escape ("\x1b", "\x9b"); the C1 controls, U+2028 and U+2029, the bidirectional marks,
// embeddings, overrides and isolates (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069) and the byte order
// mark (U+FEFF) become "\u009b", "\u202e". So what a client
// sent can neither break the line, run a terminal's escape sequences nor reorder the text shown. Everything else
// is copied.
std::string LogLineText(std::string_view s);
// s for a log line as one value: between double quotes, '"' and '\\' escaped with '\\', the rest as LogLineText
// writes it. What a client sent then cannot close its quote and read as more of the line. A value longer than
// kMaxQuotedLogValue bytes is cut first (CutLogText): a header or path of any length writes a few hundred bytes.
std::string QuotedLogText(std::string_view s);
inline constexpr std::size_t kMaxQuotedLogValue = 256;
// s when it is at most maxBytes long; else its head and tail, about two thirds and one third of maxBytes, each
// ending and starting on a UTF-8 boundary, around the mark " [... N bytes cut ...] ". Both ends are kept, since a
// message says what it is about at its start and what went wrong at its end ("%s is not a valid response.").
std::string CutLogText(std::string_view s, std::size_t maxBytes);
char BoolToChar(bool value);  // 'T' or 'F'
std::string BoolToString(bool value);  // "true" or "false"

enum TReplaceFlags : unsigned { rfNone = 0, rfReplaceAll = 1, rfIgnoreCase = 2 };
constexpr TReplaceFlags operator|(TReplaceFlags a, TReplaceFlags b) {
  return static_cast<TReplaceFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// Replaces the first match of oldText (every match with rfReplaceAll; matches never overlap, each search
// starts after the previous match), ignoring case with rfIgnoreCase. An empty oldText changes nothing.
std::string KXStringReplace(std::string_view s, std::string_view oldText, std::string_view newText,
                            TReplaceFlags flags);
// Every match, case-sensitive.
std::string KXStringReplace(std::string_view s, std::string_view oldText, std::string_view newText);
// Every match, ignoring case.
std::string KXTextReplace(std::string_view s, std::string_view oldText, std::string_view newText);

// Whether s contains every / at least one / none of values, ignoring case, testing the values in order
// and stopping at the first that decides. An empty value is never contained.
bool ContainsAll(std::string_view s, const StringArray& values);
bool ContainsAny(std::string_view s, const StringArray& values);
bool ContainsNone(std::string_view s, const StringArray& values);

}  // namespace kx
