#pragma once
// What the application keeps for the life of the process, shared by every
// window: the search indexes, what the daily backup has tried and what has
// been said once. Kept in a
// var slot, made on first use, freed by the exit routine.

#include <string>

#include "app/search/name_index.h"
#include "app/search/product_index.h"
#include "image/calls/calls.h"

namespace pcshop::app {

struct ProcessState {
  ProductIndex products;
  NameIndex names;
  // The day ("2026-12-10") the daily backup was last tried in this process:
  // a failure is said once a day, not at every return to the quote window.
  std::string daily_backup_tried;
  // The 预警 threshold could not be kept (a damaged or read-only 设置.zdb):
  // said once, the report is shown with it all the same.
  bool threshold_not_kept_said = false;
};

ProcessState& TheProcessState(calls::Calls& rt);
void FreeProcessState(calls::Calls& rt);

}  // namespace pcshop::app
