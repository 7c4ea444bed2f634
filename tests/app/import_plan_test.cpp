#include "app/import/import_plan.h"

#include "app/import/import_log.h"
#include "app/import/row_reason.h"

#include <gtest/gtest.h>

#include "tests/runtime/text/gbk_literal.h"

namespace pcshop::app {
namespace {

using text::Gbk;

// As forms/texts.json holds them.
const std::string kSynonyms = Gbk(
    "品名:品名 类别 分类 品类 类型|品牌:品牌 牌子 厂商 厂家|"
    "型号:型号 型号规格 规格 名称 产品名称 商品名称|"
    "价格:价格 单价 报价 售价 零售价 渠道价 价钱|备注:备注 说明 描述 附注");
const std::string kSigns = Gbk("￥ 元 rmb cny");

TEST(ImportPlanTest, PricesAsSuppliersWriteThem) {
  const std::pair<const char*, PriceRead> cases[] = {
      {"1299", {1299, PriceProblem::kNone}},
      {"1,299", {1299, PriceProblem::kNone}},
      {"1,299,000", {1299000, PriceProblem::kNone}},
      {"￥1299", {1299, PriceProblem::kNone}},
      {"￥ 1,299.00", {1299, PriceProblem::kNone}},
      {"1299.00", {1299, PriceProblem::kNone}},
      {"1299元", {1299, PriceProblem::kNone}},
      {"１２９９", {1299, PriceProblem::kNone}},
      {" 1299 ", {1299, PriceProblem::kNone}},
      {"RMB1299", {1299, PriceProblem::kNone}},
      {"", {0, PriceProblem::kEmpty}},
      {"询价", {0, PriceProblem::kNotNumber}},
      {"-", {0, PriceProblem::kNotNumber}},
      {"元", {0, PriceProblem::kNotNumber}},
      {"12,99", {0, PriceProblem::kNotNumber}},
      {"1,2999", {0, PriceProblem::kNotNumber}},
      {"1299.5", {0, PriceProblem::kFraction}},
      {"0", {0, PriceProblem::kNotPositive}},
      {"-5", {0, PriceProblem::kNotPositive}},
      {"1e3", {0, PriceProblem::kNotNumber}},
      {"99999999999", {0, PriceProblem::kTooLarge}},
  };
  for (const auto& [typed, expected] : cases) {
    const PriceRead read = ReadPrice(Gbk(typed), kSigns);
    EXPECT_EQ(read.price, expected.price) << typed;
    EXPECT_EQ(read.problem, expected.problem) << typed;
  }
}

TEST(ImportPlanTest, HeadersMapThroughSynonyms) {
  using M = std::array<int32_t, kImportFieldCount>;
  const std::pair<std::vector<const char*>, M> cases[] = {
      {{"品名", "品牌", "型号", "价格", "备注"}, {0, 1, 2, 3, 4}},
      {{"厂商", "型号规格", "零售价", "说明"}, {-1, 0, 1, 2, 3}},
      {{"名称", "品牌", "单价（元）"}, {-1, 1, 0, 2, -1}},
      // 型号 beats 名称 when both are there; ＢＲＡＮＤ does not map.
      {{"名称", "型号", "渠道价", "牌子"}, {-1, 3, 1, 2, -1}},
      {{"序号", "ＣＰＵ", "报价"}, {-1, -1, -1, 2, -1}},
  };
  for (const auto& [titles, expected] : cases) {
    std::vector<std::string> headers;
    for (const char* t : titles) headers.push_back(Gbk(t));
    EXPECT_EQ(MapHeaders(headers, kSynonyms).column, expected) << titles[0];
  }
  // A title line above the table is passed over; no header at all is none.
  const std::vector<std::vector<std::string>> rows = {
      {Gbk("某某科技 12月10日报价")}, {}, {Gbk("品牌"), Gbk("型号"), Gbk("报价")}};
  EXPECT_EQ(FindHeaderRow(rows, kSynonyms).row, 2);
  const std::vector<std::vector<std::string>> no_header = {{"a", "b"}, {"1", "2"}};
  EXPECT_EQ(FindHeaderRow(no_header, kSynonyms).row, -1);

  ColumnMap map;
  map.column = {-1, 1, 0, 2, -1};
  ColumnMap back;
  EXPECT_TRUE(ParseMapText(MapText(map), 3, back));
  EXPECT_EQ(back, map);
  EXPECT_FALSE(ParseMapText("0,1,2,3", 5, back));
  EXPECT_FALSE(ParseMapText("0,1,2,9,-1", 5, back));
  EXPECT_EQ(HeaderSignature(std::vector<std::string>{Gbk("品牌"), "Model "}),
            HeaderSignature(std::vector<std::string>{Gbk("品牌"), "model"}));
}

class PlanTest : public ::testing::Test {
 protected:
  std::vector<std::string> names_;
  std::vector<CatalogueProduct> catalogue_;
  void SetUp() override {
    for (const char* n : {"CPU", "散热器", "主板", "内存", "机械盘", "固态盘", "显卡", "显示器",
                          "机箱", "电源", "键盘", "鼠标", "音箱", "其它"}) {
      names_.push_back(Gbk(n));
    }
    catalogue_ = {
        {0, "Intel", "i5-13400F", "", 1299},
        {6, Gbk("七彩虹"), "RTX 4060 Ultra W", Gbk("白色"), 2399},
        {6, Gbk("七彩虹"), "RTX 4070", "", 4599},
        {6, Gbk("华硕"), "DUAL 4060", "", 2499},
        {1, Gbk("九州风神"), "AK400", "", 129},
    };
  }
  ImportPlan Plan(std::vector<std::vector<const char*>> cells, ColumnMap map,
                  int32_t category = -1) {
    rows_.clear();
    int32_t number = 2;
    for (const auto& r : cells) {
      ListRow row{number++, {}, ""};
      for (const char* c : r) row.cells.push_back(Gbk(c));
      rows_.push_back(row);
    }
    return PlanImport({rows_, map, category, names_, kSigns, catalogue_});
  }
  std::vector<ListRow> rows_;
};

TEST_F(PlanTest, RowsAreClassifiedAndCounted) {
  ColumnMap map;
  map.column = {0, 1, 2, 3, -1};
  const ImportPlan plan = Plan({
                                   {"显卡", "七彩虹", "rtx4060 ultra w", "2,299元"},  // down
                                   {"显卡", "七彩虹", "ＲＴＸ ４０７０", "4699"},      // up
                                   {"CPU", "intel", "I5-13400F", "1299.00"},         // same
                                   {"显卡", "技嘉", "RTX 4060 EAGLE", "2450"},        // new
                                   {"显卡", "技嘉", "RTX 4060 GAMING", "询价"},       // refused
                                   {"光驱", "先锋", "DVR", "99"},                     // no category
                                   {"显卡", "", "X", "1"},                            // no brand
                               },
                               map);
  ASSERT_EQ(plan.rows.size(), 7u);
  const RowKind kinds[] = {RowKind::kDown, RowKind::kUp,      RowKind::kUnchanged, RowKind::kNew,
                           RowKind::kRefused, RowKind::kRefused, RowKind::kRefused};
  for (size_t i = 0; i < plan.rows.size(); ++i) EXPECT_EQ(plan.rows[i].kind, kinds[i]) << i;
  EXPECT_EQ(plan.rows[0].old_price, 2399);
  EXPECT_EQ(plan.rows[0].price, 2299);
  EXPECT_EQ(plan.rows[4].price_problem, PriceProblem::kNotNumber);
  EXPECT_EQ(plan.rows[5].refusal, Refusal::kNoCategory);
  EXPECT_EQ(plan.rows[6].refusal, Refusal::kNoBrand);
  EXPECT_EQ(plan.counts, (std::array<size_t, kRowKindCount>{1, 1, 1, 1, 3}));
  EXPECT_FALSE(plan.rows[2].ticked);  // unchanged: nothing to write
  EXPECT_FALSE(plan.rows[4].ticked);
  // 华硕 DUAL 4060 is a 显卡 the list does not name; the 散热器 are not its business.
  EXPECT_EQ(plan.not_mentioned, std::vector<int32_t>{3});
}

TEST_F(PlanTest, DuplicatesAndAmbiguousProductsAreRefused) {
  catalogue_.push_back({6, Gbk("七彩虹"), "RTX4070", "", 4599});  // differs only by a space
  ColumnMap map;
  map.column = {-1, 0, 1, 2, -1};
  const ImportPlan plan = Plan({{"华硕", "DUAL 4060", "2400"},
                                {"七彩虹", "RTX 4070", "4500"},
                                {"华硕", "dual4060", "2300"}},
                               map, 6);
  EXPECT_EQ(plan.rows[0].refusal, Refusal::kDuplicate);
  EXPECT_EQ(plan.rows[0].other_row, 4);
  EXPECT_EQ(plan.rows[2].refusal, Refusal::kDuplicate);
  EXPECT_EQ(plan.rows[2].other_row, 2);
  EXPECT_EQ(plan.rows[1].refusal, Refusal::kAmbiguous);
  // Without a category column and none chosen, every row is refused.
  EXPECT_EQ(Plan({{"华硕", "X", "1"}}, map).rows[0].refusal, Refusal::kNoCategory);

  const ReasonTexts texts{"c", "b", "m", "pe", "pn", "pf", "pp", "pt", "dup ", " row", "amb"};
  EXPECT_EQ(RowReason(plan.rows[0], texts), "dup 4 row");
  EXPECT_EQ(RowReason(plan.rows[1], texts), "amb");
  const ImportPlan prices = Plan({{"a", "b", ""}, {"a", "c", "1.5"}, {"a", "d", "-"}}, map, 6);
  EXPECT_EQ(RowReason(prices.rows[0], texts), "pe");
  EXPECT_EQ(RowReason(prices.rows[1], texts), "pf");
  EXPECT_EQ(RowReason(prices.rows[2], texts), "pn");
}

TEST_F(PlanTest, ChangesKeepTheCataloguesSpellingAndUndoLeavesWhatChangedSince) {
  ColumnMap map;
  map.column = {-1, 0, 1, 2, 3};
  ImportPlan plan = Plan({{"七彩虹", "rtx4060 ultra w", "2299", "白色"},   // price down
                          {"七彩虹", "RTX 4070", "4599", "新款"},          // remark only
                          {"华硕", "DUAL 4060", "2599", ""},               // unticked below
                          {"技嘉", "EAGLE", "2450", "三风扇"}},             // new
                         map, 6);
  plan.rows[2].ticked = false;
  const std::vector<LoggedChange> log = ChangesToApply(plan, catalogue_);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].model, "RTX 4060 Ultra W");  // the catalogue's spelling
  EXPECT_EQ(log[0].old_price, 2399);
  EXPECT_EQ(log[0].new_price, 2299);
  EXPECT_EQ(log[1].new_remark, Gbk("新款"));
  EXPECT_TRUE(log[2].added);

  // The catalogue after the import, then 4070's price changed by hand.
  std::vector<CatalogueProduct> now = catalogue_;
  now[1].price = 2299;
  now[2].remark = Gbk("新款");
  now[2].price = 4499;
  now.push_back({6, Gbk("技嘉"), "EAGLE", Gbk("三风扇"), 2450});
  UndoPlan undo = PlanUndo(log, now);
  EXPECT_EQ(undo.undo, (std::vector<size_t>{0, 2}));
  EXPECT_EQ(undo.changed_since, std::vector<size_t>{1});
  // An added product deleted since is changed since, not added back.
  now.pop_back();
  EXPECT_EQ(PlanUndo(log, now).changed_since, (std::vector<size_t>{1, 2}));
}

}  // namespace
}  // namespace pcshop::app
