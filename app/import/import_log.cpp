#include "app/import/import_log.h"

#include <unordered_map>

namespace pcshop::app {
namespace {

std::string ExactKey(int32_t category, std::string_view brand, std::string_view model) {
  std::string key = std::to_string(category);
  key += '\x1F';
  key += brand;
  key += '\x1F';
  key += model;
  return key;
}

}  // namespace

std::vector<LoggedChange> ChangesToApply(const ImportPlan& plan,
                                         std::span<const CatalogueProduct> catalogue) {
  std::vector<LoggedChange> changes;
  for (const PlannedRow& row : plan.rows) {
    if (!row.ticked || row.kind == RowKind::kRefused) continue;
    LoggedChange change;
    change.category = row.category;
    change.new_price = row.price;
    if (row.kind == RowKind::kNew || row.product < 0) {
      change.added = true;
      change.brand = row.brand;
      change.model = row.model;
      change.new_remark = row.remark;
      changes.push_back(std::move(change));
      continue;
    }
    const CatalogueProduct& product = catalogue[static_cast<size_t>(row.product)];
    change.brand = product.brand;
    change.model = product.model;
    change.old_price = product.price;
    change.old_remark = product.remark;
    change.new_remark = row.has_remark ? row.remark : product.remark;
    if (change.new_price == change.old_price && change.new_remark == change.old_remark) continue;
    changes.push_back(std::move(change));
  }
  return changes;
}

UndoPlan PlanUndo(std::span<const LoggedChange> log, std::span<const CatalogueProduct> catalogue) {
  std::unordered_map<std::string, const CatalogueProduct*> now;
  now.reserve(catalogue.size());
  for (const CatalogueProduct& p : catalogue) {
    now.emplace(ExactKey(p.category, p.brand, p.model), &p);
  }
  UndoPlan plan;
  for (size_t i = 0; i < log.size(); ++i) {
    const LoggedChange& change = log[i];
    const auto it = now.find(ExactKey(change.category, change.brand, change.model));
    const bool as_left = it != now.end() && it->second->price == change.new_price &&
                         it->second->remark == change.new_remark;
    (as_left ? plan.undo : plan.changed_since).push_back(i);
  }
  return plan;
}

}  // namespace pcshop::app
