// The framework's exception tree under EKXException, and the guard class
// functions that raise in one line the class they are called on:
// EInvalidSession::IfTrue(c, m) raises an EInvalidSession with the message m.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "kx/platform/SysUtils.h"

namespace kx {

// Derives from Base and gives the class Self the guards, each raising Self with
// the message. Every class of the tree derives through this layer, so a class's
// guards hide its ancestors' and raise that class, however deep it sits. Self
// must be constructible from one message text.
template <class Self, class Base>
class TKXExceptionGuards : public Base {
 public:
  using Base::Base;

  static void IfTrue(bool condition, std::string_view message) {
    if (condition) Raise(message);
  }
  static void IfFalse(bool condition, std::string_view message) {
    if (!condition) Raise(message);
  }
  // object: a raw or smart pointer, or anything else comparable with nullptr.
  template <class P>
    requires requires(const P& p) { p == nullptr; }
  static void IfAssigned(const P& object, std::string_view message) {
    if (!(object == nullptr)) Raise(message);
  }
  template <class P>
    requires requires(const P& p) { p == nullptr; }
  static void IfNotAssigned(const P& object, std::string_view message) {
    if (object == nullptr) Raise(message);
  }
  // Raises when value lies outside low..high; both bounds belong to the range.
  static void IfNotInRange(std::int64_t value, std::int64_t low, std::int64_t high, std::string_view message) {
    if (value < low || value > high) Raise(message);
  }

 private:
  [[noreturn]] static void Raise(std::string_view message) { throw Self(std::string(message)); }
};

class EKXException : public TKXExceptionGuards<EKXException, Exception> {
 public:
  using TKXExceptionGuards::TKXExceptionGuards;
};

// Declares Name, a descendant of Base (EKXException or one of its descendants)
// with the guards of its own and the constructors of Base.
#define KX_DECLARE_KX_EXCEPTION(Name, Base)                                   \
  class Name : public ::kx::TKXExceptionGuards<Name, Base> {                   \
    static_assert(std::is_base_of_v<::kx::EKXException, Base>);                \
                                                                               \
   public:                                                                     \
    using ::kx::TKXExceptionGuards<Name, Base>::TKXExceptionGuards;            \
  }

KX_DECLARE_KX_EXCEPTION(EKXNoFrameContainer, EKXException);
KX_DECLARE_KX_EXCEPTION(EKXWrongSubnet, EKXException);
KX_DECLARE_KX_EXCEPTION(EDeviceNotSupported, EKXException);

// Raised for a browser that does not accept itself as supported.
class EUnknownBrowserException : public TKXExceptionGuards<EUnknownBrowserException, EKXException>,
                                 public TClientCaused {
 public:
  explicit EUnknownBrowserException(std::string message);

  bool SupportsJS() const { return FSupportsJS; }  // true

 private:
  bool FSupportsJS;
};

// A request names a session that cannot serve it; AppID is that session's id.
class EInvalidSession : public TKXExceptionGuards<EInvalidSession, EKXException>, public TClientCaused {
 public:
  EInvalidSession(std::string sessionId, std::string message);
  // With an empty AppID; the guards raise through this one.
  explicit EInvalidSession(std::string message);

  const std::string& AppID() const { return mAppID; }

 private:
  std::string mAppID;
};

KX_DECLARE_KX_EXCEPTION(EExpiredSession, EInvalidSession);
KX_DECLARE_KX_EXCEPTION(EInvalidProcess, EInvalidSession);
KX_DECLARE_KX_EXCEPTION(EInvalidAppID, EInvalidSession);
KX_DECLARE_KX_EXCEPTION(ESessionAlreadyLocked, EKXException);
// A request of a page whose session has ended names no live session (its cookie went with the session); AppID is
// the session its page posted, when it posted one. Shown as an invalid session: the visitor starts again.
KX_DECLARE_KX_EXCEPTION(EKXNoSessionId, EInvalidSession);
KX_DECLARE_KX_EXCEPTION(EKXSecurityException, EKXException);

// Posted values their controls refused, each for a reason the user caused (a date that is no date): the form's
// collected failures when every one of them is client-caused.
class EKXPostedValuesRefused : public TKXExceptionGuards<EKXPostedValuesRefused, EKXException>, public TClientCaused {
 public:
  using TKXExceptionGuards::TKXExceptionGuards;
};
KX_DECLARE_KX_EXCEPTION(EKXInvalidResourceException, EKXException);
// A submit that its page cannot have posted: an action no control of the form answers, a control without a
// handler, a navigator button the page did not offer, a grid cell or column that is not there. A forged or stale
// request, so the client's doing: the operator's warning, no report.
class EKXSubmitRefused : public TKXExceptionGuards<EKXSubmitRefused, EKXException>, public TClientCaused {
 public:
  using TKXExceptionGuards::TKXExceptionGuards;
};

}  // namespace kx
