#pragma once
// Derived figures over one table, answered by SQLite in one query instead of
// a record walk: the sum of an integer field grouped by key fields. Stock on
// hand is such a sum; it is never stored a second time.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "runtime/tables/table_types.h"

namespace pcshop::tables {

// One group: the key fields' values (exact bytes, in the order asked) and the
// sum of the summed field over the group's records.
struct GroupSum {
  std::vector<std::string> keys;
  int64_t sum = 0;

  friend bool operator==(const GroupSum&, const GroupSum&) = default;
};

// The query of a grouped sum, as both backends run it: the key columns, the
// summed column checked to be an integer field and the keys text fields
// (errors named by `label`), and the SQL over `table`, the sum written as
// `SUM(c)` followed by `sum_suffix` (the server casts it).
struct GroupedSumQuery {
  std::string key_columns;  // "c1, c2, c3"; empty without keys
  std::string summed_column;
  std::string sql;
};
Result<GroupedSumQuery> BuildGroupedSum(std::string_view label, std::span<const FieldSpec> fields,
                                        std::string_view sum_field,
                                        std::span<const std::string> keys, std::string_view table,
                                        std::string_view sum_suffix = {});

}  // namespace pcshop::tables
