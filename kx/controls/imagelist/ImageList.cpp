#include "kx/controls/imagelist/ImageList.h"

#include "kx/appserver/Application.h"
#include "kx/forms/Forms.h"
#include "kx/platform/Graphics.h"

namespace kx {

IKXCacheOwner* TKXImageList::GetCacheOwner(TCacheType& cacheType) const {
  if (cacheType == ctForm) {
    if (auto* form = Supports<TKXForm>(Owner())) return form;
    cacheType = ctSession;
  }
  return TKXControlSession::Current().Application();
}

std::string TKXImageList::ExtractImageToCache(int index, TCacheType cacheType) const {
  if (index < 0 || index >= mImages.Count()) return {};
  IKXCacheOwner* owner = GetCacheOwner(cacheType);
  if (owner == nullptr) return {};
  TBitmap image;
  if (!mImages.GetBitmap(index, image)) return {};
  return TKXAppCache::GraphicToCacheFile(owner, image, cacheType, /*ForcePNG=*/true);
}

// ---------------------------------------------------------------------------

const TKXControlFamily& ImageListFamily() {
  static const TKXControlFamily family{.Name = "imagelist"};
  return family;
}

}  // namespace kx
