// The regions' contract rows: a region, a region inside another one, and a region with a splitter.
#include <string>

#include "kx/controls/regions/Regions.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

// A region of 100 x 50 at 3, 4.
TKXRegion* Region(TFormFixture& f, const char* name, TWinControl* parent) {
  auto* region = f.Add<TKXRegion>(name, parent);
  region->SetBounds(3, 4, 100, 50);
  return region;
}

std::string HeightOf(TKXRegion& region) { return std::to_string(region.Height()); }

const TControlContract kRegionsContract[] = {
    {.Name = "Region",
     .Make = [](TFormFixture& f) -> TComponent* { return Region(f, "Region1", f.Form); },
     .Tag = "div",
     .Styles = {{"border-style", "solid"}, {"border-width", "1px"}},
     .AsyncType = "KXREGION",
     .AsyncFacts = {{"css", "REGION1CSS KXCLIPCONTROL"},
                    {"style/attribute[@name='left']", "3px"},
                    {"style/attribute[@name='height']", "48px"},
                    {"style/attribute[@name='width']", "98px"}}},
    {.Name = "RegionInARegion",
     .Make = [](TFormFixture& f) -> TComponent* {
       auto* outer = Region(f, "Outer", f.Form);
       outer->SetBounds(0, 0, 300, 200);
       auto* inner = Region(f, "Inner", outer);
       inner->SetColor(0x0000FF);
       return inner;
     },
     .Tag = "div",
     .Attributes = {{"class", "INNERCSS KXCLIPCONTROL"}},
     .Styles = {{"background-color", "#FF0000"}},
     .AsyncType = "KXREGION",
     .AsyncFacts = {{"css", "INNERCSS KXCLIPCONTROL"}}},
    {.Name = "Splitter",
     .Make = [](TFormFixture& f) -> TComponent* {
       auto* region = Region(f, "Region1", f.Form);
       region->SetAlign(alTop);
       region->SetHeight(100);
       region->SetSplitter(true);
       return region;
     },
     .Tag = "div",
     .Posts = {{"10,250", "250", &HeightOf}, {"0,80", "80", &HeightOf}, {"", "80", &HeightOf}},
     .AsyncType = "KXREGION",
     .AsyncFacts = {{"style/attribute[@name='top']", "0px"}}},
};
KX_CONTROL_CONTRACT(Regions, kRegionsContract);

}  // namespace
}  // namespace kx::test
