// The edit and the memo against the control contract (support/ControlContract.h).
#include "kx/controls/edits/Edits.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

std::string TextOf(TKXCustomControl& control) { return control.Text(); }
void SetTextOf(TKXCustomControl& control, const std::string& text) { control.SetText(text); }

const TControlContract kEditsContract[] = {
    {.Name = "Edit",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXEdit>("Edit1", f.Form); },
     .Tag = "input",
     .Attributes = {{"name", "EDIT1"}, {"type", "TEXT"}, {"maxlength", "2147483647"}, {"readonly", kAbsent}},
     .Styles = {{"border", "1px inset"}, {"text-align", "left"}},
     .Posts = {{"typed", "typed", &TextOf}, {"", "", &TextOf}},
     .HostileText = &SetTextOf,
     .AsyncType = "KXEDIT",
     .AsyncFacts = {{"@id", "EDIT1"}}},
    {.Name = "PasswordWithMaxLength",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
       edit->SetPasswordPrompt(true);
       edit->SetMaxLength(4);
       edit->SetReadOnly(true);
       return edit;
     },
     .Tag = "input",
     .Attributes = {{"type", "PASSWORD"}, {"maxlength", "4"}, {"readonly", "readonly"}},
     // the browser never posts more than MaxLength characters
     .Posts = {{"abcdefg", "abcd", &TextOf}, {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\xA9", "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", &TextOf}},
     .AsyncType = "KXEDIT",
     .AsyncFacts = {{"readonly", "true"}, {"maxlength", "4"}}},
    {.Name = "Memo",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXMemo>("Memo1", f.Form); },
     .Tag = "textarea",
     .Attributes = {{"name", "MEMO1"}},
     .Styles = {{"border", "1px inset"}},
     .Posts = {{"one\ntwo", "one\r\ntwo\r\n", &TextOf}},
     .HostileText = &SetTextOf,
     .AsyncType = "KXMEMO"},
};
KX_CONTROL_CONTRACT(Edits, kEditsContract);

}  // namespace
}  // namespace kx::test
