#pragma once
// One open table file: its SQLite connection, field list, cached statements,
// the record-number mapping and the record pointer.

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/status.h"
#include "runtime/tables/aggregate.h"
#include "runtime/tables/sqlite_handle.h"
#include "runtime/tables/table.h"
#include "runtime/tables/table_types.h"

namespace pcshop::tables {

class TableFile final : public Table {
 public:
  // How long a write waits for another running copy to release the file.
  static constexpr int kBusyTimeoutMs = 5000;

  // Creates a new, empty table at `file`; refuses when anything exists there.
  static Status Create(const std::filesystem::path& file, std::span<const FieldSpec> fields);

  // Opens an existing table; a file that is not one is refused untouched. The
  // pointer starts on record 1 (on no record when the table is empty). A
  // file or folder that cannot be written is opened read-only.
  static Result<std::unique_ptr<TableFile>> Open(const std::filesystem::path& file);

  TableFile(const TableFile&) = delete;
  TableFile& operator=(const TableFile&) = delete;
  ~TableFile() override = default;

  const std::filesystem::path& path() const { return path_; }
  std::string Label() const override { return path_.string(); }
  const std::vector<FieldSpec>& fields() const override { return fields_; }
  // Open for reading only: every write fails and says so.
  bool read_only() const override { return read_only_; }

  Result<int32_t> RecordCount() override;
  // 1-based number of the record under the pointer, 0 when on no record.
  Result<int32_t> CurrentRecordNumber() override;

  Status GoFirst() override;
  Status GoToRecord(int64_t n) override;
  Status SkipRecords(int64_t n) override;

  // Values of the current record as read when the pointer moved onto it (or
  // when this copy last wrote it): one consistent version of the record.
  Result<FieldValue> ReadField(std::string_view name) const override;
  // As ReadField, without copying; valid until the next operation.
  Result<FieldView> ReadFieldView(std::string_view name) const override;
  Result<bool> IsDeleted() const override;

  Result<bool> FindRecord(const std::function<bool()>& condition) override;

  Status AppendRecord(std::span<const FieldValue> values) override;
  // As AppendRecord, unless a record (marked or not) has the same values in
  // the fields `key` (0-based); then nothing is written and the result is
  // false. The test and the append are one transaction.
  Result<bool> AppendUniqueRecord(std::span<const FieldValue> values,
                                  std::span<const size_t> key) override;
  // Writes the given fields and clears the record's delete mark.
  Status ModifyRecord(std::span<const OptionalValue> values) override;
  Status DeleteRecord() override;
  Status PurgeDeleted() override;
  // Takes the current record out of the table in one transaction; marks on
  // other records stay. The pointer ends on no record.
  Status RemoveRecord() override;

  // Sums integer field `sum_field` over every record, delete-marked ones too
  // (every read sees them until a purge), grouped by the text fields `keys`;
  // groups in the order of their first record (aggregate.cpp).
  Result<std::vector<GroupSum>> SumGrouped(std::string_view sum_field,
                                           std::span<const std::string> keys) override;
  Result<std::vector<RangedSum>> SumInRange(std::string_view date_field, DayRange days,
                                            std::span<const std::string> terms,
                                            std::span<const std::string> keys) override;
  Result<std::vector<MatchingRow>> ReadMatching(std::string_view match_field, std::string_view value,
                                                std::span<const std::string> chosen) override;
  // Appends every record of `records` (each as AppendRecord takes its values)
  // in one transaction: all of them or, after any failure or a crash, none.
  // The pointer moves onto the last one (table_batch.cpp).
  Status AppendRecords(std::span<const std::vector<FieldValue>> records) override;
  Status WriteRecords(std::span<const RecordWrite> writes) override;
  Result<int64_t> ChangeCount() override;
  // One read transaction, begun with a read so that SQLite fixes what it
  // sees; writers go on in the log meanwhile.
  Status BeginSnapshot() override;
  void EndSnapshot() override;

 private:
  struct TransparentHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };

  TableFile(Connection db, std::filesystem::path path, std::vector<FieldSpec> fields,
            bool read_only);
  // The rest of Open, once the layout is known.
  static Result<std::unique_ptr<TableFile>> Finish(Connection db, const std::filesystem::path& file,
                                                   std::vector<FieldSpec> fields, bool read_only);
  Status PrepareStatements();

  Result<sqlite3_stmt*> Cached(const std::string& sql);
  // SQLite's count of changes to the file as this connection last saw it: it
  // moves with this copy's commits and, at the next read, with any other's.
  int64_t FileVersion() const;
  // A read, after which FileVersion() counts other copies' commits too.
  Status TakeInOtherCommits();
  Status Refresh();
  Status ReloadIds(bool in_transaction);
  // The index of field `name` when the pointer is on a record.
  Result<size_t> CurrentField(std::string_view name, std::string_view op) const;
  Result<FieldView> DecodeField(sqlite3_stmt* stmt, int column, size_t field, int64_t id) const;
  // Decodes the fields that follow the deleted mark at `first_column`.
  Status DecodeRow(sqlite3_stmt* stmt, int first_column, int64_t id, std::vector<FieldValue>* out,
                   bool* deleted) const;
  // Reads record `id` into the pointer; *found is false when it is gone.
  Status LoadCurrent(int64_t id, bool* found);
  int32_t PositionOf(int64_t id) const;
  void LeaveRecord();
  Status CheckValueKinds(std::span<const OptionalValue> values, std::string_view op) const;
  // `values` padded with the empty value of each field left out.
  std::vector<FieldValue> FullRow(std::span<const FieldValue> values) const;
  // The INSERT of one row, inside a write; *id is the new record's.
  Status InsertRow(const std::vector<FieldValue>& row, int64_t* id);
  // Whether some record holds row's values in the fields `key`, inside a write.
  Result<bool> KeyExists(const std::vector<FieldValue>& row, std::span<const size_t> key);
  // Brings mapping and pointer onto a row this copy just appended.
  void Appended(int64_t id, std::vector<FieldValue> row);
  Status NoCurrentRecord(std::string_view op) const;
  void EnsureSumIndex(const std::string& columns);
  Status RunWrite(std::string_view what, const std::function<Status()>& body);
  Status Error(int rc, std::string_view what) const { return SqliteError(db_.get(), rc, path_, what); }

  Connection db_;
  std::filesystem::path path_;
  std::vector<FieldSpec> fields_;
  bool read_only_ = false;
  // Column lists a sum index was made (or tried) for (aggregate.cpp).
  std::set<std::string> sum_indexes_;
  bool day_function_ = false;  // pcshop_day registered on db_
  bool snapshot_ = false;      // a read snapshot holds db_'s transaction
  // The last groups of each sum query, with the file's version they were
  // read at (both in one read transaction, so never newer than it): stock
  // on hand is asked for on every list of the catalogue and changes only
  // with a movement, this copy's or another's.
  struct KeptSums {
    int64_t version = -1;
    std::vector<GroupSum> groups;
  };
  std::unordered_map<std::string, KeptSums> sums_;
  // The last groups of each ranged query and range, kept the same way.
  struct KeptRanged {
    int64_t version = -1;
    std::vector<RangedSum> groups;
  };
  static constexpr size_t kKeptRangedLimit = 64;
  std::unordered_map<std::string, KeptRanged> ranged_;
  std::unordered_map<std::string, size_t, TransparentHash, std::equal_to<>> field_index_;
  // Statements of the hot paths, prepared once; the rest are cached by text.
  Statement probe_;     // any read, to notice other copies' commits
  Statement list_ids_;  // every id in record order
  Statement read_row_;  // one record by id
  Statement scan_;      // records from an id on, for FindRecord
  std::unordered_map<std::string, Statement> statements_;

  // Record n is ids_[n - 1]; valid while data_version_ equals FileVersion().
  std::vector<int64_t> ids_;
  int64_t data_version_ = -1;  // -1: reload before use

  // The pointer holds the record's id, not its number, so that a purge or an
  // append by another copy never moves it onto a different record.
  int64_t current_id_ = 0;  // 0: on no record
  bool current_deleted_ = false;
  std::vector<FieldValue> current_values_;
  std::vector<FieldValue> scratch_values_;  // keeps its buffers between reads
  // While a FindRecord condition runs, the candidate is read straight from
  // the scan's row, field by field, instead of being copied whole.
  sqlite3_stmt* live_row_ = nullptr;
};

}  // namespace pcshop::tables
