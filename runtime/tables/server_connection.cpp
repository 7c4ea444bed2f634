#include "runtime/tables/server_connection.h"

#include <charconv>
#include <cstring>
#include <vector>

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

std::string ServerMessage(const PGconn* conn) { return Trimmed(PQerrorMessage(conn)); }

Result<std::unique_ptr<ServerConnection>> ServerConnection::Connect(const std::string& conninfo) {
  PgConn conn(PQconnectdb(conninfo.c_str()));
  if (conn == nullptr) return Status::IOError("the server cannot be reached: out of memory");
  if (PQstatus(conn.get()) != CONNECTION_OK) return Status::IOError(ServerMessage(conn.get()));
  // The server's notices (a table that is there already) are nobody's
  // business on a counter's terminal; errors come back with their results.
  PQsetNoticeProcessor(conn.get(), [](void*, const char*) {}, nullptr);
  std::unique_ptr<ServerConnection> c(new ServerConnection(std::move(conn)));
  if (Status s = c->Listen(); !s.ok()) return s;
  return c;
}

Status ServerConnection::Listen() {
  PgResult r(PQexec(conn_.get(), "LISTEN pcshop_changes"));
  if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) return Failure("listening for changes", r.get());
  return Status::Ok();
}

Status ServerConnection::EnsureConnected(std::string_view context) {
  if (PQstatus(conn_.get()) == CONNECTION_OK) return Status::Ok();
  // One try per operation: a server that is back is used again, one that is
  // still gone fails this operation and the next one tries again.
  PQreset(conn_.get());
  ++generation_;
  if (PQstatus(conn_.get()) != CONNECTION_OK) {
    return Status::Unavailable(std::string(context) + ": the server cannot be reached: " +
                               ServerMessage(conn_.get()));
  }
  return Listen();
}

Status ServerConnection::Failure(std::string_view context, const PGresult* r) const {
  const char* primary = r == nullptr ? nullptr : PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
  std::string message = primary != nullptr ? Trimmed(primary) : ServerMessage(conn_.get());
  if (PQstatus(conn_.get()) != CONNECTION_OK) {
    return Status::Unavailable(std::string(context) + ": the connection to the server was lost: " +
                               message);
  }
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
  for (int attempt = 0;; ++attempt) {
    if (Status s = EnsureConnected(context); !s.ok()) return s;
    PgResult r(PQexecParams(conn_.get(), sql.c_str(), static_cast<int>(params.size()), types.data(),
                            values.data(), lengths.data(), formats.data(), 1));
    const ExecStatusType st = PQresultStatus(r.get());
    if (st == PGRES_TUPLES_OK || st == PGRES_COMMAND_OK) return r;
    if (retry == Retry::kOnce && attempt == 0 && PQstatus(conn_.get()) != CONNECTION_OK) continue;
    return Failure(context, r.get());
  }
}

Result<PgResult> ServerConnection::RunText(const std::string& sql, std::string_view context,
                                           Retry retry) {
  for (int attempt = 0;; ++attempt) {
    if (Status s = EnsureConnected(context); !s.ok()) return s;
    PgResult r(PQexec(conn_.get(), sql.c_str()));
    const ExecStatusType st = PQresultStatus(r.get());
    if (st == PGRES_TUPLES_OK || st == PGRES_COMMAND_OK) return r;
    if (retry == Retry::kOnce && attempt == 0 && PQstatus(conn_.get()) != CONNECTION_OK) continue;
    return Failure(context, r.get());
  }
}

void ServerConnection::RollbackIfOpen() {
  if (PQstatus(conn_.get()) != CONNECTION_OK) return;
  if (PQtransactionStatus(conn_.get()) == PQTRANS_IDLE) return;
  PgResult r(PQexec(conn_.get(), "ROLLBACK"));
}

void ServerConnection::Poll() {
  if (PQstatus(conn_.get()) != CONNECTION_OK) return;
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
