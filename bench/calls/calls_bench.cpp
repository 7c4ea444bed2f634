// ReadField through the call interface (facade, counted call, entry point,
// dispatch, the text copied into a runtime block and freed) against the same
// read on the TableStore. Prints interface / direct; the target is 1.5x.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "image/calls/calls.h"
#include "kernel_test_image.h"
#include "runtime/files/native_path.h"

namespace pcshop::kernel::testing {
namespace {

void NoOp(const calls::RoutineCall&) {}

// A loaded runtime with one open table of 100 records, on record 50.
struct Workspace {
  Workspace() {
    image::ImageModel model = SmallModel();
    SetSlot(model, kEntrySlot, reinterpret_cast<uintptr_t>(&NoOp));
    image = std::make_unique<ImageBuffer>(Write(model));
    if (!rt.runtime().Load(image->bytes()).ok()) std::abort();
    calls.emplace(rt.runtime().code());
    std::string pattern = (std::filesystem::temp_directory_path() / "calls_bench.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    dir = pattern;
    const std::string path = *files::ToTextPath(dir / "goods.zdb");
    const calls::FieldRecord fields[] = {{"name", 10, 20}, {"price", 3, 20}};
    if (!calls->CreateTable(path.c_str(), fields) || !calls->OpenTable(path.c_str(), "goods")) {
      std::abort();
    }
    for (int i = 0; i < 100; ++i) {
      const std::string name = "product " + std::to_string(i);
      const calls::ValueTriple values[] = {calls::Text(name.c_str()), calls::Int(i)};
      if (!calls->AppendRecord(values)) std::abort();
    }
    if (!calls->GoToRecord(50)) std::abort();
  }
  ~Workspace() { std::filesystem::remove_all(dir); }

  RecordingRuntime rt;
  std::unique_ptr<ImageBuffer> image;
  std::optional<calls::Calls> calls;
  std::filesystem::path dir;
};

void ReadFieldInterface(benchmark::State& state, Workspace* ws) {
  for (auto _ : state) {
    calls::OwnedText name = ws->calls->ReadFieldText("name", {1, 1});
    benchmark::DoNotOptimize(name.c_str());
    benchmark::DoNotOptimize(ws->calls->ReadFieldInt("price", {1, 2}));
  }
}

void ReadFieldDirect(benchmark::State& state, Workspace* ws) {
  tables::TableStore& store = ws->rt.runtime().tables();
  for (auto _ : state) {
    Result<tables::FieldValue> name = store.ReadField("name");
    benchmark::DoNotOptimize(name);
    Result<tables::FieldValue> price = store.ReadField("price");
    benchmark::DoNotOptimize(price);
  }
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (!r.error_occurred && r.run_type == Run::RT_Iteration) {
        cpu_[r.benchmark_name()] = r.GetAdjustedCPUTime();
      }
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const double direct = cpu_["ReadField/Direct"];
    if (direct > 0) {
      std::printf("\ninterface / direct (cpu): %.2fx (target at most 1.50x)\n",
                  cpu_["ReadField/Interface"] / direct);
    }
  }

 private:
  std::map<std::string, double> cpu_;
};

}  // namespace
}  // namespace pcshop::kernel::testing

int main(int argc, char** argv) {
  using namespace pcshop::kernel::testing;
  Workspace ws;
  benchmark::RegisterBenchmark("ReadField/Interface", ReadFieldInterface, &ws);
  benchmark::RegisterBenchmark("ReadField/Direct", ReadFieldDirect, &ws);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
