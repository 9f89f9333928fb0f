// Pointer lists: TList holds untyped pointers, TObjectList holds objects and,
// by default, owns them. Indexes are 0-based; a bad index raises EListError
// "List index out of bounds (N)".
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "kx/platform/Classes.h"

namespace kx {

enum class TListNotification { lnAdded, lnExtracted, lnDeleted };

// Negative, 0 or positive as item1 sorts before, with or after item2.
using TListSortCompare = std::function<int(void* item1, void* item2)>;

class TList : public TObject {
 public:
  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;
  ~TList() override;

  int Count() const { return int(mItems.size()); }
  void* Items(int index) const;
  // Replacing an item notifies the old one as deleted and the new one as added.
  void SetItems(int index, void* item);

  int Add(void* item);  // returns the new item's index
  void Insert(int index, void* item);
  void Delete(int index);
  // Deletes the first occurrence; returns its former index or -1.
  int Remove(void* item);
  // Takes the first occurrence out without deleting it; returns it or nullptr.
  void* Extract(void* item);
  int IndexOf(void* item) const;
  void Exchange(int index1, int index2);
  // Deletes every item, the last first.
  void Clear();

  // The items in place, for sorting them.
  std::span<void*> List() { return mItems; }

 protected:
  // Called after an item was added, or taken out of the list (extracted or deleted).
  virtual void Notify(void* item, TListNotification action);
  void CheckIndex(int index) const;

 private:
  std::vector<void*> mItems;
};

class TObjectList : public TList {
 public:
  explicit TObjectList(bool ownsObjects = true) : mOwnsObjects(ownsObjects) {}
  // Frees the objects it owns.
  ~TObjectList() override;

  // When true (the default), a deleted or replaced object is freed.
  bool OwnsObjects() const { return mOwnsObjects; }
  void SetOwnsObjects(bool value) { mOwnsObjects = value; }

  TObject* Items(int index) const { return static_cast<TObject*>(TList::Items(index)); }
  void SetItems(int index, TObject* item) { TList::SetItems(index, item); }
  int Add(TObject* item) { return TList::Add(item); }
  void Insert(int index, TObject* item) { TList::Insert(index, item); }
  int Remove(TObject* item) { return TList::Remove(item); }
  TObject* Extract(TObject* item) { return static_cast<TObject*>(TList::Extract(item)); }
  int IndexOf(TObject* item) const { return TList::IndexOf(item); }

 protected:
  void Notify(void* item, TListNotification action) override;

 private:
  bool mOwnsObjects;
};

}  // namespace kx
