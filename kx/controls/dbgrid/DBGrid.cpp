#include "kx/controls/dbgrid/DBGrid.h"

#include <atomic>
#include <climits>

#include "kx/foundation/KXExceptions.h"
#include "kx/platform/SysUtils.h"

namespace kx {

const char* const RSNoRefereshWhileInEdit = "Cannot refresh grid while data is in edit or insert mode.";

namespace {

// Row IDs are the grid's number directly followed by the row number. A fixed width without leading zero keeps
// the IDs of two grids apart (grid 1 row 23 against grid 12 row 3) and lets the page pass them as numbers.
const std::string CRLF = "\r\n";

constexpr std::uint32_t kFirstInstance = 100000;
constexpr std::uint32_t kInstanceSpan = 900000;
std::atomic<std::uint32_t> gDBGridInstances{0};

std::string Markup(TKXMarkupLanguageElement& element) {
  TKXRenderStream stream(true, true);
  element.Render(stream);
  return stream.GetAsString();
}

// The first limit characters of UTF-8 text, never cutting a character in two.
std::string CutCharacters(const std::string& text, std::int32_t limit, bool& cut) {
  std::size_t at = 0;
  for (std::int32_t count = 0; at < text.size(); ++count) {
    if (count == limit) {
      cut = true;
      return text.substr(0, at);
    }
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
  }
  cut = false;
  return text;
}

bool Matches(THighlightCompare compare, const std::string& text, const std::string& value) {
  switch (compare) {
    case hcNone: return true;
    case hcEqualTo: return CompareText(text, value) == 0;
    case hcNotEqualTo: return text != value;
    case hcContains: return text.find(value) != std::string::npos;
    case hcDoesNotContain: return text.find(value) == std::string::npos;
    case hcGreaterThan: return CompareText(text, value) > 0;
    case hcLessThan: return CompareText(text, value) < 0;
  }
  return false;
}

// Goes back to a saved record when it is still there; else to the first.
void Restore(TDataSet& data, const TBookmark& bookmark) {
  if (data.Active() && !data.IsEmpty() && !data.IsUniDirectional() && bookmark && data.BookmarkValid(bookmark)) {
    data.GotoBookmark(bookmark);
  } else if (data.Active()) {
    data.First();
  }
}

// A render copy of a column or title. It belongs to no grid, so handing it the column's control neither adopts
// nor releases that control: the real column keeps it.
std::unique_ptr<TKXGridCell> RenderCopy(const TKXGridCell& source) {
  auto copy = std::make_unique<TKXGridCell>();
  copy->Assign(&source);
  return copy;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXDBGridColumn

TKXDBGridColumn::TKXDBGridColumn() : FTitle(std::make_unique<TKXGridCell>()) {
  FTitle->SetAlignment(taCenter);
  SetBGColor(clNone);
}

TKXDBGrid* TKXDBGridColumn::DBGrid() const {
  auto* columns = dynamic_cast<TKXDBGridColumns*>(Collection());
  return columns ? columns->Grid() : nullptr;
}

void TKXDBGridColumn::SetDataField(const std::string& value) {
  if (value == FDataField) return;
  TKXDBGrid* grid = DBGrid();
  TDataSource* source = grid ? grid->DataSource() : nullptr;
  const TField* old = GetDataSourceField(source, FDataField);
  const std::string& title = FTitle->Text();
  if (title.empty() || title == FDataField || (old && (title == old->FieldName() || title == old->DisplayName()))) {
    const TField* field = GetDataSourceField(source, value);
    FTitle->SetText(field ? field->DisplayName() : value);
  }
  FDataField = value;
  FField = nullptr;
  Invalidate();
}

void TKXDBGridColumn::SetLinkField(const std::string& value) {
  FLinkField = value;
  FLink = nullptr;
  Invalidate();
}

void TKXDBGridColumn::SetTitle(const TKXGridCell& value) {
  FTitle->Assign(&value);
  Invalidate();
}

TField* TKXDBGridColumn::LookUp(const std::string& name, TField*& cache) {
  if (cache != nullptr) return cache;
  TKXDBGrid* grid = DBGrid();
  if (name.empty() || grid == nullptr || !CheckDataSource(grid->DataSource())) return nullptr;
  cache = &grid->DataSource()->DataSet()->FieldByName(name);
  return cache;
}

TField* TKXDBGridColumn::Field() { return LookUp(FDataField, FField); }
TField* TKXDBGridColumn::LinkFieldObject() { return LookUp(FLinkField, FLink); }

void TKXDBGridColumn::AssignTo(TPersistent* dest) const {
  if (auto* column = dynamic_cast<TKXDBGridColumn*>(dest)) {
    column->OnClick = OnClick;
    column->FBlobCharLimit = FBlobCharLimit;
    column->FCompareValue = FCompareValue;
    column->FCompareHighlight = FCompareHighlight;
    column->FDataField = FDataField;
    column->FLinkField = FLinkField;
    column->FRawFieldText = FRawFieldText;
    column->OnTitleClick = OnTitleClick;
    column->FTitle->Assign(FTitle.get());
    column->ResetFields();
  }
  TKXGridCell::AssignTo(dest);
}

// ---------------------------------------------------------------------------
// TKXDBGridColumns

TKXDBGridColumns::TKXDBGridColumns(TKXDBGrid* grid)
    : TKXGridCells(grid, CollectionItemClass<TKXDBGridColumn>()), FGrid(grid) {}

void TKXDBGridColumns::ResetFields() {
  for (int i = 0; i < Count(); ++i) Items(i)->ResetFields();
}

// ---------------------------------------------------------------------------
// TKXDBGrid

void TKXDBGrid::InitControl() {
  TKXCustomGrid::InitControl();
  FColumns = std::make_unique<TKXDBGridColumns>(this);
  FLink = std::make_unique<TKXDataLink>(this);
  FInstanceNumber = kFirstInstance + gDBGridInstances.fetch_add(1) % kInstanceSpan;
  SetUseFrame(true);
}

void TKXDBGrid::SetColumns(const TKXDBGridColumns& value) {
  FColumns->Clear();
  for (int i = 0; i < value.Count(); ++i) FColumns->Add()->Assign(value.Items(i));
  Invalidate();
}

void TKXDBGrid::SetDataSource(TDataSource* value) {
  FDataSource = value;
  FLink->SetDataSource(value);
  FColumns->ResetFields();
  Invalidate();
}

std::string TKXDBGrid::RowID(std::int32_t row) const { return Format("%d%d", int(FInstanceNumber), row); }

void TKXDBGrid::CreateImplicitColumns() {
  if (FColumns->Count() > 0 || !CheckDataSource(DataSource())) return;
  const TDataSet& data = *DataSource()->DataSet();
  for (int i = 0; i < data.FieldCount(); ++i)
    if (data.Fields(i).Visible()) FColumns->Add()->SetDataField(data.Fields(i).FieldName());
}

bool TKXDBGrid::IsValidCell(const TKXGridCell* cell) const {
  for (int i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i) == cell) return true;
  return false;
}

void TKXDBGrid::Freeing(TObject* object) {
  for (int i = 0; i < FColumns->Count(); ++i)
    if (static_cast<TObject*>(FColumns->Items(i)->Control()) == object) FColumns->Items(i)->SetControl(nullptr);
  TKXCustomGrid::Freeing(object);
  Invalidate();
}

void TKXDBGrid::Submit(const std::string& value) {
  FSubmitParam = value;
  const bool title = !value.empty() && value[0] == 'C';
  const std::size_t underscore = value.find('_');
  const std::string indexText = title ? value.substr(1) : value.substr(0, underscore);
  const int index = StrToInt(indexText);
  // The page posts only its own columns' indexes: another one is the client's doing.
  if (index < 0 || index >= FColumns->Count()) throw EKXSubmitRefused("Index out of bounds.");
  TKXDBGridColumn* column = FColumns->Items(index);
  if (title) {
    if (column->OnTitleClick) column->OnTitleClick(column);
  } else if (column->OnClick) {
    column->OnClick(column, underscore == std::string::npos ? std::string() : value.substr(underscore + 1));
  }
}

void TKXDBGrid::RenderCells(TKXCompContext* context, TKXHTMLTag* table) {
  TKXCustomGrid::RenderCells(context, table);
  // Marked after every render, as the answers that follow a page expect; what marks it for a callback's answer is
  // its data link, when the data set changes.
  SetDoRefreshControl(true);
  if (context != nullptr) {
    const std::string name = HTMLName();
    context->AddToJavaScriptOnce(
        "function rollon_" + name + "(row,where){ " + CRLF + "var tablecolor;" + CRLF + "if (where == 'over'){" +
        CRLF + " currentcolor=document.getElementById(row).style.backgroundColor" + CRLF +
        " document.getElementById(row).style.backgroundColor='" + ColorToRGBString(FRollOverColor) + "' " + CRLF +
        " }else{ " + CRLF + " document.getElementById(row).style.backgroundColor=currentcolor; }" + CRLF + "}" +
        CRLF);
  }
  const bool usable = CheckDataSource(DataSource());
  bool refresh = FRefreshMode == rmAlways;
  if (FRefreshMode == rmAutomatic) refresh = !usable || !InEditMode(*DataSource()->DataSet());
  if (refresh) RefreshData(context);
  // A record being inserted is none of the kept rows: the current one shows unmarked meanwhile.
  const bool inserting = usable && DataSource()->DataSet()->State() == dsInsert;
  for (std::size_t i = 0; i < FKeptRows.size(); ++i)
    table->Contents()->AddText(inserting && i == FCurrentRowIndex ? FCurrentRowUnmarked : FKeptRows[i], false);
}

void TKXDBGrid::KeepRow(TKXHTMLTag& row) { FKeptRows.push_back(Markup(row)); }

void TKXDBGrid::KeepCurrentRowUnmarked(TKXCompContext* context, TDataSet& data, std::int32_t row) {
  FCurrentRowIndex = FKeptRows.size() - 1;
  RenderDataRow(context, data, row, false);
  FCurrentRowUnmarked = std::move(FKeptRows.back());
  FKeptRows.pop_back();
}

void TKXDBGrid::RefreshData(TKXCompContext* context) {
  FKeptRows.clear();
  FCurrentRowIndex = std::string::npos;
  FLastRow = 0;
  if (!CheckDataSource(DataSource())) return;
  TDataSet& data = *DataSource()->DataSet();
  if (InEditMode(data)) throw Exception(RSNoRefereshWhileInEdit);
  CreateImplicitColumns();
  FColumns->ResetFields();
  if (FOptions.Contains(dgShowTitles)) RenderTitleRow(context);
  RenderDataRows(context, data);
  RenderFooterRows(context);
}

void TKXDBGrid::RenderTitleRow(TKXCompContext* context) {
  TKXElementPtr<TKXHTMLTag> tr = TKXHTMLTag::Create("tr");
  if (FOptions.Contains(dgIndicator)) {
    TKXMarkupLanguageTag* th = tr->Contents()->AddTag("th", false);
    th->Contents()->AddText("&nbsp", false);
    th->AddColor("BGCOLOR", FRowHeaderColor);
  }
  const TBrowser* browser = context ? context->Browser() : nullptr;
  int visible = 0;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TKXDBGridColumn* column = FColumns->Items(i);
    if (!column->Visible()) continue;
    std::unique_ptr<TKXGridCell> title = RenderCopy(column->Title());
    if (column->OnTitleClick) {
      const bool saved = DoSubmitValidation();
      SetDoSubmitValidation(column->DoSubmitValidation());
      TKXElementPtr<TKXHTMLTag> link =
          SubmitLink(title->TextAsMarkup(title->Text()), "C" + IntToStr(i), false, browser);
      SetDoSubmitValidation(saved);
      link->AddStringParam("CLASS", column->Title().Css());
      title->SetRawText(true);
      title->SetText(Markup(*link));
    }
    TKXElementPtr<TKXHTMLTag> cell = title->RenderSelf(this, 0, visible++, context, ContainerContext(), "");
    cell->AddColor("BGCOLOR", FRowHeaderColor);
    tr->Contents()->AddTagAsObject(std::move(cell), false);
  }
  KeepRow(*tr);
}

void TKXDBGrid::RenderDataRows(TKXCompContext* context, TDataSet& data) {
  data.DisableControls();
  std::vector<std::pair<TDataSet*, TBookmark>> details;
  for (TDataSet* detail : data.GetDetailDataSets()) details.emplace_back(detail, detail->GetBookmark());
  const TBookmark saved = data.GetBookmark();
  auto restore = [&] {
    HTMLControlImplementation()->SetRenderSize(UseFrame() ||
                                              (UseSize() && (FRowLimit <= 0 || FLastRow == FRowLimit)));
    Restore(data, saved);
    data.EnableControls();
    for (auto& [detail, bookmark] : details) {
      try {
        Restore(*detail, bookmark);
      } catch (const std::exception&) {
        // A detail that cannot go back stays where it is; the master's page is what was asked for.
      }
    }
  };
  try {
    // Without a page size the page of the current record is the whole set: it starts at the first record.
    if (FFromStart || !saved || FRowLimit <= 0) {
      data.First();
    } else if (const int recNo = data.RecNo(); recNo >= 1) {
      data.MoveBy(-((recNo - 1) % FRowLimit));
    }
    const std::int32_t pageSize = FRowLimit > 0 ? FRowLimit : INT_MAX;
    for (std::int32_t row = 1; row <= pageSize && !data.Eof(); ++row) {
      const bool current = saved && TDataSet::CompareBookmarks(saved, data.GetBookmark()) == 0;
      RenderDataRow(context, data, row, current);
      if (current) KeepCurrentRowUnmarked(context, data, row);
      FLastRow = row;
      data.Next();
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

std::string TKXDBGrid::CellText(TKXCompContext* context, TKXDBGridColumn& column, int index,
                                std::string* rowClick) {
  TField* field = column.Field();
  if (field == nullptr) return std::string();
  std::string text;
  if (field->DataType() == ftBlob || field->DataType() == ftMemo) {
    text = field->AsString();
    bool cut = false;
    if (column.BlobCharLimit() > 0) text = CutCharacters(text, column.BlobCharLimit(), cut);
    if (cut) text += "...";
  } else if (field->DataType() != ftGraphic) {
    text = field->DisplayText();
  }
  if (!column.RawText()) text = TextToHTML(text);
  TField* link = column.LinkFieldObject();
  if (link == nullptr) return text;
  const std::string param = IntToStr(index) + "_" + link->AsString();
  if (FRowClick) {
    if (!column.DesignMode())
      *rowClick = "SubmitClickConfirm('" + TextToJSStringLiteral(HTMLName()) + "','" + TextToJSStringLiteral(param) +
                  "', true, '')";
    return TextToHTML(field->DisplayText());
  }
  const bool saved = DoSubmitValidation();
  SetDoSubmitValidation(column.DoSubmitValidation());
  TKXElementPtr<TKXHTMLTag> anchor = SubmitLink(text, param, false, context ? context->Browser() : nullptr);
  SetDoSubmitValidation(saved);
  return Markup(*anchor);
}

bool TKXDBGrid::IsHighlighted() {
  bool compared = false;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TKXDBGridColumn* column = FColumns->Items(i);
    if (!column->Visible() || column->DataField().empty() || column->CompareHighlight() == hcNone) continue;
    TField* field = column->Field();
    if (field == nullptr) continue;
    compared = true;
    if (!Matches(column->CompareHighlight(), field->Text(), column->CompareValue())) return false;
  }
  return compared;
}

void TKXDBGrid::RenderDataRow(TKXCompContext* context, TDataSet& data, std::int32_t row, bool current) {
  (void)data;
  const std::string id = RowID(row);
  const std::string name = HTMLName();
  TKXElementPtr<TKXHTMLTag> tr = TKXHTMLTag::Create("TR");
  tr->AddStringParam("ID", id);
  if (FRollOver) {
    tr->AddStringParam("OnMouseOut", "rollon_" + name + "(" + id + ",'')");
    tr->AddStringParam("OnMouseOver", "rollon_" + name + "(" + id + ",'over')");
  }
  const bool highlighted = FHighlightRows && IsHighlighted();
  if (current && FRowCurrentColor != clNone) {
    tr->AddColor("BGCOLOR", FRowCurrentColor);
  } else if (highlighted) {
    tr->AddColor("BGCOLOR", FHighlightColor);
  } else if (row % 2 == 0) {
    tr->AddColor("BGCOLOR", FRowAlternateColor);
  }
  if (FOptions.Contains(dgIndicator))
    tr->Contents()->AddTag("TD", false)->Contents()->AddText(current ? "*" : "&nbsp ", false);
  int visible = 0;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TKXDBGridColumn* column = FColumns->Items(i);
    if (!column->Visible()) continue;
    std::unique_ptr<TKXGridCell> cell = RenderCopy(*column);
    // Embedded controls edit the current record: they appear on its row only.
    if (!current) cell->SetControl(nullptr);
    std::string rowClick;
    const std::string text = CellText(context, *column, i, &rowClick);
    if (!rowClick.empty()) {
      tr->AddStringParam("OnClick", rowClick);
      tr->AddStringParam("STYLE", "cursor:hand;");
    }
    cell->SetText(text);
    tr->Contents()->AddTagAsObject(cell->RenderSelf(this, row, visible++, context, ContainerContext(), ""), false);
  }
  if (FScrollToCurrentRow && current && context != nullptr) {
    context->AddToInitProc("document.getElementById(\"" + name + "\").scrollTop = document.getElementById(\"" + id +
                           "\").offsetTop - 40;");
  }
  KeepRow(*tr);
}

void TKXDBGrid::RenderFooterRows(TKXCompContext* context) {
  for (std::int32_t row = -FFooterRowCount; row <= -1; ++row) {
    TKXElementPtr<TKXHTMLTag> tr = TKXHTMLTag::Create("TR");
    if (FOptions.Contains(dgIndicator)) tr->Contents()->AddTag("th", false)->Contents()->AddText("&nbsp", false);
    int visible = 0;
    for (int i = 0; i < FColumns->Count(); ++i) {
      TKXDBGridColumn* column = FColumns->Items(i);
      if (!column->Visible()) continue;
      std::unique_ptr<TKXGridCell> cell = RenderCopy(*column);
      cell->SetControl(nullptr);
      tr->Contents()->AddTagAsObject(cell->RenderSelf(this, row, visible++, context, ContainerContext(), ""), false);
    }
    KeepRow(*tr);
  }
}

// ---------------------------------------------------------------------------

const TKXControlFamily& DBGridFamily() {
  static const TKXControlFamily family{.Name = "dbgrid"};
  return family;
}

}  // namespace kx
