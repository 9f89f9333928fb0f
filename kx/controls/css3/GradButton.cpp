#include "kx/controls/css3/GradButton.h"

#include "kx/foundation/Colors.h"

namespace kx {

namespace {

// A CSS hex colour (0xRRGGBB) as the platform's colour value, which keeps blue in the high byte.
constexpr TKXColor Css(std::uint32_t rgb) {
  return TKXColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

struct TSchemeColors {
  TKXColor ButtonFrom, ButtonTo, HoverFrom, HoverTo, Border;
};

TSchemeColors SchemeColors(TGradButtonColorScheme scheme) {
  switch (scheme) {
    case csMaroon: return {Css(0xA90329), Css(0x6D0019), Css(0x3A000D), Css(0x77021D), Css(0x77021D)};
    case csRed: return {Css(0xED1C24), Css(0xAA1317), Css(0xC9151B), Css(0xA11115), Css(0x980C10)};
    case csBlue: return {Css(0x00ADEE), Css(0x0078A5), Css(0x0095CC), Css(0x00678E), Css(0x0076A3)};
    case csGreen: return {Css(0x7DB72F), Css(0x4E7D0E), Css(0x6B9D28), Css(0x436B0C), Css(0x538312)};
    case csYellow: return {Css(0xFFD65E), Css(0xFEBF04), Css(0xCE9A01), Css(0xFFC92B), Css(0xCE9A01)};
    case csOrange: return {Css(0xFAA51A), Css(0xF47A20), Css(0xF88E11), Css(0xF06015), Css(0xDA7C0C)};
    case csGray: return {Css(0x778899), Css(0x3F4C6B), Css(0x2C354B), Css(0x4B546A), Css(0x495267)};
    case csLightGray: return {Css(0xD3D3D3), Css(0x707070), Css(0x575757), Css(0xBABABA), Css(0x808080)};
    case csBlack: return {Css(0x666666), Css(0x000000), Css(0x444444), Css(0x000000), Css(0x333333)};
    case csWhite: return {Css(0xFFFFFF), Css(0xEDEDED), Css(0xFFFFFF), Css(0xDCDCDC), Css(0xB7B7B7)};
    case csPink: return {Css(0xFEB1D3), Css(0xF171AB), Css(0xF4AACB), Css(0xE86CA4), Css(0xD2729E)};
    case csCustom: break;
  }
  return {};
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXGradButtonStyle

TKXGradButtonStyle::TKXGradButtonStyle(TControl* control)
    : FButton(control),
      FButtonHover(control),
      FButtonActive(control),
      FButtonDisabled(control),
      FBorder(control),
      FBorderDisabled(control),
      FTextShadow(control),
      FBoxShadow(control) {}

void TKXGradButtonStyle::SetColorScheme(TGradButtonColorScheme value) {
  FColorScheme = value;
  if (value == csCustom) return;
  FBorderDisabled.SetColor(Css(0x808080));
  FBorderDisabled.SetWidth(1);
  FBorder.SetWidth(1);
  FBoxShadow.SetColor(clBlack);
  FTextShadow.SetColor(clBlack);

  const TSchemeColors colors = SchemeColors(value);
  const TKXColor text = value == csWhite ? clBlack : clWhite;
  FButton.SetColors(colors.ButtonFrom, colors.ButtonTo);
  FButton.Font().SetColor(text);
  FButtonHover.SetColors(colors.HoverFrom, colors.HoverTo);
  FButtonHover.Font().SetColor(text);
  FButtonActive.SetColors(colors.ButtonTo, colors.ButtonFrom);
  FButtonActive.Font().SetColor(text);
  FButtonDisabled.SetColors(Css(0xD3D3D3), Css(0x707070));
  FButtonDisabled.Font().SetColor(clWhite);
  FBorder.SetColor(colors.Border);
}

void TKXGradButtonStyle::Assign(const TPersistent* source) {
  const auto* style = Supports<const TKXGradButtonStyle>(source);
  if (style == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  FButton.Assign(&style->FButton);
  FButtonHover.Assign(&style->FButtonHover);
  FButtonActive.Assign(&style->FButtonActive);
  FButtonDisabled.Assign(&style->FButtonDisabled);
  FBorder.Assign(&style->FBorder);
  FBorderDisabled.Assign(&style->FBorderDisabled);
  FTextShadow.Assign(&style->FTextShadow);
  FBoxShadow.Assign(&style->FBoxShadow);
}

// ---------------------------------------------------------------------------
// TKXGradButton

void TKXGradButton::InitControl() {
  TKXButton::InitControl();
  FStyle = std::make_unique<TKXGradButtonStyle>(this);
  FStyle->SetColorScheme(csRed);
  SetBounds(Left(), Top(), 140, 36);
}

TKXElementPtr<TKXHTMLTag> TKXGradButton::RenderHTML(TKXCompContext* context) {
  TKXElementPtr<TKXHTMLTag> tag = TKXButton::RenderHTML(context);
  tag->ClearParam("style");
  tag->AddStringParam("CLASS", RenderCSSClass(context));
  return tag;
}

std::string TKXGradButton::RenderStyle(TKXCompContext* context) {
  std::string style = TKXButton::RenderStyle(context);
  FStyle->Button().RenderStyle(context, style);
  FStyle->Border().RenderStyle(context, style);
  FStyle->BoxShadow().RenderStyle(context, style);
  FStyle->TextShadow().RenderStyle(context, style);
  if (!FFocusOutline) style += "outline: none;";
  if (context != nullptr) {
    const std::string cssClass = "." + RenderCSSClass(context);
    context->AddClassStyle(cssClass + ":hover", FStyle->ButtonHover().RenderStyle(context));
    context->AddClassStyle(cssClass + ":active", FStyle->ButtonActive().RenderStyle(context));
    context->AddClassStyle(cssClass + ":disabled", FStyle->ButtonDisabled().RenderStyle(context) +
                                                       FStyle->BorderDisabled().RenderStyle(context));
  }
  return style;
}

TKXElementPtr<TKXXMLTag> TKXGradButton::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXBUTTON");
  RenderAsyncPropertyAsString("Caption", tag.get(), Caption(), false);
  TKXAsyncCommonProps props = kAsyncCommonProps;
  props.Exclude(acpFont);
  RenderAsyncCommonProperties(context, tag.get(), props);
  return tag;
}

}  // namespace kx
