#pragma once
// The product management window's list: one category, all products, one
// brand, or the product just looked up; and the panel reset that goes with
// the list's changes.

#include "image/calls/calls.h"

namespace pcshop::app {

// The query box's category, whole; "此项无记录" for an empty one.
void ListCategory(calls::Calls& rt);
// Every category in order, numbered on across categories.
void ListAllProducts(calls::Calls& rt);
// The products of the 品名 and 品牌 boxes in the current table.
void ListBrand(calls::Calls& rt);
// The product of the three boxes in the current table.
void ListSelectedProduct(calls::Calls& rt);
// Empties 型号 (no selection), 价格 and 备注; 品名 and 品牌 stay.
void ClearEntryDetails(calls::Calls& rt);

}  // namespace pcshop::app
