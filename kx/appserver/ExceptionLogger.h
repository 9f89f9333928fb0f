// The exception logger: a plain-text report for each exception that reaches the
// server controller's exception handling (the exception, the program, the
// session and request, and the stack trace), saved to a time-stamped file in a
// log folder or to the system log, and the "error details" block of the
// exception page, in full only for a browser on the same machine.
//
// Stack traces: C++ exceptions carry none, so linking this unit records, for
// every throw in the process, the return addresses of the throwing thread's
// stack (glibc backtrace, taken where __cxa_throw is called). The logger finds
// the record of the exception it reports on the thread that caught it, and
// names the frames through dladdr with demangled symbols; a frame that no
// exported symbol holds (a function local to its source file, a cold part split
// off a function, any function of an executable linked without -rdynamic) is
// named from the module's full symbol table, and shows as module + offset, which
// addr2line resolves, only when the module is stripped of it.
//
// What any client can make happen must not fill the disk: an exception the
// client caused gets no report unless ReportClientCaused says so, a report
// of an exception class thrown from the same place as one saved less than
// RepeatWindow seconds ago is counted instead of saved, and no report or line
// grows with what a request sent (MaxReportBytes, kMaxLogMessage).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

#include "kx/foundation/Locks.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/Classes.h"
#include "kx/platform/DateUtils.h"
#include "kx/platform/StringLists.h"

namespace kx {

// The sections of a report.
enum TReportInfo : std::uint8_t { riAppInfo, riExceptionInfo, riKXAppInfo, riStackTrace };
using TReportInfos = TEnumSet<TReportInfo>;
inline constexpr TReportInfos kAllReportInfos{riAppInfo, riExceptionInfo, riKXAppInfo, riStackTrace};

// Where a report goes: a file in the log folder, or the system log.
enum TLogType : std::uint8_t { ltFile, ltEventLog };

// ---------------------------------------------------------------------------
// The server, session and request facts of a report. The logger does not know
// the server controller, the session or the request; its owner (the server
// controller) fills these in when a report asks for them.

// A form as a report names it: "[unassigned]" when not Assigned, Name + " (" +
// ClassName + ")" for a component, else ClassName.
struct TKXReportForm {
  bool Assigned = false;
  bool IsComponent = false;
  std::string Name;
  std::string ClassName;
};

// The session's current request.
struct TKXReportRequest {
  std::string RemoteAddr;  // the connection's peer address
  std::string PathInfo;
  std::string Method;  // the request method; a report shows "GET" for "GET", "POST" for any other
};

// The session's browser object.
struct TKXReportBrowser {
  std::string Name;
  std::string UserAgent;
};

// The current session (the application object).
struct TKXReportSession {
  std::string AppPath;
  TKXReportForm ActiveForm;
  std::vector<TKXReportForm> ActiveForms;  // the active form list
  std::vector<TKXReportForm> Forms;        // the form list
  std::optional<TKXReportBrowser> Browser;
  std::string SessionID;
  TDateTime LastAccess = 0;
  bool Callback = false;
  std::optional<TKXReportRequest> Request;
  std::string RunParams;  // the raw run-parameter text
};

// The server controller's settings that a report shows.
struct TKXReportServer {
  std::string Version;
  bool AllowMultipleSessionsPerUser = false;
  std::string ContentPath;
};

struct TKXExceptionReportFacts {
  std::optional<TKXReportServer> Server;    // absent without a server controller
  int SessionCount = 0;                      // sessions in the store
  std::optional<TKXReportSession> Session;  // absent without a current session
};

// What the logger's owner (the server controller) offers.
class IKXExceptionLoggerOwner {
 public:
  // The facts of the calling thread's session and request. sender is the
  // object that reported the exception (the application object for a request),
  // nullptr for the exception page. Called under the logger's lock.
  virtual void GetExceptionReportFacts(TObject* sender, TKXExceptionReportFacts& facts) = 0;
  // The controller's OnLogException with the report's lines: true when it took
  // the report, which then is not saved anywhere else. Called under the lock.
  virtual bool DoOnLogException(const TStrings& report) = 0;

 protected:
  ~IKXExceptionLoggerOwner() = default;
};

// ---------------------------------------------------------------------------

class TKXExceptionLogger : public TPersistent {
 public:
  explicit TKXExceptionLogger(IKXExceptionLoggerOwner* owner = nullptr);
  // When Enabled, writes the repeats not yet written (WriteRepeats) and purges
  // old report files; a failing purge goes to the system log, never out of the
  // destructor.
  ~TKXExceptionLogger() override;
  TKXExceptionLogger(const TKXExceptionLogger&) = delete;
  TKXExceptionLogger& operator=(const TKXExceptionLogger&) = delete;

  // From another logger copies FilePath, FileName, ReportInfos, LogType,
  // Enabled, ReportClientCaused and RepeatWindow (not PurgeAfterDays); other
  // sources as TPersistent does.
  void Assign(const TPersistent* source) override;

  // Builds the report of e and saves it; returns whether some target took it.
  // False when not Enabled, when e is nullptr, when e's exact class was
  // registered with RegisterIgnoreException (a subclass of it is reported), when
  // a client caused e and ReportClientCaused is false, and when SaveReport
  // counts it as a repeat. Then, whatever e was, Maintain. Never raises.
  bool LogException(TObject* sender, const std::exception* e);

  // The detail block of the exception page, only when clientAddress (the
  // connection's peer address, never a Host or forwarded-for header) is a
  // loopback address (127.0.0.0/8, ::1 or ::ffff:127.x.x.x): the exception
  // info, a separator and the application info, a separator and the session
  // info, then a separator and the stack trace. Lines end with CR LF. Empty for
  // a nullptr e and for any other client, whose page shows the message alone.
  std::string GetExceptionDetail(const std::exception* e, const std::string& clientAddress);

  // Exceptions of exactly this class are never reported.
  void RegisterIgnoreException(const std::type_info& exceptionClass);
  template <class E>
  void RegisterIgnoreException() {
    RegisterIgnoreException(typeid(E));
  }

  // Replaces list's lines with the report: each section of ReportInfos after a
  // separator line of 120 "-", in the order exception, application, session,
  // stack trace, and a last separator. A control byte in a line (a client's path, user agent or value) is written
  // as a "\x1b" escape (LogLineText). A line is cut to MaxReportLine bytes before its escapes (CutLogText); past
  // MaxReportBytes the largest section gives way from its end (a session's long form list, the deepest frames),
  // its last lines replaced by one "[N more lines cut]".
  void CreateReport(TStrings& list);
  static constexpr std::size_t MaxReportLine = 1024;
  static constexpr std::size_t MaxReportBytes = 16 * 1024;
  // Offers the last report to the owner's OnLogException, then saves it to a
  // file (ltFile) and, when that fails or with ltEventLog, to the system log.
  // The owner sees every report; what is saved is bounded: a report of the
  // class and place (the first frames of its throw) of one saved less than
  // RepeatWindow seconds ago is only counted (false), and the next one saved
  // tells the count in a line "Repeats unreported : N since <time>". A count
  // that no such report tells is written by itself when its window has ended
  // (Maintain) or the logger stops (WriteRepeats).
  bool SaveReport();
  // Writes the last report to GetFilePath + GetFileName + "@" + the local time
  // "yyyy-mm-dd hh-mm-ss.zzz" + ".Log", creating the folder with its parents.
  // A name already taken gets "-2", "-3" ... before ".Log"; an existing file is
  // never overwritten. Any failure gives false (and no partial file).
  bool SaveToFile();
  // Writes the last report's text to the system log; true.
  virtual bool SaveToEventLog();
  // With PurgeAfterDays above 0, deletes the regular files directly in the log
  // folder whose names start with GetFileName + "@" and end with ".log" (both
  // ignoring case) and that were last modified PurgeAfterDays days ago or
  // earlier. Symbolic links are neither followed nor deleted, and a log folder
  // that is itself a link is left alone. A critical folder (the root, a folder
  // directly under it, the current folder or above) raises "Assertion failed:
  // <class name>.PurgeFiles attempts to delete \"<folder>\"".
  void PurgeFiles();

  // What the logger does as time passes, for a program that runs for months: writes the counts of the repeat
  // windows that have ended (as WriteRepeats does), and purges (PurgeFiles) at most once a day, the first time at
  // the first call. Nothing when not Enabled. LogException calls it after each exception, and the server
  // controller's session-timeout thread each run (a minute). A failing purge goes to the system log; never raises.
  void Maintain();
  // Writes each count of repeats not yet told, as a short report of its own: the class, the message of the first
  // one counted, "Repeats unreported : N since <time>" and the frames of its place. The owner's OnLogException
  // is not offered it: it saw each repeat. The destructor calls it.
  void WriteRepeats();

  // The logger's lock, which serialises report building and saving.
  void Lock() { FLock.Enter(); }
  void Unlock() { FLock.Leave(); }

  // FilePath trimmed, "\" taken for "/", with a trailing "/"; when empty, the
  // application folder + "ErrorLog/".
  std::string GetFilePath() const;
  // FileName trimmed, or the application's name when empty; "/", "\" and
  // control characters become "_", so the name never leaves the log folder.
  std::string GetFileName() const;

  TReportInfos ReportInfos() const { return FReportInfos; }  // all four by default
  void SetReportInfos(TReportInfos value) { FReportInfos = value; }
  std::string FilePath() const;
  void SetFilePath(const std::string& value);
  std::string FileName() const;
  void SetFileName(const std::string& value);
  TLogType LogType() const { return FLogType; }  // ltFile by default
  void SetLogType(TLogType value) { FLogType = value; }
  bool Enabled() const { return FEnabled; }  // false by default
  void SetEnabled(bool value) { FEnabled = value; }
  int PurgeAfterDays() const { return FPurgeAfterDays; }  // 0 (never) by default
  void SetPurgeAfterDays(int value) { FPurgeAfterDays = value; }
  // Whether exceptions a client caused (IsClientCaused: a refused browser, an
  // expired session, a value that does not convert) are reported; false by
  // default, since any client can cause them at will. Their operator's line is
  // written either way.
  bool ReportClientCaused() const { return FReportClientCaused; }
  void SetReportClientCaused(bool value) { FReportClientCaused = value; }
  // Seconds after a saved report in which reports of the same class and place
  // are counted instead of saved (SaveReport); 600 by default, 0 saves each.
  int RepeatWindow() const { return FRepeatWindow; }
  void SetRepeatWindow(int seconds) { FRepeatWindow = seconds; }

  // The running time between start and now as a report writes it: the whole
  // days, hours, minutes and seconds that are not zero, each as the number and
  // " day", " hour", " minute" or " second" with "s" above 1, joined by blanks
  // ("1 day 5 minutes 2 seconds"). No time, or a negative one, gives "".
  static std::string RunningTimeText(TDateTime start, TDateTime now);

 protected:
  // The clock of RepeatWindow and of Maintain's daily purge.
  virtual std::chrono::steady_clock::time_point RepeatClock() const { return std::chrono::steady_clock::now(); }

 private:
  // The frames of a throw that make its place: more than the throwing function,
  // so that the callers of one guard or conversion helper stay apart.
  static constexpr int kPlaceFrames = 4;
  using TPlace = std::array<const void*, kPlaceFrames>;

  // What the report shows of the current exception; taken when it is set, so a
  // report never reads an exception object that is gone.
  struct TExceptionSnapshot {
    const void* Object = nullptr;
    std::uint64_t ThrowSerial = 0;  // 0: no record of its throw
    const std::type_info* Type = nullptr;
    std::string ClassName;
    std::string Message;
    const void* Address = nullptr;  // where it was thrown, when known
    TPlace Place{};                 // the first frames of its throw; nullptr where unknown
  };

  // The reports of one class and place since the last one saved.
  struct TRepeats {
    std::chrono::steady_clock::time_point Saved;
    std::int64_t Counted = 0;
    TDateTime FirstCounted = 0;
    std::string ClassName{};  // of the first one counted, for a count written by itself
    std::string Message{};
    const void* Address = nullptr;
  };
  using TRepeatKey = std::pair<std::type_index, TPlace>;

  bool Report(TObject* sender, const std::exception& e);
  void SetException(const std::exception* e);
  bool IsIgnored(const std::exception* e) const;
  // True when the last report repeats one saved within RepeatWindow and is counted; otherwise it is to be saved,
  // and gets the count of those before it.
  bool CountRepeat();
  // Writes repeats' count as a report of its own (WriteRepeats).
  void WriteRepeatReport(const TPlace& place, const TRepeats& repeats);
  // The counts whose window ended before now (all with everything) are written; their entries go.
  void WriteRepeatsBefore(std::chrono::steady_clock::time_point now, bool everything);
  void PurgeOncePerDay(std::chrono::steady_clock::time_point now);
  // PurgeFiles, its failure told to the system log.
  void PurgeQuietly() noexcept;
  // FReport to a file (ltFile) or, when that fails or with ltEventLog, to the system log.
  bool SaveLastReport();
  static void BoundReport(TStrings& list);
  TKXExceptionReportFacts GatherFacts(TObject* sender);
  void BuildReport(TStrings& list, TObject* sender);
  void AddExceptionInfo(TStrings& list) const;
  void AddAppInfo(TStrings& list) const;
  void AddSessionInfo(TStrings& list, const TKXExceptionReportFacts& facts) const;
  void AddStackTrace(TStrings& list) const;

  IKXExceptionLoggerOwner* FOwner;
  std::unique_ptr<TStringList> FReport;
  std::unique_ptr<TStringList> FStackTrace;
  std::vector<std::type_index> FIgnoreList;
  TReportInfos FReportInfos = kAllReportInfos;
  TLogType FLogType = ltFile;
  std::optional<TExceptionSnapshot> FException;
  TDateTime FAppStartupTime;
  std::string FComputerName;
  bool FEnabled = false;
  std::string FFilePath;
  std::string FFileName;
  int FPurgeAfterDays = 0;
  bool FReportClientCaused = false;
  int FRepeatWindow = 600;
  // By class and place; as many as the program has throwing places, whatever clients send.
  std::map<TRepeatKey, TRepeats> FRepeats;
  std::optional<std::chrono::steady_clock::time_point> FLastPurge;  // by Maintain
  mutable TKXCriticalSection FLock;
};

// The operator's line for an exception that ends in an exception page, an error answer or an alert:
// "2026-12-07 05:40:12 error session SESSIONID POST "/$/callback": EKXException: the message", then, when the throw's
// stack is known (it was thrown on this thread and is the one being handled), its frames, one per line, indented.
// What a client or a user caused (IsClientCaused: a refused browser, a value that does not convert, an expired
// session, a refused save) is the line alone, at level "warning" instead of "error".
// The line is OperatorLogLine's: the path quoted, any control byte shown as "\x1b", so the line stays one line and
// runs nothing in a terminal.
std::string ExceptionLogLine(const std::exception& e, std::string_view sessionId, std::string_view method,
                             std::string_view path);
// The one writer of the operator's lines: "2026-12-07 05:40:12 LEVEL session SESSIONID METHOD "/path": message". An
// empty session id or path is left out; an empty method (one the request layer does not name) shows as "-". The path,
// and a session id of other than id characters or longer than kMaxQuotedLogValue, are written through QuotedLogText,
// so what a client sent reads as one value; line breaks in message become blanks, and the method and message are written through LogLineText.
// What a request can make long is cut first (CutLogText): the message (a posted value or a header quoted in it) to
// kMaxLogMessage bytes, the method to kMaxLogMethod, the path and session id as QuotedLogText cuts them; so a line
// holds about 2 KB at most, some 7 KB for text written all in escapes.
std::string OperatorLogLine(std::string_view level, std::string_view sessionId, std::string_view method,
                            std::string_view path, std::string_view message);
inline constexpr std::size_t kMaxLogMessage = 1024;
inline constexpr std::size_t kMaxLogMethod = 32;

}  // namespace kx
