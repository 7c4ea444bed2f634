#include <memory>
#include <optional>

#include "tools/servercopy/file_tables.h"
#include "tools/servercopy/pg_handle.h"
#include "tools/servercopy/record_check.h"
#include "tools/servercopy/server_copy.h"
#include "tools/servercopy/server_records.h"
#include "tools/servercopy/server_schema.h"
#include "tools/servercopy/table_names.h"

namespace pcshop::servercopy {
namespace {

namespace fs = std::filesystem;

struct SourceTable {
  fs::path file;
  TableLayout layout;
  int64_t id = 0;  // on the server; 0 while it has none
};

void Tell(const CopyOptions& options, const std::string& line) {
  if (options.progress) options.progress(line);
}

// Every file read and checked before the server is touched.
Result<std::vector<SourceTable>> ReadSources(const fs::path& folder) {
  auto prefix = FolderPrefix(folder);
  if (!prefix.ok()) return prefix.status();
  auto files = ListTableFiles(folder);
  if (!files.ok()) return files.status();
  if (files->empty()) {
    return Status::NotFound(folder.string() + ": holds no table files (*.zdb)");
  }
  std::vector<SourceTable> sources;
  for (const fs::path& file : *files) {
    auto name = ServerName(*prefix, file);
    if (!name.ok()) return name.status();
    auto fields = CheckTableFile(file);
    if (!fields.ok()) return fields.status();
    sources.push_back({file, {std::move(name).value(), std::move(fields).value()}, 0});
  }
  return sources;
}

// Finds each table on the server and locks it; refuses, naming them all,
// the ones that hold records unless they may be replaced.
Status ClaimTables(PGconn* conn, std::vector<SourceTable>& sources, bool replace) {
  std::string refused;
  for (SourceTable& src : sources) {
    auto id = FindTable(conn, src.layout.name);
    if (!id.ok()) return id.status();
    if (!id->has_value()) continue;
    src.id = **id;
    auto count = LockAndCount(conn, src.id);
    if (!count.ok()) return count.status();
    if (*count > 0 && !replace) {
      refused += "\n  " + tables::Printable(src.layout.name) + " already holds " +
                 std::to_string(*count) + " records";
    }
  }
  if (!refused.empty()) {
    return Status::InvalidArgument("nothing was copied: these server tables are not empty:" +
                                   refused + "\nadd --replace to overwrite them");
  }
  return Status::Ok();
}

Status CopyTable(PGconn* conn, SourceTable& src) {
  if (src.id == 0) {
    auto id = AddTable(conn, src.layout.name);
    if (!id.ok()) return id.status();
    src.id = *id;
  }
  if (Status s = ResetTable(conn, src.id, src.layout.fields); !s.ok()) return s;
  auto rows = FileRecordReader::Open(src.file, src.layout.fields.size());
  if (!rows.ok()) return rows.status();
  auto copied = CopyRecordsIn(conn, src.id, src.layout.fields, **rows);
  if (!copied.ok()) return copied.status();
  return FinishWrite(conn, src.id);
}

// The server's records, read back, against the file read again.
Result<int64_t> CheckTable(PGconn* conn, const SourceTable& src) {
  auto file_rows = FileRecordReader::Open(src.file, src.layout.fields.size());
  if (!file_rows.ok()) return file_rows.status();
  auto server_rows = ServerRecordReader::Open(conn, src.id, src.layout.fields);
  if (!server_rows.ok()) return server_rows.status();
  return CheckSameRecords(src.layout, **file_rows, **server_rows);
}

}  // namespace

Result<std::vector<CopiedTable>> CopyToServer(const fs::path& folder, const std::string& conninfo,
                                              const CopyOptions& options) {
  auto sources = ReadSources(folder);
  if (!sources.ok()) return sources.status();
  auto conn = Connect(conninfo);
  if (!conn.ok()) return conn.status();
  PGconn* c = conn->get();

  // Leaving early drops the connection, and the server rolls everything back.
  if (Status s = Exec(c, "BEGIN", "starting the copy"); !s.ok()) return s;
  if (Status s = CreateServerObjects(c); !s.ok()) return s;
  if (Status s = ClaimTables(c, *sources, options.replace); !s.ok()) return s;
  for (SourceTable& src : *sources) {
    if (Status s = CopyTable(c, src); !s.ok()) return s;
  }
  std::vector<CopiedTable> done;
  for (const SourceTable& src : *sources) {
    auto count = CheckTable(c, src);
    if (!count.ok()) return count.status();
    done.push_back({src.layout.name, *count});
    Tell(options, tables::Printable(src.layout.name) + ": " + std::to_string(*count) +
                      " records copied and checked");
  }
  if (Status s = Exec(c, "COMMIT", "committing the copy"); !s.ok()) return s;
  return done;
}

}  // namespace pcshop::servercopy
