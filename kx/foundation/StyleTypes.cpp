#include "kx/foundation/StyleTypes.h"

#include <cmath>
#include <limits>

#include "kx/platform/Properties.h"
#include "kx/platform/SysUtils.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

// A value for a double-quoted HTML attribute.
std::string AttributeText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

int PointsToPixels(int points) {
  double pixels = std::round(double(points) * TKXFont::PixelsPerInch / TKXFont::PointsPerInch);
  if (pixels > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (pixels < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(pixels);
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXFont

void TKXFont::Changed() {
  FRenderedStyle.clear();
  if (OnChange) OnChange(this);
}

void TKXFont::SetColor(TKXColor value) { AssignProperty(FColor, value, [this] { Changed(); }); }

// Enabled, FontFamily and FontVariant change the rendered text as well, so they
// drop the cache and notify like the other setters.
void TKXFont::SetEnabled(bool value) { AssignProperty(FEnabled, value, [this] { Changed(); }); }

void TKXFont::SetFontName(const std::string& value) { AssignProperty(FFontName, value, [this] { Changed(); }); }

void TKXFont::SetFontFamily(const std::string& value) { AssignProperty(FFontFamily, value, [this] { Changed(); }); }

void TKXFont::SetFontVariant(const std::string& value) { AssignProperty(FFontVariant, value, [this] { Changed(); }); }

void TKXFont::SetSize(int value) {
  if (value == FSize) return;
  FSize = value;
  FPxSize = PointsToPixels(value);
  Changed();
}

void TKXFont::SetStyle(TFontStyles value) { AssignProperty(FStyle, value, [this] { Changed(); }); }

std::string TKXFont::ColorStyle() const {
  if (FColor == clNone || FColor == clWindowText) return std::string();
  return "color: " + ColorToRGBString(FColor) + "; ";
}

std::string TKXFont::TextDecoration() const {
  std::string s = "text-decoration:";
  if (FStyle.Contains(fsUnderline)) s += " underline";
  if (FStyle.Contains(fsStrikeOut)) s += " line-through";
  if (!FStyle.Contains(fsUnderline) && !FStyle.Contains(fsStrikeOut)) s += " none";
  return s + ";";
}

std::string TKXFont::FontStyle() const {
  std::string s;
  if (!FFontName.empty()) {
    bool quoted = FFontName.find(' ') != std::string::npos;
    s += "font-family: " + (quoted ? "'" + FFontName + "'" : FFontName) + "; ";
  }
  s += FStyle.Contains(fsBold) ? "font-weight: bold; " : "font-weight: normal; ";
  s += FStyle.Contains(fsItalic) ? "font-style: italic; " : "font-style: normal; ";
  s += TextDecoration();
  s += "font-size: " + IntToStr(FPxSize) + "px; ";
  if (!FFontFamily.empty()) s += "font-family: " + FFontFamily + "; ";
  if (!FFontVariant.empty()) s += "font-variant: " + FFontVariant + "; ";
  return s;
}

std::string TKXFont::FontToStringStyle() const {
  if (!FEnabled) return std::string();
  if (FRenderedStyle.empty()) FRenderedStyle = ColorStyle() + FontStyle();
  return FRenderedStyle;
}

std::string TKXFont::FontToStringStyle(const TBrowser*, const TKXFont* parentFont) const {
  if (!parentFont) return FontToStringStyle();
  bool sameColor = FColor == parentFont->FColor;
  if (AnsiSameText(FFontName, parentFont->FFontName) && FSize == parentFont->FSize &&
      FStyle == parentFont->FStyle) {
    return sameColor ? std::string() : ColorStyle();
  }
  return sameColor ? FontStyle() : FontStyle() + ColorStyle();
}

std::string TKXFont::FontToStringTag(const std::string& text) const {
  std::string s = "<FONT";
  if (!FFontName.empty()) s += " FACE=\"" + AttributeText(FFontName) + "\"";
  if (FColor != clNone && FColor != clWindowText) s += " color=\"" + ColorToRGBString(FColor) + "\"";
  s += " STYLE=\"font-size:" + IntToStr(FPxSize) + "px;\">";
  if (FStyle.Contains(fsBold)) s += "<B>";
  if (FStyle.Contains(fsItalic)) s += "<I>";
  if (FStyle.Contains(fsUnderline)) s += "<U>";
  if (FStyle.Contains(fsStrikeOut)) s += "<STRIKE>";
  s += text;
  if (FStyle.Contains(fsStrikeOut)) s += "</STRIKE>";
  if (FStyle.Contains(fsUnderline)) s += "</U>";
  if (FStyle.Contains(fsItalic)) s += "</I>";
  if (FStyle.Contains(fsBold)) s += "</B>";
  return s + "</FONT>";
}

// No platform font exists here, so only another TKXFont can be assigned to.
void TKXFont::AssignTo(TPersistent* dest) const {
  auto* font = dynamic_cast<TKXFont*>(dest);
  if (!font) {
    TPersistent::AssignTo(dest);
    return;
  }
  if (font == this) return;
  font->SetColor(FColor);
  font->SetEnabled(FEnabled);
  font->SetFontName(FFontName);
  font->SetFontFamily(FFontFamily);
  font->SetFontVariant(FFontVariant);
  font->SetSize(FSize);
  font->SetStyle(FStyle);
}

// ---------------------------------------------------------------------------
// TKXStyleRenderOptions

bool TKXStyleRenderOptions::GetPropValue(int index) const {
  if (index < 0 || index >= SwitchCount) throw EListError(Format("List index out of bounds (%d)", index));
  return mSwitches[std::size_t(index)];
}

void TKXStyleRenderOptions::SetPropValue(int index, bool value) {
  if (index < 0 || index >= SwitchCount) throw EListError(Format("List index out of bounds (%d)", index));
  if (mSwitches[std::size_t(index)] == value) return;
  mSwitches[std::size_t(index)] = value;
  Changed();
}

void TKXStyleRenderOptions::Assign(const TPersistent* source) {
  if (auto* options = dynamic_cast<const TKXStyleRenderOptions*>(source)) {
    mSwitches = options->mSwitches;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TKXStyleRenderOptions::Changed() {
  if (OnChange) OnChange(this);
}

}  // namespace kx
