#include "app/reports/report_lists.h"

#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>

#include "app/stock/stock_tables.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

constexpr int64_t kSlowDays = 90;

std::string Number(int64_t v) { return std::to_string(v); }

// The three product keys as one map key; GBK texts hold no zero byte.
std::string ProductKey(const std::vector<std::string>& keys) {
  return keys[0] + '\0' + keys[1] + '\0' + keys[2];
}

struct SalesGroup {
  std::vector<std::string> keys;
  int64_t quantity = 0, sales = 0, cost = 0, costed = 0, count = 0;
};

// Σ 数量, 金额, 数量*成本, 金额?成本 of the sales in `days` by `keys`.
std::optional<std::vector<SalesGroup>> SalesGroups(calls::Calls& rt, DayRange days,
                                                   std::span<const char* const> keys) {
  if (!rt.SelectTable(rt.ConstText(StockTableAlias(StockSide::kOut)))) return std::nullopt;
  const std::string cost =
      std::string(rt.ConstText(t::kFieldQuantity)) + "*" + rt.ConstText(t::kFieldCost);
  const std::string costed =
      std::string(rt.ConstText(t::kFieldAmount)) + "?" + rt.ConstText(t::kFieldCost);
  const std::array<const char*, 4> terms = {rt.ConstText(t::kFieldQuantity),
                                            rt.ConstText(t::kFieldAmount), cost.c_str(),
                                            costed.c_str()};
  const auto sums =
      rt.SumInRange(rt.ConstText(t::kFieldDate), days.first, days.last, terms, keys);
  if (!sums) return std::nullopt;
  std::vector<SalesGroup> out;
  out.reserve(sums->size());
  for (const calls::RangedGroup& g : *sums) {
    out.push_back({g.keys, g.sums[0], g.sums[1], g.sums[2], g.sums[3], g.count});
  }
  return out;
}

ReportRow SalesRow(std::string name, std::string brand, std::string model, const SalesGroup& g) {
  return {std::move(name), std::move(brand), std::move(model), Number(g.quantity),
          Number(g.sales),  Number(g.cost),   Number(g.costed - g.cost), Number(g.count)};
}

// Per product: units on hand, Σ 入库金额 and Σ 入库数量 (for the average cost).
struct ProductStock {
  std::vector<std::string> keys;
  int64_t on_hand = 0, bought_amount = 0, bought_quantity = 0;
  int64_t value() const {
    if (on_hand <= 0 || bought_quantity <= 0) return 0;
    // Rounded once for the whole stock, not per unit.
    return (2 * on_hand * bought_amount + bought_quantity) / (2 * bought_quantity);
  }
  std::string unit_cost() const {
    return bought_quantity > 0 ? Number((2 * bought_amount + bought_quantity) / (2 * bought_quantity))
                               : std::string();
  }
};

// Every product moved, in the order first received (then first sold): four
// grouped sums over the whole tables.
std::optional<std::vector<ProductStock>> Stock(calls::Calls& rt) {
  const std::array<const char*, 3> keys = {rt.ConstText(t::kFieldKind),
                                           rt.ConstText(t::kFieldBrand),
                                           rt.ConstText(t::kFieldModel)};
  std::vector<ProductStock> out;
  std::unordered_map<std::string, size_t> at;
  auto entry = [&](const std::vector<std::string>& k) -> ProductStock& {
    const auto [it, added] = at.emplace(ProductKey(k), out.size());
    if (added) out.push_back({k});
    return out[it->second];
  };
  if (!rt.SelectTable(rt.ConstText(StockTableAlias(StockSide::kIn)))) return std::nullopt;
  const auto in_quantity = rt.SumGrouped(rt.ConstText(t::kFieldQuantity), keys);
  const auto in_amount = rt.SumGrouped(rt.ConstText(t::kFieldAmount), keys);
  if (!rt.SelectTable(rt.ConstText(StockTableAlias(StockSide::kOut)))) return std::nullopt;
  const auto out_quantity = rt.SumGrouped(rt.ConstText(t::kFieldQuantity), keys);
  if (!in_quantity || !in_amount || !out_quantity) return std::nullopt;
  for (const calls::KeyedSum& g : *in_quantity) {
    entry(g.keys).on_hand += g.sum;
    entry(g.keys).bought_quantity += g.sum;
  }
  for (const calls::KeyedSum& g : *in_amount) entry(g.keys).bought_amount += g.sum;
  for (const calls::KeyedSum& g : *out_quantity) entry(g.keys).on_hand -= g.sum;
  return out;
}

// Units sold per product in `days`.
std::optional<std::unordered_map<std::string, int64_t>> SoldIn(calls::Calls& rt, DayRange days) {
  const std::array<const char*, 3> keys = {rt.ConstText(t::kFieldKind),
                                           rt.ConstText(t::kFieldBrand),
                                           rt.ConstText(t::kFieldModel)};
  const auto groups = SalesGroups(rt, days, keys);
  if (!groups) return std::nullopt;
  std::unordered_map<std::string, int64_t> sold;
  for (const SalesGroup& g : *groups) sold[ProductKey(g.keys)] += g.quantity;
  return sold;
}

ReportRow StockRow(const ProductStock& p, int64_t sold) {
  return {p.keys[0], p.keys[1], p.keys[2], Number(p.on_hand), p.unit_cost(), Number(p.value()),
          Number(sold)};
}

std::vector<ReportRow> ValueRows(calls::Calls& rt, const std::vector<ProductStock>& stock) {
  // Categories in the order first met; only stock above 0 has a value.
  std::vector<std::string> order;
  std::map<std::string, std::pair<int64_t, int64_t>> by_category;
  for (const ProductStock& p : stock) {
    if (p.on_hand <= 0) continue;
    const auto [it, added] = by_category.emplace(p.keys[0], std::pair<int64_t, int64_t>{0, 0});
    if (added) order.push_back(p.keys[0]);
    it->second.first += p.on_hand;
    it->second.second += p.value();
  }
  std::vector<ReportRow> rows;
  int64_t units = 0, value = 0;
  for (const std::string& category : order) {
    const auto& [u, v] = by_category[category];
    rows.push_back({category, {}, {}, Number(u), {}, Number(v), {}});
    units += u;
    value += v;
  }
  rows.push_back({rt.ConstText(t::kReportTotal), {}, {}, Number(units), {}, Number(value), {}});
  return rows;
}

}  // namespace

std::optional<std::vector<ReportRow>> SalesRows(calls::Calls& rt, SalesGrouping grouping,
                                                DayRange period) {
  const calls::OwnedText current = rt.CurrentTableName();
  std::vector<const char*> keys;
  if (grouping == SalesGrouping::kCustomer) {
    keys = {rt.ConstText(t::kFieldCustomer)};
  } else {
    keys = {rt.ConstText(t::kFieldKind)};
    if (grouping == SalesGrouping::kProduct) {
      keys.push_back(rt.ConstText(t::kFieldBrand));
      keys.push_back(rt.ConstText(t::kFieldModel));
    }
  }
  auto groups = SalesGroups(rt, period, keys);
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  if (!groups) return std::nullopt;
  std::stable_sort(groups->begin(), groups->end(),
                   [](const SalesGroup& a, const SalesGroup& b) { return a.sales > b.sales; });
  std::vector<ReportRow> rows;
  SalesGroup total;
  for (const SalesGroup& g : *groups) {
    std::string name = g.keys[0];
    if (grouping == SalesGrouping::kCustomer && name.empty()) name = rt.ConstText(t::kReportWalkIn);
    rows.push_back(grouping == SalesGrouping::kProduct ? SalesRow(name, g.keys[1], g.keys[2], g)
                                                       : SalesRow(name, {}, {}, g));
    total.quantity += g.quantity;
    total.sales += g.sales;
    total.cost += g.cost;
    total.costed += g.costed;
    total.count += g.count;
  }
  rows.push_back(SalesRow(rt.ConstText(t::kReportTotal), {}, {}, total));
  return rows;
}

std::optional<std::vector<ReportRow>> StockRows(calls::Calls& rt, StockReport report,
                                                DayRange period, int64_t threshold, int64_t today) {
  const calls::OwnedText current = rt.CurrentTableName();
  const auto stock = Stock(rt);
  const auto sold = stock ? SoldIn(rt, period) : std::nullopt;
  const auto recent =
      stock && report == StockReport::kSlow ? SoldIn(rt, {today - kSlowDays + 1, today})
                                            : std::nullopt;
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  if (!stock || !sold || (report == StockReport::kSlow && !recent)) return std::nullopt;
  if (report == StockReport::kValue) return ValueRows(rt, *stock);
  auto sold_of = [](const std::unordered_map<std::string, int64_t>& m, const std::string& key) {
    const auto it = m.find(key);
    return it != m.end() ? it->second : int64_t{0};
  };
  std::vector<ReportRow> rows;
  for (const ProductStock& p : *stock) {
    const std::string key = ProductKey(p.keys);
    const int64_t period_sold = sold_of(*sold, key);
    const bool listed = report == StockReport::kLow
                            ? period_sold > 0 && p.on_hand <= threshold
                            : p.on_hand > 0 && sold_of(*recent, key) == 0;
    if (listed) rows.push_back(StockRow(p, period_sold));
  }
  return rows;
}

}  // namespace pcshop::app
