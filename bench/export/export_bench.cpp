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
#include <sqlite3.h>
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
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kProduct[] = "窗口商品管理";
constexpr int kRows = 10000;
constexpr int kGraphicsIndex = 6;

std::string Gbk(const std::string& utf8) {
  auto gbk = text::Utf8ToGbk(utf8);
  return gbk.ok() ? *gbk : std::string();
}

// Appends `count` products to the table file in one transaction.
bool SeedTable(const fs::path& file, const std::string& kind, int count) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
  sqlite3_stmt* insert = nullptr;
  ok = ok && sqlite3_busy_timeout(db, 5000) == SQLITE_OK &&
       sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK &&
       sqlite3_prepare_v2(db,
                          "INSERT INTO records(deleted, c1, c2, c3, c4, c5) "
                          "VALUES (0, ?, ?, ?, ?, ?)",
                          -1, &insert, nullptr) == SQLITE_OK;
  const std::string kind_gbk = Gbk(kind);
  for (int i = 0; ok && i < count; ++i) {
    const std::string brand = "Brand" + std::to_string((i / 20) % 50);
    const std::string model = "RTX<" + std::to_string(i) + ">";  // something to escape
    const std::string remark = Gbk("盒装，三年质保") + std::to_string(i);
    sqlite3_bind_blob(insert, 1, kind_gbk.data(), static_cast<int>(kind_gbk.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 2, brand.data(), static_cast<int>(brand.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 3, model.data(), static_cast<int>(model.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(insert, 4, 1000 + i);
    sqlite3_bind_blob(insert, 5, remark.data(), static_cast<int>(remark.size()), SQLITE_TRANSIENT);
    ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
  }
  sqlite3_finalize(insert);
  ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
  if (!ok) std::fprintf(stderr, "export_bench: %s\n", sqlite3_errmsg(db));
  sqlite3_close(db);
  return ok;
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
