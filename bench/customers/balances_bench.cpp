// 客户管理 刷新 with the balances derived from sales, purchases and
// payments, through the real image offscreen: a register of 5,000 customers
// listed with nothing to derive from, then with 100,000 movements (50,000
// sales, half of them on account, and 50,000 purchases) and 20,000 payments
// (four a customer, 收款 and 付款) summed into their 应收 and 应付. Target:
// derived at most 1.5x plain.
//
// With PCSHOP_TEST_SERVER set, the same two lists once more with every table
// on that server (the data folder copied there by the copy tool, once before
// the movements and payments and once after), in the same run.
//
// Rows are written straight into the table files in one SQLite transaction
// per table: through the store every append is its own synced commit. The program folder is this benchmark's own folder; its data folder
// is removed at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "bench/support/app_session.h"
#include "bench/support/table_seed.h"
#include "runtime/ui/test_seam.h"
#include "tests/support/test_server.h"
#include "tools/servercopy/server_copy.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;

constexpr char kWindow[] = "窗口客户管理";
constexpr char kList[] = "超级列表框客户信息";
constexpr int kCustomers = 5000;
constexpr int kPayments = 20000;
constexpr int kMovements = 50000;  // a side

using bench::CustomerName;
using bench::Gbk;

bool SeedCustomers(const fs::path& data) {
  const std::string person = Gbk("个人");
  const std::string date = Gbk("2024年5月3日14时07分09秒");
  return bench::AppendRows(
      data / "客户信息.zdb", 9, kCustomers,
      [&](int i, bench::RowWriter& row) {
        row.Text(1, CustomerName(i));
        row.Text(2, "kh" + std::to_string(i));
        row.Text(3, person);
        row.Text(4, std::string());
        row.Text(5, std::to_string(13800000000LL + i));
        row.Int(6, i % 1000);
        row.Int(7, i % 700);
        row.Text(8, Gbk("备注") + std::to_string(i));
        row.Text(9, date);
      },
      "balances_bench");
}

// Payment i is from customer i mod kCustomers; one in three is a 付款.
bool SeedPayments(const fs::path& data) {
  const std::string date = Gbk("2026年1月2日");
  const std::string received = Gbk("收款");
  const std::string paid = Gbk("付款");
  const std::string cash = Gbk("现金");
  return bench::AppendRows(
      data / "收付款.zdb", 6, kPayments,
      [&](int i, bench::RowWriter& row) {
        row.Text(1, date);
        row.Text(2, CustomerName(i % kCustomers));
        row.Text(3, i % 3 == 0 ? paid : received);
        row.Int(4, 100 + i % 500);
        row.Text(5, cash);
        row.Text(6, std::string());
      },
      "balances_bench");
}

// Sale or purchase j is with customer j mod kCustomers for 1,000 yuan; the
// odd rounds (j / kCustomers) are on account with 600 paid.
bool SeedMovements(const fs::path& data) {
  const std::string kind = Gbk("显卡");
  const std::string brand = Gbk("七彩虹");
  const std::string date = Gbk("2026年1月2日");
  for (const bool sale : {true, false}) {
    const bool ok = bench::AppendRows(
        data / (sale ? "出库.zdb" : "入库.zdb"), sale ? 11 : 10, kMovements,
        [&](int j, bench::RowWriter& row) {
          row.Text(1, kind);
          row.Text(2, brand);
          row.Text(3, "RTX" + std::to_string(j % 14000));
          row.Int(4, 1000);
          row.Text(5, std::string());
          row.Int(6, 1);
          row.Int(7, 1000);
          row.Text(8, date);
          row.Text(9, CustomerName(j % kCustomers));
          row.Int(10, (j / kCustomers) % 2 == 0 ? 1000 : 600);
          if (sale) row.Int(11, 800);
        },
        "balances_bench");
    if (!ok) return false;
  }
  return true;
}

struct Context {
  ui::UserActions* user = nullptr;
  // 应收 the list must show for its first customer (客户0), or "" not to look.
  std::string first_receivable;
};

void BM_Refresh(benchmark::State& state, Context& ctx) {
  int rows = 0;
  for (auto _ : state) {
    if (!ctx.user->Click(kWindow, "按钮刷新客户").ok()) state.SkipWithError("no 刷新");
    ctx.user->ProcessEvents();
    rows = ctx.user->RowCount(kWindow, kList);
  }
  state.counters["rows"] = rows;
  if (rows != kCustomers) state.SkipWithError("the list is not the whole register");
  if (ctx.user->Cell(kWindow, kList, 0, 6) != ctx.first_receivable) {
    state.SkipWithError("the list does not show the derived 应收");
  }
}

void Register(const std::string& name, Context& ctx) {
  benchmark::RegisterBenchmark(name.c_str(), BM_Refresh, std::ref(ctx))
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

// 客户0: opening 应收 0; ten sales, five on account (5 x 400 unpaid); 收款
// of 100 (payment 5,000) and 100 (10,000); payments 0 and 15,000 are 付款.
constexpr char kPlainReceivable[] = "0";
constexpr char kDerivedReceivable[] = "1800";

// 刷新 as BM_Refresh_<where>, the program's tables on the server `schema`
// names, seeded already.
bool Measure(const std::string& schema, const std::string& where, bench::RatioReporter& reporter,
             const char* receivable) {
  return bench::RunProgram("balances_bench", schema, [&](bench::AppSession& s) {
    Context ctx{s.user, receivable};
    if (!s.user->Click("窗口配置单", "按钮客户管理").ok()) return false;
    s.user->ProcessEvents();
    benchmark::ClearRegisteredBenchmarks();
    Register("BM_Refresh_" + where, ctx);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return true;
  });
}

void PrintRatio(const bench::RatioReporter& reporter, const char* where) {
  const double plain = reporter.Find(std::string("BM_Refresh_Plain_") + where);
  const double derived = reporter.Find(std::string("BM_Refresh_Derived_") + where);
  if (plain <= 0 || derived <= 0) return;
  std::printf(
      "Refresh on %s: with %d movements and %d payments %.1f ms, without %.1f ms, ratio %.2f "
      "(target 1.5)\n",
      where, 2 * kMovements, kPayments, derived, plain, derived / plain);
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter({}, "");
  // The server's two copies of the shop: before the payments and after.
  std::optional<test_server::TestSchema> plain;
  std::optional<test_server::TestSchema> derived;
  if (test_server::TestServer() != nullptr) {
    plain.emplace();
    derived.emplace();
  }
  auto copy = [](std::optional<test_server::TestSchema>& schema, const fs::path& data) {
    if (!schema || !schema->ready()) return;
    auto copied = servercopy::CopyToServer(data, schema->conninfo(), {});
    if (copied.ok()) return;
    std::fprintf(stderr, "balances_bench: %s\n", copied.status().message().c_str());
    schema.reset();
  };
  bool ran = bench::RunProgram("balances_bench", "", [&](bench::AppSession& s) {
    const fs::path data = s.program / "DATA";
    // The window creates the register and the payments table; both are
    // filled behind its back.
    const bool opened = s.user->Click("窗口配置单", "按钮客户管理").ok();
    s.user->ProcessEvents();
    if (!opened || !SeedCustomers(data)) return false;
    copy(plain, data);
    Context ctx{s.user, kPlainReceivable};
    Register("BM_Refresh_Plain_Files", ctx);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (!SeedPayments(data) || !SeedMovements(data)) return false;
    copy(derived, data);
    benchmark::ClearRegisteredBenchmarks();
    ctx.first_receivable = kDerivedReceivable;
    Register("BM_Refresh_Derived_Files", ctx);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return true;
  });
  if (ran && plain && derived && plain->ready() && derived->ready()) {
    ran = Measure(plain->conninfo(), "Plain_Server", reporter, kPlainReceivable) &&
          Measure(derived->conninfo(), "Derived_Server", reporter, kDerivedReceivable);
  } else if (plain) {
    std::fprintf(stderr, "balances_bench: no server run: %s\n",
                 plain->ready() ? "the copy failed" : plain->error().c_str());
  }
  benchmark::Shutdown();
  PrintRatio(reporter, "Files");
  PrintRatio(reporter, "Server");
  return ran ? 0 : 1;
}
