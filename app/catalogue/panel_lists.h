#pragma once
// The entry panel's on-demand brand and model lists, for every window that
// carries the panel's three boxes (the stock windows too).

#include "app/catalogue/entry_panel.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// The brands of the 品名 box's table, each once.
void FillBrandItems(calls::Calls& rt, const EntryPanel& panel);
// The models of the 品名 and 品牌 boxes' products.
void FillModelItems(calls::Calls& rt, const EntryPanel& panel);

}  // namespace pcshop::app
