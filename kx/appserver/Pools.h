// Pools of costly objects shared by the request threads: TObjectPool keeps a set of objects made in advance, lends
// a free one to a thread (Acquire) and takes it back (Release), growing on demand up to a limit; TKXDataModulePool
// is the component an author puts on the server controller to pool data modules (a database connection each), lent
// with Lock and taken back with Unlock. MakeUniqueDBName names per-thread database objects.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "kx/platform/Components.h"

namespace kx {

// Makes (object := new one) or destroys (object := the one to go) one pooled object.
using TObjectEvent = std::function<void(TObject* sender, TObject*& object)>;

// A fixed set of objects lent to one thread at a time. Every operation is thread-safe. The create and destroy
// events run outside the pool's lock, so a handler may read the pool (its size, its use); Start and Stop wait for
// each other.
class TObjectPool : public TObject {
 public:
  TObjectPool() = default;
  TObjectPool(const TObjectPool&) = delete;
  TObjectPool& operator=(const TObjectPool&) = delete;
  // Stops the pool when it is active.
  ~TObjectPool() override;

  // Makes PoolSize objects through OnCreateObject, all free, and activates the pool. Raises Exception "There must
  // be an OnCreateObject event before calling Start" / "There must be an OnDestroyObject event before calling
  // Start" without the events; an object that fails to be made leaves the pool inactive and empty. An active pool
  // takes only raiseExceptions.
  virtual void Start(bool raiseExceptions = true);
  // Deactivates the pool, waits up to StopTimeout for the lent objects to come back (Release stays open while it
  // waits), then destroys the free objects. An object still lent out after the wait is destroyed when it comes back.
  // What a destroy event raises passes on once every object is gone.
  virtual void Stop();
  // The free object of the lowest slot. With none free and AutoGrow, a new slot while PoolSize <= GrowToSize (so
  // at most GrowToSize + 1 objects). Otherwise Exception "There are no available objects in the pool", or nullptr
  // without RaiseExceptions. Before Start: EAbort "Cannot acquire an object before calling Start", or nullptr.
  virtual TObject* Acquire();
  // Takes back a lent object. Before Start (or nullptr): Exception "Cannot release an object before calling
  // Start"; an object the pool never made: Exception "Cannot release an object that is not in the pool". Without
  // RaiseExceptions both are ignored. A second release of the same loan changes nothing.
  virtual void Release(TObject* object);

  bool Active() const;
  bool AutoGrow() const;
  void SetAutoGrow(bool value);
  // 20 by default.
  std::int32_t GrowToSize() const;
  void SetGrowToSize(std::int32_t value);
  // The number of slots; 20 by default. A new size takes effect at the next Start (a negative one counts as 0).
  std::int32_t PoolSize() const;
  void SetPoolSize(std::int32_t value);
  // The objects lent out now.
  std::int32_t UsageCount() const;
  // True by default; Stop sets it again.
  bool RaiseExceptions() const;
  // How long Stop waits for lent objects: 10 seconds by default.
  std::chrono::milliseconds StopTimeout() const;
  void SetStopTimeout(std::chrono::milliseconds value);
  // The objects made and not yet destroyed, lent ones that outlived a Stop included.
  std::int32_t ObjectCount() const;
  // Whether object is lent out now (a loan that outlived a Stop too), so that Release takes it back.
  bool IsLent(TObject* object) const;

  TObjectEvent OnCreateObject;
  TObjectEvent OnDestroyObject;

 private:
  TObject* CreateObject();
  // Makes count objects; when one fails, those made are destroyed and the failure passes on.
  std::vector<TObject*> CreateObjects(std::int32_t count);
  // Lends a new object in a slot reserved under lock, made outside it.
  TObject* Grow(std::unique_lock<std::mutex>& lock);
  void DestroyObject(TObject* object);
  // Destroys every object of objects, then raises the first failure.
  void DestroyObjects(const std::vector<TObject*>& objects);

  // Serialises Start and Stop, which run the events outside CS.
  std::mutex mStartStop;
  mutable std::mutex CS;
  std::condition_variable mReturned;
  std::vector<TObject*> ObjList;
  std::vector<bool> ObjInUse;
  // Objects that were lent out when Stop gave up waiting; each is destroyed when it comes back.
  std::vector<TObject*> mOrphans;
  // Counts the Stops: an object whose growing began before a Stop is lent as an orphan.
  std::uint64_t mGeneration = 0;
  bool FActive = false;
  bool mStopping = false;
  bool FAutoGrow = false;
  std::int32_t FGrowToSize = 20;
  std::int32_t FPoolSize = 20;
  std::int32_t FUsageCount = 0;
  bool FRaiseExceptions = true;
  std::chrono::milliseconds mStopTimeout{10000};
};

// (module := new one) or (module := the one to free, which the handler frees).
using TKXDataModuleEvent = std::function<void(TDataModule*& dataModule)>;

// Pools data modules that OnCreateDataModule makes (with no session bound, so none belongs to a session).
class TKXDataModulePool : public TComponent {
  KX_COMPONENT_CLASS(TKXDataModulePool, TComponent)

 public:
  // Starting an active pool or stopping an inactive one does nothing; while the component is loading, activation
  // waits for Loaded.
  bool Active() const { return FPool.Active(); }
  void SetActive(bool value);
  // The pool's size, 20 by default; EComponentError "You cannot perform this operation on an active
  // TKXDataModulePool" while active.
  std::int32_t PoolCount() const { return FPool.PoolSize(); }
  void SetPoolCount(std::int32_t value);
  bool AutoGrow() const { return FPool.AutoGrow(); }
  void SetAutoGrow(bool value) { FPool.SetAutoGrow(value); }
  std::int32_t GrowToSize() const { return FPool.GrowToSize(); }
  void SetGrowToSize(std::int32_t value) { FPool.SetGrowToSize(value); }
  std::string Version() const { return "2.0.0"; }
  std::int32_t CurrentThreadsInUse() const { return FPool.UsageCount(); }
  // The pool underneath: how long deactivation waits for lent modules is set there (SetStopTimeout).
  TObjectPool& Pool() { return FPool; }

  // A free data module; EComponentError "You cannot perform this operation on an inactive TKXDataModulePool"
  // while inactive, else as TObjectPool::Acquire.
  TDataModule* Lock();
  // Gives the module back and clears the caller's reference; the same error while inactive, unless the module is
  // one that deactivation waits for or left lent out.
  void Unlock(TDataModule*& dataModule);

  TKXDataModuleEvent OnCreateDataModule;
  TKXDataModuleEvent OnFreeDataModule;

 protected:
  void InitControl() override;
  void Loaded() override;
  void Dispose() override;

 private:
  void CheckActive() const;
  void CreateDataModule(TObject*& object);
  void FreeDataModule(TObject*& object);

  bool FSetToActive = false;
  TObjectPool FPool;
};

// prefix ("DB" when empty) followed by the calling thread's id in decimal.
std::string MakeUniqueDBName(const std::string& prefix = "");

}  // namespace kx
