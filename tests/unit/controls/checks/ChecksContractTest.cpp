// The check box, the radio button and the radio group against the control contract (support/ControlContract.h).
#include "kx/controls/checks/Checks.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

std::string CheckedOf(TKXCustomControl& control) {
  if (auto* box = dynamic_cast<TKXCheckBox*>(&control)) return box->Checked() ? "1" : "0";
  return static_cast<TKXRadioButton&>(control).Checked() ? "1" : "0";
}

std::string GroupIndexOf(TKXCustomControl& control) {
  return std::to_string(static_cast<TKXRadioGroup&>(control).ItemIndex());
}

void SetCaptionOf(TKXCustomControl& control, const std::string& text) { control.SetText(text); }

// "on" in any case checks the box; anything else (the field of an unchecked box posts "" or "Off") clears it.
const std::vector<TPostedValue> kCheckBoxPosts = {
    {"on", "1", &CheckedOf}, {"Off", "0", &CheckedOf}, {"ON", "1", &CheckedOf}, {"", "0", &CheckedOf},
    {"true", "0", &CheckedOf}};

const TControlContract kChecksContract[] = {
    {.Name = "CheckBox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXCheckBox>("Check1", f.Form); },
     .Tag = "span",
     .Attributes = {{"id", "CHECK1"}, {"name", kAbsent}},
     .Posts = kCheckBoxPosts,
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXCHECKBOX",
     .AsyncFacts = {{"checked", "false"}, {"enabled", "true"}}},
    {.Name = "CoolCheckBox",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* box = f.Add<TKXCheckBox>("Check1", f.Form);
       box->SetStyle(TKXCustomCheckBoxStyle::stCool);
       box->SetChecked(true);
       return box;
     },
     .Tag = "span",
     .Posts = kCheckBoxPosts,
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXCHECKBOX",
     .AsyncFacts = {{"checked", "true"}}},
    {.Name = "RadioButton",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXRadioButton>("Radio1", f.Form); },
     .Tag = "span",
     .Attributes = {{"id", "RADIO1"}, {"name", kAbsent}},
     // the group posts the checked button's value; the button's value is its name
     .Posts = {{"radio1", "1", &CheckedOf}, {"Radio2", "0", &CheckedOf}, {"", "0", &CheckedOf}},
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXRADIOBUTTON",
     .AsyncFacts = {{"value", "Radio1"}, {"checked", "false"}}},
    {.Name = "RadioGroup",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* group = f.Add<TKXRadioGroup>("Group1", f.Form);
       for (const char* item : {"Red", "Green", "Blue"}) group->Items().Add(item);
       return group;
     },
     .Tag = "div",
     .Attributes = {{"type", "RADIOGROUP"}, {"name", kAbsent}},
     // a value that is not an item's index changes nothing; -1 checks nothing
     .Posts = {{"1", "1", &GroupIndexOf}, {"x", "1", &GroupIndexOf}, {"2", "2", &GroupIndexOf},
               {"-5", "2", &GroupIndexOf}, {"9", "2", &GroupIndexOf}, {"-1", "-1", &GroupIndexOf}},
     .HostileText = [](TKXCustomControl& c, const std::string& text) {
       static_cast<TKXRadioGroup&>(c).Items().SetStrings(0, text);
     },
     .AsyncType = "KXRADIOGROUP",
     .AsyncFacts = {{"@layout", "vertical"}, {"items/item[2]/@id", "GROUP1_INPUT_1"}, {"items/item[3]", "Blue"}}},
};
KX_CONTROL_CONTRACT(Checks, kChecksContract);

}  // namespace
}  // namespace kx::test
