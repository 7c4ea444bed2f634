#pragma once
// The periods a report covers, as day numbers (days since 1970-01-01), so
// that the table store can keep the records of a range of days.

#include <cstdint>
#include <optional>
#include <string>

#include "image/calls/calls.h"

namespace pcshop::app {

struct DayRange {
  int64_t first = 0;
  int64_t last = 0;  // included
  int64_t days() const { return last - first + 1; }
  friend bool operator==(const DayRange&, const DayRange&) = default;
};

// The chooser's items in order.
enum class PeriodChoice { kToday, kThisWeek, kThisMonth, kLastMonth, kThisYear, kRange };

// Whole calendar units around `today`: a week runs Monday to Sunday, 本月 is
// the whole month (days still to come hold nothing). kRange takes `from`
// and `to`; nothing when one is missing or from is after to.
std::optional<DayRange> PeriodOf(PeriodChoice choice, int64_t today, std::optional<int64_t> from,
                                 std::optional<int64_t> to);

// The period before, to set beside it: the calendar unit before for the
// month and year choices (上月 beside 本月, however long each is), the same
// number of days just before for the others.
DayRange PreviousPeriod(PeriodChoice choice, DayRange period);

// "2024年5月3日" of a day number.
std::string DayText(calls::Calls& rt, int64_t day);

}  // namespace pcshop::app
