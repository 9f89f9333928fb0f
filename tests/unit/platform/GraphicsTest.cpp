#include "kx/platform/Graphics.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <set>

#include "support/TestImages.h"

#include "support/Raised.h"

namespace kx {
namespace {

using test::Bytes;
using test::Decoded;
using test::FillGradient;
using test::FillPattern;
using test::LoadBytes;
using test::SaveBytes;

struct TFormat {
  const char* Name;
  std::function<std::unique_ptr<TGraphic>()> Make;
};

const TFormat kFormats[] = {
    {"bitmap", [] { return std::make_unique<TBitmap>(); }},
    {"icon", [] { return std::make_unique<TIcon>(); }},
    {"PNG", [] { return std::make_unique<TPngImage>(); }},
    {"GIF", [] { return std::make_unique<TGIFImage>(); }},
    {"JPEG", [] { return std::make_unique<TJPEGImage>(); }},
};

// A sample in the format, made from an opaque 12 x 9 pattern.
Bytes Sample(const TFormat& format) {
  TBitmap bitmap;
  FillPattern(bitmap, 12, 9);
  std::unique_ptr<TGraphic> graphic = format.Make();
  graphic->Assign(&bitmap);
  return SaveBytes(*graphic);
}

// Restores the size limit after a test changed it.
class ScopedMaxPixels {
 public:
  explicit ScopedMaxPixels(std::int64_t value) : mOld(TGraphic::MaxPixels()) { TGraphic::SetMaxPixels(value); }
  ~ScopedMaxPixels() { TGraphic::SetMaxPixels(mOld); }

 private:
  std::int64_t mOld;
};

void PutBE32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

// A PNG signature and IHDR chunk (valid CRC) announcing width x height, then an
// empty IDAT and IEND.
Bytes PngHeader(std::uint32_t width, std::uint32_t height) {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes chunk = {'I', 'H', 'D', 'R'};
  PutBE32(chunk, width);
  PutBE32(chunk, height);
  chunk.insert(chunk.end(), {8, 6, 0, 0, 0});
  PutBE32(out, 13);
  out.insert(out.end(), chunk.begin(), chunk.end());
  PutBE32(out, std::uint32_t(crc32(0, chunk.data(), uInt(chunk.size()))));
  const std::uint8_t idat[] = {'I', 'D', 'A', 'T'};
  out.insert(out.end(), {0, 0, 0, 0, 'I', 'D', 'A', 'T'});
  PutBE32(out, std::uint32_t(crc32(0, idat, 4)));
  out.insert(out.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
  return out;
}

TEST(TGraphic, LosslessFormatsRoundTripEveryPixel) {
  // Opaque pixels, fully transparent ones of one colour, and (where the format
  // keeps them) half-transparent ones.
  struct Case {
    std::function<std::unique_ptr<TGraphic>()> Make;
    const char* Name;
    bool PartialAlpha;
  } cases[] = {
      {[] { return std::make_unique<TBitmap>(); }, "bitmap", true},
      {[] { return std::make_unique<TIcon>(); }, "icon", true},
      {[] { return std::make_unique<TPngImage>(); }, "PNG", true},
      {[] { return std::make_unique<TGIFImage>(); }, "GIF", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TBitmap source;
    FillPattern(source, 12, 9);
    source.SetPixel(0, 0, {1, 2, 3, 0});
    source.SetPixel(11, 8, {1, 2, 3, 0});
    if (c.PartialAlpha) source.SetPixel(5, 5, {200, 100, 50, 128});
    source.SetTransparent(true);

    std::unique_ptr<TGraphic> graphic = c.Make();
    graphic->Assign(&source);
    std::unique_ptr<TGraphic> loaded = c.Make();
    LoadBytes(*loaded, SaveBytes(*graphic));
    EXPECT_EQ(loaded->Width(), 12);
    EXPECT_EQ(loaded->Height(), 9);
    EXPECT_TRUE(loaded->Pixels() == source.Pixels());
    EXPECT_TRUE(loaded->Transparent());
  }
}

TEST(TGraphic, OpaqueOutputDropsTheAlphaChannel) {
  TBitmap source;
  FillPattern(source, 4, 4);
  source.SetPixel(1, 1, {9, 9, 9, 0});
  TPngImage png;
  png.Assign(&source);
  png.SetTransparent(false);
  auto loaded = Decoded<TPngImage>(SaveBytes(png));
  EXPECT_EQ(loaded->Pixel(1, 1), (TRGBA{9, 9, 9, 255}));
  EXPECT_FALSE(loaded->Transparent());
}

TEST(TGraphic, TransparentColorPixelsBecomeTransparent) {
  TBitmap source;
  FillPattern(source, 4, 4);
  source.SetPixel(2, 3, {10, 20, 30, 255});
  for (const TFormat& format : kFormats) {
    if (std::string(format.Name) == "JPEG") continue;
    SCOPED_TRACE(format.Name);
    std::unique_ptr<TGraphic> graphic = format.Make();
    graphic->Assign(&source);
    graphic->SetTransparent(true);
    graphic->SetTransparentColor(0x1E140A);  // $00BBGGRR of 10, 20, 30
    std::unique_ptr<TGraphic> loaded = format.Make();
    LoadBytes(*loaded, SaveBytes(*graphic));
    EXPECT_EQ(loaded->Pixel(2, 3).A, 0);
    EXPECT_EQ(loaded->Pixel(1, 3).A, 255);
  }
}

TEST(TJPEGImage, RoundTripKeepsPixelsClose) {
  TBitmap source;
  FillGradient(source, 32, 24);
  TJPEGImage jpeg;
  jpeg.Assign(&source);
  auto loaded = Decoded<TJPEGImage>(SaveBytes(jpeg));
  ASSERT_EQ(loaded->Width(), 32);
  ASSERT_EQ(loaded->Height(), 24);
  int worst = 0;
  for (std::size_t i = 0; i < source.Pixels().size(); ++i) {
    const TRGBA &a = source.Pixels()[i], &b = loaded->Pixels()[i];
    worst = std::max({worst, std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)});
    ASSERT_EQ(b.A, 255);
  }
  EXPECT_LE(worst, 12);
}

TEST(TJPEGImage, SettingsShapeTheEncoding) {
  TBitmap source;
  FillPattern(source, 40, 40);
  TJPEGImage jpeg;
  jpeg.Assign(&source);
  Bytes baseline = SaveBytes(jpeg);
  EXPECT_TRUE(test::HasMarker(baseline, 0xFF, 0xC0));

  jpeg.SetProgressiveEncoding(true);
  Bytes progressive = SaveBytes(jpeg);
  EXPECT_TRUE(test::HasMarker(progressive, 0xFF, 0xC2));

  jpeg.SetProgressiveEncoding(false);
  jpeg.SetCompressionQuality(10);
  EXPECT_LT(SaveBytes(jpeg).size(), baseline.size());

  jpeg.SetCompressionQuality(500);
  EXPECT_EQ(jpeg.CompressionQuality(), 100);

  jpeg.SetGrayscale(true);
  auto grey = Decoded<TJPEGImage>(SaveBytes(jpeg));
  for (const TRGBA& p : grey->Pixels()) ASSERT_TRUE(p.R == p.G && p.G == p.B);
}

TEST(TJPEGImage, LoadedBytesAreSavedUnchangedUntilCompress) {
  TBitmap source;
  FillPattern(source, 16, 16);
  TJPEGImage original;
  original.Assign(&source);
  original.SetCompressionQuality(30);
  Bytes bytes = SaveBytes(original);

  auto loaded = Decoded<TJPEGImage>(bytes);  // quality 90 by default
  EXPECT_EQ(SaveBytes(*loaded), bytes);
  loaded->Compress();
  EXPECT_NE(SaveBytes(*loaded), bytes);
}

TEST(TGIFImage, ManyColoursAreReducedToAPalette) {
  TBitmap source;
  FillGradient(source, 64, 64);  // 4096 colours
  TGIFImage gif;
  gif.Assign(&source);
  auto loaded = Decoded<TGIFImage>(SaveBytes(gif));
  ASSERT_EQ(loaded->Width(), 64);
  ASSERT_EQ(loaded->Height(), 64);
  std::set<std::uint32_t> colours;
  for (const TRGBA& p : loaded->Pixels()) colours.insert(std::uint32_t(p.R) << 16 | p.G << 8 | p.B);
  EXPECT_LE(colours.size(), 256u);
  EXPECT_GT(colours.size(), 16u);
}

TEST(TGIFImage, PackShowsTheSavedColours) {
  TBitmap source;
  FillGradient(source, 64, 64);
  TGIFImage gif;
  gif.Assign(&source);
  gif.Pack();
  auto loaded = Decoded<TGIFImage>(SaveBytes(gif));
  EXPECT_TRUE(loaded->Pixels() == gif.Pixels());
}

TEST(TGraphic, TruncatedDataRaisesEInvalidGraphic) {
  for (const TFormat& format : kFormats) {
    Bytes sample = Sample(format);
    for (std::size_t length : {std::size_t(0), std::size_t(1), std::size_t(10), sample.size() / 2}) {
      SCOPED_TRACE(std::string(format.Name) + " cut to " + std::to_string(length));
      std::unique_ptr<TGraphic> graphic = format.Make();
      EXPECT_THROW(LoadBytes(*graphic, Bytes(sample.begin(), sample.begin() + length)), EInvalidGraphic);
    }
  }
}

TEST(TGraphic, GarbageRaisesEInvalidGraphic) {
  std::mt19937 random(2024);
  for (const TFormat& format : kFormats) {
    for (int round = 0; round < 50; ++round) {
      SCOPED_TRACE(std::string(format.Name) + " round " + std::to_string(round));
      Bytes garbage(std::size_t(random() % 300), 0);
      for (auto& b : garbage) b = std::uint8_t(random());
      std::unique_ptr<TGraphic> graphic = format.Make();
      EXPECT_THROW(LoadBytes(*graphic, garbage), EInvalidGraphic);
    }
  }
}

TEST(TGraphic, CorruptedSamplesNeverCrash) {
  // A valid file with bytes flipped after its signature: loading either succeeds
  // or raises EInvalidGraphic, and never takes the process down.
  std::mt19937 random(7);
  for (const TFormat& format : kFormats) {
    Bytes sample = Sample(format);
    for (int round = 0; round < 200; ++round) {
      SCOPED_TRACE(std::string(format.Name) + " round " + std::to_string(round));
      Bytes corrupt = sample;
      for (int i = 0; i < 4; ++i) corrupt[8 + random() % (corrupt.size() - 8)] = std::uint8_t(random());
      std::unique_ptr<TGraphic> graphic = format.Make();
      try {
        LoadBytes(*graphic, corrupt);
        EXPECT_EQ(graphic->Pixels().size(), std::size_t(graphic->Width()) * graphic->Height());
      } catch (const EInvalidGraphic&) {
      }
    }
  }
}

TEST(TGraphic, FailedLoadLeavesTheGraphicUnchanged) {
  TBitmap source;
  FillPattern(source, 3, 2);
  TPngImage png;
  png.Assign(&source);
  Bytes before = SaveBytes(png);
  EXPECT_THROW(LoadBytes(png, Bytes{1, 2, 3}), EInvalidGraphic);
  EXPECT_EQ(png.Width(), 3);
  EXPECT_EQ(SaveBytes(png), before);
}

TEST(TGraphic, OversizedHeadersAreRefusedBeforeDecoding) {
  // JPEG: a valid file whose frame header is patched to 60000 x 60000.
  TBitmap small;
  FillPattern(small, 8, 8);
  TJPEGImage jpeg;
  jpeg.Assign(&small);
  Bytes bigJpeg = SaveBytes(jpeg);
  for (std::size_t i = 0; i + 8 < bigJpeg.size(); ++i) {
    if (bigJpeg[i] == 0xFF && bigJpeg[i + 1] == 0xC0) {
      bigJpeg[i + 5] = bigJpeg[i + 7] = 0xEA;
      bigJpeg[i + 6] = bigJpeg[i + 8] = 0x60;
      break;
    }
  }
  // BMP: a 24-bit header of 60000 x 60000 and no pixels.
  Bytes bigBmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 0x60, 0xEA, 0, 0, 0x60, 0xEA, 0, 0,
                  1, 0, 24, 0};
  bigBmp.resize(54, 0);
  // GIF: a 65535 x 65535 screen and frame.
  Bytes bigGif = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                  0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};

  struct Case {
    const char* Name;
    std::unique_ptr<TGraphic> Graphic;
    Bytes Data;
    const char* Message;
  } cases[] = {
      {"PNG", std::make_unique<TPngImage>(), PngHeader(60000, 60000),
       "The PNG image of 60000 x 60000 pixels exceeds the size limit"},
      {"JPEG", std::make_unique<TJPEGImage>(), bigJpeg, "The JPEG image of 60000 x 60000 pixels exceeds the size limit"},
      {"bitmap", std::make_unique<TBitmap>(), bigBmp, "The bitmap image of 60000 x 60000 pixels exceeds the size limit"},
      {"GIF", std::make_unique<TGIFImage>(), bigGif, "The GIF image of 65535 x 65535 pixels exceeds the size limit"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(test::MessageOf<EInvalidGraphic>([&] { LoadBytes(*c.Graphic, c.Data); }), c.Message);
  }
}

TEST(TGraphic, MaxPixelsAppliesToEveryFormatAndToSizing) {
  for (const TFormat& format : kFormats) {
    SCOPED_TRACE(format.Name);
    Bytes sample = Sample(format);  // 12 x 9 = 108 pixels
    ScopedMaxPixels limit(100);
    std::unique_ptr<TGraphic> graphic = format.Make();
    EXPECT_THROW(LoadBytes(*graphic, sample), EInvalidGraphic);
  }
  ScopedMaxPixels limit(100);
  TBitmap bitmap;
  EXPECT_NO_THROW(bitmap.SetSize(10, 10));
  EXPECT_THROW(bitmap.SetSize(11, 10), EInvalidGraphic);
  EXPECT_THROW(bitmap.SetSize(-1, 1), EInvalidGraphic);
  EXPECT_EQ(bitmap.Width(), 10);
}

TEST(TGraphic, EmptyImagesCannotBeSavedInCompressedFormats) {
  for (const TFormat& format : kFormats) {
    if (std::string(format.Name) == "bitmap") continue;
    SCOPED_TRACE(format.Name);
    EXPECT_THROW(SaveBytes(*format.Make()), EInvalidGraphic);
  }
  // A bitmap without pixels saves and loads back empty, also one with rows but no columns (a GIF screen 0 pixels
  // wide loads as such).
  for (auto [width, height] : {std::pair{0, 0}, std::pair{0, 3}, std::pair{3, 0}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    TBitmap empty;
    empty.SetSize(width, height);
    auto loaded = Decoded<TBitmap>(SaveBytes(empty));
    EXPECT_TRUE(loaded->Empty());
  }
}

TEST(TBitmap, ReadsPaletteBitmapsBottomUp) {
  // 3 x 2, 8 bits, two palette colours: bottom row first in the file.
  Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0};
  bmp.resize(46, 0);
  bmp.insert(bmp.end(), {2, 0, 0, 0});  // colours used
  bmp.resize(54, 0);
  bmp.insert(bmp.end(), {0xFF, 0, 0, 0, 0, 0, 0xFF, 0});  // blue, red (B, G, R, 0)
  bmp.insert(bmp.end(), {0, 0, 1, 0});                    // bottom row: blue blue red
  bmp.insert(bmp.end(), {1, 1, 0, 0});                    // top row: red red blue
  auto bitmap = Decoded<TBitmap>(bmp);
  ASSERT_EQ(bitmap->Width(), 3);
  EXPECT_EQ(bitmap->Pixel(0, 0), (TRGBA{255, 0, 0, 255}));
  EXPECT_EQ(bitmap->Pixel(2, 0), (TRGBA{0, 0, 255, 255}));
  EXPECT_EQ(bitmap->Pixel(0, 1), (TRGBA{0, 0, 255, 255}));
  EXPECT_EQ(bitmap->Pixel(2, 1), (TRGBA{255, 0, 0, 255}));
  EXPECT_FALSE(bitmap->Transparent());
}

TEST(TBitmap, DrawBlendsTransparentGraphicsAndClips) {
  TBitmap canvas;
  canvas.SetSize(3, 3);
  EXPECT_EQ(canvas.Pixel(2, 2), (TRGBA{255, 255, 255, 255}));

  TBitmap brush;
  brush.SetSize(2, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) brush.SetPixel(x, y, {255, 0, 0, 0});
  brush.SetPixel(1, 1, {255, 0, 0, 255});
  brush.SetPixel(0, 1, {255, 0, 0, 128});
  brush.SetTransparent(true);
  canvas.Draw(-1, 1, brush);  // column 0 of the brush lies outside

  EXPECT_EQ(canvas.Pixel(0, 2), (TRGBA{255, 0, 0, 255}));    // opaque brush pixel
  EXPECT_EQ(canvas.Pixel(0, 1), (TRGBA{255, 255, 255, 255}));  // transparent one
  EXPECT_EQ(canvas.Pixel(1, 2), (TRGBA{255, 255, 255, 255}));  // outside the brush

  brush.SetTransparent(false);
  canvas.Draw(1, 0, brush);
  EXPECT_EQ(canvas.Pixel(1, 0), (TRGBA{255, 0, 0, 255}));  // copied, made opaque
  EXPECT_THROW(canvas.SetPixel(3, 0, {}), EInvalidGraphic);
}

TEST(TIcon, TakesTheLargestEntry) {
  TBitmap small, large;
  FillPattern(small, 16, 16);
  FillPattern(large, 32, 32);
  TPngImage smallPng, largePng;
  smallPng.Assign(&small);
  largePng.Assign(&large);
  Bytes a = SaveBytes(smallPng), b = SaveBytes(largePng);
  Bytes ico = {0, 0, 1, 0, 2, 0};
  auto entry = [&](int side, const Bytes& data, std::uint32_t offset) {
    ico.insert(ico.end(), {std::uint8_t(side), std::uint8_t(side), 0, 0, 1, 0, 32, 0});
    for (std::uint32_t v : {std::uint32_t(data.size()), offset})
      for (int shift = 0; shift < 32; shift += 8) ico.push_back(std::uint8_t(v >> shift));
  };
  entry(16, a, 38);
  entry(32, b, 38 + std::uint32_t(a.size()));
  ico.insert(ico.end(), a.begin(), a.end());
  ico.insert(ico.end(), b.begin(), b.end());
  auto icon = Decoded<TIcon>(ico);
  EXPECT_EQ(icon->Width(), 32);
  EXPECT_TRUE(icon->Pixels() == large.Pixels());
  EXPECT_EQ(SaveBytes(*icon), ico);  // saved as loaded
}

TEST(TIcon, RefusesToSaveMoreThan256Pixels) {
  TBitmap bitmap;
  bitmap.SetSize(257, 1);
  TIcon icon;
  icon.Assign(&bitmap);
  EXPECT_THROW(SaveBytes(icon), EInvalidGraphic);
}

TEST(TPicture, LoadChoosesTheFormatFromTheData) {
  const char* classes[] = {"TBitmap", "TIcon", "TPngImage", "TGIFImage", "TJPEGImage"};
  for (std::size_t i = 0; i < std::size(kFormats); ++i) {
    SCOPED_TRACE(kFormats[i].Name);
    Bytes bytes = Sample(kFormats[i]);
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
    stream.SetPosition(0);
    TPicture picture;
    picture.LoadFromStream(stream);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->ClassName(), classes[i]);
    EXPECT_EQ(picture.Width(), 12);
  }
}

TEST(TPicture, UnknownDataRaisesAndKeepsThePicture) {
  TBitmap bitmap;
  FillPattern(bitmap, 2, 2);
  TPicture picture;
  picture.Assign(&bitmap);
  TMemoryStream stream;
  stream.WriteBuffer("hello", 5);
  stream.SetPosition(0);
  EXPECT_EQ(test::MessageOf<EInvalidGraphic>([&] { picture.LoadFromStream(stream); }), "Unknown picture format");
  EXPECT_EQ(picture.Width(), 2);
}

TEST(TPicture, ReportsChangesOfItsGraphic) {
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &picture);
    ++changes;
  };
  TBitmap bitmap;
  FillPattern(bitmap, 2, 2);
  picture.Assign(&bitmap);
  EXPECT_EQ(changes, 1);
  EXPECT_NE(picture.Graphic(), &bitmap);  // a copy
  EXPECT_EQ(picture.Graphic()->ClassName(), "TBitmap");

  picture.Graphic()->SetTransparent(true);
  EXPECT_EQ(changes, 2);

  TBitmap target;
  target.Assign(&picture);
  EXPECT_TRUE(target.Pixels() == bitmap.Pixels());

  picture.Assign(nullptr);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 0);
}

}  // namespace
}  // namespace kx
