// The object guard: objects that nothing else owns (a registry made on first use, say) handed to the calling
// thread's runtime, which frees them when it ends. Builds on the runtime slots.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

#include "kx/platform/Classes.h"
#include "kx/platform/Components.h"

namespace kx {

// Hands object to the calling thread's runtime and returns it; the runtime frees its guarded objects when it ends,
// the last guarded first. Any thread may guard. A null object guards nothing and gives nullptr. Raises Exception
// while no runtime exists (object is then freed).
TObject* KXObjectGuard(std::unique_ptr<TObject> object);

template <class T>
T* KXObjectGuard(std::unique_ptr<T> object) {
  static_assert(std::is_base_of_v<TObject, T>, "the guard frees objects");
  static_assert(!std::is_base_of_v<TComponent, T>, "a component is freed by its owner tree, with Free");
  T* guarded = object.get();
  KXObjectGuard(std::unique_ptr<TObject>(std::move(object)));
  return guarded;
}

}  // namespace kx
