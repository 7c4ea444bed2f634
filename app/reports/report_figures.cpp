#include "app/reports/report_figures.h"

#include <array>
#include <cstdlib>
#include <vector>

#include "app/customers/customer_record.h"
#include "app/customers/customer_table.h"
#include "app/stock/stock_tables.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// 1900年1月1日: no readable date lies before it.
constexpr int64_t kFirstDay = -25567;

using Groups = std::vector<calls::RangedGroup>;

std::optional<Groups> Ranged(calls::Calls& rt, uint32_t table, DayRange days,
                             std::span<const char* const> terms, std::span<const char* const> keys) {
  if (!rt.SelectTable(rt.ConstText(table))) return std::nullopt;
  return rt.SumInRange(rt.ConstText(t::kFieldDate), days.first, days.last, terms, keys);
}

// The sales and purchases of the period: one query per stock table.
bool AddMovements(calls::Calls& rt, DayRange period, PeriodFigures& f) {
  // Σ 金额, Σ 数量*成本 and Σ 金额?成本 (金额 where 成本 is known).
  const std::string cost = std::string(rt.ConstText(t::kFieldQuantity)) + "*" +
                           rt.ConstText(t::kFieldCost);
  const std::string costed = std::string(rt.ConstText(t::kFieldAmount)) + "?" +
                             rt.ConstText(t::kFieldCost);
  const std::array<const char*, 3> terms = {rt.ConstText(t::kFieldAmount), cost.c_str(),
                                            costed.c_str()};
  const auto sales = Ranged(rt, StockTableAlias(StockSide::kOut), period, terms, {});
  const std::array<const char*, 1> amount = {rt.ConstText(t::kFieldAmount)};
  const auto purchases = Ranged(rt, StockTableAlias(StockSide::kIn), period, amount, {});
  if (!sales || !purchases) return false;
  for (const calls::RangedGroup& g : *sales) {
    f.sales += g.sums[0];
    f.cost += g.sums[1];
    f.costed_sales += g.sums[2];
    f.sales_count += g.count;
  }
  for (const calls::RangedGroup& g : *purchases) {
    f.purchases += g.sums[0];
    f.purchase_count += g.count;
  }
  return true;
}

// Σ 收款 and Σ 付款 of `days`, by 类型.
bool AddPayments(calls::Calls& rt, DayRange days, int64_t& received, int64_t& paid) {
  const std::array<const char*, 1> amount = {rt.ConstText(t::kFieldAmount)};
  const std::array<const char*, 1> kind = {rt.ConstText(t::kFieldPaymentKind)};
  const auto sums = Ranged(rt, t::kPaymentsTable, days, amount, kind);
  if (!sums) return false;
  for (const calls::RangedGroup& g : *sums) {
    // A 类型 that is neither was not written by this program: it moves nothing.
    if (g.keys[0] == rt.ConstText(t::kPaymentReceived)) received += g.sums[0];
    if (g.keys[0] == rt.ConstText(t::kPaymentMade)) paid += g.sums[0];
  }
  return true;
}

// Σ (金额 − paid) of the named movements of one side up to `last`; walk-in
// movements (no name) are paid in full.
std::optional<int64_t> Unpaid(calls::Calls& rt, StockSide side, int64_t last) {
  const std::array<const char*, 2> terms = {rt.ConstText(t::kFieldAmount),
                                            rt.ConstText(PaidField(side))};
  const std::array<const char*, 1> name = {rt.ConstText(CounterpartyField(side))};
  const auto sums = Ranged(rt, StockTableAlias(side), {kFirstDay, last}, terms, name);
  if (!sums) return std::nullopt;
  int64_t unpaid = 0;
  for (const calls::RangedGroup& g : *sums) {
    if (!g.keys[0].empty()) unpaid += g.sums[0] - g.sums[1];
  }
  return unpaid;
}

// The register's opening 应收 or 应付 summed over every name.
std::optional<int64_t> Opening(calls::Calls& rt, const char* field) {
  SelectCustomerTable(rt);
  const auto sums = rt.SumGrouped(field, {});
  if (!sums) return std::nullopt;
  return sums->empty() ? 0 : sums->front().sum;
}

bool AddBalances(calls::Calls& rt, int64_t last, PeriodFigures& f) {
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  const auto opening_receivable = Opening(rt, names.receivable);
  const auto opening_payable = Opening(rt, names.payable);
  const auto unpaid_sales = Unpaid(rt, StockSide::kOut, last);
  const auto unpaid_purchases = Unpaid(rt, StockSide::kIn, last);
  int64_t received = 0, paid = 0;
  if (!opening_receivable || !opening_payable || !unpaid_sales || !unpaid_purchases ||
      !AddPayments(rt, {kFirstDay, last}, received, paid)) {
    return false;
  }
  f.owed_to_shop = *opening_receivable + *unpaid_sales - received;
  f.owed_by_shop = *opening_payable + *unpaid_purchases - paid;
  return true;
}

}  // namespace

std::optional<PeriodFigures> LoadFigures(calls::Calls& rt, DayRange period) {
  const calls::OwnedText current = rt.CurrentTableName();
  PeriodFigures f;
  const bool known = AddMovements(rt, period, f) &&
                     AddPayments(rt, period, f.received, f.paid) &&
                     AddBalances(rt, period.last, f);
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  if (!known) return std::nullopt;
  return f;
}

std::string MarginText(calls::Calls& rt, const PeriodFigures& f) {
  if (f.costed_sales <= 0) return rt.ConstText(t::kReportNoMargin);
  // Tenths of a percent, rounded half away from zero.
  const int64_t scaled = f.profit() * 2000 / f.costed_sales;
  const int64_t tenths = (scaled + (scaled < 0 ? -1 : 1)) / 2;
  std::string out = tenths < 0 ? "-" : "";
  out += std::to_string(std::llabs(tenths) / 10) + "." + std::to_string(std::llabs(tenths) % 10);
  return out + rt.ConstText(t::kReportPercent);
}

}  // namespace pcshop::app
