#include "kx/controls/css3/Css3.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "kx/controls/css3/GradButton.h"
#include "kx/controls/regions/Regions.h"
#include "kx/foundation/Browsers.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;

const char* const kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 Safari/537.36";
const char* const kFirefox = "Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:109.0) Gecko/20100101 Firefox/118.0";
const char* const kExplorer = "Mozilla/5.0 (compatible; MSIE 10.0; Windows NT 6.2; Trident/6.0)";
const char* const kOpera = "Opera/9.80 (Windows NT 6.1; WOW64) Presto/2.12.388 Version/12.16";
const char* const kAndroid =
    "Mozilla/5.0 (Linux; U; Android 4.0.3; ko-kr; LG-L160L Build/IML74K) AppleWebKit/534.30 (KHTML, like Gecko) "
    "Version/4.0 Mobile Safari/534.30";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Every browser ends with the standard gradient, which current browsers take; the vendor form an old browser of
// the class needed stays before it, and the unprefixed old form ("linear-gradient(top, ...)") is never written.
TEST(TKXCssGradient, WritesTheStandardGradientLastForEveryBrowser) {
  struct Case {
    const char* agent;
    const char* legacy;  // what comes before the standard declaration; "" for nothing
  };
  const Case cases[] = {
      {nullptr, ""},
      {kChrome, "background-image: -webkit-linear-gradient(top, #FF0000, #0000FF);"},
      {kFirefox, "background-image: -moz-linear-gradient(top, #FF0000, #0000FF);"},
      {kOpera, "background-image: -o-linear-gradient(top, #FF0000, #0000FF);"},
      {kExplorer, "filter: progid:DXImageTransform.Microsoft.gradient(startColorstr=#FF0000,endColorstr=#0000FF);"
                  "background-image: -ms-linear-gradient(top, #FF0000, #0000FF);"},
      {kAndroid, "background-image: -webkit-gradient(linear, left top, left bottom, color-stop(0, #FF0000), "
                 "color-stop(1, #0000FF));"},
  };
  TKXCssGradient gradient;
  gradient.SetColors(clRed, clBlue);
  gradient.SetAlignment(taRightJustify);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.agent ? c.agent : "no browser");
    const std::unique_ptr<TBrowser> browser = c.agent ? TBrowser::CreateBrowser(c.agent) : nullptr;
    const std::string style = gradient.StyleFor(browser.get());
    EXPECT_EQ(style, std::string("text-align:right;") + c.legacy +
                         "background-image: linear-gradient(to bottom, #FF0000, #0000FF);" +
                         gradient.Font().FontToStringStyle());
    EXPECT_FALSE(Contains(style, " linear-gradient(top")) << style;
  }
}

TEST(TKXCssGradient, EqualColoursFillPlainly) {
  TKXCssGradient gradient;
  gradient.SetColors(clGreen, clGreen);
  const std::string style = gradient.StyleFor(nullptr);
  EXPECT_TRUE(Contains(style, "background-color:#008000;")) << style;
  EXPECT_FALSE(Contains(style, "gradient")) << style;
  // A missing start colour fades from transparent.
  gradient.SetFromColor(clNone);
  EXPECT_TRUE(Contains(gradient.StyleFor(nullptr), "linear-gradient(to bottom, transparent, #008000)"));
}

TEST(TKXCssGradientDiv, RadiusExceptForExplorerAndPrefixedForAndroid) {
  TKXCssGradientDiv div;
  EXPECT_FALSE(Contains(div.StyleFor(nullptr), "radius"));
  div.SetBorderRadius(6);
  const std::unique_ptr<TBrowser> explorer = TBrowser::CreateBrowser(kExplorer);
  const std::unique_ptr<TBrowser> android = TBrowser::CreateBrowser(kAndroid);
  ASSERT_TRUE(Supports<TAndroid>(android.get()));
  EXPECT_TRUE(Contains(div.StyleFor(nullptr), "border-radius: 6px;"));
  EXPECT_FALSE(Contains(div.StyleFor(explorer.get()), "radius"));
  const std::string style = div.StyleFor(android.get());
  EXPECT_TRUE(Contains(style, "-webkit-border-radius: 6px;border-radius: 6px;")) << style;
  EXPECT_EQ(style.rfind("text-align:center;", 0), 0U) << "the prefix is on the radius, not on the first declaration";
}

TEST(TKXCssShadow, TextAndItsLimits) {
  TKXCssBoxShadow box;
  EXPECT_EQ(box.StyleFor(nullptr), "box-shadow: 1px 1px 1px rgba(0,0,0,0.5);");
  box.SetSpread(3);
  box.SetInset(true);
  box.SetColor(clRed);
  box.SetColorTransparency(0.25);
  EXPECT_EQ(box.StyleFor(nullptr), "box-shadow: 1px 1px 1px 3px rgba(255,0,0,0.25) inset;");
  // Out of 0..1: the old value stays.
  for (double bad : {1.5, -0.1}) {
    box.SetColorTransparency(bad);
    EXPECT_EQ(box.ColorTransparency(), 0.25);
  }
  box.SetColorTransparency(1);
  EXPECT_EQ(box.ColorTransparency(), 1);
  // An invisible shadow writes nothing, not even its property name.
  box.SetVisible(false);
  EXPECT_EQ(box.StyleFor(nullptr), "");
  TKXCssTextShadow text;
  EXPECT_EQ(text.StyleFor(nullptr), "text-shadow: 1px 1px 1px rgba(0,0,0,0.5);");
  text.SetVisible(false);
  EXPECT_EQ(text.StyleFor(nullptr), "");
}

TEST(TKXCssBorder, NothingWithoutColourOrWidthAndTakenFromBorderOptions) {
  TKXCssBorder border;
  border.SetColor(clNone);
  EXPECT_EQ(border.StyleFor(nullptr), "");
  TKXBorderOptions options(clBlue, 3);
  border.Assign(&options);
  EXPECT_EQ(border.StyleFor(nullptr), "border: solid 3px #0000FF;");
  TKXCssShadow shadow;
  EXPECT_THROW(border.Assign(&shadow), EConvertError);
}

TEST(TKXCSS3, AChangeInvalidatesTheOwningControl) {
  TFormFixture f;
  auto* button = f.Add<TKXGradButton>("Grad1", f.Form);
  const auto changes = [&](auto change) {
    button->SetDoRefreshControl(false);
    change();
    return button->DoRefreshControl();
  };
  EXPECT_TRUE(changes([&] { button->Style().Button().SetBorderRadius(4); }));
  EXPECT_FALSE(changes([&] { button->Style().Button().SetBorderRadius(4); }));
  EXPECT_TRUE(changes([&] { button->Style().Button().Font().SetSize(14); }));
  EXPECT_FALSE(changes([&] { button->Style().TextShadow().SetColorTransparency(7); }));
}

// ---------------------------------------------------------------------------
// The gradient button

// "Active" is the button's gradient reversed, "disabled" light grey to grey; csCustom keeps the last colours.
TEST(TKXGradButton, SchemesSetEveryPartAndCustomKeepsThem) {
  TKXGradButtonStyle style;
  style.SetColorScheme(csWhite);
  EXPECT_EQ(ColorToRGBString(style.ButtonHover().FromColor()), "#FFFFFF");
  EXPECT_EQ(ColorToRGBString(style.ButtonHover().ToColor()), "#DCDCDC");
  EXPECT_EQ(ColorToRGBString(style.ButtonActive().FromColor()), "#EDEDED");
  EXPECT_EQ(ColorToRGBString(style.Button().Font().Color()), "#000000");
  EXPECT_EQ(ColorToRGBString(style.ButtonDisabled().Font().Color()), "#FFFFFF");
  EXPECT_EQ(ColorToRGBString(style.BorderDisabled().Color()), "#808080");
  style.SetColorScheme(csCustom);
  EXPECT_EQ(ColorToRGBString(style.Border().Color()), "#B7B7B7");
}

TEST(TKXGradButton, AssigningAStyleCopiesEveryPart) {
  TFormFixture f;
  auto* source = f.Add<TKXGradButton>("Grad1", f.Form);
  auto* target = f.Add<TKXGradButton>("Grad2", f.Form);
  source->Style().SetColorScheme(csBlue);
  source->Style().Button().SetBorderRadius(9);
  source->Style().BoxShadow().SetSpread(4);
  source->Style().TextShadow().SetVisible(false);
  source->Style().BorderDisabled().SetWidth(3);
  target->SetStyle(source->Style());
  TKXCompContext sourceContext(source, nullptr, nullptr);
  TKXCompContext targetContext(target, nullptr, nullptr);
  EXPECT_EQ(target->Style().ButtonDisabled().StyleFor(nullptr), source->Style().ButtonDisabled().StyleFor(nullptr));
  EXPECT_EQ(target->Style().BorderDisabled().Width(), 3);
  EXPECT_EQ(target->RenderStyle(&targetContext), source->RenderStyle(&sourceContext));
  // The scheme itself is not copied.
  EXPECT_EQ(target->Style().ColorScheme(), csRed);
}

TEST(TKXGradButton, LooksOfHoverActiveAndDisabledGoToThePageAsClassRules) {
  TFormFixture f;
  auto* button = f.Add<TKXGradButton>("Grad1", f.Form);
  button->OnClick = [](TObject*) {};
  f.Form->Render();
  TKXCompContext context(button, nullptr, &f.Form->Page);
  button->RenderStyle(&context);
  std::string styles;
  for (int i = 0; i < f.Form->Page.StyleTag()->Contents()->Count(); ++i) {
    styles += static_cast<TKXTextElement*>(f.Form->Page.StyleTag()->Contents()->GetHTMLElement(i))->Text();
  }
  EXPECT_TRUE(Contains(styles, ".GRAD1CSS:hover {text-align:center;background-image: linear-gradient(to bottom, "
                               "#C9151B, #A11115);"))
      << styles;
  EXPECT_TRUE(Contains(styles, ".GRAD1CSS:disabled {text-align:center;background-image: linear-gradient(to bottom, "
                               "#D3D3D3, #707070);"));
  EXPECT_TRUE(Contains(styles, "border: solid 1px #808080;}"));
  // The click is the plain button's.
  EXPECT_TRUE(Contains(f.Form->Page.JavaScript(), "return SubmitClickConfirm('GRAD1','', true, '');"));
}

}  // namespace
}  // namespace kx
