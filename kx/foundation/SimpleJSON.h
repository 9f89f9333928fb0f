// TKXSimpleJSON: builds the small JSON objects that the server hands to client
// scripts (client properties of controls, options of the modal window).
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

#include "kx/platform/StringLists.h"

namespace kx {

// A value type holding the members written so far, each as "\"name\": value",
// separated by ", ". Names and text values are escaped as JSON strings
// (EscapeJsonString), and further "'" as \u0027 and "<" as \u003C, so that a
// value can neither end a single-quoted item nor open markup inside the
// script block that carries the object.
class TKXSimpleJSON {
 public:
  // A text member; skipped for the empty text.
  void Add(std::string_view name, std::string_view text);
  // true or false. (A template, so that a text literal takes the text form.)
  template <std::same_as<bool> B>
  void Add(std::string_view name, B value) {
    AddMember(name, value ? "true" : "false");
  }
  // The decimal number.
  void Add(std::string_view name, std::int64_t value);
  // The decimal number, only when it differs from defaultValue.
  void Add(std::string_view name, std::int64_t value, std::int64_t defaultValue);
  // An array of the trimmed lines, each escaped and in single quotes, joined
  // with ",": ['a','b']. Skipped for an empty list.
  void Add(std::string_view name, const TStrings& list);
  // The other object's GetData as value; skipped when the other is empty
  // (an empty value would not be JSON).
  void Add(std::string_view name, const TKXSimpleJSON& other);

  // "{" + members + "}", or the empty text when there are none.
  std::string GetData() const;
  bool IsEmpty() const { return mData.empty(); }
  void Clear() { mData.clear(); }
  // Whether a member of that name was written ("\"name\": " occurs).
  bool NameExists(std::string_view name) const;

 private:
  void AddMember(std::string_view name, std::string_view value);

  std::string mData;
};

}  // namespace kx
