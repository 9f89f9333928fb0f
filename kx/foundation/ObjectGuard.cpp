#include "kx/foundation/ObjectGuard.h"

#include <mutex>
#include <vector>

#include "kx/foundation/RuntimeSlots.h"

namespace kx {

namespace {

// The runtime's guarded objects (TObjectGuardList), made at the first KXObjectGuard and freed with the runtime.
class TObjectGuardList {
 public:
  TObjectGuardList() = default;
  TObjectGuardList(const TObjectGuardList&) = delete;
  TObjectGuardList& operator=(const TObjectGuardList&) = delete;
  // The last guarded first.
  ~TObjectGuardList() {
    while (!mObjects.empty()) mObjects.pop_back();
  }

  void Add(std::unique_ptr<TObject> object) {
    std::lock_guard guard(mLock);
    mObjects.push_back(std::move(object));
  }

 private:
  std::mutex mLock;
  std::vector<std::unique_ptr<TObject>> mObjects;
};

}  // namespace

TObject* KXObjectGuard(std::unique_ptr<TObject> object) {
  if (!object) return nullptr;
  TObject* guarded = object.get();
  TKXRuntimeSlots::Required().Slot<TObjectGuardList>().Add(std::move(object));
  return guarded;
}

}  // namespace kx
