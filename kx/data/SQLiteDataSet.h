// Data sets on SQLite. TSQLiteConnection is one open database file: a connection of its own, or with Shared one
// SQLite connection that every shared TSQLiteConnection of the process naming the same file uses in turn (one set of
// file descriptors however many sessions open it). TSQLiteDataSet is a cursor over one table of it, ordered by the
// table's row id. Every read fetches the one record next to a key (keyset paging); every write is a prepared
// statement with bound values and quoted names, one transaction per post. Nothing stays on the connection between
// two calls (no statement, no transaction), which is what lets sessions share it.
//
//   auto* db = TComponent::Create<TSQLiteConnection>(owner);
//   db->SetFileName("/var/lib/app/customers.db");
//   db->Open();
//   auto* customers = TComponent::Create<TSQLiteDataSet>(owner);
//   customers->SetConnection(db);
//   customers->SetTableName("customers");
//   customers->Open();
#pragma once

#include <chrono>
#include <memory>
#include <mutex>

#include "kx/data/DataSets.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kx {

// An open SQLite connection and the lock its users take turns by; closed when the last TSQLiteConnection using it
// lets it go. SQLite's own mutexes are off (multi-thread mode): this lock is what keeps two threads apart.
struct TSQLiteHandle {
  sqlite3* Db = nullptr;
  std::recursive_mutex Lock;
  ~TSQLiteHandle();
};

class TSQLiteConnection : public TComponent {
  KX_COMPONENT_CLASS(TSQLiteConnection, TComponent)

 public:
  const std::string& FileName() const { return mFileName; }
  // Raises EDatabaseError while connected.
  void SetFileName(const std::string& value);
  // How long a statement waits for another connection's lock before "database is locked"; 5 s by default.
  std::chrono::milliseconds BusyTimeout() const { return mBusyTimeout; }
  void SetBusyTimeout(std::chrono::milliseconds value);
  // False by default. True: Open takes the SQLite connection that the process's shared connections to FileName (as
  // written) have open, and opens one only when there is none or its file was deleted or replaced since. Its
  // settings (busy timeout, pragmas, temporary tables) are then every user's. Raises EDatabaseError while connected.
  bool Shared() const { return mShared; }
  void SetShared(bool value);
  bool Connected() const { return mHandle != nullptr; }
  // Opens (creating) the file, sets the busy timeout and write-ahead logging; raises EDatabaseError on failure.
  void Open();
  // A shared connection stays open for its other users.
  void Close();

  // Runs sql with the values bound to its "?" parameters in order (Null for none); returns the rows it produced,
  // each value as the text SQLite gives (blobs as their bytes). Raises EDatabaseError with SQLite's message.
  std::vector<std::vector<TFieldValue>> Execute(const std::string& sql, const std::vector<TFieldValue>& params = {});
  // Runs body in one transaction: committed when it returns, rolled back when it raises. Raises EDatabaseError
  // naming the file, and commits nothing, when the file at FileName is no longer the open one (deleted, renamed or
  // replaced since Open). The connection is locked throughout, so on a shared one no other user's statement enters
  // the transaction (one begun by Execute("BEGIN") has no such guard). A body that also uses another shared
  // connection can deadlock with a thread taking the two the other way round.
  void InTransaction(const std::function<void()>& body);
  // Of the connection's last statement: on a shared one, read them inside InTransaction or under Lock().
  std::int64_t LastInsertRowId() const;
  int Changes() const;
  // Holds the connection against its other users (a shared one's other threads) for a sequence of calls, as each
  // statement and InTransaction do; re-entrant; raises EDatabaseError when not connected. Handle() is used under
  // it, and the lock is released before Close.
  std::unique_lock<std::recursive_mutex> Lock() const;
  sqlite3* Handle() const { return mHandle ? mHandle->Db : nullptr; }

 protected:
  void Dispose() override;

 private:
  std::string mFileName;
  std::chrono::milliseconds mBusyTimeout{5000};
  bool mShared = false;
  std::shared_ptr<TSQLiteHandle> mHandle;

  std::shared_ptr<TSQLiteHandle> OpenHandle() const;
  std::shared_ptr<TSQLiteHandle> SharedHandle() const;
  void CheckFileInPlace();
};

// A prepared statement; finalised when it goes. It holds its connection's Lock() from preparing to finalising.
class TSQLiteStatement {
 public:
  TSQLiteStatement(TSQLiteConnection& connection, const std::string& sql);
  ~TSQLiteStatement();
  TSQLiteStatement(const TSQLiteStatement&) = delete;
  TSQLiteStatement& operator=(const TSQLiteStatement&) = delete;

  // Binds parameter index (from 1): Null, or the text as an integer, real, text or blob as type says.
  void Bind(int index, const TFieldValue& value, TFieldType type);
  void BindInteger(int index, std::int64_t value);
  // One step: true while a row is there; raises EDatabaseError on failure.
  bool Step();
  int ColumnCount() const;
  // The column as its canonical text for type, or Null.
  TFieldValue Column(int index, TFieldType type) const;
  std::int64_t ColumnInteger(int index) const;

 private:
  TSQLiteConnection& mConnection;
  std::unique_lock<std::recursive_mutex> mLock;  // before mStatement: released after the finalise
  sqlite3_stmt* mStatement = nullptr;
};

class TSQLiteDataSet : public TDataSet {
  KX_COMPONENT_CLASS(TSQLiteDataSet, TDataSet)

 public:
  TSQLiteConnection* Connection() const { return mConnection; }
  void SetConnection(TSQLiteConnection* value);
  const std::string& TableName() const { return mTableName; }
  // Raises EDatabaseError while open.
  void SetTableName(const std::string& value);

  // The field type of a declared column type ("VARCHAR(40)" gives ftString of size 40 through size).
  static TFieldType FieldTypeOf(const std::string& declaredType, int& size);

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  std::vector<TFieldDef> OpenStorage() override;
  void CloseStorage() override {}
  bool ReadRow(TSeek seek, std::int64_t key, std::int64_t skip, TRecordRow& row) override;
  std::int64_t CountRows(const TBookmark& beforeKey) override;
  std::int64_t CountRowsPast(std::int64_t key, bool forward, std::int64_t limit) override;
  std::int64_t InsertRow(const std::vector<TFieldValue>& values, const std::vector<bool>& assigned) override;
  void UpdateRow(std::int64_t key, const std::vector<TFieldValue>& values, const std::vector<bool>& changed) override;
  void DeleteRow(std::int64_t key) override;

 private:
  TSQLiteConnection& CheckConnection() const;
  // "WHERE <range> AND <condition>" or "WHERE <condition>"; binds the range value first when there is one.
  std::string Where(const std::string& condition) const;
  int BindRange(TSQLiteStatement& statement) const;
  std::string SelectList() const;

  TSQLiteConnection* mConnection = nullptr;
  std::string mTableName;
  std::vector<TFieldDef> mDefs;
  std::string mKey = "rowid";  // the row id, or the INTEGER PRIMARY KEY column that names it
};

}  // namespace kx
