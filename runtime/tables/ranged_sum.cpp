#include "runtime/tables/ranged_sum.h"

#include <algorithm>

#include "runtime/tables/stored_day.h"
#include "runtime/tables/table_file.h"
#include "runtime/tables/table_format.h"

namespace pcshop::tables {
namespace {

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size())) {
    s.replace(pos, from.size(), to);
  }
}

}  // namespace

Result<RangedSumQuery> BuildRangedSum(std::string_view label, std::span<const FieldSpec> fields,
                                      std::string_view date_field,
                                      std::span<const std::string> terms,
                                      std::span<const std::string> keys,
                                      const RangedSumDialect& dialect) {
  auto column_of = [&](std::string_view name, int32_t type) -> Result<std::string> {
    const auto it = std::find_if(fields.begin(), fields.end(),
                                 [&](const FieldSpec& f) { return f.name == name; });
    if (it == fields.end()) {
      return Status::NotFound(std::string(label) + ": SumInRange: no field named " +
                              Printable(name));
    }
    if (it->type_code != type) {
      return Status::TypeMismatch(std::string(label) + ": SumInRange: field " + Printable(name) +
                                  (type == kIntegerField ? " is not an integer field"
                                                         : " is not a text field"));
    }
    return FieldColumn(static_cast<size_t>(it - fields.begin()));
  };
  if (terms.empty()) {
    return Status::InvalidArgument(std::string(label) + ": SumInRange: nothing to sum");
  }
  RangedSumQuery q;
  Result<std::string> date = column_of(date_field, kTextField);
  if (!date.ok()) return date.status();
  q.date_column = std::move(date).value();
  std::string key_columns;
  for (const std::string& key : keys) {
    const Result<std::string> column = column_of(key, kTextField);
    if (!column.ok()) return column.status();
    key_columns += (key_columns.empty() ? "" : ", ") + *column;
  }
  std::string sums;
  for (const std::string& term : terms) {
    const size_t split = term.find_first_of("*?");
    const Result<std::string> a = column_of(term.substr(0, split), kIntegerField);
    if (!a.ok()) return a.status();
    std::string expr = *a;
    if (split != std::string::npos) {
      const Result<std::string> b = column_of(term.substr(split + 1), kIntegerField);
      if (!b.ok()) return b.status();
      expr = term[split] == '*' ? *a + " * " + *b : "CASE WHEN " + *b + " <> 0 THEN " + *a + " ELSE 0 END";
    }
    sums += ", SUM(" + expr + ")" + dialect.sum_suffix;
  }
  std::string day = dialect.day;
  ReplaceAll(day, "{date}", q.date_column);
  q.sql = "SELECT " + key_columns + (keys.empty() ? sums.substr(2) : sums) + ", COUNT(*) FROM " +
          dialect.from + " WHERE " + day + " BETWEEN " + dialect.first + " AND " + dialect.last;
  // Without keys the whole range is one group (an empty range none).
  q.sql += keys.empty() ? " HAVING COUNT(*) > 0"
                        : " GROUP BY " + key_columns + " ORDER BY MIN(id)";
  return q;
}

Result<std::vector<RangedSum>> TableFile::SumInRange(std::string_view date_field, DayRange days,
                                                     std::span<const std::string> terms,
                                                     std::span<const std::string> keys) {
  const RangedSumDialect dialect{"records", std::string(kDayFunction) + "({date})", "?1", "?2", ""};
  const Result<RangedSumQuery> query =
      BuildRangedSum(path_.string(), fields_, date_field, terms, keys, dialect);
  if (!query.ok()) return query.status();
  if (!day_function_) {
    if (const int rc = RegisterDayFunction(db_.get()); rc != SQLITE_OK) {
      return Error(rc, "SumInRange");
    }
    day_function_ = true;
  }
  // As SumGrouped: kept per file version, read with it in one transaction.
  const ReadScope scope(db_.get());
  if (Status s = TakeInOtherCommits(); !s.ok()) return s;
  const int64_t version = FileVersion();
  const std::string kept_key =
      query->sql + '\n' + std::to_string(days.first) + ' ' + std::to_string(days.last);
  if (const auto kept = ranged_.find(kept_key);
      version >= 0 && kept != ranged_.end() && kept->second.version == version) {
    return kept->second.groups;
  }
  auto stmt = Cached(query->sql);
  if (!stmt.ok()) return stmt.status();
  StatementReset reset(*stmt);
  sqlite3_bind_int64(*stmt, 1, days.first);
  sqlite3_bind_int64(*stmt, 2, days.last);
  std::vector<RangedSum> groups;
  int rc = SQLITE_OK;
  const int n_keys = static_cast<int>(keys.size());
  while ((rc = sqlite3_step(*stmt)) == SQLITE_ROW) {
    RangedSum g;
    for (int i = 0; i < n_keys; ++i) g.keys.push_back(ColumnBytes(*stmt, i));
    for (size_t t = 0; t < terms.size(); ++t) {
      g.sums.push_back(sqlite3_column_int64(*stmt, n_keys + static_cast<int>(t)));
    }
    g.count = sqlite3_column_int64(*stmt, n_keys + static_cast<int>(terms.size()));
    groups.push_back(std::move(g));
  }
  if (rc != SQLITE_DONE) return Error(rc, "SumInRange");
  // Each period asked for is kept; a long session's worth is dropped at once.
  if (ranged_.size() >= kKeptRangedLimit) ranged_.clear();
  if (version >= 0) ranged_[kept_key] = KeptRanged{version, groups};
  return groups;
}

}  // namespace pcshop::tables
