// The framework's table from file extension to MIME type, with the mark that
// says whether files of the extension are static (served from disk without a
// session). Extensions are given with their leading dot and match ignoring case.
#pragma once

#include <string>
#include <string_view>

namespace kx {

enum TMimeType : int {
  mtUnknown,
  mtBinary,
  mtJPG,
  mtGIF,
  mtPNG,
  mtRSS,
  mtXML,
  mtTXT,
  mtICO,
  mtHTML,
  mtJavaScript,
  mtPDF,
  mtZIP,
  mtCSS,
  mtMP3,
  mtOGG,
  mtWAV,
  mtEXE,
  mtFlash,
  mtWMV,
  mtMOV,
  mtAVI,
  mtMPEG,
  mtXSL,
  mtGZIP
};

// One row of the table.
struct TMime {
  std::string Desc;  // the MIME type text
  bool IsStatic = false;
};

// The MIME texts the table is built from.
inline constexpr std::string_view MIME_JPG = "image/jpeg";
inline constexpr std::string_view MIME_GIF = "image/gif";
inline constexpr std::string_view MIME_PNG = "image/png";
inline constexpr std::string_view MIME_RSS = "application/rss+xml; charset=UTF-8";
inline constexpr std::string_view MIME_XML = "text/xml; charset=UTF-8";
inline constexpr std::string_view MIME_XSL = "text/xsl; charset=UTF-8";
inline constexpr std::string_view MIME_TXT = "text/plain; charset=UTF-8";
inline constexpr std::string_view MIME_ICO = "image/x-ico";
inline constexpr std::string_view MIME_JavaScript = "application/x-javascript; charset=UTF-8";
inline constexpr std::string_view MIME_PDF = "application/pdf";
inline constexpr std::string_view MIME_ZIP = "application/zip";
inline constexpr std::string_view MIME_CSS = "text/css; charset=UTF-8";
inline constexpr std::string_view MIME_MP3 = "audio/mpeg";
inline constexpr std::string_view MIME_OGG = "audio/ogg";
inline constexpr std::string_view MIME_WAV = "audio/wav";
inline constexpr std::string_view MIME_Flash = "application/x-shockwave-flash";
inline constexpr std::string_view MIME_WMV = "video/x-ms-wmv";
inline constexpr std::string_view MIME_MOV = "video/quicktime";
inline constexpr std::string_view MIME_AVI = "video/x-msvideo";
inline constexpr std::string_view MIME_MPEG = "video/mpeg";
inline constexpr std::string_view MIME_Binary = "application/octet-stream";
inline constexpr std::string_view MIME_HTML = "text/html; charset=UTF-8";
inline constexpr std::string_view MIME_GZIP = "application/x-gzip";

// Class-level only. The table holds the built-in rows from first use on; Init
// restores them, Finalize empties the table. Reads and changes are guarded by a
// reader/writer lock, though changes are meant for start-up.
class TKXMimeTypes {
 public:
  TKXMimeTypes() = delete;

  static void Init();
  static void Finalize();

  // Replaces the row of ext, or adds one. Raises Exception when ext does not
  // start with "." (an empty extension is never listed).
  static void RegisterType(std::string_view ext, std::string_view mimeType, bool isStatic);
  // Removes the row of ext; an absent extension is ignored.
  static void UnregisterType(std::string_view ext);

  // The row's type; for an unlisted extension the system's MIME file (see
  // SetFallbackFile), else "application/octet-stream".
  static std::string GetAsString(std::string_view ext);
  // mtUnknown gives ""; mtBinary and mtEXE give MIME_Binary.
  static std::string GetAsString(TMimeType mimeType);

  // The static mark of the row of the path's extension (from the last "." after
  // the last "/"); false for "", "/", a name without extension or an unlisted one.
  static bool IsStaticFile(std::string_view path);
  // As above; mimeType is set to "" and, when the result is true, to the row's type.
  static bool IsStaticFile(std::string_view path, std::string& mimeType);
  // A fixed list independent of the table: .JPG, .PNG, .GIF, .JPEG, .JPE.
  static bool IsImageFile(std::string_view fileName);

  // The file in mime.types format ("type ext ext ...", "#" comments) that types
  // unlisted extensions; default "/etc/mime.types", "" for none. It is read once,
  // at the first look-up after it was set; a missing file types nothing.
  static std::string FallbackFile();
  static void SetFallbackFile(std::string fileName);
};

}  // namespace kx
