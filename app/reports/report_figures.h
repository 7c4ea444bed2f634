#pragma once
// The top figures of a report for one period, each from ranged sums of the
// table store (one query per table), never from a walk over the records.

#include <cstdint>
#include <optional>
#include <string>

#include "app/reports/report_period.h"
#include "image/calls/calls.h"

namespace pcshop::app {

struct PeriodFigures {
  int64_t sales = 0;         // Σ 金额 of the sales
  int64_t cost = 0;          // Σ 数量 × 成本 of the sales that carry a cost
  int64_t costed_sales = 0;  // Σ 金额 of those sales
  int64_t sales_count = 0;
  int64_t purchases = 0;
  int64_t purchase_count = 0;
  int64_t received = 0;  // Σ 收款
  int64_t paid = 0;      // Σ 付款
  // Every name's balance at the period's last day, summed: the register's
  // opening figures plus the unpaid part of sales (purchases) up to then,
  // less what was received (paid) up to then.
  int64_t owed_to_shop = 0;
  int64_t owed_by_shop = 0;

  // A sale without a cost (goods never received) earns no known profit: it
  // is left out of the profit rather than counted at cost 0.
  int64_t profit() const { return costed_sales - cost; }
  int64_t uncosted_sales() const { return sales - costed_sales; }
  bool no_records() const { return sales_count == 0 && purchase_count == 0 && received == 0 && paid == 0; }
  friend bool operator==(const PeriodFigures&, const PeriodFigures&) = default;
};

// The figures of `period`; nothing when a table could not be summed (a
// foreign layout). The table that was current before is current afterwards.
std::optional<PeriodFigures> LoadFigures(calls::Calls& rt, DayRange period);

// Profit over the costed sales in percent with one decimal ("12.5%"), "-"
// without costed sales.
std::string MarginText(calls::Calls& rt, const PeriodFigures& f);

}  // namespace pcshop::app
