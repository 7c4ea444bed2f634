#pragma once
// The start every write transaction on the server shares: BEGIN, then the
// table's change counter raised (its row lock orders the writers of one
// table, so record ids are handed out in commit order) and the change
// announced to the other counters.

#include <cstdint>
#include <string_view>

#include "base/status.h"
#include "runtime/tables/server_connection.h"

namespace pcshop::tables {

// The table's new version; the transaction is open. On failure it may be
// too: the caller rolls back.
Result<int64_t> BeginWrite(ServerConnection& conn, int32_t table_id, std::string_view context);

}  // namespace pcshop::tables
