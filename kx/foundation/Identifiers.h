// Compact identifiers: base-36 numbers (track ids, process ids), the
// framework's URL-safe base 64 and the GUID-based ids of sessions and forms.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kx {

inline constexpr std::string_view kBase36Digits = "0123456789abcdefghijklmnopqrstuvwxyz";
// URL-safe and without padding: index 0 is "a", 63 is "-".
inline constexpr std::string_view kEncode64Alphabet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789~-";

// The lower-case base-36 digits of value, most significant first, left-padded
// with "0" to minLength; 0 gives only the padding (ToBase36(0, 0) is "").
std::string ToBase36(std::uint64_t value, int minLength);
// The value of a base-36 text, read ignoring case. The text comes from clients
// (track ids), so anything that is not a number gives 0, never an exception:
// the empty text, a character outside the digits (blanks and signs included)
// and a value beyond 64 bits. 0 is never a valid track id.
std::uint64_t FromBase36(std::string_view text);

// The bytes in the framework's base 64: 6 bits at a time, most significant
// first; 2 or 4 bits left at the end are shifted up to 6 and give one more
// character. No padding: n bytes give ceil(8n / 6) characters.
std::string Encode64(std::span<const std::uint8_t> bytes);
// Encode64 of the text's UTF-8 bytes.
std::string Encode64(std::string_view text);

// 16 bytes from the operating system's random generator (getrandom), marked as
// a version-4 GUID in its in-memory layout, through Encode64: always 22
// characters of kEncode64Alphabet. The source of session and form ids. A
// generator failure raises EOSError.
std::string NewGuidEncode64();

}  // namespace kx
