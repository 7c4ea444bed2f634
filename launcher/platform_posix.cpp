// The launcher's platform on Linux: /proc/self/exe, pread, a private
// temporary directory, write-then-rename, dlopen, and a Qt message box.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "launcher/platform.h"

namespace pcshop::launcher {
namespace {

class PosixFile final : public ReadableFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  std::optional<uint64_t> Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0 || st.st_size < 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
  }

  bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
    size_t done = 0;
    while (done < out.size()) {
      const ssize_t n =
          ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;  // an error, or the file ends first
      done += static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
};

// An environment variable that names an absolute path, or nullptr.
const char* AbsolutePathFromEnv(const char* name) {
  const char* v = std::getenv(name);
  return (v != nullptr && v[0] == '/') ? v : nullptr;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// A real directory (lstat: a link does not count) owned by us.
bool IsOwnRealDirectory(const std::string& path, struct stat* st) {
  return ::lstat(path.c_str(), st) == 0 && S_ISDIR(st->st_mode) && st->st_uid == ::geteuid();
}

bool HasDisplay() {
  const auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && v[0] != '\0';
  };
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  const bool offscreen = qpa != nullptr && std::string(qpa) == "offscreen";
  return (set("DISPLAY") || set("WAYLAND_DISPLAY")) && !offscreen;
}

// The message is already on standard error when the box is tried, as the
// one line the launcher writes there: Qt's own remarks are dropped. If Qt
// cannot reach the display it ends with a fatal message, and the launcher
// then exits with its failure code instead of aborting.
void QuietUnlessFatal(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type == QtFatalMsg) ::_exit(1);  // the launcher's failure code
}

void ShowErrorBox(std::string_view message) {
  static int argc = 1;
  static char name[] = "pcshop";
  static char* argv[] = {name, nullptr};
  qInstallMessageHandler(&QuietUnlessFatal);
  QApplication app(argc, argv);
  QMessageBox::critical(nullptr, QStringLiteral("Error"),
                        QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFile>(fd);
  }

  std::optional<std::string> PrivateTempDirectory() override {
    std::string dir;
    if (const char* runtime_dir = AbsolutePathFromEnv("XDG_RUNTIME_DIR")) {
      dir = WithoutTrailingSlashes(runtime_dir);
    } else {
      const char* tmp = AbsolutePathFromEnv("TMPDIR");
      dir = WithoutTrailingSlashes(tmp != nullptr ? tmp : "/tmp");
      if (dir != "/") dir += '/';
      dir += "pcshop-" + std::to_string(::geteuid());
      ::mkdir(dir.c_str(), 0700);  // an existing one is checked below like any other
    }
    struct stat st;
    if (!IsOwnRealDirectory(dir, &st) || (st.st_mode & 077) != 0) return std::nullopt;
    if (dir != "/") dir += '/';
    return dir;
  }

  bool MakePrivateFolder(const std::string& path) override {
    const std::string dir = WithoutTrailingSlashes(path);
    ::mkdir(dir.c_str(), 0700);
    struct stat st;
    return IsOwnRealDirectory(dir, &st);
  }

  bool WriteFileReplacing(const std::string& path, std::span<const uint8_t> data) override {
    const size_t slash = path.rfind('/');
    std::string temp =
        (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".pcshop-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0700) == 0;
    size_t done = 0;
    while (ok && done < data.size()) {
      const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0)
        ok = false;
      else
        done += static_cast<size_t>(n);
    }
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
  }

  void* OpenLibrary(const std::string& path) override {
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  }

  void* FindFunction(void* library, const char* name) override { return ::dlsym(library, name); }

  void ShowError(std::string_view message) override {
    std::string line(message);
    line += '\n';
    size_t done = 0;
    while (done < line.size()) {
      const ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    if (HasDisplay()) ShowErrorBox(message);
  }

  char PathSeparator() const override { return '/'; }
};

}  // namespace

Platform& DefaultPlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace pcshop::launcher
