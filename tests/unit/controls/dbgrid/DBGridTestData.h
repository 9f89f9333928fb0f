// A numbered data set on a form, for the navigator and data grid tests.
#pragma once

#include <string>

#include "kx/controls/dbgrid/DBGrid.h"
#include "kx/controls/dbgrid/DBNavigator.h"
#include "kx/data/MemDataSet.h"
#include "support/TestForms.h"

namespace kx::test {

// Counts the rows the storage hands over, to show that a page reads only its own records.
class TCountingDataSet : public TMemDataSet {
  KX_COMPONENT_CLASS(TCountingDataSet, TMemDataSet)

 public:
  int RowsRead = 0;

 protected:
  bool ReadRow(TSeek seek, std::int64_t key, std::int64_t skip, TRecordRow& row) override {
    ++RowsRead;
    return TMemDataSet::ReadRow(seek, key, skip, row);
  }
};

// "Numbers" with id (1..count), name ("Name <id>") and notes (a memo); its source is "NumbersSource".
inline TDataSource* NumbersSource(TFormFixture& f, int count) {
  auto* numbers = f.Add<TCountingDataSet>("Numbers", f.Form);
  numbers->AddField("id", ftInteger);
  numbers->AddField("name", ftString);
  numbers->AddField("notes", ftMemo);
  numbers->Open();
  for (int i = 1; i <= count; ++i)
    numbers->AddRecord({std::to_string(i), "Name " + std::to_string(i), "notes of " + std::to_string(i)});
  numbers->Refresh();
  numbers->First();
  auto* source = f.Add<TDataSource>("NumbersSource", f.Form);
  source->SetDataSet(numbers);
  return source;
}

}  // namespace kx::test
