// Small stream, file and INI helpers of the framework, and short names for
// path operations of foundation/Paths.h. ExecProcess lives in FileUtils.h.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "kx/foundation/Paths.h"
#include "kx/platform/DateUtils.h"
#include "kx/platform/Streams.h"

namespace kx {

// The text of the next count bytes of stream (fewer at its end), which then
// lie behind the position. The bytes are UTF-8 unless they start with a
// byte-order mark: EF BB BF (UTF-8), FF FE (UTF-16LE) or FE FF (UTF-16BE);
// the mark is not part of the text. At most count characters are returned;
// invalid sequences (a character cut at the end included) become U+FFFD.
std::string ReadContentsFromStream(TStream& stream, std::int64_t count);

// Writes the text's bytes at the stream's position; the second adds CR LF.
void StreamWrite(TStream& stream, std::string_view text);
void StreamWriteLn(TStream& stream, std::string_view text);

// Looks for the file fileName (a name or a relative path) in startFolder and
// then in each parent folder, one level at a time. With a stopFolder the
// search ends there: the stop folder itself is searched only when
// includeStopFolder is set. Without one, or when the start folder does not lie
// inside it, the search ends at the root. On success fileName receives the
// full name found and the result is true; otherwise fileName is unchanged.
bool LocateFile(std::string& fileName, const std::string& startFolder, const std::string& stopFolder = "",
                bool includeStopFolder = false);

// The size in " GB" above 1073741824 bytes, in " MB" above 1048576, in " KB"
// above 1024, else in " bytes"; the number (a floating-point value) is written
// by Format with format, e.g. "%.2f" gives "1.50 KB".
std::string KXFormatByteSize(std::int64_t size, std::string_view format);

// Read through TMemIniFile (a missing file reads as empty).
// True when the value equals "True" ignoring case (missing: "False").
bool ReadBoolFromIni(const std::string& fileName, std::string_view section, std::string_view key);
std::string ReadStringFromIni(const std::string& fileName, std::string_view section, std::string_view key,
                              std::string_view defaultValue);
int ReadIntFromIni(const std::string& fileName, std::string_view section, std::string_view key, int defaultValue);

// The size of the file in bytes; -1 when it cannot be read (missing, a folder).
std::int64_t KXGetFileSize(const std::string& fileName);

// The last-modified time of a file's status record (what stat or a folder walk's fstatat gives) as local time,
// fractions of a second kept. Raises as UTCToLocalTime when the time zone cannot be read.
TDateTime SearchRecDateTime(const struct stat& record);

inline bool IsAbsolutePath(const std::string& path) { return TFilePath::IsAbsolute(path); }
inline std::string IncludeURLPathDelimiter(const std::string& url) { return TURL::IncludeTrailingDelimiter(url); }
inline std::string URLPathToFilePath(const std::string& root, const std::string& urlPath) {
  return TURL::UrlPathToFilePath(root, urlPath);
}

}  // namespace kx
