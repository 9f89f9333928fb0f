#include "kx/forms/ScriptEvents.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/forms/RenderContexts.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;
using test::TTestEdit;

struct EventsFixture : TFormFixture {
  TTestEdit* Edit = Add<TTestEdit>("Edit1", Form);
  TKXPageContext40 Page{nullptr};
  TKXScriptEvents& Events = Edit->ScriptEvents();
};

TEST(TKXScriptEvents, BlankCodeRemovesTheItem) {
  EventsFixture f;
  f.Events.Add("onClick", "alert(1);");
  f.Events.Add("onChange", "x();");
  EXPECT_EQ(f.Events.IndexOf("ONCLICK"), 0);
  f.Events.SetCodeByEventName("onclick", " \r\n\t ");
  EXPECT_EQ(f.Events.Count(), 1);
  EXPECT_EQ(f.Events.IndexOf("onClick"), -1);
  EXPECT_EQ(f.Events.GetCodeByEventName("onClick"), "");

  f.Events.Items(0)->SetEventCodeAsString("");
  EXPECT_EQ(f.Events.Count(), 0);
}

TEST(TKXScriptEvents, CodeLosesTrailingWhiteSpace) {
  EventsFixture f;
  f.Events.Add("onClick", "a();\r\nb();\r\n\r\n  ");
  EXPECT_EQ(f.Events.GetCode(0), "a();\r\nb();");
  f.Events.SetCodeByEventName("onBlur", "c();  ");
  EXPECT_EQ(f.Events.GetCodeByEventName("onblur"), "c();");
}

TEST(TKXScriptEvents, HookedCodeIsNormalised) {
  struct Case {
    const char* code;
    const char* expected;
  };
  const Case cases[] = {
      {"doIt()", "doIt()\r\nreturn true;"},
      {"return check()", "return check();"},
      {"if (a) return false;", "if (a) return false;"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(NormalizeScriptEventCode(c.code), c.expected);
  }
}

TEST(TKXScriptEvents, HookedScriptBecomesTheCodeOfAnEventWithoutStoredCode) {
  EventsFixture f;
  f.Events.HookEvent("OnClick", "  doIt()  ");
  EXPECT_EQ(f.Events.GetCodeByEventName("OnClick"), "doIt()\r\nreturn true;");
  EXPECT_EQ(f.Events.GetHookedCount(0), 0);

  f.Events.HookEvent("OnClick", "second()");
  EXPECT_EQ(f.Events.GetHookedCount(0), 1);
  EXPECT_EQ(f.Events.GetHookedCode(0, 0), "second()\r\nreturn true;");
  f.Events.HookEvent("OnClick", "   ");
  EXPECT_EQ(f.Events.GetHookedCount(0), 1);
}

TEST(TKXScriptEvents, ClearDropsWhatTheRenderHookedAndKeepsStoredCode) {
  EventsFixture f;
  f.Events.Add("onChange", "stored();");
  f.Events.HookEvent("onChange", "hooked()");
  f.Events.HookEvent("onClick", "submit()");
  f.Events.HookDefaultHandler("OnClick", true);
  f.Events.HookKXCLProperty("MaxLength", std::int64_t(10));
  f.Events.Clear();

  EXPECT_EQ(f.Events.Count(), 1);
  EXPECT_EQ(f.Events.GetCode(0), "stored();");
  EXPECT_EQ(f.Events.GetHookedCount(0), 0);
  EXPECT_EQ(f.Events.DefaultHandlers(), "");
  EXPECT_TRUE(f.Events.Properties().IsEmpty());

  // So a second render writes the hooked handler once, not once as stored code and once hooked.
  f.Events.HookEvent("onClick", "submit()");
  EXPECT_EQ(f.Events.GetCodeByEventName("onClick"), "submit()\r\nreturn true;");
  EXPECT_EQ(f.Events.GetHookedCount(f.Events.IndexOf("onClick")), 0);
}

TEST(TKXScriptEvents, DefaultHandlerDataGoesInFrontOfEarlierData) {
  EventsFixture f;
  f.Events.HookDefaultHandler("OnClick", false);
  f.Events.HookDefaultHandler("OnClick", true);
  EXPECT_EQ(f.Events.DefaultHandlers(), "OnClick:Lock;");
  f.Events.HookDefaultHandler("OnClick", std::string("A"));
  f.Events.HookDefaultHandler("OnClick", std::string(""));
  f.Events.HookDefaultHandler("OnChange", false);
  EXPECT_EQ(f.Events.DefaultHandlers(), "OnClick:A,Lock;OnChange;");
}

TEST(TKXScriptEvents, DefaultHandlerEntriesMatchWholeNames) {
  EventsFixture f;
  f.Events.HookDefaultHandler("OnKeyUpEx", false);
  f.Events.HookDefaultHandler("OnKeyUp", true);
  f.Events.HookDefaultHandler("KeyUp", false);
  EXPECT_EQ(f.Events.DefaultHandlers(), "OnKeyUpEx;OnKeyUp:Lock;KeyUp;");
  f.Events.HookDefaultHandler("OnKeyUp", std::string("X"));
  EXPECT_EQ(f.Events.DefaultHandlers(), "OnKeyUpEx;OnKeyUp:X,Lock;KeyUp;");
  f.Events.HookDefaultHandler("OnKeyUp", "myData");  // a literal is text, not true
  EXPECT_EQ(f.Events.DefaultHandlers(), "OnKeyUpEx;OnKeyUp:myData,X,Lock;KeyUp;");
}

TEST(TKXScriptEvents, RenderEventsWritesFunctionsAndClientObjectCalls) {
  EventsFixture f;
  f.Events.Add("onClick", "alert('hi');");
  f.Events.HookEvent("onClick", "submit()");
  f.Events.HookDefaultHandler("OnChange", true);
  f.Events.RenderEvents(&f.Page);

  EXPECT_EQ(f.Page.JavaScript(),
            "function EDIT1_onclick(event) {\r\nalert('hi');\r\nreturn true;}\r\n"
            "function EDIT1_onclick0(event) {\r\nsubmit()\r\nreturn true;}\r\n");
  EXPECT_EQ(f.Page.GetKXCLInitProc(),
            "  EDIT1KXCL.HookEvent(\"click\",EDIT1_onclick);\r\n"
            "  EDIT1KXCL.HookEvent(\"click\",EDIT1_onclick0);\r\n"
            "  EDIT1KXCL.HookDefaultHandlers(\"OnChange:Lock\");\r\n\r\n");
}

TEST(TKXScriptEvents, LoadEventBecomesTheOnloadAttribute) {
  EventsFixture f;
  f.Events.Add("onLoad", "started()");
  f.Events.RenderEvents(&f.Page);
  EXPECT_EQ(f.Page.JavaScript(), "function EDIT1_onload(event) {\r\nstarted()\r\nreturn true;}\r\n");
  EXPECT_EQ(f.Page.GetKXCLInitProc(), "");
  EXPECT_EQ(f.Edit->ExtraTagParams().Values("onload"), "EDIT1_onload()");
}

TEST(TKXScriptEvents, PropertiesAloneRenderTheSetPropsLine) {
  EventsFixture f;
  f.Events.HookKXCLProperty("Mask", std::string("99'</script>"));
  f.Events.HookKXCLProperty("ReadOnly", true);
  f.Events.HookKXCLProperty("Align", "left");
  f.Events.RenderEvents(&f.Page);
  EXPECT_EQ(f.Page.JavaScript(), "");
  EXPECT_EQ(f.Page.GetKXCLInitProc(),
            "  EDIT1KXCL.SetProps({\"Mask\": \"99\\u0027\\u003C\\/script>\", \"ReadOnly\": true, \"Align\": \"left\"});"
            "\r\n\r\n");
}

TEST(TKXScriptEvents, NothingIsRenderedForAnEmptyCollection) {
  EventsFixture f;
  f.Events.RenderEvents(&f.Page);
  EXPECT_EQ(f.Page.JavaScript(), "");
  EXPECT_EQ(f.Page.GetKXCLInitProc(), "");
}

TEST(TKXScriptEvents, AnEventNameThatIsNoIdentifierIsSkipped) {
  EventsFixture f;
  f.Events.Add("onclick(){steal()}//", "x();");
  f.Events.Add("onBlur", "y();");
  f.Events.RenderEvents(&f.Page);
  EXPECT_EQ(f.Page.JavaScript().find("steal"), std::string::npos);
  EXPECT_EQ(f.Page.GetKXCLInitProc(), "  EDIT1KXCL.HookEvent(\"blur\",EDIT1_onblur);\r\n\r\n");
}

}  // namespace
}  // namespace kx
