#include "kx/controls/css3/Css3.h"

#include "kx/appserver/Application.h"
#include "kx/controls/regions/Regions.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/Colors.h"

namespace kx {

namespace {

template <class T>
bool Is(const TBrowser* browser) {
  return Supports<const T>(browser) != nullptr;
}

// The vendor prefix an old browser of the class needed for "linear-gradient(top, ...)"; empty for one that never
// did (whose unprefixed old form is invalid today and is therefore not written).
std::string LegacyGradientPrefix(const TBrowser* browser) {
  if (Is<TWebkit>(browser)) return "-webkit-";
  if (Is<TFirefox>(browser)) return "-moz-";
  if (Is<TOpera>(browser)) return "-o-";
  if (Is<TInternetExplorer>(browser)) return "-ms-";
  return std::string();
}

std::string Px(std::int32_t value) { return std::to_string(value) + "px"; }

}  // namespace

// ---------------------------------------------------------------------------
// TKXCSS3

std::string TKXCSS3::RenderStyle(TKXCompContext* context) const {
  std::string style;
  RenderStyle(context, style);
  return style;
}

void TKXCSS3::InvalidateControl() {
  if (FControl != nullptr) FControl->Invalidate();
}

const TBrowser* TKXCSS3::BrowserOf(TKXCompContext* context) {
  if (context != nullptr && context->Browser() != nullptr) return context->Browser();
  return TKXControlSession::Current().Browser();
}

// ---------------------------------------------------------------------------
// TKXCssBorder

void TKXCssBorder::Assign(const TPersistent* source) {
  if (const auto* border = Supports<const TKXCssBorder>(source)) {
    FColor = border->FColor;
    FWidth = border->FWidth;
  } else if (const auto* options = Supports<const TKXBorderOptions>(source)) {
    FColor = options->Color();
    FWidth = options->Width();
  } else {
    TKXCSS3::Assign(source);
    return;
  }
  InvalidateControl();
}

void TKXCssBorder::RenderStyle(TKXCompContext* context, std::string& style) const {
  style += StyleFor(BrowserOf(context));
}

std::string TKXCssBorder::StyleFor(const TBrowser* browser) const {
  (void)browser;
  if (FWidth < 1 || FColor == clNone) return std::string();
  return "border: solid " + Px(FWidth) + " " + ColorToRGBString(FColor) + ";";
}

// ---------------------------------------------------------------------------
// TKXCssGradient

TKXCssGradient::TKXCssGradient(TControl* control) : TKXCSS3(control) {
  FFont.SetSize(10);
  FFont.SetFontFamily(std::string(TKXFont::DefaultFontFamily));
  FFont.SetColor(clWhite);
  FFont.OnChange = [this](TObject*) { InvalidateControl(); };
}

void TKXCssGradient::SetColors(TKXColor from, TKXColor to) {
  const bool changed = from != FFromColor || to != FToColor;
  FFromColor = from;
  FToColor = to;
  if (changed) InvalidateControl();
}

void TKXCssGradient::Assign(const TPersistent* source) {
  const auto* gradient = Supports<const TKXCssGradient>(source);
  if (gradient == nullptr) {
    TKXCSS3::Assign(source);
    return;
  }
  FFont.Assign(&gradient->FFont);
  SetAlignment(gradient->FAlignment);
  SetColors(gradient->FFromColor, gradient->FToColor);
}

void TKXCssGradient::RenderStyle(TKXCompContext* context, std::string& style) const {
  style += StyleFor(BrowserOf(context));
}

std::string TKXCssGradient::StyleFor(const TBrowser* browser) const {
  std::string style;
  switch (FAlignment) {
    case taLeftJustify: style = "text-align:left;"; break;
    case taRightJustify: style = "text-align:right;"; break;
    case taCenter: style = "text-align:center;"; break;
  }
  const std::string from = ColorToRGBString(FFromColor);
  const std::string to = ColorToRGBString(FToColor);
  if (FFromColor != FToColor || FFromColor == clNone) {
    if (Is<TAndroid>(browser)) {
      style += "background-image: -webkit-gradient(linear, left top, left bottom, color-stop(0, " + from + "), " +
               "color-stop(1, " + to + "));";
    } else if (const std::string prefix = LegacyGradientPrefix(browser); !prefix.empty()) {
      if (Is<TInternetExplorer>(browser)) {
        style += "filter: progid:DXImageTransform.Microsoft.gradient(startColorstr=" + from + "," +
                 "endColorstr=" + to + ");";
      }
      style += "background-image: " + prefix + "linear-gradient(top, " + from + ", " + to + ");";
    }
    style += "background-image: linear-gradient(to bottom, " + from + ", " + to + ");";
  } else {
    style += "background-color:" + from + ";";
  }
  return style + FFont.FontToStringStyle();
}

// ---------------------------------------------------------------------------
// TKXCssGradientDiv

void TKXCssGradientDiv::Assign(const TPersistent* source) {
  TKXCssGradient::Assign(source);
  if (const auto* div = Supports<const TKXCssGradientDiv>(source)) SetBorderRadius(div->FBorderRadius);
}

std::string TKXCssGradientDiv::StyleFor(const TBrowser* browser) const {
  std::string style = TKXCssGradient::StyleFor(browser);
  if (FBorderRadius > 0 && !Is<TInternetExplorer>(browser)) {
    if (Is<TAndroid>(browser)) style += "-webkit-border-radius: " + Px(FBorderRadius) + ";";
    style += "border-radius: " + Px(FBorderRadius) + ";";
  }
  return style;
}

// ---------------------------------------------------------------------------
// TKXCssShadow

void TKXCssShadow::SetColorTransparency(double value) {
  if (value < 0 || value > 1) return;
  Change(FColorTransparency, value);
}

void TKXCssShadow::Assign(const TPersistent* source) {
  const auto* shadow = Supports<const TKXCssShadow>(source);
  if (shadow == nullptr) {
    TKXCSS3::Assign(source);
    return;
  }
  FHShadow = shadow->FHShadow;
  FVShadow = shadow->FVShadow;
  FBlur = shadow->FBlur;
  FSpread = shadow->FSpread;
  FColor = shadow->FColor;
  FInset = shadow->FInset;
  FColorTransparency = shadow->FColorTransparency;
  FVisible = shadow->FVisible;
  InvalidateControl();
}

void TKXCssShadow::RenderStyle(TKXCompContext* context, std::string& style) const {
  style += StyleFor(BrowserOf(context));
}

std::string TKXCssShadow::StyleFor(const TBrowser* browser) const {
  (void)browser;
  if (!FVisible) return std::string();
  std::string text = Px(FHShadow) + " " + Px(FVShadow) + " " + Px(FBlur) + " ";
  if (FSpread > 0) text += Px(FSpread) + " ";
  text += ColorToRGBAString(FColor, FColorTransparency);
  if (FInset) text += " inset";
  return text + ";";
}

std::string TKXCssBoxShadow::StyleFor(const TBrowser* browser) const {
  const std::string shadow = TKXCssShadow::StyleFor(browser);
  if (shadow.empty()) return shadow;
  std::string style;
  if (Is<TAndroid>(browser)) style = "-webkit-box-shadow: " + shadow;
  return style + "box-shadow: " + shadow;
}

std::string TKXCssTextShadow::StyleFor(const TBrowser* browser) const {
  const std::string shadow = TKXCssShadow::StyleFor(browser);
  return shadow.empty() ? shadow : "text-shadow: " + shadow;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& Css3Family() {
  static const TKXControlFamily family{.Name = "css3"};
  return family;
}

}  // namespace kx
