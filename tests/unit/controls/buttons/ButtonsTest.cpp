#include "kx/controls/buttons/Buttons.h"

#include <gtest/gtest.h>

#include <string>

#include "support/RenderedTags.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::Attribute;
using test::RenderAsyncText;
using test::Rendered;
using test::TFakeCallBacks;
using test::TFormFixture;

TEST(TKXButton, RendersAnInputOfTypeButtonWhateverItsButtonType) {
  TFormFixture f;
  auto* button = f.Add<TKXButton>("Button1", f.Form);
  button->SetCaption("Save");
  for (TKXButtonType type : {btSubmit, btButton, btReset}) {
    SCOPED_TRACE(int(type));
    button->SetButtonType(type);
    EXPECT_EQ(Rendered(f, "BUTTON1")->Render(), "\r\n<input value=\"Save\" name=\"BUTTON1\" type=\"button\">");
  }
  EXPECT_TRUE(button->NeedsFormTag());
  EXPECT_FALSE(button->SupportsInput());
  EXPECT_TRUE(button->SupportsSubmit());
}

TEST(TKXButton, HotKeyUnderlinesItsFirstOccurrenceAsTyped) {
  TFormFixture f;
  auto* button = f.Add<TKXButton>("Button1", f.Form);
  button->SetCaption("Save as");
  button->SetHotKey("s");
  EXPECT_EQ(Rendered(f, "BUTTON1")->Render(),
            "\r\n<button accesskey=\"s\" name=\"BUTTON1\" type=\"button\"><u>s</u>ave as</button>");
}

// The key is found in the caption, not in its escaped text: "a" never splits "&amp;".
TEST(TKXButton, HotKeyNeverMatchesInsideAnEscape) {
  struct Case {
    const char* caption;
    const char* key;
    const char* content;
  };
  const Case cases[] = {
      {"& Save", "a", "&amp; S<u>a</u>ve"},
      {"<Quit>", "q", "&lt;<u>q</u>uit&gt;"},
      {"Zoom", "x", "Zoom"},
      {"Größe ändern", "Ä", "Größe <u>Ä</u>ndern"},
      {"a\"b", "\"", "a<u>&quot;</u>b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    TFormFixture f;
    auto* button = f.Add<TKXButton>("Button1", f.Form);
    button->SetCaption(c.caption);
    button->SetHotKey(c.key);
    TKXMarkupLanguageTag* tag = Rendered(f, "BUTTON1");
    const std::string text = tag->Render();
    const std::size_t open = text.find("\">") + 2;
    EXPECT_EQ(text.substr(open, text.size() - open - std::string("</button>").size()), c.content);
  }
}

TEST(TKXButton, HostileCaptionAndKeyStayInsideTheirAttributes) {
  TFormFixture f;
  auto* button = f.Add<TKXButton>("Button1", f.Form);
  button->SetCaption("\"><script>alert(1)</script>\nx");
  EXPECT_EQ(Rendered(f, "BUTTON1")->Render(),
            "\r\n<input value=\"&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\nx\" name=\"BUTTON1\" "
            "type=\"button\">");
  button->SetHotKey("\"><i>");
  const std::string text = Rendered(f, "BUTTON1")->Render();
  EXPECT_EQ(text.find("<i>"), std::string::npos);
  EXPECT_NE(text.find("accesskey=\"&quot;&gt;&lt;i&gt;\""), std::string::npos);
}

TEST(TKXButton, StyleOnlyForAColourOtherThanTheButtonFace) {
  TFormFixture f;
  auto* button = f.Add<TKXButton>("Button1", f.Form);
  EXPECT_EQ(Attribute(Rendered(f, "BUTTON1"), "style"), "");
  button->SetWebColor(clRed);
  button->WebFont().SetSize(12);
  EXPECT_EQ(Attribute(Rendered(f, "BUTTON1"), "style"),
            "background-color: #FF0000; " + button->WebFont().FontToStringStyle());
  button->WebFont().SetEnabled(false);
  EXPECT_EQ(Attribute(Rendered(f, "BUTTON1"), "style"), "");
}

TEST(TKXButton, DisabledInPageAndUpdate) {
  TFormFixture f;
  auto* button = f.Add<TKXButton>("Button1", f.Form);
  button->SetEnabled(false);
  EXPECT_EQ(Rendered(f, "BUTTON1")->Render(), "\r\n<input name=\"BUTTON1\" type=\"button\" disabled>");
  EXPECT_NE(RenderAsyncText(button).find("<enabled>false</enabled>"), std::string::npos);
}

TEST(TKXButton, AsyncUpdateCarriesCaptionColourAndCommonProperties) {
  TFormFixture f;
  auto* button = f.Add<TKXButton>("Button1", f.Form);
  button->SetCaption("a<b>\nc & d");
  button->SetBounds(5, 6, 80, 30);
  const std::string text = RenderAsyncText(button);
  EXPECT_EQ(text.substr(0, text.find("<style>")),
            "\r\n<control id=\"BUTTON1\" type=\"KXBUTTON\">\r\n<caption>a&amp;lt;b&amp;gt;&lt;br&gt;c &amp;amp; d</caption>"
            "\r\n<color>#F0F0F0</color>\r\n<css>BUTTON1CSS</css>\r\n<supportsinput>false</supportsinput>\r\n"
            "<enabled>true</enabled>\r\n<hint></hint>\r\n");
  EXPECT_NE(text.find("<attribute name=\"left\">5px</attribute>"), std::string::npos);
  EXPECT_NE(text.find("<attribute name=\"z-index\">100</attribute>"), std::string::npos);

  button->SetWebColor(clYellow);
  EXPECT_NE(RenderAsyncText(button).find("<style>\r\n<attribute name=\"background-color\">#FFFF00</attribute></style>"
                                         "\r\n<color>#FFFF00</color>"),
            std::string::npos);
}

TEST(TKXButton, HooksTheSubmitScriptOnlyWithAServerSideClick) {
  TFormFixture f;
  auto* button = f.Add<TKXButton>("Button1", f.Form);
  TKXScriptEvents events(button);
  button->HookEvents(nullptr, events);
  EXPECT_EQ(events.GetCodeByEventName("OnClick"), "");

  button->OnClick = [](TObject*) {};
  button->SetConfirmation("Really 'delete'?");
  button->HookEvents(nullptr, events);
  EXPECT_EQ(events.GetCodeByEventName("OnClick"),
            "return SubmitClickConfirm('BUTTON1','', true, 'Really \\x27delete\\x27?');");

  // Through the form: the page gets the click function of the button.
  f.Form->Render();
  EXPECT_NE(f.Form->Page.JavaScript().find("function BUTTON1_onclick(event) {\r\n"
                                           "return SubmitClickConfirm('BUTTON1','', true, 'Really \\x27delete\\x27?');"),
            std::string::npos);
}

TEST(TKXButton, SubmitStoresTheParameterAndClicks) {
  TFormFixture f;
  auto* button = f.Add<TKXButton>("Button1", f.Form);
  int clicks = 0;
  button->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, button);
    ++clicks;
  };
  IKXSubmitControl* submit = SubmitInterface(button);
  ASSERT_NE(submit, nullptr);
  submit->Submit("p1");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(submit->GetSubmitParam(), "p1");

  TSubmitProc proc = submit->getSubmitProc();
  proc("p2");
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(button->GetSubmitParam(), "p2");
  // A procedure kept after the button is freed does nothing.
  button->Free();
  proc("p3");
  EXPECT_EQ(clicks, 2);
}

TEST(TKXButton, AsyncClickRegistersACallbackAndHooksTheClientHandler) {
  TFormFixture f;
  auto* button = f.Add<TKXButton>("Button1", f.Form);
  std::string seen;
  button->OnAsyncClick = [&](TObject*, TStrings& params) { seen = "clicked " + params.Values("x"); };
  TFakeCallBacks callBacks;
  button->RegisterAsyncEvents(callBacks);
  ASSERT_EQ(callBacks.Methods.count("BUTTON1.DoOnAsyncClick"), 1u);
  TStringList params;
  params.Add("x=1");
  callBacks.Methods["BUTTON1.DoOnAsyncClick"](params);
  EXPECT_EQ(seen, "clicked 1");

  f.Form->Render();
  EXPECT_NE(f.Form->Page.GetKXCLInitProc().find("BUTTON1KXCL.HookDefaultHandlers(\"OnClick\");"), std::string::npos);
  // No server-side OnClick: no submit on the click.
  EXPECT_EQ(f.Form->Page.JavaScript().find("SubmitClickConfirm"), std::string::npos);
}

}  // namespace
}  // namespace kx
