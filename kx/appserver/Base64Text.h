// One-call Base64 coding of text for application code, over the MIME coders of
// net/http/IdCoderMIME.h: each character is one byte (8-bit), so characters
// above U+00FF do not survive a round trip.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// Standard Base64 with "=" padding and no line breaks; a character above U+00FF
// is encoded as "?".
std::string EncodeString(std::string_view text);
// Each decoded byte becomes one character. Text that is not Base64 raises
// EIdInvalidBase64 (see TIdDecoderMIME for what is accepted).
std::string DecodeString(std::string_view text);

}  // namespace kx
