// The data grid's page around the current record, its cells, clicks and the data set it leaves as it found it.
#include <gtest/gtest.h>

#include "unit/controls/dbgrid/DBGridTestData.h"

namespace kx {
namespace {

using test::NumbersSource;
using test::TCountingDataSet;
using test::TFormFixture;

TKXDBGrid* Grid(TFormFixture& f, int rows, std::initializer_list<const char*> fields = {}) {
  auto* grid = f.Add<TKXDBGrid>("Grid1", f.Form);
  grid->SetDataSource(NumbersSource(f, rows));
  grid->SetCss("grid");  // with a class the cells hold their text alone, without a FONT element
  for (const char* field : fields) grid->Columns().Add()->SetDataField(field);
  return grid;
}

std::string Html(TKXDBGrid& grid) {
  TKXCompContext context(&grid, nullptr, nullptr);
  return grid.RenderHTML(&context)->Render();
}

// The first cell's text of each data row, "*" after the current one.
std::string ShownIds(TKXDBGrid& grid) {
  const std::string html = Html(grid);
  std::string result;
  const std::string prefix = "<tr id=\"" + std::to_string(grid.InstanceNumber());
  for (std::size_t at = html.find(prefix); at != std::string::npos; at = html.find(prefix, at + 1)) {
    const std::size_t text = html.find('>', html.find("white-space: nowrap;", at)) + 1;
    result += (result.empty() ? "" : " ") + html.substr(text, html.find('<', text) - text);
    if (html.substr(at, html.find("</tr>", at) - at).find(">*<") != std::string::npos) result += "*";
  }
  return result;
}

TEST(DBGrid, ShowsThePageOfTheCurrentRecordAndStaysThere) {
  struct {
    const char* Name;
    int Rows, RowLimit;
    bool FromStart;
    int RecNo;
    const char* Shown;
  } cases[] = {
      {"page around record 25", 40, 10, false, 25, "21 22 23 24 25* 26 27 28 29 30"},
      {"from start", 40, 10, true, 25, "1 2 3 4 5 6 7 8 9 10"},
      {"short last page", 23, 10, false, 23, "21 22 23*"},
      {"no limit, not from start: all", 4, 0, false, 3, "1 2 3* 4"},
      {"empty", 0, 10, false, 0, ""},
  };
  for (const auto& c : cases) {
    TFormFixture f;
    TKXDBGrid* grid = Grid(f, c.Rows, {"id"});
    grid->SetOptions({dgShowTitles, dgIndicator});
    grid->SetRowLimit(c.RowLimit);
    grid->SetFromStart(c.FromStart);
    TDataSet& data = *grid->DataSource()->DataSet();
    if (c.RecNo > 0) data.SetRecNo(c.RecNo);
    EXPECT_EQ(ShownIds(*grid), c.Shown) << c.Name;
    EXPECT_EQ(data.RecNo(), c.RecNo) << c.Name;
  }
}

TEST(DBGrid, APageReadsOnlyItsOwnRecords) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 5000, {"id"});
  grid->SetRowLimit(10);
  grid->SetFromStart(false);
  auto& data = static_cast<TCountingDataSet&>(*grid->DataSource()->DataSet());
  data.SetRecNo(4325);
  data.RowsRead = 0;
  EXPECT_EQ(ShownIds(*grid).substr(0, 9), "4321 4322");
  EXPECT_LT(data.RowsRead, 40);
}

TEST(DBGrid, CellsEscapeOnceCutMemosAndLink) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 2, {"notes", "name"});
  TDataSet& data = *grid->DataSource()->DataSet();
  data.Edit();
  data.FieldByName("name").SetText("<b>O'Neil\"</b>");
  data.FieldByName("notes").SetText("Ünïcode notes");
  data.Post();
  grid->Columns().Items(0)->SetBlobCharLimit(5);
  grid->Columns().Items(1)->SetLinkField("name");
  std::string html = Html(*grid);
  EXPECT_NE(html.find(">Ünïco...<"), std::string::npos) << html;
  EXPECT_NE(html.find(">&lt;b&gt;O&#39;Neil&quot;&lt;/b&gt;</a>"), std::string::npos) << html;
  grid->SetRowClick(true);
  html = Html(*grid);
  // A whole-row click carries the value as a script literal inside the attribute.
  EXPECT_NE(html.find("onclick=\"SubmitClickConfirm('GRID1','1_\\x3Cb\\x3EO\\x27Neil\\x22\\x3C/b\\x3E', true, '')\" "
                      "style=\"cursor:hand;\""),
            std::string::npos)
      << html;
}

TEST(DBGrid, TitlesFootersHighlightsAndRowIds) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 3);
  EXPECT_NE(grid->InstanceNumber(), f.Add<TKXDBGrid>("Grid2", f.Form)->InstanceNumber());
  EXPECT_EQ(grid->RowID(3).size(), 7u);  // six digits of the grid, then the row
  grid->SetFooterRowCount(2);
  std::vector<std::int32_t> footerRows;
  grid->OnRenderCell = [&](TKXGridCell* cell, std::int32_t row, std::int32_t) {
    if (row < 0) footerRows.push_back(row), cell->SetText("sum");
  };
  grid->DataSource()->DataSet()->FieldByName("notes").SetVisible(false);
  grid->SetHighlightRows(true);
  grid->SetHighlightColor(clRed);
  Html(*grid);  // implicit columns: the visible fields
  ASSERT_EQ(grid->Columns().Count(), 2);
  TKXDBGridColumn* id = grid->Columns().Items(0);
  EXPECT_EQ(id->Title().Text(), "id");
  id->OnTitleClick = [](TObject*) {};
  grid->Columns().Items(1)->SetCompareHighlight(hcContains);
  grid->Columns().Items(1)->SetCompareValue("e 2");
  footerRows.clear();
  const std::string html = Html(*grid);
  EXPECT_NE(html.find("SubmitClickConfirm('GRID1','C0', true, '')"), std::string::npos) << html;
  EXPECT_EQ(footerRows, (std::vector<std::int32_t>{-2, -2, -1, -1}));
  EXPECT_NE(html.find(">sum<"), std::string::npos);
  EXPECT_NE(html.find("<tr id=\"" + grid->RowID(2) + "\" bgcolor=\"#FF0000\">"), std::string::npos) << html;
  EXPECT_EQ(html.find("<tr id=\"" + grid->RowID(1) + "\" bgcolor"), std::string::npos) << html;
}

TEST(DBGrid, SubmitFiresTheColumnsEventsAndChecksTheIndex) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 3, {"id"});
  std::string clicked;
  grid->Columns().Items(0)->OnClick = [&](TObject*, const std::string& value) { clicked += "click " + value + ";"; };
  grid->Columns().Items(0)->OnTitleClick = [&](TObject*) { clicked += "title;"; };
  grid->Submit("0_a_b");
  grid->Submit("C0");
  EXPECT_EQ(clicked, "click a_b;title;");
  EXPECT_EQ(grid->GetSubmitParam(), "C0");
  for (const char* bad : {"1_x", "-1_x", "C7", "x_1", "C"}) EXPECT_ANY_THROW(grid->Submit(bad)) << bad;
  for (const char* bad : {"1_x", "-1_x", "C7", "x_1", "C"}) {  // the client posted it: a warning, no report
    try {
      grid->Submit(bad);
    } catch (const std::exception& e) {
      EXPECT_TRUE(IsClientCaused(e)) << bad;
    }
  }
}

TEST(DBGrid, EditingKeepsTheRowsAndFailuresLeaveTheDataSetInPlace) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 30, {"id", "name"});
  TDataSet& data = *grid->DataSource()->DataSet();
  const std::string before = Html(*grid);
  data.Edit();
  data.FieldByName("name").SetText("Edited");
  EXPECT_EQ(Html(*grid), before);
  grid->SetRefreshMode(rmAlways);
  try {
    Html(*grid);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Cannot refresh grid while data is in edit or insert mode.");
  }
  data.Post();
  EXPECT_NE(Html(*grid).find("Edited"), std::string::npos);
  grid->Columns().Add()->SetDataField("missing");
  grid->SetRowLimit(10);
  grid->SetFromStart(false);
  data.SetRecNo(17);
  EXPECT_ANY_THROW(Html(*grid));
  EXPECT_EQ(data.RecNo(), 17);
  EXPECT_FALSE(data.ControlsDisabled());
}

TEST(DBGrid, WhileARecordIsInsertedNoKeptRowIsMarkedCurrent) {
  TFormFixture f;
  TKXDBGrid* grid = Grid(f, 3, {"id", "name"});
  grid->SetRowCurrentColor(clMoneyGreen);
  grid->SetOptions({dgShowTitles, dgIndicator});
  TDataSet& data = *grid->DataSource()->DataSet();
  data.Next();
  const std::string browsing = Html(*grid);
  EXPECT_EQ(ShownIds(*grid), "1 2* 3");
  ASSERT_NE(browsing.find(ColorToRGBString(clMoneyGreen)), std::string::npos);
  data.Edit();
  EXPECT_EQ(Html(*grid), browsing) << "the edited record is the marked row";
  data.Cancel();
  for (void (TDataSet::*insert)() : {&TDataSet::Insert, &TDataSet::Append}) {
    (data.*insert)();
    EXPECT_EQ(ShownIds(*grid), "1 2 3");
    EXPECT_EQ(Html(*grid).find(ColorToRGBString(clMoneyGreen)), std::string::npos) << "no current row colour";
    data.Cancel();
    EXPECT_EQ(Html(*grid), browsing);
  }
}

}  // namespace
}  // namespace kx
