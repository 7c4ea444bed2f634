#include "runtime/tables/table_file.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "runtime/tables/file_access.h"
#include "runtime/tables/new_file.h"
#include "runtime/tables/table_format.h"

namespace pcshop::tables {
namespace {

std::string RecordLabel(int64_t id) { return "record id " + std::to_string(id); }

// Steps one read; a WAL file that cannot be read shows here, not at the open.
int ProbeRead(sqlite3* db) {
  sqlite3_stmt* raw = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_schema", -1, &raw, nullptr);
  const Statement stmt(raw);
  if (rc == SQLITE_OK) rc = sqlite3_step(stmt.get());
  return rc == SQLITE_ROW ? SQLITE_OK : rc;
}

// Commits that have not yet reached the file itself.
bool LogHasContent(const std::filesystem::path& file) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file.string() + "-wal", ec);
  return !ec && size > 0;
}

// A table this copy cannot write. The journal mode is left as it is (that
// would be a write); when the folder cannot hold the shared-memory file the
// log needs and the log holds nothing, the file is read as immutable.
Result<Connection> OpenForReading(const std::filesystem::path& file, int busy_timeout_ms) {
  auto db = OpenReadOnlyConnection(file, busy_timeout_ms, false);
  if (!db.ok()) return db.status();
  const int rc = ProbeRead(db->get());
  // Only a log that cannot be reached calls for immutable reading; any other
  // failure (a lock, a damaged file) is the layout check's to report.
  if ((rc & 0xFF) != SQLITE_CANTOPEN && (rc & 0xFF) != SQLITE_READONLY) return db;
  if (LogHasContent(file)) {
    return Status::IOError(file.string() +
                           ": cannot be read: its folder cannot be written and its write-ahead "
                           "log holds changes that need a shared-memory file there (" +
                           sqlite3_errmsg(db->get()) + ")");
  }
  return OpenReadOnlyConnection(file, busy_timeout_ms, true);
}

}  // namespace

Status TableFile::Create(const std::filesystem::path& file, std::span<const FieldSpec> fields) {
  if (Status s = CheckFieldList(fields); !s.ok()) {
    return Status::InvalidArgument(file.string() + ": " + s.message());
  }
  std::error_code ec;
  if (std::filesystem::symlink_status(file, ec).type() != std::filesystem::file_type::not_found) {
    return Status::InvalidArgument(file.string() +
                                   ": a file already exists there; it is left as it is");
  }
  const std::filesystem::path dir = file.parent_path();
  if (!dir.empty() && !std::filesystem::is_directory(dir, ec)) {
    return Status::IOError(file.string() + ": the folder does not exist");
  }
  auto temp = TemporaryFile::CreateBeside(file);
  if (!temp.ok()) return temp.status();
  {
    // Built with a rollback journal, so every byte is in the file itself when
    // it is published; the first open switches it to write-ahead logging.
    auto db = OpenConnection(temp->path(), kBusyTimeoutMs);
    if (!db.ok()) return db.status();
    if (Status s = Exec(db->get(), "PRAGMA synchronous = FULL", temp->path(), "setting up");
        !s.ok()) {
      return s;
    }
    if (Status s = WriteTableSchema(db->get(), fields, temp->path()); !s.ok()) return s;
  }
  return temp->Publish(file);
}

Result<std::unique_ptr<TableFile>> TableFile::Open(const std::filesystem::path& file) {
  std::error_code ec;
  const auto type = std::filesystem::status(file, ec).type();
  if (type == std::filesystem::file_type::not_found) {
    return Status::NotFound(file.string() + ": no table file there");
  }
  if (type != std::filesystem::file_type::regular) {
    return Status::InvalidArgument(file.string() + ": not a table file: not a regular file");
  }
  std::filesystem::path dir = file.parent_path();
  if (dir.empty()) dir = ".";
  const bool read_only = !CanWrite(file) || !CanWrite(dir);
  auto db = read_only ? OpenForReading(file, kBusyTimeoutMs) : OpenConnection(file, kBusyTimeoutMs);
  if (!db.ok()) return db.status();
  // Nothing may be written before the layout is known to be ours.
  auto fields = ReadTableSchema(db->get(), file);
  if (!fields.ok()) return fields.status();
  if (read_only) return Finish(std::move(db).value(), file, std::move(fields).value(), true);

  // Write-ahead log with a sync at every commit: a write that returned is on
  // disk, and a reader in another copy never blocks the writer.
  {
    auto mode = Prepare(db->get(), "PRAGMA journal_mode = WAL", file);
    if (!mode.ok()) return mode.status();
    // The switch upgrades a shared lock to an exclusive one. When two copies
    // open a new table at once, SQLite refuses one of them at once instead of
    // calling the busy handler (it could deadlock), so wait here instead.
    int rc = sqlite3_step(mode->get());
    for (int waited = 0; (rc & 0xFF) == SQLITE_BUSY && waited < kBusyTimeoutMs; waited += 5) {
      sqlite3_reset(mode->get());
      sqlite3_sleep(5);
      rc = sqlite3_step(mode->get());
    }
    if (rc != SQLITE_ROW) return SqliteError(db->get(), rc, file, "switching to the write-ahead log");
    const std::string got = ColumnBytes(mode->get(), 0);
    if (got != "wal") {
      return Status::IOError(file.string() + ": the write-ahead log is not available (" + got + ")");
    }
  }
  if (Status s = Exec(db->get(), "PRAGMA synchronous = FULL", file, "setting up"); !s.ok()) {
    return s;
  }
  // A file of the 32-bit layout is widened when it can be written; one that
  // cannot stays readable, and a value beyond 32 bits is then refused by the
  // write that tries it, with that write's error.
  (void)WidenIntegers(db->get(), *fields, file);
  return Finish(std::move(db).value(), file, std::move(fields).value(), false);
}

Result<std::unique_ptr<TableFile>> TableFile::Finish(Connection db,
                                                     const std::filesystem::path& file,
                                                     std::vector<FieldSpec> fields,
                                                     bool read_only) {
  std::unique_ptr<TableFile> table(new TableFile(std::move(db), file, std::move(fields), read_only));
  if (Status s = table->PrepareStatements(); !s.ok()) return s;
  // A damaged first record is reported when it is read, not by refusing the
  // whole table.
  if (Status s = table->GoFirst(); !s.ok() && s.code() != Status::Code::kCorruption) return s;
  return table;
}

TableFile::TableFile(Connection db, std::filesystem::path path, std::vector<FieldSpec> fields,
                     bool read_only)
    : db_(std::move(db)), path_(std::move(path)), fields_(std::move(fields)), read_only_(read_only) {
  for (size_t i = 0; i < fields_.size(); ++i) field_index_.emplace(fields_[i].name, i);
}

Status TableFile::PrepareStatements() {
  const std::string columns = FieldColumnList(fields_.size());
  const std::pair<Statement*, std::string> all[] = {
      {&probe_, "PRAGMA data_version"},
      {&list_ids_, "SELECT id FROM records ORDER BY id"},
      {&read_row_, "SELECT deleted, " + columns + " FROM records WHERE id = ?"},
      {&scan_, "SELECT id, deleted, " + columns + " FROM records WHERE id >= ? ORDER BY id"}};
  for (const auto& [stmt, sql] : all) {
    auto prepared = Prepare(db_.get(), sql, path_);
    if (!prepared.ok()) return prepared.status();
    *stmt = std::move(prepared).value();
  }
  return Status::Ok();
}

Result<sqlite3_stmt*> TableFile::Cached(const std::string& sql) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) {
    auto stmt = Prepare(db_.get(), sql, path_);
    if (!stmt.ok()) return stmt.status();
    it = statements_.emplace(sql, std::move(stmt).value()).first;
  }
  return it->second.get();
}

int64_t TableFile::FileVersion() const {
  unsigned int version = 0;
  if (sqlite3_file_control(db_.get(), "main", SQLITE_FCNTL_DATA_VERSION, &version) != SQLITE_OK) {
    return -2;  // never equal to a cached version: always reload
  }
  return version;
}

Status TableFile::TakeInOtherCommits() {
  StatementReset reset(probe_.get());
  const int rc = sqlite3_step(probe_.get());
  return rc == SQLITE_ROW ? Status::Ok() : Error(rc, "checking for changes");
}

Result<int64_t> TableFile::ChangeCount() {
  if (Status s = TakeInOtherCommits(); !s.ok()) return s;
  return FileVersion();
}

Status TableFile::Refresh() {
  if (Status s = TakeInOtherCommits(); !s.ok()) return s;
  if (data_version_ >= 0 && FileVersion() == data_version_) return Status::Ok();
  return ReloadIds(sqlite3_get_autocommit(db_.get()) == 0);
}

Status TableFile::ReloadIds(bool in_transaction) {
  // The ids and the version must come from one snapshot.
  if (!in_transaction) {
    if (Status s = Exec(db_.get(), "BEGIN", path_, "reading the record list"); !s.ok()) return s;
  }
  auto finish = [&](Status s) {
    if (!in_transaction) (void)Exec(db_.get(), s.ok() ? "COMMIT" : "ROLLBACK", path_, "reading");
    return s;
  };
  std::vector<int64_t> ids;
  ids.reserve(ids_.size());
  {
    StatementReset reset(list_ids_.get());
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(list_ids_.get())) == SQLITE_ROW) {
      ids.push_back(sqlite3_column_int64(list_ids_.get(), 0));
    }
    if (rc != SQLITE_DONE) return finish(Error(rc, "reading the record list"));
  }
  if (ids.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return finish(Status::Corruption(path_.string() + ": more records than can be numbered"));
  }
  const int64_t version = FileVersion();
  Status s = finish(Status::Ok());
  if (!s.ok()) return s;
  ids_ = std::move(ids);
  data_version_ = version;
  return Status::Ok();
}

Result<FieldView> TableFile::DecodeField(sqlite3_stmt* stmt, int column, size_t field,
                                         int64_t id) const {
  const int type = sqlite3_column_type(stmt, column);
  if (fields_[field].type_code == kIntegerField) {
    if (type != SQLITE_INTEGER) {
      return Status::Corruption(path_.string() + ": " + RecordLabel(id) + ", field " +
                                Printable(fields_[field].name) + ": not an integer");
    }
    return FieldView(static_cast<int64_t>(sqlite3_column_int64(stmt, column)));
  }
  if (type != SQLITE_BLOB && type != SQLITE_TEXT) {
    return Status::Corruption(path_.string() + ": " + RecordLabel(id) + ", field " +
                              Printable(fields_[field].name) + ": not a text");
  }
  return FieldView(ColumnView(stmt, column));
}

Status TableFile::DecodeRow(sqlite3_stmt* stmt, int first_column, int64_t id,
                            std::vector<FieldValue>* out, bool* deleted) const {
  *deleted = sqlite3_column_int64(stmt, first_column) != 0;
  out->resize(fields_.size());
  for (size_t i = 0; i < fields_.size(); ++i) {
    const int col = first_column + 1 + static_cast<int>(i);
    FieldValue& slot = (*out)[i];
    auto* text = std::get_if<std::string>(&slot);
    if (text != nullptr && fields_[i].type_code == kTextField &&
        sqlite3_column_type(stmt, col) == SQLITE_BLOB) {
      // Reuses the buffer the previous record left.
      const void* data = sqlite3_column_blob(stmt, col);
      text->assign(static_cast<const char*>(data),
                   static_cast<size_t>(sqlite3_column_bytes(stmt, col)));
      continue;
    }
    auto value = DecodeField(stmt, col, i, id);
    if (!value.ok()) return value.status();
    slot = ToValue(*value);
  }
  return Status::Ok();
}

Status TableFile::LoadCurrent(int64_t id, bool* found) {
  sqlite3_stmt* stmt = read_row_.get();
  StatementReset reset(stmt);
  sqlite3_bind_int64(stmt, 1, id);
  const int rc = sqlite3_step(stmt);
  if (rc == SQLITE_DONE) {
    *found = false;
    return Status::Ok();
  }
  if (rc != SQLITE_ROW) return Error(rc, "reading " + RecordLabel(id));
  bool deleted = false;
  if (Status s = DecodeRow(stmt, 0, id, &scratch_values_, &deleted); !s.ok()) return s;
  std::swap(current_values_, scratch_values_);
  current_id_ = id;
  current_deleted_ = deleted;
  *found = true;
  return Status::Ok();
}

int32_t TableFile::PositionOf(int64_t id) const {
  const auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
  if (it == ids_.end() || *it != id) return 0;
  return static_cast<int32_t>(it - ids_.begin()) + 1;
}

void TableFile::LeaveRecord() {
  current_id_ = 0;
  current_deleted_ = false;
}

Result<int32_t> TableFile::RecordCount() {
  if (Status s = Refresh(); !s.ok()) return s;
  return static_cast<int32_t>(ids_.size());
}

Result<int32_t> TableFile::CurrentRecordNumber() {
  if (current_id_ == 0) return 0;
  if (Status s = Refresh(); !s.ok()) return s;
  return PositionOf(current_id_);
}

Status TableFile::GoFirst() {
  if (Status s = Refresh(); !s.ok()) return s;
  if (ids_.empty()) {
    LeaveRecord();
    return Status::Ok();
  }
  return GoToRecord(1);
}

// The record is read by the id the mapping gives; the version SQLite saw
// during that read tells whether the mapping still held. If another copy
// changed the file, the mapping is read again and the move retried.
Status TableFile::GoToRecord(int64_t n) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (data_version_ < 0) {
      if (Status s = ReloadIds(false); !s.ok()) return s;
    }
    if (n < 1 || n > static_cast<int64_t>(ids_.size())) {
      if (Status s = Refresh(); !s.ok()) return s;  // maybe another copy appended
      if (n < 1 || n > static_cast<int64_t>(ids_.size())) {
        LeaveRecord();
        return Status::NotFound(path_.string() + ": no record " + std::to_string(n) +
                                "; the table holds " + std::to_string(ids_.size()));
      }
    }
    bool found = false;
    if (Status s = LoadCurrent(ids_[static_cast<size_t>(n - 1)], &found); !s.ok()) {
      LeaveRecord();
      return s;
    }
    if (found && FileVersion() == data_version_) return Status::Ok();
    data_version_ = -1;
  }
  LeaveRecord();
  return Status::Busy(path_.string() + ": the table keeps changing under another copy");
}

Status TableFile::SkipRecords(int64_t n) {
  if (current_id_ == 0) return NoCurrentRecord("SkipRecords");
  if (Status s = Refresh(); !s.ok()) return s;
  const int32_t pos = PositionOf(current_id_);
  if (pos == 0) {
    LeaveRecord();
    return Status::NotFound(path_.string() + ": the current record was removed by another copy");
  }
  return GoToRecord(pos + n);
}

Result<size_t> TableFile::CurrentField(std::string_view name, std::string_view op) const {
  const auto it = field_index_.find(name);
  if (it == field_index_.end()) {
    return Status::NotFound(path_.string() + ": no field named " + Printable(name));
  }
  if (current_id_ == 0) return NoCurrentRecord(op);
  return it->second;
}

Result<FieldValue> TableFile::ReadField(std::string_view name) const {
  const Result<size_t> field = CurrentField(name, "ReadField");
  if (!field.ok()) return field.status();
  if (live_row_ != nullptr) {
    Result<FieldView> view = DecodeField(live_row_, 2 + static_cast<int>(*field), *field, current_id_);
    if (!view.ok()) return view.status();
    return ToValue(*view);
  }
  return current_values_[*field];
}

Result<FieldView> TableFile::ReadFieldView(std::string_view name) const {
  const Result<size_t> field = CurrentField(name, "ReadField");
  if (!field.ok()) return field.status();
  if (live_row_ != nullptr) {
    return DecodeField(live_row_, 2 + static_cast<int>(*field), *field, current_id_);
  }
  const FieldValue& v = current_values_[*field];
  if (const auto* i = std::get_if<int64_t>(&v)) return FieldView(*i);
  return FieldView(std::string_view(std::get<std::string>(v)));
}

Result<bool> TableFile::IsDeleted() const {
  if (current_id_ == 0) return NoCurrentRecord("IsDeleted");
  return current_deleted_;
}

Result<bool> TableFile::FindRecord(const std::function<bool()>& condition) {
  // From the pointer on to the end; on no record there is nothing to scan.
  if (current_id_ == 0) return false;
  sqlite3_stmt* stmt = scan_.get();
  StatementReset reset(stmt);
  sqlite3_bind_int64(stmt, 1, current_id_);
  int rc = SQLITE_OK;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    // The pointer sits on the candidate while the condition reads it.
    current_id_ = sqlite3_column_int64(stmt, 0);
    current_deleted_ = sqlite3_column_int64(stmt, 1) != 0;
    live_row_ = stmt;
    const bool match = condition();
    live_row_ = nullptr;
    if (match) {
      bool deleted = false;
      if (Status s = DecodeRow(stmt, 1, current_id_, &current_values_, &deleted); !s.ok()) {
        LeaveRecord();
        return s;
      }
      return true;
    }
  }
  LeaveRecord();
  if (rc != SQLITE_DONE) return Error(rc, "searching");
  return false;
}

Status TableFile::CheckValueKinds(std::span<const OptionalValue> values,
                                  std::string_view op) const {
  return CheckValues(fields_, values, path_.string(), op);
}

Status TableFile::NoCurrentRecord(std::string_view op) const {
  return Status::NotFound(path_.string() + ": " + std::string(op) + ": no current record");
}

Status TableFile::BeginSnapshot() {
  if (snapshot_) return Status::Ok();
  if (Status s = Exec(db_.get(), "BEGIN", path_, "starting a read snapshot"); !s.ok()) return s;
  // BEGIN alone reads nothing: the first read fixes what the snapshot sees.
  if (Status s = TakeInOtherCommits(); !s.ok()) {
    (void)Exec(db_.get(), "ROLLBACK", path_, "ending a read snapshot");
    return s;
  }
  snapshot_ = true;
  return Status::Ok();
}

void TableFile::EndSnapshot() {
  if (!snapshot_) return;
  snapshot_ = false;
  if (sqlite3_get_autocommit(db_.get()) != 0) return;
  if (!Exec(db_.get(), "COMMIT", path_, "ending a read snapshot").ok()) {
    (void)Exec(db_.get(), "ROLLBACK", path_, "ending a read snapshot");
  }
}

// One write, one transaction: BEGIN IMMEDIATE takes the write lock first (a
// second copy waits up to the busy timeout), the mapping is brought up to
// date inside it, and COMMIT returns only once the log is synced.
Status TableFile::RunWrite(std::string_view what, const std::function<Status()>& body) {
  if (read_only_) {
    return Status::IOError(path_.string() + ": " + std::string(what) +
                           ": the table is open read-only; the file or its folder cannot be "
                           "written");
  }
  if (snapshot_) {
    return Status::InvalidArgument(path_.string() + ": " + std::string(what) +
                                   ": refused inside a read snapshot");
  }
  if (Status s = Exec(db_.get(), "BEGIN IMMEDIATE", path_, std::string(what) + ": locking");
      !s.ok()) {
    return s;
  }
  auto rollback = [&](Status s) {
    if (sqlite3_get_autocommit(db_.get()) == 0) {
      (void)Exec(db_.get(), "ROLLBACK", path_, "rolling back");
    }
    data_version_ = -1;  // whatever the body cached may not have happened
    return s;
  };
  if (Status s = Refresh(); !s.ok()) return rollback(s);
  if (Status s = body(); !s.ok()) return rollback(s);
  if (Status s = Exec(db_.get(), "COMMIT", path_, std::string(what) + ": committing"); !s.ok()) {
    return rollback(s);
  }
  // The caller brings the mapping up to date with this write at once.
  data_version_ = FileVersion();
  return Status::Ok();
}

std::vector<FieldValue> TableFile::FullRow(std::span<const FieldValue> values) const {
  return PaddedRow(fields_, values);
}

Status TableFile::InsertRow(const std::vector<FieldValue>& row, int64_t* id) {
  std::string sql = "INSERT INTO records(deleted, " + FieldColumnList(fields_.size()) + ") VALUES(0";
  for (size_t i = 0; i < fields_.size(); ++i) sql += ", ?";
  sql += ")";
  auto stmt = Cached(sql);
  if (!stmt.ok()) return stmt.status();
  StatementReset reset(*stmt);
  for (size_t i = 0; i < row.size(); ++i) BindValue(*stmt, static_cast<int>(i) + 1, row[i]);
  const int rc = sqlite3_step(*stmt);
  if (rc != SQLITE_DONE) return Error(rc, "AppendRecord");
  *id = sqlite3_last_insert_rowid(db_.get());
  return Status::Ok();
}

Result<bool> TableFile::KeyExists(const std::vector<FieldValue>& row, std::span<const size_t> key) {
  // Texts compare as their bytes, whatever storage class an older copy gave them.
  std::string sql = "SELECT 1 FROM records WHERE 1";
  for (const size_t field : key) {
    const std::string column = FieldColumn(field);
    sql += fields_[field].type_code == kTextField ? " AND CAST(" + column + " AS BLOB) = ?"
                                                  : " AND " + column + " = ?";
  }
  sql += " LIMIT 1";
  auto stmt = Cached(sql);
  if (!stmt.ok()) return stmt.status();
  StatementReset reset(*stmt);
  for (size_t i = 0; i < key.size(); ++i) BindValue(*stmt, static_cast<int>(i) + 1, row[key[i]]);
  const int rc = sqlite3_step(*stmt);
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) return Error(rc, "AppendRecord: looking for the same key");
  return false;
}

void TableFile::Appended(int64_t id, std::vector<FieldValue> row) {
  if (ids_.empty() || id > ids_.back()) {
    ids_.push_back(id);
  } else {
    data_version_ = -1;  // ids only grow; should that ever fail, read them again
  }
  current_id_ = id;
  current_deleted_ = false;
  current_values_ = std::move(row);
}

Status TableFile::AppendRecord(std::span<const FieldValue> values) {
  std::vector<OptionalValue> given(values.begin(), values.end());
  if (Status s = CheckValueKinds(given, "AppendRecord"); !s.ok()) return s;
  std::vector<FieldValue> row = FullRow(values);
  int64_t id = 0;
  Status s = RunWrite("AppendRecord", [&] { return InsertRow(row, &id); });
  if (!s.ok()) return s;
  Appended(id, std::move(row));
  return Status::Ok();
}

Result<bool> TableFile::AppendUniqueRecord(std::span<const FieldValue> values,
                                           std::span<const size_t> key) {
  std::vector<OptionalValue> given(values.begin(), values.end());
  if (Status s = CheckValueKinds(given, "AppendRecord"); !s.ok()) return s;
  if (key.empty()) {
    return Status::InvalidArgument(path_.string() + ": AppendRecord: no key field given");
  }
  for (const size_t field : key) {
    if (field >= fields_.size()) {
      return Status::InvalidArgument(path_.string() + ": AppendRecord: no key field " +
                                     std::to_string(field + 1));
    }
  }
  std::vector<FieldValue> row = FullRow(values);
  int64_t id = 0;
  bool exists = false;
  Status s = RunWrite("AppendRecord", [&]() -> Status {
    Result<bool> found = KeyExists(row, key);
    if (!found.ok()) return found.status();
    exists = *found;
    return exists ? Status::Ok() : InsertRow(row, &id);
  });
  if (!s.ok()) return s;
  if (exists) return false;
  Appended(id, std::move(row));
  return true;
}

Status TableFile::ModifyRecord(std::span<const OptionalValue> values) {
  if (Status s = CheckValueKinds(values, "ModifyRecord"); !s.ok()) return s;
  if (current_id_ == 0) return NoCurrentRecord("ModifyRecord");
  // A record written again is one the user kept: a mark that an interrupted
  // delete left on it must not take it with a later purge.
  std::string sql = "UPDATE records SET deleted = 0";
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i]) sql += ", " + FieldColumn(i) + " = ?" + std::to_string(i + 2);
  }
  sql += " WHERE id = ?1";
  const int64_t id = current_id_;
  Status s = RunWrite("ModifyRecord", [&]() -> Status {
    auto stmt = Cached(sql);
    if (!stmt.ok()) return stmt.status();
    StatementReset reset(*stmt);
    sqlite3_bind_int64(*stmt, 1, id);
    for (size_t i = 0; i < values.size(); ++i) {
      if (values[i]) BindValue(*stmt, static_cast<int>(i) + 2, *values[i]);
    }
    const int rc = sqlite3_step(*stmt);
    if (rc != SQLITE_DONE) return Error(rc, "ModifyRecord");
    if (sqlite3_changes(db_.get()) == 0) {
      return Status::NotFound(path_.string() +
                              ": ModifyRecord: the current record was removed by another copy");
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  // Fields left out may have been changed by another copy: read them back.
  bool found = false;
  if (Status r = LoadCurrent(id, &found); !r.ok() || !found) LeaveRecord();
  return Status::Ok();
}

Status TableFile::DeleteRecord() {
  if (current_id_ == 0) return NoCurrentRecord("DeleteRecord");
  const int64_t id = current_id_;
  Status s = RunWrite("DeleteRecord", [&]() -> Status {
    auto stmt = Cached("UPDATE records SET deleted = 1 WHERE id = ?");
    if (!stmt.ok()) return stmt.status();
    StatementReset reset(*stmt);
    sqlite3_bind_int64(*stmt, 1, id);
    const int rc = sqlite3_step(*stmt);
    if (rc != SQLITE_DONE) return Error(rc, "DeleteRecord");
    if (sqlite3_changes(db_.get()) == 0) {
      return Status::NotFound(path_.string() +
                              ": DeleteRecord: the current record was removed by another copy");
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  current_deleted_ = true;
  return Status::Ok();
}

Status TableFile::PurgeDeleted() {
  std::vector<int64_t> purged;
  Status s = RunWrite("PurgeDeleted", [&]() -> Status {
    auto stmt = Cached("DELETE FROM records WHERE deleted <> 0 RETURNING id");
    if (!stmt.ok()) return stmt.status();
    StatementReset reset(*stmt);
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(*stmt)) == SQLITE_ROW) purged.push_back(sqlite3_column_int64(*stmt, 0));
    if (rc != SQLITE_DONE) return Error(rc, "PurgeDeleted");
    return Status::Ok();
  });
  if (!s.ok()) return s;
  std::sort(purged.begin(), purged.end());
  std::erase_if(ids_, [&](int64_t id) { return std::binary_search(purged.begin(), purged.end(), id); });
  if (std::binary_search(purged.begin(), purged.end(), current_id_)) LeaveRecord();
  return Status::Ok();
}

Status TableFile::RemoveRecord() {
  if (current_id_ == 0) return NoCurrentRecord("RemoveRecord");
  const int64_t id = current_id_;
  Status s = RunWrite("RemoveRecord", [&]() -> Status {
    auto stmt = Cached("DELETE FROM records WHERE id = ?");
    if (!stmt.ok()) return stmt.status();
    StatementReset reset(*stmt);
    sqlite3_bind_int64(*stmt, 1, id);
    const int rc = sqlite3_step(*stmt);
    if (rc != SQLITE_DONE) return Error(rc, "RemoveRecord");
    if (sqlite3_changes(db_.get()) == 0) {
      return Status::NotFound(path_.string() +
                              ": RemoveRecord: the current record was removed by another copy");
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  // RunWrite brought the mapping up to date before the delete.
  const auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
  if (it != ids_.end() && *it == id) ids_.erase(it);
  LeaveRecord();
  return Status::Ok();
}

}  // namespace pcshop::tables
