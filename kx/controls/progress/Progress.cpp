#include "kx/controls/progress/Progress.h"

#include <cstdio>

#include "kx/appserver/Application.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/KXMessages.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// Percent as a fraction with two decimals and "." whatever the locale: 5 gives "0.05".
std::string OpacityText(std::int32_t percent) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%02d", percent / 100, percent % 100);
  return text;
}

std::string AlignText(TAlignment alignment) {
  switch (alignment) {
    case taLeftJustify: return "left";
    case taRightJustify: return "right";
    case taCenter: break;
  }
  return "center";
}

// The lines that show (visibility) the overlay and its box.
void FillVisibilityScript(TStringList& list, const char* visibility) {
  list.Clear();
  list.Add(std::string("document.getElementById('ProgressIndicator').style.visibility='") + visibility + "';");
  list.Add(std::string("document.getElementById('ProgressIndicatorBox').style.visibility='") + visibility + "';");
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXProgressTextSettings

TKXProgressTextSettings::TKXProgressTextSettings() : FText(RSPleaseWait) {
  FFont.SetSize(12);
  FFont.SetFontFamily(std::string(TKXFont::DefaultFontFamily));
}

void TKXProgressTextSettings::AssignTo(TPersistent* dest) const {
  auto* other = dynamic_cast<TKXProgressTextSettings*>(dest);
  if (other == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  other->FText = FText;
  other->FFont.Assign(&FFont);
  other->FTextAlignment = FTextAlignment;
  other->FPosition = FPosition;
  other->FVisible = FVisible;
}

// ---------------------------------------------------------------------------
// TKXProgressIndicator

void TKXProgressIndicator::AfterConstruction() {
  TComponent::AfterConstruction();
  FDiv = TKXHTMLTag::Create("DIV");
}

void TKXProgressIndicator::SetOpacity(std::int32_t value) {
  if (value >= 0 && value <= 100) FOpacity = value;
}

void TKXProgressIndicator::SetBoxBorderWidth(std::int32_t value) {
  if (value >= 0) FBoxBorderWidth = value;
}

std::string TKXProgressIndicator::Render() {
  if (!FUserDefined) Rebuild();
  return FDiv->Render();
}

void TKXProgressIndicator::Rebuild() {
  FDiv->Contents()->Clear();
  FDiv->Params()->Clear();
  FDiv->AddStringParam("align", "center");
  FDiv->AddStringParam("vertical-align", "middle");
  FDiv->AddStringParam("style",
                       "position:absolute;visibility:hidden;left:0px;top:0px;height:100%;width:100%;z-index:50000");

  TKXElementPtr<TKXHTMLTag> overlay = TKXHTMLTag::Create("DIV");
  overlay->AddStringParam("id", "ProgressIndicator");
  overlay->AddStringParam("class", "ProgressIndicator");
  overlay->AddStringParam(
      "style", "position:absolute;visibility:hidden;left:0px;top:0px;height:100%;width:100%;z-index:50001;"
               "background-color:" + ColorToRGBString(FBGColor) + ";filter:alpha(opacity=" + std::to_string(FOpacity) +
                   ");opacity:" + OpacityText(FOpacity) + ";");

  auto* form = Supports<TKXForm>(Owner());
  if (form == nullptr) throw Exception("Owner of ProgressIndicator must be a TKXForm descendant");

  TKXElementPtr<TKXHTMLTag> box = TKXHTMLTag::Create("DIV");
  box->AddStringParam("id", "ProgressIndicatorBox");
  box->AddStringParam("class", "ProgressIndicatorBox");
  // Without a box its colour is none: the declaration stays, empty, as browsers ignore it.
  const std::string boxColor = FBoxVisible ? ColorToRGBString(FBoxColor) : std::string();
  const std::int32_t borderWidth = FBoxVisible ? FBoxBorderWidth : 0;
  box->AddStringParam("style", "position:relative; visibility:hidden;margin:0px;top:43%;width:20%;height:14%;"
                               "z-index:50002;background-color:" + boxColor + ";border: " +
                                   std::to_string(borderWidth) + "px solid " + ColorToRGBString(FBoxBorderColor) + ";");
  box->Contents()->AddText("&nbsp;<br>", false);
  TKXMarkupLanguageTag* table = box->Contents()->AddTag("TABLE", false);
  table->AddStringParam("id", "ProgressText");
  table->AddStringParam("class", "ProgressText");
  table->AddStringParam("style", "position:absolute; top:0px; left: 0px; width:100%; height:100%; margin:0px;" +
                                     FProgressTextSettings.Font().FontToStringStyle());
  TKXMarkupLanguageTag* row = table->Contents()->AddTag("TBODY", false)->Contents()->AddTag("TR", false);
  AddBoxRow(row, *form);

  static_cast<TKXMarkupLanguageTagCollection*>(FDiv->Contents())->AddTagAsObject(std::move(box), false);
  static_cast<TKXMarkupLanguageTagCollection*>(FDiv->Contents())->AddTagAsObject(std::move(overlay), false);

  if (FMode == pimSync || FMode == pimBoth) {
    FillVisibilityScript(FPreScript, "visible");
    FillVisibilityScript(FPostScript, "hidden");
  }
  if (FMode == pimAsync || FMode == pimBoth) {
    FillVisibilityScript(FPreAsyncScript, "visible");
    FillVisibilityScript(FPostAsyncScript, "hidden");
  }
}

void TKXProgressIndicator::AddBoxRow(TKXMarkupLanguageTag* row, TKXForm& form) {
  const bool textVisible = FProgressTextSettings.Visible();
  auto addImage = [&] {
    if (!FImageVisible) return;
    TKXMarkupLanguageTag* cell = row->Contents()->AddTag("TD", false);
    cell->AddStringParam("align", "center");
    cell->AddStringParam("valign", "middle");
    cell->AddStringParam("width", textVisible ? "30%" : "100%");
    cell->Contents()->AddText("<img src=\"" + form.InternalUrlBase() + "gfx/loading.gif\">", false);
  };
  auto addText = [&] {
    if (!textVisible) return;
    TKXMarkupLanguageTag* cell = row->Contents()->AddTag("TD", false);
    cell->AddStringParam("align", AlignText(FProgressTextSettings.TextAlignment()));
    cell->AddStringParam("valign", "middle");
    cell->AddStringParam("width", FImageVisible ? "70%" : "100%");
    cell->Contents()->AddText(FProgressTextSettings.Text(), false);
  };
  if (FProgressTextSettings.Position() == tpLeft) {
    addText();
    addImage();
  } else {
    addImage();
    addText();
  }
}

// ---------------------------------------------------------------------------
// TKXProgressBar

void TKXProgressBar::InitControl() {
  TKXCustomControl::InitControl();
  FBGColor = clSilver;
  SetWebColor(clBlue);
  SetBounds(Left(), Top(), 225, 17);
}

void TKXProgressBar::SetPercent(std::int32_t value) { SetProperty(FPercent, std::clamp(value, 0, 100)); }

TKXColor TKXProgressBar::BarColor() const {
  return FPercent == 0 ? FBGColor : const_cast<TKXProgressBar*>(this)->WebColor();
}

std::string TKXProgressBar::PercentText() const { return FPercent > 0 ? std::to_string(FPercent) + "%" : ""; }

TKXElementPtr<TKXHTMLTag> TKXProgressBar::RenderHTML(TKXCompContext* context) {
  (void)context;
  TKXElementPtr<TKXHTMLTag> table = TKXHTMLTag::Create("TABLE");
  // The background colour ends with its own ";" (the declarations would otherwise run into one).
  table->AddStringParam("style", RenderSizeStyle(Width(), Height()) + "background-color:" +
                                     ColorToRGBString(FBGColor) + "; border-collapse: collapse; border-spacing: 0; padding:0;");
  TKXMarkupLanguageTag* row = table->Contents()->AddTag("TR", false);
  TKXMarkupLanguageTag* bar = row->Contents()->AddTag("TD", false);
  bar->AddStringParam("id", HTMLName() + "_C1");
  bar->AddStringParam("style", "height:100%; width:" + std::to_string(FPercent) +
                                   "%; text-align: center; vertical-align: middle; background-color:" +
                                   ColorToRGBString(BarColor()));
  if (FShowText) {
    TKXMarkupLanguageTag* span = bar->Contents()->AddTag("span", false);
    span->AddStringParam("id", HTMLName() + "_TEXT");
    span->AddStringParam("style", WebFont().FontToStringStyle());
    if (FPercent > 0) span->Contents()->AddText(PercentText(), false);
  }
  TKXMarkupLanguageTag* rest = row->Contents()->AddTag("TD", false);
  rest->AddStringParam("style", "height:100%; width:100%; text-align: center; vertical-align: middle; background-color:" +
                                    ColorToRGBString(FBGColor));
  return table;
}

TKXElementPtr<TKXXMLTag> TKXProgressBar::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXPROGRESSBAR");
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  IKXCallBackResponse* response = TKXControlSession::Of(context).CallBackResponse();
  if (response == nullptr) return tag;

  TKXElementPtr<TKXXMLTag> cell = TKXXMLTag::Create("control");
  cell->AddStringParam("id", HTMLName() + "_C1");
  cell->AddStringParam("type", "KXPROGRESSBAR_CELL");
  AddAsyncStyle(cell.get(), "width:" + std::to_string(FPercent) + "%;background-color:" +
                                ColorToRGBString(BarColor()) + ";");
  response->AddTagToUpdate(TKXElementPtr<TKXMarkupLanguageTag>(std::move(cell)));
  if (FShowText) {
    TKXElementPtr<TKXXMLTag> text = TKXXMLTag::Create("control");
    text->AddStringParam("id", HTMLName() + "_TEXT");
    text->AddStringParam("type", "KXPROGRESSBAR_TEXT");
    text->Contents()->AddTag("innerHTML", false)->Contents()->AddText(PercentText(), false);
    response->AddTagToUpdate(TKXElementPtr<TKXMarkupLanguageTag>(std::move(text)));
  }
  return tag;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& ProgressFamily() {
  static const TKXControlFamily family{.Name = "progress"};
  return family;
}

}  // namespace kx
