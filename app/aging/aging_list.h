#pragma once
// The aged-debts list as the window shows it: the names that owe, largest
// first, and their 合计 row; then the names with money held (预收, 预付),
// most first, and their own total row. Total rows have no 序号.

#include "app/aging/aging_controls.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Works the list out for the chosen side as of today and shows it with the
// line above it; says so when the tables cannot be summed.
void ShowAgedList(calls::Calls& rt, const AgingWindow& w);

// The title of the chosen side's list (应收欠款账龄表, 应付欠款账龄表), GBK.
const char* AgingTitle(calls::Calls& rt, const AgingWindow& w);

}  // namespace pcshop::app
