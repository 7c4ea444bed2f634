#pragma once
// Owning handles for libpq connections and results, the one place where
// libpq's failures become Status values, and the binary values the copy
// exchanges with the server (big-endian integers, raw bytea).

#include <libpq-fe.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace pcshop::servercopy {

struct ConnectionCloser {
  void operator()(PGconn* conn) const { PQfinish(conn); }
};
struct ResultClearer {
  void operator()(PGresult* res) const { PQclear(res); }
};
using PgConnection = std::unique_ptr<PGconn, ConnectionCloser>;
using PgResult = std::unique_ptr<PGresult, ResultClearer>;

// Connects with a libpq connection string. A password inside it is refused:
// it would show in the process list and the shell's history; libpq reads it
// from ~/.pgpass (or PGPASSFILE) itself.
Result<PgConnection> Connect(const std::string& conninfo);

// Parameters of one statement: bytes go as binary bytea, numbers as text.
class PgParams {
 public:
  void Bytes(std::string_view bytes);
  void Int(int64_t value);

  int count() const { return static_cast<int>(values_.size()); }
  const char* const* values() const { return pointers_.data(); }
  const int* lengths() const { return lengths_.data(); }
  const int* formats() const { return formats_.data(); }
  const Oid* types() const { return types_.data(); }

 private:
  void Refresh();
  std::vector<std::string> values_;
  std::vector<const char*> pointers_;
  std::vector<int> lengths_;
  std::vector<int> formats_;
  std::vector<Oid> types_;
};

// Runs statements that return no rows (several may be given at once).
Status Exec(PGconn* conn, const std::string& sql, std::string_view what);

// Runs one statement with parameters; its rows come back in binary form.
Result<PgResult> Query(PGconn* conn, const std::string& sql, const PgParams& params,
                       std::string_view what);
// Runs one statement without parameters (a FETCH from a binary cursor).
Result<PgResult> Query(PGconn* conn, const std::string& sql, std::string_view what);

// The server's failure of `what`, with libpq's message.
Status ServerError(PGconn* conn, const PGresult* res, std::string_view what);

// Type ids of the columns the copy reads.
inline constexpr Oid kBoolOid = 16;
inline constexpr Oid kByteaOid = 17;
inline constexpr Oid kInt8Oid = 20;
inline constexpr Oid kInt2Oid = 21;
inline constexpr Oid kInt4Oid = 23;

// A binary integer column of any width; false when the value is not one.
bool BinaryInteger(const PGresult* res, int row, int column, int64_t& out);
std::string_view BinaryBytes(const PGresult* res, int row, int column);

void AppendBigEndian(std::string& out, uint64_t value, int bytes);
uint64_t ReadBigEndian(const char* in, int bytes);

}  // namespace pcshop::servercopy
