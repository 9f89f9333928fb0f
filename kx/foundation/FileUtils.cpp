#include "kx/foundation/FileUtils.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

extern char** environ;

namespace kx {

namespace {

const char* const kCRLF = "\r\n";

// Closes a file descriptor when the scope ends.
class FileHandle {
 public:
  explicit FileHandle(int fd) : mFd(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Close(); }

  int Fd() const { return mFd; }
  bool IsOpen() const { return mFd >= 0; }
  // Returns 0 or the errno of a failed close.
  int Close() {
    if (mFd < 0) return 0;
    int result = ::close(mFd);
    mFd = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int mFd;
};

// Writes every byte; returns 0 or the errno of the failing write.
int WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= std::size_t(n);
  }
  return 0;
}

std::string Utf16LeBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  auto unit = [&out](char16_t u) {
    out += char(u & 0xFF);
    out += char(u >> 8);
  };
  for (char32_t c : Utf8ToCodePoints(text)) {
    if (c > 0xFFFF) {
      c -= 0x10000;
      unit(char16_t(0xD800 + (c >> 10)));
      unit(char16_t(0xDC00 + (c & 0x3FF)));
    } else {
      unit(char16_t(c));
    }
  }
  return out;
}

std::string NowText() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return Format("%.4d-%.2d-%.2d %.2d:%.2d:%.2d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec);
}

void AppendToFile(const std::string& fileName, std::string_view bytes, bool lock) {
  FileHandle file(::open(fileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
  if (!file.IsOpen()) throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName, SysErrorMessage(errno)));
  // Share modes do not exist here; an advisory lock keeps cooperating writers out.
  if (lock) ::flock(file.Fd(), LOCK_EX);
  int error = WriteAll(file.Fd(), bytes.data(), bytes.size());
  if (error == 0) error = file.Close();
  if (error != 0) throw EWriteError(Format("Cannot write file \"%s\". %s", fileName, SysErrorMessage(error)));
}

// The folder part of a file name, up to and including the last "/".
std::string ExtractFilePath(const std::string& fileName) {
  std::size_t slash = fileName.rfind('/');
  return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates folder and its missing parents; returns 0 or the errno of the step
// that failed: EEXIST when the folder itself exists as something else, ENOTDIR
// when one of its parents does.
int CreateFolderTree(const std::string& folder) {
  if (folder.empty()) return ENOENT;
  if (IsDirectory(folder)) return 0;
  std::size_t pos = folder.find_first_not_of('/');
  while (pos != std::string::npos) {
    std::size_t end = folder.find('/', pos);
    std::size_t next = end == std::string::npos ? end : folder.find_first_not_of('/', end);
    std::string prefix = folder.substr(0, end);
    if (!IsDirectory(prefix) && ::mkdir(prefix.c_str(), 0777) != 0) {
      int error = errno;
      if (error != EEXIST) return error;
      if (!IsDirectory(prefix)) return next == std::string::npos ? EEXIST : ENOTDIR;
    }
    pos = next;
  }
  return 0;
}

// Removes everything inside the open folder dirFd (which it takes over),
// without following symbolic links: links are unlinked, never entered.
void EmptyFolder(int dirFd) {
  DIR* dir = ::fdopendir(dirFd);
  if (!dir) {
    ::close(dirFd);
    return;
  }
  std::vector<std::string> folders;
  std::vector<std::string> files;
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    (S_ISDIR(st.st_mode) ? folders : files).emplace_back(name);
  }
  for (const std::string& name : folders) {
    int sub = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub >= 0) {
      EmptyFolder(sub);
      ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);
    } else if (errno == ELOOP || errno == ENOTDIR) {
      // Replaced by a link or a file since it was listed: remove that entry.
      ::unlinkat(dirFd, name.c_str(), 0);
    }
  }
  for (const std::string& name : files) ::unlinkat(dirFd, name.c_str(), 0);
  ::closedir(dir);
}

// Starts program with args (argv[0] included); returns 0 or the errno.
int Spawn(const std::vector<std::string>& args, bool wait) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int error = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) return error;
  auto reap = [pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  };
  if (wait) {
    reap();
  } else {
    std::thread(reap).detach();
  }
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Files and folders

std::string MakeSystemTempFile(const std::string& folder, const std::string& prefix) {
  std::string name = (folder.empty() ? gsTempPath() : IncludeTrailingPathDelim(folder)) + UpperCase(prefix) + "XXXXXX";
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) RaiseLastOSError();
  ::close(fd);
  return name;
}

std::string TempPath() { return gsTempPath(); }

void FileAppend(const std::string& fileName, std::string_view text) {
  AppendToFile(fileName, Utf16LeBytes(text), true);
}

void LogFileAppend(std::string_view text, const std::string& extension) {
  static std::mutex logLock;
  std::lock_guard<std::mutex> guard(logLock);
  std::string line = NowText();
  line += ' ';
  line += text;
  line += kCRLF;
  AppendToFile(gsAppPath() + gsAppName() + "." + extension, line, false);
}

void FileMake(const std::string& fileName, std::string_view text, bool overwrite) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
  FileHandle file(::open(fileName.c_str(), flags, 0666));
  if (!file.IsOpen()) {
    if (errno == EEXIST && !overwrite) throw Exception(fileName + " already exists.");
    throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName, SysErrorMessage(errno)));
  }
  int error = WriteAll(file.Fd(), text.data(), text.size());
  if (error == 0) error = file.Close();
  if (error != 0) throw EWriteError(Format("Cannot write file \"%s\". %s", fileName, SysErrorMessage(error)));
}

std::string FileContents(const std::string& fileName) {
  FileHandle file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.IsOpen()) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName, SysErrorMessage(errno)));
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(file.Fd(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EReadError(Format("Cannot read file \"%s\". %s", fileName, SysErrorMessage(errno)));
    }
    bytes.append(buffer, std::size_t(n));
  }
  if (!IsValidUtf8(bytes)) bytes = SanitizeUtf8(bytes);
  return bytes;
}

void FileDelete(const std::string& fileName) {
  if (::unlink(fileName.c_str()) != 0) throw Exception(fileName + " could not be deleted.");
}

void FileCopy(const std::string& source, const std::string& destination, bool overwrite) {
  auto copyFailed = [&destination](int error) {
    return Exception("File copy Failed. The file \"" + destination + "\" could not be created." + kCRLF +
                     SysErrorMessage(error));
  };
  std::string folder = ExtractFilePath(destination);
  auto alreadyExists = [&destination, &folder] {
    return Exception("File copy failed. The file \"" + destination.substr(folder.size()) +
                     "\" already exists in destination folder.");
  };

  if (folder.empty()) throw Exception("File copy failed. Destination path cannot be empty.");
  if (!IsDirectory(folder)) {
    int error = CreateFolderTree(folder);
    if (error != 0)
      throw Exception(std::string("File copy failed. The specified destination folder does not exist and could not "
                                  "be created.") +
                      kCRLF + SysErrorMessage(error));
  }

  struct stat existing {};
  bool destinationExists = ::lstat(destination.c_str(), &existing) == 0;
  if (destinationExists && !overwrite) throw alreadyExists();

  FileHandle input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!input.IsOpen()) throw copyFailed(errno);
  struct stat sourceStat {};
  if (::fstat(input.Fd(), &sourceStat) != 0) throw copyFailed(errno);
  if (!S_ISREG(sourceStat.st_mode)) throw copyFailed(S_ISDIR(sourceStat.st_mode) ? EISDIR : EINVAL);
  struct stat destStat {};
  if (::stat(destination.c_str(), &destStat) == 0 && destStat.st_dev == sourceStat.st_dev &&
      destStat.st_ino == sourceStat.st_ino)
    throw copyFailed(EINVAL);  // a copy onto itself would end in its deletion

  // Without overwrite the destination itself is created exclusively; with it, a
  // temporary file in the same folder is renamed over the destination at the end.
  std::string target = destination;
  int output = -1;
  if (overwrite) {
    for (int attempt = 0; output < 0 && attempt < 100; ++attempt) {
      target = MakeTempFile(folder, "BRM");
      output = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (output < 0 && errno != EEXIST) break;
    }
  } else {
    output = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (output < 0 && errno == EEXIST) throw alreadyExists();  // appeared meanwhile
  }
  if (output < 0) throw copyFailed(errno);
  FileHandle file(output);

  int error = 0;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(input.Fd(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    error = WriteAll(file.Fd(), buffer, std::size_t(n));
    if (error != 0) break;
  }
  if (error == 0 && ::fchmod(file.Fd(), sourceStat.st_mode & 0777) != 0) error = errno;
  if (error == 0) {
    const timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    ::futimens(file.Fd(), times);  // the copy keeps the source's times, as far as allowed
  }
  if (error == 0) error = file.Close();
  if (error == 0 && overwrite && ::rename(target.c_str(), destination.c_str()) != 0) error = errno;
  if (error != 0) {
    file.Close();
    ::unlink(target.c_str());
    throw copyFailed(error);
  }
}

void FileMove(const std::string& source, const std::string& destination, bool overwrite) {
  FileCopy(source, destination, overwrite);
  FileDelete(source);
}

bool MakeDirectory(const std::string& folder, bool raiseOnError) {
  int error = CreateFolderTree(folder);
  if (error != 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    error = CreateFolderTree(folder);
  }
  if (error != 0 && raiseOnError && error != EEXIST)
    throw Exception("MakeDirectory cannot create directory \"" + folder + "\"." + kCRLF + SysErrorMessage(error));
  return error == 0;
}

bool DirectoryExists(const std::string& folder) { return !folder.empty() && IsDirectory(folder); }

std::string IncludeTrailingPathDelim(const std::string& path) {
  return path.empty() || path.back() == '/' ? path : path + '/';
}

std::string RemoveFileExt(const std::string& fileName) {
  std::size_t nameStart = fileName.rfind('/');
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) return fileName;
  return fileName.substr(0, dot);
}

std::string ExpandFileName(const std::string& path) {
  if (path.empty()) return {};
  std::string full = path[0] == '/' ? path : TKXAppInfo::GetCurrentPath() + path;
  std::vector<std::string_view> segments;
  std::string_view rest = full;
  while (!rest.empty()) {
    std::size_t slash = rest.find('/');
    std::string_view segment = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else {
      segments.push_back(segment);
    }
  }
  std::string result;
  for (std::string_view segment : segments) {
    result += '/';
    result += segment;
  }
  if (result.empty() || path.back() == '/') result += '/';
  return result;
}

bool CriticalFolder(const std::string& folder) {
  if (folder.empty()) return true;
  if (folder[0] != '/') {
    // A relative name that resolves to the current folder or above it.
    int depth = 0;
    std::string_view rest = folder;
    while (!rest.empty()) {
      std::size_t slash = rest.find('/');
      std::string_view segment = rest.substr(0, slash);
      rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
      if (segment.empty() || segment == ".") continue;
      if (segment == "..") {
        if (--depth < 0) return true;
      } else {
        ++depth;
      }
    }
    if (depth == 0) return true;
  }
  std::string full = ExpandFileName(folder);
  // "/" or "/name" or "/name/": at most one "/" apart from a trailing one.
  std::size_t second = full.find('/', 1);
  return second == std::string::npos || second == full.size() - 1;
}

bool KXDelTree(const std::string& folder) {
  if (folder.empty() || folder == "\\" || folder == "/" || CriticalFolder(folder))
    throw Exception("Assertion failed: KXDelTree attempts to delete \"" + folder + "\"");
  // Without trailing "/": lstat of "link/" would look at the link's target.
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (S_ISLNK(st.st_mode)) return ::unlink(path.c_str()) == 0;
  if (!S_ISDIR(st.st_mode)) return false;
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) EmptyFolder(fd);
  return ::rmdir(path.c_str()) == 0;
}

void AddToEventLog(std::string_view text) {
  static std::once_flag opened;
  // The identity string must outlive every syslog call: gsAppName is a process-wide static.
  std::call_once(opened, [] { ::openlog(gsAppName().c_str(), LOG_PID, LOG_USER); });
  ::syslog(LOG_ERR, "%s", std::string(text).c_str());
}

// ---------------------------------------------------------------------------
// Processes

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false;
  std::size_t i = 0;
  const std::size_t n = commandLine.size();
  while (i < n) {
    char c = commandLine[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (inArgument) args.push_back(std::move(current));
      current.clear();
      inArgument = false;
      ++i;
      continue;
    }
    inArgument = true;
    if (c == '"') {
      for (++i; i < n && commandLine[i] != '"'; ++i) {
        if (commandLine[i] == '\\' && i + 1 < n && (commandLine[i + 1] == '"' || commandLine[i + 1] == '\\')) ++i;
        current += commandLine[i];
      }
      ++i;  // the closing quote
    } else if (c == '\'') {
      for (++i; i < n && commandLine[i] != '\''; ++i) current += commandLine[i];
      ++i;
    } else {
      current += c;
      ++i;
    }
  }
  if (inArgument) args.push_back(std::move(current));
  return args;
}

void Shell(const std::string& program, std::string_view commandLine, bool wait) {
  std::vector<std::string> args = SplitCommandLine(commandLine);
  if (!program.empty()) args.insert(args.begin(), program);
  if (args.empty()) RaiseLastOSError(ENOENT);
  int error = Spawn(args, wait);
  if (error != 0) RaiseLastOSError(error);
}

void ExecProcess(const std::string& program, std::string_view parameters) {
  std::vector<std::string> args = SplitCommandLine(parameters);
  args.insert(args.begin(), program);
  int error = program.empty() ? ENOENT : Spawn(args, false);
  if (error != 0) throw Exception("Could not execute process: " + SysErrorMessage(error));
}

// ---------------------------------------------------------------------------
// Other helpers

void Check(bool condition, const std::string& message) {
  if (!condition) throw Exception(message);
}

void NotImp() { throw ENotImplemented("Not implemented."); }

void Win32SafeCheck(bool result) {
  if (!result) RaiseLastOSError();
}

int CompareInteger(std::int64_t a, std::int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

int CompareDateTime(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

std::string iif(std::string_view condition, std::string_view a, std::string_view b) {
  return std::string(condition.empty() ? b : a);
}

bool IsNumeric(char32_t c) { return c >= U'0' && c <= U'9'; }

double Minutes(int n) {
  if (n < 0 || n >= 1440) throw EConvertError("Invalid argument to time encode");
  return n / 1440.0;
}

int PosInIntArray(int value, std::span<const int> values) {
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i] == value) return int(i);
  return -1;
}

int PosInStrArray(std::string_view value, std::span<const std::string> values) {
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i] == value) return int(i);
  return -1;
}

void SetThreadName(std::string_view name) {
  constexpr std::size_t kMaxBytes = 15;  // the kernel keeps 16 bytes with the terminating NUL
  std::size_t length = std::min(name.size(), kMaxBytes);
  if (length < name.size())
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) --length;
  std::string cut(name.substr(0, length));
  ::pthread_setname_np(::pthread_self(), cut.c_str());
}

}  // namespace kx
