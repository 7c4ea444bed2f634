#pragma once
// What an import writes and what 撤销上次导入 puts back, worked out apart
// from the tables: the changes of the ticked rows of a plan, each with the
// product's values before and after, as the import log keeps them; and for
// an undo, which logged changes still hold (the product is as the import
// left it) and which were changed since and are left alone.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/import/import_plan.h"

namespace pcshop::app {

struct LoggedChange {
  int32_t category = 0;
  std::string brand, model;  // as the table holds them after the import
  bool added = false;        // a new product; else a changed one
  int64_t old_price = 0;
  std::string old_remark;
  int64_t new_price = 0;
  std::string new_remark;
};

// The changes of the ticked rows that change something: new products, and
// known ones whose price or (with a 备注 column) remark differs. A changed
// product keeps the catalogue's spelling of its brand and model.
std::vector<LoggedChange> ChangesToApply(const ImportPlan& plan,
                                         std::span<const CatalogueProduct> catalogue);

struct UndoPlan {
  std::vector<size_t> undo;           // indices into the log: put back
  std::vector<size_t> changed_since;  // indices: changed after the import, left alone
};

// Matches each logged change with the catalogue as it is now, by category,
// brand and model exactly as written: a product the import added must still
// be there with the price and remark it got, a changed one too.
UndoPlan PlanUndo(std::span<const LoggedChange> log, std::span<const CatalogueProduct> catalogue);

}  // namespace pcshop::app
