// The message of the exception an action raises, or "(no exception)": lets a
// test compare the exact text of a refusal in one line.
#pragma once

#include <string>

#include "kx/platform/SysUtils.h"

namespace kx::test {

template <class E = Exception, class F>
std::string MessageOf(F&& action) {
  try {
    action();
  } catch (const E& e) {
    return e.Message();
  }
  return "(no exception)";
}

}  // namespace kx::test
