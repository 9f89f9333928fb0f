#include "kx/appserver/ImageOutput.h"

namespace kx {

namespace {

// A new Target taking a bitmap of the icon's size with the icon drawn on it at 0,0.
template <class Target>
std::unique_ptr<Target> FromIconBitmap(const TIcon& icon) {
  TBitmap bitmap;
  bitmap.SetSize(icon.Width(), icon.Height());
  bitmap.Draw(0, 0, icon);
  auto target = std::make_unique<Target>();
  target->Assign(&bitmap);
  return target;
}

// Marks target transparent when a transparent colour is given, with that colour
// (system colours resolved) as its transparent colour.
void ApplyTransparentColor(TGraphic& target, TKXColor transparentColor) {
  bool transparent = transparentColor != clNone;
  target.SetTransparent(transparent);
  if (transparent) target.SetTransparentColor(ColorToRGB(transparentColor));
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXJpegOptions

TKXJpegOptions::TKXJpegOptions(std::uint8_t compressionQuality, TJPEGPerformance performance,
                               bool progressiveEncoding, bool smoothing)
    : FCompressionQuality(compressionQuality),
      FPerformance(performance),
      FProgressiveEncoding(progressiveEncoding),
      FSmoothing(smoothing) {}

void TKXJpegOptions::AssignTo(TPersistent* dest) const {
  if (TKXJpegOptions* options = dynamic_cast<TKXJpegOptions*>(dest)) {
    options->FCompressionQuality = FCompressionQuality;
    options->FPerformance = FPerformance;
    options->FProgressiveEncoding = FProgressiveEncoding;
    options->FSmoothing = FSmoothing;
  } else if (TJPEGImage* jpeg = dynamic_cast<TJPEGImage*>(dest)) {
    jpeg->SetCompressionQuality(FCompressionQuality);
    jpeg->SetPerformance(FPerformance);
    jpeg->SetProgressiveEncoding(FProgressiveEncoding);
    jpeg->SetSmoothing(FSmoothing);
  } else {
    TPersistent::AssignTo(dest);
  }
}

// ---------------------------------------------------------------------------
// Output

TKXImageOutput GetImageType(const TGraphic& graphic, bool forcePNG) {
  if (forcePNG) return ioPNG;
  if (dynamic_cast<const TGIFImage*>(&graphic)) return ioGIF;
  if (dynamic_cast<const TJPEGImage*>(&graphic)) return ioJPEG;
  return ioPNG;
}

void GraphicToStream(const TGraphic& graphic, TStream& stream, TKXImageOutput output) {
  switch (output) {
    case ioJPEG:
      ToJpegStream(graphic, stream, nullptr);
      break;
    case ioGIF:
      ToGifStream(graphic, stream, clNone);
      break;
    case ioPNG:
      ToPngStream(graphic, stream, clNone);
      break;
  }
}

void ToGifStream(const TGraphic& graphic, TStream& stream, TKXColor transparentColor) {
  if (dynamic_cast<const TGIFImage*>(&graphic)) {
    graphic.SaveToStream(stream);
    return;
  }
  TGIFImage gif;
  gif.Assign(&graphic);
  ApplyTransparentColor(gif, transparentColor);
  gif.Pack();
  gif.SaveToStream(stream);
}

void ToPngStream(const TGraphic& graphic, TStream& stream, TKXColor transparentColor) {
  if (dynamic_cast<const TPngImage*>(&graphic)) {
    graphic.SaveToStream(stream);
    return;
  }
  std::unique_ptr<TPngImage> png;
  if (const TJPEGImage* jpeg = dynamic_cast<const TJPEGImage*>(&graphic)) {
    png = JpegToPng(*jpeg);
  } else if (const TIcon* icon = dynamic_cast<const TIcon*>(&graphic)) {
    png = IcoToPng(*icon);
  } else {
    png = std::make_unique<TPngImage>();
    png->Assign(&graphic);
  }
  ApplyTransparentColor(*png, transparentColor);
  png->SaveToStream(stream);
}

void ToJpegStream(const TGraphic& graphic, TStream& stream, const TKXJpegOptions* options) {
  std::unique_ptr<TJPEGImage> jpeg;
  if (const TPngImage* png = dynamic_cast<const TPngImage*>(&graphic)) {
    jpeg = PngToJpeg(*png);
  } else if (const TIcon* icon = dynamic_cast<const TIcon*>(&graphic)) {
    jpeg = IcoToJpeg(*icon);
  } else {
    jpeg = std::make_unique<TJPEGImage>();
    jpeg->Assign(&graphic);
  }
  if (options) jpeg->Assign(options);
  jpeg->Compress();
  jpeg->SaveToStream(stream);
}

std::unique_ptr<TPngImage> JpegToPng(const TJPEGImage& jpeg) {
  TBitmap bitmap;
  bitmap.Assign(&jpeg);
  auto png = std::make_unique<TPngImage>();
  png->Assign(&bitmap);
  return png;
}

std::unique_ptr<TJPEGImage> PngToJpeg(const TPngImage& png) {
  TBitmap bitmap;
  bitmap.Assign(&png);
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->Assign(&bitmap);
  return jpeg;
}

std::unique_ptr<TPngImage> IcoToPng(const TIcon& icon) { return FromIconBitmap<TPngImage>(icon); }

std::unique_ptr<TJPEGImage> IcoToJpeg(const TIcon& icon) { return FromIconBitmap<TJPEGImage>(icon); }

}  // namespace kx
