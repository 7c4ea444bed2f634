#pragma once
// Making a new file appear whole: it is built under a temporary name beside
// its final place, synced, and then linked to the final name only if nothing
// is there, or renamed over an old table in one step. The operating-system
// calls of the table store live behind this
// header (new_file_posix.cpp).

#include <filesystem>

#include "base/status.h"

namespace pcshop::tables {

// The folder of `file`, synced so that a name given in it survives a crash.
[[nodiscard]] Status SyncFolderOf(const std::filesystem::path& file);
// The folder itself, synced: the names of its entries survive a crash.
[[nodiscard]] Status SyncFolder(const std::filesystem::path& folder);

// A temporary file that is removed when it goes out of scope unless it was
// published.
class TemporaryFile {
 public:
  // Creates an empty, uniquely named hidden file in the folder of `final_path`.
  static Result<TemporaryFile> CreateBeside(const std::filesystem::path& final_path);

  TemporaryFile(TemporaryFile&& other) noexcept;
  TemporaryFile& operator=(TemporaryFile&&) = delete;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile();

  const std::filesystem::path& path() const { return path_; }

  // Syncs the file, gives it the name `final_path` unless a file of that name
  // exists (then an error, and the existing file is untouched), and syncs the
  // folder so that the new name survives a crash.
  Status Publish(const std::filesystem::path& final_path);

  // Syncs the file, removes the side files SQLite may have left beside the
  // table `final_path` (a log or journal there would be applied to the new
  // file), renames this file over it in one step and syncs the folder.
  Status Replace(const std::filesystem::path& final_path);

 private:
  explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
  std::filesystem::path path_;  // empty once published or moved from
};

}  // namespace pcshop::tables
