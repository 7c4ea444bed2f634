#include "tools/servercopy/file_tables.h"

#include <algorithm>
#include <system_error>

#include "runtime/tables/table_format.h"

namespace pcshop::servercopy {
namespace {

namespace fs = std::filesystem;
using tables::FieldSpec;

constexpr int kBusyTimeoutMs = 5000;

Status Damaged(const fs::path& file, const std::string& why) {
  return Status::Corruption(file.string() + ": the table file is damaged: " + why);
}

std::string SelectSql(size_t field_count) {
  return "SELECT id, deleted, " + tables::FieldColumnList(field_count) +
         " FROM records ORDER BY id";
}

}  // namespace

Result<std::vector<fs::path>> ListTableFiles(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    return Status::NotFound(folder.string() + ": no such folder");
  }
  std::vector<fs::path> files;
  fs::directory_iterator it(folder, ec);
  if (ec) return Status::IOError(folder.string() + ": cannot be listed: " + ec.message());
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.front() == '.' || entry.path().extension() != ".zdb") continue;
    if (!entry.is_regular_file(ec)) continue;
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

Result<std::vector<FieldSpec>> CheckTableFile(const fs::path& file) {
  auto db = tables::OpenReadOnlyConnection(file, kBusyTimeoutMs, false);
  if (!db.ok()) return db.status();
  auto fields = tables::ReadTableSchema(db->get(), file);
  if (!fields.ok()) return fields.status();

  auto check = tables::Prepare(db->get(), "PRAGMA quick_check", file);
  if (!check.ok()) return check.status();
  int rc = sqlite3_step(check->get());
  if (rc != SQLITE_ROW) return tables::SqliteError(db->get(), rc, file, "checking the pages");
  const std::string verdict = tables::ColumnBytes(check->get(), 0);
  if (verdict != "ok") return Damaged(file, verdict);

  // Delete marks are 0 or 1; anything else would not come back the same.
  auto marks = tables::Prepare(
      db->get(), "SELECT count(*) FROM records WHERE deleted NOT IN (0, 1)", file);
  if (!marks.ok()) return marks.status();
  rc = sqlite3_step(marks->get());
  if (rc != SQLITE_ROW) return tables::SqliteError(db->get(), rc, file, "reading the marks");
  if (const int64_t odd = sqlite3_column_int64(marks->get(), 0); odd > 0) {
    return Damaged(file, std::to_string(odd) + " records have a delete mark other than 0 or 1");
  }
  return fields;
}

FileRecordReader::FileRecordReader(tables::Connection db, tables::Statement select, fs::path file,
                                   size_t field_count)
    : db_(std::move(db)),
      select_(std::move(select)),
      file_(std::move(file)),
      field_count_(field_count) {}

Result<std::unique_ptr<FileRecordReader>> FileRecordReader::Open(const fs::path& file,
                                                                 size_t field_count) {
  auto db = tables::OpenReadOnlyConnection(file, kBusyTimeoutMs, false);
  if (!db.ok()) return db.status();
  auto select = tables::Prepare(db->get(), SelectSql(field_count), file);
  if (!select.ok()) return select.status();
  return std::unique_ptr<FileRecordReader>(new FileRecordReader(
      std::move(db).value(), std::move(select).value(), file, field_count));
}

Result<bool> FileRecordReader::Next(CopyRecord& out) {
  sqlite3_stmt* st = select_.get();
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_DONE) return false;
  if (rc != SQLITE_ROW) return tables::SqliteError(db_.get(), rc, file_, "reading the records");
  out.id = sqlite3_column_int64(st, 0);
  const int64_t mark = sqlite3_column_int64(st, 1);
  if (mark != 0 && mark != 1) {
    return Damaged(file_, "record id " + std::to_string(out.id) + " has the delete mark " +
                              std::to_string(mark));
  }
  out.deleted = mark == 1;
  out.values.resize(field_count_);
  for (size_t i = 0; i < field_count_; ++i) {
    const int col = static_cast<int>(i) + 2;
    switch (sqlite3_column_type(st, col)) {
      case SQLITE_INTEGER: out.values[i] = sqlite3_column_int64(st, col); break;
      case SQLITE_BLOB: out.values[i] = tables::ColumnBytes(st, col); break;
      default:
        return Damaged(file_, "record id " + std::to_string(out.id) + " field " +
                                  std::to_string(i + 1) + " is neither text nor integer");
    }
  }
  return true;
}

Result<int64_t> WriteTableFile(const fs::path& file, const std::vector<FieldSpec>& fields,
                               RecordSource& rows) {
  auto db = tables::OpenConnection(file, kBusyTimeoutMs);
  if (!db.ok()) return db.status();
  sqlite3* c = db->get();
  // As the table store builds a new table: a rollback journal, synced, so
  // every byte is in the file itself when it gets its name.
  if (Status s = tables::Exec(c, "PRAGMA synchronous = FULL", file, "setting up"); !s.ok()) {
    return s;
  }
  if (Status s = tables::WriteTableSchema(c, fields, file); !s.ok()) return s;

  std::string sql = "INSERT INTO records(id, deleted, " + tables::FieldColumnList(fields.size()) +
                    ") VALUES(?, ?";
  for (size_t i = 0; i < fields.size(); ++i) sql += ", ?";
  sql += ")";
  auto insert = tables::Prepare(c, sql, file);
  if (!insert.ok()) return insert.status();
  if (Status s = tables::Exec(c, "BEGIN", file, "writing the records"); !s.ok()) return s;

  CopyRecord rec;
  int64_t count = 0;
  Status failed;
  for (;;) {
    auto more = rows.Next(rec);
    if (!more.ok()) {
      failed = more.status();
      break;
    }
    if (!*more) break;
    sqlite3_stmt* st = insert->get();
    sqlite3_bind_int64(st, 1, rec.id);
    sqlite3_bind_int(st, 2, rec.deleted ? 1 : 0);
    for (size_t i = 0; i < rec.values.size(); ++i) {
      const int index = static_cast<int>(i) + 3;
      if (const auto* text = std::get_if<std::string>(&rec.values[i])) {
        tables::BindBytes(st, index, *text);
      } else {
        sqlite3_bind_int64(st, index, std::get<int64_t>(rec.values[i]));
      }
    }
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
      failed = tables::SqliteError(c, rc, file, "writing record id " + std::to_string(rec.id));
      break;
    }
    ++count;
  }
  if (!failed.ok()) {
    (void)tables::Exec(c, "ROLLBACK", file, "undoing the records");
    return failed;
  }
  if (Status s = tables::Exec(c, "COMMIT", file, "committing the records"); !s.ok()) return s;
  return count;
}

}  // namespace pcshop::servercopy
