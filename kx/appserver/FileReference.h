// TKXFileReference: a property value that points at a file served to the
// browser, given either as a file name on the server or as a URL, and turned
// into the location written into the page by looking the file up under a
// content path the caller gives (the server controller's). The controller owns
// one (its StyleSheet), so it lives in this layer; forms and controls own the
// others and ask their session for the location (TKXControlSession::FileLocation).
#pragma once

#include <string>

#include "kx/platform/Classes.h"
#include "kx/platform/Components.h"

namespace kx {

class TKXFileReference : public TPersistent {
 public:
  TKXFileReference() = default;
  TKXFileReference(const TKXFileReference&) = delete;
  TKXFileReference& operator=(const TKXFileReference&) = delete;

  // Both Filename and URL are empty.
  bool Empty() const { return FFilename.empty() && FURL.empty(); }
  // Stored trimmed with every "/" written "\". A change fires OnChange; a
  // non-empty file name clears URL.
  const std::string& Filename() const { return FFilename; }
  void SetFilename(const std::string& value);
  // Stored trimmed with every "\" written "/". A change fires OnChange; a
  // non-empty URL clears Filename.
  const std::string& URL() const { return FURL; }
  void SetURL(const std::string& value);

  // Set by the owner.
  TNotifyEvent OnChange;

  // The bare file name of Filename, else the part of URL after its last "/".
  std::string GetFileName() const;
  // The location for the page: empty when Empty. base is the URL base, trimmed;
  // contentPath is where the files lie, null standing for "no server controller".
  std::string Location(const std::string& base, const std::string* contentPath) const;
  // The file under the content path's "Files/" folder: the part of Filename
  // after its first "files\" (any case), or its bare file name.
  std::string QualifiedPath(const std::string& contentPath) const;

 protected:
  // To another file reference: copies Filename and URL and fires its OnChange.
  void AssignTo(TPersistent* dest) const override;

 private:
  std::string FileLocation(const std::string& base, const std::string* contentPath) const;
  std::string UrlLocation(const std::string& base, const std::string* contentPath) const;
  void Changed();

  std::string FFilename;
  std::string FURL;
};

}  // namespace kx
