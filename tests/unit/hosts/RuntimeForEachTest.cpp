// Every test of this binary runs in a runtime of its own with every layer installed.
#include "kx/appserver/Runtime.h"
#include "kx/hosts/StandAloneApp.h"
#include "support/TestRuntime.h"

static const bool kRuntimeForEachTest = kx::test::RunEachTestInItsOwnRuntime([] {
  auto runtime = std::make_unique<kx::TKXRuntime>();
  kx::TKXRuntimeSlots::TScope scope(*runtime);
  kx::InstallLayers();
  return runtime;
});
