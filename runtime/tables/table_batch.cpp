// Several records appended in one transaction.

#include "runtime/tables/table_file.h"
#include "runtime/tables/table_format.h"

namespace pcshop::tables {

Status TableFile::AppendRecords(std::span<const std::vector<FieldValue>> records) {
  if (records.empty()) return Status::InvalidArgument(path_.string() + ": AppendRecords: no records");
  // Every record is checked before anything is written.
  std::vector<std::vector<FieldValue>> rows;
  rows.reserve(records.size());
  for (size_t r = 0; r < records.size(); ++r) {
    const std::vector<FieldValue>& values = records[r];
    std::vector<OptionalValue> given(values.begin(), values.end());
    if (Status s = CheckValueKinds(given, "AppendRecords, record " + std::to_string(r + 1));
        !s.ok()) {
      return s;
    }
    std::vector<FieldValue> row(values.begin(), values.end());
    for (size_t i = row.size(); i < fields_.size(); ++i) {
      if (fields_[i].type_code == kTextField) {
        row.emplace_back(std::string());
      } else {
        row.emplace_back(int32_t{0});
      }
    }
    rows.push_back(std::move(row));
  }
  std::vector<int64_t> ids;
  Status s = RunWrite("AppendRecords", [&]() -> Status {
    std::string sql = "INSERT INTO records(deleted, " + FieldColumnList(fields_.size()) +
                      ") VALUES(0";
    for (size_t i = 0; i < fields_.size(); ++i) sql += ", ?";
    sql += ")";
    auto stmt = Cached(sql);
    if (!stmt.ok()) return stmt.status();
    for (const std::vector<FieldValue>& row : rows) {
      StatementReset reset(*stmt);
      for (size_t i = 0; i < row.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        if (const auto* text = std::get_if<std::string>(&row[i])) {
          BindBytes(*stmt, index, *text);
        } else {
          sqlite3_bind_int(*stmt, index, std::get<int32_t>(row[i]));
        }
      }
      const int rc = sqlite3_step(*stmt);
      if (rc != SQLITE_DONE) return Error(rc, "AppendRecords");
      ids.push_back(sqlite3_last_insert_rowid(db_.get()));
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  if (ids_.empty() || ids.front() > ids_.back()) {
    ids_.insert(ids_.end(), ids.begin(), ids.end());
  } else {
    data_version_ = -1;  // ids only grow; should that ever fail, read them again
  }
  current_id_ = ids.back();
  current_deleted_ = false;
  current_values_ = std::move(rows.back());
  return Status::Ok();
}

}  // namespace pcshop::tables
