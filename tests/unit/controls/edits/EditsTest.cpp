#include "kx/controls/edits/Edits.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/forms/Forms.h"
#include "support/RenderedTags.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::Attribute;
using test::RenderAsyncText;
using test::Rendered;
using test::TFormFixture;
using test::TTestPanel;

// A parent told about the values its children take.
class TNotifiedPanel : public TTestPanel, public IKXUpdateNotified {
  KX_COMPONENT_CLASS(TNotifiedPanel, TTestPanel)

 public:
  std::string Seen;
  void ControlValueUpdated(TComponent* control, const std::string& value) override {
    Seen += control->Name() + "=" + value + ";";
  }
};

TEST(TKXEdit, RendersATextInput) {
  TFormFixture f;
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  edit->SetText("abc");
  EXPECT_EQ(Rendered(f, "EDIT1")->Render(),
            "\r\n<input type=\"TEXT\" name=\"EDIT1\" maxlength=\"2147483647\" value=\"abc\">");
  EXPECT_EQ(edit->Width(), 121);
  EXPECT_EQ(edit->Height(), 21);
  EXPECT_EQ(edit->HTMLWidth(), 119);
  EXPECT_EQ(edit->HTMLHeight(), 19);
  EXPECT_TRUE(edit->NeedsFormTag());
  EXPECT_TRUE(edit->SupportsInput());
  EXPECT_FALSE(edit->NonEditableAsLabel());
}

TEST(TKXEdit, MaxLengthPasswordReadOnlyAndDisabled) {
  TFormFixture f;
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  edit->SetMaxLength(8);
  edit->SetPasswordPrompt(true);
  edit->SetReadOnly(true);
  edit->SetEnabled(false);
  EXPECT_EQ(Rendered(f, "EDIT1")->Render(),
            "\r\n<input type=\"PASSWORD\" name=\"EDIT1\" disabled maxlength=\"8\" readonly>");
  edit->SetPasswordPrompt(false);
  EXPECT_EQ(edit->InputType(), "TEXT");

  // Not editable and read-only: one READONLY.
  edit->SetEditable(false);
  TKXMarkupLanguageTag* tag = Rendered(f, "EDIT1");
  EXPECT_EQ(Attribute(tag, "readonly"), "true");
  EXPECT_EQ(tag->Render().find("readonly", tag->Render().find("readonly") + 1), std::string::npos);
}

TEST(TKXEdit, HostileTextStaysInsideItsValue) {
  TFormFixture f;
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  edit->SetText("\"><script>alert('x')</script>&amp;\nline");
  EXPECT_EQ(Rendered(f, "EDIT1")->Render(),
            "\r\n<input type=\"TEXT\" name=\"EDIT1\" maxlength=\"2147483647\" "
            "value=\"&quot;&gt;&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;amp;\nline\">");
}

TEST(TKXEdit, NotEditableAsLabelShowsTheTextOrOneAsteriskPerCharacter) {
  TFormFixture f;
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  edit->SetEditable(false);
  edit->SetNonEditableAsLabel(true);
  edit->SetText("<b>é");
  EXPECT_EQ(Rendered(f, "EDIT1")->Render(), "\r\n<span>&lt;b&gt;é</span>");
  EXPECT_FALSE(edit->ShouldRenderTabOrder());

  edit->SetPasswordPrompt(true);
  edit->SetText("pé\xF0\x9F\x98\x80!");  // four characters, one above U+FFFF
  EXPECT_EQ(Rendered(f, "EDIT1")->Render(), "\r\n<span>****</span>");
  // The update of the label shows the same, never the password.
  const std::string update = RenderAsyncText(edit);
  EXPECT_NE(update.find("type=\"KXEDITASLABEL\""), std::string::npos);
  EXPECT_NE(update.find("<text>****</text>"), std::string::npos);
  EXPECT_EQ(update.find("p\xC3\xA9"), std::string::npos);
  // The temporary label is gone again.
  EXPECT_EQ(edit->ComponentCount(), 0);
}

TEST(TKXEdit, RequiredAddsAValidationNamingTheField) {
  TFormFixture f;
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  edit->SetRequired(true);
  edit->SetFriendlyName("Name \"x\" </script>");
  f.Form->Render();
  ASSERT_EQ(f.Form->Page.Validation().Count(), 1);
  EXPECT_EQ(f.Form->Page.Validation().Strings(0), "EDIT1KXCL != null && EDIT1KXCL.value.length==0");
  EXPECT_EQ(f.Form->Page.ValidationMsg().Strings(0), "Name \"x\" </script> is a required field.");
  f.Form->Page.FinalizeContext();
  EXPECT_NE(f.Form->Page.JavaScript().find("window.alert(\"Name \\x22x\\x22 \\x3C/script\\x3E is a required field.\");"),
            std::string::npos);
}

TEST(TKXEdit, PostedValueBecomesTheTextWithoutARefresh) {
  TFormFixture f;
  auto* panel = TComponent::Create<TNotifiedPanel>(f.Form);
  panel->SetName("Panel1");
  panel->SetParent(f.Form);
  auto* edit = f.Add<TKXEdit>("Edit1", panel);
  edit->SetDoRefreshControl(false);
  IKXInputControl* input = InputInterface(edit);
  ASSERT_NE(input, nullptr);
  input->SetValue("new <value>");
  EXPECT_EQ(edit->Text(), "new <value>");
  EXPECT_FALSE(edit->DoRefreshControl());
  EXPECT_EQ(panel->Seen, "Edit1=new <value>;");

  // A server-side change is sent with the next callback.
  edit->SetText("changed");
  EXPECT_TRUE(edit->DoRefreshControl());
  input->SetValue("changed");
  EXPECT_TRUE(edit->DoRefreshControl());
}

// The browser never posts more than MaxLength characters; a forged longer value is cut.
TEST(TKXEdit, PostedValueIsCutToMaxLengthCharacters) {
  struct Case {
    int maxLength;
    const char* posted;
    const char* text;
  };
  const Case cases[] = {
      {0, "abcdef", "abcdef"},
      {3, "abc", "abc"},
      {3, "abcd", "abc"},
      {3, "a\xC3\xA9\xF0\x9F\x98\x80" "bc", "a\xC3\xA9\xF0\x9F\x98\x80"},
      {1, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.posted);
    TFormFixture f;
    auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
    edit->SetText("old");
    edit->SetMaxLength(c.maxLength);
    edit->SetValue(c.posted);
    EXPECT_EQ(edit->Text(), c.text);
  }
}

TEST(TKXEdit, SubmitRunsOnSubmitOrTheFormsDefaultActionOrNothing) {
  TFormFixture f;
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  // Neither: only the parameter is kept.
  edit->Submit("p");
  EXPECT_EQ(edit->GetSubmitParam(), "p");

  int submits = 0;
  edit->OnSubmit = [&](TObject* sender) {
    EXPECT_EQ(sender, edit);
    ++submits;
  };
  SubmitInterface(edit)->getSubmitProc()("q");
  EXPECT_EQ(submits, 1);
  EXPECT_EQ(edit->GetSubmitParam(), "q");
}

TEST(TKXEdit, SubmitWithoutOnSubmitRunsTheDefaultActionOfItsForm) {
  TOwnedComponent<TKXForm> form(TComponent::Create<TKXForm>(nullptr));
  auto* edit = TComponent::Create<TKXEdit>(form.get());
  edit->SetName("Edit1");
  edit->SetParent(form.get());
  TObject* sender = nullptr;
  form->OnDefaultAction = [&](TObject* s) { sender = s; };
  edit->Submit("");
  EXPECT_EQ(sender, edit);

  // The client then submits the edit on Enter.
  TKXScriptEvents events(edit);
  edit->HookEvents(nullptr, events);
  EXPECT_EQ(events.Properties().GetData(), "{\"ImplicitSubmit\": true, \"SubmitValidation\": true}");
  sender = nullptr;
  int submits = 0;
  edit->OnSubmit = [&](TObject*) { ++submits; };
  edit->Submit("");
  EXPECT_EQ(submits, 1);
  EXPECT_EQ(sender, nullptr);
}

TEST(TKXEdit, ClientPropertiesOfImplicitSubmitAndFocusColour) {
  TFormFixture f;
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  TKXScriptEvents events(edit);
  edit->HookEvents(nullptr, events);
  EXPECT_TRUE(events.Properties().IsEmpty());

  edit->OnSubmit = [](TObject*) {};
  edit->SetDoSubmitValidation(false);
  edit->SetFocusColor(clYellow);
  events.Clear();
  edit->HookEvents(nullptr, events);
  // Without a colour of its own the edit's background is left to its style.
  EXPECT_EQ(events.Properties().GetData(),
            "{\"ImplicitSubmit\": true, \"SubmitValidation\": false, \"FocusColor\": \"#FFFF00\"}");
  edit->SetBGColor(clWhite);
  events.Clear();
  edit->HookEvents(nullptr, events);
  EXPECT_NE(events.Properties().GetData().find("\"BGColor\": \"#FFFFFF\""), std::string::npos);

  // No focus colour for an edit that cannot be edited.
  edit->SetEditable(false);
  events.Clear();
  edit->HookEvents(nullptr, events);
  EXPECT_EQ(events.Properties().GetData().find("FocusColor"), std::string::npos);
}

TEST(TKXEdit, StyleCarriesFontColourBackgroundAlignmentAndBorder) {
  TFormFixture f;
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  edit->StyleRenderOptions().SetRenderZIndex(false);
  edit->StyleRenderOptions().SetRenderPadding(false);
  TKXCompContext context(edit, nullptr, nullptr);
  EXPECT_EQ(edit->RenderStyle(&context), "width: 119px; height: 19px; text-align: left; border: 1px inset;");
  edit->WebFont().SetColor(clNavy);
  edit->SetBGColor(clSilver);
  edit->SetAlignment(taRightJustify);
  edit->StyleRenderOptions().SetRenderBorder(false);
  EXPECT_EQ(edit->RenderStyle(&context),
            "color:#000080;width: 119px; height: 19px; background-color: #C0C0C0; text-align: right; ");
}

TEST(TKXEdit, AsyncUpdate) {
  TFormFixture f;
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  edit->SetText("a<b>\"c\"");
  edit->SetAlignment(taCenter);
  edit->SetReadOnly(true);
  edit->SetEnabled(false);
  const std::string text = RenderAsyncText(edit);
  EXPECT_EQ(text.substr(0, text.find("<css>")),
            "\r\n<control id=\"EDIT1\" type=\"KXEDIT\">\r\n<style>\r\n"
            "<attribute name=\"text-align\">center</attribute></style>\r\n<readonly>true</readonly>\r\n"
            "<enabled>false</enabled>\r\n<text>a&amp;lt;b&amp;gt;&amp;quot;c&amp;quot;</text>\r\n"
            "<maxlength>0</maxlength>\r\n");
  // The common properties without Enabled (sent above).
  EXPECT_EQ(text.find("<enabled>", text.find("<css>")), std::string::npos);
}

// ---------------------------------------------------------------------------

TEST(TKXMemo, RendersATextAreaWithItsLines) {
  TFormFixture f;
  auto* memo = f.Add<TKXMemo>("Memo1", f.Form);
  memo->Lines().Add("one & two");
  memo->Lines().Add("</textarea><script>x</script>");
  EXPECT_EQ(Rendered(f, "MEMO1")->Render(),
            "\r\n<textarea name=\"MEMO1\">one &amp; two\r\n&lt;/textarea&gt;&lt;script&gt;x&lt;/script&gt;\r\n"
            "</textarea>");
  memo->SetEditable(false);
  memo->SetEnabled(false);
  memo->SetHorizScrollBar(true);
  EXPECT_EQ(Rendered(f, "MEMO1")->Render().substr(0, 54),
            "\r\n<textarea name=\"MEMO1\" readonly disabled wrap=\"OFF\">");
  EXPECT_EQ(memo->Width(), 121);
  EXPECT_EQ(memo->Height(), 121);
  EXPECT_EQ(memo->HTMLWidth(), 119);
}

TEST(TKXMemo, PostedLineBreaksBecomeCRLFAndTheLastBreakIsRemembered) {
  struct Case {
    const char* posted;
    const char* text;
    bool endsWithBreak;
    const char* content;
  };
  const Case cases[] = {
      {"a\nb", "a\r\nb\r\n", false, "a\r\nb"},
      {"a\r\nb\r\n", "a\r\nb\r\n", true, "a\r\nb\r\n"},
      {"a\rb\n\n", "ab\r\n\r\n", true, "ab\r\n\r\n"},
      {"", "", true, ""},
      {"x", "x\r\n", false, "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.posted);
    TFormFixture f;
    auto* memo = f.Add<TKXMemo>("Memo1", f.Form);
    memo->Lines().Add("old");
    memo->SetDoRefreshControl(false);
    InputInterface(memo)->SetValue(c.posted);
    EXPECT_EQ(memo->Text(), c.text);
    EXPECT_EQ(memo->Lines().Text(), c.text);
    EXPECT_EQ(memo->EndsWithLineBreak(), c.endsWithBreak);
    EXPECT_FALSE(memo->DoRefreshControl());
    EXPECT_EQ(Rendered(f, "MEMO1")->Render(), std::string("\r\n<textarea name=\"MEMO1\">") + c.content + "</textarea>");
  }
}

// The browser drops one line break right after <textarea>: one more is written for a text that starts with one.
TEST(TKXMemo, TextBeginningWithAnEmptyLineSurvivesTheRoundTrip) {
  TFormFixture f;
  auto* memo = f.Add<TKXMemo>("Memo1", f.Form);
  memo->SetValue("\nsecond");
  EXPECT_EQ(Rendered(f, "MEMO1")->Render(), "\r\n<textarea name=\"MEMO1\">\r\n\r\nsecond</textarea>");
}

// Changes of the lines themselves: TKXControlLines in LabelsTest.cpp.
TEST(TKXMemo, SetLinesMarksTheMemoAndEndsWithALineBreak) {
  TFormFixture f;
  auto* memo = f.Add<TKXMemo>("Memo1", f.Form);
  memo->SetValue("no break");
  EXPECT_FALSE(memo->EndsWithLineBreak());
  TStringList lines;
  lines.Add("x");
  memo->SetLines(lines);
  EXPECT_TRUE(memo->EndsWithLineBreak());
  EXPECT_TRUE(memo->DoRefreshControl());
  EXPECT_EQ(memo->Text(), "x\r\n");
}

TEST(TKXMemo, RequiredAddsTheValidationOfAnEditableMemo) {
  TFormFixture f;
  auto* memo = f.Add<TKXMemo>("Memo1", f.Form);
  memo->SetRequired(true);
  f.Form->Render();
  ASSERT_EQ(f.Form->Page.Validation().Count(), 1);
  EXPECT_EQ(f.Form->Page.Validation().Strings(0), "MEMO1KXCL != null && MEMO1KXCL.value.length==0");
  EXPECT_EQ(f.Form->Page.ValidationMsg().Strings(0), "Memo1 is a required field.");

  TFormFixture g;
  auto* readOnly = g.Add<TKXMemo>("Memo1", g.Form);
  readOnly->SetRequired(true);
  readOnly->SetEditable(false);
  g.Form->Render();
  EXPECT_EQ(g.Form->Page.Validation().Count(), 0);
}

TEST(TKXMemo, StyleAndBorderWidthProperty) {
  TFormFixture f;
  auto* memo = f.Add<TKXMemo>("Memo1", f.Form);
  memo->StyleRenderOptions().SetRenderZIndex(false);
  memo->StyleRenderOptions().SetRenderPadding(false);
  TKXCompContext context(memo, nullptr, nullptr);
  EXPECT_EQ(memo->RenderStyle(&context), "width: 119px; height: 119px; margin: 0px; border: 1px inset;resize:both;");
  memo->SetBGColor(clRed);
  memo->SetVertScrollBar(false);
  memo->SetInvisibleBorder(true);
  memo->SetResizeDirection(rdVertical);
  EXPECT_EQ(memo->RenderStyle(&context),
            "width: 119px; height: 119px; margin: 0px; background-color: #FF0000; overflow: hidden;"
            "border-style: none; resize:vertical;");

  f.Form->Render();
  EXPECT_NE(f.Form->Page.GetKXCLInitProc().find("  MEMO1KXCL.BorderWidthPixels = 1;\r\n"), std::string::npos);
  // A memo never renders inside a frame.
  memo->SetUseFrame(true);
  EXPECT_FALSE(memo->UseFrame());
}

TEST(TKXMemo, AsyncUpdateCarriesTheTextAndLeavesOutTheSizeItsAlignmentSets) {
  TFormFixture f;
  auto* memo = f.Add<TKXMemo>("Memo1", f.Form);
  memo->SetValue("a <b>\n&c");
  memo->SetEditable(false);
  std::string text = RenderAsyncText(memo);
  EXPECT_EQ(text.substr(0, text.find("<css>")),
            "\r\n<control id=\"MEMO1\" type=\"KXMEMO\">\r\n<readonly>true</readonly>\r\n"
            "<text>a &amp;lt;b&amp;gt;\r\n&amp;amp;c</text>\r\n");
  EXPECT_NE(text.find("name=\"width\""), std::string::npos);
  EXPECT_NE(text.find("name=\"height\""), std::string::npos);

  struct Case {
    TAlign align;
    bool width, height;
  };
  for (const Case& c : {Case{alTop, false, true}, Case{alLeft, true, false}, Case{alClient, false, false}}) {
    SCOPED_TRACE(int(c.align));
    memo->SetAlign(c.align);
    text = RenderAsyncText(memo);
    EXPECT_EQ(text.find("name=\"width\"") != std::string::npos, c.width);
    EXPECT_EQ(text.find("name=\"height\"") != std::string::npos, c.height);
  }
}

}  // namespace
}  // namespace kx
