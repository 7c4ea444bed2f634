#pragma once
// The cell editor's list for a pressed column, and the refresh of the
// selected quote row from the catalogue that comes with it.

#include <cstdint>

#include "app/catalogue/product_fields.h"
#include "app/quote/quote_sheet.h"
#include "app/quote/sheet_cells.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Rows from 其它二 on offer no choices and are never refreshed from the
// catalogue: that row shares 其它 with 其它一, and the totals and spare rows
// have no category.
inline constexpr int32_t kFirstRowWithoutChoices = 14;

// Fills the editor's list for `column` of the grid's selected row: the brands
// of the row's category, the models of the row's brand (taking the price and
// remark of the last of them), or "1" and "2" for the quantity. A quote row
// whose model is in the catalogue then gets quantity 1 and the catalogue's
// price, amount and remark. The 其它二 row, the totals and spare rows and no
// selected row get an empty list and no refresh.
void FillEditorChoices(calls::Calls& rt, const QuoteSheet& controls, int32_t column);

// Puts the record pointer on the first record of the row's table that is the
// product of the row's 品牌 and 型号 cells.
bool FindRowProduct(const SheetGrid& sheet, int32_t row, const ProductFieldNames& names);

}  // namespace pcshop::app
