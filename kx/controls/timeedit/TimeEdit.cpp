#include "kx/controls/timeedit/TimeEdit.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "kx/controls/timeedit/FamilyFiles.h"
#include "kx/foundation/KXMessages.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// Digits with an optional fraction after "." ("12", "1.5", "2."), read the same in every locale.
std::optional<double> ParseNumber(std::string_view text) {
  if (text.empty() || text.front() == '.' || text.find_first_not_of("0123456789.") != std::string_view::npos ||
      text.find('.') != text.rfind('.'))
    return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseWholeNumber(std::string_view text) {
  if (text.find('.') != std::string_view::npos) return std::nullopt;
  return ParseNumber(text);
}

// Rounds half to even, as the platform's Round; nothing when the result is no int32.
std::optional<std::int32_t> RoundToMinutes(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = std::nearbyint(value);
  if (rounded < double(std::numeric_limits<std::int32_t>::min()) ||
      rounded > double(std::numeric_limits<std::int32_t>::max()))
    return std::nullopt;
  return std::int32_t(rounded);
}

std::string TwoDecimals(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  return std::string(buffer, result.ptr);
}

}  // namespace

void TKXTimeEdit::SetMinutes(std::int32_t value) {
  FMinutes = value;
  SetText(GetFormattedText());
}

void TKXTimeEdit::SetHoursPerDay(std::int32_t value) {
  if (value >= 1) FHoursPerDay = value;
}

void TKXTimeEdit::SetDaysPerWeek(std::int32_t value) {
  if (value >= 1) FDaysPerWeek = value;
}

std::string TKXTimeEdit::GetHours() const {
  const std::int32_t minutes = FMinutes % 60;
  return std::to_string(FMinutes / 60) + ":" + (minutes >= 0 && minutes < 10 ? "0" : "") + std::to_string(minutes);
}

std::string TKXTimeEdit::GetDays() const { return TwoDecimals(double(FMinutes) / (FHoursPerDay * 60.0)) + "d"; }

std::string TKXTimeEdit::GetWeeks() const {
  return TwoDecimals(double(FMinutes) / (double(FHoursPerDay) * 60.0 * FDaysPerWeek)) + "w";
}

std::string TKXTimeEdit::GetFormattedText() const {
  if (FMinutes == 0) return "0";
  switch (FDisplayFormat) {
    case dfMinutes: return std::to_string(FMinutes) + "m";
    case dfHours: return GetHours();
    case dfDays: return GetDays();
    case dfWeeks: return GetWeeks();
    case dfAuto: break;
  }
  const std::int64_t day = std::int64_t(FHoursPerDay) * 60;
  if (FMinutes >= day * FDaysPerWeek) return GetWeeks();
  if (FMinutes >= day) return GetDays();
  if (FMinutes < 60) return std::to_string(FMinutes) + "m";
  return GetHours();
}

std::int32_t TKXTimeEdit::ParseMinutes(const std::string& posted) const {
  std::string text = Trim(posted);
  if (text.empty()) return 0;
  char unit = 'm';
  switch (text.back()) {
    case 'W': case 'w': unit = 'w'; break;
    case 'D': case 'd': unit = 'd'; break;
    case 'H': case 'h': unit = 'h'; break;
    default: break;
  }
  if (std::string_view("WwDdHhMm").find(text.back()) != std::string_view::npos) text.pop_back();
  const std::size_t colon = text.find(':');
  std::optional<double> minutes;
  if (colon != std::string::npos) {
    // "h:mm" is always hours and minutes.
    const std::optional<double> hours = ParseWholeNumber(std::string_view(text).substr(0, colon));
    const std::optional<double> rest = ParseNumber(std::string_view(text).substr(colon + 1));
    if (hours && rest) minutes = *hours * 60 + *rest;
  } else if (const std::optional<double> number = ParseNumber(text)) {
    switch (unit) {
      case 'w': minutes = double(FDaysPerWeek) * *number * FHoursPerDay * 60; break;
      case 'd': minutes = double(FHoursPerDay) * *number * 60; break;
      // A fraction of an hour ("1.5h") is taken as such, not refused.
      case 'h': minutes = *number * 60; break;
      default: minutes = *number; break;
    }
  }
  const std::optional<std::int32_t> rounded = minutes ? RoundToMinutes(*minutes) : std::nullopt;
  return rounded.value_or(0);
}

void TKXTimeEdit::SetValue(const std::string& value) {
  TKXCustomEdit::SetValue(value);
  FMinutes = ParseMinutes(value);
}

TKXElementPtr<TKXHTMLTag> TKXTimeEdit::RenderHTML(TKXCompContext* context) {
  if (context != nullptr && Visible()) {
    context->AddScriptFile(timeedit_files::kKXTimeEditJs);
    // The page writes the message as a script literal (escaped there).
    context->AddValidation("!ValidateTimeEdit(\"" + HTMLName() + "\")", Format(RSInvalidTimeEditFormat, FriendlyName()));
  }
  return TKXCustomEdit::RenderHTML(context);
}

// ---------------------------------------------------------------------------

const TKXControlFamily& TimeEditFamily() {
  static const TKXControlFamily family{.Name = "timeedit"};
  return family;
}

}  // namespace kx
