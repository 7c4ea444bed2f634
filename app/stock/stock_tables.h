#pragma once
// The two stock tables 入库 and 出库: one record per movement of goods, the
// product record's five fields first, then 数量, 金额 and 日期. Files of the
// older five-field layout are brought to this one in place at start-up.

#include <cstdint>
#include <string>
#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

enum class StockSide { kIn, kOut };

// The text keys of a stock table's alias and "\DATA\..." path.
uint32_t StockTableAlias(StockSide side);
std::string StockTablePath(calls::Calls& rt, StockSide side);

// 品名, 品牌, 型号, 价格, 备注, 数量, 金额, 日期.
std::vector<calls::FieldRecord> MovementFields(calls::Calls& rt);

// Start-up: creates a missing stock table with the movement layout and
// brings an older one to it; a file of another layout is left as it is.
void PrepareStockTables(calls::Calls& rt);

// Whether the stock table has the movement layout (an older one is brought
// to it first); false for a file of another layout, which stays untouched.
bool StockTableUsable(calls::Calls& rt, StockSide side);

// One movement as the window enters it and the table keeps it.
struct Movement {
  std::string kind, brand, model;
  int32_t quantity = 0;
  int32_t price = 0;
  int32_t amount = 0;
  std::string date, remark;

  friend bool operator==(const Movement&, const Movement&) = default;
};

// The movement at the record pointer of the current (stock) table.
Movement ReadMovement(calls::Calls& rt);

// The eight values in field order; they point into `m`, which must outlive
// them.
std::vector<calls::ValueTriple> MovementValues(calls::Calls& rt, const Movement& m);

}  // namespace pcshop::app
