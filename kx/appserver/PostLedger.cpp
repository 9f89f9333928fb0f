#include "kx/appserver/PostLedger.h"

#include <algorithm>

namespace kx {

std::string_view PostStateWord(TKXPostState state) {
  switch (state) {
    case TKXPostState::Waiting: return "waiting";
    case TKXPostState::Running: return "running";
    case TKXPostState::Done: return "done";
    case TKXPostState::Abandoned: return "abandoned";
    case TKXPostState::Unknown: break;
  }
  return "unknown";
}

TKXPostLedger::TEntry* TKXPostLedger::Find(std::string_view token) {
  auto found = std::find_if(mEntries.begin(), mEntries.end(), [&](const TEntry& e) { return e.Token == token; });
  return found == mEntries.end() ? nullptr : &*found;
}

void TKXPostLedger::Add(std::string_view token, TKXPostState state) {
  if (mEntries.size() >= Capacity) {
    // A post under way is never forgotten while a finished one can go instead.
    auto old = std::find_if(mEntries.begin(), mEntries.end(), [](const TEntry& e) {
      return e.State == TKXPostState::Done || e.State == TKXPostState::Abandoned;
    });
    mEntries.erase(old != mEntries.end() ? old : mEntries.begin());
  }
  mEntries.push_back({std::string(token), state});
}

TKXPostState TKXPostLedger::Arrive(std::string_view token) {
  std::lock_guard guard(mLock);
  if (const TEntry* entry = Find(token)) return entry->State;
  Add(token, TKXPostState::Waiting);
  return TKXPostState::Unknown;
}

void TKXPostLedger::Set(std::string_view token, TKXPostState state) {
  std::lock_guard guard(mLock);
  if (TEntry* entry = Find(token))
    entry->State = state;
  else
    Add(token, state);
}

void TKXPostLedger::Forget(std::string_view token) {
  std::lock_guard guard(mLock);
  std::erase_if(mEntries, [&](const TEntry& e) { return e.Token == token; });
}

TKXPostState TKXPostLedger::Ask(std::string_view token) {
  std::lock_guard guard(mLock);
  if (const TEntry* entry = Find(token)) return entry->State;
  Add(token, TKXPostState::Abandoned);
  return TKXPostState::Unknown;
}

}  // namespace kx
