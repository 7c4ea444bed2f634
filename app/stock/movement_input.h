#pragma once
// What the stock windows accept as a movement: a catalogue product, a
// positive whole quantity, a whole non-negative price, a real date, a
// counterparty of the register or none, what was paid. Each
// refusal comes with the message the user sees.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/checks/typed_values.h"
#include "app/stock/stock_controls.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// The index of `kind` in the category list, -1 when it is none of them.
int32_t CategoryIndexOf(calls::Calls& rt, std::string_view kind);

// The catalogue price of the product, nothing when the catalogue has no
// product of that category, brand and model. Leaves its category current.
std::optional<int32_t> CataloguePrice(calls::Calls& rt, const std::string& kind,
                                      const std::string& brand, const std::string& model);

// 客户 (供应商) and 实收 (实付) of the panel for goods worth `amount`: a name
// of the register or none (a walk-in, who pays in full), and a whole amount
// from 0 to `amount`, all of it when the box is empty.
struct PaidInput {
  std::string counterparty;
  int64_t paid = 0;
  std::string error;  // GBK; empty when accepted
};
PaidInput ReadPaidInput(calls::Calls& rt, const StockWindow& w, int64_t amount);

// The panel's movement, checked; `error` is set when it is refused.
struct MovementInput {
  Movement movement;
  std::string error;  // GBK; empty when the movement is accepted
};
MovementInput ReadMovementInput(calls::Calls& rt, const StockWindow& w);

}  // namespace pcshop::app
