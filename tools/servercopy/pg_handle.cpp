#include "tools/servercopy/pg_handle.h"

#include <cstring>

namespace pcshop::servercopy {
namespace {

struct OptionsFreer {
  void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};
using ConninfoOptions = std::unique_ptr<PQconninfoOption, OptionsFreer>;

// The server's notices ("relation already exists, skipping") are not for
// the shop owner; errors come back with each statement's result.
void DropNotice(void* /*arg*/, const char* /*message*/) {}

std::string TrimmedMessage(const char* msg) {
  std::string s = msg != nullptr ? msg : "";
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

}  // namespace

Result<PgConnection> Connect(const std::string& conninfo) {
  char* parse_error = nullptr;
  ConninfoOptions options(PQconninfoParse(conninfo.c_str(), &parse_error));
  if (!options) {
    const std::string why = TrimmedMessage(parse_error);
    PQfreemem(parse_error);
    return Status::InvalidArgument("the connection string cannot be read: " + why);
  }
  for (const PQconninfoOption* o = options.get(); o->keyword != nullptr; ++o) {
    if (std::strcmp(o->keyword, "password") == 0 && o->val != nullptr && o->val[0] != '\0') {
      return Status::InvalidArgument(
          "the connection string holds a password; leave it out and put it in ~/.pgpass "
          "(one line host:port:database:user:password, file mode 0600)");
    }
  }
  PgConnection conn(PQconnectdb(conninfo.c_str()));
  if (!conn) return Status::IOError("cannot connect to the server: out of memory");
  if (PQstatus(conn.get()) != CONNECTION_OK) {
    return Status::IOError("cannot connect to the server: " +
                           TrimmedMessage(PQerrorMessage(conn.get())));
  }
  PQsetNoticeProcessor(conn.get(), DropNotice, nullptr);
  return conn;
}

void PgParams::Bytes(std::string_view bytes) {
  values_.emplace_back(bytes);
  lengths_.push_back(static_cast<int>(bytes.size()));
  formats_.push_back(1);
  types_.push_back(kByteaOid);
  Refresh();
}

void PgParams::Int(int64_t value) {
  values_.push_back(std::to_string(value));
  lengths_.push_back(0);
  formats_.push_back(0);
  types_.push_back(kInt8Oid);
  Refresh();
}

// The pointers follow the strings, which may have moved.
void PgParams::Refresh() {
  pointers_.clear();
  for (const std::string& v : values_) pointers_.push_back(v.data());
}

Status ServerError(PGconn* conn, const PGresult* res, std::string_view what) {
  const char* msg = res != nullptr ? PQresultErrorMessage(res) : nullptr;
  if (msg == nullptr || msg[0] == '\0') msg = PQerrorMessage(conn);
  return Status::IOError(std::string(what) + ": " + TrimmedMessage(msg));
}

Status Exec(PGconn* conn, const std::string& sql, std::string_view what) {
  PgResult res(PQexec(conn, sql.c_str()));
  const ExecStatusType st = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) return ServerError(conn, res.get(), what);
  return Status::Ok();
}

Result<PgResult> Query(PGconn* conn, const std::string& sql, const PgParams& params,
                       std::string_view what) {
  PgResult res(PQexecParams(conn, sql.c_str(), params.count(), params.types(), params.values(),
                            params.lengths(), params.formats(), 1));
  const ExecStatusType st = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) return ServerError(conn, res.get(), what);
  return res;
}

Result<PgResult> Query(PGconn* conn, const std::string& sql, std::string_view what) {
  PgResult res(PQexec(conn, sql.c_str()));
  const ExecStatusType st = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) return ServerError(conn, res.get(), what);
  return res;
}

bool BinaryInteger(const PGresult* res, int row, int column, int64_t& out) {
  if (PQgetisnull(res, row, column) || PQfformat(res, column) != 1) return false;
  const int len = PQgetlength(res, row, column);
  const char* v = PQgetvalue(res, row, column);
  const Oid type = PQftype(res, column);
  const int expected = type == kInt8Oid ? 8 : type == kInt4Oid ? 4 : type == kInt2Oid ? 2 : 0;
  if (expected == 0 || len != expected) return false;
  const uint64_t raw = ReadBigEndian(v, len);
  // Sign-extend the narrower widths.
  const int shift = 64 - 8 * len;
  out = static_cast<int64_t>(raw << shift) >> shift;
  return true;
}

std::string_view BinaryBytes(const PGresult* res, int row, int column) {
  return {PQgetvalue(res, row, column), static_cast<size_t>(PQgetlength(res, row, column))};
}

void AppendBigEndian(std::string& out, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t ReadBigEndian(const char* in, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<unsigned char>(in[i]);
  return v;
}

}  // namespace pcshop::servercopy
