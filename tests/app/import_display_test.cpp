// 导入 in the built program on a virtual display: a GBK price list chosen
// through 商品管理's file dialog, its preview, 应用, and the new price taken
// by the quote window's cell editor for that product. With
// PCSHOP_IMPORT_SHOTS set to a folder, the screen is saved there with the
// preview shown (import_preview.png).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/app/counter_driver.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kQuote[] = "配置单";
constexpr char kProduct[] = "商品管理";
constexpr char kImport[] = "导入价格表";
constexpr char kOpenDialog[] = "打开";  // Qt's own file dialog, in Chinese

constexpr Point kQuoteToProduct = {130, 660};
constexpr Point kProductToQuote = {130, 659};
constexpr Point kImportButton = {1262, 32};
constexpr Point kApply = {1055, 750};
constexpr Point kBack = {1335, 750};
// The quote sheet's CPU row: its 品牌 and 型号 cells.
constexpr Point kBrandCell = {652, 177};
constexpr Point kModelCell = {922, 177};
constexpr size_t kSheetBrand = 2, kSheetPrice = 5;

// The preview's row of that model: 勾选, 行, 状态, 品名, 品牌, 型号, 原价, 新价, …
const std::vector<std::string>* PreviewRow(const WindowText& w, const std::string& model) {
  for (const auto& row : w.rows) {
    if (row.size() >= 8 && row[5] == model) return &row;
  }
  return nullptr;
}

TEST(ImportDisplayTest, AGbkListChosenInTheDialogIsPreviewedAppliedAndQuotedAtItsNewPrice) {
  if (const std::string missing = DisplayMissing(); !missing.empty()) GTEST_SKIP() << missing;
  Counter counter;
  ASSERT_TRUE(counter.ready()) << "a display or a session bus did not start";
  const std::filesystem::path data = counter.run().data_folder();
  ASSERT_TRUE(counter.StartToMakeTheTables()) << "the first start did not make the tables";
  ASSERT_TRUE(AppendProduct(data / "CPU.zdb", "CPU", "Intel", "I5-12400F", 899, ""));
  const std::filesystem::path list = counter.run().root() / "price.csv";
  std::ofstream(list, std::ios::binary)
      << Gbk("今日报价\r\n品名,品牌,型号规格,渠道价\r\nCPU,Intel,i5-12400f,\"1,049\"\r\n"
             "CPU,AMD,R5 5600,699\r\nCPU,AMD,R7 7700,询价\r\n");

  ASSERT_TRUE(counter.Start()) << "the quote window did not show again";
  ASSERT_TRUE(counter.Navigate(kQuote, kQuoteToProduct, kProduct));
  ASSERT_TRUE(counter.Press(kProduct, kImportButton));
  ASSERT_TRUE(counter.ChooseFile(kOpenDialog, list.string())) << "no file dialog to answer";
  ScreenText shown;
  ASSERT_TRUE(counter.WaitForScreen(
      [](const ScreenText& s) { return PreviewRow(s.Window(kImport), "i5-12400f") != nullptr; },
      &shown))
      << shown.raw;
  const std::vector<std::string> row = *PreviewRow(shown.Window(kImport), "i5-12400f");
  EXPECT_EQ(row[2], "涨价");
  EXPECT_EQ(row[6], "899");
  EXPECT_EQ(row[7], "1049");
  const auto& labels = shown.Window(kImport).labels;
  EXPECT_NE(std::find(labels.begin(), labels.end(),
                      "新增 1   涨价 1   降价 0   不变 0   拒绝 1   未提及 0   已勾选 2"),
            labels.end())
      << Joined(labels);
  if (const char* shots = std::getenv("PCSHOP_IMPORT_SHOTS")) {
    EXPECT_TRUE(counter.Snapshot(std::filesystem::path(shots) / "import_preview.png"));
  }

  ASSERT_TRUE(counter.Press(kImport, kApply));
  EXPECT_NE(counter.Answer().find("确定导入吗"), std::string::npos);
  EXPECT_EQ(counter.Answer(), "导入完成，新增或改动的商品共 2 个。");
  ASSERT_TRUE(counter.Navigate(kImport, kBack, kProduct));
  ASSERT_TRUE(counter.Navigate(kProduct, kProductToQuote, kQuote));

  // The cell editor offers the model and the row takes its price from the
  // catalogue as the import left it. Latin, typed key by key.
  const auto cell_shows = [&](size_t column, const std::string& text) {
    return counter.WaitForScreen(
        [&](const ScreenText& s) {
          const auto& rows = s.Window(kQuote).rows;
          return !rows.empty() && rows[0].size() > column && rows[0][column] == text;
        },
        &shown, 5s);
  };
  ASSERT_TRUE(counter.Press(kQuote, kBrandCell));
  ASSERT_TRUE(counter.Key("ctrl+a"));
  ASSERT_TRUE(counter.Type("Intel"));
  ASSERT_TRUE(counter.Key("Return"));
  ASSERT_TRUE(cell_shows(kSheetBrand, "Intel")) << shown.raw;
  ASSERT_TRUE(counter.Press(kQuote, kModelCell));
  ASSERT_TRUE(counter.Key("ctrl+a"));
  ASSERT_TRUE(counter.Type("I5-12400F"));
  ASSERT_TRUE(counter.Key("Return"));
  EXPECT_TRUE(cell_shows(kSheetPrice, "1049")) << shown.raw;
}

}  // namespace
}  // namespace pcshop::app::testing
