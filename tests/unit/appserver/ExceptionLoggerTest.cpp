#include "kx/appserver/ExceptionLogger.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "kx/foundation/AppInfo.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/KXExceptions.h"

namespace kx {

// A function of the program with external linkage; the test programs are linked without -rdynamic, so no exported
// symbol holds it.
[[gnu::noinline]] void ThrowFromTheProgram() {
  asm volatile("");
  throw EKXException("exported");
}

namespace {

namespace fs = std::filesystem;

const std::string kSeparator(120, '-');

// Reports that would go to the system log are kept here instead.
class TTestLogger : public TKXExceptionLogger {
 public:
  using TKXExceptionLogger::TKXExceptionLogger;

  bool SaveToEventLog() override {
    TStringList report;
    CreateReport(report);
    EventLog.push_back(report.Text());
    return true;
  }

  std::vector<std::string> EventLog;
};

class TFakeOwner : public IKXExceptionLoggerOwner {
 public:
  void GetExceptionReportFacts(TObject* sender, TKXExceptionReportFacts& facts) override {
    ++FactCalls;
    LastSender = sender;
    facts = Facts;
  }
  bool DoOnLogException(const TStrings& report) override {
    Offered.push_back(report.Text());
    if (HandlerRaises) throw Exception("handler failed");
    return Handled;
  }

  TKXExceptionReportFacts Facts;
  int FactCalls = 0;
  TObject* LastSender = nullptr;
  bool Handled = false;
  bool HandlerRaises = false;
  std::vector<std::string> Offered;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The lines between the separators: sections[0] is what precedes the first one.
std::vector<std::vector<std::string>> Sections(const std::string& text) {
  std::vector<std::vector<std::string>> sections(1);
  for (const std::string& line : Lines(text)) {
    if (line == kSeparator) sections.emplace_back();
    else sections.back().push_back(line);
  }
  return sections;
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& line : lines)
    if (line.rfind(prefix, 0) == 0) return true;
  return false;
}

// Throws exception (really, so that its throw is recorded) and hands the caught
// object to action.
template <class E, class Action>
[[gnu::noinline]] auto Caught(const E& exception, Action action) {
  try {
    throw exception;
  } catch (const std::exception& e) {
    return action(e);
  }
  throw std::logic_error("unreachable");
}

// The same, thrown from depth nested calls.
[[gnu::noinline]] void ThrowNested(int depth, const std::string& message) {
  if (depth > 0) {
    ThrowNested(depth - 1, message);
    asm volatile("");  // keeps the recursion from becoming a loop
    return;
  }
  throw EKXException(message);
}

// A function local to this file, and one whose throw the optimiser (-O2) moves into a cold part of its own.
[[gnu::noinline]] void ThrowFromThisFile() {
  asm volatile("");
  throw EKXException("local");
}
[[gnu::noinline]] int DoubledOrThrow(int value) {
  if (value < 0) [[unlikely]]
    throw EKXException("negative: " + std::to_string(value));
  return value * 2;
}

// Two places that throw (their messages differ, so the linker cannot fold them into one).
[[gnu::noinline]] void ThrowHere(bool security) {
  security ? throw EKXSecurityException("here") : throw EKXException("here");
}
[[gnu::noinline]] void ThrowThere() { throw EKXException("there"); }
// One helper that throws, reached from two callers: its first frame is the same from both, the next ones are not.
[[gnu::noinline]] void ThrowFromHelper() {
  asm volatile("");
  throw EKXException("helper");
}
[[gnu::noinline]] void CallHelperFromOne() {
  ThrowFromHelper();
  asm volatile("");  // no tail call: this frame stays on the stack
}
[[gnu::noinline]] void CallHelperFromTwo() {
  ThrowFromHelper();
  asm volatile("");
}

// A function whose name, with its template argument, runs to kilobytes.
template <class T>
[[gnu::noinline]] void ThrowWithALongName() {
  asm volatile("");
  throw EKXException(std::to_string(sizeof(T)));
}
using TLongNamedType = std::map<std::string, std::vector<std::pair<std::string, std::map<std::string, std::string>>>>;

// A logger whose repeat clock the test sets.
struct TClockedLogger : TTestLogger {
  using TTestLogger::TTestLogger;
  std::chrono::steady_clock::time_point RepeatClock() const override { return At; }
  std::chrono::steady_clock::time_point At;
};

class ExceptionLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-exceptionlogger-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    mDir = pattern;
    mLogDir = mDir + "/ErrorLog";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(mDir, ignored);
  }

  // An enabled logger writing to mLogDir as "MyApp".
  void Configure(TKXExceptionLogger& logger) const {
    logger.SetFilePath(mLogDir);
    logger.SetFileName("MyApp");
    logger.SetEnabled(true);
  }

  std::vector<std::string> Files(const std::string& folder) const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> LogFiles() const { return Files(mLogDir); }
  std::string Read(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string OnlyReport() const {
    std::vector<std::string> files = LogFiles();
    if (files.size() != 1) return "(" + std::to_string(files.size()) + " files)";
    return Read(mLogDir + "/" + files[0]);
  }

  // A file (or link, with its own time) whose modification time lies ageSeconds back.
  void Touch(const std::string& path, std::int64_t ageSeconds) const {
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[1] = times[0];
    times[1].tv_sec -= ageSeconds;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
  }
  void MakeFile(const std::string& path, std::int64_t ageSeconds) const {
    FileMake(path, "old report", true);
    Touch(path, ageSeconds);
  }

  std::string mDir;
  std::string mLogDir;
};

constexpr std::int64_t kDay = 86400;

// ---------------------------------------------------------------------------
// Logging and saving

TEST_F(ExceptionLoggerTest, DisabledLoggerLogsNothing) {
  TTestLogger logger;
  Configure(logger);
  logger.SetEnabled(false);
  EXPECT_FALSE(Caught(EKXException("boom"), [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
  logger.SetEnabled(true);
  EXPECT_FALSE(logger.LogException(nullptr, nullptr));
  EXPECT_TRUE(LogFiles().empty());
  EXPECT_TRUE(logger.EventLog.empty());
}

TEST_F(ExceptionLoggerTest, IgnoresOnlyTheExactRegisteredClass) {
  TTestLogger logger;
  Configure(logger);
  logger.RegisterIgnoreException<EKXException>();
  EXPECT_FALSE(Caught(EKXException("ignored"), [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
  EXPECT_TRUE(LogFiles().empty());
  EXPECT_TRUE(Caught(EKXSecurityException("subclass"),
                     [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
  EXPECT_EQ(LogFiles().size(), 1u);
  EXPECT_NE(OnlyReport().find("Exception class    : EKXSecurityException\r\n"), std::string::npos);
}

TEST_F(ExceptionLoggerTest, WritesTheFullReportToATimeStampedFile) {
  TTestLogger logger;
  Configure(logger);
  ASSERT_TRUE(Caught(EKXException("Something 100% wrong"),
                     [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
  std::vector<std::string> files = LogFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(std::regex_match(files[0], std::regex(R"(MyApp@\d{4}-\d\d-\d\d \d\d-\d\d-\d\d\.\d{3}\.Log)")))
      << files[0];

  const std::string text = OnlyReport();
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  auto sections = Sections(text);
  // Nothing before the first separator, four sections, nothing after the last.
  ASSERT_EQ(sections.size(), 6u);
  EXPECT_TRUE(sections[0].empty());
  EXPECT_TRUE(sections[5].empty());

  const auto& exceptionInfo = sections[1];
  ASSERT_EQ(exceptionInfo.size(), 4u);
  EXPECT_EQ(exceptionInfo[0], "Exception message  : Something 100% wrong");
  EXPECT_EQ(exceptionInfo[1], "Exception class    : EKXException");
  EXPECT_TRUE(std::regex_match(exceptionInfo[2], std::regex("Exception address  : [0-9A-F]{16}"))) << exceptionInfo[2];
  const std::regex dateTime(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})");
  EXPECT_TRUE(std::regex_match(exceptionInfo[3].substr(21), dateTime)) << exceptionInfo[3];
  EXPECT_EQ(exceptionInfo[3].substr(0, 21), "Exception Time     : ");

  const auto& appInfo = sections[2];
  ASSERT_EQ(appInfo.size(), 6u);
  EXPECT_EQ(appInfo[0], "Application Name   : " + GAppPathname());
  EXPECT_EQ(appInfo[1], "Application Version: ");
  EXPECT_TRUE(std::regex_match(appInfo[2].substr(21), dateTime)) << appInfo[2];
  EXPECT_EQ(appInfo[2].substr(0, 21), "Started at         : ");
  EXPECT_EQ(appInfo[3].substr(0, 21), "Running for        : ");
  EXPECT_EQ(appInfo[4], "Computer Name      : " + TKXAppInfo::GetComputerName());
  EXPECT_EQ(appInfo[5].substr(0, 21), "Compiler Version   : ");
  EXPECT_GT(appInfo[5].size(), 21u);

  // Without an owner there is no controller and no session.
  EXPECT_EQ(sections[3], std::vector<std::string>{"Session count      : 0"});

  const auto& stack = sections[4];
  ASSERT_FALSE(stack.empty());
  EXPECT_EQ(stack[0].rfind("[0] ", 0), 0u) << stack[0];
}

TEST_F(ExceptionLoggerTest, ReportShowsTheOwnersSessionAndRequestFacts) {
  TFakeOwner owner;
  TKXReportSession session;
  session.AppPath = "/app";
  session.ActiveForm = {true, true, "MainForm", "TMainForm"};
  session.ActiveForms = {{true, true, "MainForm", "TMainForm"}, {}};
  session.Forms = {{true, false, "", "TPlainForm"}};
  session.Browser = TKXReportBrowser{"Firefox", "Mozilla/5.0 (X11)"};
  session.SessionID = "ABC123";
  session.LastAccess = EncodeDateTime(2024, 5, 1, 10, 20, 30, 123);
  session.Callback = true;
  session.Request = TKXReportRequest{"10.1.2.3", "/$/callback", "HEAD"};
  session.RunParams = "?a=1&b=2";
  owner.Facts.Server = TKXReportServer{"16.0.1", true, "/srv/wwwroot/"};
  owner.Facts.SessionCount = 3;
  owner.Facts.Session = session;

  TTestLogger logger(&owner);
  Configure(logger);
  logger.SetReportInfos({riKXAppInfo});
  TObject sender;
  ASSERT_TRUE(Caught(EKXException("x"), [&](const std::exception& e) { return logger.LogException(&sender, &e); }));
  EXPECT_EQ(owner.LastSender, &sender);
  auto sections = Sections(OnlyReport());
  ASSERT_EQ(sections.size(), 3u);
  const std::vector<std::string> expected = {
      "Kestrix Version   : 16.0.1",
      "Multi-session      : True",
      "Content Path       : /srv/wwwroot/",
      "Session count      : 3",
      "Application Path   : /app",
      "Active Form        : MainForm (TMainForm)",
      "Active Form list   :",
      " [1] MainForm (TMainForm)",
      " [2] [unassigned]",
      "Form list          :",
      " [1] TPlainForm",
      "Browser Name       : Firefox",
      "Browser UserAgent  : Mozilla/5.0 (X11)",
      "Session ID         : ABC123",
      "Last Access        : 2024-05-01 10:20:30.123",
      "Callback           : True",
      "Client IP address  : 10.1.2.3",
      "Request PathInfo   : /$/callback",
      "Request Method     : POST",
      "Runtime parameters : ?a=1&b=2",
  };
  EXPECT_EQ(sections[1], expected);
}

TEST_F(ExceptionLoggerTest, OwnerThatHandlesTheReportStopsTheSaving) {
  TFakeOwner owner;
  owner.Handled = true;
  TTestLogger logger(&owner);
  Configure(logger);
  EXPECT_TRUE(Caught(EKXException("taken"), [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
  ASSERT_EQ(owner.Offered.size(), 1u);
  EXPECT_NE(owner.Offered[0].find("Exception message  : taken\r\n"), std::string::npos);
  EXPECT_TRUE(LogFiles().empty());
  EXPECT_TRUE(logger.EventLog.empty());
}

TEST_F(ExceptionLoggerTest, ReportIsSavedWhenTheOwnerDeclinesOrFails) {
  for (bool raises : {false, true}) {
    SCOPED_TRACE(raises);
    TFakeOwner owner;
    owner.HandlerRaises = raises;
    TTestLogger logger(&owner);
    Configure(logger);
    EXPECT_TRUE(Caught(EKXException("kept"), [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
    EXPECT_EQ(owner.Offered.size(), 1u);
    EXPECT_EQ(LogFiles().size(), 1u);
    fs::remove_all(mLogDir);
  }
}

TEST_F(ExceptionLoggerTest, EventLogTypeWritesNoFile) {
  TTestLogger logger;
  Configure(logger);
  logger.SetLogType(ltEventLog);
  EXPECT_TRUE(Caught(EKXException("to syslog"), [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
  EXPECT_FALSE(fs::exists(mLogDir));
  ASSERT_EQ(logger.EventLog.size(), 1u);
  EXPECT_NE(logger.EventLog[0].find("Exception message  : to syslog"), std::string::npos);
}

TEST_F(ExceptionLoggerTest, FolderOrFileThatCannotBeCreatedFallsBackToTheEventLog) {
  FileMake(mDir + "/plain", "", true);
  const std::pair<std::string, std::string> cases[] = {
      {mDir + "/plain/ErrorLog", "MyApp"},    // the folder's parent is a file
      {mLogDir, std::string(300, 'n')},       // the name is too long for a file name
  };
  for (const auto& [path, name] : cases) {
    SCOPED_TRACE(path);
    TTestLogger logger;
    Configure(logger);
    logger.SetFilePath(path);
    logger.SetFileName(name);
    EXPECT_TRUE(Caught(EKXException("x"), [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
    EXPECT_TRUE(LogFiles().empty());
    EXPECT_EQ(logger.EventLog.size(), 1u);
  }
}

TEST_F(ExceptionLoggerTest, WriteErrorLeavesNoPartialFileAndFallsBack) {
  TTestLogger logger;
  Configure(logger);
  ASSERT_TRUE(MakeDirectory(mLogDir, true));
  // Files of this process may not grow past 64 bytes for a moment: the write fails with EFBIG.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 64;
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &previous);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool logged = false;
  EXPECT_NO_THROW(logged = Caught(EKXException("disk full"),
                                  [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);
  EXPECT_TRUE(logged);
  EXPECT_TRUE(LogFiles().empty());
  EXPECT_EQ(logger.EventLog.size(), 1u);
}

TEST_F(ExceptionLoggerTest, FileNameNeverLeavesTheLogFolder) {
  TTestLogger logger;
  Configure(logger);
  EXPECT_EQ(logger.GetFileName(), "MyApp");
  logger.SetFileName("   ");
  EXPECT_EQ(logger.GetFileName(), gsAppName());
  logger.SetFileName("../../evil\\name\n");
  EXPECT_EQ(logger.GetFileName(), ".._.._evil_name");
  ASSERT_TRUE(Caught(EKXException("x"), [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
  std::vector<std::string> files = LogFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].rfind(".._.._evil_name@", 0), 0u) << files[0];
  EXPECT_EQ(Files(mDir), std::vector<std::string>{"ErrorLog"});
}

TEST_F(ExceptionLoggerTest, LogFolderComesFromTheTrimmedFilePath) {
  const std::pair<std::string, std::string> cases[] = {
      {"", gsAppPath() + "ErrorLog/"},
      {"   ", gsAppPath() + "ErrorLog/"},
      {" /var/log/app ", "/var/log/app/"},
      {"/var/log/app/", "/var/log/app/"},
      {"logs\\errors", "logs/errors/"},
  };
  for (const auto& [path, folder] : cases) {
    SCOPED_TRACE(path);
    TKXExceptionLogger logger;
    logger.SetFilePath(path);
    EXPECT_EQ(logger.GetFilePath(), folder);
  }
}

TEST_F(ExceptionLoggerTest, ConcurrentReportsAreCompleteAndNeverOverwriteEachOther) {
  // Many reports fall into the same millisecond and so want the same file name.
  constexpr int kThreads = 8;
  constexpr int kReports = 25;
  TTestLogger logger;
  Configure(logger);
  logger.SetRepeatWindow(0);  // all are thrown from one place
  std::atomic<int> saved{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kReports; ++i) {
        const std::string message = "report " + std::to_string(t) + "/" + std::to_string(i);
        if (Caught(EKXException(message), [&](const std::exception& e) { return logger.LogException(nullptr, &e); }))
          ++saved;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(saved.load(), kThreads * kReports);
  EXPECT_TRUE(logger.EventLog.empty());

  std::map<std::string, int> seen;
  const std::regex name(R"(MyApp@\d{4}-\d\d-\d\d \d\d-\d\d-\d\d\.\d{3}(-\d+)?\.Log)");
  for (const std::string& file : LogFiles()) {
    EXPECT_TRUE(std::regex_match(file, name)) << file;
    auto sections = Sections(Read(mLogDir + "/" + file));
    ASSERT_EQ(sections.size(), 6u) << file;
    ++seen[sections[1][0]];
  }
  ASSERT_EQ(seen.size(), std::size_t(kThreads * kReports));
  for (const auto& [line, count] : seen) EXPECT_EQ(count, 1) << line;
}

// A fault that any request can trigger wrote a report per request: within RepeatWindow of a saved report, one of the
// same class and place is counted, and the next one saved tells the count.
TEST_F(ExceptionLoggerTest, RepeatsOfAClassAndPlaceAreCountedAndTheNextReportTellsThem) {
  const struct {
    int Second;
    bool There, Security, Saved;
    const char* Told;  // the count the saved report tells
    int Via = 0;       // 1 or 2: ThrowFromHelper from CallHelperFromOne or CallHelperFromTwo
  } steps[] = {
      {0, false, false, true, nullptr},   {10, false, false, false, nullptr}, {20, false, false, false, nullptr},
      {20, false, true, true, nullptr},   // another class
      {30, true, false, true, nullptr},   // the same class from another place
      {599, false, false, false, nullptr}, {600, false, false, true, "3"},  // the window has passed
      {601, false, false, false, nullptr}, {1200, false, false, true, "1"}, {1800, false, false, true, nullptr},
      // A place read as the throwing function alone counted the second caller's throw as a repeat of the first's.
      {1810, false, false, true, nullptr, 1}, {1820, false, false, true, nullptr, 2},
      {1830, false, false, false, nullptr, 1},
  };
  TFakeOwner owner;
  TClockedLogger logger(&owner);
  Configure(logger);
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Second);
    logger.At = std::chrono::steady_clock::time_point(std::chrono::hours(1) + std::chrono::seconds(step.Second));
    try {
      if (step.Via != 0) step.Via == 1 ? CallHelperFromOne() : CallHelperFromTwo();
      step.There ? ThrowThere() : ThrowHere(step.Security);
    } catch (const std::exception& e) {
      EXPECT_EQ(logger.LogException(nullptr, &e), step.Saved);
    }
    ASSERT_EQ(LogFiles().size(), step.Saved ? 1u : 0u);
    const std::string report = step.Saved ? OnlyReport() : "";
    if (step.Told)  // at the end of the exception info
      EXPECT_EQ(Sections(report)[1].back().rfind("Repeats unreported : " + std::string(step.Told) + " since 2", 0), 0u);
    else
      EXPECT_EQ(report.find("Repeats unreported"), std::string::npos);
    fs::remove_all(mLogDir);
  }
  // OnLogException sees every report: the author's handler keeps its own count.
  EXPECT_EQ(owner.Offered.size(), std::size(steps));
}

// Five repeats and then a normal stop were in no file, and a count whose place threw no more waited for ever: a count
// no report told is written by itself when its window ends (at the next exception or the timer's Maintain) or when
// the logger stops.
TEST_F(ExceptionLoggerTest, RepeatsNoReportToldAreWrittenAtTheWindowsEndOrTheStop) {
  const struct {
    const char* Name;
    std::function<void(TClockedLogger&)> After;  // what follows five repeats within the window
    bool Written;                                 // the count is in a file before the logger is freed
  } cases[] = {
      {"the program stops", [](TClockedLogger&) {}, false},
      {"the timer, within the window", [](TClockedLogger& l) { l.At += std::chrono::seconds(599), l.Maintain(); },
       false},
      {"the timer, after the window", [](TClockedLogger& l) { l.At += std::chrono::seconds(600), l.Maintain(); },
       true},
      {"another place's exception, after the window",
       [](TClockedLogger& l) {
         l.At += std::chrono::seconds(700);
         Caught(EKXException("elsewhere"), [&](const std::exception& e) { return l.LogException(nullptr, &e); });
       },
       true},
      {"stopped by hand", [](TClockedLogger& l) { l.WriteRepeats(); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> before;
    {
      TClockedLogger logger;
      Configure(logger);
      logger.At = std::chrono::steady_clock::time_point(std::chrono::hours(1));
      for (int i = 0; i < 6; ++i) {
        try {
          ThrowHere(false);
        } catch (const std::exception& e) {
          EXPECT_EQ(logger.LogException(nullptr, &e), i == 0);
        }
      }
      c.After(logger);
      before = LogFiles();
    }
    std::vector<std::string> counts;
    for (const std::string& file : LogFiles()) {
      const std::string report = Read(mLogDir + "/" + file);
      if (report.find("Repeats unreported") != std::string::npos) counts.push_back(report);
    }
    ASSERT_EQ(counts.size(), 1u) << "written once, and the stop does not write it again";
    EXPECT_EQ(before.size() == LogFiles().size(), c.Written);
    const auto sections = Sections(counts[0]);
    ASSERT_EQ(sections.size(), 4u) << counts[0];
    EXPECT_EQ(sections[1][0], "Exception message  : here");
    EXPECT_EQ(sections[1][1], "Exception class    : EKXException");
    EXPECT_EQ(sections[1].back().rfind("Repeats unreported : 5 since 2", 0), 0u) << counts[0];
    // Its place's frames (under AddressSanitizer the first is the sanitizer's own __cxa_throw).
    EXPECT_TRUE(std::any_of(sections[2].begin(), sections[2].end(),
                            [](const std::string& frame) { return frame.find("ThrowHere") != std::string::npos; }))
        << counts[0];
    fs::remove_all(mLogDir);
  }
}

// ---------------------------------------------------------------------------
// Size

// A tampered navigator submit (KX_ActionParam of 60 MB) wrote a 60 MB line and, at 5 MB, a 5 MB report; each warning
// line held the whole User-Agent. Whatever a request sends, a line and a report stay a few KB.
TEST(ExceptionLogLine, ALineStaysAFewKBWhateverTheRequestSent) {
  const std::string huge(300'000, 'A');
  const std::string escapes(300'000, '\x1b');  // each byte shows as four
  const struct {
    const char* Name;
    std::string SessionId, Method, Path, Message;
    const char* Ends;  // the line's end, kept past a cut
    std::size_t Max;
  } cases[] = {
      {"a posted value in the message", "S1", "POST", "/$/", huge + " is not a valid response.",
       "A is not a valid response.", 2048},
      {"a user agent in the message", "", "GET", "/", "Unknown browser type. User Agent string: " + huge, "AAA", 2048},
      {"a path", "S1", "GET", "/" + huge, "m", "AAA\": m", 2048},
      {"a session id of id characters", huge, "GET", "/", "m", "GET \"/\": m", 2048},
      {"a method", "S1", huge, "/", "m", "AAA \"/\": m", 2048},
      {"control bytes in each", escapes, escapes, escapes, escapes, "\\x1b", 8192},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string line = OperatorLogLine("warning", c.SessionId, c.Method, c.Path, c.Message);
    EXPECT_LE(line.size(), c.Max);
    EXPECT_TRUE(line.ends_with(c.Ends)) << line.substr(line.size() - 100);
    EXPECT_NE(line.find(" bytes cut ...] "), std::string::npos);
  }
  // The navigator's refusal as the operator's line shows it.
  const std::string refusal = " is not a valid response.";
  const std::string line = Caught(EKXSubmitRefused(huge + refusal),
                                  [](const std::exception& e) { return ExceptionLogLine(e, "S1", "POST", "/$/"); });
  EXPECT_LE(line.size(), 2048u);
  // The message's last third is kept.
  EXPECT_TRUE(line.ends_with("bytes cut ...] " + std::string(kMaxLogMessage / 3 - refusal.size(), 'A') + refusal));
}

TEST_F(ExceptionLoggerTest, AReportStaysAFewKBWhateverTheRequestSentAndKeepsItsStack) {
  const std::string huge(300'000, 'A');
  TFakeOwner owner;
  TKXReportSession session;
  session.Browser = TKXReportBrowser{"Chrome", huge};
  session.Request = TKXReportRequest{"192.0.2.1", "/" + huge, "POST"};
  session.RunParams = huge;
  session.SessionID = huge;
  // A session that opened form after form without releasing them.
  for (int i = 0; i < 5000; ++i) session.Forms.push_back({true, true, "Form" + std::to_string(i), "TForm"});
  owner.Facts.Session = session;
  TTestLogger logger(&owner);
  Configure(logger);
  ASSERT_TRUE(Caught(EKXException(huge + " is not a valid response."),
                     [&](const std::exception& e) { return logger.LogException(nullptr, &e); }));
  const std::string report = OnlyReport();
  EXPECT_LE(report.size(), TKXExceptionLogger::MaxReportBytes);
  const auto sections = Sections(report);
  ASSERT_EQ(sections.size(), 6u);
  EXPECT_TRUE(sections[1][0].starts_with("Exception message  : AAA")) << sections[1][0];
  EXPECT_TRUE(sections[1][0].ends_with("A is not a valid response.")) << sections[1][0];
  EXPECT_LE(sections[1][0].size(), TKXExceptionLogger::MaxReportLine + 40);
  // The form list gave way, with a line saying how much; the stack is whole.
  EXPECT_TRUE(std::regex_match(sections[3].back(), std::regex(R"(\[\d+ more lines cut\])"))) << sections[3].back();
  EXPECT_EQ(sections[4].front().rfind("[0] ", 0), 0u);
  EXPECT_EQ(sections[4].back().find("more lines cut"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Stack traces

TEST_F(ExceptionLoggerTest, StackTraceReachesIntoTheLibraryThatThrew) {
  TTestLogger logger;
  std::string detail;
  try {
    std::vector<int> empty;
    detail = std::to_string(empty.at(3));
  } catch (const std::exception& e) {
    detail = logger.GetExceptionDetail(&e, "127.0.0.1");
  }
  auto sections = Sections(detail);
  ASSERT_EQ(sections.size(), 4u);
  EXPECT_EQ(sections[0][1], "Exception class    : out_of_range");
  bool inLibrary = false;
  for (const std::string& frame : sections[3]) inLibrary = inLibrary || frame.find("libstdc++") != std::string::npos;
  EXPECT_TRUE(inLibrary) << detail;
}

// Issue 57: a frame that no exported symbol holds (a function of a program linked without -rdynamic, one local to its
// file, a cold part split off a function) showed as module + offset; the trace names it.
TEST_F(ExceptionLoggerTest, StackTraceNamesTheFunctionThatThrew) {
  const struct {
    const char* Name;
    std::function<void()> Throw;
  } cases[] = {
      {"ThrowFromTheProgram", [] { ThrowFromTheProgram(); }},
      {"ThrowFromThisFile", [] { ThrowFromThisFile(); }},
      {"DoubledOrThrow", [] { volatile int value = -1; DoubledOrThrow(value); }},
  };
  TTestLogger logger;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> frames;
    try {
      c.Throw();
    } catch (const std::exception& e) {
      frames = Sections(logger.GetExceptionDetail(&e, "127.0.0.1"))[3];
    }
    ASSERT_GE(frames.size(), 3u);
    // Under the sanitizers their own throw hook comes first.
    const std::regex named(std::string(R"(^\[[0-2]\] [0-9A-F]+ kx::(\(anonymous namespace\)::)?)") + c.Name + "\\(");
    EXPECT_TRUE(std::regex_search(frames[0], named) || std::regex_search(frames[1], named) ||
                std::regex_search(frames[2], named))
        << frames[0] << "\n" << frames[1] << "\n" << frames[2];
  }
}

// What a client or a user caused is one warning line; a fault of the server or the application an error line with
// the stack of its throw.
// Every exception wrote a report file, so curl's health check (a refused browser) or any client without a
// session wrote 33 KB a request: what a client caused has its line and, unless the author asks, no report.
TEST(ExceptionLogLine, ClientCausedIsOneWarningLineAFaultAnErrorWithItsStack) {
  const struct {
    std::function<void()> Throw;
    const char* Level;
    bool Stack;
    bool Report;  // by default; with ReportClientCaused each is reported
  } cases[] = {
      {[] { throw EUnknownBrowserException("Unknown browser type. User Agent string: curl/8.0"); }, "warning", false,
       false},
      {[] { throw EConvertError("'31.02.' is not a valid date"); }, "warning", false, false},
      {[] { throw EExpiredSession("abc", "The session has expired."); }, "warning", false, false},
      {[] { throw EInvalidAppID("abc", "Invalid session."); }, "warning", false, false},
      {[] { throw EKXNoSessionId("Session was terminated."); }, "warning", false, false},
      {[] { throw EKXException("the application failed"); }, "error", true, true},
      {[] { throw Exception("a plain fault"); }, "error", true, true},
      {[] { throw std::logic_error("a library fault"); }, "error", true, true},
  };
  // The owner takes each report it is offered, so nothing reaches a file.
  TFakeOwner byDefault, whenAsked;
  byDefault.Handled = whenAsked.Handled = true;
  TKXExceptionLogger defaultLogger(&byDefault), askingLogger(&whenAsked);
  defaultLogger.SetEnabled(true);
  askingLogger.SetEnabled(true);
  askingLogger.SetReportClientCaused(true);
  for (const auto& c : cases) {
    std::string line;
    bool reported = false, reportedWhenAsked = false;
    try {
      c.Throw();
    } catch (const std::exception& e) {
      line = ExceptionLogLine(e, "S1", "POST", "/$/");
      reported = defaultLogger.LogException(nullptr, &e);
      reportedWhenAsked = askingLogger.LogException(nullptr, &e);
    }
    SCOPED_TRACE(line);
    EXPECT_EQ(reported, c.Report);
    EXPECT_TRUE(reportedWhenAsked);
    const std::regex start(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )" + std::string(c.Level) +
                           " session S1 POST \"/\\$/\": \\w+: ");
    EXPECT_TRUE(std::regex_search(line, start));
    EXPECT_EQ(line.find("\n    [0] ") != std::string::npos, c.Stack);
    EXPECT_EQ(line.find('\n') == std::string::npos, !c.Stack);
  }
  EXPECT_EQ(byDefault.Offered.size(), 3u);  // not even offered to OnLogException
  EXPECT_EQ(whenAsked.Offered.size(), std::size(cases));
}

// A path or a posted value with ESC wrote a raw terminal sequence into the operator's line and the report.
TEST_F(ExceptionLoggerTest, ClientTextInTheLineAndTheReportShowsItsControlBytesAsEscapes) {
  const std::pair<std::string, std::string> cases[] = {{"/\x1b[31mred", "x"}, {"/", "'\x1b[2J' is not valid\r\n"}};
  for (const auto& c : cases) {
    const std::string line = Caught(EConvertError(c.second), [&](const std::exception& e) {
      return ExceptionLogLine(e, "S\x07", "POST", c.first);
    });
    EXPECT_EQ(line.find_first_of("\x1b\x07\r\n"), std::string::npos) << line;
    EXPECT_NE(line.find("\\x1b"), std::string::npos) << line;
  }
  // A session id is what the cookie said: one that is not made of id characters is quoted like the path.
  EXPECT_TRUE(OperatorLogLine("warning", "x GET /: m; client 10.9.8.7", "GET", "/", "m")
                  .ends_with(" warning session \"x GET /: m; client 10.9.8.7\" GET \"/\": m"));
  TTestLogger logger;
  Configure(logger);
  logger.SetReportClientCaused(true);
  ASSERT_TRUE(Caught(EConvertError("'\x1b]0;owned\x07' is not valid"), [&](const std::exception& e) {
    return logger.LogException(nullptr, &e);
  }));
  EXPECT_TRUE(HasLineStarting(Sections(OnlyReport())[1], "Exception message  : '\\x1b]0;owned\\x07' is not"));
}

// A template's frame line ran to 8 KB: the function's name is cut.
TEST_F(ExceptionLoggerTest, FrameOfATemplateWithALongNameIsCut) {
  TTestLogger logger;
  std::string detail;
  try {
    ThrowWithALongName<TLongNamedType>();
  } catch (const std::exception& e) {
    detail = logger.GetExceptionDetail(&e, "127.0.0.1");
  }
  // "[i] <address> " and the name's first 240 bytes, "...", then " + 0x<offset> (<module>)".
  const std::regex cut(R"(\n\[\d+\] [0-9A-F]+ void kx::\(anonymous namespace\)::ThrowWithALongName<.{189}\.\.\. \+ 0x)");
  EXPECT_TRUE(std::regex_search(detail, cut)) << detail;
}

TEST_F(ExceptionLoggerTest, ExceptionThatWasNeverThrownHasNoStackTraceAndNoAddress) {
  TTestLogger logger;
  EKXException notThrown("made, not thrown");
  auto sections = Sections(logger.GetExceptionDetail(&notThrown, "127.0.0.1"));
  ASSERT_EQ(sections.size(), 4u);
  EXPECT_FALSE(HasLineStarting(sections[0], "Exception address"));
  EXPECT_EQ(sections[3], std::vector<std::string>{"[Stack trace is empty]"});
}

TEST_F(ExceptionLoggerTest, NewExceptionAtTheAddressOfAnOldOneGetsItsOwnStackTrace) {
  // The second exception object usually reuses the freed memory of the first.
  TTestLogger logger;
  auto frames = [&](int depth) {
    try {
      ThrowNested(depth, "nested");
    } catch (const std::exception& e) {
      return Sections(logger.GetExceptionDetail(&e, "::1"))[3].size();
    }
    return std::size_t(0);
  };
  const std::size_t shallow = frames(2);
  const std::size_t deep = frames(7);
  EXPECT_EQ(deep, shallow + 5);
}

// ---------------------------------------------------------------------------
// Exception page details

// A remote client's page showed the exception class, code addresses and the stack, which defeat address
// randomisation: the detail block is for a loopback peer only.
TEST_F(ExceptionLoggerTest, DetailsOnlyForALoopbackPeerAddress) {
  const std::pair<std::string, bool> cases[] = {
      {"127.0.0.1", true},          {"127.200.3.4", true},     {"::1", true},
      {"::ffff:127.0.0.1", true},   {"0:0:0:0:0:0:0:1", true}, {"localhost", false},
      {"LOCALHOST", false},         {"10.0.0.1", false},       {"192.168.1.20", false},
      {"", false},                  {"127.0.0.1:80", false},   {"127.1", false},
      {"::2", false},               {"::ffff:10.0.0.1", false}, {std::string("127.0.0.1\0x", 11), false},
      {" 127.0.0.1", false},
  };
  for (const auto& [peer, full] : cases) {
    SCOPED_TRACE(peer);
    const std::string address = peer;  // clang 14 cannot capture a structured binding
    TFakeOwner owner;
    owner.Facts.SessionCount = 2;
    TTestLogger logger(&owner);
    std::string detail =
        Caught(EKXException("page"), [&](const std::exception& e) { return logger.GetExceptionDetail(&e, address); });
    if (!full) {
      EXPECT_EQ(detail, "");
      EXPECT_EQ(owner.FactCalls, 0);  // not even gathered
      continue;
    }
    auto sections = Sections(detail);
    ASSERT_EQ(sections.size(), 4u) << detail;
    EXPECT_EQ(sections[0][0], "Exception message  : page");
    EXPECT_EQ(sections[1][0], "Application Name   : " + GAppPathname());
    EXPECT_EQ(sections[2], std::vector<std::string>{"Session count      : 2"});
    EXPECT_EQ(sections[3][0].rfind("[0] ", 0), 0u);
  }
}

// ---------------------------------------------------------------------------
// Running time

TEST_F(ExceptionLoggerTest, RunningTimeNamesTheNonZeroParts) {
  const TDateTime start = EncodeDateTime(2024, 5, 1, 10, 0, 0, 0);
  const std::pair<TDateTime, std::string> cases[] = {
      {start + 1 + EncodeTime(0, 5, 2, 0), "1 day 5 minutes 2 seconds"},
      {start + EncodeTime(2, 0, 1, 0), "2 hours 1 second"},
      {start + EncodeTime(1, 0, 0, 0), "1 hour"},
      {start + 3 + EncodeTime(23, 59, 59, 0), "3 days 23 hours 59 minutes 59 seconds"},
      {start + 2, "2 days"},
      {start + EncodeTime(0, 1, 1, 500), "1 minute 1 second"},
      {start + EncodeTime(0, 0, 0, 999), ""},
      {start, ""},
      {start - 1, ""},
  };
  for (const auto& [now, text] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(TKXExceptionLogger::RunningTimeText(start, now), text);
  }
}

// ---------------------------------------------------------------------------
// Purging

TEST_F(ExceptionLoggerTest, PurgeDeletesOnlyOldReportsOfThisApplication) {
  ASSERT_TRUE(MakeDirectory(mLogDir + "/sub", true));
  const std::string outside = mDir + "/MyApp@outside.log";
  MakeFile(outside, 30 * kDay);
  const std::pair<std::string, std::int64_t> files[] = {
      {"MyApp@2024-01-01 10-00-00.000.Log", 8 * kDay},  // old: deleted
      {"myapp@lower.log", 30 * kDay},                    // names compare ignoring case: deleted
      {"MyApp@limit.Log", 7 * kDay + 60},                // just past the limit: deleted
      {"MyApp@fresh.Log", 7 * kDay - 60},                // kept
      {"MyApp@other.txt", 30 * kDay},                    // kept: another extension
      {"MyAppX@other.log", 30 * kDay},                   // kept: another application
      {"Other@x.log", 30 * kDay},                        // kept
      {"MyApp.log", 30 * kDay},                          // kept: not a report
      {"sub/MyApp@nested.log", 30 * kDay},               // kept: not directly in the folder
  };
  for (const auto& [name, age] : files) MakeFile(mLogDir + "/" + name, age);
  ASSERT_TRUE(MakeDirectory(mLogDir + "/MyApp@folder.log", true));
  Touch(mLogDir + "/MyApp@folder.log", 30 * kDay);
  ASSERT_EQ(::symlink(outside.c_str(), (mLogDir + "/MyApp@link.log").c_str()), 0);
  Touch(mLogDir + "/MyApp@link.log", 30 * kDay);

  TKXExceptionLogger logger;
  Configure(logger);
  logger.SetPurgeAfterDays(7);
  logger.PurgeFiles();
  EXPECT_EQ(LogFiles(), (std::vector<std::string>{"MyApp.log", "MyApp@folder.log", "MyApp@fresh.Log", "MyApp@link.log",
                                                  "MyApp@other.txt", "MyAppX@other.log", "Other@x.log", "sub"}));
  EXPECT_TRUE(fs::exists(mLogDir + "/sub/MyApp@nested.log"));
  EXPECT_TRUE(fs::exists(outside));
}

TEST_F(ExceptionLoggerTest, PurgeRunsOnDestructionOfAnEnabledLoggerWithAnAge) {
  ASSERT_TRUE(MakeDirectory(mLogDir, true));
  const std::string old = mLogDir + "/MyApp@old.Log";
  for (auto [enabled, days, kept] : {std::tuple{false, 7, true}, {true, 0, true}, {true, 7, false}}) {
    SCOPED_TRACE(::testing::Message() << enabled << " " << days);
    MakeFile(old, 8 * kDay);
    {
      TKXExceptionLogger logger;
      Configure(logger);
      logger.SetEnabled(enabled);
      logger.SetPurgeAfterDays(days);
    }
    EXPECT_EQ(fs::exists(old), kept);
  }
}

// The purge ran only when the logger was freed: a server that runs for months never purged. Maintain (the timer, each
// exception) purges at most once a day.
TEST_F(ExceptionLoggerTest, PurgeRunsWhileTheProgramRunsAtMostOnceADay) {
  const struct {
    int Hour;
    bool ByAnException;  // else by the timer's Maintain
    bool Purged;
  } steps[] = {
      {0, false, true},    // the first call purges
      {1, true, false},    {23, false, false},  // within the day
      {24, true, true},    // a day later, at a report
      {30, false, false},  {48, false, true},   // and by the timer
  };
  ASSERT_TRUE(MakeDirectory(mLogDir, true));
  const std::string old = mLogDir + "/MyApp@old.Log";
  TClockedLogger logger;
  Configure(logger);
  logger.SetPurgeAfterDays(7);
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Hour);
    MakeFile(old, 8 * kDay);
    logger.At = std::chrono::steady_clock::time_point(std::chrono::hours(1000 + step.Hour));
    if (step.ByAnException)
      Caught(EConvertError("typed"), [&](const std::exception& e) { return logger.LogException(nullptr, &e); });
    else
      logger.Maintain();
    EXPECT_EQ(fs::exists(old), !step.Purged);
  }
  logger.SetEnabled(false);  // the destructor's purge is not this test's
}

TEST_F(ExceptionLoggerTest, PurgeRefusesCriticalFolders) {
  const std::pair<std::string, std::string> cases[] = {{"/", "/"}, {"\\", "/"}, {"/usr", "/usr/"}, {".", "./"}};
  for (const auto& [path, folder] : cases) {
    SCOPED_TRACE(path);
    TKXExceptionLogger logger;
    logger.SetFilePath(path);
    logger.SetPurgeAfterDays(1);
    try {
      logger.PurgeFiles();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Assertion failed: TKXExceptionLogger.PurgeFiles attempts to delete \"" + folder + "\"");
    }
  }
}

TEST_F(ExceptionLoggerTest, DestructorSwallowsTheRefusal) {
  EXPECT_NO_THROW({
    TKXExceptionLogger logger;
    logger.SetFilePath("/");
    logger.SetPurgeAfterDays(1);
    logger.SetEnabled(true);
  });
}

TEST_F(ExceptionLoggerTest, PurgeLeavesALinkedLogFolderAlone) {
  const std::string real = mDir + "/real";
  ASSERT_TRUE(MakeDirectory(real, true));
  MakeFile(real + "/MyApp@old.log", 30 * kDay);
  ASSERT_EQ(::symlink(real.c_str(), mLogDir.c_str()), 0);
  TKXExceptionLogger logger;
  Configure(logger);
  logger.SetPurgeAfterDays(1);
  logger.PurgeFiles();
  EXPECT_TRUE(fs::exists(real + "/MyApp@old.log"));
}

// ---------------------------------------------------------------------------
// Assign

TEST_F(ExceptionLoggerTest, AssignCopiesTheSettingsButNotThePurgeAge) {
  TKXExceptionLogger source;
  source.SetFilePath("/var/log/a");
  source.SetFileName("A");
  source.SetReportInfos({riAppInfo});
  source.SetLogType(ltEventLog);
  source.SetEnabled(true);
  source.SetPurgeAfterDays(9);
  TKXExceptionLogger target;
  target.Assign(&source);
  EXPECT_EQ(target.FilePath(), "/var/log/a");
  EXPECT_EQ(target.FileName(), "A");
  EXPECT_EQ(target.ReportInfos(), TReportInfos{riAppInfo});
  EXPECT_EQ(target.LogType(), ltEventLog);
  EXPECT_TRUE(target.Enabled());
  EXPECT_EQ(target.PurgeAfterDays(), 0);
  source.SetEnabled(false);  // its destructor must not purge /var/log/a

  TStringList other;
  EXPECT_THROW(target.Assign(&other), EConvertError);
  target.SetEnabled(false);
}

}  // namespace

}  // namespace kx
