#include "app/stock/unit_cost.h"

#include <array>
#include <limits>
#include <optional>

#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// The product's group in a grouped sum of `field` over the current table.
std::optional<int64_t> ProductSum(calls::Calls& rt, uint32_t field, const Movement& product) {
  const std::array<const char*, 3> keys = {
      rt.ConstText(t::kFieldKind), rt.ConstText(t::kFieldBrand), rt.ConstText(t::kFieldModel)};
  const auto sums = rt.SumGrouped(rt.ConstText(field), keys);
  if (!sums) return std::nullopt;
  for (const calls::KeyedSum& g : *sums) {
    if (g.keys.size() == keys.size() && g.keys[0] == product.kind && g.keys[1] == product.brand &&
        g.keys[2] == product.model) {
      return g.sum;
    }
  }
  return 0;
}

}  // namespace

int32_t AverageUnitCost(calls::Calls& rt, const Movement& product) {
  const calls::OwnedText current = rt.CurrentTableName();
  int32_t cost = kNoCost;
  if (rt.SelectTable(rt.ConstText(StockTableAlias(StockSide::kIn)))) {
    const auto amount = ProductSum(rt, t::kFieldAmount, product);
    const auto quantity = ProductSum(rt, t::kFieldQuantity, product);
    if (amount && quantity && *quantity > 0 && *amount >= 0) {
      // Half up; amounts and quantities are whole and non-negative.
      const int64_t rounded = (2 * *amount + *quantity) / (2 * *quantity);
      if (rounded <= std::numeric_limits<int32_t>::max()) cost = static_cast<int32_t>(rounded);
    }
  }
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  return cost;
}

}  // namespace pcshop::app
