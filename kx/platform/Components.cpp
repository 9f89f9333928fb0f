#include "kx/platform/Components.h"

#include <algorithm>
#include <exception>
#include <mutex>

namespace kx {

namespace {

template <class T>
void EraseValue(std::vector<T*>& list, const T* value) {
  auto it = std::find(list.begin(), list.end(), value);
  if (it != list.end()) list.erase(it);
}

template <class T>
bool ContainsValue(const std::vector<T*>& list, const T* value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Runs steps that must all happen and keeps the first exception one of them raised.
class TFirstException {
 public:
  template <class F>
  void Run(F&& step) noexcept {
    try {
      step();
    } catch (...) {
      if (!mError) mError = std::current_exception();
    }
  }
  void RaiseIfAny() const {
    if (mError) std::rethrow_exception(mError);
  }

 private:
  std::exception_ptr mError;
};

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

}  // namespace

bool IsValidIdent(std::string_view text) {
  if (text.empty() || !IsIdentStart(text.front())) return false;
  return std::all_of(text.begin() + 1, text.end(), IsIdentChar);
}

bool TComponentClass::InheritsFrom(const TComponentClass& ancestor) const {
  for (const TComponentClass* record = this; record; record = record->Parent) {
    if (record == &ancestor) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// TComponent

thread_local bool TComponent::sCreating = false;

const TComponentClass& TComponent::ClassRecord() {
  static const TComponentClass record{
      "TComponent", nullptr, [](TComponent* owner) -> TComponent* { return TComponent::Create<TComponent>(owner); }};
  return record;
}

void TComponent::BeginCreate() { sCreating = true; }

TComponent::TComponent() {
  // A component outside Create would miss AfterConstruction and could be
  // destroyed without Free, leaving its owner and guarded pointers dangling.
  if (!sCreating) throw EInvalidOperation("Components are created with TComponent::Create");
  sCreating = false;
}

TComponent::~TComponent() = default;

void TComponent::FinishCreation(TComponent* owner) {
  try {
    if (owner) {
      owner->InsertComponent(this);
      if (owner->mComponentState.Contains(csReading)) mComponentState.Include(csLoading);
    }
    AfterConstruction();
  } catch (...) {
    try {
      Free();
    } catch (...) {
      // The creation failure is the one to report.
    }
    throw;
  }
}

void TComponent::AfterConstruction() {
  InitControl();
  InitDesignTime();
}

void TComponent::Free() {
  if (mFreeing) return;
  mFreeing = true;
  TFirstException error;
  Destroying();

  for (TComponentGuard* guard : mGuards) guard->mTarget = nullptr;
  mGuards.clear();

  error.Run([this] { BeforeDestruction(); });
  error.Run([this] { Dispose(); });

  // A notified component may free others or register again: take one link at a time.
  while (!mFreeNotifies.empty()) {
    TComponent* other = mFreeNotifies.back();
    mFreeNotifies.pop_back();
    EraseValue(other->mFreeNotifies, this);
    error.Run([&] { other->Notification(this, opRemove); });
  }
  if (mOwner) error.Run([this] { mOwner->Notification(this, opRemove); });

  error.Run([this] { DestroyControls(); });
  error.Run([this] { DestroyComponents(); });

  // The owner may itself have been freed meanwhile; it then cleared mOwner.
  if (mOwner) {
    EraseValue(mOwner->mComponents, this);
    mOwner = nullptr;
  }
  delete this;
  error.RaiseIfAny();
}

void TComponent::Destroying() {
  mComponentState.Include(csDestroying);
  for (TComponent* component : mComponents) component->Destroying();
}

void TComponent::SetName(const std::string& value) {
  if (mName == value) return;
  if (!value.empty() && !IsValidIdent(value)) {
    throw EComponentError(Format("\"%s\" is not a valid component name.", value));
  }
  if (mOwner) mOwner->ValidateRename(this, mName, value);
  mName = value;
}

void TComponent::ValidateRename(const TComponent* component, const std::string& currentName,
                                const std::string& newName) const {
  if (newName.empty() || SameText(currentName, newName)) return;
  const TComponent* found = FindComponent(newName);
  if (found && found != component) throw EComponentError(Format("A component named %s already exists", newName));
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return mComponents[std::size_t(index)];
}

int TComponent::ComponentIndex() const {
  if (!mOwner) return -1;
  auto it = std::find(mOwner->mComponents.begin(), mOwner->mComponents.end(), this);
  return it == mOwner->mComponents.end() ? -1 : int(it - mOwner->mComponents.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* component : mComponents) {
    if (SameText(component->mName, name)) return component;
  }
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->mOwner == this) return;
  for (const TComponent* owner = this; owner; owner = owner->mOwner) {
    if (owner == component) throw EComponentError("A component cannot be owned by itself or by one of its own components");
  }
  if (component->mFreeing) throw EComponentError("A component that is being freed cannot join an owner");
  ValidateRename(component, std::string(), component->mName);
  if (component->mOwner) component->mOwner->RemoveComponent(component);
  mComponents.push_back(component);
  component->mOwner = this;
  if (mComponentState.Contains(csDesigning)) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->mOwner != this) return;
  Notification(component, opRemove);
  if (component->mOwner != this) return;  // a handler moved it already
  EraseValue(mComponents, component);
  component->mOwner = nullptr;
}

void TComponent::DestroyComponents() {
  TFirstException error;
  // Each child leaves the list before it is freed, and the count is read again
  // every turn: a child's Dispose may free a sibling or create a new one.
  while (!mComponents.empty()) {
    TComponent* component = mComponents.back();
    mComponents.pop_back();
    component->mOwner = nullptr;
    error.Run([component] { component->Free(); });
  }
  error.RaiseIfAny();
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this || mFreeing || component->mFreeing) return;
  if (!ContainsValue(mFreeNotifies, component)) mFreeNotifies.push_back(component);
  if (!ContainsValue(component->mFreeNotifies, this)) component->mFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  EraseValue(mFreeNotifies, component);
  EraseValue(component->mFreeNotifies, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // By index, reading the size again: a handler may free or add components.
  for (std::size_t i = 0; i < mComponents.size(); ++i) {
    TComponent* owned = mComponents[i];
    if (owned != component) owned->Notification(component, operation);
  }
}

void TComponent::LoadComponents() {
  mComponentState.Include(csLoading).Include(csReading);
  try {
    BuildComponents();
  } catch (...) {
    mComponentState.Exclude(csReading);
    throw;
  }
  mComponentState.Exclude(csReading);
  for (std::size_t i = 0; i < mComponents.size(); ++i) {
    TComponent* component = mComponents[i];
    if (component->mComponentState.Contains(csLoading)) component->Loaded();
  }
  Loaded();
}

void TComponent::Loaded() { mComponentState.Exclude(csLoading); }

void TComponent::SetDesigning(bool value, bool setChildren) {
  if (value) {
    mComponentState.Include(csDesigning);
  } else {
    mComponentState.Exclude(csDesigning);
  }
  if (setChildren) {
    for (TComponent* component : mComponents) component->SetDesigning(value, true);
  }
}

// ---------------------------------------------------------------------------
// Guarded pointers

void TComponentGuard::Attach(TComponent* target) {
  if (target && target->mFreeing) target = nullptr;
  if (target == mTarget) return;
  if (mTarget) EraseValue(mTarget->mGuards, this);
  mTarget = target;
  if (mTarget) mTarget->mGuards.push_back(this);
}

void TComponentFree::operator()(TComponent* component) const noexcept {
  try {
    if (component) component->Free();
  } catch (...) {
    // A deleter must not raise; the component is gone all the same.
  }
}

// ---------------------------------------------------------------------------
// TDataModule

void TDataModule::AfterConstruction() {
  if (AddDataModule) AddDataModule(this);
  mAnnounced = true;
  TComponent::AfterConstruction();
  LoadComponents();
  DoCreate();
}

void TDataModule::BeforeDestruction() {
  TComponent::BeforeDestruction();
  TFirstException error;
  error.Run([this] { DoDestroy(); });
  if (mAnnounced) {
    mAnnounced = false;
    error.Run([this] {
      if (RemoveDataModule) RemoveDataModule(this);
    });
  }
  error.RaiseIfAny();
}

void TDataModule::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TDataModule::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

namespace {

struct TDataModuleList {
  std::mutex Lock;
  std::vector<TDataModule*> Items;
};

TDataModuleList& DataModuleList() {
  static TDataModuleList list;
  return list;
}

}  // namespace

TDataModuleProc AddDataModule = RegisterDataModule;
TDataModuleProc RemoveDataModule = UnregisterDataModule;

void RegisterDataModule(TDataModule* dataModule) {
  TDataModuleList& list = DataModuleList();
  std::lock_guard lock(list.Lock);
  if (!ContainsValue(list.Items, dataModule)) list.Items.push_back(dataModule);
}

void UnregisterDataModule(TDataModule* dataModule) {
  TDataModuleList& list = DataModuleList();
  std::lock_guard lock(list.Lock);
  EraseValue(list.Items, dataModule);
}

int DataModuleCount() {
  TDataModuleList& list = DataModuleList();
  std::lock_guard lock(list.Lock);
  return int(list.Items.size());
}

TDataModule* DataModules(int index) {
  TDataModuleList& list = DataModuleList();
  std::lock_guard lock(list.Lock);
  if (index < 0 || index >= int(list.Items.size())) throw EListError(Format("List index out of bounds (%d)", index));
  return list.Items[std::size_t(index)];
}

// The interface cache: open addressing with linear probing over a power-of-two
// table, grown at half load. One per thread, so queries take no lock.
namespace {

struct TInterfaceSlot {
  const void* VTable = nullptr;
  const void* Id = nullptr;
  bool Supported = false;
  std::ptrdiff_t Offset = 0;
};

struct TInterfaceCache {
  std::vector<TInterfaceSlot> Slots = std::vector<TInterfaceSlot>(256);
  std::size_t Count = 0;

  std::size_t Home(const void* vtable, const void* id) const {
    auto hash = std::uintptr_t(vtable) * 0x9E3779B97F4A7C15ull ^ std::uintptr_t(id) * 0xC2B2AE3D27D4EB4Full;
    return std::size_t(hash ^ (hash >> 29)) & (Slots.size() - 1);
  }
  TInterfaceSlot& Find(const void* vtable, const void* id) {
    std::size_t mask = Slots.size() - 1;
    for (std::size_t i = Home(vtable, id);; i = (i + 1) & mask) {
      TInterfaceSlot& slot = Slots[i];
      if (slot.VTable == nullptr || (slot.VTable == vtable && slot.Id == id)) return slot;
    }
  }
  void Add(const TInterfaceSlot& entry) {
    if (2 * (Count + 1) > Slots.size()) {
      std::vector<TInterfaceSlot> old(Slots.size() * 2);
      old.swap(Slots);
      for (const TInterfaceSlot& slot : old)
        if (slot.VTable != nullptr) Find(slot.VTable, slot.Id) = slot;
    }
    TInterfaceSlot& slot = Find(entry.VTable, entry.Id);
    if (slot.VTable == nullptr) ++Count;
    slot = entry;
  }
};

thread_local TInterfaceCache tInterfaces;

}  // namespace

namespace detail {

TInterfaceAnswer CachedInterface(const void* vtable, const void* id) {
  const TInterfaceSlot& slot = tInterfaces.Find(vtable, id);
  if (slot.VTable == nullptr) return {};
  return {true, slot.Supported, slot.Offset};
}

void CacheInterface(const void* vtable, const void* id, bool supported, std::ptrdiff_t offset) {
  tInterfaces.Add({vtable, id, supported, offset});
}

}  // namespace detail

}  // namespace kx
