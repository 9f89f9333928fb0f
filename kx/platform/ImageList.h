// TImageList: a list of images of one size, added from bitmaps and handed out as
// bitmaps (menus and image-list controls draw from it).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "kx/platform/Graphics.h"

namespace kx {

class TImageList : public TPersistent {
 public:
  // Images of 16 x 16 pixels.
  TImageList() = default;
  // A size outside 1..256 raises EInvalidOperation "Invalid image size".
  TImageList(int width, int height);
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  int Width() const { return mWidth; }
  // Changing the size empties the list; a size outside 1..256 raises EInvalidOperation "Invalid image size".
  void SetWidth(int value);
  int Height() const { return mHeight; }
  void SetHeight(int value);

  int Count() const { return static_cast<int>(mImages.size()); }

  // Adds image, cut from the left into as many images of Width as it holds; where
  // mask (same size) is not black, the image is transparent. Returns the index of
  // the first image added. An image narrower than Width or not of Height raises
  // EInvalidOperation "Invalid image size", as does a mask of another size.
  int Add(const TBitmap& image, const TBitmap* mask = nullptr);
  // Copies image index into image (its transparency included); false, and image
  // untouched, for an index outside the list.
  bool GetBitmap(int index, TBitmap& image) const;
  // An index outside the list raises EListError "Invalid image list index".
  void Delete(int index);
  void Clear();

  // From another image list: its size and images.
  void Assign(const TPersistent* source) override;

  std::function<void(TObject* sender)> OnChange;

 private:
  void Changed();

  int mWidth = 16;
  int mHeight = 16;
  std::vector<std::unique_ptr<TBitmap>> mImages;
};

}  // namespace kx
