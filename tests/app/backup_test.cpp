// Backups through the real generated image: the daily one made once a day
// at a fixed clock and the old ones trimmed, the one before a table layout
// grows, and 数据维护's 立即备份 and 恢复 (a backup of the current tables
// first, a damaged backup named and refused).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/tables/data_folder_lock.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

constexpr char kQuote[] = "窗口配置单";
constexpr char kBackup[] = "窗口数据维护";

class BackupTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    SetClock("2026-12-10 08:15:03");
  }
  void TearDown() override {
    ::unsetenv("PCSHOP_CLOCK");
    AppFixture::TearDown();
  }
  static void SetClock(const char* when) { ::setenv("PCSHOP_CLOCK", when, 1); }
  fs::path Backups() const { return folder_ / "备份"; }
  // Finished backups' folder names (UTF-8), oldest first.
  Texts Names() const {
    Texts out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(Backups(), ec)) {
      const std::string name = e.path().filename().string();
      if (name[0] != '.' && fs::exists(e.path() / "manifest.txt")) out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  // A finished-looking backup folder for the retention to weigh.
  void Fake(const std::string& name, const std::string& why) {
    fs::create_directories(Backups() / name / "DATA");
    std::ofstream(Backups() / name / "manifest.txt") << "when\t" << name << "\nwhy\t" << why << "\n";
  }
  // The models of the CPU table (UTF-8).
  Texts Cpus() {
    Texts out;
    TestStore store;
    if (!store.OpenTable((data() / "CPU.zdb").string(), "read").ok()) return out;
    auto count = store.RecordCount();
    for (int32_t n = 1; count.ok() && n <= *count; ++n) {
      (void)store.GoToRecord(n);
      auto model = store.ReadField(Gbk("型号"));
      out.push_back(model.ok() ? Utf8(std::get<std::string>(*model)) : "?");
    }
    return out;
  }
};

// The quote window is created again on each return to it: the daily backup
// is weighed each time and made on the first of each day.
TEST_F(BackupTest, DailyBackupIsMadeOnceADayAndTheOldOnesAreTrimmed) {
  for (int d = 0; d < 34; ++d) {
    char name[64];
    std::snprintf(name, sizeof name, "2026-%02d-%02d 00.00.00 ", 10 + d / 30, d % 30 + 1);
    Fake(name + std::string("日常"), "日常");
  }
  for (int d = 1; d <= 12; ++d) Fake("2026-09-" + std::to_string(10 + d) + " 12.00.00 手动", "手动");
  auto back_to_quote = [&] {
    Click(kQuote, "按钮商品管理");
    Click("窗口商品管理", "按钮配置管理");
    ASSERT_TRUE(user_->IsOpen(kQuote));
  };
  Run([&] {
    EXPECT_TRUE(fs::exists(Backups() / "2026-12-10 08.15.03 日常"));
    SetClock("2026-12-10 23:59:59");
    back_to_quote();
    SetClock("2026-12-11 09:00:00");
    back_to_quote();
    back_to_quote();
  });
  const Texts names = Names();
  auto count = [&](const char* why) {
    return std::count_if(names.begin(), names.end(),
                         [&](const std::string& n) { return n.ends_with(why); });
  };
  EXPECT_EQ(std::vector<std::string>(names.end() - 2, names.end()),
            (Texts{"2026-12-10 08.15.03 日常", "2026-12-11 09.00.00 日常"}));
  EXPECT_EQ(count("日常"), 30);
  EXPECT_EQ(count("手动"), 10);
  EXPECT_EQ(names.front(), "2026-09-13 12.00.00 手动") << "the oldest went first";
  EXPECT_EQ(Messages(), Texts{});
}

TEST_F(BackupTest, ATableLayoutThatGrowsIsBackedUpFirst) {
  PCSHOP_SKIP_ON_SERVER("the old layout is made as a file");
  fs::create_directories(data());
  TestStore store;
  Ok(store.CreateTable((data() / (Gbk("入库") + ".zdb")).string(), EightMovementFields()));
  Run([] {});
  const Texts names = Names();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "2026-12-10 08.15.03 升级前");
  EXPECT_EQ(FieldsOf(Backups() / names[0] / "DATA" / "入库.zdb"), EightMovementFields());
  EXPECT_EQ(names[1], "2026-12-10 08.15.03 日常");
}

TEST_F(BackupTest, RestoreBacksUpTheCurrentTablesAndBringsBackTheChosenBackup) {
  Run([&] {
    Seed("CPU", {{"CPU", "Intel", "i5-12400F", 899, ""}});
    Click(kQuote, "按钮数据维护");
    ASSERT_TRUE(user_->IsOpen(kBackup));
    EXPECT_EQ(user_->RowCount(kBackup, "超级列表框备份"), 1);  // today's daily one
    SetClock("2026-12-10 10:00:00");
    Click(kBackup, "按钮立即备份");
    EXPECT_EQ(Messages(), Texts{"备份完成：2026-12-10 10.00.00 手动"});
    EXPECT_EQ(user_->Cell(kBackup, "超级列表框备份", 0, 1), "手动");
    EXPECT_EQ(user_->Cell(kBackup, "超级列表框备份", 0, 4), "1");
    Click(kBackup, "按钮返回");

    Seed("CPU", {{"CPU", "AMD", "R5 7500F", 999, ""}});
    // A copy of the manual backup with a damaged CPU table is refused by name.
    const fs::path manual = Backups() / "2026-12-10 10.00.00 手动";
    fs::copy(manual, Backups() / "2026-12-10 11.00.00 手动", fs::copy_options::recursive);
    std::ofstream(Backups() / "2026-12-10 11.00.00 手动" / "DATA" / "CPU.zdb") << "damaged";
    SetClock("2026-12-10 12:00:00");
    Click(kQuote, "按钮数据维护");
    Ok(user_->PressListCell(kBackup, "超级列表框备份", 0, 0));
    Click(kBackup, "按钮恢复");
    const Texts refused = Messages();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_TRUE(refused[0].starts_with("这份备份已损坏，不能恢复")) << refused[0];
    EXPECT_NE(refused[0].find("CPU.zdb"), std::string::npos) << refused[0];
    EXPECT_EQ(Cpus().size(), 2u);

    if (!OnServer()) {
      // Another copy has the table files open: its tables would be swapped
      // under it, so nothing is asked and nothing replaced.
      tables::DataFolderLock other_copy(data());
      Ok(user_->PressListCell(kBackup, "超级列表框备份", 1, 0));
      Click(kBackup, "按钮恢复");
      EXPECT_EQ(Messages(), Texts{"还有别的pcshop正在使用这些数据。\r\n请先关闭其它打开的pcshop，再恢复。"});
      EXPECT_EQ(Cpus().size(), 2u);
    }

    responder_.QueueMessageBoxAnswer(0);  // 确定 in the confirmation
    Ok(user_->PressListCell(kBackup, "超级列表框备份", 1, 0));
    Click(kBackup, "按钮恢复");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_TRUE(said[0].starts_with("恢复会用 2026-12-10 10.00.00 的备份替换现在的全部数据"))
        << said[0];
    EXPECT_EQ(said[1], "恢复完成，数据已是备份时的样子");
    EXPECT_EQ(Cpus(), Texts{"i5-12400F"});
    // The program goes on with the restored tables.
    Click(kBackup, "按钮返回");
    Click(kQuote, "按钮商品管理");
  });
  const Texts names = Names();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.back(), "2026-12-10 12.00.00 恢复前");
  EXPECT_EQ(Errors(), "");
}

// 另存一份到… puts a file copy of the newest backup into the chosen folder;
// a second time the copy there is in the way and is said so, not replaced.
TEST_F(BackupTest, CopyToAFolderOfTheUsersChoiceIsWholeAndNeverOverwritten) {
  const fs::path stick = folder_ / "U盘";
  fs::remove_all(stick);  // the program folder outlives a test
  fs::create_directories(stick);
  Run([&] {
    Click(kQuote, "按钮数据维护");
    for (int round = 0; round < 2; ++round) {
      responder_.QueueFileDialogAnswer(stick.string());
      Click(kBackup, "按钮复制到");
    }
  });
  const std::string copy = (stick / "2026-12-10 08.15.03 日常").string();
  EXPECT_EQ(Messages(), (Texts{"已另存到 " + stick.string(),
                               "那个文件夹里已有同名的文件或文件夹，没有另存：\r\n" + copy}));
  EXPECT_TRUE(fs::exists(fs::path(copy) / "manifest.txt"));
  EXPECT_TRUE(fs::exists(fs::path(copy) / "DATA" / "CPU.zdb"));
  fs::remove_all(stick);
}

}  // namespace
}  // namespace pcshop::app::testing
