#include "kx/controls/labels/Labels.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "kx/controls/edits/Edits.h"
#include "support/RenderedTags.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::Attribute;
using test::RenderAsyncText;
using test::Rendered;
using test::TFormFixture;
using test::TSessionFixture;

TEST(TKXLabel, RendersItsCaptionEscapedInASpan) {
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  label->SetCaption("Tom & \"Jerry\" <b>\nnext");
  TKXMarkupLanguageTag* tag = Rendered(f, "LABEL1");
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->Render(), "\r\n<span>Tom &amp; &quot;Jerry&quot; &lt;b&gt;<br>next</span>");
  EXPECT_FALSE(label->HasName());
}

TEST(TKXLabel, EmptyCaptionRendersAnEmptySpanInsideInPageAndUpdate) {
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  EXPECT_EQ(Rendered(f, "LABEL1")->Render(), "\r\n<span><span></span></span>");
  EXPECT_NE(RenderAsyncText(label).find("<innerhtml><![CDATA[<span></span>]]></innerhtml>"), std::string::npos);
}

TEST(TKXLabel, RawTextNoWrapAndConvertSpaces) {
  struct Case {
    bool raw, noWrap, spaces;
    const char* expected;
  };
  const Case cases[] = {
      {false, false, false, "a &lt;i&gt;b&lt;/i&gt;"},
      {false, false, true, "a&nbsp;&lt;i&gt;b&lt;/i&gt;"},
      {true, false, false, "a <i>b</i>"},
      {true, true, false, "<nobr>a <i>b</i></nobr>"},
      {false, true, false, "<nobr>a &lt;i&gt;b&lt;/i&gt;</nobr>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    TFormFixture f;
    auto* label = f.Add<TKXLabel>("Label1", f.Form);
    label->SetCaption("a <i>b</i>");
    label->SetRawText(c.raw);
    label->SetNoWrap(c.noWrap);
    label->SetConvertSpaces(c.spaces);
    TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("SPAN");
    label->RenderLabelText(tag.get());
    EXPECT_EQ(tag->Render(), std::string("\r\n<span>") + c.expected + "</span>");
  }
}

// The update's innerHTML is markup: a converted blank is "&nbsp;" there too,
// never the escaped "&amp;nbsp;" that would show as text.
TEST(TKXLabel, ConvertedSpacesDuringACallbackStayMarkup) {
  TSessionFixture session("Mozilla/5.0 (X11; Linux x86_64; rv:120.0) Gecko/20100101 Firefox/120.0");
  session.Session->SetIsCallBack(true);
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  label->SetCaption("a b");
  label->SetConvertSpaces(true);
  EXPECT_NE(RenderAsyncText(label).find("<![CDATA[a&nbsp;b]]>"), std::string::npos);
}

TEST(TKXLabel, RawCaptionCannotEndTheCDATASectionOfAnUpdate) {
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  label->SetRawText(true);
  label->SetCaption("x]]><script>y");
  EXPECT_NE(RenderAsyncText(label).find("<![CDATA[x]]]]><![CDATA[><script>y]]>"), std::string::npos);
}

TEST(TKXLabel, ForControlRendersALabelForItsHTMLName) {
  TFormFixture f;
  auto* panel = f.Add<test::TTestPanel>("Panel1", f.Form);
  auto* edit = f.Add<test::TTestEdit>("Edit1", panel);
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  label->SetCaption("Name");
  label->SetForControl(edit);
  TKXMarkupLanguageTag* tag = Rendered(f, "LABEL1");
  EXPECT_EQ(tag->Tag(), "label");
  EXPECT_EQ(Attribute(tag, "for"), "EDIT1");

  // The reference is guarded: once the control is gone the label is a SPAN again.
  edit->Free();
  EXPECT_EQ(label->ForControl(), nullptr);
  EXPECT_EQ(Rendered(f, "LABEL1")->Tag(), "span");
}

TEST(TKXLabel, StyleWritesTheSizeOnlyWithoutAutoSize) {
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  TKXCompContext context(label, nullptr, nullptr);
  EXPECT_TRUE(label->AutoSize());
  EXPECT_FALSE(label->RenderSize());
  EXPECT_EQ(label->RenderStyle(&context), "z-index: 100; padding: 0; ");

  // AutoSize on hides the size even when RenderSize was switched on afterwards.
  label->SetRenderSize(true);
  EXPECT_EQ(label->RenderStyle(&context), "z-index: 100; padding: 0; ");
  EXPECT_TRUE(label->RenderSize());  // put back after the style
  EXPECT_TRUE(label->AutoSize());

  label->SetAutoSize(false);
  EXPECT_TRUE(label->RenderSize());
  EXPECT_EQ(label->RenderStyle(&context), "z-index: 100; width: 121px; height: 21px; padding: 0; ");
  label->SetRenderSize(false);
  EXPECT_EQ(label->RenderStyle(&context), "z-index: 100; padding: 0; ");
}

TEST(TKXLabel, StyleAddsAlignmentUnlessACssClassIsSetAndTheBackground) {
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  label->StyleRenderOptions().SetRenderZIndex(false);
  label->StyleRenderOptions().SetRenderPadding(false);
  TKXCompContext context(label, nullptr, nullptr);
  label->SetAlignment(taRightJustify);
  label->SetBGColor(clRed);
  EXPECT_EQ(label->RenderStyle(&context), "text-align:right; background-color: #FF0000; ");
  label->SetAlignment(taCenter);
  label->SetCss("Title");
  EXPECT_EQ(label->RenderStyle(&context), "background-color: #FF0000; ");
}

TEST(TKXLabel, AsyncUpdateCarriesTextAlignmentAndColour) {
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  label->SetCaption("<b>");
  label->SetAlignment(taCenter);
  label->SetBGColor(clBlue);
  label->SetHint("it's \"x\"");
  const std::string text = RenderAsyncText(label);
  EXPECT_EQ(text.substr(0, text.find("<style>")),
            "\r\n<control id=\"LABEL1\" type=\"KXLABEL\">\r\n<innerhtml><![CDATA[&lt;b&gt;]]></innerhtml>\r\n");
  EXPECT_NE(text.find("<attribute name=\"text-align\">center</attribute>\r\n"
                      "<attribute name=\"background-color\">#0000FF</attribute></style>"),
            std::string::npos);
  EXPECT_NE(text.find("<hint>it&amp;#39;s &amp;quot;x&amp;quot;</hint>"), std::string::npos);
}

// ---------------------------------------------------------------------------

TEST(TKXText, RendersItsLinesInADiv) {
  struct Case {
    bool raw, returns;
    const char* expected;
  };
  const Case cases[] = {
      {false, true, "a &amp; b<br>&lt;c&gt;<br>"},
      {false, false, "a &amp; b\r\n&lt;c&gt;\r\n"},
      {true, true, "a & b\r\n<c>\r\n"},
      {true, false, "a & b<c>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    TFormFixture f;
    auto* text = f.Add<TKXText>("Text1", f.Form);
    text->Lines().Add("a & b");
    text->Lines().Add("<c>");
    text->SetRawText(c.raw);
    text->SetWantReturns(c.returns);
    EXPECT_EQ(text->RetrieveLinesForRendering(), c.expected);
    EXPECT_EQ(Rendered(f, "TEXT1")->Render(), std::string("\r\n<div>") + c.expected + "</div>");
  }
}

// The text block and the memo keep their lines through TKXControlLines.
TEST(TKXControlLines, TextAndLinesStayEqualAndALinesChangeMarksTheControl) {
  TFormFixture f;
  auto* text = f.Add<TKXText>("Text1", f.Form);
  auto* memo = f.Add<TKXMemo>("Memo1", f.Form);
  const std::pair<TKXCustomControl*, TKXNotifyStringList*> controls[] = {{text, &text->Lines()},
                                                                         {memo, &memo->Lines()}};
  for (const auto& entry : controls) {
    // Variables, not structured bindings: clang 14 (the sanitizer builds) cannot capture bindings in a lambda.
    TKXCustomControl* control = entry.first;
    TKXNotifyStringList* lines = entry.second;
    SCOPED_TRACE(control->Name());
    control->SetText("one\ntwo");
    ASSERT_EQ(lines->Count(), 2);
    EXPECT_EQ(lines->Strings(1), "two");
    EXPECT_EQ(control->Text(), "one\r\ntwo\r\n");
    const std::function<void()> changes[] = {
        [&] { lines->Add("a"); },        [&] { lines->SetStrings(0, "b"); }, [&] { lines->Insert(0, "c"); },
        [&] { lines->Exchange(0, 1); }, [&] { lines->Delete(0); },          [&] { lines->SetText("d\ne"); },
        [&] { lines->Clear(); },
    };
    int index = 0;
    for (const auto& change : changes) {
      SCOPED_TRACE(index++);
      control->SetDoRefreshControl(false);
      change();
      EXPECT_TRUE(control->DoRefreshControl());
      EXPECT_EQ(control->Text(), lines->Text());
    }
  }
}

TEST(TKXText, SetLinesAndTheBackgroundMarkTheTextForTheNextCallback) {
  TFormFixture f;
  auto* text = f.Add<TKXText>("Text1", f.Form);
  TStringList lines;
  lines.Add("x");
  text->SetLines(lines);
  EXPECT_EQ(text->Text(), "x\r\n");
  text->SetDoRefreshControl(false);
  text->SetBGColor(clRed);
  EXPECT_TRUE(text->DoRefreshControl());
  EXPECT_EQ(f.Form->RenderUpdate()->GetControlsCount(), 1);
}

TEST(TKXText, AsyncUpdateAndStyleCarryTheBackground) {
  TFormFixture f;
  auto* text = f.Add<TKXText>("Text1", f.Form);
  text->Lines().Add("a]]>b");
  text->SetRawText(true);
  text->SetBGColor(clLime);
  const std::string update = RenderAsyncText(text);
  EXPECT_EQ(update.substr(0, update.find("\r\n<css>")),
            "\r\n<control id=\"TEXT1\" type=\"KXTEXT\">\r\n<style>\r\n"
            "<attribute name=\"background-color\">#00FF00</attribute></style>\r\n"
            "<innerhtml><![CDATA[a]]]]><![CDATA[>b\r\n]]></innerhtml>");
  text->StyleRenderOptions().SetRenderZIndex(false);
  TKXCompContext context(text, nullptr, nullptr);
  EXPECT_EQ(text->RenderStyle(&context), "width: 121px; height: 121px; padding: 0;  background-color: #00FF00;");
  EXPECT_FALSE(text->HasTabOrder());
}

TEST(TKXNotifyStringList, OneNoticePerChange) {
  TKXNotifyStringList list;
  int notices = 0;
  list.OnChange = [&](TObject*) { ++notices; };
  list.Clear();
  EXPECT_EQ(notices, 0);  // nothing to clear
  list.SetText("a\nb\nc");
  EXPECT_EQ(notices, 1);
  list.Add("d");
  list.Move(0, 3);
  list.Delete(0);
  EXPECT_EQ(notices, 4);
  TStringList other;
  other.Add("x");
  list.AddStrings(other);
  list.Assign(&other);
  EXPECT_EQ(notices, 6);
  EXPECT_EQ(list.Text(), "x\r\n");
}

}  // namespace
}  // namespace kx
