// The gradient button against the control contract (support/ControlContract.h).
#include "kx/controls/css3/GradButton.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

void SetCaptionOf(TKXCustomControl& control, const std::string& text) {
  static_cast<TKXGradButton&>(control).SetCaption(text);
}

const TControlContract kCss3Contract[] = {
    // A new gradient button is red: a gradient from #ED1C24 to #AA1317 and a 1-pixel border of #980C10.
    {.Name = "GradButton",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* button = f.Add<TKXGradButton>("Grad1", f.Form);
       button->SetCaption("Go");
       return button;
     },
     .Tag = "input",
     .Attributes = {{"name", "GRAD1"}, {"type", "button"}, {"class", "GRAD1CSS"}, {"value", "Go"},
                    {"style", kAbsent}, {"disabled", kAbsent}},
     .Styles = {{"background-image", "linear-gradient(to bottom, #ED1C24, #AA1317)"},
                {"border", "solid 1px #980C10"},
                {"text-align", "center"},
                {"box-shadow", "1px 1px 1px rgba(0,0,0,0.5)"},
                {"text-shadow", "1px 1px 1px rgba(0,0,0,0.5)"},
                {"outline", "none"}},
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXBUTTON",
     .AsyncFacts = {{"caption", "Go"}, {"css", "GRAD1CSS"}}},
    {.Name = "GradButtonWithHotKeyDisabled",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* button = f.Add<TKXGradButton>("Grad1", f.Form);
       button->SetCaption("Save");
       button->SetHotKey("s");
       button->SetEnabled(false);
       button->SetFocusOutline(true);
       button->Style().SetColorScheme(csWhite);
       return button;
     },
     .Tag = "button",
     .Attributes = {{"accesskey", "s"}, {"class", "GRAD1CSS"}, {"disabled", "disabled"}},
     .Styles = {{"background-image", "linear-gradient(to bottom, #FFFFFF, #EDEDED)"}, {"color", "#000000"}},
     .AsyncType = "KXBUTTON",
     .AsyncFacts = {{"enabled", "false"}}},
};
KX_CONTROL_CONTRACT(Css3, kCss3Contract);

}  // namespace
}  // namespace kx::test
