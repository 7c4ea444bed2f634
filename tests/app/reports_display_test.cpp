// 报表 in the built program on a virtual display: the window opens on this
// month of a seeded shop, its chart is drawn and read through the
// accessibility bus, choosing 今天 changes the figures, and the print
// preview of the month's sales opens. With PCSHOP_REPORTS_SHOTS set to a folder, the screen is
// saved there with the month shown (reports.png) and with the preview open
// (reports_print.png).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "tests/app/counter_driver.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kReports[] = "报表";
constexpr Point kQuoteToReports = {257, 768};
constexpr Point kPeriodArrow = {215, 80};
constexpr Point kPrintSales = {461, 356};

// The day `days` before today as the tables write it.
std::string DaysAgo(int days) {
  namespace c = std::chrono;
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  const c::year_month_day d{c::sys_days{c::year{tm.tm_year + 1900} / (tm.tm_mon + 1) / tm.tm_mday} -
                            c::days{days}};
  return std::to_string(static_cast<int>(d.year())) + "年" +
         std::to_string(static_cast<unsigned>(d.month())) + "月" +
         std::to_string(static_cast<unsigned>(d.day())) + "日";
}

// The 本期 cell of the figures' first row (销售额).
std::string SalesShown(const ScreenText& s) {
  for (const auto& row : s.Window(kReports).rows) {
    if (row.size() >= 2 && row[0] == "销售额") return row[1];
  }
  return {};
}

bool ChartShown(const ScreenText& s, const std::string& part) {
  const auto& labels = s.Window(kReports).labels;
  return std::any_of(labels.begin(), labels.end(), [&](const std::string& l) {
    return l.rfind("销售额与毛利", 0) == 0 && l.find(part) != std::string::npos;
  });
}

TEST(ReportsDisplayTest, TheMonthShowsWithItsChartTodayChangesTheFiguresAndThePreviewOpens) {
  if (const std::string missing = DisplayMissing(); !missing.empty()) GTEST_SKIP() << missing;
  Counter counter;
  ASSERT_TRUE(counter.ready()) << "a display or a session bus did not start";
  const std::filesystem::path data = counter.run().data_folder();
  // A first start makes the tables; then a sale today and one earlier this
  // month, or yesterday on the first of a month (still a sale not of today).
  ASSERT_TRUE(counter.StartToMakeTheTables()) << "the first start did not make the tables";
  ASSERT_TRUE(AppendRecordTo(data / "入库.zdb", {Gbk("显卡"), Gbk("七彩虹"), std::string("G1"),
                                                 int64_t{2000}, std::string(), int64_t{5},
                                                 int64_t{10000}, Gbk(DaysAgo(40)),
                                                 std::string(), int64_t{10000}}));
  for (const auto& [days, amount] : {std::pair{0, 2399}, std::pair{1, 2500}}) {
    ASSERT_TRUE(AppendRecordTo(data / "出库.zdb",
                               {Gbk("显卡"), Gbk("七彩虹"), std::string("G1"), int64_t{amount},
                                std::string(), int64_t{1}, int64_t{amount}, Gbk(DaysAgo(days)),
                                std::string(), int64_t{amount}, int64_t{2000}}));
  }
  // For the printed report: the shop's name, more parts sold today (2796
  // more), bought over the months before.
  ASSERT_TRUE(AppendRecordTo(data / "店铺.zdb",
                             {Gbk("华强电脑城 明辉电脑"), Gbk("深圳市福田区华强北路1号A座3楼"),
                              std::string("0755-83000000")}));
  for (const auto& [kind, brand, model, price, quantity, cost] :
       std::vector<std::tuple<const char*, const char*, const char*, int64_t, int64_t, int64_t>>{
           {"内存", "金士顿", "FURY 16G", 399, 2, 300},
           {"CPU", "Intel", "i5-13400F", 1199, 1, 1000},
           {"主板", "华硕", "B760M", 799, 1, 650}}) {
    ASSERT_TRUE(
        AppendRecordTo(data / "出库.zdb",
                       {Gbk(kind), Gbk(brand), std::string(model), price, std::string(), quantity,
                        price * quantity, Gbk(DaysAgo(0)), std::string(), price * quantity, cost}));
    ASSERT_TRUE(AppendRecordTo(
        data / "入库.zdb", {Gbk(kind), Gbk(brand), std::string(model), cost, std::string(),
                            int64_t{10}, cost * 10, Gbk(DaysAgo(100)), std::string(), cost * 10}));
  }
  ASSERT_TRUE(counter.Start()) << "the quote window did not show again";
  ASSERT_TRUE(counter.Navigate("配置单", kQuoteToReports, kReports));

  ScreenText shown;
  // This month holds today's sale, and the chart reads out its series.
  ASSERT_TRUE(counter.WaitForScreen(
      [](const ScreenText& s) { return !SalesShown(s).empty() && ChartShown(s, "5195"); }, &shown,
      10s))
      << shown.raw;
  const std::string month = SalesShown(shown);
  EXPECT_TRUE(month == "7695" || month == "5195") << month;
  const char* shots = std::getenv("PCSHOP_REPORTS_SHOTS");
  const auto snapshot = [&](const char* name) {
    if (shots != nullptr && shots[0] != '\0') {
      EXPECT_TRUE(counter.Snapshot(std::filesystem::path(shots) / name));
    }
  };
  snapshot("reports.png");

  ASSERT_TRUE(counter.Choose(kReports, kPeriodArrow, 0));  // 今天
  EXPECT_TRUE(counter.WaitForScreen(
      [](const ScreenText& s) { return SalesShown(s) == "5195" && ChartShown(s, "5195"); }, &shown,
      5s))
      << shown.raw;
  // The month again for the printed report.
  ASSERT_TRUE(counter.Choose(kReports, kPeriodArrow, 2));  // 本月
  EXPECT_TRUE(counter.WaitForScreen([&](const ScreenText& s) { return SalesShown(s) == month; },
                                    &shown, 5s))
      << shown.raw;

  ASSERT_TRUE(counter.Press(kReports, kPrintSales));
  EXPECT_TRUE(counter.WaitForWindow("打印预览")) << counter.Screen().raw;
  snapshot("reports_print.png");
  ASSERT_TRUE(counter.Key("Escape"));
}

}  // namespace
}  // namespace pcshop::app::testing
