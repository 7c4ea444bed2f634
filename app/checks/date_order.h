#pragma once
// Dates as the tables keep them ("2024年5月3日") do not sort as texts; this
// turns one into a number that does, for ordering and ranges.

#include <cstdint>
#include <optional>
#include <string_view>

#include "image/calls/calls.h"

namespace pcshop::app {

// year * 10000 + month * 100 + day for a text CanonicalDate takes; nothing
// for anything else.
std::optional<int32_t> DateOrder(calls::Calls& rt, std::string_view text);

}  // namespace pcshop::app
