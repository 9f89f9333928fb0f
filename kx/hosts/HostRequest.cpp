#include "kx/hosts/HostRequest.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "kx/net/http/IdCoderMIME.h"

namespace kx {

namespace http = boost::beast::http;

namespace {

constexpr const char* kTooManyFields = "Too many form fields.";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string FieldText(const THostRequestHeader& header, http::field name) {
  auto it = header.find(name);
  return it == header.end() ? std::string() : std::string(it->value());
}

std::string FieldText(const THostRequestHeader& header, std::string_view name) {
  auto it = header.find(boost::beast::string_view(name.data(), name.size()));
  return it == header.end() ? std::string() : std::string(it->value());
}

// Every line of a field joined with ", ", as one list (RFC 9110 5.3): a proxy appends its own line of a list field
// after the client's.
std::string JoinedFieldText(const THostRequestHeader& header, std::string_view name) {
  std::string joined;
  auto [line, end] = header.equal_range(boost::beast::string_view(name.data(), name.size()));
  for (; line != end; ++line) {
    if (!joined.empty()) joined += ", ";
    joined.append(line->value().data(), line->value().size());
  }
  return joined;
}

// The media type of a Content-Type value, without parameters.
std::string_view MediaType(std::string_view contentType) { return TrimBlanks(contentType.substr(0, contentType.find(';'))); }

bool IsUploaderRequest(const std::vector<std::string>& fields) {
  for (const std::string& line : fields) {
    std::size_t eq = line.find('=');
    if (eq != std::string::npos && SameText(std::string_view(line).substr(0, eq), "KXFileUploader") &&
        SameText(std::string_view(line).substr(eq + 1), "true"))
      return true;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// THostRequestBody

THostRequestBody::~THostRequestBody() {
  if (!mSpoolFile.empty()) ::unlink(mSpoolFile.c_str());
}

void THostRequestBody::SetSpoolFile(const std::string& fileName) {
  if (!mSpoolFile.empty() && mSpoolFile != fileName) ::unlink(mSpoolFile.c_str());
  mSpoolFile = fileName;
  mMemory.clear();
}

std::int64_t THostRequestBody::Size() const {
  if (mSpoolFile.empty()) return std::int64_t(mMemory.size());
  struct stat info {};
  return ::stat(mSpoolFile.c_str(), &info) == 0 ? std::int64_t(info.st_size) : 0;
}

std::unique_ptr<TStream> THostRequestBody::OpenStream() const {
  if (mSpoolFile.empty()) return std::make_unique<TPointerStream>(mMemory.data(), std::int64_t(mMemory.size()));
  return std::make_unique<TFileStream>(mSpoolFile, fmOpenRead | fmShareDenyNone);
}

std::string THostRequestBody::Text() const {
  if (mSpoolFile.empty()) return mMemory;
  std::unique_ptr<TStream> stream = OpenStream();
  std::string text(std::size_t(stream->Size()), '\0');
  stream->ReadBuffer(text.data(), std::int64_t(text.size()));
  return text;
}

// ---------------------------------------------------------------------------
// Field decoding

namespace {

// Decodes text[from, to) into text from at on (at <= from: decoding never lengthens) and returns where it ended.
std::size_t DecodeInPlace(std::string& text, std::size_t from, std::size_t to, std::size_t at, bool plusIsSpace) {
  for (std::size_t i = from; i < to; ++i) {
    char c = text[i];
    int high, low;
    if (c == '%' && i + 2 < to && (high = HexValue(text[i + 1])) >= 0 && (low = HexValue(text[i + 2])) >= 0) {
      c = char(high * 16 + low);
      i += 2;
    } else if (c == '+' && plusIsSpace) {
      c = ' ';
    }
    text[at++] = c;
  }
  return at;
}

}  // namespace

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
  std::string result(text);
  result.resize(DecodeInPlace(result, 0, result.size(), 0, plusIsSpace));
  return result;
}

void DecodeFormFields(std::string text, std::vector<std::string>& lines, std::size_t maxLines) {
  // Each pair is decoded in place into its line, the lines one after the other at the text's start.
  struct TSpan {
    std::size_t Start, Size;
  };
  std::vector<TSpan> spans;
  std::size_t write = 0;
  for (std::size_t read = 0; read <= text.size();) {
    const std::size_t amp = std::min(text.find('&', read), text.size());
    if (amp > read) {
      // Counted before it is decoded: a body of millions of tiny fields stops at the limit.
      if (lines.size() + spans.size() >= maxLines) throw EHostRequestError(413, kTooManyFields);
      const std::size_t start = write;
      // Looked for within the pair only: searched to the text's end, each pair without one would cost the rest.
      const std::size_t eq = std::min(std::string_view(text.data(), amp).find('=', read), amp);
      write = DecodeInPlace(text, read, eq, write, true);
      if (eq < amp) {
        text[write++] = '=';
        write = DecodeInPlace(text, eq + 1, amp, write, true);
      }
      spans.push_back({start, write - start});
    }
    read = amp + 1;
  }
  if (spans.empty()) return;
  // The longest line keeps the text's own memory; the others are copied out of it before.
  const std::size_t longest = std::size_t(std::max_element(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) {
                                            return a.Size < b.Size;
                                          }) - spans.begin());
  const std::size_t first = lines.size();
  lines.resize(first + spans.size());
  for (std::size_t i = 0; i < spans.size(); ++i)
    if (i != longest) lines[first + i].assign(text, spans[i].Start, spans[i].Size);
  text.resize(spans[longest].Start + spans[longest].Size);
  text.erase(0, spans[longest].Start);
  lines[first + longest] = std::move(text);
}

void ParseCookies(std::string_view cookieHeader, std::vector<std::string>& lines) {
  while (!cookieHeader.empty()) {
    std::size_t semi = cookieHeader.find(';');
    std::string_view cookie = TrimBlanks(cookieHeader.substr(0, semi));
    cookieHeader = semi == std::string_view::npos ? std::string_view() : cookieHeader.substr(semi + 1);
    if (cookie.empty()) continue;
    std::size_t eq = cookie.find('=');
    if (eq == std::string_view::npos)
      lines.emplace_back(cookie);
    else
      lines.push_back(std::string(TrimBlanks(cookie.substr(0, eq))) + "=" + std::string(TrimBlanks(cookie.substr(eq + 1))));
  }
}

bool ParseBasicCredentials(std::string_view authorization, std::string& user, std::string& password) {
  user.clear();
  password.clear();
  authorization = TrimBlanks(authorization);
  if (authorization.size() < 6 || !SameText(authorization.substr(0, 6), "Basic ")) return false;
  std::string decoded;
  try {
    decoded = TIdDecoderMIME::DecodeBytes(TrimBlanks(authorization.substr(6)));
  } catch (const EIdInvalidBase64&) {
    return false;
  }
  std::size_t colon = decoded.find(':');
  if (colon == std::string::npos) return false;
  user = decoded.substr(0, colon);
  password = decoded.substr(colon + 1);
  return true;
}

void SplitHostHeader(std::string_view host, std::string& name, int& port) {
  host = TrimBlanks(host);
  port = 0;
  // The port follows the last ":" unless that lies inside an IPv6 literal "[...]".
  std::size_t colon = host.rfind(':');
  std::size_t bracket = host.rfind(']');
  if (colon == std::string_view::npos || (bracket != std::string_view::npos && colon < bracket)) {
    name = host;
    return;
  }
  name = host.substr(0, colon);
  std::string_view digits = host.substr(colon + 1);
  int value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec == std::errc() && end == digits.data() + digits.size() && value >= 1 && value <= 65535) port = value;
}

void SplitRequestTarget(std::string_view target, std::string& path, std::string& query) {
  if (!target.empty() && target.front() != '/') {
    // Absolute form: the scheme and authority go, the rest is an origin-form target.
    std::size_t scheme = target.find("://");
    std::size_t slash = scheme == std::string_view::npos ? scheme : target.find('/', scheme + 3);
    if (scheme == std::string_view::npos || scheme == 0) throw EHostRequestError(400, "Invalid request target.");
    target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
  }
  if (target.empty()) throw EHostRequestError(400, "Invalid request target.");
  std::size_t mark = target.find('?');
  query = mark == std::string_view::npos ? std::string() : std::string(target.substr(mark + 1));
  path = PercentDecode(target.substr(0, mark), false);
  if (path.find('\0') != std::string::npos) throw EHostRequestError(400, "Invalid request target.");
}

// ---------------------------------------------------------------------------
// The packet fields

TRequestPacketFields EncodeRequestFields(const THostRequestHeader& header, const THostRequestBody& body,
                                         const THostConnection& connection, const std::string& uploadFolder,
                                         THostUploads& uploads, std::size_t maxFields) {
  TRequestPacketFields f;
  f.UserAgent = FieldText(header, http::field::user_agent);
  f.Referer = FieldText(header, http::field::referer);
  int hostPort = 0;
  SplitHostHeader(FieldText(header, http::field::host), f.Host, hostPort);
  f.Authorization = FieldText(header, http::field::authorization);
  SplitRequestTarget(std::string_view(header.target().data(), header.target().size()), f.PathInfo, f.Query);
  f.RemoteAddr = connection.RemoteAddr;
  // The port the client addressed, for the URLs built for it; it says nothing of TLS (HttpsHeader below does).
  f.ServerPort = hostPort != 0 ? hostPort : connection.LocalPort;
  f.Method = std::string(header.method_string());
  f.IfModifiedSince = FieldText(header, http::field::if_modified_since);
  f.ForwardedFor = JoinedFieldText(header, "X-Forwarded-For");
  f.HttpClientIP = FieldText(header, "Client-IP");
  f.AuthorizationHeader = f.Authorization;
  ParseBasicCredentials(f.Authorization, f.AuthUser, f.AuthPass);
  f.AcceptLanguage = FieldText(header, http::field::accept_language);
  // From the connection, never from the client's headers.
  f.HttpsHeader = connection.Secure ? "on" : "off";
  for (const auto& field : header) {
    f.RawHeaders.push_back(std::string(field.name_string()) + ": " + std::string(field.value()));
    if (field.name() == http::field::cookie) ParseCookies(std::string_view(field.value().data(), field.value().size()), f.CookieFields);
  }
  DecodeFormFields(f.Query, f.QueryFields, maxFields);

  std::int64_t size = body.Size();
  f.HasContent = size > 0;
  if (size > 0) {
    std::string contentType = FieldText(header, http::field::content_type);
    std::string_view media = MediaType(contentType);
    if (SameText(media, "multipart/form-data")) {
      std::unique_ptr<TStream> stream = body.OpenStream();
      try {
        TMultipartParser(*stream, HeaderParameter(contentType, "boundary"))
            .Parse(uploadFolder, f.QueryFields, uploads, maxFields);
      } catch (const EMultipartLimit& e) {
        throw EHostRequestError(413, e.Message());
      } catch (const EMultipartError& e) {
        throw EHostRequestError(400, e.Message());
      }
    } else if (IsUploaderRequest(f.QueryFields) && header.find("X-File-Name") != header.end()) {
      // The scripted upload: the body is the file, whatever content type the script gave it.
      std::unique_ptr<TStream> stream = body.OpenStream();
      uploads.AddFile(*stream, uploadFolder, SafeUploadFileName(PercentDecode(FieldText(header, "X-File-Name"), false)),
                      FieldText(header, "X-KXFieldName"), contentType);
    } else if (SameText(media, "application/x-www-form-urlencoded")) {
      DecodeFormFields(body.Text(), f.QueryFields, maxFields);
    }
  }
  f.Files = uploads.Files();
  return f;
}

}  // namespace kx
