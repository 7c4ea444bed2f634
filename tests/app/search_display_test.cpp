// The quote window's 查找商品 box in the built program on a virtual display,
// typed into key by key: the list drops below the box while the box keeps
// the focus and the user's text, and Down, Enter fills the category's row.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/counter_driver.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kQuote[] = "配置单";
constexpr Point kSearchBox = {200, 113};
constexpr char kModel[] = "RTX 4060 Ultra W";
// The drop list's rows have six cells (category, brand, model, price, 库存,
// remark); the sheet's rows have more.
constexpr size_t kDropCells = 6;
constexpr size_t kSheetModel = 3;

bool Dropped(const WindowText& w) {
  return std::any_of(w.rows.begin(), w.rows.end(), [](const std::vector<std::string>& row) {
    return row.size() == kDropCells && row[2] == kModel;
  });
}

bool SheetHolds(const WindowText& w) {
  return std::any_of(w.rows.begin(), w.rows.end(), [](const std::vector<std::string>& row) {
    return row.size() > kDropCells && row[kSheetModel] == kModel;
  });
}

TEST(SearchDisplayTest, TypedKeyByKeyTheListDropsAndDownEnterFillsTheCardRow) {
  if (const std::string missing = DisplayMissing(); !missing.empty()) GTEST_SKIP() << missing;
  Counter counter;
  ASSERT_TRUE(counter.ready()) << "a display or a session bus did not start";
  ASSERT_TRUE(counter.Start()) << "the quote window did not show";
  // Another counter's products: the index finds them on its first search.
  const std::filesystem::path data = counter.run().data_folder();
  ASSERT_TRUE(AppendProduct(data / "显卡.zdb", "显卡", "七彩虹", kModel, 2399, "白色"));
  ASSERT_TRUE(AppendProduct(data / "显卡.zdb", "显卡", "华硕", "RTX 4070", 4299, ""));

  ASSERT_TRUE(counter.Press(kQuote, kSearchBox));
  ASSERT_TRUE(counter.Type("4060"));
  ScreenText shown;
  ASSERT_TRUE(counter.WaitForScreen(
      [](const ScreenText& s) {
        return s.Window(kQuote).focused == "4060" && Dropped(s.Window(kQuote));
      },
      &shown, 5s))
      << shown.raw;
  // A moment later the box still has the focus and the user's text alone.
  counter.run().WaitFor([] { return false; }, 700ms);
  shown = counter.Screen();
  EXPECT_EQ(shown.Window(kQuote).focused, "4060") << shown.raw;

  ASSERT_TRUE(counter.Key("Down Return"));
  EXPECT_TRUE(counter.WaitForScreen(
      [](const ScreenText& s) {
        return SheetHolds(s.Window(kQuote)) && !Dropped(s.Window(kQuote));
      },
      &shown, 5s))
      << shown.raw;
  EXPECT_EQ(shown.Window(kQuote).focused, "4060") << shown.raw;
}

}  // namespace
}  // namespace pcshop::app::testing
