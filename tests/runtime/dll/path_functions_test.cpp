#include "runtime/dll/path_functions.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/runtime/files/scoped_data_home.h"

namespace pcshop::dll {
namespace {

namespace fs = std::filesystem;
using pcshop::testing::ReadBytes;
using pcshop::testing::ScopedDataHome;
using pcshop::testing::WriteBytes;

class PathFunctionsTest : public ::testing::Test {
 protected:
  ScopedDataHome home_;
};

TEST_F(PathFunctionsTest, SystemDirectoryFollowsTheWin32LengthRules) {
  std::string buffer(255, '#');
  EXPECT_EQ(GetSystemDirectoryA(buffer.data(), 255), 19u);
  EXPECT_EQ(std::string(buffer.c_str()), "C:\\windows\\system32");

  std::string small(19, '#');  // one byte short of the terminator
  EXPECT_EQ(GetSystemDirectoryA(small.data(), 19), 20u);
  EXPECT_EQ(small, std::string(19, '#'));

  std::string exact(20, '#');
  EXPECT_EQ(GetSystemDirectoryA(exact.data(), 20), 19u);
  EXPECT_EQ(exact, std::string("C:\\windows\\system32") + '\0');

  EXPECT_EQ(GetSystemDirectoryA(nullptr, 0), 20u);
  EXPECT_EQ(GetSystemDirectoryA(nullptr, 255), 0u);
}

TEST_F(PathFunctionsTest, SystemFolderExistsAndTakesATrailingSeparator) {
  std::string buffer(255, '\0');
  ASSERT_EQ(GetSystemDirectoryA(buffer.data(), 255), 19u);
  std::string folder(buffer.c_str());
  ASSERT_NE(folder.back(), '\\');  // the caller appends one
  EXPECT_EQ(PathIsDirectoryA(folder.c_str()), kFileAttributeDirectory);
  EXPECT_EQ(PathIsDirectoryA((folder + "\\").c_str()), kFileAttributeDirectory);
  WriteBytes(home_.drive_c() / "windows" / "system32" / "SkinMV.dll", "skin");
  EXPECT_EQ(PathFileExistsA((folder + "\\SkinMV.dll").c_str()), 1);
  EXPECT_EQ(PathFileExistsA("c:\\windows\\system32\\SkinMV.dll"), 1);
}

TEST_F(PathFunctionsTest, FilesAndFoldersExistButOnlyFoldersAreDirectories) {
  WriteBytes(home_.drive_c() / "DATA" / "配置.zdb", "x");
  EXPECT_EQ(PathFileExistsA("C:\\DATA\\\xC5\xE4\xD6\xC3.zdb"), 1);
  EXPECT_EQ(PathFileExistsA("C:\\DATA"), 1);  // folders exist too
  EXPECT_EQ(PathFileExistsA("C:\\DATA\\missing.zdb"), 0);
  EXPECT_EQ(PathFileExistsA("C:\\DATA\\\xC5"), 0);
  EXPECT_EQ(PathFileExistsA(""), 0);
  EXPECT_EQ(PathFileExistsA(nullptr), 0);

  EXPECT_EQ(PathIsDirectoryA("C:\\DATA"), 16);
  EXPECT_EQ(PathIsDirectoryA("C:\\DATA\\\xC5\xE4\xD6\xC3.zdb"), 0);
  EXPECT_EQ(PathIsDirectoryA("C:\\nothing"), 0);
  EXPECT_EQ(PathIsDirectoryA(nullptr), 0);
}

TEST_F(PathFunctionsTest, CopyNeverOverwritesWhenAskedNotTo) {
  WriteBytes(home_.drive_c() / "new.dll", "new");
  WriteBytes(home_.drive_c() / "sys" / "SkinMV.dll", "outdated");
  EXPECT_EQ(CopyFileA("C:\\new.dll", "C:\\sys\\SkinMV.dll", 1), 0);
  EXPECT_EQ(ReadBytes(home_.drive_c() / "sys" / "SkinMV.dll"), "outdated");
  EXPECT_EQ(CopyFileChecked("C:\\new.dll", "C:\\sys\\SkinMV.dll", true).message(),
            "target exists: " + (home_.drive_c() / "sys" / "SkinMV.dll").string());

  EXPECT_EQ(CopyFileA("C:\\new.dll", "C:\\sys\\SkinMV.dll", 0), 1);
  EXPECT_EQ(ReadBytes(home_.drive_c() / "sys" / "SkinMV.dll"), "new");
}

TEST_F(PathFunctionsTest, CopyMakesAWholeTargetAndLeavesNoTemporaryFiles) {
  std::string content(200 * 1024, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  WriteBytes(home_.drive_c() / "src" / "插件.dll", content);
  fs::create_directories(home_.drive_c() / "dst");
  EXPECT_EQ(CopyFileA("c:\\src\\\xB2\xE5\xBC\xFE.dll", "c:\\dst\\\xB2\xE5\xBC\xFE.dll", 1), 1);
  EXPECT_EQ(ReadBytes(home_.drive_c() / "dst" / "插件.dll"), content);
  EXPECT_EQ(CopyFileA("c:\\src\\\xB2\xE5\xBC\xFE.dll", "c:\\dst\\\xB2\xE5\xBC\xFE.dll", 1), 0);
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(home_.drive_c() / "dst")) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST_F(PathFunctionsTest, CopyFailuresCreateNothing) {
  fs::create_directories(home_.drive_c() / "dst");
  EXPECT_EQ(CopyFileA("C:\\missing.dll", "C:\\dst\\a.dll", 1), 0);
  EXPECT_FALSE(fs::exists(home_.drive_c() / "dst" / "a.dll"));
  WriteBytes(home_.drive_c() / "a.dll", "a");
  EXPECT_EQ(CopyFileA("C:\\a.dll", "C:\\no\\such\\folder\\a.dll", 1), 0);
  EXPECT_EQ(CopyFileA("C:\\a.dll", "C:\\dst", 0), 0);  // a folder is not replaced
  EXPECT_TRUE(fs::is_directory(home_.drive_c() / "dst"));
  EXPECT_EQ(CopyFileA("C:\\dst", "C:\\b.dll", 1), 0);  // nor copied
  EXPECT_EQ(CopyFileA(nullptr, "C:\\b.dll", 1), 0);
  EXPECT_TRUE(fs::is_empty(home_.drive_c() / "dst"));
}

TEST_F(PathFunctionsTest, MakeSureDirectoryPathExistsCreatesUpToTheLastSeparator) {
  EXPECT_EQ(MakeSureDirectoryPathExists("C:\\shop\\DATA\\2024\\"), 1);
  EXPECT_TRUE(fs::is_directory(home_.drive_c() / "shop" / "DATA" / "2024"));
  EXPECT_EQ(MakeSureDirectoryPathExists("C:\\shop\\DATA\\2024\\"), 1);  // already there

  // Without a trailing separator the last part is a file name.
  EXPECT_EQ(MakeSureDirectoryPathExists("C:\\shop\\\xB5\xBC\xB3\xF6\\list.xls"), 1);
  EXPECT_TRUE(fs::is_directory(home_.drive_c() / "shop" / "导出"));
  EXPECT_FALSE(fs::exists(home_.drive_c() / "shop" / "导出" / "list.xls"));
  EXPECT_EQ(MakeSureDirectoryPathExists("C:\\shop\\DATA"), 1);
  EXPECT_FALSE(fs::exists(home_.drive_c() / "DATA"));

  EXPECT_EQ(MakeSureDirectoryPathExists("name-only"), 1);
  EXPECT_FALSE(fs::exists("name-only"));
}

TEST_F(PathFunctionsTest, MakeSureDirectoryPathExistsFailsOnAFileInTheWay) {
  WriteBytes(home_.drive_c() / "shop" / "DATA", "a file, not a folder");
  EXPECT_EQ(MakeSureDirectoryPathExists("C:\\shop\\DATA\\"), 0);
  EXPECT_EQ(MakeSureDirectoryPathExists("C:\\shop\\DATA\\sub\\"), 0);
  EXPECT_EQ(ReadBytes(home_.drive_c() / "shop" / "DATA"), "a file, not a folder");
  EXPECT_EQ(MakeSureDirectoryPathExists("C:\\new\\bad\xC5"), 0);  // cut GBK
  EXPECT_FALSE(fs::exists(home_.drive_c() / "new"));
  EXPECT_EQ(MakeSureDirectoryPathExists(nullptr), 0);
}

TEST_F(PathFunctionsTest, TrailByte5CIsNotTakenForASeparator) {
  // 昞 is 0x95 0x5C: one folder, not "\x95" and an empty part.
  EXPECT_EQ(MakeSureDirectoryPathExists("C:\\\x95\x5C\\x.txt"), 1);
  EXPECT_TRUE(fs::is_directory(home_.drive_c() / "昞"));
  EXPECT_EQ(MakeSureDirectoryPathExists("C:\\a\\\x95\x5C"), 1);
  EXPECT_TRUE(fs::is_directory(home_.drive_c() / "a"));
  EXPECT_FALSE(fs::exists(home_.drive_c() / "a" / "昞"));
}

}  // namespace
}  // namespace pcshop::dll
