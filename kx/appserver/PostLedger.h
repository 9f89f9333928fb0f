// What a session knows of its page's submits by their tokens. Each submit of a page carries a token of its own
// (KX_Retry), the same in every copy of it the page sends (a try again after a turn-away, a resend): of the copies,
// the first that takes the session runs the post and every later one runs nothing (a reload of the page its answer
// was, the browser or the page sending it once more). A page whose post has had no answer for a long time asks what
// became of it. Builds on nothing but the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

enum class TKXPostState : std::uint8_t {
  Unknown,    // never arrived, turned away or refused before it ran, or forgotten
  Waiting,    // a copy arrived and waits for the session's earlier request
  Running,    // a copy has the session and runs it (or is still checked before it runs)
  Done,       // ran; its answer went out
  Abandoned,  // its page withdrew it before any copy arrived: should one still arrive, it never runs
};

// The word the page reads for a state ("unknown", "waiting", "running", "done", "abandoned").
std::string_view PostStateWord(TKXPostState state);

// Thread-safe: requests waiting for the session and the page's question reach it without the session's lock. Claim,
// Finish and Release are called with the session's lock held, so one copy of a post at a time holds it.
class TKXPostLedger {
 public:
  // Tokens kept at most; the oldest finished ones go first. A session's page has one submit under way at a time, and
  // the store lets few requests wait for a session, so this is many reloads deep.
  static constexpr std::size_t Capacity = 16;

  // A copy of the post arrived and waits for the session: an unknown post becomes Waiting. Each copy that arrives
  // leaves by Leave or Claim.
  void Arrive(std::string_view token);
  // A copy that arrived went without taking the session (turned away): a post that only waited, with no copy
  // waiting any more, is forgotten.
  void Leave(std::string_view token);
  // A copy took the session: it claims its post (Running) unless the post is Done or Abandoned. Returns the state
  // found; the copy runs the post only when that was neither.
  TKXPostState Claim(std::string_view token);
  // The claimed post ran (also when its handler failed or redirected): its token stays, so a copy sent again is known.
  void Finish(std::string_view token) { Set(token, TKXPostState::Done); }
  // The claimed post was refused before it ran (401, a redirect, a failed check): Waiting again while other copies
  // wait, else forgotten, so that the next copy runs it.
  void Release(std::string_view token);
  // What is known of the post; changes nothing.
  TKXPostState Ask(std::string_view token);
  // The page withdraws the post: an unknown one is recorded Abandoned, so no copy of it ever runs. Returns the state
  // then; a post that waits, runs or ran stays as it is.
  TKXPostState GiveUp(std::string_view token);

 private:
  struct TEntry {
    std::string Token;
    TKXPostState State;
    int Copies;  // copies that arrived and have not yet left or claimed
  };
  TEntry* Find(std::string_view token);
  TEntry& FindOrAdd(std::string_view token);
  void Set(std::string_view token, TKXPostState state);
  // Forgets entry when it only waited and no copy waits any more.
  void ForgetUnwaited(const TEntry& entry);

  std::mutex mLock;              // held briefly
  std::vector<TEntry> mEntries;  // oldest first
};

}  // namespace kx
