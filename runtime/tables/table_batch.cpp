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
