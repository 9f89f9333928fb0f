#include "kx/appserver/Runtime.h"

#include <cassert>

#include "kx/appserver/SessionStore.h"
#include "kx/platform/SysUtils.h"

namespace kx {

TKXRuntime::TKXRuntime() = default;

TKXRuntime::~TKXRuntime() {
  assert(mController == nullptr && "a server controller outlived its runtime");
  // The sessions and whatever they free on the way see this runtime as their thread's.
  TScope scope(*this);
  Sessions.reset();
  InternalFiles.reset();
}

namespace {

thread_local TKXApplication* tCurrentApplication = nullptr;

}  // namespace

TKXApplication* GetWebApplication() {
  const TKXRuntime* runtime = TKXRuntime::Current();
  if (runtime != nullptr && runtime->GetWebApplicationThreadVar != nullptr) return runtime->GetWebApplicationThreadVar();
  return tCurrentApplication;
}

void SetWebApplication(TKXApplication* application) {
  const TKXRuntime* runtime = TKXRuntime::Current();
  if (runtime != nullptr && runtime->SetWebApplicationThreadVar != nullptr)
    runtime->SetWebApplicationThreadVar(application);
  else
    tCurrentApplication = application;
}

TKXRuntime& TKXRuntime::Required() {
  TKXRuntime* runtime = Current();
  if (runtime == nullptr)
    throw Exception("No kx runtime exists: create a kx::TKXRuntime first (kx::RunStandAlone makes one).");
  return *runtime;
}

void TKXRuntime::RequireSeam(std::string name, std::string installer,
                             std::function<bool(TKXRuntime&)> filled) {
  for (const TRequiredSeam& seam : mRequiredSeams)
    if (seam.Name == name) return;
  mRequiredSeams.push_back({std::move(name), std::move(installer), std::move(filled)});
}

void TKXRuntime::CheckSeams() {
  struct TSeam {
    const char* Name;
    const char* Installer;
    bool Filled;
  };
  const TSeam seams[] = {
      {"the session store", "kx::Startup", Sessions != nullptr},
      {"the internal files", "kx::Startup", InternalFiles != nullptr},
      {"the session layer", "kx::Startup", ServerFactory != nullptr && DescribeSession != nullptr},
      {"the callbacks", "kx::Startup", CreateCallBackResponse != nullptr && CreateCallBacks != nullptr},
      {"the content handlers", "kx::Startup", FindContentHandler != nullptr && GetStartHandler != nullptr},
      {"the session event log", "kx::Startup", LogSessionEvent != nullptr},
      {"the forms layer", "kx::InstallForms", FormComponent != nullptr && FindAppFormClass != nullptr},
      {"the application forms", "kx::InstallAppForms",
       AppFormComponent != nullptr && AppFormClassRequestAuth != nullptr},
  };
  for (const TSeam& seam : seams)
    if (!seam.Filled) throw Exception(Format("The application cannot serve: %s is not installed (%s).", seam.Name,
                                             seam.Installer));
  for (const TRequiredSeam& seam : mRequiredSeams)
    if (!seam.Filled(*this))
      throw Exception(Format("The application cannot serve: %s is not installed (%s).", seam.Name.c_str(),
                             seam.Installer.c_str()));
  if (mController == nullptr)
    throw Exception("The application cannot serve: the server controller is not installed (gAppInit or "
                    "kx::CreateServerController).");
}

}  // namespace kx
