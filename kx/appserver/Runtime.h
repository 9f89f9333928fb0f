// The application server's runtime: one object that owns what a running application shares between its requests
// (the server controller, the session store, the internal files, the registries kept in its slots) and the table
// of seams through which the layers above reach the ones below. A program makes one (kx::RunStandAlone does) and
// installs the layers into it in one sequence; a test makes its own. The process globals of kx/appserver/KXGlobal.h
// (gSC, gSessions, gHttpExecuteHook ...) are thin accessors of the calling thread's runtime.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "kx/foundation/RuntimeSlots.h"

namespace kx {

class IKXCallBackResponse;
class IKXCallBacks;
class IKXContentHandler;
class IKXSessionStore;
class THttpRequest;
class TComponent;
class TKXAppForm;
class TKXApplication;
class TKXForm;
class TKXServer;
class TKXServerControllerBase;
class TKXServerInternalFiles;
class TObject;
struct TComponentClass;
struct TKXReportSession;

// How the process hosts the framework.
enum TKXAppType : std::uint8_t { atStandAlone, atISAPI, atLibrary };
enum TSessionEvent : std::uint8_t { seCreate, seDestroy, seRequest };

// The host's procedures.
// The request entry point: a request packet in the buffer is answered with a reply packet in the same buffer.
using THttpExecuteHook = void (*)(void* buffer, std::int32_t length);
// The host's application-init procedure: creates the server controller.
using TAppInitHook = void (*)();
// A log line and a byte count from the host's HTTP server.
using TKXLogProcedure = void (*)(const std::string& message);
using TKXLogBytesProcedure = void (*)(std::int64_t bytes);
// The calling thread's current application, as the host keeps it.
using TGetWebApplicationThreadVar = TKXApplication* (*)();
using TSetWebApplicationThreadVar = void (*)(TKXApplication* application);
using TGetAppPath = std::string (*)();

// The seams, each filled by the layer named beside its field in TKXRuntime.
// The component of a form that a controller event handed over (OnBeforeRender, OnGetMainForm).
using TKXFormComponent = TComponent* (*)(TKXForm* form);
using TKXAppFormComponent = TComponent* (*)(TKXAppForm* form);
// The class of a registered application form whose name equals name ignoring case, or nullptr.
using TKXFindAppFormClass = const TComponentClass* (*)(const std::string& name);
// Whether a request for a form of formClass must authenticate (the class-level RequestAuth of application forms).
using TKXAppFormClassRequestAuth = bool (*)(const TComponentClass& formClass, const THttpRequest& request,
                                            std::string& realm);
// Every new session's callback response and callback registry.
using TKXCreateCallBackResponse = std::unique_ptr<IKXCallBackResponse> (*)(TKXApplication& session);
using TKXCreateCallBacks = std::unique_ptr<IKXCallBacks> (*)(TKXApplication& session);
// The content handler registered for a URL path / the one a new session starts with, or nullptr.
using TKXFindContentHandler = IKXContentHandler* (*)(const std::string& urlPath);
using TKXGetStartHandler = IKXContentHandler* (*)(TKXApplication* session);
// Writes one record of the session event log.
using TKXLogSessionEvent = void (*)(TKXApplication& session, TSessionEvent event);
// Describes a session for an exception report (session, else the one sender is, else the calling thread's); false
// when there is none.
using TKXDescribeSessionProc = bool (*)(TObject* sender, TKXApplication* session, TKXReportSession& facts);
// Makes the server object of a request (the session layer's answers session paths).
using TKXServerFactory = std::unique_ptr<TKXServer> (*)(void* buffer, std::int32_t bufferSize);
// The monotonic clock of session expiry and look-up deadlines.
using TKXSessionClock = std::chrono::steady_clock::time_point (*)();

class TKXRuntime : public TKXRuntimeSlots {
 public:
  TKXRuntime();
  // Frees the session store if one is left, the internal files and the slots (registries). The controller, made in
  // the runtime and freed by whoever made it (TKXStandAloneApp, a test), must be gone first.
  ~TKXRuntime() override;

  // The calling thread's runtime (see TKXRuntimeSlots::Current), or nullptr.
  static TKXRuntime* Current() {
    TKXRuntimeSlots* runtime = TKXRuntimeSlots::Current();
    return runtime ? runtime->ServerRuntime() : nullptr;
  }
  // As Current(), but raises Exception when there is none.
  static TKXRuntime& Required();
  TKXRuntime* ServerRuntime() override { return this; }

  // The server controller (gSC). One per runtime: the controller takes the place (kx/appserver/ServerController.h),
  // raising while another one holds it.
  TKXServerControllerBase* Controller() const { return mController; }
  void SetController(TKXServerControllerBase* controller) { mController = controller; }

  // Raises Exception naming the first unfilled seam and the call that fills it. Serving starts only after it passed.
  void CheckSeams();
  // A seam a layer needs from a layer above it: CheckSeams raises "<name> is not installed (<installer>)" while
  // filled() is false. The layers declare theirs when they install.
  void RequireSeam(std::string name, std::string installer, std::function<bool(TKXRuntime&)> filled);

  // The host's and the application's procedures and classes (the process globals of the same name).
  TKXServerControllerBase* ServerController = nullptr;  // gServerController: cleared when the controller goes
  const TComponentClass* ServerControllerClass = nullptr;
  const TComponentClass* MainFormClass = nullptr;
  TKXAppType AppType = atStandAlone;
  THttpExecuteHook HttpExecuteHook = nullptr;
  TAppInitHook AppInit = nullptr;
  TKXLogProcedure LogProcedure = nullptr;
  TKXLogProcedure ErrorLogProcedure = nullptr;
  TKXLogBytesProcedure LogBytesProcedure = nullptr;
  TGetWebApplicationThreadVar GetWebApplicationThreadVar = nullptr;
  TSetWebApplicationThreadVar SetWebApplicationThreadVar = nullptr;
  TGetAppPath GetAppPath = nullptr;
  // Made by the session layer when it installs, freed by the controller as it ends (or by the runtime).
  std::unique_ptr<IKXSessionStore> Sessions;
  // Made by CreateInternalFiles, which hands over how to free them: their class stands on a floor above.
  std::unique_ptr<TKXServerInternalFiles, void (*)(TKXServerInternalFiles*)> InternalFiles{nullptr, nullptr};

  // The seams; the comment names the call that fills each.
  TKXServerFactory ServerFactory = nullptr;                      // Startup (session layer)
  TKXDescribeSessionProc DescribeSession = nullptr;              // Startup (session layer)
  TKXCreateCallBackResponse CreateCallBackResponse = nullptr;    // Startup (callbacks)
  TKXCreateCallBacks CreateCallBacks = nullptr;                  // Startup (callbacks)
  TKXFindContentHandler FindContentHandler = nullptr;            // Startup (content handlers)
  TKXGetStartHandler GetStartHandler = nullptr;                  // Startup (content handlers)
  TKXLogSessionEvent LogSessionEvent = nullptr;                  // Startup (session event log)
  TKXFormComponent FormComponent = nullptr;                      // InstallForms
  TKXFindAppFormClass FindAppFormClass = nullptr;                // InstallForms
  TKXAppFormComponent AppFormComponent = nullptr;                // InstallAppForms
  TKXAppFormClassRequestAuth AppFormClassRequestAuth = nullptr;  // InstallAppForms
  TKXSessionClock SessionClock = &std::chrono::steady_clock::now;

 private:
  struct TRequiredSeam {
    std::string Name;
    std::string Installer;
    std::function<bool(TKXRuntime&)> Filled;
  };
  TKXServerControllerBase* mController = nullptr;
  std::vector<TRequiredSeam> mRequiredSeams;
};

// The calling thread's current application: through the host's gGetWebApplicationThreadVar /
// gSetWebApplicationThreadVar (kx/appserver/KXGlobal.h) when installed, else through a thread-local value of the
// framework's own.
TKXApplication* GetWebApplication();
void SetWebApplication(TKXApplication* application);

// A process global that names a field of the calling thread's runtime: it reads as the field's value (the type's
// empty value while no runtime exists) and assigning it writes the field (raising while no runtime exists).
template <auto Field>
struct TKXRuntimeRef;

template <class T>
inline constexpr bool kIsOwnedPart = false;
template <class T, class TDeleter>
inline constexpr bool kIsOwnedPart<std::unique_ptr<T, TDeleter>> = true;

template <class T, T TKXRuntime::*Field>
  requires(!kIsOwnedPart<T>)
struct TKXRuntimeRef<Field> {
  T Get() const {
    const TKXRuntime* runtime = TKXRuntime::Current();
    return runtime ? runtime->*Field : T{};
  }
  operator T() const { return Get(); }
  T operator->() const
    requires std::is_pointer_v<T>
  {
    return Get();
  }
  const TKXRuntimeRef& operator=(T value) const {
    TKXRuntime::Required().*Field = value;
    return *this;
  }
  template <class... TArgs>
  decltype(auto) operator()(TArgs&&... args) const {
    return Get()(std::forward<TArgs>(args)...);
  }
};

// A part the runtime owns reads as a plain pointer. Assigning one hands it to the runtime, which frees it at its
// end; the part held before is let go without being freed, for whoever set it frees it (a test's own store).
template <class T, class TDeleter, std::unique_ptr<T, TDeleter> TKXRuntime::*Field>
struct TKXRuntimeRef<Field> {
  T* Get() const {
    const TKXRuntime* runtime = TKXRuntime::Current();
    return runtime ? (runtime->*Field).get() : nullptr;
  }
  operator T*() const { return Get(); }
  T* operator->() const { return Get(); }
  const TKXRuntimeRef& operator=(T* value) const
    requires std::is_same_v<TDeleter, std::default_delete<T>>
  {
    std::unique_ptr<T, TDeleter>& owned = TKXRuntime::Required().*Field;
    static_cast<void>(owned.release());
    owned.reset(value);
    return *this;
  }
};

}  // namespace kx
