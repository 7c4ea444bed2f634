// Process start to the quote window shown, in its two parts, and their sum.
//
//  - BM_LauncherPart/first and /later: what the launcher does before the
//    runtime entry is called, on the real program file (build/pcshop):
//    binding the routines into the image, reading and checking the package,
//    then for "first" (no stamp in the extraction folder) unscrambling and
//    inflating it and writing the packaged files, for "later" proving the
//    files in place unchanged; loading the kernel library and asking it for
//    the entry. After the first iteration the library is already loaded, so
//    the dynamic loader's mapping is left out (as in launcher_bench).
//  - BM_PackageSteps: the launcher's steps of a later start without the
//    binding of the routines, and BM_ReadPackageFloor, opening the program
//    file and reading its package: the floor those steps are compared with.
//  - BM_RuntimePart/first and /later: what the runtime entry does up to the
//    quote window being shown, offscreen: reading the image, creating Qt's
//    application object, building and showing the window, and its creation
//    work (skin, data folder, tables). "first" starts with no data folder and
//    creates the seventeen tables; "later" opens the existing ones. Making a
//    fresh copy of the image for each run is not counted.
// The program folder is this benchmark's own folder; its data folder and skin
// copy are removed at the end. The data home is a temporary folder.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/routine_table.h"
#include "image/app_image.h"
#include "launcher/byte_buffer.h"
#include "launcher/launch.h"
#include "launcher/platform.h"
#include "runtime/files/program_folder.h"
#include "runtime/kernel/runtime.h"
#include "runtime/ui/test_seam.h"
#include "runtime/ui/window_manager.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;

// A fresh, 8-byte aligned copy of the generated image.
struct ImageCopy {
  std::vector<uint64_t> words;
  std::span<uint8_t> bytes;
  ImageCopy() {
    const std::span<uint8_t> image = app::AppImage();
    words.assign((image.size() + 7) / 8, 0);
    std::memcpy(words.data(), image.data(), image.size());
    bytes = {reinterpret_cast<uint8_t*>(words.data()), image.size()};
  }
};

struct Folders {
  fs::path program;
  fs::path temp;
  Folders() {
    program = files::ExecutablePath()->parent_path();
    std::string pattern = (fs::temp_directory_path() / "pcshop-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    temp = pattern;
    fs::create_directories(temp / "xdg");
    fs::create_directories(temp / "run");
    fs::permissions(temp / "run", fs::perms::owner_all);
    ::setenv("XDG_DATA_HOME", (temp / "xdg").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (temp / "run").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fs::copy_file(PCSHOP_SKIN_FILE, program / "SkinMV.dll", fs::copy_options::overwrite_existing);
  }
  ~Folders() {
    std::error_code ec;
    fs::remove_all(program / "DATA", ec);
    fs::remove(program / "SkinMV.dll", ec);
    fs::remove_all(temp, ec);
  }
};

Folders& Shared() {
  static Folders folders;
  return folders;
}

// The real platform, reading the real program file as its own.
class BenchPlatform final : public launcher::Platform {
 public:
  std::string OwnExecutablePath() override { return PCSHOP_PROGRAM_FILE; }
  std::unique_ptr<launcher::ReadableFile> OpenForReading(const std::string& p) override {
    return real_.OpenForReading(p);
  }
  std::unique_ptr<launcher::Folder> PrivateTempDirectory() override {
    return real_.PrivateTempDirectory();
  }
  void* FindFunction(void* l, const char* n) override { return real_.FindFunction(l, n); }
  void ShowError(std::string_view) override {}

 private:
  launcher::Platform& real_ = launcher::DefaultPlatform();
};

void BM_LauncherPart(benchmark::State& state, bool first_start) {
  const Folders& folders = Shared();
  BenchPlatform platform;
  for (auto _ : state) {
    state.PauseTiming();
    // A first start finds no stamp and unpacks everything.
    if (first_start) fs::remove(folders.temp / "run" / "pcshop" / ".pcshop-unpacked");
    ImageCopy image;
    state.ResumeTiming();
    if (!app::BindRoutines(image.bytes).ok() || !launcher::PrepareRuntime(platform).ok()) {
      state.SkipWithError("the launcher's steps failed");
      break;
    }
  }
}

// The launcher's own steps alone, without binding the routines: what the
// floor below is compared with.
void BM_PackageSteps(benchmark::State& state) {
  Shared();
  BenchPlatform platform;
  for (auto _ : state) {
    if (!launcher::PrepareRuntime(platform).ok()) {
      state.SkipWithError("the launcher's steps failed");
      break;
    }
  }
}

// Opening the program file and reading its package (trailer and payload)
// into a fresh buffer: what no start can do without.
void BM_ReadPackageFloor(benchmark::State& state) {
  launcher::Platform& platform = launcher::DefaultPlatform();
  for (auto _ : state) {
    std::unique_ptr<launcher::ReadableFile> file = platform.OpenForReading(PCSHOP_PROGRAM_FILE);
    const std::optional<uint64_t> size = file ? file->Size() : std::nullopt;
    uint8_t trailer[8];
    if (!size || *size < 8 || !file->ReadAt(*size - 8, trailer)) {
      state.SkipWithError("cannot read the program file");
      break;
    }
    uint32_t payload_size = 0;
    std::memcpy(&payload_size, trailer, 4);
    std::optional<launcher::ByteBuffer> payload = launcher::ByteBuffer::Allocate(payload_size);
    if (!payload || payload_size > *size - 8 ||
        !file->ReadAt(*size - 8 - payload_size, payload->span())) {
      state.SkipWithError("cannot read the package");
      break;
    }
    benchmark::DoNotOptimize(payload->data());
  }
}

void BM_RuntimePart(benchmark::State& state, bool first_start) {
  const Folders& folders = Shared();
  for (auto _ : state) {
    state.PauseTiming();
    if (first_start) fs::remove_all(folders.program / "DATA");
    ImageCopy image;
    if (!app::BindRoutines(image.bytes).ok()) std::abort();
    bool shown = false;
    state.ResumeTiming();
    {
      kernel::RuntimeOptions options;
      options.end_process = [](int32_t) {};
      kernel::Runtime runtime(std::move(options));
      if (!runtime.Load(image.bytes).ok()) std::abort();
      ui::WindowManager& windows = *runtime.windows();
      windows.SetMessageLoop([&] {
        ui::UserActions user(windows);
        user.ProcessEvents();  // the first paint
        shown = user.Visible("窗口配置单", "按钮退出");
        state.PauseTiming();  // the end of the run is not part of the start
        for (uint32_t id : windows.OpenWindows()) windows.UnloadWindow(id);
      });
      if (!runtime.Start().ok()) std::abort();
    }
    state.ResumeTiming();
    if (!shown) {
      state.SkipWithError("the quote window was not shown");
      break;
    }
  }
}

BENCHMARK(BM_ReadPackageFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PackageSteps)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LauncherPart, first, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LauncherPart, later, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_RuntimePart, first, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_RuntimePart, later, false)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the runs as usual, then the sum of the two parts for each start.
class SumReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      const bool usable = r.run_type == Run::RT_Iteration || r.aggregate_name == "mean";
      if (usable && !r.error_occurred) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintSums() const {
    for (const char* start : {"first", "later"}) {
      const double launcher = Find(std::string("BM_LauncherPart/") + start);
      const double runtime = Find(std::string("BM_RuntimePart/") + start);
      if (launcher < 0 || runtime < 0) continue;
      std::printf("%s start: launcher %.1f ms + runtime %.1f ms = %.1f ms to the quote window\n",
                  start, launcher, runtime, launcher + runtime);
    }
    const double floor = Find("BM_ReadPackageFloor");
    const double steps = Find("BM_PackageSteps");
    if (floor > 0 && steps >= 0) {
      std::printf("later start: the launcher's package steps %.3f ms, reading the package "
                  "alone %.3f ms: ratio %.2f\n", steps, floor, steps / floor);
    }
  }

 private:
  double Find(const std::string& prefix) const {
    for (const auto& [name, time] : times_) {
      if (name.starts_with(prefix)) return time;
    }
    return -1;
  }
  std::map<std::string, double> times_;
};

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  pcshop::SumReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSums();
  benchmark::Shutdown();
  return 0;
}
