#pragma once
// Makes a folder and every file in it immutable for a test's span (chattr +i):
// not even root can write there. Where the file system or the privileges do
// not allow it, ok() is false and nothing stays changed.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace pcshop::tables::testing {

// Sets or clears the immutable flag of `p`.
inline bool SetImmutable(const std::filesystem::path& p, bool on) {
  const int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return done;
}

class ImmutableFolder {
 public:
  explicit ImmutableFolder(const std::filesystem::path& dir) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (!SetImmutable(entry.path(), true)) return;
      done_.push_back(entry.path());
    }
    if (SetImmutable(dir, true)) {
      done_.push_back(dir);
      ok_ = true;
    }
  }
  ImmutableFolder(const ImmutableFolder&) = delete;
  ImmutableFolder& operator=(const ImmutableFolder&) = delete;
  ~ImmutableFolder() {
    for (const std::filesystem::path& p : done_) (void)SetImmutable(p, false);
  }
  bool ok() const { return ok_; }

 private:
  std::vector<std::filesystem::path> done_;
  bool ok_ = false;
};

}  // namespace pcshop::tables::testing
