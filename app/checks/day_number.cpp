#include "app/checks/day_number.h"

#include <chrono>

#include "app/checks/typed_values.h"

namespace pcshop::app {
namespace {

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  namespace c = std::chrono;
  const c::year_month_day date{c::year{static_cast<int>(year)},
                               c::month{static_cast<unsigned>(month)},
                               c::day{static_cast<unsigned>(day)}};
  return c::sys_days{date}.time_since_epoch().count();
}

}  // namespace

std::optional<int64_t> DayNumber(calls::Calls& rt, std::string_view text) {
  const std::optional<std::string> canonical = CanonicalDate(rt, text);
  if (!canonical) return std::nullopt;
  // The canonical form is three runs of digits with one mark after each.
  int64_t parts[3] = {0, 0, 0};
  int part = -1;
  bool in_digits = false;
  for (char c : *canonical) {
    const bool digit = c >= '0' && c <= '9';
    if (digit && !in_digits && ++part > 2) return std::nullopt;
    if (digit) parts[part] = parts[part] * 10 + (c - '0');
    in_digits = digit;
  }
  if (part != 2) return std::nullopt;
  return DaysFromCivil(parts[0], parts[1], parts[2]);
}

int64_t TodayNumber(calls::Calls& rt) {
  const double now = rt.Now();
  return DaysFromCivil(rt.GetYear(now), rt.GetMonth(now), rt.GetDay(now));
}

}  // namespace pcshop::app
