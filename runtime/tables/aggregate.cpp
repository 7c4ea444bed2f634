#include "runtime/tables/aggregate.h"

#include <algorithm>

#include "runtime/tables/table_file.h"
#include "runtime/tables/table_format.h"

namespace pcshop::tables {

Result<GroupedSumQuery> BuildGroupedSum(std::string_view label, std::span<const FieldSpec> fields,
                                        std::string_view sum_field,
                                        std::span<const std::string> keys, std::string_view table,
                                        std::string_view sum_suffix) {
  auto column_of = [&](std::string_view name, int32_t type) -> Result<std::string> {
    const auto it = std::find_if(fields.begin(), fields.end(),
                                 [&](const FieldSpec& f) { return f.name == name; });
    if (it == fields.end()) {
      return Status::NotFound(std::string(label) + ": SumGrouped: no field named " +
                              Printable(name));
    }
    if (it->type_code != type) {
      return Status::TypeMismatch(std::string(label) + ": SumGrouped: field " + Printable(name) +
                                  (type == kIntegerField ? " is not an integer field"
                                                         : " is not a text field"));
    }
    return FieldColumn(static_cast<size_t>(it - fields.begin()));
  };
  GroupedSumQuery q;
  Result<std::string> summed = column_of(sum_field, kIntegerField);
  if (!summed.ok()) return summed.status();
  q.summed_column = std::move(summed).value();
  for (const std::string& key : keys) {
    const Result<std::string> column = column_of(key, kTextField);
    if (!column.ok()) return column.status();
    q.key_columns += (q.key_columns.empty() ? "" : ", ") + *column;
  }
  q.sql = "SELECT " + q.key_columns + (keys.empty() ? "" : ", ") + "SUM(" + q.summed_column + ")" +
          std::string(sum_suffix) + " FROM " + std::string(table);
  // Without keys the whole table is one group (an empty table none).
  q.sql += keys.empty() ? " HAVING COUNT(*) > 0" : " GROUP BY " + q.key_columns + " ORDER BY MIN(id)";
  return q;
}

Result<std::vector<GroupSum>> TableFile::SumGrouped(std::string_view sum_field,
                                                    std::span<const std::string> keys) {
  const Result<GroupedSumQuery> query =
      BuildGroupedSum(path_.string(), fields_, sum_field, keys, "records");
  if (!query.ok()) return query.status();
  if (!keys.empty()) EnsureSumIndex(query->key_columns + ", " + query->summed_column);
  const std::string& sql = query->sql;
  // A read makes the version take in other copies' commits; this copy's own
  // move it at once. Version and sum come from one read transaction, so the
  // kept groups are exactly those of their version, as a snapshot needs.
  const ReadScope scope(db_.get());
  if (Status s = TakeInOtherCommits(); !s.ok()) return s;
  const int64_t version = FileVersion();
  if (const auto kept = sums_.find(sql);
      version >= 0 && kept != sums_.end() && kept->second.version == version) {
    return kept->second.groups;
  }
  auto stmt = Cached(sql);
  if (!stmt.ok()) return stmt.status();
  StatementReset reset(*stmt);
  std::vector<GroupSum> groups;
  int rc = SQLITE_OK;
  while ((rc = sqlite3_step(*stmt)) == SQLITE_ROW) {
    GroupSum g;
    g.keys.reserve(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) g.keys.push_back(ColumnBytes(*stmt, static_cast<int>(i)));
    g.sum = sqlite3_column_int64(*stmt, static_cast<int>(keys.size()));
    groups.push_back(std::move(g));
  }
  // SQLite stops with an error rather than wrap a sum past 64 bits.
  if (rc != SQLITE_DONE) return Error(rc, "SumGrouped");
  if (version >= 0) sums_[sql] = KeptSums{version, groups};
  return groups;
}

// A covering index on the key columns and the summed one lets SQLite group
// by walking the index instead of sorting every record (the stock tables'
// on-hand figures: 2-3x faster over 100,000 movements). Made once, on the
// first sum; a file that cannot take it (read-only, busy) sums without it.
void TableFile::EnsureSumIndex(const std::string& columns) {
  // Never inside a snapshot: the index would turn its read into a write
  // that holds the file's lock until the report ends.
  if (read_only_ || snapshot_ || !sum_indexes_.insert(columns).second) return;
  std::string name = "records_sum";
  for (const char c : columns) {
    if (c != ' ' && c != ',') name += c;
  }
  sqlite3_stmt* raw = nullptr;
  const std::string probe = "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = '" + name + "'";
  if (sqlite3_prepare_v2(db_.get(), probe.c_str(), -1, &raw, nullptr) != SQLITE_OK) return;
  const Statement stmt(raw);
  if (sqlite3_step(stmt.get()) == SQLITE_ROW) return;
  const std::string create = "CREATE INDEX IF NOT EXISTS " + name + " ON records(" + columns + ")";
  (void)sqlite3_exec(db_.get(), create.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace pcshop::tables
