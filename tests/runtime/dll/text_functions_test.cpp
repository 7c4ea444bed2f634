#include "runtime/dll/text_functions.h"

#include <gtest/gtest.h>

#include <string>

namespace pcshop::dll {
namespace {

std::string Blanked(std::string text) {
  PathRemoveBlanksA(text.data());
  return text.c_str();
}

TEST(PathRemoveBlanksTest, RemovesLeadingAndTrailingSpacesOnly) {
  EXPECT_EQ(Blanked("  \xC0\xEE \xCB\xC4  "), "\xC0\xEE \xCB\xC4");
  EXPECT_EQ(Blanked("abc"), "abc");
  EXPECT_EQ(Blanked("    "), "");
  EXPECT_EQ(Blanked(""), "");
  EXPECT_EQ(Blanked("\tx\t"), "\tx\t");
  PathRemoveBlanksA(nullptr);  // no crash
}

TEST(LstrcpynTest, LengthZeroCopiesNothingAndReturnsDest) {
  char buffer[8] = "keep";
  EXPECT_EQ(lstrcpyn(buffer, "other", 0), buffer);
  EXPECT_STREQ(buffer, "keep");
  // The way the export gets a structure's address: itself as both sides.
  EXPECT_EQ(lstrcpyn(buffer, buffer, 0), buffer);
  EXPECT_EQ(lstrcpyn(buffer, "other", -5), buffer);
  EXPECT_STREQ(buffer, "keep");
  EXPECT_EQ(lstrcpyn(nullptr, nullptr, 0), nullptr);
}

TEST(LstrcpynTest, CopiesAtMostNMinusOneBytesAndATerminator) {
  char buffer[8] = "#######";
  EXPECT_EQ(lstrcpyn(buffer, "abc", 1), buffer);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(buffer[1], '#');
  lstrcpyn(buffer, "abc", 4);  // exact fit
  EXPECT_STREQ(buffer, "abc");
  lstrcpyn(buffer, "abcdef", 4);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], '#');
  lstrcpyn(buffer, "ab", 8);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(lstrcpyn(buffer, nullptr, 4), nullptr);
  EXPECT_EQ(lstrcpyn(nullptr, "a", 4), nullptr);
}

TEST(LstrcpynTest, NeverSplitsAGbkCharacter) {
  char buffer[8] = "#######";
  lstrcpyn(buffer, "a\xC5\xE4\xD6\xC3", 3);  // room for "a" and half of 配
  EXPECT_STREQ(buffer, "a");
  lstrcpyn(buffer, "\xC5\xE4\xD6\xC3", 4);
  EXPECT_STREQ(buffer, "\xC5\xE4");
  lstrcpyn(buffer, "\xC5\xE4\xD6\xC3", 5);  // exact fit
  EXPECT_STREQ(buffer, "\xC5\xE4\xD6\xC3");
  // 0x95 0x5C then 0xC5: a trail byte that looks like a lead is not cut on.
  lstrcpyn(buffer, "\x95\x5C\xC5\xE4", 3);
  EXPECT_STREQ(buffer, "\x95\x5C");
}

}  // namespace
}  // namespace pcshop::dll
