#include "kx/controls/grids/Grids.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/dbgrid/DBGrid.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/regions/Regions.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/forms/Forms.h"
#include "support/ParsedDocument.h"
#include "support/Raised.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::MessageOf;
using test::TFormFixture;
using test::TParsedDocument;

// Whether what action raised is the client's doing.
bool ClientCaused(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return IsClientCaused(e);
  }
  return false;
}

// The grid's element as the page shows it, parsed.
std::string PageOf(TFormFixture& f, TKXCustomControl* grid) {
  TKXMarkupLanguageTag* tag = f.Form->Render()->GetMarkupLanguageTag(grid->HTMLName());
  return tag ? "<html><body>" + tag->Render() + "</body></html>" : std::string();
}

std::string UpdateOf(TKXCustomControl* control) {
  TKXCompContext context(control, nullptr, nullptr);
  TKXElementPtr<TKXXMLTag> tag = control->RenderAsync(&context);
  return tag ? tag->Render() : std::string();
}

struct TGridFixture : TFormFixture {
  TKXGrid* Grid = Add<TKXGrid>("Grid1", Form);
};

TEST(TKXGrid, NewGridRendersOneRowOfOneEmptyCell) {
  TGridFixture f;
  const TParsedDocument page(PageOf(f, f.Grid), true);
  EXPECT_EQ(page.Value("name(/html/body/*[1])"), "div");
  EXPECT_EQ(page.Count("//table[@id='TBLGRID1']//tr"), 1);
  EXPECT_EQ(page.Count("//table[@id='TBLGRID1']//td"), 1);
  EXPECT_EQ(page.Value("//td"), "\xC2\xA0");
  EXPECT_EQ(page.Value("//table/@border"), "1");
  EXPECT_EQ(page.Value("//table/@width"), "300");
  EXPECT_NE(page.Value("//script").find("document.getElementById('TBLGRID1').style.left = 0;"), std::string::npos);
  EXPECT_FALSE(f.Grid->CellExists(0, 0));
}

TEST(TKXGrid, WithAFrameTheTableIsTheElement) {
  TGridFixture f;
  f.Grid->SetUseFrame(true);
  const TParsedDocument page(PageOf(f, f.Grid), true);
  EXPECT_EQ(page.Value("name(/html/body/*[1])"), "table");
  EXPECT_EQ(page.Value("/html/body/table/@width"), "100%");
  // The update goes to the element the page has: the table.
  const TParsedDocument update(UpdateOf(f.Grid), false);
  EXPECT_EQ(update.Value("/control/@id"), "TBLGRID1");
}

TEST(TKXGrid, EmptyCellsAndInvisibleRows) {
  struct Case {
    bool showEmpty, showInvisibleRows;
    int rows, bareCells, spaceCells;
  } cases[] = {
      {true, true, 3, 0, 5},
      {false, true, 3, 5, 0},
      {true, false, 1, 0, 1},  // only the row with a visible cell
      {false, false, 1, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.showEmpty) + std::to_string(c.showInvisibleRows));
    TGridFixture f;
    f.Grid->SetColumnCount(2);
    f.Grid->SetRowCount(3);
    f.Grid->Cell(0, 0)->SetText("a");                   // row 0: a visible cell, a missing one
    f.Grid->Cell(1, 0)->SetVisible(false);               // row 1: only invisible cells
    f.Grid->Cell(1, 1)->SetVisible(false);               // row 2: no cell objects
    f.Grid->SetShowEmptyCells(c.showEmpty);
    f.Grid->SetShowInvisibleRows(c.showInvisibleRows);
    const TParsedDocument page(PageOf(f, f.Grid), true);
    EXPECT_EQ(page.Count("//tr"), c.rows);
    EXPECT_EQ(page.Count("//td[not(node()) and not(@*)]"), c.bareCells);
    EXPECT_EQ(page.Count("//td[.='\xC2\xA0']"), c.spaceCells);
  }
}

// Hidden columns keep their numbers: the click of row 2, column 3 posts "2_3" and reaches the handler as 2, 3;
// malformed and forged positions reach no handler.
TEST(TKXGrid, ACellClickSubmitsRowAndColumn) {
  TGridFixture f;
  f.Grid->SetColumnCount(4);
  f.Grid->SetRowCount(3);
  TKXGridCell* cell = f.Grid->Cell(2, 3);
  cell->SetText("go");
  cell->SetClickable(true);
  cell->SetUnlinkedText(" after");
  f.Grid->SetColumnVisibility(1, false);
  const TParsedDocument page(PageOf(f, f.Grid), true);
  EXPECT_EQ(page.Count("//tr[1]/td"), 3);
  EXPECT_NE(page.Value("//a/@onclick").find("'2_3'"), std::string::npos) << page.Value("//a/@onclick");
  EXPECT_EQ(page.Value("//a/.."), "go after");
  std::vector<std::pair<int, int>> clicks;
  f.Grid->OnCellClick = [&](TObject*, std::int32_t row, std::int32_t column) { clicks.emplace_back(row, column); };
  f.Grid->getSubmitProc()("2_3");
  EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{2, 3}}));
  EXPECT_NE(MessageOf<EConvertError>([&] { f.Grid->Submit("x_1"); }), "(no exception)");
  EXPECT_NE(MessageOf<EConvertError>([&] { f.Grid->Submit("12"); }), "(no exception)");
  EXPECT_EQ(MessageOf([&] { f.Grid->Submit("3_0"); }), "Index out of bounds.");
  EXPECT_TRUE(ClientCaused([&] { f.Grid->Submit("3_0"); }));  // the client posted it: a warning, no report
  EXPECT_EQ(clicks.size(), 1u);
}

TEST(TKXGrid, IndicesAndCountsAreChecked) {
  TGridFixture f;
  f.Grid->SetColumnCount(2);
  f.Grid->SetRowCount(2);
  const std::vector<std::function<void()>> outside = {[&] { f.Grid->Cell(-1, 0); }, [&] { f.Grid->Cell(0, 2); },
                                                      [&] { f.Grid->CellExists(0, -1); },
                                                      [&] { f.Grid->DeleteRow(2); }, [&] { f.Grid->DeleteColumn(-1); }};
  for (std::size_t i = 0; i < outside.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(MessageOf(outside[i]), "Index out of bounds.");
    EXPECT_FALSE(ClientCaused(outside[i]));  // the program's own index: a fault
  }
  EXPECT_EQ(MessageOf([&] { f.Grid->SetRowCount(-1); }), "Invalid RowCount value!");
  f.Grid->SetColumnCount(0);
  EXPECT_EQ(f.Grid->ColumnCount(), 2);
  f.Grid->SetRowCount(0);
  EXPECT_EQ(f.Grid->Cells().size(), 0u);
  EXPECT_EQ(TParsedDocument(PageOf(f, f.Grid), true).Count("//tr"), 0);
}

TEST(TKXGrid, CellSizesAreValidated) {
  TGridFixture f;
  TKXGridCell* cell = f.Grid->Cell(0, 0);
  struct Case {
    const char* value;
    bool width, height;
  } cases[] = {{"50%", true, true}, {"2*", true, false}, {" 10 ", true, true}, {"0", true, true},
               {"0%", false, false}, {"-1", false, false}, {"", false, false}, {"abc", false, false},
               {"x*", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(MessageOf([&] { cell->SetWidth(c.value); }),
              c.width ? "(no exception)" : "\"" + std::string(c.value) + "\" is not a valid width.");
    EXPECT_EQ(MessageOf([&] { cell->SetHeight(c.value); }),
              c.height ? "(no exception)" : "\"" + std::string(c.value) + "\" is not a valid height.");
  }
  // Stored as given; percentages stay percentages in the style, pixels get "px", star sizes write nothing.
  cell->SetWidth("50%");
  cell->SetHeight(" 12 ");
  const TParsedDocument page(PageOf(f, f.Grid), true);
  const std::string style = page.Value("//td/@style");
  EXPECT_NE(style.find("width: 50%;"), std::string::npos) << style;
  EXPECT_NE(style.find("height: 12px;"), std::string::npos) << style;
  EXPECT_EQ(cell->Height(), " 12 ");
}

TEST(TKXGrid, DeletingRowsAndColumnsMovesTheCells) {
  TGridFixture f;
  f.Grid->SetColumnCount(3);
  f.Grid->SetRowCount(3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) f.Grid->Cell(r, c)->SetText(std::to_string(r) + std::to_string(c));
  f.Grid->DeleteRow(0);
  EXPECT_EQ(f.Grid->RowCount(), 2);
  EXPECT_EQ(f.Grid->Cell(0, 0)->Text(), "10");
  f.Grid->DeleteColumn(2);  // the last column frees its cells like any other
  EXPECT_EQ(f.Grid->ColumnCount(), 2);
  EXPECT_EQ(f.Grid->Cell(1, 1)->Text(), "21");
  f.Grid->DeleteColumn(0);
  EXPECT_EQ(f.Grid->Cell(1, 0)->Text(), "21");
  EXPECT_EQ(f.Grid->CellCollection().Count(), 2);
  f.Grid->Clear();
  EXPECT_EQ(f.Grid->CellCollection().Count(), 0);
  EXPECT_EQ(f.Grid->RowCount(), 2);
}

TEST(TKXGrid, RenderOptionsWriteTheCrossedAlignmentAttributes) {
  TGridFixture f;
  f.Grid->SetColumnCount(2);
  f.Grid->Cell(0, 0)->SetVAlign(vaTop);
  f.Grid->Cell(0, 0)->SetAlignment(taRightJustify);
  f.Grid->Cell(0, 1)->SetText("x");
  f.Grid->SetCellRenderOptions({crAlign});
  f.Grid->OnGetCellRenderOptions = [](TObject*, std::int32_t, std::int32_t column, TKXCellRenderOptions& options) {
    if (column == 1) options = {crValign, crStyle};
  };
  const TParsedDocument page(PageOf(f, f.Grid), true);
  EXPECT_EQ(page.Value("//td[1]/@valign"), "top");
  EXPECT_EQ(page.Count("//td[1]/@align"), 0);
  EXPECT_EQ(page.Count("//td[2]/@valign"), 0);
  EXPECT_EQ(page.Value("//td[2]/@align"), "left");
  EXPECT_NE(page.Value("//td[2]/@style").find("position:static;"), std::string::npos);
  EXPECT_EQ(page.Value("//td[1]/@style").find("position:static;"), std::string::npos);
}

// A raw cell keeps its markup in the page and in the update, where "]]>" cannot end the CDATA section; a cell
// that is not raw shows its text as text in both.
TEST(TKXGrid, RawAndEscapedCellTextInPageAndUpdate) {
  TGridFixture f;
  f.Grid->SetColumnCount(2);
  f.Grid->Cell(0, 0)->SetText("<b>bold</b> ]]> end");
  f.Grid->Cell(0, 1)->SetRawText(false);
  f.Grid->Cell(0, 1)->SetText("<b>not</b> ]]>");
  const TParsedDocument page(PageOf(f, f.Grid), true);
  EXPECT_EQ(page.Count("//td[1]//b"), 1);
  EXPECT_EQ(page.Count("//td[2]//b"), 0);
  EXPECT_EQ(page.Value("//td[2]"), "<b>not</b> ]]>");
  const std::string update = UpdateOf(f.Grid);
  const TParsedDocument answer(update, false);
  ASSERT_TRUE(answer.Parsed() && answer.Errors().empty()) << update;
  const TParsedDocument inner("<html><body>" + answer.Value("/control/innerhtml") + "</body></html>", true);
  EXPECT_EQ(inner.Count("//table[@id='TBLGRID1']"), 1);
  EXPECT_EQ(inner.Value("//td[1]//b"), "bold");
  EXPECT_NE(inner.Value("//td[1]").find("]]> end"), std::string::npos);
  EXPECT_EQ(inner.Value("//td[2]"), "<b>not</b> ]]>");
}

TEST(TKXGrid, SummaryIsAnAttributeAndTheCaptionText) {
  TGridFixture f;
  f.Grid->SetSummary("Sum \"1\" <x>");
  f.Grid->SetCaption("Cap <i>");
  f.Grid->Cell(0, 0)->SetHint("a \"hint\"");
  const TParsedDocument page(PageOf(f, f.Grid), true);
  EXPECT_EQ(page.Count("//summary"), 0);
  EXPECT_EQ(page.Value("//table/@summary"), "Sum \"1\" <x>");
  EXPECT_EQ(page.Value("//caption"), "Cap <i>");
  EXPECT_EQ(page.Value("//td/@title"), "a \"hint\"");
}

TEST(TKXGrid, ScrollsToTheCurrentRow) {
  TGridFixture f;
  f.Grid->SetRowCount(5);
  f.Grid->SetCurrentRow(3);
  f.Grid->SetScrollToCurrentRow(true);
  const TParsedDocument page(PageOf(f, f.Grid), true);
  const std::string id = std::to_string(f.Grid->InstanceNumber()) + "_3";
  EXPECT_EQ(page.Value("//tr[4]/@id"), id);
  EXPECT_NE(f.Form->Page.GetInitProc().find("document.getElementById(\"TBLGRID1\").scrollTop = "
                                            "document.getElementById(\"" + id + "\").offsetTop - 40;"),
            std::string::npos);
}

// Grid n's row 13 and grid 10n + 1's row 3 on one page: joined without a separator both ids would be n + "13".
TEST(TKXGrid, RowIdsOfGridsOnAPageNeverMeet) {
  TGridFixture f;
  const std::uint32_t first = f.Grid->InstanceNumber();
  TKXGrid* second = nullptr;
  while (second == nullptr || second->InstanceNumber() < 10 * first + 1) {
    if (second != nullptr) second->Free();
    second = f.Add<TKXGrid>("Grid2", f.Form);
  }
  ASSERT_EQ(second->InstanceNumber(), 10 * first + 1);
  const std::pair<TKXGrid*, int> scrolled[] = {{f.Grid, 13}, {second, 3}};
  for (const auto& [grid, row] : scrolled) {
    grid->SetRowCount(14);
    grid->SetCurrentRow(row);
    grid->SetScrollToCurrentRow(true);
  }
  const TParsedDocument firstPage(PageOf(f, f.Grid), true);
  const TParsedDocument secondPage(PageOf(f, second), true);
  EXPECT_EQ(firstPage.Value("//tr[14]/@id"), std::to_string(first) + "_13");
  EXPECT_NE(firstPage.Value("//tr[14]/@id"), secondPage.Value("//tr[4]/@id"));
}

TEST(TKXGrid, ControlsInCellsRenderInsideTheCellAndBelongToTheGrid) {
  TGridFixture f;
  f.Grid->SetColumnCount(2);
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  f.Grid->Cell(0, 0)->SetControl(edit);
  f.Grid->Cell(0, 1)->SetControl(f.Add<TKXButton>("Button1", f.Form));
  EXPECT_FALSE(edit->Visible());
  EXPECT_EQ(f.Form->KXFindComponent(edit), -1);
  EXPECT_EQ(f.Grid->KXFindComponent(edit), 0);
  const TParsedDocument page(PageOf(f, f.Grid), true);
  EXPECT_EQ(page.Value("//td[1]/input/@id"), "EDIT1");
  EXPECT_EQ(page.Value("//td[1]/input/@name"), "EDIT1");
  EXPECT_EQ(page.Value("//td[2]/input/@id"), "BUTTON1");
  EXPECT_TRUE(edit->Visible());
  EXPECT_EQ(f.Grid->ContainerContext()->GetControlsCount(), 2);
}

// A cell control leaves the grid when it is freed (from every cell showing it), when its cell lets it go, and
// when the grid goes; in the last two cases it goes back to its parent.
TEST(TKXGrid, ControlsLeaveTheGrid) {
  TGridFixture f;
  f.Grid->SetColumnCount(2);
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  f.Grid->Cell(0, 0)->SetControl(edit);
  f.Grid->Cell(0, 0)->SetControl(nullptr);
  EXPECT_GE(f.Form->KXFindComponent(edit), 0);
  f.Grid->Cell(0, 0)->SetControl(edit);
  f.Grid->Cell(0, 1)->SetControl(edit);
  edit->Free();
  EXPECT_EQ(f.Grid->Cell(0, 0)->Control(), nullptr);
  EXPECT_EQ(f.Grid->Cell(0, 1)->Control(), nullptr);
  EXPECT_EQ(f.Grid->KXComponentsCount(), 0);
  EXPECT_EQ(TParsedDocument(PageOf(f, f.Grid), true).Count("//input"), 0);
  auto* other = f.Add<TKXEdit>("Edit2", f.Form);
  f.Grid->Cell(0, 0)->SetControl(other);
  f.Grid->Free();
  EXPECT_GE(f.Form->KXFindComponent(other), 0);
}

// A control in a cell (of a data grid: of a column) lies in the grid, which is not its parent. A hidden or disabled
// grid (or a container the grid lies in) posts nothing from the browser, so a value posted for the control is forged.
TEST(TKXGrid, ControlsInTheCellsOfAHiddenOrDisabledGridKeepTheirPostedValue) {
  struct Grid {
    const char* name;
    TKXCustomGrid* (*make)(TComponent* owner, TKXCustomControl* control);
  };
  const Grid grids[] = {
      {"grid",
       [](TComponent* owner, TKXCustomControl* control) -> TKXCustomGrid* {
         auto* grid = TComponent::Create<TKXGrid>(owner);
         grid->Cell(0, 0)->SetControl(control);
         return grid;
       }},
      {"data grid",
       [](TComponent* owner, TKXCustomControl* control) -> TKXCustomGrid* {
         auto* grid = TComponent::Create<TKXDBGrid>(owner);
         grid->Columns().Add()->SetControl(control);
         return grid;
       }},
  };
  struct Case {
    const char* name;
    void (*set)(TKXRegion& region, TKXCustomGrid& grid);
    const char* taken;
  };
  const Case cases[] = {
      {"shown and enabled", [](TKXRegion&, TKXCustomGrid&) {}, "posted"},
      {"grid hidden", [](TKXRegion&, TKXCustomGrid& grid) { grid.SetVisible(false); }, ""},
      {"grid disabled", [](TKXRegion&, TKXCustomGrid& grid) { grid.SetEnabled(false); }, ""},
      {"grid's region hidden", [](TKXRegion& region, TKXCustomGrid&) { region.SetVisible(false); }, ""},
      {"grid's region disabled", [](TKXRegion& region, TKXCustomGrid&) { region.SetEnabled(false); }, ""},
  };
  for (const Grid& kind : grids) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(kind.name) + ": " + c.name);
      TOwnedComponent<TKXForm> form(TComponent::Create<TKXForm>(nullptr));
      auto place = [&]<class T>(T* control, const char* name, TWinControl* parent) {
        control->SetName(name);
        control->SetParent(parent);
        return control;
      };
      auto* region = place(TComponent::Create<TKXRegion>(form.get()), "Region1", form.get());
      auto* edit = place(TComponent::Create<TKXEdit>(form.get()), "Edit1", form.get());
      TKXCustomGrid* grid = place(kind.make(form.get(), edit), "Grid1", region);
      ASSERT_EQ(grid->KXFindComponent(edit), 0);
      edit->SetVisible(true);  // as the grid's rendering leaves it
      c.set(*region, *grid);
      TStringList posted;
      posted.Add("EDIT1=posted");
      posted.Add("KX_ActionParam=p");
      form->ExecuteForm(posted);
      EXPECT_EQ(edit->Text(), c.taken);
    }
  }
}

TEST(TKXGrid, AGridCannotSitInItsOwnCells) {
  TGridFixture f;
  TKXGridCell* cell = f.Grid->Cell(0, 0);
  EXPECT_EQ(MessageOf([&] { cell->SetControl(f.Grid); }), "You cannot assign the control to itself");
  EXPECT_EQ(cell->Control(), nullptr);
  auto* inner = f.Add<TKXGrid>("Grid2", f.Form);
  inner->Cell(0, 0)->SetText("inner");
  cell->SetControl(inner);
  EXPECT_EQ(MessageOf([&] { inner->Cell(0, 0)->SetControl(inner); }), "You cannot assign the control to itself");
  const TParsedDocument page(PageOf(f, f.Grid), true);
  EXPECT_EQ(page.Value("//table[@id='TBLGRID1']//table[@id='TBLGRID2']//td"), "inner");
}

// A cell's text and class are shown: a change marks the grid for the next callback, an equal value does not.
TEST(TKXGrid, CellChangesMarkTheGridForTheNextUpdate) {
  TGridFixture f;
  TKXGridCell* cell = f.Grid->Cell(0, 0);
  for (const auto& [change, marks] : std::vector<std::pair<std::function<void()>, bool>>{
           {[&] { cell->SetText("changed"); }, true},
           {[&] { cell->SetText("changed"); }, false},
           {[&] { cell->SetCss("c"); }, true}}) {
    f.Grid->SetDoRefreshControl(false);
    change();
    EXPECT_EQ(f.Grid->DoRefreshControl(), marks);
  }
}

}  // namespace
}  // namespace kx
