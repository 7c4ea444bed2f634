// The pinyin code of a three-character name (the initials walk the customer
// window does on every key), measured three ways:
//
//  - BM_FirstCode_FreshProcess: the first code of a run. Each iteration starts
//    this program again as a child (so no library cache is warm), which
//    creates a reader, reads the code once and reports the time it took; the
//    process start itself is not counted.
//  - BM_FirstCode_FreshReader: a new reader for every code, in this process;
//    whatever a library keeps process-wide stays warm after the first run.
//  - BM_LaterCode: one reader kept for the whole run, as the runtime keeps it.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/text/gbk_codec.h"
#include "runtime/text/pinyin.h"

extern char** environ;

namespace pcshop {
namespace {

constexpr char kChildFlag[] = "--first-code-child";
constexpr char kName[] = "张小明";
constexpr char kCode[] = "zxm";

std::string NameGbk() {
  return text::Utf8ToGbk(kName).value();
}

// The child's part: one reader, one code; prints the nanoseconds it took, or
// nothing when the code is not the expected one.
int FirstCodeChild() {
  const std::string name = NameGbk();
  const auto start = std::chrono::steady_clock::now();
  auto reader = text::PinyinReader::Create();
  if (!reader.ok()) return 1;
  const std::string code = text::PinyinInitials(*reader, name);
  const auto took = std::chrono::steady_clock::now() - start;
  if (code != kCode) return 1;
  std::printf("%lld\n", static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(took).count()));
  return 0;
}

// Runs this program as a child and returns the seconds it reported, or a
// negative number when it failed.
double RunFirstCodeChild(const char* self) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  char* const argv[] = {const_cast<char*>(self), const_cast<char*>(kChildFlag), nullptr};
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, self, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  std::string out;
  char buffer[64];
  for (ssize_t n; spawned == 0 && (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
    out.append(buffer, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  if (spawned != 0) return -1;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      out.empty()) {
    return -1;
  }
  return std::stod(out) * 1e-9;
}

void BM_FirstCode_FreshProcess(benchmark::State& state, const char* self) {
  for (auto _ : state) {
    const double seconds = RunFirstCodeChild(self);
    if (seconds < 0) {
      state.SkipWithError("the child process gave no code");
      break;
    }
    state.SetIterationTime(seconds);
  }
}

void BM_FirstCode_FreshReader(benchmark::State& state) {
  const std::string name = NameGbk();
  for (auto _ : state) {
    auto reader = text::PinyinReader::Create();
    if (!reader.ok()) {
      state.SkipWithError(reader.status().ToString().c_str());
      break;
    }
    benchmark::DoNotOptimize(text::PinyinInitials(*reader, name));
  }
}

void BM_LaterCode(benchmark::State& state) {
  const std::string name = NameGbk();
  auto reader = text::PinyinReader::Create();
  if (!reader.ok()) {
    state.SkipWithError(reader.status().ToString().c_str());
    return;
  }
  benchmark::DoNotOptimize(text::PinyinInitials(*reader, name));
  for (auto _ : state) benchmark::DoNotOptimize(text::PinyinInitials(*reader, name));
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  if (argc == 2 && std::strcmp(argv[1], kChildFlag) == 0) return FirstCodeChild();
  benchmark::Initialize(&argc, argv);
  // The fresh-process runs come first, before this process has read anything.
  benchmark::RegisterBenchmark("BM_FirstCode_FreshProcess", BM_FirstCode_FreshProcess,
                               "/proc/self/exe")
      ->UseManualTime()
      ->Iterations(20)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_FirstCode_FreshReader", BM_FirstCode_FreshReader)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_LaterCode", BM_LaterCode)->Unit(benchmark::kMicrosecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
