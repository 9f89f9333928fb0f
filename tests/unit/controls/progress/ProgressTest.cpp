#include "kx/controls/progress/Progress.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ParsedDocument.h"
#include "support/Raised.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::MessageOf;
using test::TFormFixture;
using test::TParsedDocument;

TParsedDocument Rendered(TKXProgressBar& bar) {
  TKXCompContext context(&bar, nullptr, nullptr);
  return TParsedDocument("<html><body>" + bar.RenderHTML(&context)->Render() + "</body></html>", true);
}

TEST(TKXProgressBar, PercentIsClamped) {
  const std::pair<int, int> cases[] = {{120, 100}, {-5, 0}, {50, 50}, {100, 100}, {0, 0}};
  TFormFixture f;
  auto* bar = f.Add<TKXProgressBar>("Bar1", f.Form);
  for (const auto& [set, stored] : cases) {
    bar->SetPercent(set);
    EXPECT_EQ(bar->Percent(), stored) << set;
  }
}

TEST(TKXProgressBar, RendersTwoCellsWithTheBarInItsColour) {
  TFormFixture f;
  auto* bar = f.Add<TKXProgressBar>("Bar1", f.Form);
  bar->SetPercent(40);
  bar->SetShowText(true);
  const TParsedDocument page = Rendered(*bar);
  EXPECT_EQ(page.Value("//table/@style"),
            "width: 225px; height: 17px; background-color:#C0C0C0; border-collapse: collapse; border-spacing: 0; "
            "padding:0;");
  EXPECT_EQ(page.Value("//td[@id='BAR1_C1']/@style"),
            "height:100%; width:40%; text-align: center; vertical-align: middle; background-color:#0000FF");
  EXPECT_EQ(page.Value("//td[@id='BAR1_C1']/span[@id='BAR1_TEXT']"), "40%");
  EXPECT_EQ(page.Value("//td[2]/@style"),
            "height:100%; width:100%; text-align: center; vertical-align: middle; background-color:#C0C0C0");
}

TEST(TKXProgressBar, AtZeroPercentTheBarIsTheBackgroundAndShowsNoText) {
  TFormFixture f;
  auto* bar = f.Add<TKXProgressBar>("Bar1", f.Form);
  bar->SetShowText(true);
  bar->SetBGColor(0x00FF00);
  const TParsedDocument page = Rendered(*bar);
  EXPECT_EQ(page.Value("//td[@id='BAR1_C1']/@style"),
            "height:100%; width:0%; text-align: center; vertical-align: middle; background-color:#00FF00");
  EXPECT_EQ(page.Count("//span[@id='BAR1_TEXT']"), 1);
  EXPECT_EQ(page.Value("//span[@id='BAR1_TEXT']"), "");
}

TEST(TKXProgressIndicator, SettersIgnoreValuesOutOfRange) {
  TFormFixture f;
  auto* indicator = TComponent::Create<TKXProgressIndicator>(f.Form);
  indicator->SetOpacity(150);
  indicator->SetOpacity(-1);
  EXPECT_EQ(indicator->Opacity(), 60);
  indicator->SetOpacity(0);
  EXPECT_EQ(indicator->Opacity(), 0);
  indicator->SetBoxBorderWidth(-1);
  EXPECT_EQ(indicator->BoxBorderWidth(), 1);
  EXPECT_EQ(indicator->ProgressTextSettings().Text(), "Please wait...");
  EXPECT_EQ(indicator->ProgressTextSettings().Font().Size(), 12);
}

TEST(TKXProgressIndicator, OwnerMustBeAForm) {
  TFormFixture f;
  auto* indicator = TComponent::Create<TKXProgressIndicator>(f.Form);
  EXPECT_EQ(MessageOf([&] { indicator->Render(); }), "Owner of ProgressIndicator must be a TKXForm descendant");
}

class TProgressForm : public TKXForm {
  KX_COMPONENT_CLASS(TProgressForm, TKXForm)
};

TEST(TKXProgressIndicator, RendersTheOverlayAndFillsTheScriptsOfItsMode) {
  test::TSessionFixture session("Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0");
  auto* form = TComponent::Create<TProgressForm>(session.Session);
  auto* indicator = TComponent::Create<TKXProgressIndicator>(form);
  indicator->SetOpacity(5);
  indicator->ProgressTextSettings().SetPosition(tpLeft);
  indicator->ProgressTextSettings().SetTextAlignment(taRightJustify);
  indicator->SetMode(pimAsync);
  const TParsedDocument page("<html><body>" + indicator->Render() + "</body></html>", true);
  ASSERT_TRUE(page.Parsed());
  const std::string overlay = page.Value("//div[@id='ProgressIndicator']/@style");
  EXPECT_NE(overlay.find("background-color:#808080;filter:alpha(opacity=5);opacity:0.05;"), std::string::npos)
      << overlay;
  // The text left of the image.
  EXPECT_EQ(page.Value("//table[@id='ProgressText']//td[1]/@align"), "right");
  EXPECT_EQ(page.Value("//table[@id='ProgressText']//td[1]"), "Please wait...");
  EXPECT_EQ(page.Value("//table[@id='ProgressText']//td[2]/img/@src"), "/app/$/gfx/loading.gif");
  EXPECT_EQ(page.Value("//div[@id='ProgressIndicatorBox']/@style"),
            "position:relative; visibility:hidden;margin:0px;top:43%;width:20%;height:14%;z-index:50002;"
            "background-color:#FFFFFF;border: 1px solid #000000;");
  EXPECT_EQ(indicator->PreScript().Count(), 0);
  EXPECT_EQ(indicator->PreAsyncScript().Text(),
            "document.getElementById('ProgressIndicator').style.visibility='visible';\r\n"
            "document.getElementById('ProgressIndicatorBox').style.visibility='visible';\r\n");
  EXPECT_EQ(indicator->PostAsyncScript().Strings(1),
            "document.getElementById('ProgressIndicatorBox').style.visibility='hidden';");
  form->Free();
}

}  // namespace
}  // namespace kx
