// The Base64 (MIME) coders of the HTTP protocol services: standard alphabet
// "A-Z a-z 0-9 + /", "=" padding, output as one unbroken line. Texts map to
// bytes with the 8-bit encoding: each character's code is one byte.
#pragma once

#include <string>
#include <string_view>

#include "kx/platform/SysUtils.h"

namespace kx {

// The base of the protocol services' exceptions.
KX_DECLARE_EXCEPTION(EInException, Exception);
// Raised by TIdDecoderMIME for text that is not Base64.
KX_DECLARE_EXCEPTION(EIdInvalidBase64, EInException);

class TIdEncoderMIME {
 public:
  TIdEncoderMIME() = delete;

  // Each code point of the UTF-8 text becomes one byte; a code point above
  // U+00FF (and an invalid UTF-8 sequence) becomes "?". The empty text gives "".
  static std::string EncodeString(std::string_view text);
  // The Base64 form of raw bytes.
  static std::string EncodeBytes(std::string_view bytes);
};

// Accepted input: the alphabet, with CR, LF, tab and blank ignored anywhere (line
// breaks of wrapped MIME text). Padding may be left out; when present it must be
// complete ("==" after two final characters, "=" after three) and only blanks
// may follow it. Anything else raises EIdInvalidBase64 rather than yielding
// guessed bytes: a character outside the alphabet, "=" inside the data, a final
// group of one character, or unused bits of the last character that are not zero.
class TIdDecoderMIME {
 public:
  TIdDecoderMIME() = delete;

  // Each decoded byte becomes one character (U+0000 to U+00FF), returned as UTF-8.
  static std::string DecodeString(std::string_view text);
  // The raw decoded bytes.
  static std::string DecodeBytes(std::string_view text);
};

}  // namespace kx
