#pragma once
// The cell editor's list for a pressed column, and the refresh of the
// selected quote row from the catalogue that comes with it.

#include <cstdint>

#include "app/quote/quote_sheet.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Fills the editor's list for `column` of the grid's selected row: the brands
// of the row's category, the models of the row's brand (taking the price and
// remark of the last of them), or "1" and "2" for the quantity. A quote row
// whose model is in the catalogue then gets quantity 1 and the catalogue's
// price, amount and remark. The 其它二 row, the totals and spare rows and no
// selected row get an empty list and no refresh.
void FillEditorChoices(calls::Calls& rt, const QuoteSheet& controls, int32_t column);

}  // namespace pcshop::app
