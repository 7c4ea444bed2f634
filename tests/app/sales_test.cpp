// Sales and purchases on account through the real generated image and the
// runtime, offscreen: the counterparty and what was paid in the stock
// windows, the cost a sale carries, the balances they give in 客户管理 and
// 往来账, and the stock tables written before they had these fields.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/tables/table_store.h"
#include "runtime/ui/test_seam.h"
#include "tests/app/stock_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

constexpr char kCustomer[] = "窗口客户管理";
constexpr char kAccounts[] = "窗口往来账";
constexpr char kCustomers[] = "超级列表框客户信息";
constexpr char kWho[] = "组合框往来";
constexpr char kPaidBox[] = "编辑框实付";

class SalesTest : public StockFixture {
 protected:
  // Starts the program with the register `names` and CPU A X1 (1000) in
  // the catalogue; the scenario begins in 客户管理.
  void RunWith(const std::vector<Opening>& names, const std::function<void()>& scenario) {
    Run([&] {
      Seed("CPU", {{"CPU", "A", "X1", 1000, ""}});
      Click(kQuote, "按钮客户管理");
      SeedRegister(data(), names);
      scenario();
    });
  }
  // One movement of CPU A X1 written and confirmed.
  void Write(const char* window, const std::string& quantity, const std::string& price,
             const std::string& who, const std::string& paid) {
    ChooseProduct(window, kCpu, "A", 0);
    Enter(window, quantity, price);
    Ok(user_->SetText(window, kWho, who));
    Ok(user_->SetText(window, kPaidBox, paid));
    Click(window, "按钮新增");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u) << (said.empty() ? "" : said[0]);
    EXPECT_NE(said[1].find("成功"), std::string::npos) << said[1];
  }
  void Pay(const std::string& name, int kind, const std::string& amount) {
    Ok(user_->SetText(kAccounts, "组合框姓名", name));
    Ok(user_->PressEnter(kAccounts, "组合框姓名"));
    Ok(user_->ChooseComboItem(kAccounts, "组合框类型", kind));
    Ok(user_->SetText(kAccounts, "编辑框金额", amount));
    Click(kAccounts, "按钮新增");
    EXPECT_EQ(Messages().back(), "增加成功");
  }
  // 应收 and 应付 of 客户管理's row `row` after 刷新.
  std::string Listed(int row) {
    Click(kCustomer, "按钮刷新客户");
    return user_->Cell(kCustomer, kCustomers, row, 6) + "/" +
           user_->Cell(kCustomer, kCustomers, row, 7);
  }
};

TEST_F(SalesTest, SalesAndPurchasesOnAccountAndPaymentsGiveTheBalancesInBothWindows) {
  RunWith({{"曾小明", 100, 0}, {"华强", 0, 0}}, [&] {
    Click(kCustomer, "按钮入库管理");
    Write(kIn, "5", "800", "华强", "1000");  // owes 华强 3000
    Click(kIn, "按钮出库管理");
    Write(kOut, "2", "1000", "曾小明", "500");  // 曾小明 owes 1500 more
    EXPECT_EQ(user_->Cell(kOut, kList, 0, 9), "曾小明");
    EXPECT_EQ(user_->Cell(kOut, kList, 0, 10), "500");
    EXPECT_EQ(user_->Cell(kOut, kList, 0, 11), "800");  // the cost as it stood
    Click(kOut, "按钮客户管理");
    EXPECT_EQ(Listed(0), "1600/0");
    EXPECT_EQ(Listed(1), "0/3000");

    Click(kCustomer, "按钮往来账");
    Pay("曾小明", 0, "600");
    Pay("华强", 1, "1000");
    Click(kAccounts, "按钮入库管理");
    Write(kIn, "5", "1100", "", "");  // a cash purchase at a new price
    Click(kIn, "按钮出库管理");
    Write(kOut, "1", "1000", "曾小明", "0");
    Click(kOut, "按钮客户管理");
    Click(kCustomer, "按钮往来账");
    Ok(user_->SetText(kAccounts, "组合框姓名", "曾小明"));
    Ok(user_->PressEnter(kAccounts, "组合框姓名"));
    EXPECT_EQ(user_->Text(kAccounts, "透明标签余额"),
              "期初应收: 100    应收: 2000          期初应付: 0    应付: 0");
    Click(kAccounts, "按钮客户管理");
    EXPECT_EQ(Listed(0), "2000/0");
    EXPECT_EQ(Listed(1), "0/2000");
  });
  // The first sale keeps the cost it was written with; the second has the
  // average of both purchases, (4000 + 5500) / 10.
  EXPECT_EQ(MovesMoney("出库"), (std::vector<MoveMoney>{{"曾小明", 500, 800}, {"曾小明", 0, 950}}));
  EXPECT_EQ(MovesMoney("入库"), (std::vector<MoveMoney>{{"华强", 1000, -1}, {"", 5500, -1}}));
}

TEST_F(SalesTest, ModifyingOrDeletingASaleOrPurchaseMovesTheBalanceInBothWindows) {
  // Each case writes one movement, changes one box of it and 修改, or
  // deletes it (no box), and reads the balances: 应收/应付 of the three
  // names in 客户管理, and one name's line in 往来账. The sale is 2 × 1000
  // to 曾小明 with 500 paid, the purchase 5 × 800 from 华强 with 1000 paid.
  struct Case {
    const char* window;
    const char* box;
    const char* value;
    const char* listed;
    const char* name;
    const char* shown;
  };
  const Case kCases[] = {
      {kOut, kPaidBox, "1200", "900/0 0/50 0/0", "曾小明",
       "期初应收: 100    应收: 900          期初应付: 0    应付: 0"},
      {kOut, "编辑框价格", "1500", "2600/0 0/50 0/0", "曾小明",
       "期初应收: 100    应收: 2600          期初应付: 0    应付: 0"},
      {kOut, kWho, "张三", "100/0 0/50 1500/0", "张三",
       "期初应收: 0    应收: 1500          期初应付: 0    应付: 0"},
      {kOut, nullptr, "", "100/0 0/50 0/0", "曾小明",
       "期初应收: 100    应收: 100          期初应付: 0    应付: 0"},
      {kIn, kPaidBox, "4000", "100/0 0/50 0/0", "华强",
       "期初应收: 0    应收: 0          期初应付: 50    应付: 50"},
      {kIn, "编辑框价格", "900", "100/0 0/3550 0/0", "华强",
       "期初应收: 0    应收: 0          期初应付: 50    应付: 3550"},
      {kIn, nullptr, "", "100/0 0/50 0/0", "华强",
       "期初应收: 0    应收: 0          期初应付: 50    应付: 50"},
  };
  RunWith({{"曾小明", 100, 0}, {"华强", 0, 50}, {"张三", 0, 0}}, [&] {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::string(c.window) + " " + (c.box ? c.box : "删除") + " " + c.value);
      const bool out = c.window == kOut;
      const char* to_window = out ? "按钮出库管理" : "按钮入库管理";
      Click(kCustomer, to_window);
      if (out) {
        Write(kOut, "2", "1000", "曾小明", "500");
      } else {
        Write(kIn, "5", "800", "华强", "1000");
      }
      Ok(user_->PressListCell(c.window, kList, 0, 1));
      if (c.box != nullptr) {
        Ok(user_->SetText(c.window, c.box, c.value));
        Click(c.window, "按钮修改");
        EXPECT_EQ(Messages().back(), "修改成功");
      } else {
        Click(c.window, "按钮删除");
        EXPECT_EQ(Messages().back(), "删除成功");
      }
      Click(c.window, "按钮客户管理");
      EXPECT_EQ(Listed(0) + " " + Listed(1) + " " + Listed(2), c.listed);
      Click(kCustomer, "按钮往来账");
      Ok(user_->SetText(kAccounts, "组合框姓名", c.name));
      Ok(user_->PressEnter(kAccounts, "组合框姓名"));
      EXPECT_EQ(user_->Text(kAccounts, "透明标签余额"), c.shown);
      Click(kAccounts, to_window);
      // The next case starts from no movement.
      Click(c.window, "按钮全部商品");
      if (user_->RowCount(c.window, kList) == 1) {
        Ok(user_->PressListCell(c.window, kList, 0, 1));
        Click(c.window, "按钮删除");
      }
      EXPECT_EQ(user_->RowCount(c.window, kList), 0);
      responder_.Clear();
      Click(c.window, "按钮客户管理");
    }
  });
}

TEST_F(SalesTest, ASaleLeftMarkedByAnInterruptedDeleteSurvivesTheNextDeleteAndStillCounts) {
  RunWith({{"曾小明", 0, 0}}, [&] {
    Click(kCustomer, "按钮出库管理");
    Write(kOut, "1", "1000", "曾小明", "100");
    Write(kOut, "1", "1000", "曾小明", "300");
    {
      // An earlier run was killed between a delete's mark and its purge.
      TestStore store;
      Ok(store.OpenTable(StockFile("出库").string(), "mark"));
      Ok(store.GoToRecord(1));
      Ok(store.DeleteRecord());
    }
    Click(kOut, "按钮全部商品");
    ASSERT_EQ(user_->RowCount(kOut, kList), 2);
    Ok(user_->PressListCell(kOut, kList, 1, 1));
    Click(kOut, "按钮删除");
    EXPECT_EQ(Messages().back(), "删除成功");
    EXPECT_EQ(user_->RowCount(kOut, kList), 1);
    Click(kOut, "按钮客户管理");
    EXPECT_EQ(Listed(0), "900/0");
  });
  EXPECT_EQ(MovesMoney("出库"), (std::vector<MoveMoney>{{"曾小明", 100, 0}}));
}

TEST_F(SalesTest, BadCounterpartyOrPaidIsRefusedWithItsMessageAndWritesNothing) {
  struct Case {
    const char* window;
    const char* who;
    const char* paid;
    const char* message;
  };
  const Case kCases[] = {
      {kOut, "曾小明", "12.5", "实收必须是整数（不填为付清全部金额）"},
      {kOut, "曾小明", "一百", "实收必须是整数（不填为付清全部金额）"},
      {kOut, "曾小明", "-1", "实收不能是负数"},
      {kOut, "曾小明", "2001", "实收不能大于金额"},
      {kOut, "", "1999", "客户为空是散客，散客必须付清：实收应等于金额"},
      {kOut, "", "0", "客户为空是散客，散客必须付清：实收应等于金额"},
      {kOut, "", "2001", "实收不能大于金额"},
      {kOut, "赵六", "",
       "客户管理中没有这个姓名: 赵六\r\n\r\n请按“新客户”到客户管理中增加这个客户，再回来记账"},
      {kIn, "华强", "x", "实付必须是整数（不填为付清全部金额）"},
      {kIn, "", "5", "供应商为空的入库必须付清：实付应等于金额"},
  };
  RunWith({{"曾小明", 0, 0}, {"华强", 0, 0}}, [&] {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::string(c.who) + " " + c.paid);
      Click(kCustomer, c.window == kOut ? "按钮出库管理" : "按钮入库管理");
      ChooseProduct(c.window, kCpu, "A", 0);
      Enter(c.window, "2", "1000");
      Ok(user_->SetText(c.window, kWho, c.who));
      Ok(user_->SetText(c.window, kPaidBox, c.paid));
      Click(c.window, "按钮新增");
      EXPECT_EQ(Messages(), Texts{c.message});
      Click(c.window, "按钮客户管理");
    }
    // 新客户 takes the unknown name to 客户管理, ready to be added.
    Click(kCustomer, "按钮出库管理");
    Ok(user_->SetText(kOut, kWho, "赵六"));
    Click(kOut, "按钮新客户");
    ASSERT_TRUE(user_->IsOpen(kCustomer));
    EXPECT_EQ(user_->Text(kCustomer, "编辑框客户姓名"), "赵六");
  });
  EXPECT_EQ(Moves("出库"), std::vector<Move>{});
  EXPECT_EQ(Moves("入库"), std::vector<Move>{});
}

TEST_F(SalesTest, TheCounterpartyBoxFindsNamesAsTheyAreTypedWithoutCompletingThem) {
  RunWith({{"曾小明", 0, 0, "zxm"}, {"张三", 0, 0, "zs", "13800"}, {"曾大", 0, 0, "zd"}}, [&] {
    Click(kCustomer, "按钮出库管理");
    Ok(user_->TypeText(kOut, kWho, "ZX"));  // pinyin code, either case
    user_->ProcessEvents();
    EXPECT_EQ(user_->Items(kOut, kWho), Texts{"曾小明"});
    EXPECT_EQ(user_->Text(kOut, kWho), "ZX");
    Ok(user_->SetText(kOut, kWho, "138"));  // phone
    user_->ProcessEvents();
    EXPECT_EQ(user_->Items(kOut, kWho), Texts{"张三"});
    Ok(user_->SetText(kOut, kWho, "曾"));
    user_->ProcessEvents();
    EXPECT_EQ(user_->Items(kOut, kWho), (Texts{"曾小明", "曾大"}));
    // Any part finds: of the name, of the code, of the phone.
    const std::pair<const char*, Texts> parts[] = {
        {"小明", {"曾小明"}}, {"xm", {"曾小明"}}, {"380", {"张三"}}, {"d", {"曾大"}}};
    for (const auto& [typed, names] : parts) {
      Ok(user_->SetText(kOut, kWho, typed));
      user_->ProcessEvents();
      EXPECT_EQ(user_->Items(kOut, kWho), names) << typed;
      EXPECT_EQ(user_->Text(kOut, kWho), typed);
    }
  });
}

TEST_F(SalesTest, AWholeSaleOnAccountSaysWhenAndToWhomTheConfigurationWasSoldBefore) {
  RunWith({{"曾小明", 0, 0}}, [&] {
    SeedSixPartSale();
    Click(kCustomer, "按钮出库管理");
    Ok(user_->ChooseComboItem(kOut, "组合框配置名", 0));
    Ok(user_->SetText(kOut, kWho, "曾小明"));
    Ok(user_->SetText(kOut, kPaidBox, "1500"));
    Click(kOut, "按钮整单出库");
    Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_NE(said[0].find("合计金额: 4750\r\n客户: 曾小明\r\n实收: 1500"), std::string::npos);
    EXPECT_EQ(said[0].find("已出库过"), std::string::npos);
    Click(kOut, "按钮整单出库");
    said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_NE(said[0].find("注意：这个配置已出库过:\r\n" + Today() + " 售给 曾小明"),
              std::string::npos)
        << said[0];
    Ok(user_->SetText(kOut, kPaidBox, "4751"));
    Click(kOut, "按钮整单出库");
    EXPECT_EQ(Messages(), Texts{"实收不能大于金额"});
    Click(kOut, "按钮客户管理");
    EXPECT_EQ(Listed(0), "6500/0");
  });
  // What was paid covers the rows in order: 1000 of the CPU, 500 of the board.
  const std::vector<MoveMoney> sold = MovesMoney("出库");
  ASSERT_EQ(sold.size(), 12u);
  EXPECT_EQ(sold[0], (MoveMoney{"曾小明", 1000, 0}));
  EXPECT_EQ(sold[1], (MoveMoney{"曾小明", 500, 0}));
  EXPECT_EQ(sold[2], (MoveMoney{"曾小明", 0, 0}));
}

TEST_F(SalesTest, AStockTableOfTodaysEightFieldsIsUpgradedAndReadsAsPaidInFull) {
  std::filesystem::create_directories(data());
  for (const char* side : {"入库", "出库"}) {
    TestStore store;
    Ok(store.CreateTable(StockFile(side).string(), EightMovementFields()));
    Ok(store.OpenTable(StockFile(side).string(), "old"));
    const tables::FieldValue values[] = {Gbk("CPU"), Gbk("A"), Gbk("X1"), 1000,
                                         Gbk("旧"),  2,        2000,      Gbk("2025年1月2日")};
    Ok(store.AppendRecord(values));
  }
  RunWith({{"曾小明", 50, 0}}, [&] {
    Click(kCustomer, "按钮出库管理");
    EXPECT_EQ(Messages(), Texts{});
    Click(kOut, "按钮全部商品");
    ASSERT_EQ(user_->RowCount(kOut, kList), 1);
    EXPECT_EQ(user_->Cell(kOut, kList, 0, 9), "");
    EXPECT_EQ(user_->Cell(kOut, kList, 0, 10), "2000");
    EXPECT_EQ(user_->Cell(kOut, kList, 0, 11), "");  // no cost known, not 0
    Click(kOut, "按钮客户管理");
    EXPECT_EQ(Listed(0), "50/0");
  });
  EXPECT_EQ(FieldsOf(data() / "出库.zdb"), MovementFields(true));
  EXPECT_EQ(FieldsOf(data() / "入库.zdb"), MovementFields(false));
  EXPECT_EQ(Moves("出库"),
            (std::vector<Move>{{"CPU", "A", "X1", 1000, "旧", 2, 2000, "2025年1月2日"}}));
  EXPECT_EQ(MovesMoney("出库"), (std::vector<MoveMoney>{{"", 0, 0}}));
}

}  // namespace
}  // namespace pcshop::app::testing
