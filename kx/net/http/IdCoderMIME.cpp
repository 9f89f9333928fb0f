#include "kx/net/http/IdCoderMIME.h"

#include <array>
#include <cstdint>

#include "kx/platform/Utf8.h"

namespace kx {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPad = '=';

// Value of each byte in the alphabet, -1 for every other byte.
constexpr std::array<std::int8_t, 256> kDecodeTable = [] {
  std::array<std::int8_t, 256> table{};
  table.fill(-1);
  for (std::size_t i = 0; i < kAlphabet.size(); ++i) table[static_cast<unsigned char>(kAlphabet[i])] = std::int8_t(i);
  return table;
}();

bool IsIgnored(char c) { return c == '\r' || c == '\n' || c == '\t' || c == ' '; }

[[noreturn]] void RaiseInvalid(std::string_view reason, std::size_t index) {
  throw EIdInvalidBase64(Format("Invalid Base64 text: %s at position %d", reason, index + 1));
}

}  // namespace

std::string TIdEncoderMIME::EncodeString(std::string_view text) { return EncodeBytes(Utf8ToLatin1(text)); }

std::string TIdEncoderMIME::EncodeBytes(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = std::uint32_t(std::uint8_t(bytes[i])) << 16 |
                                std::uint32_t(std::uint8_t(bytes[i + 1])) << 8 | std::uint8_t(bytes[i + 2]);
    out += kAlphabet[group >> 18 & 63];
    out += kAlphabet[group >> 12 & 63];
    out += kAlphabet[group >> 6 & 63];
    out += kAlphabet[group & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t group = std::uint32_t(std::uint8_t(bytes[i])) << 16;
    if (rest == 2) group |= std::uint32_t(std::uint8_t(bytes[i + 1])) << 8;
    out += kAlphabet[group >> 18 & 63];
    out += kAlphabet[group >> 12 & 63];
    out += rest == 2 ? kAlphabet[group >> 6 & 63] : kPad;
    out += kPad;
  }
  return out;
}

std::string TIdDecoderMIME::DecodeString(std::string_view text) { return Latin1ToUtf8(DecodeBytes(text)); }

std::string TIdDecoderMIME::DecodeBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3);
  std::uint32_t group = 0;
  int count = 0;            // characters in the group being read
  std::size_t padding = 0;  // "=" seen so far
  std::size_t last = 0;     // index of the last character that was not ignored
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsIgnored(c)) continue;
    last = i;
    if (c == kPad) {
      // Padding only completes a final group of two or three characters.
      if (count < 2 || padding + count >= 4) RaiseInvalid("misplaced \"=\"", i);
      ++padding;
      continue;
    }
    if (padding > 0) RaiseInvalid("data after the padding", i);
    const int value = kDecodeTable[static_cast<unsigned char>(c)];
    if (value < 0) RaiseInvalid("character outside the Base64 alphabet", i);
    group = group << 6 | std::uint32_t(value);
    if (++count == 4) {
      out += char(group >> 16 & 0xFF);
      out += char(group >> 8 & 0xFF);
      out += char(group & 0xFF);
      group = 0;
      count = 0;
    }
  }
  switch (count) {
    case 0:
      break;
    case 1:
      RaiseInvalid("incomplete final group", last);
    case 2:
      if (padding == 1) RaiseInvalid("incomplete padding", last);
      if (group & 0x0F) RaiseInvalid("unused bits not zero", last);
      out += char(group >> 4 & 0xFF);
      break;
    default:  // 3
      if (group & 0x03) RaiseInvalid("unused bits not zero", last);
      out += char(group >> 10 & 0xFF);
      out += char(group >> 2 & 0xFF);
      break;
  }
  return out;
}

}  // namespace kx
