#include "launcher_test_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "launcher/package_format.h"
#include "launcher/unpack_stamp.h"

extern char** environ;

namespace pcshop::launcher::testing {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, std::span<const uint8_t> data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  out.close();
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

const std::vector<uint8_t>& LauncherBytes() {
  static const std::vector<uint8_t> bytes = ReadBytes(PCSHOP_LAUNCHER_PATH);
  return bytes;
}
const std::vector<uint8_t>& RecordingKernel() {
  static const std::vector<uint8_t> bytes = ReadBytes(PCSHOP_RECORDING_KERNEL_PATH);
  return bytes;
}
const std::vector<uint8_t>& NoExportKernel() {
  static const std::vector<uint8_t> bytes = ReadBytes(PCSHOP_NO_EXPORT_KERNEL_PATH);
  return bytes;
}
const std::vector<uint8_t>& NullEntryKernel() {
  static const std::vector<uint8_t> bytes = ReadBytes(PCSHOP_NULL_ENTRY_KERNEL_PATH);
  return bytes;
}

std::vector<uint8_t> Tail(std::span<const uint8_t> payload) {
  std::vector<uint8_t> tail(payload.begin(), payload.end());
  const auto trailer = EncodeTrailer(static_cast<uint32_t>(payload.size()));
  tail.insert(tail.end(), trailer.begin(), trailer.end());
  return tail;
}

std::vector<uint8_t> PackageTail(const std::string& folder, std::vector<PackageFile> files,
                                 uint32_t folder_id) {
  PackageContents contents;
  contents.folder = folder;
  contents.folder_id = folder_id;
  contents.key = {0x3C, 0xA5, 0x5A, 0xC3};
  contents.files = std::move(files);
  Result<std::vector<uint8_t>> payload = BuildPayload(contents);
  EXPECT_TRUE(payload.ok()) << payload.status().ToString();
  return payload.ok() ? Tail(*payload) : std::vector<uint8_t>{};
}

std::vector<uint8_t> RawPackageTail(const std::string& folder, std::span<const uint8_t> unpacked,
                                    std::optional<uint32_t> declared_size) {
  PayloadFields f;
  f.folder = folder;
  f.key = {0x11, 0x22, 0x33, 0x44};
  f.unpacked_size = declared_size.value_or(static_cast<uint32_t>(unpacked.size()));
  f.stream = Compress(unpacked);
  return Tail(AssemblePayload(f));
}

void LauncherTest::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "pcshop-launcher-test-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  root_ = pattern;
  run_dir_ = root_ + "/run";
  tmp_dir_ = root_ + "/tmp";
  cache_dir_ = root_ + "/cache";
  log_ = root_ + "/kernel.log";
  ASSERT_EQ(::mkdir(run_dir_.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(run_dir_.c_str(), 0700), 0);  // whatever the umask
  ASSERT_EQ(::mkdir(tmp_dir_.c_str(), 0755), 0);
}

void LauncherTest::TearDown() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string LauncherTest::MakeProgram(std::span<const uint8_t> tail) {
  const std::string path = root_ + "/program-" + std::to_string(++programs_);
  std::vector<uint8_t> bytes = LauncherBytes();
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  WriteBytes(path, bytes);
  EXPECT_EQ(::chmod(path.c_str(), 0755), 0);
  return path;
}

ChildResult LauncherTest::Run(const std::string& program,
                              const std::map<std::string, std::string>& env,
                              std::optional<uint64_t> address_space_limit) {
  return Finish(Start(program, env, address_space_limit, nullptr));
}

std::vector<ChildResult> LauncherTest::RunTogether(
    const std::string& program, const std::vector<std::map<std::string, std::string>>& envs) {
  int go[2];
  EXPECT_EQ(::pipe2(go, O_CLOEXEC), 0);
  std::vector<Child> children;
  for (const auto& env : envs) children.push_back(Start(program, env, std::nullopt, go));
  // Closing the only write end releases every child at once.
  ::close(go[1]);
  ::close(go[0]);
  std::vector<ChildResult> results;
  for (const Child& child : children) results.push_back(Finish(child));
  return results;
}

LauncherTest::Child LauncherTest::Start(const std::string& program,
                                        const std::map<std::string, std::string>& env,
                                        std::optional<uint64_t> address_space_limit, const int* go) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view kv = *e;
    const size_t eq = kv.find('=');
    if (eq != std::string_view::npos) vars[std::string(kv.substr(0, eq))] = kv.substr(eq + 1);
  }
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "PCSHOP_TEST_KERNEL_LOG"})
    vars.erase(name);
  vars["XDG_RUNTIME_DIR"] = run_dir_;
  vars["TMPDIR"] = tmp_dir_;
  vars["XDG_CACHE_HOME"] = cache_dir_;
  vars["PCSHOP_TEST_KERNEL_LOG"] = log_;
  for (const auto& [name, value] : env) {
    if (value.empty())
      vars.erase(name);
    else
      vars[name] = value;
  }
  std::vector<std::string> strings;
  for (const auto& [name, value] : vars) strings.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& s : strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::string argv0 = program;
  char* argv[] = {argv0.data(), nullptr};

  int pipe_fds[2];
  EXPECT_EQ(::pipe2(pipe_fds, O_CLOEXEC), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Child: only async-signal-safe calls until exec.
    ::dup2(pipe_fds[1], STDERR_FILENO);
    ::alarm(30);  // survives exec: a launcher stuck in a message box is killed
    if (address_space_limit) {
      struct rlimit limit = {*address_space_limit, *address_space_limit};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    if (go != nullptr) {
      ::close(go[1]);
      char c;
      while (::read(go[0], &c, 1) < 0 && errno == EINTR) {
      }
    }
    ::execve(program.c_str(), argv, envp.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  return Child{pid, pipe_fds[0]};
}

ChildResult LauncherTest::Finish(Child child) {
  ChildResult result;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(child.stderr_fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.stderr_text.append(buf, static_cast<size_t>(n));
  }
  ::close(child.stderr_fd);
  int status = 0;
  while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status))
    result.exit_code = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.exit_code = 128 + WTERMSIG(status);
  return result;
}

std::map<std::string, std::string> LauncherTest::KernelLog() {
  std::map<std::string, std::string> log;
  std::ifstream in(log_);
  std::string line;
  while (std::getline(in, line)) {
    const size_t sp = line.find(' ');
    if (sp != std::string::npos) log[line.substr(0, sp)] = line.substr(sp + 1);
  }
  return log;
}

std::vector<std::string> LauncherTest::FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    if (e.path().filename() != kStampName) names.push_back(e.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace pcshop::launcher::testing
