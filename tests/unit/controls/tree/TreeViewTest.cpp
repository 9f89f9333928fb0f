#include "kx/controls/tree/TreeView.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ParsedDocument.h"
#include "support/Raised.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::MessageOf;
using test::TFormFixture;
using test::TParsedDocument;

// Documents (i1) holding Letter (i2), and Music (i3).
TKXTreeView* MakeTree(TFormFixture& f, const char* name = "Tree1") {
  auto* tree = f.Add<TKXTreeView>(name, f.Form);
  TKXTreeViewItem* docs = tree->Items().Add(nullptr);
  docs->SetCaption("Documents");
  tree->Items().Add(docs)->SetCaption("Letter");
  tree->Items().Add(nullptr)->SetCaption("Music");
  return tree;
}

TParsedDocument Page(TFormFixture& f, const char* htmlName) {
  TKXMarkupLanguageTag* tag = f.Form->Render()->GetMarkupLanguageTag(htmlName);
  return TParsedDocument("<html><body>" + (tag ? tag->Render() : std::string()) + "</body></html>", true);
}

std::string RenderedText(TKXTreeView& tree, TKXCompContext& context) {
  TKXElementPtr<TKXHTMLTag> tag = tree.RenderHTML(&context);
  return tag ? tag->Render() : std::string();
}

// The margins of the 11 x 9 toggle images inside a W x H cell.
TEST(TKXTreeView, ToggleImagesAreCentredInTheImageCell) {
  struct Case {
    int width, height, vertical, horizontal;
    const char* margins;
  };
  const Case cases[] = {
      {16, 16, 3, 3, "margin-top:3px; margin-bottom:7px; margin-left:2px; margin-right:3px"},
      {15, 15, 3, 3, "margin-top:3px; margin-bottom:6px; margin-left:2px; margin-right:2px"},
      {20, 12, 0, 1, "margin-top:1px; margin-bottom:2px; margin-left:4px; margin-right:5px"},
      {16, 16, 3, 0, "margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.margins);
    TFormFixture f;
    TKXTreeView* tree = MakeTree(f);
    tree->SetTreeViewImagesWidth(c.width);
    tree->SetTreeViewImagesHeigth(c.height);
    tree->ItemSpace().SetVerticalSpace(c.vertical);
    tree->ItemSpace().SetHorizontalSpace(c.horizontal);
    const TParsedDocument page = Page(f, "TREE1");
    EXPECT_EQ(page.Value("//a[@id='TREE1_plusImg_i1']/img[@alt='plusimg']/@style"),
              "width: 11px; height: 9px; border:0; vertical-align:middle;  " + std::string(c.margins));
  }
}

TEST(TKXTreeView, ClientModeRendersEveryItemWithItsStatusAndScript) {
  TFormFixture f;
  TKXTreeView* tree = MakeTree(f);
  tree->Items().Items(0)->SetExpanded(false);
  const TParsedDocument page = Page(f, "TREE1");
  ASSERT_TRUE(page.Parsed());
  // The status field holds the expanded items in the page's encoding.
  EXPECT_EQ(page.Value("/html/body/div/input[@name='TREE1status']/@value"), "%2ci2%2c%2ci3%2c");
  EXPECT_EQ(page.Value("/html/body/div/input/@type"), "hidden");
  // The collapsed branch is there, hidden; its plus shows, its minus not.
  const std::string docs = "//div[@id='TREE1Container']/span[@id='TREE1_i1']";
  EXPECT_EQ(page.Value(docs + "/span[@id='TREE1_i2']/@style"), "visibility:hidden; display:none;");
  EXPECT_EQ(page.Count(docs + "/a[@id='TREE1_plusImg_i1']/@style"), 0);
  EXPECT_EQ(page.Value(docs + "/a[@id='TREE1_minusImg_i1']/@style"), "visibility:hidden; display:none;");
  EXPECT_EQ(page.Value(docs + "/a[@id='TREE1_plusImg_i1']/@href"), "javascript:TREE1KXCL.OpenTreeItem('i1');");
  EXPECT_EQ(page.Value(docs + "/a[@id='TREE1_plusImg_i1']/img[2]/@alt"), "closedfolderimg");
  EXPECT_EQ(page.Value(docs + "/span[@id='TREE1_i2']/img[@alt='docimg']/@src"), "gfx/TreeView_document.gif");
  // Without a click handler the captions are plain text.
  EXPECT_EQ(page.Value(docs + "/span[1]"), "Documents");
  EXPECT_EQ(page.Count("//div[@id='TREE1Container']/span"), 2);
  // The container holds what the items render: the top-level items, each with its branch inside.
  EXPECT_EQ(tree->Items().RenderTreeView(false)->Count(), 2);

  TKXCompContext context(tree, nullptr, nullptr);
  tree->RenderHTML(&context);
  EXPECT_EQ(context.InitProc(),
            "if (TREE1KXCL){TREE1KXCL.Items = \r\n"
            "  new AddTVItem(TREE1KXCL, \"i1\", \r\n"
            "    new AddTVItem(TREE1KXCL, \"i2\", null, null), \r\n"
            "  new AddTVItem(TREE1KXCL, \"i3\", null, null));\r\n"
            "InitTreeView(TREE1KXCL, \"TREE1Container\");\r\n}\r\n");
}

TEST(TKXTreeView, ServerSideModeLeavesCollapsedBranchesOut) {
  TFormFixture f;
  TKXTreeView* tree = MakeTree(f);
  tree->SetDoServerSidePlusMinus(true);
  tree->Items().Items(0)->SetExpanded(false);
  const TParsedDocument collapsed = Page(f, "TREE1");
  EXPECT_EQ(collapsed.Count("//span[@id='TREE1_i2']"), 0);
  EXPECT_EQ(collapsed.Value("//span[@id='TREE1_i1']/a[1]/@onclick"), "SubmitClick('TREE1', 'opni1'); return false;");
  EXPECT_EQ(collapsed.Value("//div[@id='TREE1Container']/@style"),
            "position:absolute; left:0px; top:0px; height:32px;");
  tree->Items().Items(0)->SetExpanded(true);
  const TParsedDocument page = Page(f, "TREE1");
  EXPECT_EQ(page.Value("//span[@id='TREE1_i1']/a[1]/@href"), "javascript:SubmitClick('TREE1', 'clsi1');");
  EXPECT_EQ(page.Value("//span[@id='TREE1_i2']/img[1]/@style"), "width: 16px; height: 16px; border: 0;");
  EXPECT_EQ(page.Value("//div[@id='TREE1Container']/@style"), "position:absolute; left:0px; top:0px; height:48px;");
}

TEST(TKXTreeView, EmptyTreeRendersAnEmptyContainerOrNothing) {
  TFormFixture f;
  auto* tree = f.Add<TKXTreeView>("Tree1", f.Form);
  TKXCompContext context(tree, nullptr, nullptr);
  EXPECT_EQ(RenderedText(*tree, context),
            "\r\n<div><input type=\"hidden\" name=\"TREE1status\" id=\"TREE1status\">"
            "<div id=\"TREE1Container\" style=\"position: absolute; left: 0; top: 0;white-space:nowrap;\"></div></div>");
  EXPECT_EQ(context.InitProc(), "");
  tree->SetDoServerSidePlusMinus(true);
  EXPECT_EQ(RenderedText(*tree, context), "");
}

TEST(TKXTreeView, CaptionsLinksAndHintsAreEscaped) {
  TFormFixture f;
  TKXTreeView* tree = MakeTree(f);
  tree->TreeItemClick = [](TObject*, TKXTreeViewItem*) {};
  TKXTreeViewItem* letter = tree->Items().Items(1);
  letter->SetName("my letter");
  letter->SetCaption("<b>Tom's \"letter\"</b>");
  letter->SetHint("it's here");
  TKXTreeViewItem* music = tree->Items().Items(2);
  music->SetURL(" http://example.com/?a=1&b=2 ");
  const TParsedDocument page = Page(f, "TREE1");
  EXPECT_EQ(letter->Name(), "my_letter");
  const std::string caption = "//span[@id='TREE1_my_letter']/a[last()]";
  EXPECT_EQ(page.Value(caption), "<b>Tom's \"letter\"</b>");
  EXPECT_EQ(page.Value(caption + "/@title"), "it's here");
  EXPECT_EQ(page.Value(caption + "/@onclick"), "SubmitClick('TREE1', 'my_letter'); return false;");
  // A URL item is a plain link that posts nothing.
  const std::string link = "//span[@id='TREE1_i3']/a[last()]";
  EXPECT_EQ(page.Value(link + "/@href"), "http://example.com/?a=1&b=2");
  EXPECT_EQ(page.Count(link + "/@onclick"), 0);
  TKXCompContext context(tree, nullptr, nullptr);
  EXPECT_NE(RenderedText(*tree, context).find("title=\"it&#39;s here\""), std::string::npos);
}

// Each tree prefixes its element ids: two trees with the same item names stay apart.
TEST(TKXTreeView, TwoTreesOnAPageHaveTheirOwnIds) {
  TFormFixture f;
  MakeTree(f, "Tree1");
  MakeTree(f, "Tree2");
  TKXContainerContext* rendered = f.Form->Render();
  const std::string page = "<html><body>" + rendered->GetMarkupLanguageTag("TREE1")->Render() +
                           rendered->GetMarkupLanguageTag("TREE2")->Render() + "</body></html>";
  const TParsedDocument document(page, true);
  EXPECT_EQ(document.Count("//*[@id='TREE1_i1']"), 1);
  EXPECT_EQ(document.Count("//*[@id='TREE2_i1']"), 1);
  EXPECT_EQ(document.Count("//*[@id='i1']"), 0);
  EXPECT_EQ(document.Value("//a[@id='TREE2_minusImg_i1']/@href"), "javascript:TREE2KXCL.CloseTreeItem('i1');");
}


TEST(TKXTreeView, SubmitTogglesOrClicks) {
  struct Case {
    bool serverSide;
    const char* posted;
    const char* events;
    bool docsExpanded;
  };
  const Case cases[] = {
      {false, "clsi1", "plus i1 false;", false},
      {true, "clsi1", "plus i1 false;", false},
      {true, "opni1", "plus i1 true;", false},  // the toggle flips the state as it is
      {false, "opni1", "", true},               // client mode: no such item to click
      {false, "i2", "item i2;tree i2;", true},
      {false, "nobody", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.posted);
    TFormFixture f;
    TKXTreeView* tree = MakeTree(f);
    tree->SetDoServerSidePlusMinus(c.serverSide);
    std::string events;
    tree->OnPlusMinus = [&](TObject* sender, bool isPlus) {
      events += "plus " + static_cast<TKXTreeViewItem*>(sender)->Name() + (isPlus ? " true;" : " false;");
    };
    tree->TreeItemClick = [&](TObject*, TKXTreeViewItem* item) { events += "tree " + item->Name() + ";"; };
    for (int i = 0; i < tree->Items().Count(); ++i) {
      TKXTreeViewItem* item = tree->Items().Items(i);
      item->SetOnClick([&events, item](TObject*) { events += "item " + item->Name() + ";"; });
    }
    tree->Submit(c.posted);
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(tree->Items().Items(0)->Expanded(), c.docsExpanded);
  }
}

TEST(TKXTreeView, ScrollsToTheNearestShownItem) {
  TFormFixture f;
  TKXTreeView* tree = MakeTree(f);
  tree->Items().Items(0)->SetExpanded(false);
  EXPECT_EQ(tree->PositionableNodeName(tree->Items().Items(1)), "i1");
  tree->SetScrollToName("i2");
  TKXCompContext context(tree, nullptr, nullptr);
  const std::string page = RenderedText(*tree, context);
  EXPECT_EQ(context.InitProcDoLastCode(), "positionTREE1Tree( \"TREE1_i1\" );\r\n");
  EXPECT_NE(page.find("function positionTREE1Tree( iNodeID ) {"), std::string::npos);
}

TEST(TKXTreeViewItem, HierarchyRefusesLoopsAndFreesChildren) {
  TFormFixture f;
  TKXTreeView* tree = MakeTree(f);
  TKXTreeViewItem* docs = tree->Items().Items(0);
  TKXTreeViewItem* letter = tree->Items().Items(1);
  EXPECT_EQ(MessageOf([&] { docs->SetParentItem(letter); }),
            "A tree item cannot be placed under itself or one of its items");
  EXPECT_EQ(MessageOf([&] { docs->SetParentItem(docs); }),
            "A tree item cannot be placed under itself or one of its items");
  EXPECT_EQ(docs->ParentItem(), nullptr);
  EXPECT_EQ(letter->Version(), 1);
  tree->Submit("i2");
  EXPECT_EQ(tree->TreeViewItem(), letter);
  delete docs;
  EXPECT_EQ(tree->Items().Count(), 1);
  EXPECT_EQ(tree->TreeViewItem(), nullptr);
  EXPECT_EQ(tree->Items().Items(0)->Caption(), "Music");
  tree->ClearAll();
  EXPECT_EQ(tree->Items().Count(), 0);
  // Names keep counting: a new item never takes a name the page may still show.
  EXPECT_EQ(tree->Items().Add(nullptr)->Name(), "i4");
}


// Copied into another tree, the items keep their hierarchy there: no item points into the first tree.
TEST(TKXTreeViewItems, AssignKeepsTheHierarchyInsideTheTree) {
  TFormFixture f;
  TKXTreeView* first = MakeTree(f, "Tree1");
  auto* second = f.Add<TKXTreeView>("Tree2", f.Form);
  second->SetItems(first->Items());
  ASSERT_EQ(second->Items().Count(), 3);
  EXPECT_EQ(second->Items().Items(1)->ParentItem(), second->Items().Items(0));
  EXPECT_EQ(second->Items().Items(1)->Caption(), "Letter");
  EXPECT_EQ(second->Items().Items(0)->SubItems().size(), 1u);
  EXPECT_EQ(second->Items().Items(2)->NamePath(), "Tree2.i3");
}

}  // namespace
}  // namespace kx
