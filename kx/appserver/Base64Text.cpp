#include "kx/appserver/Base64Text.h"

#include "kx/net/http/IdCoderMIME.h"

namespace kx {

std::string EncodeString(std::string_view text) { return TIdEncoderMIME::EncodeString(text); }

std::string DecodeString(std::string_view text) { return TIdDecoderMIME::DecodeString(text); }

}  // namespace kx
