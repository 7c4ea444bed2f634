#pragma once
// The shop's own lines at the top of a printed document.

#include <cstdint>

#include "image/calls/calls.h"

namespace pcshop::app {

// Adds the shop's name as a line of its own, then "地址：..." and "电话：..."
// (each only when set) and an empty line, to `document` as NewDocument made
// it, before any other line. Adds nothing when no shop details are saved or
// their table cannot be used: a document prints without them.
void AddShopHeading(calls::Calls& rt, int32_t document);

}  // namespace pcshop::app
