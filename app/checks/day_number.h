#pragma once
// Dates as day numbers, for counting the days between two of them. The
// tables keep dates as text ("2024年5月3日"), which does not sort.

#include <cstdint>
#include <optional>
#include <string_view>

#include "image/calls/calls.h"

namespace pcshop::app {

// Days since 1970-01-01 of a date CanonicalDate reads; nothing for a text
// that is no date.
std::optional<int64_t> DayNumber(calls::Calls& rt, std::string_view text);

// Today's day number, from the runtime's clock.
int64_t TodayNumber(calls::Calls& rt);

}  // namespace pcshop::app
