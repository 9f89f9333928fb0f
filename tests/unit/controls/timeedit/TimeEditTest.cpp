// The time edit's text for a number of minutes, and the minutes a posted text means.
#include "kx/controls/timeedit/TimeEdit.h"

#include <gtest/gtest.h>

#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;

TEST(TKXTimeEdit, FormatsMinutesByDisplayFormat) {
  struct {
    std::int32_t Minutes;
    TKXTimeDisplayFormat Format;
    const char* Text;
  } const cases[] = {
      {0, dfAuto, "0"},       {59, dfAuto, "59m"},      {60, dfAuto, "1:00"},     {90, dfAuto, "1:30"},
      {65, dfAuto, "1:05"},   {480, dfAuto, "1.00d"},   {1200, dfAuto, "2.50d"},  {2880, dfAuto, "1.20w"},
      {90, dfMinutes, "90m"}, {30, dfHours, "0:30"},    {240, dfDays, "0.50d"},   {0, dfWeeks, "0"},
  };
  TFormFixture f;
  auto* edit = f.Add<TKXTimeEdit>("Time1", f.Form);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Minutes);
    edit->SetDisplayFormat(c.Format);
    edit->SetMinutes(c.Minutes);
    EXPECT_EQ(edit->GetFormattedText(), c.Text);
    EXPECT_EQ(edit->Text(), c.Text);
  }
}

TEST(TKXTimeEdit, ParsesPostedTexts) {
  struct {
    const char* Posted;
    std::int32_t Minutes;
  } const cases[] = {
      {"1:15", 75}, {"2h", 120}, {"2H", 120}, {"3d", 1440}, {"1w", 2400}, {"0.5w", 1200}, {"45", 45}, {"45m", 45},
      {" 7 ", 7},   {"1:5", 65}, {"2:30h", 150},
      {"1.5h", 90},                                 // a fraction of an hour is taken, not refused
      {"2.5", 2}, {"3.5", 4}, {"0.5", 0},           // halves round to even, as the platform rounds
      {"abc", 0}, {"", 0}, {"h", 0}, {"1:x", 0}, {".5", 0}, {"-5", 0}, {"1e3", 0}, {"1,5", 0}, {"nan", 0},
      {"99999999999", 0}, {"9999999w", 0},          // beyond the minutes' range
  };
  TFormFixture f;
  auto* edit = f.Add<TKXTimeEdit>("Time1", f.Form);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Posted);
    edit->SetMinutes(33);
    edit->SetValue(c.Posted);
    EXPECT_EQ(edit->Minutes(), c.Minutes);
    EXPECT_EQ(edit->Text(), c.Posted) << "the posted text is kept as typed";
  }
}

// Hours per day or days per week below 1 would divide by zero: they are refused.
TEST(TKXTimeEdit, RefusesDaysAndWeeksOfNoLength) {
  TFormFixture f;
  auto* edit = f.Add<TKXTimeEdit>("Time1", f.Form);
  edit->SetHoursPerDay(0);
  edit->SetDaysPerWeek(-2);
  EXPECT_EQ(edit->HoursPerDay(), 8);
  EXPECT_EQ(edit->DaysPerWeek(), 5);
  edit->SetHoursPerDay(6);
  edit->SetMinutes(360);
  EXPECT_EQ(edit->Text(), "1.00d");
  edit->SetValue("2d");
  EXPECT_EQ(edit->Minutes(), 720);
}

// The message is handed over as text: the page escapes it once, for its script.
TEST(TKXTimeEdit, ChecksItsTextInThePage) {
  TFormFixture f;
  auto* edit = f.Add<TKXTimeEdit>("Time1", f.Form);
  edit->SetFriendlyName("Effort & \"estimate\"");
  f.Form->Render();
  ASSERT_EQ(f.Form->Page.Validation().Count(), 1);
  EXPECT_EQ(f.Form->Page.Validation().Strings(0), "!ValidateTimeEdit(\"TIME1\")");
  EXPECT_EQ(f.Form->Page.ValidationMsg().Strings(0),
            "The value of Effort & \"estimate\" is in an incorrect format.\r\nPlease correct the value.");
  edit->SetVisible(false);
  f.Form->Page.Validation().Clear();
  f.Form->Render();
  EXPECT_EQ(f.Form->Page.Validation().Count(), 0);
}

}  // namespace
}  // namespace kx
