#include "kx/controls/htmlelements/HTMLControls.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/controls/htmlelements/Rectangle.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using htmlcontrols::TKXList;
using test::TFormFixture;
using test::TSessionFixture;

std::string RenderedText(TFormFixture& f, const char* htmlName) {
  TKXMarkupLanguageTag* tag = f.Form->Render()->GetMarkupLanguageTag(htmlName);
  return tag ? tag->Render() : std::string("<none>");
}

TEST(TKXList, RendersByModeAndMarks) {
  struct Case {
    const char* name;
    TKXListRenderMode mode;
    bool numbered;
    bool bulleted;
    const char* markup;
  };
  const Case cases[] = {
      {"numbered table", rmTable, true, false,
       "<table>\r\n<tr><td width=\"10%\">1.</td><td width=\"90%\">a</td></tr>\r\n<tr><td width=\"10%\">2."
       "</td><td width=\"90%\"><b>b</b></td></tr>"},
      {"bulleted table", rmTable, false, true,
       "<table>\r\n<tr><td width=\"10%\">&#186;</td><td width=\"90%\">a</td></tr>"},
      {"ordered list", rmHTMLList, true, false, "<ol>\r\n<li>a</li>\r\n<li><b>b</b></li>\r\n<li>c</li></ol>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFormFixture f;
    auto* list = f.Add<TKXList>("List1", f.Form);
    for (const char* item : {"a", "<b>b</b>", "c"}) list->Items().Add(item);  // items are markup, as they stand
    list->SetRenderMode(c.mode);
    list->SetNumbered(c.numbered);
    list->SetBulleted(c.bulleted);
    EXPECT_EQ(RenderedText(f, "LIST1").find(std::string("\r\n") + c.markup), 0U) << RenderedText(f, "LIST1");
  }
}

TEST(TKXList, NumberedAndBulletedExcludeEachOtherAndEmptyRendersNothing) {
  TFormFixture f;
  auto* list = f.Add<TKXList>("List1", f.Form);
  EXPECT_EQ(RenderedText(f, "LIST1"), "<none>");
  list->SetBulleted(true);
  EXPECT_FALSE(list->Numbered());
  list->SetNumbered(true);
  EXPECT_FALSE(list->Bulleted());
  // A change of the items marks the list.
  list->SetDoRefreshControl(false);
  list->Items().Add("x");
  EXPECT_TRUE(list->DoRefreshControl());
  list->SetDoRefreshControl(false);
  list->Clear();
  EXPECT_TRUE(list->DoRefreshControl());
}

TEST(TKXApplet, CodeBaseDefaultsToTheServersBaseAndParametersAreEscaped) {
  TSessionFixture session("Mozilla/5.0 (X11; Linux x86_64) Gecko/20100101 Firefox/118.0");
  gServerController->SetURLBase("/base/");
  TFormFixture f;
  auto* applet = f.Add<TKXApplet>("Applet1", f.Form);
  applet->SetClassFile("Main.class");
  applet->SetAppletName("x onload=alert(1)");
  applet->Params().Add("title=\"Hi\" <there>");
  applet->SetHorizSpace(4);
  const std::string text = RenderedText(f, "APPLET1");
  EXPECT_NE(text.find("codebase=\"/base/\""), std::string::npos) << text;
  EXPECT_NE(text.find("name=\"x onload=alert(1)\""), std::string::npos) << text;
  EXPECT_NE(text.find("hspace=\"4\" vspace=\"0\""), std::string::npos) << text;
  EXPECT_NE(text.find("<param name=\"title\" value=\"&quot;Hi&quot; &lt;there&gt;\"></param>"), std::string::npos) << text;
}

TEST(TKXURLWindow, MarginsOnlyOutsideHTML5AndNoScriptSource) {
  TFormFixture f;
  auto* frame = f.Add<TKXURLWindow>("Frame1", f.Form);
  frame->SetURI("a.html");
  frame->SetMarginWidth(3);
  frame->SetBorder(true);
  f.Form->Page.SetDocType("<!DOCTYPE html>");
  std::string text = RenderedText(f, "FRAME1");
  EXPECT_EQ(text.find("marginwidth"), std::string::npos) << text;
  EXPECT_NE(text.find("frameborder=\"1\""), std::string::npos) << text;
  f.Form->Page.SetDocType("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  text = RenderedText(f, "FRAME1");
  EXPECT_NE(text.find("marginwidth=\"3\" marginheight=\"0\""), std::string::npos) << text;

  frame->SetDoRefreshControl(false);
  frame->SetURI(" A.HTML ");  // the same ignoring case
  EXPECT_FALSE(frame->DoRefreshControl());
  // A script address would run in the page: neither the frame nor its callback update gets a source.
  for (const char* uri : {"javascript:alert(document.cookie)", " VBScript:MsgBox(1)",
                          "DATA:text/html,<script>alert(1)</script>"}) {
    SCOPED_TRACE(uri);
    frame->SetDoRefreshControl(false);
    frame->SetURI(uri);
    EXPECT_TRUE(frame->DoRefreshControl());
    EXPECT_EQ(RenderedText(f, "FRAME1").find("src="), std::string::npos);
    TKXCompContext context(frame, nullptr, nullptr);
    EXPECT_NE(frame->RenderAsync(&context)->Render().find("<src></src>"), std::string::npos);
  }
}

TEST(TKXRectangle, TextRowIsStyledAndEmptyRowIsNot) {
  TFormFixture f;
  auto* rectangle = f.Add<TKXRectangle>("Rect1", f.Form);
  rectangle->SetColor(clYellow);
  EXPECT_EQ(RenderedText(f, "RECT1"),
            "\r\n<div><table style=\"width:100%; height:100%; border-collapse:collapse; border-spacing:0; padding:0; "
            "background-color:#FFFF00;border-width: 0px; border-style: solid; \">\r\n<tr><td></td></tr></table>"
            "</div>");
  rectangle->SetText("<i>Hi</i>");
  rectangle->SetAlignment(taRightJustify);
  rectangle->SetVAlign(vaBottom);
  const std::string text = RenderedText(f, "RECT1");
  EXPECT_NE(text.find("<tr style=\"" + rectangle->WebFont().FontToStringStyle() +
                      "text-align: right; vertical-align: bottom; \"><td><i>Hi</i></td>"),
            std::string::npos)
      << text;
  TKXCompContext context(rectangle, nullptr, nullptr);
  const std::string update = rectangle->RenderAsync(&context)->Render();
  EXPECT_NE(update.find("<innerhtml><![CDATA[\r\n<table style="), std::string::npos) << update;
  EXPECT_NE(update.find("<td><i>Hi</i></td>"), std::string::npos) << update;
}

TEST(TKXRectangle, ABorderChangeRerendersIt) {
  TFormFixture f;
  auto* rectangle = f.Add<TKXRectangle>("Rect1", f.Form);
  rectangle->SetDoRefreshControl(false);
  rectangle->BorderOptions().SetWidth(2);
  EXPECT_TRUE(rectangle->DoRefreshControl());
  EXPECT_NE(RenderedText(f, "RECT1").find("border-width: 2px;"), std::string::npos);
  EXPECT_FALSE(rectangle->HasTabOrder());
}

}  // namespace
}  // namespace kx
