// 报表 at shop scale, through the real image offscreen: 14,000 products,
// 100,000 movements over the last two years (60,000 sales, 40,000
// purchases) and 20,000 payments. Timed from the click until everything is
// shown: this month's report (figures beside last month's, the lists, the
// chart; target under 200 ms), this year's (target under 500 ms), and each
// of the five charts drawn for the year (target under 300 ms). Before each
// report another copy adds a sale, untimed: unchanged tables would let the
// store answer with the sums it kept.
//
// With PCSHOP_TEST_SERVER set, the same with every table on that server
// (the data folder copied there by the copy tool), in the same run.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/app_session.h"
#include "bench/support/files_then_server.h"
#include "bench/support/table_seed.h"
#include "runtime/tables/server_backend.h"
#include "runtime/tables/table_store.h"
#include "runtime/ui/test_seam.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;

constexpr char kWindow[] = "窗口报表";
constexpr int kProducts = 14000;
constexpr int kSales = 60000;
constexpr int kPurchases = 40000;
constexpr int kPayments = 20000;
constexpr int kNames = 2000;
constexpr int kDaysBack = 730;
constexpr int kThisMonth = 2, kThisYear = 4;  // the period chooser's items
constexpr int kCharts = 5;
constexpr double kMonthTargetMs = 200, kYearTargetMs = 500, kChartTargetMs = 300;

using bench::CustomerName;
using bench::Gbk;

struct Product {
  std::string kind, brand, model;
};

Product ProductOf(int n) {
  const int p = n % kProducts;
  return {Gbk(bench::kCategories[p % 14]), "B" + std::to_string((p / 14) % 40),
          "M" + std::to_string(p)};
}

bool SeedRegister(const fs::path& data) {
  const std::string person = Gbk("个人");
  return bench::AppendRows(
      data / "客户信息.zdb", 9, kNames,
      [&](int i, bench::RowWriter& row) {
        row.Text(1, CustomerName(i));
        row.Text(2, "kh" + std::to_string(i));
        row.Text(3, person);
        row.Text(4, std::string());
        row.Text(5, std::to_string(13800000000LL + i));
        row.Int(6, i % 7 == 0 ? 500 : 0);
        row.Int(7, 0);
        row.Text(8, std::string());
        row.Text(9, Gbk("2024年5月3日"));
      },
      "reports_bench");
}

// Movement n is of product n mod kProducts on one of the recent days; one
// in four sales is a walk-in, the others go on account and are partly paid.
bool SeedMovements(const fs::path& data, const std::vector<std::string>& dates, bool sale) {
  return bench::AppendRows(
      data / (sale ? "出库.zdb" : "入库.zdb"), sale ? 11 : 10, sale ? kSales : kPurchases,
      [&](int n, bench::RowWriter& row) {
        const Product p = ProductOf(sale ? n : n * 7);
        const int quantity = 1 + n % 3;
        const int price = 100 + (n * 37) % 2000;
        const int amount = quantity * (sale ? price * 12 / 10 : price);
        row.Text(1, p.kind);
        row.Text(2, p.brand);
        row.Text(3, p.model);
        row.Int(4, price);
        row.Text(5, std::string());
        row.Int(6, quantity);
        row.Int(7, amount);
        row.Text(8, dates[static_cast<size_t>((n * 7919) % kDaysBack)]);
        row.Text(9, n % 4 == 0 ? std::string() : CustomerName(n % kNames));
        row.Int(10, n % 4 == 0 ? amount : amount / 2);
        if (sale) row.Int(11, price);
      },
      "reports_bench");
}

// Another copy of the program: its own store on the same tables.
class OtherCopy {
 public:
  OtherCopy(const fs::path& program, const std::string& server) : data_(program / "DATA") {
    if (server.empty()) return;
    auto backend = tables::ServerBackend::Connect(server, program);
    if (backend.ok()) {
      (void)store_.UseBackend(std::move(backend).value());
    } else {
      ok_ = false;
    }
  }
  // One sale of today.
  bool Write() {
    if (!ok_) return false;
    const Product p = ProductOf(1);
    const std::vector<tables::FieldValue> sale = {
        p.kind,       p.brand, p.model,   int64_t{100}, std::string(), int64_t{1},
        int64_t{120}, date_,   CustomerName(1), int64_t{0},   int64_t{100}};
    const std::string file = (data_ / (Gbk("出库") + ".zdb")).string();
    const Status opened = store_.OpenTable(file, "out");
    const Status appended = opened.ok() ? store_.AppendRecord(sale) : opened;
    if (!appended.ok()) std::fprintf(stderr, "reports_bench: %s\n", appended.ToString().c_str());
    return appended.ok();
  }

 private:
  fs::path data_;
  tables::TableStore store_;
  bool ok_ = true;
  std::string date_ = bench::RecentDates(1).front();
};

struct Context {
  ui::UserActions* user = nullptr;
  OtherCopy* other = nullptr;
  int period = kThisMonth;
};

void BM_Report(benchmark::State& state, Context& ctx) {
  if (!ctx.user->ChooseComboItem(kWindow, "组合框期间", ctx.period).ok()) {
    state.SkipWithError("no period chooser");
  }
  ctx.user->ProcessEvents();
  int rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const bool written = ctx.other->Write();
    state.ResumeTiming();
    if (!written) {
      state.SkipWithError("the other copy could not write");
      break;
    }
    if (!ctx.user->Click(kWindow, "按钮刷新").ok()) state.SkipWithError("no 刷新");
    ctx.user->ProcessEvents();
    rows = ctx.user->RowCount(kWindow, "超级列表框销售");
  }
  state.counters["sales_rows"] = rows;
  if (rows < 100) state.SkipWithError("the sales list is not the shop's");
}

// The five charts of the year, one after the other, each drawn and its
// window repainted.
void BM_Charts(benchmark::State& state, Context& ctx) {
  if (!ctx.user->ChooseComboItem(kWindow, "组合框期间", kThisYear).ok()) {
    state.SkipWithError("no period chooser");
  }
  ctx.user->ProcessEvents();
  int chart = 0;
  for (auto _ : state) {
    if (!ctx.user->ChooseComboItem(kWindow, "组合框图表", chart).ok()) {
      state.SkipWithError("no chart chooser");
    }
    ctx.user->ProcessEvents();
    chart = (chart + 1) % kCharts;
  }
  if (!ctx.user->Text(kWindow, "透明标签图表说明").empty()) {
    state.SkipWithError("a chart of the year is empty");
  }
}

void Measure(bench::AppSession& s, const std::string& server, const std::string& where,
             bench::RatioReporter& reporter) {
  OtherCopy other(s.program, server);
  Context month{s.user, &other, kThisMonth};
  Context year{s.user, &other, kThisYear};
  benchmark::ClearRegisteredBenchmarks();
  for (auto* ctx : {&month, &year}) {
    const std::string name =
        std::string("BM_Report_") + (ctx->period == kThisMonth ? "Month_" : "Year_") + where;
    benchmark::RegisterBenchmark(name.c_str(), BM_Report, std::ref(*ctx))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::RegisterBenchmark(("BM_Charts_" + where).c_str(), BM_Charts, std::ref(year))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RunSpecifiedBenchmarks(&reporter);
}

bool OpenWindow(bench::AppSession& s) {
  if (s.user->IsOpen(kWindow)) return true;
  if (!s.user->Click("窗口配置单", "按钮报表").ok()) return false;
  s.user->ProcessEvents();
  return s.user->IsOpen(kWindow);
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter({}, "");
  const bool ran = bench::RunOnFilesThenServer(
      "reports_bench",
      [](bench::AppSession& s) {
        const fs::path data = s.program / "DATA";
        // The reports window opens the register and the payments; the quote
        // window made the rest. All are filled behind the program's back.
        const std::vector<std::string> dates = bench::RecentDates(kDaysBack);
        return OpenWindow(s) && SeedRegister(data) && SeedMovements(data, dates, true) &&
               SeedMovements(data, dates, false) &&
               bench::SeedPayments(data, dates, kPayments, kNames, "reports_bench");
      },
      [&](bench::AppSession& s, const std::string& server, const char* where) {
        if (!OpenWindow(s)) return false;
        Measure(s, server, where, reporter);
        return true;
      });
  benchmark::Shutdown();
  for (const char* where : {"Files", "Server"}) {
    reporter.PrintTargets({{"Report_Month_", kMonthTargetMs},
                           {"Report_Year_", kYearTargetMs},
                           {"Charts_", kChartTargetMs}},
                          where);
  }
  return ran ? 0 : 1;
}
