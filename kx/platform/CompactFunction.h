// TCompactFunction: an event handler that costs one pointer while no handler is assigned, for classes that carry
// many events of which most stay empty (a control's sixteen asynchronous events). It is used as a std::function is:
// assigned a callable or nullptr, tested as a bool, called, and passed where a std::function is taken.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace kx {

template <class Signature>
class TCompactFunction;

template <class R, class... Args>
class TCompactFunction<R(Args...)> {
 public:
  using TFunction = std::function<R(Args...)>;

  TCompactFunction() = default;
  TCompactFunction(std::nullptr_t) {}
  // Any callable a std::function takes; an empty std::function leaves this one empty.
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TCompactFunction> &&
                                              !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
                                              std::is_constructible_v<TFunction, F&&>>>
  TCompactFunction(F&& function) {
    TFunction held(std::forward<F>(function));
    if (held) mFunction = std::make_unique<TFunction>(std::move(held));
  }
  TCompactFunction(const TCompactFunction& other)
      : mFunction(other.mFunction ? std::make_unique<TFunction>(*other.mFunction) : nullptr) {}
  TCompactFunction(TCompactFunction&&) noexcept = default;
  TCompactFunction& operator=(const TCompactFunction& other) {
    if (this != &other) *this = TCompactFunction(other);
    return *this;
  }
  TCompactFunction& operator=(TCompactFunction&&) noexcept = default;

  explicit operator bool() const { return mFunction != nullptr; }
  friend bool operator==(const TCompactFunction& function, std::nullptr_t) { return !function; }

  // Raises std::bad_function_call when empty, as std::function does.
  R operator()(Args... args) const {
    if (!mFunction) throw std::bad_function_call();
    return (*mFunction)(std::forward<Args>(args)...);
  }

  // The handler as a std::function (an empty one when none is assigned).
  operator const TFunction&() const {
    static const TFunction empty;
    return mFunction ? *mFunction : empty;
  }

 private:
  std::unique_ptr<TFunction> mFunction;
};

}  // namespace kx
