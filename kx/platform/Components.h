// The component tree: TComponent with ownership, names, state flags and free
// notification, created and freed in two phases; guarded pointers to
// components; class records standing for class references; interface queries;
// and TDataModule. Controls build on it in platform/Controls.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "kx/platform/Classes.h"
#include "kx/platform/Types.h"

namespace kx {

KX_DECLARE_EXCEPTION(EComponentError, Exception);

using TNotifyEvent = std::function<void(TObject* sender)>;

enum TOperation : std::uint8_t { opInsert, opRemove };

enum TComponentStateItem : std::uint8_t {
  csLoading,     // between creation from a stored description and Loaded
  csReading,     // while the stored description (BuildComponents) runs
  csDestroying,  // Free has begun on this component or on one of its owners
  csDesigning,   // inside a form designer; never set on the server
};
using TComponentState = TEnumSet<TComponentStateItem>;

// Whether text is an identifier: ASCII letters, digits and "_", not starting with a digit.
bool IsValidIdent(std::string_view text);

class TComponent;
class TComponentGuard;

// The record that stands for a class reference: the class name with its
// leading T, the parent class's record and a virtual constructor.
struct TComponentClass {
  std::string_view Name;
  const TComponentClass* Parent;  // nullptr for TComponent
  // Creates a component of the class with the given owner; nullptr for an
  // abstract class or one without a default constructor.
  TComponent* (*Create)(TComponent* owner);

  // Whether this class is `ancestor` or derives from it.
  bool InheritsFrom(const TComponentClass& ancestor) const;
};

template <class T>
constexpr auto ComponentCreator() -> TComponent* (*)(TComponent*);

// Declares the class record of a component class; write it first in the class
// body. It leaves the class body in a public section.
//   class TMainForm : public TKXForm {
//     KX_COMPONENT_CLASS(TMainForm, TKXForm)
//     ...
#define KX_COMPONENT_CLASS(Class, ParentClass)                                                 \
 public:                                                                                        \
  static const ::kx::TComponentClass& ClassRecord() {                                           \
    static const ::kx::TComponentClass record{#Class, &ParentClass::ClassRecord(),              \
                                              ::kx::ComponentCreator<Class>()};                 \
    return record;                                                                              \
  }                                                                                             \
  const ::kx::TComponentClass& ClassType() const override { return ClassRecord(); }

// The base of the component tree. A component is created through
// TComponent::Create<T>(owner, ...) and freed through Free(); the owner frees
// the components it owns. Components are neither copied nor deleted directly.
//
// Creation: the constructor runs, the component joins its owner, then the
// virtual AfterConstruction runs InitControl and then InitDesignTime, so both
// dispatch to the most derived class. Subclasses create their owned parts and
// set their defaults in InitControl, calling the inherited InitControl first
// unless their own parts must exist before it runs.
//
// Free: sets csDestroying (on the owned components too), clears every guarded
// pointer to the component, runs BeforeDestruction and Dispose, sends
// Notification(this, opRemove) to the components registered with
// FreeNotification and to the owner (which passes it on to its other
// components), frees a windowed control's child controls and lets a control
// leave its parent, frees the owned components the last first, leaves the
// owner and deletes the object. Notification may reach
// a component after its own Dispose while it is destroying; overrides check
// csDestroying before touching what Dispose released.
class TComponent : public TPersistent {
 public:
  static const TComponentClass& ClassRecord();
  virtual const TComponentClass& ClassType() const { return ClassRecord(); }
  bool InheritsFrom(const TComponentClass& ancestor) const { return ClassType().InheritsFrom(ancestor); }

  // Creates a T with the given constructor arguments, inserts it into owner
  // (may be nullptr: the caller then frees it) and runs AfterConstruction. When
  // AfterConstruction raises, the component is freed and the exception passes on.
  template <class T, class... A>
  static T* Create(TComponent* owner, A&&... args);

  // Constructing a component other than through Create raises EInvalidOperation.
  TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  // Pairs with the protected operator delete, which keeps `delete` out of reach.
  static void* operator new(std::size_t size) { return ::operator new(size); }

  // Destroys the component as described above. It completes even when a hook
  // raises, and then raises the first exception again. A second Free while the
  // first runs does nothing.
  void Free();

  TComponent* Owner() const { return mOwner; }
  const std::string& Name() const { return mName; }
  // Empty or an identifier (else EComponentError "\"X\" is not a valid component
  // name."), unique among the owner's components ignoring case (else
  // EComponentError "A component named X already exists").
  virtual void SetName(const std::string& value);
  std::intptr_t Tag() const { return mTag; }
  void SetTag(std::intptr_t value) { mTag = value; }
  TComponentState ComponentState() const { return mComponentState; }

  // The owned components in the order they joined; an index out of range raises EListError.
  int ComponentCount() const { return int(mComponents.size()); }
  TComponent* Components(int index) const;
  // The position in the owner's list; -1 without owner.
  int ComponentIndex() const;
  // The owned component of that name ignoring case; nullptr for none or an empty name.
  TComponent* FindComponent(std::string_view name) const;
  // Makes this component the owner of component, taking it from its previous
  // owner. Raises EComponentError for a duplicate name or when component is
  // this component or one of its owners.
  void InsertComponent(TComponent* component);
  // Takes component out of the owned list (after Notification(component,
  // opRemove)); the caller then answers for it. Does nothing when not owned here.
  void RemoveComponent(TComponent* component);
  // Frees the owned components, the last first. Raises the first exception a Free raised.
  void DestroyComponents();

  // Registers this component and component with each other: when either is
  // freed, the other gets Notification(it, opRemove).
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

 protected:
  virtual ~TComponent();
  static void operator delete(void* pointer) { ::operator delete(pointer); }

  // Runs InitControl, then InitDesignTime.
  virtual void AfterConstruction();
  virtual void InitControl() {}
  virtual void InitDesignTime() {}

  // Stands in for reading a stored description: runs BuildComponents in the
  // loading and reading states (components created with this owner meanwhile
  // start in csLoading), then calls Loaded on every owned component still
  // loading, in the order they joined, and last on this component.
  void LoadComponents();
  // Creates and sets up the owned components in code; empty here.
  virtual void BuildComponents() {}
  // Clears csLoading.
  virtual void Loaded();

  // First hook of Free, with csDestroying already set.
  virtual void BeforeDestruction() {}
  // Releases what InitControl created. Runs once, even after a failed creation.
  virtual void Dispose() {}

  // Told about components joining (opInsert) or leaving (opRemove) this owner,
  // and about freed components registered with FreeNotification. The base drops
  // the free-notification link of a removed component and passes the notice on
  // to the owned components other than the one it is about.
  virtual void Notification(TComponent* component, TOperation operation);

  // The component's Free has begun.
  bool IsFreeing() const { return mFreeing; }
  void SetDesigning(bool value, bool setChildren = true);

 private:
  friend class TComponentGuard;

  // The platform's step of Free for controls: a windowed control frees its
  // child controls, a control leaves its parent. Not a subclass hook.
  virtual void DestroyControls() {}

  static void BeginCreate();
  void FinishCreation(TComponent* owner);
  void Destroying();
  void ValidateRename(const TComponent* component, const std::string& currentName,
                      const std::string& newName) const;

  TComponent* mOwner = nullptr;
  std::string mName;
  std::intptr_t mTag = 0;
  TComponentState mComponentState;
  bool mFreeing = false;
  std::vector<TComponent*> mComponents;
  std::vector<TComponent*> mFreeNotifies;
  std::vector<TComponentGuard*> mGuards;

  static thread_local bool sCreating;
};

template <class T, class... A>
T* TComponent::Create(TComponent* owner, A&&... args) {
  static_assert(std::is_base_of_v<TComponent, T>, "Create makes components only");
  BeginCreate();
  T* component;
  try {
    component = new T(std::forward<A>(args)...);
  } catch (...) {
    sCreating = false;
    throw;
  }
  static_cast<TComponent*>(component)->FinishCreation(owner);
  return component;
}

template <class T>
constexpr auto ComponentCreator() -> TComponent* (*)(TComponent*) {
  if constexpr (std::is_abstract_v<T> || !std::is_default_constructible_v<T>) {
    return nullptr;
  } else {
    return [](TComponent* owner) -> TComponent* { return TComponent::Create<T>(owner); };
  }
}

// The non-template part of TComponentRef: one registration with its target.
class TComponentGuard {
 protected:
  TComponentGuard() = default;
  explicit TComponentGuard(TComponent* target) { Attach(target); }
  TComponentGuard(const TComponentGuard& other) { Attach(other.mTarget); }
  TComponentGuard& operator=(const TComponentGuard& other) {
    Attach(other.mTarget);
    return *this;
  }
  ~TComponentGuard() { Attach(nullptr); }

  // Leaves the current target and registers with target; a target whose Free
  // has begun is taken as nullptr.
  void Attach(TComponent* target);
  TComponent* mTarget = nullptr;

 private:
  friend class TComponent;
};

// A non-owning pointer to a component that becomes nullptr as soon as Free
// begins on the component.
template <class T>
class TComponentRef : private TComponentGuard {
 public:
  TComponentRef() = default;
  TComponentRef(T* target) : TComponentGuard(target) {}
  TComponentRef& operator=(T* target) {
    Attach(target);
    return *this;
  }

  T* Get() const { return static_cast<T*>(mTarget); }
  T* operator->() const { return Get(); }
  T& operator*() const { return *Get(); }
  operator T*() const { return Get(); }
  explicit operator bool() const { return mTarget != nullptr; }
};

// Frees a component; for std::unique_ptr holding a component without owner.
// An exception from Free is swallowed here, as a deleter must not raise.
struct TComponentFree {
  void operator()(TComponent* component) const noexcept;
};
template <class T>
using TOwnedComponent = std::unique_ptr<T, TComponentFree>;

namespace detail {
// What a query of interface id on an object with the given virtual table
// answered before: found is false when the pair was never asked on this thread;
// otherwise supported tells whether the object implements the interface, and
// offset is the interface's distance from the object's TObject part.
struct TInterfaceAnswer {
  bool found = false;
  bool supported = false;
  std::ptrdiff_t offset = 0;
};
TInterfaceAnswer CachedInterface(const void* vtable, const void* id);
void CacheInterface(const void* vtable, const void* id, bool supported, std::ptrdiff_t offset);

// One address per interface type, standing for it in the cache.
template <class I>
struct TInterfaceTag {
  static constexpr char Id = 0;
};

// The virtual table pointer at the start of the object's TObject part.
inline const void* VTableOf(const TObject* object) {
  const void* vtable;
  std::memcpy(&vtable, static_cast<const void*>(object), sizeof vtable);
  return vtable;
}

// Asks dynamic_cast once per (virtual table, interface) and thread and answers
// from the cache afterwards. An object's virtual table pointer fixes its layout
// (the complete type, or the base under construction or destruction with its
// own construction table), so the interface's distance from the TObject part
// is the same for every object sharing it.
template <class I>
I* QueryInterface(const TObject* object) {
  const void* id = &TInterfaceTag<std::remove_cv_t<I>>::Id;
  const void* vtable = VTableOf(object);
  auto* self = reinterpret_cast<const char*>(object);
  TInterfaceAnswer answer = CachedInterface(vtable, id);
  if (!answer.found) {
    const I* found = dynamic_cast<const I*>(object);
    answer.supported = found != nullptr;
    answer.offset = found ? reinterpret_cast<const char*>(found) - self : 0;
    CacheInterface(vtable, id, answer.supported, answer.offset);
  }
  if (!answer.supported) return nullptr;
  return const_cast<I*>(reinterpret_cast<const I*>(self + answer.offset));
}
}  // namespace detail

// The object's interface I, or nullptr when the object is nullptr or does not
// implement I. Interfaces are abstract classes inherited virtually; nothing is
// reference counted. For objects derived from TObject the answer comes from a
// per-thread cache keyed by the object's virtual table, so dynamic_cast runs
// once per class and interface; other pointers (an interface asked for another)
// use dynamic_cast.
template <class I, class T>
I* Supports(T* object) {
  if constexpr (std::is_base_of_v<I, T>) {
    return object;
  } else if constexpr (std::is_base_of_v<TObject, T>) {
    return object ? detail::QueryInterface<I>(static_cast<const TObject*>(object)) : nullptr;
  } else {
    return object ? dynamic_cast<I*>(object) : nullptr;
  }
}
template <class I, class T>
const I* Supports(const T* object) {
  if constexpr (std::is_base_of_v<I, T>) {
    return object;
  } else if constexpr (std::is_base_of_v<TObject, T>) {
    return object ? detail::QueryInterface<const I>(static_cast<const TObject*>(object)) : nullptr;
  } else {
    return object ? dynamic_cast<const I*>(object) : nullptr;
  }
}

// A component that holds other non-visual components. OnCreate runs at the end
// of creation (after InitControl, InitDesignTime, BuildComponents and Loaded),
// OnDestroy at the start of Free. Each data module is announced to
// AddDataModule when it is created and to RemoveDataModule when it is freed.
class TDataModule : public TComponent {
  KX_COMPONENT_CLASS(TDataModule, TComponent)

 public:
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

 protected:
  // AddDataModule, the inherited AfterConstruction, LoadComponents, DoCreate.
  void AfterConstruction() override;
  // DoDestroy, then RemoveDataModule.
  void BeforeDestruction() override;
  // Call OnCreate / OnDestroy when assigned.
  virtual void DoCreate();
  virtual void DoDestroy();

 private:
  bool mAnnounced = false;
};

// The routines told about every data module created and freed. By default they
// keep the process-wide list below. Replace them only at start-up, before any
// data module exists; a replacement may keep the previous routine and restore it.
using TDataModuleProc = std::function<void(TDataModule* dataModule)>;
extern TDataModuleProc AddDataModule;
extern TDataModuleProc RemoveDataModule;

// The process-wide list kept by the default routines (guarded by a lock).
int DataModuleCount();
TDataModule* DataModules(int index);
void RegisterDataModule(TDataModule* dataModule);
void UnregisterDataModule(TDataModule* dataModule);

}  // namespace kx
