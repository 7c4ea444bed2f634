#pragma once
// The records of a table whose text field holds one value, a few chosen
// fields of each, answered in one query instead of a record walk: one
// name's sales, purchases and payments for its statement of account.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "runtime/tables/table_types.h"

namespace pcshop::tables {

// One matching record: the chosen fields' values in the order asked.
using MatchingRow = std::vector<FieldValue>;

// The query as both backends run it over `table`: the match field checked to
// be a text field and every chosen field to exist (errors named by `label`),
// `parameter` standing for the value ("?" or "$1"); an empty match field
// matches every record and takes no value. The query gives the record's id,
// then the chosen fields. Records come in record order,
// delete-marked ones too, as the grouped sums count them.
struct MatchingQuery {
  std::string match_column;
  std::vector<size_t> chosen;  // 0-based field positions, in the order asked
  std::string sql;
};
Result<MatchingQuery> BuildMatching(std::string_view label, std::span<const FieldSpec> fields,
                                    std::string_view match_field,
                                    std::span<const std::string> chosen, std::string_view table,
                                    std::string_view parameter);

}  // namespace pcshop::tables
