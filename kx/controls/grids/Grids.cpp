#include "kx/controls/grids/Grids.h"

#include <atomic>

#include "kx/appserver/Application.h"
#include "kx/controls/grids/FamilyFiles.h"
#include "kx/forms/LayoutManagers.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/KXMessages.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* kCRLF = "\r\n";
constexpr char kCannotAssignToItself[] = "You cannot assign the control to itself";
constexpr char kIndexOutOfBounds[] = "Index out of bounds.";

// A cell size: an integer of at least 0, a percentage above 0, or (allowStar) anything ending in "*".
bool IsValidCellSize(const std::string& value, bool allowStar) {
  const std::string trimmed = Trim(value);
  if (trimmed.empty()) return false;
  if (trimmed.back() == '%') {
    double number = 0;
    return TryStrToFloat(trimmed.substr(0, trimmed.size() - 1), number) && number > 0;
  }
  if (allowStar && trimmed.back() == '*') return true;
  int number = 0;
  return TryStrToInt(trimmed, number) && number >= 0;
}

// "name: 12px;" for a pixel size, "name: 50%;" for a percentage; nothing for "0", empty and star sizes (a star
// size is a share of what is left, which CSS cannot say for one cell).
std::string CellSizeStyle(const char* name, const std::string& value) {
  const std::string trimmed = Trim(value);
  if (trimmed.empty() || trimmed == "0" || trimmed.back() == '*') return std::string();
  if (trimmed.back() == '%') return std::string(name) + ": " + trimmed + ";";
  return std::string(name) + ": " + trimmed + "px;";
}

bool HasParam(TKXMarkupLanguageTag* tag, const char* name) { return tag->Params()->IndexOfName(name) >= 0; }

std::string HTMLText(const std::string& text) { return TKXBaseHTMLControl::TextToHTML(text, false, false, false); }

std::atomic<std::uint32_t> gGridInstances{0};

}  // namespace

const char* const KXGridAlignments[3] = {"left", "right", "center"};

std::string RenderVerticalAlign(TKXVerticalAlignment alignment) {
  switch (alignment) {
    case vaTop: return "vertical-align:top;";
    case vaBottom: return "vertical-align:bottom;";
    case vaBaseline: return "vertical-align:baseline;";
    case vaMiddle: break;
  }
  return "vertical-align:middle;";
}

std::string RenderHorizontalAlign(TAlignment alignment) {
  return std::string("text-align:") + KXGridAlignments[alignment] + ";";
}

void TKXGridBorderColors::AssignTo(TPersistent* dest) const {
  if (auto* colors = dynamic_cast<TKXGridBorderColors*>(dest)) {
    colors->FColor = FColor;
    colors->FLight = FLight;
    colors->FDark = FDark;
    return;
  }
  TPersistent::AssignTo(dest);
}

// ---------------------------------------------------------------------------
// TKXGridCell

TKXGridCell::TKXGridCell() : FFont(std::make_unique<TKXFont>()) {}

TKXGridCell::~TKXGridCell() {
  FFont.reset();
  ReleaseControl();
}

void TKXGridCell::SetAlignment(TAlignment value) { Change(FAlignment, value); }
void TKXGridCell::SetBGColor(TKXColor value) { Change(FBGColor, value); }
void TKXGridCell::SetClickable(bool value) { Change(FClickable, value); }
void TKXGridCell::SetHeader(bool value) { Change(FHeader, value); }
void TKXGridCell::SetShowHint(bool value) { Change(FShowHint, value); }
void TKXGridCell::SetText(const std::string& value) { Change(FText, value); }
void TKXGridCell::SetUnlinkedText(const std::string& value) { Change(FUnlinkedText, value); }
void TKXGridCell::SetVAlign(TKXVerticalAlignment value) { Change(FVAlign, value); }
void TKXGridCell::SetVisible(bool value) { Change(FVisible, value); }
void TKXGridCell::SetWrap(bool value) { Change(FWrap, value); }
void TKXGridCell::SetHint(const std::string& value) { Change(FHint, value); }
void TKXGridCell::SetRawText(bool value) { Change(FRawText, value); }
void TKXGridCell::SetCss(const std::string& value) { Change(FCss, value); }

void TKXGridCell::SetFont(const TKXFont& value) {
  FFont->Assign(&value);
  Invalidate();
}

void TKXGridCell::SetHeight(const std::string& value) {
  if (!IsValidCellSize(value, false)) throw Exception(Format("\"%s\" is not a valid height.", value));
  FHeight = value;
  Invalidate();
}

void TKXGridCell::SetWidth(const std::string& value) {
  if (!IsValidCellSize(value, true)) throw Exception(Format("\"%s\" is not a valid width.", value));
  FWidth = value;
  Invalidate();
}

TKXCustomGrid* TKXGridCell::OwnerGrid() const {
  if (FGrid != nullptr) return FGrid;
  return Collection() ? dynamic_cast<TKXCustomGrid*>(Collection()->Owner()) : nullptr;
}

void TKXGridCell::SetControl(TKXCustomControl* value) {
  TKXCustomControl* current = Control();
  if (value == current) return;
  // Checked first: a refused control changes nothing.
  if (auto* grid = dynamic_cast<TKXCustomGrid*>(value)) {
    if (grid == OwnerGrid() || grid->IsValidCell(this)) throw Exception(kCannotAssignToItself);
  }
  TKXCustomGrid* owner = OwnerGrid();
  FControl = value;
  if (current != nullptr && owner != nullptr) owner->ReleaseCellControl(current);
  if (value != nullptr && !FDesignMode && owner != nullptr) owner->AdoptCellControl(value);
  Invalidate();
}

void TKXGridCell::ReleaseControl() {
  TKXCustomControl* current = Control();
  FControl = nullptr;
  if (current == nullptr) return;
  if (TKXCustomGrid* owner = OwnerGrid()) owner->ReleaseCellControl(current);
}

void TKXGridCell::Invalidate() {
  FDoRefreshControl = true;
  if (FGrid != nullptr) {
    FGrid->Invalidate();
  } else if (auto* cells = dynamic_cast<TKXGridCells*>(Collection())) {
    cells->Invalidate();
  }
}

std::string TKXGridCell::TextAsMarkup(const std::string& text) const {
  return FRawText ? text : TKXBaseHTMLControl::TextToHTML(text, true, false, false);
}

void TKXGridCell::AssignTo(TPersistent* dest) const {
  auto* cell = dynamic_cast<TKXGridCell*>(dest);
  if (cell == nullptr) {
    TCollectionItem::AssignTo(dest);
    return;
  }
  cell->FAlignment = FAlignment;
  cell->FBGColor = FBGColor;
  cell->FFont->Assign(FFont.get());
  cell->FHeader = FHeader;
  cell->FHeight = FHeight;
  cell->FText = FText;
  cell->FVAlign = FVAlign;
  cell->FWidth = FWidth;
  cell->FWrap = FWrap;
  cell->FVisible = FVisible;
  cell->SetControl(Control());
  cell->FCss = FCss;
}

TKXElementPtr<TKXMarkupLanguageTag> TKXGridCell::RenderCellControl(TKXCompContext* context,
                                                                   TKXContainerContext* containerContext) {
  TKXCustomControl* control = Control();
  if (control == nullptr) return nullptr;
  control->SetVisible(true);
  auto controlContext =
      std::make_unique<TKXCompContext>(control, containerContext, context ? context->PageContext() : nullptr);
  TKXElementPtr<TKXHTMLTag> rendered = control->RenderHTML(controlContext.get());
  TKXHTMLTag* tag = rendered.get();
  if (tag != nullptr) {
    if (!control->Css().empty()) tag->AddStringParam("CLASS", control->Css());
    tag->Params()->AppendParams(control->ExtraTagParams());
  }
  controlContext->SetHTMLTag(std::move(rendered));
  if (tag != nullptr) {
    control->DoHTMLTag(tag);
    std::string style = control->RenderStyle(controlContext.get());
    const std::string existing = tag->Params()->Values("style");
    if (!existing.empty()) style += " " + existing + ";";
    const std::string name = control->HTMLName();
    if (!HasParam(tag, "id")) tag->AddStringParam("ID", name);
    if (!HasParam(tag, "name")) tag->AddStringParam("NAME", name);
    if (!HasParam(tag, "class")) tag->AddStringParam("CLASS", control->RenderCSSClass(controlContext.get()));
    tag->AddStringParam("STYLE", style);
    control->RenderScripts(controlContext.get());
  }
  const bool refresh = FDoRefreshControl || control->DoRefreshControl();
  // The cell's tag holds the control's from now on; the context keeps the control's scripts for the page.
  TKXElementPtr<TKXMarkupLanguageTag> result = controlContext->TakeMLTag();
  if (containerContext != nullptr) containerContext->AddComponent(std::move(controlContext));
  if (refresh) Invalidate();
  return result;
}

TKXElementPtr<TKXHTMLTag> TKXGridCell::RenderSelf(TKXCustomGrid* grid, std::int32_t row, std::int32_t column,
                                                  TKXCompContext* context, TKXContainerContext* containerContext,
                                                  const std::string& text) {
  TKXCellRenderOptions options = grid ? grid->CellRenderOptions() : kAllCellRenderOptions;
  if (grid != nullptr && grid->OnGetCellRenderOptions) grid->OnGetCellRenderOptions(this, row, column, options);
  auto* plainGrid = dynamic_cast<TKXGrid*>(grid);
  const bool showEmptyCells = plainGrid == nullptr || plainGrid->ShowEmptyCells();
  if (!FVisible) {
    TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("TD");
    if (showEmptyCells) tag->Contents()->AddText("&nbsp;", false);
    return tag;
  }
  if (grid != nullptr) grid->DoRenderCell(this, row, column);

  TKXElementPtr<TKXMarkupLanguageTag> controlTag;
  if (RenderControlForThisRow()) controlTag = RenderCellControl(context, containerContext);

  std::string content = text.empty() ? TextAsMarkup(FText) : text;
  const bool empty = Trim(content).empty() && !controlTag;
  if (empty) content = "&nbsp;";

  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create(FHeader ? "TH" : "TD");
  if (!showEmptyCells && empty) return tag;
  // The Part's option names are crossed: crAlign writes the vertical alignment, crValign the horizontal one.
  if (options.Contains(crAlign)) {
    static const char* const kVAlign[] = {"middle", "top", "bottom", "baseline"};
    tag->Add(std::string("VAlign=") + kVAlign[FVAlign]);
  }
  if (options.Contains(crValign)) tag->AddStringParam("align", KXGridAlignments[FAlignment]);
  if (grid != nullptr && grid->ShowHint() && FShowHint && !Trim(FHint).empty()) {
    tag->AddStringParam("title", HTMLText(FHint));
  }
  std::string style;
  if (!FWrap) style += "white-space: nowrap;";
  style += CellSizeStyle("width", FWidth);
  style += CellSizeStyle("height", FHeight);
  if (FBGColor != clNone) style += "background-color:" + ColorToRGBString(FBGColor) + ";";
  const std::string gridCss = grid ? grid->Css() : std::string();
  const std::string& css = !FCss.empty() ? FCss : gridCss;
  if (!css.empty()) tag->AddClassParam(css);
  if (options.Contains(crStyle)) style += "position:static;";
  tag->AddStringParam("style", style);
  if (!Trim(content).empty()) {
    if (!css.empty()) {
      tag->Contents()->AddText(content, false);
    } else {
      const std::string wrapped = FFont->FontToStringTag(content);
      tag->Contents()->AddText(wrapped.empty() ? content : wrapped, false);
    }
  }
  if (controlTag) static_cast<TKXMarkupLanguageTag*>(tag.get())->Contents()->AddTagAsObject(std::move(controlTag), false);
  return tag;
}

void TKXGridCells::Invalidate() {
  FDoRefreshControl = true;
  auto* control = dynamic_cast<TKXCustomControl*>(Owner());
  if (control != nullptr && !control->ComponentState().Contains(csDestroying)) control->Invalidate();
}

// ---------------------------------------------------------------------------
// TKXCustomGrid

void TKXCustomGrid::InitControl() {
  TKXControlContainer::InitControl();
  FBorderColors = std::make_unique<TKXGridBorderColors>();
  FHiddenColumns = std::make_unique<TStringList>();
  FHiddenColumns->SetSorted(true);
  FBGColor = clNone;
  FBorderSize = 1;
  FFrameBuffer = 40;
  SetNeedsFormTag(true);
  FUseSize = true;
  FSummary.clear();
  SetBounds(Left(), Top(), 300, 150);
  FCellRenderOptions = kAllCellRenderOptions;
}

void TKXCustomGrid::Dispose() {
  FHiddenColumns.reset();
  FBorderColors.reset();
  TKXControlContainer::Dispose();
}

void TKXCustomGrid::SetHiddenColumns(const TStrings& value) {
  FHiddenColumns->Assign(&value);
  Invalidate();
}

void TKXCustomGrid::SetBorderColors(const TKXGridBorderColors& value) {
  FBorderColors->Assign(&value);
  Invalidate();
}

void TKXCustomGrid::DoRenderCell(TKXGridCell* cell, std::int32_t row, std::int32_t column) {
  if (OnRenderCell) OnRenderCell(cell, row, column);
}

void TKXCustomGrid::SetColumnVisibility(std::int32_t column, bool visible) {
  const std::string number = IntToStr(column);
  const int index = FHiddenColumns->IndexOf(number);
  if (visible) {
    if (index >= 0) FHiddenColumns->Delete(index);
  } else if (index < 0) {
    FHiddenColumns->Add(number);
  }
  Invalidate();
}

bool TKXCustomGrid::IsRowVisible(std::int32_t row) const {
  if (row < 0 || row >= std::int32_t(FCells.size())) return false;
  for (const TKXGridCell* cell : FCells[std::size_t(row)]) {
    if (cell != nullptr && cell->Visible()) return true;
  }
  return false;
}

bool TKXCustomGrid::HasCellIndex(std::int32_t row, std::int32_t column) const {
  return row >= 0 && row < std::int32_t(FCells.size()) && column >= 0 &&
         column < std::int32_t(FCells[std::size_t(row)].size());
}

void TKXCustomGrid::CheckCellIndex(std::int32_t row, std::int32_t column) const {
  if (!HasCellIndex(row, column)) throw Exception(kIndexOutOfBounds);
}

void TKXCustomGrid::SetVisible(bool value) {
  TKXCustomControl::SetVisible(value);
  if (auto* container = dynamic_cast<TKXBaseContainer*>(Parent())) container->ForceAlign();
  SetDoRefreshControl(true);
}

TKXElementPtr<TKXHTMLTag> TKXCustomGrid::RenderHTML(TKXCompContext* context) {
  if (context != nullptr) context->AddScriptFile(grids_files::kKXGridJs);
  if (UseFrame()) return RenderTable(context);
  const std::string name = HTMLName();
  TKXElementPtr<TKXHTMLTag> div = TKXHTMLTag::Create("DIV");
  RenderInnerHTML(div.get(), context);
  TKXMarkupLanguageTag* script = div->Contents()->AddTag("script", false);
  script->AddStringParam("type", "text/javascript");
  const std::string table = "document.getElementById('TBL" + name + "')";
  script->Contents()->AddText(table + ".style.cssText += document.getElementById('" + name + "').style.cssText;" +
                                  kCRLF + table + ".style.left = 0;" + kCRLF + table + ".style.top = 0;" + kCRLF,
                              false);
  return div;
}

void TKXCustomGrid::RenderInnerHTML(TKXMarkupLanguageTag* tag, TKXCompContext* context) {
  tag->Contents()->AddTagAsObject(RenderTable(context), false);
}

TKXElementPtr<TKXHTMLTag> TKXCustomGrid::RenderTable(TKXCompContext* context) {
  TKXElementPtr<TKXHTMLTag> table = TKXHTMLTag::Create("TABLE");
  table->AddStringParam("ID", "TBL" + HTMLName());
  if (FBorderSize >= 0) table->AddIntegerParam("Border", FBorderSize);
  table->AddColor("BGColor", FBGColor);
  table->AddIntegerParam("CELLPADDING", FCellPadding);
  table->AddIntegerParam("CELLSPACING", FCellSpacing);
  if (FUseSize) table->AddStringParam("WIDTH", UseFrame() ? std::string("100%") : IntToStr(Width()));
  // Stored without marking the grid: rendering must not ask for another rendering.
  HTMLControlImplementation()->SetRenderSize(FUseSize);
  if (FBorderSize > 0) {
    table->AddColor("BORDERCOLOR", FBorderColors->Color());
    table->AddColor("BORDERCOLORLIGHT", FBorderColors->Light());
    table->AddColor("BORDERCOLORDARK", FBorderColors->Dark());
    static const char* const kRules[] = {"", "none", "rows", "cols"};
    if (FLines != tlAll) table->AddStringParam("RULES", kRules[FLines]);
    static const char* const kFrames[] = {"", "void", "above", "below", "hsides", "vsides", "lhs", "rhs"};
    if (FBorderStyle != tfDefault) table->AddStringParam("frame", kFrames[FBorderStyle]);
  }
  // A SUMMARY element inside a TABLE is no element at all: browsers move its text above the table.
  table->AddStringParam("summary", HTMLText(FSummary));
  if (!Caption().empty()) {
    table->Contents()->AddText("<CAPTION>" + TextToHTML(Caption(), true, false, false) + "</CAPTION>", false);
  }
  RenderCells(context, table.get());
  return table;
}

void TKXCustomGrid::RenderCells(TKXCompContext* context, TKXHTMLTag* table) {
  (void)table;
  TKXApplication* application = context ? context->WebApplication() : nullptr;
  SetContainerContext(std::make_unique<TKXContainerContext>(application, true));
}

void TKXCustomGrid::AppendCellScripts(TKXPageContext40* pageContext) {
  TKXContainerContext* cells = ContainerContext();
  if (pageContext == nullptr || cells == nullptr) return;
  for (int i = 0; i < cells->GetControlsCount(); ++i) pageContext->AppendContext(cells->GetComponentContextFromIndex(i));
}

TKXElementPtr<TKXXMLTag> TKXCustomGrid::RenderTableUpdate(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", "TBL" + HTMLName());
  tag->AddStringParam("type", "KXGRID");
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

TKXElementPtr<TKXXMLTag> TKXCustomGrid::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  // With a frame the page holds the TABLE alone, under its own id.
  tag->AddStringParam("id", UseFrame() ? "TBL" + HTMLName() : HTMLName());
  tag->AddStringParam("type", "KXGRID");
  RenderInnerHTML(tag->Contents()->AddTag("innerHTML", false), context);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  AppendCellScripts(context ? context->PageContext() : nullptr);
  if (!UseFrame()) {
    if (IKXCallBackResponse* response = TKXControlSession::Of(context).CallBackResponse()) {
      response->AddTagToUpdate(RenderTableUpdate(context));
    }
  }
  return tag;
}

void TKXCustomGrid::Submit(const std::string& value) {
  FSubmitParam = value;
  const std::size_t separator = value.find('_');
  const int row = StrToInt(value.substr(0, separator));
  const int column = StrToInt(separator == std::string::npos ? std::string() : value.substr(separator + 1));
  // A forged position outside the grid reaches no handler: the client's doing, where the program's own index
  // (CheckCellIndex) is a fault.
  if (!HasCellIndex(row, column)) throw EKXSubmitRefused(kIndexOutOfBounds);
  DoCellClick(row, column);
}

TSubmitProc TKXCustomGrid::getSubmitProc() {
  TComponentRef<TKXCustomGrid> grid(this);
  return [grid](const std::string& value) {
    if (grid) grid->Submit(value);
  };
}

// ---- container

void TKXCustomGrid::AdoptCellControl(TKXCustomControl* control) {
  control->SetVisible(false);
  if (control->ComponentState().Contains(csDestroying)) return;
  if (IKXBaseContainer* old = control->ParentContainer(); old != nullptr && old != this) {
    old->KXRemoveComponent(control);
  }
  KXAddComponent(control);
}

void TKXCustomGrid::ReleaseCellControl(TKXCustomControl* control) {
  for (const TCellRow& row : FCells) {
    for (const TKXGridCell* cell : row) {
      if (cell != nullptr && cell->Control() == control) return;  // another cell still shows it
    }
  }
  if (ContainerImplementation() == nullptr || KXFindComponent(control) < 0) return;
  KXRemoveComponent(control);
  if (control->ComponentState().Contains(csDestroying)) return;
  if (IKXBaseContainer* parent = control->ParentContainer()) parent->KXAddComponent(control);
}

void TKXCustomGrid::DoRender() {
  if (OnRender) OnRender(this);
  for (int i = 0; i < KXComponentsCount(); ++i) {
    if (IKXBaseContainer* container = Supports<IKXBaseContainer>(ContainerComponent(i))) container->DoRender();
  }
}

std::unique_ptr<TKXContainerContext> TKXCustomGrid::InitContainerContext(TKXApplication* application) {
  std::unique_ptr<TKXContainerContext> context =
      ContainerImplementation() ? ContainerImplementation()->TakeContainerContext() : nullptr;
  if (!context) context = std::make_unique<TKXContainerContext>(application, true);
  if (TComponent* old = FLayout.Get()) old->Free();
  auto* layout = TComponent::Create<TKXContainerLayout>(this);
  FLayout = layout;
  context->SetLayout(layout);
  layout->SetContainer(this);
  return context;
}

void TKXCustomGrid::RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  if (containerContext == nullptr) return;
  if (auto* layout = dynamic_cast<TKXContainerLayout*>(containerContext->Layout())) {
    layout->ProcessControls(containerContext, pageContext);
  }
  TKXApplication* application = pageContext ? pageContext->WebApplication() : nullptr;
  for (int i = 0; i < containerContext->GetControlsCount(); ++i) {
    IKXBaseContainer* nested = Supports<IKXBaseContainer>(containerContext->GetControlInstanceFromIndex(i));
    if (nested == nullptr) continue;
    std::unique_ptr<TKXContainerContext> own = nested->InitContainerContext(application);
    if (!own) continue;
    own->SetUpdateTree(containerContext->UpdateTree());
    TKXContainerContext* ownContext = own.get();
    nested->SetContainerContext(std::move(own));
    nested->RenderComponents(ownContext, pageContext);
  }
  if (TComponent* layout = FLayout.Get()) {
    if (auto* containerLayout = dynamic_cast<TKXContainerLayout*>(layout)) containerLayout->SetContainer(nullptr);
    layout->Free();
  }
}

void TKXCustomGrid::RenderAsyncComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  if (containerContext == nullptr) return;
  auto* renderer = dynamic_cast<IKXInvisibleControlRenderer*>(Parent());
  if (!Visible() && (renderer == nullptr || !renderer->RenderInvisibleControls())) return;
  TKXApplication* application = pageContext ? pageContext->WebApplication() : nullptr;
  for (int i = 0; i < containerContext->GetControlsCount(); ++i) {
    IKXBaseContainer* nested = Supports<IKXBaseContainer>(containerContext->GetControlInstanceFromIndex(i));
    IKXHTML40Container* html = Supports<IKXHTML40Container>(containerContext->GetControlInstanceFromIndex(i));
    if (nested == nullptr || html == nullptr) continue;
    std::unique_ptr<TKXContainerContext> own = nested->InitContainerContext(application);
    if (!own) continue;
    own->SetUpdateTree(containerContext->UpdateTree());
    TKXContainerContext* ownContext = own.get();
    nested->SetContainerContext(std::move(own));
    html->RenderAsyncComponents(ownContext, pageContext);
  }
}

// ---------------------------------------------------------------------------
// TKXGrid

void TKXGrid::InitControl() {
  TKXCustomGrid::InitControl();
  FCellCollection = std::make_unique<TKXGridCells>(this, CollectionItemClass<TKXGridCell>());
  FShowEmptyCells = true;
  FShowInvisibleRows = true;
  FColumnCount = 1;
  FRowCount = 1;
  FCurrentRow = -1;
  FScrollToCurrentRow = false;
  FCells.assign(1, TCellRow(1, nullptr));
  FInstanceNumber = ++gGridInstances;
}

void TKXGrid::Dispose() {
  TKXCustomGrid::Dispose();
  FCells.clear();
  FCellCollection.reset();
}

bool TKXGrid::CellExists(std::int32_t row, std::int32_t column) const {
  CheckCellIndex(row, column);
  return FCells[std::size_t(row)][std::size_t(column)] != nullptr;
}

TKXGridCell* TKXGrid::Cell(std::int32_t row, std::int32_t column) {
  if (CellExists(row, column)) return FCells[std::size_t(row)][std::size_t(column)];
  TKXGridCell* cell = FCellCollection->Add();
  FCells[std::size_t(row)][std::size_t(column)] = cell;
  cell->SetDesignMode(DesignMode());
  cell->SetGrid(this);
  cell->Font().Assign(&WebFont());
  Invalidate();
  return cell;
}

void TKXGrid::FreeCell(std::int32_t row, std::int32_t column) {
  TKXGridCell*& entry = FCells[std::size_t(row)][std::size_t(column)];
  TKXGridCell* cell = entry;
  entry = nullptr;
  if (cell != nullptr) cell->Free();
}

void TKXGrid::SetColumnCount(std::int32_t value) {
  if (value == FColumnCount || value < 1) return;
  for (std::int32_t row = 0; row < std::int32_t(FCells.size()); ++row) {
    for (std::int32_t column = FColumnCount - 1; column >= value; --column) FreeCell(row, column);
    FCells[std::size_t(row)].resize(std::size_t(value), nullptr);
  }
  FColumnCount = value;
  Invalidate();
}

void TKXGrid::SetRowCount(std::int32_t value) {
  if (value < 0) throw Exception("Invalid RowCount value!");
  if (value == FRowCount) return;
  for (std::int32_t row = FRowCount - 1; row >= value; --row) {
    for (std::int32_t column = FColumnCount - 1; column >= 0; --column) FreeCell(row, column);
  }
  FCells.resize(std::size_t(value), TCellRow(std::size_t(FColumnCount), nullptr));
  FRowCount = value;
  Invalidate();
}

void TKXGrid::DeleteRow(std::int32_t row) {
  if (row < 0 || row >= FRowCount) throw Exception(kIndexOutOfBounds);
  Invalidate();
  for (std::int32_t column = 0; column < FColumnCount; ++column) FreeCell(row, column);
  FCells.erase(FCells.begin() + row);
  FCells.emplace_back(std::size_t(FColumnCount), nullptr);
  SetRowCount(FRowCount - 1);
}

void TKXGrid::DeleteColumn(std::int32_t column) {
  if (column < 0 || column >= FColumnCount) throw Exception(kIndexOutOfBounds);
  Invalidate();
  for (std::int32_t row = 0; row < FRowCount; ++row) {
    FreeCell(row, column);
    TCellRow& cells = FCells[std::size_t(row)];
    cells.erase(cells.begin() + column);
    cells.push_back(nullptr);
  }
  // The last column holds no cells now; a one-column grid keeps its column (a count below 1 is ignored).
  SetColumnCount(FColumnCount - 1);
}

void TKXGrid::Clear() {
  for (std::int32_t row = 0; row < FRowCount; ++row) {
    for (std::int32_t column = 0; column < FColumnCount; ++column) FreeCell(row, column);
  }
  Invalidate();
}

bool TKXGrid::IsValidCell(const TKXGridCell* cell) const {
  if (cell == nullptr || FCellCollection == nullptr) return false;
  for (int i = 0; i < FCellCollection->Count(); ++i) {
    if (FCellCollection->Items(i) == cell) return true;
  }
  return false;
}

void TKXGrid::Freeing(TObject* object) {
  for (TCellRow& row : FCells) {
    for (TKXGridCell* cell : row) {
      if (cell != nullptr && static_cast<TObject*>(cell->Control()) == object) cell->SetControl(nullptr);
    }
  }
  TKXCustomGrid::Freeing(object);
  Invalidate();
}

void TKXGrid::RenderCells(TKXCompContext* context, TKXHTMLTag* table) {
  TKXCustomGrid::RenderCells(context, table);
  TKXContainerContext* containerContext = ContainerContext();
  const TBrowser* browser = context ? context->Browser() : nullptr;
  const std::string name = HTMLName();
  for (std::int32_t row = 0; row < FRowCount; ++row) {
    if (!IsRowVisible(row) && !FShowInvisibleRows) continue;
    TKXMarkupLanguageTag* tr = table->Contents()->AddTag("TR", false);
    for (std::int32_t column = 0; column < FColumnCount; ++column) {
      if (HiddenColumns().IndexOf(IntToStr(column)) >= 0) continue;
      TKXGridCell* cell = FCells[std::size_t(row)][std::size_t(column)];
      if (cell == nullptr) {
        TKXMarkupLanguageTag* td = tr->Contents()->AddTag("TD", false);
        if (DesignMode() || FShowEmptyCells) td->Contents()->AddText("&nbsp;", false);
        continue;
      }
      std::string text;
      if (cell->Visible() && cell->Clickable()) {
        TKXElementPtr<TKXHTMLTag> link =
            SubmitLink(cell->TextAsMarkup(cell->Text()), IntToStr(row) + "_" + IntToStr(column), false, browser);
        TKXRenderStream stream(true, true);
        link->Render(stream);
        text = stream.GetAsString() + cell->TextAsMarkup(cell->UnlinkedText());
      }
      tr->Contents()->AddTagAsObject(cell->RenderSelf(this, row, column, context, containerContext, text), false);
    }
    if (FScrollToCurrentRow && row == FCurrentRow) {
      // The separator keeps the ids of a page apart: instance 1 row 23 is "1_23", instance 12 row 3 "12_3". Never
      // all digits, they cannot meet a data-aware grid's row ids either.
      const std::string id = IntToStr(FInstanceNumber) + "_" + IntToStr(row);
      tr->AddStringParam("ID", id);
      if (TKXPageContext40* page = context ? context->PageContext() : nullptr) {
        page->AddToInitProc("document.getElementById(\"TBL" + name + "\").scrollTop = document.getElementById(\"" +
                            id + "\").offsetTop - 40;");
      }
    }
  }
}

void TKXGrid::DoCellClick(std::int32_t row, std::int32_t column) {
  if (OnCellClick) OnCellClick(this, row, column);
}

// ---------------------------------------------------------------------------

const TKXControlFamily& GridsFamily() {
  static const TKXControlFamily family{.Name = "grids"};
  return family;
}

}  // namespace kx
