// UTF-8 code points: decoding never throws (an invalid sequence yields U+FFFD and
// moves on by one byte), encoding never writes surrogates or values past U+10FFFF.
#pragma once

#include <string>
#include <string_view>

namespace kx {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Decodes the code point at pos and advances pos past it. Returns false (and
// U+FFFD, advancing one byte) for an invalid, overlong or truncated sequence.
bool DecodeUtf8(std::string_view s, std::size_t& pos, char32_t& codePoint);
// Appends the UTF-8 form of codePoint; surrogates and values past U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

std::u32string Utf8ToCodePoints(std::string_view s);
std::string CodePointsToUtf8(std::u32string_view s);

bool IsValidUtf8(std::string_view s);
// s with every invalid sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view s);
// Number of code points (a character above U+FFFF counts as one).
std::size_t Utf8Length(std::string_view s);

// Each code point taken as one byte; code points above U+00FF become "?".
std::string Utf8ToLatin1(std::string_view s);
// Each byte taken as one code point.
std::string Latin1ToUtf8(std::string_view bytes);

// Unicode-aware case mapping, one code point to one code point (no ß -> SS).
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
bool AnsiSameText(std::string_view a, std::string_view b);

}  // namespace kx
