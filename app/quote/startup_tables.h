#pragma once
// The tables' part of the quote window's start-up: the data folder, every
// table created when missing and opened under its alias. Run again after a
// restore, which may bring back a set without some of them.

#include "image/calls/calls.h"

namespace pcshop::app {

void PrepareStartupTables(calls::Calls& rt);

}  // namespace pcshop::app
