#pragma once
// The stock windows' movement list. It always shows a whole category's
// movements or all of them, in record order, numbered from 1; so the n-th
// row that looks like a movement is the n-th such record of the table, which
// is how a picked row finds its own record among identical-looking ones.

#include <cstdint>

#include "app/stock/stock_controls.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Lists the movements of category `category` (its index), or all of them
// for -1. Makes the window's stock table current.
void ListMovements(calls::Calls& rt, const StockWindow& w, int32_t category);

// Lists again what the list showed: the query box's category, or all.
void ListMovementsAgain(calls::Calls& rt, const StockWindow& w);

// After `m` was written: what the list showed when that holds `m`'s
// category, all movements otherwise. The new row is in view and nothing the
// user was looking at is hidden.
void ListMovementsWith(calls::Calls& rt, const StockWindow& w, const Movement& m);

// The movement on list row `row`.
Movement MovementOnRow(calls::Calls& rt, const StockWindow& w, int32_t row);

// The record number of the movement on the selected row, with the table
// current: 0 when no row is selected, -1 when the table no longer holds it.
int32_t PickedMovementRecord(calls::Calls& rt, const StockWindow& w);

}  // namespace pcshop::app
