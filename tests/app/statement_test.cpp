// The statement of account in 往来账, through the real generated image and
// the runtime, offscreen: sales, purchases and payments of one name seeded
// with their dates, the statement made over a range and checked against a
// hand computation, its bad inputs, and what 另存为 and 打印 hand on.

#include <gtest/gtest.h>

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/kernel/runtime.h"
#include "tests/app/stock_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kAccounts[] = "窗口往来账";
constexpr char kStatement[] = "超级列表框对账单";
constexpr char kTitle[] = "透明标签对账单";

// A sale (出库) or purchase (入库) of one name; texts UTF-8.
struct Deal {
  std::string date, kind, brand, model;
  int64_t quantity, amount, paid;
  std::string name = "张三";
};
struct Pay {
  std::string date, name, kind;
  int64_t amount;
  std::string method, remark;
};

class StatementTest : public StockFixture {
 protected:
  // Registers 张三 (期初 应收 100, 应付 50) and 李四, opens 往来账 and seeds
  // the deals and payments below.
  void Run(const std::function<void()>& scenario) {
    StockFixture::Run([&] {
      Click(kQuote, "按钮客户管理");
      SeedRegister(data(), {{"张三", 100, 50}, {"李四", 0, 0}});
      Click("窗口客户管理", "按钮往来账");
      ASSERT_TRUE(user_->IsOpen(kAccounts));
      SeedDeals("出库", {{"2024年4月20日", "CPU", "I", "C1", 1, 1000, 0},
                         {"2024年5月3日", "内存", "K", "R1", 2, 600, 100},
                         {"2024年5月10日", "显卡", "N", "G1", 1, 2000, 500},
                         {"2024年6月2日", "其它", "W", "O1", 1, 50, 0},
                         {"2024年5月4日", "CPU", "I", "C1", 1, 1000, 0, "李四"}});
      SeedDeals("入库", {{"2024年5月10日", "电源", "P", "P1", 3, 900, 400}});
      SeedPayments({{"2024年4月25日", "张三", "收款", 300, "现金", ""},
                    {"2024年5月12日", "张三", "付款", 100, "银行转账", ""},
                    {"2024年5月3日", "张三", "收款", 200, "微信", "部分付款"},
                    {"2024年5月12日", "李四", "收款", 999, "现金", ""}});
      scenario();
    });
  }
  void SeedDeals(const char* side, const std::vector<Deal>& deals) {
    const bool sale = std::string(side) == "出库";
    TestStore store;
    Ok(store.OpenTable(StockFile(side).string(), "seed"));
    for (const Deal& d : deals) {
      std::vector<tables::FieldValue> v = {Gbk(d.kind), Gbk(d.brand), Gbk(d.model), int64_t{0},
                                           std::string(), d.quantity, d.amount, Gbk(d.date),
                                           Gbk(d.name), d.paid};
      if (sale) v.emplace_back(int64_t{0});
      Ok(store.AppendRecord(v));
    }
  }
  void SeedPayments(const std::vector<Pay>& pays) {
    TestStore store;
    Ok(store.OpenTable((data() / (Gbk("收付款") + ".zdb")).string(), "seed"));
    for (const Pay& p : pays) {
      Ok(store.AppendRecord(std::vector<tables::FieldValue>{
          Gbk(p.date), Gbk(p.name), Gbk(p.kind), p.amount, Gbk(p.method), Gbk(p.remark)}));
    }
  }
  // Name and range typed, then 对账单 (or another statement button).
  void Ask(const std::string& name, const std::string& from, const std::string& to,
           const char* button = "按钮对账单") {
    Ok(user_->SetText(kAccounts, "组合框姓名", name));
    Ok(user_->SetText(kAccounts, "编辑框从", from));
    Ok(user_->SetText(kAccounts, "编辑框到", to));
    Click(kAccounts, button);
  }
  std::vector<Texts> Rows() {
    std::vector<Texts> rows;
    for (int r = 0; r < user_->RowCount(kAccounts, kStatement); ++r) {
      Texts row;
      for (int c = 0; c < 8; ++c) row.push_back(user_->Cell(kAccounts, kStatement, r, c));
      rows.push_back(std::move(row));
    }
    return rows;
  }
};

// By hand: brought forward 应收 100 + 1000 - 300 = 800, 应付 50. Then
// 余额 = 应收 - 应付 after each line; on 5月3日 the sale comes before the
// payment, on 5月10日 the sale before the purchase. 6月2日 is past the range.
TEST_F(StatementTest, ARangeGivesTheBalanceBroughtForwardTheLinesInDateOrderAndTheClosing) {
  Run([&] {
    Ask("张三", "2024-5-1", "2024年5月31日");
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_EQ(Rows(), (std::vector<Texts>{
                          {"", "2024年5月1日", "上期结余", "", "", "", "", "750"},
                          {"1", "2024年5月3日", "销售 内存 K R1 ×2", "600", "100", "", "", "1250"},
                          {"2", "2024年5月3日", "收款 微信 部分付款", "", "200", "", "", "1050"},
                          {"3", "2024年5月10日", "销售 显卡 N G1 ×1", "2000", "500", "", "", "2550"},
                          {"4", "2024年5月10日", "采购 电源 P P1 ×3", "", "", "900", "400", "2050"},
                          {"5", "2024年5月12日", "付款 银行转账", "", "", "", "100", "2150"},
                          {"", "2024年5月31日", "期末余额", "2600", "800", "900", "500", "2150"}}));
    EXPECT_EQ(user_->Text(kAccounts, kTitle),
              "对账单: 张三    期间: 2024年5月1日 至 2024年5月31日    上期结余: 750（应收 800，应付 "
              "50）    期末余额: 2150（应收 2600，应付 450）");

    // No range: everything up to today, closing at the balances 往来账 shows.
    Ask("张三", "", "");
    const std::vector<Texts> all = Rows();
    ASSERT_EQ(all.size(), 10u);
    EXPECT_EQ(all[0], (Texts{"", "", "上期结余", "", "", "", "", "50"}));
    EXPECT_EQ(all[1][1], "2024年4月20日");
    EXPECT_EQ(all[9], (Texts{"", Today(), "期末余额", "3650", "1100", "900", "500", "2200"}));
    Ok(user_->PressEnter(kAccounts, "组合框姓名"));
    user_->ProcessEvents();
    EXPECT_EQ(user_->Text(kAccounts, "透明标签余额"),
              "期初应收: 100    应收: 2650          期初应付: 50    应付: 450");
  });
}

TEST_F(StatementTest, BadRequestsGetTheirMessageAndEmptyTheStatement) {
  struct Case {
    const char* name;
    const char* from;
    const char* to;
    const char* message;
  };
  const Case kCases[] = {
      {"", "", "", "请先选择姓名"},
      {"赵六", "", "",
       "客户管理中没有这个姓名: 赵六\r\n\r\n请按“新客户”到客户管理中增加这个客户，再回来记账"},
      {"张三", "2024-2-30", "", "日期不是有效的日期，请写成 2024年5月3日 或 2024-5-3"},
      {"张三", "", "五月底", "日期不是有效的日期，请写成 2024年5月3日 或 2024-5-3"},
      {"张三", "2024-6-1", "2024-5-31", "开始日期“从”不能晚于结束日期“到”"},
  };
  Run([&] {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::string(c.name) + " " + c.from + " " + c.to);
      Ask("张三", "", "");
      ASSERT_GT(user_->RowCount(kAccounts, kStatement), 0);
      Ask(c.name, c.from, c.to);
      EXPECT_EQ(Messages(), Texts{c.message});
      EXPECT_EQ(user_->RowCount(kAccounts, kStatement), 0);
      EXPECT_EQ(user_->Text(kAccounts, kTitle), "");
    }
  });
}

TEST_F(StatementTest, SaveAsWritesTheStatementWithItsLinesAndPrintOpensItsPreview) {
  const fs::path csv = folder_ / "statement.csv";
  int pages = -1;
  runtime_->documents().SetPreviewResponder([&](QPrintPreviewDialog& dialog) {
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    ASSERT_NE(preview, nullptr);
    preview->updatePreview();
    pages = preview->pageCount();
  });
  Run([&] {
    responder_.QueueFileDialogAnswer(csv.string());
    Ask("张三", "2024-5-10", "2024-5-12", "按钮另存为");
    EXPECT_EQ(Messages(), Texts{"导出成功！"});
    Click(kAccounts, "按钮打印");
    EXPECT_EQ(Messages(), Texts{});
  });
  EXPECT_EQ(pages, 1);
  EXPECT_EQ(runtime_->documents().open_count(), 0u);
  EXPECT_EQ(ReadAll(csv),
            "\xEF\xBB\xBF"
            "对账单\r\n姓名: 张三\r\n期间: 2024年5月10日 至 2024年5月12日\r\n"
            "上期结余: 1050（应收 1100，应付 50）\r\n期末余额: 2150（应收 2600，应付 450）\r\n\r\n"
            "序号,日期,摘要,销售金额,已收,采购金额,已付,余额\r\n"
            ",2024年5月10日,上期结余,,,,,1050\r\n"
            "1,2024年5月10日,销售 显卡 N G1 ×1,2000,500,,,2550\r\n"
            "2,2024年5月10日,采购 电源 P P1 ×3,,,900,400,2050\r\n"
            "3,2024年5月12日,付款 银行转账,,,,100,2150\r\n"
            ",2024年5月12日,期末余额,2000,500,900,500,2150\r\n");
  fs::remove(csv);
}

}  // namespace
}  // namespace pcshop::app::testing
