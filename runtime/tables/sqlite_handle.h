#pragma once
// Owning handles for SQLite connections and statements, and the one place
// where SQLite result codes become Status values.

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"

namespace pcshop::tables {

struct ConnectionCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Resets a statement when a step loop leaves early, so that no read
// transaction stays open behind the caller's back.
class StatementReset {
 public:
  explicit StatementReset(sqlite3_stmt* stmt) : stmt_(stmt) {}
  StatementReset(const StatementReset&) = delete;
  StatementReset& operator=(const StatementReset&) = delete;
  ~StatementReset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

 private:
  sqlite3_stmt* stmt_;
};

// A read transaction for the life of the scope when `db` has none open (a
// snapshot's is used as it is): a version read inside it and the query after
// it see one state of the file.
class ReadScope {
 public:
  explicit ReadScope(sqlite3* db)
      : db_(sqlite3_get_autocommit(db) != 0 &&
                    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK
                ? db
                : nullptr) {}
  ReadScope(const ReadScope&) = delete;
  ReadScope& operator=(const ReadScope&) = delete;
  ~ReadScope() {
    if (db_ != nullptr && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
      (void)sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
  }

 private:
  sqlite3* db_;
};

// Opens an existing file read-write; never creates one. The busy timeout is
// set before anything is read, so a second running copy waits for the lock.
Result<Connection> OpenConnection(const std::filesystem::path& file, int busy_timeout_ms);

// Opens an existing file for reading only. `immutable` tells SQLite that
// nobody can change the file, so it needs no lock and no shared-memory file
// beside it (for a folder nobody can write).
Result<Connection> OpenReadOnlyConnection(const std::filesystem::path& file, int busy_timeout_ms,
                                          bool immutable);

// A failure of SQLite on `db` while doing `what` to `file`, as a Status whose
// code follows the SQLite result (busy, corruption, I/O ...).
Status SqliteError(sqlite3* db, int rc, const std::filesystem::path& file, std::string_view what);

// Runs statements that return no rows.
Status Exec(sqlite3* db, const char* sql, const std::filesystem::path& file, std::string_view what);

// Prepares a statement kept for the life of the connection.
Result<Statement> Prepare(sqlite3* db, std::string_view sql, const std::filesystem::path& file);

// Texts are bound and read as blobs, so SQLite never treats GBK as UTF-8.
int BindBytes(sqlite3_stmt* stmt, int index, std::string_view bytes);
// The column's bytes, valid until the statement steps or resets.
std::string_view ColumnView(sqlite3_stmt* stmt, int column);
std::string ColumnBytes(sqlite3_stmt* stmt, int column);

}  // namespace pcshop::tables
