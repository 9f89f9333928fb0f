// The data grid's page around the current record, its cells, clicks and the data set it leaves as it found it.
#include <gtest/gtest.h>

#include "unit/controls/dbgrid/DBGridTestData.h"

namespace kx {
namespace {

using test::NumbersSource;
using test::TCountingDataSet;
using test::TFormFixture;

TKXDBGrid* Grid(TFormFixture& f, int rows, const char* name = "Grid1") {
  auto* grid = f.Add<TKXDBGrid>(name, f.Form);
  grid->SetDataSource(NumbersSource(f, rows));
  // With a class the cells hold their text alone, without a FONT element.
  grid->SetCss("grid");
  return grid;
}

std::string Html(TKXDBGrid& grid) {
  TKXCompContext context(&grid, nullptr, nullptr);
  return grid.RenderHTML(&context)->Render();
}

// The ids of the data rows the grid shows, and "*" after the current one.
std::string ShownIds(TKXDBGrid& grid) {
  const std::string html = Html(grid);
  std::string result;
  const std::string prefix = "<tr id=\"" + std::to_string(grid.InstanceNumber());
  for (std::size_t at = html.find(prefix); at != std::string::npos; at = html.find(prefix, at + 1)) {
    const std::size_t cell = html.find("white-space: nowrap;", at);
    const std::size_t text = html.find('>', cell) + 1;
    result += (result.empty() ? "" : " ") + html.substr(text, html.find('<', text) - text);
    if (html.substr(at, html.find("</tr>", at) - at).find(">*<") != std::string::npos) result += "*";
  }
  return result;
}

TEST(DBGrid, ShowsThePageOfTheCurrentRecord) {
  struct {
    const char* Name;
    int Rows;
    int RowLimit;
    bool FromStart;
    int RecNo;
    const char* Shown;
  } cases[] = {
      {"page around record 25", 40, 10, false, 25, "21 22 23 24 25* 26 27 28 29 30"},
      {"from start", 40, 10, true, 25, "1 2 3 4 5 6 7 8 9 10"},
      {"short last page", 23, 10, false, 23, "21 22 23*"},
      {"first record", 23, 10, false, 1, "1* 2 3 4 5 6 7 8 9 10"},
      {"no limit, not from start", 4, 0, false, 3, "1 2 3* 4"},
      {"empty", 0, 10, false, 0, ""},
  };
  for (const auto& c : cases) {
    TFormFixture f;
    TKXDBGrid* grid = Grid(f, c.Rows);
    grid->SetOptions({dgShowTitles, dgIndicator});
    grid->SetRowLimit(c.RowLimit);
    grid->SetFromStart(c.FromStart);
    grid->Columns().Add()->SetDataField("id");
    TDataSet& data = *grid->DataSource()->DataSet();
    if (c.RecNo > 0) data.SetRecNo(c.RecNo);
    EXPECT_EQ(ShownIds(*grid), c.Shown) << c.Name;
    // The data set is where it was.
    EXPECT_EQ(data.RecNo(), c.RecNo > 0 ? c.RecNo : 0) << c.Name;
  }
}

TEST(DBGrid, APageReadsOnlyItsOwnRecords) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 5000);
  grid->SetRowLimit(10);
  grid->SetFromStart(false);
  auto& data = static_cast<TCountingDataSet&>(*grid->DataSource()->DataSet());
  data.SetRecNo(4321);
  data.RowsRead = 0;
  EXPECT_EQ(ShownIds(*grid).substr(0, 4), "4321");
  EXPECT_LT(data.RowsRead, 40);
}

TEST(DBGrid, CellsEscapeCutAndLink) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 2);
  TDataSet& data = *grid->DataSource()->DataSet();
  data.Edit();
  data.FieldByName("name").SetText("<b>O'Neil\"</b>");
  data.FieldByName("notes").SetText("Ünïcode notes");
  data.Post();
  TKXDBGridColumn* notes = grid->Columns().Add();
  notes->SetDataField("notes");
  notes->SetBlobCharLimit(5);
  TKXDBGridColumn* name = grid->Columns().Add();
  name->SetDataField("name");
  name->SetLinkField("name");
  std::string html = Html(*grid);
  EXPECT_NE(html.find(">Ünïco...<"), std::string::npos) << html;
  // Escaped once: the data shows as text, the link stays a link.
  EXPECT_NE(html.find(">&lt;b&gt;O&#39;Neil&quot;&lt;/b&gt;</a>"), std::string::npos) << html;
  EXPECT_EQ(html.find("<b>O"), std::string::npos) << html;
  // A whole-row click carries the value as a script literal inside the attribute.
  grid->SetRowClick(true);
  html = Html(*grid);
  EXPECT_NE(html.find("onclick=\"SubmitClickConfirm('GRID1','1_\\x3Cb\\x3EO\\x27Neil\\x22\\x3C/b\\x3E', true, '')\""),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("style=\"cursor:hand;\""), std::string::npos);
}

TEST(DBGrid, TitlesFootersAndRowIds) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 3);
  TKXDBGrid* other = f.Add<TKXDBGrid>("Grid2", f.Form);
  EXPECT_NE(grid->InstanceNumber(), other->InstanceNumber());
  EXPECT_EQ(grid->RowID(3).size(), 7u);
  grid->SetFooterRowCount(2);
  std::vector<std::int32_t> footerRows;
  grid->OnRenderCell = [&](TKXGridCell* cell, std::int32_t row, std::int32_t) {
    if (row < 0) {
      footerRows.push_back(row);
      cell->SetText("sum");
    }
  };
  TKXDBGridColumn* id = grid->Columns().Add();
  id->SetDataField("id");
  EXPECT_EQ(id->Title().Text(), "id");
  id->OnTitleClick = [](TObject*) {};
  const std::string html = Html(*grid);
  EXPECT_NE(html.find("SubmitClickConfirm('GRID1','C0', true, '')"), std::string::npos) << html;
  EXPECT_EQ(footerRows, (std::vector<std::int32_t>{-2, -1}));
  EXPECT_NE(html.find(">sum<"), std::string::npos);
}

TEST(DBGrid, ImplicitColumnsAndHighlighting) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 3);
  grid->DataSource()->DataSet()->FieldByName("notes").SetVisible(false);
  grid->SetHighlightRows(true);
  grid->SetHighlightColor(clRed);
  std::string html = Html(*grid);
  EXPECT_EQ(grid->Columns().Count(), 2);
  EXPECT_EQ(html.find("bgcolor"), std::string::npos) << html;
  grid->Columns().Items(1)->SetCompareHighlight(hcContains);
  grid->Columns().Items(1)->SetCompareValue("e 2");
  html = Html(*grid);
  EXPECT_NE(html.find("<tr id=\"" + grid->RowID(2) + "\" bgcolor=\"#FF0000\">"), std::string::npos) << html;
  EXPECT_EQ(html.find("<tr id=\"" + grid->RowID(1) + "\" bgcolor"), std::string::npos) << html;
}

TEST(DBGrid, SubmitFiresTheColumnsEventsAndChecksTheIndex) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 3);
  std::string clicked;
  TKXDBGridColumn* column = grid->Columns().Add();
  column->OnClick = [&](TObject*, const std::string& value) { clicked += "click " + value + ";"; };
  column->OnTitleClick = [&](TObject*) { clicked += "title;"; };
  grid->Submit("0_a_b");
  grid->Submit("C0");
  EXPECT_EQ(clicked, "click a_b;title;");
  EXPECT_EQ(grid->GetSubmitParam(), "C0");
  for (const char* bad : {"1_x", "-1_x", "C7", "x_1", "C"}) EXPECT_ANY_THROW(grid->Submit(bad)) << bad;
}

TEST(DBGrid, EditingKeepsTheRowsAndAlwaysRaises) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 3);
  TDataSet& data = *grid->DataSource()->DataSet();
  const std::string before = Html(*grid);
  data.Edit();
  data.FieldByName("name").SetText("Edited");
  EXPECT_EQ(Html(*grid), before);
  grid->SetRefreshMode(rmAlways);
  EXPECT_THROW(
      {
        try {
          Html(*grid);
        } catch (const Exception& e) {
          EXPECT_STREQ(e.what(), "Cannot refresh grid while data is in edit or insert mode.");
          throw;
        }
      },
      Exception);
  data.Post();
  EXPECT_NE(Html(*grid).find("Edited"), std::string::npos);
}

TEST(DBGrid, AnUnknownFieldRaisesAndLeavesTheDataSetInPlace) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 30);
  grid->SetRowLimit(10);
  grid->SetFromStart(false);
  grid->Columns().Add()->SetDataField("id");
  grid->Columns().Add()->SetDataField("missing");
  TDataSet& data = *grid->DataSource()->DataSet();
  data.SetRecNo(17);
  EXPECT_ANY_THROW(Html(*grid));
  EXPECT_EQ(data.RecNo(), 17);
  EXPECT_FALSE(data.ControlsDisabled());
}

}  // namespace
}  // namespace kx
