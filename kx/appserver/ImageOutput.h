// Image output: turns any graphic (bitmap, icon, PNG, JPEG, GIF) into the bytes of
// one of the three web formats, chooses that format, and carries the JPEG settings
// that image controls apply. The codecs are those of platform/Graphics.h.
#pragma once

#include <cstdint>
#include <memory>

#include "kx/foundation/Colors.h"
#include "kx/platform/Graphics.h"

namespace kx {

enum TKXImageOutput { ioJPEG, ioGIF, ioPNG };

class TKXJpegOptions : public TPersistent {
 public:
  TKXJpegOptions() = default;
  TKXJpegOptions(std::uint8_t compressionQuality, TJPEGPerformance performance, bool progressiveEncoding,
                 bool smoothing);

  // Default 90.
  std::uint8_t CompressionQuality() const { return FCompressionQuality; }
  void SetCompressionQuality(std::uint8_t value) { FCompressionQuality = value; }
  // Default jpBestSpeed.
  TJPEGPerformance Performance() const { return FPerformance; }
  void SetPerformance(TJPEGPerformance value) { FPerformance = value; }
  // Default false.
  bool ProgressiveEncoding() const { return FProgressiveEncoding; }
  void SetProgressiveEncoding(bool value) { FProgressiveEncoding = value; }
  // Default true.
  bool Smoothing() const { return FSmoothing; }
  void SetSmoothing(bool value) { FSmoothing = value; }

 protected:
  // Into other options: the four values; into a TJPEGImage: its settings.
  void AssignTo(TPersistent* dest) const override;

 private:
  std::uint8_t FCompressionQuality = 90;
  TJPEGPerformance FPerformance = jpBestSpeed;
  bool FProgressiveEncoding = false;
  bool FSmoothing = true;
};

// ioPNG when forcePNG; else ioGIF for a GIF image, ioJPEG for a JPEG image, ioPNG for the rest.
TKXImageOutput GetImageType(const TGraphic& graphic, bool forcePNG);

// Writes graphic in the output format: JPEG without options, GIF and PNG without a
// transparent colour. Failures raise EInvalidGraphic (an empty graphic, for one).
void GraphicToStream(const TGraphic& graphic, TStream& stream, TKXImageOutput output);

// A GIF image is written unchanged. Anything else is written as a GIF that is
// transparent when transparentColor is not clNone, pixels of that colour included;
// graphic itself is not changed.
void ToGifStream(const TGraphic& graphic, TStream& stream, TKXColor transparentColor);
// A PNG image is written unchanged. Anything else is converted (JPEG through
// JpegToPng, icon through IcoToPng) and written, transparent when transparentColor
// is not clNone, pixels of that colour included.
void ToPngStream(const TGraphic& graphic, TStream& stream, TKXColor transparentColor);
// Any graphic, a JPEG image included, is converted (PNG through PngToJpeg, icon
// through IcoToJpeg), takes options when given, and is compressed and written.
void ToJpegStream(const TGraphic& graphic, TStream& stream, const TKXJpegOptions* options);

// Conversions through an intermediate bitmap.
std::unique_ptr<TPngImage> JpegToPng(const TJPEGImage& jpeg);
std::unique_ptr<TJPEGImage> PngToJpeg(const TPngImage& png);
// The icon drawn at 0,0 on a new bitmap of its size (opaque white), which the result takes.
std::unique_ptr<TPngImage> IcoToPng(const TIcon& icon);
std::unique_ptr<TJPEGImage> IcoToJpeg(const TIcon& icon);

}  // namespace kx
