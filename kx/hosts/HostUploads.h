// Uploaded files as the stand-alone host receives them: the parser of
// multipart/form-data bodies, the raw scripted upload (one file as the whole
// body), and the owner of their temporary files until the framework takes them
// with the request packet. Builds on foundation/Streams.h and foundation/HttpPackets.h.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/Streams.h"
#include "kx/platform/SysUtils.h"

namespace kx {

// A body that is not well-formed multipart data, or holds too many files or fields (EMultipartLimit).
KX_DECLARE_EXCEPTION(EMultipartError, Exception);
KX_DECLARE_EXCEPTION(EMultipartLimit, EMultipartError);

// The temporary files of one request's uploads, each created exclusively as
// "BRM*.tmp" in the upload folder. They belong to this object, which deletes
// them when it is destroyed, until Release hands them on: the request packet
// gives them to the framework.
class THostUploads {
 public:
  // At most this many files per request (each part is a file on disk).
  static constexpr std::size_t MaxFiles = 1000;

  THostUploads() = default;
  THostUploads(const THostUploads&) = delete;
  THostUploads& operator=(const THostUploads&) = delete;
  ~THostUploads();

  const std::vector<TRequestPacketFile>& Files() const { return mFiles; }
  // Copies source from its position to its end into a new file (CreateFile)
  // and lists it; a failing write raises and leaves no file.
  void AddFile(TStream& source, const std::string& folder, std::string_view clientName, std::string_view fieldName,
               std::string_view contentType);
  // Keeps the files on disk and forgets them.
  void Release() { mFiles.clear(); }

  // A new temporary file in folder (TTempFileStream's TempPath when empty),
  // deleted when the stream is freed unless Keep takes it. Raises
  // EMultipartLimit "Too many files in one request." once MaxFiles are listed.
  std::unique_ptr<TTempFileStream> CreateFile(const std::string& folder) const;
  // Lists file (its size is the stream's) and closes it, keeping it on disk.
  void Keep(std::unique_ptr<TTempFileStream> file, std::string_view clientName, std::string_view fieldName,
            std::string_view contentType);

 private:
  std::vector<TRequestPacketFile> mFiles;
};

// The client's file name reduced to a bare name that cannot lead anywhere on
// disk: only the part after the last "/" or "\" (browsers on Windows send full
// paths), control characters removed, and "." or ".." give the empty text.
// The framework still receives it only as a text; no client text names a file.
std::string SafeUploadFileName(std::string_view clientName);

// The value of parameter name (ignoring case) in a header value such as
// `form-data; name="a"; filename="b"`: a quoted string with its backslash
// escapes removed, or a token. The empty text when absent.
std::string HeaderParameter(std::string_view headerValue, std::string_view name);

// Reads a multipart/form-data body (RFC 7578) from its current position.
// Fields become "name=value" lines; each file part with a file name becomes an
// upload in folder, read in blocks (the body is never held in memory whole).
// A part whose file name is empty (an unused file input) is skipped. A body
// without its opening or closing delimiter, with a part header block over
// 16 KB or without the blank line after it raises EMultipartError "Malformed
// multipart body."; a field beyond maxFields lines in fields (those held before included) raises EMultipartLimit
// "Too many form fields." before the parser reads on. The files written so far stay with uploads, which deletes them.
class TMultipartParser {
 public:
  static constexpr std::size_t MaxPartHeaderSize = 16384;

  TMultipartParser(TStream& source, std::string_view boundary);

  void Parse(const std::string& folder, std::vector<std::string>& fields, THostUploads& uploads,
             std::size_t maxFields = SIZE_MAX);

 private:
  // Reads more of the source into mBuffer; false at its end.
  bool Fill();
  // Drops everything up to and including the next "\r\n--boundary"; when sink
  // is set the dropped content goes through it. False when the source ends first.
  template <class Sink>
  bool SkipToDelimiter(Sink&& sink);
  // After a delimiter: true for the closing "--", false for a part (CRLF consumed).
  bool AtCloseDelimiter();
  std::string ReadPartHeaders();
  [[noreturn]] static void Malformed();

  TStream& mSource;
  std::string mDelimiter;  // "\r\n--" + boundary
  std::string mBuffer;
  std::size_t mStart = 0;  // first unconsumed byte of mBuffer
};

}  // namespace kx
