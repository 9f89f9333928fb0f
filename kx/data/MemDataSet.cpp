#include "kx/data/MemDataSet.h"

#include "kx/platform/SysUtils.h"

namespace kx {

void TMemDataSet::AddField(const std::string& name, TFieldType dataType, int size, bool required) {
  if (Active()) throw EDatabaseError("Fields cannot be added to an open data set");
  for (const TFieldDef& def : mDefs)
    if (SameText(def.Name, name)) throw EDatabaseError(Format("Duplicate field name '%s'", name));
  mDefs.push_back(TFieldDef{name, dataType, size, required, false, std::nullopt});
  DefineFields(mDefs);
}

void TMemDataSet::AddRecord(const std::vector<TFieldValue>& values) {
  CheckActive();
  std::vector<TFieldValue> row(FieldCount());
  for (std::size_t i = 0; i < values.size() && i < row.size(); ++i)
    if (values[i]) row[i] = Fields(static_cast<int>(i)).Canonical(*values[i]);
  mRows.emplace(mNextKey++, std::move(row));
}

void TMemDataSet::EmptyDataSet() {
  mRows.clear();
  if (Active()) Refresh();
}

bool TMemDataSet::InRange(const std::vector<TFieldValue>& values) const {
  const auto& range = Range();
  if (!range) return true;
  // As in SQL, Null equals nothing.
  return range->Value && values[range->FieldIndex] == range->Value;
}

template <class It>
bool TMemDataSet::TakeNth(It from, It to, std::int64_t skip, TRecordRow& row) const {
  for (; from != to; ++from) {
    if (!InRange(from->second)) continue;
    if (skip-- > 0) continue;
    row.Key = from->first;
    row.Values = from->second;
    return true;
  }
  return false;
}

bool TMemDataSet::ReadRow(TSeek seek, std::int64_t key, std::int64_t skip, TRecordRow& row) {
  switch (seek) {
    case skFirst:
      return TakeNth(mRows.begin(), mRows.end(), skip, row);
    case skLast:
      return TakeNth(mRows.rbegin(), mRows.rend(), skip, row);
    case skAt: {
      auto it = mRows.find(key);
      return it != mRows.end() && TakeNth(it, std::next(it), 0, row);
    }
    case skAfter:
      return TakeNth(mRows.upper_bound(key), mRows.end(), skip, row);
    case skBefore:
      return TakeNth(std::make_reverse_iterator(mRows.lower_bound(key)), mRows.rend(), skip, row);
  }
  return false;
}

std::int64_t TMemDataSet::CountRows(const TBookmark& beforeKey) {
  std::int64_t count = 0;
  for (const auto& [key, values] : mRows) {
    if (beforeKey && key >= *beforeKey) break;
    if (InRange(values)) ++count;
  }
  return count;
}

std::int64_t TMemDataSet::CountRowsPast(std::int64_t key, bool forward, std::int64_t limit) {
  const auto count = [&](auto from, auto to) {
    std::int64_t count = 0;
    for (; from != to && count < limit; ++from)
      if (InRange(from->second)) ++count;
    return count;
  };
  return forward ? count(mRows.upper_bound(key), mRows.end())
                 : count(std::make_reverse_iterator(mRows.lower_bound(key)), mRows.rend());
}

std::int64_t TMemDataSet::InsertRow(const std::vector<TFieldValue>& values, const std::vector<bool>& assigned) {
  (void)assigned;
  mRows.emplace(mNextKey, values);
  return mNextKey++;
}

void TMemDataSet::UpdateRow(std::int64_t key, const std::vector<TFieldValue>& values,
                            const std::vector<bool>& changed) {
  auto it = mRows.find(key);
  if (it == mRows.end()) throw ERecordRefused("Record not found or changed by another user");
  for (std::size_t i = 0; i < values.size(); ++i)
    if (changed[i]) it->second[i] = values[i];
}

void TMemDataSet::DeleteRow(std::int64_t key) {
  if (mRows.erase(key) == 0) throw ERecordRefused("Record not found or changed by another user");
}

}  // namespace kx
