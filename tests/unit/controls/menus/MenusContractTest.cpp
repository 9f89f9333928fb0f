// The menu bar against the control contract (support/ControlContract.h).
#include "kx/controls/menus/Menu.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

const TControlContract kMenusContract[] = {
    {.Name = "Menu",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* menu = TComponent::Create<TMainMenu>(f.Form);
       menu->Items().Add("&File")->Add("Open");
       auto* bar = f.Add<TKXMenu>("Menu1", f.Form);
       bar->SetAttachedMenu(menu);
       return bar;
     },
     .Tag = "table",
     // Every "&" of a caption is dropped, so the hostile texts are not the contract's; MenuTest checks escaping.
     .Attributes = {{"id", "MENU1"}, {"name", "MENU1"}, {"class", "MenuContainer"}}},
};
KX_CONTROL_CONTRACT(Menus, kMenusContract);

}  // namespace
}  // namespace kx::test
