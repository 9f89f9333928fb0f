// The rectangle: a coloured box with an optional text, drawn as a one-cell table filling a DIV. It posts nothing.
#pragma once

#include "kx/controls/regions/Regions.h"
#include "kx/forms/CustomControl.h"

namespace kx {

class TKXCustomRectangle : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXCustomRectangle, TKXCustomControl)

 public:
  // taLeftJustify by default; a change invalidates.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { SetProperty(FAlignment, value); }
  // Owned; a change invalidates.
  TKXBorderOptions& BorderOptions() { return FBorderOptions; }
  void SetBorderOptions(const TKXBorderOptions& value) { FBorderOptions.Assign(&value); }
  // vaMiddle by default; a change invalidates.
  TKXVerticalAlignment VAlign() const { return FVAlign; }
  void SetVAlign(TKXVerticalAlignment value) { SetProperty(FVAlign, value); }
  // The fill colour (the web colour); clNone by default.
  TKXColor Color() { return WebColor(); }
  void SetColor(TKXColor value) { SetWebColor(value); }

  bool HasTabOrder() const override { return false; }
  // The table filling the box into tag; the text is written as it stands (markup).
  void RenderInnerHTML(TKXMarkupLanguageTag* tag);
  // A DIV holding the table.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXRECTANGLE" with the table in "innerHTML".
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 200 x 100, no colour, RenderSize on.
  void InitControl() override;

 private:
  TAlignment FAlignment = taLeftJustify;
  TKXBorderOptions FBorderOptions{this};
  TKXVerticalAlignment FVAlign = vaMiddle;
};

class TKXRectangle : public TKXCustomRectangle {
  KX_COMPONENT_CLASS(TKXRectangle, TKXCustomRectangle)
};

}  // namespace kx
