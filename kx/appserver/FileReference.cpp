#include "kx/appserver/FileReference.h"

#include <filesystem>
#include <system_error>

#include "kx/foundation/Paths.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

std::string WithSlashes(std::string text) {
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}

std::string WithBackslashes(std::string text) {
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  return text;
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// A path from the root, or one with a drive letter as a stored Windows name may have ("C:/...").
bool IsAbsoluteName(const std::string& path) {
  return StartsStr("/", path) || (path.size() >= 2 && path[1] == ':');
}

}  // namespace

void TKXFileReference::Changed() {
  if (OnChange) OnChange(this);
}

void TKXFileReference::SetFilename(const std::string& value) {
  const std::string name = WithBackslashes(Trim(value));
  if (name == FFilename) return;
  FFilename = name;
  if (!FFilename.empty()) FURL.clear();
  Changed();
}

void TKXFileReference::SetURL(const std::string& value) {
  const std::string url = WithSlashes(Trim(value));
  if (url == FURL) return;
  FURL = url;
  if (!FURL.empty()) FFilename.clear();
  Changed();
}

void TKXFileReference::AssignTo(TPersistent* dest) const {
  if (auto* reference = Supports<TKXFileReference>(dest)) {
    reference->FFilename = FFilename;
    reference->FURL = FURL;
    reference->Changed();
    return;
  }
  TPersistent::AssignTo(dest);
}

std::string TKXFileReference::GetFileName() const {
  if (!FFilename.empty()) return TURL::ExtractFileName(WithSlashes(FFilename));
  return TURL::ExtractFileName(FURL);
}

std::string TKXFileReference::Location(const std::string& base, const std::string* contentPath) const {
  if (Empty()) return std::string();
  const std::string urlBase = Trim(base);
  return FFilename.empty() ? UrlLocation(urlBase, contentPath) : FileLocation(urlBase, contentPath);
}

std::string TKXFileReference::FileLocation(const std::string& base, const std::string* contentPath) const {
  const std::string fileName = WithSlashes(FFilename);
  std::string path = fileName;
  if (contentPath != nullptr) {
    const std::string content = WithSlashes(*contentPath);
    if (IsAbsoluteName(fileName)) {
      const std::size_t at = UpperCase(fileName).find(UpperCase(content));
      if (!content.empty() && at != std::string::npos) {
        path = fileName.substr(at + content.size());
      } else {
        path = TFilePath::FindRelativePath(content, fileName);
      }
    }
    if (path.empty() || !IsFile(TFilePath::Concat(content, path))) path = fileName;
  }
  return TURL::MakeValidFileUrl(base, path);
}

std::string TKXFileReference::UrlLocation(const std::string& base, const std::string* contentPath) const {
  if (TURL::IsAbsolute(FURL)) return FURL;
  if (contentPath == nullptr) return std::string();
  const std::string content = WithSlashes(*contentPath);
  if (IsFile(TFilePath::Concat(content, FURL))) return TURL::MakeValidFileUrl(base, FURL);
  const std::string name = TURL::ExtractFileName(FURL);
  if (IsFile(TFilePath::Concat(content, name))) return TURL::MakeValidFileUrl(base, name);
  if (IsFile(TFilePath::Concat(TFilePath::Concat(content, "Files"), name))) {
    return TURL::MakeValidFileUrl(TURL::Concat(base, "Files/"), name);
  }
  return TURL::MakeValidFileUrl(base, FURL);
}

std::string TKXFileReference::QualifiedPath(const std::string& contentPath) const {
  if (FFilename.empty()) return std::string();
  const std::string fileName = WithSlashes(FFilename);
  const std::size_t at = LowerCase(fileName).find("files/");
  const std::string rest = at != std::string::npos ? fileName.substr(at + 6) : TURL::ExtractFileName(fileName);
  return TFilePath::Concat(TFilePath::Concat(WithSlashes(contentPath), "Files"), rest);
}

}  // namespace kx
