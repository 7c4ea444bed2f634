#include <system_error>

#include "runtime/tables/new_file.h"
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

struct TargetFile {
  int64_t id = 0;
  TableLayout layout;
  fs::path file;
  bool exists = false;
};

void Tell(const CopyOptions& options, const std::string& line) {
  if (options.progress) options.progress(line);
}

// Every table found, its layout checked and its file named; refuses, naming
// them all, files that exist unless they may be replaced.
Result<std::vector<TargetFile>> PlanTargets(PGconn* conn, const fs::path& folder,
                                            const std::string& prefix, bool replace) {
  auto present = ServerObjectsExist(conn);
  if (!present.ok()) return present.status();
  if (!*present) {
    return Status::NotFound("the server holds no pcshop tables (no pcshop_tables in this "
                            "database)");
  }
  auto listed = ListTables(conn, prefix);
  if (!listed.ok()) return listed.status();
  if (listed->empty()) {
    return Status::NotFound("the server holds no tables named " + tables::Printable(prefix) +
                            "...");
  }
  std::vector<TargetFile> targets;
  std::string refused;
  for (const ServerTable& t : *listed) {
    auto fields = ReadFields(conn, t);
    if (!fields.ok()) return fields.status();
    auto file = FileFor(folder, prefix, t.name);
    if (!file.ok()) return file.status();
    std::error_code ec;
    const bool exists = fs::symlink_status(*file, ec).type() != fs::file_type::not_found;
    if (exists && !replace) refused += "\n  " + file->string();
    targets.push_back({t.id, {t.name, std::move(fields).value()}, std::move(file).value(), exists});
  }
  if (!refused.empty()) {
    return Status::InvalidArgument("nothing was copied: these table files exist already:" +
                                   refused + "\nadd --replace to overwrite them");
  }
  return targets;
}

// Writes the table into `temp` and reads it back against the server.
Result<int64_t> WriteAndCheck(PGconn* conn, const TargetFile& target, const fs::path& temp) {
  {
    auto rows = ServerRecordReader::Open(conn, target.id, target.layout.fields);
    if (!rows.ok()) return rows.status();
    auto written = WriteTableFile(temp, target.layout.fields, **rows);
    if (!written.ok()) return written.status();
  }
  auto server_rows = ServerRecordReader::Open(conn, target.id, target.layout.fields);
  if (!server_rows.ok()) return server_rows.status();
  auto file_rows = FileRecordReader::Open(temp, target.layout.fields.size());
  if (!file_rows.ok()) return file_rows.status();
  return CheckSameRecords(target.layout, **server_rows, **file_rows);
}

}  // namespace

Result<std::vector<CopiedTable>> CopyFromServer(const std::string& conninfo,
                                                const fs::path& folder,
                                                const CopyOptions& options) {
  auto prefix = FolderPrefix(folder);
  if (!prefix.ok()) return prefix.status();
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) {
    return Status::InvalidArgument(folder.string() + ": is not a folder");
  }
  auto conn = Connect(conninfo);
  if (!conn.ok()) return conn.status();
  PGconn* c = conn->get();
  // One snapshot for all tables, so counters writing meanwhile cannot make
  // the tables disagree with each other or with the check.
  if (Status s = Exec(c, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", "starting the copy");
      !s.ok()) {
    return s;
  }
  auto targets = PlanTargets(c, folder, *prefix, options.replace);
  if (!targets.ok()) return targets.status();

  fs::create_directories(folder, ec);
  if (ec) return Status::IOError(folder.string() + ": cannot be made: " + ec.message());
  std::vector<tables::TemporaryFile> temps;
  std::vector<CopiedTable> done;
  for (const TargetFile& target : *targets) {
    auto temp = tables::TemporaryFile::CreateBeside(target.file);
    if (!temp.ok()) return temp.status();
    auto count = WriteAndCheck(c, target, temp->path());
    if (!count.ok()) return count.status();
    temps.push_back(std::move(temp).value());
    done.push_back({target.layout.name, *count});
    Tell(options, target.file.string() + ": " + std::to_string(*count) +
                      " records copied and checked");
  }
  if (Status s = Exec(c, "COMMIT", "ending the copy"); !s.ok()) return s;

  for (size_t i = 0; i < temps.size(); ++i) {
    const TargetFile& target = (*targets)[i];
    const Status s =
        target.exists ? temps[i].Replace(target.file) : temps[i].Publish(target.file);
    if (!s.ok()) {
      return Status::IOError(s.message() + " (" + std::to_string(i) + " of " +
                             std::to_string(temps.size()) +
                             " table files were put in place before this one)");
    }
  }
  return done;
}

}  // namespace pcshop::servercopy
