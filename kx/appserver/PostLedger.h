// What a session knows of its page's submits by their tokens. Each submit of a page carries a token of its own
// (KX_Retry): a post that comes again with a token the session has seen (a reload of the page its answer was, the
// browser sending it once more) is not run again, and a page whose post has had no answer for a long time can ask
// what became of it. Builds on nothing but the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

enum class TKXPostState : std::uint8_t {
  Unknown,    // never arrived, turned away, or forgotten
  Waiting,    // arrived, waits for the session's earlier request
  Running,    // runs in the session now
  Done,       // ran; its answer went out
  Abandoned,  // its page asked for it before it arrived and was given back: should it still arrive, it never runs
};

// The word the page reads for a state ("unknown", "waiting", "running", "done", "abandoned").
std::string_view PostStateWord(TKXPostState state);

// Thread-safe: requests waiting for the session and the page's question reach it without the session's lock.
class TKXPostLedger {
 public:
  // Tokens kept at most; the oldest finished ones go first. A session's page has one submit under way at a time, and
  // the store lets few requests wait for a session, so this is many reloads deep.
  static constexpr std::size_t Capacity = 16;

  // Records the post of token as waiting and returns what was known of it before: Unknown for a new post.
  TKXPostState Arrive(std::string_view token);
  // The post has the session now.
  void Start(std::string_view token) { Set(token, TKXPostState::Running); }
  // The post has run; its token stays so that the same post sent again is known.
  void Finish(std::string_view token) { Set(token, TKXPostState::Done); }
  // The post was turned away before it ran: nothing of it is kept.
  void Forget(std::string_view token);
  // What is known of the post; an unknown one is recorded Abandoned, as its page gives the post up on this answer.
  TKXPostState Ask(std::string_view token);

 private:
  struct TEntry {
    std::string Token;
    TKXPostState State;
  };
  TEntry* Find(std::string_view token);
  void Set(std::string_view token, TKXPostState state);
  void Add(std::string_view token, TKXPostState state);

  std::mutex mLock;              // held briefly
  std::vector<TEntry> mEntries;  // oldest first
};

}  // namespace kx
