// 导入 at shop scale, through the real image offscreen: a 5,000-row .xlsx
// price list against a catalogue of 14,000 products. Timed from the user's
// choice until the window shows: the preview (the list read, the catalogue
// read from the tables, every row planned and listed; target under 500 ms),
// and 应用 (planned again against the tables, the backup taken before, the
// log and the writes, the preview shown again; target under 1 s). After
// each 应用, untimed, 撤销上次导入 puts the catalogue back.
//
// With PCSHOP_TEST_SERVER set, the same with every table on that server
// (the data folder copied there by the copy tool), in the same run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/app_session.h"
#include "bench/import/price_list.h"
#include "bench/support/files_then_server.h"
#include "bench/support/table_seed.h"
#include "runtime/ui/test_seam.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;

constexpr char kImport[] = "窗口导入";
constexpr int kPerCategory = 1000;  // 14,000 products
constexpr int kListRows = 5000;
constexpr double kPreviewTargetMs = 500, kApplyTargetMs = 1000;

using bench::Gbk;

std::string ModelOf(int category, int i) {
  return "M" + std::to_string(category) + "-" + std::to_string(i);
}

bool SeedCatalogue(const fs::path& data) {
  const std::string brand = Gbk("七彩虹");
  const std::string remark = Gbk("白色");
  for (int c = 0; c < 14; ++c) {
    const std::string kind = Gbk(bench::kCategories[c]);
    const bool ok = bench::AppendRows(
        data / (std::string(bench::kCategories[c]) + ".zdb"), 5, kPerCategory,
        [&](int i, bench::RowWriter& row) {
          row.Text(1, kind);
          row.Text(2, brand);
          row.Text(3, ModelOf(c, i));
          row.Int(4, 1000 + i);
          row.Text(5, remark);
        },
        "import_apply_bench");
    if (!ok) return false;
  }
  return true;
}

// The list: most rows change price, one in ten is new, one in fifty refused.
bool WriteList(const fs::path& path) {
  const Status written = bench::WritePriceList(path, kListRows, kPerCategory);
  if (!written.ok()) std::fprintf(stderr, "import_apply_bench: %s\n", written.message().c_str());
  return written.ok();
}

// The import window open on the list, from the quote window.
bool OpenPreview(bench::AppSession& s, const fs::path& list) {
  s.responder->QueueFileDialogAnswer(list.string());
  if (!s.user->Click("窗口配置单", "按钮商品管理").ok()) return false;
  s.user->ProcessEvents();
  if (!s.user->Click("窗口商品管理", "按钮导入").ok()) return false;
  s.user->ProcessEvents();
  return s.user->IsOpen(kImport) && s.user->RowCount(kImport, "超级列表框导入") == kListRows;
}

// The encoding chooser's 工作簿 chosen again: the list read afresh and
// previewed, as when the window opens.
void BM_Preview(benchmark::State& state, bench::AppSession& s) {
  for (auto _ : state) {
    if (!s.user->ChooseComboItem(kImport, "组合框编码", 0).ok()) state.SkipWithError("no chooser");
    s.user->ProcessEvents();
  }
  if (s.user->RowCount(kImport, "超级列表框导入") != kListRows) {
    state.SkipWithError("the preview does not list the file's rows");
  }
}

void BM_Apply(benchmark::State& state, bench::AppSession& s) {
  for (auto _ : state) {
    s.responder->Clear();
    if (!s.user->Click(kImport, "按钮应用").ok()) state.SkipWithError("no 应用");
    s.user->ProcessEvents();
    state.PauseTiming();
    const std::vector<std::string> said = s.responder->MessageTexts();
    if (said.empty() || said.back().rfind("导入完成", 0) != 0) {
      state.SkipWithError(said.empty() ? "nothing said" : said.back().c_str());
      break;
    }
    (void)s.user->Click(kImport, "按钮撤销");
    s.user->ProcessEvents();
    state.ResumeTiming();
  }
}

void Measure(bench::AppSession& s, const fs::path& list, const std::string& where,
             bench::RatioReporter& reporter) {
  if (!OpenPreview(s, list)) {
    std::fprintf(stderr, "import_apply_bench: the preview did not show (%s)\n", where.c_str());
    return;
  }
  benchmark::ClearRegisteredBenchmarks();
  benchmark::RegisterBenchmark(("BM_Preview_" + where).c_str(), BM_Preview, std::ref(s))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(("BM_Apply_" + where).c_str(), BM_Apply, std::ref(s))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(5);
  benchmark::RunSpecifiedBenchmarks(&reporter);
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter({}, "");
  const fs::path list = fs::temp_directory_path() / "pcshop-import-apply-bench.xlsx";
  const bool ran =
      WriteList(list) &&
      bench::RunOnFilesThenServer(
          "import_apply_bench",
          [](bench::AppSession& s) { return SeedCatalogue(s.program / "DATA"); },
          [&](bench::AppSession& s, const std::string&, const char* where) {
            Measure(s, list, where, reporter);
            return true;
          });
  benchmark::Shutdown();
  fs::remove(list);
  for (const char* where : {"Files", "Server"}) {
    reporter.PrintTargets({{"Preview_", kPreviewTargetMs}, {"Apply_", kApplyTargetMs}}, where);
  }
  return ran ? 0 : 1;
}
