#include "tests/app/program_run.h"

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace pcshop::app::testing {

namespace fs = std::filesystem;

ProgramRun::ProgramRun(const fs::path& program, const fs::path& skin) {
  std::string pattern = (fs::temp_directory_path() / "pcshop-run-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return;
  root_ = pattern;
  program_folder_ = root_ / "商店";
  std::error_code ec;
  fs::create_directories(program_folder_, ec);
  fs::create_directories(root_ / "tmp", ec);
  fs::create_directories(root_ / "xdg", ec);
  fs::create_directories(root_ / "run", ec);
  fs::permissions(root_ / "run", fs::perms::owner_all, ec);
  fs::copy_file(program, program_folder_ / "pcshop", ec);
  if (!skin.empty()) fs::copy_file(skin, program_folder_ / "SkinMV.dll", ec);
}

ProgramRun::~ProgramRun() {
  Kill();
  std::error_code ec;
  if (!root_.empty()) fs::remove_all(root_, ec);
}

bool ProgramRun::Start(const std::vector<std::string>& environment) {
  std::vector<std::string> env = {"TMPDIR=" + (root_ / "tmp").string(),
                                  "XDG_DATA_HOME=" + (root_ / "xdg").string(),
                                  "XDG_RUNTIME_DIR=" + (root_ / "run").string()};
  env.insert(env.end(), environment.begin(), environment.end());
  // The first entry of a name wins for getenv, so an inherited value must not
  // shadow one given here or above.
  const auto given = [&env](const std::string& entry) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    for (const std::string& e : env) {
      if (e.starts_with(name)) return true;
    }
    return false;
  };
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (!given(entry)) env.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string exe = (program_folder_ / "pcshop").string();
  char* argv[] = {exe.data(), nullptr};
  status_.reset();
  return ::posix_spawn(&pid_, exe.c_str(), nullptr, nullptr, argv, envp.data()) == 0;
}

bool ProgramRun::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  const pid_t r = ::waitpid(pid_, &status, WNOHANG);
  if (r == 0) return true;
  if (r == pid_ && WIFEXITED(status)) status_ = WEXITSTATUS(status);
  pid_ = -1;
  return false;
}

std::optional<int> ProgramRun::WaitForExit(std::chrono::milliseconds limit) {
  WaitFor([this] { return !Running(); }, limit);
  if (Running()) return std::nullopt;
  return status_;
}

void ProgramRun::Terminate() {
  if (Running()) ::kill(pid_, SIGTERM);
}

void ProgramRun::Kill() {
  if (!Running()) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace pcshop::app::testing
