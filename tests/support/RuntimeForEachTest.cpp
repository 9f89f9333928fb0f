// Every test of a binary runs in a runtime of its own, made before the test and freed after it, with the layers up
// to the one the binary tests installed. The binary's CMake target names that layer (tests/CMakeLists.txt:
// kx_test_runtime): the foundation gets runtime slots with the browser classes, the application server Startup(),
// the forms InstallForms() as well, and everything above the whole library, InstallLayers().
#include "support/TestRuntime.h"

#define KX_LAYER_FOUNDATION 1
#define KX_LAYER_APPSERVER 2
#define KX_LAYER_FORMS 3
#define KX_LAYER_ALL 4

#if KX_TEST_LAYER == KX_LAYER_FOUNDATION
#include "kx/foundation/Browsers.h"
#else
#include "kx/appserver/Runtime.h"
#include "kx/appserver/Startup.h"
#endif
#if KX_TEST_LAYER == KX_LAYER_FORMS
#include "kx/forms/FormTypes.h"
#elif KX_TEST_LAYER == KX_LAYER_ALL
#include "kx/controls/ControlFamily.h"
#endif

static const bool kRuntimeForEachTest = kx::test::RunEachTestInItsOwnRuntime([] {
#if KX_TEST_LAYER == KX_LAYER_FOUNDATION
  auto runtime = std::make_unique<kx::test::TTestSlots>();
  kx::TKXRuntimeSlots::TScope scope(*runtime);
  kx::RegisterBrowsers();
#else
  auto runtime = std::make_unique<kx::TKXRuntime>();
  kx::TKXRuntimeSlots::TScope scope(*runtime);
#if KX_TEST_LAYER == KX_LAYER_ALL
  kx::InstallLayers();
#else
  kx::Startup();
#if KX_TEST_LAYER == KX_LAYER_FORMS
  kx::InstallForms();
#endif
#endif
#endif
  return runtime;
});
