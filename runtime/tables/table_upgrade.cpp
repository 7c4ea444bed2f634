#include "runtime/tables/table_upgrade.h"

#include <string>
#include <system_error>
#include <vector>

#include "runtime/tables/sqlite_handle.h"
#include "runtime/tables/table_file.h"
#include "runtime/tables/table_format.h"

namespace pcshop::tables {
Status CheckFieldPrefix(std::string_view label, const std::vector<FieldSpec>& have,
                        std::span<const FieldSpec> want) {
  const std::string where(label);
  if (have.size() > want.size()) {
    return Status::InvalidArgument(where + ": the table has " + std::to_string(have.size()) +
                                   " fields, this layout " + std::to_string(want.size()) +
                                   "; it is left as it is");
  }
  for (size_t i = 0; i < have.size(); ++i) {
    if (have[i].name != want[i].name || have[i].type_code != want[i].type_code) {
      return Status::InvalidArgument(where + ": field " + std::to_string(i + 1) + " is " +
                                     Printable(have[i].name) + ", this layout has " +
                                     Printable(want[i].name) + " there; it is left as it is");
    }
  }
  return Status::Ok();
}

Result<bool> UpgradeTableFile(const std::filesystem::path& file, std::span<const FieldSpec> fields) {
  if (Status s = CheckFieldList(fields); !s.ok()) {
    return Status::InvalidArgument(file.string() + ": " + s.message());
  }
  std::error_code ec;
  const auto type = std::filesystem::status(file, ec).type();
  if (type == std::filesystem::file_type::not_found) {
    return Status::NotFound(file.string() + ": no table file there");
  }
  if (type != std::filesystem::file_type::regular) {
    return Status::InvalidArgument(file.string() + ": not a table file: not a regular file");
  }
  auto db = OpenConnection(file, TableFile::kBusyTimeoutMs);
  if (!db.ok()) return db.status();
  // Only reads until the layout is known to be a beginning of this one.
  auto have = ReadTableSchema(db->get(), file);
  if (!have.ok()) return have.status();
  if (Status s = CheckFieldPrefix(file.string(), *have, fields); !s.ok()) return s;
  if (have->size() == fields.size()) return false;

  sqlite3* c = db->get();
  if (Status s = Exec(c, "PRAGMA synchronous = FULL", file, "setting up"); !s.ok()) return s;
  if (Status s = Exec(c, "BEGIN IMMEDIATE", file, "upgrading: locking"); !s.ok()) return s;
  auto fail = [&](Status s) -> Result<bool> {
    if (sqlite3_get_autocommit(c) == 0) (void)Exec(c, "ROLLBACK", file, "rolling back");
    return s;
  };
  // Another copy may have upgraded it while this one waited for the lock.
  have = ReadTableSchema(c, file);
  if (!have.ok()) return fail(have.status());
  if (Status s = CheckFieldPrefix(file.string(), *have, fields); !s.ok()) return fail(s);
  if (have->size() == fields.size()) {
    if (Status s = Exec(c, "COMMIT", file, "upgrading"); !s.ok()) return fail(s);
    return false;
  }
  auto insert = Prepare(c, "INSERT INTO fields(pos, name, type, width) VALUES(?, ?, ?, ?)", file);
  if (!insert.ok()) return fail(insert.status());
  for (size_t i = have->size(); i < fields.size(); ++i) {
    const std::string alter = "ALTER TABLE records ADD COLUMN " + FieldColumnDefinition(i, fields[i]);
    if (Status s = Exec(c, alter.c_str(), file, "upgrading: adding a field"); !s.ok()) {
      return fail(s);
    }
    sqlite3_stmt* st = insert->get();
    StatementReset reset(st);
    sqlite3_bind_int64(st, 1, static_cast<int64_t>(i + 1));
    BindBytes(st, 2, fields[i].name);
    sqlite3_bind_int(st, 3, fields[i].type_code);
    sqlite3_bind_int(st, 4, fields[i].width);
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE) return fail(SqliteError(c, rc, file, "upgrading: the field list"));
  }
  if (Status s = Exec(c, "COMMIT", file, "upgrading: committing"); !s.ok()) return fail(s);
  return true;
}

}  // namespace pcshop::tables
