// The ledger of a session's submits: what is kept of a post as it arrives, runs and ends, and what goes first when
// it is full.
#include "kx/appserver/PostLedger.h"

#include <gtest/gtest.h>

#include <string>

namespace kx {
namespace {

std::string Token(int i) { return "0123456789abcdef" + std::to_string(i); }

// Full, the ledger lets the oldest finished post go, never one that waits or runs while a finished one can.
TEST(TKXPostLedger, WhenFullTheOldestFinishedPostGoesFirst) {
  TKXPostLedger posts;
  posts.Arrive(Token(0));
  posts.Start(Token(0));  // runs for the whole test
  for (int i = 1; i <= int(TKXPostLedger::Capacity) + 4; ++i) {
    posts.Arrive(Token(i));
    posts.Finish(Token(i));
  }
  EXPECT_EQ(posts.Ask(Token(0)), TKXPostState::Running);
  const int newest = int(TKXPostLedger::Capacity) + 4;
  EXPECT_EQ(posts.Arrive(Token(newest)), TKXPostState::Done);
  EXPECT_EQ(posts.Arrive(Token(1)), TKXPostState::Unknown) << "the oldest finished one went";
}

}  // namespace
}  // namespace kx
