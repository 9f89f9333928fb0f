#include "kx/foundation/Identifiers.h"

#include <sys/random.h>

#include <cerrno>
#include <limits>

#include "kx/platform/SysUtils.h"

namespace kx {

std::string ToBase36(std::uint64_t value, int minLength) {
  std::string digits;
  for (; value != 0; value /= 36) digits.insert(digits.begin(), kBase36Digits[value % 36]);
  if (minLength > 0 && digits.size() < static_cast<std::size_t>(minLength))
    digits.insert(0, static_cast<std::size_t>(minLength) - digits.size(), '0');
  return digits;
}

std::uint64_t FromBase36(std::string_view text) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (const char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'z') {
      digit = static_cast<unsigned>(c - 'a') + 10;
    } else if (c >= 'A' && c <= 'Z') {
      digit = static_cast<unsigned>(c - 'A') + 10;
    } else {
      return 0;
    }
    if (value > (kMax - digit) / 36) return 0;
    value = value * 36 + digit;
  }
  return value;
}

std::string Encode64(std::span<const std::uint8_t> bytes) {
  std::string result;
  result.reserve((bytes.size() * 8 + 5) / 6);
  unsigned buffer = 0;  // never holds more than 12 bits
  int bits = 0;
  for (const std::uint8_t b : bytes) {
    buffer = (buffer << 8) | b;
    bits += 8;
    while (bits >= 6) {
      bits -= 6;
      result += kEncode64Alphabet[(buffer >> bits) & 0x3F];
    }
    buffer &= (1u << bits) - 1;
  }
  if (bits > 0) result += kEncode64Alphabet[(buffer << (6 - bits)) & 0x3F];
  return result;
}

std::string Encode64(std::string_view text) {
  return Encode64(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string NewGuidEncode64() {
  std::uint8_t guid[16];
  std::size_t filled = 0;
  while (filled < sizeof guid) {
    const ssize_t n = getrandom(guid + filled, sizeof guid - filled, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseLastOSError();
    }
    filled += static_cast<std::size_t>(n);
  }
  // Data3 is stored little-endian, so its version nibble is the high half of byte 7.
  guid[7] = static_cast<std::uint8_t>((guid[7] & 0x0F) | 0x40);
  guid[8] = static_cast<std::uint8_t>((guid[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return Encode64(std::span<const std::uint8_t>(guid));
}

}  // namespace kx
