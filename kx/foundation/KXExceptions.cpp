#include "kx/foundation/KXExceptions.h"

#include <utility>

namespace kx {

EUnknownBrowserException::EUnknownBrowserException(std::string message)
    : TKXExceptionGuards(std::move(message)), FSupportsJS(true) {}

EInvalidSession::EInvalidSession(std::string sessionId, std::string message)
    : TKXExceptionGuards(std::move(message)), mAppID(std::move(sessionId)) {}

EInvalidSession::EInvalidSession(std::string message) : TKXExceptionGuards(std::move(message)) {}

}  // namespace kx
