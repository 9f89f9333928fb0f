// The state one running application keeps apart from every other one in the process: each layer keeps its
// registries (browser classes, MIME types, content handlers, form classes ...) in a slot of the runtime, so that
// two runtimes (two tests on two threads, say) never share them. kx/appserver/Runtime.h builds the application
// server's runtime on this.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace kx {

class TKXRuntimeSlots {
 public:
  TKXRuntimeSlots(const TKXRuntimeSlots&) = delete;
  TKXRuntimeSlots& operator=(const TKXRuntimeSlots&) = delete;
  // Frees the slots, the last made first.
  virtual ~TKXRuntimeSlots();

  // The application server's runtime (kx/appserver/Runtime.h) answers itself; nullptr for any other.
  virtual class TKXRuntime* ServerRuntime() { return nullptr; }

  // The calling thread's runtime: the one a TScope made current on it, else the process's; nullptr when none.
  static TKXRuntimeSlots* Current() {
    TKXRuntimeSlots* runtime = tCurrent;
    return runtime ? runtime : sProcess.load(std::memory_order_acquire);
  }
  // As Current(), but raises Exception when no runtime exists.
  static TKXRuntimeSlots& Required();

  // Makes a runtime current on the calling thread for the scope's lifetime (scopes nest).
  class TScope {
   public:
    explicit TScope(TKXRuntimeSlots& runtime) : mPrevious(tCurrent) { tCurrent = &runtime; }
    TScope(const TScope&) = delete;
    TScope& operator=(const TScope&) = delete;
    ~TScope() { tCurrent = mPrevious; }

   private:
    TKXRuntimeSlots* mPrevious;
  };

  // The runtime's object of type T (default-constructed on first use); one per T and runtime.
  template <class T>
  T& Slot() {
    const std::size_t index = SlotIndex<T>();
    if (TSlotBase* slot = mSlots[index].load(std::memory_order_acquire)) return static_cast<TSlot<T>*>(slot)->Value;
    std::lock_guard guard(mSlotLock);
    if (TSlotBase* slot = mSlots[index].load(std::memory_order_relaxed)) return static_cast<TSlot<T>*>(slot)->Value;
    auto made = std::make_unique<TSlot<T>>();
    made->Index = index;
    T& value = made->Value;
    mSlots[index].store(made.get(), std::memory_order_release);
    mSlotOrder.push_back(std::move(made));
    return value;
  }

 protected:
  // The first runtime made in a process (while none is) serves every thread that has no runtime of its own.
  TKXRuntimeSlots();

 private:
  struct TSlotBase {
    virtual ~TSlotBase() = default;
    std::size_t Index = 0;
  };
  template <class T>
  struct TSlot : TSlotBase {
    T Value{};
  };
  // Enough for every registry of every layer; NextSlotIndex raises past it.
  static constexpr std::size_t kMaxSlots = 32;
  static std::size_t NextSlotIndex();
  template <class T>
  static std::size_t SlotIndex() {
    static const std::size_t index = NextSlotIndex();
    return index;
  }

  static inline thread_local TKXRuntimeSlots* tCurrent = nullptr;
  static inline std::atomic<TKXRuntimeSlots*> sProcess{nullptr};

  std::array<std::atomic<TSlotBase*>, kMaxSlots> mSlots{};
  std::mutex mSlotLock;
  std::vector<std::unique_ptr<TSlotBase>> mSlotOrder;  // creation order, for freeing in reverse
};

// A process global that names a field of a slot of the calling thread's runtime: it reads as the field's value (the
// type's empty value while no runtime exists) and assigning it writes the field (raising while none exists).
template <auto Field>
struct TKXRuntimeSlotRef;

template <class TState, class T, T TState::*Field>
struct TKXRuntimeSlotRef<Field> {
  T Get() const {
    TKXRuntimeSlots* runtime = TKXRuntimeSlots::Current();
    return runtime ? runtime->Slot<TState>().*Field : T{};
  }
  operator T() const { return Get(); }
  const TKXRuntimeSlotRef& operator=(T value) const {
    TKXRuntimeSlots::Required().Slot<TState>().*Field = value;
    return *this;
  }
  template <class... TArgs>
  decltype(auto) operator()(TArgs&&... args) const {
    return Get()(std::forward<TArgs>(args)...);
  }
};

}  // namespace kx
