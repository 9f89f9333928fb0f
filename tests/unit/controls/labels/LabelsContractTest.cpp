// The label and the text against the control contract (support/ControlContract.h).
#include "kx/controls/labels/Labels.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

const TControlContract kLabelsContract[] = {
    {.Name = "Label",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* label = f.Add<TKXLabel>("Label1", f.Form);
       label->SetCaption("Caption");
       return label;
     },
     .Tag = "span",
     .HostileText = [](TKXCustomControl& c, const std::string& text) { static_cast<TKXLabel&>(c).SetCaption(text); },
     .AsyncType = "KXLABEL",
     .AsyncFacts = {{"innerhtml", "Caption"}, {"css", "LABEL1CSS"}}},
    {.Name = "Text",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* text = f.Add<TKXText>("Text1", f.Form);
       text->SetText("one");
       return text;
     },
     .Tag = "div",
     .HostileText = [](TKXCustomControl& c, const std::string& text) { c.SetText(text); },
     .AsyncType = "KXTEXT"},
};
KX_CONTROL_CONTRACT(Labels, kLabelsContract);

}  // namespace
}  // namespace kx::test
