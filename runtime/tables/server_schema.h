#pragma once
// How tables lie on the server. Two shared tables list them:
//   pcshop_tables(id, name, version)          one row per table; name is GBK
//                                             bytes, version moves with every write
//   pcshop_fields(table_id, pos, name, type, width)   the field list, pos from 1
// and the records of table N live in pcshop_t<N>(id, deleted, c1 .. cN): texts
// bytea, integers bigint. Record n is the n-th row in id order, as in a file.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "runtime/tables/server_connection.h"
#include "runtime/tables/table_types.h"

namespace pcshop::tables {

// Creates the two shared tables when missing, in one transaction under the
// advisory lock every counter takes for it.
Status EnsureServerObjects(ServerConnection& conn);

// "pcshop_t<N>".
std::string RecordsTable(int32_t id);

// A new empty table `name`; refused when a table of that name exists.
Status CreateServerTable(ServerConnection& conn, std::string_view name,
                         std::span<const FieldSpec> fields, std::string_view label);

struct ServerTableInfo {
  int32_t id = 0;
  std::vector<FieldSpec> fields;
};

// Finds table `name` and reads and checks its field list and records table.
// Only reads; a layout that is not one of ours is refused.
Result<ServerTableInfo> ReadServerTable(ServerConnection& conn, std::string_view name,
                                        std::string_view label);

// Adds the fields of `fields` that table `name` lacks when its own are their
// beginning, in one write transaction; Ok(false) when it has them all.
Result<bool> UpgradeServerTable(ServerConnection& conn, std::string_view name,
                                std::span<const FieldSpec> fields, std::string_view label);

}  // namespace pcshop::tables
