#include "kx/platform/ImageList.h"

namespace kx {

namespace {

bool ValidSide(int value) { return value >= 1 && value <= 256; }

[[noreturn]] void InvalidImageSize() { throw EInvalidOperation("Invalid image size"); }

}  // namespace

TImageList::TImageList(int width, int height) : mWidth(width), mHeight(height) {
  if (!ValidSide(width) || !ValidSide(height)) InvalidImageSize();
}

void TImageList::SetWidth(int value) {
  if (!ValidSide(value)) InvalidImageSize();
  if (value == mWidth) return;
  mWidth = value;
  Clear();
}

void TImageList::SetHeight(int value) {
  if (!ValidSide(value)) InvalidImageSize();
  if (value == mHeight) return;
  mHeight = value;
  Clear();
}

int TImageList::Add(const TBitmap& image, const TBitmap* mask) {
  if (image.Width() < mWidth || image.Height() != mHeight) InvalidImageSize();
  if (mask && (mask->Width() != image.Width() || mask->Height() != image.Height())) InvalidImageSize();
  int first = Count();
  for (int left = 0; left + mWidth <= image.Width(); left += mWidth) {
    auto piece = std::make_unique<TBitmap>();
    piece->SetSize(mWidth, mHeight);
    bool transparent = image.Transparent();
    for (int y = 0; y < mHeight; ++y) {
      for (int x = 0; x < mWidth; ++x) {
        TRGBA pixel = image.Pixel(left + x, y);
        if (!image.Transparent()) pixel.A = 255;
        if (mask) {
          TRGBA m = mask->Pixel(left + x, y);
          if (m.R || m.G || m.B) pixel.A = 0, transparent = true;
        }
        piece->SetPixel(x, y, pixel);
      }
    }
    piece->SetTransparent(transparent);
    mImages.push_back(std::move(piece));
  }
  Changed();
  return first;
}

bool TImageList::GetBitmap(int index, TBitmap& image) const {
  if (index < 0 || index >= Count()) return false;
  image.Assign(mImages[std::size_t(index)].get());
  return true;
}

void TImageList::Delete(int index) {
  if (index < 0 || index >= Count()) throw EListError("Invalid image list index");
  mImages.erase(mImages.begin() + index);
  Changed();
}

void TImageList::Clear() {
  if (mImages.empty()) return;
  mImages.clear();
  Changed();
}

void TImageList::Assign(const TPersistent* source) {
  const TImageList* list = dynamic_cast<const TImageList*>(source);
  if (!list) {
    TPersistent::Assign(source);
    return;
  }
  if (list == this) return;
  mWidth = list->mWidth;
  mHeight = list->mHeight;
  mImages.clear();
  for (const auto& image : list->mImages) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(image.get());
    mImages.push_back(std::move(copy));
  }
  Changed();
}

void TImageList::Changed() {
  if (OnChange) OnChange(this);
}

}  // namespace kx
