// Also: 另存为 of the same list as an Excel workbook against 导出 of it as
// the HTML table, and the PDF and the picture of a full quote (and the PDF
// of a 50-row one, shrunk onto its page). The first document of the session
// pays for loading the faces at the page's sizes: each document benchmark
// times its first call apart, as first_ms, before the timed iterations.
//
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
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/app_session.h"
#include "bench/support/table_seed.h"
#include "runtime/document/document_render.h"
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
  // The first call of each document benchmark, in milliseconds; negative
  // until made (the library may run a benchmark's function more than once).
  std::map<std::string, double> first_ms;
};

// Times `write` once, the first time `name` runs in this session.
template <typename Write>
double FirstCallMs(Context& ctx, const std::string& name, Write write) {
  auto [it, inserted] = ctx.first_ms.try_emplace(name, -1.0);
  if (inserted) {
    const Clock::time_point start = Clock::now();
    const bool ok = write();
    it->second = ok ? std::chrono::duration<double>(Clock::now() - start).count() * 1e3 : -1;
  }
  return it->second;
}

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

// 另存为 as an Excel workbook of the same list, from the click until the
// file is written, next to 导出 of the list as the HTML table in the same
// iteration; the counters give both and xlsx / html.
void BM_SaveProductListAsXlsx(benchmark::State& state, Context& ctx) {
  const fs::path xlsx = ctx.program / "export_bench.xlsx";
  double xlsx_seconds = 0;
  double html_seconds = 0;
  for (auto _ : state) {
    ctx.responder->QueueFileDialogAnswer(xlsx.string());
    const Clock::time_point start = Clock::now();
    if (!ctx.user->Click(kProduct, "按钮另存为").ok()) state.SkipWithError("no 另存为");
    const Clock::time_point saved = Clock::now();
    if (!ctx.user->Click(kProduct, "按钮配置导出").ok()) state.SkipWithError("no 导出");
    const Clock::time_point exported = Clock::now();
    ctx.responder->Clear();
    if (!fs::exists(xlsx)) state.SkipWithError("no workbook written");
    xlsx_seconds += std::chrono::duration<double>(saved - start).count();
    html_seconds += std::chrono::duration<double>(exported - saved).count();
    state.SetIterationTime(std::chrono::duration<double>(saved - start).count());
  }
  std::error_code ec;
  state.counters["xlsx_bytes"] = static_cast<double>(fs::file_size(xlsx, ec));
  fs::remove(xlsx, ec);
  const double n = static_cast<double>(state.iterations());
  state.counters["xlsx_ms"] = xlsx_seconds / n * 1e3;
  state.counters["html_ms"] = html_seconds / n * 1e3;
  state.counters["ratio"] = html_seconds > 0 ? xlsx_seconds / html_seconds : 0;
}

// A full quote, fifteen rows and the totals, as the quote window builds it.
document::Document FullQuote(int rows = 15) {
  document::Document doc(Gbk("电脑配置报价单"));
  (void)doc.AddLine(Gbk("配置名：游戏主机A"));
  (void)doc.AddLine(Gbk("日期：2026年12月9日"));
  (void)doc.AddLine(Gbk("备注：含三年质保，送货上门"));
  const char* titles[] = {"序号", "品名", "品牌", "型号", "数量", "单价", "金额", "备注"};
  const int widths[] = {90, 120, 180, 360, 90, 90, 120, 280};
  for (int c = 0; c < 8; ++c) {
    (void)doc.AddColumn(Gbk(titles[c]),
                        c >= 4 && c <= 6 ? document::Alignment::kRight : document::Alignment::kLeft,
                        widths[c]);
  }
  for (int r = 0; r < rows; ++r) {
    (void)doc.AddRow({std::to_string(r + 1), Gbk("显卡"), Gbk("七彩虹"), "RTX 4060 Ultra W", "1",
                      "2399", "2399", Gbk("8G 三年质保")},
                     false);
  }
  (void)doc.AddRow({"", Gbk("合计"), "", "", std::to_string(rows), "",
                    std::to_string(2399 * rows), ""},
                   true);
  (void)doc.AddFooter(Gbk("感谢惠顾！本报价当日有效，价格以成交时为准。"));
  return doc;
}

void QuotePdf(benchmark::State& state, Context& ctx, const std::string& name, int rows) {
  const document::Document doc = FullQuote(rows);
  const fs::path pdf = ctx.program / "export_bench.pdf";
  const double first = FirstCallMs(ctx, name, [&] { return document::WritePdf(doc, pdf).ok(); });
  for (auto _ : state) {
    if (!document::WritePdf(doc, pdf).ok()) state.SkipWithError("no PDF");
  }
  std::error_code ec;
  state.counters["bytes"] = static_cast<double>(fs::file_size(pdf, ec));
  state.counters["first_ms"] = first;
  fs::remove(pdf, ec);
}

void BM_FullQuotePdf(benchmark::State& state, Context& ctx) {
  QuotePdf(state, ctx, "full", 15);
}

void BM_LongQuotePdf(benchmark::State& state, Context& ctx) { QuotePdf(state, ctx, "long", 50); }

void BM_FullQuotePicture(benchmark::State& state, Context& ctx) {
  const document::Document doc = FullQuote();
  const fs::path png = ctx.program / "export_bench.png";
  const double first =
      FirstCallMs(ctx, "picture", [&] { return document::WritePicture(doc, png).ok(); });
  for (auto _ : state) {
    if (!document::WritePicture(doc, png).ok()) state.SkipWithError("no picture");
  }
  std::error_code ec;
  state.counters["bytes"] = static_cast<double>(fs::file_size(png, ec));
  state.counters["first_ms"] = first;
  fs::remove(png, ec);
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  std::filesystem::path program;
  const int code = bench::RunAppSession(argc, argv, "export_bench", [&](bench::AppSession& s) {
    program = s.program;
    RemoveDayFolders(program);
    Context ctx{s.program, s.user, s.responder, {}};
    const bool opened = s.user->Click("窗口配置单", "按钮商品管理").ok();
    s.user->ProcessEvents();
    if (!opened || !SeedTable(s.program / "DATA" / "显卡.zdb", "显卡", kRows)) return false;
    benchmark::RegisterBenchmark("BM_ExportProductList", BM_ExportProductList, std::ref(ctx))
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("BM_SaveProductListAsXlsx", BM_SaveProductListAsXlsx,
                                 std::ref(ctx))
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("BM_FullQuotePdf", BM_FullQuotePdf, std::ref(ctx))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_LongQuotePdf", BM_LongQuotePdf, std::ref(ctx))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FullQuotePicture", BM_FullQuotePicture, std::ref(ctx))
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    return true;
  });
  if (!program.empty()) RemoveDayFolders(program);
  return code;
}
