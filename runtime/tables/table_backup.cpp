#include "runtime/tables/table_backup.h"

#include <sqlite3.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <system_error>

#include "runtime/files/file_copy.h"
#include "runtime/files/native_path.h"
#include "runtime/tables/file_access.h"
#include "runtime/tables/new_file.h"
#include "runtime/tables/sqlite_handle.h"
#include "tools/servercopy/file_tables.h"
#include "tools/servercopy/server_copy.h"

namespace pcshop::tables {
namespace {

namespace fs = std::filesystem;

constexpr int kBusyTimeoutMs = 5000;

Status FsError(const fs::path& p, const char* what, const std::error_code& ec) {
  return Status::IOError(p.string() + ": " + what + ": " + ec.message());
}

// A source table held at one moment: its connection inside a read
// transaction, and the records it holds at that moment.
struct HeldTable {
  fs::path file;
  Connection db;
  int64_t records = 0;
};

Result<int64_t> CountRecords(sqlite3* db, const fs::path& file) {
  auto count = Prepare(db, "SELECT count(*) FROM records", file);
  if (!count.ok()) return count.status();
  const int rc = sqlite3_step(count->get());
  if (rc != SQLITE_ROW) return SqliteError(db, rc, file, "counting the records");
  return sqlite3_column_int64(count->get(), 0);
}

Result<HeldTable> Hold(const fs::path& file) {
  // A table nobody can write (a read-only disk, an immutable folder) is read
  // as the store reads it: without the shared-memory file it cannot make.
  const bool immutable = !CanWrite(file) || !CanWrite(file.parent_path());
  auto db = OpenReadOnlyConnection(file, kBusyTimeoutMs, immutable);
  if (!db.ok()) return db.status();
  if (Status s = Exec(db->get(), "BEGIN", file, "starting the backup"); !s.ok()) return s;
  // The first read starts the snapshot the copy is taken from.
  auto records = CountRecords(db->get(), file);
  if (!records.ok()) return records.status();
  return HeldTable{file, std::move(db).value(), *records};
}

// SQLite's online backup from the held snapshot into a new file, made a
// plain single file (no log beside it) and synced.
Status CopyHeld(HeldTable& held, const fs::path& to) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(to.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  Connection dest(raw);
  if (rc != SQLITE_OK) return SqliteError(raw, rc, to, "making the copy");
  sqlite3_backup* backup = sqlite3_backup_init(dest.get(), "main", held.db.get(), "main");
  if (backup == nullptr) return SqliteError(dest.get(), sqlite3_errcode(dest.get()), to, "copying");
  rc = sqlite3_backup_step(backup, -1);
  const int finished = sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) return SqliteError(dest.get(), rc, held.file, "copying");
  if (finished != SQLITE_OK) return SqliteError(dest.get(), finished, to, "copying");
  if (Status s = Exec(dest.get(), "PRAGMA journal_mode=DELETE", to, "closing the copy"); !s.ok()) {
    return s;
  }
  return Status::Ok();
}

Result<std::vector<BackupTable>> CopyFiles(const fs::path& data, const fs::path& into) {
  auto files = servercopy::ListTableFiles(data);
  if (!files.ok()) return files.status();
  std::vector<HeldTable> held;
  held.reserve(files->size());
  // Every snapshot is taken before the first copy, so that the tables are
  // as close to one moment as separate files allow.
  for (const fs::path& file : *files) {
    auto h = Hold(file);
    if (!h.ok()) return h.status();
    held.push_back(std::move(h).value());
  }
  std::vector<BackupTable> done;
  for (HeldTable& h : held) {
    const fs::path to = into / h.file.filename();
    if (Status s = CopyHeld(h, to); !s.ok()) return s;
    h.db.reset();
    done.push_back({h.file.filename().string(), h.records});
  }
  return done;
}

Result<std::vector<BackupTable>> CopyServer(const std::string& server, const fs::path& into) {
  auto copied = servercopy::CopyFromServer(server, into, {});
  if (!copied.ok()) return copied.status();
  std::vector<BackupTable> done;
  for (const servercopy::CopiedTable& t : *copied) {
    // The server's name is GBK ("DATA/显卡.zdb"); the file's is native.
    auto native = files::ToNativePath(t.name);
    if (!native.ok()) return native.status();
    done.push_back({native->filename().string(), t.records});
  }
  return done;
}

// Every copied file checked against the count it was copied with.
Status CheckAgainst(const fs::path& data, const std::vector<BackupTable>& tables) {
  for (const BackupTable& t : tables) {
    const fs::path file = data / t.file;
    auto fields = servercopy::CheckTableFile(file);
    if (!fields.ok()) return fields.status();
    auto db = OpenReadOnlyConnection(file, kBusyTimeoutMs, false);
    if (!db.ok()) return db.status();
    auto records = CountRecords(db->get(), file);
    if (!records.ok()) return records.status();
    if (*records != t.records) {
      return Status::Corruption(file.string() + ": holds " + std::to_string(*records) +
                                " records, the backup was made with " + std::to_string(t.records));
    }
  }
  return Status::Ok();
}

Status Publish(const fs::path& partial, const fs::path& target) {
  std::error_code ec;
  if (fs::exists(target, ec)) return Status::InvalidArgument(target.string() + ": exists already");
  fs::rename(partial, target, ec);
  if (ec) return FsError(target, "naming the backup", ec);
  return SyncFolderOf(target);
}

int64_t BytesOf(const fs::path& data) {
  int64_t bytes = 0;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(data, ec)) {
    const auto size = entry.file_size(ec);
    if (!ec) bytes += static_cast<int64_t>(size);
  }
  return bytes;
}

constexpr std::string_view kPartialPrefix = ".partial-";

// The process a partial folder's name says built it; 0 for none.
pid_t BuilderOf(const std::string& name) {
  const size_t dash = name.rfind('-');
  if (dash == std::string::npos || dash + 1 == name.size()) return 0;
  pid_t pid = 0;
  const char* first = name.data() + dash + 1;
  const char* last = name.data() + name.size();
  const auto [end, ec] = std::from_chars(first, last, pid);
  return ec == std::errc() && end == last ? pid : 0;
}

// Partial folders left by copies that were cut short; a running copy's
// folder is its own business.
void RemoveLeftPartials(const fs::path& parent) {
  std::error_code ec;
  std::vector<fs::path> left;
  for (const auto& entry : fs::directory_iterator(parent, ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(kPartialPrefix)) continue;
    const pid_t pid = BuilderOf(name);
    if (pid <= 0 || (kill(pid, 0) != 0 && errno == ESRCH)) left.push_back(entry.path());
  }
  for (const fs::path& p : left) fs::remove_all(p, ec);
}

// The folder a backup is built in before it gets its name: this process's
// own, made exclusively, so two copies backing up in the same second never
// share one. Removed unless it was published.
class PartialFolder {
 public:
  explicit PartialFolder(const fs::path& target) : path_(PartialNameOf(target)) {}
  PartialFolder(const PartialFolder&) = delete;
  PartialFolder& operator=(const PartialFolder&) = delete;
  ~PartialFolder() {
    std::error_code ec;
    if (made_ && !published_) fs::remove_all(path_, ec);
  }
  Status Make() {
    RemoveLeftPartials(path_.parent_path());
    std::error_code ec;
    fs::remove_all(path_, ec);  // by an earlier process of the same number
    if (!fs::create_directory(path_, ec)) {
      return ec ? FsError(path_, "making the backup folder", ec)
                : Status::InvalidArgument(path_.string() + ": exists already");
    }
    made_ = true;
    return Status::Ok();
  }
  const fs::path& path() const { return path_; }
  void published() { published_ = true; }

 private:
  fs::path path_;
  bool made_ = false;
  bool published_ = false;
};

}  // namespace

fs::path PartialNameOf(const fs::path& final_path) {
  return final_path.parent_path() / (std::string(kPartialPrefix) + final_path.filename().string() +
                                     "-" + std::to_string(getpid()));
}

Result<BackupManifest> MakeBackup(const BackupSource& source, const fs::path& target,
                                  const std::string& when, const std::string& why) {
  std::error_code ec;
  if (fs::exists(target, ec)) return Status::InvalidArgument(target.string() + ": exists already");
  fs::create_directories(target.parent_path(), ec);
  if (ec) return FsError(target.parent_path(), "making the backup folder", ec);
  PartialFolder partial(target);
  if (Status s = partial.Make(); !s.ok()) return s;
  const fs::path data = partial.path() / kBackupDataFolder;
  fs::create_directories(data, ec);
  if (ec) return FsError(data, "making the backup folder", ec);

  auto tables = source.server.empty() ? CopyFiles(source.data, data) : CopyServer(source.server, data);
  if (!tables.ok()) return tables.status();
  if (Status s = CheckAgainst(data, *tables); !s.ok()) return s;
  if (Status s = SyncFolder(data); !s.ok()) return s;
  BackupManifest manifest{when, why, std::move(tables).value()};
  if (Status s = WriteManifest(partial.path(), manifest); !s.ok()) return s;
  if (Status s = Publish(partial.path(), target); !s.ok()) return s;
  partial.published();
  return manifest;
}

Result<BackupManifest> CheckBackup(const fs::path& backup) {
  auto manifest = ReadManifest(backup);
  if (!manifest.ok()) return manifest.status();
  const fs::path data = backup / kBackupDataFolder;
  auto files = servercopy::ListTableFiles(data);
  if (!files.ok()) return files.status();
  if (files->size() != manifest->tables.size()) {
    return Status::Corruption(data.string() + ": holds " + std::to_string(files->size()) +
                              " table files, the backup was made with " +
                              std::to_string(manifest->tables.size()));
  }
  if (Status s = CheckAgainst(data, manifest->tables); !s.ok()) return s;
  return manifest;
}

Result<std::vector<ListedBackup>> ListBackups(const fs::path& parent) {
  std::vector<ListedBackup> out;
  std::error_code ec;
  if (!fs::is_directory(parent, ec)) return out;
  for (const auto& entry : fs::directory_iterator(parent, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.' || !entry.is_directory(ec)) continue;
    auto manifest = ReadManifest(entry.path());
    if (!manifest.ok()) continue;
    out.push_back({name, std::move(manifest).value(), BytesOf(entry.path() / kBackupDataFolder)});
  }
  if (ec) return FsError(parent, "listing the backups", ec);
  std::sort(out.begin(), out.end(),
            [](const ListedBackup& a, const ListedBackup& b) { return a.name < b.name; });
  return out;
}

Status RemoveBackup(const fs::path& backup) {
  if (auto manifest = ReadManifest(backup); !manifest.ok()) return manifest.status();
  // The manifest goes first: a removal cut short leaves no whole-looking folder.
  std::error_code ec;
  fs::rename(backup, PartialNameOf(backup), ec);
  if (ec) return FsError(backup, "removing the backup", ec);
  fs::remove_all(PartialNameOf(backup), ec);
  if (ec) return FsError(backup, "removing the backup", ec);
  return Status::Ok();
}

Status CopyBackup(const fs::path& backup, const fs::path& destination) {
  auto manifest = CheckBackup(backup);
  if (!manifest.ok()) return manifest.status();
  const fs::path target = destination / backup.filename();
  std::error_code ec;
  if (fs::exists(target, ec)) return Status::InvalidArgument(target.string() + ": exists already");
  PartialFolder partial(target);
  if (Status s = partial.Make(); !s.ok()) return s;
  fs::create_directories(partial.path() / kBackupDataFolder, ec);
  if (ec) return FsError(partial.path(), "making the copy", ec);
  for (const BackupTable& t : manifest->tables) {
    if (Status s = files::CopyFileAtomically(backup / kBackupDataFolder / t.file,
                                             partial.path() / kBackupDataFolder / t.file, false);
        !s.ok()) {
      return s;
    }
  }
  if (Status s = CheckAgainst(partial.path() / kBackupDataFolder, manifest->tables); !s.ok()) {
    return s;
  }
  if (Status s = WriteManifest(partial.path(), *manifest); !s.ok()) return s;
  if (Status s = Publish(partial.path(), target); !s.ok()) return s;
  partial.published();
  return Status::Ok();
}

}  // namespace pcshop::tables
