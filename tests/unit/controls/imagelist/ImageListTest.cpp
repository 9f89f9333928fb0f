#include "kx/controls/imagelist/ImageList.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "kx/appserver/Application.h"
#include "kx/appserver/CacheFiles.h"
#include "kx/forms/Forms.h"
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

// A list on a form writes its form-lived files for the form: they stay on the form's list (not the session's)
// while the form lives, and go when it is freed; a session-lived file of the same list stays the session's.
TEST(TKXImageList, AListOnAFormKeepsItsFormLivedFilesWithTheForm) {
  TSessionFixture f(kChrome);
  TOwnedComponent<TKXForm> form(TComponent::Create<TKXForm>(f.Session));
  TKXImageList* list = RedAndBlue(form.get());
  TCacheType type = ctForm;
  EXPECT_EQ(list->GetCacheOwner(type), static_cast<IKXCacheOwner*>(form.get()));
  EXPECT_EQ(type, ctForm);

  const int sessionFiles = f.Session->CacheFiles().Count();
  const std::string formHref = list->ExtractImageToCache(0, ctForm);
  ASSERT_FALSE(formHref.empty());
  ASSERT_EQ(form->CacheFiles().Count(), 1);
  const std::string formFile = form->CacheFiles().Strings(0);
  EXPECT_EQ(formFile, TKXAppCache::CacheDir() + formHref.substr(formHref.rfind('/') + 1) + ".tmp");
  EXPECT_EQ(f.Session->CacheFiles().Count(), sessionFiles) << "the session holds none of the form's files";
  // Rendering the list's images again keeps the first file while the form lives.
  ASSERT_FALSE(list->ExtractImageToCache(1, ctForm).empty());
  EXPECT_EQ(form->CacheFiles().Count(), 2);
  EXPECT_TRUE(std::filesystem::exists(formFile));

  const std::string sessionHref = list->ExtractImageToCache(1, ctSession);
  ASSERT_FALSE(sessionHref.empty());
  const std::string sessionFile = TKXAppCache::CacheDir() + sessionHref.substr(sessionHref.rfind('/') + 1) + ".tmp";
  EXPECT_EQ(f.Session->CacheFiles().IndexOf(sessionFile), sessionFiles);

  form.reset();
  EXPECT_FALSE(std::filesystem::exists(formFile)) << "the form's files go with it";
  EXPECT_TRUE(std::filesystem::exists(sessionFile)) << "the session's stay";
}

}  // namespace
}  // namespace kx
