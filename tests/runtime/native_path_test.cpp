#include "runtime/files/native_path.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace pcshop::files {
namespace {

class NativePathTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_DATA_HOME", "/xdg", 1); }
  void TearDown() override { unsetenv("XDG_DATA_HOME"); }
};

TEST_F(NativePathTest, BackslashesBecomeSlashesAfterDecoding) {
  auto p = ToNativePath("/opt/shop\\DATA\\\xC5\xE4\xD6\xC3.zdb");
  ASSERT_TRUE(p.ok());
  EXPECT_EQ(p->string(), "/opt/shop/DATA/配置.zdb");
}

TEST_F(NativePathTest, TrailByte5CIsNotASeparator) {
  // 0x95 0x5C is one GBK character (昞); scanning bytes for "\" would split it.
  auto p = ToNativePath("/x/\x95\x5C.txt");
  ASSERT_TRUE(p.ok());
  EXPECT_EQ(p->string(), "/x/昞.txt");
}

TEST_F(NativePathTest, DrivePathsMapIntoTheDriveFolder) {
  auto p = ToNativePath("C:\\windows\\system32\\SkinMV.dll");
  ASSERT_TRUE(p.ok());
  EXPECT_EQ(p->string(), "/xdg/pcshop/drive_c/windows/system32/SkinMV.dll");
  EXPECT_EQ(ToNativePath("d:")->string(), "/xdg/pcshop/drive_d");
}

TEST_F(NativePathTest, EmptyAndInvalidPathsAreRefused) {
  EXPECT_FALSE(ToNativePath("").ok());
  EXPECT_FALSE(ToNativePath("/x/\xC5").ok());
}

TEST_F(NativePathTest, NativeToTextRoundTrip) {
  auto t = ToTextPath("/opt/配置");
  ASSERT_TRUE(t.ok());
  EXPECT_EQ(*t, "/opt/\xC5\xE4\xD6\xC3");
}

}  // namespace
}  // namespace pcshop::files
