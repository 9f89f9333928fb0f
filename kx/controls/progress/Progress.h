// Two progress displays. TKXProgressIndicator is a component of a form (set as the form's ProgressIndicator): the
// page shows its full-window "please wait" overlay while a submit or a callback is under way, through the four
// script lists it fills. TKXProgressBar is a visual control showing a percentage as a two-cell table.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/forms/CustomControl.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/StringLists.h"

namespace kx {

enum TKXProgressTextPosition : std::uint8_t { tpLeft, tpRight };
enum TKXProgressIndicatorMode : std::uint8_t { pimAsync, pimSync, pimBoth };

// The text of the indicator's box.
class TKXProgressTextSettings : public TPersistent {
 public:
  TKXProgressTextSettings();

  // "Please wait..." by default; markup, written as it is.
  const std::string& Text() const { return FText; }
  void SetText(const std::string& value) { FText = value; }
  // Size 12 by default.
  TKXFont& Font() { return FFont; }
  void SetFont(const TKXFont& value) { FFont.Assign(&value); }
  // taCenter by default.
  TAlignment TextAlignment() const { return FTextAlignment; }
  void SetTextAlignment(TAlignment value) { FTextAlignment = value; }
  // tpRight by default: the text right of the image.
  TKXProgressTextPosition Position() const { return FPosition; }
  void SetPosition(TKXProgressTextPosition value) { FPosition = value; }
  // True by default.
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  std::string FText;
  TKXFont FFont;
  TAlignment FTextAlignment = taCenter;
  TKXProgressTextPosition FPosition = tpRight;
  bool FVisible = true;
};

class TKXProgressIndicator : public TComponent, public virtual IKXProgressIndicator {
  KX_COMPONENT_CLASS(TKXProgressIndicator, TComponent)

 public:
  // The scripts the page runs before and after a submit (Pre/PostScript) and a callback (Pre/PostAsyncScript).
  TStringList& PreScriptLines() { return FPreScript; }
  TStringList& PostScriptLines() { return FPostScript; }
  TStringList& PreAsyncScriptLines() { return FPreAsyncScript; }
  TStringList& PostAsyncScriptLines() { return FPostAsyncScript; }
  void SetPreScript(const TStrings& value) { FPreScript.Assign(&value); }
  void SetPostScript(const TStrings& value) { FPostScript.Assign(&value); }
  void SetPreAsyncScript(const TStrings& value) { FPreAsyncScript.Assign(&value); }
  void SetPostAsyncScript(const TStrings& value) { FPostAsyncScript.Assign(&value); }
  // The indicator's DIV: rebuilt by Render unless UserDefined, then the author's own.
  TKXHTMLTag& Div() { return *FDiv; }
  void SetDiv(const TKXHTMLTag& value) { FDiv->Assign(&value); }
  TKXProgressTextSettings& ProgressTextSettings() { return FProgressTextSettings; }
  void SetProgressTextSettings(const TKXProgressTextSettings& value) { FProgressTextSettings.Assign(&value); }
  const std::string& Css() const { return FCss; }
  void SetCss(const std::string& value) { FCss = value; }
  // The overlay's colour, $808080 by default.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { FBGColor = value; }
  // White by default.
  TKXColor BoxColor() const { return FBoxColor; }
  void SetBoxColor(TKXColor value) { FBoxColor = value; }
  // Black by default.
  TKXColor BoxBorderColor() const { return FBoxBorderColor; }
  void SetBoxBorderColor(TKXColor value) { FBoxBorderColor = value; }
  // The overlay's opacity in percent, 60 by default; values outside 0..100 are ignored.
  std::int32_t Opacity() const { return FOpacity; }
  void SetOpacity(std::int32_t value);
  // False by default: with it Render leaves the DIV and the scripts as the author made them.
  bool UserDefined() const { return FUserDefined; }
  void SetUserDefined(bool value) { FUserDefined = value; }
  // True by default.
  bool BoxVisible() const { return FBoxVisible; }
  void SetBoxVisible(bool value) { FBoxVisible = value; }
  // pimSync by default: shown around submits (pimAsync: callbacks, pimBoth: both).
  TKXProgressIndicatorMode Mode() const { return FMode; }
  void SetMode(TKXProgressIndicatorMode value) { FMode = value; }
  // 1 by default; negative values are ignored.
  std::int32_t BoxBorderWidth() const { return FBoxBorderWidth; }
  void SetBoxBorderWidth(std::int32_t value);
  // True by default: the box shows the loading image.
  bool ImageVisible() const { return FImageVisible; }
  void SetImageVisible(bool value) { FImageVisible = value; }

  // ---- IKXProgressIndicator
  // Unless UserDefined rebuilds the DIV and the scripts; the DIV's markup. Raises Exception when the owner is not
  // a form.
  std::string Render() override;
  const TStrings& PreScript() override { return FPreScript; }
  const TStrings& PostScript() override { return FPostScript; }
  const TStrings& PreAsyncScript() override { return FPreAsyncScript; }
  const TStrings& PostAsyncScript() override { return FPostAsyncScript; }

 protected:
  void AfterConstruction() override;

 private:
  void Rebuild();
  // The box's row: the image cell and the text cell in the order Position gives.
  void AddBoxRow(TKXMarkupLanguageTag* row, TKXForm& form);

  TStringList FPreScript;
  TStringList FPostScript;
  TStringList FPreAsyncScript;
  TStringList FPostAsyncScript;
  TKXElementPtr<TKXHTMLTag> FDiv;
  TKXProgressTextSettings FProgressTextSettings;
  std::string FCss;
  TKXColor FBGColor = 0x808080;
  TKXColor FBoxColor = clWhite;
  TKXColor FBoxBorderColor = clBlack;
  std::int32_t FOpacity = 60;
  bool FUserDefined = false;
  bool FBoxVisible = true;
  TKXProgressIndicatorMode FMode = pimSync;
  std::int32_t FBoxBorderWidth = 1;
  bool FImageVisible = true;
};

class TKXProgressBar : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXProgressBar, TKXCustomControl)

 public:
  // Silver by default; a change invalidates. The bar itself is drawn in the control's Color (blue by default).
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { SetProperty(FBGColor, value); }
  // 0..100; other values are clamped. A change invalidates.
  std::int32_t Percent() const { return FPercent; }
  void SetPercent(std::int32_t value);
  // False by default: with it the bar shows "N%".
  bool ShowText() const { return FShowText; }
  void SetShowText(bool value) { SetProperty(FShowText, value); }

  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXPROGRESSBAR" with the common properties; the bar cell ("KXPROGRESSBAR_CELL") and the
  // text ("KXPROGRESSBAR_TEXT") go into the callback response as elements of their own.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 225 x 17, silver background, blue bar.
  void InitControl() override;

 private:
  // The bar cell's colour: the background's at 0 percent.
  TKXColor BarColor() const;
  std::string PercentText() const;

  TKXColor FBGColor = clSilver;
  std::int32_t FPercent = 0;
  bool FShowText = false;
};

// The family's registration (the progress indicator and bar), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& ProgressFamily();

}  // namespace kx
