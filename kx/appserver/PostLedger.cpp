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

TKXPostLedger::TEntry& TKXPostLedger::FindOrAdd(std::string_view token) {
  if (TEntry* entry = Find(token)) return *entry;
  if (mEntries.size() >= Capacity) {
    // A post under way is never forgotten while a finished one can go instead.
    auto old = std::find_if(mEntries.begin(), mEntries.end(), [](const TEntry& e) {
      return e.State == TKXPostState::Done || e.State == TKXPostState::Abandoned;
    });
    mEntries.erase(old != mEntries.end() ? old : mEntries.begin());
  }
  return mEntries.emplace_back(TEntry{std::string(token), TKXPostState::Unknown, 0});
}

void TKXPostLedger::ForgetUnwaited(const TEntry& entry) {
  if (entry.State != TKXPostState::Waiting || entry.Copies > 0) return;
  std::erase_if(mEntries, [&](const TEntry& e) { return &e == &entry; });
}

void TKXPostLedger::Arrive(std::string_view token) {
  std::lock_guard guard(mLock);
  TEntry& entry = FindOrAdd(token);
  if (entry.State == TKXPostState::Unknown) entry.State = TKXPostState::Waiting;
  ++entry.Copies;
}

void TKXPostLedger::Leave(std::string_view token) {
  std::lock_guard guard(mLock);
  TEntry* entry = Find(token);
  if (entry == nullptr) return;
  entry->Copies = std::max(entry->Copies - 1, 0);
  ForgetUnwaited(*entry);
}

TKXPostState TKXPostLedger::Claim(std::string_view token) {
  std::lock_guard guard(mLock);
  TEntry& entry = FindOrAdd(token);
  entry.Copies = std::max(entry.Copies - 1, 0);
  const TKXPostState found = entry.State;
  if (found != TKXPostState::Done && found != TKXPostState::Abandoned) entry.State = TKXPostState::Running;
  return found;
}

void TKXPostLedger::Set(std::string_view token, TKXPostState state) {
  std::lock_guard guard(mLock);
  FindOrAdd(token).State = state;
}

void TKXPostLedger::Release(std::string_view token) {
  std::lock_guard guard(mLock);
  TEntry* entry = Find(token);
  if (entry == nullptr) return;
  entry->State = TKXPostState::Waiting;
  ForgetUnwaited(*entry);
}

TKXPostState TKXPostLedger::Ask(std::string_view token) {
  std::lock_guard guard(mLock);
  const TEntry* entry = Find(token);
  return entry != nullptr ? entry->State : TKXPostState::Unknown;
}

TKXPostState TKXPostLedger::GiveUp(std::string_view token) {
  std::lock_guard guard(mLock);
  TEntry& entry = FindOrAdd(token);
  if (entry.State == TKXPostState::Unknown) entry.State = TKXPostState::Abandoned;
  return entry.State;
}

}  // namespace kx
