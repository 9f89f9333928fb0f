// An image list component whose images are written into cache files and
// referenced by URL: an image control shows image N of the list through the
// href ExtractImageToCache returns. Builds on platform/ImageList.h and the
// cache files of appserver/CacheFiles.h.
#pragma once

#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/appserver/CacheFiles.h"
#include "kx/platform/Components.h"
#include "kx/platform/ImageList.h"

namespace kx {

// The images themselves are a TImageList (Images()); the component gives them an
// owner, so a form-lived cache file can belong to the list's form.
class TKXImageList : public TComponent {
  KX_COMPONENT_CLASS(TKXImageList, TComponent)

 public:
  TImageList& Images() { return mImages; }
  const TImageList& Images() const { return mImages; }

  // The owner of the list's cache files: for ctForm the list's owner when that is
  // a form, else the current session with cacheType changed to ctSession; for the
  // other types the current session. nullptr without a current session.
  IKXCacheOwner* GetCacheOwner(TCacheType& cacheType) const;
  // Writes image index as a PNG cache file and returns its href; empty when the
  // list is empty, index is outside it or there is no current session.
  std::string ExtractImageToCache(int index, TCacheType cacheType) const;

 private:
  TImageList mImages;
};

// The family's registration (the image list), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& ImageListFamily();

}  // namespace kx
