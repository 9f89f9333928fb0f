#include "kx/platform/CompactFunction.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kx {
namespace {

using TTextEvent = TCompactFunction<void(std::string& text)>;

// The states a handler passes through: each row is assigned in turn and must leave the handler as the row says.
TEST(TCompactFunction, EmptyAndAssignedLikeAStdFunction) {
  struct Case {
    const char* name;
    TTextEvent handler;
    bool assigned;
  };
  const Case cases[] = {
      {"default", TTextEvent(), false},
      {"nullptr", TTextEvent(nullptr), false},
      {"empty std::function", TTextEvent(std::function<void(std::string&)>()), false},
      {"lambda", TTextEvent([](std::string& text) { text += "x"; }), true},
      {"std::function", TTextEvent(std::function<void(std::string&)>([](std::string& text) { text += "x"; })), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(bool(c.handler), c.assigned);
    EXPECT_EQ(c.handler == nullptr, !c.assigned);
    const std::function<void(std::string&)>& asFunction = c.handler;
    EXPECT_EQ(bool(asFunction), c.assigned);
    std::string text;
    if (c.assigned) {
      c.handler(text);
      EXPECT_EQ(text, "x");
    } else {
      EXPECT_THROW(c.handler(text), std::bad_function_call);
    }
  }
}

TEST(TCompactFunction, ACopyHoldsItsOwnHandler) {
  int calls = 0;
  TTextEvent first = [&calls](std::string&) { ++calls; };
  TTextEvent second = first;
  first = nullptr;
  EXPECT_FALSE(first);
  ASSERT_TRUE(second);
  std::string text;
  second(text);
  EXPECT_EQ(calls, 1);
  first = second;
  second = nullptr;
  first(text);
  EXPECT_EQ(calls, 2);
  const TTextEvent& itself = first;
  first = itself;  // assigning itself keeps the handler
  first(text);
  EXPECT_EQ(calls, 3);
}

TEST(TCompactFunction, CostsOnePointer) { EXPECT_EQ(sizeof(TTextEvent), sizeof(void*)); }

}  // namespace
}  // namespace kx
