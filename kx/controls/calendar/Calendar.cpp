#include "kx/controls/calendar/Calendar.h"

#include "kx/controls/calendar/FamilyFiles.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/KXMessages.h"
#include "kx/platform/FormatSettings.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* kCRLF = "\r\n";
constexpr const char* kNestedTableStyle = "border-collapse: collapse; border-spacing: 0; padding:0; width: 100%;";

// The weekday of a date counted from Monday = 0.
int WeekdayFromMonday(TDateTime date) { return (DayOfWeek(date) + 5) % 7; }

// "name: value;" for a size other than empty and "0" (the calendar's sizes are percentages).
std::string SizeStyle(const char* name, const std::string& value) {
  if (value.empty() || value == "0") return std::string();
  return std::string(name) + ": " + value + ";";
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXCalendarCell

TKXCalendar* TKXCalendarCell::Calendar() const {
  return Collection() ? dynamic_cast<TKXCalendar*>(Collection()->Owner()) : nullptr;
}

std::string TKXCalendarCell::RenderContents(TKXCompContext* context) {
  std::string contents;
  if (!FImageFile->ImageLocation().empty()) {
    FImageFile->SetUseSize(false);
    TKXCompContext imageContext(FImageFile.get(), nullptr, context ? context->PageContext() : nullptr);
    if (TKXElementPtr<TKXHTMLTag> image = FImageFile->RenderHTML(&imageContext)) {
      TKXRenderStream stream(true, true);
      image->Render(stream);
      contents = stream.GetAsString();
    }
    if (!Text().empty()) contents += "<BR>";
  }
  return contents + TextAsMarkup(Text());
}

TKXElementPtr<TKXHTMLTag> TKXCalendarCell::RenderSelf(TKXCustomGrid* grid, std::int32_t row, std::int32_t column,
                                                      TKXCompContext* context, TKXContainerContext* containerContext,
                                                      const std::string& text) {
  (void)context, (void)containerContext;
  if (!Visible()) {
    TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("TD");
    tag->Contents()->AddText("&nbsp;", false);
    return tag;
  }
  // The grid for the duration of the rendering: a change by the render event reaches it.
  struct TGridScope {
    TKXCalendarCell* Cell;
    ~TGridScope() { Cell->SetGrid(nullptr); }
  } scope{this};
  SetGrid(grid);
  auto* calendar = dynamic_cast<TKXCalendar*>(grid);
  if (calendar != nullptr) calendar->DoRenderCell(this, row, column);

  const std::string content = text.empty() ? TextAsMarkup(Text()) : text;
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create(Header() ? "TH" : "TD");
  std::string style;
  if (!Wrap()) style += "white-space: nowrap;";
  style += SizeStyle("width", Width());
  style += SizeStyle("height", Height());
  if (BGColor() != clNone) style += "background-color:" + ColorToRGBString(BGColor()) + ";";
  style += TKXCustomControl::RenderVerticalAlignStyle(VAlign());
  style += TKXCustomControl::RenderTextAlignStyle(Alignment());
  if (calendar == nullptr || calendar->FCss.empty()) style += Font().FontToStringStyle();
  if (calendar != nullptr) {
    tag->AddClassParam(calendar->StyleClass(style));
    tag->AddClassParam(calendar->FCss);
  } else {
    tag->AddStringParam("style", style);
  }
  tag->Contents()->AddText(content, false);
  return tag;
}

// ---------------------------------------------------------------------------
// TKXCalendar

void TKXCalendar::InitControl() {
  TKXCustomGrid::InitControl();
  FCellCollection = std::make_unique<TKXCalendarCells>(this, CollectionItemClass<TKXCalendarCell>());
  FCurrentDayImage = std::make_unique<TKXFileReference>();
  FNextMonthImage = std::make_unique<TKXFileReference>();
  FPreviousMonthImage = std::make_unique<TKXFileReference>();
  FCalendarColor = 14474460;
  FCalendarHeaderColor = 14599344;
  FAlternateCalendarColor = 16443110;
  FCalendarFont = std::make_unique<TKXFont>();
  FCalendarHeaderFont = std::make_unique<TKXFont>();
  FCheckerBoard = false;
  FDisplayYear = true;
  FCaptionNext = RSNext;
  FCaptionPrevious = RSPrevious;
  FLongDayNames = false;
  // Stored directly: a calendar made at run time shows its month once StartDate changes.
  FStartDate = Now();
  FCells.assign(std::size_t(kRowCount), TCellRow(std::size_t(kColumnCount), nullptr));
}

void TKXCalendar::Dispose() {
  FCells.clear();
  FCellCollection.reset();
  FCurrentDayImage.reset();
  FNextMonthImage.reset();
  FPreviousMonthImage.reset();
  FCalendarFont.reset();
  FCalendarHeaderFont.reset();
  TKXCustomGrid::Dispose();
}

void TKXCalendar::SetCalendarFont(const TKXFont& value) {
  FCalendarFont->Assign(&value);
  Invalidate();
}

void TKXCalendar::SetCalendarHeaderFont(const TKXFont& value) {
  FCalendarHeaderFont->Assign(&value);
  Invalidate();
}

void TKXCalendar::SetSelectedDate(TDateTime value) {
  if (value == FSelectedDate) return;
  FSelectedDate = value;
  if (OnDateChange) OnDateChange(value);
}

void TKXCalendar::SetStartDate(TDateTime value) {
  if (value == FStartDate) return;
  FStartDate = value;
  FSelectedDate = 0;
  int year, month, day;
  DecodeDate(value, year, month, day);
  FCurrentYear = std::uint16_t(year);
  FCurrentMonth = std::uint16_t(month);
  int thisYear, thisMonth, today;
  DecodeDate(Date(), thisYear, thisMonth, today);
  SetSelectedDate(year == thisYear && month == thisMonth ? Date() : EncodeDate(year, month, 1));
  if (!DesignMode()) LoadMonth();
}

bool TKXCalendar::CellExists(std::int32_t row, std::int32_t column) const {
  CheckCellIndex(row, column);
  return FCells[std::size_t(row)][std::size_t(column)] != nullptr;
}

TKXCalendarCell* TKXCalendar::Cell(std::int32_t row, std::int32_t column) {
  if (CellExists(row, column)) return static_cast<TKXCalendarCell*>(FCells[std::size_t(row)][std::size_t(column)]);
  TKXCalendarCell* cell = FCellCollection->Add();
  FCells[std::size_t(row)][std::size_t(column)] = cell;
  cell->SetDesignMode(DesignMode());
  cell->Font().Assign(&WebFont());
  return cell;
}

void TKXCalendar::DoCellClick(std::int32_t row, std::int32_t column) {
  TKXCalendarCell* cell = Cell(row, column);
  if (row == 0 && column == 0) GoPreviousMonth();
  if (row == 0 && column == 6) GoNextMonth();
  if (cell->CellDate() != 0) SetSelectedDate(cell->CellDate());
}

void TKXCalendar::GoNextMonth() {
  if (FCurrentMonth == 0) return;  // no month shown yet
  if (FCurrentMonth >= 12) {
    FCurrentMonth = 1;
    ++FCurrentYear;
  } else {
    ++FCurrentMonth;
  }
  LoadMonth();
}

void TKXCalendar::GoPreviousMonth() {
  if (FCurrentMonth == 0) return;  // no month shown yet
  if (FCurrentMonth == 1) {
    FCurrentMonth = 12;
    --FCurrentYear;
  } else {
    --FCurrentMonth;
  }
  LoadMonth();
}

std::string TKXCalendar::GetDayName(std::int32_t index) const {
  return FDayNames[std::size_t(((index % 7) + 8) % 7)];
}

void TKXCalendar::DoGetDayNames() {
  const TFormatSettings& settings = KXFormatSettings();
  FDayNames = FLongDayNames ? settings.LongDayNames : settings.ShortDayNames;
  if (OnGetDayNames) {
    OnGetDayNames(FDayNames[0], FDayNames[1], FDayNames[2], FDayNames[3], FDayNames[4], FDayNames[5], FDayNames[6]);
  }
}

void TKXCalendar::DoGetDateInformation(TDateTime date, TStrings& information) {
  if (OnGetDateInformation) OnGetDateInformation(date, information);
}

void TKXCalendar::SetHeaderCells() {
  for (std::int32_t column = 0; column < kColumnCount; ++column) {
    TKXCalendarCell* cell = Cell(1, column);
    cell->SetFont(*FCalendarHeaderFont);
    cell->SetBGColor(FCalendarHeaderColor);
  }
}

void TKXCalendar::LoadMonth() {
  if (FCurrentMonth < 1 || FCurrentMonth > 12) return;
  DoGetDayNames();
  for (std::int32_t column = 0; column < kColumnCount; ++column) {
    TKXCalendarCell* cell = Cell(1, column);
    cell->SetText(GetDayName((FWeekStarts + column) % 7));
    cell->SetAlignment(taCenter);
    cell->SetHeight("20%");
    cell->SetVAlign(vaMiddle);
    cell->SetWidth(column == 0 || column == 6 ? "15%" : "14%");
  }

  struct TNavigation {
    std::int32_t Column;
    TAlignment Alignment;
    const TKXFileReference* Image;
    const std::string* Caption;
  };
  const TNavigation navigation[] = {{0, taLeftJustify, FPreviousMonthImage.get(), &FCaptionPrevious},
                                    {6, taRightJustify, FNextMonthImage.get(), &FCaptionNext}};
  for (const TNavigation& item : navigation) {
    TKXCalendarCell* cell = Cell(0, item.Column);
    cell->SetClickable(true);
    cell->SetAlignment(item.Alignment);
    cell->SetVAlign(vaMiddle);
    cell->ImageFile().SetImageFile(*item.Image);
    cell->SetText(TKXControlSession::Current().FileLocation(*item.Image).empty() ? *item.Caption : std::string());
  }

  const TDateTime today = Date();
  const int lastDay = DaysInAMonth(FCurrentYear, FCurrentMonth);
  int day = 1;
  bool alternate = true;
  for (std::int32_t row = kRowCount - 6; row < kRowCount; ++row) {
    for (std::int32_t column = 0; column < kColumnCount; ++column) {
      TKXCalendarCell* cell = Cell(row, column);
      cell->SetAlignment(taCenter);
      cell->SetVAlign(vaMiddle);
      cell->SetText(std::string());
      cell->SetHeight("10%");
      cell->SetBGColor(alternate || !FCheckerBoard ? FCalendarColor : FAlternateCalendarColor);
      alternate = !alternate;
      cell->SetFont(*FCalendarFont);
      cell->SetClickable(false);
      cell->ImageFile().SetImageFile(TKXFileReference());
      cell->SetCellDate(0);
      cell->DateInformation().Clear();
      if (day > lastDay) continue;
      const TDateTime date = EncodeDate(FCurrentYear, FCurrentMonth, day);
      if (WeekdayFromMonday(date) != (FWeekStarts + column) % 7) continue;
      cell->SetCellDate(date);
      DoGetDateInformation(date, cell->DateInformation());
      std::string text = IntToStr(day);
      for (int i = 0; i < cell->DateInformation().Count(); ++i) {
        text = Format("%s<BR>%s", text, cell->DateInformation().Strings(i));
      }
      cell->SetClickable(true);
      if (date == today) {
        if (!TKXControlSession::Current().FileLocation(*FCurrentDayImage).empty()) {
          cell->ImageFile().SetImageFile(*FCurrentDayImage);
        } else if (!Trim(FCaptionToday).empty()) {
          text = Format("%s<BR>%s", FCaptionToday, text);
        }
      }
      cell->SetText(text);
      ++day;
    }
  }

  std::string name = FormatDateTime("mmmm", EncodeDate(FCurrentYear, FCurrentMonth, 1));
  if (OnGetMonthName) OnGetMonthName(FCurrentMonth, name);
  TKXCalendarCell* caption = Cell(0, 1);
  caption->SetText(FDisplayYear ? Format("%s %s", name, FormatDateTime("yyyy", EncodeDate(FCurrentYear, 1, 1)))
                                : name);
  caption->SetAlignment(taCenter);
  caption->SetFont(*FCalendarHeaderFont);
  SetDoRefreshControl(true);
}

// ---- rendering

std::string TKXCalendar::StyleClass(const std::string& style) {
  int index = FCellStyles.IndexOf(style);
  if (index < 0) index = FCellStyles.Add(style);
  return FHtmlName + "_CS" + IntToStr(index);
}

std::string TKXCalendar::CellStyleRules() const {
  std::string rules;
  for (int i = 0; i < FCellStyles.Count(); ++i) {
    rules += "." + FHtmlName + "_CS" + IntToStr(i) + "{" + FCellStyles.Strings(i) + "}" + kCRLF;
  }
  return rules;
}

TKXElementPtr<TKXHTMLTag> TKXCalendar::RenderCalendarTable(TKXCompContext* context) {
  FHtmlName = HTMLName();
  SetHeaderCells();
  TKXElementPtr<TKXHTMLTag> table = TKXHTMLTag::Create("TABLE");
  table->AddStringParam("ID", FHtmlName);
  std::string style = "border-collapse: collapse; border-spacing: 0; padding:0;";
  if (BGColor() != clNone) style += "background-color:" + ColorToRGBString(BGColor()) + ";";
  if (UseSize()) style += "width: " + IntToStr(Width() - (UseFrame() ? FrameBuffer() : 0)) + "px;";
  table->AddStringParam("style", style);
  HTMLControlImplementation()->SetRenderSize(UseSize());
  table->AddStringParam("summary", TextToHTML(Summary(), false, false, false));
  if (!Caption().empty()) {
    table->Contents()->AddText("<CAPTION>" + TextToHTML(Caption(), true, false, false) + "</CAPTION>", false);
  }
  RenderCells(context, table.get());
  return table;
}

TKXElementPtr<TKXHTMLTag> TKXCalendar::RenderHTML(TKXCompContext* context) {
  TKXElementPtr<TKXHTMLTag> table = RenderCalendarTable(context);
  if (context != nullptr) {
    context->AddScriptFile(calendar_files::kKXCalendarJs);
    const std::string rules = CellStyleRules();
    if (!rules.empty()) context->AddStyle(rules);
  }
  return table;
}

TKXElementPtr<TKXXMLTag> TKXCalendar::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXCALENDAR");
  static_cast<TKXMarkupLanguageTag*>(tag->Contents()->AddTag("innerHTML", false))
      ->Contents()
      ->AddTagAsObject(RenderCalendarTable(context), false);
  // Styles first made during this rendering are in no page yet: the update brings them all.
  tag->Contents()->AddTag("cellstyles", false)->Contents()->AddText(EscapeXMLText(CellStyleRules()), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  AppendCellScripts(context ? context->PageContext() : nullptr);
  return tag;
}

TKXElementPtr<TKXHTMLTag> TKXCalendar::RenderLinkedCell(std::int32_t row, std::int32_t column,
                                                        TKXCompContext* context) {
  TKXCalendarCell* cell = Cell(row, column);
  TKXElementPtr<TKXHTMLTag> link = SubmitLink(cell->RenderContents(context), IntToStr(row) + "_" + IntToStr(column),
                                              false, context ? context->Browser() : nullptr);
  TKXRenderStream stream(true, true);
  link->Render(stream);
  return cell->RenderSelf(this, row, column, context, ContainerContext(), stream.GetAsString());
}

void TKXCalendar::RenderCells(TKXCompContext* context, TKXHTMLTag* table) {
  TKXCustomGrid::RenderCells(context, table);
  TKXContainerContext* containerContext = ContainerContext();

  TKXMarkupLanguageTag* cellHolder = table->Contents()->AddTag("TR", false)->Contents()->AddTag("TD", false);
  cellHolder->AddIntegerParam("COLSPAN", kColumnCount);
  TKXMarkupLanguageTag* navigation = cellHolder->Contents()->AddTag("Table", false);
  navigation->AddStringParam("style", kNestedTableStyle);
  TKXMarkupLanguageTag* navigationRow = navigation->Contents()->AddTag("TR", false);
  navigationRow->Contents()->AddTagAsObject(RenderLinkedCell(0, 0, context), false);
  navigationRow->Contents()->AddTagAsObject(Cell(0, 1)->RenderSelf(this, 0, 1, context, containerContext, ""), false);
  navigationRow->Contents()->AddTagAsObject(RenderLinkedCell(0, 6, context), false);

  for (std::int32_t row = 1; row < kRowCount; ++row) {
    TKXMarkupLanguageTag* tr = table->Contents()->AddTag("TR", false);
    for (std::int32_t column = 0; column < kColumnCount; ++column) {
      auto* cell = static_cast<TKXCalendarCell*>(FCells[std::size_t(row)][std::size_t(column)]);
      if (cell == nullptr) {
        tr->Contents()->AddTag("TD", false);
      } else if (!cell->Visible()) {
        continue;
      } else if (cell->Clickable()) {
        tr->Contents()->AddTagAsObject(RenderLinkedCell(row, column, context), false);
      } else {
        tr->Contents()->AddTagAsObject(cell->RenderSelf(this, row, column, context, containerContext, ""), false);
      }
    }
  }
}

// ---------------------------------------------------------------------------

const TKXControlFamily& CalendarFamily() {
  static const TKXControlFamily family{.Name = "calendar"};
  return family;
}

}  // namespace kx
