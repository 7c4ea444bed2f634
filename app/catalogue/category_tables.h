#pragma once
// Reaching a category's table: by the index of a category selector (through
// its alias) or by the category text (through its file path).

#include <cstdint>
#include <string>

#include "image/calls/calls.h"

namespace pcshop::app {

inline constexpr int32_t kCategoryCount = 14;

// Makes the category at `index` current: 0 to 12 are CPU to 音箱, 13 and 14
// (the quote sheet's 其它一 and 其它二) are 其它. Any other index, -1 for
// nothing selected, leaves the current table as it was; returns whether a
// table was selected.
bool SelectCategoryByIndex(calls::Calls& rt, int32_t index);

// Program folder + "\DATA\" + category + ".zdb".
std::string CategoryTablePath(calls::Calls& rt, const char* category);

// Selects the table of the category text and puts the pointer on record 1.
void SelectCategoryByName(calls::Calls& rt, const char* category);

}  // namespace pcshop::app
