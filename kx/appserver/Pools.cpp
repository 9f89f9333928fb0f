#include "kx/appserver/Pools.h"

#include <unistd.h>

#include <algorithm>
#include <exception>

#include "kx/appserver/Application.h"
#include "kx/platform/SysUtils.h"

namespace kx {

// ---------------------------------------------------------------------------
// TObjectPool

TObjectPool::~TObjectPool() {
  try {
    if (Active()) Stop();
  } catch (...) {
    // A destroy event that raises must not end the process from a destructor.
  }
}

void TObjectPool::Start(bool raiseExceptions) {
  if (!OnCreateObject) throw Exception("There must be an OnCreateObject event before calling Start");
  if (!OnDestroyObject) throw Exception("There must be an OnDestroyObject event before calling Start");
  std::lock_guard startStop(mStartStop);
  std::int32_t size;
  {
    std::lock_guard lock(CS);
    FRaiseExceptions = raiseExceptions;
    if (FActive) return;
    size = FPoolSize;
  }
  std::vector<TObject*> made = CreateObjects(size);
  std::lock_guard lock(CS);
  ObjList = std::move(made);
  ObjInUse.assign(ObjList.size(), false);
  FActive = true;
}

TObject* TObjectPool::Acquire() {
  std::unique_lock lock(CS);
  if (!FActive) {
    if (FRaiseExceptions) throw EAbort("Cannot acquire an object before calling Start");
    return nullptr;
  }
  auto freeSlot = std::find(ObjInUse.begin(), ObjInUse.end(), false);
  if (freeSlot != ObjInUse.end()) {
    *freeSlot = true;
    ++FUsageCount;
    return ObjList[std::size_t(freeSlot - ObjInUse.begin())];
  }
  if (FAutoGrow && FPoolSize <= FGrowToSize) return Grow(lock);
  // A refused request lends nothing, so it does not count as a use.
  if (FRaiseExceptions) throw Exception("There are no available objects in the pool");
  return nullptr;
}

TObject* TObjectPool::Grow(std::unique_lock<std::mutex>& lock) {
  // The slot and the loan count from here on, so that other threads grow no further than allowed and Stop waits.
  ++FPoolSize;
  ++FUsageCount;
  const std::uint64_t generation = mGeneration;
  lock.unlock();
  TObject* object;
  try {
    object = CreateObject();
  } catch (...) {
    lock.lock();
    --FPoolSize;
    if (generation == mGeneration) {
      --FUsageCount;
      mReturned.notify_all();
    }
    throw;
  }
  lock.lock();
  if (generation != mGeneration) {
    // The pool stopped meanwhile: the object is lent all the same and destroyed when it comes back.
    mOrphans.push_back(object);
    return object;
  }
  ObjList.push_back(object);
  ObjInUse.push_back(true);
  return object;
}

void TObjectPool::Release(TObject* object) {
  std::unique_lock lock(CS);
  if (object != nullptr) {
    // A loan that outlived Stop ends here.
    if (auto orphan = std::find(mOrphans.begin(), mOrphans.end(), object); orphan != mOrphans.end()) {
      mOrphans.erase(orphan);
      lock.unlock();
      DestroyObject(object);
      return;
    }
  }
  // While Stop waits the pool is inactive, but the objects it waits for must still come back.
  if ((!FActive && !mStopping) || object == nullptr) {
    if (FRaiseExceptions) throw Exception("Cannot release an object before calling Start");
    return;
  }
  auto found = std::find(ObjList.begin(), ObjList.end(), object);
  if (found == ObjList.end()) {
    if (FRaiseExceptions) throw Exception("Cannot release an object that is not in the pool");
    return;
  }
  const std::size_t slot = std::size_t(found - ObjList.begin());
  if (!ObjInUse[slot]) return;
  ObjInUse[slot] = false;
  --FUsageCount;
  mReturned.notify_all();
}

void TObjectPool::Stop() {
  std::lock_guard startStop(mStartStop);
  std::vector<TObject*> idle;
  {
    std::unique_lock lock(CS);
    FActive = false;
    mStopping = true;
    mReturned.wait_for(lock, mStopTimeout, [this] { return FUsageCount == 0; });
    mStopping = false;
    ++mGeneration;
    for (std::size_t slot = 0; slot < ObjList.size(); ++slot)
      (ObjInUse[slot] ? mOrphans : idle).push_back(ObjList[slot]);
    ObjList.clear();
    ObjInUse.clear();
    FUsageCount = 0;
    FRaiseExceptions = true;
  }
  DestroyObjects(idle);
}

TObject* TObjectPool::CreateObject() {
  TObject* object = nullptr;
  OnCreateObject(this, object);
  return object;
}

std::vector<TObject*> TObjectPool::CreateObjects(std::int32_t count) {
  std::vector<TObject*> made;
  try {
    for (std::int32_t i = 0; i < count; ++i) made.push_back(CreateObject());
  } catch (...) {
    try {
      DestroyObjects(made);
    } catch (...) {
      // The creation failure is the one to report.
    }
    throw;
  }
  return made;
}

void TObjectPool::DestroyObject(TObject* object) {
  if (OnDestroyObject) {
    OnDestroyObject(this, object);
  } else if (auto* component = dynamic_cast<TComponent*>(object)) {
    component->Free();
  } else {
    delete object;
  }
}

void TObjectPool::DestroyObjects(const std::vector<TObject*>& objects) {
  // Every object goes even when a destroy event raises; the first exception is raised afterwards.
  std::exception_ptr first;
  for (TObject* object : objects) {
    try {
      DestroyObject(object);
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

bool TObjectPool::Active() const {
  std::lock_guard lock(CS);
  return FActive;
}

bool TObjectPool::AutoGrow() const {
  std::lock_guard lock(CS);
  return FAutoGrow;
}

void TObjectPool::SetAutoGrow(bool value) {
  std::lock_guard lock(CS);
  FAutoGrow = value;
}

std::int32_t TObjectPool::GrowToSize() const {
  std::lock_guard lock(CS);
  return FGrowToSize;
}

void TObjectPool::SetGrowToSize(std::int32_t value) {
  std::lock_guard lock(CS);
  FGrowToSize = value;
}

std::int32_t TObjectPool::PoolSize() const {
  std::lock_guard lock(CS);
  return FPoolSize;
}

void TObjectPool::SetPoolSize(std::int32_t value) {
  std::lock_guard lock(CS);
  FPoolSize = std::max(value, 0);
}

std::int32_t TObjectPool::UsageCount() const {
  std::lock_guard lock(CS);
  return FUsageCount;
}

bool TObjectPool::RaiseExceptions() const {
  std::lock_guard lock(CS);
  return FRaiseExceptions;
}

std::chrono::milliseconds TObjectPool::StopTimeout() const {
  std::lock_guard lock(CS);
  return mStopTimeout;
}

void TObjectPool::SetStopTimeout(std::chrono::milliseconds value) {
  std::lock_guard lock(CS);
  mStopTimeout = value;
}

bool TObjectPool::IsLent(TObject* object) const {
  std::lock_guard lock(CS);
  if (object == nullptr) return false;
  if (std::find(mOrphans.begin(), mOrphans.end(), object) != mOrphans.end()) return true;
  auto found = std::find(ObjList.begin(), ObjList.end(), object);
  return found != ObjList.end() && ObjInUse[std::size_t(found - ObjList.begin())];
}

std::int32_t TObjectPool::ObjectCount() const {
  std::lock_guard lock(CS);
  return std::int32_t(ObjList.size() + mOrphans.size());
}

// ---------------------------------------------------------------------------
// TKXDataModulePool

void TKXDataModulePool::InitControl() {
  TComponent::InitControl();
  FPool.SetPoolSize(20);
  FPool.OnCreateObject = [this](TObject*, TObject*& object) { CreateDataModule(object); };
  FPool.OnDestroyObject = [this](TObject*, TObject*& object) { FreeDataModule(object); };
}

void TKXDataModulePool::SetActive(bool value) {
  if (ComponentState().Contains(csLoading)) {
    FSetToActive = value;
    return;
  }
  if (value == FPool.Active()) return;
  if (value) {
    FPool.Start(true);
  } else {
    FPool.Stop();
  }
}

void TKXDataModulePool::Loaded() {
  TComponent::Loaded();
  if (FSetToActive) {
    FSetToActive = false;
    SetActive(true);
  }
}

void TKXDataModulePool::Dispose() {
  if (FPool.Active()) FPool.Stop();
  TComponent::Dispose();
}

void TKXDataModulePool::SetPoolCount(std::int32_t value) {
  if (FPool.Active() && !ComponentState().Contains(csDesigning))
    throw EComponentError("You cannot perform this operation on an active TKXDataModulePool");
  FPool.SetPoolSize(value);
}

void TKXDataModulePool::CheckActive() const {
  if (!FPool.Active()) throw EComponentError("You cannot perform this operation on an inactive TKXDataModulePool");
}

TDataModule* TKXDataModulePool::Lock() {
  CheckActive();
  return static_cast<TDataModule*>(FPool.Acquire());
}

void TKXDataModulePool::Unlock(TDataModule*& dataModule) {
  if (!FPool.IsLent(dataModule)) CheckActive();
  FPool.Release(dataModule);
  dataModule = nullptr;
}

void TKXDataModulePool::CreateDataModule(TObject*& object) {
  TDataModule* dataModule = nullptr;
  if (OnCreateDataModule) {
    // A pooled module outlives every session: a pool that grows on a request thread must not hand it to that
    // thread's session, which would free it when the session ends.
    TKXApplication* session = GetWebApplication();
    SetWebApplication(nullptr);
    try {
      OnCreateDataModule(dataModule);
    } catch (...) {
      SetWebApplication(session);
      throw;
    }
    SetWebApplication(session);
  }
  object = dataModule;
}

void TKXDataModulePool::FreeDataModule(TObject*& object) {
  auto* dataModule = static_cast<TDataModule*>(object);
  object = nullptr;
  if (dataModule == nullptr) return;
  if (OnFreeDataModule) {
    OnFreeDataModule(dataModule);
  } else {
    // Without a handler nobody else would free it.
    dataModule->Free();
  }
}

std::string MakeUniqueDBName(const std::string& prefix) {
  return (prefix.empty() ? std::string("DB") : prefix) + std::to_string(::gettid());
}

}  // namespace kx
