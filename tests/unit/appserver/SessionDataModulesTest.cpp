#include "kx/appserver/SessionDataModules.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <thread>

#include "kx/appserver/Application.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/Pools.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/foundation/AppInfo.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

std::string gFolder;

class SessionDataModulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-dm-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gFolder = pattern + "/";
    gGetAppPath = [] { return gFolder; };
    mController.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gServerController = mController.get();
    ASSERT_NE(GFormListManager(), nullptr);
    mSession = TComponent::Create<TKXApplication>(
        nullptr, TBrowser::CreateBrowser("Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36"), nullptr,
        nullptr, "192.0.2.1", "", "", "/app");
  }

  void TearDown() override {
    SetWebApplication(nullptr);
    mSession->Unlock();
    mController.reset();  // frees the store and its sessions
    fs::remove_all(gFolder);
  }

  bool Listed(TComponent* module) const {
    for (int i = 0; i < mSession->GetFormCount(); ++i)
      if (mSession->GetForm(i) == module) return true;
    return false;
  }

  // A module whose Free sets freed.
  static TDataModule* NewModule(TComponent* owner, bool& freed) {
    TDataModule* module = TComponent::Create<TDataModule>(owner);
    module->OnDestroy = [&freed](TObject*) { freed = true; };
    return module;
  }

  TOwnedComponent<TKXServerControllerBase> mController;
  TKXApplication* mSession = nullptr;
};

// Made by a request without an owner: the session lists it, owns it and frees it with itself.
TEST_F(SessionDataModulesTest, ModuleMadeInARequestBelongsToItsSession) {
  SetWebApplication(mSession);
  bool freed = false;
  TDataModule* module = NewModule(nullptr, freed);
  EXPECT_TRUE(Listed(module));
  EXPECT_EQ(module->Owner(), mSession);
  SetWebApplication(nullptr);
  SessionStore()->RemoveAndFree(mSession);
  mSession = TComponent::Create<TKXApplication>(
      nullptr, TBrowser::CreateBrowser("Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36"), nullptr,
      nullptr, "192.0.2.1", "", "", "/app");
  EXPECT_TRUE(freed);
}

// With an owner of its own the module is listed and keeps its owner; freed on this (main) thread, it leaves the list.
TEST_F(SessionDataModulesTest, OwnedModuleIsListedAndLeavesWhenFreed) {
  SetWebApplication(mSession);
  bool freed = false;
  TOwnedComponent<TDataModule> owner(TComponent::Create<TDataModule>(nullptr));
  TDataModule* module = NewModule(owner.get(), freed);
  EXPECT_TRUE(Listed(module));
  EXPECT_EQ(module->Owner(), owner.get());
  module->Free();
  EXPECT_TRUE(freed);
  EXPECT_FALSE(Listed(module));
}

TEST_F(SessionDataModulesTest, WithoutASessionNothingIsRegistered) {
  const int platformCount = DataModuleCount();
  const int sessionCount = mSession->GetFormCount();
  bool freed = false;
  TOwnedComponent<TDataModule> module(NewModule(nullptr, freed));
  EXPECT_EQ(DataModuleCount(), platformCount);
  EXPECT_EQ(mSession->GetFormCount(), sessionCount);
  EXPECT_EQ(module->Owner(), nullptr);
}

// A request thread's session takes the modules made on that thread only.
TEST_F(SessionDataModulesTest, EachThreadRegistersWithItsOwnSession) {
  SetWebApplication(mSession);
  bool freed = false;
  TDataModule* elsewhere = nullptr;
  std::thread([&] { elsewhere = NewModule(nullptr, freed); }).join();
  EXPECT_EQ(elsewhere->Owner(), nullptr);
  EXPECT_FALSE(Listed(elsewhere));
  elsewhere->Free();
}

// A pool that grows on a request thread makes its module with no session bound: the session does not take it.
TEST_F(SessionDataModulesTest, PooledModuleStaysOutOfTheRequestSession) {
  TOwnedComponent<TKXDataModulePool> pool(TComponent::Create<TKXDataModulePool>(nullptr));
  pool->OnCreateDataModule = [](TDataModule*& module) { module = TComponent::Create<TDataModule>(nullptr); };
  pool->SetPoolCount(0);
  pool->SetAutoGrow(true);
  pool->SetActive(true);
  SetWebApplication(mSession);
  TDataModule* module = pool->Lock();
  EXPECT_EQ(GetWebApplication(), mSession);
  EXPECT_EQ(module->Owner(), nullptr);
  EXPECT_FALSE(Listed(module));
  pool->Unlock(module);
  SetWebApplication(nullptr);
}

class TDesignModule : public TDataModule {
  KX_COMPONENT_CLASS(TDesignModule, TDataModule)

 public:
  TDesignModule() { SetDesigning(true); }
};

// A module in design state goes to the platform's list; a freed manager gives the platform its routines back.
TEST_F(SessionDataModulesTest, DesignModulesAndAFreedManagerUseThePlatformList) {
  const TDataModuleProc savedAdd = AddDataModule;
  const TDataModuleProc savedRemove = RemoveDataModule;
  AddDataModule = RegisterDataModule;
  RemoveDataModule = UnregisterDataModule;
  const int before = DataModuleCount();
  {
    TKXFormListManager manager;
    TOwnedComponent<TDesignModule> design(TComponent::Create<TDesignModule>(nullptr));
    EXPECT_EQ(DataModuleCount(), before + 1);
    design.reset();
    EXPECT_EQ(DataModuleCount(), before);
    TOwnedComponent<TDataModule> running(TComponent::Create<TDataModule>(nullptr));
    EXPECT_EQ(DataModuleCount(), before);
  }
  TOwnedComponent<TDataModule> later(TComponent::Create<TDataModule>(nullptr));
  EXPECT_EQ(DataModuleCount(), before + 1);
  later.reset();
  AddDataModule = savedAdd;
  RemoveDataModule = savedRemove;
}

}  // namespace
}  // namespace kx
