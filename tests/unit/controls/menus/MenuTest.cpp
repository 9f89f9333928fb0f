#include "kx/controls/menus/Menu.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ParsedDocument.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;
using test::TParsedDocument;

// File (Open, -, Disabled, More > Deep), Help; "Hidden" is invisible.
struct TMenuFixture : TFormFixture {
  TMainMenu* MainMenu = nullptr;
  TKXMenu* Bar = nullptr;
  TMenuItem* Open = nullptr;
  TMenuItem* Disabled = nullptr;
  TMenuItem* More = nullptr;
  TMenuItem* Deep = nullptr;
  std::string Clicked;
  std::string Script;
  std::string Styles;

  TMenuFixture() {
    MainMenu = TComponent::Create<TMainMenu>(Form);
    TMenuItem* file = MainMenu->Items().Add("&File");
    Open = file->Add("&Open <file> \"now\"");
    file->Add("-");
    Disabled = file->Add("Disabled");
    Disabled->SetEnabled(false);
    More = file->Add("More");
    Deep = More->Add("Deep");
    MainMenu->Items().Add("Hidden")->SetVisible(false);
    MainMenu->Items().Add("Help");
    for (TMenuItem* item : {Open, Disabled, Deep}) {
      item->OnClick = [this](TObject* sender) { Clicked += static_cast<TMenuItem*>(sender)->Caption() + ";"; };
    }
    Bar = Add<TKXMenu>("Menu1", Form);
    Bar->SetAttachedMenu(MainMenu);
  }

  std::string Markup() {
    TKXMarkupLanguageTag* tag = Form->Render()->GetMarkupLanguageTag("MENU1");
    return tag ? "<html><body>" + tag->Render() + "</body></html>" : std::string();
  }
  void Render() {
    // The page context gives the styles a place to go.
    TKXCompContext context(Bar, nullptr, &Form->Page);
    Bar->RenderHTML(&context);
    Script = context.InitProc();
    Styles.clear();
    for (int i = 0; i < Form->Page.StyleTag()->Contents()->Count(); ++i) {
      Styles += static_cast<TKXTextElement*>(Form->Page.StyleTag()->Contents()->GetHTMLElement(i))->Text();
    }
  }
};

TEST(TKXMenu, NothingWithoutAMenuOrItems) {
  TMenuFixture f;
  f.Bar->SetAttachedMenu(nullptr);
  EXPECT_EQ(f.Markup(), "");
  auto* empty = TComponent::Create<TMainMenu>(f.Form);
  f.Bar->SetAttachedMenu(empty);
  EXPECT_EQ(f.Markup(), "");
  // A freed menu is forgotten.
  f.Bar->SetAttachedMenu(f.MainMenu);
  f.MainMenu->Free();
  EXPECT_EQ(f.Bar->AttachedMenu(), nullptr);
  EXPECT_EQ(f.Markup(), "");
}

TEST(TKXMenu, RendersTheTopRowAndSubMenusAsTables) {
  TMenuFixture f;
  const TParsedDocument page(f.Markup(), true);
  ASSERT_TRUE(page.Parsed());
  EXPECT_EQ(page.Value("/html/body/table/@id"), "MENU1");
  EXPECT_EQ(page.Value("/html/body/table/@class"), "MenuContainer");
  // Keys in the order items were met: File 0, Open 1, the line 2, Disabled 3, More 4, Deep 5, Help 6.
  EXPECT_EQ(page.Value("//table[@id='MENU1_submenu0']/tr/td[2]"), "File");
  EXPECT_EQ(page.Value("//table[@id='MENU1_submenu0']/@class"), "MenuMainItem");
  EXPECT_EQ(page.Value("//table[@id='MENU1_submenu0_table']/@class"), "MenuSubContainer");
  EXPECT_EQ(page.Value("//table[@id='MENU1_submenu1']/tr/td[2]"), "Open <file> \"now\"");
  EXPECT_EQ(page.Count("//table[@id='MENU1_submenu0_table']//hr[@class='MenuSubDisabledItem']"), 1);
  EXPECT_EQ(page.Value("//table[@id='MENU1_submenu3']/@class"), "MenuSubDisabledItem");
  EXPECT_EQ(page.Count("//table[@id='MENU1_submenu4']//img[@alt='menu_arrow_right.gif']"), 1);
  EXPECT_EQ(page.Value("//table[@id='MENU1_submenu4_table']//table[@id='MENU1_submenu5']/tr/td[2]"), "Deep");
  EXPECT_EQ(page.Value("//table[@id='MENU1_submenu6']/tr/td[2]"), "Help");
  EXPECT_EQ(page.Count("//*[contains(., 'Hidden')]"), 0);
  EXPECT_EQ(page.Count("/html/body/table/tr/td[@class='mnItemW100']"), 1);
  EXPECT_EQ(page.Count("//script"), 0);
}

TEST(TKXMenu, WritesTheClientMenuInTheStartUpScript) {
  TMenuFixture f;
  f.Render();
  for (const char* part : {
           "if (MENU1KXCL){MENU1_menu = initMenu(\"MENU1\")\r\nwith (MENU1_menu) {\r\n"
           "  SelectedItemStyle = \"MenuSelectedItem\";\r\n  MenuOrientation = moHorizontal;\r\n"
           "with (addMenuItem(\"MENU1_submenu0\", id)) { \r\n",
           "\r\n    with (addMenuItem(\"MENU1_submenu5\", id)) { \r\n      SelectedItemStyle = \"MenuSubSelectedItem\";"
           "\r\n    }\r\n    MenuOrientation = moVertical;\r\n  }\r\n",
           "    SelectedItemStyle = \"MenuSubSelectedItem\";\r\n    Enabled = false;\r\n",
           "}\r\nMENU1_menu.ComboBoxHide = true;}"}) {
    EXPECT_NE(f.Script.find(part), std::string::npos) << part << "\nin\n" << f.Script;
  }
  EXPECT_EQ(f.Script.find("submenu2"), std::string::npos) << "a line has no client item";
  EXPECT_NE(f.Form->Page.ScriptFiles().IndexOf("/js/KXMenu.js"), -1);
}

TEST(TKXMenu, DefaultClassRulesUnlessTheAuthorNamesAClass) {
  TMenuFixture f;
  f.Render();
  EXPECT_NE(f.Styles.find(".MenuContainer {\r\n  z-index: 100;"), std::string::npos) << f.Styles;
  EXPECT_NE(f.Styles.find("  background-color:#E0DFE3;\r\n  border: 1px solid #e0dfe3;\r\n"), std::string::npos);
  EXPECT_NE(f.Styles.find("  background-color:#FFFFFF;\r\n  border: 1px solid #000000;\r\n"), std::string::npos);
  EXPECT_NE(f.Styles.find(".mnSpacer24 {width: 24px; text-align: center; vertical-align: middle;}\r\n"),
            std::string::npos);

  TMenuFixture g;
  g.Bar->SubMenuStyle().SetCss("MySubItem");
  g.Bar->MainMenuStyle().SetSelectedItemBGColor(clRed);
  g.Render();
  EXPECT_EQ(g.Styles.find(".MenuSubItem {"), std::string::npos) << "the author's class suppresses the default";
  EXPECT_EQ(g.Styles.find(".MySubItem"), std::string::npos) << "and is not written either";
  EXPECT_NE(g.Styles.find("background-color:#FF0000;"), std::string::npos);
}

TEST(TKXMenu, LinesOnlyInVerticalMenus) {
  TMenuFixture f;
  f.MainMenu->Items().Insert(1, "-");
  f.Bar->SetDoRefreshControl(false);
  f.Bar->MainMenuStyle().SetOrientation(kxOVertical);
  EXPECT_TRUE(f.Bar->DoRefreshControl());
  TParsedDocument vertical(f.Markup(), true);
  EXPECT_EQ(vertical.Count("/html/body/table/tr/td/hr"), 1);
  EXPECT_EQ(vertical.Count("/html/body/table/tr/td[@class='mnItemH100']"), 1);
  f.Bar->MainMenuStyle().SetOrientation(kxOHorizontal);
  TParsedDocument horizontal(f.Markup(), true);
  EXPECT_EQ(horizontal.Count("/html/body/table/tr/td/hr"), 0);
  EXPECT_EQ(horizontal.Count("/html/body/table/tr"), 1);
}

TEST(TKXMenu, SubmitClicksOnlyAnEnabledVisibleItemStillInTheMenu) {
  struct Case {
    const char* name;
    const char* value;
    const char* clicked;
  };
  const Case cases[] = {
      {"an item", "MENU1_submenu1", "&Open <file> \"now\";"},
      {"a nested item", "MENU1_submenu5", "Deep;"},
      {"a disabled item", "MENU1_submenu3", ""},
      {"the line", "MENU1_submenu2", ""},
      {"a key past the map", "MENU1_submenu99", ""},
      {"another menu's id", "MENU2_submenu1", ""},
      {"no number", "MENU1_submenux", ""},
      {"a negative key", "MENU1_submenu-1", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMenuFixture f;
    f.Markup();
    f.Bar->getSubmitProc()(c.value);
    EXPECT_EQ(f.Clicked, c.clicked);
    EXPECT_EQ(f.Bar->GetSubmitParam(), c.value);
  }
}

TEST(TKXMenu, AnItemUnderADisabledOrDeletedParentDoesNotClick) {
  TMenuFixture f;
  f.Markup();
  f.More->SetEnabled(false);
  f.Bar->Submit("MENU1_submenu5");
  EXPECT_EQ(f.Clicked, "");
  f.More->SetEnabled(true);
  // The item left the menu after the page was made: its old id finds nothing (and reads no freed item).
  f.More->Delete(0);
  f.More->Add("New")->OnClick = [&](TObject*) { f.Clicked += "New;"; };
  f.Bar->Submit("MENU1_submenu5");
  EXPECT_EQ(f.Clicked, "");
  EXPECT_EQ(f.Bar->FindItem("MENU1_submenu5"), nullptr);
  EXPECT_EQ(f.Bar->FindItem("MENU1_submenu1"), f.Open);
}

}  // namespace
}  // namespace kx
