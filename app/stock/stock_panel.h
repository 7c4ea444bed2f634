#pragma once
// What the stock windows' panel shows besides what the user types: the
// on-hand figure of the chosen product and the amount.

#include "app/stock/stock_controls.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// "库存: N" for the product in the panel's three boxes.
void ShowPanelOnHand(calls::Calls& rt, const StockWindow& w);

// After a movement was written: 数量, 金额, 备注 and the paid box empty,
// 日期 today; the product, its price and the counterparty stay. A back-dated receipt does not date
// the next one, and a second 新增 needs a new quantity instead of recording the same goods again.
void ClearPanelForNextMovement(calls::Calls& rt, const StockWindow& w);

// The product in the panel's three boxes chosen: its default price (the
// catalogue's for a sale, the last purchase's for a purchase), the amount and
// its on-hand figure.
void ShowChosenProduct(calls::Calls& rt, const StockWindow& w);

// 金额 := 数量 × 价格 when both are whole numbers; empty otherwise.
void ShowPanelAmount(calls::Calls& rt, const StockWindow& w);

// The on-hand figure of the quote window's panel, for its selected row.
void ShowQuotePanelOnHand(calls::Calls& rt);

}  // namespace pcshop::app
