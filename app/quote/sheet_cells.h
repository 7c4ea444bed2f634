#pragma once
// Reading and writing the quote sheet's cells, and the arithmetic that the
// cell editor runs on them: a row's amount, the totals, and the pass that
// empties rows without a brand. Every number lives in its cell as decimal
// text and is read back with the runtime's 64-bit text-to-integer
// conversion; amounts and totals are exact 64-bit whole numbers.

#include <cstdint>
#include <optional>

#include "app/catalogue/product_fields.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// The grid of the quote window, as one object for the list-view commands.
struct SheetGrid {
  calls::Calls& rt;
  calls::ValueTriple grid;

  calls::OwnedText Cell(int32_t row, int32_t column) const;
  void SetCell(int32_t row, int32_t column, const char* text) const;
  // The number the cell starts with: an empty or non-numeric cell counts as
  // the runtime reads it (0 for no leading digits); nothing for a number
  // beyond 64 bits.
  std::optional<int64_t> CellNumber(int32_t row, int32_t column) const;
};

// The sum of two 64-bit amounts or their product; nothing when it does not
// fit in 64 bits.
std::optional<int64_t> Added(std::optional<int64_t> a, std::optional<int64_t> b);
std::optional<int64_t> Multiplied(std::optional<int64_t> a, std::optional<int64_t> b);

// 金额 := 数量 x 单价 of `row`. When that cannot be computed in 64 bits the
// cell is emptied rather than given a wrong number, and the result is false.
bool RecomputeAmount(const SheetGrid& sheet, int32_t row);

// The totals row's 数量 and 金额 from the quote rows; its 单价 stays. A sum
// beyond 64 bits empties its cell and makes the result false.
bool RecomputeTotals(const SheetGrid& sheet);

// Empties 型号 to 备注 of every row whose 品牌 is empty, except the totals
// row, whose sums must stay visible on a sheet that was never loaded.
void ClearRowsWithoutBrand(const SheetGrid& sheet);

// Writes the current record's price and remark into `row`: 单价 from 价格,
// 金额 from the row's 数量 and the new 单价, 备注 from the record.
void TakeCataloguePrice(const SheetGrid& sheet, int32_t row, const ProductFieldNames& names);

}  // namespace pcshop::app
