// The grid against the control contract (support/ControlContract.h).
#include "kx/controls/grids/Grids.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

const TControlContract kGridsContract[] = {
    {.Name = "Grid",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* grid = f.Add<TKXGrid>("Grid1", f.Form);
       grid->SetColumnCount(2);
       return grid;
     },
     .Tag = "div",
     // The text of a cell that is not raw.
     .HostileText =
         [](TKXCustomControl& control, const std::string& text) {
           TKXGridCell* cell = static_cast<TKXGrid&>(control).Cell(0, 1);
           cell->SetRawText(false);
           cell->SetText(text);
         },
     .AsyncType = "KXGRID",
     .AsyncFacts = {{"@id", "GRID1"}, {"enabled", "true"}}},
    {.Name = "ClickableGrid",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* grid = f.Add<TKXGrid>("Grid1", f.Form);
       grid->Cell(0, 0)->SetClickable(true);
       grid->Cell(0, 0)->SetRawText(false);
       return grid;
     },
     .Tag = "div",
     .HostileText =
         [](TKXCustomControl& control, const std::string& text) {
           static_cast<TKXGrid&>(control).Cell(0, 0)->SetText(text);
           static_cast<TKXGrid&>(control).Cell(0, 0)->SetUnlinkedText(text);
         },
     .AsyncType = "KXGRID"},
};

}  // namespace

KX_CONTROL_CONTRACT(Grids, kGridsContract);

}  // namespace kx::test
