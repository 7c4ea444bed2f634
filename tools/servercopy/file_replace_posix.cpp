#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/servercopy/file_replace.h"

namespace pcshop::servercopy {
namespace {

Status Errno(const std::filesystem::path& p, const char* what, int err) {
  return Status::IOError(p.string() + ": " + what + ": " + std::strerror(err));
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

Status ReplaceTableFile(const std::filesystem::path& temp, const std::filesystem::path& target) {
  if (Status s = SyncPath(temp, O_RDONLY); !s.ok()) return s;
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    const std::string side = target.string() + suffix;
    if (::unlink(side.c_str()) != 0 && errno != ENOENT) {
      return Errno(side, "removing the old table's side file", errno);
    }
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    return Errno(target, "replacing the table file", errno);
  }
  std::filesystem::path dir = target.parent_path();
  return SyncPath(dir.empty() ? std::filesystem::path(".") : dir, O_RDONLY | O_DIRECTORY);
}

}  // namespace pcshop::servercopy
