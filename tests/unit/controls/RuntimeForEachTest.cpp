// Every controls test runs in a runtime of its own with the application server, the forms and the controls
// installed.
#include "kx/appserver/Runtime.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/AppForm.h"
#include "kx/controls/Regions.h"
#include "kx/forms/FormTypes.h"
#include "support/TestRuntime.h"

static const bool kRuntimeForEachTest = kx::test::RunEachTestInItsOwnRuntime([] {
  auto runtime = std::make_unique<kx::TKXRuntime>();
  kx::TKXRuntimeSlots::TScope scope(*runtime);
  kx::Startup();
  kx::InstallForms();
  kx::InstallAppForms();
  kx::InstallRegions();
  return runtime;
});
