// The navigator's enabled buttons on empty, one-row and many-row sets, what a post runs, and what it refuses.
#include <gtest/gtest.h>

#include "unit/controls/dbgrid/DBGridTestData.h"

namespace kx {
namespace {

using test::NumbersSource;
using test::TFormFixture;

// The enabled buttons in rendered order, one letter each: F P N L E I D S(post) C R; "." for a disabled one.
std::string EnabledButtons(TKXDBNavigator& navigator) {
  constexpr TNavigateBtn order[] = {nbFirst,  nbPrior, nbNext,   nbLast,   nbEdit,
                                    nbInsert, nbDelete, nbPost, nbCancel, nbRefresh};
  const char* letters = "FPNLEIDSCR";
  std::string result;
  for (int i = 0; i < 10; ++i) result += navigator.ButtonEnabled(order[i]) ? letters[i] : '.';
  return result;
}

std::string Html(TKXDBNavigator& navigator) {
  TKXCompContext context(&navigator, nullptr, nullptr);
  TKXElementPtr<TKXHTMLTag> tag = navigator.RenderHTML(&context);
  return tag ? tag->Render() : std::string();
}

TEST(DBNavigator, EnabledButtonsFollowTheDataSet) {
  struct {
    const char* Name;
    int Rows;
    std::function<void(TDataSet&, TKXDBNavigator&)> Steps;
    const char* Enabled;
  } cases[] = {
      {"empty", 0, [](TDataSet&, TKXDBNavigator&) {}, "....EI...R"},
      // One row: Open sets BOF, EOF comes only with a move past the end.
      {"one row", 1, [](TDataSet&, TKXDBNavigator&) {}, "..NLEID..R"},
      {"many, at first", 5, [](TDataSet&, TKXDBNavigator&) {}, "..NLEID..R"},
      {"many, in the middle", 5, [](TDataSet& d, TKXDBNavigator&) { d.MoveBy(2); }, "FPNLEID..R"},
      {"many, at last", 5, [](TDataSet& d, TKXDBNavigator&) { d.Last(); }, "FP..EID..R"},
      {"editing", 5, [](TDataSet&, TKXDBNavigator& n) { n.Submit("edit"); }, "..NL...SC."},
      {"insert then cancel", 5,
       [](TDataSet&, TKXDBNavigator& n) {
         n.Submit("Insert");
         n.Submit("Cancel");
       },
       // Back at the record current before, which the data set no longer reports as BOF.
       "FPNLEID..R"},
      {"delete of the last row", 1, [](TDataSet&, TKXDBNavigator& n) { n.Submit("Delete"); }, "....EI...R"},
      {"read-only", 5, [](TDataSet& d, TKXDBNavigator&) { d.SetReadOnly(true); }, "..NL......"},
      {"closed", 5, [](TDataSet& d, TKXDBNavigator&) { d.Close(); }, ".........."},
  };
  for (const auto& c : cases) {
    TFormFixture f;
    TDataSource* source = NumbersSource(f, c.Rows);
    auto* navigator = f.Add<TKXDBNavigator>("Nav1", f.Form);
    navigator->SetDataSource(source);
    c.Steps(*source->DataSet(), *navigator);
    const std::string wanted = c.Enabled;
    EXPECT_EQ(EnabledButtons(*navigator), wanted) << c.Name;
    // The rendered images tell the same.
    const std::string html = Html(*navigator);
    EXPECT_EQ(html.find("DBNav_Edit.gif") != std::string::npos, wanted[4] == 'E') << c.Name << ": " << html;
    EXPECT_EQ(html.find("DBNav_DeleteDisabled.gif") != std::string::npos, wanted[6] == '.') << c.Name;
  }
}

TEST(DBNavigator, PostsRunTheOperationAndItsEvent) {
  TFormFixture f;
  TDataSource* source = NumbersSource(f, 3);
  TDataSet& data = *source->DataSet();
  auto* navigator = f.Add<TKXDBNavigator>("Nav1", f.Form);
  navigator->SetDataSource(source);
  std::string fired;
  navigator->OnNext = [&](TObject*) { fired += "next "; };
  navigator->OnPost = [&](TObject*) { fired += "post "; };
  navigator->OnInsert = [&](TObject*) { fired += "insert "; };

  navigator->Submit("NEXT");
  EXPECT_EQ(data.RecNo(), 2);
  navigator->Submit("Edit");
  data.FieldByName("name").SetText("Changed");
  // Moving while editing posts first.
  navigator->Submit("Next");
  EXPECT_EQ(data.State(), dsBrowse);
  data.Prior();
  EXPECT_EQ(data.FieldByName("name").Text(), "Changed");
  navigator->SetInsertMode(imAppend);
  navigator->Submit("Insert");
  EXPECT_EQ(data.State(), dsInsert);
  data.FieldByName("id").SetText("4");
  navigator->Submit("Post");
  EXPECT_EQ(data.RecordCount(), 4);
  EXPECT_EQ(fired, "next next insert post ");
  EXPECT_EQ(navigator->GetSubmitParam(), "Post");
  EXPECT_TRUE(navigator->DoRefreshControl());
}

TEST(DBNavigator, RefusesUnknownHiddenAndDisabledButtons) {
  TFormFixture f;
  TDataSource* source = NumbersSource(f, 3);
  auto* navigator = f.Add<TKXDBNavigator>("Nav1", f.Form);
  navigator->SetDataSource(source);
  EXPECT_THROW(
      {
        try {
          navigator->Submit("Jump");
        } catch (const Exception& e) {
          EXPECT_STREQ(e.what(), "Jump is not a valid response.");
          throw;
        }
      },
      Exception);
  // A forged Delete without the Delete button deletes nothing.
  navigator->SetVisibleButtons({nbFirst, nbNext});
  EXPECT_THROW(navigator->Submit("Delete"), Exception);
  // Post while browsing is not offered either.
  navigator->SetVisibleButtons(kAllNavigateButtons);
  EXPECT_THROW(navigator->Submit("Post"), Exception);
  EXPECT_EQ(source->DataSet()->RecordCount(), 3);
}

TEST(DBNavigator, BeforeActionMayCancel) {
  TFormFixture f;
  TDataSource* source = NumbersSource(f, 3);
  auto* navigator = f.Add<TKXDBNavigator>("Nav1", f.Form);
  navigator->SetDataSource(source);
  bool deleted = false;
  navigator->OnDelete = [&](TObject*) { deleted = true; };
  navigator->OnBeforeAction = [](TObject*, TNavigateBtn button, bool& handled) { handled = button == nbDelete; };
  navigator->SetDoRefreshControl(false);
  navigator->Submit("Delete");
  EXPECT_EQ(source->DataSet()->RecordCount(), 3);
  EXPECT_FALSE(deleted);
  EXPECT_FALSE(navigator->DoRefreshControl());
}

TEST(DBNavigator, RendersRowsImagesAndConfirmations) {
  TFormFixture f;
  auto* navigator = f.Add<TKXDBNavigator>("Nav1", f.Form);
  navigator->SetDataSource(NumbersSource(f, 3));
  navigator->Confirmations().SetDelete("Really \"delete\" it's?");
  TKXFileReference custom;
  custom.SetURL("http://127.0.0.1/next.png");
  navigator->CustomImages().SetImage(nbNext, true, custom);
  navigator->SetVisibleButtons({nbNext, nbLast, nbDelete});
  std::string html = Html(*navigator);
  EXPECT_NE(html.find("<table cellspacing=\"0\" border=\"0\" cellpadding=\"0\">"), std::string::npos) << html;
  EXPECT_NE(html.find("<td width=\"30\" height=\"30\"><button type=\"button\" style=\"width:30px;height:30px;"),
            std::string::npos);
  EXPECT_NE(html.find("src=\"http://127.0.0.1/next.png\""), std::string::npos) << html;
  EXPECT_NE(html.find("/gfx/DBNav_Last.gif"), std::string::npos) << html;
  // The confirmation is a script literal inside an attribute: neither quote ends it.
  EXPECT_NE(html.find("SubmitClickConfirm('NAV1','Delete', false, 'Really \\x22delete\\x22 it\\x27s?');return false;"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("title=\"Delete\""), std::string::npos) << html;
  navigator->SetOrientation(orVertical);
  html = Html(*navigator);
  // One row per button.
  std::size_t rows = 0;
  for (std::size_t at = html.find("<tr>"); at != std::string::npos; at = html.find("<tr>", at + 1)) ++rows;
  EXPECT_EQ(rows, 3u) << html;
  navigator->SetVisibleButtons({});
  EXPECT_FALSE(navigator->Visible());
  EXPECT_EQ(Html(*navigator), "");
}

}  // namespace
}  // namespace kx
