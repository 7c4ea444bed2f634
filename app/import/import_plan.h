#pragma once
// What a price list would do to the catalogue, worked out before anything is
// written: each row of the list is a new product, a price up or down,
// unchanged, or refused with its reason. Products are matched on category +
// 品牌 + 型号 after folding what people type differently (spaces, full-width
// forms, Latin case). Pure: the caller hands over the list's rows and the
// catalogue.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/import/column_map.h"
#include "app/import/price_text.h"

namespace pcshop::app {

// One product of the catalogue as the import sees it.
struct CatalogueProduct {
  int32_t category = 0;  // 0 (CPU) to 13 (其它)
  std::string brand, model, remark;  // GBK, as the table holds them
  int64_t price = 0;
};

// One row of the list, GBK cells; `problem` set when the reader could not
// turn it into GBK (its text says why).
struct ListRow {
  int32_t number = 0;
  std::vector<std::string> cells;
  std::string problem;
};

enum class RowKind : int32_t { kNew = 0, kUp, kDown, kUnchanged, kRefused };
inline constexpr size_t kRowKindCount = 5;

enum class Refusal : int32_t {
  kNone = 0,
  kUnreadable,      // `problem` of the row
  kNoCategory,      // no category column and none chosen, or a name not in the list
  kNoBrand,
  kNoModel,
  kPrice,           // see `price_problem`
  kDuplicate,       // the file names the product twice: see `other_row`
  kAmbiguous,       // two catalogue products fold to the same
};

struct PlannedRow {
  int32_t number = 0;
  RowKind kind = RowKind::kRefused;
  Refusal refusal = Refusal::kNone;
  PriceProblem price_problem = PriceProblem::kNone;
  std::string problem;   // the reader's, for kUnreadable
  int32_t other_row = 0;  // the other row's number, for kDuplicate
  int32_t category = -1;
  std::string brand, model, remark;  // trimmed cells
  bool has_remark = false;           // the list has a 备注 column
  int64_t price = 0;
  int64_t old_price = 0;    // up, down, unchanged
  std::string old_remark;
  int32_t product = -1;     // index into the catalogue handed over; -1 for new
  bool ticked = true;       // refused rows are never ticked
};

struct ImportPlan {
  std::vector<PlannedRow> rows;
  std::array<size_t, kRowKindCount> counts{};
  // Catalogue products of the categories the list names that it does not
  // mention: listed apart, never touched.
  std::vector<int32_t> not_mentioned;
};

struct PlanInput {
  std::span<const ListRow> rows;       // the rows below the header
  ColumnMap map;
  int32_t category = -1;               // for a list without a category column
  std::span<const std::string> category_names;  // GBK, CategoryList order
  std::string_view price_signs;        // ImportPriceSigns
  std::span<const CatalogueProduct> catalogue;
};

ImportPlan PlanImport(const PlanInput& in);

// The identity of a product across spellings: category, folded brand and
// model without spaces.
std::string ProductKey(int32_t category, std::string_view brand, std::string_view model);

}  // namespace pcshop::app
