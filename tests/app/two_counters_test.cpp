// Two counters on one server, as a shop runs them: two copies of the built
// program, each on a virtual display of its own, both with a
// pcshop-server.conf naming the same schema of the test server. What counter
// A writes, counter B shows on its next list: a product, a saved quote, a
// stock movement. A is driven with xdotool as a user would (texts through the
// clipboard, each box read back); what B shows is read through the
// accessibility bus, as a screen reader reads it. The server's tables are
// looked at too, to tell "A did not write" from "B does not show".
//
// Skipped without Xvfb, xdotool, xclip, the accessibility bus and pyatspi, or
// without a test server (PCSHOP_TEST_SERVER). With PCSHOP_TWO_COUNTERS_SHOTS
// set to a folder, both screens are saved side by side after each check.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/counter_driver.h"
#include "tests/support/virtual_display.h"
#include "tests/support/test_server.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_display::Output;
using test_display::Shell;
using test_display::VirtualDisplay;

// Window captions.
constexpr char kQuote[] = "配置单";
constexpr char kProduct[] = "商品管理";
constexpr char kStockIn[] = "进销存";

// Controls, in their window's client area (forms/*.json): the middle of a
// button or a box's text, the arrow of a combo box.
namespace quote {
constexpr Point kToProduct = {130, 660};
constexpr Point kToStockIn = {257, 605};
constexpr Point kNameBox = {560, 59};
constexpr Point kNameArrow = {652, 59};
constexpr Point kSave = {1137, 93};
// The CPU row's 品牌, 型号 and 数量 cells.
constexpr Point kBrandCell = {652, 177};
constexpr Point kModelCell = {922, 177};
constexpr Point kQuantityCell = {1142, 177};
}  // namespace quote
namespace product {
constexpr Point kToQuote = {130, 659};
constexpr Point kKindArrow = {325, 203};
constexpr Point kBrand = {200, 260};
constexpr Point kModel = {200, 318};
constexpr Point kPrice = {200, 379};
constexpr Point kAdd = {151, 504};
constexpr Point kListAll = {1230, 102};
}  // namespace product
namespace stock_in {
constexpr Point kKindArrow = {325, 103};
constexpr Point kBrandArrow = {665, 103};
constexpr Point kModelArrow = {1005, 103};
constexpr Point kQuantity = {1241, 101};
constexpr Point kPrice = {221, 151};
constexpr Point kRemark = {1241, 151};
constexpr Point kAdd = {1162, 201};
}  // namespace stock_in

// Columns of 商品管理's list and of the quote sheet.
constexpr size_t kProductKind = 1, kProductBrand = 2, kProductModel = 3, kProductPrice = 4,
                 kProductOnHand = 6;
constexpr size_t kSheetKind = 1, kSheetBrand = 2, kSheetModel = 3, kSheetQuantity = 4,
                 kSheetPrice = 5, kSheetAmount = 6;

// The row of 商品管理's list whose 型号 is `model`; null when there is none.
const std::vector<std::string>* ProductRow(const WindowText& window, const std::string& model) {
  for (const std::vector<std::string>& row : window.rows) {
    if (row.size() > kProductOnHand && row[kProductModel] == model) return &row;
  }
  return nullptr;
}

// The quote sheet's first row (CPU) when it holds `model`; null otherwise.
const std::vector<std::string>* CpuRowWith(const WindowText& window, const std::string& model) {
  if (window.rows.empty() || window.rows[0].size() <= kSheetAmount) return nullptr;
  return window.rows[0][kSheetModel] == model ? &window.rows[0] : nullptr;
}

// Whether the server table of `table` (a path in the program folder) holds
// `count` live records; `why` says otherwise. Table names are GBK bytes; the
// test server's encoding is UTF-8, so convert_to makes them.
bool ServerHolds(const std::string& conninfo, const std::string& table, int count,
                 std::string* why) {
  const std::string sql =
      "DO $$ DECLARE t integer; n bigint; BEGIN "
      "SELECT id INTO t FROM pcshop_tables WHERE name = convert_to('" +
      table +
      "', 'GBK'); "
      "IF t IS NULL THEN RAISE EXCEPTION 'no server table " +
      table +
      "'; END IF; "
      "EXECUTE format('SELECT count(*) FROM pcshop_t%s WHERE NOT deleted', t) INTO n; "
      "IF n <> " +
      std::to_string(count) + " THEN RAISE EXCEPTION '" + table +
      " holds % records', n; END IF; END $$";
  return test_server::RunSql(conninfo, sql, why);
}

class TwoCountersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = DisplayMissing(); !missing.empty()) GTEST_SKIP() << missing;
    if (test_server::TestServer() == nullptr) GTEST_SKIP() << test_server::kNoTestServer;
    ASSERT_TRUE(schema_.ready()) << schema_.error();
  }

  // Both screens side by side under a caption each, when pictures are asked
  // for.
  void Snapshot(const Counter& a, const Counter& b, const std::string& name,
                const std::string& a_did, const std::string& b_shows) {
    const char* folder = std::getenv("PCSHOP_TWO_COUNTERS_SHOTS");
    if (folder == nullptr || folder[0] == '\0') return;
    const fs::path dir = folder;
    ASSERT_TRUE(a.Snapshot(dir / "a.png") && b.Snapshot(dir / "b.png"));
    std::string font = Output("fc-match -f '%{file}' 'WenQuanYi Micro Hei'");
    if (!font.empty()) font = "-font '" + font + "' ";
    const auto captioned = [&](const std::string& file, const std::string& caption) {
      return "\\( " + file + " -gravity north -background gray25 -splice 0x40 " + font +
             "-fill white -pointsize 24 -annotate +0+7 '" + caption + "' \\) ";
    };
    // A on the left, B on the right, a grey bar between.
    ASSERT_TRUE(Shell("cd '" + dir.string() + "' && convert " + captioned("a.png", a_did) +
                      "-gravity east -background gray50 -splice 16x0 " +
                      captioned("b.png", b_shows) + "+append " + name + ".png && rm a.png b.png"));
  }

  test_server::TestSchema schema_;
};

TEST_F(TwoCountersTest, WhatOneCounterWritesTheOtherShowsOnItsNextList) {
  const std::string kBrand = "英特尔";
  const std::string kModel = "Core i5-14400F";
  const std::string kConfigName = "装机方案甲";

  Counter a(schema_.conninfo());
  Counter b(schema_.conninfo());
  ASSERT_TRUE(a.ready() && b.ready()) << "a display or a session bus did not start";
  // One after the other: the first start makes the server's tables.
  ASSERT_TRUE(a.Start()) << "counter A did not show its quote window";
  ASSERT_TRUE(b.Start()) << "counter B did not show its quote window";
  ScreenText shown;
  std::string why;

  // B lists its catalogue before A adds anything: nothing yet.
  ASSERT_TRUE(b.Navigate(kQuote, quote::kToProduct, kProduct));
  ASSERT_TRUE(b.Press(kProduct, product::kListAll));

  // 1. A adds a CPU in 商品管理: 品名 from its list, then 品牌, 型号, 价格, 新增.
  ASSERT_TRUE(a.Navigate(kQuote, quote::kToProduct, kProduct));
  ASSERT_TRUE(a.Choose(kProduct, product::kKindArrow, 0));
  // Choosing a category lists it; the empty one says so.
  EXPECT_EQ(a.Answer(), "此项无记录");
  ASSERT_TRUE(a.Paste(kProduct, product::kBrand, kBrand));
  ASSERT_TRUE(a.Paste(kProduct, product::kModel, kModel));
  ASSERT_TRUE(a.Paste(kProduct, product::kPrice, "1299"));
  ASSERT_TRUE(a.Press(kProduct, product::kAdd));
  const std::string asked = a.Answer();
  EXPECT_NE(asked.find("品名: CPU"), std::string::npos) << asked;
  EXPECT_NE(asked.find("型号: " + kModel), std::string::npos) << asked;
  ASSERT_EQ(a.Answer(), "增加成功");
  EXPECT_TRUE(ServerHolds(schema_.conninfo(), "DATA/CPU.zdb", 1, &why)) << why;

  // B lists 全部商品 again and shows the new product, nothing in stock.
  const auto b_lists_product = [&](const ScreenText& s) {
    return ProductRow(s.Window(kProduct), kModel) != nullptr;
  };
  bool listed = false;
  for (int attempt = 0; attempt < 3 && !listed; ++attempt) {
    ASSERT_TRUE(b.Press(kProduct, product::kListAll));
    listed = b.WaitForScreen(b_lists_product, &shown, 3s);
  }
  ASSERT_TRUE(listed) << "B's 全部商品 lacks A's product. B shows:\n" << shown.raw;
  const std::vector<std::string> row = *ProductRow(shown.Window(kProduct), kModel);
  EXPECT_EQ(row[kProductKind], "CPU");
  EXPECT_EQ(row[kProductBrand], kBrand);
  EXPECT_EQ(row[kProductPrice], "1299");
  EXPECT_EQ(row[kProductOnHand], "0");
  EXPECT_EQ(shown.Window(kProduct).rows.size(), 1u);
  Snapshot(a, b, "two_counters_product", "柜台 A：商品管理，新增 CPU 英特尔 Core i5-14400F",
           "柜台 B：全部商品，列出 A 新增的商品");

  // 2. A fills the CPU row of a quote with that product, cell by cell, and
  // saves it under a name.
  ASSERT_TRUE(a.Navigate(kProduct, product::kToQuote, kQuote));
  const auto a_sheet_cell = [&](size_t column, const std::string& text) {
    return a.WaitForScreen(
        [&](const ScreenText& s) {
          const auto& rows = s.Window(kQuote).rows;
          return !rows.empty() && rows[0].size() > column && rows[0][column] == text;
        },
        &shown, 5s);
  };
  ASSERT_TRUE(a.Paste(kQuote, quote::kBrandCell, kBrand));
  ASSERT_TRUE(a.Key("Return"));
  ASSERT_TRUE(a_sheet_cell(kSheetBrand, kBrand)) << shown.raw;
  ASSERT_TRUE(a.Paste(kQuote, quote::kModelCell, kModel));
  ASSERT_TRUE(a.Key("Return"));
  ASSERT_TRUE(a_sheet_cell(kSheetModel, kModel)) << shown.raw;
  ASSERT_TRUE(a.Paste(kQuote, quote::kQuantityCell, "1"));
  ASSERT_TRUE(a.Key("Return"));
  ASSERT_TRUE(a_sheet_cell(kSheetAmount, "1299")) << shown.raw;
  ASSERT_TRUE(a.Paste(kQuote, quote::kNameBox, kConfigName));
  ASSERT_TRUE(a.Press(kQuote, quote::kSave));
  ASSERT_EQ(a.Answer(), "写入配置成功");
  EXPECT_TRUE(ServerHolds(schema_.conninfo(), "DATA/配置.zdb", 1, &why)) << why;

  // B opens its quote window and chooses the name from 配置名's list.
  ASSERT_TRUE(b.Navigate(kProduct, product::kToQuote, kQuote));
  ASSERT_TRUE(b.Choose(kQuote, quote::kNameArrow, 0));
  const auto b_shows_quote = [&](const ScreenText& s) {
    return CpuRowWith(s.Window(kQuote), kModel) != nullptr;
  };
  ASSERT_TRUE(b.WaitForScreen(b_shows_quote, &shown, 5s))
      << "B's quote window did not load " << kConfigName << ". B shows:\n"
      << shown.raw;
  const std::vector<std::string> sheet_row = *CpuRowWith(shown.Window(kQuote), kModel);
  EXPECT_EQ(sheet_row[kSheetKind], "CPU");
  EXPECT_EQ(sheet_row[kSheetBrand], kBrand);
  EXPECT_EQ(sheet_row[kSheetQuantity], "1");
  EXPECT_EQ(sheet_row[kSheetPrice], "1299");
  EXPECT_EQ(sheet_row[kSheetAmount], "1299");
  const auto& texts = shown.Window(kQuote).texts;
  EXPECT_NE(std::find(texts.begin(), texts.end(), kConfigName), texts.end()) << Joined(texts);
  Snapshot(a, b, "two_counters_quote", "柜台 A：配置单，保存为 装机方案甲",
           "柜台 B：配置名中选择 装机方案甲，载入");

  // 3. A receives five of them in 入库管理: 品名, 品牌 and 型号 from their
  // lists, 数量, 价格, 备注, 新增.
  ASSERT_TRUE(a.Navigate(kQuote, quote::kToStockIn, kStockIn));
  ASSERT_TRUE(a.Choose(kStockIn, stock_in::kKindArrow, 0));
  ASSERT_TRUE(a.Choose(kStockIn, stock_in::kBrandArrow, 0));
  ASSERT_TRUE(a.Choose(kStockIn, stock_in::kModelArrow, 0));
  ASSERT_TRUE(a.WaitForScreen(
      [&](const ScreenText& s) {
        const auto& labels = s.Window(kStockIn).labels;
        return std::find(labels.begin(), labels.end(), "库存: 0") != labels.end();
      },
      &shown, 5s))
      << shown.raw;
  ASSERT_TRUE(a.Paste(kStockIn, stock_in::kQuantity, "5"));
  ASSERT_TRUE(a.Paste(kStockIn, stock_in::kPrice, "1100"));
  ASSERT_TRUE(a.Paste(kStockIn, stock_in::kRemark, "华强电子"));
  ASSERT_TRUE(a.Press(kStockIn, stock_in::kAdd));
  const std::string received = a.Answer();
  EXPECT_NE(received.find("型号: " + kModel), std::string::npos) << received;
  EXPECT_NE(received.find("数量: 5"), std::string::npos) << received;
  ASSERT_EQ(a.Answer(), "入库成功");
  EXPECT_TRUE(ServerHolds(schema_.conninfo(), "DATA/入库.zdb", 1, &why)) << why;

  // B's 商品管理 lists the product with five on hand.
  ASSERT_TRUE(b.Navigate(kQuote, quote::kToProduct, kProduct));
  const auto b_shows_five = [&](const ScreenText& s) {
    const auto* r = ProductRow(s.Window(kProduct), kModel);
    return r != nullptr && (*r)[kProductOnHand] == "5";
  };
  listed = false;
  for (int attempt = 0; attempt < 3 && !listed; ++attempt) {
    ASSERT_TRUE(b.Press(kProduct, product::kListAll));
    listed = b.WaitForScreen(b_shows_five, &shown, 3s);
  }
  ASSERT_TRUE(listed) << "B's 库存 is not 5. B shows:\n" << shown.raw;
  Snapshot(a, b, "two_counters_stock", "柜台 A：入库管理，入库 5 件",
           "柜台 B：全部商品，库存 0 → 5");

  EXPECT_TRUE(a.Running());
  EXPECT_TRUE(b.Running());
}

}  // namespace
}  // namespace pcshop::app::testing
