// 整单出库: a saved configuration sold as a whole, to the panel's customer
// (none: a walk-in, who pays in full) for the panel's 实收. One confirmation
// lists every filled row, names the parts whose stock would go below zero
// (a warning, not a refusal) and says when and to whom the configuration
// was sold before; OK writes one stock-out movement per row, 备注 "整单:" and
// the configuration's name, all in one transaction.

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/app_calls.h"
#include "app/catalogue/catalogue_tables.h"
#include "app/catalogue/category_tables.h"
#include "app/catalogue/product_fields.h"
#include "app/quote/config_table.h"
#include "app/routines.h"
#include "app/stock/movement_input.h"
#include "app/stock/movement_list.h"
#include "app/stock/on_hand.h"
#include "app/stock/unit_cost.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

constexpr int32_t kOtherCategory = 13;

void Say(calls::Calls& rt, const std::string& text) { (void)rt.MessageBox(text.c_str(), 0); }

// The filled rows of the configuration at the record pointer as movements
// (the product's category as 品名: 其它一 and 其它二 are 其它); `bad_row`
// names a filled row whose quantity is not positive, or whose amount does
// not fit.
std::vector<Movement> ConfigMovements(calls::Calls& rt, const std::string& name,
                                      const std::string& date, std::string* bad_row) {
  std::vector<Movement> rows;
  for (size_t r = 0; r < kConfigRowFields.size(); ++r) {
    const ConfigRowFields& f = kConfigRowFields[r];
    Movement m;
    m.model = rt.ReadFieldText(rt.ConstText(f.model), {}).view();
    if (m.model.empty()) continue;
    const int32_t category = r < static_cast<size_t>(kOtherCategory) ? static_cast<int32_t>(r)
                                                                     : kOtherCategory;
    m.kind = rt.ConstText(kProductTables[static_cast<size_t>(category)].alias);
    m.brand = rt.ReadFieldText(rt.ConstText(f.brand), {}).view();
    const int64_t quantity = rt.ReadFieldInt(rt.ConstText(f.quantity), {});
    const int64_t price = rt.ReadFieldInt(rt.ConstText(f.price), {});
    const int64_t amount = quantity * price;
    if (quantity < 1 || price < 0 || amount > std::numeric_limits<int32_t>::max()) {
      *bad_row = rt.ReadFieldText(rt.ConstText(f.kind), {}).view();
      return {};
    }
    m.quantity = static_cast<int32_t>(quantity);
    m.price = static_cast<int32_t>(price);
    m.amount = static_cast<int32_t>(amount);
    m.date = date;
    m.remark = rt.ConstText(t::kWholeSaleMarker) + name;
    rows.push_back(std::move(m));
  }
  return rows;
}

std::string ProductText(calls::Calls& rt, const Movement& m) {
  const char* space = rt.ConstText(t::kSpace);
  return m.kind + space + m.brand + space + m.model;
}

// "\r\n2024年5月3日 售给 曾小明" for each day and customer the
// configuration was sold to before, from one grouped sum over 出库 by the
// marker in 备注; "" when never. Leaves 出库 current.
std::string SoldBefore(calls::Calls& rt, const std::string& marker) {
  (void)rt.SelectTable(rt.ConstText(t::kStockOutTable));
  const std::array<const char*, 3> keys = {
      rt.ConstText(t::kFieldRemark), rt.ConstText(t::kFieldDate), rt.ConstText(t::kFieldCustomer)};
  const auto sums = rt.SumGrouped(rt.ConstText(t::kFieldQuantity), keys);
  std::string lines;
  if (!sums) return lines;
  for (const calls::KeyedSum& g : *sums) {
    if (g.keys.size() != keys.size() || g.keys[0] != marker) continue;
    lines += rt.ConstText(t::kNewLine) + g.keys[1] + rt.ConstText(t::kWholeSaleSoldTo) +
             (g.keys[2].empty() ? std::string(rt.ConstText(t::kWalkIn)) : g.keys[2]);
  }
  return lines;
}

}  // namespace

void FillStockConfigNames(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const calls::ValueTriple box = ObjectOf(StockOutWindow(rt).config);
  rt.ClearCombo(box);
  (void)rt.SelectTable(rt.ConstText(t::kConfigTable));
  const char* field = rt.ConstText(t::kFieldConfigName);
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    if (!rt.GoToRecord(n)) continue;
    const calls::OwnedText name = rt.ReadFieldText(field, {});
    if (!name.view().empty()) (void)rt.AddComboItem(box, name.c_str());
  }
}

void SellConfiguration(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = StockOutWindow(rt);
  const std::string name(SelectedItemOf(rt, w.config).view());
  if (name.empty()) {
    Say(rt, rt.ConstText(t::kChooseConfigName));
    return;
  }
  if (!StockTableUsable(rt, StockSide::kOut)) {
    Say(rt, std::string(rt.ConstText(t::kStockOutTable)) + rt.ConstText(t::kTableExtension) +
                rt.ConstText(t::kStockTableUnusable));
    return;
  }
  (void)rt.SelectTable(rt.ConstText(t::kConfigTable));
  (void)rt.GoFirst();
  const char* name_field = rt.ConstText(t::kFieldConfigName);
  if (!rt.FindRecord([&] { return FieldEquals(rt, name_field, name.c_str()); })) {
    Say(rt, rt.ConstText(t::kConfigNotFound) + name);
    return;
  }
  std::string bad_row;
  std::vector<Movement> rows = ConfigMovements(rt, name, Today(rt), &bad_row);
  if (!bad_row.empty()) {
    Say(rt, rt.ConstText(t::kConfigQuantityBad) + name + rt.ConstText(t::kSpace) + bad_row);
    return;
  }
  if (rows.empty()) {
    Say(rt, rt.ConstText(t::kConfigHasNoParts) + name);
    return;
  }

  // The confirmation: every row, the total, then the parts that run short
  // (several rows of one product count together).
  const OnHand on_hand = OnHand::Load(rt);
  std::unordered_map<std::string, int64_t> taken;
  std::string lines, short_lines;
  int64_t total = 0;
  for (const Movement& m : rows) {
    const std::string product = ProductText(rt, m);
    lines += rt.ConstText(t::kNewLine) + product + rt.ConstText(t::kWholeSaleTimes) +
             std::to_string(m.quantity) + rt.ConstText(t::kWholeSaleUnitPrice) +
             std::to_string(m.price) + rt.ConstText(t::kWholeSaleAmount) +
             std::to_string(m.amount);
    total += m.amount;
    const auto have = on_hand.Of(m.kind, m.brand, m.model);
    int64_t& sold = taken[product];
    sold += m.quantity;
    if (have && *have - sold < 0) {
      short_lines += rt.ConstText(t::kNewLine) + product + rt.ConstText(t::kWholeSaleShortOnHand) +
                     std::to_string(*have) + rt.ConstText(t::kWholeSaleShortAfter) +
                     std::to_string(*have - sold);
    }
  }
  const PaidInput paid = ReadPaidInput(rt, w, total);
  if (!paid.error.empty()) {
    Say(rt, paid.error);
    return;
  }
  // What was paid covers the rows in order; each row owes the rest of its
  // amount. Each row carries its product's cost as it stands now.
  int64_t left = paid.paid;
  for (Movement& m : rows) {
    m.counterparty = paid.counterparty;
    m.paid = static_cast<int32_t>(std::min<int64_t>(left, m.amount));
    left -= m.paid;
    m.cost = AverageUnitCost(rt, m);
  }
  std::string ask =
      rt.ConstText(t::kWholeSaleHeading) + name + rt.ConstText(t::kNewLine) + lines +
      rt.ConstText(t::kWholeSaleTotal) + std::to_string(total) + rt.ConstText(t::kLineCustomer) +
      (paid.counterparty.empty() ? std::string(rt.ConstText(t::kWalkIn)) : paid.counterparty) +
      rt.ConstText(t::kLinePaidIn) + std::to_string(paid.paid);
  if (!short_lines.empty()) ask += rt.ConstText(t::kWholeSaleShortHeading) + short_lines;
  const std::string before = SoldBefore(rt, rt.ConstText(t::kWholeSaleMarker) + name);
  if (!before.empty()) ask += rt.ConstText(t::kWholeSaleSoldBefore) + before;
  ask += rt.ConstText(t::kConfirmStockOutEnd);
  if (rt.MessageBox(ask.c_str(), 1) != 0) return;

  std::vector<calls::ValueTriple> values;
  for (const Movement& m : rows) {
    const std::vector<calls::ValueTriple> one = MovementValues(rt, StockSide::kOut, m);
    values.insert(values.end(), one.begin(), one.end());
  }
  (void)rt.SelectTable(rt.ConstText(t::kStockOutTable));
  if (!rt.AppendRecords(MovementFieldCount(StockSide::kOut), values)) {
    Say(rt, rt.ConstText(t::kWholeSaleFailed));
    return;
  }
  Say(rt, rt.ConstText(t::kWholeSaleDone) + std::to_string(rows.size()));
  SetIndexOf(rt, w.query, -1);
  ListMovements(rt, w, -1);
}

}  // namespace pcshop::app
