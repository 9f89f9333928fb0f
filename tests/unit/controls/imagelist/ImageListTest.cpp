#include "kx/controls/imagelist/ImageList.h"

#include <gtest/gtest.h>

#include "kx/appserver/Application.h"
#include "kx/appserver/CacheFiles.h"
#include "kx/platform/Graphics.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::TSessionFixture;

constexpr char kChrome[] = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

// A list of two 16x16 images, red then blue, owned by owner.
TKXImageList* RedAndBlue(TComponent* owner) {
  TKXImageList* list = TComponent::Create<TKXImageList>(owner);
  TBitmap strip;
  strip.SetSize(32, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) strip.SetPixel(x, y, x < 16 ? TRGBA{255, 0, 0, 255} : TRGBA{0, 0, 255, 255});
  list->Images().Add(strip);
  return list;
}

TEST(TKXImageList, NothingIsWrittenWithoutASessionOrOutsideTheList) {
  TOwnedComponent<TKXImageList> alone(RedAndBlue(nullptr));
  ASSERT_EQ(alone->Images().Count(), 2);
  EXPECT_EQ(alone->ExtractImageToCache(0, ctSession), "");  // no current session
  TSessionFixture f(kChrome);
  EXPECT_EQ(alone->ExtractImageToCache(-1, ctSession), "");
  EXPECT_EQ(alone->ExtractImageToCache(2, ctSession), "");
  TOwnedComponent<TKXImageList> empty(TComponent::Create<TKXImageList>(nullptr));
  EXPECT_EQ(empty->ExtractImageToCache(0, ctSession), "");
}

// The image goes to a PNG cache file of the session that reads back as the image;
// a form-lived file of a list without a form becomes the session's.
TEST(TKXImageList, ImageBecomesAPngCacheFileOfTheSession) {
  TSessionFixture f(kChrome);
  TOwnedComponent<TKXImageList> list(RedAndBlue(nullptr));
  TCacheType type = ctForm;
  EXPECT_EQ(list->GetCacheOwner(type), static_cast<IKXCacheOwner*>(f.Session));
  EXPECT_EQ(type, ctSession);

  const std::string href = list->ExtractImageToCache(1, ctForm);
  ASSERT_FALSE(href.empty());
  const std::string name = href.substr(href.rfind('/') + 1);
  TReadCacheFileStream file(TKXAppCache::CacheDir() + name + ".tmp");
  EXPECT_EQ(file.ContentType(), "image/png");
  TPngImage png;
  png.LoadFromStream(file);
  ASSERT_EQ(png.Width(), 16);
  EXPECT_EQ(png.Pixel(3, 3).B, 255);
  EXPECT_EQ(png.Pixel(3, 3).R, 0);
}

}  // namespace
}  // namespace kx
