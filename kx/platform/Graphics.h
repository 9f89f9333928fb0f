// The graphics classes behind image output and the image controls: TGraphic, an
// image held as straight (not premultiplied) RGBA pixels, its formats TBitmap
// (BMP), TIcon (ICO), TPngImage (libpng), TJPEGImage (libjpeg) and TGIFImage
// (giflib), and TPicture, which holds one graphic of any format.
// Every format converts to every other through the pixels (Assign).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kx/platform/Classes.h"
#include "kx/platform/Streams.h"

namespace kx {

// Malformed or unsupported image data, an image over the size limit, or an image
// that its format cannot hold.
KX_DECLARE_EXCEPTION(EInvalidGraphic, Exception);

// $00BBGGRR, the same alias as foundation/Colors.h.
using TColor = std::int32_t;

struct TRGBA {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;
  std::uint8_t A = 0;
  friend bool operator==(const TRGBA&, const TRGBA&) = default;
};

class TGraphic : public TPersistent {
 public:
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  bool Empty() const { return mWidth == 0 || mHeight == 0; }

  // Whether output keeps the transparency (the alpha channel and the transparent
  // colour). When false every format writes the pixels as opaque. Loading sets it
  // when the image has a pixel that is not fully opaque. Default false.
  bool Transparent() const { return mTransparent; }
  void SetTransparent(bool value);
  // An RGB value whose pixels count as fully transparent while Transparent is on.
  // A value above $00FFFFFF (clNone, a system colour) names no colour; system
  // colours must be resolved by the caller. Default $1FFFFFFF (none).
  TColor TransparentColor() const { return mTransparentColor; }
  void SetTransparentColor(TColor value);

  // Row after row from the top, Width() * Height() pixels.
  const std::vector<TRGBA>& Pixels() const { return mPixels; }
  // A coordinate outside the image raises EInvalidGraphic.
  TRGBA Pixel(int x, int y) const;

  // LoadFromStream decodes the bytes from the stream's position to its end; on
  // failure (EInvalidGraphic) the graphic is unchanged. A graphic saved without
  // changes since it was loaded writes the bytes it was loaded from.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

  // Takes the pixels and transparency of any graphic (nullptr raises EConvertError).
  void Assign(const TPersistent* source) override;

  // A new, empty graphic of this graphic's class.
  virtual std::unique_ptr<TGraphic> NewOfSameClass() const = 0;

  // Fires after the image changed (loaded, assigned, resized, drawn on, transparency).
  std::function<void(TObject* sender)> OnChange;

  // The largest image, in pixels, that loading or sizing accepts; larger ones raise
  // EInvalidGraphic before any pixel memory is taken. Default 33554432 (32 Mi
  // pixels, 128 MiB of RGBA); no side may exceed 65535 in any case.
  static std::int64_t MaxPixels();
  static void SetMaxPixels(std::int64_t value);

 protected:
  struct TImageData {
    int Width = 0;
    int Height = 0;
    std::vector<TRGBA> Pixels;
  };

  TGraphic() = default;

  // Decodes a whole file of this format; malformed data raises EInvalidGraphic.
  virtual TImageData Decode(std::span<const std::uint8_t> data) const = 0;
  // Encodes the image as a whole file of this format.
  virtual std::vector<std::uint8_t> Encode() const = 0;

  // The pixels as output writes them: alpha 255 unless Transparent; alpha 0 for
  // the transparent colour.
  std::vector<TRGBA> OutputPixels() const;
  // Replaces the image and drops the loaded bytes; fires no event.
  void SetImage(TImageData image);
  std::vector<TRGBA>& MutablePixels() { return mPixels; }
  // Drops the loaded bytes (the pixels changed), then Changed.
  void Modified();
  void Changed();

  // The bytes the image was loaded from, written back unchanged while it is unmodified.
  std::vector<std::uint8_t> mData;

 private:
  int mWidth = 0;
  int mHeight = 0;
  std::vector<TRGBA> mPixels;
  bool mTransparent = false;
  TColor mTransparentColor = 0x1FFFFFFF;
};

// An in-memory raster, saved as a BMP file (24 bits when opaque, 32 bits with an
// alpha mask otherwise). Reads uncompressed and bit-field BMP files of 1 to 32 bits.
class TBitmap : public TGraphic {
 public:
  TBitmap() = default;
  std::unique_ptr<TGraphic> NewOfSameClass() const override;

  // Keeps the pixels that stay inside; new pixels are opaque white, as a fresh
  // canvas is. Sizes over the limit raise EInvalidGraphic.
  void SetSize(int width, int height);
  // A coordinate outside the image raises EInvalidGraphic.
  void SetPixel(int x, int y, TRGBA color);
  // Draws graphic with its top-left corner at x, y, clipped to the bitmap. A
  // transparent graphic is blended over the bitmap's pixels; an opaque one replaces them.
  void Draw(int x, int y, const TGraphic& graphic);

 protected:
  TImageData Decode(std::span<const std::uint8_t> data) const override;
  std::vector<std::uint8_t> Encode() const override;
};

// An icon file. Loading takes the largest image of the file (PNG or bitmap
// entries); saving writes one 32-bit bitmap entry, at most 256 x 256 pixels.
class TIcon : public TGraphic {
 public:
  TIcon() = default;
  std::unique_ptr<TGraphic> NewOfSameClass() const override;

 protected:
  TImageData Decode(std::span<const std::uint8_t> data) const override;
  std::vector<std::uint8_t> Encode() const override;
};

// PNG through libpng. Saves RGB when the output is opaque, RGBA otherwise.
class TPngImage : public TGraphic {
 public:
  TPngImage() = default;
  std::unique_ptr<TGraphic> NewOfSameClass() const override;

 protected:
  TImageData Decode(std::span<const std::uint8_t> data) const override;
  std::vector<std::uint8_t> Encode() const override;
};

enum TJPEGPerformance { jpBestQuality, jpBestSpeed };

// JPEG through libjpeg. Performance and Smoothing apply to decoding (the next
// load); CompressionQuality, ProgressiveEncoding and Grayscale to encoding. The
// alpha channel is not written.
class TJPEGImage : public TGraphic {
 public:
  TJPEGImage() = default;
  std::unique_ptr<TGraphic> NewOfSameClass() const override;

  // 1..100, values outside are clamped. Default 90.
  int CompressionQuality() const { return mCompressionQuality; }
  void SetCompressionQuality(int value);
  // jpBestSpeed decodes with the fast integer transform and no fancy upsampling.
  // Default jpBestQuality.
  TJPEGPerformance Performance() const { return mPerformance; }
  void SetPerformance(TJPEGPerformance value) { mPerformance = value; }
  // Default false.
  bool ProgressiveEncoding() const { return mProgressiveEncoding; }
  void SetProgressiveEncoding(bool value) { mProgressiveEncoding = value; }
  // Block smoothing while decoding progressive files. Default true.
  bool Smoothing() const { return mSmoothing; }
  void SetSmoothing(bool value) { mSmoothing = value; }
  // Encodes one grey channel. Default false.
  bool Grayscale() const { return mGrayscale; }
  void SetGrayscale(bool value) { mGrayscale = value; }

  // Encodes the pixels with the current settings; saving then writes these bytes.
  void Compress();

  // From another JPEG image also takes its settings.
  void Assign(const TPersistent* source) override;

 protected:
  TImageData Decode(std::span<const std::uint8_t> data) const override;
  std::vector<std::uint8_t> Encode() const override;

 private:
  int mCompressionQuality = 90;
  TJPEGPerformance mPerformance = jpBestQuality;
  bool mProgressiveEncoding = false;
  bool mSmoothing = true;
  bool mGrayscale = false;
};

// GIF through giflib. Loading takes the first frame on the logical screen (the
// area outside the frame is transparent). Saving writes one frame: an image of at
// most 256 colours (255 plus one transparent index when some output pixel has an
// alpha below 128) keeps its exact colours; one with more is reduced by median cut.
class TGIFImage : public TGraphic {
 public:
  TGIFImage() = default;
  std::unique_ptr<TGraphic> NewOfSameClass() const override;

  // Reduces the pixels now to the colours the GIF file will hold, so that Pixels
  // shows what saving writes.
  void Pack();

 protected:
  TImageData Decode(std::span<const std::uint8_t> data) const override;
  std::vector<std::uint8_t> Encode() const override;
};

// Holds one graphic of any format; the owner of an image control keeps its image here.
class TPicture : public TPersistent {
 public:
  TPicture() = default;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;
  ~TPicture() override;

  // nullptr when the picture holds no graphic.
  TGraphic* Graphic() const { return mGraphic.get(); }
  // Holds a copy of graphic, of its class; nullptr empties the picture.
  void SetGraphic(const TGraphic* graphic);
  // 0 without a graphic.
  int Width() const;
  int Height() const;

  // Chooses the format from the first bytes (PNG, JPEG, GIF, BMP, ICO); other data
  // raises EInvalidGraphic "Unknown picture format". On failure the picture is unchanged.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::string& fileName);
  // Without a graphic nothing is written.
  void SaveToStream(TStream& stream) const;
  void SaveToFile(const std::string& fileName) const;

  // A picture or a graphic; nullptr empties the picture.
  void Assign(const TPersistent* source) override;

  // Fires after the graphic was replaced or changed.
  std::function<void(TObject* sender)> OnChange;

 protected:
  // Into a graphic: the graphic takes this picture's graphic.
  void AssignTo(TPersistent* dest) const override;

 private:
  void TakeGraphic(std::unique_ptr<TGraphic> graphic);
  void Changed();

  std::unique_ptr<TGraphic> mGraphic;
};

}  // namespace kx
