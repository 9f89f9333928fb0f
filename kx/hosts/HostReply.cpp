#include "kx/hosts/HostReply.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "kx/appserver/Compression.h"
#include "kx/foundation/HttpDates.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace http = boost::beast::http;
using boost::beast::error_code;

namespace {

constexpr std::uint8_t kOneTimeCacheFile = 0;  // ctOneTime: deleted after it was read once

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsTokenChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

std::string CookiePart(std::string_view text) {
  std::string result;
  for (char c : text)
    if (c != '\r' && c != '\n' && c != '\0' && c != ';') result += c;
  return result;
}

// The quality of each coding named in an Accept-Encoding value.
struct TCodingQualities {
  double GZip = -1, Deflate = -1, Any = -1;  // -1: not named
};

TCodingQualities ParseAcceptEncoding(std::string_view value) {
  TCodingQualities q;
  while (!value.empty()) {
    std::size_t comma = value.find(',');
    std::string_view item = value.substr(0, comma);
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    std::size_t semi = item.find(';');
    std::string_view coding = TrimBlanks(item.substr(0, semi));
    double quality = 1;
    if (semi != std::string_view::npos) {
      std::string_view param = TrimBlanks(item.substr(semi + 1));
      if (param.size() > 2 && (param[0] == 'q' || param[0] == 'Q') && param[1] == '=') {
        std::string_view digits = TrimBlanks(param.substr(2));
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), quality);
        if (ec != std::errc()) quality = 0;
      }
    }
    if (SameText(coding, "gzip") || SameText(coding, "x-gzip")) q.GZip = quality;
    else if (SameText(coding, "deflate")) q.Deflate = quality;
    else if (coding == "*") q.Any = quality;
  }
  if (q.GZip < 0) q.GZip = q.Any;
  if (q.Deflate < 0) q.Deflate = q.Any;
  return q;
}

// The coding a body of size bytes gets in res: none when the options or the
// type do not call for one, or when the reply coded the body itself.
THostContentCoding BodyCoding(const THostStringResponse::header_type& res, std::uint64_t size,
                              const THostReplyContext& context) {
  const THostCompression& options = context.Compression;
  const unsigned status = res.result_int();
  const bool encoded = res.find(http::field::content_encoding) != res.end();
  if (!options.Enabled || encoded || status == 204 || status == 304 || std::int64_t(size) < options.MinSize ||
      std::int64_t(size) > options.MaxSize ||
      !IsCompressibleType(std::string_view(res[http::field::content_type].data(), res[http::field::content_type].size())))
    return THostContentCoding::None;
  return ChooseContentCoding(context.AcceptEncoding, options);
}

void AddCompressedBody(THostStringResponse& res, std::string body, const THostReplyContext& context) {
  const THostContentCoding coding = BodyCoding(res.base(), body.size(), context);
  const unsigned status = res.result_int();
  if (coding != THostContentCoding::None) {
    body = CompressBody(body, coding, context.Compression.Level);
    res.set(http::field::content_encoding, coding == THostContentCoding::GZip ? "gzip" : "deflate");
    if (res.find(http::field::vary) == res.end()) res.set(http::field::vary, "Accept-Encoding");
  }
  if (context.HeadRequest || status == 204 || status == 304) {
    if (status != 204 && status != 304) res.content_length(body.size());
  } else {
    res.body() = std::move(body);
    res.prepare_payload();
  }
}

// Status, reason, content type, headers and cookies, shared by both response kinds.
template <class Response>
void SetHead(Response& res, const TReplyPacket& reply, const THostReplyContext& context) {
  res.version(context.Version);
  unsigned code = reply.Code == 0 ? 200 : reply.Code;
  if (!reply.AuthRealm.empty()) code = 401;
  if (code < 100 || code > 999) code = 500;
  res.result(code);
  if (!reply.CodeText.empty()) res.reason(SafeHeaderValue(reply.CodeText));
  if (!reply.ContentType.empty()) res.set(http::field::content_type, SafeHeaderValue(reply.ContentType));
  if (!reply.AuthRealm.empty()) {
    std::string realm;
    for (char c : SafeHeaderValue(reply.AuthRealm)) {
      if (c == '"' || c == '\\') realm += '\\';
      realm += c;
    }
    res.set(http::field::www_authenticate, "Basic realm=\"" + realm + "\"");
  }
  for (const std::string& line : reply.Headers) {
    std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string_view name = TrimBlanks(std::string_view(line).substr(0, colon));
    bool token = !name.empty();
    for (char c : name) token = token && IsTokenChar(c);
    if (!token || SameText(name, "Content-Length") || SameText(name, "Transfer-Encoding") ||
        SameText(name, "Connection"))
      continue;
    std::string value = SafeHeaderValue(TrimBlanks(std::string_view(line).substr(colon + 1)));
    boost::beast::string_view beastName(name.data(), name.size());
    if (SameText(name, "Content-Type"))
      res.set(beastName, value);
    else
      res.insert(beastName, value);
  }
  for (const TReplyPacketCookie& cookie : reply.Cookies) res.insert(http::field::set_cookie, SetCookieText(cookie));
  res.keep_alive(context.KeepAlive);
}

}  // namespace

// ---------------------------------------------------------------------------
// Compression

THostContentCoding ChooseContentCoding(std::string_view acceptEncoding, const THostCompression& options) {
  if (!options.Enabled) return THostContentCoding::None;
  TCodingQualities q = ParseAcceptEncoding(acceptEncoding);
  bool gzip = options.AllowGZip && q.GZip > 0;
  bool deflate = options.AllowDeflate && q.Deflate > 0;
  if (gzip && (!deflate || q.GZip >= q.Deflate)) return THostContentCoding::GZip;
  return deflate ? THostContentCoding::Deflate : THostContentCoding::None;
}

bool IsCompressibleType(std::string_view contentType) {
  std::string type = LowerCase(TrimBlanks(contentType.substr(0, contentType.find(';'))));
  return type.starts_with("text/") || type.find("javascript") != std::string::npos ||
         type.find("json") != std::string::npos || type.find("xml") != std::string::npos;
}

std::string CompressBody(std::string_view data, THostContentCoding coding, int level) {
  if (coding == THostContentCoding::None) return std::string(data);
  TPointerStream source(data.data(), std::int64_t(data.size()));
  TMemoryStream dest;
  KXCompressStreamProc(source, dest, level, coding == THostContentCoding::GZip ? kxcmGZIP : kxcmDEFLATE);
  return std::string(static_cast<const char*>(dest.Memory()), std::size_t(dest.Size()));
}

// ---------------------------------------------------------------------------
// THostFile

THostFile::THostFile(THostFile&& other) noexcept
    : mFile(std::move(other.mFile)),
      mLimit(other.mLimit),
      mPosition(other.mPosition),
      mDeletePath(std::move(other.mDeletePath)) {
  other.mDeletePath.clear();
}

THostFile& THostFile::operator=(THostFile&& other) noexcept {
  if (this != &other) {
    error_code ignored;
    close(ignored);
    mFile = std::move(other.mFile);
    mLimit = other.mLimit;
    mPosition = other.mPosition;
    mDeletePath = std::move(other.mDeletePath);
    other.mDeletePath.clear();
  }
  return *this;
}

THostFile::~THostFile() {
  error_code ignored;
  close(ignored);
}

void THostFile::DeleteNow() {
  if (!mDeletePath.empty()) ::unlink(mDeletePath.c_str());
  mDeletePath.clear();
}

void THostFile::Open(const std::string& fileName, std::uint64_t limit, bool deleteAfter, error_code& ec) {
  mLimit = limit;
  if (deleteAfter) mDeletePath = fileName;
  mPosition = 0;
  mFile.open(fileName.c_str(), boost::beast::file_mode::scan, ec);
}

void THostFile::close(error_code& ec) {
  ec = {};
  if (mFile.is_open()) mFile.close(ec);
  DeleteNow();
}

void THostFile::open(char const* path, boost::beast::file_mode mode, error_code& ec) {
  error_code ignored;
  close(ignored);
  mLimit = std::numeric_limits<std::uint64_t>::max();
  mPosition = 0;
  mFile.open(path, mode, ec);
}

std::uint64_t THostFile::size(error_code& ec) const {
  std::uint64_t size = mFile.size(ec);
  return std::min(size, mLimit);
}

void THostFile::seek(std::uint64_t offset, error_code& ec) {
  mFile.seek(offset, ec);
  if (!ec) mPosition = offset;
}

std::size_t THostFile::read(void* buffer, std::size_t n, error_code& ec) const {
  ec = {};
  if (mPosition >= mLimit) return 0;
  if (n > mLimit - mPosition) n = std::size_t(mLimit - mPosition);
  const std::size_t got = mFile.read(buffer, n, ec);
  mPosition += got;
  return got;
}

std::size_t THostFile::write(void const* buffer, std::size_t n, error_code& ec) {
  const std::size_t put = mFile.write(buffer, n, ec);
  mPosition += put;
  return put;
}

// ---------------------------------------------------------------------------
// Replies

std::string SafeHeaderValue(std::string_view value) {
  std::string result;
  result.reserve(value.size());
  for (char c : value)
    if (c != '\r' && c != '\n' && c != '\0') result += c;
  return result;
}

std::string SetCookieText(const TReplyPacketCookie& cookie) {
  std::string text = CookiePart(cookie.Name) + "=" + CookiePart(cookie.Value);
  if (!cookie.Path.empty()) text += "; path=" + CookiePart(cookie.Path);
  if (!cookie.Domain.empty()) text += "; domain=" + CookiePart(cookie.Domain);
  if (cookie.Expires < 0)
    text += "; expires=Thu, 01 Jan 1970 00:00:00 GMT";
  else if (cookie.Expires > 0)
    // Max-Age counts from when the browser receives the cookie, so a client clock that is off does not make a
    // cookie of a few minutes expire at once; browsers that know it prefer it to expires.
    text += "; expires=" + LocalDateTimeToHttpStr(cookie.Expires) +
            "; Max-Age=" + std::to_string(std::max<long long>(0, std::llround((cookie.Expires - Now()) * 86400.0)));
  if (cookie.Secure) text += "; secure";
  if (cookie.HttpOnly) text += "; HttpOnly";
  if (!cookie.SameSite.empty()) text += "; SameSite=" + CookiePart(cookie.SameSite);
  return text;
}

void ReadCacheFileTrailer(const std::string& fileName, std::uint64_t& contentLength, std::string& contentType,
                          std::uint8_t& cacheType) {
  TStreamHelper reader(std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone));
  std::int64_t size = reader.Stream()->Size();
  if (size < 19) throw Exception("Invalid cache file");
  reader.Stream()->SetPosition(size - 11);
  std::string marker;
  try {
    marker = reader.ReadText();
  } catch (const Exception&) {  // a count beyond the file
  }
  if (marker != "KXCACHE") throw Exception("Invalid cache file");
  reader.Stream()->SetPosition(size - 19);
  std::int64_t n = reader.ReadInt64();
  if (n < 0 || n >= size) throw Exception("Cache file is corrupted");
  reader.Stream()->SetPosition(n);
  try {
    contentType = reader.ReadText();
  } catch (const Exception&) {
    throw Exception("Cache file is corrupted");
  }
  cacheType = reader.ReadByte();
  contentLength = std::uint64_t(n);
}

THostStringResponse TextResponse(unsigned status, std::string_view text, const THostReplyContext& context) {
  THostStringResponse res;
  res.version(context.Version);
  res.result(status);
  res.set(http::field::content_type, "text/plain; charset=UTF-8");
  res.keep_alive(context.KeepAlive);
  if (context.HeadRequest) {
    res.content_length(text.size());
  } else {
    res.body() = std::string(text);
    res.prepare_payload();
  }
  return res;
}

THostResponse BuildResponse(const TReplyPacket& reply, const THostReplyContext& context,
                            const TReplyBodyHandOver& handOver) {
  if (reply.DataType != rtInline || !handOver.HasBody()) return BuildResponse(reply, context);
  const std::string_view body = handOver.Body();
  THostStringResponse head;
  SetHead(head, reply, context);
  const unsigned status = head.result_int();
  // Compressed, bodiless or headers only: a string response; only the compressed body is a copy.
  if (context.HeadRequest || status == 204 || status == 304 ||
      BodyCoding(head.base(), body.size(), context) != THostContentCoding::None) {
    AddCompressedBody(head, std::string(body), context);
    return head;
  }
  THostMemoryResponse res(std::move(head.base()));
  res.body() = {handOver.Owner(), body};
  res.prepare_payload();
  return res;
}

THostResponse BuildResponse(const TReplyPacket& reply, const THostReplyContext& context) {
  if (reply.DataType != rtFile && reply.DataType != rtCacheFile) {
    THostStringResponse res;
    SetHead(res, reply, context);
    AddCompressedBody(res, reply.DataType == rtInline ? reply.Content : std::string(), context);
    return res;
  }

  THostFile file;
  std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
  std::string cacheContentType;
  bool deleteAfter = reply.DataType == rtFile && reply.DeleteFile;
  if (reply.DataType == rtCacheFile) {
    std::uint8_t cacheType = 0;
    try {
      ReadCacheFileTrailer(reply.FileName, limit, cacheContentType, cacheType);
    } catch (const EFOpenError&) {
      return TextResponse(404, "Not Found", context);
    } catch (const Exception& e) {
      return TextResponse(500, e.Message(), context);
    }
    deleteAfter = cacheType == kOneTimeCacheFile;
  }
  error_code ec;
  file.Open(reply.FileName, limit, deleteAfter, ec);
  if (ec) return TextResponse(404, "Not Found", context);

  TReplyPacket head = reply;
  if (!cacheContentType.empty()) head.ContentType = cacheContentType;
  std::uint64_t size = file.size(ec);
  const THostCompression& options = context.Compression;
  bool compress = !ec && options.Enabled && !context.HeadRequest && std::int64_t(size) >= options.MinSize &&
                  std::int64_t(size) <= options.MaxSize && IsCompressibleType(head.ContentType) &&
                  ChooseContentCoding(context.AcceptEncoding, options) != THostContentCoding::None;
  if (context.HeadRequest || compress) {
    // Served from memory: the headers of a HEAD request, or a body small enough to compress.
    std::string body;
    if (compress) {
      body.resize(std::size_t(size));
      std::size_t got = 0;
      while (got < body.size() && !ec) {
        std::size_t n = file.read(body.data() + got, body.size() - got, ec);
        if (n == 0) break;
        got += n;
      }
      body.resize(got);
    }
    THostStringResponse res;
    SetHead(res, head, context);
    if (context.HeadRequest) {
      res.content_length(size);
      return res;
    }
    AddCompressedBody(res, std::move(body), context);
    return res;  // file goes out of scope: closed, and deleted when asked
  }
  THostFileResponse res;
  SetHead(res, head, context);
  res.body().reset(std::move(file), ec);
  res.prepare_payload();
  return res;
}

}  // namespace kx
