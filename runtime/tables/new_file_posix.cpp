#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/tables/new_file.h"

namespace pcshop::tables {
namespace {

// What SQLite may leave beside a table file: its log, shared memory, journal.
constexpr const char* kSideFileSuffixes[] = {"-wal", "-shm", "-journal"};

void RemoveSideFiles(const std::filesystem::path& file) {
  for (const char* suffix : kSideFileSuffixes) ::unlink((file.string() + suffix).c_str());
}

Status Errno(const std::filesystem::path& file, const char* what, int err) {
  return Status::IOError(file.string() + ": " + what + ": " + std::strerror(err));
}

Status SyncPath(const std::filesystem::path& p, int flags) {
  const int fd = ::open(p.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return Errno(p, "opening to sync", errno);
  const int rc = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  if (rc != 0) return Errno(p, "syncing", err);
  return Status::Ok();
}

}  // namespace

Status SyncFolderOf(const std::filesystem::path& file) {
  const std::filesystem::path dir = file.parent_path();
  return SyncPath(dir.empty() ? std::filesystem::path(".") : dir, O_RDONLY | O_DIRECTORY);
}

Status SyncFolder(const std::filesystem::path& folder) {
  return SyncPath(folder, O_RDONLY | O_DIRECTORY);
}

Result<TemporaryFile> TemporaryFile::CreateBeside(const std::filesystem::path& final_path) {
  std::filesystem::path dir = final_path.parent_path();
  if (dir.empty()) dir = ".";
  std::string pattern = (dir / ("." + final_path.filename().string() + ".XXXXXX")).string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  const int fd = ::mkstemp(buf.data());
  if (fd < 0) return Errno(final_path, "creating a temporary file beside it", errno);
  ::close(fd);
  return TemporaryFile(std::filesystem::path(buf.data()));
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept : path_(std::move(other.path_)) {
  other.path_.clear();
}

TemporaryFile::~TemporaryFile() {
  if (path_.empty()) return;
  // SQLite may have left its side files while building the table.
  ::unlink(path_.c_str());
  RemoveSideFiles(path_);
}

Status TemporaryFile::Publish(const std::filesystem::path& final_path) {
  if (Status s = SyncPath(path_, O_RDONLY); !s.ok()) return s;
  // link() fails with EEXIST instead of replacing, unlike rename().
  if (::link(path_.c_str(), final_path.c_str()) != 0) {
    const int err = errno;
    if (err == EEXIST) {
      return Status::InvalidArgument(final_path.string() +
                                     ": a file already exists there; it is left as it is");
    }
    if (err != EPERM && err != ENOTSUP) return Errno(final_path, "naming the new table", err);
    // File systems without hard links: rename without replacing.
    if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, final_path.c_str(), RENAME_NOREPLACE) !=
        0) {
      const int err2 = errno;
      if (err2 == EEXIST) {
        return Status::InvalidArgument(final_path.string() +
                                       ": a file already exists there; it is left as it is");
      }
      return Errno(final_path, "naming the new table", err2);
    }
  } else {
    ::unlink(path_.c_str());
  }
  path_.clear();
  return SyncFolderOf(final_path);
}

Status TemporaryFile::Replace(const std::filesystem::path& final_path) {
  if (Status s = SyncPath(path_, O_RDONLY); !s.ok()) return s;
  for (const char* suffix : kSideFileSuffixes) {
    const std::string side = final_path.string() + suffix;
    if (::unlink(side.c_str()) != 0 && errno != ENOENT) {
      return Errno(side, "removing the old table's side file", errno);
    }
  }
  if (::rename(path_.c_str(), final_path.c_str()) != 0) {
    return Errno(final_path, "replacing the table file", errno);
  }
  RemoveSideFiles(path_);
  path_.clear();
  return SyncFolderOf(final_path);
}

}  // namespace pcshop::tables
