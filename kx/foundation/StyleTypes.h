// The framework's style types: the web font that controls render as CSS
// (TKXFont), the per-control switches saying which style parts a control
// renders (TKXStyleRenderOptions), and the shared enumerations of the type unit.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "kx/foundation/Colors.h"
#include "kx/platform/Classes.h"
#include "kx/platform/Components.h"
#include "kx/platform/Types.h"

namespace kx {

class TBrowser;

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TEnumSet<TFontStyle>;

// ---------------------------------------------------------------------------
// TKXFont

class TKXFont : public TPersistent {
 public:
  static constexpr int PixelsPerInch = 96;
  static constexpr int PointsPerInch = 72;
  static constexpr std::string_view DefaultFontFamily = "Arial, Sans-Serif, Verdana";

  TKXFont() = default;
  TKXFont(const TKXFont&) = delete;
  TKXFont& operator=(const TKXFont&) = delete;

  // Every setter does nothing for an equal value; otherwise it stores the
  // value, drops the cached style text and fires OnChange.

  // clNone by default.
  TKXColor Color() const { return FColor; }
  void SetColor(TKXColor value);
  // True by default; a disabled font renders no style text.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  const std::string& FontName() const { return FFontName; }
  void SetFontName(const std::string& value);
  const std::string& FontFamily() const { return FFontFamily; }
  void SetFontFamily(const std::string& value);
  const std::string& FontVariant() const { return FFontVariant; }
  void SetFontVariant(const std::string& value);
  // In points, 10 by default; setting it also sets PxSize.
  int Size() const { return FSize; }
  void SetSize(int value);
  // round(Size * PixelsPerInch / PointsPerInch), 13 by default.
  int PxSize() const { return FPxSize; }
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);

  TNotifyEvent OnChange;

  // "color: #RRGGBB; ", or empty for clNone and clWindowText.
  std::string ColorStyle() const;
  // "text-decoration:" with " underline" and/or " line-through", or " none", then ";".
  std::string TextDecoration() const;
  // Family by name, weight, style, decoration, pixel size, family, variant.
  std::string FontStyle() const;
  // ColorStyle + FontStyle, cached until the next change; empty when disabled.
  std::string FontToStringStyle() const;
  // Only what differs from the parent font; as FontToStringStyle() without one.
  std::string FontToStringStyle(const TBrowser* browser, const TKXFont* parentFont) const;
  // text inside a FONT tag with the face, colour and pixel size, and inside
  // B, I, U and STRIKE tags as the style has them.
  std::string FontToStringTag(const std::string& text) const;

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  void Changed();

  TKXColor FColor = clNone;
  bool FEnabled = true;
  std::string FFontName;
  std::string FFontFamily;
  std::string FFontVariant;
  int FSize = 10;
  int FPxSize = 13;
  TFontStyles FStyle;
  mutable std::string FRenderedStyle;
};

// ---------------------------------------------------------------------------
// TKXStyleRenderOptions

class TKXStyleRenderOptions : public TPersistent {
 public:
  // The switches by index, in property order.
  enum TIndex {
    RenderSizeIndex,
    RenderPositionIndex,
    RenderFontIndex,
    RenderZIndexIndex,
    RenderVisibilityIndex,
    RenderStatusIndex,
    RenderAbsoluteIndex,
    RenderPaddingIndex,
    RenderBorderIndex,
    UseDisplayIndex,
    SwitchCount
  };

  TKXStyleRenderOptions() = default;
  TKXStyleRenderOptions(const TKXStyleRenderOptions&) = delete;
  TKXStyleRenderOptions& operator=(const TKXStyleRenderOptions&) = delete;

  // All true by default except UseDisplay.
  bool RenderSize() const { return GetPropValue(RenderSizeIndex); }
  void SetRenderSize(bool value) { SetPropValue(RenderSizeIndex, value); }
  bool RenderPosition() const { return GetPropValue(RenderPositionIndex); }
  void SetRenderPosition(bool value) { SetPropValue(RenderPositionIndex, value); }
  bool RenderFont() const { return GetPropValue(RenderFontIndex); }
  void SetRenderFont(bool value) { SetPropValue(RenderFontIndex, value); }
  bool RenderZIndex() const { return GetPropValue(RenderZIndexIndex); }
  void SetRenderZIndex(bool value) { SetPropValue(RenderZIndexIndex, value); }
  bool RenderVisibility() const { return GetPropValue(RenderVisibilityIndex); }
  void SetRenderVisibility(bool value) { SetPropValue(RenderVisibilityIndex, value); }
  bool RenderStatus() const { return GetPropValue(RenderStatusIndex); }
  void SetRenderStatus(bool value) { SetPropValue(RenderStatusIndex, value); }
  bool RenderAbsolute() const { return GetPropValue(RenderAbsoluteIndex); }
  void SetRenderAbsolute(bool value) { SetPropValue(RenderAbsoluteIndex, value); }
  bool RenderPadding() const { return GetPropValue(RenderPaddingIndex); }
  void SetRenderPadding(bool value) { SetPropValue(RenderPaddingIndex, value); }
  bool RenderBorder() const { return GetPropValue(RenderBorderIndex); }
  void SetRenderBorder(bool value) { SetPropValue(RenderBorderIndex, value); }
  bool UseDisplay() const { return GetPropValue(UseDisplayIndex); }
  void SetUseDisplay(bool value) { SetPropValue(UseDisplayIndex, value); }

  TNotifyEvent OnChange;

  // Index 0 to 9; another index raises EListError.
  bool GetPropValue(int index) const;
  // Fires Changed only when the switch changes.
  void SetPropValue(int index, bool value);

  // From another TKXStyleRenderOptions: copies the ten switches and fires Changed.
  void Assign(const TPersistent* source) override;

 protected:
  // Calls OnChange.
  virtual void Changed();

 private:
  std::array<bool, SwitchCount> mSwitches{true, true, true, true, true, true, true, true, true, false};
};

// ---------------------------------------------------------------------------
// Shared enumerations

enum TKXWindowOption : std::uint8_t {
  woButtons,
  woStatusBar,
  woMenuBar,
  woScrollBars,
  woResizable,
  woCopyHistory,
  woFullScreen,
  woDetectBlock,
  woDefault
};
using TKXWindowOptions = TEnumSet<TKXWindowOption>;

enum TKXWAPOutputTagType : std::uint8_t { wotWML, wotXHTMLMP };

enum TKXCursor : std::uint8_t {
  crAuto,
  crCrossHair,
  crDefault,
  crPointer,
  crMove,
  crEResize,
  crNEResize,
  crNWResize,
  crNResize,
  crSEResize,
  crSWResize,
  crSResize,
  crWResize,
  crText,
  crWait,
  crHandPoint,
  crHelp
};

enum TKXShowMessageType : std::uint8_t { smAlert, smNewWindow, smSameWindow, smSameWindowFrame };

// The control-tag syntax of page templates: {%Name%} or <#Name>.
enum TKXTemplateLayoutHTMLTagType : std::uint8_t { ttKestrix, ttHashTag };

enum TKXConnectionMode : std::uint8_t { cmAny, cmSecure, cmNonSecure };

enum TKXVerticalAlignment : std::uint8_t { vaMiddle, vaTop, vaBottom, vaBaseline };

enum TKXFormUpdateMode : std::uint8_t { umAll, umPartial };

enum TKXFormEncoding : std::uint8_t { feURL, feMultiPart };

enum TKXTabSortType : std::uint8_t { stXY, stYX };

}  // namespace kx
