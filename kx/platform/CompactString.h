// TCompactString: a text that costs one pointer while it is empty, for the texts that every control carries and
// most leave empty (its hint, CSS class, skin, confirmation question, posted value). It reads as a std::string.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kx {

class TCompactString {
 public:
  TCompactString() = default;
  TCompactString(const TCompactString& other) { Assign(other.Get()); }
  TCompactString(TCompactString&&) noexcept = default;
  TCompactString& operator=(const TCompactString& other) {
    if (this != &other) Assign(other.Get());
    return *this;
  }
  TCompactString& operator=(TCompactString&&) noexcept = default;
  // Storing the empty text gives the room back.
  TCompactString& operator=(std::string_view text) {
    Assign(text);
    return *this;
  }

  const std::string& Get() const {
    static const std::string empty;
    return mText ? *mText : empty;
  }
  operator const std::string&() const { return Get(); }
  bool empty() const { return mText == nullptr; }
  void clear() { mText.reset(); }

 private:
  void Assign(std::string_view text) {
    if (text.empty()) {
      mText.reset();
    } else if (mText) {
      mText->assign(text);
    } else {
      mText = std::make_unique<std::string>(text);
    }
  }

  std::unique_ptr<std::string> mText;
};

}  // namespace kx
