// The product search's matching and ranking rules on a small catalogue,
// without the runtime: texts as GBK, initials as the index would give them.

#include "app/search/product_match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/text/gbk_codec.h"

namespace pcshop::app {
namespace {

std::string Gbk(const std::string& utf8) { return text::Utf8ToGbk(utf8).value(); }
std::string Utf8(const std::string& gbk) { return text::GbkToUtf8(gbk).value(); }

SearchEntry Entry(int category, const std::string& brand, const std::string& model,
                  const std::string& remark, int64_t on_hand = 0,
                  const std::string& brand_initials = "") {
  SearchEntry e;
  e.category = category;
  e.brand = Gbk(brand);
  e.model = Gbk(model);
  e.remark = Gbk(remark);
  e.on_hand = on_hand;
  FoldEntry(e);
  e.brand_initials = brand_initials;
  return e;
}

std::vector<std::vector<SearchEntry>> Catalogue() {
  std::vector<std::vector<SearchEntry>> tables(14);
  tables[0] = {Entry(0, "Intel", "i5-13400F", "盒装")};
  tables[2] = {Entry(2, "微星", "B760M", "", 0, "wx"), Entry(2, "华硕", "TUF B760", "", 0, "hs"),
               Entry(2, "微星", "B760", "", 0, "wx")};
  tables[5] = {Entry(5, "三星", "990 PRO", "1TB", 0, "sx")};
  tables[6] = {Entry(6, "七彩虹", "RTX 4060 Ultra W", "白色", 0, "qch"),
               Entry(6, "华硕", "RTX 4060 Dual", "", 3, "hs"),
               Entry(6, "七彩虹", "RTX 4070", "", 0, "qch"),
               // Its model's trail byte is the letter z.
               Entry(6, "X", "", "")};
  tables[6].back().model = "\x81\x7a";
  FoldEntry(tables[6].back());
  return tables;
}

std::vector<std::string> Models(const std::string& typed) {
  const auto tables = Catalogue();
  std::vector<std::string> models;
  for (const SearchEntry* e : FindProducts(tables, Gbk(typed))) models.push_back(Utf8(e->model));
  return models;
}

struct Case {
  const char* rule;
  const char* typed;
  std::vector<std::string> models;
};

TEST(ProductMatchTest, EachRuleFindsWhatTheUserMeant) {
  const Case cases[] = {
      {"spaces inside the model", "rtx4060", {"RTX 4060 Dual", "RTX 4060 Ultra W"}},
      {"words in any order, remark", "白色 4060", {"RTX 4060 Ultra W"}},
      {"case", "RTX 4060 ultra", {"RTX 4060 Ultra W"}},
      {"full-width forms", "ＲＴＸ４０７０", {"RTX 4070"}},
      {"pinyin initials of the brand", "qch", {"RTX 4060 Ultra W", "RTX 4070"}},
      {"initials and model", "4070 qch", {"RTX 4070"}},
      {"part of the model", "990 pro", {"990 PRO"}},
      {"model without its space", "990pro", {"990 PRO"}},
      {"brand", "三星", {"990 PRO"}},
      {"every word must match", "4060 三星", {}},
      {"no words", "   ", {}},
      {"no match inside a double-byte character", "z", {}},
      {"exact, then prefix, then the rest", "b760", {"B760", "B760M", "TUF B760"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Models(c.typed), c.models) << c.rule << ": " << c.typed;
}

TEST(ProductMatchTest, InStockRanksAboveTheRestButBelowModelPrefixes) {
  std::vector<std::vector<SearchEntry>> tables(14);
  tables[6] = {Entry(6, "影驰", "金属大师 4060", "白", 0), Entry(6, "铭瑄", "终结者 4060", "白", 5),
               Entry(6, "索泰", "4060 X", "白", 0)};
  std::vector<std::string> models;
  for (const SearchEntry* e : FindProducts(tables, Gbk("4060 白"))) models.push_back(Utf8(e->model));
  EXPECT_EQ(models, (std::vector<std::string>{"4060 X", "终结者 4060", "金属大师 4060"}));
}

TEST(ProductMatchTest, AtMostFiftyAreFound) {
  std::vector<std::vector<SearchEntry>> tables(14);
  for (int i = 0; i < 60; ++i) tables[i % 14].push_back(Entry(i % 14, "B", "M" + std::to_string(i), ""));
  EXPECT_EQ(FindProducts(tables, "m").size(), kMaxFound);
}

}  // namespace
}  // namespace pcshop::app
