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

std::string gFolder;

class SessionDataModulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-dm-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gFolder = pattern + "/";
    gGetAppPath = [] { return gFolder; };
    mController.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    ASSERT_NE(GFormListManager(), nullptr);
    SetWebApplication(mSession = NewSession());
  }
  void TearDown() override {
    SetWebApplication(nullptr);
    mSession->Unlock();
    mController.reset();  // frees the store and its sessions
    std::filesystem::remove_all(gFolder);
  }

  static TKXApplication* NewSession() {
    return TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser("Chrome/120.0 Safari/537.36"), nullptr,
                                              nullptr, "192.0.2.1", "", "", "/app");
  }
  bool Listed(TComponent* module) const {
    for (int i = 0; i < mSession->GetFormCount(); ++i)
      if (mSession->GetForm(i) == module) return true;
    return false;
  }

  TOwnedComponent<TKXServerControllerBase> mController;
  TKXApplication* mSession = nullptr;
};

// Made by a request: listed by its session, its owner unchanged; it leaves the list when freed, on any thread.
TEST_F(SessionDataModulesTest, ModuleMadeInARequestIsListedByItsSession) {
  TOwnedComponent<TDataModule> loose(TComponent::Create<TDataModule>(nullptr));
  EXPECT_TRUE(Listed(loose.get()));
  EXPECT_EQ(loose->Owner(), nullptr);
  TDataModule* owned = TComponent::Create<TDataModule>(loose.get());
  EXPECT_TRUE(Listed(owned));
  owned->Free();  // on the main thread too
  EXPECT_FALSE(Listed(owned));
  std::thread([&] { loose.reset(); }).join();  // no session bound there
  EXPECT_EQ(mSession->GetFormCount(), 0);
  // A module that outlives its session is freed by its holder as usual.
  TOwnedComponent<TDataModule> survivor(TComponent::Create<TDataModule>(nullptr));
  SetWebApplication(nullptr);
  SessionStore()->RemoveAndFree(mSession);
  SetWebApplication(mSession = NewSession());
}

// No session bound (another thread, or a pool making its modules): nothing is registered.
TEST_F(SessionDataModulesTest, WithoutASessionNothingIsRegistered) {
  const int platformCount = DataModuleCount();
  TDataModule* elsewhere = nullptr;
  std::thread([&] { elsewhere = TComponent::Create<TDataModule>(nullptr); }).join();
  EXPECT_EQ(elsewhere->Owner(), nullptr);
  EXPECT_FALSE(Listed(elsewhere));
  EXPECT_EQ(DataModuleCount(), platformCount);
  elsewhere->Free();

  TOwnedComponent<TKXDataModulePool> pool(TComponent::Create<TKXDataModulePool>(nullptr));
  pool->OnCreateDataModule = [](TDataModule*& module) { module = TComponent::Create<TDataModule>(nullptr); };
  pool->SetPoolCount(0);
  pool->SetAutoGrow(true);
  pool->SetActive(true);
  TDataModule* grown = pool->Lock();
  EXPECT_EQ(GetWebApplication(), mSession);
  EXPECT_EQ(grown->Owner(), nullptr);
  pool->Unlock(grown);
}

class TDesignModule : public TDataModule {
  KX_COMPONENT_CLASS(TDesignModule, TDataModule)

 public:
  TDesignModule() { SetDesigning(true); }
};

// A module in design state goes to the platform's list; a freed manager gives the platform its routines back.
TEST_F(SessionDataModulesTest, DesignModulesAndAFreedManagerUseThePlatformList) {
  const TDataModuleProc savedAdd = AddDataModule, savedRemove = RemoveDataModule;
  AddDataModule = RegisterDataModule;
  RemoveDataModule = UnregisterDataModule;
  const int before = DataModuleCount();
  {
    TKXFormListManager manager;
    TOwnedComponent<TDesignModule> design(TComponent::Create<TDesignModule>(nullptr));
    EXPECT_EQ(DataModuleCount(), before + 1);
    design.reset();
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
