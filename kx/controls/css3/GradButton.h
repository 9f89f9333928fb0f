// The gradient button: a push button drawn with CSS3 gradients, a border and shadows (Css3.h), with its hover,
// active and disabled looks written as class rules of the page, and twelve built-in colour schemes. Markup, hot
// key, submit and click handling are the plain button's.
#pragma once

#include <cstdint>

#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/css3/Css3.h"

namespace kx {

enum TGradButtonColorScheme : std::uint8_t {
  csCustom,
  csMaroon,
  csRed,
  csBlue,
  csGreen,
  csYellow,
  csOrange,
  csGray,
  csLightGray,
  csBlack,
  csWhite,
  csPink
};

// The looks of a gradient button; every object belongs to the button and invalidates it on a change.
class TKXGradButtonStyle : public TPersistent {
 public:
  explicit TKXGradButtonStyle(TControl* control = nullptr);
  TKXGradButtonStyle(const TKXGradButtonStyle&) = delete;
  TKXGradButtonStyle& operator=(const TKXGradButtonStyle&) = delete;

  TKXCssGradientDiv& Button() { return FButton; }
  void SetButton(const TKXCssGradientDiv& value) { FButton.Assign(&value); }
  TKXCssGradient& ButtonHover() { return FButtonHover; }
  void SetButtonHover(const TKXCssGradient& value) { FButtonHover.Assign(&value); }
  TKXCssGradient& ButtonActive() { return FButtonActive; }
  void SetButtonActive(const TKXCssGradient& value) { FButtonActive.Assign(&value); }
  TKXCssGradient& ButtonDisabled() { return FButtonDisabled; }
  void SetButtonDisabled(const TKXCssGradient& value) { FButtonDisabled.Assign(&value); }
  TKXCssBorder& Border() { return FBorder; }
  void SetBorder(const TKXCssBorder& value) { FBorder.Assign(&value); }
  TKXCssBorder& BorderDisabled() { return FBorderDisabled; }
  void SetBorderDisabled(const TKXCssBorder& value) { FBorderDisabled.Assign(&value); }
  // csCustom until a scheme is set. Any scheme but csCustom sets the colours of every part; csCustom keeps them.
  TGradButtonColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TGradButtonColorScheme value);
  TKXCssTextShadow& TextShadow() { return FTextShadow; }
  void SetTextShadow(const TKXCssTextShadow& value) { FTextShadow.Assign(&value); }
  TKXCssBoxShadow& BoxShadow() { return FBoxShadow; }
  void SetBoxShadow(const TKXCssBoxShadow& value) { FBoxShadow.Assign(&value); }

  // The eight objects one by one (not the scheme); other sources raise EConvertError.
  void Assign(const TPersistent* source) override;

 private:
  TKXCssGradientDiv FButton;
  TKXCssGradient FButtonHover;
  TKXCssGradient FButtonActive;
  TKXCssGradient FButtonDisabled;
  TKXCssBorder FBorder;
  TKXCssBorder FBorderDisabled;
  TGradButtonColorScheme FColorScheme = csCustom;
  TKXCssTextShadow FTextShadow;
  TKXCssBoxShadow FBoxShadow;
};

class TKXGradButton : public TKXButton {
  KX_COMPONENT_CLASS(TKXGradButton, TKXButton)

 public:
  // False by default: the browser's focus outline is switched off.
  bool FocusOutline() const { return FFocusOutline; }
  void SetFocusOutline(bool value) { SetProperty(FFocusOutline, value); }
  // Owned; the red scheme at creation.
  TKXGradButtonStyle& Style() { return *FStyle; }
  void SetStyle(const TKXGradButtonStyle& value) { FStyle->Assign(&value); }

  // The plain button's element with "CLASS" and no inline colour.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // The base style, the button's gradient, border and shadows; the hover, active and disabled looks go to the
  // page as rules of the control's class.
  std::string RenderStyle(TKXCompContext* context) override;
  // "KXBUTTON": the caption and the common properties but the font.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 140 x 36, the red scheme.
  void InitControl() override;

 private:
  bool FFocusOutline = false;
  std::unique_ptr<TKXGradButtonStyle> FStyle;
};

}  // namespace kx
