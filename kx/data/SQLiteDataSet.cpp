#include "kx/data/SQLiteDataSet.h"

#include <sqlite3.h>

#include <cmath>
#include <map>
#include <string_view>

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// A broken constraint (NOT NULL, UNIQUE, CHECK, a foreign key) is the data refusing a record, not a fault.
[[noreturn]] void RaiseSQLite(sqlite3* db, const std::string& context) {
  const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
  std::string text = context.empty() ? message : context + ": " + message;
  if (db && (sqlite3_extended_errcode(db) & 0xFF) == SQLITE_CONSTRAINT) throw ERecordRefused(std::move(text));
  throw EDatabaseError(std::move(text));
}

// The value of a column's DEFAULT (the text table_info gives) when it is a literal: a number, a string, TRUE or
// FALSE, read as the column will hold it. None for NULL and for an expression (CURRENT_TIMESTAMP, a function, a
// term in parentheses), which the database works out at the insert.
TFieldValue LiteralDefault(const std::string& text, TFieldType type) {
  const std::string value = Trim(text);
  if (value.empty() || type == ftBlob || type == ftGraphic) return std::nullopt;
  if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
    std::string unquoted;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
      unquoted += value[i];
      if (value[i] == '\'') ++i;  // '' stands for one quote
    }
    return unquoted;
  }
  if (SameText(value, "TRUE")) return std::string("1");
  if (SameText(value, "FALSE")) return std::string("0");
  double number = 0;
  const bool numeric = std::string_view("+-.0123456789").find(value.front()) != std::string_view::npos;
  if (!numeric || !TryStrToFloat(value, number)) return std::nullopt;
  // A BOOLEAN column holds the number: any but 0 reads as true.
  if (type == ftBoolean) return std::string(number != 0 ? "1" : "0");
  // An INTEGER column stores a whole number written with a point or an exponent as an integer ("2.0" is 2).
  if (type == ftInteger && value.find_first_of(".eE") != std::string::npos && number == std::trunc(number) &&
      std::fabs(number) < 9e18)
    return IntToStr(static_cast<std::int64_t>(number));
  return value;
}

// Whether the file the connection opened is no longer the one at its path (deleted, renamed or replaced). An
// in-memory database has no file to ask about (SQLITE_NOTFOUND).
bool FileHasMoved(TSQLiteHandle& handle) {
  const std::lock_guard<std::recursive_mutex> lock(handle.Lock);
  int moved = 0;
  return sqlite3_file_control(handle.Db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
}

// The shared connections by file name, under their own lock; an entry expires with its last user.
std::mutex gSharedHandlesLock;
std::map<std::string, std::weak_ptr<TSQLiteHandle>> gSharedHandles;

}  // namespace

// ---------------------------------------------------------------------------
// TSQLiteConnection

TSQLiteHandle::~TSQLiteHandle() { sqlite3_close_v2(Db); }

void TSQLiteConnection::SetFileName(const std::string& value) {
  if (Connected()) throw EDatabaseError("Cannot change the file of an open connection");
  mFileName = value;
}

void TSQLiteConnection::SetBusyTimeout(std::chrono::milliseconds value) {
  mBusyTimeout = value;
  if (!mHandle) return;
  const auto lock = Lock();
  sqlite3_busy_timeout(Handle(), static_cast<int>(value.count()));
}

void TSQLiteConnection::SetShared(bool value) {
  if (Connected()) throw EDatabaseError("Cannot share or unshare an open connection");
  mShared = value;
}

void TSQLiteConnection::Open() {
  if (mHandle) return;
  if (mFileName.empty()) throw EDatabaseError("No database file name given");
  mHandle = mShared ? SharedHandle() : OpenHandle();
}

std::shared_ptr<TSQLiteHandle> TSQLiteConnection::OpenHandle() const {
  auto handle = std::make_shared<TSQLiteHandle>();
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(mFileName.c_str(), &handle->Db, flags, nullptr) != SQLITE_OK)
    throw EDatabaseError(Format("Cannot open database '%s': %s", mFileName,
                                handle->Db ? sqlite3_errmsg(handle->Db) : "out of memory"));
  sqlite3_busy_timeout(handle->Db, static_cast<int>(mBusyTimeout.count()));
  sqlite3_extended_result_codes(handle->Db, 1);
  // Readers do not block the writer, and a writer waits BusyTimeout for another before it fails.
  for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA foreign_keys=ON"})
    if (sqlite3_exec(handle->Db, pragma, nullptr, nullptr, nullptr) != SQLITE_OK) RaiseSQLite(handle->Db, "");
  return handle;
}

// The registry's lock is not held while a connection's is taken or a file opened: a thread inside a transaction of
// one shared connection may open another.
std::shared_ptr<TSQLiteHandle> TSQLiteConnection::SharedHandle() const {
  std::unique_lock<std::mutex> registry(gSharedHandlesLock);
  const std::shared_ptr<TSQLiteHandle> known = gSharedHandles[mFileName].lock();
  registry.unlock();
  // A file replaced under the shared connection: its users keep failing their posts, as an own connection would;
  // a new user opens what is at the path now.
  if (known && !FileHasMoved(*known)) return known;
  std::shared_ptr<TSQLiteHandle> opened = OpenHandle();
  registry.lock();
  std::weak_ptr<TSQLiteHandle>& slot = gSharedHandles[mFileName];
  if (std::shared_ptr<TSQLiteHandle> other = slot.lock(); other && other != known) return other;  // opened meanwhile
  slot = opened;
  return opened;
}

void TSQLiteConnection::Close() { mHandle.reset(); }

void TSQLiteConnection::Dispose() {
  Close();
  TComponent::Dispose();
}

std::unique_lock<std::recursive_mutex> TSQLiteConnection::Lock() const {
  if (!mHandle) throw EDatabaseError("The database connection is not open");
  return std::unique_lock<std::recursive_mutex>(mHandle->Lock);
}

std::vector<std::vector<TFieldValue>> TSQLiteConnection::Execute(const std::string& sql,
                                                                 const std::vector<TFieldValue>& params) {
  TSQLiteStatement statement(*this, sql);
  for (std::size_t i = 0; i < params.size(); ++i) statement.Bind(static_cast<int>(i + 1), params[i], ftString);
  std::vector<std::vector<TFieldValue>> rows;
  while (statement.Step()) {
    std::vector<TFieldValue> row;
    for (int c = 0; c < statement.ColumnCount(); ++c) row.push_back(statement.Column(c, ftBlob));
    rows.push_back(std::move(row));
  }
  return rows;
}

void TSQLiteConnection::InTransaction(const std::function<void()>& body) {
  // Held here, so that a Close in body leaves the lock and the rollback their connection.
  const std::shared_ptr<TSQLiteHandle> handle = mHandle;
  if (!handle) throw EDatabaseError("The database connection is not open");
  const std::lock_guard<std::recursive_mutex> lock(handle->Lock);
  // Before the transaction and again before its commit: a file moved meanwhile takes no write.
  CheckFileInPlace();
  // IMMEDIATE takes the write lock at once, so a busy database fails here rather than halfway.
  Execute("BEGIN IMMEDIATE");
  try {
    body();
    CheckFileInPlace();
    Execute("COMMIT");
  } catch (...) {
    sqlite3_exec(handle->Db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

// A file deleted, renamed or replaced under the open connection still takes its writes, which no later connection
// to the path ever reads.
void TSQLiteConnection::CheckFileInPlace() {
  if (mHandle && FileHasMoved(*mHandle))
    throw EDatabaseError(Format("The database file '%s' was deleted or replaced while open: nothing was saved",
                                mFileName));
}

std::int64_t TSQLiteConnection::LastInsertRowId() const {
  if (!mHandle) return 0;
  const auto lock = Lock();
  return sqlite3_last_insert_rowid(Handle());
}

int TSQLiteConnection::Changes() const {
  if (!mHandle) return 0;
  const auto lock = Lock();
  return sqlite3_changes(Handle());
}

// ---------------------------------------------------------------------------
// TSQLiteStatement

TSQLiteStatement::TSQLiteStatement(TSQLiteConnection& connection, const std::string& sql)
    : mConnection(connection), mLock(connection.Lock()) {
  if (sqlite3_prepare_v2(connection.Handle(), sql.c_str(), static_cast<int>(sql.size()), &mStatement, nullptr) !=
      SQLITE_OK)
    RaiseSQLite(connection.Handle(), "");
}

TSQLiteStatement::~TSQLiteStatement() { sqlite3_finalize(mStatement); }

void TSQLiteStatement::Bind(int index, const TFieldValue& value, TFieldType type) {
  int rc = SQLITE_OK;
  if (!value) {
    rc = sqlite3_bind_null(mStatement, index);
  } else {
    std::int64_t integer = 0;
    double real = 0;
    switch (type) {
      case ftInteger:
        rc = TryStrToInt64(*value, integer) ? sqlite3_bind_int64(mStatement, index, integer)
                                             : sqlite3_bind_text(mStatement, index, value->data(),
                                                                 static_cast<int>(value->size()), SQLITE_TRANSIENT);
        break;
      case ftFloat:
        rc = TryStrToFloat(*value, real) ? sqlite3_bind_double(mStatement, index, real)
                                          : sqlite3_bind_text(mStatement, index, value->data(),
                                                              static_cast<int>(value->size()), SQLITE_TRANSIENT);
        break;
      case ftBoolean:
        rc = sqlite3_bind_int(mStatement, index, *value == "True" ? 1 : 0);
        break;
      case ftBlob:
      case ftGraphic:
        rc = sqlite3_bind_blob64(mStatement, index, value->data(), value->size(), SQLITE_TRANSIENT);
        break;
      default:
        rc = sqlite3_bind_text64(mStatement, index, value->data(), value->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
  }
  if (rc != SQLITE_OK) RaiseSQLite(mConnection.Handle(), "");
}

void TSQLiteStatement::BindInteger(int index, std::int64_t value) {
  if (sqlite3_bind_int64(mStatement, index, value) != SQLITE_OK) RaiseSQLite(mConnection.Handle(), "");
}

bool TSQLiteStatement::Step() {
  const int rc = sqlite3_step(mStatement);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  RaiseSQLite(mConnection.Handle(), "");
}

int TSQLiteStatement::ColumnCount() const { return sqlite3_column_count(mStatement); }

std::int64_t TSQLiteStatement::ColumnInteger(int index) const { return sqlite3_column_int64(mStatement, index); }

TFieldValue TSQLiteStatement::Column(int index, TFieldType type) const {
  const int storage = sqlite3_column_type(mStatement, index);
  if (storage == SQLITE_NULL) return std::nullopt;
  if (type == ftBoolean && (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT))
    return std::string(sqlite3_column_int64(mStatement, index) != 0 ? "True" : "False");
  if (type == ftInteger && storage == SQLITE_INTEGER) return IntToStr(sqlite3_column_int64(mStatement, index));
  if (type == ftFloat && (storage == SQLITE_FLOAT || storage == SQLITE_INTEGER))
    return FloatToStr(sqlite3_column_double(mStatement, index));
  if (storage == SQLITE_BLOB) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(mStatement, index));
    return std::string(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(mStatement, index)));
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(mStatement, index));
  return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(mStatement, index)));
}

// ---------------------------------------------------------------------------
// TSQLiteDataSet

void TSQLiteDataSet::SetConnection(TSQLiteConnection* value) {
  if (value == mConnection) return;
  if (Active()) Close();
  if (mConnection) RemoveFreeNotification(mConnection);
  mConnection = value;
  if (mConnection) FreeNotification(mConnection);
}

void TSQLiteDataSet::Notification(TComponent* component, TOperation operation) {
  TDataSet::Notification(component, operation);
  if (operation == opRemove && component == mConnection) {
    if (Active()) Close();
    mConnection = nullptr;
  }
}

void TSQLiteDataSet::SetTableName(const std::string& value) {
  if (Active()) throw EDatabaseError("Cannot change the table of an open data set");
  mTableName = value;
}

TSQLiteConnection& TSQLiteDataSet::CheckConnection() const {
  if (!mConnection || !mConnection->Connected()) throw EDatabaseError(Format("%s: no open connection", Name()));
  return *mConnection;
}

TFieldType TSQLiteDataSet::FieldTypeOf(const std::string& declaredType, int& size) {
  const std::string type = UpperCase(declaredType);
  size = 0;
  auto has = [&](const char* part) { return type.find(part) != std::string::npos; };
  if (has("BOOL")) return ftBoolean;
  if (has("DATETIME") || has("TIMESTAMP")) return ftDateTime;
  if (has("DATE")) return ftDate;
  if (has("TIME")) return ftTime;
  if (has("INT")) return ftInteger;
  if (has("REAL") || has("FLOA") || has("DOUB") || has("NUMERIC") || has("DECIMAL")) return ftFloat;
  if (has("BLOB") || type.empty()) return ftBlob;
  if (has("CHAR")) {
    const std::size_t open = type.find('(');
    if (open != std::string::npos) size = StrToIntDef(Trim(type.substr(open + 1, type.find(')') - open - 1)), 0);
    return ftString;
  }
  return ftMemo;  // TEXT, CLOB and anything else: text without a length
}

std::vector<TDataSet::TFieldDef> TSQLiteDataSet::OpenStorage() {
  TSQLiteConnection& db = CheckConnection();
  const auto columns =
      db.Execute("SELECT name, type, \"notnull\", pk, dflt_value FROM pragma_table_info(?)", {mTableName});
  if (columns.empty()) throw EDatabaseError(Format("Table '%s' not found", mTableName));
  mDefs.clear();
  mKey = "rowid";
  int primaryKeys = 0;
  for (const auto& column : columns)
    if (column[3] && *column[3] != "0") ++primaryKeys;
  for (const auto& column : columns) {
    TFieldDef def;
    def.Name = column[0].value_or("");
    const std::string declared = column[1].value_or("");
    def.DataType = FieldTypeOf(declared, def.Size);
    // A NOT NULL column with a default takes that default when a new record leaves it unassigned.
    const bool hasDefault = column[4] && !SameText(Trim(*column[4]), "NULL");
    def.Required = column[2] && *column[2] != "0" && !hasDefault;
    if (hasDefault) def.Default = LiteralDefault(*column[4], def.DataType);
    // An INTEGER PRIMARY KEY names the row id: the key, given by the database.
    if (primaryKeys == 1 && column[3] && *column[3] != "0" && SameText(Trim(declared), "INTEGER")) {
      mKey = def.Name;
      def.ReadOnly = true;
      def.Required = false;
    }
    mDefs.push_back(def);
  }
  return mDefs;
}

std::string TSQLiteDataSet::SelectList() const {
  std::string list = QuoteIdentifier(mKey);
  for (const TFieldDef& def : mDefs) list += ", " + QuoteIdentifier(def.Name);
  return "SELECT " + list + " FROM " + QuoteIdentifier(mTableName) + " ";
}

std::string TSQLiteDataSet::Where(const std::string& condition) const {
  std::string where;
  if (Range()) where = QuoteIdentifier(mDefs[Range()->FieldIndex].Name) + " = ?";
  if (!condition.empty()) where += (where.empty() ? "" : " AND ") + condition;
  return where.empty() ? std::string() : "WHERE " + where + " ";
}

int TSQLiteDataSet::BindRange(TSQLiteStatement& statement) const {
  if (!Range()) return 1;
  statement.Bind(1, Range()->Value, mDefs[Range()->FieldIndex].DataType);
  return 2;
}

bool TSQLiteDataSet::ReadRow(TSeek seek, std::int64_t key, std::int64_t skip, TRecordRow& row) {
  TSQLiteConnection& db = CheckConnection();
  const std::string k = QuoteIdentifier(mKey);
  std::string sql = SelectList();
  switch (seek) {
    case skFirst: sql += Where("") + "ORDER BY " + k + " ASC"; break;
    case skLast: sql += Where("") + "ORDER BY " + k + " DESC"; break;
    case skAt: sql += Where(k + " = ?"); break;
    case skAfter: sql += Where(k + " > ?") + "ORDER BY " + k + " ASC"; break;
    case skBefore: sql += Where(k + " < ?") + "ORDER BY " + k + " DESC"; break;
  }
  sql += " LIMIT 1 OFFSET ?";
  TSQLiteStatement statement(db, sql);
  int next = BindRange(statement);
  if (seek == skAt || seek == skAfter || seek == skBefore) statement.BindInteger(next++, key);
  statement.BindInteger(next, seek == skAt ? 0 : skip);
  if (!statement.Step()) return false;
  row.Key = statement.ColumnInteger(0);
  row.Values.clear();
  for (std::size_t i = 0; i < mDefs.size(); ++i)
    row.Values.push_back(statement.Column(static_cast<int>(i + 1), mDefs[i].DataType));
  return true;
}

std::int64_t TSQLiteDataSet::CountRows(const TBookmark& beforeKey) {
  TSQLiteConnection& db = CheckConnection();
  TSQLiteStatement statement(db, "SELECT COUNT(*) FROM " + QuoteIdentifier(mTableName) + " " +
                                     Where(beforeKey ? QuoteIdentifier(mKey) + " < ?" : ""));
  const int next = BindRange(statement);
  if (beforeKey) statement.BindInteger(next, *beforeKey);
  statement.Step();
  return statement.ColumnInteger(0);
}

std::int64_t TSQLiteDataSet::CountRowsPast(std::int64_t key, bool forward, std::int64_t limit) {
  TSQLiteConnection& db = CheckConnection();
  TSQLiteStatement statement(db, "SELECT COUNT(*) FROM (SELECT 1 FROM " + QuoteIdentifier(mTableName) + " " +
                                     Where(QuoteIdentifier(mKey) + (forward ? " > ?" : " < ?")) + "LIMIT ?)");
  int next = BindRange(statement);
  statement.BindInteger(next++, key);
  statement.BindInteger(next, limit);
  statement.Step();
  return statement.ColumnInteger(0);
}

std::int64_t TSQLiteDataSet::InsertRow(const std::vector<TFieldValue>& values, const std::vector<bool>& assigned) {
  TSQLiteConnection& db = CheckConnection();
  std::string names, marks;
  std::vector<std::size_t> bound;
  for (std::size_t i = 0; i < mDefs.size(); ++i) {
    if (!assigned[i]) continue;  // the column's default applies
    names += (names.empty() ? "" : ", ") + QuoteIdentifier(mDefs[i].Name);
    marks += marks.empty() ? "?" : ", ?";
    bound.push_back(i);
  }
  const std::string sql = "INSERT INTO " + QuoteIdentifier(mTableName) +
                          (bound.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")");
  std::int64_t key = 0;
  db.InTransaction([&] {
    TSQLiteStatement statement(db, sql);
    for (std::size_t b = 0; b < bound.size(); ++b)
      statement.Bind(static_cast<int>(b + 1), values[bound[b]], mDefs[bound[b]].DataType);
    statement.Step();
    key = db.LastInsertRowId();
  });
  return key;
}

void TSQLiteDataSet::UpdateRow(std::int64_t key, const std::vector<TFieldValue>& values,
                               const std::vector<bool>& changed) {
  TSQLiteConnection& db = CheckConnection();
  std::string assignments;
  std::vector<std::size_t> bound;
  for (std::size_t i = 0; i < mDefs.size(); ++i) {
    if (!changed[i]) continue;
    assignments += (assignments.empty() ? "" : ", ") + QuoteIdentifier(mDefs[i].Name) + " = ?";
    bound.push_back(i);
  }
  if (bound.empty()) return;
  db.InTransaction([&] {
    TSQLiteStatement statement(db, "UPDATE " + QuoteIdentifier(mTableName) + " SET " + assignments + " WHERE " +
                                       QuoteIdentifier(mKey) + " = ?");
    for (std::size_t b = 0; b < bound.size(); ++b)
      statement.Bind(static_cast<int>(b + 1), values[bound[b]], mDefs[bound[b]].DataType);
    statement.BindInteger(static_cast<int>(bound.size() + 1), key);
    statement.Step();
    if (db.Changes() == 0) throw ERecordRefused("Record not found or changed by another user");
  });
}

void TSQLiteDataSet::DeleteRow(std::int64_t key) {
  TSQLiteConnection& db = CheckConnection();
  db.InTransaction([&] {
    TSQLiteStatement statement(db, "DELETE FROM " + QuoteIdentifier(mTableName) + " WHERE " + QuoteIdentifier(mKey) +
                                       " = ?");
    statement.BindInteger(1, key);
    statement.Step();
    if (db.Changes() == 0) throw ERecordRefused("Record not found or changed by another user");
  });
}

}  // namespace kx
