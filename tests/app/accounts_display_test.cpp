// The accounts window in the built program on a virtual display, typed into
// as a user types: the name box finds a register name by its pinyin code one
// key at a time and never completes or alters what is typed; the name's
// statement shows and its print preview opens. With PCSHOP_ACCOUNTS_SHOTS
// set to a folder, the screen is saved there with the statement shown
// (statement.png) and with its preview open (statement_print.png).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/app/counter_driver.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kAccounts[] = "往来账";
constexpr Point kQuoteToAccounts = {130, 715};
constexpr Point kNameBox = {200, 103};
constexpr Point kNameArrow = {325, 103};
constexpr Point kStatement = {870, 255};
constexpr Point kPrint = {950, 255};

bool HasText(const WindowText& w, const std::string& text) {
  return std::find(w.texts.begin(), w.texts.end(), text) != w.texts.end();
}

TEST(AccountsDisplayTest, NameBoxFindsByPinyinCodeAsTypedAndTheStatementPrints) {
  if (const std::string missing = DisplayMissing(); !missing.empty()) GTEST_SKIP() << missing;
  Counter counter;
  ASSERT_TRUE(counter.ready()) << "a display or a session bus did not start";
  const std::filesystem::path data = counter.run().data_folder();
  std::filesystem::create_directories(data);
  ASSERT_TRUE(AppendCustomer(data / "客户信息.zdb", "曾小明", "zxm", "13800000001"));
  ASSERT_TRUE(AppendCustomer(data / "客户信息.zdb", "张小梅", "zxmei", "13800000002"));
  // A first start makes the other tables; then the shop's details, two
  // sales on account and a payment, written behind the program's back.
  ASSERT_TRUE(counter.StartToMakeTheTables()) << "the first start did not make the tables";
  ASSERT_TRUE(AppendRecordTo(data / "店铺.zdb", {Gbk("华强电脑城 明辉电脑"),
                                                 Gbk("深圳市福田区华强北路1号A座3楼"),
                                                 std::string("0755-83000000")}));
  for (const auto& [day, model, amount, paid] :
       std::vector<std::tuple<const char*, const char*, int64_t, int64_t>>{
           {"2026年11月3日", "RTX 4060 Ultra W", 2399, 1000},
           {"2026年11月20日", "B760M-K D4", 799, 0}}) {
    ASSERT_TRUE(AppendRecordTo(data / "出库.zdb",
                               {Gbk("显卡"), Gbk("七彩虹"), std::string(model), amount,
                                std::string(), int64_t{1}, amount, Gbk(day), Gbk("曾小明"), paid,
                                amount * 9 / 10}));
  }
  ASSERT_TRUE(AppendRecordTo(data / "收付款.zdb", {Gbk("2026年12月1日"), Gbk("曾小明"),
                                                   Gbk("收款"), int64_t{1000}, Gbk("微信"),
                                                   std::string()}));
  ASSERT_TRUE(counter.Start()) << "the quote window did not show again";
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

  // 对账单 over the whole history: 上期结余 and 期末余额 at least.
  ASSERT_TRUE(counter.Press(kAccounts, kStatement));
  EXPECT_TRUE(counter.WaitForScreen(
      [](const ScreenText& s) {
        for (const auto& row : s.Window(kAccounts).rows) {
          if (std::find(row.begin(), row.end(), "期末余额") != row.end()) return true;
        }
        return false;
      },
      &shown, 5s))
      << shown.raw;
  const char* shots = std::getenv("PCSHOP_ACCOUNTS_SHOTS");
  const auto snapshot = [&](const char* name) {
    if (shots != nullptr && shots[0] != '\0') {
      EXPECT_TRUE(counter.Snapshot(std::filesystem::path(shots) / name));
    }
  };
  snapshot("statement.png");
  ASSERT_TRUE(counter.Press(kAccounts, kPrint));
  EXPECT_TRUE(counter.WaitForWindow("打印预览")) << counter.Screen().raw;
  snapshot("statement_print.png");
  ASSERT_TRUE(counter.Key("Escape"));
}

}  // namespace
}  // namespace pcshop::app::testing
