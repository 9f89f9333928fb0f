// The setter of a property that does something when it changes (marks a control for refresh, notifies its owner):
//
//   void TKXCustomEdit::SetBGColor(TKXColor value) { SetProperty(FBGColor, value); }            // a control
//   void TKXFont::SetColor(TKXColor value) { AssignProperty(FColor, value, [this] { Changed(); }); }
#pragma once

#include <utility>

namespace kx {

// Stores value into field and runs changed when the two differ; returns whether they did.
template <class T, class V, class F>
bool AssignProperty(T& field, V&& value, F&& changed) {
  if (field == value) return false;
  field = std::forward<V>(value);
  std::forward<F>(changed)();
  return true;
}

}  // namespace kx
