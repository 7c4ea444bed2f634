#pragma once
// Consistent copies of every table into a backup folder (backup_manifest.h
// gives its layout), checked before they get their name, and what is done
// with finished backups: check, list, remove, copy elsewhere.
//
// A backup is built under a hidden temporary name beside its final one
// (".partial-<name>-<process>"), each copy is checked (every page, record count
// against the source), the manifest is written last and the folder is then
// renamed in one step: a folder under its own name is a whole backup, a
// kill at any moment leaves at most a hidden partial folder, removed by the
// next backup once its process is gone.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/status.h"
#include "runtime/tables/backup_manifest.h"

namespace pcshop::tables {

// Where the tables are: a DATA folder of table files, or (server not empty)
// the tables a program whose DATA folder is `data` keeps on that server.
struct BackupSource {
  std::filesystem::path data;
  std::string server;  // libpq connection string; empty for files
};

// Copies every table of `source` into the new folder `target` (its parent
// must exist, `target` must not). On files every table is read from one
// read transaction opened on all of them before the first is copied (SQLite's
// online backup); on the server from one read-only snapshot.
[[nodiscard]] Result<BackupManifest> MakeBackup(const BackupSource& source,
                                                const std::filesystem::path& target,
                                                const std::string& when, const std::string& why);

// Checks every table file of a backup: its pages, that it is a table of the
// store, its record count against the manifest. The error names the file.
[[nodiscard]] Result<BackupManifest> CheckBackup(const std::filesystem::path& backup);

struct ListedBackup {
  std::string name;  // folder name (native, UTF-8)
  BackupManifest manifest;
  int64_t bytes = 0;  // of its table files
};
// The finished backups in `parent`, oldest name first; hidden and
// unfinished folders are left out.
[[nodiscard]] Result<std::vector<ListedBackup>> ListBackups(const std::filesystem::path& parent);

// Removes a finished backup; a folder without a manifest is refused.
[[nodiscard]] Status RemoveBackup(const std::filesystem::path& backup);

// Copies the finished backup `backup` into `destination`/<its name>, under a
// temporary name renamed when whole. The live tables are not touched.
[[nodiscard]] Status CopyBackup(const std::filesystem::path& backup,
                                const std::filesystem::path& destination);

// Hidden name this process builds a folder under before it gets `final_path`.
std::filesystem::path PartialNameOf(const std::filesystem::path& final_path);

}  // namespace pcshop::tables
