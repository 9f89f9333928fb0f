#include "kx/foundation/Paths.h"

#include <sys/stat.h>

#include <algorithm>
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

std::string TURL::BrowserHost(std::string_view address) {
  const std::string read = BrowserReading(address);
  std::string_view url = read;
  if (StartsText("http://", url))
    url.remove_prefix(7);
  else if (StartsText("https://", url))
    url.remove_prefix(8);
  else
    return {};
  // An http address takes a backslash for a slash and skips any number of them before its host.
  url.remove_prefix(std::min(url.find_first_not_of("/\\"), url.size()));
  std::string_view host = url.substr(0, url.find_first_of("/\\?#"));
  if (const std::size_t at = host.rfind('@'); at != std::string_view::npos) host.remove_prefix(at + 1);
  const std::size_t close = host.starts_with('[') ? host.find(']') : 0;  // an IPv6 address holds ":"
  return LowerCase(host.substr(0, host.find(':', close == std::string_view::npos ? 0 : close)));
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
