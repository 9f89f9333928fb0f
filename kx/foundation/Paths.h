// File paths and URL paths: joining, splitting, the session id inside a URL,
// percent-encoding, and the mapping of a URL path to a file under a root folder
// that no URL can leave. File paths use "/"; "\" in input is taken for "/".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kx {

class TFilePath {
 public:
  TFilePath() = delete;

  // a + "/" + b with exactly one "/" at the joint, after every "\" in b became
  // "/"; when either is empty, the other.
  static std::string Concat(const std::string& a, const std::string& b);
  static std::string MakeValidFileName(const std::string& folder, const std::string& name);
  static bool IsAbsolute(const std::string& path);  // starts with "/"
  // The extension with its dot, or empty. A leading dot of the file name
  // (".profile") does not start an extension.
  static std::string GetExtension(const std::string& path);
  static std::string GetFileNameWithoutExtension(const std::string& path);
  // The file name without folder and extension, and the extension.
  static void Split(const std::string& path, std::string& name, std::string& extension);
  // The shortest trailing part of fileName ("c.png", then "b/c.png", ...) that
  // names an existing file under baseFolder, or empty. Parts holding "." or
  // ".." segments are never tried, so the answer stays under baseFolder.
  static std::string FindRelativePath(const std::string& baseFolder, const std::string& fileName);
};

// An http or https address read as a browser reads it (TURL::ReadBrowserAddress), to be written anew: what a page
// names and where a redirect leads are then the same.
struct TBrowserAddress {
  bool Secure = false;  // https
  // The host the browser reaches, as it shows it: percent escapes resolved once, then the IDNA A-label (UTS #46,
  // non-transitional) in lower case; an IPv4 address in any of its forms ("0x7f.1") dotted; IPv6 in brackets.
  std::string Host;
  std::string Port;  // decimal without leading zeros; empty for the scheme's default
  std::string Rest;  // the path (each "\" a "/", "/" when none), the query and the fragment as written

  // scheme://host[:port]rest: a user name and password are left out.
  std::string Href() const;
  // host[:port] as a page names it, the host cut to a DNS name's 253 characters (252 and "…").
  std::string Named() const;
  bool SameOrigin(const TBrowserAddress& other) const {
    return Secure == other.Secure && Host == other.Host && Port == other.Port;
  }
};

class TURL {
 public:
  TURL() = delete;

  // a + "/" + b with exactly one "/" at the joint; when either is empty, the other.
  static std::string Concat(const std::string& a, const std::string& b);
  static std::string ExtractFileName(const std::string& url);  // after the last "/"
  static std::string ExtractPath(const std::string& url);      // up to and including the last "/"
  // The segment right before the first "/$": "/app/ABC123/$/callback" gives
  // "ABC123"; empty without "/$".
  static std::string ExtractSessionId(const std::string& url);
  static bool IsAbsolute(const std::string& url);  // contains "://"
  // url as a browser reads it before anything else: without leading and trailing C0 controls and spaces, and with
  // every ASCII tab and newline taken out. Decide what an address leads to on this text, not on the raw one.
  static std::string BrowserReading(std::string_view url);
  // An http or https address as a browser reads it (see TBrowserAddress); none for an address of another scheme,
  // without one, or whose host or port the browser refuses. After the scheme (any case) and its ":" come any number
  // of "/" and "\"; the authority ends at the first "/", "\", "?" or "#", its last "@" ends a user and password.
  static std::optional<TBrowserAddress> ReadBrowserAddress(std::string_view address);
  // ReadBrowserAddress's host; empty for none.
  static std::string BrowserHost(std::string_view address);
  static std::string IncludeTrailingDelimiter(const std::string& url);
  // Concat(base, path) after every "\" in path became "/".
  static std::string MakeValidFileUrl(const std::string& base, const std::string& path);
  // Ends the URL with "/$" ("/app" and "/app/" both give "/app/$").
  static std::string AddExec(const std::string& url);
  // Removes every "/$"; with addSlash the result ends with "/".
  static std::string RemoveExec(const std::string& url, bool addSlash);
  static std::string RemoveProtocol(const std::string& url);  // drops up to and including "://"
  static void ReplacePathDelimiter(std::string& path);         // every "\" becomes "/"

  // The file that the (decoded) URL path names under root, which is made
  // absolute lexically. Raises "URL contains illegal characters." for a path
  // that holds ":", "\", a NUL or other control character, an empty segment
  // ("//", an absolute path after the leading "/"), or a segment that begins or
  // ends with "." (".", "..", ".hidden", "name."). The result always lies under
  // root: "/img/a.png" under "/srv/site" is "/srv/site/img/a.png". Nothing is
  // decoded here, so "%2e%2e" stays a literal name.
  static std::string UrlPathToFilePath(const std::string& root, const std::string& urlPath);

  // Every byte of s that is in unsafe, below 33 or 127 and above becomes "%" and
  // two upper-case hexadecimal digits, so a character becomes its UTF-8 bytes.
  static std::string Encode(std::string_view s, std::string_view unsafe);
  static std::string PathEncode(std::string_view s);    // unsafe: "#%*+,;<>[\]^`{|}
  static std::string ParamsEncode(std::string_view s);  // the same and "/"
};

}  // namespace kx
