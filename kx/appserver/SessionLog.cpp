#include "kx/appserver/SessionLog.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/DateUtils.h"
#include "kx/platform/Streams.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// Serialises the writers of this process; another process is kept out by the
// file's lock (deny-write).
std::mutex gSessionLogLock;

// The log file for appending: opened when it exists, else created (never over
// a file another process created meanwhile).
std::unique_ptr<TFileStream> OpenLogFile(const std::string& fileName) {
  constexpr std::uint16_t kOpen = fmOpenWrite | fmShareDenyWrite;
  std::error_code error;
  if (std::filesystem::exists(fileName, error)) return std::make_unique<TFileStream>(fileName, kOpen);
  try {
    return std::make_unique<TFileStream>(fileName, fmCreate | fmExclusive | fmShareDenyWrite);
  } catch (const EFCreateError&) {
    if (!std::filesystem::exists(fileName, error)) throw;
    return std::make_unique<TFileStream>(fileName, kOpen);
  }
}

void LogSessionEventHook(TKXApplication& session, TSessionEvent event) {
  try {
    TKXSessionLogger::LogEvent(session, event);
  } catch (const std::exception& e) {
    AddToEventLog("Session event log: " + std::string(e.what()));
  } catch (...) {
    AddToEventLog("Session event log: unknown error");
  }
}

}  // namespace

std::string TKXSessionLogger::LogFileName() {
  std::string folder = gGetAppPath != nullptr ? gGetAppPath() : gsAppPath();
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + gsAppName() + "_session.log";
}

std::string TKXSessionLogger::BuildRecord(TKXApplication& session, TSessionEvent event, bool withHeader) {
  TMemoryStream memory;
  TStreamHelper out(&memory, false);
  if (withHeader) {
    out.WriteInteger(Magic);
    out.WriteInteger(Version);
    if (gSC != nullptr) {
      out.WriteBoolean(gSC->AllowMultipleSessionsPerUser());
      out.WriteInteger(gSC->SessionTimeout());
    }
  }
  out.WriteByte(static_cast<std::uint8_t>(event));
  out.WriteDouble(Now());
  out.WriteText(session.AppID());
  if (event == seCreate && session.Browser() != nullptr) {
    out.WriteText(session.Browser()->BrowserName());
    out.WriteText(session.Browser()->UserAgent());
  }
  if (const THttpRequest* request = session.Request()) {
    out.WriteText(request->RemoteAddr());
    out.WriteText(request->PathInfo());
    out.WriteStrings(request->ContentFields());
  } else {
    out.WriteText("");
    out.WriteText("");
    out.WriteInteger(0);
  }
  const char* bytes = static_cast<const char*>(memory.Memory());
  return std::string(bytes, bytes + memory.Size());
}

void TKXSessionLogger::LogEvent(TKXApplication& session, TSessionEvent event, const std::string& /*text*/) {
  std::lock_guard guard(gSessionLogLock);
  std::unique_ptr<TFileStream> file = OpenLogFile(LogFileName());
  const std::int64_t position = file->Seek(0, soEnd);
  const std::string bytes = BuildRecord(session, event, position == 0);
  file->WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
}

void InstallSessionLogger() { gLogSessionEvent = &LogSessionEventHook; }

}  // namespace kx
