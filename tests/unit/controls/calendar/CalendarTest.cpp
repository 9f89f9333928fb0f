#include "kx/controls/calendar/Calendar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "kx/platform/FormatSettings.h"
#include "kx/platform/SysUtils.h"
#include "support/ParsedDocument.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;
using test::TParsedDocument;

struct TCalendarFixture : TFormFixture {
  TKXCalendar* Calendar = Add<TKXCalendar>("Calendar1", Form);
  std::vector<TDateTime> Changes;

  TCalendarFixture() {
    Calendar->OnDateChange = [this](TDateTime date) { Changes.push_back(date); };
  }
  std::string Page() {
    TKXMarkupLanguageTag* tag = Form->Render()->GetMarkupLanguageTag("CALENDAR1");
    return tag ? "<html><body>" + tag->Render() + "</body></html>" : std::string();
  }
  // The day numbers of the week rows in reading order, "" for a cell without a day.
  std::vector<std::string> Days() {
    std::vector<std::string> days;
    for (int r = 2; r < 8; ++r)
      for (int c = 0; c < 7; ++c) {
        TKXCalendarCell* cell = Calendar->Cell(r, c);
        int year, month, day;
        DecodeDate(cell->CellDate(), year, month, day);
        days.push_back(cell->CellDate() == 0 ? "" : IntToStr(day));
      }
    return days;
  }
};

TEST(TKXCalendar, MadeAtRunTimeItShowsNoMonthAndStillRenders) {
  TCalendarFixture f;
  EXPECT_EQ(f.Calendar->CurrentMonth(), 0);
  const TParsedDocument page(f.Page(), true);
  ASSERT_TRUE(page.Parsed());
  EXPECT_EQ(page.Value("/html/body/table/@id"), "CALENDAR1");
  EXPECT_EQ(page.Count("/html/body/table/tr | /html/body/table/tbody/tr"), 8);
  EXPECT_EQ(page.Count("//a"), 2);
  EXPECT_TRUE(f.Changes.empty());
  // Navigating without a month changes nothing.
  f.Calendar->Submit("0_6");
  EXPECT_EQ(f.Calendar->CurrentMonth(), 0);
}

TEST(TKXCalendar, LeapFebruaryInBothWeekStarts) {
  struct Case {
    TKXCalendarWeekStarts starts;
    int firstColumn;  // 2024-02-01 is a Thursday
    const char* firstName;
  } cases[] = {{wsMonday, 3, "Mon"}, {wsSunday, 4, "Sun"}, {wsThursday, 0, "Thu"}, {wsFriday, 6, "Fri"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.firstName);
    TCalendarFixture f;
    f.Calendar->SetWeekStarts(c.starts);
    f.Calendar->SetStartDate(EncodeDate(2024, 2, 10));
    EXPECT_EQ(f.Calendar->Cell(1, 0)->Text(), c.firstName);
    const std::vector<std::string> days = f.Days();
    EXPECT_EQ(days[std::size_t(c.firstColumn)], "1");
    for (int i = 0; i < c.firstColumn; ++i) {
      EXPECT_EQ(days[std::size_t(i)], "");
      EXPECT_FALSE(f.Calendar->Cell(2, i)->Clickable());
    }
    EXPECT_EQ(days[std::size_t(c.firstColumn + 28)], "29");
    EXPECT_EQ(std::count_if(days.begin(), days.end(), [](const std::string& d) { return !d.empty(); }), 29);
    EXPECT_EQ(f.Calendar->Cell(0, 1)->Text(), "February 2024");
  }
}

TEST(TKXCalendar, StartDateSelectsTodayOrTheFirstOfTheMonth) {
  TCalendarFixture f;
  f.Calendar->SetStartDate(EncodeDate(2023, 7, 19));
  EXPECT_EQ(f.Calendar->SelectedDate(), EncodeDate(2023, 7, 1));
  int year, month, day;
  DecodeDate(Date(), year, month, day);
  f.Calendar->SetStartDate(EncodeDate(year, month, 1) + 0.5);
  EXPECT_EQ(f.Calendar->SelectedDate(), Date());
  EXPECT_EQ(f.Changes, (std::vector<TDateTime>{EncodeDate(2023, 7, 1), Date()}));
}

TEST(TKXCalendar, NavigationWrapsTheYearAndKeepsTheSelection) {
  TCalendarFixture f;
  f.Calendar->SetStartDate(EncodeDate(2025, 1, 15));
  const TDateTime selected = f.Calendar->SelectedDate();
  f.Calendar->Submit("0_0");
  EXPECT_EQ(f.Calendar->CurrentMonth(), 12);
  EXPECT_EQ(f.Calendar->CurrentYear(), 2024);
  EXPECT_EQ(f.Calendar->Cell(0, 1)->Text(), "December 2024");
  f.Calendar->Submit("0_6");
  f.Calendar->Submit("0_6");
  EXPECT_EQ(f.Calendar->CurrentMonth(), 2);
  EXPECT_EQ(f.Calendar->CurrentYear(), 2025);
  EXPECT_EQ(f.Calendar->SelectedDate(), selected);
  f.Calendar->SetStartDate(EncodeDate(2024, 12, 3));
  f.Calendar->Submit("0_6");
  EXPECT_EQ(f.Calendar->Cell(0, 1)->Text(), "January 2025");
}

TEST(TKXCalendar, ClickingADaySelectsItOnce) {
  TCalendarFixture f;
  f.Calendar->SetStartDate(EncodeDate(2024, 2, 10));
  f.Changes.clear();
  f.Calendar->Submit("3_3");  // Monday start: row 3, column 3 is Thursday the 8th
  EXPECT_EQ(f.Calendar->SelectedDate(), EncodeDate(2024, 2, 8));
  f.Calendar->Submit("3_3");
  f.Calendar->Submit("2_0");  // no day there
  f.Calendar->Submit("1_2");  // a weekday name
  EXPECT_EQ(f.Changes, (std::vector<TDateTime>{EncodeDate(2024, 2, 8)}));
}

TEST(TKXCalendar, CheckerBoardAlternatesOverAllDayCells) {
  TCalendarFixture f;
  f.Calendar->SetCheckerBoard(true);
  f.Calendar->SetStartDate(EncodeDate(2024, 2, 10));
  for (int i = 0; i < 42; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(f.Calendar->Cell(2 + i / 7, i % 7)->BGColor(),
              i % 2 == 0 ? f.Calendar->CalendarColor() : f.Calendar->AlternateCalendarColor());
  }
}

TEST(TKXCalendar, CellStylesBecomeSharedClasses) {
  TCalendarFixture f;
  f.Calendar->SetStartDate(EncodeDate(2024, 2, 10));
  const TParsedDocument page(f.Page(), true);
  // Every day cell of one look shares one class.
  std::set<std::string> classes;
  for (int i = 1; i <= 6; ++i) classes.insert(page.Value("(//a[.='" + std::to_string(i + 1) + "']/..)/@class"));
  EXPECT_EQ(classes.size(), 1u);
  const std::string shared = *classes.begin();
  EXPECT_EQ(shared.rfind("CALENDAR1_CS", 0), 0u) << shared;
  const int styles = f.Calendar->CellStyles().Count();
  const std::string rules = f.Calendar->CellStyleRules();
  EXPECT_NE(rules.find("." + shared + "{white-space: nowrap;height: 10%;background-color:#DCDCDC;"),
            std::string::npos)
      << rules;
  EXPECT_NE(f.Form->Page.StyleTag()->Render().find("." + shared + "{"), std::string::npos);
  // The same styles map to the same classes on the next rendering.
  f.Page();
  EXPECT_EQ(f.Calendar->CellStyles().Count(), styles);
}

TEST(TKXCalendar, InformationLinesTodayAndNames) {
  TCalendarFixture f;
  f.Calendar->OnGetDateInformation = [](TDateTime date, TStrings& info) {
    if (date == EncodeDate(2024, 2, 14)) {
      info.Add("Meeting");
      info.Add("Lunch");
    }
  };
  f.Calendar->OnGetMonthName = [](std::int32_t, std::string& name) { name += "."; };
  f.Calendar->OnGetDayNames = [](std::string& sunday, std::string& monday, std::string&, std::string&,
                                 std::string&, std::string&, std::string&) {
    sunday = "S";
    monday = "M";
  };
  f.Calendar->SetUseLongDayNames(true);
  f.Calendar->SetStartDate(EncodeDate(2024, 2, 10));
  EXPECT_EQ(f.Calendar->Cell(4, 2)->Text(), "14<BR>Meeting<BR>Lunch");
  EXPECT_EQ(f.Calendar->Cell(0, 1)->Text(), "February. 2024");
  EXPECT_EQ(f.Calendar->Cell(1, 0)->Text(), "M");
  EXPECT_EQ(f.Calendar->Cell(1, 1)->Text(), "Tuesday");
  EXPECT_EQ(f.Calendar->Cell(1, 6)->Text(), "S");


  TCalendarFixture today;
  today.Calendar->SetCaptionToday("Today");
  today.Calendar->SetDisplayYear(false);
  today.Calendar->SetStartDate(Date());
  int year, month, day;
  DecodeDate(Date(), year, month, day);
  EXPECT_EQ(today.Calendar->Cell(0, 1)->Text(), EnglishFormatSettings().LongMonthNames[std::size_t(month - 1)]);
  const std::vector<std::string> days = today.Days();
  const int index = int(std::find(days.begin(), days.end(), std::to_string(day)) - days.begin());
  EXPECT_EQ(today.Calendar->Cell(2 + index / 7, index % 7)->Text(), "Today<BR>" + std::to_string(day));
}

TEST(TKXCalendar, NavigationImagesTakeThePlaceOfTheCaptions) {
  TCalendarFixture f;
  f.Calendar->PreviousMonthImage().SetURL("http://example.com/prev.gif");
  f.Calendar->SetStartDate(EncodeDate(2024, 2, 10));
  const TParsedDocument page(f.Page(), true);
  EXPECT_EQ(page.Value("(//table//table//td)[1]/a/img/@src"), "http://example.com/prev.gif");
  EXPECT_EQ(page.Value("(//table//table//td)[1]/a"), "");
  EXPECT_EQ(page.Value("(//table//table//td)[3]/a"), "Next");
}

TEST(TKXCalendar, TheUpdateCarriesTheSameTableAndItsStyles) {
  TCalendarFixture f;
  f.Calendar->SetStartDate(EncodeDate(2024, 2, 10));
  f.Page();
  f.Calendar->Submit("0_6");
  EXPECT_TRUE(f.Calendar->DoRefreshControl());
  TKXCompContext context(f.Calendar, nullptr, nullptr);
  const std::string update = f.Calendar->RenderAsync(&context)->Render();
  const TParsedDocument answer(update, false);
  ASSERT_TRUE(answer.Parsed() && answer.Errors().empty()) << update;
  EXPECT_EQ(answer.Value("/control/@type"), "KXCALENDAR");
  EXPECT_EQ(answer.Value("/control/@id"), "CALENDAR1");
  const TParsedDocument table("<html><body>" + answer.Value("/control/innerhtml") + "</body></html>", true);
  EXPECT_EQ(table.Value("/html/body/table/@id"), "CALENDAR1");
  EXPECT_NE(table.Value("//table//table"), "");
  EXPECT_NE(table.Value("(//table)[2]").find("March 2024"), std::string::npos);
  std::string rules = f.Calendar->CellStyleRules();
  std::erase(rules, '\r');  // XML reads CR LF as LF
  EXPECT_EQ(answer.Value("/control/cellstyles"), rules);
}

}  // namespace
}  // namespace kx
