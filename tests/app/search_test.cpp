// The quote window's 查找商品 box through the real generated image and the
// runtime, offscreen: the list that drops as the user types, the keys and
// clicks that take a product, and the row it fills.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/ui/test_seam.h"
#include "tests/app/stock_fixture.h"

namespace pcshop::app::testing {
namespace {

using Key = ui::UserActions::ListKey;
using Rows = std::vector<std::vector<std::string>>;

constexpr char kBox[] = "编辑框查找商品";
constexpr char kCustomer[] = "窗口客户管理";
constexpr char kCustomerQuery[] = "编辑框查询内容";
constexpr char kGrid[] = "超级列表框配置信息";
constexpr int kBrand = 2, kModel = 3, kQuantity = 4, kPrice = 5, kAmount = 6, kRemark = 7;
constexpr int kCard = 6, kOtherOne = 13, kOtherTwo = 14, kTotals = 15;

class SearchTest : public StockFixture {
 protected:
  // Types `text` a character at a time, as a user does.
  void Type(const std::string& text, const char* window = kQuote) {
    Ok(user_->TypeText(window, kBox, text));
    user_->ProcessEvents();
  }
  Rows Drop(const char* window = kQuote) { return user_->DropRows(window, kBox); }
  std::vector<std::string> Row(int row) {
    std::vector<std::string> cells;
    for (int c = kBrand; c <= kRemark; ++c) cells.push_back(user_->Cell(kQuote, kGrid, row, c));
    return cells;
  }
  void Key(Key key, const char* window = kQuote) {
    Ok(user_->PressKey(window, kBox, key));
    user_->ProcessEvents();
  }
  void Enter(const char* window = kQuote) {
    Ok(user_->PressEnter(window, kBox));
    user_->ProcessEvents();
  }
  std::vector<std::string> Panel(const char* window) {
    std::vector<std::string> texts;
    for (const char* box : {"组合框品名", "组合框品牌", "组合框型号", "编辑框价格", "编辑框备注"}) {
      texts.push_back(user_->Text(window, box));
    }
    return texts;
  }
};

TEST_F(SearchTest, TypingDropsTheMatchesAndDownEnterFillsTheCategoryRow) {
  Run([&] {
    Seed("显卡", {{"显卡", "七彩虹", "RTX 4060 Ultra W", 2399, "白色"},
                  {"显卡", "华硕", "RTX 4070", 4299, ""}});
    Seed("CPU", {{"CPU", "Intel", "i5-14400F", 1099, ""}});
    const std::vector<std::string> after = {"4", "40", "406", "4060"};
    for (const std::string& typed : after) {
      Type(typed.substr(typed.size() - 1));
      // The text is the user's alone: never completed or changed.
      EXPECT_EQ(user_->Text(kQuote, kBox), typed);
    }
    EXPECT_EQ(Drop(), (Rows{{"显卡", "七彩虹", "RTX 4060 Ultra W", "2399", "0", "白色"}}));
    Key(Key::kDown);
    Enter();
    EXPECT_EQ(Row(kCard), (std::vector<std::string>{"七彩虹", "RTX 4060 Ultra W", "1", "2399",
                                                    "2399", "白色"}));
    EXPECT_EQ(user_->Cell(kQuote, kGrid, kTotals, kAmount), "2399");
    EXPECT_TRUE(Drop().empty()) << "the list closes once a product is taken";
    EXPECT_EQ(user_->Text(kQuote, kBox), "4060");
  });
}

TEST_F(SearchTest, PinyinInitialsFindTheBrandAndStockRanksFirst) {
  Run([&] {
    Seed("显卡", {{"显卡", "七彩虹", "RTX 4060", 2399, ""},
                  {"显卡", "七彩虹", "RTX 4070", 4299, ""},
                  {"显卡", "华硕", "RTX 4080", 7999, ""}});
    SeedMoves("入库", {{"显卡", "七彩虹", "RTX 4070", 4000, "", 2, 8000, "2026年1月2日"}});
    Type("QCH");
    EXPECT_EQ(Drop(), (Rows{{"显卡", "七彩虹", "RTX 4070", "4299", "2", ""},
                            {"显卡", "七彩虹", "RTX 4060", "2399", "0", ""}}));
  });
}

TEST_F(SearchTest, OtherGoesToOtherOneThenOtherTwo) {
  Run([&] {
    Seed("其它", {{"其它", "金士顿", "DT100 32G", 50, "U盘"}, {"其它", "绿联", "HUB 4口", 80, ""}});
    Seed("显卡", {{"显卡", "华硕", "RTX 4070", 4000, ""}});
    Type("dt100");
    Ok(user_->ClickDropRow(kQuote, kBox, 0));
    user_->ProcessEvents();
    Ok(user_->SetText(kQuote, kBox, "hub"));
    user_->ProcessEvents();
    Ok(user_->ClickDropRow(kQuote, kBox, 0));
    user_->ProcessEvents();
    EXPECT_EQ(Row(kOtherOne)[1], "DT100 32G");
    EXPECT_EQ(Row(kOtherTwo)[1], "HUB 4口");
    EXPECT_EQ(user_->Cell(kQuote, kGrid, kTotals, kQuantity), "2");
    EXPECT_EQ(user_->Cell(kQuote, kGrid, kTotals, kAmount), "130");
  });
}

TEST_F(SearchTest, EscClosesAndEnterWithNoRowChosenTakesNothing) {
  Run([&] {
    Seed("显卡", {{"显卡", "华硕", "RTX 4070", 4000, ""}});
    Type("4070");
    ASSERT_EQ(Drop().size(), 1u);
    Enter();
    EXPECT_EQ(Row(kCard)[0], "") << "Enter with no row chosen took a product";
    Key(Key::kEscape);
    EXPECT_TRUE(Drop().empty());
    Type(" ");
    EXPECT_EQ(Drop().size(), 1u) << "the next key drops the list again";
  });
}

TEST_F(SearchTest, AProductAnotherCounterAddsIsFoundOnTheNextSearch) {
  Run([&] {
    Seed("显卡", {{"显卡", "华硕", "RTX 4070", 4000, ""}});
    Type("rtx");
    ASSERT_EQ(Drop().size(), 1u);
    Seed("显卡", {{"显卡", "七彩虹", "RTX 5060", 2599, ""}});
    Type("5");
    EXPECT_EQ(Drop(), (Rows{{"显卡", "七彩虹", "RTX 5060", "2599", "0", ""}}));
  });
}

TEST_F(SearchTest, ProductWindowListsTheTakenProductAndLoadsThePanel) {
  Run([&] {
    Seed("显卡", {{"显卡", "七彩虹", "RTX 4060 Ultra W", 2399, "白色"},
                  {"显卡", "七彩虹", "RTX 4070", 4299, ""}});
    Seed("CPU", {{"CPU", "Intel", "i5-14400F", 1099, ""}});
    Click(kQuote, "按钮商品管理");
    Type("qch 4060", kProduct);
    ASSERT_EQ(Drop(kProduct).size(), 1u);
    Key(Key::kDown, kProduct);
    Enter(kProduct);
    ASSERT_EQ(user_->RowCount(kProduct, kList), 1);
    EXPECT_EQ(user_->Cell(kProduct, kList, 0, 3), "RTX 4060 Ultra W");
    EXPECT_EQ(Panel(kProduct),
              (std::vector<std::string>{"显卡", "七彩虹", "RTX 4060 Ultra W", "2399", "白色"}));
    EXPECT_EQ(user_->Text(kProduct, "组合框商品查询类别"), "显卡");
    EXPECT_EQ(user_->Text(kProduct, kBox), "qch 4060");
  });
}

// A purchase brings the last purchase's price, a sale the catalogue's; both
// show what is on hand.
TEST_F(SearchTest, StockWindowsFillThePanelAsChoosingTheModelDoes) {
  Run([&] {
    Seed("显卡", {{"显卡", "七彩虹", "RTX 4060 Ultra W", 2399, "白色"}});
    SeedMoves("入库", {{"显卡", "七彩虹", "RTX 4060 Ultra W", 2000, "", 3, 6000, "2026年1月2日"}});
    const struct {
      const char* window;
      const char* button;
      const char* price;
    } cases[] = {{kIn, "按钮入库管理", "2000"}, {kOut, "按钮出库管理", "2399"}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.window);
      Click(kQuote, c.button);
      Type("4060", c.window);
      Ok(user_->ClickDropRow(c.window, kBox, 0));
      user_->ProcessEvents();
      const std::vector<std::string> panel = Panel(c.window);
      EXPECT_EQ((std::vector<std::string>(panel.begin(), panel.begin() + 4)),
                (std::vector<std::string>{"显卡", "七彩虹", "RTX 4060 Ultra W", c.price}));
      EXPECT_EQ(user_->Text(c.window, "透明标签库存"), "库存: 3");
      Click(c.window, "按钮返回");
    }
  });
}

// 客户管理's query box drops the names that hold what is typed, an equal
// code before a longer one; the one taken is listed alone.
TEST_F(SearchTest, CustomerQueryBoxFindsAnyPartAndListsTheNameTaken) {
  Run([&] {
    Click(kQuote, "按钮客户管理");
    SeedRegister(data(), {{"王小明", 0, 0, "wxm", "13900001111"},
                          {"小明", 0, 0, "xm", ""},
                          {"张三", 0, 0, "zs", "13800002222"}});
    auto drop = [&] { return user_->DropRows(kCustomer, kCustomerQuery); };
    Ok(user_->TypeText(kCustomer, kCustomerQuery, "XM"));
    user_->ProcessEvents();
    EXPECT_EQ(drop(), (Rows{{"小明", "xm", ""}, {"王小明", "wxm", "13900001111"}}));
    EXPECT_EQ(user_->Text(kCustomer, kCustomerQuery), "XM");
    Ok(user_->SetText(kCustomer, kCustomerQuery, "0222"));
    user_->ProcessEvents();
    ASSERT_EQ(drop(), (Rows{{"张三", "zs", "13800002222"}}));
    Ok(user_->PressKey(kCustomer, kCustomerQuery, Key::kDown));
    Ok(user_->PressEnter(kCustomer, kCustomerQuery));
    user_->ProcessEvents();
    ASSERT_EQ(user_->RowCount(kCustomer, "超级列表框客户信息"), 1);
    EXPECT_EQ(user_->Cell(kCustomer, "超级列表框客户信息", 0, 1), "张三");
  });
}

}  // namespace
}  // namespace pcshop::app::testing
