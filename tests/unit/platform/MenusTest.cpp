#include "kx/platform/Menus.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/platform/SysUtils.h"

namespace kx {
namespace {

TEST(TMenuItem, ChildrenAreOwnedAndPlaced) {
  TMenuItem root;
  TMenuItem* b = root.Add("b");
  TMenuItem* a = root.Insert(0, "a");
  TMenuItem* deep = b->Add("deep");
  EXPECT_EQ(root.Items(0), a);
  EXPECT_EQ(b->MenuIndex(), 1);
  EXPECT_TRUE(root.Contains(deep));
  EXPECT_FALSE(a->Contains(deep));
  EXPECT_THROW(root.Items(2), EListError);
  EXPECT_THROW(root.Insert(5, "x"), EListError);
  EXPECT_THROW(root.Delete(-1), EListError);
  EXPECT_NE(a->Id(), b->Id());
  root.Delete(1);  // b and deep go
  EXPECT_EQ(root.Count(), 1);
  EXPECT_FALSE(root.Contains(deep));  // compared only: deep is freed
  root.Clear();
  EXPECT_EQ(root.Count(), 0);
}

TEST(TMenuItem, ClickRunsOnlyWhenEnabledAndLinesAreDashes) {
  TMenuItem item("&Save");
  int clicks = 0;
  item.OnClick = [&](TObject*) { ++clicks; };
  item.Click();
  item.SetEnabled(false);
  item.Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(item.IsLine());
  EXPECT_TRUE(TMenuItem("-").IsLine());
}

TEST(TMainMenu, ForgetsAFreedImageList) {
  TOwnedComponent<TComponent> owner(TComponent::Create<TComponent>(nullptr));
  auto* menu = TComponent::Create<TMainMenu>(owner.get());
  auto* images = TComponent::Create<TComponent>(owner.get());
  menu->SetImages(images);
  EXPECT_EQ(menu->Images(), images);
  images->Free();
  EXPECT_EQ(menu->Images(), nullptr);
}

}  // namespace
}  // namespace kx
