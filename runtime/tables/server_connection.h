#pragma once
// One connection to the database server for the whole process, through
// libpq: statements with binary parameters and results, the transaction of a
// write, the change notices of other counters, and one reconnection try when
// the connection was lost.

#include <libpq-fe.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/status.h"

namespace pcshop::tables {

struct PgResultClear {
  void operator()(PGresult* r) const { PQclear(r); }
};
struct PgConnFinish {
  void operator()(PGconn* c) const { PQfinish(c); }
};
using PgResult = std::unique_ptr<PGresult, PgResultClear>;
using PgConn = std::unique_ptr<PGconn, PgConnFinish>;

// One statement parameter, sent in binary with its type.
struct PgParam {
  Oid type = 0;
  std::string bytes;
};
inline constexpr Oid kByteaOid = 17;
inline constexpr Oid kInt8Oid = 20;
inline constexpr Oid kInt4Oid = 23;
PgParam BytesParam(std::string_view bytes);
PgParam Int8Param(int64_t v);

// Binary result cells.
int64_t CellInt8(const PGresult* r, int row, int column);
int32_t CellInt4(const PGresult* r, int row, int column);
bool CellBool(const PGresult* r, int row, int column);
std::string_view CellBytes(const PGresult* r, int row, int column);

// The channel every write announces its table's id on.
inline constexpr char kChangesChannel[] = "pcshop_changes";

class ServerConnection {
 public:
  // Connects and listens for change notices. The error carries the
  // server's (or libpq's) own message.
  static Result<std::unique_ptr<ServerConnection>> Connect(const std::string& conninfo);

  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  // Whether a statement may run again on a new connection when the old one
  // was found lost: only when nothing it did can have been kept.
  enum class Retry { kNo, kOnce };

  // Runs one statement, binary parameters and results. Errors read
  // "<context>: <server's message>".
  Result<PgResult> Run(const std::string& sql, std::span<const PgParam> params,
                       std::string_view context, Retry retry);
  // Runs statements without parameters (text results), e.g. BEGIN; ...
  Result<PgResult> RunText(const std::string& sql, std::string_view context, Retry retry);
  // Rolls back an open transaction, if any; the connection may be gone.
  void RollbackIfOpen();

  // Takes in the notices that have arrived, without waiting.
  void Poll();
  // How many notices other connections sent for table `id` so far.
  uint64_t ChangesOf(int32_t id) const;
  // Moves on at each reconnection: notices may have been missed meanwhile.
  uint64_t generation() const { return generation_; }

 private:
  explicit ServerConnection(PgConn conn) : conn_(std::move(conn)) {}
  Status Listen();
  // A lost connection is tried once more; the error says why it failed.
  Status EnsureConnected(std::string_view context);
  Status Failure(std::string_view context, const PGresult* r) const;

  PgConn conn_;
  std::unordered_map<int32_t, uint64_t> changes_;
  uint64_t generation_ = 0;
};

// libpq's message without its trailing newline.
std::string ServerMessage(const PGconn* conn);

}  // namespace pcshop::tables
