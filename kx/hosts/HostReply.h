// The stand-alone host's side of one reply: a reply packet turned into the
// Beast response (status, headers, cookies, a body from memory or streamed from
// a file), compressed with gzip or deflate when the options and the client allow.
// Pure functions, no sockets. Builds on foundation/HttpReply.h (the reply packet
// reader) and appserver/Compression.h.
#pragma once

#include <utility>  // before Boost under C++20

#include <boost/asio/buffer.hpp>
#include <boost/beast/core/file.hpp>
#include <boost/beast/http/basic_file_body.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "kx/foundation/HttpReply.h"

namespace kx {

// The server controller's compression settings as the host applies them.
struct THostCompression {
  bool Enabled = true;
  int Level = 1;  // 1 fastest .. 9 smallest; others zlib's default
  std::int32_t MinSize = 1024;  // smaller bodies are sent as they are
  bool AllowGZip = true;
  bool AllowDeflate = true;
  // Larger bodies are streamed as they are rather than compressed in memory.
  std::int64_t MaxSize = 8 * 1024 * 1024;
};

enum class THostContentCoding { None, GZip, Deflate };

// The coding to use for a response, from the client's Accept-Encoding and the
// options: the allowed coding with the higher quality, gzip on a tie; a
// quality of 0 refuses a coding, "*" stands for codings not named.
THostContentCoding ChooseContentCoding(std::string_view acceptEncoding, const THostCompression& options);
// Text, JavaScript, JSON and XML types; images, archives and the rest are compressed already or not worth it.
bool IsCompressibleType(std::string_view contentType);
// gzip (RFC 1952) or zlib-wrapped deflate (RFC 1950, the HTTP "deflate" coding)
// of data through KXCompressStreamProc; coding None returns data unchanged.
// A compressor failure raises its exception.
std::string CompressBody(std::string_view data, THostContentCoding coding, int level);

// A file sent as a response body (the File of beast's basic_file_body): reads
// at most Limit bytes from the start (the content of a cache file, before its
// trailer) and, when asked, deletes the file once it is closed or destroyed,
// so a file is removed whether it was sent or the connection failed.
class THostFile {
 public:
  using native_handle_type = boost::beast::file::native_handle_type;

  THostFile() = default;
  THostFile(THostFile&& other) noexcept;
  THostFile& operator=(THostFile&& other) noexcept;
  ~THostFile();

  // Opens fileName for reading.
  void Open(const std::string& fileName, std::uint64_t limit, bool deleteAfter, boost::beast::error_code& ec);
  // A file that is closed already is only deleted (when asked) on destruction.
  void SetDeleteAfter(const std::string& fileName) { mDeletePath = fileName; }

  // The File requirements of beast.
  bool is_open() const { return mFile.is_open(); }
  void close(boost::beast::error_code& ec);
  void open(char const* path, boost::beast::file_mode mode, boost::beast::error_code& ec);
  std::uint64_t size(boost::beast::error_code& ec) const;
  std::uint64_t pos(boost::beast::error_code& ec) const {
    ec = {};
    return mPosition;
  }
  void seek(std::uint64_t offset, boost::beast::error_code& ec);
  std::size_t read(void* buffer, std::size_t n, boost::beast::error_code& ec) const;
  std::size_t write(void const* buffer, std::size_t n, boost::beast::error_code& ec);

 private:
  void DeleteNow();

  boost::beast::file mFile;
  std::uint64_t mLimit = std::numeric_limits<std::uint64_t>::max();
  // Kept here, so that reading on asks the system for nothing but the bytes.
  mutable std::uint64_t mPosition = 0;
  std::string mDeletePath;
};

using THostFileBody = boost::beast::http::basic_file_body<THostFile>;

// A body in memory that its owner keeps alive (a reply's content handed over
// by the framework): sent from where it lies, in one piece, never copied.
struct THostMemoryBody {
  struct value_type {
    std::shared_ptr<const void> Owner;
    std::string_view Bytes;
  };

  static std::uint64_t size(const value_type& body) { return body.Bytes.size(); }

  class writer {
   public:
    using const_buffers_type = boost::asio::const_buffer;

    template <bool isRequest, class Fields>
    writer(const boost::beast::http::header<isRequest, Fields>&, const value_type& body) : mBody(body) {}

    void init(boost::beast::error_code& ec) { ec = {}; }
    boost::optional<std::pair<const_buffers_type, bool>> get(boost::beast::error_code& ec) {
      ec = {};
      return {{const_buffers_type(mBody.Bytes.data(), mBody.Bytes.size()), false}};
    }

   private:
    const value_type& mBody;
  };
};

using THostStringResponse = boost::beast::http::response<boost::beast::http::string_body>;
using THostFileResponse = boost::beast::http::response<THostFileBody>;
using THostMemoryResponse = boost::beast::http::response<THostMemoryBody>;
using THostResponse = std::variant<THostStringResponse, THostFileResponse, THostMemoryResponse>;

// What the request decides about its response.
struct THostReplyContext {
  unsigned Version = 11;  // 10 or 11
  bool KeepAlive = true;
  bool HeadRequest = false;  // headers and Content-Length only
  std::string AcceptEncoding;
  THostCompression Compression;
};

// A header value with CR, LF and NUL removed: nothing from a reply can start a second header line.
std::string SafeHeaderValue(std::string_view value);
// The Set-Cookie value of a reply cookie: name=value, then "; path=", "; domain=",
// "; expires=" (an HTTP date; a removed cookie gets 1 January 1970), "; secure",
// "; HttpOnly", "; SameSite=" (when set). CR, LF, NUL and ";" are removed from every part, so no cookie
// text adds an attribute or a header.
std::string SetCookieText(const TReplyPacketCookie& cookie);
// Reads the trailer of a cache file: the content length, content type and cache
// type. Raises "Invalid cache file" or "Cache file is corrupted".
void ReadCacheFileTrailer(const std::string& fileName, std::uint64_t& contentLength, std::string& contentType,
                          std::uint8_t& cacheType);

// The response of a reply packet. A reply code of 0 keeps 200; a realm gives
// 401 with a Basic challenge; header lines keep their order except that the
// host's own framing headers (Content-Length, Transfer-Encoding, Connection)
// are dropped. An rtFile or rtCacheFile whose file cannot be opened gives 404,
// a broken cache file 500; files marked for deletion (and one-time cache files)
// are deleted once the response is gone.
THostResponse BuildResponse(const TReplyPacket& reply, const THostReplyContext& context);
// The same, for an in-process host: an rtInline reply whose body was handed
// over in memory is sent from that memory (compressed into a copy only when
// compression applies); any other reply as above.
THostResponse BuildResponse(const TReplyPacket& reply, const THostReplyContext& context,
                            const TReplyBodyHandOver& handOver);
// A plain-text response the host makes itself ("text/plain; charset=UTF-8").
THostStringResponse TextResponse(unsigned status, std::string_view text, const THostReplyContext& context);

}  // namespace kx
