// String lists: TStrings, the list interface with name=value access and text,
// comma and delimited forms, and TStringList, its stored implementation with
// optional sorting, duplicate control and owned objects. Comparison is ordinal
// (ASCII letters folded unless case-sensitive) and never depends on the locale.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "kx/platform/Classes.h"

namespace kx {

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
 public:
  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;
  ~TStrings() override = default;

  virtual int Count() const = 0;

  // An index outside 0..Count-1 raises EStringListError "List index out of bounds (%d)".
  virtual const std::string& Strings(int index) const = 0;
  virtual void SetStrings(int index, const std::string& s);
  // The object stored beside a string; not owned unless the list says so.
  virtual TObject* Objects(int index) const;
  virtual void SetObjects(int index, TObject* object);

  // Name=value access. A line without the separator has no name and no value.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  // The value of the first line whose name equals name (compared as CompareStrings does); "" when none.
  std::string Values(const std::string& name) const;
  // Replaces the value of the named line, adds "name=value" when there is none; an empty value deletes the line.
  virtual void SetValues(const std::string& name, const std::string& value);
  char NameValueSeparator() const { return mNameValueSeparator; }  // default '='
  void SetNameValueSeparator(char separator) { mNameValueSeparator = separator; }

  // Every line followed by CR LF.
  std::string Text() const;
  // Replaces the lines with text split at CR LF, LF or CR; a final line break adds no empty line.
  virtual void SetText(std::string_view text);

  // DelimitedText with ',' as delimiter, '"' as quote and blanks also separating.
  std::string CommaText() const;
  void SetCommaText(std::string_view text);
  // The lines joined with Delimiter; a line holding the quote, the delimiter or (unless StrictDelimiter)
  // a character up to blank is quoted, inner quotes doubled. A single empty line gives two quotes.
  std::string DelimitedText() const;
  // Replaces the lines with the items of text. An item that starts with QuoteChar runs to the closing
  // quote (doubled quotes inside stand for one). Without StrictDelimiter, characters up to blank also
  // separate items and are skipped around them; a delimiter at the very end adds an empty item.
  void SetDelimitedText(std::string_view text);
  char Delimiter() const { return mDelimiter; }  // default ','
  void SetDelimiter(char delimiter) { mDelimiter = delimiter; }
  char QuoteChar() const { return mQuoteChar; }  // default '"'
  void SetQuoteChar(char quoteChar) { mQuoteChar = quoteChar; }
  bool StrictDelimiter() const { return mStrictDelimiter; }  // default false
  void SetStrictDelimiter(bool strict) { mStrictDelimiter = strict; }

  // Returns the index where s was placed.
  int Add(const std::string& s);
  virtual int AddObject(const std::string& s, TObject* object);
  // Adds every line of strings with its object (strings may be this list).
  virtual void AddStrings(const TStrings& strings);
  // index may be Count (append).
  void Insert(int index, const std::string& s);
  virtual void InsertObject(int index, const std::string& s, TObject* object) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int index1, int index2);
  // Moves the line (with its object) from curIndex to newIndex.
  virtual void Move(int curIndex, int newIndex);

  // -1 when absent; compared as CompareStrings does.
  virtual int IndexOf(const std::string& s) const;
  int IndexOfName(const std::string& name) const;
  int IndexOfObject(const TObject* object) const;

  // Nested update brackets. No change events are sent by these lists, so they only count; they are here
  // for subclasses and callers that group their changes.
  void BeginUpdate() { ++mUpdateCount; }
  void EndUpdate() {
    if (mUpdateCount > 0) --mUpdateCount;
  }
  int UpdateCount() const { return mUpdateCount; }

  // Copies the lines, their objects (the pointers, not the objects) and the separator, delimiter and
  // quote settings of a TStrings source; other sources raise EConvertError.
  void Assign(const TPersistent* source) override;

  // Ordinal comparison, ASCII letters folded: <0, 0 or >0.
  virtual int CompareStrings(const std::string& s1, const std::string& s2) const;

 protected:
  [[noreturn]] static void IndexError(int index);

 private:
  std::string JoinDelimited(char delimiter, char quote, bool strict) const;
  void SplitDelimited(std::string_view text, char delimiter, char quote, bool strict);

  char mNameValueSeparator = '=';
  char mDelimiter = ',';
  char mQuoteChar = '"';
  bool mStrictDelimiter = false;
  int mUpdateCount = 0;
};

class TStringList;
// <0 when the line at index1 belongs before the one at index2, 0 when they are equal, >0 otherwise.
using TStringListSortCompare = std::function<int(TStringList& list, int index1, int index2)>;

class TStringList : public TStrings {
 public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : mOwnsObjects(ownsObjects) {}
  ~TStringList() override;

  int Count() const override { return static_cast<int>(mList.size()); }
  const std::string& Strings(int index) const override;
  // Raises EStringListError "Operation not allowed on sorted list" when Sorted.
  void SetStrings(int index, const std::string& s) override;
  TObject* Objects(int index) const override;
  // Does not free the object it replaces, even when OwnsObjects.
  void SetObjects(int index, TObject* object) override;

  // The room reserved for lines; below Count raises EStringListError "List capacity out of bounds (%d)".
  int Capacity() const { return static_cast<int>(mList.capacity()); }
  void SetCapacity(int capacity);

  // Setting true sorts the list; Add then inserts at the sorted position (binary search).
  bool Sorted() const { return mSorted; }
  void SetSorted(bool sorted);
  // How a sorted list treats an added string equal to one it holds: dupIgnore returns the existing
  // index without adding (the object stays the caller's), dupAccept inserts it after its equals,
  // dupError raises EStringListError "String list does not allow duplicates". Unsorted lists accept all.
  TDuplicates Duplicates() const { return mDuplicates; }  // default dupIgnore
  void SetDuplicates(TDuplicates duplicates) { mDuplicates = duplicates; }
  // Default false; changing it re-sorts a sorted list.
  bool CaseSensitive() const { return mCaseSensitive; }
  void SetCaseSensitive(bool caseSensitive);
  // When true the list deletes the objects of deleted lines, on Clear and when destroyed.
  bool OwnsObjects() const { return mOwnsObjects; }  // default false
  void SetOwnsObjects(bool ownsObjects) { mOwnsObjects = ownsObjects; }

  int AddObject(const std::string& s, TObject* object) override;
  // Raises EStringListError "Operation not allowed on sorted list" when Sorted.
  void InsertObject(int index, const std::string& s, TObject* object) override;
  void Delete(int index) override;
  void Clear() override;
  // Both raise EStringListError "Operation not allowed on sorted list" when Sorted.
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;

  int IndexOf(const std::string& s) const override;
  // Finds the first line equal to s: true with its index, or false with the index where s would be
  // inserted. Binary search on a sorted list, a scan (index = Count when absent) otherwise.
  bool Find(const std::string& s, int& index) const;

  // Stable merge sort by CompareStrings / by compare; both do nothing when the list is Sorted
  // (it is in order already). compare sees the list unchanged until the sort ends and must not change it.
  void Sort();
  void CustomSort(const TStringListSortCompare& compare);

  // Ordinal comparison: bytes when CaseSensitive, ASCII letters folded otherwise.
  int CompareStrings(const std::string& s1, const std::string& s2) const override;

 protected:
  // Every insertion, sorted or not, ends here with a checked index.
  virtual void InsertItem(int index, const std::string& s, TObject* object);

 private:
  struct TStringItem {
    std::string mString;
    TObject* mObject = nullptr;
  };

  void CheckIndex(int index) const;
  void CheckNotSorted() const;

  std::vector<TStringItem> mList;
  bool mSorted = false;
  TDuplicates mDuplicates = dupIgnore;
  bool mCaseSensitive = false;
  bool mOwnsObjects = false;
};

}  // namespace kx
