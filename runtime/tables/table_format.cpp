#include "runtime/tables/table_format.h"

#include <set>

#include "runtime/tables/sqlite_handle.h"

namespace pcshop::tables {
namespace {

Status NotATable(const std::filesystem::path& file, const std::string& why) {
  return Status::InvalidArgument(file.string() + ": not a table file: " + why);
}

// Runs a statement that yields one integer (a pragma); a file that is not a
// database fails here, on its first read.
Result<int64_t> ReadInteger(sqlite3* db, const char* sql, const std::filesystem::path& file) {
  auto stmt = Prepare(db, sql, file);
  if (!stmt.ok()) return stmt.status();
  const int rc = sqlite3_step(stmt->get());
  if (rc != SQLITE_ROW) return SqliteError(db, rc, file, "reading the header");
  return sqlite3_column_int64(stmt->get(), 0);
}

std::string FieldColumnName(size_t i) { return "c" + std::to_string(i + 1); }

// CREATE TABLE for the records of `fields`, under `name`.
std::string RecordsTableSql(const char* name, std::span<const FieldSpec> fields) {
  std::string sql = std::string("CREATE TABLE ") + name +
                    "(id INTEGER PRIMARY KEY, deleted INTEGER NOT NULL DEFAULT 0";
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string col = FieldColumnName(i);
    if (fields[i].type_code == kIntegerField) {
      sql += ", " + col + " INTEGER NOT NULL DEFAULT 0";
    } else {
      sql += ", " + col + " BLOB NOT NULL DEFAULT x''";
    }
  }
  return sql + ") STRICT;";
}

}  // namespace

void BindValue(sqlite3_stmt* stmt, int index, const FieldValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    BindBytes(stmt, index, *text);
  } else {
    sqlite3_bind_int64(stmt, index, std::get<int64_t>(value));
  }
}

std::string FieldColumn(size_t i) { return FieldColumnName(i); }

std::string FieldColumnList(size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) out += ", ";
    out += FieldColumn(i);
  }
  return out;
}

std::string FieldColumnDefinition(size_t i, const FieldSpec& field) {
  const std::string col = FieldColumn(i);
  if (field.type_code == kIntegerField) {
    return col + " INTEGER NOT NULL DEFAULT 0 CHECK (" + col +
           " BETWEEN -2147483648 AND 2147483647)";
  }
  return col + " BLOB NOT NULL DEFAULT x''";
}

Status WriteTableSchema(sqlite3* db, std::span<const FieldSpec> fields,
                        const std::filesystem::path& file) {
  std::string sql = "BEGIN;";
  sql += "PRAGMA application_id = " + std::to_string(kApplicationId) + ";";
  sql += "PRAGMA user_version = " + std::to_string(kFormatVersion) + ";";
  sql +=
      "CREATE TABLE fields(pos INTEGER PRIMARY KEY, name BLOB NOT NULL, "
      "type INTEGER NOT NULL, width INTEGER NOT NULL) STRICT;";
  sql += RecordsTableSql("records", fields);
  if (Status s = Exec(db, sql.c_str(), file, "creating the table layout"); !s.ok()) {
    (void)Exec(db, "ROLLBACK", file, "undoing the table layout");
    return s;
  }
  auto insert = Prepare(db, "INSERT INTO fields(pos, name, type, width) VALUES(?, ?, ?, ?)", file);
  if (!insert.ok()) return insert.status();
  for (size_t i = 0; i < fields.size(); ++i) {
    sqlite3_stmt* st = insert->get();
    sqlite3_bind_int64(st, 1, static_cast<int64_t>(i + 1));
    BindBytes(st, 2, fields[i].name);
    sqlite3_bind_int(st, 3, fields[i].type_code);
    sqlite3_bind_int(st, 4, fields[i].width);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
      Status s = SqliteError(db, rc, file, "writing the field list");
      (void)Exec(db, "ROLLBACK", file, "undoing the table layout");
      return s;
    }
  }
  return Exec(db, "COMMIT", file, "committing the table layout");
}

Result<std::vector<FieldSpec>> ReadTableSchema(sqlite3* db, const std::filesystem::path& file) {
  auto app_id = ReadInteger(db, "PRAGMA application_id", file);
  if (!app_id.ok()) {
    if (app_id.status().code() == Status::Code::kCorruption) {
      return NotATable(file, "not an SQLite database");
    }
    return app_id.status();
  }
  if (*app_id != kApplicationId) return NotATable(file, "no table mark in its header");
  auto version = ReadInteger(db, "PRAGMA user_version", file);
  if (!version.ok()) return version.status();
  if (*version != kFormatVersion && *version != kThirtyTwoBitFormatVersion) {
    return NotATable(file, "layout version " + std::to_string(*version) + ", expected " +
                               std::to_string(kFormatVersion));
  }

  sqlite3_stmt* raw = nullptr;
  const char* kFieldsSql = "SELECT pos, name, type, width FROM fields ORDER BY pos";
  if (sqlite3_prepare_v2(db, kFieldsSql, -1, &raw, nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    return NotATable(file, "no field list");
  }
  Statement list(raw);
  std::vector<FieldSpec> fields;
  std::set<std::string> names;
  int rc = SQLITE_OK;
  while ((rc = sqlite3_step(list.get())) == SQLITE_ROW) {
    const int64_t pos = sqlite3_column_int64(list.get(), 0);
    FieldSpec f{ColumnBytes(list.get(), 1), sqlite3_column_int(list.get(), 2),
                sqlite3_column_int(list.get(), 3)};
    const std::string where = "field " + std::to_string(fields.size() + 1);
    if (pos != static_cast<int64_t>(fields.size()) + 1) {
      return NotATable(file, "field list skips from " + std::to_string(fields.size()) + " to " +
                                 std::to_string(pos));
    }
    if (f.name.empty() || !names.insert(f.name).second) {
      return NotATable(file, where + " has an empty or repeated name");
    }
    if (f.type_code != kTextField && f.type_code != kIntegerField) {
      return NotATable(file, where + " has type code " + std::to_string(f.type_code));
    }
    fields.push_back(std::move(f));
  }
  if (rc != SQLITE_DONE) return SqliteError(db, rc, file, "reading the field list");
  if (fields.empty() || fields.size() > kMaxFields) {
    return NotATable(file, "field list holds " + std::to_string(fields.size()) + " fields");
  }

  // The records table must have exactly the columns the field list implies.
  const std::string probe = "SELECT * FROM records LIMIT 0";
  if (sqlite3_prepare_v2(db, probe.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    return NotATable(file, "no record table");
  }
  Statement columns(raw);
  const int count = sqlite3_column_count(columns.get());
  bool shaped = count == static_cast<int>(fields.size()) + 2 &&
                std::string_view(sqlite3_column_name(columns.get(), 0)) == "id" &&
                std::string_view(sqlite3_column_name(columns.get(), 1)) == "deleted";
  for (int i = 2; shaped && i < count; ++i) {
    shaped = FieldColumn(static_cast<size_t>(i - 2)) == sqlite3_column_name(columns.get(), i);
  }
  if (!shaped) return NotATable(file, "record table does not match its field list");
  return fields;
}

Status WidenIntegers(sqlite3* db, std::span<const FieldSpec> fields,
                     const std::filesystem::path& file) {
  auto version = ReadInteger(db, "PRAGMA user_version", file);
  if (!version.ok()) return version.status();
  if (*version != kThirtyTwoBitFormatVersion) return Status::Ok();
  if (Status s = Exec(db, "BEGIN IMMEDIATE", file, "widening the integers"); !s.ok()) return s;
  // Another copy may have widened it while this one waited for the lock.
  version = ReadInteger(db, "PRAGMA user_version", file);
  if (!version.ok() || *version != kThirtyTwoBitFormatVersion) {
    (void)Exec(db, "ROLLBACK", file, "widening the integers");
    return version.ok() ? Status::Ok() : version.status();
  }
  const std::string columns = "id, deleted, " + FieldColumnList(fields.size());
  const std::string sql = RecordsTableSql("records_wide", fields) +
                          "INSERT INTO records_wide(" + columns + ") SELECT " + columns +
                          " FROM records;"
                          "DROP TABLE records;"
                          "ALTER TABLE records_wide RENAME TO records;"
                          "PRAGMA user_version = " + std::to_string(kFormatVersion) + ";";
  if (Status s = Exec(db, sql.c_str(), file, "widening the integers"); !s.ok()) {
    (void)Exec(db, "ROLLBACK", file, "undoing the widening");
    return s;
  }
  return Exec(db, "COMMIT", file, "committing the widening");
}

}  // namespace pcshop::tables
