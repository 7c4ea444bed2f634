// The accounts window in the built program on a virtual display, typed into
// as a user types: the name box finds a register name by its pinyin code one
// key at a time and never completes or alters what is typed.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/app/counter_driver.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kAccounts[] = "往来账";
constexpr Point kQuoteToAccounts = {130, 715};
constexpr Point kNameBox = {200, 103};
constexpr Point kNameArrow = {325, 103};

bool HasText(const WindowText& w, const std::string& text) {
  return std::find(w.texts.begin(), w.texts.end(), text) != w.texts.end();
}

TEST(AccountsDisplayTest, NameBoxFindsByPinyinCodeAsTypedWithoutCompleting) {
  if (const std::string missing = DisplayMissing(); !missing.empty()) GTEST_SKIP() << missing;
  Counter counter;
  ASSERT_TRUE(counter.ready()) << "a display or a session bus did not start";
  const std::filesystem::path data = counter.run().data_folder();
  std::filesystem::create_directories(data);
  ASSERT_TRUE(AppendCustomer(data / "客户信息.zdb", "曾小明", "zxm", "13800000001"));
  ASSERT_TRUE(AppendCustomer(data / "客户信息.zdb", "张小梅", "zxmei", "13800000002"));
  ASSERT_TRUE(counter.Start()) << "the quote window did not show";
  ASSERT_TRUE(counter.Navigate("配置单", kQuoteToAccounts, kAccounts));

  ASSERT_TRUE(counter.Press(kAccounts, kNameBox));
  ASSERT_TRUE(counter.Type("zxm"));
  ScreenText shown;
  ASSERT_TRUE(counter.WaitForScreen(
      [](const ScreenText& s) { return s.Window(kAccounts).focused == "zxm"; }, &shown, 5s))
      << shown.raw;
  // A moment later the text is still the user's own: nothing was completed.
  counter.run().WaitFor([] { return false; }, 700ms);
  shown = counter.Screen();
  EXPECT_EQ(shown.Window(kAccounts).focused, "zxm") << shown.raw;

  // The list holds what "zxm" finds, the exact pinyin code first.
  ASSERT_TRUE(counter.Choose(kAccounts, kNameArrow, 0));
  EXPECT_TRUE(counter.WaitForScreen(
      [](const ScreenText& s) { return HasText(s.Window(kAccounts), "曾小明"); }, &shown, 5s))
      << shown.raw;
}

}  // namespace
}  // namespace pcshop::app::testing
