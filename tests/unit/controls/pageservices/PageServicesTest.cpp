#include "kx/controls/pageservices/PageServices.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/controls/labels/Labels.h"
#include "support/Raised.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::MessageOf;
using test::TFormFixture;
using test::TSessionFixture;

constexpr const char* kAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0";

TEST(TKXTimer, ScriptStartsOrStopsTheTimer) {
  TFormFixture f;
  auto* timer = f.Add<TKXTimer>("Timer1", nullptr);
  timer->SetInterval(0);
  TKXCompContext context(timer, nullptr, nullptr);
  timer->RenderScripts(&context);
  EXPECT_EQ(context.InitProcDoLastCode(), "") << "no interval, no script";
  EXPECT_EQ(timer->TimerScript(), "KX.setTimer(\"TIMER1\", false);");
  timer->SetInterval(1000);
  timer->RenderScripts(&context);
  EXPECT_EQ(context.InitProcDoLastCode(), "KX.setTimer(\"TIMER1\", true, 1000, false);\r\n");
  timer->OnAsyncTimer = [](TObject*, TStrings&) {};
  timer->SetDoRefreshControl(false);
  timer->SetInterval(250);
  EXPECT_TRUE(timer->DoRefreshControl());
  EXPECT_EQ(timer->TimerScript(), "KX.setTimer(\"TIMER1\", true, 250, true);");
  timer->SetEnabled(false);
  EXPECT_EQ(timer->TimerScript(), "KX.setTimer(\"TIMER1\", false);");
}

TEST(TKXMonitor, FiresOnceThenStops) {
  TFormFixture f;
  auto* monitor = f.Add<TKXMonitor>("Monitor1", nullptr);
  int events = 0;
  monitor->OnAsyncEvent = [&](TObject*, TStrings&) { ++events; };
  monitor->SetTimeout(60000);
  monitor->SetTargetValue(3);
  EXPECT_EQ(monitor->MonitorScript(), "KX.Session.setMonitor(\"MONITOR1\", true, 2000, 60000, 3, true);");
  TStringList params;
  monitor->DoOnAsyncEvent(params);
  monitor->DoOnAsyncEvent(params);
  EXPECT_EQ(events, 1);
  EXPECT_FALSE(monitor->Enabled());
  EXPECT_TRUE(monitor->DoRefreshControl());
  EXPECT_EQ(monitor->MonitorScript(), "KX.Session.deleteMonitor(\"MONITOR1\");");
  monitor->OnEvent = [&](TObject*) { ++events; };
  monitor->Submit("x");
  EXPECT_EQ(events, 1) << "a fired monitor takes no submit";
}

TEST(TKXAJAXNotifier, NotifyOnlyInsideACallback) {
  TFormFixture f;
  auto* notifier = f.Add<TKXAJAXNotifier>("Notifier1", nullptr);
  EXPECT_EQ(MessageOf([&] { notifier->Notify(); }), "You only can use TKXAJAXNotifier in Async calls.");
  EXPECT_FALSE(notifier->NotificationPending());
}

// Each case: what is set, then the options the browser gets.
TEST(TKXModalWindow, OptionsFollowTheProperties) {
  struct Case {
    const char* name;
    void (*set)(TKXModalWindow&);
    const char* options;
  };
  const Case cases[] = {
      {"defaults", [](TKXModalWindow&) {},
       "{\"renderStyle\": true, \"autosize\": true, \"draggable\": true, \"dragConstraint\": false}"},
      {"pixels and place",
       [](TKXModalWindow& w) {
         w.SetTitle("Hello \"you\"");
         w.SetSizeUnit(suPixel);
         w.SetWindowWidth(400);
         w.SetWindowHeight(300);
         w.SetWindowTop(0);
         w.SetWindowLeft(-1);
       },
       "{\"title\": \"Hello \\\"you\\\"\", \"width\": \"400\", \"height\": \"300\", \"top\": 0, \"renderStyle\": true, "
       "\"autosize\": true, \"draggable\": true, \"dragConstraint\": false}"},
      {"percent", [](TKXModalWindow& w) { w.SetWindowWidth(50); },
       "{\"width\": \"50%\", \"renderStyle\": true, \"autosize\": true, \"draggable\": true, \"dragConstraint\": false}"},
      {"image with a path",
       [](TKXModalWindow& w) { w.SetSrc("pics/logo.PNG"); },
       "{\"renderStyle\": true, \"autosize\": true, \"src\": \"pics\\/logo.PNG\", \"srcType\": \"image\", "
       "\"draggable\": true, \"dragConstraint\": false}"},
      {"bare page name",
       [](TKXModalWindow& w) { w.SetSrc("help.html"); },
       "{\"renderStyle\": true, \"autosize\": true, \"src\": \"\\/app\\/help.html\", \"srcType\": \"html\", "
       "\"draggable\": true, \"dragConstraint\": false}"},
      {"buttons and callbacks",
       [](TKXModalWindow& w) {
         w.Buttons().Add("OK");
         w.Buttons().Add("Don't");
         w.OnAsyncClick = [](TObject*, TStrings&) {};
         w.OnAsyncClose = [](TObject*, TStrings&) {};
       },
       "{\"renderStyle\": true, \"autosize\": true, \"buttons\": ['OK','Don\\u0027t'], \"draggable\": true, "
       "\"dragConstraint\": false, \"closeCallback\": \"MODAL1.DoOnAsyncClose\", "
       "\"btnClickCallback\": \"MODAL1.DoOnAsyncClick\"}"},
  };
  TSessionFixture session(kAgent);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFormFixture f;
    auto* window = f.Add<TKXModalWindow>("Modal1", nullptr);
    c.set(*window);
    EXPECT_EQ(window->GetInitCode(session.Session), "") << "nothing before Show";
    window->Show();
    EXPECT_EQ(window->GetInitCode(session.Session),
              "var x = new KXModalWindow(" + std::string(c.options) + ");x.show();");
  }
}


TEST(TKXModalWindow, ContentElementAndSourceExcludeEachOther) {
  TFormFixture f;
  auto* window = f.Add<TKXModalWindow>("Modal1", nullptr);
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  window->SetSrc("a.html");
  window->SetContentElement(label);
  EXPECT_EQ(window->Src(), "");
  window->Show();
  EXPECT_NE(window->GetInitCode(nullptr).find("\"contentElement\": \"LABEL1\""), std::string::npos);
  window->SetSrc("b.html");
  EXPECT_EQ(window->ContentElement(), nullptr);
  window->SetContentElement(label);
  label->Free();
  EXPECT_EQ(window->ContentElement(), nullptr) << "a freed control is forgotten";
  auto* other = f.Add<TKXTimer>("Timer1", nullptr);
  EXPECT_EQ(MessageOf([&] { window->SetContentElement(other); }),
            "ContentElement must implement IKXHTML40Control interface");
}

TEST(TKXModalWindow, ClickTakesTheButtonIndex) {
  TFormFixture f;
  auto* window = f.Add<TKXModalWindow>("Modal1", nullptr);
  int clicks = 0, closes = 0;
  window->OnAsyncClick = [&](TObject*, TStrings&) { ++clicks; };
  window->OnAsyncClose = [&](TObject*, TStrings&) { ++closes; };
  window->Show();
  TStringList params;
  params.Add("ButtonIndex=2");
  window->DoOnAsyncClick(params);
  EXPECT_EQ(window->ButtonIndex(), 2);
  EXPECT_FALSE(window->ShowPending());
  params.Clear();
  params.Add("ButtonIndex=two");
  window->DoOnAsyncClick(params);
  EXPECT_EQ(window->ButtonIndex(), -1);
  window->DoOnAsyncClose(params);
  window->SetEnabled(false);
  window->DoOnAsyncClose(params);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace kx
