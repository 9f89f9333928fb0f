#include "kx/foundation/Paths.h"

#include <arpa/inet.h>
#include <idn2.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "kx/foundation/FileUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

std::string ReplaceBackslashes(std::string s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

// a and b joined with exactly one "/" between them.
std::string JoinWithSlash(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  bool aEnds = a.back() == '/';
  bool bStarts = b.front() == '/';
  if (aEnds && bStarts) return a + b.substr(1);
  if (aEnds || bStarts) return a + b;
  return a + '/' + b;
}

// Start of the file name and position of the extension's dot (npos when none).
void FindNameAndExtension(const std::string& path, std::size_t& nameStart, std::size_t& dot) {
  std::size_t slash = path.rfind('/');
  nameStart = slash == std::string::npos ? 0 : slash + 1;
  dot = path.rfind('.');
  if (dot != std::string::npos && dot <= nameStart) dot = std::string::npos;
}

[[noreturn]] void IllegalUrl() { throw Exception("URL contains illegal characters."); }

// text with each "%" and two hexadecimal digits that byte, as a browser decodes a host: any other "%" stays.
std::string PercentDecoded(std::string_view text) {
  const auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) << 4 | hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The domain's IDNA A-label: UTS #46 non-transitional processing as browsers do it ("faß.de" is "xn--fa-hia.de",
// full-width letters and dots are the ASCII ones), without IDNA2008's round trip, which browsers skip. An ASCII
// domain without an A-label of its own is only lower-cased, as the processing would: libidn2 would also refuse one
// longer than DNS allows, which browsers go to. Empty for a domain the processing refuses.
std::string DomainToAscii(const std::string& domain) {
  const bool ascii = std::none_of(domain.begin(), domain.end(), [](char c) { return (c & 0x80) != 0; });
  std::string lower = LowerCase(domain);
  if (ascii && !lower.starts_with("xn--") && lower.find(".xn--") == std::string::npos) return lower;
  char* converted = nullptr;
  if (idn2_to_ascii_8z(domain.c_str(), &converted, IDN2_NONTRANSITIONAL | IDN2_NFC_INPUT | IDN2_NO_ALABEL_ROUNDTRIP) !=
      IDN2_OK)
    return std::string();
  const std::unique_ptr<char, decltype(&idn2_free)> owned(converted, &idn2_free);
  return converted;
}

// Whether a browser reads domain as an IPv4 address: its last label (a trailing "." aside) is a number, decimal or
// "0x" and hexadecimal.
bool EndsInNumber(std::string_view domain) {
  if (domain.ends_with('.')) domain.remove_suffix(1);
  std::string_view last = domain.substr(domain.rfind('.') + 1);
  if (last.empty()) return false;
  if (last.find_first_not_of("0123456789") == std::string_view::npos) return true;
  return (last.starts_with("0x") || last.starts_with("0X")) &&
         last.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string_view::npos;
}

// The host of an address as a browser reaches and shows it (TBrowserAddress::Host); empty for one it refuses.
std::string BrowserHostName(std::string_view host) {
  char text[INET6_ADDRSTRLEN] = {};
  if (host.starts_with('[')) {
    in6_addr v6{};
    if (!host.ends_with(']') || inet_pton(AF_INET6, std::string(host.substr(1, host.size() - 2)).c_str(), &v6) != 1)
      return std::string();
    return "[" + std::string(inet_ntop(AF_INET6, &v6, text, sizeof text)) + "]";
  }
  const std::string decoded = PercentDecoded(host);
  if (decoded.find('\0') != std::string::npos) return std::string();
  std::string domain = DomainToAscii(decoded);
  // What the URL standard forbids in a domain: a browser refuses the address.
  const bool forbidden = std::any_of(domain.begin(), domain.end(), [](char c) {
    return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F ||
           std::string_view("#%/:<>?@[\\]^|").find(c) != std::string_view::npos;
  });
  if (domain.empty() || forbidden) return std::string();
  if (!EndsInNumber(domain)) return domain;
  // "0x7f.1", "2130706433" and "127.0.0.1." are all 127.0.0.1: inet_aton reads the forms browsers read.
  if (domain.ends_with('.')) domain.pop_back();
  in_addr v4{};
  if (inet_aton(domain.c_str(), &v4) == 0) return std::string();
  return inet_ntop(AF_INET, &v4, text, sizeof text);
}

// The port after a host's ":" into address: decimal digits up to 65535, leading zeros dropped, the scheme's default
// none. False for anything else, which a browser refuses.
bool ReadPort(std::string_view digits, TBrowserAddress& address) {
  if (digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos)
    digits = digits.empty() ? digits : "0";
  else
    digits.remove_prefix(first);
  if (digits.size() > 5 || (digits.size() == 5 && digits > "65535")) return false;
  address.Port = digits == (address.Secure ? "443" : "80") ? std::string() : std::string(digits);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// TFilePath

std::string TFilePath::Concat(const std::string& a, const std::string& b) {
  return JoinWithSlash(a, ReplaceBackslashes(b));
}

std::string TFilePath::MakeValidFileName(const std::string& folder, const std::string& name) {
  return Concat(folder, name);
}

bool TFilePath::IsAbsolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string TFilePath::GetExtension(const std::string& path) {
  std::size_t nameStart, dot;
  FindNameAndExtension(path, nameStart, dot);
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string TFilePath::GetFileNameWithoutExtension(const std::string& path) {
  std::size_t nameStart, dot;
  FindNameAndExtension(path, nameStart, dot);
  return path.substr(nameStart, dot == std::string::npos ? std::string::npos : dot - nameStart);
}

void TFilePath::Split(const std::string& path, std::string& name, std::string& extension) {
  name = GetFileNameWithoutExtension(path);
  extension = GetExtension(path);
}

std::string TFilePath::FindRelativePath(const std::string& baseFolder, const std::string& fileName) {
  std::vector<std::string> segments;
  std::size_t pos = 0;
  while (pos <= fileName.size()) {
    std::size_t slash = fileName.find('/', pos);
    if (slash == std::string::npos) slash = fileName.size();
    if (slash > pos) segments.push_back(fileName.substr(pos, slash - pos));
    pos = slash + 1;
  }
  std::string trailing;
  for (std::size_t i = segments.size(); i-- > 0;) {
    if (segments[i] == "." || segments[i] == "..") break;
    trailing = trailing.empty() ? segments[i] : segments[i] + '/' + trailing;
    struct stat st {};
    if (::stat(Concat(baseFolder, trailing).c_str(), &st) == 0 && S_ISREG(st.st_mode)) return trailing;
  }
  return {};
}

// ---------------------------------------------------------------------------
// TURL

std::string TURL::Concat(const std::string& a, const std::string& b) { return JoinWithSlash(a, b); }

std::string TURL::ExtractFileName(const std::string& url) {
  std::size_t slash = url.rfind('/');
  return slash == std::string::npos ? url : url.substr(slash + 1);
}

std::string TURL::ExtractPath(const std::string& url) {
  std::size_t slash = url.rfind('/');
  return slash == std::string::npos ? std::string() : url.substr(0, slash + 1);
}

std::string TURL::ExtractSessionId(const std::string& url) {
  std::size_t exec = url.find("/$");
  if (exec == std::string::npos || exec == 0) return {};
  std::size_t previous = url.rfind('/', exec - 1);
  std::size_t start = previous == std::string::npos ? 0 : previous + 1;
  return url.substr(start, exec - start);
}

bool TURL::IsAbsolute(const std::string& url) { return url.find("://") != std::string::npos; }

std::string TURL::BrowserReading(std::string_view url) {
  const auto isC0OrSpace = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (!url.empty() && isC0OrSpace(url.front())) url.remove_prefix(1);
  while (!url.empty() && isC0OrSpace(url.back())) url.remove_suffix(1);
  std::string text;
  text.reserve(url.size());
  for (char c : url)
    if (c != '\t' && c != '\n' && c != '\r') text += c;
  return text;
}

std::optional<TBrowserAddress> TURL::ReadBrowserAddress(std::string_view address) {
  const std::string read = BrowserReading(address);
  std::string_view url = read;
  TBrowserAddress result;
  if (StartsText("https:", url)) {
    result.Secure = true;
    url.remove_prefix(6);
  } else if (StartsText("http:", url)) {
    url.remove_prefix(5);
  } else {
    return std::nullopt;
  }
  url.remove_prefix(std::min(url.find_first_not_of("/\\"), url.size()));
  const std::size_t authorityEnd = std::min(url.find_first_of("/\\?#"), url.size());
  std::string_view authority = url.substr(0, authorityEnd);
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  const std::size_t close = authority.starts_with('[') ? authority.find(']') : 0;  // an IPv6 address holds ":"
  if (close == std::string_view::npos) return std::nullopt;
  const std::size_t colon = std::min(authority.find(':', close), authority.size());
  result.Host = BrowserHostName(authority.substr(0, colon));
  const std::string_view port = authority.substr(std::min(colon + 1, authority.size()));
  if (result.Host.empty() || !ReadPort(port, result)) return std::nullopt;
  std::string_view rest = url.substr(authorityEnd);
  const std::size_t pathEnd = std::min(rest.find_first_of("?#"), rest.size());
  result.Rest = ReplaceBackslashes(std::string(rest.substr(0, pathEnd)));
  if (result.Rest.empty()) result.Rest = "/";
  result.Rest += rest.substr(pathEnd);
  return result;
}

std::string TURL::BrowserHost(std::string_view address) {
  const std::optional<TBrowserAddress> read = ReadBrowserAddress(address);
  return read ? read->Host : std::string();
}

std::string TBrowserAddress::Href() const {
  return (Secure ? "https://" : "http://") + Host + (Port.empty() ? "" : ":" + Port) + Rest;
}

std::string TBrowserAddress::Named() const {
  constexpr std::size_t kLongestName = 253;  // a DNS name's length
  std::string named = Host.size() > kLongestName ? Host.substr(0, kLongestName - 1) + "\u2026" : Host;
  return Port.empty() ? named : named + ":" + Port;
}

std::string TURL::IncludeTrailingDelimiter(const std::string& url) {
  return !url.empty() && url.back() == '/' ? url : url + '/';
}

std::string TURL::MakeValidFileUrl(const std::string& base, const std::string& path) {
  return Concat(base, ReplaceBackslashes(path));
}

std::string TURL::AddExec(const std::string& url) {
  if (EndsStr("/$", url)) return url;
  return IncludeTrailingDelimiter(url) + '$';
}

std::string TURL::RemoveExec(const std::string& url, bool addSlash) {
  std::string result;
  result.reserve(url.size());
  for (std::size_t i = 0; i < url.size(); ++i) {
    if (url[i] == '/' && i + 1 < url.size() && url[i + 1] == '$') {
      ++i;
      continue;
    }
    result += url[i];
  }
  return addSlash ? IncludeTrailingDelimiter(result) : result;
}

std::string TURL::RemoveProtocol(const std::string& url) {
  std::size_t protocol = url.find("://");
  return protocol == std::string::npos ? url : url.substr(protocol + 3);
}

void TURL::ReplacePathDelimiter(std::string& path) { path = ReplaceBackslashes(std::move(path)); }

std::string TURL::UrlPathToFilePath(const std::string& root, const std::string& urlPath) {
  std::string_view path = urlPath;
  if (!path.empty() && path.front() == '/') path.remove_prefix(1);
  for (char c : path) {
    auto byte = static_cast<unsigned char>(c);
    if (c == ':' || c == '\\' || byte < 0x20 || byte == 0x7F) IllegalUrl();
  }
  // Checked segment by segment before anything is joined, so no ".." or hidden
  // name can take part in the expansion below.
  std::size_t pos = 0;
  for (;;) {
    std::size_t slash = path.find('/', pos);
    std::string_view segment = path.substr(pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
    if (segment.empty()) {
      if (slash != std::string_view::npos) IllegalUrl();  // "//", or an absolute path
    } else if (segment.front() == '.' || segment.back() == '.') {
      IllegalUrl();
    }
    if (slash == std::string_view::npos) break;
    pos = slash + 1;
  }

  std::string base = ExpandFileName(root.empty() ? "." : root);
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string baseWithSlash = IncludeTrailingPathDelim(base);
  std::string result = ExpandFileName(baseWithSlash + std::string(path));
  if (result != base && !StartsStr(baseWithSlash, result)) IllegalUrl();
  return result;
}

std::string TURL::Encode(std::string_view s, std::string_view unsafe) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(s.size());
  for (char c : s) {
    auto byte = static_cast<unsigned char>(c);
    // DEL (127) is encoded too: it is a control character, never valid in a URL.
    if (byte < 33 || byte >= 127 || unsafe.find(c) != std::string_view::npos) {
      result += '%';
      result += kHex[byte >> 4];
      result += kHex[byte & 0x0F];
    } else {
      result += c;
    }
  }
  return result;
}

std::string TURL::PathEncode(std::string_view s) { return Encode(s, "\"#%*+,;<>[]\\^`{}|"); }

std::string TURL::ParamsEncode(std::string_view s) { return Encode(s, "\"#%*+,;<>[]\\^`{}|/"); }

}  // namespace kx
