#include "runtime/tables/server_schema.h"

#include <set>

#include "runtime/tables/server_writes.h"
#include "runtime/tables/stored_day.h"
#include "runtime/tables/table_format.h"
#include "runtime/tables/table_upgrade.h"

namespace pcshop::tables {
namespace {

using Retry = ServerConnection::Retry;

constexpr Oid kBoolOid = 16;

std::string ColumnDefinition(size_t i, const FieldSpec& field) {
  return FieldColumn(i) + (field.type_code == kIntegerField
                               ? " bigint NOT NULL DEFAULT 0"
                               : " bytea NOT NULL DEFAULT '\\x'::bytea");
}

Status NotOurs(std::string_view label, const std::string& why) {
  return Status::InvalidArgument(std::string(label) + ": not a table of this program: " + why);
}

PgParam Int4Param(int32_t v) {
  PgParam p = Int8Param(v);
  p.bytes.erase(0, 4);
  p.type = kInt4Oid;
  return p;
}

// INSERT of field rows `from` .. end of `fields` for table `id`.
Status InsertFieldRows(ServerConnection& conn, int32_t id, std::span<const FieldSpec> fields,
                       size_t from, std::string_view context) {
  std::string sql = "INSERT INTO pcshop_fields(table_id, pos, name, type, width) VALUES";
  std::vector<PgParam> params;
  for (size_t i = from; i < fields.size(); ++i) {
    const size_t b = params.size();
    sql += (i > from ? ", ($" : " ($") + std::to_string(b + 1) + ", $" + std::to_string(b + 2) +
           ", $" + std::to_string(b + 3) + ", $" + std::to_string(b + 4) + ", $" +
           std::to_string(b + 5) + ")";
    params.push_back(Int4Param(id));
    params.push_back(Int4Param(static_cast<int32_t>(i + 1)));
    params.push_back(BytesParam(fields[i].name));
    params.push_back(Int4Param(fields[i].type_code));
    params.push_back(Int4Param(fields[i].width));
  }
  auto r = conn.Run(sql, params, context, Retry::kNo);
  return r.ok() ? Status::Ok() : r.status();
}

Result<int32_t> FindTable(ServerConnection& conn, std::string_view name, std::string_view label,
                          Retry retry) {
  const PgParam p[] = {BytesParam(name)};
  auto r = conn.Run("SELECT id FROM pcshop_tables WHERE name = $1", p,
                    std::string(label) + ": opening", retry);
  if (!r.ok()) return r.status();
  if (PQntuples(r->get()) == 0) {
    return Status::NotFound(std::string(label) + ": no table of that name on the server");
  }
  return CellInt4(r->get(), 0, 0);
}

Result<std::vector<FieldSpec>> ReadFields(ServerConnection& conn, int32_t id,
                                          std::string_view label, Retry retry) {
  const PgParam p[] = {Int4Param(id)};
  auto r = conn.Run("SELECT pos, name, type, width FROM pcshop_fields WHERE table_id = $1 ORDER BY pos",
                    p, std::string(label) + ": reading the field list", retry);
  if (!r.ok()) return r.status();
  std::vector<FieldSpec> fields;
  std::set<std::string, std::less<>> names;
  for (int row = 0; row < PQntuples(r->get()); ++row) {
    const int32_t pos = CellInt4(r->get(), row, 0);
    FieldSpec f{std::string(CellBytes(r->get(), row, 1)), CellInt4(r->get(), row, 2),
                CellInt4(r->get(), row, 3)};
    const std::string where = "field " + std::to_string(fields.size() + 1);
    if (pos != static_cast<int32_t>(fields.size()) + 1) {
      return NotOurs(label, "field list skips from " + std::to_string(fields.size()) + " to " +
                                std::to_string(pos));
    }
    if (f.name.empty() || !names.insert(f.name).second) {
      return NotOurs(label, where + " has an empty or repeated name");
    }
    if (f.type_code != kTextField && f.type_code != kIntegerField) {
      return NotOurs(label, where + " has type code " + std::to_string(f.type_code));
    }
    fields.push_back(std::move(f));
  }
  if (fields.empty() || fields.size() > kMaxFields) {
    return NotOurs(label, "field list holds " + std::to_string(fields.size()) + " fields");
  }
  return fields;
}

}  // namespace

std::string RecordsTable(int32_t id) { return "pcshop_t" + std::to_string(id); }

Status EnsureServerObjects(ServerConnection& conn) {
  // Only what is missing is created, so that a counter's role needs no right
  // to change the schema once the tables are there.
  static constexpr char kPresent[] =
      "SELECT to_regclass('pcshop_tables') IS NOT NULL"
      " AND to_regclass('pcshop_fields') IS NOT NULL,"
      " to_regprocedure('pcshop_day(bytea)') IS NOT NULL";
  static constexpr char kContext[] = "setting up the server's tables";
  static constexpr char kLock[] = "BEGIN; SELECT pg_advisory_xact_lock(20547);";  // 0x5043
  auto present = conn.RunText(kPresent, kContext, Retry::kOnce);
  if (!present.ok()) return present.status();
  const bool tables = std::string_view(PQgetvalue(present->get(), 0, 0)) == "t";
  const bool day_function = std::string_view(PQgetvalue(present->get(), 0, 1)) == "t";
  if (tables && day_function) return Status::Ok();
  if (tables) {
    // Shops set up before the function: made by a role that may, else the
    // ranged sums work out each day in their query as before.
    if (!conn.RunText(kLock + ServerDayFunctionSql() + "; COMMIT", kContext, Retry::kOnce).ok()) {
      conn.RollbackIfOpen();
    }
    return Status::Ok();
  }
  static constexpr char kTables[] =
      "CREATE TABLE IF NOT EXISTS pcshop_tables ("
      " id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY,"
      " name bytea NOT NULL UNIQUE,"
      " version bigint NOT NULL DEFAULT 0);"
      "CREATE TABLE IF NOT EXISTS pcshop_fields ("
      " table_id integer NOT NULL REFERENCES pcshop_tables(id) ON DELETE CASCADE,"
      " pos integer NOT NULL, name bytea NOT NULL, type integer NOT NULL, width integer NOT NULL,"
      " PRIMARY KEY (table_id, pos));";
  const std::string sql = kLock + std::string(kTables) + ServerDayFunctionSql() + "; COMMIT";
  auto r = conn.RunText(sql, kContext, Retry::kOnce);
  if (!r.ok()) {
    conn.RollbackIfOpen();
    return r.status();
  }
  return Status::Ok();
}

Status CreateServerTable(ServerConnection& conn, std::string_view name,
                         std::span<const FieldSpec> fields, std::string_view label) {
  if (Status s = CheckFieldList(fields); !s.ok()) {
    return Status::InvalidArgument(std::string(label) + ": " + s.message());
  }
  const std::string context = std::string(label) + ": creating";
  const auto exists = [&] {
    return Status::InvalidArgument(std::string(label) +
                                   ": a table already exists there; it is left as it is");
  };
  // Looked up first: a role that may only read refuses no write it was not
  // asked for, and the start-up's "create when missing" stays a read.
  if (auto found = FindTable(conn, name, label, Retry::kOnce); found.ok()) {
    return exists();
  } else if (found.status().code() != Status::Code::kNotFound) {
    return found.status();
  }
  auto fail = [&](Status s) {
    conn.RollbackIfOpen();
    return s;
  };
  if (auto r = conn.RunText("BEGIN", context, Retry::kOnce); !r.ok()) return fail(r.status());
  // A second counter creating the same name waits here for the first.
  const PgParam p[] = {BytesParam(name)};
  auto r = conn.Run("INSERT INTO pcshop_tables(name) VALUES($1) ON CONFLICT (name) DO NOTHING RETURNING id",
                    p, context, Retry::kNo);
  if (!r.ok()) return fail(r.status());
  if (PQntuples(r->get()) == 0) return fail(exists());
  const int32_t id = CellInt4(r->get(), 0, 0);
  std::string sql = "CREATE TABLE " + RecordsTable(id) +
                    " (id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
                    " deleted boolean NOT NULL DEFAULT false";
  for (size_t i = 0; i < fields.size(); ++i) sql += ", " + ColumnDefinition(i, fields[i]);
  sql += ")";
  if (auto c = conn.Run(sql, {}, context, Retry::kNo); !c.ok()) return fail(c.status());
  if (Status s = InsertFieldRows(conn, id, fields, 0, context); !s.ok()) return fail(s);
  if (auto c = conn.RunText("COMMIT", context, Retry::kNo); !c.ok()) return fail(c.status());
  return Status::Ok();
}

Result<ServerTableInfo> ReadServerTable(ServerConnection& conn, std::string_view name,
                                        std::string_view label) {
  auto id = FindTable(conn, name, label, Retry::kOnce);
  if (!id.ok()) return id.status();
  auto fields = ReadFields(conn, *id, label, Retry::kOnce);
  if (!fields.ok()) return fields.status();
  // The records table must have exactly the columns the field list implies.
  auto probe = conn.Run("SELECT * FROM " + RecordsTable(*id) + " LIMIT 0", {},
                        std::string(label) + ": opening", Retry::kOnce);
  if (!probe.ok()) {
    if (probe.status().code() == Status::Code::kUnavailable) return probe.status();
    return NotOurs(label, "no record table (" + probe.status().message() + ")");
  }
  const PGresult* r = probe->get();
  bool shaped = PQnfields(r) == static_cast<int>(fields->size()) + 2 &&
                std::string_view(PQfname(r, 0)) == "id" && PQftype(r, 0) == kInt8Oid &&
                std::string_view(PQfname(r, 1)) == "deleted" && PQftype(r, 1) == kBoolOid;
  for (int i = 2; shaped && i < PQnfields(r); ++i) {
    const auto field = static_cast<size_t>(i - 2);
    const Oid want = (*fields)[field].type_code == kIntegerField ? kInt8Oid : kByteaOid;
    shaped = FieldColumn(field) == PQfname(r, i) && PQftype(r, i) == want;
  }
  if (!shaped) return NotOurs(label, "record table does not match its field list");
  return ServerTableInfo{*id, std::move(fields).value()};
}

Result<bool> UpgradeServerTable(ServerConnection& conn, std::string_view name,
                                std::span<const FieldSpec> fields, std::string_view label) {
  if (Status s = CheckFieldList(fields); !s.ok()) {
    return Status::InvalidArgument(std::string(label) + ": " + s.message());
  }
  auto info = ReadServerTable(conn, name, label);
  if (!info.ok()) return info.status();
  if (Status s = CheckFieldPrefix(label, info->fields, fields); !s.ok()) return s;
  if (info->fields.size() == fields.size()) return false;

  const std::string context = std::string(label) + ": upgrading";
  auto fail = [&](Status s) -> Result<bool> {
    conn.RollbackIfOpen();
    return s;
  };
  auto version = BeginWrite(conn, info->id, context);
  if (!version.ok()) return fail(version.status());
  // Another counter may have upgraded it while this one waited for the lock.
  auto have = ReadFields(conn, info->id, label, Retry::kNo);
  if (!have.ok()) return fail(have.status());
  if (Status s = CheckFieldPrefix(label, *have, fields); !s.ok()) return fail(s);
  if (have->size() < fields.size()) {
    std::string alter = "ALTER TABLE " + RecordsTable(info->id);
    for (size_t i = have->size(); i < fields.size(); ++i) {
      alter += (i > have->size() ? ", ADD COLUMN " : " ADD COLUMN ") + ColumnDefinition(i, fields[i]);
    }
    if (auto r = conn.Run(alter, {}, context, Retry::kNo); !r.ok()) return fail(r.status());
    if (Status s = InsertFieldRows(conn, info->id, fields, have->size(), context); !s.ok()) {
      return fail(s);
    }
  }
  const bool added = have->size() < fields.size();
  if (auto r = conn.RunText("COMMIT", context, Retry::kNo); !r.ok()) return fail(r.status());
  return added;
}

}  // namespace pcshop::tables
