#include "app/stock/on_hand.h"

#include <array>

#include "app/stock/stock_tables.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

std::string Key(std::string_view kind, std::string_view brand, std::string_view model) {
  std::string key;
  key.reserve(kind.size() + brand.size() + model.size() + 2);
  // GBK texts hold no zero byte, so the joined key is unambiguous.
  key.append(kind).push_back('\0');
  key.append(brand).push_back('\0');
  key.append(model);
  return key;
}

}  // namespace

OnHand OnHand::Load(calls::Calls& rt) {
  OnHand on_hand;
  const calls::OwnedText current = rt.CurrentTableName();
  const std::array<const char*, 3> keys = {rt.ConstText(t::kFieldKind),
                                           rt.ConstText(t::kFieldBrand),
                                           rt.ConstText(t::kFieldModel)};
  bool known = true;
  for (StockSide side : {StockSide::kIn, StockSide::kOut}) {
    const int64_t sign = side == StockSide::kIn ? 1 : -1;
    if (!rt.SelectTable(rt.ConstText(StockTableAlias(side)))) {
      known = false;
      continue;
    }
    const auto sums = rt.SumGrouped(rt.ConstText(t::kFieldQuantity), keys);
    if (!sums) {
      known = false;
      continue;
    }
    for (const calls::KeyedSum& g : *sums) {
      if (g.keys.size() != keys.size()) continue;
      on_hand.net_[Key(g.keys[0], g.keys[1], g.keys[2])] += sign * g.sum;
    }
  }
  on_hand.known_ = known;
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  return on_hand;
}

std::optional<int64_t> OnHand::Of(std::string_view kind, std::string_view brand,
                                  std::string_view model) const {
  if (!known_) return std::nullopt;
  const auto it = net_.find(Key(kind, brand, model));
  return it != net_.end() ? it->second : 0;
}

std::string OnHandText(calls::Calls& rt, const std::optional<int64_t>& figure) {
  if (!figure) return {};
  return std::string(rt.ConstText(t::kOnHandLabel)) + std::to_string(*figure);
}

}  // namespace pcshop::app
