#include "kx/platform/CompactString.h"

#include <gtest/gtest.h>

#include <string>

namespace kx {
namespace {

// Each row is stored in turn into one text, which must then read as the row's text.
TEST(TCompactString, ReadsAsTheTextLastStored) {
  const char* stored[] = {"", "hint", "a longer text than the small-string buffer holds", "", "x"};
  TCompactString text;
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(text.Get(), "");
  for (const char* value : stored) {
    SCOPED_TRACE(value);
    text = std::string(value);
    const std::string& read = text;
    EXPECT_EQ(read, value);
    EXPECT_EQ(text.empty(), *value == '\0');
  }
}

TEST(TCompactString, CopiesAreIndependentAndSelfAssignmentKeepsTheText) {
  TCompactString first;
  first = "one";
  TCompactString second = first;
  first = "two";
  EXPECT_EQ(second.Get(), "one");
  const TCompactString& itself = second;
  second = itself;
  EXPECT_EQ(second.Get(), "one");
  second = second.Get();  // storing its own text
  EXPECT_EQ(second.Get(), "one");
  second.clear();
  EXPECT_TRUE(second.empty());
  EXPECT_EQ(first.Get(), "two");
  EXPECT_EQ(sizeof(TCompactString), sizeof(void*));
}

}  // namespace
}  // namespace kx
