#include "kx/appserver/SessionDataModules.h"

#include <memory>
#include <mutex>

#include "kx/appserver/Application.h"
#include "kx/appserver/ServerController.h"

namespace kx {

namespace {

bool InDesignState(const TDataModule* dataModule) {
  return dataModule->ComponentState().Contains(csDesigning);
}

std::unique_ptr<TKXFormListManager>& ProcessManager() {
  static std::unique_ptr<TKXFormListManager> manager;
  return manager;
}

}  // namespace

TKXFormListManager::TKXFormListManager()
    : FAddDataModule(kx::AddDataModule), FRemoveDataModule(kx::RemoveDataModule) {
  kx::AddDataModule = [this](TDataModule* dataModule) { AddDataModule(dataModule); };
  kx::RemoveDataModule = [this](TDataModule* dataModule) { RemoveDataModule(dataModule); };
}

TKXFormListManager::~TKXFormListManager() {
  kx::AddDataModule = FAddDataModule;
  kx::RemoveDataModule = FRemoveDataModule;
}

void TKXFormListManager::AddDataModule(TDataModule* dataModule) {
  if (dataModule == nullptr) return;
  if (InDesignState(dataModule)) {
    if (FAddDataModule) FAddDataModule(dataModule);
    return;
  }
  TKXApplication* session = GetWebApplication();
  // The controller serves every session and belongs to none.
  if (session == nullptr || dynamic_cast<TKXServerControllerBase*>(dataModule) != nullptr) return;
  session->AddDataModule(dataModule);
  // The list must never hold a freed module, whichever thread frees it; the session hears of it this way.
  session->FreeNotification(dataModule);
}

// Any thread: a module freed on the main thread would otherwise stay listed in its session after it is gone.
void TKXFormListManager::RemoveDataModule(TDataModule* dataModule) {
  if (dataModule == nullptr) return;
  if (InDesignState(dataModule)) {
    if (FRemoveDataModule) FRemoveDataModule(dataModule);
    return;
  }
  if (TKXApplication* session = GetWebApplication()) session->RemoveDataModule(dataModule);
}

TKXFormListManager* GFormListManager() { return ProcessManager().get(); }

void InstallFormListManager() {
  static std::once_flag once;
  std::call_once(once, [] { ProcessManager() = std::make_unique<TKXFormListManager>(); });
}

}  // namespace kx
