#include "kx/foundation/RuntimeSlots.h"

#include "kx/platform/SysUtils.h"

namespace kx {

TKXRuntimeSlots::TKXRuntimeSlots() {
  TKXRuntimeSlots* none = nullptr;
  sProcess.compare_exchange_strong(none, this, std::memory_order_acq_rel);
}

TKXRuntimeSlots::~TKXRuntimeSlots() {
  TKXRuntimeSlots* self = this;
  sProcess.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
  while (!mSlotOrder.empty()) {
    std::unique_ptr<TSlotBase> slot = std::move(mSlotOrder.back());
    mSlotOrder.pop_back();
    mSlots[slot->Index].store(nullptr, std::memory_order_release);
    slot.reset();
  }
}

TKXRuntimeSlots& TKXRuntimeSlots::Required() {
  TKXRuntimeSlots* runtime = Current();
  if (runtime == nullptr)
    throw Exception("No kx runtime exists: create a kx::TKXRuntime first (kx::RunStandAlone makes one).");
  return *runtime;
}

std::size_t TKXRuntimeSlots::NextSlotIndex() {
  static std::atomic<std::size_t> next{0};
  const std::size_t index = next.fetch_add(1);
  if (index >= kMaxSlots) throw Exception("Too many kinds of runtime state.");
  return index;
}

}  // namespace kx
