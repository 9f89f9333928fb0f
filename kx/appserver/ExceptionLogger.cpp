#include "kx/appserver/ExceptionLogger.h"

#include <arpa/inet.h>
#include <cxxabi.h>
#include <dirent.h>
#include <dlfcn.h>
#include <elf.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

#include "kx/foundation/AppInfo.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/TextUtils.h"

// ---------------------------------------------------------------------------
// Throw records: every throw of the process leaves the return addresses of the
// throwing thread's stack in a small per-thread ring, keyed by the address of
// the exception object, where the logger finds them after the catch.

namespace kx {
namespace {

constexpr int kMaxFrames = 48;
constexpr int kThrowRecords = 8;

struct TThrowRecord {
  const void* Object;
  std::uint64_t Serial;  // 0: an empty slot
  int Depth;
  void* Frames[kMaxFrames];  // Frames[0] lies in the function that threw
};

// Plain data, so no thread pays for initialising them before its first throw.
thread_local TThrowRecord tThrowRecords[kThrowRecords];
thread_local unsigned tNextThrowRecord;
std::atomic<std::uint64_t> gThrowSerial{0};

using TCxaThrow = void (*)(void*, std::type_info*, void (*)(void*));

TCxaThrow RealCxaThrow() {
  static const TCxaThrow real = reinterpret_cast<TCxaThrow>(::dlsym(RTLD_NEXT, "__cxa_throw"));
  if (!real) std::abort();  // no C++ runtime to throw with
  return real;
}

const TThrowRecord* FindThrowRecord(const void* object) {
  const TThrowRecord* found = nullptr;
  for (const TThrowRecord& record : tThrowRecords) {
    if (record.Serial != 0 && record.Object == object && (!found || record.Serial > found->Serial)) found = &record;
  }
  return found;
}

}  // namespace
}  // namespace kx

namespace __cxxabiv1 {

// Stands in front of the C++ runtime's __cxa_throw (found next in the search
// order), which every throw expression calls with the new exception object.
extern "C" void __cxa_throw(void* thrownException, std::type_info* type, void (*destructor)(void*)) {
  using namespace kx;
  void* frames[kMaxFrames + 1];
  // frames[0] lies in this function; the thrower's frames follow.
  int depth = ::backtrace(frames, kMaxFrames + 1);
  TThrowRecord& record = tThrowRecords[tNextThrowRecord++ % kThrowRecords];
  record.Object = thrownException;
  record.Depth = depth > 1 ? depth - 1 : 0;
  for (int i = 0; i < record.Depth; ++i) record.Frames[i] = frames[i + 1];
  record.Serial = gThrowSerial.fetch_add(1, std::memory_order_relaxed) + 1;
  RealCxaThrow()(thrownException, type, destructor);
  __builtin_unreachable();
}

}  // namespace __cxxabiv1

namespace kx {
namespace {

// The report's texts.
constexpr char kExceptionMessage[] = "Exception message  : %s";
constexpr char kExceptionClass[] = "Exception class    : %s";
constexpr char kExceptionAddress[] = "Exception address  : %p";
constexpr char kExceptionTime[] = "Exception Time     : %s";
constexpr char kApplicationName[] = "Application Name   : %s";
constexpr char kApplicationVersion[] = "Application Version: %s";
constexpr char kStartTime[] = "Started at         : %s";
constexpr char kRunningTime[] = "Running for        : %s";
constexpr char kComputerName[] = "Computer Name      : %s";
constexpr char kCompilerVersion[] = "Compiler Version   : %s";
constexpr char kFrameworkVersion[] = "Kestrix Version   : %s";
constexpr char kMultiSession[] = "Multi-session      : %s";
constexpr char kContentPath[] = "Content Path       : %s";
constexpr char kSessionCount[] = "Session count      : %d";
constexpr char kApplicationPath[] = "Application Path   : %s";
constexpr char kActiveForm[] = "Active Form        : %s";
constexpr char kActiveFormList[] = "Active Form list   :";
constexpr char kFormList[] = "Form list          :";
constexpr char kBrowserName[] = "Browser Name       : %s";
constexpr char kBrowserUserAgent[] = "Browser UserAgent  : %s";
constexpr char kSessionID[] = "Session ID         : %s";
constexpr char kLastAccess[] = "Last Access        : %s";
constexpr char kCallback[] = "Callback           : %s";
constexpr char kClientAddress[] = "Client IP address  : %s";
constexpr char kPathInfo[] = "Request PathInfo   : %s";
constexpr char kMethod[] = "Request Method     : %s";
constexpr char kRunParams[] = "Runtime parameters : %s";
constexpr char kNoObject[] = "[unassigned]";
constexpr char kNoStackTrace[] = "[Stack trace is empty]";
constexpr char kRepeats[] = "Repeats unreported : %d since %s";
constexpr char kLinesCut[] = "[%d more lines cut]";

const std::string kSeparator(120, '-');

// Report files are created for the owner and its group only: they hold session ids.
constexpr mode_t kReportFileMode = 0640;
// Names tried for one report before saving to a file counts as failed.
constexpr int kMaxNameAttempts = 1000;
// Maintain purges at most this often.
constexpr auto kPurgeInterval = std::chrono::hours(24);
// A frame's function name is cut here: a template's full name (an asynchronous handler of the host's) runs to
// several kilobytes, and a report has dozens of frames.
constexpr std::size_t kMaxFunctionName = 240;

const char* BoolText(bool value) { return value ? "True" : "False"; }

// "yyyy-mm-dd hh:mm:ss.zzz" with timeSeparator between the time's parts; a value
// outside the calendar is written as its number.
std::string DateTimeText(TDateTime value, char timeSeparator = ':') {
  int year, month, day, hour, minute, second, millisecond;
  try {
    DecodeDateTime(value, year, month, day, hour, minute, second, millisecond);
  } catch (const EConvertError&) {
    return FloatToStr(value);
  }
  const std::string time = std::string("%.2d") + timeSeparator + "%.2d" + timeSeparator + "%.2d.%.3d";
  return Format("%.4d-%.2d-%.2d " + time, year, month, day, hour, minute, second, millisecond);
}

std::string FormText(const TKXReportForm& form) {
  if (!form.Assigned) return kNoObject;
  if (form.IsComponent) return form.Name + " (" + form.ClassName + ")";
  return form.ClassName;
}

void AddFormList(TStrings& list, const char* label, const std::vector<TKXReportForm>& forms) {
  list.Add(label);
  for (std::size_t i = 0; i < forms.size(); ++i) list.Add(" [" + IntToStr(std::int64_t(i) + 1) + "] " + FormText(forms[i]));
}

// The function's name, cut to kMaxFunctionName bytes followed by "...".
std::string Demangle(const char* symbol) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(symbol, nullptr, nullptr, &status), &std::free);
  std::string text = status == 0 && name ? std::string(name.get()) : std::string(symbol);
  if (text.size() > kMaxFunctionName) text.replace(kMaxFunctionName, std::string::npos, "...");
  return text;
}

// A file mapped read-only for as long as the object lives.
struct TMappedFile {
  const unsigned char* Data = nullptr;
  std::size_t Size = 0;
  explicit TMappedFile(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_size > 0) {
      void* data = ::mmap(nullptr, std::size_t(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (data != MAP_FAILED) Data = static_cast<const unsigned char*>(data), Size = std::size_t(status.st_size);
    }
    ::close(fd);
  }
  ~TMappedFile() {
    if (Data) ::munmap(const_cast<unsigned char*>(Data), Size);
  }
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;
  bool Holds(std::uint64_t offset, std::uint64_t size) const { return offset <= Size && size <= Size - offset; }
};

// The function of the ELF file path whose code holds offset (an address less the module's load bias), read from
// the file's full symbol table: dladdr reads only the exported symbols and so misses the functions local to a
// source file and the parts the compiler splits off a function ("f() [clone .cold]"). False for a stripped file.
bool LocalFunction(const char* path, std::uintptr_t offset, std::string& name, std::uintptr_t& start) {
  const TMappedFile file(path);
  if (!file.Holds(0, sizeof(ElfW(Ehdr)))) return false;
  const auto& header = *reinterpret_cast<const ElfW(Ehdr)*>(file.Data);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_shentsize != sizeof(ElfW(Shdr)) ||
      !file.Holds(header.e_shoff, std::uint64_t(header.e_shnum) * sizeof(ElfW(Shdr))))
    return false;
  const auto* sections = reinterpret_cast<const ElfW(Shdr)*>(file.Data + header.e_shoff);
  for (unsigned i = 0; i < header.e_shnum; ++i) {
    const ElfW(Shdr)& table = sections[i];
    if (table.sh_type != SHT_SYMTAB || table.sh_entsize != sizeof(ElfW(Sym)) || table.sh_link >= header.e_shnum)
      continue;
    const ElfW(Shdr)& strings = sections[table.sh_link];
    if (!file.Holds(table.sh_offset, table.sh_size) || !file.Holds(strings.sh_offset, strings.sh_size)) return false;
    const auto* symbols = reinterpret_cast<const ElfW(Sym)*>(file.Data + table.sh_offset);
    const auto* names = reinterpret_cast<const char*>(file.Data + strings.sh_offset);
    for (std::size_t j = 0; j < table.sh_size / sizeof(ElfW(Sym)); ++j) {
      const ElfW(Sym)& symbol = symbols[j];
      if (ELF64_ST_TYPE(symbol.st_info) != STT_FUNC || symbol.st_shndx == SHN_UNDEF || offset < symbol.st_value ||
          offset - symbol.st_value >= symbol.st_size || symbol.st_name >= strings.sh_size)
        continue;
      name.assign(names + symbol.st_name, ::strnlen(names + symbol.st_name, strings.sh_size - symbol.st_name));
      start = symbol.st_value;
      return true;
    }
  }
  return false;
}

// "[index] <address> <function> + 0x<offset> (<module>)", or without a known
// function "[index] <address> (<module> + 0x<offset in the module>)".
std::string FrameText(int index, void* address) {
  std::string text = Format("[%d] %p", index, static_cast<const void*>(address));
  Dl_info info{};
  link_map* module = nullptr;
  // A return address can lie just past the end of a function whose last call
  // does not return; the byte before it is still inside the caller.
  const auto probe = reinterpret_cast<std::uintptr_t>(address) - 1;
  if (::dladdr1(reinterpret_cast<void*>(probe), &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) == 0 ||
      !info.dli_fname)
    return text;
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  std::string local;
  std::uintptr_t start = 0;
  if (info.dli_sname && info.dli_saddr) {
    text += " " + Demangle(info.dli_sname) + " + 0x" + IntToHex(at - reinterpret_cast<std::uintptr_t>(info.dli_saddr)) +
            " (" + info.dli_fname + ")";
  } else if (module && LocalFunction(*module->l_name ? module->l_name : "/proc/self/exe",  // the program: no name
                                     probe - module->l_addr, local, start)) {
    text += " " + Demangle(local.c_str()) + " + 0x" + IntToHex(at - module->l_addr - start) + " (" + info.dli_fname +
            ")";
  } else {
    text += std::string(" (") + info.dli_fname + " + 0x" +
            IntToHex(at - reinterpret_cast<std::uintptr_t>(info.dli_fbase)) + ")";
  }
  return text;
}

// The connection's peer address is this machine: 127.0.0.0/8, ::1, or an IPv4
// loopback address mapped into IPv6. Names (even "localhost") are not addresses.
bool IsLoopbackAddress(const std::string& address) {
  if (address.find('\0') != std::string::npos) return false;
  in_addr v4{};
  if (::inet_pton(AF_INET, address.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (::inet_pton(AF_INET6, address.c_str(), &v6) == 1)
    return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
  return false;
}

int WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += std::size_t(n);
  }
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXExceptionLogger

TKXExceptionLogger::TKXExceptionLogger(IKXExceptionLoggerOwner* owner)
    : FOwner(owner),
      FReport(std::make_unique<TStringList>()),
      FStackTrace(std::make_unique<TStringList>()),
      FAppStartupTime(Now()),
      FComputerName(TKXAppInfo::GetComputerName()) {}

TKXExceptionLogger::~TKXExceptionLogger() {
  if (!FEnabled) return;
  try {
    WriteRepeats();
  } catch (...) {
    // The counts are lost; the purge still runs.
  }
  PurgeQuietly();
}

void TKXExceptionLogger::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TKXExceptionLogger*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  // One lock at a time: two loggers assigned to each other never deadlock.
  std::string filePath = other->FilePath();
  std::string fileName = other->FileName();
  SetFilePath(filePath);
  SetFileName(fileName);
  SetReportInfos(other->ReportInfos());
  SetLogType(other->LogType());
  SetEnabled(other->Enabled());
  SetReportClientCaused(other->ReportClientCaused());
  SetRepeatWindow(other->RepeatWindow());
}

std::string TKXExceptionLogger::FilePath() const {
  std::lock_guard guard(FLock);
  return FFilePath;
}

void TKXExceptionLogger::SetFilePath(const std::string& value) {
  std::lock_guard guard(FLock);
  FFilePath = value;
}

std::string TKXExceptionLogger::FileName() const {
  std::lock_guard guard(FLock);
  return FFileName;
}

void TKXExceptionLogger::SetFileName(const std::string& value) {
  std::lock_guard guard(FLock);
  FFileName = value;
}

std::string TKXExceptionLogger::GetFilePath() const {
  std::string path = Trim(FilePath());
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.empty()) return gsAppPath() + "ErrorLog/";
  return IncludeTrailingPathDelim(path);
}

std::string TKXExceptionLogger::GetFileName() const {
  std::string name = Trim(FileName());
  if (name.empty()) name = gsAppName();
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || byte < 32 || byte == 127) c = '_';
  }
  return name;
}

void TKXExceptionLogger::RegisterIgnoreException(const std::type_info& exceptionClass) {
  std::lock_guard guard(FLock);
  FIgnoreList.emplace_back(exceptionClass);
}

bool TKXExceptionLogger::IsIgnored(const std::exception* e) const {
  const std::type_index type(typeid(*e));
  for (const std::type_index& ignored : FIgnoreList)
    if (ignored == type) return true;
  return false;
}

void TKXExceptionLogger::SetException(const std::exception* e) {
  const void* object = dynamic_cast<const void*>(e);
  const TThrowRecord* record = FindThrowRecord(object);
  const std::uint64_t serial = record ? record->Serial : 0;
  // The same object of the same throw: its stack trace is known already. An
  // object at the address of an earlier, freed one is a new exception.
  const bool same = FException && serial != 0 && FException->Object == object && FException->ThrowSerial == serial;

  TExceptionSnapshot snapshot;
  snapshot.Object = object;
  snapshot.ThrowSerial = serial;
  snapshot.Type = &typeid(*e);
  snapshot.ClassName = ClassNameOf(typeid(*e));
  snapshot.Message = CutLogText(e->what(), MaxReportLine);
  if (record && record->Depth > 0) snapshot.Address = record->Frames[0];
  for (int i = 0; record && i < record->Depth && i < kPlaceFrames; ++i) snapshot.Place[i] = record->Frames[i];
  FException = std::move(snapshot);
  if (same) return;

  FStackTrace->Clear();
  if (record)
    for (int i = 0; i < record->Depth; ++i) FStackTrace->Add(FrameText(i, record->Frames[i]));
  FReport->Clear();
}

TKXExceptionReportFacts TKXExceptionLogger::GatherFacts(TObject* sender) {
  TKXExceptionReportFacts facts;
  if (!FOwner) return facts;
  try {
    FOwner->GetExceptionReportFacts(sender, facts);
  } catch (...) {
    // A report without the session is better than none.
    facts = TKXExceptionReportFacts();
  }
  return facts;
}

bool TKXExceptionLogger::LogException(TObject* sender, const std::exception* e) {
  if (!FEnabled || !e) return false;
  try {
    std::lock_guard guard(FLock);
    const bool saved = Report(sender, *e);
    Maintain();
    return saved;
  } catch (...) {
    // Called from exception handling: never raise from here.
    return false;
  }
}

bool TKXExceptionLogger::Report(TObject* sender, const std::exception& e) {
  SetException(&e);
  if (IsIgnored(&e)) return false;
  if (!FReportClientCaused && IsClientCaused(e)) return false;
  BuildReport(*FReport, sender);
  return SaveReport();
}

void TKXExceptionLogger::CreateReport(TStrings& list) {
  std::lock_guard guard(FLock);
  BuildReport(list, nullptr);
}

void TKXExceptionLogger::BuildReport(TStrings& list, TObject* sender) {
  list.Clear();
  if (FReportInfos.Contains(riExceptionInfo)) {
    list.Add(kSeparator);
    AddExceptionInfo(list);
  }
  if (FReportInfos.Contains(riAppInfo)) {
    list.Add(kSeparator);
    AddAppInfo(list);
  }
  if (FReportInfos.Contains(riKXAppInfo)) {
    list.Add(kSeparator);
    AddSessionInfo(list, GatherFacts(sender));
  }
  if (FReportInfos.Contains(riStackTrace)) {
    list.Add(kSeparator);
    AddStackTrace(list);
  }
  list.Add(kSeparator);
  BoundReport(list);
}

void TKXExceptionLogger::BoundReport(TStrings& list) {
  // The message, path, user agent and parameters come from the client: each stays one line of plain text, and
  // none of them, nor how many forms a session holds, makes the report as large as the request.
  std::size_t bytes = 0;
  for (int i = 0; i < list.Count(); ++i) {
    list.SetStrings(i, LogLineText(CutLogText(list.Strings(i), MaxReportLine)));
    bytes += list.Strings(i).size() + 2;
  }
  // Room for the lines that say what was cut and for a repeats line (CountRepeat).
  constexpr std::size_t kBudget = MaxReportBytes - 256;
  if (bytes <= kBudget) return;
  // The lines between two separators; the largest of them gives way from its end, so that a session's long form
  // list does not push out the stack trace.
  struct TSection {
    int First, End, Cut = 0;
    std::size_t Bytes = 0;
  };
  std::vector<TSection> sections;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Strings(i) == kSeparator) continue;
    if (sections.empty() || sections.back().End != i) sections.push_back(TSection{i, i});
    sections.back().Bytes += list.Strings(i).size() + 2;
    ++sections.back().End;
  }
  while (bytes > kBudget && !sections.empty()) {
    TSection& largest = *std::max_element(sections.begin(), sections.end(),
                                          [](const TSection& a, const TSection& b) { return a.Bytes < b.Bytes; });
    if (largest.End == largest.First) break;
    const std::size_t line = list.Strings(--largest.End).size() + 2;
    largest.Bytes -= line;
    bytes -= line;
    ++largest.Cut;
  }
  for (auto section = sections.rbegin(); section != sections.rend(); ++section) {
    if (section->Cut == 0) continue;
    for (int i = 0; i < section->Cut; ++i) list.Delete(section->End);
    list.Insert(section->End, Format(kLinesCut, section->Cut));
  }
}

void TKXExceptionLogger::AddExceptionInfo(TStrings& list) const {
  if (!FException) return;
  list.Add(Format(kExceptionMessage, FException->Message));
  list.Add(Format(kExceptionClass, FException->ClassName));
  if (FException->Address) list.Add(Format(kExceptionAddress, FException->Address));
  list.Add(Format(kExceptionTime, DateTimeText(Now())));
}

void TKXExceptionLogger::AddAppInfo(TStrings& list) const {
  list.Add(Format(kApplicationName, GAppPathname()));
  list.Add(Format(kApplicationVersion, TKXAppInfo::GetAppVersion()));
  list.Add(Format(kStartTime, DateTimeText(FAppStartupTime)));
  list.Add(Format(kRunningTime, RunningTimeText(FAppStartupTime, Now())));
  list.Add(Format(kComputerName, FComputerName));
  list.Add(Format(kCompilerVersion, __VERSION__));
}

void TKXExceptionLogger::AddSessionInfo(TStrings& list, const TKXExceptionReportFacts& facts) const {
  if (facts.Server) {
    list.Add(Format(kFrameworkVersion, facts.Server->Version));
    list.Add(Format(kMultiSession, BoolText(facts.Server->AllowMultipleSessionsPerUser)));
    list.Add(Format(kContentPath, facts.Server->ContentPath));
  }
  list.Add(Format(kSessionCount, facts.SessionCount));
  if (!facts.Session) return;
  const TKXReportSession& session = *facts.Session;
  list.Add(Format(kApplicationPath, session.AppPath));
  list.Add(Format(kActiveForm, FormText(session.ActiveForm)));
  AddFormList(list, kActiveFormList, session.ActiveForms);
  AddFormList(list, kFormList, session.Forms);
  if (session.Browser) {
    list.Add(Format(kBrowserName, session.Browser->Name));
    list.Add(Format(kBrowserUserAgent, session.Browser->UserAgent));
  }
  list.Add(Format(kSessionID, session.SessionID));
  list.Add(Format(kLastAccess, DateTimeText(session.LastAccess)));
  list.Add(Format(kCallback, BoolText(session.Callback)));
  if (session.Request) {
    list.Add(Format(kClientAddress, session.Request->RemoteAddr));
    list.Add(Format(kPathInfo, session.Request->PathInfo));
    list.Add(Format(kMethod, session.Request->Method == "GET" ? "GET" : "POST"));
  }
  list.Add(Format(kRunParams, session.RunParams));
}

void TKXExceptionLogger::AddStackTrace(TStrings& list) const {
  if (FStackTrace->Count() == 0) {
    list.Add(kNoStackTrace);
    return;
  }
  list.AddStrings(*FStackTrace);
}

bool TKXExceptionLogger::SaveReport() {
  std::lock_guard guard(FLock);
  if (FOwner) {
    try {
      if (FOwner->DoOnLogException(*FReport)) return true;
    } catch (...) {
      // The handler failed: save the report as if it had not taken it.
    }
  }
  if (CountRepeat()) return false;
  return SaveLastReport();
}

bool TKXExceptionLogger::SaveLastReport() {
  if (FLogType == ltFile && SaveToFile()) return true;
  return SaveToEventLog();
}

bool TKXExceptionLogger::CountRepeat() {
  if (FRepeatWindow <= 0 || !FException || !FException->Type) return false;
  const auto now = RepeatClock();
  const auto [found, first] =
      FRepeats.try_emplace({std::type_index(*FException->Type), FException->Place}, TRepeats{.Saved = now});
  if (first) return false;
  TRepeats& repeats = found->second;
  if (now - repeats.Saved < std::chrono::seconds(FRepeatWindow)) {
    if (repeats.Counted++ == 0) {
      repeats.FirstCounted = Now();
      repeats.ClassName = FException->ClassName;
      repeats.Message = FException->Message;
      repeats.Address = FException->Address;
    }
    return true;
  }
  if (repeats.Counted > 0) {
    // At the end of the first section, where the exception info closes.
    int at = std::max(FReport->Count() - 1, 0);
    for (int i = 1; i < FReport->Count(); ++i)
      if (FReport->Strings(i) == kSeparator) {
        at = i;
        break;
      }
    FReport->Insert(at, Format(kRepeats, repeats.Counted, DateTimeText(repeats.FirstCounted)));
  }
  repeats = TRepeats{.Saved = now};
  return false;
}

void TKXExceptionLogger::Maintain() {
  std::lock_guard guard(FLock);
  if (!FEnabled) return;
  const auto now = RepeatClock();
  try {
    WriteRepeatsBefore(now, false);
  } catch (...) {
    // Called from exception handling and from the timer: what failed now is tried at the next call.
  }
  PurgeOncePerDay(now);
}

void TKXExceptionLogger::WriteRepeats() {
  std::lock_guard guard(FLock);
  WriteRepeatsBefore(RepeatClock(), true);
}

void TKXExceptionLogger::WriteRepeatsBefore(std::chrono::steady_clock::time_point now, bool everything) {
  for (auto it = FRepeats.begin(); it != FRepeats.end();) {
    const TRepeats& repeats = it->second;
    // An entry past its window with nothing counted goes too: the next throw from its place is saved as a first.
    if (!everything && now - repeats.Saved < std::chrono::seconds(FRepeatWindow)) {
      ++it;
      continue;
    }
    if (repeats.Counted > 0) WriteRepeatReport(it->first.second, repeats);
    it = FRepeats.erase(it);
  }
}

void TKXExceptionLogger::WriteRepeatReport(const TPlace& place, const TRepeats& repeats) {
  auto report = std::make_unique<TStringList>();
  report->Add(kSeparator);
  report->Add(Format(kExceptionMessage, repeats.Message));
  report->Add(Format(kExceptionClass, repeats.ClassName));
  if (repeats.Address) report->Add(Format(kExceptionAddress, repeats.Address));
  report->Add(Format(kRepeats, repeats.Counted, DateTimeText(repeats.FirstCounted)));
  if (FReportInfos.Contains(riStackTrace)) {
    report->Add(kSeparator);
    for (int i = 0; i < kPlaceFrames && place[i]; ++i) report->Add(FrameText(i, const_cast<void*>(place[i])));
  }
  report->Add(kSeparator);
  BoundReport(*report);
  // Saved through the report's own path; the last report comes back afterwards.
  std::swap(FReport, report);
  try {
    SaveLastReport();
  } catch (...) {
    // The count is lost; the last report is not.
  }
  std::swap(FReport, report);
}

void TKXExceptionLogger::PurgeOncePerDay(std::chrono::steady_clock::time_point now) {
  if (FPurgeAfterDays <= 0 || (FLastPurge && now - *FLastPurge < kPurgeInterval)) return;
  FLastPurge = now;
  PurgeQuietly();
}

void TKXExceptionLogger::PurgeQuietly() noexcept {
  try {
    PurgeFiles();
  } catch (const std::exception& e) {
    try {
      AddToEventLog(e.what());
    } catch (...) {
    }
  } catch (...) {
  }
}

bool TKXExceptionLogger::SaveToFile() {
  std::lock_guard guard(FLock);
  try {
    const std::string folder = GetFilePath();
    if (!MakeDirectory(folder, false)) return false;
    const std::string stem = folder + GetFileName() + "@" + DateTimeText(Now(), '-');
    const std::string text = FReport->Text();
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
      const std::string name = stem + (attempt == 1 ? std::string() : "-" + IntToStr(attempt)) + ".Log";
      const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kReportFileMode);
      if (fd < 0) {
        if (errno == EEXIST) continue;
        return false;
      }
      int error = WriteAll(fd, text);
      if (::close(fd) != 0 && error == 0) error = errno;
      if (error != 0) {
        ::unlink(name.c_str());
        return false;
      }
      return true;
    }
    return false;
  } catch (...) {
    return false;
  }
}

bool TKXExceptionLogger::SaveToEventLog() {
  std::lock_guard guard(FLock);
  AddToEventLog(FReport->Text());
  return true;
}

void TKXExceptionLogger::PurgeFiles() {
  std::lock_guard guard(FLock);
  if (FPurgeAfterDays <= 0) return;
  const std::string folder = GetFilePath();
  const std::string prefix = GetFileName() + "@";
  if (folder.empty() || folder == "\\" || folder == "/" || CriticalFolder(folder))
    throw Exception("Assertion failed: " + ClassName() + ".PurgeFiles attempts to delete \"" + folder + "\"");

  // Without the trailing "/", so that O_NOFOLLOW refuses a folder that is a link.
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const int folderFd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folderFd < 0) return;
  DIR* dir = ::fdopendir(folderFd);
  if (!dir) {
    ::close(folderFd);
    return;
  }
  std::vector<std::string> candidates;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() >= prefix.size() + 4 && StartsText(prefix, name) && EndsText(".log", name))
      candidates.emplace_back(name);
  }

  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::int64_t limitSeconds = std::int64_t(now.tv_sec) - std::int64_t(FPurgeAfterDays) * 86400;
  for (const std::string& name : candidates) {
    struct stat st {};
    if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    const bool old = st.st_mtim.tv_sec < limitSeconds ||
                     (st.st_mtim.tv_sec == limitSeconds && st.st_mtim.tv_nsec <= now.tv_nsec);
    if (!old) continue;
    if (::unlinkat(folderFd, name.c_str(), 0) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::closedir(dir);
}

std::string TKXExceptionLogger::GetExceptionDetail(const std::exception* e, const std::string& clientAddress) {
  // The class, code addresses and stack of a remote client's failure would undo address randomisation: its page
  // shows the message, and the report stays in the log.
  if (!e || !IsLoopbackAddress(clientAddress)) return {};
  try {
    std::lock_guard guard(FLock);
    SetException(e);
    TStringList block;
    AddExceptionInfo(block);
    block.Add(kSeparator);
    AddAppInfo(block);
    block.Add(kSeparator);
    AddSessionInfo(block, GatherFacts(nullptr));
    block.Add(kSeparator);
    AddStackTrace(block);
    return block.Text();
  } catch (...) {
    return {};
  }
}

std::string TKXExceptionLogger::RunningTimeText(TDateTime start, TDateTime now) {
  const double difference = now - start;
  // Beyond this the milliseconds no longer fit an int64; no process runs that long.
  if (!(difference > 0) || difference > 1e8) return {};
  const std::int64_t milliseconds = std::llround(difference * kMSecsPerDay);
  const std::int64_t parts[4] = {milliseconds / 86400000, milliseconds / 3600000 % 24, milliseconds / 60000 % 60,
                                 milliseconds / 1000 % 60};
  static constexpr const char* kUnits[4] = {" day", " hour", " minute", " second"};
  std::string text;
  for (int i = 0; i < 4; ++i) {
    if (parts[i] == 0) continue;
    if (!text.empty()) text += ' ';
    text += IntToStr(parts[i]) + kUnits[i];
    if (parts[i] > 1) text += 's';
  }
  return text;
}

std::string OperatorLogLine(std::string_view level, std::string_view sessionId, std::string_view method,
                            std::string_view path, std::string_view message) {
  std::string line = DateTimeToStr(Now()) + " " + std::string(level);
  // The path, the message (a posted value that does not convert) and even the session id come from the client: what
  // could read as more of the line is quoted, and nothing is as long as the client made it. The message is the
  // line's last part.
  const bool plainId =
      sessionId.size() <= kMaxQuotedLogValue && sessionId.find_first_not_of(kEncode64Alphabet) == std::string_view::npos;
  if (!sessionId.empty()) line += " session " + (plainId ? std::string(sessionId) : QuotedLogText(sessionId));
  if (!path.empty())
    line += " " + (method.empty() ? std::string("-") : LogLineText(CutLogText(method, kMaxLogMethod))) + " " +
            QuotedLogText(path);
  // A message's own line breaks (a list of refused values) read as blanks, as they always have.
  std::string text = CutLogText(message, kMaxLogMessage);
  std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return line + ": " + LogLineText(text);
}

std::string ExceptionLogLine(const std::exception& e, std::string_view sessionId, std::string_view method,
                             std::string_view path) {
  const bool clientCaused = IsClientCaused(e);
  std::string line = OperatorLogLine(clientCaused ? "warning" : "error", sessionId, method, path,
                                     ClassNameOf(typeid(e)) + ": " + e.what());
  // The stack of what a client caused says nothing the operator can act on.
  if (clientCaused) return line;
  if (const TThrowRecord* record = FindThrowRecord(dynamic_cast<const void*>(&e)))
    for (int i = 0; i < record->Depth; ++i) line += "\n    " + FrameText(i, record->Frames[i]);
  return line;
}

}  // namespace kx
