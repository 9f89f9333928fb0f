// The ledger of a session's submits: what is kept of a post as its copies arrive, take the session, run or are
// turned away, what the page's question changes, and what goes first when it is full.
#include "kx/appserver/PostLedger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kx {
namespace {

std::string Token(int i) { return "0123456789abcdef" + std::to_string(i); }

// Full, the ledger lets the oldest finished post go, never one that waits or runs while a finished one can.
TEST(TKXPostLedger, WhenFullTheOldestFinishedPostGoesFirst) {
  TKXPostLedger posts;
  posts.Arrive(Token(0));
  posts.Claim(Token(0));  // runs for the whole test
  for (int i = 1; i <= int(TKXPostLedger::Capacity) + 4; ++i) {
    posts.Arrive(Token(i));
    posts.Claim(Token(i));
    posts.Finish(Token(i));
  }
  EXPECT_EQ(posts.Ask(Token(0)), TKXPostState::Running);
  const int newest = int(TKXPostLedger::Capacity) + 4;
  EXPECT_EQ(posts.Ask(Token(newest)), TKXPostState::Done);
  EXPECT_EQ(posts.Ask(Token(1)), TKXPostState::Unknown) << "the oldest finished one went";
}

// The copies of one post (a try again, a resend, a reload) in the order they reach the ledger: the first that takes
// the session claims the post, and whatever becomes of one copy never keeps another from running it, nor lets a
// second run it. Each step is an operation with the state it answers (Claim, Ask and GiveUp).
TEST(TKXPostLedger, OfTheCopiesOfAPostOneRunsIt) {
  using S = TKXPostState;
  enum Op { Arrive, Leave, Claim, Finish, Release, Ask, GiveUp };
  struct TStep {
    Op Do;
    S Answer = S::Unknown;
  };
  const struct {
    const char* Name;
    std::vector<TStep> Steps;
  } rows[] = {
      {"a copy turned away while another waits leaves the post waiting",
       {{Arrive}, {Arrive}, {Leave}, {Ask, S::Waiting}, {Claim, S::Waiting}, {Ask, S::Running}}},
      {"the last copy turned away forgets the post", {{Arrive}, {Leave}, {Ask, S::Unknown}}},
      {"a copy refused before it ran lets the waiting one run it",
       {{Arrive}, {Arrive}, {Claim, S::Waiting}, {Release}, {Ask, S::Waiting}, {Claim, S::Waiting}, {Finish},
        {Ask, S::Done}}},
      {"refused with no copy waiting, the post is forgotten",
       {{Arrive}, {Claim, S::Waiting}, {Release}, {Ask, S::Unknown}, {Arrive}, {Claim, S::Waiting}}},
      {"a copy after the post ran runs nothing",
       {{Arrive}, {Arrive}, {Claim, S::Waiting}, {Finish}, {Claim, S::Done}, {Arrive}, {Claim, S::Done}}},
      {"asking changes nothing", {{Ask, S::Unknown}, {Ask, S::Unknown}, {Arrive}, {Claim, S::Waiting}}},
      {"withdrawn before any copy arrived, it never runs",
       {{GiveUp, S::Abandoned}, {Ask, S::Abandoned}, {Arrive}, {Claim, S::Abandoned}, {Ask, S::Abandoned}}},
      {"withdrawing a post under way changes nothing",
       {{Arrive}, {GiveUp, S::Waiting}, {Claim, S::Waiting}, {GiveUp, S::Running}, {Finish}, {GiveUp, S::Done}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    TKXPostLedger posts;
    const std::string token = Token(1);
    for (std::size_t i = 0; i < row.Steps.size(); ++i) {
      SCOPED_TRACE("step " + std::to_string(i + 1));
      const TStep& step = row.Steps[i];
      switch (step.Do) {
        case Arrive: posts.Arrive(token); break;
        case Leave: posts.Leave(token); break;
        case Claim: EXPECT_EQ(posts.Claim(token), step.Answer); break;
        case Finish: posts.Finish(token); break;
        case Release: posts.Release(token); break;
        case Ask: EXPECT_EQ(posts.Ask(token), step.Answer); break;
        case GiveUp: EXPECT_EQ(posts.GiveUp(token), step.Answer); break;
      }
    }
  }
}

}  // namespace
}  // namespace kx
