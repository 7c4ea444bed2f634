#include "app/import/import_plan.h"

#include <unordered_map>

#include "app/search/product_match.h"

namespace pcshop::app {
namespace {

constexpr int32_t kCategories = 14;

std::string Trimmed(std::string_view gbk) {
  const size_t first = gbk.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return "";
  return std::string(gbk.substr(first, gbk.find_last_not_of(" \t\r\n") - first + 1));
}

const std::string& Cell(const ListRow& row, int32_t column) {
  static const std::string kEmpty;
  if (column < 0 || static_cast<size_t>(column) >= row.cells.size()) return kEmpty;
  return row.cells[static_cast<size_t>(column)];
}

int32_t CategoryOf(std::string_view cell, std::span<const std::string> names) {
  const std::string folded = FoldCompact(cell);
  for (size_t i = 0; i < names.size(); ++i) {
    if (folded == FoldCompact(names[i])) return static_cast<int32_t>(i);
  }
  return -1;
}

void Refuse(PlannedRow& row, Refusal why) {
  row.kind = RowKind::kRefused;
  row.refusal = why;
  row.ticked = false;
}

}  // namespace

std::string ProductKey(int32_t category, std::string_view brand, std::string_view model) {
  std::string key = std::to_string(category);
  key += '\x1F';
  key += FoldCompact(brand);
  key += '\x1F';
  key += FoldCompact(model);
  return key;
}

ImportPlan PlanImport(const PlanInput& in) {
  constexpr int32_t kAmbiguousProduct = -2;
  std::unordered_map<std::string, int32_t> catalogue;
  catalogue.reserve(in.catalogue.size());
  for (size_t i = 0; i < in.catalogue.size(); ++i) {
    const CatalogueProduct& p = in.catalogue[i];
    const auto [it, added] =
        catalogue.emplace(ProductKey(p.category, p.brand, p.model), static_cast<int32_t>(i));
    if (!added) it->second = kAmbiguousProduct;
  }

  ImportPlan plan;
  plan.rows.reserve(in.rows.size());
  std::unordered_map<std::string, size_t> seen;  // key -> index in plan.rows
  std::vector<bool> mentioned(in.catalogue.size(), false);
  std::vector<bool> category_named(kCategories, false);
  for (const ListRow& source : in.rows) {
    PlannedRow& row = plan.rows.emplace_back();
    row.number = source.number;
    if (!source.problem.empty()) {
      row.problem = source.problem;
      Refuse(row, Refusal::kUnreadable);
      continue;
    }
    row.category = in.map[ImportField::kCategory] >= 0
                       ? CategoryOf(Cell(source, in.map[ImportField::kCategory]),
                                    in.category_names)
                       : in.category;
    row.brand = Trimmed(Cell(source, in.map[ImportField::kBrand]));
    row.model = Trimmed(Cell(source, in.map[ImportField::kModel]));
    row.has_remark = in.map[ImportField::kRemark] >= 0;
    row.remark = Trimmed(Cell(source, in.map[ImportField::kRemark]));
    const PriceRead price = ReadPrice(Cell(source, in.map[ImportField::kPrice]), in.price_signs);
    row.price = price.price;
    if (row.category < 0 || row.category >= kCategories) {
      Refuse(row, Refusal::kNoCategory);
    } else if (row.brand.empty()) {
      Refuse(row, Refusal::kNoBrand);
    } else if (row.model.empty()) {
      Refuse(row, Refusal::kNoModel);
    } else if (price.problem != PriceProblem::kNone) {
      row.price_problem = price.problem;
      Refuse(row, Refusal::kPrice);
    }
    if (row.category >= 0 && row.category < kCategories) category_named[row.category] = true;
    if (row.brand.empty() || row.model.empty() || row.category < 0) continue;

    const std::string key = ProductKey(row.category, row.brand, row.model);
    const auto found = catalogue.find(key);
    if (found != catalogue.end() && found->second >= 0) mentioned[found->second] = true;
    if (const auto [twin, first] = seen.emplace(key, plan.rows.size() - 1); !first) {
      PlannedRow& other = plan.rows[twin->second];
      if (other.refusal != Refusal::kDuplicate) {
        other.other_row = row.number;
        Refuse(other, Refusal::kDuplicate);
      }
      row.other_row = other.number;
      Refuse(row, Refusal::kDuplicate);
      continue;
    }
    if (row.kind == RowKind::kRefused && row.refusal != Refusal::kNone) continue;
    if (found == catalogue.end()) {
      row.kind = RowKind::kNew;
      continue;
    }
    if (found->second == kAmbiguousProduct) {
      Refuse(row, Refusal::kAmbiguous);
      continue;
    }
    const CatalogueProduct& product = in.catalogue[static_cast<size_t>(found->second)];
    row.product = found->second;
    row.old_price = product.price;
    row.old_remark = product.remark;
    row.kind = row.price > product.price   ? RowKind::kUp
               : row.price < product.price ? RowKind::kDown
                                           : RowKind::kUnchanged;
    // Same price: worth writing only for a new remark.
    if (row.kind == RowKind::kUnchanged) row.ticked = row.has_remark && row.remark != product.remark;
  }
  for (const PlannedRow& row : plan.rows) ++plan.counts[static_cast<size_t>(row.kind)];
  for (size_t i = 0; i < in.catalogue.size(); ++i) {
    const int32_t category = in.catalogue[i].category;
    if (!mentioned[i] && category >= 0 && category < kCategories && category_named[category]) {
      plan.not_mentioned.push_back(static_cast<int32_t>(i));
    }
  }
  return plan;
}

}  // namespace pcshop::app
