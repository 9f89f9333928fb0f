// The process globals through which the host program, the request entry point
// and the rest of the framework meet. They are written at start-up (by the host
// and the server controller) and read by every request thread afterwards.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

class TKXServerControllerBase;
class TKXApplication;
class IKXSessionStore;
struct TComponentClass;

// How the process hosts the framework.
enum TKXAppType : std::uint8_t { atStandAlone, atISAPI, atLibrary };

// The request entry point: a request packet in the buffer is answered with a
// reply packet written into the same buffer.
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

inline TKXServerControllerBase* gSC = nullptr;
// Cleared when that controller is freed.
inline TKXServerControllerBase* gServerController = nullptr;
// The application's controller class, which the host creates
// (TKXServerControllerBase::SetServerControllerClass<T>()); nullptr until set.
inline const TComponentClass* gServerControllerClass = nullptr;
inline TKXAppType GAppType = atStandAlone;
inline THttpExecuteHook gHttpExecuteHook = nullptr;
inline TAppInitHook gAppInit = nullptr;
inline TKXLogProcedure gLogProcedure = nullptr;
inline TKXLogBytesProcedure gLogBytesProcedure = nullptr;
inline TGetWebApplicationThreadVar gGetWebApplicationThreadVar = nullptr;
inline TSetWebApplicationThreadVar gSetWebApplicationThreadVar = nullptr;
inline TGetAppPath gGetAppPath = nullptr;
// The session store. The session layer creates it at start-up, before the
// server controller; the controller frees it when it is freed itself, after
// stopping its session-timeout thread.
inline IKXSessionStore* gSessions = nullptr;
// The author's main-form class (set by SetAsMainForm); a new session shows an instance of it.
inline const TComponentClass* gMainFormClass = nullptr;

}  // namespace kx
