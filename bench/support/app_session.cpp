#include "bench/support/app_session.h"

#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <span>

#include "app/routine_table.h"
#include "image/app_image.h"
#include "runtime/files/program_folder.h"
#include "runtime/kernel/runtime.h"
#include "runtime/tables/server_settings.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::bench {

namespace fs = std::filesystem;

int RunAppSession(int argc, char** argv, const char* name,
                  const std::function<bool(AppSession&)>& body) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const bool ran = RunProgram(name, "", body);
  benchmark::Shutdown();
  return ran ? 0 : 1;
}

bool RunProgram(const char* name, const std::string& server,
                const std::function<bool(AppSession&)>& body) {
  auto exe = files::ExecutablePath();
  if (!exe.ok()) return false;
  const fs::path program = exe->parent_path();
  std::string data_home = (fs::temp_directory_path() / "pcshop-bench-XXXXXX").string();
  if (::mkdtemp(data_home.data()) == nullptr) return false;
  ::setenv("XDG_DATA_HOME", data_home.c_str(), 1);
  std::error_code ec;
  fs::remove_all(program / "DATA", ec);
  const fs::path settings = program / tables::kServerSettingsFile;
  fs::remove(settings, ec);
  if (!server.empty()) std::ofstream(settings) << "server = " << server << "\n";

  // The runtime patches the image in place: a copy, 8-byte aligned.
  const std::span<uint8_t> original = app::AppImage();
  std::vector<uint64_t> words((original.size() + 7) / 8, 0);
  std::memcpy(words.data(), original.data(), original.size());
  const std::span<uint8_t> image(reinterpret_cast<uint8_t*>(words.data()), original.size());

  bool started = false;
  bool ran = false;
  if (app::BindRoutines(image).ok()) {
    kernel::RuntimeOptions options;
    options.end_process = [](int32_t) {};
    kernel::Runtime runtime(std::move(options));
    if (runtime.Load(image).ok()) {
      ui::WindowManager& windows = *runtime.windows();
      ui::Responder responder;
      windows.SetResponder(&responder);
      windows.SetMessageLoop([&] {
        ui::UserActions user(windows);
        AppSession session{program, &user, &responder};
        ran = body(session);
        for (uint32_t id : windows.OpenWindows()) windows.UnloadWindow(id);
        user.ProcessEvents();
      });
      started = runtime.Start().ok();
    }
  }
  fs::remove_all(program / "DATA", ec);
  fs::remove(settings, ec);
  fs::remove_all(data_home, ec);
  if (!started) std::fprintf(stderr, "%s: the program did not start\n", name);
  if (started && !ran) std::fprintf(stderr, "%s: preparing the data failed\n", name);
  return started && ran;
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& r : runs) {
    if (!r.error_occurred && r.run_type == Run::RT_Iteration) {
      times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::PrintRatios() const {
  for (const std::string& walk : walks_) {
    const double program = Find("BM_" + walk + "_Program");
    const double direct = Find("BM_" + walk + "_Direct");
    if (program < 0 || direct <= 0) continue;
    std::printf("%s: program %.1f ms, %s %.1f ms, ratio %.1f\n", walk.c_str(), program,
                floor_label_.c_str(), direct, program / direct);
  }
}

double RatioReporter::Find(const std::string& name) const {
  // Run names carry a "/real_time" suffix.
  for (const auto& [run, time] : times_) {
    if (run == name || run.starts_with(name + "/")) return time;
  }
  return -1;
}

void RatioReporter::PrintTargets(std::initializer_list<std::pair<const char*, double>> targets,
                                 const char* where) const {
  for (const auto& [prefix, target] : targets) {
    const double ms = Find(std::string("BM_") + prefix + where);
    if (ms > 0) std::printf("%s%s: %.1f ms (target under %.0f ms)\n", prefix, where, ms, target);
  }
}

}  // namespace pcshop::bench
