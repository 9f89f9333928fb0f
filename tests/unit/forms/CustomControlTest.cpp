#include "kx/forms/CustomControl.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "support/RenderedTags.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::Attribute;
using test::TFakeCallBacks;
using test::TFormFixture;
using test::TTestEdit;
using test::TTestLabel;
using test::TTestPanel;

TEST(TKXCustomControl, RendersItsTagStyleClassAndScriptEvents) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->SetBounds(10, 20, 120, 21);
  edit->SetText("a \"b\"");
  edit->SetHint("Name");
  edit->SetZIndex(5);
  edit->ScriptEvents().Add("onBlur", "check(this)");
  edit->OnAsyncChange = [](TObject*, TStrings&) {};
  edit->SetLockOnAsyncEvents({aeChange});

  TKXContainerContext* context = f.Form->Render();
  TKXMarkupLanguageTag* tag = context->GetMarkupLanguageTag("EDIT1");
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(Attribute(tag, "value"), "a \"b\"");
  EXPECT_EQ(Attribute(tag, "title"), "Name");
  EXPECT_EQ(tag->Render(), "\r\n<input type=\"text\" value=\"a &quot;b&quot;\" title=\"Name\">");

  auto* compContext = static_cast<TKXCompContext*>(context->GetComponentContext("EDIT1"));
  EXPECT_EQ(edit->RenderCSSClass(compContext), "EDIT1CSS");
  EXPECT_EQ(edit->RenderStyle(compContext),
            "position: absolute; z-index: 105; width: 120px; height: 21px; padding: 0; ");
  EXPECT_EQ(f.Form->Page.GetKXCLInitProc(),
            "  KX.initKXCL(KXCLForm,\"EDIT1\",true);\r\n"
            "  EDIT1KXCL.HookEvent(\"blur\",EDIT1_onblur);\r\n"
            "  EDIT1KXCL.HookDefaultHandlers(\"OnChange:Lock\");\r\n\r\n");
  EXPECT_EQ(f.Form->Page.JavaScript(), "function EDIT1_onblur(event) {\r\ncheck(this)\r\nreturn true;}\r\n");
  // Only the stored code survives the render.
  EXPECT_EQ(edit->ScriptEvents().Count(), 1);
  EXPECT_EQ(edit->ScriptEvents().DefaultHandlers(), "");
}

// Without stored script events a render hooks its handlers into a collection of its own: the page gets the same
// code, and the control still has no stored events afterwards.
TEST(TKXCustomControl, HookedHandlersNeedNoStoredScriptEvents) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->OnAsyncChange = [](TObject*, TStrings&) {};
  EXPECT_FALSE(edit->IsScriptEventsStored());
  f.Form->Render();
  EXPECT_EQ(f.Form->Page.GetKXCLInitProc(),
            "  KX.initKXCL(KXCLForm,\"EDIT1\",true);\r\n"
            "  EDIT1KXCL.HookDefaultHandlers(\"OnChange\");\r\n\r\n");
  EXPECT_EQ(f.Form->Page.JavaScript(), "");
  EXPECT_FALSE(edit->IsScriptEventsStored());
  edit->ScriptEvents().Add("onBlur", "check(this)");
  EXPECT_TRUE(edit->IsScriptEventsStored());
}

// A control makes its font only when asked for it. Until then it reads the shared default font, which renders as a
// new font does; a font made later tells the control of its changes.
TEST(TKXCustomControl, TheFontIsMadeOnFirstUseAndTellsTheControlOfChanges) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  const TKXFont fresh;
  EXPECT_EQ(&edit->EffectiveFont(), &TKXBaseHTMLControlImplementation::DefaultFont());
  EXPECT_EQ(edit->EffectiveFont().FontToStringStyle(), fresh.FontToStringStyle());
  edit->SetDoRefreshControl(false);
  edit->WebFont().SetColor(clRed);
  EXPECT_TRUE(edit->DoRefreshControl());
  EXPECT_EQ(&edit->EffectiveFont(), &edit->WebFont());
  EXPECT_EQ(edit->EffectiveFont().FontToStringStyle(), "color: #FF0000; " + fresh.FontToStringStyle());
}

TEST(TKXCustomControl, HostileHintIsEscapedInItsAttribute) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->SetHint("it'1 \"x\" <b>&amp;");
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("INPUT");
  edit->HintEvents(tag.get());
  EXPECT_EQ(Attribute(tag.get(), "title"), "it&#39;1 &quot;x&quot; &lt;b&gt;&amp;amp;");
  EXPECT_EQ(tag->Render(), "\r\n<input title=\"it&#39;1 &quot;x&quot; &lt;b&gt;&amp;amp;\">");

  edit->SetShowHint(false);
  TKXElementPtr<TKXHTMLTag> hidden = TKXHTMLTag::Create("INPUT");
  edit->HintEvents(hidden.get());
  EXPECT_EQ(hidden->Params()->Count(), 0);
}

TEST(TKXCustomControl, ZIndexAndSizeRules) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->SetBounds(0, 0, 50, 20);
  edit->StyleRenderOptions().SetRenderPadding(false);
  TKXCompContext context(edit, nullptr, nullptr);

  edit->SetZIndex(-100);
  EXPECT_EQ(edit->RenderStyle(&context), "width: 50px; height: 20px; ");
  edit->SetZIndex(0);
  EXPECT_EQ(edit->RenderStyle(&context), "z-index: 100; width: 50px; height: 20px; ");

  // Without RenderSize the size is still written for a control that does not size itself.
  edit->SetZIndex(-100);
  edit->SetRenderSize(false);
  edit->SetAutoSize(false);
  EXPECT_EQ(edit->RenderStyle(&context), "width: 50px; height: 20px; ");
  edit->SetAutoSize(true);
  EXPECT_EQ(edit->RenderStyle(&context), "");

  edit->SetClip(true);
  edit->SetWebCursor(crHandPoint);
  EXPECT_EQ(edit->RenderStyle(&context), "clip:rect(0px,50px,20px,0px); cursor: pointer; ");
}

TEST(TKXCustomControl, AlignmentAndAnchorsAreWrittenOnlyWhenNotTheDefault) {
  struct Case {
    TAlign align;
    TAnchors anchors;
    const char* block;
  };
  const Case cases[] = {
      {alNone, {akLeft, akTop}, ""},
      {alTop, AnchorAlign(alTop),
       "\r\n  if (EDIT1KXCL) {\r\n    EDIT1KXCL.SetAlign(alTop);\r\n"
       "    EDIT1KXCL.SetAnchors(new CreateAnchors(true, true, true, false));\r\n  }"},
      {alNone, {akRight, akBottom},
       "\r\n  if (EDIT1KXCL) {\r\n    EDIT1KXCL.SetAlign(alNone);\r\n"
       "    EDIT1KXCL.SetAnchors(new CreateAnchors(false, true, false, true));\r\n  }"},
      {alCustom, {akLeft, akTop},
       "\r\n  if (EDIT1KXCL) {\r\n    EDIT1KXCL.SetAlign();\r\n"
       "    EDIT1KXCL.SetAnchors(new CreateAnchors(true, false, true, false));\r\n  }"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.align));
    TFormFixture f;
    auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
    edit->SetAlign(c.align);
    edit->SetAnchors(c.anchors);
    f.Form->Render();
    EXPECT_EQ(f.Form->Page.GetKXCLInitProc(),
              std::string("  KX.initKXCL(KXCLForm,\"EDIT1\",true)") + c.block + ";\r\n");
  }
}

TEST(TKXCustomControl, NoAlignmentBlockUnlessTheLayoutPositionsControls) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->SetAlign(alClient);
  f.Form->Layout()->Kind = lkOther;
  f.Form->Render();
  EXPECT_EQ(f.Form->Page.GetKXCLInitProc(), "  KX.initKXCL(KXCLForm,\"EDIT1\",true);\r\n");
}

TEST(TKXCustomControl, ClientObjectOfTheParent) {
  TFormFixture f;
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* inPanel = f.Add<TTestLabel>("Label1", panel);
  auto* onForm = f.Add<TTestLabel>("Label2", f.Form);
  auto* loose = f.Add<TTestLabel>("Label3", nullptr);
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* onFrame = f.Add<TTestLabel>("Label4", frame, frame);
  auto* plain = f.Add<TKXHTML40Container>("Plain", f.Form);
  auto* inPlain = f.Add<TTestLabel>("Label5", plain);
  EXPECT_EQ(inPanel->HTMLControlImplementation()->KXCLParentName(), "PANEL1KXCL");
  EXPECT_EQ(onForm->HTMLControlImplementation()->KXCLParentName(), "KXCLForm");
  EXPECT_EQ(loose->HTMLControlImplementation()->KXCLParentName(), "KXCLForm");
  EXPECT_EQ(onFrame->HTMLControlImplementation()->KXCLParentName(), "KXCLForm");
  EXPECT_EQ(inPlain->HTMLControlImplementation()->KXCLParentName(), "PlainKXCL");

  inPanel->SetParent(f.Form);  // a new parent is worked out again
  EXPECT_EQ(inPanel->HTMLControlImplementation()->KXCLParentName(), "KXCLForm");
  plain->SetName("Plain2");  // and so is a renamed one: the client object goes by the new name
  EXPECT_EQ(inPlain->HTMLControlImplementation()->KXCLParentName(), "Plain2KXCL");
}

TEST(TKXCustomControl, FrameBorderWidthIsAClientPropertyUnderTheFormLayout) {
  TFormFixture f;
  auto* label = f.Add<TTestLabel>("Label1", f.Form);
  label->SetUseFrame(true);
  f.Form->Render();
  EXPECT_EQ(f.Form->Page.GetKXCLInitProc(),
            "  KX.initKXCL(KXCLForm,\"LABEL1\",false);\r\n  LABEL1KXCL.BorderWidthPixels = 2;\r\n\r\n");
}

TEST(TKXCustomControl, SubmitHandlerEscapesItsTextsForTheAttributeItGoesInto) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->SetConfirmation("Delete \"all\"?\nSure & done");
  EXPECT_EQ(edit->SubmitHandler("p", "", true),
            "SubmitClickConfirm('EDIT1','p', true, 'Delete \\x22all\\x22?\\nSure \\x26 done');return false;");
  edit->SetDoSubmitValidation(false);
  EXPECT_EQ(edit->SubmitHandler("a'b\\c", "Other", false),
            "return SubmitClickConfirm('Other','a\\x27b\\\\c', false, 'Delete \\x22all\\x22?\\nSure \\x26 done');");
}

TEST(TKXCustomControl, SubmitLinkCarriesTheHandlerAndTheHint) {
  TFormFixture f;
  auto* label = f.Add<TTestLabel>("Label1", f.Form);
  label->SetHint("Go");
  TInternetExplorer explorer(9);
  TKXElementPtr<TKXHTMLTag> link = label->SubmitLink("Next", "it's", false, &explorer);
  EXPECT_EQ(link->Render(),
            "\r\n<a href=\"#\" onclick=\"SubmitClickConfirm('LABEL1','it%27s', true, '');return false;\" "
            "title=\"Go\">Next</a>");
  TKXElementPtr<TKXHTMLTag> other = label->SubmitLink("Next", "x", false, nullptr);
  EXPECT_EQ(Attribute(other.get(), "onclick"), "return SubmitClickConfirm('LABEL1','x', true, '');");

  // With script events an author's click code wins over the submit.
  TKXElementPtr<TKXHTMLTag> hooked = label->SubmitLink("Next", "x", true, nullptr);
  EXPECT_EQ(Attribute(hooked.get(), "onclick"), "return SubmitClickConfirm('LABEL1','x', true, '');");
  label->ScriptEvents().Add("OnClick", "mine();");
  hooked = label->SubmitLink("Next", "x", true, nullptr);
  EXPECT_EQ(Attribute(hooked.get(), "onclick"), "mine();");
  EXPECT_EQ(label->ScriptEvents().Count(), 1);
}

TEST(TKXCustomControl, AsyncEventsRegisterCallbacksNamedAfterTheControl) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Button1", f.Form);
  std::string seen;
  edit->OnAsyncClick = [&](TObject* sender, TStrings& params) {
    EXPECT_EQ(sender, edit);
    seen = params.Values("x") + "/" + edit->GetAsyncParam("x") + "/" + std::to_string(edit->GetAsyncParam("x", -1));
  };
  edit->OnAsyncUnLoad = [](TObject*, TStrings&) {};

  TFakeCallBacks callBacks;
  edit->RegisterAsyncEvents(callBacks);
  ASSERT_EQ(callBacks.Methods.size(), 2u);
  ASSERT_TRUE(callBacks.Methods.count("BUTTON1.DoOnAsyncClick"));
  ASSERT_TRUE(callBacks.Methods.count("BUTTON1.DoOnAsyncUnLoad"));

  TStringList params;
  params.Add("x=42");
  callBacks.Methods["BUTTON1.DoOnAsyncClick"](params);
  EXPECT_EQ(seen, "42/42/42");
  EXPECT_EQ(edit->GetAsyncParam("x"), "");  // readable only while the handler runs
  EXPECT_EQ(edit->GetAsyncParam("x", 7), 7);

  // A callback kept by the session does nothing once the control is gone.
  edit->Free();
  seen.clear();
  callBacks.Methods["BUTTON1.DoOnAsyncClick"](params);
  EXPECT_EQ(seen, "");
}

TEST(TKXCustomControl, DisabledControlSkipsItsEventsButLoadAndUnload) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  std::string calls;
  for (int i = 0; i < KXAsyncEventCount; ++i) {
    edit->AsyncEvent(TKXAsyncEventType(i)) = [&calls, i](TObject*, TStrings&) { calls += std::to_string(i) + ","; };
  }
  TStringList params;
  edit->SetEnabled(false);
  for (int i = 0; i < KXAsyncEventCount; ++i) edit->CallAsyncEvent(TKXAsyncEventType(i), params);
  EXPECT_EQ(calls, "14,15,");
  edit->SetEnabled(true);
  calls.clear();
  edit->DoOnAsyncSelect(params);
  edit->DoOnAsyncDoubleClick(params);
  EXPECT_EQ(calls, "13,1,");
}

TEST(TKXCustomControl, AHandlerThatRaisesLeavesNoParameters) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->OnAsyncChange = [](TObject*, TStrings&) { throw std::runtime_error("boom"); };
  TStringList params;
  params.Add("a=1");
  EXPECT_THROW(edit->DoOnAsyncChange(params), std::runtime_error);
  EXPECT_EQ(edit->GetAsyncParam("a"), "");
}

TEST(TKXCustomControl, HookEventsHooksTheDefaultHandlerOfEachAssignedEvent) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->OnAsyncEnter = [](TObject*, TStrings&) {};
  edit->OnAsyncKeyPress = [](TObject*, TStrings&) {};
  edit->SetLockOnAsyncEvents({aeKeyPress});
  TKXScriptEvents events(edit);
  edit->HookEvents(nullptr, events);
  EXPECT_EQ(events.DefaultHandlers(), "OnFocus;OnKeyPress:Lock;");
  EXPECT_EQ(AsyncEventInfo(aeDoubleClick).BrowserEvent, "OnDblClick");
  EXPECT_EQ(AsyncEventInfo(aeExit).MethodName, "DoOnAsyncExit");
}

TEST(TKXCustomControl, AsyncUpdateCarriesTheCommonProperties) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->SetBounds(3, 4, 100, 20);
  edit->SetHint("");
  TKXCompContext context(edit, nullptr, nullptr);
  TKXElementPtr<TKXXMLTag> tag = edit->RenderAsync(&context);
  EXPECT_EQ(tag->Render(),
            "\r\n<control id=\"EDIT1\" type=\"TESTEDIT\">\r\n<css>EDIT1CSS</css>\r\n<supportsinput>true</supportsinput>"
            "\r\n<enabled>true</enabled>\r\n<hint></hint>\r\n<style>\r\n"
            "<attribute name=\"visibility\">inherit</attribute>\r\n<attribute name=\"left\">3px</attribute>\r\n"
            "<attribute name=\"top\">4px</attribute>\r\n<attribute name=\"height\">20px</attribute>\r\n"
            "<attribute name=\"width\">100px</attribute></style></control>");

  // A change of the options copies their RenderSize into the control's.
  edit->StyleRenderOptions().SetUseDisplay(true);
  edit->SetRenderSize(false);
  edit->SetVisible(false);
  tag = edit->RenderAsync(&context);
  const std::string text = tag->Render();
  EXPECT_EQ(text.find("height"), std::string::npos);
  EXPECT_EQ(text.find("width"), std::string::npos);
  EXPECT_NE(text.find("<attribute name=\"display\">none</attribute>"), std::string::npos);
  EXPECT_NE(text.find("<attribute name=\"visibility\">hidden</attribute>"), std::string::npos);
}

TEST(TKXCustomControl, AsyncTextWithMarkupOrLineBreaksKeepsTheDocumentWellFormed) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  edit->RenderAsyncPropertyAsString("Hint", tag.get(), "a\r\nb <i>&", false);
  edit->AddAsyncStyle(tag.get(), " color: red; font-family: \"A&B\" ; ;");
  EXPECT_EQ(tag->Render(),
            "\r\n<control>\r\n<hint>a&lt;br&gt;b &amp;lt;i&amp;gt;&amp;amp;</hint>\r\n<style>\r\n"
            "<attribute name=\"color\">red</attribute>\r\n"
            "<attribute name=\"font-family\">\"A&amp;B\"</attribute></style></control>");
  edit->RenderAsyncPropertyAsString("Empty", tag.get(), "", true);
  edit->RenderAsyncPropertyAsPixel("Left", tag.get(), 7);
  edit->RenderAsyncPropertyAsColor("Color", tag.get(), clNone);
  edit->RenderAsyncProperty("Count", tag.get(), std::int32_t(-3));
  EXPECT_NE(tag->Render().find("<left>7px</left>\r\n<color>transparent</color>\r\n<count>-3</count>"),
            std::string::npos);
}

TEST(parseCSS, SplitsDeclarationsIntoTrimmedPairs) {
  using TPairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(parseCSS(" a: 1; b :2 ;;c:  url(http://x/y) ;"),
            (TPairs{{"a", "1"}, {"b", "2"}, {"c", "url(http://x/y)"}}));
  EXPECT_EQ(parseCSS(" display: ; bare ; "), (TPairs{{"display", ""}}));
  EXPECT_TRUE(parseCSS(" ; ; ").empty());
}

TEST(TKXCustomControl, SettersThatChangeWhatIsShownMarkTheControlForRefresh) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  const std::function<void()> changes[] = {
      [&] { edit->SetHint("h"); },          [&] { edit->SetCss("Big"); },
      [&] { edit->SetVisible(false); },     [&] { edit->SetUseFrame(true); },
      [&] { edit->SetEditable(false); },    [&] { edit->SetText("x"); },
      [&] { edit->SetWebColor(clRed); },    [&] { edit->WebFont().SetSize(14); },
      [&] { edit->SetSubmitOnAsyncEvent(false); },
      [&] { edit->StyleRenderOptions().SetRenderFont(false); },
  };
  int index = 0;
  for (const auto& change : changes) {
    SCOPED_TRACE(index++);
    edit->SetDoRefreshControl(false);
    change();
    EXPECT_TRUE(edit->DoRefreshControl());
    EXPECT_TRUE(edit->RequiresRefresh());
  }
  // The setters shared with regions: TKXForwardToImplementation in RegionsTest.cpp.
  edit->SetDoRefreshControl(false);
  edit->SetCss("BIG");  // the same class in other letters
  EXPECT_FALSE(edit->DoRefreshControl());
}

TEST(TKXCustomControl, AChildOfARegionKeepsInsideItsBorder) {
  TFormFixture f;
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  panel->Border = 3;
  auto* edit = f.Add<TTestEdit>("Edit1", panel);
  edit->SetBounds(0, 1, 10, 10);
  EXPECT_EQ(edit->Left(), 3);
  EXPECT_EQ(edit->Top(), 3);
  edit->SetBounds(5, 6, 10, 10);
  EXPECT_EQ(edit->Left(), 5);
  EXPECT_EQ(edit->Top(), 6);
}

TEST(TKXCustomControl, SetFocusNeedsAControlThatCanReceiveIt) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  auto* label = f.Add<TTestLabel>("Label1", f.Form);
  edit->SetFocus();
  EXPECT_EQ(f.Form->ActiveControl, edit);
  try {
    label->SetFocus();
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "Control cannot receive focus");
  }
  EXPECT_EQ(f.Form->ActiveControl, edit);
}

TEST(TKXCustomControl, FriendlyNameFollowsTheNameUntilSetApart) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  EXPECT_EQ(edit->FriendlyName(), "Edit1");
  edit->SetName("Amount");
  EXPECT_EQ(edit->FriendlyName(), "Amount");
  EXPECT_THROW(edit->SetName("not valid"), EComponentError);
  EXPECT_EQ(edit->FriendlyName(), "Amount");
  edit->SetFriendlyName("Amount to pay");
  edit->SetName("Total");
  EXPECT_EQ(edit->FriendlyName(), "Amount to pay");
}

// A parent told about the values its children take.
class TNotifiedPanel : public TTestPanel, public IKXUpdateNotified {
 public:
  std::string Seen;
  void ControlValueUpdated(TComponent* control, const std::string& value) override {
    Seen += control->Name() + "=" + value + ";";
  }
};

TEST(TKXControl, SetValueTellsTheParentAndInvalidates) {
  TFormFixture f;
  auto* panel = TComponent::Create<TNotifiedPanel>(f.Form);
  panel->SetName("Panel1");
  panel->SetParent(f.Form);
  auto* edit = f.Add<TTestEdit>("Edit1", panel);
  edit->SetDoRefreshControl(false);
  edit->SetValue("raw <value>");
  EXPECT_EQ(panel->Seen, "Edit1=raw <value>;");
  EXPECT_TRUE(edit->DoRefreshControl());

  TStringList names;
  names.Add("old");
  edit->GetInputControlNames(names);
  EXPECT_EQ(names.Text(), "EDIT1\r\n");
  EXPECT_TRUE(edit->IsForThisControl("EDIT1"));
  EXPECT_FALSE(edit->IsForThisControl("edit1"));

  edit->getSubmitProc()("param");
  EXPECT_EQ(edit->GetSubmitParam(), "param");
}

TEST(TKXCustomControl, InASessionTheFramedSizeAndTheSpacesFollowTheBrowserAndTheCallback) {
  test::TSessionFixture session("Mozilla/5.0 (X11; Linux x86_64; rv:120.0) Gecko/20100101 Firefox/120.0");
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->SetBounds(0, 0, 3, 30);
  edit->SetUseFrame(true);
  EXPECT_EQ(edit->HTMLWidth(), 0);  // never below 0
  EXPECT_EQ(edit->HTMLHeight(), 26);

  EXPECT_EQ(TKXBaseHTMLControl::TextToHTML("a b", false, true), "a&nbsp;b");
  session.Session->SetIsCallBack(true);
  EXPECT_EQ(TKXBaseHTMLControl::TextToHTML("a b", false, true), "a&amp;nbsp;b");

  TKXPageContext40 page(session.Session);
  EXPECT_EQ(page.ScriptFile("js/app.js"), "<script type=\"text/javascript\" src=\"/app/js/app.js\"></script>\r\n");
}

}  // namespace
}  // namespace kx
