// Process-wide facts captured once (the application file and folders, the
// temporary folder) and the names of temporary files. Folders end with "/".
#pragma once

#include <string>
#include <string_view>

namespace kx {

// The version-resource entries GetFileInfo reads.
enum class TFileInfo {
  fiCompanyName,
  fiFileDescription,
  fiFileVersion,
  fiIntName,
  fiLegalCopyright,
  fiLegalTradmark,
  fiOrigFilename,
  fiProductName,
  fiProductVersion,
  fiComments
};

class TKXAppInfo {
 public:
  TKXAppInfo() = delete;

  // Full file name of the executable (from /proc/self/exe).
  static const std::string& GetAppFullFileName();
  static std::string GetAppFileName();  // without folder
  static const std::string& GetAppPath();  // its folder, with trailing "/"
  static const std::string& GetAppName();  // file name without extension
  static std::string GetAppLogFileName();  // folder + name + ".log"
  // $TMPDIR when set, else /tmp; with trailing "/".
  static const std::string& GetTempPath();
  // Linux has no system folder: the empty text.
  static std::string GetSystemPath();
  static std::string GetCurrentPath();
  static std::string GetComputerName();
  // ELF files carry no version resource, so every file reads as one whose
  // resource is unreadable: the empty text.
  static std::string GetFileInfo(const std::string& fileName, TFileInfo info);
  // The FileVersion entry of the executable: empty, as GetFileInfo says.
  static std::string GetAppVersion();
  // A 64-bit process on a 64-bit system has no 32-bit emulation layer: false.
  static bool IsWin64() { return false; }
};

// The process-wide names of these facts.
inline const std::string& GAppPathname() { return TKXAppInfo::GetAppFullFileName(); }
inline std::string GAppFilename() { return TKXAppInfo::GetAppFileName(); }
inline const std::string& gsAppPath() { return TKXAppInfo::GetAppPath(); }
inline const std::string& gsAppName() { return TKXAppInfo::GetAppName(); }
inline const std::string& gsTempPath() { return TKXAppInfo::GetTempPath(); }
inline std::string GSystemPath() { return TKXAppInfo::GetSystemPath(); }

// The texts of a boolean, indexed by it: YesNoStr[flag].
inline constexpr std::string_view YesNoStr[2] = {"No", "Yes"};

// Upper-case hexadecimal number of milliseconds since 1899-12-30 at the first
// call in this process, followed by the process id as 8 hexadecimal digits;
// part of every temporary name, so processes differ.
const std::string& ProcessStamp();

// A new temporary file name (not the file): folder + "/" when missing + prefix +
// process stamp + hexadecimal value of a process-wide atomic counter + extension.
// An empty folder raises "MakeTempFile: No path was provided". Callers create the
// file exclusively (O_EXCL), so even a name reused by another process is refused.
std::string MakeTempFile(const std::string& folder, const std::string& prefix,
                         const std::string& extension = ".tmp");

}  // namespace kx
