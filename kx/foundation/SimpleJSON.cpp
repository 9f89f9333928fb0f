#include "kx/foundation/SimpleJSON.h"

#include "kx/foundation/TextUtils.h"
#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

// EscapeJsonString of the text (invalid UTF-8 made U+FFFD), then "'" and "<"
// (which it copies, and which no escape it writes contains) as \u escapes.
std::string JsonText(std::string_view s) {
  const std::string escaped = EscapeJsonString(SanitizeUtf8(s));
  std::string out;
  out.reserve(escaped.size());
  for (const char c : escaped) {
    if (c == '\'') {
      out += "\\u0027";
    } else if (c == '<') {
      out += "\\u003C";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

void TKXSimpleJSON::AddMember(std::string_view name, std::string_view value) {
  if (!mData.empty()) mData += ", ";
  mData += '"';
  mData += JsonText(name);
  mData += "\": ";
  mData += value;
}

void TKXSimpleJSON::Add(std::string_view name, std::string_view text) {
  if (text.empty()) return;
  AddMember(name, "\"" + JsonText(text) + "\"");
}

void TKXSimpleJSON::Add(std::string_view name, std::int64_t value) { AddMember(name, IntToStr(value)); }

void TKXSimpleJSON::Add(std::string_view name, std::int64_t value, std::int64_t defaultValue) {
  if (value != defaultValue) Add(name, value);
}

void TKXSimpleJSON::Add(std::string_view name, const TStrings& list) {
  if (list.Count() == 0) return;
  std::string items = "[";
  for (int i = 0; i < list.Count(); ++i) {
    if (i > 0) items += ',';
    items += '\'';
    items += JsonText(Trim(list.Strings(i)));
    items += '\'';
  }
  items += ']';
  AddMember(name, items);
}

void TKXSimpleJSON::Add(std::string_view name, const TKXSimpleJSON& other) {
  if (other.IsEmpty()) return;
  AddMember(name, other.GetData());
}

std::string TKXSimpleJSON::GetData() const { return mData.empty() ? std::string() : "{" + mData + "}"; }

bool TKXSimpleJSON::NameExists(std::string_view name) const {
  return mData.find("\"" + JsonText(name) + "\": ") != std::string::npos;
}

}  // namespace kx
