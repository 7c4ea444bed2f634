#include "runtime/tables/matching.h"

#include <algorithm>

#include "runtime/tables/table_file.h"
#include "runtime/tables/table_format.h"

namespace pcshop::tables {

Result<MatchingQuery> BuildMatching(std::string_view label, std::span<const FieldSpec> fields,
                                    std::string_view match_field,
                                    std::span<const std::string> chosen, std::string_view table,
                                    std::string_view parameter) {
  auto position = [&](std::string_view name) -> Result<size_t> {
    const auto it = std::find_if(fields.begin(), fields.end(),
                                 [&](const FieldSpec& f) { return f.name == name; });
    if (it == fields.end()) {
      return Status::NotFound(std::string(label) + ": ReadMatching: no field named " +
                              Printable(name));
    }
    return static_cast<size_t>(it - fields.begin());
  };
  MatchingQuery q;
  if (!match_field.empty()) {
    const Result<size_t> match = position(match_field);
    if (!match.ok()) return match.status();
    if (fields[*match].type_code != kTextField) {
      return Status::TypeMismatch(std::string(label) + ": ReadMatching: field " +
                                  Printable(match_field) + " is not a text field");
    }
    q.match_column = FieldColumn(*match);
  }
  std::string columns = "id";  // for messages about a damaged record
  for (const std::string& name : chosen) {
    const Result<size_t> p = position(name);
    if (!p.ok()) return p.status();
    q.chosen.push_back(*p);
    columns += ", " + FieldColumn(*p);
  }
  q.sql = "SELECT " + columns + " FROM " + std::string(table) +
          (q.match_column.empty()
               ? std::string()
               : " WHERE " + q.match_column + " = " + std::string(parameter)) +
          " ORDER BY id";
  return q;
}

Result<std::vector<MatchingRow>> TableFile::ReadMatching(std::string_view match_field,
                                                         std::string_view value,
                                                         std::span<const std::string> chosen) {
  const Result<MatchingQuery> query =
      BuildMatching(path_.string(), fields_, match_field, chosen, "records", "?");
  if (!query.ok()) return query.status();
  const bool every = query->match_column.empty();
  // One name's rows out of 100,000 without a scan.
  if (!every) EnsureSumIndex(query->match_column);
  auto stmt = Cached(query->sql);
  if (!stmt.ok()) return stmt.status();
  StatementReset reset(*stmt);
  if (const int rc = every ? SQLITE_OK : BindBytes(*stmt, 1, value); rc != SQLITE_OK) {
    return Error(rc, "ReadMatching");
  }
  std::vector<MatchingRow> rows;
  int rc = SQLITE_OK;
  while ((rc = sqlite3_step(*stmt)) == SQLITE_ROW) {
    const int64_t id = sqlite3_column_int64(*stmt, 0);
    MatchingRow row;
    row.reserve(query->chosen.size());
    for (size_t i = 0; i < query->chosen.size(); ++i) {
      auto cell = DecodeField(*stmt, static_cast<int>(i + 1), query->chosen[i], id);
      if (!cell.ok()) return cell.status();
      row.push_back(ToValue(*cell));
    }
    rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) return Error(rc, "ReadMatching");
  return rows;
}

}  // namespace pcshop::tables
