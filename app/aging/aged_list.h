#pragma once
// Who owes what and since when: every name with a balance other than 0 on
// one side (应收 or 应付), worked out from the same grouped sums as the
// balances of 客户管理, with the balance split by age (debt_ages.h).

#include <cstdint>
#include <string>
#include <vector>

#include "app/aging/debt_ages.h"
#include "image/calls/calls.h"

namespace pcshop::app {

enum class AgingSide { kReceivable, kPayable };

struct AgedRow {
  std::string name, phone;  // GBK; no phone for a name the register lost
  int64_t balance = 0;
  DebtAges ages;
  std::string oldest_date;  // as the table holds it; empty when none
};

struct AgedList {
  // False when the payments or the stock table could not be summed.
  bool known = false;
  std::vector<AgedRow> owing;  // balance above 0, largest first
  std::vector<AgedRow> ahead;  // below 0 (预收, 预付), most held first
};

// Sales (出库 by 客户) and 收款 for 应收, purchases (入库 by 供应商) and 付款
// for 应付, each summed by name and date; the opening balance and phone
// from the register. Names the register no longer holds but sums still
// name are listed too, with opening 0: their debt is real. Ties keep the
// register's order. The table that was current before is current again
// afterwards.
AgedList LoadAgedList(calls::Calls& rt, AgingSide side, int64_t today);

}  // namespace pcshop::app
