#include "app/accounts/balances.h"

#include <array>

#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// Σ 金额 per 姓名 and 类型 of the payments table, into `flows`; false when
// the table store refuses.
bool AddPayments(calls::Calls& rt, std::unordered_map<std::string, AccountFlows>& flows) {
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

}  // namespace

Balance BalanceOf(int64_t opening_receivable, int64_t opening_payable,
                  const AccountFlows& flows) {
  return {opening_receivable, opening_receivable + flows.unpaid_sales - flows.received,
          opening_payable, opening_payable + flows.unpaid_purchases - flows.paid};
}

Balances Balances::Load(calls::Calls& rt) {
  Balances balances;
  const calls::OwnedText current = rt.CurrentTableName();
  balances.known_ = AddPayments(rt, balances.flows_);
  // Sales and purchases join here once 出库 and 入库 carry a customer and a
  // supplier: one grouped sum each (金额 − 实收 by 客户, 金额 − 实付 by
  // 供应商) into unpaid_sales and unpaid_purchases.
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  return balances;
}

AccountFlows Balances::FlowsOf(std::string_view name) const {
  const auto it = flows_.find(std::string(name));
  return it != flows_.end() ? it->second : AccountFlows{};
}

}  // namespace pcshop::app
