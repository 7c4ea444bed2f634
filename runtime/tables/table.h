#pragma once
// One open table as the table store sees it, whatever holds its records: a
// table file (table_file.h) or a table on a database server (server_table.h).
// TableStore owns these and adds aliases and the notion of a current table;
// every backend keeps the rules written in table_store.h.
//
// A TableBackend makes, opens and upgrades the tables of one kind; the store
// holds one backend for every table of the process.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "runtime/tables/aggregate.h"
#include "runtime/tables/matching.h"
#include "runtime/tables/ranged_sum.h"
#include "runtime/tables/table_types.h"

namespace pcshop::tables {

class Table {
 public:
  virtual ~Table() = default;

  // How messages name the table (its file path, or its name on the server).
  virtual std::string Label() const = 0;
  virtual const std::vector<FieldSpec>& fields() const = 0;
  // Open for reading only: every write fails and says so.
  virtual bool read_only() const = 0;

  virtual Result<int32_t> RecordCount() = 0;
  // 1-based number of the record under the pointer, 0 when on no record.
  virtual Result<int32_t> CurrentRecordNumber() = 0;

  virtual Status GoFirst() = 0;
  virtual Status GoToRecord(int64_t n) = 0;
  virtual Status SkipRecords(int64_t n) = 0;

  // Values of the current record as read when the pointer moved onto it (or
  // when this copy last wrote it): one consistent version of the record.
  virtual Result<FieldValue> ReadField(std::string_view name) const = 0;
  // As ReadField, without copying; valid until the next operation.
  virtual Result<FieldView> ReadFieldView(std::string_view name) const = 0;
  virtual Result<bool> IsDeleted() const = 0;

  virtual Result<bool> FindRecord(const std::function<bool()>& condition) = 0;

  virtual Status AppendRecord(std::span<const FieldValue> values) = 0;
  // As AppendRecord, unless a record (marked or not) has the same values in
  // the fields `key` (0-based); then nothing is written and the result is
  // false. The test and the append are one transaction.
  virtual Result<bool> AppendUniqueRecord(std::span<const FieldValue> values,
                                          std::span<const size_t> key) = 0;
  // Writes the given fields and clears the record's delete mark.
  virtual Status ModifyRecord(std::span<const OptionalValue> values) = 0;
  virtual Status DeleteRecord() = 0;
  virtual Status PurgeDeleted() = 0;
  // Takes the current record out of the table in one transaction; marks on
  // other records stay. The pointer ends on no record.
  virtual Status RemoveRecord() = 0;

  // Sums integer field `sum_field` over every record, delete-marked ones too,
  // grouped by the text fields `keys`; groups in the order of their first
  // record. An empty table has no group.
  virtual Result<std::vector<GroupSum>> SumGrouped(std::string_view sum_field,
                                                   std::span<const std::string> keys) = 0;
  // As SumGrouped, over the records whose date field `date_field` lies in
  // `days`, several terms at once (ranged_sum.h), with each group's count.
  // A record whose date cannot be read lies in no range.
  virtual Result<std::vector<RangedSum>> SumInRange(std::string_view date_field, DayRange days,
                                                    std::span<const std::string> terms,
                                                    std::span<const std::string> keys) = 0;
  // The fields `chosen` of every record whose text field `match_field` holds
  // exactly `value`, in record order, delete-marked ones too (matching.h).
  virtual Result<std::vector<MatchingRow>> ReadMatching(std::string_view match_field,
                                                        std::string_view value,
                                                        std::span<const std::string> chosen) = 0;
  // Appends every record of `records` in one transaction: all of them or,
  // after any failure or a crash, none. The pointer moves onto the last one.
  virtual Status AppendRecords(std::span<const std::vector<FieldValue>> records) = 0;
  // Modifies and appends records in one transaction: all of them or, after
  // any failure (a record another copy removed meanwhile) or a crash, none.
  // The pointer ends on no record.
  virtual Status WriteRecords(std::span<const RecordWrite> writes) = 0;
  // A number that moves with every committed change to the table, this
  // copy's or another's; equal numbers mean nothing changed in between.
  virtual Result<int64_t> ChangeCount() = 0;

  // A read snapshot (table_store.h): from BeginSnapshot to EndSnapshot every
  // read sees the table as it was when the snapshot began; other copies go
  // on writing meanwhile. The store refuses writes in between.
  virtual Status BeginSnapshot() = 0;
  virtual void EndSnapshot() = 0;
};

class TableBackend {
 public:
  virtual ~TableBackend() = default;

  // A new, empty table for `file`; refused when one is already there.
  virtual Status Create(const std::filesystem::path& file, std::span<const FieldSpec> fields) = 0;
  // Opens an existing table, pointer on record 1; never creates one.
  virtual Result<std::unique_ptr<Table>> Open(const std::filesystem::path& file) = 0;
  // Brings the table to `fields` when its own are their beginning: Ok(false)
  // when it already has them, Ok(true) when fields were added; any other
  // layout is refused untouched.
  virtual Result<bool> Upgrade(const std::filesystem::path& file,
                               std::span<const FieldSpec> fields) = 0;
};

// Table files beside the program, one SQLite database each.
class FileBackend final : public TableBackend {
 public:
  Status Create(const std::filesystem::path& file, std::span<const FieldSpec> fields) override;
  Result<std::unique_ptr<Table>> Open(const std::filesystem::path& file) override;
  Result<bool> Upgrade(const std::filesystem::path& file,
                       std::span<const FieldSpec> fields) override;
};

}  // namespace pcshop::tables
