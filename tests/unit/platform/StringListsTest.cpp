#include "platform/StringLists.h"

#include <gtest/gtest.h>

namespace kx {

TEST(TStringList, AddCountClear) {
  TStringList list;
  EXPECT_EQ(list.Add("one"), 0);
  EXPECT_EQ(list.Add("two"), 1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(1), "two");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace kx
