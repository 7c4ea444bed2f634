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
    rows.push_back(FullRow(values));
  }
  std::vector<int64_t> ids(rows.size());
  Status s = RunWrite("AppendRecords", [&]() -> Status {
    for (size_t r = 0; r < rows.size(); ++r) {
      if (Status inserted = InsertRow(rows[r], &ids[r]); !inserted.ok()) return inserted;
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  for (size_t r = 0; r < rows.size(); ++r) Appended(ids[r], std::move(rows[r]));
  return Status::Ok();
}

}  // namespace pcshop::tables

namespace pcshop::tables {

Status TableFile::WriteRecords(std::span<const RecordWrite> writes) {
  if (writes.empty()) return Status::InvalidArgument(path_.string() + ": WriteRecords: no records");
  // Record numbers become ids as this copy last listed them: a record that
  // another copy removed since is then not found, and nothing is written.
  if (data_version_ < 0) {
    if (Status s = ReloadIds(false); !s.ok()) return s;
  }
  std::vector<int64_t> ids(writes.size(), 0);
  std::vector<std::vector<FieldValue>> rows(writes.size());
  for (size_t w = 0; w < writes.size(); ++w) {
    const RecordWrite& write = writes[w];
    const std::string what = "WriteRecords, record " + std::to_string(w + 1);
    if (Status s = CheckValueKinds(write.values, what); !s.ok()) return s;
    if (write.record == 0) {
      rows[w] = AppendedRow(fields_, write.values);
    } else if (write.record < 0 || write.record > static_cast<int64_t>(ids_.size())) {
      return Status::NotFound(path_.string() + ": " + what + ": no record " +
                              std::to_string(write.record));
    } else {
      ids[w] = ids_[static_cast<size_t>(write.record - 1)];
    }
  }
  Status s = RunWrite("WriteRecords", [&]() -> Status {
    for (size_t w = 0; w < writes.size(); ++w) {
      if (writes[w].record == 0) {
        if (Status inserted = InsertRow(rows[w], &ids[w]); !inserted.ok()) return inserted;
        continue;
      }
      const std::vector<OptionalValue>& values = writes[w].values;
      std::string sql = "UPDATE records SET deleted = 0";
      for (size_t i = 0; i < values.size(); ++i) {
        if (values[i]) sql += ", " + FieldColumn(i) + " = ?" + std::to_string(i + 2);
      }
      sql += " WHERE id = ?1";
      auto stmt = Cached(sql);
      if (!stmt.ok()) return stmt.status();
      StatementReset reset(*stmt);
      sqlite3_bind_int64(*stmt, 1, ids[w]);
      for (size_t i = 0; i < values.size(); ++i) {
        if (values[i]) BindValue(*stmt, static_cast<int>(i) + 2, *values[i]);
      }
      const int rc = sqlite3_step(*stmt);
      if (rc != SQLITE_DONE) return Error(rc, "WriteRecords");
      if (sqlite3_changes(db_.get()) == 0) {
        return Status::NotFound(path_.string() + ": WriteRecords: record " +
                                std::to_string(writes[w].record) + " was removed by another copy");
      }
    }
    return Status::Ok();
  });
  // The list of ids is read again at the next move.
  data_version_ = -1;
  LeaveRecord();
  return s;
}

}  // namespace pcshop::tables
