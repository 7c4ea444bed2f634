#include "runtime/files/program_folder.h"

#include <gtest/gtest.h>

#include "runtime/files/native_path.h"

namespace pcshop::files {
namespace {

TEST(ProgramFolderTest, IsTheExecutablesFolderInGbkWithoutTrailingSeparator) {
  auto folder = ProgramFolderOf("/opt/商店/pcshop");
  ASSERT_TRUE(folder.ok());
  EXPECT_EQ(*folder, "/opt/\xC9\xCC\xB5\xEA");
  EXPECT_EQ(*ProgramFolderOf("/pcshop"), "");  // so "\DATA" still means /DATA
}

TEST(ProgramFolderTest, DataPathsBuiltOnTheRunningProgramLandBesideIt) {
  auto exe = ExecutablePath();
  ASSERT_TRUE(exe.ok()) << exe.status().ToString();
  auto folder = ProgramFolder();
  ASSERT_TRUE(folder.ok()) << folder.status().ToString();
  ASSERT_FALSE(folder->ends_with("/"));
  auto back = ToNativePath(*folder + "\\" + exe->filename().string());
  ASSERT_TRUE(back.ok());
  EXPECT_TRUE(std::filesystem::equivalent(*back, *exe));
}

TEST(ProgramFolderTest, UnusableExecutablePathsAreErrors) {
  EXPECT_EQ(ProgramFolderOf("pcshop").status().message(),
            "executable path is not an absolute file path: pcshop");
  EXPECT_EQ(ProgramFolderOf("/opt/\xF0\x9F\x98\x80/pcshop").status().message(),
            "program folder cannot be written in GBK: /opt/\xF0\x9F\x98\x80");
  EXPECT_EQ(ProgramFolderOf("/opt/a\\b/pcshop").status().message(),
            "program folder contains a backslash: /opt/a\\b");
}

}  // namespace
}  // namespace pcshop::files
