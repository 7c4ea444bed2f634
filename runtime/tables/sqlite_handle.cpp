#include "runtime/tables/sqlite_handle.h"

namespace pcshop::tables {

Result<Connection> OpenConnection(const std::filesystem::path& file, int busy_timeout_ms) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &raw,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  Connection db(raw);  // owns the handle even when the open failed
  if (rc != SQLITE_OK) return SqliteError(db.get(), rc, file, "opening");
  sqlite3_extended_result_codes(db.get(), 1);
  sqlite3_busy_timeout(db.get(), busy_timeout_ms);
  return db;
}

namespace {

// A file name as an SQLite URI: every byte outside the unreserved set is
// escaped, so '?', '#' and '%' in a folder name stay part of the path.
std::string FileUri(const std::filesystem::path& file) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (const unsigned char c : file.string()) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
        c == '-' || c == '_' || c == '.' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0xF];
    }
  }
  return uri;
}

}  // namespace

Result<Connection> OpenReadOnlyConnection(const std::filesystem::path& file, int busy_timeout_ms,
                                          bool immutable) {
  const std::string uri = FileUri(file) + (immutable ? "?mode=ro&immutable=1" : "?mode=ro");
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(uri.c_str(), &raw,
                                 SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
  Connection db(raw);
  if (rc != SQLITE_OK) return SqliteError(db.get(), rc, file, "opening read-only");
  sqlite3_extended_result_codes(db.get(), 1);
  sqlite3_busy_timeout(db.get(), busy_timeout_ms);
  return db;
}

Status SqliteError(sqlite3* db, int rc, const std::filesystem::path& file, std::string_view what) {
  std::string msg = file.string();
  msg += ": ";
  msg += what;
  msg += ": ";
  msg += db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  msg += " (SQLite code " + std::to_string(rc) + ")";
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return Status::Busy(std::move(msg));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return Status::Corruption(std::move(msg));
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
      return Status::InvalidArgument(std::move(msg));
    default:
      return Status::IOError(std::move(msg));
  }
}

Status Exec(sqlite3* db, const char* sql, const std::filesystem::path& file, std::string_view what) {
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return SqliteError(db, rc, file, what);
  return Status::Ok();
}

Result<Statement> Prepare(sqlite3* db, std::string_view sql, const std::filesystem::path& file) {
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
  Statement stmt(raw);
  if (rc != SQLITE_OK) return SqliteError(db, rc, file, "preparing a statement");
  return stmt;
}

int BindBytes(sqlite3_stmt* stmt, int index, std::string_view bytes) {
  // A null pointer would bind NULL; the empty text is a zero-length blob.
  if (bytes.empty()) return sqlite3_bind_zeroblob(stmt, index, 0);
  return sqlite3_bind_blob64(stmt, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

std::string_view ColumnView(sqlite3_stmt* stmt, int column) {
  const void* data = sqlite3_column_blob(stmt, column);
  const int size = sqlite3_column_bytes(stmt, column);
  if (data == nullptr || size <= 0) return std::string_view();
  return std::string_view(static_cast<const char*>(data), static_cast<size_t>(size));
}

std::string ColumnBytes(sqlite3_stmt* stmt, int column) { return std::string(ColumnView(stmt, column)); }

}  // namespace pcshop::tables
