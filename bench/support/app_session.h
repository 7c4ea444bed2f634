#pragma once
// What the application benchmarks share: one run of the real image on the
// runtime in process, offscreen, and a reporter that prints each walk's
// program time next to its floor.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"

namespace pcshop::bench {

struct AppSession {
  std::filesystem::path program;  // the program folder: the benchmark's own folder
  ui::UserActions* user = nullptr;
  ui::Responder* responder = nullptr;
};

// Initializes Google Benchmark from the command line, clears the program
// folder's DATA, points XDG_DATA_HOME at a fresh folder, starts the image
// and calls `body` with the quote window open. `body` registers and runs its
// benchmarks and returns whether it could. Everything is cleaned up after;
// the result is the process's exit code.
int RunAppSession(int argc, char** argv, const char* name,
                  const std::function<bool(AppSession&)>& body);

// One start of the image as RunAppSession does it, Google Benchmark already
// initialized; with `server` (a libpq connection string) not empty the
// program keeps its tables there (pcshop-server.conf in the program folder,
// removed after). False when the program could not run or `body` failed.
bool RunProgram(const char* name, const std::string& server,
                const std::function<bool(AppSession&)>& body);

// Registers BM_<walk>_Program and BM_<walk>_Direct, the names RatioReporter
// pairs, timed in real milliseconds.
template <typename Context>
void RegisterWalk(const std::string& walk, void (*program)(benchmark::State&, Context&),
                  void (*direct)(benchmark::State&, Context&), Context& ctx) {
  benchmark::RegisterBenchmark(("BM_" + walk + "_Program").c_str(), program, std::ref(ctx))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(("BM_" + walk + "_Direct").c_str(), direct, std::ref(ctx))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

// Prints the runs as usual; PrintRatios then prints, for each walk W, the
// times of BM_W_Program and BM_W_Direct and their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter(std::vector<std::string> walks, std::string floor_label)
      : walks_(std::move(walks)), floor_label_(std::move(floor_label)) {}
  void ReportRuns(const std::vector<Run>& runs) override;
  void PrintRatios() const;
  // The real time of the run `name` (its "/real_time" suffix left out), or
  // -1 when it did not run.
  double Find(const std::string& name) const;
  // For each {prefix, target}: "<prefix><where>: <ms> ms (target under ..)"
  // of the run BM_<prefix><where>, when it ran.
  void PrintTargets(std::initializer_list<std::pair<const char*, double>> targets,
                    const char* where) const;

 private:
  std::vector<std::string> walks_;
  std::string floor_label_;
  std::map<std::string, double> times_;
};

}  // namespace pcshop::bench
