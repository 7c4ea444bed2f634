// Launcher start to runtime entry with a 4 MiB packaged kernel library,
// against the zlib inflate of the same stream alone (the floor), and their
// ratio in one run.
//
// What is measured, and why it is fair:
//  - BM_LaunchToEntry/first and /later run the launcher's own steps in this process on the
//    real platform: open and read the program file (trailer and payload),
//    check the private temporary directory, unscramble, inflate into a fresh
//    buffer, write the two packaged files under temporary names and rename
//    them, dlopen, GetRuntimeEntry(1000) and the entry. "first" removes the
//    stamp before each run, so that all of it happens; "later" finds its
//    files in place and skips the inflating and writing. Only the own path is
//    redirected to a prepared program file. The library is a real shared
//    object padded to 4 MiB with machine code (this benchmark's own bytes),
//    so it compresses like a real library. After the first iteration dlopen
//    finds the library already loaded under that path, so the figure leaves
//    out the dynamic loader's mapping work (which does not depend on us).
//  - BM_InflateFloor is zlib's uncompress of the very same stream into a
//    buffer allocated and touched once beforehand: the part no launcher can
//    avoid. The ratio says what the launcher adds on top of it.
//  - BM_LauncherProcess runs the built launcher with the same package as a
//    child process, for reference: it adds exec, the dynamic loading of Qt
//    and the C++ runtime, and the real dlopen of the library.
// The files are in the page cache after the first iteration (a warm start,
// as with any program started twice).

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "launcher/launch.h"
#include "launcher/package_writer.h"
#include "launcher/platform.h"

extern char** environ;

namespace pcshop::launcher {
namespace {

// Stands for the module image: the bench kernel does not read it.
alignas(16) const uint8_t kBenchImage[64] = {};

constexpr size_t kLibrarySize = 4u << 20;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Everything the benchmarks share, made once.
struct Fixture {
  std::string root;           // removed at exit
  std::string program;        // image stand-in + package, for the in-process launch
  std::string child_program;  // the real launcher + the same package
  std::vector<uint8_t> stream;
  size_t unpacked_size = 0;

  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pcshop-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root = pattern;
    const std::string run = root + "/run";
    if (::mkdir(run.c_str(), 0700) != 0) std::abort();
    ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);

    std::vector<uint8_t> library = ReadFile(PCSHOP_BENCH_KERNEL_PATH);
    const std::vector<uint8_t> code = ReadFile("/proc/self/exe");
    while (library.size() < kLibrarySize) {
      library.insert(
          library.end(), code.begin(),
          code.begin() + static_cast<long>(std::min(code.size(), kLibrarySize - library.size())));
    }
    PackageContents contents;
    contents.folder = "pcshop-bench";
    contents.key = {0x27, 0x9D, 0x3A, 0x6B};
    contents.files = {{"ctlpk.dll", std::vector<uint8_t>(4096, 0x5A)},
                      {"morva.mlr", std::move(library)}};
    const std::vector<uint8_t> unpacked = EncodeEntries(contents.files);
    unpacked_size = unpacked.size();
    stream = Compress(unpacked);

    Result<std::vector<uint8_t>> payload = BuildPayload(contents);
    if (!payload.ok()) std::abort();
    std::vector<uint8_t> tail = std::move(*payload);
    const auto trailer = EncodeTrailer(static_cast<uint32_t>(tail.size()));
    tail.insert(tail.end(), trailer.begin(), trailer.end());

    program = root + "/program";
    const std::string image(64 * 1024, '\xCC');  // stands for the executable image
    std::ofstream out(program, std::ios::binary);
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
    out.write(reinterpret_cast<const char*>(tail.data()),
              static_cast<std::streamsize>(tail.size()));
    out.close();
    if (!out) std::abort();
    child_program = root + "/pcshop";
    if (!WriteExecutableWithTail(PCSHOP_LAUNCHER_PATH, child_program, tail).ok()) std::abort();
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// The real platform with the own path redirected; faults are kept, not shown.
class BenchPlatform final : public Platform {
 public:
  explicit BenchPlatform(std::string own) : own_(std::move(own)) {}
  std::string OwnExecutablePath() override { return own_; }
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& p) override {
    return real_.OpenForReading(p);
  }
  std::unique_ptr<Folder> PrivateTempDirectory() override {
    return real_.PrivateTempDirectory();
  }
  void* FindFunction(void* l, const char* n) override { return real_.FindFunction(l, n); }
  void ShowError(std::string_view message) override { error = message; }

  std::string error;

 private:
  std::string own_;
  Platform& real_ = DefaultPlatform();
};

void BM_LaunchToEntry(benchmark::State& state, bool first_start) {
  BenchPlatform platform(Shared().program);
  const std::string stamp = Shared().root + "/run/pcshop-bench/.pcshop-unpacked";
  for (auto _ : state) {
    if (first_start) {
      state.PauseTiming();
      std::remove(stamp.c_str());  // no stamp: everything is unpacked
      state.ResumeTiming();
    }
    if (Launch(platform, kBenchImage) != kExitSuccess) {
      state.SkipWithError(platform.error.c_str());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Shared().unpacked_size));
}

void BM_InflateFloor(benchmark::State& state) {
  const Fixture& f = Shared();
  std::vector<uint8_t> out(f.unpacked_size, 1);  // allocated and touched once
  for (auto _ : state) {
    uLongf length = out.size();
    if (uncompress(out.data(), &length, f.stream.data(), static_cast<uLong>(f.stream.size())) !=
        Z_OK) {
      state.SkipWithError("inflate failed");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.unpacked_size));
}

void BM_LauncherProcess(benchmark::State& state) {
  const std::string program = Shared().child_program;
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  for (auto _ : state) {
    pid_t pid;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start the launcher");
      break;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the launcher failed");
      break;
    }
  }
}

BENCHMARK(BM_InflateFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LaunchToEntry, first, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LaunchToEntry, later, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LauncherProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the runs as usual and keeps each one's real time for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      // A plain run, or the mean of repetitions.
      const bool usable = r.run_type == Run::RT_Iteration || r.aggregate_name == "mean";
      if (usable && !r.error_occurred) {
        const std::string name = r.benchmark_name();
        times_[name.substr(0, name.find("/real_time"))] = r.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio() const {
    const auto launch = times_.find("BM_LaunchToEntry/first");
    const auto floor = times_.find("BM_InflateFloor");
    if (launch == times_.end() || floor == times_.end() || floor->second <= 0) return;
    std::printf("\nfirst start: launch to entry %.2f ms, inflate alone %.2f ms: ratio %.2f\n", launch->second,
                floor->second, launch->second / floor->second);
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace
}  // namespace pcshop::launcher

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  pcshop::launcher::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  benchmark::Shutdown();
  return 0;
}
