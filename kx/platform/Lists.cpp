#include "kx/platform/Lists.h"

#include <algorithm>
#include <utility>

namespace kx {

TList::~TList() { Clear(); }

void TList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
}

void* TList::Items(int index) const {
  CheckIndex(index);
  return mItems[std::size_t(index)];
}

void TList::SetItems(int index, void* item) {
  CheckIndex(index);
  void* old = std::exchange(mItems[std::size_t(index)], item);
  if (old == item) return;
  if (old) Notify(old, TListNotification::lnDeleted);
  if (item) Notify(item, TListNotification::lnAdded);
}

int TList::Add(void* item) {
  mItems.push_back(item);
  if (item) Notify(item, TListNotification::lnAdded);
  return Count() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) throw EListError(Format("List index out of bounds (%d)", index));
  mItems.insert(mItems.begin() + index, item);
  if (item) Notify(item, TListNotification::lnAdded);
}

void TList::Delete(int index) {
  CheckIndex(index);
  void* item = mItems[std::size_t(index)];
  mItems.erase(mItems.begin() + index);
  if (item) Notify(item, TListNotification::lnDeleted);
}

int TList::Remove(void* item) {
  const int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  const int index = IndexOf(item);
  if (index < 0) return nullptr;
  mItems.erase(mItems.begin() + index);
  if (item) Notify(item, TListNotification::lnExtracted);
  return item;
}

int TList::IndexOf(void* item) const {
  const auto found = std::find(mItems.begin(), mItems.end(), item);
  return found == mItems.end() ? -1 : int(found - mItems.begin());
}

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(mItems[std::size_t(index1)], mItems[std::size_t(index2)]);
}

void TList::Clear() {
  // Re-read the count on every turn: freeing one item may take others out.
  while (!mItems.empty()) Delete(Count() - 1);
  mItems.shrink_to_fit();
}

void TList::Notify(void*, TListNotification) {}

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* item, TListNotification action) {
  if (mOwnsObjects && action == TListNotification::lnDeleted) delete static_cast<TObject*>(item);
}

}  // namespace kx
