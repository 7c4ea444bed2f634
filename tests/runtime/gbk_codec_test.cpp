#include "runtime/text/gbk_codec.h"

#include <gtest/gtest.h>

namespace pcshop::text {
namespace {

// "配置" in GBK.
const std::string kPeiZhi = "\xC5\xE4\xD6\xC3";

TEST(GbkCodecTest, RoundTripsChineseThroughUtf8AndUtf16) {
  auto utf8 = GbkToUtf8(kPeiZhi);
  ASSERT_TRUE(utf8.ok());
  EXPECT_EQ(*utf8, "配置");
  auto back = Utf8ToGbk(*utf8);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(*back, kPeiZhi);
  auto u16 = GbkToUtf16(kPeiZhi);
  ASSERT_TRUE(u16.ok());
  EXPECT_EQ(*u16, u"配置");
  EXPECT_EQ(*Utf16ToGbk(*u16), kPeiZhi);
}

TEST(GbkCodecTest, AsciiTextsAndMixedTextsConvertAlike) {
  // Every single byte a GBK text can hold, alone and next to a Chinese
  // character (which takes the converter's path).
  std::string ascii;
  std::u16string expected;
  for (int b = 0; b < 0x80; ++b) {
    ascii += static_cast<char>(b);
    expected += static_cast<char16_t>(b);
  }
  EXPECT_EQ(*GbkToUtf16(ascii), expected);
  EXPECT_EQ(*Utf16ToGbk(expected), ascii);
  EXPECT_EQ(*GbkToUtf16(ascii + kPeiZhi), expected + u"配置");
  EXPECT_EQ(*Utf16ToGbk(expected + u"配置"), ascii + kPeiZhi);
  EXPECT_EQ(*GbkToUtf8("x1 ~"), "x1 ~");
}

TEST(GbkCodecTest, InvalidGbkIsAnErrorNamingTheOffset) {
  // A lead byte at the end has no trail byte.
  auto r = GbkToUtf8("ab\xC5");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.status().message(), "invalid GBK text at byte 2");
  EXPECT_FALSE(GbkToUtf16(std::string("\xC5\x20", 2)).ok());
}

TEST(GbkCodecTest, LossyDecodingNeverFails) {
  const std::u16string s = GbkToUtf16Lossy("a\xFF" "b");
  EXPECT_EQ(s.front(), u'a');
  EXPECT_EQ(s.back(), u'b');
}

TEST(GbkCodecTest, CharactersOutsideGbkAreRefused) {
  EXPECT_FALSE(Utf8ToGbk("\xF0\x9F\x98\x80").ok());  // an emoji
  EXPECT_FALSE(Utf8ToGbk("\xC3").ok());              // broken UTF-8
}

TEST(GbkCodecTest, BoundaryNeverSplitsACharacter) {
  const std::string s = "a" + kPeiZhi;  // a, then two 2-byte characters
  EXPECT_EQ(GbkBoundaryAtOrBefore(s, 0), 0u);
  EXPECT_EQ(GbkBoundaryAtOrBefore(s, 1), 1u);
  EXPECT_EQ(GbkBoundaryAtOrBefore(s, 2), 1u);
  EXPECT_EQ(GbkBoundaryAtOrBefore(s, 3), 3u);
  EXPECT_EQ(GbkBoundaryAtOrBefore(s, 4), 3u);
  EXPECT_EQ(GbkBoundaryAtOrBefore(s, 99), 5u);
}

}  // namespace
}  // namespace pcshop::text
