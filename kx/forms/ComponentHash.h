// The name index of a form: THashTable, a small chained hash table keyed by
// text, and TKXComponentHash, which maps the upper-cased HTML names and input
// names of a form's components to the components, so that posted field names
// and action names find their control quickly (TKXBaseForm::LocateComponent).
// Builds on forms/ControlInterfaces.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kx/platform/Components.h"
#include "kx/platform/StringLists.h"
#include "kx/platform/SysUtils.h"

namespace kx {

KX_DECLARE_EXCEPTION(EHashTableException, Exception);

// 0 when the two keys are equal.
using TCompareFunc = int (*)(std::string_view key1, std::string_view key2);
using THashFunc = std::uint32_t (*)(std::string_view key);

// The ELF (PJW) hash over the UTF-16 code units of the key (h := h * 16 +
// code; the top four bits folded back in).
std::uint32_t ELFHash(std::string_view key);

// Buckets of items (key, value). The table owns its items, not the values. The items lie in one list ordered by
// bucket (in the order they were added within one), so that a table costs memory for what it holds, not for its
// buckets.
class THashTable : public TObject {
 public:
  // A size below 4 makes 200 buckets. Without a hash function nothing can be
  // added or looked up; without a compare function nothing is ever found.
  THashTable(std::int32_t size, TCompareFunc compare, THashFunc hash);
  THashTable(const THashTable&) = delete;
  THashTable& operator=(const THashTable&) = delete;
  ~THashTable() override;

  std::uint32_t Size() const { return fSize; }
  // False at creation.
  bool IgnoreDuplicates() const { return FIgnoreDuplicates; }
  void SetIgnoreDuplicates(bool value) { FIgnoreDuplicates = value; }

  // A key equal to one in the table raises EHashTableException "Item is
  // already in the table. \"KEY\"", or is ignored with IgnoreDuplicates.
  void Add(const std::string& key, TObject* value);
  // The value of the first equal key of the key's bucket; null when none.
  // Without a hash function raises EHashTableException "Unable to create hash
  // value for current key @ THashTable.LookUp".
  TObject* LookUp(const std::string& key) const;
  // As LookUp, and the item leaves the table (its value is returned, not freed).
  TObject* LookUpAndRemove(const std::string& key);
  // Whether any item holds value (compared by address).
  bool ContainsValue(const TObject* value) const;
  // The number of items held.
  double GetLoadFactor() const;
  // Places every item into newSize new buckets; 0 raises EHashTableException
  // "Probably want to use a positive meaningful value for new table size.".
  void ResizeTable(std::uint32_t newSize);
  // Frees every item, then ResizeTable(newSize).
  void Clear(std::uint32_t newSize);
  // Gives back the room kept for items not added (the table keeps it while it grows).
  void ShrinkToFit() { fItems.shrink_to_fit(); }

 private:
  struct TItem {
    std::string Key;
    TObject* Value;
    std::uint32_t Bucket;
  };
  using TItems = std::vector<TItem>;

  std::uint32_t BucketOf(std::string_view key) const { return fHash(key) % fSize; }
  // The items of the bucket: [first, last).
  std::pair<TItems::iterator, TItems::iterator> BucketRange(std::uint32_t bucket);
  // The item of the bucket whose key equals key; end() when none (or without a compare function).
  TItems::iterator Find(std::string_view key);

  TCompareFunc fCompare;
  THashFunc fHash;
  std::uint32_t fSize;
  TItems fItems;
  bool FIgnoreDuplicates = false;
};

// 200 buckets, ELFHash, keys compared ignoring case. Keys are upper-cased on
// the way in and on look-up, so names that differ only in case always meet.
class TKXComponentHash : public THashTable {
 public:
  TKXComponentHash();

  // True at creation; set when the form's components change, cleared by Populate.
  bool NeedsRefresh() const { return FNeedsRefresh; }
  void SetNeedsRefresh(bool value) { FNeedsRefresh = value; }

  // The component indexed under UpperCase(name); null when none.
  TComponent* LookUp(const std::string& name) const;
  // Indexes the component under its HTML name (UpperCase(Name) for a
  // component that has none) and, for an input control, under each of its
  // input names that is not empty and differs from that key.
  void Add(TComponent* component);
  // Empties the table and indexes the components inside component.
  void Populate(TComponent* component);

  // A framework container, or a frame that owns components.
  static bool IsContainerComponent(TComponent* component);

 protected:
  // Visits the components of a container (or a frame's own): a container among
  // them is indexed only when it takes input or submits, and is descended into.
  virtual void DoPopulate(TComponent* component);

 private:
  bool FNeedsRefresh = true;
  TStringList FInputNamesList;
};

}  // namespace kx
