// Collections: TCollection owns an ordered list of TCollectionItem objects of
// one item class and tells its Update hook about changes; TOwnedCollection
// also knows the object it belongs to.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "kx/platform/Classes.h"

namespace kx {

class TCollection;

// One item of a collection. Deleting an item (or Free) takes it out of its collection first.
class TCollectionItem : public TPersistent {
 public:
  TCollectionItem() = default;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;
  ~TCollectionItem() override;

  // The collection holding the item; nullptr while it is in none.
  TCollection* Collection() const { return mCollection; }
  // The position in the collection; -1 while it is in none.
  int Index() const;
  // Moves the item to that position; an index out of range raises EListError.
  virtual void SetIndex(int value);

  // Takes the item out of its collection and deletes it.
  void Free() { delete this; }

 protected:
  // Tells the collection that this item (allItems: every item) changed.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* mCollection = nullptr;
};

class TCollection : public TPersistent {
 public:
  // Makes a new item of the collection's item class.
  using TItemFactory = std::function<std::unique_ptr<TCollectionItem>()>;

  explicit TCollection(TItemFactory itemFactory);
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;
  // Deletes the items without calling Update.
  ~TCollection() override;

  int Count() const { return int(mItems.size()); }
  // An index out of range raises EListError "List index out of bounds (N)".
  TCollectionItem* Items(int index) const;

  // A new item at the end / at index (0..Count, else EListError).
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();

  // Update waits until every BeginUpdate has its EndUpdate; the last one calls Update(nullptr).
  void BeginUpdate() { ++mUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return mUpdateCount; }

  // The object the collection belongs to; nullptr for a plain collection.
  virtual TPersistent* Owner() const { return nullptr; }

  // From another collection: Clear, then one new item per source item, each
  // assigned from it. Anything else goes to TPersistent::Assign.
  void Assign(const TPersistent* source) override;

 protected:
  // Called after a change unless updates are held: item is the changed item,
  // nullptr when items were added, removed, moved or several changed.
  virtual void Update(TCollectionItem* item) { (void)item; }
  void Changed();

 private:
  friend class TCollectionItem;

  void CheckIndex(int index, int last) const;  // raises EListError unless 0 <= index <= last
  TCollectionItem* InsertNew(int index);
  void RemoveItem(TCollectionItem* item);

  TItemFactory mItemFactory;
  std::vector<TCollectionItem*> mItems;
  int mUpdateCount = 0;
};

// The item factory of item class T.
template <class T>
TCollection::TItemFactory CollectionItemClass() {
  return [] { return std::make_unique<T>(); };
}

class TOwnedCollection : public TCollection {
 public:
  TOwnedCollection(TPersistent* owner, TItemFactory itemFactory)
      : TCollection(std::move(itemFactory)), mOwner(owner) {}

  TPersistent* Owner() const override { return mOwner; }

 private:
  TPersistent* mOwner;
};

}  // namespace kx
