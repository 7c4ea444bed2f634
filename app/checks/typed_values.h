#pragma once
// What a user types where the program needs a whole number or a date: the
// checks the stock windows and the accounts window share, so that both refuse
// the same texts in the same way.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/calls/calls.h"

namespace pcshop::app {

// Decimal digits only, with an optional leading "-" (no blanks, no sign
// alone, at most nine digits); nothing for anything else.
std::optional<int64_t> WholeNumber(std::string_view text);

// Why an amount of money was refused.
enum class AmountProblem { kNone, kNotWhole, kNotPositive, kTooLarge };

// An amount of whole yuan as it is typed: a positive whole number that fits
// the tables' 32-bit integer fields.
struct AmountReading {
  int32_t value = 0;
  AmountProblem problem = AmountProblem::kNone;
};
AmountReading ReadAmount(std::string_view text);

// A real date written as 2024年5月3日, 2024-5-3, 2024/05/03 or 2024.5.3
// (years 1900 to 9999); nothing for anything else.
struct CalendarDate {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
};
std::optional<CalendarDate> ReadDate(calls::Calls& rt, std::string_view text);

// "2024年5月3日" for a date ReadDate takes; nothing for anything else.
std::optional<std::string> CanonicalDate(calls::Calls& rt, std::string_view text);

// Today in the form CanonicalDate gives.
std::string Today(calls::Calls& rt);

}  // namespace pcshop::app
