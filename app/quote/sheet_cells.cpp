#include "app/quote/sheet_cells.h"

#include <cmath>

#include "app/quote/quote_sheet.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace col = sheet_column;

// The sums are whole numbers in a double; std::trunc keeps them exact where a
// cast to a 32-bit integer would overflow on large quantities or prices.
calls::OwnedText WholeText(calls::Calls& rt, double value) { return rt.ToText(std::trunc(value)); }

}  // namespace

calls::OwnedText SheetGrid::Cell(int32_t row, int32_t column) const {
  return rt.GetListCell(grid, row, column);
}

void SheetGrid::SetCell(int32_t row, int32_t column, const char* text) const {
  (void)rt.SetListCell(grid, row, column, text);
}

int32_t SheetGrid::CellNumber(int32_t row, int32_t column) const {
  const calls::OwnedText text = Cell(row, column);
  return rt.TextToInt(text.c_str());
}

void RecomputeAmount(const SheetGrid& sheet, int32_t row) {
  const double amount = static_cast<double>(sheet.CellNumber(row, col::kQuantity)) *
                        static_cast<double>(sheet.CellNumber(row, col::kPrice));
  const calls::OwnedText text = sheet.rt.ToText(amount);
  sheet.SetCell(row, col::kAmount, text.c_str());
}

void RecomputeTotals(const SheetGrid& sheet) {
  double quantity = 0;
  double amount = 0;
  for (int32_t r = 0; r < kQuoteRowCount; ++r) {
    quantity += sheet.CellNumber(r, col::kQuantity);
    amount += sheet.CellNumber(r, col::kAmount);
  }
  const calls::OwnedText quantity_text = WholeText(sheet.rt, quantity);
  const calls::OwnedText amount_text = WholeText(sheet.rt, amount);
  sheet.SetCell(kTotalsRow, col::kQuantity, quantity_text.c_str());
  sheet.SetCell(kTotalsRow, col::kAmount, amount_text.c_str());
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
  const calls::OwnedText price = sheet.rt.ToText(sheet.rt.ReadFieldInt(names.price, {}));
  sheet.SetCell(row, col::kPrice, price.c_str());
  RecomputeAmount(sheet, row);
  const calls::OwnedText remark = sheet.rt.ReadFieldText(names.remark, {});
  sheet.SetCell(row, col::kRemark, remark.c_str());
}

}  // namespace pcshop::app
