#pragma once
// The runtime's entry-point table: the thirteen plain functions that compiled
// code calls through its stub slots. Each reaches the process's Runtime
// through ActiveRuntime(); without one it does nothing and answers 0.

#include "image/calls/entry_points.h"

namespace pcshop::kernel {

// Fills every entry (the unused one at offset 28 stays 0).
void FillEntryTable(calls::EntryTable& table);

}  // namespace pcshop::kernel
