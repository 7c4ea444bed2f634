#include "app/reports/report_period.h"

#include <chrono>

#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace c = std::chrono;
namespace t = sym::text;

c::year_month_day Civil(int64_t day) { return c::year_month_day{c::sys_days{c::days{day}}}; }

int64_t DayOf(c::year_month_day d) { return c::sys_days{d}.time_since_epoch().count(); }

DayRange MonthOf(c::year_month month) {
  return {DayOf(month / c::day{1}), DayOf(c::year_month_day_last{month / c::last})};
}

DayRange YearOf(c::year year) { return {DayOf(year / 1 / 1), DayOf(year / 12 / 31)}; }

}  // namespace

std::optional<DayRange> PeriodOf(PeriodChoice choice, int64_t today, std::optional<int64_t> from,
                                 std::optional<int64_t> to) {
  const c::year_month_day d = Civil(today);
  switch (choice) {
    case PeriodChoice::kToday: return DayRange{today, today};
    case PeriodChoice::kThisWeek: {
      const unsigned weekday = c::weekday{c::sys_days{c::days{today}}}.iso_encoding();  // 1 = Monday
      const int64_t monday = today - (weekday - 1);
      return DayRange{monday, monday + 6};
    }
    case PeriodChoice::kThisMonth: return MonthOf(d.year() / d.month());
    case PeriodChoice::kLastMonth: return MonthOf(d.year() / d.month() - c::months{1});
    case PeriodChoice::kThisYear: return YearOf(d.year());
    case PeriodChoice::kRange:
      if (!from || !to || *from > *to) return std::nullopt;
      return DayRange{*from, *to};
  }
  return std::nullopt;
}

DayRange PreviousPeriod(PeriodChoice choice, DayRange period) {
  const c::year_month_day first = Civil(period.first);
  switch (choice) {
    case PeriodChoice::kThisMonth:
    case PeriodChoice::kLastMonth: return MonthOf(first.year() / first.month() - c::months{1});
    case PeriodChoice::kThisYear: return YearOf(first.year() - c::years{1});
    default: return {period.first - period.days(), period.first - 1};
  }
}

std::string DayText(calls::Calls& rt, int64_t day) {
  const c::year_month_day d = Civil(day);
  return std::to_string(static_cast<int>(d.year())) + rt.ConstText(t::kYear) +
         std::to_string(static_cast<unsigned>(d.month())) + rt.ConstText(t::kMonth) +
         std::to_string(static_cast<unsigned>(d.day())) + rt.ConstText(t::kDay);
}

}  // namespace pcshop::app
