#pragma once
// The server's objects as the shared contract lays them out:
//   pcshop_tables(id, name, version)          one row per table, name GBK bytea
//   pcshop_fields(table_id, pos, name, type, width)
//   pcshop_t<N>(id, deleted, c1 .. cN)        the records of table N
// All names are unqualified, so a search_path in the connection string
// chooses the schema. Everything here runs inside the caller's transaction.

#include <libpq-fe.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/status.h"
#include "runtime/tables/table_types.h"

namespace pcshop::servercopy {

// The key of the advisory lock under which the objects are created.
inline constexpr int64_t kObjectsLock = 0x5043;

// "pcshop_t<N>".
std::string RecordsTable(int64_t id);

// Takes the objects lock (held to the end of the transaction) and creates
// pcshop_tables and pcshop_fields when missing.
Status CreateServerObjects(PGconn* conn);

// True when the database holds pcshop_tables.
Result<bool> ServerObjectsExist(PGconn* conn);

// The id of the table named `name`, if there is one.
Result<std::optional<int64_t>> FindTable(PGconn* conn, const std::string& name);

// Locks the table's row in pcshop_tables (as every writer does first) and
// returns how many records it holds.
Result<int64_t> LockAndCount(PGconn* conn, int64_t id);

// A new row in pcshop_tables; its id.
Result<int64_t> AddTable(PGconn* conn, const std::string& name);

// Gives table `id` the field list `fields` and an empty records table,
// dropping whatever it held.
Status ResetTable(PGconn* conn, int64_t id, const std::vector<tables::FieldSpec>& fields);

// After records were inserted with their own ids: the id sequence goes past
// the largest, the change counter is bumped and other counters are told.
Status FinishWrite(PGconn* conn, int64_t id);

struct ServerTable {
  int64_t id = 0;
  std::string name;  // GBK
};

// The tables whose names start with `prefix` (exact bytes), by name.
Result<std::vector<ServerTable>> ListTables(PGconn* conn, const std::string& prefix);

// The field list of a table, checked as the table store checks a new one,
// and the records table checked to match it.
Result<std::vector<tables::FieldSpec>> ReadFields(PGconn* conn, const ServerTable& table);

}  // namespace pcshop::servercopy
