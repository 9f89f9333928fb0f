// The calendar against the control contract (support/ControlContract.h).
#include "kx/controls/calendar/Calendar.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

const TControlContract kCalendarContract[] = {
    {.Name = "Calendar",
     .Make = [](TFormFixture& f) -> TKXCustomControl* {
       auto* calendar = f.Add<TKXCalendar>("Calendar1", f.Form);
       calendar->SetStartDate(EncodeDate(2024, 2, 10));
       return calendar;
     },
     .Tag = "table",
     .Attributes = {{"id", "CALENDAR1"}},
     .HostileText = [](TKXCustomControl& control, const std::string& text) { control.SetText(text); },
     .AsyncType = "KXCALENDAR",
     .AsyncFacts = {{"@id", "CALENDAR1"}}},
    {.Name = "CalendarWithoutMonth",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return f.Add<TKXCalendar>("Calendar1", f.Form); },
     .Tag = "table",
     .AsyncType = "KXCALENDAR"},
};

}  // namespace

KX_CONTROL_CONTRACT(Calendar, kCalendarContract);

}  // namespace kx::test
