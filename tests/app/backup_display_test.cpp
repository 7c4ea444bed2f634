// 数据维护 in the built program on a virtual display: 立即备份, a product
// added afterwards, then 恢复 of that backup: the product is gone and what
// was there before the backup is there.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/app/counter_driver.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

constexpr char kBackup[] = "数据维护";
constexpr Point kQuoteToBackup = {130, 768};
constexpr Point kBackupNow = {84, 472};
constexpr Point kFirstRow = {120, 92};
constexpr Point kRestore = {214, 472};

TEST(BackupDisplayTest, RestoreOfABackupTakesBackAProductAddedAfterIt) {
  if (const std::string missing = DisplayMissing(); !missing.empty()) GTEST_SKIP() << missing;
  Counter counter;
  ASSERT_TRUE(counter.ready()) << "a display or a session bus did not start";
  const std::filesystem::path data = counter.run().data_folder();
  ASSERT_TRUE(counter.StartToMakeTheTables()) << "the first start did not make the tables";
  ASSERT_TRUE(AppendProduct(data / "CPU.zdb", "AMD", 999));

  ASSERT_TRUE(counter.Start()) << "the quote window did not show again";
  ASSERT_TRUE(counter.Navigate("配置单", kQuoteToBackup, kBackup));
  ASSERT_TRUE(counter.Press(kBackup, kBackupNow));
  EXPECT_EQ(counter.Answer().rfind("备份完成：", 0), 0u);

  ASSERT_TRUE(AppendProduct(data / "CPU.zdb", "英特尔", 1299));
  ASSERT_EQ(RecordCountOf(data / "CPU.zdb"), 2);
  ASSERT_TRUE(counter.Press(kBackup, kFirstRow));
  ASSERT_TRUE(counter.Press(kBackup, kRestore));
  const std::string ask = counter.Answer();
  EXPECT_NE(ask.find("的备份替换现在的全部数据"), std::string::npos) << ask;
  EXPECT_EQ(counter.Answer(), "恢复完成，数据已是备份时的样子");
  EXPECT_EQ(RecordCountOf(data / "CPU.zdb"), 1);
}

}  // namespace
}  // namespace pcshop::app::testing
