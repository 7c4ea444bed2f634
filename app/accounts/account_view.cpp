#include "app/accounts/account_view.h"

#include <optional>

#include "app/accounts/balances.h"
#include "app/accounts/payment_list.h"
#include "app/customers/customer_record.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// "应收: -300（预收 300）": a balance below zero is money the other side has
// with us (or we with them), named so.
void AppendBalance(calls::Calls& rt, std::string& line, uint32_t label, int64_t value,
                   uint32_t ahead) {
  line.append(rt.ConstText(label)).append(std::to_string(value));
  if (value < 0) {
    line.append(rt.ConstText(ahead)).append(std::to_string(-value)).append(
        rt.ConstText(t::kBalanceClose));
  }
}

std::string BalanceLine(calls::Calls& rt, const Balance& b) {
  std::string line;
  AppendBalance(rt, line, t::kBalanceOpeningReceivable, b.opening_receivable,
                t::kBalanceHeldForCustomer);
  AppendBalance(rt, line, t::kBalanceReceivable, b.receivable, t::kBalanceHeldForCustomer);
  AppendBalance(rt, line, t::kBalanceOpeningPayable, b.opening_payable, t::kBalancePaidAhead);
  AppendBalance(rt, line, t::kBalancePayable, b.payable, t::kBalancePaidAhead);
  return line;
}

}  // namespace

bool ShowAccountOf(calls::Calls& rt, const AccountsWindow& w, const std::string& name) {
  const std::optional<OpeningBalances> opening = OpeningBalancesOf(rt, name.c_str());
  if (!opening) {
    SetTextOf(rt, w.balances, "");
    rt.ClearList(ObjectOf(w.list));
    return false;
  }
  const Balances balances = Balances::Load(rt);
  const std::string line =
      balances.known()
          ? BalanceLine(rt, BalanceOf(opening->receivable, opening->payable,
                                      balances.FlowsOf(name)))
          : std::string();
  SetTextOf(rt, w.balances, line.c_str());
  ListPayments(rt, w, name);
  return true;
}

}  // namespace pcshop::app
