#include "kx/platform/Collections.h"

#include <algorithm>

namespace kx {

// ---------------------------------------------------------------------------
// TCollectionItem

TCollectionItem::~TCollectionItem() {
  if (mCollection) mCollection->RemoveItem(this);
}

int TCollectionItem::Index() const {
  if (!mCollection) return -1;
  const auto& items = mCollection->mItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : int(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  if (!mCollection) return;
  const int current = Index();
  if (value == current) return;
  mCollection->CheckIndex(value, mCollection->Count() - 1);
  auto& items = mCollection->mItems;
  items.erase(items.begin() + current);
  items.insert(items.begin() + value, this);
  Changed(true);
}

void TCollectionItem::Changed(bool allItems) {
  if (mCollection && mCollection->mUpdateCount == 0) mCollection->Update(allItems ? nullptr : this);
}

// ---------------------------------------------------------------------------
// TCollection

TCollection::TCollection(TItemFactory itemFactory) : mItemFactory(std::move(itemFactory)) {}

TCollection::~TCollection() {
  mUpdateCount = 1;
  Clear();
}

void TCollection::CheckIndex(int index, int last) const {
  if (index < 0 || index > last) throw EListError(Format("List index out of bounds (%d)", index));
}

TCollectionItem* TCollection::Items(int index) const {
  CheckIndex(index, Count() - 1);
  return mItems[std::size_t(index)];
}

TCollectionItem* TCollection::InsertNew(int index) {
  std::unique_ptr<TCollectionItem> item = mItemFactory();
  if (!item) throw EListError("The collection's item factory made no item");
  mItems.insert(mItems.begin() + index, item.get());
  item->mCollection = this;
  Changed();
  return item.release();
}

TCollectionItem* TCollection::Add() { return InsertNew(Count()); }

TCollectionItem* TCollection::Insert(int index) {
  CheckIndex(index, Count());
  return InsertNew(index);
}

void TCollection::Delete(int index) { delete Items(index); }

void TCollection::Clear() {
  if (mItems.empty()) return;
  BeginUpdate();
  // Last first; each item leaves the list before it is deleted.
  while (!mItems.empty()) {
    TCollectionItem* item = mItems.back();
    mItems.pop_back();
    item->mCollection = nullptr;
    delete item;
  }
  EndUpdate();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  auto it = std::find(mItems.begin(), mItems.end(), item);
  if (it == mItems.end()) return;
  mItems.erase(it);
  item->mCollection = nullptr;
  Changed();
}

void TCollection::EndUpdate() {
  if (mUpdateCount == 0) return;
  if (--mUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (mUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(const TPersistent* source) {
  auto* collection = dynamic_cast<const TCollection*>(source);
  if (!collection) {
    TPersistent::Assign(source);
    return;
  }
  if (collection == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : collection->mItems) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

}  // namespace kx
