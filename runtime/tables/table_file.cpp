#include "runtime/tables/table_file.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "runtime/tables/new_file.h"
#include "runtime/tables/table_format.h"

namespace pcshop::tables {
namespace {

constexpr char kDataVersionSql[] = "PRAGMA data_version";

std::string RecordLabel(int64_t id) { return "record id " + std::to_string(id); }

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
  auto db = OpenConnection(file, kBusyTimeoutMs);
  if (!db.ok()) return db.status();
  // Nothing may be written before the layout is known to be ours.
  auto fields = ReadTableSchema(db->get(), file);
  if (!fields.ok()) return fields.status();

  // Write-ahead log with a sync at every commit: a write that returned is on
  // disk, and a reader in another copy never blocks the writer.
  {
    auto mode = Prepare(db->get(), "PRAGMA journal_mode = WAL", file);
    if (!mode.ok()) return mode.status();
    const int rc = sqlite3_step(mode->get());
    if (rc != SQLITE_ROW) return SqliteError(db->get(), rc, file, "switching to the write-ahead log");
    const std::string got = ColumnBytes(mode->get(), 0);
    if (got != "wal") {
      return Status::IOError(file.string() + ": the write-ahead log is not available (" + got + ")");
    }
  }
  if (Status s = Exec(db->get(), "PRAGMA synchronous = FULL", file, "setting up"); !s.ok()) {
    return s;
  }
  std::unique_ptr<TableFile> table(
      new TableFile(std::move(db).value(), file, std::move(fields).value()));
  // A damaged first record is reported when it is read, not by refusing the
  // whole table.
  if (Status s = table->GoFirst(); !s.ok() && s.code() != Status::Code::kCorruption) return s;
  return table;
}

TableFile::TableFile(Connection db, std::filesystem::path path, std::vector<FieldSpec> fields)
    : db_(std::move(db)), path_(std::move(path)), fields_(std::move(fields)) {
  for (size_t i = 0; i < fields_.size(); ++i) field_index_.emplace(fields_[i].name, i);
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

// Another copy's commit changes the file's data version; only then is the
// record-number mapping read again.
Status TableFile::Refresh() {
  auto stmt = Cached(kDataVersionSql);
  if (!stmt.ok()) return stmt.status();
  {
    StatementReset reset(*stmt);  // ReloadIds steps the same statement
    const int rc = sqlite3_step(*stmt);
    if (rc != SQLITE_ROW) return Error(rc, "checking for changes");
    if (sqlite3_column_int64(*stmt, 0) == data_version_) return Status::Ok();
  }
  return ReloadIds(sqlite3_get_autocommit(db_.get()) == 0);
}

Status TableFile::ReloadIds(bool in_transaction) {
  // Version and ids must come from one snapshot.
  if (!in_transaction) {
    if (Status s = Exec(db_.get(), "BEGIN", path_, "reading the record list"); !s.ok()) return s;
  }
  auto finish = [&](Status s) {
    if (!in_transaction) (void)Exec(db_.get(), s.ok() ? "COMMIT" : "ROLLBACK", path_, "reading");
    return s;
  };
  auto version = Cached(kDataVersionSql);
  if (!version.ok()) return finish(version.status());
  int64_t new_version = 0;
  {
    StatementReset reset(*version);
    const int rc = sqlite3_step(*version);
    if (rc != SQLITE_ROW) return finish(Error(rc, "checking for changes"));
    new_version = sqlite3_column_int64(*version, 0);
  }
  auto list = Cached("SELECT id FROM records ORDER BY id");
  if (!list.ok()) return finish(list.status());
  std::vector<int64_t> ids;
  ids.reserve(ids_.size());
  StatementReset reset(*list);
  int rc = SQLITE_OK;
  while ((rc = sqlite3_step(*list)) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(*list, 0));
  if (rc != SQLITE_DONE) return finish(Error(rc, "reading the record list"));
  if (ids.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return finish(Status::Corruption(path_.string() + ": more records than can be numbered"));
  }
  ids_ = std::move(ids);
  data_version_ = new_version;
  return finish(Status::Ok());
}

Status TableFile::DecodeRow(sqlite3_stmt* stmt, int first_column, int64_t id,
                            LoadedRow* row) const {
  row->found = true;
  row->deleted = sqlite3_column_int64(stmt, first_column) != 0;
  row->values.clear();
  row->values.reserve(fields_.size());
  for (size_t i = 0; i < fields_.size(); ++i) {
    const int col = first_column + 1 + static_cast<int>(i);
    const int type = sqlite3_column_type(stmt, col);
    if (fields_[i].type_code == kIntegerField) {
      const int64_t v = sqlite3_column_int64(stmt, col);
      if (type != SQLITE_INTEGER || v < std::numeric_limits<int32_t>::min() ||
          v > std::numeric_limits<int32_t>::max()) {
        return Status::Corruption(path_.string() + ": " + RecordLabel(id) + ", field " +
                                  Printable(fields_[i].name) + ": not a 32-bit integer");
      }
      row->values.emplace_back(static_cast<int32_t>(v));
    } else {
      if (type != SQLITE_BLOB && type != SQLITE_TEXT) {
        return Status::Corruption(path_.string() + ": " + RecordLabel(id) + ", field " +
                                  Printable(fields_[i].name) + ": not a text");
      }
      row->values.emplace_back(ColumnBytes(stmt, col));
    }
  }
  return Status::Ok();
}

Status TableFile::LoadRow(int64_t id, LoadedRow* row) {
  auto stmt = Cached("SELECT deleted, " + FieldColumnList(fields_.size()) +
                     " FROM records WHERE id = ?");
  if (!stmt.ok()) return stmt.status();
  StatementReset reset(*stmt);
  sqlite3_bind_int64(*stmt, 1, id);
  const int rc = sqlite3_step(*stmt);
  if (rc == SQLITE_DONE) {
    row->found = false;
    return Status::Ok();
  }
  if (rc != SQLITE_ROW) return Error(rc, "reading " + RecordLabel(id));
  return DecodeRow(*stmt, 0, id, row);
}

int32_t TableFile::PositionOf(int64_t id) const {
  const auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
  if (it == ids_.end() || *it != id) return 0;
  return static_cast<int32_t>(it - ids_.begin()) + 1;
}

void TableFile::LeaveRecord() {
  current_id_ = 0;
  current_deleted_ = false;
  current_values_.clear();
}

void TableFile::Enter(int64_t id, LoadedRow row) {
  current_id_ = id;
  current_deleted_ = row.deleted;
  current_values_ = std::move(row.values);
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

Status TableFile::GoToRecord(int64_t n) {
  // A row missing from a fresh mapping means another copy changed the file
  // between the two reads; a few retries settle it.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (Status s = Refresh(); !s.ok()) return s;
    if (n < 1 || n > static_cast<int64_t>(ids_.size())) {
      LeaveRecord();
      return Status::NotFound(path_.string() + ": no record " + std::to_string(n) +
                              "; the table holds " + std::to_string(ids_.size()));
    }
    const int64_t id = ids_[static_cast<size_t>(n - 1)];
    LoadedRow row;
    if (Status s = LoadRow(id, &row); !s.ok()) {
      LeaveRecord();
      return s;
    }
    if (row.found) {
      Enter(id, std::move(row));
      return Status::Ok();
    }
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

Result<FieldValue> TableFile::ReadField(std::string_view name) const {
  const auto it = field_index_.find(name);
  if (it == field_index_.end()) {
    return Status::NotFound(path_.string() + ": no field named " + Printable(name));
  }
  if (current_id_ == 0) return NoCurrentRecord("ReadField");
  return current_values_[it->second];
}

Result<bool> TableFile::IsDeleted() const {
  if (current_id_ == 0) return NoCurrentRecord("IsDeleted");
  return current_deleted_;
}

Result<bool> TableFile::FindRecord(const std::function<bool()>& condition) {
  // From the pointer on to the end; on no record there is nothing to scan.
  if (current_id_ == 0) return false;
  auto stmt = Cached("SELECT id, deleted, " + FieldColumnList(fields_.size()) +
                     " FROM records WHERE id >= ? ORDER BY id");
  if (!stmt.ok()) return stmt.status();
  bool found = false;
  {
    StatementReset reset(*stmt);
    sqlite3_bind_int64(*stmt, 1, current_id_);
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(*stmt)) == SQLITE_ROW) {
      const int64_t id = sqlite3_column_int64(*stmt, 0);
      LoadedRow row;
      if (Status s = DecodeRow(*stmt, 1, id, &row); !s.ok()) {
        LeaveRecord();
        return s;
      }
      // The condition reads this record through the store.
      Enter(id, std::move(row));
      if (condition()) {
        found = true;
        break;
      }
    }
    if (!found && rc != SQLITE_DONE) {
      LeaveRecord();
      return Error(rc, "searching");
    }
  }
  if (!found) LeaveRecord();
  return found;
}

Status TableFile::CheckValueKinds(std::span<const OptionalValue> values,
                                  std::string_view op) const {
  if (values.size() > fields_.size()) {
    return Status::InvalidArgument(path_.string() + ": " + std::string(op) + ": " +
                                   std::to_string(values.size()) + " values for " +
                                   std::to_string(fields_.size()) + " fields");
  }
  for (size_t i = 0; i < values.size(); ++i) {
    if (!values[i]) continue;
    const bool want_text = fields_[i].type_code == kTextField;
    if (IsText(*values[i]) != want_text) {
      return Status::TypeMismatch(path_.string() + ": " + std::string(op) + ": field " +
                                  Printable(fields_[i].name) + " takes " +
                                  (want_text ? "a text" : "an integer") + ", value " +
                                  std::to_string(i + 1) + " is " +
                                  (want_text ? "an integer" : "a text"));
    }
  }
  return Status::Ok();
}

Status TableFile::NoCurrentRecord(std::string_view op) const {
  return Status::NotFound(path_.string() + ": " + std::string(op) + ": no current record");
}

// One write, one transaction: BEGIN IMMEDIATE takes the write lock first (a
// second copy waits up to the busy timeout), the mapping is brought up to
// date inside it, and COMMIT returns only once the log is synced.
Status TableFile::RunWrite(std::string_view what, const std::function<Status()>& body) {
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
  return Status::Ok();
}

Status TableFile::AppendRecord(std::span<const FieldValue> values) {
  std::vector<OptionalValue> given(values.begin(), values.end());
  if (Status s = CheckValueKinds(given, "AppendRecord"); !s.ok()) return s;
  LoadedRow row;
  row.found = true;
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (i < values.size()) {
      row.values.push_back(values[i]);
    } else if (fields_[i].type_code == kTextField) {
      row.values.emplace_back(std::string());
    } else {
      row.values.emplace_back(int32_t{0});
    }
  }
  int64_t id = 0;
  Status s = RunWrite("AppendRecord", [&]() -> Status {
    std::string sql = "INSERT INTO records(deleted, " + FieldColumnList(fields_.size()) +
                      ") VALUES(0";
    for (size_t i = 0; i < fields_.size(); ++i) sql += ", ?";
    sql += ")";
    auto stmt = Cached(sql);
    if (!stmt.ok()) return stmt.status();
    StatementReset reset(*stmt);
    for (size_t i = 0; i < row.values.size(); ++i) {
      const int index = static_cast<int>(i) + 1;
      if (const auto* text = std::get_if<std::string>(&row.values[i])) {
        BindBytes(*stmt, index, *text);
      } else {
        sqlite3_bind_int(*stmt, index, std::get<int32_t>(row.values[i]));
      }
    }
    const int rc = sqlite3_step(*stmt);
    if (rc != SQLITE_DONE) return Error(rc, "AppendRecord");
    id = sqlite3_last_insert_rowid(db_.get());
    return Status::Ok();
  });
  if (!s.ok()) return s;
  if (ids_.empty() || id > ids_.back()) {
    ids_.push_back(id);
  } else {
    data_version_ = -1;  // cannot happen with growing ids; stay correct anyway
  }
  Enter(id, std::move(row));
  return Status::Ok();
}

Status TableFile::ModifyRecord(std::span<const OptionalValue> values) {
  if (Status s = CheckValueKinds(values, "ModifyRecord"); !s.ok()) return s;
  if (current_id_ == 0) return NoCurrentRecord("ModifyRecord");
  std::string sql = "UPDATE records SET ";
  bool any = false;
  for (size_t i = 0; i < values.size(); ++i) {
    if (!values[i]) continue;
    if (any) sql += ", ";
    sql += FieldColumn(i) + " = ?" + std::to_string(i + 2);
    any = true;
  }
  if (!any) sql += "deleted = deleted";  // still proves the record exists
  sql += " WHERE id = ?1";
  const int64_t id = current_id_;
  LoadedRow row;
  Status s = RunWrite("ModifyRecord", [&]() -> Status {
    auto stmt = Cached(sql);
    if (!stmt.ok()) return stmt.status();
    {
      StatementReset reset(*stmt);
      sqlite3_bind_int64(*stmt, 1, id);
      for (size_t i = 0; i < values.size(); ++i) {
        if (!values[i]) continue;
        const int index = static_cast<int>(i) + 2;
        if (const auto* text = std::get_if<std::string>(&*values[i])) {
          BindBytes(*stmt, index, *text);
        } else {
          sqlite3_bind_int(*stmt, index, std::get<int32_t>(*values[i]));
        }
      }
      const int rc = sqlite3_step(*stmt);
      if (rc != SQLITE_DONE) return Error(rc, "ModifyRecord");
    }
    if (sqlite3_changes(db_.get()) == 0) {
      return Status::NotFound(path_.string() +
                              ": ModifyRecord: the current record was removed by another copy");
    }
    // Fields left out may have been changed by another copy: read them back.
    return LoadRow(id, &row);
  });
  if (!s.ok()) return s;
  Enter(id, std::move(row));
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

}  // namespace pcshop::tables
