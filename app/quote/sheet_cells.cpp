#include "app/quote/sheet_cells.h"

#include "app/quote/quote_sheet.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace col = sheet_column;

// The number's text, or the empty cell for one that could not be computed.
void SetNumberCell(const SheetGrid& sheet, int32_t row, int32_t column,
                   std::optional<int64_t> value) {
  if (!value) {
    sheet.SetCell(row, column, sheet.rt.ConstText(sym::text::kEmpty));
    return;
  }
  const calls::OwnedText text = sheet.rt.ToText(*value);
  sheet.SetCell(row, column, text.c_str());
}

}  // namespace

calls::OwnedText SheetGrid::Cell(int32_t row, int32_t column) const {
  return rt.GetListCell(grid, row, column);
}

void SheetGrid::SetCell(int32_t row, int32_t column, const char* text) const {
  (void)rt.SetListCell(grid, row, column, text);
}

std::optional<int64_t> SheetGrid::CellNumber(int32_t row, int32_t column) const {
  const calls::OwnedText text = Cell(row, column);
  return rt.TextToLong(text.c_str());
}

std::optional<int64_t> Added(std::optional<int64_t> a, std::optional<int64_t> b) {
  int64_t sum = 0;
  if (!a || !b || __builtin_add_overflow(*a, *b, &sum)) return std::nullopt;
  return sum;
}

std::optional<int64_t> Multiplied(std::optional<int64_t> a, std::optional<int64_t> b) {
  int64_t product = 0;
  if (!a || !b || __builtin_mul_overflow(*a, *b, &product)) return std::nullopt;
  return product;
}

bool RecomputeAmount(const SheetGrid& sheet, int32_t row) {
  const std::optional<int64_t> amount =
      Multiplied(sheet.CellNumber(row, col::kQuantity), sheet.CellNumber(row, col::kPrice));
  SetNumberCell(sheet, row, col::kAmount, amount);
  return amount.has_value();
}

bool RecomputeTotals(const SheetGrid& sheet) {
  std::optional<int64_t> quantity = 0;
  std::optional<int64_t> amount = 0;
  for (int32_t r = 0; r < kQuoteRowCount; ++r) {
    quantity = Added(quantity, sheet.CellNumber(r, col::kQuantity));
    amount = Added(amount, sheet.CellNumber(r, col::kAmount));
  }
  SetNumberCell(sheet, kTotalsRow, col::kQuantity, quantity);
  SetNumberCell(sheet, kTotalsRow, col::kAmount, amount);
  return quantity.has_value() && amount.has_value();
}

void ClearRowsWithoutBrand(const SheetGrid& sheet) {
  const char* empty = sheet.rt.ConstText(sym::text::kEmpty);
  const int32_t rows = sheet.rt.GetListRowCount(sheet.grid);
  for (int32_t r = 0; r < rows; ++r) {
    if (r == kTotalsRow) continue;
    if (!sheet.Cell(r, col::kBrand).view().empty()) continue;
    for (int32_t c : {col::kModel, col::kQuantity, col::kPrice, col::kAmount, col::kRemark}) {
      sheet.SetCell(r, c, empty);
    }
  }
}

void TakeCataloguePrice(const SheetGrid& sheet, int32_t row, const ProductFieldNames& names) {
  const calls::OwnedText price = sheet.rt.ToText(sheet.rt.ReadFieldLong(names.price, {}));
  sheet.SetCell(row, col::kPrice, price.c_str());
  (void)RecomputeAmount(sheet, row);
  const calls::OwnedText remark = sheet.rt.ReadFieldText(names.remark, {});
  sheet.SetCell(row, col::kRemark, remark.c_str());
}

}  // namespace pcshop::app
