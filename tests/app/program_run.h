#pragma once
// Runs the built program as a user would: a copy of it (and of the skin
// library) in a fresh program folder, with its own temporary folder and data
// home, so nothing outside the test's folder is touched.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pcshop::app::testing {

class ProgramRun {
 public:
  // Copies `program` (and `skin` when given) into a fresh folder.
  ProgramRun(const std::filesystem::path& program, const std::filesystem::path& skin);
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;
  // Kills a program still running and removes the folder.
  ~ProgramRun();

  // Starts the copy with `environment` added (NAME=value entries).
  bool Start(const std::vector<std::string>& environment);
  // Waits until `done` holds or the time runs out; true when it held.
  template <typename Done>
  bool WaitFor(Done done, std::chrono::milliseconds limit = std::chrono::seconds(30));
  // The exit code once the program ended within `limit`; nullopt when it did
  // not end or ended by a signal.
  std::optional<int> WaitForExit(std::chrono::milliseconds limit);
  void Kill();
  // Asks the program to end (SIGTERM), as the session does at log-out.
  void Terminate();
  bool Running();

  const std::filesystem::path& program_folder() const { return program_folder_; }
  std::filesystem::path data_folder() const { return program_folder_ / "DATA"; }
  const std::filesystem::path& root() const { return root_; }
  pid_t pid() const { return pid_; }

 private:
  std::filesystem::path root_;
  std::filesystem::path program_folder_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

template <typename Done>
bool ProgramRun::WaitFor(Done done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    if (!Running()) return done();
    struct timespec pause = {0, 20'000'000};
    nanosleep(&pause, nullptr);
  }
  return done();
}

}  // namespace pcshop::app::testing
