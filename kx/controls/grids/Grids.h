// Grids: a control drawn as an HTML TABLE of cells, each with its own text,
// colours, alignment, size, font, hint and class, optionally a header cell,
// clickable (the click submits the row and column) or holding another control,
// which the grid renders inside the cell through its own container context.
// TKXCustomGrid is the base the calendar and the data grid build on
// (RenderCells, IsValidCell, Freeing, DoRender and the cell's RenderSelf and
// RenderControlForThisRow are their override points); TKXGrid is the grid an
// application fills cell by cell.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kx/controls/ControlFamily.h"
#include "kx/controls/grids/ControlContainer.h"
#include "kx/forms/Containers.h"
#include "kx/forms/CustomControl.h"
#include "kx/platform/Collections.h"

namespace kx {

class TKXCustomGrid;
class TKXGridCell;

enum TKXGridBorderStyle : std::uint8_t { tfDefault, tfVoid, tfAbove, tfBelow, tvHorizSides, tfVertSides, tfLeft, tfRight };
enum TKXGridLines : std::uint8_t { tlAll, tlNone, tlRows, tlCols };
enum TKXCellRenderOption : std::uint8_t { crAlign, crBGcolor, crCellPadding, crStyle, crValign };
using TKXCellRenderOptions = TEnumSet<TKXCellRenderOption>;
inline constexpr TKXCellRenderOptions kAllCellRenderOptions{crAlign, crBGcolor, crCellPadding, crStyle, crValign};

// "left", "right", "center", indexed by TAlignment.
extern const char* const KXGridAlignments[3];

// "vertical-align:middle;" and so on.
std::string RenderVerticalAlign(TKXVerticalAlignment alignment);
// "text-align:" + KXGridAlignments[alignment] + ";".
std::string RenderHorizontalAlign(TAlignment alignment);

using TKXOnRenderCell = std::function<void(TKXGridCell* cell, std::int32_t row, std::int32_t column)>;
using TKXOnCellClick = std::function<void(TObject* sender, std::int32_t row, std::int32_t column)>;
using TKXGetCellRenderOptionsEvent =
    std::function<void(TObject* sender, std::int32_t row, std::int32_t column, TKXCellRenderOptions& options)>;

// The colours of a grid's border (the table's legacy border colour attributes).
class TKXGridBorderColors : public TPersistent {
 public:
  // All three clNone.
  TKXGridBorderColors() = default;
  TKXGridBorderColors(TKXColor color, TKXColor light, TKXColor dark) : FColor(color), FLight(light), FDark(dark) {}

  TKXColor Color() const { return FColor; }
  void SetColor(TKXColor value) { FColor = value; }
  TKXColor Light() const { return FLight; }
  void SetLight(TKXColor value) { FLight = value; }
  TKXColor Dark() const { return FDark; }
  void SetDark(TKXColor value) { FDark = value; }

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  TKXColor FColor = clNone;
  TKXColor FLight = clNone;
  TKXColor FDark = clNone;
};

// ---------------------------------------------------------------------------

// One cell. Every setter whose value the cell shows invalidates the cell (and its grid) when the value changes.
class TKXGridCell : public TCollectionItem {
 public:
  TKXGridCell();
  // Frees the font, then takes the control out of the cell.
  ~TKXGridCell() override;

  // taLeftJustify by default.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  // clNone by default.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value);
  // False by default: a clickable cell shows its text as a link that submits "row_column".
  bool Clickable() const { return FClickable; }
  void SetClickable(bool value);
  // The control shown in the cell (not owned; null when freed). Raises Exception "You cannot assign the control
  // to itself" for the cell's own grid or a grid this cell belongs to.
  TKXCustomControl* Control() const { return FControl.Get(); }
  virtual void SetControl(TKXCustomControl* value);
  bool DesignMode() const { return FDesignMode; }
  void SetDesignMode(bool value) { FDesignMode = value; }
  // True by default.
  bool DoSubmitValidation() const { return FDoSubmitValidation; }
  void SetDoSubmitValidation(bool value) { FDoSubmitValidation = value; }
  // Owned; SetFont copies the font.
  TKXFont& Font() { return *FFont; }
  void SetFont(const TKXFont& value);
  // Renders as TH instead of TD.
  bool Header() const { return FHeader; }
  void SetHeader(bool value);
  // "0" by default: an integer of at least 0 or a percentage above 0, else Exception "\"%s\" is not a valid
  // height."; stored as given.
  const std::string& Height() const { return FHeight; }
  void SetHeight(const std::string& value);
  // True by default.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value);
  std::int32_t Tag() const { return FTag; }
  void SetTag(std::int32_t value) { FTag = value; }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& value);
  // Shown after the link of a clickable cell (escaped unless RawText).
  const std::string& UnlinkedText() const { return FUnlinkedText; }
  void SetUnlinkedText(const std::string& value);
  // vaMiddle by default.
  TKXVerticalAlignment VAlign() const { return FVAlign; }
  void SetVAlign(TKXVerticalAlignment value);
  // True by default.
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  // "0" by default: as Height, and also anything ending in "*"; else Exception "\"%s\" is not a valid width.".
  const std::string& Width() const { return FWidth; }
  void SetWidth(const std::string& value);
  // False by default: the cell does not wrap its text.
  bool Wrap() const { return FWrap; }
  void SetWrap(bool value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& value);
  // True by default: Text and UnlinkedText are markup, written as they are; false escapes them as HTML text.
  bool RawText() const { return FRawText; }
  void SetRawText(bool value);
  // The cell's CSS class.
  const std::string& Css() const { return FCss; }
  void SetCss(const std::string& value);

  TKXCustomGrid* Grid() const { return FGrid; }
  void SetGrid(TKXCustomGrid* value) { FGrid = value; }
  bool DoRefreshControl() const { return FDoRefreshControl; }
  void SetDoRefreshControl(bool value) { FDoRefreshControl = value; }

  // Marks the cell and invalidates its grid (or the owner of its collection).
  void Invalidate();
  // Text as markup: as it is with RawText, else escaped for HTML with line breaks.
  std::string TextAsMarkup(const std::string& text) const;

  // Whether the cell renders its control in this row: when it has one.
  virtual bool RenderControlForThisRow() { return Control() != nullptr; }
  // The cell's TD (or TH). text is markup put in the cell; empty means the cell's own Text (escaped unless
  // RawText). The control of the cell renders into a component context registered with containerContext.
  virtual TKXElementPtr<TKXHTMLTag> RenderSelf(TKXCustomGrid* grid, std::int32_t row, std::int32_t column,
                                               TKXCompContext* context, TKXContainerContext* containerContext,
                                               const std::string& text);

 protected:
  // To another cell: the shown properties, the control and the class.
  void AssignTo(TPersistent* dest) const override;
  // The control rendered into a component context of containerContext; null when it renders no tag.
  TKXElementPtr<TKXMarkupLanguageTag> RenderCellControl(TKXCompContext* context,
                                                        TKXContainerContext* containerContext);
  // The grid the cell takes part in: its grid, else the owner of its collection.
  TKXCustomGrid* OwnerGrid() const;

 private:
  template <class T, class V>
  void Change(T& field, V&& value) {
    AssignProperty(field, std::forward<V>(value), [this] { Invalidate(); });
  }
  void ReleaseControl();

  TKXCustomGrid* FGrid = nullptr;
  bool FDoRefreshControl = false;
  TAlignment FAlignment = taLeftJustify;
  TKXColor FBGColor = clNone;
  bool FClickable = false;
  TComponentRef<TKXCustomControl> FControl;
  bool FDesignMode = false;
  bool FDoSubmitValidation = true;
  std::unique_ptr<TKXFont> FFont;
  bool FHeader = false;
  std::string FHeight = "0";
  bool FShowHint = true;
  std::int32_t FTag = 0;
  std::string FText;
  std::string FUnlinkedText;
  TKXVerticalAlignment FVAlign = vaMiddle;
  bool FVisible = true;
  std::string FWidth = "0";
  bool FWrap = false;
  std::string FHint;
  bool FRawText = true;
  std::string FCss;
};

// The cells of a grid, owned by the grid.
class TKXGridCells : public TOwnedCollection {
 public:
  TKXGridCells(TPersistent* owner, TItemFactory itemFactory) : TOwnedCollection(owner, std::move(itemFactory)) {}

  TKXGridCell* Add() { return static_cast<TKXGridCell*>(TCollection::Add()); }
  bool DoRefreshControl() const { return FDoRefreshControl; }
  // Marks the collection and invalidates its owner when that is a control not being destroyed.
  void Invalidate();

 private:
  bool FDoRefreshControl = false;
};

// ---------------------------------------------------------------------------

// The grid base: a control that is also the container of the controls in its cells.
class TKXCustomGrid : public TKXControlContainer, public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXCustomGrid, TKXControlContainer)

 public:
  using TCellRow = std::vector<TKXGridCell*>;

  // Column numbers (decimal text, sorted) that are not rendered; SetHiddenColumns copies the list.
  TStringList& HiddenColumns() { return *FHiddenColumns; }
  void SetHiddenColumns(const TStrings& value);
  TNotifyEvent OnRender;
  // Owned.
  TKXGridBorderColors& BorderColors() { return *FBorderColors; }
  void SetBorderColors(const TKXGridBorderColors& value);
  // 1 by default; a negative size writes no border attribute.
  std::int32_t BorderSize() const { return FBorderSize; }
  void SetBorderSize(std::int32_t value) { SetProperty(FBorderSize, value); }
  // tfDefault by default.
  TKXGridBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TKXGridBorderStyle value) { SetProperty(FBorderStyle, value); }
  // clNone by default.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { SetProperty(FBGColor, value); }
  std::int32_t CellPadding() const { return FCellPadding; }
  void SetCellPadding(std::int32_t value) { SetProperty(FCellPadding, value); }
  std::int32_t CellSpacing() const { return FCellSpacing; }
  void SetCellSpacing(std::int32_t value) { SetProperty(FCellSpacing, value); }
  // 40 by default; subtracted from the calendar's width when it has a frame.
  std::int32_t FrameBuffer() const { return FFrameBuffer; }
  void SetFrameBuffer(std::int32_t value) { SetProperty(FFrameBuffer, value); }
  // tlAll by default.
  TKXGridLines Lines() const { return FLines; }
  void SetLines(TKXGridLines value) { SetProperty(FLines, value); }
  TKXOnRenderCell OnRenderCell;
  // Written as the table's summary attribute.
  const std::string& Summary() const { return FSummary; }
  void SetSummary(const std::string& value) { SetProperty(FSummary, value); }
  // True by default: the table gets the control's width.
  bool UseSize() const { return FUseSize; }
  void SetUseSize(bool value) { SetProperty(FUseSize, value); }
  // All five by default.
  TKXCellRenderOptions CellRenderOptions() const { return FCellRenderOptions; }
  void SetCellRenderOptions(TKXCellRenderOptions value) { SetProperty(FCellRenderOptions, value); }
  TKXGetCellRenderOptionsEvent OnGetCellRenderOptions;
  // The control's text, rendered as the table's CAPTION (escaped).
  const std::string& Caption() const { return Text(); }
  void SetCaption(const std::string& value) { SetText(value); }
  TKXFont& Font() { return WebFont(); }

  // The cell entries, [row][column]; an entry may be null.
  const std::vector<TCellRow>& Cells() const { return FCells; }

  // Fires OnRenderCell.
  void DoRenderCell(TKXGridCell* cell, std::int32_t row, std::int32_t column);
  // Removes the column number from HiddenColumns (visible) or adds it; invalidates.
  void SetColumnVisibility(std::int32_t column, bool visible);
  // The row exists and one of its cells exists and is visible.
  bool IsRowVisible(std::int32_t row) const;
  // Whether cell belongs to this grid (a grid may not be placed in its own cells).
  virtual bool IsValidCell(const TKXGridCell* cell) const = 0;
  // Raises Exception "Index out of bounds." unless HasCellIndex.
  void CheckCellIndex(std::int32_t row, std::int32_t column) const;
  // 0 <= row < row count and 0 <= column < column count.
  bool HasCellIndex(std::int32_t row, std::int32_t column) const;

  // ---- rendering
  // A DIV holding the TABLE, with the script that lays the table over the DIV; with UseFrame the TABLE alone.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // Adds the TABLE with its attributes, caption and cells to tag.
  virtual void RenderInnerHTML(TKXMarkupLanguageTag* tag, TKXCompContext* context);
  // "control" of type "KXGRID" holding the new TABLE; a second element for the TABLE's own properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;
  // The inherited one, then the parent container realigns.
  void SetVisible(bool value) override;

  // ---- IKXSubmitControl
  // "row_column" -> DoCellClick; a malformed value raises the conversion error, a cell outside the grid
  // EKXSubmitRefused "Index out of bounds." (both the client's doing).
  void Submit(const std::string& value) override;
  TSubmitProc getSubmitProc() override;
  std::string GetSubmitParam() override { return FSubmitParam; }

  // ---- IKXBaseContainer (the rest forwarded by TKXControlContainer)
  // OnRender, then DoRender of the containers among the cell controls.
  void DoRender() override;
  // The context the cells rendered their controls into (a new one before the first rendering), with a layout
  // that the grid owns until RenderComponents.
  std::unique_ptr<TKXContainerContext> InitContainerContext(TKXApplication* application) override;
  // The layout processes the cell controls for the page (their hidden inputs and scripts); nested containers
  // render their own children.
  void RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override;

  // ---- IKXHTML40Container
  void RenderAsyncComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override;

 protected:
  // The inherited InitControl (the container implementation first), then the grid's defaults (300 x 150).
  void InitControl() override;
  // Frees the lists, then the inherited Dispose (the cell controls go back to their parents' containers).
  void Dispose() override;
  // The TABLE "TBL" + HTML name with its attributes, caption and cells.
  virtual TKXElementPtr<TKXHTMLTag> RenderTable(TKXCompContext* context);
  // A fresh container context for this rendering (the previous one is freed); descendants add the rows after.
  virtual void RenderCells(TKXCompContext* context, TKXHTMLTag* table);
  // Puts control into the grid's container (out of its parent's) and hides it: the grid renders it.
  void AdoptCellControl(TKXCustomControl* control);
  // Takes control out of the grid's container and gives it back to its parent's.
  void ReleaseCellControl(TKXCustomControl* control);
  // The cell entries the descendants maintain.
  std::vector<TCellRow> FCells;
  // The "TBL" + HTML name element of the update, also sent to the callback answer.
  TKXElementPtr<TKXXMLTag> RenderTableUpdate(TKXCompContext* context);
  // Appends the scripts of the cell controls rendered into the container context to the page.
  void AppendCellScripts(TKXPageContext40* pageContext);
  // A submitted cell click; nothing here.
  virtual void DoCellClick(std::int32_t row, std::int32_t column) { (void)row, (void)column; }

 private:
  friend class TKXGridCell;

  std::unique_ptr<TStringList> FHiddenColumns;
  std::unique_ptr<TKXGridBorderColors> FBorderColors;
  std::int32_t FBorderSize = 1;
  TKXGridBorderStyle FBorderStyle = tfDefault;
  TKXColor FBGColor = clNone;
  std::int32_t FCellPadding = 0;
  std::int32_t FCellSpacing = 0;
  std::int32_t FFrameBuffer = 40;
  TKXGridLines FLines = tlAll;
  std::string FSummary;
  bool FUseSize = true;
  TKXCellRenderOptions FCellRenderOptions = kAllCellRenderOptions;
  std::string FSubmitParam;
  // The layout made by InitContainerContext, freed by RenderComponents.
  TComponentRef<TComponent> FLayout;
};

// ---------------------------------------------------------------------------

// The grid an application fills: cells come into being on first access.
class TKXGrid : public TKXCustomGrid {
  KX_COMPONENT_CLASS(TKXGrid, TKXCustomGrid)

 public:
  // True by default: missing and empty cells hold "&nbsp;"; off, they render as bare TD tags.
  bool ShowEmptyCells() const { return FShowEmptyCells; }
  void SetShowEmptyCells(bool value) { SetProperty(FShowEmptyCells, value); }
  // True by default: rows without a visible cell still render.
  bool ShowInvisibleRows() const { return FShowInvisibleRows; }
  void SetShowInvisibleRows(bool value) { SetProperty(FShowInvisibleRows, value); }
  // 1 by default; a value below 1 is ignored.
  std::int32_t ColumnCount() const { return FColumnCount; }
  void SetColumnCount(std::int32_t value);
  // 1 by default; a negative value raises Exception "Invalid RowCount value!".
  std::int32_t RowCount() const { return FRowCount; }
  void SetRowCount(std::int32_t value);
  TKXOnCellClick OnCellClick;
  // False by default: the page scrolls the table to CurrentRow.
  bool ScrollToCurrentRow() const { return FScrollToCurrentRow; }
  void SetScrollToCurrentRow(bool value) { SetProperty(FScrollToCurrentRow, value); }
  // -1 by default (none).
  std::int32_t CurrentRow() const { return FCurrentRow; }
  void SetCurrentRow(std::int32_t value) { SetProperty(FCurrentRow, value); }
  // The number in the IDs of this grid's rows, unique in the process.
  std::uint32_t InstanceNumber() const { return FInstanceNumber; }

  // The cell, made on first access; indices outside the grid raise Exception "Index out of bounds.".
  TKXGridCell* Cell(std::int32_t row, std::int32_t column);
  // The same check, then whether a cell object exists there.
  bool CellExists(std::int32_t row, std::int32_t column) const;
  // Indices outside the grid raise "Index out of bounds.".
  void DeleteRow(std::int32_t row);
  void DeleteColumn(std::int32_t column);
  // Frees every cell; the counts stay.
  void Clear();
  TKXGridCells& CellCollection() { return *FCellCollection; }

  bool IsValidCell(const TKXGridCell* cell) const override;
  // Every cell showing object loses its control; the grid invalidates.
  void Freeing(TObject* object) override;

 protected:
  void InitControl() override;
  void Dispose() override;
  void RenderCells(TKXCompContext* context, TKXHTMLTag* table) override;
  // Fires OnCellClick.
  void DoCellClick(std::int32_t row, std::int32_t column) override;

 private:
  void FreeCell(std::int32_t row, std::int32_t column);

  bool FShowEmptyCells = true;
  bool FShowInvisibleRows = true;
  std::unique_ptr<TKXGridCells> FCellCollection;
  std::int32_t FColumnCount = 1;
  std::int32_t FRowCount = 1;
  std::int32_t FCurrentRow = -1;
  bool FScrollToCurrentRow = false;
  std::uint32_t FInstanceNumber = 0;
};

// The family's registration (the grid), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& GridsFamily();

}  // namespace kx
