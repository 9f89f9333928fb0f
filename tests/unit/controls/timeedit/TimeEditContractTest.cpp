// The time edit against the control contract (support/ControlContract.h).
#include "kx/controls/timeedit/TimeEdit.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

std::string MinutesOf(TKXCustomControl& control) {
  return std::to_string(static_cast<TKXTimeEdit&>(control).Minutes());
}

const TControlContract kTimeEditContract[] = {
    {.Name = "TimeEdit",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXTimeEdit>("Time1", f.Form); },
     .Tag = "input",
     .Attributes = {{"name", "TIME1"}, {"type", "TEXT"}},
     .Posts = {{"1:15", "75", &MinutesOf}, {"2h", "120", &MinutesOf}, {"3d", "1440", &MinutesOf},
               {"abc", "0", &MinutesOf}, {"45", "45", &MinutesOf}},
     .HostileText = [](TKXCustomControl& c, const std::string& text) { c.SetText(text); },
     .AsyncType = "KXEDIT"},
};
KX_CONTROL_CONTRACT(TimeEdit, kTimeEditContract);

}  // namespace
}  // namespace kx::test
