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
constexpr char kGrid[] = "超级列表框配置信息";
constexpr int kBrand = 2, kModel = 3, kQuantity = 4, kPrice = 5, kAmount = 6, kRemark = 7;
constexpr int kCard = 6, kOtherOne = 13, kOtherTwo = 14, kTotals = 15;

class SearchTest : public StockFixture {
 protected:
  // Types `text` a character at a time, as a user does.
  void Type(const std::string& text) {
    Ok(user_->TypeText(kQuote, kBox, text));
    user_->ProcessEvents();
  }
  Rows Drop() { return user_->DropRows(kQuote, kBox); }
  std::vector<std::string> Row(int row) {
    std::vector<std::string> cells;
    for (int c = kBrand; c <= kRemark; ++c) cells.push_back(user_->Cell(kQuote, kGrid, row, c));
    return cells;
  }
  void Key(Key key) {
    Ok(user_->PressKey(kQuote, kBox, key));
    user_->ProcessEvents();
  }
  void Enter() {
    Ok(user_->PressEnter(kQuote, kBox));
    user_->ProcessEvents();
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

}  // namespace
}  // namespace pcshop::app::testing
