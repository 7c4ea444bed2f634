#pragma once
// Helpers for the launcher tests: a fresh folder per test, the bytes of the
// built launcher and test kernels, programs made of the launcher and a
// crafted package, and running such a program as a child process.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "launcher/package_writer.h"

namespace pcshop::launcher::testing {

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::span<const uint8_t> data);
std::vector<uint8_t> Bytes(std::string_view text);
bool Exists(const std::string& path);

// The built files the tests use (paths come from the build).
const std::vector<uint8_t>& LauncherBytes();
const std::vector<uint8_t>& RecordingKernel();  // records what it receives
const std::vector<uint8_t>& NoExportKernel();   // has no GetRuntimeEntry
const std::vector<uint8_t>& NullEntryKernel();  // GetRuntimeEntry returns null

// payload + trailer, as the launcher expects them at the end of its file.
std::vector<uint8_t> Tail(std::span<const uint8_t> payload);
// A package that extracts `files` into `folder` (or the id's folder when empty).
std::vector<uint8_t> PackageTail(const std::string& folder, std::vector<PackageFile> files,
                                 uint32_t folder_id = 0);
// A package whose unpacked data is exactly `unpacked` (unchecked entries).
std::vector<uint8_t> RawPackageTail(const std::string& folder, std::span<const uint8_t> unpacked,
                                    std::optional<uint32_t> declared_size = std::nullopt);

struct ChildResult {
  int exit_code = -1;  // 128 + signal when killed by one
  std::string stderr_text;
};

// A fresh folder for each test: run/ (mode 0700) is the child's
// XDG_RUNTIME_DIR, tmp/ its TMPDIR, cache/ (not made beforehand) its
// XDG_CACHE_HOME, kernel.log the recording kernel's log.
class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A copy of the built launcher with `tail` appended, made executable.
  std::string MakeProgram(std::span<const uint8_t> tail);

  // Runs `program` with DISPLAY and WAYLAND_DISPLAY unset and the folders
  // above; `env` adds or replaces variables (an empty value unsets one).
  ChildResult Run(const std::string& program, const std::map<std::string, std::string>& env = {},
                  std::optional<uint64_t> address_space_limit = std::nullopt);

  // Starts `program` once per entry of `envs` (each as Run's `env`), all
  // released at the same moment, and waits for every one.
  std::vector<ChildResult> RunTogether(const std::string& program,
                                       const std::vector<std::map<std::string, std::string>>& envs);

  // The recording kernel's log as key -> value (the last value of a key).
  std::map<std::string, std::string> KernelLog();

  // Files in a folder, sorted, without the launcher's stamp; empty when there
  // is no such folder.
  std::vector<std::string> FilesIn(const std::string& folder);

  std::string root_;
  std::string run_dir_;
  std::string tmp_dir_;
  std::string cache_dir_;
  std::string log_;

 private:
  struct Child {
    int pid = -1;
    int stderr_fd = -1;
  };
  // Forks `program` with Run's environment; with a `go` pipe the child waits
  // for its end of file (every write end closed) before it execs.
  Child Start(const std::string& program, const std::map<std::string, std::string>& env,
              std::optional<uint64_t> address_space_limit, const int* go);
  static ChildResult Finish(Child child);

  int programs_ = 0;
};

}  // namespace pcshop::launcher::testing
