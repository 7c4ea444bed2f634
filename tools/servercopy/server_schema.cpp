#include "tools/servercopy/server_schema.h"

#include <cstdint>

#include "runtime/tables/table_format.h"
#include "tools/servercopy/pg_handle.h"

namespace pcshop::servercopy {
namespace {

using tables::FieldSpec;

constexpr const char* kCreateObjects =
    "CREATE TABLE IF NOT EXISTS pcshop_tables ("
    " id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY,"
    " name bytea NOT NULL UNIQUE,"
    " version bigint NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS pcshop_fields ("
    " table_id integer NOT NULL REFERENCES pcshop_tables(id) ON DELETE CASCADE,"
    " pos integer NOT NULL,"
    " name bytea NOT NULL,"
    " type integer NOT NULL,"
    " width integer NOT NULL,"
    " PRIMARY KEY (table_id, pos));";

std::string ColumnDefinition(size_t i, const FieldSpec& field) {
  const std::string col = tables::FieldColumn(i);
  if (field.type_code == tables::kIntegerField) return col + " bigint NOT NULL DEFAULT 0";
  return col + " bytea NOT NULL DEFAULT '\\x'::bytea";
}

Status NotUsable(const ServerTable& table, const std::string& why) {
  return Status::Corruption(tables::Printable(table.name) + " (server table " +
                            RecordsTable(table.id) + ") cannot be copied: " + why);
}

// The records table must have exactly the columns the field list implies.
Status CheckRecordsTable(PGconn* conn, const ServerTable& table,
                         const std::vector<FieldSpec>& fields) {
  auto exists = Query(conn, "SELECT to_regclass('" + RecordsTable(table.id) + "') IS NOT NULL",
                      PgParams(), "looking for " + RecordsTable(table.id));
  if (!exists.ok()) return exists.status();
  if (PQgetvalue(exists->get(), 0, 0)[0] == 0) return NotUsable(table, "it has no records table");
  auto probe = Query(conn, "SELECT * FROM " + RecordsTable(table.id) + " LIMIT 0", PgParams(),
                     "reading the columns of " + RecordsTable(table.id));
  if (!probe.ok()) return probe.status();
  const PGresult* r = probe->get();
  bool shaped = PQnfields(r) == static_cast<int>(fields.size()) + 2 &&
                std::string_view(PQfname(r, 0)) == "id" && PQftype(r, 0) == kInt8Oid &&
                std::string_view(PQfname(r, 1)) == "deleted" && PQftype(r, 1) == kBoolOid;
  for (size_t i = 0; shaped && i < fields.size(); ++i) {
    const int col = static_cast<int>(i) + 2;
    const Oid want = fields[i].type_code == tables::kIntegerField ? kInt8Oid : kByteaOid;
    shaped = tables::FieldColumn(i) == PQfname(r, col) && PQftype(r, col) == want;
  }
  if (!shaped) return NotUsable(table, "its records table does not match its field list");
  return Status::Ok();
}

}  // namespace

std::string RecordsTable(int64_t id) { return "pcshop_t" + std::to_string(id); }

Status CreateServerObjects(PGconn* conn) {
  PgParams p;
  p.Int(kObjectsLock);
  auto lock = Query(conn, "SELECT pg_advisory_xact_lock($1)", p, "taking the objects lock");
  if (!lock.ok()) return lock.status();
  return Exec(conn, kCreateObjects, "creating pcshop_tables and pcshop_fields");
}

Result<bool> ServerObjectsExist(PGconn* conn) {
  auto res = Query(conn, "SELECT to_regclass('pcshop_tables') IS NOT NULL", PgParams(),
                   "looking for pcshop_tables");
  if (!res.ok()) return res.status();
  return PQgetvalue(res->get(), 0, 0)[0] != 0;
}

Result<std::optional<int64_t>> FindTable(PGconn* conn, const std::string& name) {
  PgParams p;
  p.Bytes(name);
  auto res = Query(conn, "SELECT id FROM pcshop_tables WHERE name = $1", p,
                   "looking up " + tables::Printable(name));
  if (!res.ok()) return res.status();
  if (PQntuples(res->get()) == 0) return std::optional<int64_t>();
  int64_t id = 0;
  if (!BinaryInteger(res->get(), 0, 0, id)) {
    return Status::Corruption("pcshop_tables holds an id that is not an integer");
  }
  return std::optional<int64_t>(id);
}

Result<int64_t> LockAndCount(PGconn* conn, int64_t id) {
  PgParams p;
  p.Int(id);
  auto lock = Query(conn, "SELECT version FROM pcshop_tables WHERE id = $1 FOR UPDATE", p,
                    "locking " + RecordsTable(id));
  if (!lock.ok()) return lock.status();
  auto exists = Query(conn, "SELECT to_regclass('" + RecordsTable(id) + "') IS NOT NULL",
                      PgParams(), "looking for " + RecordsTable(id));
  if (!exists.ok()) return exists.status();
  if (PQgetvalue(exists->get(), 0, 0)[0] == 0) return int64_t{0};
  auto count = Query(conn, "SELECT count(*) FROM " + RecordsTable(id), PgParams(),
                     "counting the records of " + RecordsTable(id));
  if (!count.ok()) return count.status();
  int64_t n = 0;
  if (!BinaryInteger(count->get(), 0, 0, n)) return Status::Corruption("count(*) is no integer");
  return n;
}

Result<int64_t> AddTable(PGconn* conn, const std::string& name) {
  PgParams p;
  p.Bytes(name);
  auto res = Query(conn, "INSERT INTO pcshop_tables(name) VALUES ($1) RETURNING id", p,
                   "adding " + tables::Printable(name));
  if (!res.ok()) return res.status();
  int64_t id = 0;
  if (!BinaryInteger(res->get(), 0, 0, id)) return Status::Corruption("new id is no integer");
  return id;
}

Status ResetTable(PGconn* conn, int64_t id, const std::vector<FieldSpec>& fields) {
  const std::string table = RecordsTable(id);
  std::string ddl = "DROP TABLE IF EXISTS " + table + ";" +
                    "DELETE FROM pcshop_fields WHERE table_id = " + std::to_string(id) + ";" +
                    "CREATE TABLE " + table +
                    " (id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
                    " deleted boolean NOT NULL DEFAULT false";
  for (size_t i = 0; i < fields.size(); ++i) ddl += ", " + ColumnDefinition(i, fields[i]);
  ddl += ");";
  if (Status s = Exec(conn, ddl, "creating " + table); !s.ok()) return s;
  for (size_t i = 0; i < fields.size(); ++i) {
    PgParams p;
    p.Int(id);
    p.Int(static_cast<int64_t>(i) + 1);
    p.Bytes(fields[i].name);
    p.Int(fields[i].type_code);
    p.Int(fields[i].width);
    auto res = Query(conn,
                     "INSERT INTO pcshop_fields(table_id, pos, name, type, width)"
                     " VALUES ($1, $2, $3, $4, $5)",
                     p, "writing the field list of " + table);
    if (!res.ok()) return res.status();
  }
  return Status::Ok();
}

Status FinishWrite(PGconn* conn, int64_t id) {
  const std::string table = RecordsTable(id);
  const std::string n = std::to_string(id);
  return Exec(conn,
              "SELECT setval(pg_get_serial_sequence('" + table +
                  "', 'id'), GREATEST(max(id), 1), max(id) IS NOT NULL) FROM " + table + ";" +
                  "UPDATE pcshop_tables SET version = version + 1 WHERE id = " + n + ";" +
                  "SELECT pg_notify('pcshop_changes', '" + n + "');",
              "finishing " + table);
}

Result<std::vector<ServerTable>> ListTables(PGconn* conn, const std::string& prefix) {
  PgParams p;
  p.Bytes(prefix);
  p.Int(static_cast<int64_t>(prefix.size()));
  auto res = Query(conn,
                   "SELECT id, name FROM pcshop_tables"
                   " WHERE length(name) > $2 AND substr(name, 1, $2::integer) = $1 ORDER BY name",
                   p, "listing the tables");
  if (!res.ok()) return res.status();
  std::vector<ServerTable> out;
  for (int row = 0; row < PQntuples(res->get()); ++row) {
    ServerTable t;
    if (!BinaryInteger(res->get(), row, 0, t.id)) {
      return Status::Corruption("pcshop_tables holds an id that is not an integer");
    }
    t.name = std::string(BinaryBytes(res->get(), row, 1));
    out.push_back(std::move(t));
  }
  return out;
}

Result<std::vector<FieldSpec>> ReadFields(PGconn* conn, const ServerTable& table) {
  PgParams p;
  p.Int(table.id);
  auto res = Query(conn,
                   "SELECT pos, name, type, width FROM pcshop_fields WHERE table_id = $1"
                   " ORDER BY pos",
                   p, "reading the field list of " + RecordsTable(table.id));
  if (!res.ok()) return res.status();
  std::vector<FieldSpec> fields;
  for (int row = 0; row < PQntuples(res->get()); ++row) {
    int64_t pos = 0;
    int64_t type = 0;
    int64_t width = 0;
    if (!BinaryInteger(res->get(), row, 0, pos) || !BinaryInteger(res->get(), row, 2, type) ||
        !BinaryInteger(res->get(), row, 3, width)) {
      return NotUsable(table, "its field list holds a value that is not an integer");
    }
    if (type < INT32_MIN || type > INT32_MAX || width < INT32_MIN || width > INT32_MAX) {
      return NotUsable(table, "field " + std::to_string(pos) + " has a type or width out of range");
    }
    if (pos != static_cast<int64_t>(fields.size()) + 1) {
      return NotUsable(table, "its field list skips from " + std::to_string(fields.size()) +
                                  " to " + std::to_string(pos));
    }
    fields.push_back({std::string(BinaryBytes(res->get(), row, 1)), static_cast<int32_t>(type),
                      static_cast<int32_t>(width)});
  }
  if (Status s = tables::CheckFieldList(fields); !s.ok()) return NotUsable(table, s.message());
  if (Status s = CheckRecordsTable(conn, table, fields); !s.ok()) return s;
  return fields;
}

}  // namespace pcshop::servercopy
