#include "app/checks/typed_values.h"

#include "base/calendar_text.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

constexpr size_t kMostDigits = 9;  // every such number fits 32 bits

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return !text.empty();
}

}  // namespace

std::optional<int64_t> WholeNumber(std::string_view text) {
  size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++pos;
  if (pos == text.size() || text.size() - pos > kMostDigits) return std::nullopt;
  int64_t v = 0;
  for (; pos < text.size(); ++pos) {
    if (!IsDigit(text[pos])) return std::nullopt;
    v = v * 10 + (text[pos] - '0');
  }
  return negative ? -v : v;
}

AmountReading ReadAmount(std::string_view text) {
  const auto number = WholeNumber(text);
  if (!number) {
    // Digits beyond what the tables hold are a number all the same.
    const std::string_view digits = !text.empty() && text[0] == '-' ? text.substr(1) : text;
    if (!AllDigits(digits)) return {0, AmountProblem::kNotWhole};
    return {0, text[0] == '-' ? AmountProblem::kNotPositive : AmountProblem::kTooLarge};
  }
  if (*number <= 0) return {0, AmountProblem::kNotPositive};
  return {static_cast<int32_t>(*number), AmountProblem::kNone};
}

std::optional<CalendarDate> ReadDate(calls::Calls& rt, std::string_view text) {
  const std::optional<CalendarDay> day = ReadCalendarText(
      text, rt.ConstText(t::kYear), rt.ConstText(t::kMonth), rt.ConstText(t::kDay));
  if (!day) return std::nullopt;
  return CalendarDate{day->year, day->month, day->day};
}

std::optional<std::string> CanonicalDate(calls::Calls& rt, std::string_view text) {
  const std::optional<CalendarDate> date = ReadDate(rt, text);
  if (!date) return std::nullopt;
  std::string out = std::to_string(date->year);
  out.append(rt.ConstText(t::kYear)).append(std::to_string(date->month));
  out.append(rt.ConstText(t::kMonth)).append(std::to_string(date->day));
  return out.append(rt.ConstText(t::kDay));
}

std::string Today(calls::Calls& rt) {
  const double now = rt.Now();
  std::string out = std::to_string(rt.GetYear(now));
  out.append(rt.ConstText(t::kYear)).append(std::to_string(rt.GetMonth(now)));
  out.append(rt.ConstText(t::kMonth)).append(std::to_string(rt.GetDay(now)));
  return out.append(rt.ConstText(t::kDay));
}

}  // namespace pcshop::app
