// The runtime as a program and a test use it: serving refuses to start while a layer is missing, a runtime serves
// one controller, and two runtimes in one process share nothing.
#include "kx/appserver/Runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "examples/demo/DemoForms.h"
#include "examples/demo/DemoServerController.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/MimeTypes.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/appform/AppForm.h"
#include "kx/forms/FormTypes.h"
#include "kx/hosts/StandAloneApp.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {

std::string MessageOfCheckSeams(TKXRuntime& runtime) {
  try {
    runtime.CheckSeams();
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

TEST(TKXRuntime, ServingRefusesToStartWhileALayerIsMissing) {
  struct TStep {
    void (*Install)();
    const char* Missing;
  };
  const TStep steps[] = {
      {[] {}, "the session store is not installed (kx::Startup)"},
      {&Startup, "the forms layer is not installed (kx::InstallForms)"},
      {&InstallForms, "the application forms is not installed (kx::InstallAppForms)"},
      {&InstallAppForms, "the default frame of controls is not installed (kx::InstallRegions)"},
      {&InstallRegions, "the server controller is not installed (gAppInit or kx::CreateServerController)"},
  };
  TKXRuntime runtime;
  TKXRuntimeSlots::TScope scope(runtime);
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Missing);
    step.Install();
    EXPECT_EQ(MessageOfCheckSeams(runtime), std::string("The application cannot serve: ") + step.Missing + ".");
  }
  TOwnedComponent<TKXServerControllerBase> controller(TComponent::Create<TKXServerControllerBase>(nullptr));
  EXPECT_EQ(MessageOfCheckSeams(runtime), "");
}

TEST(TKXRuntime, StandAloneStartChecksTheSeams) {
  TKXRuntime runtime;
  TKXRuntimeSlots::TScope scope(runtime);
  TKXServerControllerBase::SetServerControllerClass<TDemoServerController>();
  TKXStandAloneApp app;  // installs every layer and makes the controller
  gCreateDefaultFrame = nullptr;
  try {
    app.Start();
    FAIL() << "started without the default frame";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "The application cannot serve: the default frame of controls is not installed "
                           "(kx::InstallRegions).");
  }
  EXPECT_FALSE(app.Active());
}

// A class that cannot be created (the abstract base) is an error, not a call through a null creator.
TEST(TKXRuntime, AControllerClassWithoutCreatorIsRefused) {
  TKXServerControllerBase::SetServerControllerClass<TKXServerControllerBase>();
  ASSERT_EQ(gServerControllerClass->Create, nullptr);
  EXPECT_THROW(CreateServerController(), Exception);
  EXPECT_EQ(gSC, nullptr);
}

TEST(TKXRuntime, ASecondControllerIsRefusedWhileTheFirstLives) {
  TKXRuntime runtime;
  TKXRuntimeSlots::TScope scope(runtime);
  Startup();
  TOwnedComponent<TKXServerControllerBase> first(TComponent::Create<TKXServerControllerBase>(nullptr));
  IKXSessionStore* sessions = gSessions;
  try {
    TComponent::Create<TKXServerControllerBase>(nullptr);
    FAIL() << "a second controller was made";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "A server controller (TKXServerControllerBase) already serves this application: a "
                           "process has one server controller.");
  }
  // The refused one freed nothing of the first's.
  EXPECT_EQ(gSC, first.get());
  EXPECT_EQ(gSessions, sessions);
  first.reset();
  EXPECT_EQ(gSC, nullptr);
  TOwnedComponent<TKXServerControllerBase> next(TComponent::Create<TKXServerControllerBase>(nullptr));
  EXPECT_EQ(gSC, next.get());
}

// Two applications on two threads of one process, each in its own runtime: sessions, controllers and registries
// stay apart while both serve.
TEST(TKXRuntime, RuntimesOnTwoThreadsShareNothing) {
  constexpr int kSessions = 40;
  struct TResult {
    int Sessions = -1;
    bool OwnController = false;
    std::string OwnType, OtherType;
  };
  TResult results[2];
  auto serve = [&](int index) {
    TKXRuntime runtime;
    TKXRuntimeSlots::TScope scope(runtime);
    InstallLayers();
    SetAsMainForm<TMainForm>();
    TOwnedComponent<TKXServerControllerBase> controller(TComponent::Create<TKXServerControllerBase>(nullptr));
    TKXMimeTypes::RegisterType(index == 0 ? ".first" : ".second", "x-test/own", false);
    for (int i = 0; i < kSessions; ++i) {
      test::TPacketClient client;
      client.Send("GET", "/", "", {});
    }
    TResult& result = results[index];
    result.Sessions = gSessions->GetCount();
    result.OwnController = gSC == controller.get();
    result.OwnType = TKXMimeTypes::GetAsString(index == 0 ? ".first" : ".second");
    result.OtherType = TKXMimeTypes::GetAsString(index == 0 ? ".second" : ".first");
  };
  std::thread first(serve, 0), second(serve, 1);
  first.join();
  second.join();
  for (const TResult& result : results) {
    EXPECT_EQ(result.Sessions, kSessions);
    EXPECT_TRUE(result.OwnController);
    EXPECT_EQ(result.OwnType, "x-test/own");
    EXPECT_NE(result.OtherType, "x-test/own");
  }
}

}  // namespace
}  // namespace kx
