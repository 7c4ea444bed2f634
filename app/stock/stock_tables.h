#pragma once
// The two stock tables 入库 and 出库: one record per movement of goods, the
// product record's five fields first, then 数量, 金额, 日期 and who was on
// the other side: 出库 客户, 实收, 成本; 入库 供应商, 实付. Files of the older
// layouts (five and eight fields) are brought to this one in place at
// start-up; their rows gain an empty name and zeros, and read as below.

#include <cstdint>
#include <string>
#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

enum class StockSide { kIn, kOut };

// The text keys of a stock table's alias and "\DATA\..." path.
uint32_t StockTableAlias(StockSide side);
std::string StockTablePath(calls::Calls& rt, StockSide side);

// 品名, 品牌, 型号, 价格, 备注, 数量, 金额, 日期, then 客户, 实收, 成本 (出库)
// or 供应商, 实付 (入库).
std::vector<calls::FieldRecord> MovementFields(calls::Calls& rt, StockSide side);
// The text keys of the side's counterparty and paid fields.
uint32_t CounterpartyField(StockSide side);
uint32_t PaidField(StockSide side);

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
  // 客户 or 供应商 from the register; empty for a walk-in sale or purchase,
  // which is paid in full.
  std::string counterparty;
  int32_t paid = 0;  // 实收 or 实付, 0 to 金额
  // 出库 only: the unit cost when sold, whole yuan; kNoCost when not known.
  int32_t cost = 0;

  friend bool operator==(const Movement&, const Movement&) = default;
};

// 成本 of a sale whose goods were never received, and of every sale written
// before 成本 existed (the upgrade fills 0): unknown, never a zero cost. An
// average cost that rounds to 0 yuan reads as unknown too.
inline constexpr int32_t kNoCost = 0;

// The number of fields of the side's layout.
int32_t MovementFieldCount(StockSide side);

// The movement at the record pointer of the current stock table of `side`.
// A row without a counterparty reads as paid in full: walk-in movements are,
// and rows written before 实收 and 实付 existed hold 0 there.
Movement ReadMovement(calls::Calls& rt, StockSide side);

// The values in the side's field order; they point into `m`, which must
// outlive them.
std::vector<calls::ValueTriple> MovementValues(calls::Calls& rt, StockSide side, const Movement& m);

}  // namespace pcshop::app
