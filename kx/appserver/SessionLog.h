// The session event log: one binary record per creation, request and
// destruction of a session, appended to the application's "_session.log" file
// when the server controller's LogSessionEvents is on. Builds on the typed
// streams (TStreamHelper) and appserver/Application.h.
#pragma once

#include <cstdint>
#include <string>

#include "kx/appserver/Application.h"

namespace kx {

class TKXSessionLogger {
 public:
  TKXSessionLogger() = delete;

  static constexpr std::int32_t Magic = 20040827;
  static constexpr std::int32_t Version = 2;

  // The application folder (the host's gGetAppPath when set, else gsAppPath())
  // + gsAppName() + "_session.log".
  static std::string LogFileName();

  // Appends the record of event for session (text is not written). A new or
  // empty file first gets the header: int32 Magic, int32 Version and, when a
  // server controller exists, boolean AllowMultipleSessionsPerUser and int32
  // SessionTimeout. The record: byte event, double Now, text session id; for
  // seCreate with a browser its name and user agent; then, with a current
  // request, its remote address, path info and content fields (a string
  // list), else two empty texts and a count 0. Header and record reach the
  // file in one write, under a process-wide lock, while the file is held
  // against other writers. A file that cannot be opened or written raises the
  // platform's file error (EFOpenError, EFCreateError, EWriteError).
  static void LogEvent(TKXApplication& session, TSessionEvent event, const std::string& text = "");

  // The bytes LogEvent appends: the header first when withHeader is set.
  static std::string BuildRecord(TKXApplication& session, TSessionEvent event, bool withHeader);
};

// Makes every session write its events through TKXSessionLogger
// (gLogSessionEvent). The installed writer never raises: a failure to write
// the log is reported to the system log and the request or destruction goes on.
void InstallSessionLogger();

}  // namespace kx
