#include "runtime/text/text_ops.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "gbk_literal.h"

namespace pcshop::text {
namespace {

// "a配置b": a, two double-byte characters, b; 6 bytes.
const std::string kMixed = Gbk("a配置b");

TEST(TextOpsTest, SlicesNeverSplitADoubleByteCharacter) {
  // Every requested byte range, including ones cutting 配 or 置 in half, must
  // give a text that decodes cleanly.
  for (int32_t start = -2; start <= 8; ++start) {
    for (int32_t length = -1; length <= 8; ++length) {
      const std::string mid = MidText(kMixed, start, length);
      EXPECT_TRUE(GbkToUtf8(mid).ok()) << start << "," << length;
      EXPECT_LE(mid.size(), static_cast<size_t>(std::max(length, 0)));
    }
    EXPECT_TRUE(GbkToUtf8(LeftText(kMixed, start)).ok()) << start;
    EXPECT_TRUE(GbkToUtf8(RightText(kMixed, start)).ok()) << start;
  }
}

TEST(TextOpsTest, CutsStopBeforeAndStartsMovePastAHalfCharacter) {
  EXPECT_EQ(LeftText(kMixed, 2), "a");             // would end inside 配
  EXPECT_EQ(LeftText(kMixed, 3), Gbk("a配"));
  EXPECT_EQ(RightText(kMixed, 2), "b");            // would start on 置's trail byte
  EXPECT_EQ(RightText(kMixed, 3), Gbk("置b"));
  EXPECT_EQ(MidText(kMixed, 3, 3), Gbk("置"));     // starts on 配's trail byte
  EXPECT_EQ(MidText(kMixed, 2, 2), Gbk("配"));
  EXPECT_EQ(MidText(kMixed, 2, 3), Gbk("配"));
}

TEST(TextOpsTest, OutOfRangeArgumentsNarrowTheSlice) {
  EXPECT_EQ(TextLength(kMixed), 6);                // bytes, not characters
  EXPECT_EQ(LeftText(kMixed, 0), "");
  EXPECT_EQ(LeftText(kMixed, -5), "");
  EXPECT_EQ(LeftText(kMixed, 99), kMixed);
  EXPECT_EQ(RightText(kMixed, 99), kMixed);
  EXPECT_EQ(MidText(kMixed, 7, 1), "");
  EXPECT_EQ(MidText(kMixed, 1, 0), "");
  EXPECT_EQ(MidText(kMixed, 0, 2), "a");           // byte range 0..1
  EXPECT_EQ(MidText(kMixed, -2147483647 - 1, 2147483647), "");
  EXPECT_EQ(MidText(kMixed, 2, 2147483647), Gbk("配置b"));
  // A lone lead byte at the end is a character of its own.
  EXPECT_EQ(RightText("ab\xC5", 1), "\xC5");
}

TEST(TextOpsTest, CharCodeIsNegativeExactlyForDoubleByteCharacters) {
  EXPECT_EQ(CharCode(kMixed, 1), 'a');
  EXPECT_EQ(CharCode(kMixed, 2), -0xC5E4);         // 配
  EXPECT_EQ(CharCode(kMixed, 4), -0xD6C3);         // 置
  EXPECT_EQ(CharCode(kMixed, 6), 'b');
  EXPECT_EQ(CharCode("\x80\xFF", 1), 0x80);        // not lead bytes
  EXPECT_EQ(CharCode("x\xC5", 2), 0xC5);           // lead byte without a trail byte
  EXPECT_EQ(CharCode(kMixed, 0), 0);
  EXPECT_EQ(CharCode(kMixed, 7), 0);
  EXPECT_EQ(CharCode("", 1), 0);
}

TEST(TextOpsTest, NormalizeTrimsBlanksAtBothEndsOnly) {
  EXPECT_EQ(NormalizeText(" \tc:\\a b\\" + Gbk("配置") + "\t "), "c:\\a b\\" + Gbk("配置"));
  EXPECT_EQ(NormalizeText("   "), "");
  EXPECT_EQ(NormalizeText(""), "");
}

}  // namespace
}  // namespace pcshop::text
