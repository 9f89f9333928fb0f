// The link and the URL link against the control contract (support/ControlContract.h).
#include "kx/controls/links/Links.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

void SetCaptionOf(TKXCustomControl& control, const std::string& text) {
  static_cast<TKXLinkBase&>(control).SetCaption(text);
}

TKXURL* MakeURL(TFormFixture& f, const std::string& url) {
  auto* link = f.Add<TKXURL>("Url1", f.Form);
  link->SetCaption("Go");
  link->SetURL(url);
  return link;
}

const TControlContract kLinksContract[] = {
    // Without any click handler the link is a label.
    {.Name = "LinkWithoutHandler",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* link = f.Add<TKXLink>("Link1", f.Form);
       link->SetCaption("Read");
       return link;
     },
     .Tag = "span",
     .Styles = {{"cursor", "pointer"}},
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXLINK",
     .AsyncFacts = {{"innerhtml", "Read"}}},
    {.Name = "Link",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* link = f.Add<TKXLink>("Link1", f.Form);
       link->SetCaption("Read");
       link->OnClick = [](TObject*) {};
       return link;
     },
     .Tag = "a",
     .Attributes = {{"href", "javascript:void(0);"}, {"name", kAbsent}},
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXLINK"},
    // A relative URL renders a plain href and no target, whatever the target options say.
    {.Name = "RelativeURL",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       TKXURL* link = MakeURL(f, "  page.html?a=1&b=\"2\"  ");
       link->SetUseTarget(true);
       link->TargetOptions().SetMode(tmTop);
       return link;
     },
     .Tag = "a",
     .Attributes = {{"href", "page.html?a=1&b=\"2\""}, {"target", kAbsent}, {"onclick", kAbsent},
                    {"title", "page.html?a=1&b=\"2\""}},
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXURL",
     .AsyncFacts = {{"href", "page.html?a=1&amp;b=&quot;2&quot;"}, {"onclick", ""}, {"hint", "page.html?a=1&amp;b=&quot;2&quot;"}}},
    // Without UseTarget an absolute URL opens in "_blank".
    {.Name = "AbsoluteURL",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return MakeURL(f, "http://example.com/"); },
     .Tag = "a",
     .Attributes = {{"href", "http://example.com/"}, {"target", "_blank"}},
     .AsyncType = "KXURL",
     .AsyncFacts = {{"target", "_blank"}}},
    {.Name = "DisabledURL",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       TKXURL* link = MakeURL(f, "http://example.com/");
       link->SetEnabled(false);
       return link;
     },
     .Tag = "span",
     .Attributes = {{"href", kAbsent}, {"onclick", kAbsent}},
     .HostileText = &SetCaptionOf,
     .AsyncType = "KXURL",
     .AsyncFacts = {{"href", ""}, {"onclick", ""}, {"enabled", "false"}}},
};
KX_CONTROL_CONTRACT(Links, kLinksContract);

}  // namespace
}  // namespace kx::test
