// 报表 through the real generated image and the runtime, offscreen: a small
// shop with purchases at two costs, sales on account and in cash, a sale
// without a cost and a return written as a deletion, every figure and list
// against a hand computation, across a month boundary and for an empty
// period. The program folder is shared with the other app tests: same lock.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/reports/report_period.h"
#include "runtime/tables/table_store.h"
#include "tests/app/stock_fixture.h"
#include "tests/app/table_expectations.h"
#include "tests/runtime/document/tool_output.h"

namespace pcshop::app::testing {
namespace {

constexpr char kReports[] = "窗口报表";

struct Line {
  const char* kind;
  const char* brand;
  const char* model;
  int quantity, amount;
  const char* date;
  const char* name;
  int paid, cost;  // cost only for sales
};

class ReportsTest : public StockFixture {
 protected:
  void Seed(const char* side, const std::vector<Line>& lines) {
    const bool sale = std::string(side) == "出库";
    TestStore store;
    Ok(store.OpenTable(StockFile(side).string(), "seed"));
    for (const Line& l : lines) {
      std::vector<tables::FieldValue> values = {
          Gbk(l.kind),         Gbk(l.brand), Gbk(l.model), int64_t{0},    std::string(),
          int64_t{l.quantity}, l.amount,     Gbk(l.date),  Gbk(l.name),   int64_t{l.paid}};
      if (sale) values.emplace_back(int64_t{l.cost});
      Ok(store.AppendRecord(values));
    }
  }
  // The shop of the hand computation below.
  void SeedShop() {
    SeedRegister(data(), {{"张三", 20, 0, "zs"}, {"李四", 0, 0, "ls"}, {"华强", 0, 0, "hq"}});
    Seed("入库", {{"CPU", "A", "X1", 10, 1000, "2024年1月10日", "华强", 1000, 0},
                  {"CPU", "A", "X1", 10, 1200, "2024年2月5日", "华强", 200, 0},
                  {"内存", "B", "M1", 5, 500, "2024年1月20日", "", 500, 0}});
    Seed("出库", {{"CPU", "A", "X1", 2, 300, "2024年1月31日", "张三", 0, 100},
                  {"CPU", "A", "X1", 1, 160, "2024年2月1日", "", 160, 110},
                  {"内存", "B", "M1", 3, 450, "2024年2月29日", "张三", 200, 100},
                  {"显卡", "C", "G1", 1, 999, "2024年2月10日", "李四", 999, 0},
                  {"CPU", "A", "X1", 5, 800, "2024年2月15日", "张三", 0, 110},
                  {"CPU", "A", "X1", 1, 150, "2024年3月1日", "", 150, 110}});
    // The return of the 2月15日 sale: its line deleted, as 出库管理 does.
    TestStore store;
    Ok(store.OpenTable(StockFile("出库").string(), "seed"));
    Ok(store.GoToRecord(5));
    Ok(store.RemoveRecord());
    TestStore payments;
    Ok(payments.OpenTable((data() / (Gbk("收付款") + ".zdb")).string(), "seed"));
    for (const auto& [date, name, kind, amount] :
         {std::tuple{"2024年1月15日", "张三", "收款", 50}, {"2024年2月20日", "张三", "收款", 100},
          {"2024年2月25日", "华强", "付款", 300}}) {
      const tables::FieldValue values[] = {Gbk(date), Gbk(name), Gbk(kind), int64_t{amount},
                                           Gbk("现金"), std::string()};
      Ok(payments.AppendRecord(values));
    }
  }
  void ChooseRange(const char* from, const char* to) {
    Ok(user_->ChooseComboItem(kReports, "组合框期间", 5));
    Ok(user_->SetText(kReports, "编辑框从", from));
    Ok(user_->SetText(kReports, "编辑框到", to));
    Click(kReports, "按钮刷新");
  }
  Texts Rows(const char* list, int columns) {
    Texts rows;
    for (int r = 0; r < user_->RowCount(kReports, list); ++r) {
      std::string row;
      for (int c = 0; c < columns; ++c) row += (c ? "|" : "") + user_->Cell(kReports, list, r, c);
      rows.push_back(row);
    }
    return rows;
  }
};

// By hand, 2024年2月1日-29日 against the 29 days before (1月3日-31日):
//   sales 160 + 450 + 999 = 1609 (the returned 800 gone), cost 1×110 + 3×100
//   = 410 of the 610 that carry a cost (显卡 has none): profit 200, 32.8%;
//   January: 300, cost 200, profit 100, 33.3%.
//   应收 at 2月29日: 期初 20 + 张三 300 + 250 unpaid − 150 received = 420; at
//   1月31日: 20 + 300 − 50 = 270. 应付: 1000 unpaid − 300 paid = 700; 0.
//   Stock: CPU 20 in − 4 out = 16 at 2200/20 = 110: 1760; 内存 2 at 100: 200;
//   显卡 sold but never received: −1, no value.
TEST_F(ReportsTest, FiguresAndListsMatchAHandComputationAcrossAMonthBoundary) {
  Run([&] {
    Click(kQuote, "按钮报表");
    ASSERT_TRUE(user_->IsOpen(kReports));
    SeedShop();
    ChooseRange("2024年2月1日", "2024-2-29");
    EXPECT_EQ(user_->Text(kReports, "透明标签说明"),
              "期间：2024年2月1日 至 2024年2月29日；上期：2024年1月3日 至 2024年1月31日；"
              "无成本的销售额 999 元未计毛利");
    EXPECT_EQ(Rows("超级列表框概况", 3),
              (Texts{"销售额|1609|300", "销售成本|410|200", "毛利|200|100",
                     "毛利率|32.8%|33.3%", "销售笔数|3|1", "进货额|1200|1500", "进货笔数|1|2",
                     "收款|100|50", "付款|300|0", "期末应收|420|270", "期末应付|700|0"}));
    EXPECT_EQ(Rows("超级列表框销售", 8),
              (Texts{"显卡|C|G1|1|999|0|0|1", "内存|B|M1|3|450|300|150|1",
                     "CPU|A|X1|1|160|110|50|1", "合计|||5|1609|410|200|3"}));
    Ok(user_->ChooseComboItem(kReports, "组合框销售", 2));
    EXPECT_EQ(Rows("超级列表框销售", 8),
              (Texts{"李四|||1|999|0|0|1", "张三|||3|450|300|150|1", "散客|||1|160|110|50|1",
                     "合计|||5|1609|410|200|3"}));
    EXPECT_EQ(Rows("超级列表框库存", 7),
              (Texts{"CPU|||16||1760|", "内存|||2||200|", "合计|||18||1960|"}));
    Ok(user_->ChooseComboItem(kReports, "组合框库存", 1));
    EXPECT_EQ(Rows("超级列表框库存", 7), (Texts{"显卡|C|G1|-1||0|1"}));
    Ok(user_->SetText(kReports, "编辑框预警", "2"));
    Ok(user_->ChooseComboItem(kReports, "组合框库存", 1));
    EXPECT_EQ(Rows("超级列表框库存", 7), (Texts{"内存|B|M1|2|100|200|3", "显卡|C|G1|-1||0|1"}));
    // A threshold that is no number is said and clears the list; the last
    // good one is what the window opens with next time.
    Ok(user_->SetText(kReports, "编辑框预警", "两"));
    Ok(user_->PressEnter(kReports, "编辑框预警"));
    user_->ProcessEvents();
    EXPECT_EQ(Messages(), std::vector<std::string>{"预警请填0或正整数，如 3。"});
    EXPECT_EQ(user_->RowCount(kReports, "超级列表框库存"), 0);
    Click(kReports, "按钮返回");
    Click(kQuote, "按钮报表");
    EXPECT_EQ(user_->Text(kReports, "编辑框预警"), "2");
    ChooseRange("2024年2月1日", "2024-2-29");
    // Nothing sold in the 90 days up to today: all stock is slow.
    Ok(user_->ChooseComboItem(kReports, "组合框库存", 2));
    EXPECT_EQ(Rows("超级列表框库存", 7),
              (Texts{"CPU|A|X1|16|110|1760|1", "内存|B|M1|2|100|200|3"}));
    EXPECT_EQ(user_->Text(kReports, "透明标签图表说明"), "");
  });
}

TEST_F(ReportsTest, AnEmptyPeriodShowsZerosAndSaysSo) {
  Run([&] {
    Click(kQuote, "按钮报表");
    SeedShop();
    ChooseRange("2023年1月1日", "2023年1月31日");
    EXPECT_EQ(user_->Text(kReports, "透明标签说明"),
              "期间：2023年1月1日 至 2023年1月31日；上期：2022年12月1日 至 2022年12月31日；"
              "本期没有记录，各项为0");
    EXPECT_EQ(Rows("超级列表框概况", 3),
              (Texts{"销售额|0|0", "销售成本|0|0", "毛利|0|0", "毛利率|-|-", "销售笔数|0|0",
                     "进货额|0|0", "进货笔数|0|0", "收款|0|0", "付款|0|0", "期末应收|20|20",
                     "期末应付|0|0"}));
    EXPECT_EQ(Rows("超级列表框销售", 8), (Texts{"合计|||0|0|0|0|0"}));
    EXPECT_EQ(user_->Text(kReports, "透明标签图表说明"), "本期没有数据，图表为空");
    // A range that cannot be read clears the figures and says how to write it.
    ChooseRange("2023年2月30日", "2023年3月1日");
    EXPECT_EQ(user_->RowCount(kReports, "超级列表框概况"), 0);
    EXPECT_EQ(user_->Text(kReports, "透明标签说明"),
              "请在“从”和“到”填入日期（如2024年5月3日），“从”不能晚于“到”");
  });
}

// A settings table that cannot be written (here damaged) does not stop the
// report: the threshold is used, and that it was not kept is said once.
TEST_F(ReportsTest, AThresholdThatCannotBeKeptIsUsedAndSaidOnce) {
  PCSHOP_SKIP_ON_SERVER("the damage is done to a table file");
  Run([&] {
    std::ofstream(data() / "设置.zdb", std::ios::trunc) << "damaged";
    Click(kQuote, "按钮报表");
    SeedShop();
    for (int round = 0; round < 2; ++round) {
      Ok(user_->SetText(kReports, "编辑框预警", "3"));
      Ok(user_->PressEnter(kReports, "编辑框预警"));
      user_->ProcessEvents();
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{"预警的值用于这次的报表，但没有保存下来："
                                                   "设置表无法写入（只读或已损坏）。"});
    EXPECT_EQ(user_->Text(kReports, "编辑框预警"), "3");
  });
  std::filesystem::remove(data() / "设置.zdb");
}

// The printed sales list carries the five charts of the period above the
// list, as vector text a PDF reader finds; the empty one says so.
TEST_F(ReportsTest, ThePrintedSalesListCarriesTheChartsAboveIt) {
  using pcshop::testing::PdfPages;
  using pcshop::testing::PdfText;
  if (!pcshop::testing::HasTool("pdftotext") || !pcshop::testing::HasTool("pdfinfo")) {
    GTEST_SKIP() << "poppler-utils missing";
  }
  Run([&] {
    Click(kQuote, "按钮报表");
    SeedShop();
    ChooseRange("2024年2月1日", "2024-2-29");
    // The PDF a 存为PDF button wrote, its text, and the file gone again.
    auto saved_pdf = [&](const char* button, const char* stem, int* pages) {
      (void)Messages();
      Click(kReports, button);
      const std::vector<std::string> said = Messages();
      EXPECT_EQ(said.size(), 2u);
      if (said.size() != 2) return std::string();
      EXPECT_EQ(said[1], "存为PDF成功！");
      std::filesystem::path pdf;
      for (const auto& e : std::filesystem::recursive_directory_iterator(folder_)) {
        const std::string name = e.path().filename().string();
        if (name.starts_with(stem) && said[0].ends_with(name)) pdf = e.path();
      }
      EXPECT_FALSE(pdf.empty()) << said[0];
      if (pdf.empty()) return std::string();
      *pages = PdfPages(pdf);
      std::string text = PdfText(pdf);
      std::filesystem::remove(pdf);
      return text;
    };
    int pages = 0;
    const std::string text = saved_pdf("按钮销售存为PDF", "商品销售统计", &pages);
    EXPECT_GE(pages, 2) << "five charts and the list do not fit one page";
    // In order: the charts (the twelve months before today are empty), then the list.
    size_t at = 0;
    for (const char* expected :
         {"商品销售统计", "期间:2024年2月1日 至 2024年2月29日", "销售额与毛利", "毛利前十", "C G1",
          "销量前十", "类别销售额", "显卡 999", "近十二个月进货与销售", "本期没有数据",
          "合计 5 1609 410 200 3"}) {
      const size_t found = text.find(expected, at);
      EXPECT_NE(found, std::string::npos) << expected << " after " << at << " in\n" << text;
      if (found != std::string::npos) at = found;
    }
    // A stock list has no chart and says its rule, the threshold included.
    Ok(user_->SetText(kReports, "编辑框预警", "2"));
    Ok(user_->ChooseComboItem(kReports, "组合框库存", 1));
    const std::string low = saved_pdf("按钮库存存为PDF", "缺货预警", &pages);
    EXPECT_NE(low.find("本期卖出过、库存不高于 2"), std::string::npos) << low;
    EXPECT_EQ(low.find("销售额与毛利"), std::string::npos) << low;
  });
}

// 2024年3月13日 is a Wednesday, day 19795.
TEST(ReportPeriodTest, ChoicesCoverWholeCalendarUnitsAndThePreviousOneBesideThem) {
  constexpr int64_t kMar13 = 19795;
  constexpr int64_t kFeb1 = kMar13 - 41, kMar1 = kMar13 - 12, kJan1 = kFeb1 - 31;
  struct Case {
    PeriodChoice choice;
    DayRange period, previous;
  };
  const Case cases[] = {
      {PeriodChoice::kToday, {kMar13, kMar13}, {kMar13 - 1, kMar13 - 1}},
      {PeriodChoice::kThisWeek, {kMar13 - 2, kMar13 + 4}, {kMar13 - 9, kMar13 - 3}},
      {PeriodChoice::kThisMonth, {kMar1, kMar1 + 30}, {kFeb1, kMar1 - 1}},
      {PeriodChoice::kLastMonth, {kFeb1, kMar1 - 1}, {kJan1, kFeb1 - 1}},
      {PeriodChoice::kThisYear, {kJan1, kJan1 + 365}, {kJan1 - 365, kJan1 - 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.choice));
    const auto period = PeriodOf(c.choice, kMar13, std::nullopt, std::nullopt);
    ASSERT_TRUE(period);
    EXPECT_EQ(*period, c.period);
    EXPECT_EQ(PreviousPeriod(c.choice, *period), c.previous);
  }
  EXPECT_EQ(PeriodOf(PeriodChoice::kRange, kMar13, kMar1, kMar13), (DayRange{kMar1, kMar13}));
  EXPECT_EQ(PreviousPeriod(PeriodChoice::kRange, {kMar1, kMar13}), (DayRange{kMar1 - 13, kMar1 - 1}));
  EXPECT_FALSE(PeriodOf(PeriodChoice::kRange, kMar13, kMar13, kMar1));
  EXPECT_FALSE(PeriodOf(PeriodChoice::kRange, kMar13, std::nullopt, kMar1));
}

}  // namespace
}  // namespace pcshop::app::testing
