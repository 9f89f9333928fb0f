#include "kx/controls/tabs/TabControl.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ParsedDocument.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFakeCallBacks;
using test::TFormFixture;
using test::TParsedDocument;

struct TTabsFixture : TFormFixture {
  TKXTabControl* Tabs = nullptr;

  explicit TTabsFixture(int pages) {
    Tabs = Add<TKXTabControl>("Tabs1", Form);
    Tabs->SetBounds(0, 0, 300, 200);
    for (int i = 0; i < pages; ++i) Tabs->CreateNewPage();
  }
  TKXTabPage* Page(int index) { return Tabs->Pages()[std::size_t(index)]; }
  std::string Script;
  std::string InitProc;
  // The control's DIV as a document; Script and InitProc take what it gave the page.
  std::string Markup() {
    TKXContainerContext* container = Form->Render();
    auto* context = static_cast<TKXCompContext*>(container->GetComponentContext("TABS1"));
    Script = context->JavaScript();
    InitProc = context->InitProc();
    TKXMarkupLanguageTag* tag = container->GetMarkupLanguageTag("TABS1");
    return tag ? "<html><body>" + tag->Render() + "</body></html>" : std::string();
  }
};

TEST(TKXTabControl, NewPagesTakeTheFirstFreeNamesAndFillTheControlBelowTheTitles) {
  TTabsFixture f(2);
  EXPECT_EQ(f.Page(0)->Name(), "Tabs1Page0");
  EXPECT_EQ(f.Page(1)->Name(), "Tabs1Page1");
  EXPECT_EQ(f.Page(1)->Title(), "Page1");
  EXPECT_EQ(f.Page(1)->TabOrder(), 1);
  EXPECT_EQ(f.Page(0)->Owner(), f.Form);
  EXPECT_EQ(f.Page(0)->BoundsRect(), Bounds(0, 20, 300, 180));
  EXPECT_EQ(f.Page(0)->Anchors(), TAnchors({akLeft, akTop, akRight, akBottom}));
  // A name in use is skipped; a given title and name are taken.
  f.Page(0)->SetName("Other");
  EXPECT_EQ(f.Tabs->CreateNewPage()->Name(), "Tabs1Page0");
  EXPECT_EQ(f.Tabs->CreateNewPage("Mine", "Named")->Title(), "Mine");
}

TEST(TKXTabControl, RendersTitlesStyleHoldersScriptAndTheHiddenInput) {
  TTabsFixture f(2);
  f.Page(0)->SetTitle("\"><script>alert(1)</script> & co");
  f.Tabs->OnChange = [](TObject*) {};
  const TParsedDocument page(f.Markup(), true);
  ASSERT_TRUE(page.Parsed());
  EXPECT_EQ(page.Value("/html/body/div/div[1]/span[1]/@id"), "PAGETITLE_TABS1PAGE0");
  EXPECT_EQ(page.Value("/html/body/div/div[1]/span[1]"), "\"><script>alert(1)</script> & co");
  EXPECT_EQ(page.Count("//script"), 0);
  EXPECT_EQ(page.Value("/html/body/div/div[1]/span[2]"), "Page1");
  EXPECT_EQ(page.Value("//form/input[@name='TABS1_input']/@value"), "0");

  const std::string& script = f.Script;
  EXPECT_NE(script.find("var TABCONTROL_TABS1=null;"), std::string::npos);
  EXPECT_NE(script.find("function init_TABS1(AIndex) {\r\nif (TABS1KXCL){TABCONTROL_TABS1= new JSTabControl( "
                        "document.getElementById( \"TABS1\" ) );\r\nTABCONTROL_TABS1.SubmitOnChange = true;\r\n"
                        "TABCONTROL_TABS1.selectedIndex = AIndex;\r\nTABCONTROL_TABS1.addTabPage(document.getElementById("
                        " \"TABS1PAGE0\" ),\"PAGETITLE_TABS1PAGE0\");\r\n"),
            std::string::npos)
      << script;
  EXPECT_NE(f.InitProc.find("init_TABS1(0);"), std::string::npos) << f.InitProc;
  EXPECT_NE(f.Form->Page.ScriptFiles().IndexOf("/js/tabcontrol.js"), -1);
}

// Fault: the client, the hidden input and a post count only visible pages; an invisible page before the active
// one no longer shifts them apart.
TEST(TKXTabControl, VisiblePagesByTabOrderAreTheOneIndexSpace) {
  struct Case {
    const char* name;
    int activePage;
    int hidden;  // tab order of an invisible page, -1 for none
    const char* titles;
    int index;
  };
  const Case cases[] = {
      {"the active one", 2, -1, "Page0|Page1|Page2|Page3|", 2},
      {"no page has the order: the first", 9, -1, "Page0|Page1|Page2|Page3|", 0},
      {"an invisible page before it", 2, 0, "Page1|Page2|Page3|", 1},
      {"the active page invisible: the first", 1, 1, "Page0|Page2|Page3|", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTabsFixture f(4);
    // Tab orders out of joining order: sorting puts them right.
    f.Page(3)->SetTabOrder(0);
    f.Page(0)->SetTabOrder(3);
    f.Page(3)->SetTitle("Page0");
    f.Page(0)->SetTitle("Page3");
    f.Tabs->SetActivePage(c.activePage);
    for (TKXTabPage* page : f.Tabs->Pages()) {
      if (page->TabOrder() == c.hidden) page->SetVisible(false);
    }
    const TParsedDocument page(f.Markup(), true);
    std::string titles;
    for (int i = 1; i <= page.Count("/html/body/div/div[1]/span"); ++i) {
      titles += page.Value("/html/body/div/div[1]/span[" + std::to_string(i) + "]") + "|";
    }
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(page.Value("//input[@name='TABS1_input']/@value"), std::to_string(c.index));
    EXPECT_NE(f.InitProc.find("init_TABS1(" + std::to_string(c.index) + ");"), std::string::npos);
  }
}

TEST(TKXTabControl, APostedPositionActivatesThatPage) {
  TTabsFixture f(3);
  f.Page(0)->SetVisible(false);
  f.Markup();  // the positions of this rendering: Page1, Page2
  f.Tabs->SetValue("1");
  EXPECT_EQ(f.Tabs->ActivePage(), 2);
  f.Tabs->SetValue("0");
  EXPECT_EQ(f.Tabs->ActivePage(), 1);
  for (const char* outside : {"2", "-1", "2147483647"}) {
    SCOPED_TRACE(outside);
    f.Tabs->SetValue(outside);
    EXPECT_EQ(f.Tabs->ActivePage(), 1) << "a position outside the list changes nothing";
  }
  EXPECT_THROW(f.Tabs->SetValue("x"), EConvertError);
  TStringList names;
  f.Tabs->GetInputControlNames(names);
  EXPECT_EQ(names.Text(), "TABS1_input\r\n");
  EXPECT_TRUE(f.Tabs->IsForThisControl("tabs1_INPUT"));
  EXPECT_TRUE(f.Tabs->SupportsInput());
  EXPECT_TRUE(f.Tabs->HTMLControlImplementation()->GetSubmitOnAsync()) << "a callback posts the position too";
}

TEST(TKXTabControl, AsyncChangeSetsThePageBeforeTheHandlerRuns) {
  TTabsFixture f(3);
  int seen = -1;
  TStringList params;
  f.Tabs->DoOnAsyncChange(params);  // no handler: nothing
  f.Tabs->OnAsyncChange = [&](TObject* sender, TStrings&) {
    EXPECT_EQ(sender, f.Tabs);
    seen = f.Tabs->ActivePage();
  };
  params.SetValues("page", "2");
  f.Tabs->DoOnAsyncChange(params);
  EXPECT_EQ(seen, 2);
  for (const char* ignored : {"", "x", "7", "-3"}) {
    SCOPED_TRACE(ignored);
    params.SetValues("page", ignored);
    seen = -1;
    f.Tabs->DoOnAsyncChange(params);
    EXPECT_EQ(seen, 2) << "the handler runs, the page stays";
  }
}

TEST(TKXTabControl, AsyncHandlerRegistersTheCallbackAndTheUpdateCarriesTheIndex) {
  TTabsFixture f(3);
  f.Tabs->OnAsyncChange = [](TObject*, TStrings&) {};
  f.Markup();
  EXPECT_NE(f.Script.find("TABCONTROL_TABS1.SubmitOnAsync = true;"), std::string::npos);
  // A change by the server during a callback marks the control, whose update names the page to show.
  f.Tabs->SetDoRefreshControl(false);
  f.Tabs->SetActivePage(2);
  EXPECT_TRUE(f.Tabs->DoRefreshControl());
  TKXCompContext context(f.Tabs, nullptr, nullptr);
  const TParsedDocument update(f.Tabs->RenderAsync(&context)->Render(), false);
  EXPECT_EQ(update.Value("/control/@type"), "KXTABCONTROL");
  EXPECT_EQ(update.Value("/control/activeindex"), "2");
}

TEST(TKXTabPage, PagesJoinAndLeaveTheirControl) {
  TTabsFixture f(2);
  auto* other = f.Add<TKXTabControl>("Tabs2", f.Form);
  TKXTabPage* moved = f.Page(0);
  moved->SetParent(other);
  EXPECT_EQ(f.Tabs->Pages().size(), 1U);
  ASSERT_EQ(other->Pages().size(), 1U);
  EXPECT_EQ(other->Pages()[0], moved);
  // A freed page is gone from the list; a title change marks the control too.
  f.Page(0)->Free();
  EXPECT_TRUE(f.Tabs->Pages().empty());
  other->SetDoRefreshControl(false);
  moved->SetTitle("New");
  EXPECT_TRUE(other->DoRefreshControl());
  other->Free();  // the control with its page still on it
}

}  // namespace
}  // namespace kx
