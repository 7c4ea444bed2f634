// POSIX side of the file layer: NativeFile and the executable's own path.
// A Win32 build replaces this one file.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "runtime/files/native_file.h"
#include "runtime/files/program_folder.h"

namespace pcshop::files {
namespace {

std::string Reason(int err) { return std::strerror(err); }

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

int OpenFlags(FileAccess access) {
  switch (access) {
    case FileAccess::kReadExisting: return O_RDONLY;
    case FileAccess::kAppend: return O_WRONLY | O_CREAT | O_APPEND;
    case FileAccess::kReplace: return O_WRONLY | O_CREAT | O_TRUNC;
    case FileAccess::kCreateNew: return O_WRONLY | O_CREAT | O_EXCL;
  }
  return O_RDONLY;
}

}  // namespace

Result<NativeFile> NativeFile::Open(const std::filesystem::path& path, FileAccess access) {
  int fd = -1;
  do {
    fd = ::open(path.c_str(), OpenFlags(access) | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Status::IOError("cannot open " + path.string() + ": " + Reason(errno));
  // A folder opens read-only on POSIX; as a text file it is still refused.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Status::IOError("cannot open " + path.string() + ": is a directory");
  }
  return NativeFile(fd, path);
}

NativeFile::NativeFile(NativeFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kClosed)), path_(std::move(other.path_)) {}

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
  if (this != &other) {
    if (is_open()) ::close(Descriptor(handle_));
    handle_ = std::exchange(other.handle_, kClosed);
    path_ = std::move(other.path_);
  }
  return *this;
}

NativeFile::~NativeFile() {
  if (is_open()) ::close(Descriptor(handle_));
}

Result<size_t> NativeFile::Read(char* buffer, size_t size) {
  if (!is_open()) return Status::InvalidArgument("read from a closed file");
  for (;;) {
    const ssize_t n = ::read(Descriptor(handle_), buffer, size);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno != EINTR) return Status::IOError("cannot read " + path_.string() + ": " + Reason(errno));
  }
}

Status NativeFile::Write(std::string_view bytes) {
  if (!is_open()) return Status::InvalidArgument("write to a closed file");
  while (!bytes.empty()) {
    const ssize_t n = ::write(Descriptor(handle_), bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return Status::IOError("cannot write " + path_.string() + ": " + Reason(errno));
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return Status::Ok();
}

Result<int64_t> NativeFile::Seek(int64_t offset, SeekOrigin origin) {
  if (!is_open()) return Status::InvalidArgument("seek in a closed file");
  const int whence = origin == SeekOrigin::kStart ? SEEK_SET
                     : origin == SeekOrigin::kCurrent ? SEEK_CUR
                                                      : SEEK_END;
  const off_t pos = ::lseek(Descriptor(handle_), static_cast<off_t>(offset), whence);
  if (pos < 0) return Status::IOError("cannot seek in " + path_.string() + ": " + Reason(errno));
  return static_cast<int64_t>(pos);
}

Status NativeFile::Sync() {
  if (!is_open()) return Status::InvalidArgument("sync of a closed file");
  if (::fsync(Descriptor(handle_)) != 0) {
    return Status::IOError("cannot flush " + path_.string() + " to disk: " + Reason(errno));
  }
  return Status::Ok();
}

Status NativeFile::Close() {
  if (!is_open()) return Status::InvalidArgument("close of a closed file");
  const int fd = Descriptor(std::exchange(handle_, kClosed));
  // POSIX leaves the descriptor closed even when close() fails; never retry.
  if (::close(fd) != 0 && errno != EINTR) {
    return Status::IOError("cannot close " + path_.string() + ": " + Reason(errno));
  }
  return Status::Ok();
}

Result<std::filesystem::path> ExecutablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return Status::IOError("cannot read /proc/self/exe: " + Reason(errno));
    if (static_cast<size_t>(n) < buffer.size()) {
      return std::filesystem::path(std::string(buffer.data(), static_cast<size_t>(n)));
    }
    buffer.resize(buffer.size() * 2);  // the link may have been cut; read again
  }
}

bool FolderWritable(const std::filesystem::path& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace pcshop::files
