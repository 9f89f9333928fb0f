// CSS3 style objects: small persistent parts a control owns, each writing one piece of style text for it (a
// border, a linear gradient, a rounded gradient box, a box or text shadow), adapted to the browser of the
// request. Each knows its owning control and invalidates it when a property changes. The gradient button
// (GradButton.h) is built from them, and so is the file uploader's style (its options derive from
// TKXCssGradient).
//
// Gradients are written for current browsers: a browser class that once needed a vendor form still gets it, and
// every gradient ends with the standard "background-image: linear-gradient(to bottom, A, B);", which wins.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/forms/CustomControl.h"
#include "kx/foundation/StyleTypes.h"

namespace kx {

class TBrowser;

class TKXCSS3 : public TPersistent {
 public:
  // control: the control invalidated on a change (not owned; may be null).
  explicit TKXCSS3(TControl* control = nullptr) : FControl(control) {}
  TKXCSS3(const TKXCSS3&) = delete;
  TKXCSS3& operator=(const TKXCSS3&) = delete;

  TControl* Control() const { return FControl; }
  // Appends the object's style text for the browser of context (else of the current session) to style.
  virtual void RenderStyle(TKXCompContext* context, std::string& style) const = 0;
  // The text alone.
  std::string RenderStyle(TKXCompContext* context) const;
  // The same for a given browser (null: a current browser of no known class).
  virtual std::string StyleFor(const TBrowser* browser) const = 0;

 protected:
  // Invalidates the owning control when there is one.
  void InvalidateControl();
  static const TBrowser* BrowserOf(TKXCompContext* context);
  // Stores value and invalidates the control when it changed.
  template <class T, class V>
  void Change(T& field, V&& value) {
    AssignProperty(field, std::forward<V>(value), [this] { InvalidateControl(); });
  }

 private:
  TControl* FControl;
};

class TKXCssBorder : public TKXCSS3 {
 public:
  using TKXCSS3::TKXCSS3;

  // Black by default; clNone writes no border.
  TKXColor Color() const { return FColor; }
  void SetColor(TKXColor value) { Change(FColor, value); }
  // In pixels, 1 by default; below 1 writes no border.
  std::int32_t Width() const { return FWidth; }
  void SetWidth(std::int32_t value) { Change(FWidth, value); }

  // From a TKXCssBorder or a TKXBorderOptions; anything else raises EConvertError.
  void Assign(const TPersistent* source) override;
  using TKXCSS3::RenderStyle;
  void RenderStyle(TKXCompContext* context, std::string& style) const override;
  // "border: solid Wpx #RRGGBB;".
  std::string StyleFor(const TBrowser* browser) const override;

 private:
  TKXColor FColor = clBlack;
  std::int32_t FWidth = 1;
};

class TKXCssGradient : public TKXCSS3 {
 public:
  explicit TKXCssGradient(TControl* control = nullptr);

  // Size 10, the default family, white; a change invalidates the control.
  TKXFont& Font() { return FFont; }
  const TKXFont& Font() const { return FFont; }
  void SetFont(const TKXFont& value) { FFont.Assign(&value); }
  // taCenter by default.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { Change(FAlignment, value); }
  // Black by default. Equal colours fill plainly; clNone on one side fades to transparent.
  TKXColor FromColor() const { return FFromColor; }
  void SetFromColor(TKXColor value) { Change(FFromColor, value); }
  TKXColor ToColor() const { return FToColor; }
  void SetToColor(TKXColor value) { Change(FToColor, value); }
  // Both colours at once.
  void SetColors(TKXColor from, TKXColor to);

  // Font, alignment and both colours; other sources raise EConvertError.
  void Assign(const TPersistent* source) override;
  using TKXCSS3::RenderStyle;
  void RenderStyle(TKXCompContext* context, std::string& style) const override;
  // Text alignment, the background (gradient or plain colour), then the font.
  std::string StyleFor(const TBrowser* browser) const override;

 private:
  TKXFont FFont;
  TAlignment FAlignment = taCenter;
  TKXColor FFromColor = clBlack;
  TKXColor FToColor = clBlack;
};

class TKXCssGradientDiv : public TKXCssGradient {
 public:
  using TKXCssGradient::TKXCssGradient;

  // In pixels, 0 by default (square corners).
  std::int32_t BorderRadius() const { return FBorderRadius; }
  void SetBorderRadius(std::int32_t value) { Change(FBorderRadius, value); }

  // The gradient's fields and the radius.
  void Assign(const TPersistent* source) override;
  // The gradient's text, then "border-radius: Npx;" (not for Internet Explorer); an Android browser also gets
  // "-webkit-border-radius" before it.
  std::string StyleFor(const TBrowser* browser) const override;

 private:
  std::int32_t FBorderRadius = 0;
};

class TKXCssShadow : public TKXCSS3 {
 public:
  using TKXCSS3::TKXCSS3;

  // Offsets and blur in pixels, 1 each by default.
  std::int32_t HShadow() const { return FHShadow; }
  void SetHShadow(std::int32_t value) { Change(FHShadow, value); }
  std::int32_t VShadow() const { return FVShadow; }
  void SetVShadow(std::int32_t value) { Change(FVShadow, value); }
  std::int32_t Blur() const { return FBlur; }
  void SetBlur(std::int32_t value) { Change(FBlur, value); }
  // 0 by default; written only when positive.
  std::int32_t Spread() const { return FSpread; }
  void SetSpread(std::int32_t value) { Change(FSpread, value); }
  // Black by default.
  TKXColor Color() const { return FColor; }
  void SetColor(TKXColor value) { Change(FColor, value); }
  bool Inset() const { return FInset; }
  void SetInset(bool value) { Change(FInset, value); }
  // The colour's alpha, 0.5 by default; values outside 0 to 1 are ignored.
  double ColorTransparency() const { return FColorTransparency; }
  void SetColorTransparency(double value);
  // True by default; an invisible shadow writes nothing.
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { Change(FVisible, value); }

  // All eight fields from another shadow, then invalidates; other sources raise EConvertError.
  void Assign(const TPersistent* source) override;
  using TKXCSS3::RenderStyle;
  void RenderStyle(TKXCompContext* context, std::string& style) const override;
  // "Hpx Vpx Bpx [Spx ]rgba(...)[ inset];", or empty when not visible.
  std::string StyleFor(const TBrowser* browser) const override;

 private:
  std::int32_t FHShadow = 1;
  std::int32_t FVShadow = 1;
  std::int32_t FBlur = 1;
  std::int32_t FSpread = 0;
  TKXColor FColor = clBlack;
  bool FInset = false;
  double FColorTransparency = 0.5;
  bool FVisible = true;
};

class TKXCssBoxShadow : public TKXCssShadow {
 public:
  using TKXCssShadow::TKXCssShadow;
  // "box-shadow: " + the shadow; an Android browser gets "-webkit-box-shadow" first.
  std::string StyleFor(const TBrowser* browser) const override;
};

class TKXCssTextShadow : public TKXCssShadow {
 public:
  using TKXCssShadow::TKXCssShadow;
  // "text-shadow: " + the shadow.
  std::string StyleFor(const TBrowser* browser) const override;
};

// The family's registration (the style objects and the gradient button), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& Css3Family();

}  // namespace kx
