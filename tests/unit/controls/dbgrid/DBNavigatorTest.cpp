// The navigator's enabled buttons on empty, one-row and many-row sets, what a post runs, and what it refuses.
#include <gtest/gtest.h>

#include "kx/foundation/KXExceptions.h"
#include "unit/controls/dbgrid/DBGridTestData.h"

namespace kx {
namespace {

using test::NumbersSource;
using test::TFormFixture;

TKXDBNavigator* Navigator(TFormFixture& f, int rows) {
  auto* navigator = f.Add<TKXDBNavigator>("Nav1", f.Form);
  navigator->SetDataSource(NumbersSource(f, rows));
  return navigator;
}

std::string Html(TKXDBNavigator& navigator) {
  TKXCompContext context(&navigator, nullptr, nullptr);
  TKXElementPtr<TKXHTMLTag> tag = navigator.RenderHTML(&context);
  return tag ? tag->Render() : std::string();
}

TEST(DBNavigator, EnabledButtonsFollowTheDataSet) {
  using TSteps = std::function<void(TDataSet&, TKXDBNavigator&)>;
  const TSteps none = [](TDataSet&, TKXDBNavigator&) {};
  struct {
    const char* Name;
    int Rows;
    TSteps Steps;
    const char* Enabled;  // in rendered order F P N L E I D Post C R; "." when disabled
  } cases[] = {
      {"empty: BOF and EOF both", 0, none, "....EI...R"},
      {"one row: Open sets BOF, EOF needs a move past the end", 1, none, "..NLEID..R"},
      {"many, in the middle", 5, [](TDataSet& d, TKXDBNavigator&) { d.MoveBy(2); }, "FPNLEID..R"},
      {"many, at last", 5, [](TDataSet& d, TKXDBNavigator&) { d.Last(); }, "FP..EID..R"},
      {"editing", 5, [](TDataSet&, TKXDBNavigator& n) { n.Submit("edit"); }, "..NL...SC."},
      {"insert then cancel: back at the record, no longer BOF", 5,
       [](TDataSet&, TKXDBNavigator& n) { n.Submit("Insert"), n.Submit("Cancel"); }, "FPNLEID..R"},
      {"delete of the last row", 1, [](TDataSet&, TKXDBNavigator& n) { n.Submit("Delete"); }, "....EI...R"},
      {"read-only", 5, [](TDataSet& d, TKXDBNavigator&) { d.SetReadOnly(true); }, "..NL......"},
      {"closed", 5, [](TDataSet& d, TKXDBNavigator&) { d.Close(); }, ".........."},
  };
  constexpr TNavigateBtn order[] = {nbFirst, nbPrior, nbNext, nbLast, nbEdit, nbInsert, nbDelete, nbPost, nbCancel,
                                    nbRefresh};
  for (const auto& c : cases) {
    TFormFixture f;
    TKXDBNavigator* navigator = Navigator(f, c.Rows);
    c.Steps(*navigator->DataSource()->DataSet(), *navigator);
    std::string enabled;
    for (int i = 0; i < 10; ++i) enabled += navigator->ButtonEnabled(order[i]) ? "FPNLEIDSCR"[i] : '.';
    EXPECT_EQ(enabled, c.Enabled) << c.Name;
    const std::string html = Html(*navigator);
    EXPECT_EQ(html.find("DBNav_Edit.gif") != std::string::npos, c.Enabled[4] == 'E') << c.Name << ": " << html;
  }
}

TEST(DBNavigator, PostsRunTheOperationAndItsEvent) {
  TFormFixture f;
  TKXDBNavigator* navigator = Navigator(f, 3);
  TDataSet& data = *navigator->DataSource()->DataSet();
  std::string fired;
  navigator->OnNext = [&](TObject*) { fired += "next "; };
  navigator->OnPost = [&](TObject*) { fired += "post "; };
  navigator->Submit("NEXT");
  navigator->Submit("Edit");
  data.FieldByName("name").SetText("Changed");
  navigator->Submit("Next");  // posts first
  EXPECT_EQ(data.RecNo(), 3);
  data.Prior();
  EXPECT_EQ(data.FieldByName("name").Text(), "Changed");
  navigator->SetInsertMode(imAppend);
  navigator->Submit("Insert");
  data.FieldByName("id").SetText("4");
  navigator->Submit("Post");
  EXPECT_EQ(data.RecordCount(), 4);
  EXPECT_EQ(fired, "next next post ");
  EXPECT_EQ(navigator->GetSubmitParam(), "Post");
}

TEST(DBNavigator, RefusesUnknownHiddenAndDisabledButtonsAndMayBeCancelled) {
  TFormFixture f;
  TKXDBNavigator* navigator = Navigator(f, 3);
  try {
    navigator->Submit("Jump");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Jump is not a valid response.");
    EXPECT_TRUE(IsClientCaused(e)) << "the client posted it: a warning, no report";
  }
  navigator->SetVisibleButtons({nbFirst, nbNext});
  EXPECT_THROW(navigator->Submit("Delete"), Exception);  // a forged post of a hidden button
  EXPECT_THROW(navigator->Submit("Delete"), EKXSubmitRefused);
  navigator->SetVisibleButtons(kAllNavigateButtons);
  EXPECT_THROW(navigator->Submit("Post"), Exception);  // not editing
  EXPECT_THROW(navigator->Submit("Post"), EKXSubmitRefused);
  // The program's own call with a name of no button is its fault.
  try {
    TKXDBNavigator::GetButton("Jump");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_FALSE(IsClientCaused(e));
  }
  navigator->OnBeforeAction = [](TObject*, TNavigateBtn button, bool& handled) { handled = button == nbDelete; };
  navigator->SetDoRefreshControl(false);
  navigator->Submit("Delete");
  EXPECT_FALSE(navigator->DoRefreshControl());
  EXPECT_EQ(navigator->DataSource()->DataSet()->RecordCount(), 3);
}

// The buttons the page drew decide, not the state a value typed in the same post left: Edit pressed after typing
// saves the typed change and edits on; Post, drawn disabled, stays refused.
TEST(DBNavigator, APressCountsAgainstTheButtonsThePageDrew) {
  TFormFixture f;
  TKXDBNavigator* navigator = Navigator(f, 3);
  TDataSet& data = *navigator->DataSource()->DataSet();
  Html(*navigator);  // drawn browsing
  data.Edit();       // the typed value, posted ahead of the press
  data.FieldByName("name").SetText("Typed");
  EXPECT_THROW(navigator->Submit("Post"), Exception);
  navigator->Submit("Edit");
  EXPECT_EQ(data.State(), dsEdit);
  data.Cancel();
  EXPECT_EQ(data.FieldByName("name").Text(), "Typed");
}

TEST(DBNavigator, RendersRowsImagesAndConfirmations) {
  TFormFixture f;
  TKXDBNavigator* navigator = Navigator(f, 3);
  navigator->Confirmations().SetDelete("Really \"delete\" it's?");
  // The images given in alphabetical order land on their buttons: Next's enabled one is the seventh.
  TKXFileReference custom;
  custom.SetURL("http://127.0.0.1/next.png");
  std::array<const TKXFileReference*, 20> images{};
  images[6] = &custom;
  navigator->SetDBNavImages(TKXDBNavImages(images));
  EXPECT_EQ(navigator->CustomImages().Next_Enabled().URL(), "http://127.0.0.1/next.png");
  navigator->SetVisibleButtons({nbNext, nbLast, nbDelete});
  navigator->SetOrientation(orVertical);
  const std::string html = Html(*navigator);
  for (const char* part : {"<table cellspacing=\"0\" border=\"0\" cellpadding=\"0\">",
                           "<td width=\"30\" height=\"30\"><button type=\"button\" style=\"width:30px;height:30px;",
                           "src=\"http://127.0.0.1/next.png\"", "src=\"/$/gfx/DBNav_Last.gif\"", "title=\"Delete\"",
                           // a script literal inside an attribute: neither quote ends it
                           "'Delete', false, 'Really \\x22delete\\x22 it\\x27s?');return false;"})
    EXPECT_NE(html.find(part), std::string::npos) << part << "\n" << html;
  std::size_t rows = 0;
  for (std::size_t at = html.find("<tr>"); at != std::string::npos; at = html.find("<tr>", at + 1)) ++rows;
  EXPECT_EQ(rows, 3u);
  navigator->SetVisibleButtons({});
  EXPECT_FALSE(navigator->Visible());
  EXPECT_EQ(Html(*navigator), "");
}

}  // namespace
}  // namespace kx
