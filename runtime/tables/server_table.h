#pragma once
// One table on the database server, with the pointer and read-ahead of this
// process. The id list of the table and pages of its rows are kept here so
// that a walk costs one round trip per page, not one per field; they are
// checked against the table's change counter at the start of every walk
// (RecordCount, GoFirst, GoToRecord(1), FindRecord), inside every write, and
// dropped when another counter announces a change, so that what another
// counter wrote is seen from the next walk on.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/tables/server_connection.h"
#include "runtime/tables/table.h"

namespace pcshop::tables {

class ServerTable final : public Table {
 public:
  // Rows read ahead per round trip.
  static constexpr int kPageRows = 500;

  ServerTable(std::shared_ptr<ServerConnection> conn, int32_t id, std::string label,
              std::vector<FieldSpec> fields);
  ServerTable(const ServerTable&) = delete;
  ServerTable& operator=(const ServerTable&) = delete;
  ~ServerTable() override { EndSnapshot(); }

  // Puts the pointer on record 1 (no record when the table is empty).
  Status Start();

  std::string Label() const override { return label_; }
  const std::vector<FieldSpec>& fields() const override { return fields_; }
  bool read_only() const override { return false; }

  Result<int32_t> RecordCount() override;
  Result<int32_t> CurrentRecordNumber() override;
  Status GoFirst() override;
  Status GoToRecord(int64_t n) override;
  Status SkipRecords(int64_t n) override;
  Result<FieldValue> ReadField(std::string_view name) const override;
  Result<FieldView> ReadFieldView(std::string_view name) const override;
  Result<bool> IsDeleted() const override;
  Result<bool> FindRecord(const std::function<bool()>& condition) override;

  Status AppendRecord(std::span<const FieldValue> values) override;
  Result<bool> AppendUniqueRecord(std::span<const FieldValue> values,
                                  std::span<const size_t> key) override;
  Status ModifyRecord(std::span<const OptionalValue> values) override;
  Status DeleteRecord() override;
  Status PurgeDeleted() override;
  Status RemoveRecord() override;
  Result<std::vector<GroupSum>> SumGrouped(std::string_view sum_field,
                                           std::span<const std::string> keys) override;
  Result<std::vector<RangedSum>> SumInRange(std::string_view date_field, DayRange days,
                                            std::span<const std::string> terms,
                                            std::span<const std::string> keys) override;
  Result<std::vector<MatchingRow>> ReadMatching(std::string_view match_field, std::string_view value,
                                                std::span<const std::string> chosen) override;
  Status AppendRecords(std::span<const std::vector<FieldValue>> records) override;
  Status WriteRecords(std::span<const RecordWrite> writes) override;
  Result<int64_t> ChangeCount() override;
  // On the connection all tables share (server_connection.h).
  Status BeginSnapshot() override;
  void EndSnapshot() override;

 private:
  struct TransparentHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  struct Row {
    int64_t id = 0;
    bool deleted = false;
    std::vector<FieldValue> values;
  };

  std::string Context(std::string_view op) const { return label_ + ": " + std::string(op); }
  // Takes in other counters' notices; one for this table drops what is kept.
  void TakeNotices();
  void Forget();
  // The start of a walk: one query for the version, the id list read again
  // when it moved.
  Status CheckVersion();
  // The table's change counter as the server holds it now.
  Result<int64_t> ReadVersion();
  Status ReloadIds(ServerConnection::Retry retry);
  Status EnsureIds();
  // Puts record `pos` (0-based) into the page, reading a page when needed.
  Result<const Row*> RowAt(size_t pos);
  Status DecodeRow(const PGresult* r, int row, int first_column, Row* out) const;
  std::string SelectColumns() const;  // "id, deleted, c1, ..., cN"
  int32_t PositionOf(int64_t id) const;
  void LeaveRecord();
  void Enter(const Row& row);
  Status NoCurrentRecord(std::string_view op) const;
  Result<size_t> CurrentField(std::string_view name, std::string_view op) const;

  // One write transaction: counter raised first, the id list brought up to
  // date inside it when another counter wrote, `body`, commit.
  Status RunWrite(std::string_view op, const std::function<Status()>& body);
  std::string InsertSql(size_t rows) const;
  // Whether the dates of `column` have their day index (stored_day.h), made
  // here when missing: at once, or after the snapshot when one is open.
  bool DayIndexed(const std::string& column);
  void AddRowParams(const std::vector<FieldValue>& row, std::vector<PgParam>* params) const;
  void Appended(int64_t id, std::vector<FieldValue> row);

  std::shared_ptr<ServerConnection> conn_;
  int32_t id_;
  std::string label_;
  std::string records_;  // pcshop_t<N>
  std::vector<FieldSpec> fields_;
  std::unordered_map<std::string, size_t, TransparentHash, std::equal_to<>> field_index_;

  bool snapshot_ = false;  // this table's part in the connection's snapshot
  // The version as the snapshot of that number sees it: it cannot move
  // there, so it is read once instead of before every sum.
  uint64_t snapshot_read_ = 0;  // 0: not read in a snapshot
  int64_t snapshot_version_ = -1;
  uint64_t seen_changes_ = 0;
  uint64_t seen_generation_ = 0;
  int64_t version_ = -1;  // the version ids_ reflects; -1: read again before use
  // Grouped sums by their query, with the table's version read before each
  // was summed: kept while the version stays, so a 刷新 over unchanged
  // tables costs one round trip per sum instead of a scan. A commit between
  // the two reads can make groups newer than their version says, unless
  // both ran in one snapshot (exact); a snapshot takes only exact ones.
  struct KeptSums {
    int64_t version = -1;
    std::vector<GroupSum> groups;
    bool exact = false;
  };
  std::unordered_map<std::string, KeptSums> sums_;
  // The last groups of each ranged query and range, kept the same way.
  struct KeptRanged {
    int64_t version = -1;
    std::vector<RangedSum> groups;
    bool exact = false;
  };
  static constexpr size_t kKeptRangedLimit = 64;
  std::unordered_map<std::string, bool> day_indexed_;  // by column, once known
  bool day_index_queued_ = false;                      // one to make after the snapshot
  std::unordered_map<std::string, KeptRanged> ranged_;
  std::vector<int64_t> ids_;
  size_t page_first_ = 0;  // position of page_[0]
  std::vector<Row> page_;

  // The pointer holds the record's id, not its number, so that a purge or an
  // append by another counter never moves it onto a different record.
  int64_t current_id_ = 0;  // 0: on no record
  bool current_deleted_ = false;
  std::vector<FieldValue> current_values_;
};

}  // namespace pcshop::tables
