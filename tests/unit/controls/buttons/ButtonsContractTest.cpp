// The button against the control contract (support/ControlContract.h).
#include "kx/controls/buttons/Buttons.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

void SetCaptionOf(TKXCustomControl& control, const std::string& text) {
  static_cast<TKXButton&>(control).SetCaption(text);
}

const TControlContract kButtonsContract[] = {
    {.Name = "Button",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* button = f.Add<TKXButton>("Button1", f.Form);
       button->SetCaption("Go");
       return button;
     },
     .Tag = "input",
     .Attributes = {{"type", "button"}, {"name", "BUTTON1"}, {"value", "Go"}, {"disabled", kAbsent}},
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXBUTTON",
     .AsyncFacts = {{"caption", "Go"}, {"enabled", "true"}}},
    {.Name = "DisabledButtonWithHotKey",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* button = f.Add<TKXButton>("Button1", f.Form);
       button->SetCaption("Save");
       button->SetHotKey("v");
       button->SetEnabled(false);
       return button;
     },
     .Tag = "button",
     .Attributes = {{"accesskey", "v"}, {"disabled", "disabled"}},
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXBUTTON",
     .AsyncFacts = {{"enabled", "false"}}},
};
KX_CONTROL_CONTRACT(Buttons, kButtonsContract);

}  // namespace
}  // namespace kx::test
