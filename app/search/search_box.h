#pragma once
// A 查找商品 box: as the user types, the best matches drop below it (the box
// keeps the focus and its text); the row taken names a product.

#include "app/catalogue/entry_panel.h"
#include "app/search/product_match.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Brings the index up to date, finds the box's text and drops the matches
// below the box (category, brand, model, price, 库存, remark); closes the
// list when nothing matches.
void DropMatchingProducts(calls::Calls& rt, const ControlRef& box);

// The product of the row the box's row_taken event names; null when none.
const SearchEntry* TakenProduct(calls::Calls& rt, const calls::RoutineCall& call);

// The category's name as its table is called (CPU ... 其它).
const char* CategoryName(calls::Calls& rt, int32_t category);

}  // namespace pcshop::app
