#include "kx/controls/menus/Menu.h"

#include "kx/appserver/Application.h"
#include "kx/controls/imagelist/ImageList.h"
#include "kx/controls/menus/FamilyFiles.h"
#include "kx/foundation/Colors.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";

// The class names of one level: the author's, or the default ones (whose rules the menu writes).
struct TLevelClasses {
  std::string Container, Selected, Item, Disabled;
  bool OwnContainer, OwnSelected, OwnItem, OwnDisabled;
};

// The author's class, or the default when empty or already the default; own tells which.
std::string ClassOr(const std::string& css, const char* defaultName, bool& own) {
  own = !css.empty() && css != defaultName;
  return own ? css : std::string(defaultName);
}

TLevelClasses LevelClasses(const std::string& containerCss, TKXMenuStyle& style, bool main) {
  TLevelClasses c;
  c.Container = ClassOr(containerCss, main ? "MenuContainer" : "MenuSubContainer", c.OwnContainer);
  c.Selected = ClassOr(style.SelectedMenuCss(), main ? "MenuSelectedItem" : "MenuSubSelectedItem", c.OwnSelected);
  c.Item = ClassOr(style.Css(), main ? "MenuMainItem" : "MenuSubItem", c.OwnItem);
  c.Disabled = ClassOr(style.DisabledMenuCss(), main ? "MenuDisabledItem" : "MenuSubDisabledItem", c.OwnDisabled);
  return c;
}

std::string ColorOr(TKXColor color, const char* defaultColor) {
  return color == clNone ? std::string(defaultColor) : ColorToRGBString(color);
}

// "." + name + " {" declarations "}" CR LF.
std::string Block(const std::string& name, const std::string& declarations) {
  return "." + name + " {" + CRLF + declarations + "}" + CRLF;
}

std::string CaptionWithoutAmpersands(const std::string& caption) {
  std::string text;
  for (char c : caption) {
    if (c != '&') text += c;
  }
  return text;
}

TKXHTMLTag* AddCell(TKXHTMLTag* row, const char* cssClass, const std::string& html) {
  TKXHTMLTag* cell = row->Contents()->AddTag("td", false);
  if (cssClass != nullptr) cell->AddStringParam("class", cssClass);
  cell->Contents()->AddText(html, false);
  return cell;
}

// A class name or URL as an attribute value, escaped as HTML text.
std::string Attr(const std::string& text) { return TKXBaseHTMLControl::TextToHTML(text, false, false, false); }

std::string Indent(int level) { return std::string(std::size_t(level) * 2, ' '); }

std::string JSString(const std::string& text) {
  return "\"" + TKXBaseHTMLControl::TextToJSStringLiteral(text) + "\"";
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXMenuStyle

TKXMenuStyle::TKXMenuStyle(TKXMenu* menu) : FMenu(menu) {
  FDisabledMenuItemFont.SetColor(clSilver);
  for (TKXFont* font : {&FSelectedMenuItemFont, &FMenuItemFont, &FDisabledMenuItemFont}) {
    font->OnChange = [this](TObject*) { Changed(); };
  }
}

void TKXMenuStyle::Changed() {
  if (FMenu != nullptr) FMenu->Invalidate();
}

void TKXMenuStyle::Assign(const TPersistent* source) {
  const auto* other = Supports<const TKXMenuStyle>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  FSelectedItemBGColor = other->FSelectedItemBGColor;
  FItemBGColor = other->FItemBGColor;
  FDisabledItemBGColor = other->FDisabledItemBGColor;
  FBGColor = other->FBGColor;
  FBorderColor = other->FBorderColor;
  FSelectedMenuItemFont.Assign(&other->FSelectedMenuItemFont);
  FMenuItemFont.Assign(&other->FMenuItemFont);
  FDisabledMenuItemFont.Assign(&other->FDisabledMenuItemFont);
  FSelectedMenuCss = other->FSelectedMenuCss;
  FDisabledMenuCss = other->FDisabledMenuCss;
  FCss = other->FCss;
  FOrientation = other->FOrientation;
  Changed();
}

// ---------------------------------------------------------------------------
// TKXMenu

// What one rendering collects besides the tables.
struct TKXMenu::TRendering {
  TKXCompContext* Context;
  std::string Name;
  std::string Script;
  std::string ArrowURL;
  TKXImageList* Images;
  TLevelClasses Main;
  TLevelClasses Sub;
};

void TKXMenu::InitControl() {
  TKXCustomControl::InitControl();
  FMainMenuStyle.SetBGColor(0xE3DFE0);
  FSubMenuStyle.SetOrientation(kxOVertical);
  SetBounds(Left(), Top(), 200, 20);
  SetSupportsPartial(false);
}

void TKXMenu::SetKXAutoSize(TKXMenuAutoSize value) {
  FAutoSize = value;
  if (value != mnaNone) FItemSpacing = itsEvenlySpaced;
  Invalidate();
}

void TKXMenu::SetItemSpacing(TKXSpaceItems value) {
  if (value == FItemSpacing) return;
  FItemSpacing = value;
  if (value == itsNone) FAutoSize = mnaNone;
  Invalidate();
}

void TKXMenu::SetAttachedMenu(TMainMenu* value) {
  FAttachedMenu = value;
  Invalidate();
}

std::string TKXMenu::RenderCSSClass(TKXCompContext* context) {
  (void)context;
  return Css().empty() ? std::string("MenuContainer") : Css();
}

void TKXMenu::RenderStyles(TKXCompContext* context) {
  const TLevelClasses main = LevelClasses(Css(), FMainMenuStyle, true);
  const TLevelClasses sub = LevelClasses(FSubMenuCss, FSubMenuStyle, false);
  std::string styles;
  auto level = [&](const TLevelClasses& c, TKXMenuStyle& style, bool isMain) {
    if (!c.OwnContainer) {
      styles += Block(c.Container, "  z-index: " + std::to_string(ZIndex() + (isMain ? 100 : 200)) + ";" + CRLF +
                                       "  " + style.MenuItemFont().FontToStringStyle() + CRLF +
                                       "  background-color:" + ColorOr(style.BGColor(), isMain ? "#e0dfe3" : "#FFFFFF") +
                                       ";" + CRLF + "  border: 1px solid " +
                                       ColorOr(style.BorderColor(), isMain ? "#e0dfe3" : "#000000") + ";" + CRLF +
                                       "  text-align: left;" + CRLF);
    }
    if (!c.OwnSelected) {
      styles += Block(c.Selected, "  " + style.SelectedMenuItemFont().FontToStringStyle() + CRLF +
                                      "  background-color:" + ColorOr(style.SelectedItemBGColor(), "#b2b4bf") + ";" +
                                      CRLF + "  text-align: left;" + CRLF);
    }
    if (!c.OwnItem) {
      std::string declarations = "  " + style.MenuItemFont().FontToStringStyle() + CRLF;
      if (style.ItemBGColor() != clNone) {
        declarations += "  background-color:" + ColorToRGBString(style.ItemBGColor()) + ";" + CRLF;
      }
      styles += Block(c.Item, declarations + "  text-align: left;" + CRLF);
    }
    if (!c.OwnDisabled) {
      std::string declarations = "  " + style.DisabledMenuItemFont().FontToStringStyle() + CRLF;
      if (style.DisabledItemBGColor() != clNone) {
        declarations += "  background-color:" + ColorToRGBString(style.DisabledItemBGColor()) + ";" + CRLF;
      }
      styles += Block(c.Disabled, declarations + "  text-align: left;" + CRLF);
    }
  };
  level(main, FMainMenuStyle, true);
  level(sub, FSubMenuStyle, false);
  for (const char* fixed :
       {".mnItemH100 {height: 100%;}", ".mnItemW100 {width: 100%;}", ".mnItem {white-space: nowrap;}",
        ".mnSpacer8 {width: 8px;}", ".mnSpacer16 {width: 16px;}",
        ".mnSpacer24 {width: 24px; text-align: center; vertical-align: middle;}"}) {
    styles += std::string(fixed) + CRLF;
  }
  context->AddStyle(styles);
}

void TKXMenu::GenerateMenu(TRendering& rendering, TKXHTMLTag* table, const TMenuItem& item, int level,
                           TKXMenuStyle& style) {
  const bool main = level == 0;
  const TLevelClasses& classes = main ? rendering.Main : rendering.Sub;
  table->AddStringParam("class", Attr(classes.Container));
  if (!main) {
    table->AddStringParam("style", "position:absolute; visibility:hidden; display:none; z-index:" +
                                       std::to_string(ZIndex() + 100) + ";" +
                                       "border-collapse: collapse; border-spacing: 0; padding:0;");
  }
  const bool horizontal = style.Orientation() == kxOHorizontal;
  TKXHTMLTag* row = horizontal ? table->Contents()->AddTag("tr", false) : nullptr;
  const std::string indent = Indent(level);
  for (int i = 0; i < item.Count(); ++i) {
    TMenuItem* child = item.Items(i);
    if (!child->Visible()) continue;
    const int key = int(FItemMap.size());
    FItemMap.push_back({child, child->Id()});
    if (child->IsLine()) {
      if (horizontal) continue;
      TKXHTMLTag* line = table->Contents()->AddTag("tr", false)->Contents()->AddTag("td", false);
      line->Contents()->AddTag("hr", false)->AddStringParam("class", Attr(classes.Disabled));
      continue;
    }
    TKXHTMLTag* cell = (horizontal ? row : table->Contents()->AddTag("tr", false))->Contents()->AddTag("td", false);
    const std::string id = rendering.Name + "_submenu" + std::to_string(key);
    rendering.Script += indent + "with (addMenuItem(" + JSString(id) + ", id)) { " + CRLF + indent +
                        "  SelectedItemStyle = " + JSString(classes.Selected) + ";" + CRLF;
    if (!child->Enabled()) rendering.Script += indent + "  Enabled = false;" + CRLF;
    GenerateMenuElement(rendering, cell, *child, key, level, style);
    if (child->Count() > 0) {
      TKXMenuStyle subStyle;
      subStyle.Assign(&FSubMenuStyle);
      TKXHTMLTag* subTable = cell->Contents()->AddTag("table", false);
      subTable->AddStringParam("id", id + "_table");
      GenerateMenu(rendering, subTable, *child, level + 1, subStyle);
      rendering.Script += indent + "  MenuOrientation = " +
                          (FSubMenuStyle.Orientation() == kxOVertical ? "moVertical" : "moHorizontal") + ";" + CRLF;
    }
    rendering.Script += indent + "}" + CRLF;
  }
  if (main && FItemSpacing == itsNone) {
    TKXHTMLTag* parent = horizontal ? row : table->Contents()->AddTag("tr", false);
    AddCell(parent, horizontal ? "mnItemW100" : "mnItemH100", "&nbsp;");
  }
}

void TKXMenu::GenerateMenuElement(TRendering& rendering, TKXHTMLTag* cell, const TMenuItem& item, int key,
                                  int level, TKXMenuStyle& style) {
  (void)style;
  const TLevelClasses& classes = level == 0 ? rendering.Main : rendering.Sub;
  TKXHTMLTag* element = cell->Contents()->AddTag("table", false);
  element->AddStringParam("class", Attr(item.Enabled() ? classes.Item : classes.Disabled));
  element->AddStringParam("style", "height: 100%; width: 100%; white-space: nowrap; border-collapse: collapse; "
                                   "border-spacing: 0; padding:0; " +
                                       RenderCursorStyle(WebCursor() == crAuto ? crHandPoint : WebCursor()));
  element->AddStringParam("id", rendering.Name + "_submenu" + std::to_string(key));
  TKXHTMLTag* row = element->Contents()->AddTag("tr", false);
  const std::string caption = TextToHTML(CaptionWithoutAmpersands(item.Caption()), false, false, false);
  if (level == 0) {
    AddCell(row, "mnSpacer16", "&nbsp;");
    AddCell(row, "mnItem", caption);
    AddCell(row, "mnSpacer16", "&nbsp;");
    return;
  }
  TKXHTMLTag* image = AddCell(row, "mnSpacer24", "");
  std::string imageURL;
  if (rendering.Images != nullptr && item.ImageIndex() >= 0) {
    imageURL = rendering.Images->ExtractImageToCache(item.ImageIndex(), ctSession);
  }
  if (imageURL.empty()) {
    image->Contents()->AddText("&nbsp;", false);
  } else {
    TKXHTMLTag* img = image->Contents()->AddTag("img", false);
    img->AddStringParam("src", Attr(imageURL));
    img->AddStringParam("alt", "", true);
  }
  AddCell(row, nullptr, caption);
  AddCell(row, "mnSpacer8", "");
  TKXHTMLTag* arrow = AddCell(row, "mnSpacer16", "");
  if (item.Count() > 0) {
    TKXHTMLTag* img = arrow->Contents()->AddTag("img", false);
    img->AddStringParam("src", Attr(rendering.ArrowURL));
    img->AddStringParam("alt", "menu_arrow_right.gif");
  } else {
    arrow->Contents()->AddText("&nbsp;", false);
  }
}

TKXElementPtr<TKXHTMLTag> TKXMenu::RenderHTML(TKXCompContext* context) {
  FItemMap.clear();
  TMainMenu* menu = AttachedMenu();
  if (menu == nullptr || menu->Items().Count() == 0) return nullptr;

  TRendering rendering{context,
                       HTMLName(),
                       "",
                       menus_files::kMenuArrowRightGif,
                       Supports<TKXImageList>(menu->Images()),
                       LevelClasses(Css(), FMainMenuStyle, true),
                       LevelClasses(FSubMenuCss, FSubMenuStyle, false)};
  TKXPageContext40* page = context ? context->PageContext() : nullptr;
  if (page != nullptr) rendering.ArrowURL = page->GetInternalFileURL(menus_files::kMenuArrowRightGif);
  if (context != nullptr) {
    context->AddScriptFile(menus_files::kKXMenuJs);
    RenderStyles(context);
  }

  TKXElementPtr<TKXHTMLTag> table = TKXHTMLTag::Create("table");
  GenerateMenu(rendering, table.get(), menu->Items(), 0, FMainMenuStyle);
  table->AddStringParam("id", rendering.Name);
  table->AddStringParam("name", rendering.Name);
  table->AddStringParam("class", Attr(rendering.Main.Container));

  const std::string& n = rendering.Name;
  const std::string script =
      n + "_menu = initMenu(" + JSString(n) + ")" + CRLF + "with (" + n + "_menu) {" + CRLF +
      "  SelectedItemStyle = " + JSString(rendering.Main.Selected) + ";" + CRLF + "  MenuOrientation = " +
      (FMainMenuStyle.Orientation() == kxOHorizontal ? "moHorizontal" : "moVertical") + ";" + CRLF +
      rendering.Script + "}" + CRLF + n + "_menu.ComboBoxHide = " + (FComboBoxHide ? "true" : "false") + ";";
  if (context != nullptr) {
    context->AddToJavaScriptOnce("var " + n + "_menu;");
    context->AddToInitProc("if (" + n + "KXCL){" + script + "}");
    context->CacheImage("menu_arrow_right", rendering.ArrowURL);
  }
  return table;
}

TMenuItem* TKXMenu::FindItem(const std::string& value) {
  const std::string prefix = HTMLName() + "_submenu";
  if (!StartsText(prefix, value)) return nullptr;
  int key = -1;
  if (!TryStrToInt(std::string_view(value).substr(prefix.size()), key) || key < 0 || key >= int(FItemMap.size())) {
    return nullptr;
  }
  const TMappedItem& mapped = FItemMap[std::size_t(key)];
  // The menu may have changed since the rendering: only the same item, still in it, counts.
  TMainMenu* menu = AttachedMenu();
  if (menu == nullptr || !menu->Items().Contains(mapped.Item) || mapped.Item->Id() != mapped.Id) return nullptr;
  return const_cast<TMenuItem*>(mapped.Item);
}

void TKXMenu::Submit(const std::string& value) {
  FSubmitParam = value;
  TMenuItem* item = FindItem(value);
  if (item == nullptr || item->IsLine()) return;
  for (const TMenuItem* step = item; step != nullptr && step->Parent() != nullptr; step = step->Parent()) {
    if (!step->Visible() || !step->Enabled()) return;
  }
  item->Click();
}

TSubmitProc TKXMenu::getSubmitProc() {
  TComponentRef<TKXMenu> menu(this);
  return [menu](const std::string& value) {
    if (menu) menu->Submit(value);
  };
}

// ---------------------------------------------------------------------------

const TKXControlFamily& MenusFamily() {
  static const TKXControlFamily family{.Name = "menus"};
  return family;
}

void InstallMenus() { InstallControlFamily(MenusFamily()); }

}  // namespace kx
