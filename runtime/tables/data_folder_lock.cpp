#include "runtime/tables/data_folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace pcshop::tables {
namespace {

// Beside DATA, not in it: a restore renames the folder, and the lock must
// stay with the name every copy opens.
std::filesystem::path LockFileOf(const std::filesystem::path& data_in) {
  const std::filesystem::path data = data_in.has_filename() ? data_in : data_in.parent_path();
  return data.parent_path() / ("." + data.filename().string() + ".lock");
}

int Flock(int fd, int operation) {
  int rc = 0;
  do {
    rc = ::flock(fd, operation);
  } while (rc != 0 && errno == EINTR);
  return rc;
}

}  // namespace

DataFolderLock::DataFolderLock(const std::filesystem::path& data) {
  const std::filesystem::path file = LockFileOf(data);
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  if (Flock(fd, LOCK_SH) != 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
}

DataFolderLock::~DataFolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

DataFolderLock::DataFolderLock(DataFolderLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

DataFolderLock& DataFolderLock::operator=(DataFolderLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool DataFolderLock::TakeAlone() {
  if (fd_ < 0 || Flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
  // A conversion that fails may have let go of the shared lock on the way.
  (void)Flock(fd_, LOCK_SH);
  return false;
}

void DataFolderLock::ShareAgain() {
  if (fd_ >= 0) (void)Flock(fd_, LOCK_SH);
}

bool DataFolderLock::OthersUseIt() {
  const bool alone = TakeAlone();
  ShareAgain();
  return !alone;
}

}  // namespace pcshop::tables
