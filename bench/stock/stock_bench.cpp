// Stock on hand at shop scale: 14,000 products (1,000 in each category) and
// 100,000 movements (60,000 in, 40,000 out) over them.
//
//  - OnHandColumn: 全部商品 in 商品管理 through the real image offscreen,
//    from the click until the list with its 库存 column is shown, over the
//    100,000 movements (Program) against the same listing while the stock
//    tables are empty, where the column costs two sums over nothing
//    (Direct). Target: ratio at most 1.5.
//  - AppendMovement: one movement appended to 入库 through the table store,
//    durable when the call returns. Target: under 20 ms.
//  - Aggregate: the store's grouped sum of 数量 by 品名 + 品牌 + 型号 over
//    both stock tables, each changed by another copy just before (Program;
//    unchanged, the store answers with the sums it kept), against the same
//    GROUP BY run directly in SQLite on the files (Direct).
//
// Products and movements are written straight into the table files in one
// transaction each (bench/support/table_seed.h). The program folder is this
// benchmark's own folder; its data folder is removed at the end.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/app_session.h"
#include "bench/support/table_seed.h"
#include "runtime/tables/table_store.h"
#include "runtime/ui/test_seam.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;

constexpr char kProduct[] = "窗口商品管理";
constexpr int kPerCategory = 1000;
constexpr int kIn = 60000;
constexpr int kOut = 40000;
using bench::kCategories;

using bench::Gbk;

struct Context {
  fs::path data;
  ui::UserActions* user = nullptr;
  bool movements_seeded = false;

  fs::path TableFile(const std::string& name) const { return data / (Gbk(name) + ".zdb"); }
  fs::path NativeFile(const std::string& name) const { return data / (name + ".zdb"); }
};

bool SeedProducts(const Context& ctx) {
  for (const char* c : kCategories) {
    const std::string kind = Gbk(c);
    const bool ok = bench::AppendRows(
        ctx.NativeFile(c), 5, kPerCategory,
        [&](int i, bench::RowWriter& row) {
          row.Text(1, kind);
          row.Text(2, "Brand" + std::to_string(i % 50));
          row.Text(3, "M" + std::to_string(i));
          row.Int(4, 100 + i);
          row.Text(5, std::string());
        },
        "stock_bench");
    if (!ok) return false;
  }
  return true;
}

// `count` movements of `quantity` each, spread over the 14,000 products.
bool SeedSide(const Context& ctx, const char* side, int count, int quantity) {
  std::vector<std::string> kinds;
  for (const char* c : kCategories) kinds.push_back(Gbk(c));
  const std::string date = Gbk("2026年12月9日");
  return bench::AppendRows(
      ctx.NativeFile(side), 8, count,
      [&](int n, bench::RowWriter& row) {
        const int product = (n * 7919) % (14 * kPerCategory);
        const int i = product % kPerCategory;
        row.Text(1, kinds[static_cast<size_t>(product / kPerCategory)]);
        row.Text(2, "Brand" + std::to_string(i % 50));
        row.Text(3, "M" + std::to_string(i));
        row.Int(4, 100 + i);
        row.Text(5, std::string());
        row.Int(6, quantity);
        row.Int(7, quantity * (100 + i));
        row.Text(8, date);
      },
      "stock_bench");
}

void ShowAllProducts(benchmark::State& state, Context& ctx) {
  int rows = 0;
  for (auto _ : state) {
    if (!ctx.user->Click(kProduct, "按钮全部商品").ok()) state.SkipWithError("no 全部商品");
    ctx.user->ProcessEvents();
    rows = ctx.user->RowCount(kProduct, "超级列表框商品信息");
  }
  state.counters["rows"] = rows;
}

void BM_OnHandColumn_Direct(benchmark::State& state, Context& ctx) {
  if (ctx.movements_seeded) state.SkipWithError("the stock tables are no longer empty");
  ShowAllProducts(state, ctx);
}

void BM_OnHandColumn_Program(benchmark::State& state, Context& ctx) {
  if (!ctx.movements_seeded) {
    ctx.movements_seeded = SeedSide(ctx, "入库", kIn, 3) && SeedSide(ctx, "出库", kOut, 1);
    if (!ctx.movements_seeded) state.SkipWithError("seeding the movements failed");
  }
  ShowAllProducts(state, ctx);
}

void BM_AppendMovement(benchmark::State& state, Context& ctx) {
  tables::TableStore store;
  if (!store.OpenTable(ctx.TableFile("入库").string(), "in").ok()) state.SkipWithError("open");
  const std::vector<tables::FieldValue> movement = {Gbk("CPU"), "Brand1", "M1", 101,
                                                    Gbk("华强"), 2, 202, Gbk("2026年12月9日")};
  for (auto _ : state) {
    if (!store.AppendRecord(movement).ok()) state.SkipWithError("append");
  }
}

const std::vector<std::string>& Keys() {
  static const std::vector<std::string> keys = {Gbk("品名"), Gbk("品牌"), Gbk("型号")};
  return keys;
}

void BM_Aggregate_Program(benchmark::State& state, Context& ctx) {
  tables::TableStore store;
  for (const char* side : {"入库", "出库"}) {
    if (!store.OpenTable(ctx.TableFile(side).string(), Gbk(side)).ok()) {
      state.SkipWithError("open");
    }
  }
  // Another copy changes a movement of each table before every pass, so the
  // sums are read afresh, not the ones the store kept from the pass before.
  tables::TableStore other;
  for (const char* side : {"入库", "出库"}) {
    if (!other.OpenTable(ctx.TableFile(side).string(), Gbk(side)).ok()) state.SkipWithError("open");
  }
  size_t groups = 0;
  int64_t pass = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* side : {"入库", "出库"}) {
      const tables::OptionalValue remark[] = {std::nullopt, std::nullopt, std::nullopt,
                                              std::nullopt, "pass " + std::to_string(++pass)};
      if (!other.SelectTable(Gbk(side)).ok() || !other.ModifyRecord(remark).ok()) {
        state.SkipWithError("change");
      }
    }
    state.ResumeTiming();
    groups = 0;
    for (const char* side : {"入库", "出库"}) {
      (void)store.SelectTable(Gbk(side));
      const auto sums = store.SumGrouped(Gbk("数量"), Keys());
      if (!sums.ok()) state.SkipWithError("sum");
      groups += sums.ok() ? sums->size() : 0;
    }
  }
  state.counters["groups"] = static_cast<double>(groups);
}

void BM_Aggregate_Direct(benchmark::State& state, Context& ctx) {
  std::vector<sqlite3*> dbs;
  std::vector<sqlite3_stmt*> statements;
  for (const char* side : {"入库", "出库"}) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(ctx.NativeFile(side).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT c1, c2, c3, SUM(c6) FROM records GROUP BY c1, c2, c3 "
                       "ORDER BY MIN(id)",
                       -1, &st, nullptr);
    if (st == nullptr) state.SkipWithError(sqlite3_errmsg(db));
    dbs.push_back(db);
    statements.push_back(st);
  }
  size_t groups = 0;
  for (auto _ : state) {
    groups = 0;
    for (sqlite3_stmt* st : statements) {
      while (st != nullptr && sqlite3_step(st) == SQLITE_ROW) {
        std::string key(static_cast<const char*>(sqlite3_column_blob(st, 0)),
                        static_cast<size_t>(sqlite3_column_bytes(st, 0)));
        benchmark::DoNotOptimize(key);
        benchmark::DoNotOptimize(sqlite3_column_int64(st, 3));
        ++groups;
      }
      if (st != nullptr) sqlite3_reset(st);
    }
  }
  for (sqlite3_stmt* st : statements) sqlite3_finalize(st);
  for (sqlite3* db : dbs) sqlite3_close(db);
  state.counters["groups"] = static_cast<double>(groups);
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  bench::RatioReporter reporter({"OnHandColumn", "Aggregate"}, "floor");
  const int code = bench::RunAppSession(argc, argv, "stock_bench", [&](bench::AppSession& s) {
    Context ctx{s.program / "DATA", s.user, false};
    const bool opened = s.user->Click("窗口配置单", "按钮商品管理").ok();
    s.user->ProcessEvents();
    if (!opened || !SeedProducts(ctx)) return false;
    // The empty-table listing runs first; the movements are seeded after it.
    auto ms = [](benchmark::internal::Benchmark* b) {
      b->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    ms(benchmark::RegisterBenchmark("BM_OnHandColumn_Direct", BM_OnHandColumn_Direct,
                                    std::ref(ctx)));
    ms(benchmark::RegisterBenchmark("BM_OnHandColumn_Program", BM_OnHandColumn_Program,
                                    std::ref(ctx)));
    ms(benchmark::RegisterBenchmark("BM_AppendMovement", BM_AppendMovement, std::ref(ctx)));
    ms(benchmark::RegisterBenchmark("BM_Aggregate_Program", BM_Aggregate_Program, std::ref(ctx)));
    ms(benchmark::RegisterBenchmark("BM_Aggregate_Direct", BM_Aggregate_Direct, std::ref(ctx)));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return true;
  });
  reporter.PrintRatios();
  return code;
}
