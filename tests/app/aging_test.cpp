// 欠款账龄 through the real generated image and the runtime, offscreen: a
// small shop's sales, purchases and payments on dates counted back from
// today, and the aged list of 应收 and 应付 against a hand computation.
// The program folder is shared with the other app tests: same lock.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/tables/table_store.h"
#include "runtime/ui/test_seam.h"
#include "tests/app/stock_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kAging[] = "窗口欠款账龄";
constexpr char kAgedList[] = "超级列表框账龄";

// The date `days` before today as the tables hold dates.
std::string DaysAgo(int days) {
  namespace c = std::chrono;
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  const c::sys_days today = c::year{tm.tm_year + 1900} / (tm.tm_mon + 1) / tm.tm_mday;
  const c::year_month_day d{today - c::days{days}};
  return std::to_string(static_cast<int>(d.year())) + "年" +
         std::to_string(static_cast<unsigned>(d.month())) + "月" +
         std::to_string(static_cast<unsigned>(d.day())) + "日";
}

// A movement with its counterparty: 金额 `amount`, `paid` of it paid then.
struct OnAccount {
  std::string name;
  int days_ago;
  int amount, paid;
};

class AgingTest : public StockFixture {
 protected:
  void SeedMovements(const char* side, const std::vector<OnAccount>& moves) {
    const bool sale = std::string(side) == "出库";
    TestStore store;
    Ok(store.OpenTable(StockFile(side).string(), "seed"));
    for (const OnAccount& m : moves) {
      std::vector<tables::FieldValue> values = {
          Gbk("CPU"), Gbk("A"), Gbk("X1"), m.amount,         std::string(),
          int64_t{1}, m.amount, Gbk(DaysAgo(m.days_ago)),    Gbk(m.name),
          m.paid};
      if (sale) values.emplace_back(int64_t{0});
      Ok(store.AppendRecord(values));
    }
  }
  void SeedPayments(const std::vector<std::pair<std::string, int>>& received,
                    const std::vector<std::pair<std::string, int>>& paid) {
    TestStore store;
    Ok(store.OpenTable((data() / (Gbk("收付款") + ".zdb")).string(), "seed"));
    auto add = [&](const std::pair<std::string, int>& p, const char* kind) {
      const tables::FieldValue values[] = {Gbk(DaysAgo(3)), Gbk(p.first), Gbk(kind),
                                           int64_t{p.second}, Gbk("现金"), std::string()};
      Ok(store.AppendRecord(values));
    };
    for (const auto& p : received) add(p, "收款");
    for (const auto& p : paid) add(p, "付款");
  }
  // The list as shown, one text per row, cells joined by "|".
  Texts Shown() {
    Texts rows;
    for (int r = 0; r < user_->RowCount(kAging, kAgedList); ++r) {
      std::string row;
      for (int c = 0; c < 10; ++c) row += (c ? "|" : "") + user_->Cell(kAging, kAgedList, r, c);
      rows.push_back(row);
    }
    return rows;
  }
  // The shop of the hand computation below.
  void SeedShop() {
    SeedRegister(data(), {{"张三", 300, 0, "zs", "13800000001"},
                          {"李四", 0, 0, "ls", "13800000002"},
                          {"王五", 500, 0, "ww"},
                          {"赵六", 0, 0, "zl"},
                          {"钱七", 0, 0, "qq"},
                          {"孙八", 0, 0, "sb"},
                          {"华强", 0, 0, "hq"}});
    SeedMovements("出库", {{"张三", 120, 1000, 0},
                           {"张三", 75, 500, 100},
                           {"张三", 45, 800, 800},
                           {"张三", 10, 600, 0},
                           {"李四", 200, 700, 0},
                           {"李四", 0, 300, 0},
                           {"赵六", 5, 100, 0},
                           {"钱七", 40, 250, 250},
                           {"", 50, 999, 0},  // a walk-in row owes nobody's debt
                           {"孙八", 30, 10, 0},
                           {"孙八", 31, 20, 0},
                           {"孙八", 60, 40, 0},
                           {"孙八", 61, 80, 0},
                           {"孙八", 90, 160, 0},
                           {"孙八", 91, 320, 0}});
    SeedMovements("入库", {{"华强", 95, 3000, 1000}, {"华强", 20, 400, 400}});
    SeedPayments({{"张三", 1500}, {"王五", 200}, {"赵六", 400}}, {{"华强", 500}});
  }
};

// By hand, 应收, FIFO (opening first, then sales oldest first):
//   张三: debts 期初 300, d120 1000, d75 400, d10 600; 收款 1500 settles
//         期初, d120 and 200 of d75: 800 left = d75 200 (61-90) + d10 600.
//   李四: d200 700 (over 90) + today 300 (0-30) = 1000, nothing paid.
//   孙八: the bucket edges: 30 and 31, 60 and 61, 90 and 91 days.
//   王五: 期初 500 − 200 = 300, of no known age.
//   赵六: sold 100, paid 400 ahead: 预收 300, listed after the debts.
//   钱七: paid in full: not listed.
// 应付: 华强 owes 2000 of d95 and 0 of d20, paid 500: 1500 over 90 days.
TEST_F(AgingTest, TheAgedListSplitsEachBalanceByTheAgeOfItsNewestUnpaidMovements) {
  Run([&] {
    Click(kQuote, "按钮客户管理");
    SeedShop();
    Click("窗口客户管理", "按钮欠款账龄");
    ASSERT_TRUE(user_->IsOpen(kAging));
    EXPECT_EQ(user_->Text(kAging, "透明标签说明"),
              "截至 " + Today() + "，账龄按未付的销售日期算，收款先抵最早的欠款");
    EXPECT_EQ(Shown(), (Texts{
                           "1|李四|13800000002|1000||300|||700|" + DaysAgo(200),
                           "2|张三|13800000001|800||600||200||" + DaysAgo(75),
                           "3|孙八||630||10|60|240|320|" + DaysAgo(91),
                           "4|王五||300|300|||||期初",
                           "|合计||2730|300|910|60|440|1020|",
                           "5|赵六||-300||||||",
                           "|预收合计||-300||||||",
                       }));
    Ok(user_->ChooseComboItem(kAging, "组合框类型", 1));
    user_->ProcessEvents();
    EXPECT_EQ(Shown(), (Texts{
                           "1|华强||1500|||||1500|" + DaysAgo(95),
                           "|合计||1500|0|0|0|0|1500|",
                       }));
    // The same balances as 客户管理 shows, reached back through 往来账.
    Click(kAging, "按钮往来账");
    Click("窗口往来账", "按钮欠款账龄");
    ASSERT_TRUE(user_->IsOpen(kAging));
    EXPECT_EQ(user_->Cell(kAging, kAgedList, 0, 3), "1000");
  });
}

TEST_F(AgingTest, SaveAsWritesTheListWithItsTitleDateAndTotals) {
  const fs::path csv = folder_ / "aged.csv";
  Run([&] {
    Click(kQuote, "按钮客户管理");
    SeedRegister(data(), {{"张三", 300, 0, "zs", "13800000001"}, {"赵六", 0, 0, "zl"}});
    SeedMovements("出库", {{"张三", 40, 500, 0}});
    SeedPayments({{"张三", 100}, {"赵六", 50}}, {});
    Click("窗口客户管理", "按钮欠款账龄");
    responder_.QueueFileDialogAnswer(csv.string());
    Click(kAging, "按钮另存为");
    EXPECT_EQ(Messages(), Texts{"导出成功！"});
  });
  EXPECT_EQ(ReadAll(csv),
            "\xEF\xBB\xBF应收欠款账龄表\r\n截至日期：" + Today() +
                "\r\n\r\n序号,姓名,电话,余额,期初,0-30天,31-60天,61-90天,90天以上,最早欠款日期\r\n"
                "1,张三,13800000001,700,200,,500,,,期初\r\n"
                ",合计,,700,200,0,500,0,0,\r\n"
                "2,赵六,,-50,,,,,,\r\n"
                ",预收合计,,-50,,,,,,\r\n");
}

}  // namespace
}  // namespace pcshop::app::testing
