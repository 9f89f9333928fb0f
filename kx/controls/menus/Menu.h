// The menu bar: TKXMenu renders a main menu (platform/Menus.h) as nested HTML tables whose sub-menus the client
// script "/js/KXMenu.js" pops up. A click on an enabled item posts the form with the item's element id
// (NAME_submenuK); Submit finds the item and runs its Click. Captions are shown without "&" (no access keys);
// separator lines are drawn in vertical menus only.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "kx/controls/ControlFamily.h"
#include "kx/forms/CustomControl.h"
#include "kx/platform/Menus.h"

namespace kx {

class TKXMenu;

enum TKXMenuOrientation : std::uint8_t { kxOHorizontal, kxOVertical };
enum TKXMenuAutoSize : std::uint8_t { mnaNone, mnaFullWidth, mnaFullHeight };
enum TKXSpaceItems : std::uint8_t { itsNone, itsEvenlySpaced };

// The colours, fonts and class names of one level of a menu. Every setter invalidates the owning menu.
class TKXMenuStyle : public TPersistent {
 public:
  explicit TKXMenuStyle(TKXMenu* menu = nullptr);
  TKXMenuStyle(const TKXMenuStyle&) = delete;
  TKXMenuStyle& operator=(const TKXMenuStyle&) = delete;

  // clNone by default: the defaults of the default classes apply.
  TKXColor SelectedItemBGColor() const { return FSelectedItemBGColor; }
  void SetSelectedItemBGColor(TKXColor value) { Change(FSelectedItemBGColor, value); }
  TKXColor ItemBGColor() const { return FItemBGColor; }
  void SetItemBGColor(TKXColor value) { Change(FItemBGColor, value); }
  TKXColor DisabledItemBGColor() const { return FDisabledItemBGColor; }
  void SetDisabledItemBGColor(TKXColor value) { Change(FDisabledItemBGColor, value); }
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { Change(FBGColor, value); }
  TKXColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TKXColor value) { Change(FBorderColor, value); }
  TKXFont& SelectedMenuItemFont() { return FSelectedMenuItemFont; }
  void SetSelectedMenuItemFont(const TKXFont& value) { FSelectedMenuItemFont.Assign(&value); }
  TKXFont& MenuItemFont() { return FMenuItemFont; }
  void SetMenuItemFont(const TKXFont& value) { FMenuItemFont.Assign(&value); }
  // Silver by default.
  TKXFont& DisabledMenuItemFont() { return FDisabledMenuItemFont; }
  void SetDisabledMenuItemFont(const TKXFont& value) { FDisabledMenuItemFont.Assign(&value); }
  // Class names; empty (or the default name) means the default class, written by the menu.
  const std::string& SelectedMenuCss() const { return FSelectedMenuCss; }
  void SetSelectedMenuCss(const std::string& value) { Change(FSelectedMenuCss, value); }
  const std::string& DisabledMenuCss() const { return FDisabledMenuCss; }
  void SetDisabledMenuCss(const std::string& value) { Change(FDisabledMenuCss, value); }
  const std::string& Css() const { return FCss; }
  void SetCss(const std::string& value) { Change(FCss, value); }
  // kxOHorizontal by default.
  TKXMenuOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TKXMenuOrientation value) { Change(FOrientation, value); }

  // Copies every colour, font, class name and the orientation (not the owning menu).
  void Assign(const TPersistent* source) override;

 private:
  template <class T, class V>
  void Change(T& field, V&& value) {
    field = std::forward<V>(value);
    Changed();
  }
  void Changed();

  TKXColor FSelectedItemBGColor = clNone;
  TKXColor FItemBGColor = clNone;
  TKXColor FDisabledItemBGColor = clNone;
  TKXColor FBGColor = clNone;
  TKXColor FBorderColor = clNone;
  TKXFont FSelectedMenuItemFont;
  TKXFont FMenuItemFont;
  TKXFont FDisabledMenuItemFont;
  std::string FSelectedMenuCss;
  std::string FDisabledMenuCss;
  std::string FCss;
  TKXMenu* FMenu;
  TKXMenuOrientation FOrientation = kxOHorizontal;
};

// The style of the top row.
class TKXMainMenuStyle : public TKXMenuStyle {
 public:
  using TKXMenuStyle::TKXMenuStyle;
};

class TKXMenu : public TKXCustomControl, public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXMenu, TKXCustomControl)

 public:
  // True by default; told to the client.
  bool ComboBoxHide() const { return FComboBoxHide; }
  void SetComboBoxHide(bool value) { SetProperty(FComboBoxHide, value); }
  // mnaNone by default; any other value sets ItemSpacing to itsEvenlySpaced.
  TKXMenuAutoSize KXAutoSize() const { return FAutoSize; }
  void SetKXAutoSize(TKXMenuAutoSize value);
  // The menu shown; not owned, null once it is freed.
  TMainMenu* AttachedMenu() const { return FAttachedMenu.Get(); }
  void SetAttachedMenu(TMainMenu* value);
  // 30 by default; stored for the client.
  std::int32_t TimeOut() const { return FTimeOut; }
  void SetTimeOut(std::int32_t value) { FTimeOut = value; }
  std::int32_t Padding() const { return FPadding; }
  void SetPadding(std::int32_t value) { SetProperty(FPadding, value); }
  std::int32_t TextOffset() const { return FTextOffset; }
  void SetTextOffset(std::int32_t value) { SetProperty(FTextOffset, value); }
  // itsNone by default (a filler cell packs the items to the start); itsNone also resets KXAutoSize.
  TKXSpaceItems ItemSpacing() const { return FItemSpacing; }
  void SetItemSpacing(TKXSpaceItems value);
  // Owned; the top row (background #E0DFE3 at creation).
  TKXMainMenuStyle& MainMenuStyle() { return FMainMenuStyle; }
  void SetMainMenuStyle(const TKXMenuStyle& value) { FMainMenuStyle.Assign(&value); }
  // Owned; the sub-menus (vertical at creation).
  TKXMenuStyle& SubMenuStyle() { return FSubMenuStyle; }
  void SetSubMenuStyle(const TKXMenuStyle& value) { FSubMenuStyle.Assign(&value); }
  // The class of the sub-menu tables; empty means "MenuSubContainer".
  const std::string& SubMenuCss() const { return FSubMenuCss; }
  void SetSubMenuCss(const std::string& value) { SetProperty(FSubMenuCss, value); }

  // The item whose element id ("NAME_submenuK") value is, as last rendered; null when there is none or the item
  // has left the menu since.
  TMenuItem* FindItem(const std::string& value);

  // Nothing without a menu or items; else the table of the top row and its sub-menus, the style rules and the
  // start-up script.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // Css, or "MenuContainer".
  std::string RenderCSSClass(TKXCompContext* context) override;

  // ---- IKXSubmitControl
  // Stores value, then clicks the item it names when that item, and every item above it, is visible and enabled.
  void Submit(const std::string& value) override;
  TSubmitProc getSubmitProc() override;
  std::string GetSubmitParam() override { return FSubmitParam; }

 protected:
  // 200 x 20, no partial updates.
  void InitControl() override;

 private:
  struct TRendering;
  void RenderStyles(TKXCompContext* context);
  void GenerateMenu(TRendering& rendering, TKXHTMLTag* table, const TMenuItem& item, int level, TKXMenuStyle& style);
  void GenerateMenuElement(TRendering& rendering, TKXHTMLTag* cell, const TMenuItem& item, int key, int level,
                           TKXMenuStyle& style);

  bool FComboBoxHide = true;
  std::string FSubmitParam;
  TKXMenuAutoSize FAutoSize = mnaNone;
  TComponentRef<TMainMenu> FAttachedMenu;
  std::int32_t FTimeOut = 30;
  std::int32_t FPadding = 0;
  std::int32_t FTextOffset = 0;
  TKXSpaceItems FItemSpacing = itsNone;
  TKXMainMenuStyle FMainMenuStyle{this};
  TKXMenuStyle FSubMenuStyle{this};
  std::string FSubMenuCss;
  // Element key -> item (and its id, which tells a freed item from a new one at its address), filled while
  // rendering.
  struct TMappedItem {
    const TMenuItem* Item;
    std::uint64_t Id;
  };
  std::vector<TMappedItem> FItemMap;
};

// Installs the family alone (its script "/js/KXMenu.js" and the arrow image). After Startup().
void InstallMenus();

// The family's registration (the menu bar), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& MenusFamily();

}  // namespace kx
