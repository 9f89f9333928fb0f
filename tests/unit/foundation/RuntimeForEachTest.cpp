// Every foundation test runs with runtime slots of its own, the default browser classes registered in them.
#include "kx/foundation/Browsers.h"
#include "support/TestRuntime.h"

static const bool kRuntimeForEachTest = kx::test::RunEachTestInItsOwnRuntime([] {
  auto runtime = std::make_unique<kx::test::TTestSlots>();
  kx::TKXRuntimeSlots::TScope scope(*runtime);
  kx::RegisterBrowsers();
  return runtime;
});
