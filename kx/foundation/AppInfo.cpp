#include "kx/foundation/AppInfo.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

std::string WithTrailingSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string ReadExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, std::size_t(n)) : std::string();
}

}  // namespace

const std::string& TKXAppInfo::GetAppFullFileName() {
  static const std::string path = ReadExecutablePath();
  return path;
}

std::string TKXAppInfo::GetAppFileName() {
  const std::string& full = GetAppFullFileName();
  return full.substr(full.rfind('/') + 1);
}

const std::string& TKXAppInfo::GetAppPath() {
  static const std::string path = [] {
    const std::string& full = GetAppFullFileName();
    std::size_t slash = full.rfind('/');
    return slash == std::string::npos ? std::string("./") : full.substr(0, slash + 1);
  }();
  return path;
}

const std::string& TKXAppInfo::GetAppName() {
  static const std::string name = [] {
    std::string file = GetAppFileName();
    std::size_t dot = file.rfind('.');
    return dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
  }();
  return name;
}

std::string TKXAppInfo::GetAppLogFileName() { return GetAppPath() + GetAppName() + ".log"; }

const std::string& TKXAppInfo::GetTempPath() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    return WithTrailingSlash(tmp && *tmp ? tmp : "/tmp");
  }();
  return path;
}

std::string TKXAppInfo::GetSystemPath() { return {}; }

std::string TKXAppInfo::GetCurrentPath() {
  char buffer[PATH_MAX];
  return WithTrailingSlash(getcwd(buffer, sizeof buffer) ? buffer : "");
}

std::string TKXAppInfo::GetComputerName() {
  char buffer[HOST_NAME_MAX + 1] = {};
  gethostname(buffer, sizeof buffer - 1);
  return buffer;
}

std::string TKXAppInfo::GetFileInfo(const std::string& /*fileName*/, TFileInfo /*info*/) { return {}; }

std::string TKXAppInfo::GetAppVersion() { return GetFileInfo(GetAppFullFileName(), TFileInfo::fiFileVersion); }

const std::string& ProcessStamp() {
  static const std::string stamp = [] {
    using namespace std::chrono;
    constexpr std::int64_t kUnixEpochFrom1899 = 25569LL * 86400000LL;
    auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    // The process id (fixed width) joins the milliseconds: two processes started
    // within the same millisecond still get different names.
    return IntToHex(std::uint64_t(ms + kUnixEpochFrom1899)) + IntToHex(std::uint32_t(getpid()), 8);
  }();
  return stamp;
}

std::string MakeTempFile(const std::string& folder, const std::string& prefix, const std::string& extension) {
  static std::atomic<std::uint64_t> counter{0};
  if (folder.empty()) throw Exception("MakeTempFile: No path was provided");
  std::uint64_t number = counter.fetch_add(1) + 1;
  return WithTrailingSlash(folder) + prefix + ProcessStamp() + IntToHex(number) + extension;
}

}  // namespace kx
