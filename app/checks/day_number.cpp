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
  const std::optional<CalendarDate> date = ReadDate(rt, text);
  if (!date) return std::nullopt;
  return DaysFromCivil(date->year, date->month, date->day);
}

int64_t TodayNumber(calls::Calls& rt) {
  const double now = rt.Now();
  return DaysFromCivil(rt.GetYear(now), rt.GetMonth(now), rt.GetDay(now));
}

std::optional<int32_t> DateOrder(calls::Calls& rt, std::string_view text) {
  const std::optional<CalendarDate> date = ReadDate(rt, text);
  if (!date) return std::nullopt;
  return date->year * 10000 + date->month * 100 + date->day;
}

}  // namespace pcshop::app
