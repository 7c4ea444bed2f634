#include "app/accounts/balances.h"

#include <array>

#include "app/stock/stock_tables.h"
#include "image/app_symbols.h"

namespace pcshop::app {

namespace t = sym::text;

bool AddPaymentSums(calls::Calls& rt, std::unordered_map<std::string, AccountFlows>& flows) {
  if (!rt.SelectTable(rt.ConstText(t::kPaymentsTable))) return false;
  const std::array<const char*, 2> keys = {rt.ConstText(t::kFieldName),
                                           rt.ConstText(t::kFieldPaymentKind)};
  const auto sums = rt.SumGrouped(rt.ConstText(t::kFieldAmount), keys);
  if (!sums) return false;
  const std::string_view received = rt.ConstText(t::kPaymentReceived);
  const std::string_view paid = rt.ConstText(t::kPaymentMade);
  for (const calls::KeyedSum& g : *sums) {
    if (g.keys.size() != keys.size()) continue;
    // A 类型 that is neither was not written by this program: it moves nothing.
    if (g.keys[1] == received) flows[g.keys[0]].received += g.sum;
    if (g.keys[1] == paid) flows[g.keys[0]].paid += g.sum;
  }
  return true;
}

namespace {

// Σ (金额 − paid) per counterparty of one stock table, into `field` of
// `flows`: two grouped sums by the counterparty. Rows without one (walk-in
// sales, and every row written before the field existed) fall under "",
// which is no name of the register. False when the table store refuses.
bool AddUnpaid(calls::Calls& rt, StockSide side,
               std::unordered_map<std::string, AccountFlows>& flows, int64_t AccountFlows::*field) {
  if (!rt.SelectTable(rt.ConstText(StockTableAlias(side)))) return false;
  const std::array<const char*, 1> keys = {rt.ConstText(CounterpartyField(side))};
  const auto amounts = rt.SumGrouped(rt.ConstText(t::kFieldAmount), keys);
  const auto paid = rt.SumGrouped(rt.ConstText(PaidField(side)), keys);
  if (!amounts || !paid) return false;
  for (const calls::KeyedSum& g : *amounts) {
    if (g.keys.size() == 1 && !g.keys[0].empty()) flows[g.keys[0]].*field += g.sum;
  }
  for (const calls::KeyedSum& g : *paid) {
    if (g.keys.size() == 1 && !g.keys[0].empty()) flows[g.keys[0]].*field -= g.sum;
  }
  return true;
}

}  // namespace

Balance BalanceOf(int64_t opening_receivable, int64_t opening_payable,
                  const AccountFlows& flows) {
  return {opening_receivable, opening_receivable + flows.unpaid_sales - flows.received,
          opening_payable, opening_payable + flows.unpaid_purchases - flows.paid};
}

Balances Balances::Load(calls::Calls& rt) {
  Balances balances;
  const calls::OwnedText current = rt.CurrentTableName();
  balances.known_ = AddPaymentSums(rt, balances.flows_) &&
                    AddUnpaid(rt, StockSide::kOut, balances.flows_, &AccountFlows::unpaid_sales) &&
                    AddUnpaid(rt, StockSide::kIn, balances.flows_, &AccountFlows::unpaid_purchases);
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  return balances;
}

AccountFlows Balances::FlowsOf(std::string_view name) const {
  const auto it = flows_.find(std::string(name));
  return it != flows_.end() ? it->second : AccountFlows{};
}

}  // namespace pcshop::app
