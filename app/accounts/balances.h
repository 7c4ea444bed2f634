#pragma once
// Each name's 应收 and 应付, derived every time they are shown and never
// stored: the register's own 应收 and 应付 are the opening balances (期初),
// and the current balance is
//   应收 = 期初应收 + unpaid part of its sales     − Σ 收款
//   应付 = 期初应付 + unpaid part of its purchases − Σ 付款
// A negative 应收 is money held for the customer (预收), a negative 应付
// money paid ahead to the supplier (预付).

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "image/calls/calls.h"

namespace pcshop::app {

// What moves one name's balances away from its opening figures, whole yuan.
struct AccountFlows {
  // Σ (金额 − 实收) of its sales and Σ (金额 − 实付) of its purchases.
  int64_t unpaid_sales = 0;
  int64_t unpaid_purchases = 0;
  int64_t received = 0;  // Σ 金额 of its 收款
  int64_t paid = 0;      // Σ 金额 of its 付款
};

struct Balance {
  int64_t opening_receivable = 0;
  int64_t receivable = 0;
  int64_t opening_payable = 0;
  int64_t payable = 0;
};

// Σ 金额 of the payments per 姓名 and 类型, added to `received` and `paid` of
// `flows`: one grouped sum. Makes the payments table current; false when the
// table store refuses.
bool AddPaymentSums(calls::Calls& rt, std::unordered_map<std::string, AccountFlows>& flows);

Balance BalanceOf(int64_t opening_receivable, int64_t opening_payable, const AccountFlows& flows);

class Balances {
 public:
  // Every name's flows: the payments summed by 姓名 and 类型, the sales and
  // purchases by 客户 and 供应商, all grouped sums. The table that was
  // current before is current again afterwards.
  static Balances Load(calls::Calls& rt);

  // False when the payments or a stock table could not be summed (a table
  // of another layout): then no balance is known.
  bool known() const { return known_; }
  // The flows of `name`; all 0 for a name without any.
  AccountFlows FlowsOf(std::string_view name) const;

 private:
  bool known_ = false;
  std::unordered_map<std::string, AccountFlows> flows_;
};

}  // namespace pcshop::app
