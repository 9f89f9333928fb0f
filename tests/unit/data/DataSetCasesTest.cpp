// One table of cases run against both data sets: the in-memory one and the SQLite one must behave alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>

#include "kx/data/MemDataSet.h"
#include "kx/data/SQLiteDataSet.h"
#include "kx/platform/SysUtils.h"

namespace kx {
namespace {

const char* const kOddName = "odd\"; DROP TABLE people; --";

// Builds the "people" and "orders" tables of a case on one kind of storage.
struct TBackend {
  const char* Name;
  std::function<TDataSet*(TComponent* owner, const std::string& table)> Make;
};

TDataSet* MakeMem(TComponent* owner, const std::string& table) {
  auto* data = TComponent::Create<TMemDataSet>(owner);
  if (table == "people") {
    data->AddField("name", ftString, 40, true);
    data->AddField("qty", ftInteger);
    data->AddField("price", ftFloat);
    data->AddField("active", ftBoolean);
    data->AddField("born", ftDate);
    data->AddField("notes", ftMemo);
    data->AddField("photo", ftBlob);
    data->AddField(kOddName, ftString, 20);
  } else {
    data->AddField("custid", ftInteger);
    data->AddField("item", ftString, 20);
  }
  return data;
}

TDataSet* MakeSQLite(TComponent* owner, const std::string& table) {
  auto* db = dynamic_cast<TSQLiteConnection*>(owner->FindComponent("db"));
  if (!db) {
    db = TComponent::Create<TSQLiteConnection>(owner);
    db->SetName("db");
    static int counter = 0;
    const auto path = std::filesystem::temp_directory_path() /
                      ("kx-cases-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".db");
    std::filesystem::remove(path);
    db->SetFileName(path.string());
    db->Open();
    db->Execute("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL, qty INTEGER, price REAL, "
                "active BOOLEAN, born DATE, notes TEXT, photo BLOB, " + QuoteIdentifier(kOddName) + " VARCHAR(20))");
    db->Execute("CREATE TABLE orders (id INTEGER PRIMARY KEY, custid INTEGER, item VARCHAR(20))");
  }
  auto* data = TComponent::Create<TSQLiteDataSet>(owner);
  data->SetConnection(db);
  data->SetTableName(table);
  return data;
}

class DataSetCases : public ::testing::TestWithParam<TBackend> {
 protected:
  void SetUp() override { mOwner.reset(TComponent::Create<TComponent>(nullptr)); }
  void TearDown() override {
    if (auto* db = dynamic_cast<TSQLiteConnection*>(mOwner->FindComponent("db"))) {
      const std::string file = db->FileName();
      mOwner.reset();
      for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file + suffix);
    }
  }

  TDataSet* Open(const std::string& table = "people") {
    TDataSet* data = GetParam().Make(mOwner.get(), table);
    data->Open();
    return data;
  }
  // A people data set holding one record per name.
  TDataSet* People(std::initializer_list<const char*> names) {
    TDataSet* data = Open();
    for (const char* name : names) {
      data->Append();
      data->FieldByName("name").SetText(name);
      data->Post();
    }
    data->First();
    return data;
  }
  static std::string Name(TDataSet* data) { return data->FieldByName("name").Text(); }

  TOwnedComponent<TComponent> mOwner;
};

TEST_P(DataSetCases, MovesOnAnEmptySetKeepBothEnds) {
  TDataSet* data = Open();
  const std::vector<std::pair<const char*, std::function<void()>>> moves = {
      {"open", [] {}},
      {"First", [&] { data->First(); }},
      {"Last", [&] { data->Last(); }},
      {"Next", [&] { data->Next(); }},
      {"Prior", [&] { data->Prior(); }},
      {"MoveBy", [&] { EXPECT_EQ(data->MoveBy(3), 0); }},
      {"Refresh", [&] { data->Refresh(); }},
  };
  for (const auto& [name, move] : moves) {
    move();
    EXPECT_TRUE(data->Bof() && data->Eof() && data->IsEmpty()) << name;
    EXPECT_EQ(data->RecNo(), 0) << name;
    EXPECT_FALSE(data->Bookmark().has_value()) << name;
  }
  EXPECT_THROW(data->Delete(), EDatabaseError);
}

TEST_P(DataSetCases, MovesOnAOneRecordSet) {
  TDataSet* data = People({"a"});
  struct TCase {
    const char* Move;
    std::function<int()> Run;
    int Moved;
    bool Bof, Eof;
  } cases[] = {
      {"First", [&] { data->First(); return 0; }, 0, true, false},
      {"Next past the end", [&] { return data->MoveBy(1); }, 0, false, true},
      {"Next at EOF", [&] { return data->MoveBy(1); }, 0, false, true},
      {"Prior to the start", [&] { return data->MoveBy(-1); }, 0, true, false},
      {"Last", [&] { data->Last(); return 0; }, 0, false, true},
      {"Prior before the first", [&] { return data->MoveBy(-4); }, 0, true, false},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(c.Run(), c.Moved) << c.Move;
    EXPECT_EQ(data->Bof(), c.Bof) << c.Move;
    EXPECT_EQ(data->Eof(), c.Eof) << c.Move;
    EXPECT_EQ(data->RecNo(), 1) << c.Move;
    EXPECT_EQ(Name(data), "a") << c.Move;
  }
}

TEST_P(DataSetCases, MoveByRecNoAndRecordCount) {
  TDataSet* data = People({"a", "b", "c", "d"});
  EXPECT_EQ(data->RecordCount(), 4);
  EXPECT_EQ(data->MoveBy(2), 2);
  EXPECT_EQ(data->RecNo(), 3);
  EXPECT_EQ(Name(data), "c");
  EXPECT_EQ(data->MoveBy(5), 1);
  EXPECT_TRUE(data->Eof());
  EXPECT_EQ(Name(data), "d");
  EXPECT_EQ(data->MoveBy(-9), -3);
  EXPECT_TRUE(data->Bof());
  EXPECT_EQ(Name(data), "a");
  data->SetRecNo(2);
  EXPECT_EQ(Name(data), "b");
  data->SetRecNo(99);
  EXPECT_EQ(Name(data), "d");
}

TEST_P(DataSetCases, EditPostAndCancel) {
  TDataSet* data = People({"a", "b"});
  data->Edit();
  EXPECT_EQ(data->State(), dsEdit);
  data->FieldByName("name").SetText("changed");
  data->Cancel();
  EXPECT_EQ(data->State(), dsBrowse);
  EXPECT_EQ(Name(data), "a");

  data->Edit();
  data->FieldByName("name").SetText("kept");
  data->FieldByName("qty").SetText(" 12 ");
  data->Post();
  data->Refresh();
  EXPECT_EQ(Name(data), "kept");
  EXPECT_EQ(data->FieldByName("qty").AsInteger(), 12);

  // Moving while editing posts first.
  data->Edit();
  data->FieldByName("name").SetText("posted by Next");
  data->Next();
  data->First();
  EXPECT_EQ(Name(data), "posted by Next");
  // Writing a field outside edit state raises; so does changing a read-only data set.
  EXPECT_THROW(data->FieldByName("name").SetText("x"), EDatabaseError);
  data->SetReadOnly(true);
  EXPECT_FALSE(data->FieldByName("name").CanModify());
  for (auto change : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Delete})
    EXPECT_THROW((data->*change)(), EDatabaseError);
  EXPECT_EQ(data->State(), dsBrowse);
}

TEST_P(DataSetCases, InsertAppendAndDelete) {
  TDataSet* data = People({"a", "b", "c"});
  data->Next();
  data->Insert();
  EXPECT_EQ(data->State(), dsInsert);
  EXPECT_EQ(data->RecNo(), 0);
  EXPECT_TRUE(data->FieldByName("name").IsNull());
  data->Cancel();
  EXPECT_EQ(Name(data), "b");  // a cancelled insert returns where it began

  data->Append();
  data->FieldByName("name").SetText("d");
  data->Post();
  EXPECT_EQ(Name(data), "d");
  EXPECT_EQ(data->RecNo(), 4);
  EXPECT_EQ(data->RecordCount(), 4);

  data->SetRecNo(2);
  data->Delete();
  EXPECT_EQ(Name(data), "c");  // the next record
  data->Last();
  data->Delete();
  EXPECT_EQ(Name(data), "c");  // at the end: the prior one
  EXPECT_TRUE(data->Eof());
  EXPECT_EQ(data->RecordCount(), 2);
  data->First();
  data->Delete();
  data->Delete();
  EXPECT_TRUE(data->IsEmpty() && data->Bof() && data->Eof());
}

TEST_P(DataSetCases, BookmarksSurviveDeletes) {
  TDataSet* data = People({"a", "b", "c"});
  data->Last();
  const TBookmark onC = data->GetBookmark();
  data->First();
  const TBookmark onA = data->GetBookmark();
  EXPECT_LT(TDataSet::CompareBookmarks(onA, onC), 0);
  data->Delete();
  EXPECT_FALSE(data->BookmarkValid(onA));
  EXPECT_THROW(data->GotoBookmark(onA), EDatabaseError);
  ASSERT_TRUE(data->BookmarkValid(onC));
  data->GotoBookmark(onC);
  EXPECT_EQ(Name(data), "c");
  EXPECT_EQ(data->RecNo(), 2);
}

TEST_P(DataSetCases, NullTypedAndBlobFields) {
  TDataSet* data = People({"a"});
  const std::string bytes("\x89PNG\0\r\n\x1a\0\xff", 10);
  data->Edit();
  data->FieldByName("photo").SetAsString(bytes);
  data->FieldByName("notes").SetText("line 1\r\nline 2\r\n");
  data->FieldByName("price").SetText("2.50");
  data->FieldByName("active").SetText("TRUE");
  data->FieldByName("born").SetText("1815-12-10");
  data->FieldByName("qty").SetText("");
  data->FieldByName(kOddName).SetText("");
  data->Post();
  data->Refresh();
  EXPECT_EQ(data->FieldByName("photo").AsString(), bytes);
  EXPECT_TRUE(data->FieldByName("photo").IsBlob());
  EXPECT_EQ(data->FieldByName("notes").Text(), "line 1\r\nline 2\r\n");
  EXPECT_EQ(data->FieldByName("price").Text(), "2.5");
  EXPECT_EQ(data->FieldByName("active").Text(), "True");
  EXPECT_EQ(data->FieldByName("born").Text(), "1815-12-10");
  EXPECT_TRUE(data->FieldByName("qty").IsNull());
  EXPECT_EQ(data->FieldByName("qty").Text(), "");
  EXPECT_TRUE(data->FieldByName(kOddName).IsNull());

  data->Edit();
  for (const auto& [field, text] : std::vector<std::pair<const char*, const char*>>{
           {"qty", "12x"}, {"price", "two"}, {"active", "maybe"}, {"born", "1815-02-30"}, {"born", "10.12.1815"}})
    EXPECT_THROW(data->FieldByName(field).SetText(text), EConvertError) << field << " " << text;
  data->FieldByName("photo").Clear();
  data->Post();
  EXPECT_TRUE(data->FieldByName("photo").IsNull());
  EXPECT_EQ(data->FieldByName("born").Text(), "1815-12-10");
}

TEST_P(DataSetCases, AFailedPostKeepsTheEditAndStoresNothing) {
  TDataSet* data = People({"a"});
  data->Append();
  data->FieldByName("qty").SetText("7");
  EXPECT_THROW(data->Post(), ERecordRefused);  // name is required: the user's to mend, a warning in the log
  EXPECT_EQ(data->State(), dsInsert);
  EXPECT_EQ(data->FieldByName("qty").Text(), "7");
  EXPECT_EQ(data->RecordCount(), 1);
  data->FieldByName("name").SetText("b");
  data->Post();
  EXPECT_EQ(data->RecordCount(), 2);
}

TEST_P(DataSetCases, InjectionTextIsData) {
  const std::string hostile = "x'); DROP TABLE people; --\"";
  TDataSet* data = People({"a"});
  data->Edit();
  data->FieldByName("name").SetText(hostile);
  data->FieldByName(kOddName).SetText(hostile.substr(0, 20));
  data->Post();
  data->Refresh();
  EXPECT_EQ(Name(data), hostile);
  EXPECT_EQ(data->FieldByName(kOddName).Text(), hostile.substr(0, 20));
  EXPECT_THROW(data->FieldByName("name\"; DROP TABLE people; --"), EDatabaseError);
  EXPECT_EQ(data->RecordCount(), 1);
  // A string field keeps at most Size characters.
  data->Edit();
  data->FieldByName("name").SetText(std::string(50, 'n'));
  EXPECT_EQ(Name(data).size(), 40u);
}

TEST_P(DataSetCases, FieldsOutliveCloseWithTheirHandlers) {
  TDataSet* data = People({"a"});
  TField* name = &data->FieldByName("name");
  name->OnGetText = [](TField&, std::string& text, bool displayText) {
    if (displayText) text = "[" + text + "]";
  };
  data->Close();
  EXPECT_TRUE(data->FindField("name") == name && name->IsNull());
  EXPECT_THROW(data->First(), EDatabaseError);
  data->Open();
  EXPECT_EQ(&data->FieldByName("NAME"), name);
  EXPECT_EQ(name->DisplayText() + name->Text(), "[a]a");
}

// Counts what a link is told.
class TCountingLink : public TDataLink {
 public:
  int Changes = 0, Actives = 0, Editings = 0;

 protected:
  void DataEvent(TDataEvent event, std::intptr_t info) override {
    TDataLink::DataEvent(event, info);
    if (event == deDataSetChange || event == deDataSetScroll) ++Changes;
  }
  void ActiveChanged() override { ++Actives; }
  void EditingChanged() override { ++Editings; }
};

TEST_P(DataSetCases, LinksHearChangesUnlessDisabledAndForgetFreedSources) {
  TDataSet* data = People({"a", "b", "c"});
  auto* source = TComponent::Create<TDataSource>(mOwner.get());
  source->SetDataSet(data);
  TCountingLink link;
  link.SetDataSource(source);
  EXPECT_TRUE(link.Active());
  data->DisableControls();
  data->Next();
  data->Next();
  EXPECT_EQ(link.Changes, 0);
  data->EnableControls();
  EXPECT_EQ(link.Changes, 1);
  source->Edit();
  EXPECT_EQ(data->State(), dsEdit);
  EXPECT_EQ(link.Editings, 1);
  data->Cancel();
  source->SetAutoEdit(false);
  source->Edit();
  EXPECT_EQ(data->State(), dsBrowse);

  data->Free();
  EXPECT_EQ(source->DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
  source->Free();
  EXPECT_EQ(link.DataSource(), nullptr);
}

TEST_P(DataSetCases, DetailFollowsItsMaster) {
  TDataSet* people = People({"a", "b"});
  for (const char* qty : {"1", "2"}) {
    people->Edit();
    people->FieldByName("qty").SetText(qty);
    people->Next();
  }
  TDataSet* orders = Open("orders");
  for (const auto& [cust, item] : std::vector<std::pair<const char*, const char*>>{
           {"1", "apple"}, {"99", "other"}, {"1", "pear"}}) {
    orders->Append();
    orders->FieldByName("custid").SetText(cust);
    orders->FieldByName("item").SetText(item);
    orders->Post();
  }
  auto* source = TComponent::Create<TDataSource>(mOwner.get());
  source->SetDataSet(people);
  people->First();
  orders->SetMasterSource(source);
  orders->SetMasterFields("custid=qty");
  EXPECT_EQ(orders->RecordCount(), 2);
  EXPECT_EQ(orders->FieldByName("item").Text(), "apple");
  ASSERT_EQ(people->GetDetailDataSets().size(), 1u);
  people->Next();
  EXPECT_TRUE(orders->IsEmpty());
  orders->Append();
  EXPECT_EQ(orders->FieldByName("custid").Text(), "2");
  orders->FieldByName("item").SetText("plum");
  people->First();  // the master's move posts the detail's new record
  people->Next();
  EXPECT_EQ(orders->RecordCount(), 1);
  EXPECT_EQ(orders->FieldByName("item").Text(), "plum");
  source->Free();  // the detail no longer filters
  EXPECT_EQ(orders->MasterSource(), nullptr);
  EXPECT_EQ(orders->RecordCount(), 4);
}

// A step past an end stops at the last record of the range and tells how many records it passed, however far
// it was asked to go.
TEST_P(DataSetCases, StepsPastAnEndCountOnlyTheRecordsOfTheRange) {
  TDataSet* people = People({"a"});
  people->Edit();
  people->FieldByName("qty").SetText("1");
  people->Post();
  TDataSet* orders = Open("orders");
  for (const auto& [cust, item] : std::vector<std::pair<const char*, const char*>>{
           {"1", "o1"}, {"99", "x"}, {"1", "o2"}, {"99", "y"}, {"1", "o3"}, {"1", "o4"}, {"99", "z"}}) {
    orders->Append();
    orders->FieldByName("custid").SetText(cust);
    orders->FieldByName("item").SetText(item);
    orders->Post();
  }
  auto* source = TComponent::Create<TDataSource>(mOwner.get());
  source->SetDataSet(people);
  orders->SetMasterSource(source);
  orders->SetMasterFields("custid=qty");
  struct TCase {
    int Distance, Moved;
    const char* Item;
    int RecNo;
    bool Bof, Eof;
  } cases[] = {
      {10, 3, "o4", 4, false, true},
      {-2, -2, "o2", 2, false, false},
      {std::numeric_limits<int>::min(), -1, "o1", 1, true, false},
      {2, 2, "o3", 3, false, false},
      {std::numeric_limits<int>::max(), 1, "o4", 4, false, true},
      {-3, -3, "o1", 1, false, false},
      {-1, 0, "o1", 1, true, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Distance);
    EXPECT_EQ(orders->MoveBy(c.Distance), c.Moved);
    EXPECT_EQ(orders->FieldByName("item").Text(), c.Item);
    EXPECT_EQ(orders->RecNo(), c.RecNo);
    EXPECT_EQ(orders->Bof(), c.Bof);
    EXPECT_EQ(orders->Eof(), c.Eof);
  }
}

INSTANTIATE_TEST_SUITE_P(Storage, DataSetCases,
                         ::testing::Values(TBackend{"Memory", MakeMem}, TBackend{"SQLite", MakeSQLite}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Stepping past an end costs what a step within costs: the data set counts the records it passes, never those
// before the cursor, which are as many as its position in a large table.
class TPositionCountingDataSet : public TMemDataSet {
  KX_COMPONENT_CLASS(TPositionCountingDataSet, TMemDataSet)

 public:
  int PositionCounts = 0;

 protected:
  std::int64_t CountRows(const TBookmark& beforeKey) override {
    ++PositionCounts;
    return TMemDataSet::CountRows(beforeKey);
  }
};

TEST(DataSetCost, StepsPastAnEndCountNoRecordsBeforeTheCursor) {
  TOwnedComponent<TPositionCountingDataSet> data(TComponent::Create<TPositionCountingDataSet>(nullptr));
  data->AddField("name", ftString, 10);
  data->Open();
  for (const char* name : {"a", "b", "c", "d", "e"}) data->AddRecord({name});
  data->SetRecNo(4);
  data->PositionCounts = 0;
  EXPECT_EQ(data->MoveBy(100), 1);
  EXPECT_EQ(data->MoveBy(-100), -4);
  EXPECT_EQ(data->PositionCounts, 0);
}

}  // namespace
}  // namespace kx
