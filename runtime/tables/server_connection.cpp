#include "runtime/tables/server_connection.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "runtime/tables/server_failure.h"

namespace pcshop::tables {
namespace {

uint64_t BigEndian(const char* p, size_t n) {
  uint64_t v = 0;
  for (size_t i = 0; i < n; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

std::string Trimmed(const char* message) {
  std::string m = message == nullptr ? std::string() : std::string(message);
  while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
  return m.empty() ? std::string("no message from the server") : m;
}

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

// Waits until the connection's socket is ready for `events` or `deadline`
// passes (false). A closed socket is "ready": libpq then reports why.
bool WaitFor(const PGconn* conn, short events, Deadline deadline) {
  const int socket = PQsocket(conn);
  if (socket < 0) return true;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{socket, events, 0};
    const int n = ::poll(&p, 1, static_cast<int>(std::min<int64_t>(left.count(), 60'000)));
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return true;
  }
}

// connect_timeout as libpq reads it (the settings, else PGCONNECT_TIMEOUT),
// at least 2 s as libpq itself has it; kConnectSeconds when unset.
int ConnectSeconds(PGconn* conn) {
  int seconds = kConnectSeconds;
  PQconninfoOption* options = PQconninfo(conn);
  for (const PQconninfoOption* o = options; o != nullptr && o->keyword != nullptr; ++o) {
    if (std::string_view(o->keyword) != "connect_timeout" || o->val == nullptr) continue;
    int given = 0;
    const char* end = o->val + std::strlen(o->val);
    if (std::from_chars(o->val, end, given).ec == std::errc() && given > 0) {
      seconds = std::max(given, 2);
    }
  }
  PQconninfoFree(options);
  return seconds;
}

// "the server at <host>:<port>" for messages.
std::string Where(const PGconn* conn) {
  const char* host = PQhost(conn);
  const char* port = PQport(conn);
  return std::string("the server at ") + (host != nullptr ? host : "?") + ":" +
         (port != nullptr ? port : "?");
}

}  // namespace

PgParam BytesParam(std::string_view bytes) { return PgParam{kByteaOid, std::string(bytes)}; }

PgParam Int8Param(int64_t v) {
  std::string b(8, '\0');
  auto u = static_cast<uint64_t>(v);
  for (int i = 7; i >= 0; --i) {
    b[static_cast<size_t>(i)] = static_cast<char>(u & 0xFF);
    u >>= 8;
  }
  return PgParam{kInt8Oid, std::move(b)};
}

int64_t CellInt8(const PGresult* r, int row, int column) {
  return static_cast<int64_t>(BigEndian(PQgetvalue(r, row, column), 8));
}

int32_t CellInt4(const PGresult* r, int row, int column) {
  return static_cast<int32_t>(static_cast<uint32_t>(BigEndian(PQgetvalue(r, row, column), 4)));
}

bool CellBool(const PGresult* r, int row, int column) { return PQgetvalue(r, row, column)[0] != 0; }

std::string_view CellBytes(const PGresult* r, int row, int column) {
  return std::string_view(PQgetvalue(r, row, column),
                          static_cast<size_t>(PQgetlength(r, row, column)));
}

std::string ServerMessage(const PGconn* conn) {
  return conn == nullptr ? std::string("not connected") : Trimmed(PQerrorMessage(conn));
}

std::chrono::milliseconds AnswerLimit(int64_t statement_timeout_ms) {
  using std::chrono::milliseconds;
  if (statement_timeout_ms <= 0) statement_timeout_ms = kStatementTimeoutMs;
  return std::clamp(milliseconds(statement_timeout_ms + 2'000), milliseconds(3'000),
                    milliseconds(60'000));
}

Result<std::unique_ptr<ServerConnection>> ServerConnection::Connect(const std::string& conninfo) {
  std::unique_ptr<ServerConnection> c(new ServerConnection(conninfo));
  if (Status s = c->Open("connecting"); !s.ok()) return s;
  return c;
}

Status ServerConnection::Open(std::string_view context) {
  conn_.reset();
  // Before the settings' string: what it sets itself wins.
  const char* const keywords[] = {"keepalives",       "keepalives_idle", "keepalives_interval",
                                  "keepalives_count", "tcp_user_timeout", "dbname", nullptr};
  const char* const values[] = {"1", "5", "2", "3", "9000", conninfo_.c_str(), nullptr};
  PgConn conn(PQconnectStartParams(keywords, values, 1));
  if (conn == nullptr) return ServerFailure(ServerFault::kUnreachable, "out of memory", context);
  // Verbose while connecting: the server's code (28P01 ...) is then part of
  // the message, the one place libpq gives it for a refused connection.
  PQsetErrorVerbosity(conn.get(), PQERRORS_VERBOSE);
  const Deadline deadline = Clock::now() + std::chrono::seconds(ConnectSeconds(conn.get()));
  PostgresPollingStatusType polled = PGRES_POLLING_WRITING;
  while (polled != PGRES_POLLING_OK && polled != PGRES_POLLING_FAILED) {
    if (!WaitFor(conn.get(), polled == PGRES_POLLING_READING ? POLLIN : POLLOUT, deadline)) {
      return ServerFailure(ServerFault::kTimeout,
                           Where(conn.get()) + " did not answer within " +
                               std::to_string(ConnectSeconds(conn.get())) + " s while connecting",
                           context);
    }
    polled = PQconnectPoll(conn.get());
  }
  if (PQstatus(conn.get()) != CONNECTION_OK) {
    const VerboseMessage m = ReadVerboseMessage(PQerrorMessage(conn.get()));
    return ServerFailure(FaultOfSqlState(m.sqlstate).value_or(ServerFault::kUnreachable), m.text,
                         context);
  }
  PQsetErrorVerbosity(conn.get(), PQERRORS_DEFAULT);
  // The server's notices (a table that is there already) are nobody's
  // business on a counter's terminal; errors come back with their results.
  PQsetNoticeProcessor(conn.get(), [](void*, const char*) {}, nullptr);
  // Non-blocking: a large write to a silent peer must not block in send().
  if (PQsetnonblocking(conn.get(), 1) != 0) {
    return ServerFailure(ServerFault::kUnreachable, ServerMessage(conn.get()), context);
  }
  conn_ = std::move(conn);
  return SetUpSession(context);
}

Status ServerConnection::SetUpSession(std::string_view context) {
  // Each of the server's settings is set here only where nobody (the
  // settings' options, the role, the database, the server's configuration)
  // set it already.
  static constexpr char kSql[] =
      "LISTEN pcshop_changes;"
      "SELECT set_config(s.name, d.value, false) FROM (VALUES"
      " ('statement_timeout', '10s'), ('lock_timeout', '5s'),"
      " ('idle_in_transaction_session_timeout', '10s')) AS d(name, value)"
      " JOIN pg_settings s ON s.name = d.name WHERE s.source = 'default';"
      "SELECT setting FROM pg_settings WHERE name = 'statement_timeout'";
  static_assert(kStatementTimeoutMs == 10'000, "the session's statement_timeout above");
  auto r = Exchange([](PGconn* c) { return PQsendQuery(c, kSql); }, context);
  if (!r.ok()) return r.status();
  if (PQresultStatus(r->get()) != PGRES_TUPLES_OK || PQntuples(r->get()) != 1) {
    return Failure(std::string(context) + ": setting up the session", r->get());
  }
  const char* text = PQgetvalue(r->get(), 0, 0);
  int64_t ms = 0;
  std::from_chars(text, text + std::strlen(text), ms);
  answer_limit_ = AnswerLimit(ms);
  return Status::Ok();
}

Status ServerConnection::EnsureConnected(std::string_view context) {
  if (Connected()) return Status::Ok();
  // One try per operation: a server that is back is used again, one that is
  // still gone fails this operation and the next one tries again.
  ++generation_;
  return Open(context);
}

Result<PgResult> ServerConnection::Exchange(const std::function<int(PGconn*)>& send,
                                            std::string_view context) {
  PGconn* c = conn_.get();
  if (send(c) == 0) return PgResult();
  const auto silent = [&] {
    const std::string text = Where(c) + " sent nothing for " +
                             std::to_string(answer_limit_.count() / 1000) + " s";
    conn_.reset();  // whatever was sent is rolled back by the server
    return ServerFailure(ServerFault::kTimeout, text, context);
  };
  Deadline deadline = Clock::now() + answer_limit_;
  for (int flushed = PQflush(c); flushed == 1; flushed = PQflush(c)) {
    if (!WaitFor(c, POLLIN | POLLOUT, deadline)) return silent();
    deadline = Clock::now() + answer_limit_;
    if (PQconsumeInput(c) == 0) break;
  }
  PgResult kept;
  for (;;) {
    while (PQisBusy(c) != 0) {
      if (!WaitFor(c, POLLIN, deadline)) return silent();
      deadline = Clock::now() + answer_limit_;
      if (PQconsumeInput(c) == 0) break;  // broken: PQgetResult says so
    }
    PgResult r(PQgetResult(c));
    if (r == nullptr) break;
    const ExecStatusType st = PQresultStatus(kept.get());
    if (kept == nullptr || (st != PGRES_FATAL_ERROR && st != PGRES_BAD_RESPONSE)) kept = std::move(r);
  }
  return kept;
}

Status ServerConnection::Failure(std::string_view context, const PGresult* r) const {
  const char* primary = r == nullptr ? nullptr : PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
  const char* state = r == nullptr ? nullptr : PQresultErrorField(r, PG_DIAG_SQLSTATE);
  const std::string message = primary != nullptr ? Trimmed(primary) : ServerMessage(conn_.get());
  const std::optional<ServerFault> fault = FaultOfSqlState(state != nullptr ? state : "");
  if (!Connected()) {
    // A server that ended the session itself says why (57P01 when shut down).
    return ServerFailure(fault.value_or(ServerFault::kUnreachable),
                         "the connection to the server was lost: " + message, context);
  }
  if (fault) return ServerFailure(*fault, message, context);
  return Status::IOError(std::string(context) + ": " + message);
}

Result<PgResult> ServerConnection::Run(const std::string& sql, std::span<const PgParam> params,
                                       std::string_view context, Retry retry) {
  std::vector<Oid> types;
  std::vector<const char*> values;
  std::vector<int> lengths;
  std::vector<int> formats(params.size(), 1);
  for (const PgParam& p : params) {
    types.push_back(p.type);
    values.push_back(p.bytes.data());
    lengths.push_back(static_cast<int>(p.bytes.size()));
  }
  return Execute(
      [&](PGconn* c) {
        return PQsendQueryParams(c, sql.c_str(), static_cast<int>(params.size()), types.data(),
                                 values.data(), lengths.data(), formats.data(), 1);
      },
      context, retry);
}

Result<PgResult> ServerConnection::RunText(const std::string& sql, std::string_view context,
                                           Retry retry) {
  return Execute([&](PGconn* c) { return PQsendQuery(c, sql.c_str()); }, context, retry);
}

namespace {
constexpr char kBeginSnapshot[] = "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; SELECT 1";
}  // namespace

Result<PgResult> ServerConnection::Execute(const std::function<int(PGconn*)>& send,
                                           std::string_view context, Retry retry) {
  for (int attempt = 0;; ++attempt) {
    if (in_snapshot() && (!Connected() || generation_ != snapshot_generation_)) {
      return ServerFailure(ServerFault::kUnreachable,
                           "the connection to the server was lost during a report", context);
    }
    if (Status s = EnsureConnected(context); !s.ok()) return s;
    auto r = Exchange(send, context);
    if (!r.ok()) return r.status();  // silent: waiting again would double the wait
    const ExecStatusType st = PQresultStatus(r->get());
    if (*r != nullptr && (st == PGRES_TUPLES_OK || st == PGRES_COMMAND_OK)) return r;
    if (retry == Retry::kOnce && attempt == 0 && !Connected() && !in_snapshot()) continue;
    Status failed = Failure(context, r->get());
    // A failed statement (a sum past 64 bits, a cancel) aborts the
    // transaction; the report's later reads go on in a new snapshot rather
    // than all failing.
    if (in_snapshot() && Connected() && PQtransactionStatus(conn_.get()) == PQTRANS_INERROR) {
      (void)Exchange([](PGconn* c) { return PQsendQuery(c, "ROLLBACK"); }, context);
      (void)Exchange([](PGconn* c) { return PQsendQuery(c, kBeginSnapshot); }, context);
      ++snapshot_number_;
    }
    return failed;
  }
}

Status ServerConnection::BeginSnapshot(std::string_view context) {
  if (in_snapshot()) {
    ++snapshot_depth_;
    return Status::Ok();
  }
  // The SELECT fixes the snapshot; BEGIN alone would wait for the first read.
  auto r = RunText(kBeginSnapshot, context, Retry::kOnce);
  if (!r.ok()) {
    RollbackIfOpen();
    return r.status();
  }
  snapshot_depth_ = 1;
  snapshot_generation_ = generation_;
  ++snapshot_number_;
  return Status::Ok();
}

void ServerConnection::EndSnapshot() {
  if (!in_snapshot() || --snapshot_depth_ > 0) return;
  std::vector<std::string> after = std::move(after_snapshot_);
  after_snapshot_.clear();
  if (!Connected() || generation_ != snapshot_generation_) return;
  if (PQtransactionStatus(conn_.get()) != PQTRANS_IDLE) {
    // Read only: COMMIT and ROLLBACK end it alike.
    (void)Exchange([](PGconn* c) { return PQsendQuery(c, "COMMIT"); }, "ending a read snapshot");
  }
  for (const std::string& sql : after) {
    if (!RunText(sql, "after a read snapshot", Retry::kNo).ok()) RollbackIfOpen();
  }
}

void ServerConnection::AfterSnapshot(std::string sql) {
  if (std::find(after_snapshot_.begin(), after_snapshot_.end(), sql) == after_snapshot_.end()) {
    after_snapshot_.push_back(std::move(sql));
  }
}

void ServerConnection::RollbackIfOpen() {
  if (!Connected() || PQtransactionStatus(conn_.get()) == PQTRANS_IDLE) return;
  (void)Exchange([](PGconn* c) { return PQsendQuery(c, "ROLLBACK"); }, "rolling back");
}

void ServerConnection::Poll() {
  if (!Connected()) return;
  // A failure here shows at the next statement, which then reconnects.
  if (PQconsumeInput(conn_.get()) == 0) return;
  const int own = PQbackendPID(conn_.get());
  while (PGnotify* n = PQnotifies(conn_.get())) {
    if (n->be_pid != own && n->extra != nullptr) {
      int32_t id = 0;
      const char* end = n->extra + std::strlen(n->extra);
      if (std::from_chars(n->extra, end, id).ec == std::errc()) ++changes_[id];
    }
    PQfreemem(n);
  }
}

uint64_t ServerConnection::ChangesOf(int32_t id) const {
  const auto it = changes_.find(id);
  return it == changes_.end() ? 0 : it->second;
}

}  // namespace pcshop::tables
