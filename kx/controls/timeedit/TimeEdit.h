// TKXTimeEdit: an edit that holds a duration in minutes and shows it as text
// such as 45m, 1:05, 2.50d or 1.20w; the posted text is parsed back into
// minutes with configurable hours per day and days per week. The browser
// checks the text with ValidateTimeEdit (/js/KXTimeEdit.js) before a submit.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/controls/edits/Edits.h"

namespace kx {

enum TKXTimeDisplayFormat : std::uint8_t { dfAuto, dfMinutes, dfHours, dfDays, dfWeeks };

class TKXTimeEdit : public TKXCustomEdit {
  KX_COMPONENT_CLASS(TKXTimeEdit, TKXCustomEdit)

 public:
  // 0 by default; setting it also sets the text to GetFormattedText.
  std::int32_t Minutes() const { return FMinutes; }
  void SetMinutes(std::int32_t value);
  // 8 by default; a value below 1 is ignored (it would divide by zero).
  std::int32_t HoursPerDay() const { return FHoursPerDay; }
  void SetHoursPerDay(std::int32_t value);
  // 5 by default; a value below 1 is ignored.
  std::int32_t DaysPerWeek() const { return FDaysPerWeek; }
  void SetDaysPerWeek(std::int32_t value);
  // dfAuto by default: weeks, days, minutes or hours by the size of Minutes.
  TKXTimeDisplayFormat DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(TKXTimeDisplayFormat value) { FDisplayFormat = value; }

  // "0" for 0 minutes; otherwise in the DisplayFormat's unit.
  std::string GetFormattedText() const;
  // "1:05": whole hours, then the minutes in two digits.
  std::string GetHours() const;
  // Two decimals and "d" ("2.50d"), or "w" for weeks; "." as the separator whatever the locale.
  std::string GetDays() const;
  std::string GetWeeks() const;
  // The minutes a text means: a trailing W, D, H or M (any case) names the
  // unit, minutes without one, hours for "h:mm". Numbers use "."; halves round
  // to even. Anything that is not such a text, or lies outside the minutes'
  // range, means 0.
  std::int32_t ParseMinutes(const std::string& text) const;

  // The edit's (text and notification), then Minutes from the text (the text is not reformatted).
  void SetValue(const std::string& value) override;
  // When visible, the page's check of the text; then the edit's input.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;

 private:
  std::int32_t FMinutes = 0;
  std::int32_t FHoursPerDay = 8;
  std::int32_t FDaysPerWeek = 5;
  TKXTimeDisplayFormat FDisplayFormat = dfAuto;
};

// The family's registration (the time edit), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& TimeEditFamily();

}  // namespace kx
