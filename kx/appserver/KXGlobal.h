// The process globals through which the host program, the request entry point and the rest of the framework meet.
// Each names a field of the calling thread's runtime (kx/appserver/Runtime.h): reading gives the field, assigning
// writes it. They are written while the runtime is set up and read by every request thread afterwards.
#pragma once

#include "kx/appserver/Runtime.h"

namespace kx {

// The runtime's server controller. Assigning a second one while one lives raises Exception (the controller's rule,
// kept in kx/appserver/ServerController.cpp).
struct TKXCurrentController {
  TKXServerControllerBase* Get() const {
    const TKXRuntime* runtime = TKXRuntime::Current();
    return runtime ? runtime->Controller() : nullptr;
  }
  operator TKXServerControllerBase*() const { return Get(); }
  TKXServerControllerBase* operator->() const { return Get(); }
  const TKXCurrentController& operator=(TKXServerControllerBase* controller) const;
};

inline constexpr TKXCurrentController gSC{};
// Cleared when that controller is freed.
inline constexpr TKXRuntimeRef<&TKXRuntime::ServerController> gServerController{};
// The application's controller class, which the host creates
// (TKXServerControllerBase::SetServerControllerClass<T>()); nullptr until set.
inline constexpr TKXRuntimeRef<&TKXRuntime::ServerControllerClass> gServerControllerClass{};
inline constexpr TKXRuntimeRef<&TKXRuntime::AppType> GAppType{};
inline constexpr TKXRuntimeRef<&TKXRuntime::HttpExecuteHook> gHttpExecuteHook{};
inline constexpr TKXRuntimeRef<&TKXRuntime::AppInit> gAppInit{};
inline constexpr TKXRuntimeRef<&TKXRuntime::LogProcedure> gLogProcedure{};
// A mistake in the program's own settings that would otherwise pass unnoticed (a content folder that does not
// exist, an upload folder that takes no file): through gLogProcedure when set, else to standard error.
void LogConfigurationMistake(const std::string& message);
// Takes one line (ExceptionLogLine) for each exception that ends in an exception page, an error answer or an
// alert; nullptr (the library's default) writes none. The stand-alone entry point sets it to standard error.
inline constexpr TKXRuntimeRef<&TKXRuntime::ErrorLogProcedure> gErrorLogProcedure{};
inline constexpr TKXRuntimeRef<&TKXRuntime::LogBytesProcedure> gLogBytesProcedure{};
inline constexpr TKXRuntimeRef<&TKXRuntime::GetWebApplicationThreadVar> gGetWebApplicationThreadVar{};
inline constexpr TKXRuntimeRef<&TKXRuntime::SetWebApplicationThreadVar> gSetWebApplicationThreadVar{};
inline constexpr TKXRuntimeRef<&TKXRuntime::GetAppPath> gGetAppPath{};
// The session store. The session layer creates it at start-up; the controller frees it when it is freed itself,
// after stopping its session-timeout thread.
inline constexpr TKXRuntimeRef<&TKXRuntime::Sessions> gSessions{};
// The author's main-form class (set by SetAsMainForm); a new session shows an instance of it.
inline constexpr TKXRuntimeRef<&TKXRuntime::MainFormClass> gMainFormClass{};

}  // namespace kx
