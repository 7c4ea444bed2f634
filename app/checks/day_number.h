#pragma once
// Dates as numbers. The tables keep dates as text ("2024年5月3日"), which
// does not sort and cannot be subtracted.

#include <cstdint>
#include <optional>
#include <string_view>

#include "image/calls/calls.h"

namespace pcshop::app {

// Days since 1970-01-01 of a date ReadDate takes; nothing for a text that is
// no date.
std::optional<int64_t> DayNumber(calls::Calls& rt, std::string_view text);

// Today's day number, from the runtime's clock.
int64_t TodayNumber(calls::Calls& rt);

// year * 10000 + month * 100 + day of a date ReadDate takes, for ordering and
// ranges; nothing for anything else.
std::optional<int32_t> DateOrder(calls::Calls& rt, std::string_view text);

}  // namespace pcshop::app
