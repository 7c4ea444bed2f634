#pragma once
// The runtime's table store: table files opened under aliases, one current
// table, and in each open table one record pointer. The runtime owns one
// TableStore per process; nothing here is global.
//
// Choices the application leaves to the store:
// - Paths are GBK texts in Windows form, made native by files::ToNativePath.
// - OpenTable under an alias that is already open for the same file keeps the
//   open table (records, pointer and all) and makes it current; the same
//   alias for a different file is refused and the open table stays. A file
//   may be open under several aliases; each has its own pointer.
// - SelectTable takes an alias (exact bytes; an alias wins over a path) or a
//   path, compared after it is made native and normalised ("..", ".", links;
//   case-sensitive like the native file system). A name that matches no open
//   table is an error and leaves NO table current, so that the record
//   operations that follow fail instead of acting on the wrong table.
// - CurrentTableName is the alias, however the table was selected; empty when
//   no table is current.
// - Every open table keeps its own pointer; selecting a table brings back
//   where its pointer stood. Opening puts it on record 1.
// - GoToRecord out of 1..RecordCount and SkipRecords beyond either end are
//   NotFound errors and leave the pointer on no record; reads, writes and
//   skips from no record are errors, FindRecord from no record finds nothing.
// - FindRecord scans from the pointer (inclusive) to the end, with the pointer
//   on each candidate while the condition runs; it stops on the first match.
//   When nothing matches the pointer ends on no record (past the end).
//   Inside the condition only reads are allowed (ReadField, IsDeleted,
//   RecordCount, CurrentRecordNumber, CurrentTableName, Fields).
// - AppendRecord: fewer values than fields leaves the rest "" / 0, more is an
//   error; a value of the wrong kind for its field (text for an integer field
//   or the reverse) is a TypeMismatch error and nothing is written. The
//   pointer moves onto the new record.
// - AppendUniqueRecord: as AppendRecord, but refused (false, nothing
//   written, the pointer where it was) when a record, marked or not, holds
//   the same values in the named key fields (exact bytes). The test and the
//   append are one transaction, so two copies adding the same key at once
//   cannot both succeed.
// - ModifyRecord: a left-out value (or one past the given list) keeps its
//   field; kinds are checked as for AppendRecord. It also clears the record's
//   delete mark: a record written after it was marked is one the user kept.
// - DeleteRecord marks; a marked record stays visible to RecordCount, reads,
//   GoToRecord and FindRecord and keeps its number until PurgeDeleted, which
//   removes every marked record; later records move up. After a purge the
//   pointer stays on its record if it survived, else it is on no record.
// - RemoveRecord takes the current record out at once, in one transaction:
//   no mark is left behind if it is cut short, and marks on other records
//   stay as they are. Later records move up; the pointer is on no record.
//   This is how a delete the user confirmed is done; the two-step
//   DeleteRecord + PurgeDeleted is kept for callers that mark several.
// - A table whose file or folder cannot be written (a read-only mount, an
//   immutable file, no permission) opens read-only: reads work, every write
//   fails with an IOError saying so, as a full disk fails it.
// - Texts are stored whole as exact bytes whatever the field width.
// - Each write is one SQLite transaction in write-ahead-log mode with
//   synchronous=FULL: durable when the call returns, all or nothing after a
//   crash. Another running copy waits up to five seconds for the lock.
//   Changes made by another copy are seen from the next operation on; a
//   record's values are read when the pointer moves onto it.
// - BeginSnapshot ... EndSnapshot: a read snapshot over every open table,
//   so that the figures of one report agree with each other while other
//   copies write. Every read in between (records, counts, sums, matching
//   reads) sees the tables as they were when it began. Begins nest; the
//   outermost end ends it. Inside it every write, CreateTable, UpgradeTable,
//   ReopenAround and UseBackend are refused (nothing is done); a table
//   opened inside it joins it. The runtime ends a snapshot that an event
//   handler left open when the handler returns, so that no read
//   transaction outlives it and holds back other copies' log checkpoints.

#include <array>
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
#include "runtime/tables/table.h"
#include "runtime/tables/table_types.h"

namespace pcshop::tables {

// OpenTable's optional arguments after path and alias. The application
// always leaves all five out; one given is refused rather than ignored.
inline constexpr size_t kOpenTableOptionalArguments = 5;
using OpenTableOptions = std::array<OptionalValue, kOpenTableOptionalArguments>;

class TableStore {
 public:
  // Tables in files (FileBackend) unless another backend is given.
  TableStore();
  explicit TableStore(std::unique_ptr<TableBackend> backend);
  TableStore(const TableStore&) = delete;
  TableStore& operator=(const TableStore&) = delete;
  ~TableStore();

  // Puts every table that is opened from now on into `backend`; refused
  // while a table is open, so that no table is half in one and half in
  // another.
  Status UseBackend(std::unique_ptr<TableBackend> backend);

  // A new empty table; never over an existing file (left as it was). Does
  // not open it.
  Status CreateTable(std::string_view path, std::span<const FieldSpec> fields);
  // Opens an existing table and makes it current; never creates a file.
  Status OpenTable(std::string_view path, std::string_view alias,
                   const OpenTableOptions& options = {});
  Status SelectTable(std::string_view alias_or_path);
  std::string CurrentTableName() const;

  Result<std::vector<FieldSpec>> Fields() const;
  Result<int32_t> RecordCount();
  Result<int32_t> CurrentRecordNumber();  // 0 when on no record
  Status GoFirst();
  Status GoToRecord(int64_t n);
  Status SkipRecords(int64_t n = 1);
  Result<FieldValue> ReadField(std::string_view name);
  // As ReadField without copying the text: the view is valid until the next
  // call on the store.
  Result<FieldView> ReadFieldView(std::string_view name);
  Result<bool> IsDeleted();
  Result<bool> FindRecord(const std::function<bool()>& condition);
  Status AppendRecord(std::span<const FieldValue> values);
  // True when appended, false when a record with the same key exists.
  Result<bool> AppendUniqueRecord(std::span<const FieldValue> values,
                                  std::span<const std::string> key_fields);
  Status ModifyRecord(std::span<const OptionalValue> values);
  Status DeleteRecord();
  Status PurgeDeleted();
  Status RemoveRecord();

  // The sum of an integer field of the current table grouped by text fields,
  // in one query (aggregate.h).
  Result<std::vector<GroupSum>> SumGrouped(std::string_view sum_field,
                                           std::span<const std::string> keys);
  // Sums of the current table over a range of days, grouped, with counts,
  // in one query (ranged_sum.h).
  Result<std::vector<RangedSum>> SumInRange(std::string_view date_field, DayRange days,
                                            std::span<const std::string> terms,
                                            std::span<const std::string> keys);
  // Chosen fields of the current table's records whose text field
  // `match_field` equals `value`, in one query (matching.h).
  Result<std::vector<MatchingRow>> ReadMatching(std::string_view match_field,
                                                std::string_view value,
                                                std::span<const std::string> chosen);
  // Appends several records to the current table in one transaction.
  Status AppendRecords(std::span<const std::vector<FieldValue>> records);
  // Modifies and appends records of the current table in one transaction.
  Status WriteRecords(std::span<const RecordWrite> writes);
  // The current table's change counter (Table::ChangeCount).
  Result<int64_t> ChangeCount();
  // Brings the table file at `path` to `fields` when its own are their
  // beginning (table_upgrade.h); refuses any other layout untouched. A table
  // of that file open here is opened again on its new layout, pointer on 1.
  Status UpgradeTable(std::string_view path, std::span<const FieldSpec> fields);
  // Closes every open table, runs `change` (which may replace their files
  // or server tables) and opens them again under their aliases, pointers on
  // record 1, the current table as before. A table that cannot be opened
  // again is left closed; the first such failure is the result after
  // `change`'s own.
  Status ReopenAround(const std::function<Status()>& change);
  // Whether UpgradeTable would add fields to the table at `path`: false for
  // a table that has them and for one it would refuse.
  Result<bool> NeedsUpgrade(std::string_view path, std::span<const FieldSpec> fields);

  Status BeginSnapshot();
  void EndSnapshot();
  // How many begun snapshots are not yet ended (0: reads see every commit).
  int snapshot_depth() const { return snapshot_depth_; }

 private:
  struct OpenEntry;

  Result<Table*> Current(std::string_view op) const;
  // Record moves and writes are refused while a FindRecord condition runs.
  Status CheckNotInCondition(std::string_view op) const;
  Result<Table*> CurrentForChange(std::string_view op) const;
  // Writes and layout changes are refused inside a read snapshot.
  Status CheckNotInSnapshot(std::string_view op) const;
  Result<Table*> CurrentForWrite(std::string_view op) const;

  std::unique_ptr<TableBackend> backend_;  // before the tables it opened
  std::vector<std::unique_ptr<OpenEntry>> tables_;
  OpenEntry* current_ = nullptr;
  bool in_condition_ = false;
  int snapshot_depth_ = 0;
};

}  // namespace pcshop::tables
