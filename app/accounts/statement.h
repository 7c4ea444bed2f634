#pragma once
// The statement of account (对账单) of one name over a date range: the
// balance brought forward, every sale, purchase and payment of the range in
// date order with a running balance, and the closing balance.
//
// One running balance serves a name that is both customer and supplier:
// 余额 = 应收 − 应付, so a positive balance is what the other side owes the
// shop and a negative one what the shop owes it (or holds for it). The
// receivable and payable parts are kept apart for the forward and closing
// lines. A sale raises the balance by 金额 and lowers it by 实收; a purchase
// lowers it by 金额 and raises it by 实付; a 收款 lowers it, a 付款 raises it.
// The figures agree with balances.h: the opening balances, then every record.
//
// Order: by date; on one date sales first, then purchases, then payments,
// each in record order. A record whose date cannot be read counts as older
// than every date: in the balance brought forward, or first when the range
// has no start.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/customers/customer_record.h"
#include "image/calls/calls.h"

namespace pcshop::app {

struct StatementLine {
  std::string date;     // as the table holds it
  std::string summary;  // 销售/采购 and the goods, or 收款/付款, method and remark
  int64_t sold = 0;      // 销售金额
  int64_t received = 0;  // 已收: 实收 of a sale, or a 收款
  int64_t bought = 0;    // 采购金额
  int64_t paid = 0;      // 已付: 实付 of a purchase, or a 付款
  int64_t balance = 0;   // 余额 after this line
};

struct Statement {
  int64_t forward_receivable = 0;  // 上期结余
  int64_t forward_payable = 0;
  std::vector<StatementLine> lines;
  int64_t closing_receivable = 0;  // 期末余额
  int64_t closing_payable = 0;
  int64_t forward() const { return forward_receivable - forward_payable; }
  int64_t closing() const { return closing_receivable - closing_payable; }
};

// Dates as DateOrder numbers, both ends inclusive; 0 as `from` for the
// beginning.
struct StatementRange {
  int32_t from = 0;
  int32_t to = 0;
};

// The statement of `name`, whose opening balances (期初) are `opening`;
// nothing when the sales, purchases or payments cannot be read. Reads each
// table with one matching read; the table current before is current again
// afterwards.
std::optional<Statement> StatementOf(calls::Calls& rt, const std::string& name,
                                     const OpeningBalances& opening, const StatementRange& range);

}  // namespace pcshop::app
