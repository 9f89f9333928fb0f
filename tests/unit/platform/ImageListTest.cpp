#include "kx/platform/ImageList.h"

#include <gtest/gtest.h>

#include "support/TestImages.h"

namespace kx {
namespace {

TEST(TImageList, AddCutsAStripIntoImagesOfTheListWidth) {
  TImageList list(4, 3);
  TBitmap strip;
  test::FillPattern(strip, 13, 3);  // three whole images; the last column is dropped
  EXPECT_EQ(list.Add(strip), 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Add(strip), 3);

  TBitmap image;
  ASSERT_TRUE(list.GetBitmap(2, image));
  EXPECT_EQ(image.Width(), 4);
  EXPECT_EQ(image.Height(), 3);
  EXPECT_EQ(image.Pixel(0, 1), strip.Pixel(8, 1));
  EXPECT_FALSE(image.Transparent());
}

TEST(TImageList, GetBitmapOutsideTheListLeavesTheImage) {
  TImageList list(2, 2);
  TBitmap strip, image;
  test::FillPattern(strip, 2, 2);
  list.Add(strip);
  image.SetSize(5, 5);
  for (int index : {-1, 1}) {
    SCOPED_TRACE(index);
    EXPECT_FALSE(list.GetBitmap(index, image));
    EXPECT_EQ(image.Width(), 5);
  }
  EXPECT_THROW(list.Delete(1), EListError);
}

TEST(TImageList, MaskMakesImagesTransparent) {
  TImageList list(2, 1);
  TBitmap strip, mask;
  test::FillPattern(strip, 2, 1);
  mask.SetSize(2, 1);
  mask.SetPixel(0, 0, {0, 0, 0, 255});  // black: shown; white: transparent
  list.Add(strip, &mask);
  TBitmap image;
  ASSERT_TRUE(list.GetBitmap(0, image));
  EXPECT_TRUE(image.Transparent());
  EXPECT_EQ(image.Pixel(0, 0).A, 255);
  EXPECT_EQ(image.Pixel(1, 0).A, 0);
}

TEST(TImageList, RefusesImagesOfAnotherSize) {
  TImageList list(4, 4);
  TBitmap narrow, tall, wrongMask;
  narrow.SetSize(3, 4);
  tall.SetSize(4, 5);
  wrongMask.SetSize(4, 3);
  TBitmap fits;
  fits.SetSize(4, 4);
  EXPECT_THROW(list.Add(narrow), EInvalidOperation);
  EXPECT_THROW(list.Add(tall), EInvalidOperation);
  EXPECT_THROW(list.Add(fits, &wrongMask), EInvalidOperation);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_THROW(TImageList(0, 16), EInvalidOperation);
  EXPECT_THROW(list.SetWidth(257), EInvalidOperation);
}

TEST(TImageList, ResizingEmptiesTheList) {
  TImageList list(2, 2);
  TBitmap image;
  image.SetSize(2, 2);
  list.Add(image);
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.SetWidth(2);
  EXPECT_EQ(list.Count(), 1);
  list.SetHeight(3);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(changes, 1);
}

TEST(TImageList, AssignCopiesSizeAndImages) {
  TImageList source(2, 2), copy;
  TBitmap image;
  test::FillPattern(image, 4, 2);
  source.Add(image);
  copy.Assign(&source);
  EXPECT_EQ(copy.Width(), 2);
  EXPECT_EQ(copy.Count(), 2);
  TBitmap a, b;
  source.GetBitmap(1, a);
  copy.GetBitmap(1, b);
  EXPECT_TRUE(a.Pixels() == b.Pixels());
}

}  // namespace
}  // namespace kx
