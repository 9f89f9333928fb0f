// Data sets: a cursor over the records of a table (TDataSet) with its fields (TField), the data source that
// controls look through (TDataSource) and the link a control keeps to it (TDataLink).
//
// A data set holds one record at a time: the current one. Records are ordered by a 64-bit key and every move
// asks the storage for the record next to a key (keyset paging), so a cursor never holds a whole table; a
// bookmark is a key. The storage is a subclass's: TMemDataSet keeps its rows in memory, TSQLiteDataSet reads
// and writes a table of an SQLite file. Both follow the semantics written here; one table of cases tests both.
//
//   BOF and EOF are both true on an empty set; First sets BOF, Last sets EOF; Next on the last record sets EOF
//   and stays; Prior on the first sets BOF. Moving or refreshing while editing posts first. A new record (Insert
//   or Append) takes its place by key once posted, that is at the end. A failed post raises and leaves the data
//   set in edit or insert state with the values typed so far.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kx/platform/Components.h"

namespace kx {

// Errors of data sets and fields: unknown field, not editing, read-only, conversion, storage failures.
KX_DECLARE_EXCEPTION(EDatabaseError, Exception);
// A save or delete the data refuses: a required field left empty, a constraint of the storage, a record another user
// changed or removed meanwhile. What a user did, not a fault of the program.
class ERecordRefused : public EDatabaseError, public TClientCaused {
 public:
  using EDatabaseError::EDatabaseError;
};

enum TFieldType : std::uint8_t {
  ftString, ftInteger, ftFloat, ftBoolean, ftDate, ftTime, ftDateTime, ftMemo, ftBlob, ftGraphic,
};
enum TDataSetState : std::uint8_t { dsInactive, dsBrowse, dsEdit, dsInsert };
enum TDataEvent : std::uint8_t {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
  deUpdateState, deCheckBrowseMode,
};

// A stored value: its canonical text (see TField), or nothing for Null.
using TFieldValue = std::optional<std::string>;
// The key of a record; no value for "no record".
using TBookmark = std::optional<std::int64_t>;

// The platform's "not editing" message.
inline constexpr const char* SNotEditing = "Data set not in edit or insert mode";

class TDataSet;
class TDataSource;
class TField;

// Produces a field's text instead of the default one; displayText tells DisplayText from the edit text.
using TFieldGetTextEvent = std::function<void(TField& sender, std::string& text, bool displayText)>;

// One column of the current record; owned by its data set. Canonical texts: integers in decimal, floats in the
// shortest form that reads back, booleans "True"/"False", dates "yyyy-mm-dd", times "hh:nn:ss", date-times
// "yyyy-mm-dd hh:nn:ss", blobs their bytes.
class TField {
 public:
  TField(TDataSet* dataSet, int index, std::string fieldName, TFieldType dataType, int size, bool required);
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  TDataSet* DataSet() const { return mDataSet; }
  int Index() const { return mIndex; }
  const std::string& FieldName() const { return mFieldName; }
  // DisplayLabel, or the field name when it is empty.
  const std::string& DisplayName() const { return mDisplayLabel.empty() ? mFieldName : mDisplayLabel; }
  void SetDisplayLabel(const std::string& value) { mDisplayLabel = value; }
  TFieldType DataType() const { return mDataType; }
  // The largest number of characters of a string field; 0 for no limit and for other types.
  int Size() const { return mSize; }
  // A post with this field null raises.
  bool Required() const { return mRequired; }
  // The value a new record starts with: the storage's default, which it also stores while the field is not
  // written; Null when there is none or the storage works it out at the insert (a time stamp).
  const TFieldValue& DefaultValue() const { return mDefault; }
  bool Visible() const { return mVisible; }
  void SetVisible(bool value) { mVisible = value; }
  bool ReadOnly() const { return mReadOnly; }
  void SetReadOnly(bool value) { mReadOnly = value; }
  // Memo, blob and graphic fields.
  bool IsBlob() const { return mDataType == ftMemo || mDataType == ftBlob || mDataType == ftGraphic; }
  // Neither the field nor its data set is read-only.
  bool CanModify() const;

  bool IsNull() const { return !Value().has_value(); }
  // The edit text: OnGetText's, else the canonical text ("" for Null).
  std::string Text() const;
  // Converts text to the field's type and stores it ("" stores Null, except in a blob field).
  void SetText(const std::string& text);
  // The text shown: OnGetText's with displayText set, else the canonical text.
  std::string DisplayText() const;
  // The canonical text ("" for Null), whatever OnGetText says.
  std::string AsString() const { return Value().value_or(std::string()); }
  void SetAsString(const std::string& value) { SetText(value); }
  // Raises EConvertError for a value that is not an integer.
  std::int64_t AsInteger() const;
  void SetAsInteger(std::int64_t value);
  // A boolean field's text is "True" or "False" (what a grid shows); SQLite stores 1 or 0, read back as these.
  bool AsBoolean() const { return Value() == "True"; }
  void SetAsBoolean(bool value) { Store(std::string(value ? "True" : "False")); }
  // Sets the field to Null.
  void Clear() { Store(std::nullopt); }
  // The value of the current record (of the edit buffer while editing).
  const TFieldValue& Value() const;

  TFieldGetTextEvent OnGetText;

  // The canonical text of text for this field's type; raises EConvertError naming the field when it is not one.
  TFieldValue Canonical(const std::string& text) const;

 private:
  friend class TDataSet;
  std::string GetText(bool displayText) const;
  void Store(TFieldValue value);

  TDataSet* mDataSet;
  int mIndex;
  std::string mFieldName;
  std::string mDisplayLabel;
  TFieldType mDataType;
  int mSize;
  bool mRequired;
  TFieldValue mDefault;
  bool mVisible = true;
  bool mReadOnly = false;
};

// A record as the storage hands it over: its key and one value per field.
struct TRecordRow {
  std::int64_t Key = 0;
  std::vector<TFieldValue> Values;
};

// The cursor. Subclasses supply the storage (the protected virtual part); everything else is here.
class TDataSet : public TComponent {
  KX_COMPONENT_CLASS(TDataSet, TComponent)

 public:
  TDataSet();

  // ---- opening
  bool Active() const { return mState != dsInactive; }
  void SetActive(bool value) { value ? Open() : Close(); }
  // Opens the storage, makes the fields and goes to the first record.
  void Open();
  // Drops a pending edit; the fields stay (their values are Null while closed).
  void Close();
  TDataSetState State() const { return mState; }
  // False by default: a read-only data set raises on Edit, Insert, Append and Delete.
  bool ReadOnly() const { return mReadOnly; }
  void SetReadOnly(bool value) { mReadOnly = value; }
  virtual bool CanModify() const { return !mReadOnly; }
  // Bookmarks can be gone back to (this cursor is never one-way).
  bool IsUniDirectional() const { return false; }

  // ---- fields
  int FieldCount() const { return static_cast<int>(mFields.size()); }
  TField& Fields(int index) const { return *mFields.at(index); }
  // The field of that name (ignoring case), or null.
  TField* FindField(const std::string& fieldName) const;
  // As FindField; raises EDatabaseError "Field 'name' not found" for an unknown name.
  TField& FieldByName(const std::string& fieldName) const;

  // ---- position
  bool Bof() const { return mBof; }
  bool Eof() const { return mEof; }
  bool IsEmpty() const { return Active() && !mCurrent && mState != dsInsert; }
  // The position of the current record from 1; 0 when there is none or it is a new record.
  int RecNo() const;
  // Goes to the record at that position (from 1), or to the last one when there are fewer.
  void SetRecNo(int value);
  int RecordCount() const;
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves distance records forward (backwards when negative) and returns how many it moved.
  int MoveBy(int distance);

  // ---- editing
  // Copies the current record into the edit buffer; on an empty set it inserts.
  void Edit();
  // Opens an empty record; it takes its place by key once posted.
  void Insert();
  void Append() { Insert(); }
  // Deletes the current record (a new one is just cancelled) and goes to the next, or the prior at the end.
  void Delete();
  // Writes the edit buffer. Raises when a required field is null or the storage refuses; the data set then stays
  // in edit or insert state with the buffer as it was.
  void Post();
  // Drops the edit buffer; a cancelled insert returns to the record current before it.
  void Cancel();
  // Reads the current record again (another session may have changed it); a deleted one gives way to the next.
  void Refresh();
  // Posts a pending edit; the links first write what they hold (deCheckBrowseMode).
  void CheckBrowseMode();

  // ---- controls
  // While disabled (counted), the links are told nothing; enabling tells them the whole set changed.
  void DisableControls() { ++mDisableCount; }
  void EnableControls();
  bool ControlsDisabled() const { return mDisableCount > 0; }

  // ---- bookmarks
  TBookmark GetBookmark() const { return Bookmark(); }
  // The key of the current record; none when there is none or it is new.
  TBookmark Bookmark() const;
  // Goes to the record; raises EDatabaseError "Record not found" when it is gone.
  void GotoBookmark(const TBookmark& bookmark);
  void FreeBookmark(TBookmark& bookmark) { bookmark.reset(); }
  bool BookmarkValid(const TBookmark& bookmark);
  // <0, 0, >0 as a lies before, at, after b; a missing bookmark comes first.
  static int CompareBookmarks(const TBookmark& a, const TBookmark& b);

  // ---- master and detail
  // A detail data set shows the records whose DetailField equals the master's MasterField of the current master
  // record; it follows the master's moves. MasterFields is "DetailField=MasterField", or one name for both.
  TDataSource* MasterSource() const;
  void SetMasterSource(TDataSource* value);
  const std::string& MasterFields() const { return mMasterFields; }
  void SetMasterFields(const std::string& value);
  // The data sets that have a data source of this one as their master source.
  std::vector<TDataSet*> GetDetailDataSets() const;

  // ---- sources (used by TDataSource)
  void AttachSource(TDataSource* source);
  void DetachSource(TDataSource* source);

 protected:
  // Where a read looks: the first or last record, the one with the key, or after/before the key.
  enum TSeek : std::uint8_t { skFirst, skLast, skAt, skAfter, skBefore };
  // A field the storage defines when it opens.
  struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftString;
    int Size = 0;
    bool Required = false;
    bool ReadOnly = false;
    // The storage's default for a field a new record leaves unassigned, as a text of the field's type (SetText
    // reads it), when it can be known before the insert; none for no default or one the storage works out.
    TFieldValue Default;
  };
  // The field whose value a detail data set must equal, and the value (kept for the storage to filter by).
  struct TRange {
    int FieldIndex = -1;
    TFieldValue Value;
  };

  ~TDataSet() override;
  void Dispose() override;

  // The storage. OpenStorage returns the fields; ReadRow reads the record seek names (skipping skip records
  // further in the direction of the seek) within the range, or returns false; CountRows counts the records of
  // the range, before the key when one is given; CountRowsPast counts those after the key (before it, backward),
  // stopping at limit, at the cost of reading that many. The writers raise EDatabaseError when the storage refuses;
  // InsertRow returns the new key. assigned tells which values the buffer set.
  virtual std::vector<TFieldDef> OpenStorage() = 0;
  virtual void CloseStorage() = 0;
  virtual bool ReadRow(TSeek seek, std::int64_t key, std::int64_t skip, TRecordRow& row) = 0;
  virtual std::int64_t CountRows(const TBookmark& beforeKey) = 0;
  virtual std::int64_t CountRowsPast(std::int64_t key, bool forward, std::int64_t limit) = 0;
  virtual std::int64_t InsertRow(const std::vector<TFieldValue>& values, const std::vector<bool>& assigned) = 0;
  virtual void UpdateRow(std::int64_t key, const std::vector<TFieldValue>& values,
                         const std::vector<bool>& changed) = 0;
  virtual void DeleteRow(std::int64_t key) = 0;

  // Makes the fields of defs, keeping those that are already there alike. Open calls it with OpenStorage's.
  void DefineFields(const std::vector<TFieldDef>& defs);
  // The range in force (detail data sets); none otherwise.
  const std::optional<TRange>& Range() const { return mRange; }
  // Tells every link about the event, unless controls are disabled.
  void DataEvent(TDataEvent event, std::intptr_t info = 0);
  void CheckActive() const;

 private:
  friend class TField;
  friend class TMasterDataLink;
  void SetState(TDataSetState state);
  void SetCurrent(std::optional<TRecordRow> row);
  bool Read(TSeek seek, std::int64_t key, std::int64_t skip);
  void CheckCanModify() const;
  void FieldChanged(TField& field);
  void MasterChanged();
  void ApplyRange();

  std::vector<std::unique_ptr<TField>> mFields;
  std::optional<TRecordRow> mCurrent;
  std::vector<TFieldValue> mBuffer;  // the current record's values, or the edited ones
  std::vector<bool> mModified;       // per field: written since Edit/Insert
  TBookmark mBeforeInsert;           // where Cancel of an insert returns
  TDataSetState mState = dsInactive;
  bool mBof = true;
  bool mEof = true;
  bool mReadOnly = false;
  int mDisableCount = 0;
  std::vector<TDataSource*> mSources;
  std::unique_ptr<class TMasterDataLink> mMasterLink;
  std::string mMasterFields;
  std::optional<TRange> mRange;
};

// The link of a control (or of a detail data set) to a data source. Not a component: its owner destroys it, and
// it leaves its data source then. A data source or data set that goes away tells its links (ActiveChanged), so
// a link never points to a freed one.
class TDataLink {
 public:
  TDataLink() = default;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;
  virtual ~TDataLink();

  TDataSource* DataSource() const { return mDataSource; }
  void SetDataSource(TDataSource* value);
  // The data source's data set, or null.
  TDataSet* DataSet() const;
  // The data set exists and is open.
  bool Active() const;
  // The data set is in edit or insert state.
  bool Editing() const;

 protected:
  // Dispatches: deUpdateState to ActiveChanged / EditingChanged when they changed, deLayoutChange to
  // LayoutChanged; every event reaches the override.
  virtual void DataEvent(TDataEvent event, std::intptr_t info);
  virtual void ActiveChanged() {}
  virtual void EditingChanged() {}
  virtual void LayoutChanged() {}

 private:
  friend class TDataSource;
  void StateChanged();

  TDataSource* mDataSource = nullptr;
  bool mActive = false;
  bool mEditing = false;
};

// What controls look through: one data set (not owned) and the links that watch it.
class TDataSource : public TComponent {
  KX_COMPONENT_CLASS(TDataSource, TComponent)

 public:
  TDataSet* DataSet() const { return mDataSet; }
  // Leaves the former data set and tells the links.
  void SetDataSet(TDataSet* value);
  // True by default: Edit puts a browsing data set into edit state.
  bool AutoEdit() const { return mAutoEdit; }
  void SetAutoEdit(bool value) { mAutoEdit = value; }
  // The data set's state; dsInactive without one.
  TDataSetState State() const { return mDataSet ? mDataSet->State() : dsInactive; }
  // With AutoEdit, calls Edit of a browsing data set.
  void Edit();

  // Used by TDataLink and TDataSet.
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);
  void NotifyLinks(TDataEvent event, std::intptr_t info);
  const std::vector<TDataLink*>& Links() const { return mLinks; }

 protected:
  void Dispose() override;

 private:
  TDataSet* mDataSet = nullptr;
  bool mAutoEdit = true;
  std::vector<TDataLink*> mLinks;
};

// The text of an identifier for SQL: in double quotes, inner quotes doubled.
std::string QuoteIdentifier(const std::string& name);

}  // namespace kx
