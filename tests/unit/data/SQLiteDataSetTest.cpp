// What only the SQLite data set has: a file shared by connections, its constraints, its locks.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <thread>

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
  TSQLiteConnection* Connect(bool shared = false) {
    auto* db = TComponent::Create<TSQLiteConnection>(mOwner.get());
    db->SetFileName(mFile);
    db->SetShared(shared);
    db->Open();
    return db;
  }
  static std::size_t OpenDescriptors() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
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

// Each session's form opened a connection of its own: two descriptors per session, for as long as it lived. Shared
// connections to one file are one SQLite connection, whose users see each other's posts at once.
TEST_F(SQLiteDataSetTest, SharedConnectionsToAFileAreOneSQLiteConnection) {
  TSQLiteConnection* first = Connect(true);
  const std::size_t descriptorsOfOne = OpenDescriptors();
  std::vector<TSQLiteDataSet*> sessions;
  for (int i = 0; i < 20; ++i) {
    TSQLiteConnection* db = Connect(true);
    EXPECT_EQ(db->Handle(), first->Handle());
    sessions.push_back(Customers(db));
  }
  EXPECT_EQ(OpenDescriptors(), descriptorsOfOne);
  EXPECT_NE(mFirst->Handle(), first->Handle()) << "a connection not shared has its own";
  EXPECT_THROW(first->SetShared(false), EDatabaseError);

  sessions[0]->Edit();
  sessions[0]->FieldByName("name").SetText("Ada B.");
  sessions[1]->Last();
  sessions[1]->Edit();
  sessions[1]->FieldByName("name").SetText("Bob B.");
  EXPECT_EQ(sessions[2]->FieldByName("name").Text(), "Ada") << "an edit stays its data set's until posted";
  sessions[0]->Post();
  sessions[1]->Post();
  sessions[2]->Refresh();
  EXPECT_EQ(sessions[2]->FieldByName("name").Text(), "Ada B.");
  sessions[2]->Last();
  EXPECT_EQ(sessions[2]->FieldByName("name").Text(), "Bob B.");

  // The SQLite connection stays while a user is left, and closes with the last.
  first->Close();
  for (std::size_t i = 0; i + 1 < sessions.size(); ++i) sessions[i]->Connection()->Free();
  EXPECT_EQ(sessions.back()->RecordCount(), 2);
  sessions.back()->Connection()->Free();
  EXPECT_LT(OpenDescriptors(), descriptorsOfOne);
}

// Sessions run on threads of their own: a statement or a transaction holds the shared connection, so one thread's
// statements never enter another's transaction and LastInsertRowId is the thread's own insert.
TEST_F(SQLiteDataSetTest, ThreadsTakeTurnsOnASharedConnection) {
  constexpr int kThreads = 4, kRounds = 25;
  mFirst->Execute("CREATE TABLE marks (id INTEGER PRIMARY KEY, thread INTEGER NOT NULL)");
  std::vector<TSQLiteConnection*> connections;
  std::vector<TSQLiteDataSet*> customers;
  for (int t = 0; t < kThreads; ++t) {
    connections.push_back(Connect(true));
    customers.push_back(Customers(connections.back()));
  }
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      try {
        for (int round = 0; round < kRounds; ++round) {
          connections[t]->InTransaction([&] {
            connections[t]->Execute("INSERT INTO marks (thread) VALUES (?)", {std::to_string(t)});
            const auto own = connections[t]->Execute("SELECT thread FROM marks WHERE id = ?",
                                                     {std::to_string(connections[t]->LastInsertRowId())});
            if (own.at(0).at(0) != std::to_string(t)) throw Exception("another thread's row");
          });
          customers[t]->Append();
          customers[t]->FieldByName("name").SetText("t" + std::to_string(t));
          customers[t]->Post();
          customers[t]->First();
        }
      } catch (const std::exception& e) {
        failures[t] = e.what();
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<std::string>(kThreads));
  EXPECT_EQ(mSecond->Execute("SELECT COUNT(*) FROM marks")[0][0], std::to_string(kThreads * kRounds));
  EXPECT_EQ(mSecond->Execute("SELECT COUNT(*) FROM customers")[0][0], std::to_string(2 + kThreads * kRounds));
}

// A file replaced under a shared connection fails its users' posts, as one of their own would; a connection opened
// since takes what is at the path now rather than the stale one.
TEST_F(SQLiteDataSetTest, ASharedConnectionOpenedAfterTheFileWasReplacedTakesTheNewFile) {
  TSQLiteDataSet* before = Customers(Connect(true));
  Cleanup();  // the file with its log, as an operator puts another in its place
  Connect()->Execute("CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(40))");
  TSQLiteConnection* since = Connect(true);
  EXPECT_NE(since->Handle(), before->Connection()->Handle());
  TSQLiteDataSet* after = Customers(since);
  after->Append();
  after->FieldByName("name").SetText("Cy");
  after->Post();
  EXPECT_EQ(Connect(true)->Handle(), since->Handle());
  before->Edit();
  before->FieldByName("name").SetText("Ada B.");
  EXPECT_THROW(before->Post(), EDatabaseError);
  EXPECT_EQ(Connect()->Execute("SELECT name FROM customers"), (std::vector<std::vector<TFieldValue>>{{"Cy"}}));
}

}  // namespace
}  // namespace kx
