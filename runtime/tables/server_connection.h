#pragma once
// One connection to the database server for the whole process, through
// libpq: statements with binary parameters and results, the transaction of a
// write, the change notices of other counters, and one reconnection try when
// the connection was lost.
//
// No wait on the server is unbounded, since a server that stops answering
// (a pulled cable, a hung machine) sends no reset and would freeze the
// counter for many minutes:
// - connecting ends after connect_timeout (the settings' own, else
//   kConnectSeconds) across every address of the host;
// - the kernel's keepalives and tcp_user_timeout drop a dead TCP peer
//   (defaults below, each overridden by the settings' own);
// - the session asks the server to cancel a statement after statement_timeout
//   and a lock wait after lock_timeout (unless the settings, the role or the
//   server's configuration set them), and to end a session left idle inside a
//   transaction, which would hold other counters' locks;
// - the program itself drops the connection when the server sends nothing
//   for statement_timeout + 2 s, because a silent peer never delivers the
//   server's own cancel. The next statement connects again.

#include <libpq-fe.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

// Connecting: the whole attempt, every address of the host.
inline constexpr int kConnectSeconds = 5;
// The server cancels a statement after this (its own setting, when it has
// one, is kept).
inline constexpr int kStatementTimeoutMs = 10'000;
// How long the program waits for a byte from the server: the server's
// statement_timeout plus time for its answer to arrive, within bounds.
std::chrono::milliseconds AnswerLimit(int64_t statement_timeout_ms);

class ServerConnection {
 public:
  // Connects and listens for change notices. The error is a ServerFailure
  // (server_failure.h).
  static Result<std::unique_ptr<ServerConnection>> Connect(const std::string& conninfo);

  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  // Whether a statement may run again on a new connection when the old one
  // was found lost: only when nothing it did can have been kept.
  enum class Retry { kNo, kOnce };

  // Runs one statement, binary parameters and results. A failure the user
  // must hear of (the server out of reach or silent, a right missing ...) is
  // a ServerFailure; others read "<context>: <server's message>".
  Result<PgResult> Run(const std::string& sql, std::span<const PgParam> params,
                       std::string_view context, Retry retry);
  // Runs statements without parameters (text results), e.g. BEGIN; ...
  Result<PgResult> RunText(const std::string& sql, std::string_view context, Retry retry);
  // Rolls back an open transaction, if any; the connection may be gone.
  void RollbackIfOpen();

  // A read snapshot (table_store.h): one REPEATABLE READ READ ONLY
  // transaction from the first begin to the matching last end; each open
  // table begins and ends it once. A connection lost inside it fails every
  // statement until it ends, rather than reading outside it.
  Status BeginSnapshot(std::string_view context);
  void EndSnapshot();
  bool in_snapshot() const { return snapshot_depth_ > 0; }
  // Moves on with every snapshot begun, and when a failed statement made
  // the connection begin its snapshot again: what was read under one
  // number holds while it stays.
  uint64_t snapshot_number() const { return snapshot_number_; }
  // A statement that writes (an index to make), run once the snapshot has
  // ended; its failure is nobody's business but the next try's.
  void AfterSnapshot(std::string sql);

  // Takes in the notices that have arrived, without waiting.
  void Poll();
  // How many notices other connections sent for table `id` so far.
  uint64_t ChangesOf(int32_t id) const;
  // Moves on at each reconnection: notices may have been missed meanwhile.
  uint64_t generation() const { return generation_; }

 private:
  explicit ServerConnection(std::string conninfo) : conninfo_(std::move(conninfo)) {}
  // A new connection in conn_, set up for this program, or why there is none.
  Status Open(std::string_view context);
  Status SetUpSession(std::string_view context);
  // A lost connection is tried once more; the error says why it failed.
  Status EnsureConnected(std::string_view context);
  // Sends with `send`, then waits for every result: the first error, else
  // the last. A server silent for answer_limit_ drops the connection and
  // fails; a null result means the connection broke.
  Result<PgResult> Exchange(const std::function<int(PGconn*)>& send, std::string_view context);
  // Run and RunText: connected first, one more try on a new connection when
  // `retry` allows and the old one was found lost.
  Result<PgResult> Execute(const std::function<int(PGconn*)>& send, std::string_view context,
                           Retry retry);
  Status Failure(std::string_view context, const PGresult* r) const;
  bool Connected() const { return conn_ != nullptr && PQstatus(conn_.get()) == CONNECTION_OK; }

  std::string conninfo_;
  PgConn conn_;  // null once dropped
  std::chrono::milliseconds answer_limit_ = AnswerLimit(kStatementTimeoutMs);
  std::unordered_map<int32_t, uint64_t> changes_;
  uint64_t generation_ = 0;
  int snapshot_depth_ = 0;
  uint64_t snapshot_generation_ = 0;  // the connection the snapshot lives on
  uint64_t snapshot_number_ = 0;
  std::vector<std::string> after_snapshot_;
};

// libpq's message without its trailing newline.
std::string ServerMessage(const PGconn* conn);

}  // namespace pcshop::tables
