#include "kx/foundation/KXUtils.h"

#include <sys/stat.h>

#include <algorithm>

#include "kx/foundation/FileUtils.h"
#include "kx/platform/IniFiles.h"
#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

// UTF-16 code units (little- or big-endian) to UTF-8; a lone surrogate or an
// odd last byte becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  auto unitAt = [&](std::size_t i) -> char32_t {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
  };
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    char32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, unit);  // a lone surrogate is written as U+FFFD
  }
  if (i < bytes.size()) AppendUtf8(out, kReplacementChar);
  return out;
}

// The folder without a trailing "/" (the root stays "/"), made absolute.
std::string NormalFolder(const std::string& folder) {
  std::string result = ExpandFileName(folder.empty() ? std::string(".") : folder);
  if (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

std::string ParentFolder(const std::string& folder) {
  const std::size_t slash = folder.rfind('/');
  return slash == 0 || slash == std::string::npos ? std::string("/") : folder.substr(0, slash);
}

bool IsInside(const std::string& folder, const std::string& root) {
  if (folder == root) return true;
  return StartsStr(root == "/" ? std::string("/") : root + "/", folder);
}

}  // namespace

std::string ReadContentsFromStream(TStream& stream, std::int64_t count) {
  if (count <= 0) return {};
  // Never allocate more than the stream can deliver.
  const std::int64_t wanted = std::min(count, std::max<std::int64_t>(0, stream.Size() - stream.Position()));
  std::string bytes(static_cast<std::size_t>(wanted), '\0');
  bytes.resize(static_cast<std::size_t>(stream.Read(bytes.data(), wanted)));

  std::string text;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    text = SanitizeUtf8(std::string_view(bytes).substr(3));
  } else if (bytes.starts_with("\xFF\xFE")) {
    text = Utf16ToUtf8(std::string_view(bytes).substr(2), false);
  } else if (bytes.starts_with("\xFE\xFF")) {
    text = Utf16ToUtf8(std::string_view(bytes).substr(2), true);
  } else {
    text = SanitizeUtf8(bytes);
  }
  // UTF-8 never has more characters than bytes, but a count in characters is a count in characters.
  std::size_t pos = 0;
  for (std::int64_t n = 0; n < count && pos < text.size(); ++n) {
    char32_t c;
    DecodeUtf8(text, pos, c);
  }
  text.resize(pos);
  return text;
}

void StreamWrite(TStream& stream, std::string_view text) {
  if (!text.empty()) stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

void StreamWriteLn(TStream& stream, std::string_view text) {
  StreamWrite(stream, text);
  StreamWrite(stream, "\r\n");
}

bool LocateFile(std::string& fileName, const std::string& startFolder, const std::string& stopFolder,
                bool includeStopFolder) {
  if (fileName.empty()) return false;
  std::string folder = NormalFolder(startFolder);
  const std::string stop = stopFolder.empty() ? std::string() : NormalFolder(stopFolder);
  const bool bounded = !stop.empty() && IsInside(folder, stop);
  for (;;) {
    const bool atStop = bounded && folder == stop;
    if (!atStop || includeStopFolder) {
      const std::string candidate = TFilePath::Concat(folder, fileName);
      struct stat info;
      if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        fileName = ExpandFileName(candidate);
        return true;
      }
    }
    if (atStop || folder == "/") return false;
    folder = ParentFolder(folder);
  }
}

std::string KXFormatByteSize(std::int64_t size, std::string_view format) {
  constexpr std::int64_t kKB = 1024;
  constexpr std::int64_t kMB = kKB * 1024;
  constexpr std::int64_t kGB = kMB * 1024;
  const auto value = static_cast<double>(size);
  if (size > kGB) return Format(format, value / kGB) + " GB";
  if (size > kMB) return Format(format, value / kMB) + " MB";
  if (size > kKB) return Format(format, value / kKB) + " KB";
  return Format(format, value) + " bytes";
}

bool ReadBoolFromIni(const std::string& fileName, std::string_view section, std::string_view key) {
  return SameText(TMemIniFile(fileName).ReadString(section, key, "False"), "True");
}

std::string ReadStringFromIni(const std::string& fileName, std::string_view section, std::string_view key,
                              std::string_view defaultValue) {
  return TMemIniFile(fileName).ReadString(section, key, defaultValue);
}

int ReadIntFromIni(const std::string& fileName, std::string_view section, std::string_view key, int defaultValue) {
  return TMemIniFile(fileName).ReadInteger(section, key, defaultValue);
}

std::int64_t KXGetFileSize(const std::string& fileName) {
  struct stat info;
  if (::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

TDateTime SearchRecDateTime(const struct stat& record) {
  return UTCToLocalTime(UnixToDateTime(record.st_mtim.tv_sec) + record.st_mtim.tv_nsec / 1e9 / kSecsPerDay);
}

}  // namespace kx
