// The HTML editor: its contract rows, the initial value and source texts, the rendered rows, the template's
// markers and the family's files.
#include "kx/controls/htmleditor/WebEdit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/controls/htmleditor/WebEditor.h"
#include "kx/platform/Resources.h"
#include "support/ControlContract.h"
#include "support/Escaping.h"

namespace kx::test {
namespace {

std::string LinesOf(TKXCustomControl& control) { return static_cast<TTKXWebEdit&>(control).Lines().Text(); }
void SetLinesOf(TKXCustomControl& control, const std::string& text) {
  static_cast<TTKXWebEdit&>(control).Lines().SetText(text);
}

const TControlContract kHTMLEditorContract[] = {
    {.Name = "WebEdit",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TTKXWebEdit>("WebEdit1", f.Form); },
     .Tag = "div",
     .Attributes = {{"name", kAbsent}},
     // stored as posted: the HTML is the user's own content
     .Posts = {{"<p>one</p>\n<b>two</b>", "<p>one</p>\r\n<b>two</b>\r\n", &LinesOf},
               {"<img src=x onerror=alert(1)>", "<img src=x onerror=alert(1)>\r\n", &LinesOf}},
     .HostileText = &SetLinesOf},
};
KX_CONTROL_CONTRACT(HTMLEditor, kHTMLEditorContract);

TTKXWebEdit* EditorWith(TFormFixture& f, const std::vector<std::string>& lines) {
  auto* editor = f.Add<TTKXWebEdit>("WebEdit1", f.Form);
  editor->Lines().Clear();
  for (const std::string& line : lines) editor->Lines().Add(line);
  return editor;
}

std::string RenderedText(TFormFixture& f) { return f.Form->Render()->GetMarkupLanguageTag("WEBEDIT1")->Render(); }

TEST(TTKXWebEdit, InitialValueJoinsLinesWithBreaksUnlessALineBreaksItself) {
  const struct {
    std::vector<std::string> Lines;
    std::string Value;  // as the script reads it
  } cases[] = {
      {{"a", "b"}, "a<BR>b"},
      {{"a"}, "a"},
      {{"<P>a</P>", "b"}, "<P>a</P>b"},
      // block tags in lower case count too, so that a round trip adds no break
      {{"<p>a</p>", "<li>b", "c<hr>", "d"}, "<p>a</p><li>bc<hr>d"},
      {{"a", "b", ""}, "a<BR>b<BR>"},
      {{}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    TFormFixture f;
    EXPECT_EQ(UnescapeScriptLiteral(EditorWith(f, c.Lines)->InitialValue()), c.Value);
  }
}

// The initial value is a script string inside the page's script block: no text of the document may end the
// string or the block, and each character comes back as it was (one escaping pass).
TEST(TTKXWebEdit, InitialValueKeepsEveryTextInsideItsScriptString) {
  for (const std::string& text : HostileStrings()) {
    SCOPED_TRACE(text);
    TFormFixture f;
    const std::string value = EditorWith(f, {text, "it's \"quoted\" \\ back"})->InitialValue();
    EXPECT_EQ(value.find('"'), std::string::npos);
    EXPECT_EQ(value.find('\''), std::string::npos);
    EXPECT_EQ(value.find("</"), std::string::npos);
    EXPECT_EQ(value.find("<!--"), std::string::npos);
    EXPECT_EQ(value.find('\n'), std::string::npos);
  }
  TFormFixture f;
  EXPECT_EQ(UnescapeScriptLiteral(EditorWith(f, {"it's \"q\" \\ </script>"})->InitialValue()),
            "it's \"q\" \\ </script>");
}

TEST(TTKXWebEdit, SourceTextIsTheUnescapedDocumentWrittenAsHTMLText) {
  TFormFixture f;
  auto* editor = EditorWith(f, {"a &amp; </textarea><b>", "it's \"q\" \\"});
  EXPECT_EQ(editor->SourceText(),
            " a &amp;amp; &lt;/textarea&gt;&lt;b&gt;&lt;BR&gt; it&#39;s &quot;q&quot; \\");
  const std::string page = RenderedText(f);
  EXPECT_NE(page.find("id=\"WEBEDIT1editorTextArea\">" + editor->SourceText() + "</textarea>"), std::string::npos);
  EXPECT_EQ(page.find("</textarea><b>"), std::string::npos);
}

TEST(TTKXWebEdit, RendersTheToolBarAndDropDownRowsOnlyWhenAsked) {
  const struct {
    const char* Name;
    bool ToolBar, Combos, OnlyBackColors;
    bool ExpectButtons, ExpectSelects;
  } cases[] = {
      {"all", true, true, false, true, true},
      {"neither", false, false, false, false, false},
      {"back colours alone open no row", true, true, true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TFormFixture f;
    auto* editor = f.Add<TTKXWebEdit>("WebEdit1", f.Form);
    editor->SetShowToolBar(c.ToolBar);
    editor->SetShowComboBoxes(c.Combos);
    if (c.OnlyBackColors) {
      for (TTKXEditorCombo combo : {ecParagraph, ecFontNames, ecFontSizes, ecFontColors})
        editor->ComboBoxes().SetShown(combo, false);
    }
    const std::string text = RenderedText(f);
    EXPECT_EQ(text.find("class=\"WEBEDIT1ToolBarButton\"") != std::string::npos, c.ExpectButtons);
    EXPECT_EQ(text.find("<select") != std::string::npos, c.ExpectSelects);
    EXPECT_NE(text.find("<iframe onBlur=\"WEBEDIT1OnBlurEditorDiv();\""), std::string::npos);
    EXPECT_NE(text.find("<input type=\"hidden\" name=\"WEBEDIT1\" id=\"WEBEDIT1_INPUT\">"), std::string::npos);
  }
}

TEST(TTKXWebEdit, ToolBarButtonsFollowTheGlyphsWithTheirHintsAndImages) {
  TFormFixture f;
  auto* editor = f.Add<TTKXWebEdit>("WebEdit1", f.Form);
  editor->Glyphs().SetShown(ebItalic, false);
  editor->Hints().SetHint(ebBold, "Make \"it\" <b>");
  EXPECT_EQ(editor->Hints().Hint(ebBold), "Make &quot;it&quot; <b>");
  const std::string text = RenderedText(f);
  EXPECT_NE(text.find("<td><img id=\"WEBEDIT1i1\" class=\"WEBEDIT1ToolBarButton\" onclick=\"WEBEDIT1OnClickToolBarButton("
                      "'bold')\" title=\"Make &quot;it&quot; &lt;b>\" src=\"/$/gfx/webbold.gif\"></td>"),
            std::string::npos);
  EXPECT_EQ(text.find("WEBEDIT1i2\""), std::string::npos);
  EXPECT_NE(text.find("class=\"WEBEDIT1ToolBarButton\"  onclick=\"WEBEDIT1OnClickToolBarButton('outdent')\""),
            std::string::npos);
  // 19 buttons less the hidden one; New has none
  std::size_t count = 0;
  for (std::size_t at = text.find("ToolBarButton\""); at != std::string::npos; at = text.find("ToolBarButton\"", at + 1))
    ++count;
  EXPECT_EQ(count, 18u);
}

TEST(TTKXWebEdit, DropDownsListTheFontsAsTextAndTheDefaultSelections) {
  TFormFixture f;
  auto* editor = f.Add<TTKXWebEdit>("WebEdit1", f.Form);
  editor->FontList().Add("\"Evil\" <font>");
  editor->FontList().Add("");
  const std::string text = RenderedText(f);
  EXPECT_NE(text.find("<option value=\"Comic Sans MS\">Comic Sans MS</option>"), std::string::npos);
  EXPECT_NE(text.find("<option value=\"&quot;Evil&quot; &lt;font&gt;\">&quot;Evil&quot; &lt;font&gt;</option>"),
            std::string::npos);
  EXPECT_EQ(text.find("<option value=\"\">"), std::string::npos);
  EXPECT_NE(text.find("<option value=\"&lt;body&gt;\" selected>Normal</option>"), std::string::npos);
}

TEST(TTKXWebEdit, TemplateMarkersAreFilledIgnoringCase) {
  TFormFixture f;
  auto* editor = f.Add<TTKXWebEdit>("WebEdit1", f.Form);
  editor->Font().SetFontName("Times\"</script>");
  editor->SetContentEditable(false);
  const std::string text = editor->FilledTemplate();
  ASSERT_FALSE(text.empty()) << "the template is embedded";
  // every marker but the one left as it is
  EXPECT_EQ(text.find("<#"), text.find("<#FONTSTYLE>"));
  EXPECT_NE(text.find("<#FONTSTYLE>"), std::string::npos);
  EXPECT_NE(text.find("FindElem('WEBEDIT1').value"), std::string::npos);
  EXPECT_EQ(text.find("GSubmitter"), std::string::npos);
  EXPECT_NE(text.find("designMode: \"Off\""), std::string::npos);
  EXPECT_NE(text.find("function WEBEDIT1Initialize()"), std::string::npos);
  EXPECT_EQ(text.find("</script>\""), std::string::npos) << "the font name stays inside its script string";
  for (unsigned char c : text) EXPECT_LT(c, 0x80) << "the template is ASCII";
}

TEST(TTKXWebEdit, ThePageStartsTheEditorWithItsDocument) {
  TFormFixture f;
  auto* editor = EditorWith(f, {"a", "b"});
  TKXCompContext context(editor, nullptr, &f.Form->Page);
  editor->RenderHTML(&context);
  const std::string& init = context.InitProc();
  const std::size_t value = init.find("FindElem('WEBEDIT1').value=\"a\\x3CBR\\x3Eb\";\r\n");
  const std::size_t start = init.find("WEBEDIT1Initialize();\r\n");
  ASSERT_NE(value, std::string::npos) << init;
  EXPECT_GT(start, value);
  EXPECT_NE(f.Form->Page.ScriptFiles().IndexOf("/js/KXWebEdit.js"), -1);
  EXPECT_NE(f.Form->Page.ScriptFiles().IndexOf("/js/purify.js"), -1);
  EXPECT_TRUE(editor->SupportsInput()) << "form execution hands the editor its posted HTML";
}

TEST(TTKXWebEdit, EveryImageAndScriptOfTheFamilyIsEmbedded) {
  const TKXFamilyFiles family = FamilyFiles(HTMLEditorFamily().Name);
  EXPECT_EQ(family.Files.size(), 21u);  // 19 images and 2 scripts
  for (const TKXFamilyFile& file : family.Files) EXPECT_NE(FindResource(file.ResourceName), nullptr) << file.URLPath;
  for (const TKXFamilyFile& file : family.ReadableFiles)
    EXPECT_NE(FindResource(file.ResourceName), nullptr) << file.URLPath;
  EXPECT_NE(FindResource("YarKXWEBED"), nullptr);
}

}  // namespace
}  // namespace kx::test
