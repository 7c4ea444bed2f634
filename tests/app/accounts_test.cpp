// Payments and the balances derived from them, through the real generated
// image and the runtime, offscreen: a user records money received and paid
// in 往来账 and reads the balances there and in 客户管理. The program folder
// is shared with the other app tests: same lock.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/tables/table_store.h"
#include "runtime/ui/test_seam.h"
#include "tests/app/app_fixture.h"
#include "tests/app/stock_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

constexpr char kAccounts[] = "窗口往来账";
constexpr char kCustomer[] = "窗口客户管理";
constexpr char kPayments[] = "超级列表框收付款";
constexpr char kCustomers[] = "超级列表框客户信息";
constexpr char kBalances[] = "透明标签余额";
constexpr int kReceived = 0;  // 收款
constexpr int kPaid = 1;      // 付款

using Pay = PaymentRow;

class AccountsTest : public AppFixture {
 protected:
  // Starts the program, registers `register_names` and opens 往来账.
  void Run(const std::vector<Opening>& register_names, const std::function<void()>& scenario) {
    AppFixture::Run([&] {
      Click(kQuote, "按钮客户管理");
      SeedRegister(data(), register_names);
      Click(kCustomer, "按钮往来账");
      ASSERT_TRUE(user_->IsOpen(kAccounts));
      scenario();
    });
    EXPECT_EQ(Errors(), "") << "the runtime reported a fault";
  }
  // The name typed and confirmed with Enter, as a user does.
  void Choose(const std::string& name) {
    Ok(user_->SetText(kAccounts, "组合框姓名", name));
    Ok(user_->PressEnter(kAccounts, "组合框姓名"));
    user_->ProcessEvents();
  }
  void Enter(int kind, const std::string& amount, const std::string& remark = "") {
    Ok(user_->ChooseComboItem(kAccounts, "组合框类型", kind));
    Ok(user_->SetText(kAccounts, "编辑框金额", amount));
    Ok(user_->SetText(kAccounts, "编辑框备注", remark));
  }
  // Records a payment and expects it confirmed and written.
  void Record(int kind, const std::string& amount, const std::string& remark = "") {
    Enter(kind, amount, remark);
    Click(kAccounts, "按钮新增");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], "增加成功");
  }
  std::string Balances() { return user_->Text(kAccounts, kBalances); }
  // 应收 and 应付 of 客户管理's row `row`.
  std::pair<std::string, std::string> Listed(int row) {
    return {user_->Cell(kCustomer, kCustomers, row, 6), user_->Cell(kCustomer, kCustomers, row, 7)};
  }
  std::vector<Pay> Payments() { return PaymentsIn(data()); }
};

TEST_F(AccountsTest, PaymentsMoveTheOpeningBalancesInBothWindows) {
  Run({{"张三", 500, 200}, {"李四", 0, 0}}, [&] {
    EXPECT_EQ(user_->Text(kAccounts, "编辑框日期"), Today());
    EXPECT_EQ(user_->Items(kAccounts, "组合框姓名"), (Texts{"张三", "李四"}));
    Choose("张三");
    EXPECT_EQ(Balances(), "期初应收: 500    应收: 500          期初应付: 200    应付: 200");
    Enter(kReceived, "300", "月结");
    Click(kAccounts, "按钮新增");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[0], "正在增加收付款\r\n\r\n姓名: 张三\r\n类型: 收款\r\n金额: 300\r\n方式: 现金"
                       "\r\n日期: " + Today() + "\r\n备注: 月结\r\n\r\n确定增加吗");
    EXPECT_EQ(said[1], "增加成功");
    Record(kPaid, "50");
    EXPECT_EQ(Balances(), "期初应收: 500    应收: 200          期初应付: 200    应付: 150");
    ASSERT_EQ(user_->RowCount(kAccounts, kPayments), 2);
    EXPECT_EQ(user_->Cell(kAccounts, kPayments, 0, 4), "300");

    Click(kAccounts, "按钮客户管理");
    EXPECT_EQ(Listed(0), std::make_pair(std::string("200"), std::string("150")));
    EXPECT_EQ(Listed(1), std::make_pair(std::string("0"), std::string("0")));
    // The boxes edit the opening balances, not the derived ones.
    Ok(user_->PressListCell(kCustomer, kCustomers, 0, 1));
    EXPECT_EQ(user_->Text(kCustomer, "编辑框客户应收"), "500");
    EXPECT_EQ(user_->Text(kCustomer, "编辑框客户应付"), "200");
    // A new opening balance carries into both windows.
    Ok(user_->SetText(kCustomer, "编辑框客户应收", "1000"));
    Click(kCustomer, "按钮修改");
    EXPECT_EQ(Messages().back(), "修改成功");
    EXPECT_EQ(Listed(0), std::make_pair(std::string("700"), std::string("150")));
    Click(kCustomer, "按钮往来账");
    Choose("张三");
    EXPECT_EQ(Balances(), "期初应收: 1000    应收: 700          期初应付: 200    应付: 150");
  });
  EXPECT_EQ(Payments(), (std::vector<Pay>{{Today(), "张三", "收款", 300, "现金", "月结"},
                                          {Today(), "张三", "付款", 50, "现金", ""}}));
}

TEST_F(AccountsTest, APaymentBeyondTheBalanceIsHeldForTheCustomer) {
  Run({{"王五", 100, 0}}, [&] {
    Choose("王五");
    Record(kReceived, "800");
    Record(kPaid, "30");
    EXPECT_EQ(Balances(),
              "期初应收: 100    应收: -700（预收 700）          期初应付: 0    应付: -30（预付 30）");
    Click(kAccounts, "按钮客户管理");
    EXPECT_EQ(Listed(0), std::make_pair(std::string("-700"), std::string("-30")));
  });
}

TEST_F(AccountsTest, ModifyAndDeleteActOnThePickedPaymentAndMoveTheBalance) {
  Run({{"张三", 1000, 0}, {"李四", 0, 0}}, [&] {
    Choose("李四");
    Record(kReceived, "5");
    Choose("张三");
    Record(kReceived, "100", "同");
    Record(kReceived, "200");
    Record(kReceived, "100", "同");
    ASSERT_EQ(user_->RowCount(kAccounts, kPayments), 3);
    // The second of the two look-alikes becomes 150.
    Ok(user_->PressListCell(kAccounts, kPayments, 2, 1));
    EXPECT_EQ(user_->Text(kAccounts, "编辑框金额"), "100");
    EXPECT_EQ(user_->Text(kAccounts, "编辑框备注"), "同");
    Click(kAccounts, "按钮修改");
    EXPECT_EQ(Messages(), Texts{"与原记录相同"});
    Ok(user_->SetText(kAccounts, "编辑框金额", "150"));
    Click(kAccounts, "按钮修改");
    Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[0], "正在修改收付款\r\n\r\n原姓名: 张三\r\n原类型: 收款\r\n原金额: 100\r\n"
                       "原方式: 现金\r\n原日期: " + Today() + "\r\n原备注: 同\r\n\r\n现姓名: 张三"
                       "\r\n现类型: 收款\r\n现金额: 150\r\n现方式: 现金\r\n现日期: " + Today() +
                       "\r\n现备注: 同\r\n\r\n确定吗？");
    EXPECT_EQ(said[1], "修改成功");
    EXPECT_EQ(Balances(), "期初应收: 1000    应收: 550          期初应付: 0    应付: 0");

    // Deleting the first: cancelled first, then confirmed.
    Ok(user_->PressListCell(kAccounts, kPayments, 0, 1));
    responder_.QueueMessageBoxAnswer(1);
    Click(kAccounts, "按钮删除");
    EXPECT_EQ(Messages().size(), 1u);
    Click(kAccounts, "按钮删除");
    EXPECT_EQ(Messages().back(), "删除成功");
    EXPECT_EQ(Balances(), "期初应收: 1000    应收: 650          期初应付: 0    应付: 0");
    EXPECT_EQ(user_->RowCount(kAccounts, kPayments), 2);
    Click(kAccounts, "按钮删除");
    EXPECT_EQ(Messages(), Texts{"请先在列表中选择一条记录"});
  });
  EXPECT_EQ(Payments(), (std::vector<Pay>{{Today(), "李四", "收款", 5, "现金", ""},
                                          {Today(), "张三", "收款", 200, "现金", ""},
                                          {Today(), "张三", "收款", 150, "现金", "同"}}));
}

TEST_F(AccountsTest, BadInputGetsItsMessageAndWritesNothing) {
  struct Case {
    const char* name;
    int kind;
    const char* amount;
    const char* date;
    const char* message;
  };
  const Case kCases[] = {
      {"", kReceived, "10", "2024-5-3", "请先选择姓名"},
      {"赵六", kReceived, "10", "2024-5-3",
       "客户管理中没有这个姓名: 赵六\r\n\r\n请按“新客户”到客户管理中增加这个客户，再回来记账"},
      {"张三", kReceived, "12.5", "2024-5-3", "金额必须是整数（整元），不能有小数点、空格或其它字符"},
      {"张三", kReceived, "", "2024-5-3", "金额必须是整数（整元），不能有小数点、空格或其它字符"},
      {"张三", kPaid, " 10", "2024-5-3", "金额必须是整数（整元），不能有小数点、空格或其它字符"},
      {"张三", kReceived, "-10", "2024-5-3", "金额必须大于0"},
      {"张三", kReceived, "0", "2024-5-3", "金额必须大于0"},
      {"张三", kReceived, "12345678901", "2024-5-3", "金额太大，无法记录"},
      {"张三", kReceived, "10", "2023-2-29", "日期不是有效的日期，请写成 2024年5月3日 或 2024-5-3"},
      {"张三", kReceived, "10", "明天", "日期不是有效的日期，请写成 2024年5月3日 或 2024-5-3"},
  };
  Run({{"张三", 0, 0}}, [&] {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::string(c.name) + " " + c.amount + " " + c.date);
      Ok(user_->SetText(kAccounts, "组合框姓名", c.name));
      Ok(user_->ChooseComboItem(kAccounts, "组合框类型", c.kind));
      Ok(user_->SetText(kAccounts, "编辑框金额", c.amount));
      Ok(user_->SetText(kAccounts, "编辑框日期", c.date));
      Click(kAccounts, "按钮新增");
      EXPECT_EQ(Messages(), Texts{c.message});
    }
    // A name the register lacks: 新客户 takes it to 客户管理.
    Choose("赵六");
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Balances(), "");
    Click(kAccounts, "按钮新客户");
    ASSERT_TRUE(user_->IsOpen(kCustomer));
    EXPECT_EQ(user_->Text(kCustomer, "编辑框客户姓名"), "赵六");
    EXPECT_EQ(user_->Text(kCustomer, "编辑框客户拼音码"), "zl");
  });
  EXPECT_EQ(Payments(), std::vector<Pay>{});
}

TEST_F(AccountsTest, AForeignPaymentsTableIsRefusedUntouchedAndTheWindowSaysSo) {
  const std::filesystem::path file = data() / (Gbk("收付款") + ".zdb");
  std::filesystem::create_directories(data());
  {
    TestStore store;
    const std::vector<tables::FieldSpec> foreign = {{Gbk("姓名"), 10, 20}, {Gbk("金额"), 10, 20}};
    Ok(store.CreateTable(file.string(), foreign));
  }
  const Texts unusable = {"收付款.zdb的格式无法识别，本窗口不能使用它。文件未作改动。"};
  Run({{"张三", 0, 0}}, [&] {
    EXPECT_EQ(Messages(), unusable);
    Choose("张三");
    Enter(kReceived, "10");
    Click(kAccounts, "按钮新增");
    EXPECT_EQ(Messages(), unusable);
  });
  EXPECT_EQ(FieldsOf(data() / "收付款.zdb").size(), 2u);
  EXPECT_EQ(Payments().size(), 0u);
}

}  // namespace
}  // namespace pcshop::app::testing
