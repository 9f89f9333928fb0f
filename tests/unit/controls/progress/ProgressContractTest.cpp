// The progress bar against the control contract (support/ControlContract.h).
#include "kx/controls/progress/Progress.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

const TControlContract kProgressContract[] = {
    {.Name = "ProgressBar",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* bar = f.Add<TKXProgressBar>("Bar1", f.Form);
       bar->SetPercent(40);
       return bar;
     },
     .Tag = "table",
     .AsyncType = "KXPROGRESSBAR",
     .AsyncFacts = {{"enabled", "true"}}},
};
KX_CONTROL_CONTRACT(Progress, kProgressContract);

}  // namespace
}  // namespace kx::test
