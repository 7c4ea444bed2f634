#include "tests/app/stock_fixture.h"

#include <ctime>
#include <fstream>
#include <ostream>
#include <sstream>

#include "runtime/tables/table_store.h"
#include "runtime/ui/test_seam.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {

namespace fs = std::filesystem;

std::ostream& operator<<(std::ostream& os, const Move& m) {
  return os << m.kind << "|" << m.brand << "|" << m.model << "|" << m.price << "|" << m.remark
            << "|" << m.quantity << "|" << m.amount << "|" << m.date;
}

std::ostream& operator<<(std::ostream& os, const MoveMoney& m) {
  return os << m.counterparty << "|" << m.paid << "|" << m.cost;
}

void SeedRegister(const fs::path& data, const std::vector<Opening>& names) {
  TestStore store;
  ASSERT_TRUE(store.OpenTable((data / (Gbk("客户信息") + ".zdb")).string(), "seed").ok());
  for (const Opening& o : names) {
    const tables::FieldValue values[] = {Gbk(o.name),   o.pinyin,      Gbk("个人"),
                                         std::string(), o.phone,       o.receivable,
                                         o.payable,     std::string(), std::string()};
    ASSERT_TRUE(store.AppendRecord(values).ok());
  }
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  return std::to_string(tm.tm_year + 1900) + "年" + std::to_string(tm.tm_mon + 1) + "月" +
         std::to_string(tm.tm_mday) + "日";
}

void StockFixture::Run(const std::function<void()>& scenario) {
  AppFixture::Run(scenario);
  EXPECT_EQ(Errors(), "") << "the runtime reported a fault";
}

void StockFixture::Click(const char* window, const char* control) {
  Ok(user_->Click(window, control));
  user_->ProcessEvents();
}

Texts StockFixture::Messages() {
  Texts texts = responder_.MessageTexts();
  responder_.Clear();
  return texts;
}

fs::path StockFixture::StockFile(const char* side) const { return data() / (Gbk(side) + ".zdb"); }

void StockFixture::ChooseProduct(const char* window, int category, const std::string& brand,
                                 int model) {
  Ok(user_->ChooseComboItem(window, "组合框品名", category));
  Ok(user_->SetText(window, "组合框品牌", brand));
  Ok(user_->ChooseComboItem(window, "组合框型号", model));
}

void StockFixture::Enter(const char* window, const std::string& quantity,
                         const std::string& price) {
  Ok(user_->SetText(window, "编辑框数量", quantity));
  Ok(user_->SetText(window, "编辑框价格", price));
}

std::vector<Move> StockFixture::Moves(const char* side) {
  std::vector<Move> out;
  TestStore store;
  if (!store.OpenTable(StockFile(side).string(), "read").ok()) return out;
  auto counted = store.RecordCount();
  const int32_t count = counted.ok() ? *counted : 0;
  auto text = [&](const char* f) {
    auto v = store.ReadField(Gbk(f));
    return v.ok() && tables::IsText(*v) ? Utf8(std::get<std::string>(*v)) : std::string("?");
  };
  auto number = [&](const char* f) {
    auto v = store.ReadField(Gbk(f));
    return v.ok() && !tables::IsText(*v) ? std::get<int64_t>(*v) : int64_t{-1};
  };
  for (int32_t n = 1; n <= count; ++n) {
    (void)store.GoToRecord(n);
    out.push_back({text("品名"), text("品牌"), text("型号"), number("价格"), text("备注"),
                   number("数量"), number("金额"), text("日期")});
  }
  return out;
}

std::vector<MoveMoney> StockFixture::MovesMoney(const char* side) {
  std::vector<MoveMoney> out;
  const bool sale = std::string(side) == "出库";
  TestStore store;
  if (!store.OpenTable(StockFile(side).string(), "read").ok()) return out;
  auto counted = store.RecordCount();
  const int32_t count = counted.ok() ? *counted : 0;
  auto number = [&](const char* f) {
    auto v = store.ReadField(Gbk(f));
    return v.ok() && !tables::IsText(*v) ? std::get<int64_t>(*v) : int64_t{-9};
  };
  for (int32_t n = 1; n <= count; ++n) {
    (void)store.GoToRecord(n);
    auto who = store.ReadField(Gbk(sale ? "客户" : "供应商"));
    out.push_back({who.ok() && tables::IsText(*who) ? Utf8(std::get<std::string>(*who)) : "?",
                   number(sale ? "实收" : "实付"), sale ? number("成本") : int64_t{-1}});
  }
  return out;
}

void StockFixture::SeedMoves(const char* side, const std::vector<Move>& moves) {
  const bool sale = std::string(side) == "出库";
  TestStore store;
  Ok(store.OpenTable(StockFile(side).string(), "seed"));
  for (const Move& m : moves) {
    std::vector<tables::FieldValue> values = {
        Gbk(m.kind), Gbk(m.brand), Gbk(m.model), m.price,       Gbk(m.remark),
        m.quantity,  m.amount,     Gbk(m.date),  std::string(), m.amount};
    if (sale) values.emplace_back(int64_t{0});
    Ok(store.AppendRecord(values));
  }
}

void StockFixture::SeedConfig(const std::string& name, const std::vector<ConfigRow>& rows) {
  static const char* kLabels[] = {"CPU",  "散热器", "主板", "内存", "机械盘", "固态盘", "显卡", "显示器",
                                  "机箱", "电源",   "键盘", "鼠标", "音箱",   "其它一", "其它二"};
  std::vector<tables::FieldValue> v = {Gbk(name), Gbk("2026年1月1日1点1分")};
  for (int r = 0; r < 15; ++r) {
    ConfigRow c{r, "", "", 0, 0};
    for (const ConfigRow& given : rows) {
      if (given.row == r) c = given;
    }
    v.emplace_back(Gbk(kLabels[r]));
    v.emplace_back(Gbk(c.brand));
    v.emplace_back(Gbk(c.model));
    v.emplace_back(c.quantity);
    v.emplace_back(c.price);
    v.emplace_back(c.quantity * c.price);
    v.emplace_back(std::in_place_index<1>);
  }
  v.emplace_back(std::in_place_index<1>);  // 配置备注
  TestStore store;
  Ok(store.OpenTable((data() / (Gbk("配置") + ".zdb")).string(), "seed"));
  Ok(store.AppendRecord(v));
}

void StockFixture::SeedSixPartSale() {
  Seed("CPU", {{"CPU", "I", "C1", 1000, ""}});
  Seed("主板", {{"主板", "M", "B1", 700, ""}});
  Seed("内存", {{"内存", "K", "R1", 300, ""}});
  Seed("显卡", {{"显卡", "N", "G1", 2000, ""}});
  Seed("电源", {{"电源", "P", "P1", 400, ""}});
  Seed("其它", {{"其它", "W", "O1", 50, ""}});
  SeedConfig("王先生", {{0, "I", "C1", 1, 1000}, {2, "M", "B1", 1, 700}, {3, "K", "R1", 2, 300},
                        {6, "N", "G1", 1, 2000}, {9, "P", "P1", 1, 400}, {14, "W", "O1", 1, 50}});
}

}  // namespace pcshop::app::testing
