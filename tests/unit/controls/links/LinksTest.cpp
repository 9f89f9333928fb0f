#include "kx/controls/links/Links.h"

#include <gtest/gtest.h>

#include <string>

#include "support/RenderedTags.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::Rendered;
using test::TFormFixture;

// What a URL link does, by its settings: the href, target and click code it renders (and its update sends).
TEST(TKXURL, ActionFollowsTheAddressAndTheTargetOptions) {
  struct Case {
    const char* name;
    const char* url;
    bool useTarget;
    TKXURLTargetMode mode;
    bool terminate;
    const char* href;
    const char* target;
    const char* onClick;
  };
  const Case cases[] = {
      {"relative ignores targets", "page.html", true, tmNewWindow, true, "page.html", "", ""},
      {"absolute without UseTarget", "http://example.com/x", false, tmSelf, false, "http://example.com/x", "_blank",
       ""},
      {"targeted", "http://example.com/x", true, tmParent, false, "http://example.com/x", "_parent", ""},
      {"root-relative counts as absolute", "/files/a.pdf", true, tmTop, false, "/files/a.pdf", "_top", ""},
      {"new window", "http://example.com/?a=1&b='2'", true, tmNewWindow, false, "#URL1", "",
       "NewWindow('http://example.com/?a=1\\x26b=\\x272\\x27', 'w\\x22in','location=no,menubar=no,resizable=yes,"
       "toolbar=no,scrollbars=yes')"},
      // F13: the target is encoded, so that "&" and "#" reach the server inside the "url" parameter.
      {"stop, plain", "http://example.com/?q=a&b#top", false, tmBlank, true, "", "",
       "parent.LoadURL('/$/Stop/?url=example.com%2f%3fq%3da%26b%23top')"},
      {"stop, secure", "HTTPS://example.com/", false, tmBlank, true, "", "",
       "parent.LoadURL('/$/Stop/?url=_s_.example.com%2f')"},
      {"stop, quote", "http://x/'); alert(1); ('", false, tmBlank, true, "", "",
       "parent.LoadURL('/$/Stop/?url=x%2f\\x27)%3b+alert(1)%3b+(\\x27')"},
      // Escaped as text in the attribute: "&amp;" in the address reaches the browser as "&amp;".
      {"entity in the URL", "a.html?x=&amp;", false, tmBlank, false, "a.html?x=&amp;amp;", "", ""},
      // A script URL would run in the page: it gets no href.
      {"script URL", " JavaScript:alert(1)", false, tmBlank, false, "", "", ""},
      {"VBScript URL", " VBScript:MsgBox(1)", false, tmBlank, false, "", "", ""},
      {"data URL", "Data:text/html,<script>alert(1)</script>", false, tmBlank, false, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFormFixture f;
    auto* link = f.Add<TKXURL>("Url1", f.Form);
    link->SetURL(c.url);
    link->TargetOptions().SetMode(c.mode);
    link->TargetOptions().SetWindowName("w\"in");
    link->SetUseTarget(c.useTarget);
    if (c.terminate) link->SetTerminateApp(true);
    const TKXURL::TLinkAction action = link->LinkAction();
    EXPECT_EQ(TKXBaseHTMLControl::TextToHTML(action.Href, false, false, false), c.href);
    EXPECT_EQ(action.Target, c.target);
    EXPECT_EQ(action.OnClick, c.onClick);
    TKXMarkupLanguageTag* tag = Rendered(f, "URL1");
    EXPECT_EQ(tag->Params()->Values("href"), c.href);
    EXPECT_EQ(tag->Params()->Values("onclick"), c.onClick);
  }
}

TEST(TKXURL, TheHintFollowsTheURLWhileItWasTheURL) {
  TFormFixture f;
  auto* link = f.Add<TKXURL>("Url1", f.Form);
  link->SetURL("  a.html ");
  EXPECT_EQ(link->URL(), "a.html");
  EXPECT_EQ(link->Hint(), "a.html");
  link->SetDoRefreshControl(false);
  link->SetURL("A.HTML");  // the same ignoring case: nothing changes
  EXPECT_EQ(link->URL(), "a.html");
  EXPECT_FALSE(link->DoRefreshControl());
  link->SetHint("my own");
  link->SetURL("b.html");
  EXPECT_EQ(link->Hint(), "my own");
}

TEST(TKXURL, AlignedLinkSitsInADivAndNeedsTheScript) {
  TFormFixture f;
  auto* link = f.Add<TKXURL>("Url1", f.Form);
  link->SetURL("a.html");
  link->SetCaption("a <b>");
  link->SetAlignment(taCenter);
  link->SetRenderSize(true);
  TKXMarkupLanguageTag* tag = Rendered(f, "URL1");
  EXPECT_EQ(tag->Render(), "\r\n<div style=\"text-align:center;\" title=\"a.html\"><a href=\"a.html\">a &lt;b&gt;</a></div>");
  EXPECT_NE(f.Form->Page.ScriptFiles().IndexOf("/js/KXLinks.js"), -1);
}

TEST(TKXLink, HookChecksTheLinkBeforeItSubmits) {
  TFormFixture f;
  auto* link = f.Add<TKXLink>("Link1", f.Form);
  TKXScriptEvents events(link);
  link->HookEvents(nullptr, events);
  EXPECT_EQ(events.GetCodeByEventName("OnClick"), "") << "no handler, no hook";
  link->OnClick = [](TObject*) {};
  link->HookEvents(nullptr, events);
  EXPECT_EQ(events.GetCodeByEventName("OnClick"),
            "if (document.getElementById('LINK1').href) {SubmitClickConfirm('LINK1','', false, '');return false;} "
            "else return false;");
  link->SetAlignment(taRightJustify);
  TKXScriptEvents aligned(link);
  link->HookEvents(nullptr, aligned);
  EXPECT_EQ(aligned.GetCodeByEventName("OnClick"),
            "if (document.getElementById('LINK1').childNodes[0].href) {SubmitClickConfirm('LINK1','', false, '');"
            "return false;} else return false;");
  EXPECT_EQ(Rendered(f, "LINK1")->Render(),
            "\r\n<div style=\"text-align:right;\"><a href=\"javascript:void(0);\" style=\"" +
                link->WebFont().FontToStringStyle() + "\"></a></div>");
}

TEST(TKXLink, DisabledOrWithoutHandlerItIsALabel) {
  TFormFixture f;
  auto* link = f.Add<TKXLink>("Link1", f.Form);
  link->SetCaption("Tom & Jerry");
  link->OnAsyncClick = [](TObject*, TStrings&) {};
  EXPECT_EQ(Rendered(f, "LINK1")->Tag(), "a");
  link->SetEnabled(false);
  EXPECT_EQ(Rendered(f, "LINK1")->Render(), "\r\n<span>Tom &amp; Jerry</span>");
}

}  // namespace
}  // namespace kx
