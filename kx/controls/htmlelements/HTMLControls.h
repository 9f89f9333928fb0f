// Simple controls that wrap one HTML element each and post nothing: a horizontal rule (TKXHRule), a numbered or
// bulleted list shown as an HTML list or a table (TKXList), an APPLET with parameters (TKXApplet; no current
// browser runs applets, the markup is kept for pages that carry it) and an IFRAME (TKXURLWindow). The rectangle
// of this family is in Rectangle.h.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/CustomControl.h"

namespace kx {

class TKXHRule : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXHRule, TKXCustomControl)

 public:
  // clNone by default; a change invalidates.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { SetProperty(FBGColor, value); }
  // Black by default; clNone writes no colour.
  TKXColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TKXColor value) { SetProperty(FBorderColor, value); }

  bool HasTabOrder() const override { return false; }
  // An HR.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // The base style, no margin, a solid border, and the colours that are set.
  std::string RenderStyle(TKXCompContext* context) override;

 protected:
  // 100 x 3, RenderSize on.
  void InitControl() override;

 private:
  TKXColor FBGColor = clNone;
  TKXColor FBorderColor = clBlack;
};

enum TKXListRenderMode : std::uint8_t { rmTable, rmHTMLList };
enum TKXListBulletType : std::uint8_t { btDisc, btCircle, btSquare, btNone };

// The list control shares its name with the sorted pointer list of foundation/SortedLists.h; it lives in a
// namespace of its own (kx::htmlcontrols::TKXList) so that both keep their names.
namespace htmlcontrols {

class TKXList : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXList, TKXCustomControl)

 public:
  // True by default; true clears Bulleted. A change invalidates.
  bool Numbered() const { return FNumbered; }
  void SetNumbered(bool value);
  // False by default; true clears Numbered. A change invalidates.
  bool Bulleted() const { return FBulleted; }
  void SetBulleted(bool value);
  // The entries, written as they stand (markup); a change marks the control for refresh.
  TKXNotifyStringList& Items() { return FItems; }
  void SetItems(const TStrings& value) { FItems.Assign(&value); }
  // rmTable by default.
  TKXListRenderMode RenderMode() const { return FRenderMode; }
  void SetRenderMode(TKXListRenderMode value) { SetProperty(FRenderMode, value); }
  // btDisc by default; used by a bulleted HTML list.
  TKXListBulletType BulletType() const { return FBulletType; }
  void SetBulletType(TKXListBulletType value) { SetProperty(FBulletType, value); }
  void Clear() { FItems.Clear(); }

  // Nothing without items; an OL or UL, or a TABLE with a number or bullet cell per row.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // A bulleted HTML list puts its "list-style-type" before the base style.
  std::string RenderStyle(TKXCompContext* context) override;

 protected:
  // 116 x 24, numbered, as a table.
  void InitControl() override;

 private:
  bool FNumbered = true;
  bool FBulleted = false;
  TKXNotifyStringList FItems;
  TKXListRenderMode FRenderMode = rmTable;
  TKXListBulletType FBulletType = btDisc;
};

}  // namespace htmlcontrols

enum TKXAppletAlignment : std::uint8_t { aaTop, aaMiddle, aaBottom, aaLeft, aaRight };

class TKXApplet : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXApplet, TKXCustomControl)

 public:
  // aaTop by default.
  TKXAppletAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TKXAppletAlignment value) { SetProperty(FAlignment, value); }
  const std::string& AltText() const { return FAltText; }
  void SetAltText(const std::string& value) { SetProperty(FAltText, value); }
  const std::string& AppletName() const { return FAppletName; }
  void SetAppletName(const std::string& value) { SetProperty(FAppletName, value); }
  const std::string& Archive() const { return FArchive; }
  void SetArchive(const std::string& value) { SetProperty(FArchive, value); }
  const std::string& ClassFile() const { return FClassFile; }
  void SetClassFile(const std::string& value) { SetProperty(FClassFile, value); }
  // Empty by default: the server controller's URLBase.
  const std::string& CodeBase() const { return FCodeBase; }
  void SetCodeBase(const std::string& value) { SetProperty(FCodeBase, value); }
  std::int32_t HorizSpace() const { return FHorizSpace; }
  void SetHorizSpace(std::int32_t value) { SetProperty(FHorizSpace, value); }
  // name=value lines, one PARAM each.
  TStringList& Params() { return FParams; }
  void SetParams(const TStrings& value) { FParams.Assign(&value); }
  std::int32_t VertSpace() const { return FVertSpace; }
  void SetVertSpace(std::int32_t value) { SetProperty(FVertSpace, value); }

  // An APPLET with its attributes (each escaped) and one PARAM per parameter.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;

 protected:
  // 200 x 200.
  void InitControl() override;

 private:
  TKXAppletAlignment FAlignment = aaTop;
  std::string FAltText;
  std::string FAppletName;
  std::string FArchive;
  std::string FClassFile;
  std::string FCodeBase;
  std::int32_t FHorizSpace = 0;
  TStringList FParams;
  std::int32_t FVertSpace = 0;
};

enum TKXURLWindowScrolling : std::uint8_t { usYes, usNo, usAuto };

class TKXURLWindow : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXURLWindow, TKXCustomControl)

 public:
  // Trimmed; a value that differs ignoring case is stored and invalidates. A script URL is never loaded.
  const std::string& URI() const { return FURI; }
  void SetURI(const std::string& value);
  const std::string& LongDesc() const { return FLongDesc; }
  void SetLongDesc(const std::string& value) { SetProperty(FLongDesc, value); }
  // False by default.
  bool Border() const { return FBorder; }
  void SetBorder(bool value) { SetProperty(FBorder, value); }
  std::int32_t MarginWidth() const { return FMarginWidth; }
  void SetMarginWidth(std::int32_t value) { SetProperty(FMarginWidth, value); }
  std::int32_t MarginHeight() const { return FMarginHeight; }
  void SetMarginHeight(std::int32_t value) { SetProperty(FMarginHeight, value); }
  // usYes by default.
  TKXURLWindowScrolling Scrolling() const { return FScrolling; }
  void SetScrolling(TKXURLWindowScrolling value) { SetProperty(FScrolling, value); }

  // An IFRAME; no margin attributes on an HTML5 page.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXURLWINDOW" with "src" and the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 150 x 100.
  void InitControl() override;

 private:
  std::string SafeURI() const;

  std::string FURI;
  std::string FLongDesc;
  bool FBorder = false;
  std::int32_t FMarginWidth = 0;
  std::int32_t FMarginHeight = 0;
  TKXURLWindowScrolling FScrolling = usYes;
};

// The family's registration (the HTML element controls and the rectangle), listed in
// kx/controls/ControlFamilies.cpp.
const TKXControlFamily& HTMLElementsFamily();

}  // namespace kx
