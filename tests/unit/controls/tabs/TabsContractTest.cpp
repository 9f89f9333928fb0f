// The tab control's and its pages' contract rows.
#include <string>

#include "kx/controls/tabs/TabControl.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

// A tab control of 300 x 200 with two pages, "Page0" and "Page1".
TKXTabControl* TwoPages(TFormFixture& f) {
  auto* tabs = f.Add<TKXTabControl>("Tabs1", f.Form);
  tabs->SetBounds(0, 0, 300, 200);
  tabs->CreateNewPage();
  tabs->CreateNewPage();
  return tabs;
}

std::string ActivePageOf(TKXTabControl& tabs) { return std::to_string(tabs.ActivePage()); }

const TControlContract kTabsContract[] = {
    {.Name = "TabControl",
     .Make = [](TFormFixture& f) -> TComponent* { return TwoPages(f); },
     .Tag = "div",
     .Styles = {{"border-width", "0px"}, {"background-color", "#C0C0C0"}},
     .Posts = {{"1", "1", &ActivePageOf}, {"2", "1", &ActivePageOf}, {"0", "0", &ActivePageOf}},
     .HostileText = [](TKXTabControl& tabs, const std::string& text) { tabs.Pages()[1]->SetTitle(text); },
     .AsyncType = "KXTABCONTROL",
     .AsyncFacts = {{"activeindex", "0"}},
     .UpdateShowsText = false},
    {.Name = "TabPage",
     .Make = [](TFormFixture& f) -> TComponent* { return TwoPages(f)->Pages()[1]; },
     .Tag = "div",
     .Attributes = {{"class", "tab-page"}},
     .Styles = {{"position", "absolute"}, {"top", "20px"}, {"height", "180px"}, {"background-color", "#FFFFFF"}}},
};
KX_CONTROL_CONTRACT(Tabs, kTabsContract);

}  // namespace
}  // namespace kx::test
