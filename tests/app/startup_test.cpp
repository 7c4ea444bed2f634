// The quote window's start-up work through the real generated image and the
// runtime, without windows: skin, data folder, tables. The program folder is
// this test's own folder, so the tests hold a lock on it (CMakeLists.txt) and
// clear it before and after each test.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "app/global_slots.h"
#include "app/quote/path_checks.h"
#include "app/quote/skin_library.h"
#include "app/routines.h"
#include "runtime/kernel/runtime.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class StartupTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    qApp->setStyleSheet(QString());
    // The routines run without the program's start, which chooses the tables.
    auto tables = TestTablesBackend();
    ASSERT_TRUE(tables.ok()) << tables.status().ToString();
    Ok(runtime_->tables().UseBackend(std::move(tables).value()));
  }

  // The start routine's skin search, then the quote window's creation.
  void StartUp() {
    calls::Calls rt(runtime_->code());
    // As the start routine does, so that the runtime frees the var slots.
    rt.RegisterExitRoutine(rt.CodeAddress(sym::routine_ref::kExitRoutine));
    LocateSkinLibrary(rt, "");
    OnQuoteWindowCreated(calls::RoutineCall{runtime_->code(), {}, nullptr});
  }
  fs::path system_copy() const {
    return data_home_ / "pcshop/drive_c/windows/system32/SkinMV.dll";
  }
};

TEST_F(StartupTest, FirstStartCreatesTheDataFolderAndTwentyOneTablesSilently) {
  StartUp();
  EXPECT_EQ(Errors(), "");
  ASSERT_TRUE(fs::is_directory(data()));
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(data())) files += entry.path().extension() == ".zdb";
  for (const ExpectedTable& t : StartupTables()) {
    EXPECT_EQ(FieldsOf(data() / (t.name + ".zdb")), t.fields) << t.name;
  }
  // On the server not one table is a file.
  EXPECT_EQ(files, OnServer() ? 0u : 21u);
  // No skin library anywhere: none deployed, none attached.
  EXPECT_FALSE(fs::exists(system_copy()));
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(StartupTest, LaterStartsRecreateNothingAndKeepRecords) {
  PCSHOP_SKIP_ON_SERVER("table files replaced and removed");
  StartUp();
  ASSERT_TRUE(AppendProduct(data() / "CPU.zdb", "英特尔", 1299));
  // A table with another layout is left as it is.
  fs::remove(data() / "入库.zdb");
  {
    std::ofstream(data() / "入库.zdb", std::ios::binary) << "not a table";
  }
  const std::string config_before = ReadAll(data() / "配置.zdb");
  fs::remove(data() / "鼠标.zdb");

  StartUp();
  StartUp();  // as on every return to the quote window
  EXPECT_EQ(RecordCountOf(data() / "CPU.zdb"), 1);
  EXPECT_EQ(ReadAll(data() / "入库.zdb"), "not a table");
  EXPECT_EQ(ReadAll(data() / "配置.zdb"), config_before);
  // Only the missing file was created again.
  EXPECT_EQ(FieldsOf(data() / "鼠标.zdb"), StartupTables()[11].fields);
  EXPECT_EQ(RecordCountOf(data() / "鼠标.zdb"), 0);
}

TEST_F(StartupTest, AFileNamedDataLeavesTheStartUpSilent) {
  { std::ofstream(data(), std::ios::binary) << "keep me"; }
  StartUp();
  EXPECT_TRUE(fs::is_regular_file(data()));
  EXPECT_EQ(ReadAll(data()), "keep me");
  // The failed creations are not reported at start-up.
  EXPECT_EQ(Errors().find("MessageBox"), std::string::npos) << Errors();
}

TEST_F(StartupTest, SkinInTheProgramFolderIsDeployedAndAttached) {
  fs::copy_file(PCSHOP_SKIN_FILE, folder_ / "SkinMV.dll");
  StartUp();
  EXPECT_EQ(Errors(), "");
  EXPECT_TRUE(fs::exists(system_copy()));
  const std::string skin = ReadAll(PCSHOP_SKIN_SHEET);
  EXPECT_EQ(qApp->styleSheet().toStdString(), skin);

  // From the next start on the system folder's copy is the one used.
  calls::Calls rt(runtime_->code());
  LocateSkinLibrary(rt, "");
  EXPECT_EQ(std::string(SlotText(rt, kSkinLibraryPathSlot)),
            SystemFolder(rt) + "SkinMV.dll");
}

TEST_F(StartupTest, ABrokenSkinLibraryOrSkinLeavesTheProgramUnskinnedAndSilent) {
  // A library without the function is as good as none: no attachment.
  { std::ofstream(folder_ / "SkinMV.dll", std::ios::binary) << "not a library"; }
  StartUp();
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
  EXPECT_EQ(Errors().find("MessageBox"), std::string::npos);
  // The broken copy was deployed and, never overwritten, would win; a real
  // library refuses bad skin bytes.
  fs::remove(system_copy());
  fs::remove(folder_ / "SkinMV.dll");
  fs::copy_file(PCSHOP_SKIN_FILE, folder_ / "SkinMV.dll");
  calls::Calls rt(runtime_->code());
  LocateSkinLibrary(rt, "");
  const unsigned char bad[] = {1, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0xFE};
  EXPECT_FALSE(AttachSkin(rt, bad, "", 0, 0, 0));
  EXPECT_TRUE(AttachSkin(rt, rt.ConstBinary(sym::binary::kSkin), "", 0, 0, 0));
}

TEST_F(StartupTest, SystemFolderEndsInExactlyOneSeparator) {
  calls::Calls rt(runtime_->code());
  const std::string folder = SystemFolder(rt);
  EXPECT_TRUE(folder.ends_with("system32\\")) << folder;
  EXPECT_FALSE(folder.ends_with("\\\\")) << folder;
  EXPECT_FALSE(EndsWithSeparator("c:\\windows\\system32"));
  EXPECT_TRUE(EndsWithSeparator("c:\\windows\\system32\\"));
  // 乗 is 0x81 0x5C in GBK: its second byte is no separator.
  EXPECT_FALSE(EndsWithSeparator("c:\\\x81\x5C"));
  EXPECT_TRUE(EndsWithSeparator("c:\\\x81\x5C\\"));
  EXPECT_FALSE(EndsWithSeparator(""));
}

}  // namespace
}  // namespace pcshop::app::testing
