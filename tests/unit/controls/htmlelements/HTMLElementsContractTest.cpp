// The rule, the list, the applet, the URL window and the rectangle against the control contract
// (support/ControlContract.h).
#include "kx/controls/htmlelements/HTMLControls.h"
#include "kx/controls/htmlelements/Rectangle.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

const TControlContract kHTMLElementsContract[] = {
    {.Name = "HRule",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXHRule>("Rule1", f.Form); },
     .Tag = "hr",
     .Styles = {{"margin", "0"}, {"border-style", "solid"}, {"border-color", "#000000"}, {"color", "#000000"}}},
    {.Name = "ListAsHTMLList",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* list = f.Add<htmlcontrols::TKXList>("List1", f.Form);
       list->Items().Add("one");
       list->SetRenderMode(rmHTMLList);
       list->SetBulleted(true);
       list->SetBulletType(btSquare);
       return list;
     },
     .Tag = "ul",
     .Styles = {{"list-style-type", "square"}}},
    {.Name = "Applet",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* applet = f.Add<TKXApplet>("Applet1", f.Form);
       applet->SetClassFile("Main.class");
       applet->SetCodeBase("http://example.com/classes/");
       applet->SetAlignment(aaRight);
       applet->SetAltText("a \"quoted\" <text>");
       return applet;
     },
     .Tag = "applet",
     .Attributes = {{"code", "Main.class"}, {"codebase", "http://example.com/classes/"}, {"align", "right"},
                    {"width", "200"}, {"height", "200"}, {"alt", "a \"quoted\" <text>"}, {"name", kAbsent}}},
    {.Name = "URLWindow",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* frame = f.Add<TKXURLWindow>("Frame1", f.Form);
       frame->SetURI(" page.html?a=1&b=2 ");
       frame->SetScrolling(usAuto);
       return frame;
     },
     .Tag = "iframe",
     .Attributes = {{"src", "page.html?a=1&b=2"}, {"name", "FRAME1"}, {"id", "FRAME1"}, {"width", "150"},
                    {"height", "100"}, {"frameborder", "0"}, {"scrolling", "AUTO"}},
     .AsyncType = "KXURLWINDOW",
     .AsyncFacts = {{"src", "page.html?a=1&amp;b=2"}}},
    // A rectangle without text: an unstyled row with one empty cell.
    {.Name = "Rectangle",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* rectangle = f.Add<TKXRectangle>("Rect1", f.Form);
       rectangle->SetColor(clRed);
       return rectangle;
     },
     .Tag = "div",
     .AsyncType = "KXRECTANGLE"},
};
KX_CONTROL_CONTRACT(HTMLElements, kHTMLElementsContract);

}  // namespace
}  // namespace kx::test
