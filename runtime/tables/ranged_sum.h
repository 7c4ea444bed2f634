#pragma once
// Grouped sums over the records of a range of days, with the number of
// records per group: what a report of a period needs, answered by one query
// on either backend. The date field is text; a record whose date cannot be
// read (stored_day.h) lies in no range and so counts in no ranged figure.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "runtime/tables/table_types.h"

namespace pcshop::tables {

// The days from `first` to `last`, both included, as day numbers since
// 1970-01-01.
struct DayRange {
  int64_t first = 0;
  int64_t last = 0;
};

// One group: the key fields' values and one sum per term, in the order
// asked, and how many records the group holds.
struct RangedSum {
  std::vector<std::string> keys;
  std::vector<int64_t> sums;
  int64_t count = 0;

  friend bool operator==(const RangedSum&, const RangedSum&) = default;
};

// A summed term names integer fields: "A" sums A; "A*B" sums A times B (a
// cost per unit times the units); "A?B" sums A over the records whose B is
// not 0 (the sales that carry a cost). '*' and '?' never occur inside a GBK
// character, so a name splits safely.
//
// The query as both backends run it: `from` is what follows FROM (the
// records table, and on the server the lateral date match), `day` the day
// number of the date column ("{date}" stands for that column), `first` and
// `last` the two parameter markers, `sum_suffix` a cast after each SUM.
struct RangedSumDialect {
  std::string from;
  std::string day;
  std::string first, last;
  std::string sum_suffix;
};
struct RangedSumQuery {
  std::string sql;
  std::string date_column;
};
Result<RangedSumQuery> BuildRangedSum(std::string_view label, std::span<const FieldSpec> fields,
                                      std::string_view date_field,
                                      std::span<const std::string> terms,
                                      std::span<const std::string> keys,
                                      const RangedSumDialect& dialect);

}  // namespace pcshop::tables
