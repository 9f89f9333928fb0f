// The month calendar: a grid of 8 x 7 cells showing one month, with a row
// that moves to the previous or next month around the month's caption, a row
// of weekday names and six week rows of day cells. Clicking a day selects it.
// Day and month names come from the format settings (kx/platform/FormatSettings.h)
// or from the events; every distinct cell style becomes one CSS class of the
// page ("NAME_CS" + number). Builds on kx/controls/grids/Grids.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "kx/appserver/FileReference.h"
#include "kx/controls/ControlFamily.h"
#include "kx/controls/grids/Grids.h"
#include "kx/controls/images/Images.h"
#include "kx/platform/DateUtils.h"

namespace kx {

class TKXCalendar;

enum TKXCalendarWeekStarts : std::uint8_t { wsMonday, wsTuesday, wsWednesday, wsThursday, wsFriday, wsSaturday, wsSunday };

using TKXCalendarDateChange = std::function<void(TDateTime date)>;
using TKXCalendarGetDateInformation = std::function<void(TDateTime date, TStrings& information)>;
using TKXCalendarGetDayNames =
    std::function<void(std::string& sunday, std::string& monday, std::string& tuesday, std::string& wednesday,
                       std::string& thursday, std::string& friday, std::string& saturday)>;
using TKXCalendarGetMonthName = std::function<void(std::int32_t monthNumber, std::string& monthName)>;

// One cell of a calendar: a day (CellDate), a weekday name or a navigation cell.
class TKXCalendarCell : public TKXGridCell {
 public:
  // The calendar that owns the cell's collection; null outside one.
  TKXCalendar* Calendar() const;
  // 0 when the cell shows no day.
  TDateTime CellDate() const { return FCellDate; }
  void SetCellDate(TDateTime value) { FCellDate = value; }
  // The extra lines of the day; SetDateInformation copies them.
  TStringList& DateInformation() { return FDateInformation; }
  void SetDateInformation(const TStrings& value) { FDateInformation.Assign(&value); }
  // The image the cell shows above its text (today's or a navigation image), owned by the cell; none while its
  // reference is empty.
  TKXImageFile& ImageFile() { return *FImageFile; }

  // The cell's content as markup: its image (and a line break when there is text), then its text.
  std::string RenderContents(TKXCompContext* context);
  // A TD (TH for a header) whose style becomes a class of the calendar's style list.
  TKXElementPtr<TKXHTMLTag> RenderSelf(TKXCustomGrid* grid, std::int32_t row, std::int32_t column,
                                       TKXCompContext* context, TKXContainerContext* containerContext,
                                       const std::string& text) override;

 private:
  TOwnedComponent<TKXImageFile> FImageFile{TComponent::Create<TKXImageFile>(nullptr)};
  TDateTime FCellDate = 0;
  TStringList FDateInformation;
};

class TKXCalendarCells : public TOwnedCollection {
 public:
  TKXCalendarCells(TPersistent* owner, TItemFactory itemFactory) : TOwnedCollection(owner, std::move(itemFactory)) {}
  TKXCalendarCell* Add() { return static_cast<TKXCalendarCell*>(TCollection::Add()); }
};

class TKXCalendar : public TKXCustomGrid {
  KX_COMPONENT_CLASS(TKXCalendar, TKXCustomGrid)

 public:
  static constexpr std::int32_t kRowCount = 8;
  static constexpr std::int32_t kColumnCount = 7;

  // Each image shows in its cell instead of the caption when it has a location; the setters copy.
  TKXFileReference& CurrentDayImage() { return *FCurrentDayImage; }
  void SetCurrentDayImage(const TKXFileReference& value) { FCurrentDayImage->Assign(&value); }
  TKXFileReference& NextMonthImage() { return *FNextMonthImage; }
  void SetNextMonthImage(const TKXFileReference& value) { FNextMonthImage->Assign(&value); }
  TKXFileReference& PreviousMonthImage() { return *FPreviousMonthImage; }
  void SetPreviousMonthImage(const TKXFileReference& value) { FPreviousMonthImage->Assign(&value); }
  // #DCDCDC by default.
  TKXColor CalendarColor() const { return FCalendarColor; }
  void SetCalendarColor(TKXColor value) { SetProperty(FCalendarColor, value); }
  // #B0C4DE by default: the weekday row.
  TKXColor CalendarHeaderColor() const { return FCalendarHeaderColor; }
  void SetCalendarHeaderColor(TKXColor value) { SetProperty(FCalendarHeaderColor, value); }
  // Owned; the setters copy.
  TKXFont& CalendarFont() { return *FCalendarFont; }
  void SetCalendarFont(const TKXFont& value);
  TKXFont& CalendarHeaderFont() { return *FCalendarHeaderFont; }
  void SetCalendarHeaderFont(const TKXFont& value);
  TKXCalendarDateChange OnDateChange;
  TKXCalendarGetDateInformation OnGetDateInformation;
  TKXCalendarGetDayNames OnGetDayNames;
  TKXCalendarGetMonthName OnGetMonthName;
  // #E6E6FA by default: every other day cell with CheckerBoard.
  TKXColor AlternateCalendarColor() const { return FAlternateCalendarColor; }
  void SetAlternateCalendarColor(TKXColor value) { SetProperty(FAlternateCalendarColor, value); }
  // False by default.
  bool CheckerBoard() const { return FCheckerBoard; }
  void SetCheckerBoard(bool value) { SetProperty(FCheckerBoard, value); }
  // 0 by default; a change fires OnDateChange.
  TDateTime SelectedDate() const { return FSelectedDate; }
  void SetSelectedDate(TDateTime value);
  // False by default: short day names.
  bool UseLongDayNames() const { return FLongDayNames; }
  void SetUseLongDayNames(bool value) { SetProperty(FLongDayNames, value); }
  // True by default: the caption shows the year after the month.
  bool DisplayYear() const { return FDisplayYear; }
  void SetDisplayYear(bool value) { SetProperty(FDisplayYear, value); }
  // Empty by default; shown above today's day number.
  const std::string& CaptionToday() const { return FCaptionToday; }
  void SetCaptionToday(const std::string& value) { SetProperty(FCaptionToday, value); }
  // "Next" and "Previous" by default.
  const std::string& CaptionNext() const { return FCaptionNext; }
  void SetCaptionNext(const std::string& value) { SetProperty(FCaptionNext, value); }
  const std::string& CaptionPrevious() const { return FCaptionPrevious; }
  void SetCaptionPrevious(const std::string& value) { SetProperty(FCaptionPrevious, value); }
  // A class added to every cell (in place of the control's own class).
  std::string Css() override { return FCss; }
  void SetCss(const std::string& value) override { SetProperty(FCss, value); }
  // The moment of creation by default, without a month shown: a different date selects today (in the current
  // month) or the month's first day, and loads that month.
  TDateTime StartDate() const { return FStartDate; }
  void SetStartDate(TDateTime value);
  // wsMonday by default: the weekday of the first column.
  TKXCalendarWeekStarts WeekStarts() const { return FWeekStarts; }
  void SetWeekStarts(TKXCalendarWeekStarts value) { SetProperty(FWeekStarts, value); }
  // The month shown (1..12) and its year; 0 before a month was loaded.
  std::uint16_t CurrentMonth() const { return FCurrentMonth; }
  std::uint16_t CurrentYear() const { return FCurrentYear; }
  // The distinct cell styles; the index of a style is its class number.
  const TStringList& CellStyles() const { return FCellStyles; }

  // The cell, made on first access; indices outside 8 x 7 raise Exception "Index out of bounds.".
  TKXCalendarCell* Cell(std::int32_t row, std::int32_t column);
  bool CellExists(std::int32_t row, std::int32_t column) const;
  // Cell (0, 0) moves a month back, (0, 6) a month on; a day cell selects its date.
  void DoCellClick(std::int32_t row, std::int32_t column) override;
  // The month before or after the one shown, across the year's end.
  virtual void GoPreviousMonth();
  virtual void GoNextMonth();
  // Fills the cells for the month shown and marks the calendar for refresh.
  virtual void LoadMonth();
  // The name of weekday index, 0 = Monday .. 6 = Sunday, as DoGetDayNames filled them.
  virtual std::string GetDayName(std::int32_t index) const;
  // The names from the format settings (long with UseLongDayNames), then OnGetDayNames.
  virtual void DoGetDayNames();
  virtual void DoGetDateInformation(TDateTime date, TStrings& information);
  // Row 1: the header font and colour.
  void SetHeaderCells();
  // Always false: a calendar never sits in its own cells.
  bool IsValidCell(const TKXGridCell* cell) const override {
    (void)cell;
    return false;
  }

  // The TABLE (id HTML name) of the month; the cell styles go to the page's style tag.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXCALENDAR": the same TABLE, and the style rules of its cells ("cellstyles").
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;
  // ".NAME_CS<i>{style}" + CR LF for every style of the list.
  std::string CellStyleRules() const;
  // The HTML name at the last full rendering: the prefix of the style classes.
  const std::string& HtmlName() const { return FHtmlName; }

 protected:
  void InitControl() override;
  void Dispose() override;
  void RenderCells(TKXCompContext* context, TKXHTMLTag* table) override;

 private:
  friend class TKXCalendarCell;

  TKXElementPtr<TKXHTMLTag> RenderCalendarTable(TKXCompContext* context);
  // The cell's TD with a link that submits "row_column" around its contents.
  TKXElementPtr<TKXHTMLTag> RenderLinkedCell(std::int32_t row, std::int32_t column, TKXCompContext* context);
  // The class of style, added to the list when new.
  std::string StyleClass(const std::string& style);

  std::string FHtmlName;
  std::uint16_t FCurrentMonth = 0;
  std::uint16_t FCurrentYear = 0;
  std::unique_ptr<TKXCalendarCells> FCellCollection;
  std::unique_ptr<TKXFileReference> FCurrentDayImage;
  std::unique_ptr<TKXFileReference> FNextMonthImage;
  std::unique_ptr<TKXFileReference> FPreviousMonthImage;
  TKXColor FCalendarColor = 14474460;
  TKXColor FCalendarHeaderColor = 14599344;
  std::unique_ptr<TKXFont> FCalendarFont;
  std::unique_ptr<TKXFont> FCalendarHeaderFont;
  TKXColor FAlternateCalendarColor = 16443110;
  bool FCheckerBoard = false;
  TDateTime FSelectedDate = 0;
  bool FLongDayNames = false;
  bool FDisplayYear = true;
  // Sunday first.
  std::array<std::string, 7> FDayNames;
  std::string FCaptionToday;
  std::string FCaptionNext;
  std::string FCaptionPrevious;
  std::string FCss;
  TDateTime FStartDate = 0;
  TKXCalendarWeekStarts FWeekStarts = wsMonday;
  TStringList FCellStyles;
};

// The family's registration (the calendar), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& CalendarFamily();

}  // namespace kx
