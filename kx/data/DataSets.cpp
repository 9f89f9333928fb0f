#include "kx/data/DataSets.h"

#include <algorithm>

#include "kx/platform/DateUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "yyyy-mm-dd" naming a real day.
bool IsIsoDate(std::string_view s) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
  if (!AllDigits(s.substr(0, 4)) || !AllDigits(s.substr(5, 2)) || !AllDigits(s.substr(8, 2))) return false;
  TDateTime unused;
  return TryEncodeDate(StrToInt(s.substr(0, 4)), StrToInt(s.substr(5, 2)), StrToInt(s.substr(8, 2)), unused);
}

// "hh:nn:ss" within a day.
bool IsIsoTime(std::string_view s) {
  if (s.size() != 8 || s[2] != ':' || s[5] != ':') return false;
  if (!AllDigits(s.substr(0, 2)) || !AllDigits(s.substr(3, 2)) || !AllDigits(s.substr(6, 2))) return false;
  return StrToInt(s.substr(0, 2)) < 24 && StrToInt(s.substr(3, 2)) < 60 && StrToInt(s.substr(6, 2)) < 60;
}

[[noreturn]] void RaiseConversion(const std::string& text, const char* what, const TField& field) {
  throw EConvertError(Format("'%s' is not a valid %s value for field '%s'", text, what, field.FieldName()));
}

}  // namespace

std::string QuoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// ---------------------------------------------------------------------------
// TField

TField::TField(TDataSet* dataSet, int index, std::string fieldName, TFieldType dataType, int size, bool required)
    : mDataSet(dataSet), mIndex(index), mFieldName(std::move(fieldName)), mDataType(dataType),
      mSize(dataType == ftString ? size : 0), mRequired(required) {}

bool TField::CanModify() const { return !mReadOnly && mDataSet->CanModify(); }

const TFieldValue& TField::Value() const {
  static const TFieldValue kNull;
  if (!mDataSet->Active() || mIndex >= static_cast<int>(mDataSet->mBuffer.size())) return kNull;
  return mDataSet->mBuffer[mIndex];
}

std::string TField::GetText(bool displayText) const {
  std::string text = AsString();
  if (OnGetText) OnGetText(const_cast<TField&>(*this), text, displayText);
  return text;
}

std::string TField::Text() const { return GetText(false); }
std::string TField::DisplayText() const { return GetText(true); }

std::int64_t TField::AsInteger() const {
  std::int64_t value = 0;
  if (IsNull()) return 0;
  if (!TryStrToInt64(AsString(), value)) RaiseConversion(AsString(), "integer", *this);
  return value;
}

void TField::SetAsInteger(std::int64_t value) { SetText(IntToStr(value)); }

TFieldValue TField::Canonical(const std::string& text) const {
  switch (mDataType) {
    case ftString:
    case ftMemo:
      // An empty text is no value: a required field left empty is refused, not stored as "".
      if (text.empty()) return std::nullopt;
      return text;
    case ftBlob:
    case ftGraphic:
      return text;
    default:
      break;
  }
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  switch (mDataType) {
    case ftInteger: {
      std::int64_t value = 0;
      if (!TryStrToInt64(trimmed, value)) RaiseConversion(text, "integer", *this);
      return IntToStr(value);
    }
    case ftFloat: {
      double value = 0;
      if (!TryStrToFloat(trimmed, value)) RaiseConversion(text, "floating point", *this);
      return FloatToStr(value);
    }
    case ftBoolean:
      if (SameText(trimmed, "true") || trimmed == "1") return std::string("True");
      if (SameText(trimmed, "false") || trimmed == "0") return std::string("False");
      RaiseConversion(text, "boolean", *this);
    case ftDate:
      if (!IsIsoDate(trimmed)) RaiseConversion(text, "date", *this);
      return trimmed;
    case ftTime:
      if (!IsIsoTime(trimmed)) RaiseConversion(text, "time", *this);
      return trimmed;
    case ftDateTime:
      if (trimmed.size() == 10 && IsIsoDate(trimmed)) return trimmed + " 00:00:00";
      if (trimmed.size() != 19 || trimmed[10] != ' ' || !IsIsoDate(trimmed.substr(0, 10)) ||
          !IsIsoTime(trimmed.substr(11)))
        RaiseConversion(text, "date and time", *this);
      return trimmed;
    default:
      return text;
  }
}

void TField::SetText(const std::string& text) { Store(Canonical(text)); }

void TField::Store(TFieldValue value) {
  const TDataSetState state = mDataSet->State();
  if (state != dsEdit && state != dsInsert) throw EDatabaseError(SNotEditing);
  if (!CanModify()) throw EDatabaseError(Format("Field '%s' cannot be modified", mFieldName));
  if (value && mSize > 0 && static_cast<int>(value->size()) > mSize) value->resize(mSize);
  mDataSet->mBuffer[mIndex] = std::move(value);
  mDataSet->mModified[mIndex] = true;
  mDataSet->FieldChanged(*this);
}

// ---------------------------------------------------------------------------
// The link a detail data set keeps to its master source.

class TMasterDataLink : public TDataLink {
 public:
  explicit TMasterDataLink(TDataSet* detail) : mDetail(detail) {}
  TDataSet* Detail() const { return mDetail; }

 protected:
  void DataEvent(TDataEvent event, std::intptr_t info) override {
    TDataLink::DataEvent(event, info);
    // The master is about to post or move: the detail posts first, and a refusal stops the master.
    if (event == deCheckBrowseMode && mDetail->Active()) mDetail->CheckBrowseMode();
    if (event == deDataSetChange || event == deDataSetScroll || event == deRecordChange) mDetail->MasterChanged();
  }
  void ActiveChanged() override { mDetail->MasterChanged(); }

 private:
  TDataSet* mDetail;
};

// ---------------------------------------------------------------------------
// TDataSet

TDataSet::TDataSet() = default;
TDataSet::~TDataSet() = default;

void TDataSet::Dispose() {
  mMasterLink.reset();
  // The sources forget this data set and tell their links.
  for (TDataSource* source : std::vector<TDataSource*>(mSources)) source->SetDataSet(nullptr);
  if (Active()) {
    mState = dsInactive;
    CloseStorage();
  }
  TComponent::Dispose();
}

void TDataSet::CheckActive() const {
  if (!Active()) throw EDatabaseError(Format("Cannot perform this operation on a closed data set (%s)", Name()));
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) throw EDatabaseError(Format("Cannot modify a read-only data set (%s)", Name()));
}

void TDataSet::Open() {
  if (Active()) return;
  DefineFields(OpenStorage());
  mState = dsBrowse;
  ApplyRange();
  Read(skFirst, 0, 0);
  mBof = true;
  mEof = !mCurrent;
  DataEvent(deUpdateState);
  DataEvent(deLayoutChange);
  DataEvent(deDataSetChange);
}

void TDataSet::DefineFields(const std::vector<TFieldDef>& defs) {
  // Fields of the same name and type stay (with their handlers and settings), so that a reopened data set keeps
  // what its controls and its owner set on them.
  std::vector<std::unique_ptr<TField>> fields;
  for (const TFieldDef& def : defs) {
    std::unique_ptr<TField> field;
    for (auto& old : mFields)
      if (old && old->FieldName() == def.Name && old->DataType() == def.DataType && old->Size() == def.Size &&
          old->Required() == def.Required)
        field = std::move(old);
    if (!field) {
      field = std::make_unique<TField>(this, 0, def.Name, def.DataType, def.Size, def.Required);
      field->SetReadOnly(def.ReadOnly);
    }
    // A default that is no value of the field's type is not shown; the storage still applies it.
    field->mDefault.reset();
    try {
      if (def.Default) field->mDefault = field->Canonical(*def.Default);
    } catch (const EConvertError&) {
    }
    field->mIndex = static_cast<int>(fields.size());
    fields.push_back(std::move(field));
  }
  mFields = std::move(fields);
}

void TDataSet::Close() {
  if (!Active()) return;
  mState = dsInactive;
  mCurrent.reset();
  mBuffer.clear();
  mModified.clear();
  CloseStorage();
  mBof = mEof = true;
  DataEvent(deUpdateState);
}

TField* TDataSet::FindField(const std::string& fieldName) const {
  for (const auto& field : mFields)
    if (SameText(field->FieldName(), fieldName)) return field.get();
  return nullptr;
}

TField& TDataSet::FieldByName(const std::string& fieldName) const {
  TField* field = FindField(fieldName);
  if (!field) throw EDatabaseError(Format("Field '%s' not found", fieldName));
  return *field;
}

void TDataSet::SetState(TDataSetState state) {
  if (mState == state) return;
  mState = state;
  DataEvent(deUpdateState);
}

void TDataSet::SetCurrent(std::optional<TRecordRow> row) {
  mCurrent = std::move(row);
  mBuffer = mCurrent ? mCurrent->Values : std::vector<TFieldValue>(mFields.size());
  mBuffer.resize(mFields.size());
  mModified.assign(mFields.size(), false);
}

bool TDataSet::Read(TSeek seek, std::int64_t key, std::int64_t skip) {
  TRecordRow row;
  if (!ReadRow(seek, key, skip, row)) {
    if (seek == skFirst || seek == skLast || seek == skAt) SetCurrent(std::nullopt);
    return false;
  }
  SetCurrent(std::move(row));
  return true;
}

int TDataSet::RecNo() const {
  if (!Active() || !mCurrent || mState == dsInsert) return 0;
  return static_cast<int>(const_cast<TDataSet*>(this)->CountRows(mCurrent->Key) + 1);
}

int TDataSet::RecordCount() const {
  if (!Active()) return 0;
  return static_cast<int>(const_cast<TDataSet*>(this)->CountRows(std::nullopt));
}

void TDataSet::SetRecNo(int value) {
  CheckActive();
  CheckBrowseMode();
  if (value < 1) value = 1;
  if (!Read(skFirst, 0, value - 1)) Read(skLast, 0, 0);
  mBof = RecNo() <= 1;
  mEof = !mCurrent;
  DataEvent(deDataSetChange);
}

void TDataSet::First() {
  CheckActive();
  CheckBrowseMode();
  Read(skFirst, 0, 0);
  mBof = true;
  mEof = !mCurrent;
  DataEvent(deDataSetChange);
}

void TDataSet::Last() {
  CheckActive();
  CheckBrowseMode();
  Read(skLast, 0, 0);
  mEof = true;
  mBof = !mCurrent;
  DataEvent(deDataSetChange);
}

int TDataSet::MoveBy(int distance) {
  CheckActive();
  CheckBrowseMode();
  if (distance == 0 || !mCurrent) return 0;
  const std::int64_t from = mCurrent->Key;
  const bool forward = distance > 0;
  const std::int64_t steps = forward ? distance : -static_cast<std::int64_t>(distance);
  if ((forward && mEof) || (!forward && mBof)) return 0;
  // A move leaves both ends; running into one sets its flag.
  mBof = mEof = false;
  int moved = distance;
  if (!Read(forward ? skAfter : skBefore, from, steps - 1)) {
    // Fewer records than asked: stop at the last one there is. Those passed are counted from here, not by the
    // positions of both ends, which would count every record before them.
    const auto passed = static_cast<int>(CountRowsPast(from, forward, steps));
    Read(forward ? skLast : skFirst, 0, 0);
    moved = forward ? passed : -passed;
    (forward ? mEof : mBof) = true;
  }
  DataEvent(deDataSetScroll);
  return moved;
}

void TDataSet::Edit() {
  CheckActive();
  if (mState == dsEdit || mState == dsInsert) return;
  if (!mCurrent) return Insert();
  CheckCanModify();
  mModified.assign(mFields.size(), false);
  SetState(dsEdit);
}

void TDataSet::Insert() {
  CheckActive();
  CheckBrowseMode();
  CheckCanModify();
  mBeforeInsert = Bookmark();
  SetCurrent(std::nullopt);
  // What is shown is what a post stores: the defaults, which stay unassigned, so the storage applies its own.
  for (const auto& field : mFields) mBuffer[field->Index()] = field->mDefault;
  // A detail's new record belongs to the current master record.
  if (mRange && mRange->FieldIndex >= 0) {
    mBuffer[mRange->FieldIndex] = mRange->Value;
    mModified[mRange->FieldIndex] = true;
  }
  mBof = mEof = false;
  SetState(dsInsert);
  DataEvent(deDataSetChange);
}

void TDataSet::Post() {
  CheckActive();
  if (mState != dsEdit && mState != dsInsert) return;
  DataEvent(deUpdateRecord);
  for (const auto& field : mFields)
    if (field->Required() && !mBuffer[field->Index()] && !(mState == dsEdit && field->ReadOnly()))
      throw ERecordRefused(Format("Field '%s' must have a value", field->FieldName()));
  std::int64_t key = 0;
  if (mState == dsInsert) {
    key = InsertRow(mBuffer, mModified);
  } else {
    key = mCurrent->Key;
    if (std::find(mModified.begin(), mModified.end(), true) != mModified.end()) UpdateRow(key, mBuffer, mModified);
  }
  // What the storage holds now (defaults, conversions); the record may have left a detail's range.
  if (!Read(skAt, key, 0) && !Read(skAfter, key, 0)) Read(skLast, 0, 0);
  mBof = mEof = false;
  SetState(dsBrowse);
  DataEvent(deDataSetChange);
}

void TDataSet::Cancel() {
  CheckActive();
  if (mState == dsInsert) {
    if (!mBeforeInsert || !Read(skAt, *mBeforeInsert, 0)) Read(skFirst, 0, 0);
    mBof = !mCurrent;
    mEof = !mCurrent;
  } else if (mState == dsEdit) {
    SetCurrent(mCurrent);
  } else {
    return;
  }
  SetState(dsBrowse);
  DataEvent(deDataSetChange);
}

void TDataSet::Delete() {
  CheckActive();
  if (mState == dsInsert) return Cancel();
  if (!mCurrent) throw EDatabaseError(Format("Cannot perform this operation on an empty data set (%s)", Name()));
  CheckCanModify();
  const std::int64_t key = mCurrent->Key;
  DeleteRow(key);
  mState = dsBrowse;
  if (!Read(skAfter, key, 0)) {
    Read(skLast, 0, 0);
    mEof = true;
  }
  mBof = RecNo() <= 1;
  if (!mCurrent) mEof = true;
  DataEvent(deUpdateState);
  DataEvent(deDataSetChange);
}

void TDataSet::Refresh() {
  CheckActive();
  CheckBrowseMode();
  if (!mCurrent) {
    Read(skFirst, 0, 0);
  } else {
    const std::int64_t key = mCurrent->Key;
    if (!Read(skAt, key, 0) && !Read(skAfter, key, 0) && !Read(skBefore, key, 0)) SetCurrent(std::nullopt);
  }
  if (!mCurrent) mBof = mEof = true;
  DataEvent(deDataSetChange);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  if (mState != dsEdit && mState != dsInsert) return;
  DataEvent(deCheckBrowseMode);
  Post();
}

void TDataSet::EnableControls() {
  if (mDisableCount == 0) return;
  if (--mDisableCount == 0) {
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
  }
}

TBookmark TDataSet::Bookmark() const {
  if (!Active() || !mCurrent || mState == dsInsert) return std::nullopt;
  return mCurrent->Key;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  CheckActive();
  CheckBrowseMode();
  TRecordRow row;
  if (!bookmark || !ReadRow(skAt, *bookmark, 0, row)) throw EDatabaseError("Record not found");
  SetCurrent(std::move(row));
  mBof = mEof = false;
  DataEvent(deDataSetChange);
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) {
  TRecordRow row;
  return Active() && bookmark && ReadRow(skAt, *bookmark, 0, row);
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

void TDataSet::FieldChanged(TField& field) {
  DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(&field));
}

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info) {
  if (mDisableCount > 0) return;
  for (TDataSource* source : std::vector<TDataSource*>(mSources)) source->NotifyLinks(event, info);
}

void TDataSet::AttachSource(TDataSource* source) {
  if (std::find(mSources.begin(), mSources.end(), source) == mSources.end()) mSources.push_back(source);
}

void TDataSet::DetachSource(TDataSource* source) { std::erase(mSources, source); }

// ---- master and detail

TDataSource* TDataSet::MasterSource() const { return mMasterLink ? mMasterLink->DataSource() : nullptr; }

void TDataSet::SetMasterSource(TDataSource* value) {
  if (value && value->DataSet() == this) throw EDatabaseError("A data set cannot be its own master");
  if (!mMasterLink) mMasterLink = std::make_unique<TMasterDataLink>(this);
  // A master source that goes away unlinks itself (TDataSource::Dispose).
  mMasterLink->SetDataSource(value);
  MasterChanged();
}

void TDataSet::SetMasterFields(const std::string& value) {
  mMasterFields = value;
  MasterChanged();
}

std::vector<TDataSet*> TDataSet::GetDetailDataSets() const {
  std::vector<TDataSet*> details;
  for (TDataSource* source : mSources)
    for (TDataLink* link : source->Links())
      if (auto* master = dynamic_cast<TMasterDataLink*>(link)) details.push_back(master->Detail());
  return details;
}

// Recomputes the range from the master's current record; an open detail goes to its first record of it.
void TDataSet::ApplyRange() {
  mRange.reset();
  TDataSet* master = mMasterLink ? mMasterLink->DataSet() : nullptr;
  if (!master || mMasterFields.empty() || mFields.empty()) return;
  const std::size_t eq = mMasterFields.find('=');
  const std::string detailName = Trim(mMasterFields.substr(0, eq));
  const std::string masterName = eq == std::string::npos ? detailName : Trim(mMasterFields.substr(eq + 1));
  TRange range;
  range.FieldIndex = FieldByName(detailName).Index();
  if (master->Active() && master->State() != dsInsert) range.Value = master->FieldByName(masterName).Value();
  mRange = range;
}

void TDataSet::MasterChanged() {
  if (!Active()) return;
  // A pending edit of the detail belongs to the former master record: it is posted, not dropped.
  CheckBrowseMode();
  ApplyRange();
  Read(skFirst, 0, 0);
  mBof = true;
  mEof = !mCurrent;
  DataEvent(deDataSetChange);
}

// ---------------------------------------------------------------------------
// TDataLink

TDataLink::~TDataLink() {
  if (mDataSource) mDataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* value) {
  if (value == mDataSource) return;
  if (mDataSource) mDataSource->RemoveLink(this);
  mDataSource = value;
  if (mDataSource) mDataSource->AddLink(this);
  StateChanged();
}

TDataSet* TDataLink::DataSet() const { return mDataSource ? mDataSource->DataSet() : nullptr; }

bool TDataLink::Active() const {
  TDataSet* dataSet = DataSet();
  return dataSet && dataSet->Active();
}

bool TDataLink::Editing() const {
  TDataSet* dataSet = DataSet();
  return dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
}

void TDataLink::StateChanged() {
  const bool active = Active();
  const bool editing = Editing();
  if (active != mActive) {
    mActive = active;
    ActiveChanged();
  }
  if (editing != mEditing) {
    mEditing = editing;
    EditingChanged();
  }
}

void TDataLink::DataEvent(TDataEvent event, std::intptr_t info) {
  (void)info;
  if (event == deUpdateState) StateChanged();
  if (event == deLayoutChange) LayoutChanged();
}

// ---------------------------------------------------------------------------
// TDataSource

void TDataSource::SetDataSet(TDataSet* value) {
  if (value == mDataSet) return;
  if (mDataSet) mDataSet->DetachSource(this);
  mDataSet = value;
  if (mDataSet) mDataSet->AttachSource(this);
  for (TDataLink* link : std::vector<TDataLink*>(mLinks)) link->StateChanged();
}

void TDataSource::Edit() {
  if (mAutoEdit && State() == dsBrowse) mDataSet->Edit();
}

void TDataSource::AddLink(TDataLink* link) {
  if (std::find(mLinks.begin(), mLinks.end(), link) == mLinks.end()) mLinks.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link) { std::erase(mLinks, link); }

void TDataSource::NotifyLinks(TDataEvent event, std::intptr_t info) {
  for (TDataLink* link : std::vector<TDataLink*>(mLinks))
    if (std::find(mLinks.begin(), mLinks.end(), link) != mLinks.end()) link->DataEvent(event, info);
}

void TDataSource::Dispose() {
  SetDataSet(nullptr);
  // The links forget this source: each is told it is no longer active.
  for (TDataLink* link : std::vector<TDataLink*>(mLinks)) link->SetDataSource(nullptr);
  TComponent::Dispose();
}

}  // namespace kx
