// The product management window's two heaviest walks, through the real image
// offscreen, each next to the same walk done directly on the table store (the
// floor); the summary prints program time / floor time.
//
//  - AllProducts: 全部商品 over the fourteen categories with 1,000 products
//    each (14,000 rows), from the click until the list is shown. Target:
//    under 0.5 s. Floor: the fourteen tables walked with every field read.
//  - BrandItems: the 品牌 box's list of a 10,000-product category (显卡,
//    topped up to 10,000 after AllProducts ran) dropped down and closed.
//    Floor: the table walked reading 品牌, brands kept once.
//
//  - AllProducts_Server: with PCSHOP_TEST_SERVER set, the same 全部商品 once
//    more with every table on that server (the data folder copied there by
//    the copy tool), against the program on files. Target: under 300 ms and
//    within 3x of files. Run it with a server on loopback TCP for figures a
//    shop's network would show:
//      c=$(scripts/pg-cluster start --tcp /tmp/pcshop-bench-pg)
//      PCSHOP_TEST_SERVER="$c" build/bench/catalogue/catalogue_bench
//      scripts/pg-cluster stop /tmp/pcshop-bench-pg
//
// The products are written straight into the table files in one SQLite
// transaction each: through the store every append is its own synced commit,
// which would make the setup take minutes. The program folder is this
// benchmark's own folder; its data folder is removed at the end.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/support/app_session.h"
#include "bench/support/table_seed.h"
#include "runtime/tables/table_store.h"
#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"
#include "tests/support/test_server.h"
#include "tools/servercopy/server_copy.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;

constexpr char kProduct[] = "窗口商品管理";
constexpr int kPerCategory = 1000;
constexpr int kLargeCategory = 10000;
constexpr int kGraphicsIndex = 6;
using bench::kCategories;

using bench::Gbk;

// Appends `count` products to a table file; brands come in runs of 20 over
// 50 brands, so the brand list has work to do.
bool SeedTable(const fs::path& file, const std::string& kind, int first, int count) {
  const std::string kind_gbk = Gbk(kind);
  const std::string remark = Gbk("备注");
  return bench::AppendRows(
      file, 5, count,
      [&](int n, bench::RowWriter& row) {
        const int i = first + n;
        row.Text(1, kind_gbk);
        row.Text(2, "Brand" + std::to_string((i / 20) % 50));
        row.Text(3, "M" + std::to_string(i));
        row.Int(4, 100 + i);
        row.Text(5, remark + std::to_string(i));
      },
      "catalogue_bench");
}

// What the benchmarks share while the program runs.
struct Context {
  fs::path data;
  ui::UserActions* user = nullptr;
  bool large_seeded = false;

  // As the table store names it (GBK) and as the file system does (UTF-8).
  fs::path TableFile(const char* category) const {
    return data / (Gbk(category) + ".zdb");
  }
  fs::path NativeFile(const char* category) const {
    return data / (std::string(category) + ".zdb");
  }
};

void BM_AllProducts_Program(benchmark::State& state, Context& ctx) {
  int rows = 0;
  for (auto _ : state) {
    if (!ctx.user->Click(kProduct, "按钮全部商品").ok()) state.SkipWithError("no 全部商品");
    ctx.user->ProcessEvents();
    rows = ctx.user->RowCount(kProduct, "超级列表框商品信息");
  }
  state.counters["rows"] = rows;
}

void BM_AllProducts_Direct(benchmark::State& state, Context& ctx) {
  tables::TableStore store;
  for (const char* c : kCategories) {
    if (!store.OpenTable(ctx.TableFile(c).string(), Gbk(c)).ok()) state.SkipWithError("open");
  }
  const std::string fields[] = {Gbk("品名"), Gbk("品牌"), Gbk("型号"), Gbk("价格"),
                                Gbk("备注")};
  int rows = 0;
  for (auto _ : state) {
    rows = 0;
    for (const char* c : kCategories) {
      (void)store.SelectTable(Gbk(c));
      rows += bench::ReadEveryRecord(store, fields);
    }
  }
  state.counters["rows"] = rows;
}

void SeedLargeCategory(benchmark::State& state, Context& ctx) {
  if (ctx.large_seeded) return;
  ctx.large_seeded = SeedTable(ctx.NativeFile(kCategories[kGraphicsIndex]),
                               kCategories[kGraphicsIndex], kPerCategory,
                               kLargeCategory - kPerCategory);
  if (!ctx.large_seeded) state.SkipWithError("seeding 显卡 failed");
}

void BM_BrandItems_Program(benchmark::State& state, Context& ctx) {
  SeedLargeCategory(state, ctx);
  if (!ctx.user->ChooseComboItem(kProduct, "组合框品名", kGraphicsIndex).ok()) {
    state.SkipWithError("no 品名 box");
  }
  size_t items = 0;
  for (auto _ : state) {
    if (!ctx.user->DropDown(kProduct, "组合框品牌").ok()) state.SkipWithError("no 品牌 box");
    items = ctx.user->Items(kProduct, "组合框品牌").size();
  }
  state.counters["items"] = static_cast<double>(items);
}

void BM_BrandItems_Direct(benchmark::State& state, Context& ctx) {
  SeedLargeCategory(state, ctx);
  tables::TableStore store;
  if (!store.OpenTable(ctx.TableFile(kCategories[kGraphicsIndex]).string(), "t").ok()) {
    state.SkipWithError("open");
  }
  const std::string brand_field = Gbk("品牌");
  size_t items = 0;
  for (auto _ : state) {
    std::vector<std::string> brands;
    std::unordered_set<std::string> seen;
    auto count = store.RecordCount();
    for (int32_t n = 1; count.ok() && n <= *count; ++n) {
      (void)store.GoToRecord(n);
      auto brand = store.ReadField(brand_field);
      if (!brand.ok()) continue;
      std::string b = std::get<std::string>(*brand);
      if (seen.insert(b).second) brands.push_back(std::move(b));
    }
    items = brands.size();
  }
  state.counters["items"] = static_cast<double>(items);
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter({"AllProducts", "BrandItems"}, "table store");
  // The server's copy of the shop, made from the data folder once it is seeded.
  std::optional<test_server::TestSchema> schema;
  if (test_server::TestServer() != nullptr) schema.emplace();
  bool ran = bench::RunProgram("catalogue_bench", "", [&](bench::AppSession& s) {
    Context ctx{s.program / "DATA", s.user, false};
    bool seeded = s.user->Click("窗口配置单", "按钮商品管理").ok();
    s.user->ProcessEvents();
    for (const char* c : kCategories) {
      seeded = seeded && SeedTable(ctx.NativeFile(c), c, 0, kPerCategory);
    }
    if (!seeded) return false;
    if (schema && schema->ready()) {
      auto copied = servercopy::CopyToServer(ctx.data, schema->conninfo(), {});
      if (!copied.ok()) {
        std::fprintf(stderr, "catalogue_bench: %s\n", copied.status().message().c_str());
        schema.reset();
      }
    }
    bench::RegisterWalk("AllProducts", BM_AllProducts_Program, BM_AllProducts_Direct, ctx);
    bench::RegisterWalk("BrandItems", BM_BrandItems_Program, BM_BrandItems_Direct, ctx);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return true;
  });
  if (ran && schema && schema->ready()) {
    benchmark::ClearRegisteredBenchmarks();
    ran = bench::RunProgram("catalogue_bench", schema->conninfo(), [&](bench::AppSession& s) {
      Context ctx{s.program / "DATA", s.user, true};
      if (!s.user->Click("窗口配置单", "按钮商品管理").ok()) return false;
      s.user->ProcessEvents();
      benchmark::RegisterBenchmark("BM_AllProducts_Server", BM_AllProducts_Program, std::ref(ctx))
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
      benchmark::RunSpecifiedBenchmarks(&reporter);
      return true;
    });
  } else if (schema) {
    std::fprintf(stderr, "catalogue_bench: no server run: %s\n", schema->error().c_str());
  }
  benchmark::Shutdown();
  reporter.PrintRatios();
  const double server = reporter.Find("BM_AllProducts_Server");
  const double files = reporter.Find("BM_AllProducts_Program");
  if (server > 0 && files > 0) {
    std::printf("AllProducts: on the server %.1f ms, on files %.1f ms, ratio %.1f\n", server,
                files, server / files);
  }
  return ran ? 0 : 1;
}
