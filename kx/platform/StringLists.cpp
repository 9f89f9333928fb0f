#include "kx/platform/StringLists.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace kx {

namespace {

const char* const kSortedListError = "Operation not allowed on sorted list";

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Appends s in quotes, every quote inside doubled.
void AppendQuoted(std::string& out, const std::string& s, char quote) {
  out += quote;
  for (char c : s) {
    if (c == quote) out += quote;
    out += c;
  }
  out += quote;
}

// Reads the quoted item that starts at pos (on the opening quote) and leaves pos after the closing
// quote, or at the end when the item is not closed.
std::string ExtractQuoted(std::string_view text, std::size_t& pos, char quote) {
  std::string item;
  ++pos;
  while (pos < text.size()) {
    std::size_t close = text.find(quote, pos);
    if (close == std::string_view::npos) {
      item.append(text.substr(pos));
      pos = text.size();
      break;
    }
    item.append(text.substr(pos, close - pos));
    pos = close + 1;
    if (pos < text.size() && text[pos] == quote) {
      item += quote;
      ++pos;
    } else {
      break;
    }
  }
  return item;
}

// Sorts order[begin, end) stably. Each element is read and written by position only, so a compare
// that is not a strict weak order yields some permutation but never leaves the range.
template <class Less>
void MergeSort(std::vector<int>& order, std::vector<int>& buffer, std::size_t begin, std::size_t end, Less less) {
  if (end - begin < 2) return;
  std::size_t middle = begin + (end - begin) / 2;
  MergeSort(order, buffer, begin, middle, less);
  MergeSort(order, buffer, middle, end, less);
  std::size_t left = begin, right = middle, out = begin;
  while (left < middle && right < end) {
    // Takes from the right only when strictly less: equal items keep their order.
    buffer[out++] = less(order[right], order[left]) ? order[right++] : order[left++];
  }
  while (left < middle) buffer[out++] = order[left++];
  while (right < end) buffer[out++] = order[right++];
  std::copy(buffer.begin() + begin, buffer.begin() + end, order.begin() + begin);
}

}  // namespace

// ---------------------------------------------------------------------------
// TStrings

void TStrings::IndexError(int index) { throw EStringListError(Format("List index out of bounds (%d)", index)); }

void TStrings::SetStrings(int index, const std::string& s) {
  TObject* object = Objects(index);
  Delete(index);
  InsertObject(index, s, object);
}

TObject* TStrings::Objects(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return nullptr;
}

void TStrings::SetObjects(int index, TObject* /*object*/) {
  if (index < 0 || index >= Count()) IndexError(index);
}

std::string TStrings::Names(int index) const {
  const std::string& line = Strings(index);
  std::size_t separator = line.find(mNameValueSeparator);
  return separator == std::string::npos ? std::string() : line.substr(0, separator);
}

std::string TStrings::ValueFromIndex(int index) const {
  const std::string& line = Strings(index);
  std::size_t separator = line.find(mNameValueSeparator);
  return separator == std::string::npos ? std::string() : line.substr(separator + 1);
}

std::string TStrings::Values(const std::string& name) const {
  int index = IndexOfName(name);
  return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
  int index = IndexOfName(name);
  if (!value.empty()) {
    std::string line = name + mNameValueSeparator + value;
    if (index < 0) {
      Add(line);
    } else {
      SetStrings(index, line);
    }
  } else if (index >= 0) {
    Delete(index);
  }
}

std::string TStrings::Text() const {
  std::string text;
  for (int i = 0, n = Count(); i < n; ++i) {
    text += Strings(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(std::string_view text) {
  Clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    Add(std::string(text.substr(pos, end - pos)));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
}

std::string TStrings::CommaText() const { return JoinDelimited(',', '"', false); }

void TStrings::SetCommaText(std::string_view text) { SplitDelimited(text, ',', '"', false); }

std::string TStrings::DelimitedText() const {
  return JoinDelimited(mDelimiter, mQuoteChar, mStrictDelimiter);
}

void TStrings::SetDelimitedText(std::string_view text) {
  SplitDelimited(text, mDelimiter, mQuoteChar, mStrictDelimiter);
}

std::string TStrings::JoinDelimited(char delimiter, char quote, bool strict) const {
  int count = Count();
  if (count == 1 && Strings(0).empty()) return std::string(2, quote);
  std::string text;
  for (int i = 0; i < count; ++i) {
    const std::string& s = Strings(i);
    bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
      return c == quote || c == delimiter || (!strict && IsBlankOrControl(c));
    });
    if (i > 0) text += delimiter;
    if (needsQuotes) {
      AppendQuoted(text, s, quote);
    } else {
      text += s;
    }
  }
  return text;
}

void TStrings::SplitDelimited(std::string_view text, char delimiter, char quote, bool strict) {
  Clear();
  std::size_t pos = 0;
  auto skipBlanks = [&] {
    if (!strict) {
      while (pos < text.size() && IsBlankOrControl(text[pos])) ++pos;
    }
  };
  skipBlanks();
  while (pos < text.size()) {
    if (text[pos] == quote) {
      Add(ExtractQuoted(text, pos, quote));
    } else {
      std::size_t start = pos;
      while (pos < text.size() && text[pos] != delimiter && (strict || !IsBlankOrControl(text[pos]))) {
        ++pos;
      }
      Add(std::string(text.substr(start, pos - start)));
    }
    skipBlanks();
    if (pos < text.size() && text[pos] == delimiter) {
      ++pos;
      if (pos == text.size()) Add(std::string());
      skipBlanks();
    }
  }
}

int TStrings::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStrings::AddObject(const std::string& s, TObject* object) {
  int index = Count();
  InsertObject(index, s, object);
  return index;
}

void TStrings::AddStrings(const TStrings& strings) {
  // Copied first: strings may be this list.
  std::vector<std::pair<std::string, TObject*>> items;
  for (int i = 0, n = strings.Count(); i < n; ++i) items.emplace_back(strings.Strings(i), strings.Objects(i));
  for (auto& [s, object] : items) AddObject(s, object);
}

void TStrings::Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStrings::Exchange(int index1, int index2) {
  std::string s1 = Strings(index1);
  TObject* object1 = Objects(index1);
  std::string s2 = Strings(index2);
  TObject* object2 = Objects(index2);
  SetStrings(index1, s2);
  SetObjects(index1, object2);
  SetStrings(index2, s1);
  SetObjects(index2, object1);
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (newIndex < 0 || newIndex >= Count()) IndexError(newIndex);
  std::string s = Strings(curIndex);
  TObject* object = Objects(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, s, object);
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    if (CompareStrings(Strings(i), s) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfName(const std::string& name) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    const std::string& line = Strings(i);
    std::size_t separator = line.find(mNameValueSeparator);
    if (separator != std::string::npos && CompareStrings(line.substr(0, separator), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    if (Objects(i) == object) return i;
  }
  return -1;
}

void TStrings::Assign(const TPersistent* source) {
  const auto* strings = dynamic_cast<const TStrings*>(source);
  if (!strings) {
    TPersistent::Assign(source);
    return;
  }
  if (strings == this) return;
  Clear();
  mNameValueSeparator = strings->mNameValueSeparator;
  mDelimiter = strings->mDelimiter;
  mQuoteChar = strings->mQuoteChar;
  mStrictDelimiter = strings->mStrictDelimiter;
  AddStrings(*strings);
}

int TStrings::CompareStrings(const std::string& s1, const std::string& s2) const { return CompareText(s1, s2); }

// ---------------------------------------------------------------------------
// TStringList

TStringList::~TStringList() {
  if (mOwnsObjects) {
    for (TStringItem& item : mList) delete std::exchange(item.mObject, nullptr);
  }
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
}

void TStringList::CheckNotSorted() const {
  if (mSorted) throw EStringListError(kSortedListError);
}

const std::string& TStringList::Strings(int index) const {
  CheckIndex(index);
  return mList[index].mString;
}

void TStringList::SetStrings(int index, const std::string& s) {
  CheckNotSorted();
  CheckIndex(index);
  mList[index].mString = s;
}

TObject* TStringList::Objects(int index) const {
  CheckIndex(index);
  return mList[index].mObject;
}

void TStringList::SetObjects(int index, TObject* object) {
  CheckIndex(index);
  mList[index].mObject = object;
}

void TStringList::SetCapacity(int capacity) {
  if (capacity < Count()) throw EStringListError(Format("List capacity out of bounds (%d)", capacity));
  mList.reserve(static_cast<std::size_t>(capacity));
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == mSorted) return;
  if (sorted) Sort();
  mSorted = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive == mCaseSensitive) return;
  mCaseSensitive = caseSensitive;
  if (mSorted) {
    mSorted = false;
    Sort();
    mSorted = true;
  }
}

int TStringList::AddObject(const std::string& s, TObject* object) {
  int index = Count();
  if (mSorted && Find(s, index)) {
    switch (mDuplicates) {
      case dupIgnore:
        return index;
      case dupError:
        throw EStringListError("String list does not allow duplicates");
      case dupAccept:
        // After its equals, so equal strings keep the order they were added in.
        while (index < Count() && CompareStrings(mList[index].mString, s) == 0) ++index;
        break;
    }
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::InsertObject(int index, const std::string& s, TObject* object) {
  CheckNotSorted();
  if (index < 0 || index > Count()) IndexError(index);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const std::string& s, TObject* object) {
  mList.insert(mList.begin() + index, TStringItem{s, object});
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  TObject* object = mList[index].mObject;
  mList.erase(mList.begin() + index);
  if (mOwnsObjects) delete object;
}

void TStringList::Clear() {
  // Taken out first: an object's destructor may look at the list.
  std::vector<TStringItem> items;
  items.swap(mList);
  if (mOwnsObjects) {
    for (TStringItem& item : items) delete item.mObject;
  }
}

void TStringList::Exchange(int index1, int index2) {
  CheckNotSorted();
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(mList[index1], mList[index2]);
}

void TStringList::Move(int curIndex, int newIndex) {
  CheckNotSorted();
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  if (curIndex == newIndex) return;
  TStringItem item = std::move(mList[curIndex]);
  mList.erase(mList.begin() + curIndex);
  mList.insert(mList.begin() + newIndex, std::move(item));
}

int TStringList::IndexOf(const std::string& s) const {
  if (!mSorted) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const std::string& s, int& index) const {
  if (!mSorted) {
    index = TStrings::IndexOf(s);
    if (index >= 0) return true;
    index = Count();
    return false;
  }
  int low = 0, high = Count();
  while (low < high) {
    int middle = low + (high - low) / 2;
    if (CompareStrings(mList[middle].mString, s) < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  index = low;
  return low < Count() && CompareStrings(mList[low].mString, s) == 0;
}

void TStringList::Sort() {
  CustomSort([](TStringList& list, int index1, int index2) {
    return list.CompareStrings(list.mList[index1].mString, list.mList[index2].mString);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (mSorted || Count() < 2) return;
  std::vector<int> order(mList.size());
  std::iota(order.begin(), order.end(), 0);
  std::vector<int> buffer(order.size());
  MergeSort(order, buffer, 0, order.size(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  std::vector<TStringItem> sorted;
  sorted.reserve(mList.size());
  for (int i : order) sorted.push_back(std::move(mList[i]));
  mList.swap(sorted);
}

int TStringList::CompareStrings(const std::string& s1, const std::string& s2) const {
  return mCaseSensitive ? CompareStr(s1, s2) : CompareText(s1, s2);
}

}  // namespace kx
