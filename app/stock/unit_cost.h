#pragma once
// The unit cost a sale carries: the weighted average of the product's
// purchases so far, Σ 入库金额 / Σ 入库数量 by 品名 + 品牌 + 型号, rounded to
// whole yuan. Copied onto the sale when written, so later purchases never
// rewrite past profit.

#include <cstdint>

#include "app/stock/stock_tables.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// kNoCost for a product never received (or 入库 not summable). The table
// that was current before is current again afterwards.
int32_t AverageUnitCost(calls::Calls& rt, const Movement& product);

}  // namespace pcshop::app
