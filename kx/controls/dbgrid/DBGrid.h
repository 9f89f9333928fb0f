// The data grid: the grid filled from a data set, one table row per record and one cell per visible column, with
// an optional title row, indicator column and footer rows. It shows at most RowLimit records: the page that
// holds the data set's current record, so that moving the record (a navigator, a row click) pages the grid. A
// page reads only its own records: the data set moves by key, it never loads the table.
//
//   auto* grid = TComponent::Create<TKXDBGrid>(this);
//   grid->SetParent(this);
//   grid->SetDataSource(customersSource);
//   grid->SetRowLimit(10);
//   grid->SetFromStart(false);
//   TKXDBGridColumn* name = grid->Columns().Add();
//   name->SetDataField("name");
//   name->SetLinkField("id");
//   name->OnClick = [](TObject*, const std::string& id) { ... };
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kx/controls/dbcontrols/DBCommon.h"
#include "kx/controls/grids/Grids.h"

namespace kx {

enum TKXDBGridOption : std::uint8_t { dgIndicator, dgShowTitles };
using TKXDBGridOptions = TEnumSet<TKXDBGridOption>;
enum TKXDBGridRefreshMode : std::uint8_t { rmAutomatic, rmAlways, rmManual };
enum THighlightCompare : std::uint8_t {
  hcNone, hcEqualTo, hcNotEqualTo, hcContains, hcDoesNotContain, hcGreaterThan, hcLessThan,
};

extern const char* const RSNoRefereshWhileInEdit;

class TKXDBGrid;
using TKXDBGridColumnClickEvent = std::function<void(TObject* sender, const std::string& value)>;

// A column: the field it shows, its title cell, and how its cells look and answer clicks.
class TKXDBGridColumn : public TKXGridCell {
 public:
  TKXDBGridColumn();

  const std::string& DataField() const { return FDataField; }
  // The title follows the field while it is empty or still names the former field.
  void SetDataField(const std::string& value);
  // The field whose text a click on the cell (or the row) submits.
  const std::string& LinkField() const { return FLinkField; }
  void SetLinkField(const std::string& value);
  // Owned, centred; SetTitle copies the cell.
  TKXGridCell& Title() { return *FTitle; }
  const TKXGridCell& Title() const { return *FTitle; }
  void SetTitle(const TKXGridCell& value);
  // The characters of a memo or blob shown, then "..."; 0 shows all.
  std::int32_t BlobCharLimit() const { return FBlobCharLimit; }
  void SetBlobCharLimit(std::int32_t value) { FBlobCharLimit = value; Invalidate(); }
  const std::string& CompareValue() const { return FCompareValue; }
  void SetCompareValue(const std::string& value) { FCompareValue = value; Invalidate(); }
  THighlightCompare CompareHighlight() const { return FCompareHighlight; }
  void SetCompareHighlight(THighlightCompare value) { FCompareHighlight = value; Invalidate(); }
  // False by default: the field's text is escaped for HTML; true writes it as markup.
  bool RawText() const { return FRawFieldText; }
  void SetRawText(bool value) { FRawFieldText = value; Invalidate(); }

  TKXDBGridColumnClickEvent OnClick;
  TNotifyEvent OnTitleClick;

  // The grid of the collection holding the column.
  TKXDBGrid* DBGrid() const;
  // The fields of DataField and LinkField, looked up on first use while the grid's data source is open; null
  // without a name. An unknown name raises the data set's field-not-found error.
  TField* Field();
  TField* LinkFieldObject();
  // Drops the looked-up fields.
  void ResetFields() { FField = FLink = nullptr; }

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  TField* LookUp(const std::string& name, TField*& cache);

  std::string FDataField;
  std::string FLinkField;
  std::unique_ptr<TKXGridCell> FTitle;
  std::int32_t FBlobCharLimit = 0;
  std::string FCompareValue;
  THighlightCompare FCompareHighlight = hcNone;
  bool FRawFieldText = false;
  TField* FField = nullptr;
  TField* FLink = nullptr;
};

class TKXDBGridColumns : public TKXGridCells {
 public:
  explicit TKXDBGridColumns(TKXDBGrid* grid);

  TKXDBGridColumn* Add() { return static_cast<TKXDBGridColumn*>(TCollection::Add()); }
  TKXDBGridColumn* Items(int index) const { return static_cast<TKXDBGridColumn*>(TCollection::Items(index)); }
  TKXDBGrid* Grid() const { return FGrid; }
  void ResetFields();

 private:
  TKXDBGrid* FGrid;
};

class TKXDBGrid : public TKXCustomGrid {
  KX_COMPONENT_CLASS(TKXDBGrid, TKXCustomGrid)

 public:
  TKXDBGridColumns& Columns() { return *FColumns; }
  // Copies the columns.
  void SetColumns(const TKXDBGridColumns& value);
  // Not owned; cleared when it is freed. The grid reads the data set when it renders; its data link marks it for
  // the next answer (a callback's too) whenever the data set changes, scrolls or changes state.
  TDataSource* DataSource() const { return FDataSource.Get(); }
  void SetDataSource(TDataSource* value);
  // [dgShowTitles] by default.
  TKXDBGridOptions Options() const { return FOptions; }
  void SetOptions(TKXDBGridOptions value) { SetProperty(FOptions, value); }
  // Records per page; 0 (the default) shows all.
  std::int32_t RowLimit() const { return FRowLimit; }
  void SetRowLimit(std::int32_t value) { SetProperty(FRowLimit, value); }
  // True by default: the page starts at the first record; false shows the page of the current record.
  bool FromStart() const { return FFromStart; }
  void SetFromStart(bool value) { SetProperty(FFromStart, value); }
  bool ScrollToCurrentRow() const { return FScrollToCurrentRow; }
  void SetScrollToCurrentRow(bool value) { SetProperty(FScrollToCurrentRow, value); }
  std::int32_t FooterRowCount() const { return FFooterRowCount; }
  void SetFooterRowCount(std::int32_t value) { SetProperty(FFooterRowCount, value); }
  // A link field makes the whole row clickable instead of the cell's text.
  bool RowClick() const { return FRowClick; }
  void SetRowClick(bool value) { SetProperty(FRowClick, value); }
  bool RollOver() const { return FRollOver; }
  void SetRollOver(bool value) { SetProperty(FRollOver, value); }
  TKXColor RollOverColor() const { return FRollOverColor; }
  void SetRollOverColor(TKXColor value) { SetProperty(FRollOverColor, value); }
  bool HighlightRows() const { return FHighlightRows; }
  void SetHighlightRows(bool value) { SetProperty(FHighlightRows, value); }
  TKXColor HighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TKXColor value) { SetProperty(FHighlightColor, value); }
  TKXColor RowHeaderColor() const { return FRowHeaderColor; }
  void SetRowHeaderColor(TKXColor value) { SetProperty(FRowHeaderColor, value); }
  TKXColor RowAlternateColor() const { return FRowAlternateColor; }
  void SetRowAlternateColor(TKXColor value) { SetProperty(FRowAlternateColor, value); }
  TKXColor RowCurrentColor() const { return FRowCurrentColor; }
  void SetRowCurrentColor(TKXColor value) { SetProperty(FRowCurrentColor, value); }
  // rmAutomatic by default: rows are rebuilt unless the data set is being edited.
  TKXDBGridRefreshMode RefreshMode() const { return FRefreshMode; }
  void SetRefreshMode(TKXDBGridRefreshMode value) { SetProperty(FRefreshMode, value); }

  // The number in the IDs of this grid's rows: six digits, unique in the process.
  std::uint32_t InstanceNumber() const { return FInstanceNumber; }
  // The ID of a data row.
  std::string RowID(std::int32_t row) const;
  // The number of the last data row rendered.
  std::int32_t LastRowRendered() const { return FLastRow; }

  // One column per visible field, when there is none.
  void CreateImplicitColumns();
  bool IsValidCell(const TKXGridCell* cell) const override;
  // "C<i>" fires column i's OnTitleClick; "<i>_<value>" its OnClick with value. A column index that is not a
  // number or not a column raises EConvertError or EKXSubmitRefused "Index out of bounds." (the client's doing).
  void Submit(const std::string& value) override;
  std::string GetSubmitParam() override { return FSubmitParam; }
  // A freed control leaves the columns that showed it.
  void Freeing(TObject* object) override;

 protected:
  // UseFrame on.
  void InitControl() override;
  // Rebuilds the kept rows when the refresh mode says so, then adds them to the table.
  void RenderCells(TKXCompContext* context, TKXHTMLTag* table) override;
  // Rebuilds the kept rows from the data set. Raises RSNoRefereshWhileInEdit while the data set edits.
  void RefreshData(TKXCompContext* context);

 private:
  void RenderTitleRow(TKXCompContext* context);
  void RenderDataRows(TKXCompContext* context, TDataSet& data);
  void RenderDataRow(TKXCompContext* context, TDataSet& data, std::int32_t row, bool current);
  void RenderFooterRows(TKXCompContext* context);
  // The cell text of a column for the current record (markup).
  std::string CellText(TKXCompContext* context, TKXDBGridColumn& column, int index, std::string* rowClick);
  bool IsHighlighted();
  void KeepRow(TKXHTMLTag& row);
  // The current record's row (the last kept one) rendered again as any other row, for while a record is inserted.
  void KeepCurrentRowUnmarked(TKXCompContext* context, TDataSet& data, std::int32_t row);

  std::unique_ptr<TKXDBGridColumns> FColumns;
  TComponentRef<TDataSource> FDataSource;
  std::unique_ptr<TKXDataLink> FLink;
  TKXDBGridOptions FOptions{dgShowTitles};
  std::int32_t FRowLimit = 0;
  bool FFromStart = true;
  bool FScrollToCurrentRow = false;
  std::int32_t FFooterRowCount = 0;
  bool FRowClick = false;
  bool FRollOver = false;
  TKXColor FRollOverColor = clNone;
  bool FHighlightRows = false;
  TKXColor FHighlightColor = clNone;
  TKXColor FRowHeaderColor = clNone;
  TKXColor FRowAlternateColor = clNone;
  TKXColor FRowCurrentColor = clNone;
  TKXDBGridRefreshMode FRefreshMode = rmAutomatic;
  std::uint32_t FInstanceNumber = 0;
  // The rows of the last refresh, as markup: rendered again while the data set is being edited.
  std::vector<std::string> FKeptRows;
  // The index of the current record's kept row (npos when none), and that row without the current row's marks.
  std::size_t FCurrentRowIndex = std::string::npos;
  std::string FCurrentRowUnmarked;
  std::int32_t FLastRow = 0;
  std::string FSubmitParam;
};

// The family's registration (the navigator's images), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& DBGridFamily();

}  // namespace kx
