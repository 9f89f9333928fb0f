// The stand-alone host's side of one request: the Beast request header, the
// body as received (in memory or spooled to a file) and the connection facts,
// turned into the fields of a request packet. Pure functions, no sockets.
// Builds on hosts/HostUploads.h and foundation/HttpPackets.h.
#pragma once

#include <utility>  // before Boost under C++20

#include <boost/beast/http/fields.hpp>
#include <boost/beast/http/message.hpp>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/foundation/HttpPackets.h"
#include "kx/hosts/HostUploads.h"
#include "kx/platform/Streams.h"
#include "kx/platform/SysUtils.h"

namespace kx {

using THostRequestHeader = boost::beast::http::request_header<>;

// A request the host answers itself with Status (400, 413, 431 ...) and the
// message as plain text, without calling the framework.
class EHostRequestError : public Exception {
 public:
  EHostRequestError(unsigned status, std::string message) : Exception(std::move(message)), mStatus(status) {}
  unsigned Status() const { return mStatus; }

 private:
  unsigned mStatus;
};

// The request body as received: in memory, or in a spool file that this object
// owns and deletes.
class THostRequestBody {
 public:
  THostRequestBody() = default;
  THostRequestBody(const THostRequestBody&) = delete;
  THostRequestBody& operator=(const THostRequestBody&) = delete;
  ~THostRequestBody();

  std::string& Memory() { return mMemory; }
  const std::string& Memory() const { return mMemory; }
  // Takes the file (written completely); the memory body is then unused.
  void SetSpoolFile(const std::string& fileName);
  const std::string& SpoolFile() const { return mSpoolFile; }
  std::int64_t Size() const;
  // A reader from the body's first byte.
  std::unique_ptr<TStream> OpenStream() const;
  // The whole body as text (a spooled body is read back; it is bounded by the body limit).
  std::string Text() const;

 private:
  std::string mMemory;
  std::string mSpoolFile;
};

// What the connection adds to a request.
struct THostConnection {
  std::string RemoteAddr;
  std::uint16_t LocalPort = 0;  // the port the server listens on
  bool Secure = false;          // TLS
};

// %XX escapes decoded (an incomplete or non-hex escape stays as it is); with
// plusIsSpace, "+" becomes a blank (form and query encoding).
std::string PercentDecode(std::string_view text, bool plusIsSpace);
// Appends one "name=value" line per "&"-separated pair of a query string or an
// application/x-www-form-urlencoded body; name and value are decoded apart,
// so an encoded "&" or "=" inside them stays data. Empty pairs are skipped; a
// pair without "=" stays a bare name. Decoded in text's own memory, which the
// longest line takes over: a large field is held once. More than maxLines
// lines in all (those held before included) raise EHostRequestError 413.
void DecodeFormFields(std::string text, std::vector<std::string>& lines, std::size_t maxLines = SIZE_MAX);
// Appends one "name=value" line per cookie of a Cookie header ("a=1; b=2").
void ParseCookies(std::string_view cookieHeader, std::vector<std::string>& lines);
// The user and password of "Basic <base64 of user:password>"; false (both
// empty) for any other scheme or for text that does not decode.
bool ParseBasicCredentials(std::string_view authorization, std::string& user, std::string& password);
// The Host header without its port ("[::1]:8080" gives "[::1]" and 8080);
// port 0 when there is none or it is not a number from 1 to 65535.
void SplitHostHeader(std::string_view host, std::string& name, int& port);
// The path (percent-decoded) and raw query of a request target in origin form
// ("/a%20b?x=1") or absolute form ("http://host/a?x=1"). Any other target, or a
// path that decodes to a NUL byte, raises EHostRequestError 400.
void SplitRequestTarget(std::string_view target, std::string& path, std::string& query);

// The request packet fields of the stand-alone server: headers as the packet
// table says, QueryFields from the query and a form-encoded body, uploads
// (multipart/form-data, or a raw upload named by "X-File-Name" and
// "X-KXFieldName" when the parameter KXFileUploader is "true") saved in folder
// and listed in uploads. A malformed multipart body raises EHostRequestError
// 400, too many files or more than maxFields fields in QueryFields 413; file
// errors pass out.
TRequestPacketFields EncodeRequestFields(const THostRequestHeader& header, const THostRequestBody& body,
                                         const THostConnection& connection, const std::string& uploadFolder,
                                         THostUploads& uploads, std::size_t maxFields = SIZE_MAX);

}  // namespace kx
