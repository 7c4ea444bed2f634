#include "runtime/tables/table_restore.h"

#include <system_error>

#include "runtime/files/file_copy.h"
#include "runtime/tables/backup_manifest.h"
#include "runtime/tables/new_file.h"
#include "runtime/tables/table_backup.h"
#include "tools/servercopy/server_copy.h"

namespace pcshop::tables {
namespace {

namespace fs = std::filesystem;

fs::path Beside(const fs::path& data, const char* suffix) {
  fs::path d = data;
  if (!d.has_filename()) d = d.parent_path();
  return d.parent_path() / (d.filename().string() + suffix);
}

Status FsError(const fs::path& p, const char* what, const std::error_code& ec) {
  return Status::IOError(p.string() + ": " + what + ": " + ec.message());
}

Status Rename(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) return FsError(from, "renaming", ec);
  return SyncFolderOf(to);
}

}  // namespace

Status RestoreIntoFiles(const fs::path& backup, const fs::path& data_in) {
  const fs::path data = data_in.has_filename() ? data_in : data_in.parent_path();
  auto manifest = CheckBackup(backup);
  if (!manifest.ok()) return manifest.status();
  if (Status s = RecoverDataFolder(data); !s.ok()) return s;

  const fs::path partial = Beside(data, ".restore-partial");
  const fs::path whole = Beside(data, ".restore");
  const fs::path old = Beside(data, ".old");
  std::error_code ec;
  fs::create_directories(partial, ec);
  if (ec) return FsError(partial, "making the folder", ec);
  for (const BackupTable& t : manifest->tables) {
    if (Status s = files::CopyFileAtomically(backup / kBackupDataFolder / t.file, partial / t.file,
                                             false);
        !s.ok()) {
      fs::remove_all(partial, ec);
      return s;
    }
  }
  if (Status s = SyncFolder(partial); !s.ok()) return s;
  if (Status s = Rename(partial, whole); !s.ok()) return s;
  // From here on the new set is whole: start-up recovery puts it in place.
  if (fs::exists(data, ec)) {
    if (Status s = Rename(data, old); !s.ok()) return s;
  }
  if (Status s = Rename(whole, data); !s.ok()) return s;
  fs::remove_all(old, ec);
  return Status::Ok();
}

Status RestoreIntoServer(const fs::path& backup, const std::string& server) {
  auto manifest = CheckBackup(backup);
  if (!manifest.ok()) return manifest.status();
  servercopy::CopyOptions options;
  options.replace = true;
  auto copied = servercopy::CopyToServer(backup / kBackupDataFolder, server, options);
  return copied.status();
}

Status RecoverDataFolder(const fs::path& data_in) {
  const fs::path data = data_in.has_filename() ? data_in : data_in.parent_path();
  const fs::path partial = Beside(data, ".restore-partial");
  const fs::path whole = Beside(data, ".restore");
  const fs::path old = Beside(data, ".old");
  std::error_code ec;
  fs::remove_all(partial, ec);
  if (fs::exists(whole, ec)) {
    if (fs::exists(data, ec)) {
      // Cut short before the swap: the new set is whole and the user asked
      // for it, so the swap is finished rather than undone.
      if (Status s = Rename(data, old); !s.ok()) return s;
    }
    if (Status s = Rename(whole, data); !s.ok()) return s;
  }
  fs::remove_all(old, ec);
  return Status::Ok();
}

}  // namespace pcshop::tables
