// The runtime basics every layer uses: the general exception class and its
// standard descendants, a type-safe Format, and locale-free text and number
// helpers with the 1-based positions the rest of the library counts in.
#pragma once

#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace kx {

// ---------------------------------------------------------------------------
// Exceptions

// The general exception class. Messages are UTF-8.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : mMessage(std::move(message)) {}

  const std::string& Message() const { return mMessage; }
  void SetMessage(std::string message) { mMessage = std::move(message); }

  const char* what() const noexcept override { return mMessage.c_str(); }

 private:
  std::string mMessage;
};

#define KX_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {             \
   public:                               \
    using Base::Base;                    \
  }

// Mixed into the exception classes that a client or a user causes (a typed value that does not convert, an expired
// session, a refused browser), as opposed to a fault of the server or the application: the operator's log gives
// them one line at level "warning", without the stack.
class TClientCaused {
 public:
  virtual ~TClientCaused() = default;
};

// Whether e's class carries TClientCaused.
inline bool IsClientCaused(const std::exception& e) { return dynamic_cast<const TClientCaused*>(&e) != nullptr; }

// A text that is no value of the type asked for; as a rule, what a user typed.
class EConvertError : public Exception, public TClientCaused {
 public:
  using Exception::Exception;
};
KX_DECLARE_EXCEPTION(EStreamError, Exception);
KX_DECLARE_EXCEPTION(EFCreateError, EStreamError);  // a file could not be created
KX_DECLARE_EXCEPTION(EFOpenError, EStreamError);    // a file could not be opened
KX_DECLARE_EXCEPTION(EReadError, EStreamError);
KX_DECLARE_EXCEPTION(EWriteError, EStreamError);
KX_DECLARE_EXCEPTION(EListError, Exception);
KX_DECLARE_EXCEPTION(EStringListError, Exception);
KX_DECLARE_EXCEPTION(EInvalidOperation, Exception);
KX_DECLARE_EXCEPTION(ENotImplemented, Exception);

// The silent abort: ends the current operation without an error report.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  using Exception::Exception;
};

// An operating-system failure; ErrorCode is the errno value.
class EOSError : public Exception {
 public:
  EOSError(std::string message, int errorCode) : Exception(std::move(message)), mErrorCode(errorCode) {}
  int ErrorCode() const { return mErrorCode; }

 private:
  int mErrorCode;
};

// The system's text for an errno value.
std::string SysErrorMessage(int errorCode);
// Raises EOSError for errno (or the given code): "System Error.  Code: N.\r\n<text>".
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(int errorCode);
// Raises EAbort.
[[noreturn]] void Abort();

// ---------------------------------------------------------------------------
// Format

// One argument of Format: a text, an integer, a floating-point number or a pointer.
class FormatArg {
 public:
  enum class Kind { Text, Signed, Unsigned, Float, Pointer };

  FormatArg(std::string_view v) : mKind(Kind::Text), mText(v) {}
  FormatArg(const std::string& v) : mKind(Kind::Text), mText(v) {}
  FormatArg(const char* v) : mKind(Kind::Text), mText(v ? v : "") {}
  FormatArg(char v) = delete;  // ambiguous: a character or a number
  FormatArg(bool v) = delete;
  template <class T>
    requires(std::is_integral_v<T> && std::is_signed_v<T>)
  FormatArg(T v) : mKind(Kind::Signed), mSigned(v) {}
  template <class T>
    requires(std::is_integral_v<T> && std::is_unsigned_v<T>)
  FormatArg(T v) : mKind(Kind::Unsigned), mUnsigned(v) {}
  template <class T>
    requires std::is_enum_v<T>
  FormatArg(T v) : FormatArg(static_cast<std::underlying_type_t<T>>(v)) {}
  FormatArg(double v) : mKind(Kind::Float), mFloat(v) {}
  FormatArg(const void* v) : mKind(Kind::Pointer), mUnsigned(reinterpret_cast<std::uintptr_t>(v)) {}

  Kind GetKind() const { return mKind; }
  std::string_view Text() const { return mText; }
  std::int64_t Signed() const { return mSigned; }
  std::uint64_t Unsigned() const { return mUnsigned; }
  double Float() const { return mFloat; }

 private:
  Kind mKind;
  std::string_view mText;
  std::int64_t mSigned = 0;
  std::uint64_t mUnsigned = 0;
  double mFloat = 0;
};

// Formats a pattern with "%[index:][-][width][.precision]type" specifiers, where
// type is d, u, x (upper-case hexadecimal), s, f, e, g, n, p or %. For d, u and x
// a precision is the minimum number of digits (zero-padded); for s it is the
// maximum number of characters. A specifier that does not fit its argument, or a
// missing argument, raises EConvertError.
std::string FormatV(std::string_view pattern, std::span<const FormatArg> args);

template <class... Args>
std::string Format(std::string_view pattern, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return FormatV(pattern, {});
  } else {
    const FormatArg list[] = {FormatArg(args)...};
    return FormatV(pattern, list);
  }
}

// ---------------------------------------------------------------------------
// Numbers, locale-free

std::string IntToStr(std::int64_t value);
// Upper-case hexadecimal with at least `digits` digits.
std::string IntToHex(std::uint64_t value, int digits = 1);

// Decimal integers with an optional sign, surrounding blanks allowed; "$" or "0x"
// introduces hexadecimal. Failure raises EConvertError "'S' is not a valid integer value".
int StrToInt(std::string_view s);
std::int64_t StrToInt64(std::string_view s);
int StrToIntDef(std::string_view s, int defaultValue);
bool TryStrToInt(std::string_view s, int& value);
bool TryStrToInt64(std::string_view s, std::int64_t& value);

// Shortest text with up to 15 significant digits and "." as the decimal point.
std::string FloatToStr(double value);
// "." is the decimal point; failure raises EConvertError "'S' is not a valid floating point value".
double StrToFloat(std::string_view s);
bool TryStrToFloat(std::string_view s, double& value);

// ---------------------------------------------------------------------------
// Texts (UTF-8; ASCII case folding; positions are 1-based byte positions)

// Strips characters with codes up to 32 at both ends / the start / the end.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

std::string UpperCase(std::string_view s);  // ASCII letters only
std::string LowerCase(std::string_view s);  // ASCII letters only
bool SameText(std::string_view a, std::string_view b);
// <0, 0, >0 comparing bytes; CompareText folds ASCII letters first.
int CompareStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);
bool StartsStr(std::string_view prefix, std::string_view s);
bool EndsStr(std::string_view suffix, std::string_view s);
bool ContainsText(std::string_view s, std::string_view sub);

// 1-based position of sub in s at or after offset, 0 when absent; an empty sub is never found.
std::size_t Pos(std::string_view sub, std::string_view s, std::size_t offset = 1);
// The count characters from the 1-based index, clamped to the text.
std::string Copy(std::string_view s, std::int64_t index, std::int64_t count);
// Removes count characters at the 1-based index, clamped to the text.
void Delete(std::string& s, std::int64_t index, std::int64_t count);

}  // namespace kx
