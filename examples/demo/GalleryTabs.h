// The gallery's page of tabs, menus and links: a menu bar whose items run server events, a tab control switched
// in the browser with a page of links and a page of HTML elements and gradient buttons, and a second tab control
// that reports each switch through a callback (and is switched by the server from a callback).
#pragma once

#include "examples/demo/Gallery.h"
#include "kx/controls/css3/GradButton.h"
#include "kx/controls/htmlelements/HTMLControls.h"
#include "kx/controls/htmlelements/Rectangle.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/links/Links.h"
#include "kx/controls/menus/Menu.h"
#include "kx/controls/tabs/TabControl.h"

namespace kx {

class TGalleryTabsForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryTabsForm, TGalleryForm)

 public:
  TMainMenu* MAINMENU1 = nullptr;
  TKXMenu* MENU1 = nullptr;
  TKXLabel* LABELRESULT = nullptr;
  TKXTabControl* TABS1 = nullptr;
  TKXLink* LINK1 = nullptr;
  TKXURL* URLRELATIVE = nullptr;
  TKXURL* URLNEWWINDOW = nullptr;
  TKXURL* URLSTOP = nullptr;
  TKXRectangle* RECTANGLE1 = nullptr;
  TKXHRule* HRULE1 = nullptr;
  htmlcontrols::TKXList* LIST1 = nullptr;
  TKXURLWindow* URLWINDOW1 = nullptr;
  TKXGradButton* GRADRED = nullptr;
  TKXGradButton* GRADBLUE = nullptr;
  TKXGradButton* GRADGREEN = nullptr;
  TKXTabControl* TABSASYNC = nullptr;
  TKXButton* BUTTONLASTPAGE = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void BuildMenu();
  void BuildLinksPage(TKXTabPage* page);
  void BuildElementsPage(TKXTabPage* page);
  void Report(const std::string& text);
};

}  // namespace kx
