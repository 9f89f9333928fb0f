// What only the SQLite data set has: a file shared by connections, its constraints, its locks.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "kx/data/SQLiteDataSet.h"
#include "support/Raised.h"

namespace kx {
namespace {

class SQLiteDataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mFile = (std::filesystem::temp_directory_path() / ("kx-sqlite-" + std::to_string(::getpid()) + ".db")).string();
    Cleanup();
    mOwner.reset(TComponent::Create<TComponent>(nullptr));
    mFirst = Connect();
    mFirst->Execute("CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL, "
                    "email VARCHAR(60) UNIQUE)");
    mFirst->Execute("INSERT INTO customers (name, email) VALUES (?, ?), (?, ?)", {"Ada", "ada@x", "Bob", "bob@x"});
    mSecond = Connect();
  }
  void TearDown() override {
    mOwner.reset();
    Cleanup();
  }
  void Cleanup() {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(mFile + suffix);
  }
  TSQLiteConnection* Connect() {
    auto* db = TComponent::Create<TSQLiteConnection>(mOwner.get());
    db->SetFileName(mFile);
    db->Open();
    return db;
  }
  TSQLiteDataSet* Customers(TSQLiteConnection* db) {
    auto* data = TComponent::Create<TSQLiteDataSet>(mOwner.get());
    data->SetConnection(db);
    data->SetTableName("customers");
    data->Open();
    return data;
  }

  std::string mFile;
  TOwnedComponent<TComponent> mOwner;
  TSQLiteConnection* mFirst = nullptr;
  TSQLiteConnection* mSecond = nullptr;
};

TEST_F(SQLiteDataSetTest, OpensInWriteAheadModeWithTheKeyReadOnlyAndRefusesAnUnknownTable) {
  EXPECT_EQ(mFirst->Execute("PRAGMA journal_mode")[0][0], "wal");
  TSQLiteDataSet* data = Customers(mFirst);
  EXPECT_TRUE(data->FieldByName("id").ReadOnly());
  EXPECT_TRUE(data->FieldByName("name").Required());
  EXPECT_EQ(data->FieldByName("name").Size(), 40);
  EXPECT_EQ(data->Bookmark(), TBookmark(1));
  EXPECT_EQ(data->FieldByName("email").DataType(), ftString);

  auto* unknown = TComponent::Create<TSQLiteDataSet>(mOwner.get());
  unknown->SetConnection(mFirst);
  unknown->SetTableName("customers\"; DROP TABLE customers; --");
  EXPECT_THROW(unknown->Open(), EDatabaseError);
  EXPECT_EQ(data->RecordCount(), 2);
}

TEST_F(SQLiteDataSetTest, AViolatedConstraintKeepsTheEditAndTheStoredRecord) {
  TSQLiteDataSet* data = Customers(mFirst);
  data->Last();
  data->Edit();
  data->FieldByName("email").SetText("ada@x");
  try {
    data->Post();
    FAIL() << "the post went through";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("UNIQUE constraint failed"), std::string::npos) << e.what();
    EXPECT_TRUE(IsClientCaused(e)) << "a refused record is the user's, not a fault: ERecordRefused";
  }
  EXPECT_EQ(data->State(), dsEdit);
  EXPECT_EQ(data->FieldByName("email").Text(), "ada@x");
  EXPECT_EQ(mSecond->Execute("SELECT email FROM customers WHERE id = 2")[0][0], "bob@x");
}

TEST_F(SQLiteDataSetTest, ALockedDatabaseFailsThePostAndLosesNothing) {
  TSQLiteDataSet* data = Customers(mFirst);
  mFirst->SetBusyTimeout(std::chrono::milliseconds(50));
  data->Edit();
  data->FieldByName("name").SetText("Ada Lovelace");
  mSecond->Execute("BEGIN IMMEDIATE");
  mSecond->Execute("UPDATE customers SET name = 'Bob B.' WHERE id = 2");
  try {
    data->Post();
    FAIL() << "the post went through";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("database is locked"), std::string::npos) << e.what();
    EXPECT_FALSE(IsClientCaused(e)) << "a locked database is the operator's to see";
  }
  EXPECT_EQ(data->State(), dsEdit);
  EXPECT_EQ(data->FieldByName("name").Text(), "Ada Lovelace");
  mSecond->Execute("COMMIT");
  data->Post();
  EXPECT_EQ(mSecond->Execute("SELECT name FROM customers ORDER BY id"),
            (std::vector<std::vector<TFieldValue>>{{"Ada Lovelace"}, {"Bob B."}}));
}

// A save into a file deleted under the open connection was reported as saved and went to the unlinked file.
TEST_F(SQLiteDataSetTest, AFileGoneFromItsPathFailsThePostNamingIt) {
  const std::string old = mFile + ".old";
  // A trigger on the first connection's UPDATE moves the file inside the save's transaction, after its BEGIN.
  std::function<void()> moveInside = [&] {
    std::error_code failed;  // never thrown through SQLite's frames: a file left in place fails the row anyway
    std::filesystem::rename(mFile, old, failed);
  };
  const auto moveDuringTheUpdate = [&] {
    sqlite3_create_function(mFirst->Handle(), "move_file", 0, SQLITE_UTF8, &moveInside,
                            [](sqlite3_context* context, int, sqlite3_value**) {
                              (*static_cast<std::function<void()>*>(sqlite3_user_data(context)))();
                            },
                            nullptr, nullptr);
    mFirst->Execute("CREATE TEMP TRIGGER moving AFTER UPDATE ON customers BEGIN SELECT move_file(); END");
  };
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"deleted", [&] { Cleanup(); }},
      {"renamed", [&] { std::filesystem::rename(mFile, old); }},
      {"replaced", [&] { std::filesystem::rename(mFile, old), Connect()->Execute("CREATE TABLE t (a)"); }},
      {"renamed after BEGIN", moveDuringTheUpdate},
  };
  for (const auto& [what, change] : cases) {
    SCOPED_TRACE(what);
    TSQLiteDataSet* data = Customers(mFirst);
    data->Edit();
    data->FieldByName("name").SetText("Ada B.");
    change();
    EXPECT_EQ(test::MessageOf<EDatabaseError>([&] { data->Post(); }),
              "The database file '" + mFile + "' was deleted or replaced while open: nothing was saved");
    EXPECT_EQ(data->State(), dsEdit);
    Cleanup();
    std::filesystem::remove(old);
    SetUp();
  }
}

TEST_F(SQLiteDataSetTest, TheCursorSeesOtherConnectionsWithoutASnapshot) {
  TSQLiteDataSet* data = Customers(mFirst);
  mSecond->Execute("UPDATE customers SET name = 'Ada B.' WHERE id = 1");
  mSecond->Execute("INSERT INTO customers (name) VALUES ('Cy')");
  EXPECT_EQ(data->FieldByName("name").Text(), "Ada");  // the current record stays as read
  data->Refresh();
  EXPECT_EQ(data->FieldByName("name").Text(), "Ada B.");
  data->Last();
  EXPECT_EQ(data->FieldByName("name").Text(), "Cy");
  EXPECT_EQ(data->RecNo(), 3);
}

TEST_F(SQLiteDataSetTest, ARecordDeletedElsewhereIsReportedNotRecreated) {
  TSQLiteDataSet* data = Customers(mFirst);
  data->Edit();
  data->FieldByName("name").SetText("Ada");
  data->FieldByName("email").SetText("new@x");
  mSecond->Execute("DELETE FROM customers WHERE id = 1");
  EXPECT_THROW(data->Post(), ERecordRefused);
  EXPECT_EQ(data->State(), dsEdit);
  data->Cancel();
  data->Refresh();
  EXPECT_EQ(data->FieldByName("name").Text(), "Bob");
  EXPECT_EQ(data->RecordCount(), 1);
}

// A NOT NULL column with a default is not required: a new record shows the default (what Post then stores) when it
// is a literal, and leaves an expression to the database.
TEST_F(SQLiteDataSetTest, ANewRecordShowsTheColumnDefaultsAndPostsThem) {
  const struct {
    const char* Column;
    bool Required;
    const char* Shown;   // the field's text on Insert
    const char* Stored;  // after Post; nullptr when the post is refused, "?" for a time stamp
  } cases[] = {
      {"done BOOLEAN NOT NULL DEFAULT 0", false, "False", "False"},
      {"active BOOLEAN NOT NULL DEFAULT 1", false, "True", "True"},
      {"flag BOOLEAN NOT NULL DEFAULT TRUE", false, "True", "True"},
      {"delivery VARCHAR(10) NOT NULL DEFAULT 'it''s'", false, "it's", "it's"},
      {"qty INTEGER NOT NULL DEFAULT -2", false, "-2", "-2"},
      {"count INTEGER NOT NULL DEFAULT 3.0", false, "3", "3"},
      {"price REAL DEFAULT 1.5", false, "1.5", "1.5"},
      {"stamp DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP", false, "", "?"},
      {"title VARCHAR(20) NOT NULL", true, "", nullptr},
      {"note TEXT NOT NULL DEFAULT NULL", true, "", nullptr},
  };
  int table = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Column);
    const std::string name = "t" + std::to_string(++table);
    mFirst->Execute("CREATE TABLE " + name + " (id INTEGER PRIMARY KEY, label VARCHAR(10), " + c.Column + ")");
    auto* data = TComponent::Create<TSQLiteDataSet>(mOwner.get());
    data->SetConnection(mFirst);
    data->SetTableName(name);
    data->Open();
    TField& field = data->Fields(2);
    EXPECT_EQ(field.Required(), c.Required);
    data->Insert();
    EXPECT_EQ(field.Text(), c.Shown);
    data->FieldByName("label").SetText("x");
    if (c.Stored == nullptr) {
      EXPECT_THROW(data->Post(), ERecordRefused);
      continue;
    }
    data->Post();
    if (std::string(c.Stored) == "?") {
      EXPECT_EQ(field.Text().size(), 19u) << field.Text();
    } else {
      EXPECT_EQ(field.Text(), c.Stored);
    }
  }
}

TEST_F(SQLiteDataSetTest, FreeingTheConnectionClosesItsDataSets) {
  TSQLiteDataSet* data = Customers(mSecond);
  mSecond->Free();
  EXPECT_FALSE(data->Active());
  EXPECT_EQ(data->Connection(), nullptr);
  EXPECT_THROW(data->Open(), EDatabaseError);
}

}  // namespace
}  // namespace kx
