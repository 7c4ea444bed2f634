#include "runtime/tables/server_table.h"

#include <algorithm>

#include "runtime/tables/server_schema.h"
#include "runtime/tables/stored_day.h"
#include "runtime/tables/table_format.h"

namespace pcshop::tables {

using Retry = ServerConnection::Retry;

ServerTable::ServerTable(std::shared_ptr<ServerConnection> conn, int32_t id, std::string label,
                         std::vector<FieldSpec> fields)
    : conn_(std::move(conn)),
      id_(id),
      label_(std::move(label)),
      records_(RecordsTable(id)),
      fields_(std::move(fields)) {
  for (size_t i = 0; i < fields_.size(); ++i) field_index_.emplace(fields_[i].name, i);
  seen_changes_ = conn_->ChangesOf(id_);
  seen_generation_ = conn_->generation();
}

Status ServerTable::Start() {
  if (Status s = ReloadIds(Retry::kOnce); !s.ok()) return s;
  if (ids_.empty()) return Status::Ok();
  return GoToRecord(1);
}

std::string ServerTable::SelectColumns() const {
  return "id, deleted, " + FieldColumnList(fields_.size());
}

void ServerTable::Forget() {
  version_ = -1;
  page_.clear();
}

void ServerTable::TakeNotices() {
  conn_->Poll();
  const uint64_t changes = conn_->ChangesOf(id_);
  if (changes != seen_changes_ || conn_->generation() != seen_generation_) {
    seen_changes_ = changes;
    seen_generation_ = conn_->generation();
    Forget();
  }
}

Status ServerTable::ReloadIds(Retry retry) {
  // Version and ids in one statement: one snapshot of both.
  const std::string sql = "SELECT v.version, t.id FROM (SELECT version FROM pcshop_tables WHERE id = " +
                          std::to_string(id_) + ") v LEFT JOIN " + records_ +
                          " t ON true ORDER BY t.id";
  auto r = conn_->Run(sql, {}, Context("reading the record list"), retry);
  if (!r.ok()) {
    Forget();
    return r.status();
  }
  const PGresult* res = r->get();
  if (PQntuples(res) == 0) {
    Forget();
    return Status::NotFound(label_ + ": the table is no longer on the server");
  }
  ids_.clear();
  ids_.reserve(static_cast<size_t>(PQntuples(res)));
  for (int row = 0; row < PQntuples(res); ++row) {
    if (!PQgetisnull(res, row, 1)) ids_.push_back(CellInt8(res, row, 1));
  }
  version_ = CellInt8(res, 0, 0);
  page_.clear();
  return Status::Ok();
}

Status ServerTable::EnsureIds() {
  TakeNotices();
  return version_ < 0 ? ReloadIds(Retry::kOnce) : Status::Ok();
}

Result<int64_t> ServerTable::ReadVersion() {
  const bool snapshot = snapshot_ && conn_->in_snapshot();
  if (snapshot && snapshot_read_ == conn_->snapshot_number()) return snapshot_version_;
  const PgParam p[] = {Int8Param(id_)};
  auto r = conn_->Run("SELECT version FROM pcshop_tables WHERE id = $1::int8", p,
                      Context("reading the change counter"), Retry::kOnce);
  if (!r.ok()) return r.status();
  if (PQntuples(r->get()) == 0) {
    Forget();
    return Status::NotFound(label_ + ": the table is no longer on the server");
  }
  const int64_t version = CellInt8(r->get(), 0, 0);
  if (snapshot) {
    snapshot_read_ = conn_->snapshot_number();
    snapshot_version_ = version;
  }
  return version;
}

Status ServerTable::CheckVersion() {
  TakeNotices();
  if (version_ < 0) return ReloadIds(Retry::kOnce);
  const Result<int64_t> version = ReadVersion();
  if (!version.ok()) return version.status();
  if (*version != version_) return ReloadIds(Retry::kOnce);
  // A reconnection may have happened inside the query: nothing was missed
  // that the version would not show.
  seen_generation_ = conn_->generation();
  return Status::Ok();
}

Result<int64_t> ServerTable::ChangeCount() {
  // The table's version on the server, which every write bumps.
  if (Status s = CheckVersion(); !s.ok()) return s;
  return version_;
}

Status ServerTable::DecodeRow(const PGresult* r, int row, int first_column, Row* out) const {
  out->values.resize(fields_.size());
  for (size_t i = 0; i < fields_.size(); ++i) {
    const int column = first_column + static_cast<int>(i);
    if (PQgetisnull(r, row, column)) {
      return Status::Corruption(label_ + ": record id " + std::to_string(out->id) + ": field " +
                                Printable(fields_[i].name) + " holds no value");
    }
    if (fields_[i].type_code == kIntegerField) {
      out->values[i] = CellInt8(r, row, column);
    } else {
      out->values[i] = std::string(CellBytes(r, row, column));
    }
  }
  return Status::Ok();
}

Result<const ServerTable::Row*> ServerTable::RowAt(size_t pos) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (version_ < 0) {
      if (Status s = ReloadIds(Retry::kOnce); !s.ok()) return s;
    }
    if (pos >= ids_.size()) return static_cast<const Row*>(nullptr);
    if (pos >= page_first_ && pos - page_first_ < page_.size() &&
        page_[pos - page_first_].id == ids_[pos]) {
      return &page_[pos - page_first_];
    }
    // Walking back reads the page that ends on the record, forward the one
    // that starts on it.
    size_t first = pos;
    if (!page_.empty() && pos < page_first_) {
      first = pos + 1 >= static_cast<size_t>(kPageRows) ? pos + 1 - kPageRows : 0;
    }
    const PgParam p[] = {Int8Param(ids_[first])};
    const std::string sql = "SELECT " + SelectColumns() + " FROM " + records_ +
                            " WHERE id >= $1 ORDER BY id LIMIT " + std::to_string(kPageRows);
    auto r = conn_->Run(sql, p, Context("reading records"), Retry::kOnce);
    if (!r.ok()) return r.status();
    const PGresult* res = r->get();
    const int n = PQntuples(res);
    // Rows newer than the list are welcome as long as they line up with it:
    // another counter's appends only add rows past its end, and its changes
    // to a record are what the next read should show. A row gone from the
    // middle breaks the line, and the list is read again.
    int matched = 0;
    while (matched < n && first + static_cast<size_t>(matched) < ids_.size() &&
           CellInt8(res, matched, 0) == ids_[first + static_cast<size_t>(matched)]) {
      ++matched;
    }
    if (static_cast<size_t>(matched) <= pos - first) {
      Forget();
      continue;
    }
    page_.clear();
    page_.resize(static_cast<size_t>(matched));
    for (int row = 0; row < matched; ++row) {
      Row& out = page_[static_cast<size_t>(row)];
      out.id = CellInt8(res, row, 0);
      out.deleted = CellBool(res, row, 1);
      if (Status s = DecodeRow(res, row, 2, &out); !s.ok()) {
        page_.clear();
        return s;
      }
    }
    page_first_ = first;
    if (pos - first < page_.size()) return &page_[pos - first];
  }
  return Status::Busy(label_ + ": the table keeps changing under another counter");
}

int32_t ServerTable::PositionOf(int64_t id) const {
  const auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
  if (it == ids_.end() || *it != id) return 0;
  return static_cast<int32_t>(it - ids_.begin()) + 1;
}

void ServerTable::LeaveRecord() {
  current_id_ = 0;
  current_deleted_ = false;
}

void ServerTable::Enter(const Row& row) {
  current_id_ = row.id;
  current_deleted_ = row.deleted;
  current_values_ = row.values;
}

Status ServerTable::NoCurrentRecord(std::string_view op) const {
  return Status::NotFound(label_ + ": " + std::string(op) + ": no current record");
}

Result<int32_t> ServerTable::RecordCount() {
  if (Status s = CheckVersion(); !s.ok()) return s;
  return static_cast<int32_t>(ids_.size());
}

Result<int32_t> ServerTable::CurrentRecordNumber() {
  if (current_id_ == 0) return 0;
  if (Status s = EnsureIds(); !s.ok()) return s;
  return PositionOf(current_id_);
}

Status ServerTable::GoFirst() {
  if (Status s = CheckVersion(); !s.ok()) return s;
  if (ids_.empty()) {
    LeaveRecord();
    return Status::Ok();
  }
  return GoToRecord(1);
}

Status ServerTable::GoToRecord(int64_t n) {
  const Status checked = n == 1 ? CheckVersion() : EnsureIds();
  if (!checked.ok()) {
    LeaveRecord();
    return checked;
  }
  if (n < 1 || n > static_cast<int64_t>(ids_.size())) {
    if (Status s = CheckVersion(); !s.ok()) {  // maybe another counter appended
      LeaveRecord();
      return s;
    }
    if (n < 1 || n > static_cast<int64_t>(ids_.size())) {
      LeaveRecord();
      return Status::NotFound(label_ + ": no record " + std::to_string(n) + "; the table holds " +
                              std::to_string(ids_.size()));
    }
  }
  auto row = RowAt(static_cast<size_t>(n - 1));
  if (!row.ok() || *row == nullptr) {
    LeaveRecord();
    if (!row.ok()) return row.status();
    return Status::NotFound(label_ + ": no record " + std::to_string(n) + "; the table holds " +
                            std::to_string(ids_.size()));
  }
  Enter(**row);
  return Status::Ok();
}

Status ServerTable::SkipRecords(int64_t n) {
  if (current_id_ == 0) return NoCurrentRecord("SkipRecords");
  if (Status s = EnsureIds(); !s.ok()) return s;
  const int32_t pos = PositionOf(current_id_);
  if (pos == 0) {
    LeaveRecord();
    return Status::NotFound(label_ + ": the current record was removed by another copy");
  }
  return GoToRecord(pos + n);
}

Result<size_t> ServerTable::CurrentField(std::string_view name, std::string_view op) const {
  const auto it = field_index_.find(name);
  if (it == field_index_.end()) {
    return Status::NotFound(label_ + ": no field named " + Printable(name));
  }
  if (current_id_ == 0) return NoCurrentRecord(op);
  return it->second;
}

Result<FieldValue> ServerTable::ReadField(std::string_view name) const {
  const Result<size_t> field = CurrentField(name, "ReadField");
  if (!field.ok()) return field.status();
  return current_values_[*field];
}

Result<FieldView> ServerTable::ReadFieldView(std::string_view name) const {
  const Result<size_t> field = CurrentField(name, "ReadField");
  if (!field.ok()) return field.status();
  const FieldValue& v = current_values_[*field];
  if (const auto* i = std::get_if<int64_t>(&v)) return FieldView(*i);
  return FieldView(std::string_view(std::get<std::string>(v)));
}

Result<bool> ServerTable::IsDeleted() const {
  if (current_id_ == 0) return NoCurrentRecord("IsDeleted");
  return current_deleted_;
}

Result<bool> ServerTable::FindRecord(const std::function<bool()>& condition) {
  if (current_id_ == 0) return false;
  if (Status s = CheckVersion(); !s.ok()) return s;
  // Candidates by id, so that a condition that counts the records (and so
  // may read the list again) never makes the scan skip or repeat one.
  int64_t from = current_id_;
  for (;;) {
    const auto it = std::lower_bound(ids_.begin(), ids_.end(), from);
    auto row = RowAt(static_cast<size_t>(it - ids_.begin()));
    if (!row.ok()) {
      LeaveRecord();
      return row.status();
    }
    if (*row == nullptr) break;
    Enter(**row);
    const int64_t id = current_id_;
    if (condition()) return true;
    from = id + 1;
  }
  LeaveRecord();
  return false;
}

Result<std::vector<GroupSum>> ServerTable::SumGrouped(std::string_view sum_field,
                                                      std::span<const std::string> keys) {
  // The sum is numeric on the server; a total past 64 bits fails the cast.
  const Result<GroupedSumQuery> query =
      BuildGroupedSum(label_, fields_, sum_field, keys, records_, "::bigint");
  if (!query.ok()) return query.status();
  TakeNotices();
  const std::string& sql = query->sql;
  // The version is read before the sum: a commit in between can only make
  // the kept groups newer than their version says, never older.
  const Result<int64_t> version = ReadVersion();
  if (!version.ok()) return version.status();
  const bool snapshot = conn_->in_snapshot();
  if (const auto kept = sums_.find(sql); kept != sums_.end() && kept->second.version == *version &&
                                         (kept->second.exact || !snapshot)) {
    return kept->second.groups;
  }
  auto r = conn_->Run(sql, {}, Context("SumGrouped"), Retry::kOnce);
  if (!r.ok()) return r.status();
  const PGresult* res = r->get();
  std::vector<GroupSum> groups;
  groups.reserve(static_cast<size_t>(PQntuples(res)));
  for (int row = 0; row < PQntuples(res); ++row) {
    GroupSum g;
    for (size_t i = 0; i < keys.size(); ++i) {
      g.keys.emplace_back(CellBytes(res, row, static_cast<int>(i)));
    }
    g.sum = CellInt8(res, row, static_cast<int>(keys.size()));
    groups.push_back(std::move(g));
  }
  sums_[sql] = KeptSums{*version, groups, snapshot};
  return groups;
}

Result<std::vector<RangedSum>> ServerTable::SumInRange(std::string_view date_field, DayRange days,
                                                       std::span<const std::string> terms,
                                                       std::span<const std::string> keys) {
  const auto field = std::find_if(fields_.begin(), fields_.end(),
                                  [&](const FieldSpec& f) { return f.name == date_field; });
  const std::string column =
      field == fields_.end() ? "NULL" : FieldColumn(static_cast<size_t>(field - fields_.begin()));
  RangedSumDialect dialect{records_, std::string(kDayFunction) + "({date})", "$1", "$2",
                           "::bigint"};
  if (field == fields_.end() || field->type_code != kTextField || !DayIndexed(column)) {
    // Without the index the function, not inlined, costs more than the same
    // day worked out in the query itself.
    const ServerDay day = ServerDayExpression(records_, column);
    dialect.from = day.from;
    dialect.day = day.day;
  }
  const Result<RangedSumQuery> query =
      BuildRangedSum(label_, fields_, date_field, terms, keys, dialect);
  if (!query.ok()) return query.status();
  TakeNotices();
  const std::string kept_key =
      query->sql + '\n' + std::to_string(days.first) + ' ' + std::to_string(days.last);
  const Result<int64_t> version = ReadVersion();
  if (!version.ok()) return version.status();
  const bool snapshot = conn_->in_snapshot();
  if (const auto kept = ranged_.find(kept_key); kept != ranged_.end() &&
                                                kept->second.version == *version &&
                                                (kept->second.exact || !snapshot)) {
    return kept->second.groups;
  }
  const PgParam params[] = {Int8Param(days.first), Int8Param(days.last)};
  auto r = conn_->Run(query->sql, params, Context("SumInRange"), Retry::kOnce);
  if (!r.ok()) return r.status();
  const PGresult* res = r->get();
  const int n_keys = static_cast<int>(keys.size());
  std::vector<RangedSum> groups;
  groups.reserve(static_cast<size_t>(PQntuples(res)));
  for (int row = 0; row < PQntuples(res); ++row) {
    RangedSum g;
    for (int i = 0; i < n_keys; ++i) g.keys.emplace_back(CellBytes(res, row, i));
    for (size_t t = 0; t < terms.size(); ++t) {
      g.sums.push_back(CellInt8(res, row, n_keys + static_cast<int>(t)));
    }
    g.count = CellInt8(res, row, n_keys + static_cast<int>(terms.size()));
    groups.push_back(std::move(g));
  }
  if (ranged_.size() >= kKeptRangedLimit) ranged_.clear();
  ranged_[kept_key] = KeptRanged{*version, groups, snapshot};
  return groups;
}

Result<std::vector<MatchingRow>> ServerTable::ReadMatching(std::string_view match_field,
                                                           std::string_view value,
                                                           std::span<const std::string> chosen) {
  const Result<MatchingQuery> query =
      BuildMatching(label_, fields_, match_field, chosen, records_, "$1");
  if (!query.ok()) return query.status();
  TakeNotices();
  const PgParam params[] = {BytesParam(value)};
  const std::span<const PgParam> bound =
      query->match_column.empty() ? std::span<const PgParam>() : std::span<const PgParam>(params);
  auto r = conn_->Run(query->sql, bound, Context("ReadMatching"), Retry::kOnce);
  if (!r.ok()) return r.status();
  const PGresult* res = r->get();
  std::vector<MatchingRow> rows;
  rows.reserve(static_cast<size_t>(PQntuples(res)));
  for (int row = 0; row < PQntuples(res); ++row) {
    MatchingRow out;
    out.reserve(query->chosen.size());
    for (size_t i = 0; i < query->chosen.size(); ++i) {
      const int column = static_cast<int>(i + 1);
      if (PQgetisnull(res, row, column)) {
        return Status::Corruption(label_ + ": record id " + std::to_string(CellInt8(res, row, 0)) +
                                  ": field " + Printable(fields_[query->chosen[i]].name) +
                                  " holds no value");
      }
      if (fields_[query->chosen[i]].type_code == kIntegerField) {
        out.emplace_back(CellInt8(res, row, column));
      } else {
        out.emplace_back(std::string(CellBytes(res, row, column)));
      }
    }
    rows.push_back(std::move(out));
  }
  return rows;
}

bool ServerTable::DayIndexed(const std::string& column) {
  if (const auto known = day_indexed_.find(column); known != day_indexed_.end()) {
    return known->second;
  }
  const std::string index = ServerDayIndexName(records_, column);
  auto r = conn_->RunText("SELECT to_regprocedure('pcshop_day(bytea)') IS NOT NULL, to_regclass('" +
                              index + "') IS NOT NULL",
                          Context("looking for the day index"), Retry::kOnce);
  if (!r.ok() || PQntuples(r->get()) != 1) return false;
  if (std::string_view(PQgetvalue(r->get(), 0, 0)) != "t") return day_indexed_[column] = false;
  if (std::string_view(PQgetvalue(r->get(), 0, 1)) == "t") return day_indexed_[column] = true;
  const std::string create = "CREATE INDEX IF NOT EXISTS " + index + " ON " + records_ + " (" +
                             std::string(kDayFunction) + "(" + column + "))";
  if (conn_->in_snapshot()) {
    conn_->AfterSnapshot(create);
    day_index_queued_ = true;  // looked for again once the snapshot ends
    return day_indexed_[column] = false;
  }
  // A role without the right sums without it.
  const bool made = conn_->RunText(create, Context("making the day index"), Retry::kNo).ok();
  return day_indexed_[column] = made;
}

Status ServerTable::BeginSnapshot() {
  if (snapshot_) return Status::Ok();
  if (Status s = conn_->BeginSnapshot(Context("starting a read snapshot")); !s.ok()) return s;
  snapshot_ = true;
  return Status::Ok();
}

void ServerTable::EndSnapshot() {
  if (!snapshot_) return;
  snapshot_ = false;
  conn_->EndSnapshot();
  if (day_index_queued_) {
    day_index_queued_ = false;
    std::erase_if(day_indexed_, [](const auto& known) { return !known.second; });
  }
}

}  // namespace pcshop::tables
