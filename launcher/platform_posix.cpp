// The launcher's platform on Linux: /proc/self/exe, pread, a private
// temporary directory reached through checked folder handles, write-then-
// rename relative to the handle, dlopen of the opened file, and the "Error"
// box both layers share.

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error_box.h"
#include "launcher/platform.h"

namespace pcshop::launcher {
namespace {

// A file descriptor, closed with its owner.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  UniqueFd& operator=(UniqueFd&& o) noexcept {
    if (this != &o) {
      Reset();
      fd_ = o.fd_;
      o.fd_ = -1;
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives up ownership: the descriptor stays open.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now; false when close reports an error.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int fd_ = -1;
};

FileIdentity IdentityOf(const struct stat& st) {
  FileIdentity id;
  id.size = static_cast<uint64_t>(st.st_size);
  id.device = static_cast<uint64_t>(st.st_dev);
  id.file_id = static_cast<uint64_t>(st.st_ino);
  id.change_time = int64_t{st.st_ctim.tv_sec} * 1'000'000'000 + st.st_ctim.tv_nsec;
  id.modified_time = int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
  return id;
}

// A folder handle: it names the folder, follows no link and lets nothing be
// read or written through itself, only relative to it (and fstat).
UniqueFd OpenFolderAt(int parent, const char* name) {
  return UniqueFd(::openat(parent, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// The folder `name` in `parent`, made for the user alone when missing. One
// that another process makes between the look and the make (EEXIST, as when
// two copies start together) is opened like any that was there before: the
// caller checks it on the handle all the same.
UniqueFd OpenOrMakeFolderAt(int parent, const char* name) {
  UniqueFd fd = OpenFolderAt(parent, name);
  if (fd.valid() || errno != ENOENT) return fd;
  if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST) return fd;
  return OpenFolderAt(parent, name);
}

// No one but root and the user can rename, replace or add entries in it:
// owned by one of them, and not writable by group or others unless sticky
// (then others may only remove what they own themselves).
bool IsTrustedFolder(const struct stat& st) {
  if (!S_ISDIR(st.st_mode)) return false;
  if (st.st_uid != 0 && st.st_uid != ::geteuid()) return false;
  return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (st.st_mode & S_ISVTX) != 0;
}

// The user's alone: owned by the user, no access at all for anyone else.
bool IsPrivateFolder(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

// The user's, and no one else may add to it (the enclosing folder is private).
bool IsOwnFolder(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

bool IsOwnFile(const struct stat& st) {
  return S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}

// The folders of an absolute path, empty and "." parts dropped; nullopt for
// a relative path or one with "..".
std::optional<std::vector<std::string>> PathParts(const std::string& path) {
  if (path.empty() || path[0] != '/') return std::nullopt;
  std::vector<std::string> parts;
  size_t at = 0;
  while (at < path.size()) {
    const size_t end = std::min(path.find('/', at), path.size());
    std::string part = path.substr(at, end - at);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") parts.push_back(std::move(part));
    at = end + 1;
  }
  return parts;
}

// `path` opened one folder at a time from the root, every folder on the way
// checked on its own handle (so that what is checked is what is used); a
// link anywhere refuses the path. When `create_last` is set, a missing last
// folder is made for the user alone.
struct OpenedPath {
  UniqueFd fd;
  std::string path;  // as opened, with a trailing '/'
  struct stat st;    // of the last folder
};
std::optional<OpenedPath> OpenTrustedPath(const std::string& path, bool create_last) {
  const std::optional<std::vector<std::string>> parts = PathParts(path);
  if (!parts) return std::nullopt;
  OpenedPath opened{UniqueFd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)), "/", {}};
  struct stat& st = opened.st;
  if (!opened.fd.valid() || ::fstat(opened.fd.get(), &st) != 0 || !IsTrustedFolder(st)) {
    return std::nullopt;
  }
  for (size_t i = 0; i < parts->size(); ++i) {
    const char* name = (*parts)[i].c_str();
    UniqueFd next = create_last && i + 1 == parts->size()
                        ? OpenOrMakeFolderAt(opened.fd.get(), name)
                        : OpenFolderAt(opened.fd.get(), name);
    if (!next.valid() || ::fstat(next.get(), &st) != 0 || !IsTrustedFolder(st)) {
      return std::nullopt;
    }
    opened.fd = std::move(next);
    opened.path += (*parts)[i] + "/";
  }
  return opened;
}

// The folder `name` in the opened folder `parent`, made when missing, and
// checked on its own handle with `accept`.
UniqueFd OpenChildFolder(int parent, const std::string& name, bool (*accept)(const struct stat&)) {
  UniqueFd fd = OpenOrMakeFolderAt(parent, name.c_str());
  struct stat st;
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !accept(st)) return UniqueFd();
  return fd;
}

bool WriteAll(int fd, std::span<const uint8_t> data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

class PosixFile final : public ReadableFile {
 public:
  explicit PosixFile(UniqueFd fd) : fd_(std::move(fd)) {}

  std::optional<uint64_t> Size() override {
    struct stat st;
    if (::fstat(fd_.get(), &st) != 0 || st.st_size < 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
  }

  bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
    size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = ::pread(fd_.get(), out.data() + done, out.size() - done,
                                static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;  // an error, or the file ends first
      done += static_cast<size_t>(n);
    }
    return true;
  }

  std::optional<FileIdentity> Identity() override {
    struct stat st;
    if (::fstat(fd_.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return IdentityOf(st);
  }

 private:
  UniqueFd fd_;
};

// Removes the files in the folder `fd` (folders in it are left: each goes
// with its own handle).
void RemoveFilesIn(int fd) {
  UniqueFd listing(::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listing.valid()) return;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listing.get()), &::closedir);
  if (!dir) return;
  (void)listing.Release();  // closed with the listing
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(dir.get())) {
    const std::string_view name = e->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  for (const std::string& name : names) ::unlinkat(fd, name.c_str(), 0);
}

// Where a folder made for one start alone lies, so that it can go with its
// handle: no later start can find it, and kept it would only fill the disk.
struct Disposal {
  UniqueFd parent;
  std::string name;
};

class PosixFolder final : public Folder {
 public:
  PosixFolder(UniqueFd fd, std::string path, std::optional<Disposal> disposal = std::nullopt)
      : fd_(std::move(fd)), path_(std::move(path)), disposal_(std::move(disposal)) {}
  PosixFolder(const PosixFolder&) = delete;
  PosixFolder& operator=(const PosixFolder&) = delete;

  // A folder for one start alone goes with everything in it. A library
  // loaded from it stays mapped, and the runtime opens nothing here later.
  ~PosixFolder() override {
    if (!disposal_) return;
    RemoveFilesIn(fd_.get());
    ::unlinkat(disposal_->parent.get(), disposal_->name.c_str(), AT_REMOVEDIR);
  }

  const std::string& Path() const override { return path_; }

  std::unique_ptr<Folder> MakePrivateFolder(const std::string& name) override {
    UniqueFd fd = OpenChildFolder(fd_.get(), name, &IsOwnFolder);
    if (!fd.valid()) return nullptr;
    // What is made in a folder for one start alone is for that start alone.
    std::optional<Disposal> disposal;
    if (disposal_) {
      disposal = Disposal{UniqueFd(::fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0)), name};
      if (!disposal->parent.valid()) return nullptr;
    }
    return std::make_unique<PosixFolder>(std::move(fd), path_ + name + "/", std::move(disposal));
  }

  std::optional<FileIdentity> WriteFileReplacing(const std::string& name,
                                                 std::span<const uint8_t> data) override {
    // A fresh temporary name (O_EXCL: never one that is already there).
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string temp;
    UniqueFd fd;
    for (int attempt = 0; attempt < 16 && !fd.valid(); ++attempt) {
      char buf[64];
      std::snprintf(buf, sizeof buf, ".pcshop-%ld-%llx-%d", static_cast<long>(::getpid()),
                    static_cast<unsigned long long>(now), attempt);
      temp = buf;
      fd = UniqueFd(::openat(fd_.get(), temp.c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700));
      if (!fd.valid() && errno != EEXIST) break;
    }
    if (!fd.valid()) return std::nullopt;
    bool ok = ::fchmod(fd.get(), 0700) == 0 && WriteAll(fd.get(), data);
    ok = ok && ::renameat(fd_.get(), temp.c_str(), fd_.get(), name.c_str()) == 0;
    struct stat st;
    // The identity after the rename, which changes the file's change time.
    ok = ok && ::fstat(fd.get(), &st) == 0;
    ok = fd.Close() && ok;
    if (!ok) {
      ::unlinkat(fd_.get(), temp.c_str(), 0);
      return std::nullopt;
    }
    return IdentityOf(st);
  }

  std::optional<FileIdentity> OwnFileIdentity(const std::string& name) override {
    struct stat st;
    if (::fstatat(fd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !IsOwnFile(st)) {
      return std::nullopt;
    }
    return IdentityOf(st);
  }

  std::optional<std::vector<uint8_t>> ReadOwnFile(const std::string& name,
                                                  size_t max_size) override {
    UniqueFd fd(::openat(fd_.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !IsOwnFile(st) ||
        static_cast<uint64_t>(st.st_size) > max_size) {
      return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
    PosixFile file(std::move(fd));
    if (!file.ReadAt(0, bytes)) return std::nullopt;
    return bytes;
  }

  bool RemoveFile(const std::string& name) override {
    return ::unlinkat(fd_.get(), name.c_str(), 0) == 0 || errno == ENOENT;
  }

  void* OpenLibrary(const std::string& name) override {
    // The library is loaded from the file this handle opened, through its
    // descriptor's name, never by a path that could be swapped meanwhile.
    UniqueFd fd(::openat(fd_.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !IsOwnFile(st)) return nullptr;
    // The process's number rather than "self", and the descriptor kept open
    // with the library (never unloaded), so that a debugger can open the
    // file under the loader's name too.
    const std::string via_fd =
        "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(fd.get());
    void* library = ::dlopen(via_fd.c_str(), RTLD_NOW | RTLD_LOCAL);
    // A library this process had already loaded from the same file keeps
    // its first name; only a new one needs the descriptor.
    struct link_map* map = nullptr;
    if (library != nullptr && ::dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr &&
        via_fd == map->l_name) {
      (void)fd.Release();
    }
    return library;
  }

 private:
  UniqueFd fd_;
  std::string path_;
  std::optional<Disposal> disposal_;
};

// An environment variable that names an absolute path, or nullptr.
const char* AbsolutePathFromEnv(const char* name) {
  const char* v = std::getenv(name);
  return (v != nullptr && v[0] == '/') ? v : nullptr;
}

std::unique_ptr<Folder> MakeFolder(UniqueFd fd, std::string path) {
  if (!fd.valid()) return nullptr;
  return std::make_unique<PosixFolder>(std::move(fd), std::move(path));
}

// $XDG_RUNTIME_DIR itself, which the session made for the user alone.
std::unique_ptr<Folder> RuntimeDirCandidate() {
  const char* dir = AbsolutePathFromEnv("XDG_RUNTIME_DIR");
  if (dir == nullptr) return nullptr;
  std::optional<OpenedPath> opened = OpenTrustedPath(dir, false);
  if (!opened || !IsPrivateFolder(opened->st)) return nullptr;
  return MakeFolder(std::move(opened->fd), std::move(opened->path));
}

// "pcshop" in $XDG_CACHE_HOME, or in ~/.cache.
std::unique_ptr<Folder> CacheDirCandidate() {
  std::string cache;
  if (const char* xdg = AbsolutePathFromEnv("XDG_CACHE_HOME")) {
    cache = xdg;
  } else if (const char* home = AbsolutePathFromEnv("HOME")) {
    cache = std::string(home) + "/.cache";
  } else {
    return nullptr;
  }
  std::optional<OpenedPath> opened = OpenTrustedPath(cache, true);
  if (!opened) return nullptr;
  return MakeFolder(OpenChildFolder(opened->fd.get(), "pcshop", &IsPrivateFolder),
                    opened->path + "pcshop/");
}

// "pcshop-<uid>" in $TMPDIR, or in /tmp.
std::unique_ptr<Folder> TempDirCandidate() {
  const char* tmp = AbsolutePathFromEnv("TMPDIR");
  std::optional<OpenedPath> opened = OpenTrustedPath(tmp != nullptr ? tmp : "/tmp", false);
  if (!opened) return nullptr;
  const std::string name = "pcshop-" + std::to_string(::geteuid());
  return MakeFolder(OpenChildFolder(opened->fd.get(), name, &IsPrivateFolder),
                    opened->path + name + "/");
}

// A new folder "pcshop-<uid>.<random>" in $TMPDIR or /tmp, when even
// "pcshop-<uid>" there is refused (someone else made it): a start that
// unpacks afresh every time, but a start. The folder goes when its handle
// does.
std::unique_ptr<Folder> FreshTempDirCandidate() {
  const char* tmp = AbsolutePathFromEnv("TMPDIR");
  std::optional<OpenedPath> opened = OpenTrustedPath(tmp != nullptr ? tmp : "/tmp", false);
  if (!opened) return nullptr;
  for (int attempt = 0; attempt < 16; ++attempt) {
    uint64_t random = 0;
    if (::getrandom(&random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) break;
    char name[64];
    std::snprintf(name, sizeof name, "pcshop-%lu.%012llx", static_cast<unsigned long>(::geteuid()),
                  static_cast<unsigned long long>(random & 0xFFFFFFFFFFFFull));
    // Made here and now, or not used: never one that was already there.
    if (::mkdirat(opened->fd.get(), name, 0700) != 0) {
      if (errno == EEXIST) continue;
      break;
    }
    UniqueFd fd = OpenFolderAt(opened->fd.get(), name);
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !IsPrivateFolder(st)) {
      ::unlinkat(opened->fd.get(), name, AT_REMOVEDIR);
      break;
    }
    std::string path = opened->path + name + "/";
    return std::make_unique<PosixFolder>(std::move(fd), std::move(path),
                                         Disposal{std::move(opened->fd), name});
  }
  return nullptr;
}

class PosixPlatform final : public Platform {
 public:
  std::string OwnExecutablePath() override {
    std::vector<char> buf(256);
    for (;;) {
      const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
      if (n < 0) return {};
      if (static_cast<size_t>(n) < buf.size())
        return std::string(buf.data(), static_cast<size_t>(n));
      buf.resize(buf.size() * 2);
    }
  }

  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return nullptr;
    return std::make_unique<PosixFile>(std::move(fd));
  }

  std::unique_ptr<Folder> PrivateTempDirectory() override {
    // Folders only the user can make come first; a refused one moves on to
    // the next, so that no other user can stop the start by planting one.
    for (auto candidate :
         {&RuntimeDirCandidate, &CacheDirCandidate, &TempDirCandidate, &FreshTempDirCandidate}) {
      if (std::unique_ptr<Folder> folder = candidate()) return folder;
    }
    return nullptr;
  }

  void* FindFunction(void* library, const char* name) override { return ::dlsym(library, name); }

  void ShowError(std::string_view message) override {
    std::string line(message);
    line += '\n';
    (void)WriteAll(STDERR_FILENO, {reinterpret_cast<const uint8_t*>(line.data()), line.size()});
    pcshop::ShowErrorBox(message);
  }
};

}  // namespace

Platform& DefaultPlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace pcshop::launcher
