#include "kx/platform/Menus.h"


#include <atomic>

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

void CheckIndex(int index, int count) {
  if (index < 0 || index >= count) throw EListError(Format("List index out of bounds (%d)", index));
}

std::atomic<std::uint64_t> gNextMenuItemId{1};

}  // namespace

TMenuItem::TMenuItem(const std::string& caption) : FId(gNextMenuItemId++), FCaption(caption) {}

TMenuItem* TMenuItem::Items(int index) const {
  CheckIndex(index, Count());
  return FItems[std::size_t(index)].get();
}

int TMenuItem::MenuIndex() const {
  if (FParent == nullptr) return -1;
  for (int i = 0; i < FParent->Count(); ++i) {
    if (FParent->FItems[std::size_t(i)].get() == this) return i;
  }
  return -1;
}

TMenuItem* TMenuItem::Add(const std::string& caption) { return Insert(Count(), caption); }

TMenuItem* TMenuItem::Insert(int index, const std::string& caption) {
  if (index < 0 || index > Count()) throw EListError(Format("List index out of bounds (%d)", index));
  auto item = std::make_unique<TMenuItem>(caption);
  item->FParent = this;
  TMenuItem* added = item.get();
  FItems.insert(FItems.begin() + index, std::move(item));
  return added;
}

void TMenuItem::Delete(int index) {
  CheckIndex(index, Count());
  // Out of the list first: the item's destruction cannot see itself listed.
  std::unique_ptr<TMenuItem> item = std::move(FItems[std::size_t(index)]);
  FItems.erase(FItems.begin() + index);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

bool TMenuItem::Contains(const TMenuItem* item) const {
  if (item == this) return true;
  for (const std::unique_ptr<TMenuItem>& child : FItems) {
    if (child->Contains(item)) return true;
  }
  return false;
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

}  // namespace kx
