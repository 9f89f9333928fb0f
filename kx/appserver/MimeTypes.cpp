#include "kx/appserver/MimeTypes.h"

#include <fstream>
#include <map>
#include <mutex>
#include <shared_mutex>

#include "kx/foundation/RuntimeSlots.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

struct TextLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return CompareText(a, b) < 0; }
};

using TMimeTable = std::map<std::string, TMime, TextLess>;

struct TBuiltInRow {
  std::string_view Ext;
  std::string_view Desc;
  bool IsStatic;
};

constexpr TBuiltInRow kBuiltInRows[] = {
    {".JS", MIME_JavaScript, true}, {".CSS", MIME_CSS, true},   {".PNG", MIME_PNG, true},
    {".JPG", MIME_JPG, true},       {".JPEG", MIME_JPG, true},  {".JPE", MIME_JPG, true},
    {".GIF", MIME_GIF, true},       {".WAV", MIME_WAV, true},   {".OGG", MIME_OGG, true},
    {".MP3", MIME_MP3, true},       {".WMV", MIME_WMV, true},   {".MOV", MIME_MOV, true},
    {".AVI", MIME_AVI, true},       {".MPG", MIME_MPEG, true},  {".MPEG", MIME_MPEG, true},
    {".SWF", MIME_Flash, true},     {".ZIP", MIME_ZIP, true},   {".PDF", MIME_PDF, true},
    {".XML", MIME_XML, true},       {".ICO", MIME_ICO, true},   {".TXT", MIME_TXT, true},
    {".RSS", MIME_RSS, true},       {".GZ", MIME_GZIP, true},   {".GZIP", MIME_GZIP, true},
    {".HTML", MIME_HTML, false},    {".HTM", MIME_HTML, false}, {".EXE", MIME_Binary, false},
    {".TMP", MIME_Binary, false},
};

TMimeTable BuiltInTable() {
  TMimeTable table;
  for (const TBuiltInRow& row : kBuiltInRows) table.emplace(row.Ext, TMime{std::string(row.Desc), row.IsStatic});
  return table;
}

struct TMimeState {
  std::shared_mutex Lock;
  TMimeTable Table = BuiltInTable();
};

TMimeState& State() { return TKXRuntimeSlots::Required().Slot<TMimeState>(); }

// Stands in for the Windows registry's per-extension "Content Type": a
// mime.types file, keyed by extension without its dot.
struct TFallback {
  std::mutex Lock;
  std::string FileName = "/etc/mime.types";
  bool Loaded = false;
  std::map<std::string, std::string, TextLess> Types;

  void Load() {
    Types.clear();
    Loaded = true;
    if (FileName.empty()) return;
    std::ifstream in(FileName);
    std::string line;
    while (std::getline(in, line)) {
      if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
      std::size_t pos = 0;
      auto next = [&]() -> std::string_view {
        const std::size_t start = line.find_first_not_of(" \t\r", pos);
        if (start == std::string::npos) return {};
        pos = line.find_first_of(" \t\r", start);
        if (pos == std::string::npos) pos = line.size();
        return std::string_view(line).substr(start, pos - start);
      };
      const std::string_view type = next();
      for (std::string_view ext = next(); !ext.empty(); ext = next()) Types.emplace(ext, type);  // first line wins
    }
  }
};

TFallback& Fallback() { return TKXRuntimeSlots::Required().Slot<TFallback>(); }

std::string FallbackType(std::string_view ext) {
  if (ext.size() < 2 || ext[0] != '.') return {};
  TFallback& fallback = Fallback();
  std::lock_guard guard(fallback.Lock);
  if (!fallback.Loaded) fallback.Load();
  const auto it = fallback.Types.find(ext.substr(1));
  return it == fallback.Types.end() ? std::string() : it->second;
}

// The extension of a path: from the last "." after the last "/", "" when none.
std::string_view ExtractExt(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return {};
  const std::size_t slash = path.rfind('/');
  if (slash != std::string_view::npos && slash > dot) return {};
  return path.substr(dot);
}

}  // namespace

void TKXMimeTypes::Init() {
  TMimeTable table = BuiltInTable();
  std::unique_lock guard(State().Lock);
  State().Table.swap(table);
}

void TKXMimeTypes::Finalize() {
  std::unique_lock guard(State().Lock);
  State().Table.clear();
}

void TKXMimeTypes::RegisterType(std::string_view ext, std::string_view mimeType, bool isStatic) {
  if (ext.empty() || ext[0] != '.') throw Exception(Format("Invalid file extension \"%s\"", ext));
  std::unique_lock guard(State().Lock);
  TMimeTable& table = State().Table;
  const auto it = table.find(ext);
  if (it != table.end()) {
    it->second = TMime{std::string(mimeType), isStatic};
  } else {
    table.emplace(ext, TMime{std::string(mimeType), isStatic});
  }
}

void TKXMimeTypes::UnregisterType(std::string_view ext) {
  std::unique_lock guard(State().Lock);
  TMimeTable& table = State().Table;
  if (const auto it = table.find(ext); it != table.end()) table.erase(it);
}

std::string TKXMimeTypes::GetAsString(std::string_view ext) {
  {
    std::shared_lock guard(State().Lock);
    const TMimeTable& table = State().Table;
    if (const auto it = table.find(ext); it != table.end()) return it->second.Desc;
  }
  std::string type = FallbackType(ext);
  return type.empty() ? std::string(MIME_Binary) : type;
}

std::string TKXMimeTypes::GetAsString(TMimeType mimeType) {
  switch (mimeType) {
    case mtUnknown: return {};
    case mtBinary:
    case mtEXE: return std::string(MIME_Binary);
    case mtJPG: return std::string(MIME_JPG);
    case mtGIF: return std::string(MIME_GIF);
    case mtPNG: return std::string(MIME_PNG);
    case mtRSS: return std::string(MIME_RSS);
    case mtXML: return std::string(MIME_XML);
    case mtTXT: return std::string(MIME_TXT);
    case mtICO: return std::string(MIME_ICO);
    case mtHTML: return std::string(MIME_HTML);
    case mtJavaScript: return std::string(MIME_JavaScript);
    case mtPDF: return std::string(MIME_PDF);
    case mtZIP: return std::string(MIME_ZIP);
    case mtCSS: return std::string(MIME_CSS);
    case mtMP3: return std::string(MIME_MP3);
    case mtOGG: return std::string(MIME_OGG);
    case mtWAV: return std::string(MIME_WAV);
    case mtFlash: return std::string(MIME_Flash);
    case mtWMV: return std::string(MIME_WMV);
    case mtMOV: return std::string(MIME_MOV);
    case mtAVI: return std::string(MIME_AVI);
    case mtMPEG: return std::string(MIME_MPEG);
    case mtXSL: return std::string(MIME_XSL);
    case mtGZIP: return std::string(MIME_GZIP);
  }
  return {};  // a value outside the enumeration
}

bool TKXMimeTypes::IsStaticFile(std::string_view path) {
  std::string mimeType;
  return IsStaticFile(path, mimeType);
}

bool TKXMimeTypes::IsStaticFile(std::string_view path, std::string& mimeType) {
  mimeType.clear();
  const std::string_view ext = ExtractExt(path);
  if (ext.empty()) return false;
  std::shared_lock guard(State().Lock);
  const TMimeTable& table = State().Table;
  const auto it = table.find(ext);
  if (it == table.end() || !it->second.IsStatic) return false;
  mimeType = it->second.Desc;
  return true;
}

bool TKXMimeTypes::IsImageFile(std::string_view fileName) {
  const std::string_view ext = ExtractExt(fileName);
  for (std::string_view image : {".JPG", ".PNG", ".GIF", ".JPEG", ".JPE"}) {
    if (SameText(ext, image)) return true;
  }
  return false;
}

std::string TKXMimeTypes::FallbackFile() {
  TFallback& fallback = Fallback();
  std::lock_guard guard(fallback.Lock);
  return fallback.FileName;
}

void TKXMimeTypes::SetFallbackFile(std::string fileName) {
  TFallback& fallback = Fallback();
  std::lock_guard guard(fallback.Lock);
  fallback.FileName = std::move(fileName);
  fallback.Loaded = false;
  fallback.Types.clear();
}

}  // namespace kx
