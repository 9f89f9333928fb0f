#include "kx/appserver/ImageOutput.h"

#include <gtest/gtest.h>

#include "support/TestImages.h"

namespace kx {
namespace {

using test::Bytes;
using test::Decoded;
using test::FillPattern;
using test::SaveBytes;

Bytes Output(const TGraphic& graphic, TKXImageOutput output) {
  TMemoryStream stream;
  GraphicToStream(graphic, stream, output);
  const auto* begin = static_cast<const std::uint8_t*>(stream.Memory());
  return Bytes(begin, begin + stream.Size());
}

template <class Write>
Bytes Written(Write write) {
  TMemoryStream stream;
  write(stream);
  const auto* begin = static_cast<const std::uint8_t*>(stream.Memory());
  return Bytes(begin, begin + stream.Size());
}

bool StartsWith(const Bytes& bytes, std::string_view signature) {
  return bytes.size() >= signature.size() &&
         std::equal(signature.begin(), signature.end(), bytes.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// A 16 x 16 icon: the pattern with a transparent top-left corner pixel.
std::unique_ptr<TIcon> SampleIcon() {
  TBitmap bitmap;
  FillPattern(bitmap, 16, 16);
  bitmap.SetPixel(0, 0, {0, 0, 0, 0});
  bitmap.SetTransparent(true);
  auto icon = std::make_unique<TIcon>();
  icon->Assign(&bitmap);
  return icon;
}

TEST(GetImageType, FollowsTheGraphicClassUnlessPngIsForced) {
  TBitmap bitmap;
  TIcon icon;
  TPngImage png;
  TGIFImage gif;
  TJPEGImage jpeg;
  struct Case {
    const TGraphic* Graphic;
    TKXImageOutput Plain;
  } cases[] = {{&bitmap, ioPNG}, {&icon, ioPNG}, {&png, ioPNG}, {&gif, ioGIF}, {&jpeg, ioJPEG}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Graphic->ClassName());
    EXPECT_EQ(GetImageType(*c.Graphic, false), c.Plain);
    EXPECT_EQ(GetImageType(*c.Graphic, true), ioPNG);
  }
}

TEST(TKXJpegOptions, AssignToAJpegImageSetsItsSettings) {
  TKXJpegOptions options(55, jpBestSpeed, true, false);
  TJPEGImage jpeg;
  jpeg.Assign(&options);
  EXPECT_EQ(jpeg.CompressionQuality(), 55);
  EXPECT_EQ(jpeg.Performance(), jpBestSpeed);
  EXPECT_TRUE(jpeg.ProgressiveEncoding());
  EXPECT_FALSE(jpeg.Smoothing());

  TBitmap bitmap;
  EXPECT_THROW(bitmap.Assign(&options), EConvertError);
}

TEST(GraphicToStream, PngAndGifImagesAreWrittenUnchanged) {
  TBitmap bitmap;
  FillPattern(bitmap, 5, 5);
  TPngImage png;
  png.Assign(&bitmap);
  TGIFImage gif;
  gif.Assign(&bitmap);
  Bytes pngBytes = SaveBytes(png), gifBytes = SaveBytes(gif);
  auto loadedPng = Decoded<TPngImage>(pngBytes);
  auto loadedGif = Decoded<TGIFImage>(gifBytes);
  EXPECT_EQ(Output(*loadedPng, ioPNG), pngBytes);
  EXPECT_EQ(Output(*loadedGif, ioGIF), gifBytes);
}

TEST(GraphicToStream, ConvertsEveryGraphicToEachFormat) {
  TBitmap bitmap;
  FillPattern(bitmap, 9, 7);
  TPngImage png;
  png.Assign(&bitmap);
  TJPEGImage jpeg;
  jpeg.Assign(&bitmap);
  TGIFImage gif;
  gif.Assign(&bitmap);
  std::unique_ptr<TIcon> icon = SampleIcon();
  const TGraphic* sources[] = {&bitmap, &png, &jpeg, &gif, icon.get()};
  struct Target {
    TKXImageOutput Output;
    const char* Signature;
    std::function<std::unique_ptr<TGraphic>(const Bytes&)> Load;
  } targets[] = {
      {ioPNG, "\x89PNG", [](const Bytes& b) -> std::unique_ptr<TGraphic> { return Decoded<TPngImage>(b); }},
      {ioGIF, "GIF8", [](const Bytes& b) -> std::unique_ptr<TGraphic> { return Decoded<TGIFImage>(b); }},
      {ioJPEG, "\xFF\xD8", [](const Bytes& b) -> std::unique_ptr<TGraphic> { return Decoded<TJPEGImage>(b); }},
  };
  for (const TGraphic* source : sources) {
    for (const Target& target : targets) {
      SCOPED_TRACE(source->ClassName() + " to " + std::to_string(target.Output));
      Bytes bytes = Output(*source, target.Output);
      ASSERT_TRUE(StartsWith(bytes, target.Signature));
      std::unique_ptr<TGraphic> loaded = target.Load(bytes);
      EXPECT_EQ(loaded->Width(), source->Width());
      EXPECT_EQ(loaded->Height(), source->Height());
      if (target.Output != ioJPEG && source != &jpeg && source != icon.get()) {
        EXPECT_TRUE(loaded->Pixels() == bitmap.Pixels());
      }
    }
  }
}

TEST(GraphicToStream, IconsAreDrawnOnWhite) {
  std::unique_ptr<TIcon> icon = SampleIcon();
  auto png = Decoded<TPngImage>(Output(*icon, ioPNG));
  EXPECT_EQ(png->Pixel(0, 0), (TRGBA{255, 255, 255, 255}));
  EXPECT_EQ(png->Pixel(3, 2), icon->Pixel(3, 2));
  auto jpeg = Decoded<TJPEGImage>(Output(*icon, ioJPEG));
  EXPECT_GT(jpeg->Pixel(0, 0).R, 200);
}

TEST(GraphicToStream, WithoutATransparentColourOutputIsOpaque) {
  TBitmap bitmap;
  FillPattern(bitmap, 3, 3);
  bitmap.SetPixel(1, 1, {7, 7, 7, 0});
  bitmap.SetTransparent(true);
  for (TKXImageOutput output : {ioPNG, ioGIF}) {
    SCOPED_TRACE(output);
    Bytes bytes = Output(bitmap, output);
    std::unique_ptr<TGraphic> loaded = output == ioPNG ? std::unique_ptr<TGraphic>(Decoded<TPngImage>(bytes))
                                                        : std::unique_ptr<TGraphic>(Decoded<TGIFImage>(bytes));
    EXPECT_EQ(loaded->Pixel(1, 1), (TRGBA{7, 7, 7, 255}));
  }
}

TEST(ToPngStream, TheTransparentColourBecomesTransparent) {
  TBitmap bitmap;
  FillPattern(bitmap, 3, 3);
  bitmap.SetPixel(2, 0, {255, 0, 0, 255});
  auto png = Decoded<TPngImage>(Written([&](TStream& s) { ToPngStream(bitmap, s, clRed); }));
  EXPECT_EQ(png->Pixel(2, 0).A, 0);
  EXPECT_EQ(png->Pixel(1, 0).A, 255);
}

// The transparent colour given to ToGifStream is the one that becomes transparent,
// and the caller's graphic keeps its own transparency setting.
TEST(ToGifStream, TheTransparentColourBecomesTransparentAndTheSourceIsUntouched) {
  TBitmap bitmap;
  FillPattern(bitmap, 3, 3);
  bitmap.SetPixel(0, 2, {0, 0, 255, 255});
  auto gif = Decoded<TGIFImage>(Written([&](TStream& s) { ToGifStream(bitmap, s, clBlue); }));
  EXPECT_EQ(gif->Pixel(0, 2).A, 0);
  EXPECT_EQ(gif->Pixel(1, 2).A, 255);
  EXPECT_FALSE(bitmap.Transparent());
}

TEST(ToJpegStream, AppliesTheOptions) {
  TBitmap bitmap;
  FillPattern(bitmap, 32, 32);
  Bytes plain = Written([&](TStream& s) { ToJpegStream(bitmap, s, nullptr); });
  TKXJpegOptions progressive(90, jpBestSpeed, true, true);
  Bytes stepped = Written([&](TStream& s) { ToJpegStream(bitmap, s, &progressive); });
  TKXJpegOptions rough(10, jpBestSpeed, false, true);
  Bytes small = Written([&](TStream& s) { ToJpegStream(bitmap, s, &rough); });
  EXPECT_TRUE(test::HasMarker(plain, 0xFF, 0xC0));
  EXPECT_TRUE(test::HasMarker(stepped, 0xFF, 0xC2));
  EXPECT_LT(small.size(), plain.size());

  // A JPEG source is compressed again, with the options.
  auto loaded = Decoded<TJPEGImage>(plain);
  Bytes again = Written([&](TStream& s) { ToJpegStream(*loaded, s, &rough); });
  EXPECT_LT(again.size(), plain.size());
}

TEST(GraphicToStream, AnEmptyGraphicRaises) {
  TBitmap empty;
  for (TKXImageOutput output : {ioJPEG, ioGIF, ioPNG}) {
    SCOPED_TRACE(output);
    TMemoryStream stream;
    EXPECT_THROW(GraphicToStream(empty, stream, output), EInvalidGraphic);
  }
}

}  // namespace
}  // namespace kx
