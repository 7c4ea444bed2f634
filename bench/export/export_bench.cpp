// The product window's 导出 of a 10,000-row list (the category 显卡), through
// the real image offscreen, from the click until the file is closed and the
// messages answered; next to it, in the same run, the floor: the same bytes
// written to a new file with one buffered write. The counters give both
// times per export and program / floor.
//
// The products are written straight into the table file in one SQLite
// transaction. The program folder is this benchmark's own folder; its data
// folder and the day folders the exports make are removed at the end.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/app_session.h"
#include "bench/support/table_seed.h"
#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kProduct[] = "窗口商品管理";
constexpr int kRows = 10000;
constexpr int kGraphicsIndex = 6;

using bench::Gbk;

// Appends `count` products to the table file.
bool SeedTable(const fs::path& file, const std::string& kind, int count) {
  const std::string kind_gbk = Gbk(kind);
  const std::string remark = Gbk("盒装，三年质保");
  return bench::AppendRows(
      file, 5, count,
      [&](int i, bench::RowWriter& row) {
        row.Text(1, kind_gbk);
        row.Text(2, "Brand" + std::to_string((i / 20) % 50));
        row.Text(3, "RTX<" + std::to_string(i) + ">");  // something to escape
        row.Int(4, 1000 + i);
        row.Text(5, remark + std::to_string(i));
      },
      "export_bench");
}

// The newest .xls under the program folder's day folders.
fs::path NewestExport(const fs::path& program) {
  fs::path newest;
  fs::file_time_type when = fs::file_time_type::min();
  std::error_code ec;
  for (const fs::directory_entry& day : fs::directory_iterator(program, ec)) {
    if (!day.is_directory() || !day.path().filename().string().ends_with("日")) continue;
    for (const fs::directory_entry& f : fs::directory_iterator(day.path(), ec)) {
      if (f.path().extension() == ".xls" && f.last_write_time() >= when) {
        when = f.last_write_time();
        newest = f.path();
      }
    }
  }
  return newest;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void RemoveDayFolders(const fs::path& program) {
  std::error_code ec;
  std::vector<fs::path> doomed;
  for (const fs::directory_entry& e : fs::directory_iterator(program, ec)) {
    if (e.path().filename().string().ends_with("日")) doomed.push_back(e.path());
  }
  for (const fs::path& p : doomed) fs::remove_all(p, ec);
}

struct Context {
  fs::path program;
  ui::UserActions* user = nullptr;
  ui::Responder* responder = nullptr;
};

void BM_ExportProductList(benchmark::State& state, Context& ctx) {
  if (!ctx.user->ChooseComboItem(kProduct, "组合框商品查询类别", kGraphicsIndex).ok()) {
    state.SkipWithError("no query box");
    return;
  }
  ctx.user->ProcessEvents();
  const fs::path floor_file = ctx.program / "export_bench_floor.xls";
  double program_seconds = 0;
  double floor_seconds = 0;
  size_t bytes = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    if (!ctx.user->Click(kProduct, "按钮配置导出").ok()) state.SkipWithError("no 导出");
    const Clock::time_point exported = Clock::now();
    ctx.responder->Clear();
    const std::string content = ReadAll(NewestExport(ctx.program));
    bytes = content.size();

    const Clock::time_point floor_start = Clock::now();
    std::FILE* out = std::fopen(floor_file.c_str(), "wb");
    const bool written =
        out != nullptr && std::fwrite(content.data(), 1, content.size(), out) == content.size();
    if (out == nullptr || std::fclose(out) != 0 || !written) state.SkipWithError("floor write");
    const Clock::time_point floor_end = Clock::now();

    program_seconds += std::chrono::duration<double>(exported - start).count();
    floor_seconds += std::chrono::duration<double>(floor_end - floor_start).count();
    state.SetIterationTime(std::chrono::duration<double>(exported - start).count());
  }
  std::error_code ec;
  fs::remove(floor_file, ec);
  const double n = static_cast<double>(state.iterations());
  state.counters["rows"] = ctx.user->RowCount(kProduct, "超级列表框商品信息");
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["program_ms"] = program_seconds / n * 1e3;
  state.counters["floor_ms"] = floor_seconds / n * 1e3;
  state.counters["ratio"] = floor_seconds > 0 ? program_seconds / floor_seconds : 0;
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  std::filesystem::path program;
  const int code = bench::RunAppSession(argc, argv, "export_bench", [&](bench::AppSession& s) {
    program = s.program;
    RemoveDayFolders(program);
    Context ctx{s.program, s.user, s.responder};
    const bool opened = s.user->Click("窗口配置单", "按钮商品管理").ok();
    s.user->ProcessEvents();
    if (!opened || !SeedTable(s.program / "DATA" / "显卡.zdb", "显卡", kRows)) return false;
    benchmark::RegisterBenchmark("BM_ExportProductList", BM_ExportProductList, std::ref(ctx))
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RunSpecifiedBenchmarks();
    return true;
  });
  if (!program.empty()) RemoveDayFolders(program);
  return code;
}
