// What the contract rows cannot say: when a post writes, when it must not, and where the shown value comes from.
#include <gtest/gtest.h>

#include <filesystem>

#include "kx/data/SQLiteDataSet.h"
#include "kx/forms/Forms.h"
#include "unit/controls/dbcontrols/DBControlsTestData.h"

namespace kx {
namespace {

using test::BoundControl;
using test::PeopleSource;
using test::TFormFixture;

std::string Shown(TFormFixture& f, const char* htmlName) {
  TKXMarkupLanguageTag* tag = f.Form->Render()->GetMarkupLanguageTag(htmlName);
  return tag ? tag->Render() : std::string();
}

std::string AsyncText(TKXCustomControl* control) {
  TKXCompContext context(control, nullptr, nullptr);
  return control->RenderAsync(&context)->Render();
}

TDataSet* People(TFormFixture& f) { return PeopleSource(f)->DataSet(); }

// Each control, bound and then left without its data: the empty state.
TEST(DBControls, ShowTheFieldAndTheEmptyStateWithoutData) {
  struct {
    const char* Name;
    std::function<TKXCustomControl*(TFormFixture&)> Make;
    const char* Bound;
    const char* Unbound;
  } cases[] = {
      {"DBEDIT1", [](TFormFixture& f) { return BoundControl<TKXDBEdit>(f, "DBEdit1", "name"); }, "value=\"Ada\"",
       "maxlength=\"2147483647\">"},
      {"DBLABEL1", [](TFormFixture& f) { return BoundControl<TKXDBLabel>(f, "DBLabel1", "born"); },
       ">1815-12-10<", "><"},
      {"DBTEXT1", [](TFormFixture& f) { return BoundControl<TKXDBText>(f, "DBText1", "notes"); },
       "line 1<br>line 2", "></div>"},
      {"DBMEMO1", [](TFormFixture& f) { return BoundControl<TKXDBMemo>(f, "DBMemo1", "notes"); },
       ">line 1\r\nline 2</textarea>", "></textarea>"},
  };
  for (const auto& c : cases) {
    for (int step = 0; step < 3; ++step) {
      TFormFixture f;
      c.Make(f);
      if (step == 1) People(f)->Close();
      if (step == 2) PeopleSource(f)->Free();
      const std::string html = Shown(f, c.Name);
      const char* wanted = step == 0 ? c.Bound : c.Unbound;
      EXPECT_NE(html.find(wanted), std::string::npos) << c.Name << " step " << step << ": " << html;
    }
  }
}

TEST(DBControls, AnUnchangedPostTouchesNothingEvenOnAReadOnlyDataSet) {
  TFormFixture f;
  auto* edit = BoundControl<TKXDBEdit>(f, "DBEdit1", "name");
  auto* memo = BoundControl<TKXDBMemo>(f, "DBMemo1", "notes");
  Shown(f, "DBEDIT1");
  People(f)->SetReadOnly(true);
  edit->SetValue("Ada");
  memo->SetValue("line 1\nline 2");
  EXPECT_EQ(People(f)->State(), dsBrowse);
  // A changed value into a read-only data set is not written and raises nothing.
  edit->SetValue("Grace");
  EXPECT_EQ(People(f)->FieldByName("name").Text(), "Ada");
  EXPECT_EQ(People(f)->State(), dsBrowse);
}

TEST(DBControls, TakeTheSizeAndResendAPostOnlyWhenTheFieldStoredItOtherwise) {
  TFormFixture f;
  auto* people = f.Add<TMemDataSet>("Sized", f.Form);
  people->AddField("code", ftString, 4);
  people->AddField("price", ftFloat);
  people->Open();
  people->AddRecord({"ab", "1.5"});
  people->Refresh();
  auto* source = f.Add<TDataSource>("SizedSource", f.Form);
  source->SetDataSet(people);
  struct {
    const char* Field;
    const char* Posted;
    bool Resent;
  } cases[] = {{"code", "abcd", false}, {"price", "2.50", true}, {"price", "3", false}};
  for (const auto& c : cases) {
    auto* edit = f.Add<TKXDBEdit>("DBEdit1", f.Form);
    edit->SetDataSource(source);
    edit->SetDataField(c.Field);
    EXPECT_EQ(edit->MaxLength(), c.Field == std::string("code") ? 4 : 0);  // a string field's size
    f.Form->Render();
    edit->SetDoRefreshControl(false);
    edit->SetValue(c.Posted);
    EXPECT_EQ(edit->DoRefreshControl(), c.Resent) << c.Field << " " << c.Posted;
    edit->Free();
  }
}

TEST(DBControls, AReadOnlyFieldRefusesQuietly) {
  TFormFixture f;
  auto* edit = BoundControl<TKXDBEdit>(f, "DBEdit1", "id");
  Shown(f, "DBEDIT1");
  EXPECT_NO_THROW(edit->SetValue("99"));
  EXPECT_EQ(People(f)->FieldByName("id").Text(), "1");
  EXPECT_EQ(People(f)->State(), dsBrowse);
  EXPECT_NE(Shown(f, "DBEDIT1").find("value=\"1\""), std::string::npos);
}

TEST(DBControls, APostIntoADataSetThatIsNotEditingRaisesNamingBoth) {
  TFormFixture f;
  auto* edit = BoundControl<TKXDBEdit>(f, "DBEdit1", "name");
  Shown(f, "DBEDIT1");
  PeopleSource(f)->SetAutoEdit(false);
  try {
    edit->SetValue("Grace");
    FAIL() << "no error";
  } catch (const EKXDataSetNotEditingError& e) {
    EXPECT_EQ(e.Message(),
              "Data set not in edit or insert mode.  Set PeopleSource.AutoEdit property to TRUE, or manually set "
              "People to Edit or Insert mode before updating records.");
  }
  EXPECT_EQ(edit->Text(), "Grace");  // the control keeps the posted value
  EXPECT_EQ(People(f)->FieldByName("name").Text(), "Ada");
  EXPECT_EQ(EKXDataSetNotEditingError(nullptr).Message(), SNotEditing);
}

TEST(DBControls, ADateShownInItsDisplayFormIsNotRewrittenByAnUnchangedPost) {
  TFormFixture f;
  auto* edit = BoundControl<TKXDBEdit>(f, "DBEdit1", "born");
  People(f)->FieldByName("born").OnGetText = [](TField& field, std::string& text, bool displayText) {
    if (displayText && !field.IsNull()) text = text.substr(8, 2) + "." + text.substr(5, 2) + "." + text.substr(0, 4);
  };
  EXPECT_NE(Shown(f, "DBEDIT1").find("value=\"10.12.1815\""), std::string::npos);
  edit->SetValue("10.12.1815");
  EXPECT_EQ(People(f)->State(), dsBrowse);
  edit->SetValue("1816-01-02");
  EXPECT_EQ(People(f)->FieldByName("born").Text(), "1816-01-02");
}

TEST(DBControls, AMemoHoldingLineFeedsIsNotRewrittenByTheBrowsersLineBreaks) {
  TFormFixture f;
  auto* memo = BoundControl<TKXDBMemo>(f, "DBMemo1", "notes");
  test::StoreField<TKXDBMemo>(*memo, "a\nb\n");
  EXPECT_NE(Shown(f, "DBMEMO1").find(">a\r\nb\r\n</textarea>"), std::string::npos);
  memo->SetValue("a\r\nb\r\n");
  EXPECT_EQ(People(f)->State(), dsBrowse);
  memo->SetValue("a\r\nc");
  EXPECT_EQ(People(f)->FieldByName("notes").Text(), "a\r\nc");
}

TEST(DBControls, AutoEditableFollowsTheDataSetAndOnlyWhenSet) {
  TFormFixture f;
  auto* followed = BoundControl<TKXDBEdit>(f, "DBEdit1", "name");
  followed->SetAutoEditable(true);
  auto* left = BoundControl<TKXDBMemo>(f, "DBMemo1", "notes");
  auto* readOnlyField = BoundControl<TKXDBEdit>(f, "DBEdit2", "id");
  readOnlyField->SetAutoEditable(true);
  People(f)->Edit();
  EXPECT_TRUE(followed->Editable());
  EXPECT_FALSE(readOnlyField->Editable());
  People(f)->Cancel();
  EXPECT_FALSE(followed->Editable());
  EXPECT_TRUE(left->Editable());
}

TEST(DBControls, AnUnknownFieldRaisesWhenRendered) {
  TFormFixture f;
  BoundControl<TKXDBLabel>(f, "DBLabel1", "nosuchfield");
  EXPECT_THROW(f.Form->Render(), EDatabaseError);
}

TEST(DBControls, ARecordChangedByAnotherSessionShowsAfterRefresh) {
  const std::string file =
      (std::filesystem::temp_directory_path() / ("kx-dbcontrols-" + std::to_string(::getpid()) + ".db")).string();
  TFormFixture f;
  TSQLiteConnection* connections[2];
  for (auto*& db : connections) {
    db = TComponent::Create<TSQLiteConnection>(f.Form);
    db->SetFileName(file);
    db->Open();
  }
  connections[0]->Execute("CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT)");
  connections[0]->Execute("INSERT INTO people (name) VALUES ('Ada')");
  auto* people = TComponent::Create<TSQLiteDataSet>(f.Form);
  people->SetConnection(connections[0]);
  people->SetTableName("people");
  people->Open();
  auto* source = f.Add<TDataSource>("Source", f.Form);
  source->SetDataSet(people);
  auto* edit = f.Add<TKXDBEdit>("DBEdit1", f.Form);
  edit->SetDataSource(source);
  edit->SetDataField("name");
  f.Form->Render();
  edit->SetDoRefreshControl(false);

  connections[1]->Execute("UPDATE people SET name = 'Ada B.' WHERE id = 1");
  EXPECT_FALSE(edit->DoRefreshControl());
  people->Refresh();
  EXPECT_TRUE(edit->DoRefreshControl());
  EXPECT_NE(AsyncText(edit).find("Ada B."), std::string::npos);
  // A post from this session then lands in the file.
  edit->SetValue("Ada C.");
  people->Post();
  EXPECT_EQ(connections[1]->Execute("SELECT name FROM people")[0][0], "Ada C.");
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file + suffix);
}

}  // namespace
}  // namespace kx
