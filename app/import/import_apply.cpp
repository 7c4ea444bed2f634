#include "app/import/import_apply.h"

#include <algorithm>
#include <map>

#include "app/catalogue/category_tables.h"
#include "app/import/import_preview.h"
#include "app/import/import_table.h"

namespace pcshop::app {
namespace {

// Record numbers of the catalogue's products: the catalogue lists each
// category's table in record order.
class RecordNumbers {
 public:
  explicit RecordNumbers(std::span<const CatalogueProduct> catalogue) {
    std::map<int32_t, int32_t> seen;
    for (const CatalogueProduct& p : catalogue) {
      numbers_.emplace(Key(p.category, p.brand, p.model), ++seen[p.category]);
    }
  }
  // 0 when the product is not there.
  int32_t Of(const LoggedChange& c) const {
    const auto found = numbers_.find(Key(c.category, c.brand, c.model));
    return found == numbers_.end() ? 0 : found->second;
  }

 private:
  static std::string Key(int32_t category, const std::string& brand, const std::string& model) {
    return std::to_string(category) + '\x1f' + brand + '\x1f' + model;
  }
  std::multimap<std::string, int32_t> numbers_;
};

// Restores the old values of the changes at `which` and removes the
// products they added; per category, modifies in one write, then removals
// from the last record back so that numbers stay valid.
bool PutBack(calls::Calls& rt, std::span<const LoggedChange> log, std::span<const size_t> which,
             std::span<const CatalogueProduct> catalogue) {
  const RecordNumbers numbers(catalogue);
  bool ok = true;
  for (int32_t category = 0; category < kCategoryCount; ++category) {
    std::vector<calls::ValueTriple> values;
    std::vector<int32_t> removals;
    for (const size_t i : which) {
      const LoggedChange& c = log[i];
      if (c.category != category) continue;
      const int32_t record = numbers.Of(c);
      if (record == 0) continue;
      if (c.added) {
        removals.push_back(record);
        continue;
      }
      values.insert(values.end(), {calls::Int(record), calls::Omitted(), calls::Omitted(),
                                   calls::Omitted(), calls::Long(c.old_price),
                                   rt.Arg(c.old_remark.c_str())});
    }
    if (values.empty() && removals.empty()) continue;
    if (!SelectCategoryByIndex(rt, category)) return false;
    if (!values.empty()) ok = rt.WriteRecords(5, values) && ok;
    std::sort(removals.rbegin(), removals.rend());
    for (const int32_t record : removals) ok = rt.GoToRecord(record) && rt.RemoveRecord() && ok;
  }
  return ok;
}

}  // namespace

bool ApplyChanges(calls::Calls& rt, std::span<const LoggedChange> changes,
                  std::span<const CatalogueProduct> catalogue,
                  std::span<const std::string> category_names) {
  const ImportRecord last = LastImport(rt);
  const int32_t number = last.number + 1;
  if (!LogImportBegun(rt, number, changes)) return false;
  const RecordNumbers numbers(catalogue);
  for (int32_t category = 0; category < kCategoryCount; ++category) {
    std::vector<calls::ValueTriple> values;
    for (const LoggedChange& c : changes) {
      if (c.category != category) continue;
      const int32_t record = c.added ? 0 : numbers.Of(c);
      if (!c.added && record == 0) return false;  // gone since the preview: rolled back at start
      const calls::ValueTriple named[] = {
          c.added ? rt.Arg(category_names[static_cast<size_t>(category)].c_str()) : calls::Omitted(),
          c.added ? rt.Arg(c.brand.c_str()) : calls::Omitted(),
          c.added ? rt.Arg(c.model.c_str()) : calls::Omitted()};
      values.push_back(calls::Int(record));
      values.insert(values.end(), std::begin(named), std::end(named));
      values.push_back(calls::Long(c.new_price));
      values.push_back(rt.Arg(c.new_remark.c_str()));
    }
    if (values.empty()) continue;
    if (!SelectCategoryByIndex(rt, category) || !rt.WriteRecords(5, values)) return false;
  }
  return LogImportState(rt, number, ImportState::kFinished);
}

UndoOutcome UndoImportChanges(calls::Calls& rt) {
  UndoOutcome out;
  const ImportRecord last = LastImport(rt);
  if (last.number == 0 || last.state != ImportState::kFinished) {
    out.nothing = true;
    return out;
  }
  const std::vector<CatalogueProduct> catalogue = ReadCatalogue(rt);
  const UndoPlan plan = PlanUndo(last.changes, catalogue);
  for (const size_t i : plan.changed_since) out.changed_since.push_back(last.changes[i]);
  out.ok = PutBack(rt, last.changes, plan.undo, catalogue) &&
           LogImportState(rt, last.number, ImportState::kUndone);
  out.undone = plan.undo.size();
  return out;
}

void RollBackUnfinishedImport(calls::Calls& rt) {
  const ImportRecord last = LastImport(rt);
  if (last.number == 0 || last.state != ImportState::kBegun) return;
  const calls::OwnedText before = rt.CurrentTableName();
  const std::vector<CatalogueProduct> catalogue = ReadCatalogue(rt);
  // A category written before the cut holds the new values, one not yet
  // written the old: putting the old values back is right for both. An
  // added product is there only when its category was written.
  std::vector<size_t> all(last.changes.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;
  if (PutBack(rt, last.changes, all, catalogue)) {
    (void)LogImportState(rt, last.number, ImportState::kRolledBack);
  }
  if (!before.view().empty()) (void)rt.SelectTable(before.c_str());
}

}  // namespace pcshop::app
