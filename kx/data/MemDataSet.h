// TMemDataSet: a data set whose records live in memory, ordered by a key it hands out itself. Deterministic and
// quick: the reference of the data-set semantics in tests, and the data of lists and look-ups.
//
//   auto* people = TComponent::Create<TMemDataSet>(owner);
//   people->AddField("name", ftString, 40, /*required=*/true);
//   people->Open();
//   people->Append(); people->FieldByName("name").SetText("Ada"); people->Post();
#pragma once

#include <map>

#include "kx/data/DataSets.h"

namespace kx {

class TMemDataSet : public TDataSet {
  KX_COMPONENT_CLASS(TMemDataSet, TDataSet)

 public:
  // Declares a field; raises EDatabaseError while the data set is open or for a name already declared.
  void AddField(const std::string& name, TFieldType dataType, int size = 0, bool required = false);
  // Adds a record with these values (texts in field order, converted as SetText does; missing ones Null) without
  // moving the cursor; the data set must be open.
  void AddRecord(const std::vector<TFieldValue>& values);
  // Drops every record (the fields stay).
  void EmptyDataSet();

 protected:
  std::vector<TFieldDef> OpenStorage() override { return mDefs; }
  void CloseStorage() override {}
  bool ReadRow(TSeek seek, std::int64_t key, std::int64_t skip, TRecordRow& row) override;
  std::int64_t CountRows(const TBookmark& beforeKey) override;
  std::int64_t CountRowsPast(std::int64_t key, bool forward, std::int64_t limit) override;
  std::int64_t InsertRow(const std::vector<TFieldValue>& values, const std::vector<bool>& assigned) override;
  void UpdateRow(std::int64_t key, const std::vector<TFieldValue>& values, const std::vector<bool>& changed) override;
  void DeleteRow(std::int64_t key) override;

 private:
  using TRows = std::map<std::int64_t, std::vector<TFieldValue>>;
  bool InRange(const std::vector<TFieldValue>& values) const;
  template <class It>
  bool TakeNth(It from, It to, std::int64_t skip, TRecordRow& row) const;

  std::vector<TFieldDef> mDefs;
  TRows mRows;
  std::int64_t mNextKey = 1;
};

}  // namespace kx
