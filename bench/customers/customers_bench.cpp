// The customer window's two walks over a register of 50,000 customers,
// through the real image offscreen, each next to the same walk done directly
// on the table store (the floor); the summary prints program time / floor.
//
//  - List: 刷新, every record read into the list (ListCustomers) and the
//    inputs emptied. Floor: the table walked with the nine fields read.
//  - QueryByRemark: 查询 with a remark that one customer in fifty has: the
//    name / pinyin / phone search finds nothing, then the scan lists 1,000
//    rows. Floor: the same two walks on the store, the matches read whole.
//
// The customers are written straight into the table file in one SQLite
// transaction: through the store every append is its own synced commit. The
// program folder is this benchmark's own folder; its data folder is removed
// at the end.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/app_session.h"
#include "bench/support/table_seed.h"
#include "runtime/tables/table_store.h"
#include "runtime/ui/test_seam.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;

constexpr char kWindow[] = "窗口客户管理";
constexpr char kList[] = "超级列表框客户信息";
constexpr int kCustomers = 50000;
constexpr int kRemarkEvery = 50;

using bench::Gbk;

// The remark the query looks for; one customer in kRemarkEvery has it.
std::string WantedRemark() {
  return Gbk("老客户");
}

bool SeedCustomers(const fs::path& file) {
  const std::string person = Gbk("个人");
  const std::string company = Gbk("公司");
  const std::string date = Gbk("2024年5月3日14时07分09秒");
  const std::string remark = Gbk("备注");
  return bench::AppendRows(
      file, 9, kCustomers,
      [&](int i, bench::RowWriter& row) {
        row.Text(1, Gbk("客户") + std::to_string(i));
        row.Text(2, "kh" + std::to_string(i));
        row.Text(3, i % 2 == 0 ? person : company);
        row.Text(4, i % 2 == 0 ? std::string() : Gbk("单位") + std::to_string(i % 300));
        row.Text(5, std::to_string(13800000000LL + i));
        row.Int(6, i % 1000);
        row.Int(7, i % 700);
        row.Text(8, i % kRemarkEvery == 0 ? WantedRemark() : remark + std::to_string(i));
        row.Text(9, date);
      },
      "customers_bench");
}

struct Context {
  fs::path file;  // the register, as the table store names it (GBK)
  ui::UserActions* user = nullptr;
};

const char* const kFields[] = {"姓名", "拼音码", "类别", "单位", "电话",
                               "应收", "应付",   "备注", "日期"};

std::vector<std::string> FieldNames() {
  std::vector<std::string> out;
  for (const char* f : kFields) out.push_back(Gbk(f));
  return out;
}

void BM_List_Program(benchmark::State& state, Context& ctx) {
  int rows = 0;
  for (auto _ : state) {
    if (!ctx.user->Click(kWindow, "按钮刷新客户").ok()) state.SkipWithError("no 刷新");
    ctx.user->ProcessEvents();
    rows = ctx.user->RowCount(kWindow, kList);
  }
  state.counters["rows"] = rows;
}

void BM_List_Direct(benchmark::State& state, Context& ctx) {
  tables::TableStore store;
  if (!store.OpenTable(ctx.file.string(), "t").ok()) state.SkipWithError("open");
  const std::vector<std::string> fields = FieldNames();
  int rows = 0;
  for (auto _ : state) rows = bench::ReadEveryRecord(store, fields);
  state.counters["rows"] = rows;
}

void BM_QueryByRemark_Program(benchmark::State& state, Context& ctx) {
  if (!ctx.user->SetText(kWindow, "编辑框查询内容", "老客户").ok()) {
    state.SkipWithError("no query box");
  }
  int rows = 0;
  for (auto _ : state) {
    if (!ctx.user->Click(kWindow, "按钮客户查询").ok()) state.SkipWithError("no 查询");
    ctx.user->ProcessEvents();
    rows = ctx.user->RowCount(kWindow, kList);
  }
  state.counters["rows"] = rows;
}

void BM_QueryByRemark_Direct(benchmark::State& state, Context& ctx) {
  tables::TableStore store;
  if (!store.OpenTable(ctx.file.string(), "t").ok()) state.SkipWithError("open");
  const std::vector<std::string> fields = FieldNames();
  const std::string q = WantedRemark();
  auto equals = [&](size_t field) {
    auto v = store.ReadField(fields[field]);
    return v.ok() && tables::IsText(*v) && std::get<std::string>(*v) == q;
  };
  int rows = 0;
  for (auto _ : state) {
    rows = 0;
    (void)store.GoFirst();
    auto found = store.FindRecord([&] { return equals(0) || equals(1) || equals(4); });
    benchmark::DoNotOptimize(found);
    auto count = store.RecordCount();
    for (int32_t n = 1; count.ok() && n <= *count; ++n) {
      (void)store.GoToRecord(n);
      if (!equals(2) && !equals(3) && !equals(7)) continue;
      for (const std::string& f : fields) benchmark::DoNotOptimize(store.ReadField(f));
      ++rows;
    }
  }
  state.counters["rows"] = rows;
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  bench::RatioReporter reporter({"List", "QueryByRemark"}, "table store");
  const int code = bench::RunAppSession(argc, argv, "customers_bench", [&](bench::AppSession& s) {
    Context ctx{s.program / "DATA" / (Gbk("客户信息") + ".zdb"), s.user};
    // The window creates the register; it is filled behind its back.
    const bool opened = s.user->Click("窗口配置单", "按钮客户管理").ok();
    s.user->ProcessEvents();
    if (!opened || !SeedCustomers(s.program / "DATA" / "客户信息.zdb")) return false;
    bench::RegisterWalk("List", BM_List_Program, BM_List_Direct, ctx);
    bench::RegisterWalk("QueryByRemark", BM_QueryByRemark_Program, BM_QueryByRemark_Direct, ctx);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return true;
  });
  reporter.PrintRatios();
  return code;
}
