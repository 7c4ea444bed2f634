#pragma once
// What the stock windows accept as a movement: a catalogue product, a
// positive whole quantity, a whole non-negative price, a real date. Each
// refusal comes with the message the user sees.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/stock/stock_controls.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// The index of `kind` in the category list, -1 when it is none of them.
int32_t CategoryIndexOf(calls::Calls& rt, std::string_view kind);

// The catalogue price of the product, nothing when the catalogue has no
// product of that category, brand and model. Leaves its category current.
std::optional<int32_t> CataloguePrice(calls::Calls& rt, const std::string& kind,
                                      const std::string& brand, const std::string& model);

// Decimal digits only, with an optional leading "-" (no blanks, no sign
// alone, at most nine digits); nothing for anything else.
std::optional<int64_t> WholeNumber(std::string_view text);

// "2024年5月3日" for a real date written so or as 2024-5-3, 2024/05/03 or
// 2024.5.3 (years 1900 to 9999); nothing for anything else.
std::optional<std::string> CanonicalDate(calls::Calls& rt, std::string_view text);

// Today in the form CanonicalDate gives.
std::string Today(calls::Calls& rt);

// The panel's movement, checked; `error` is set when it is refused.
struct MovementInput {
  Movement movement;
  std::string error;  // GBK; empty when the movement is accepted
};
MovementInput ReadMovementInput(calls::Calls& rt, const StockWindow& w);

}  // namespace pcshop::app
