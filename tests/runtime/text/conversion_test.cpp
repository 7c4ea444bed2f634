#include "runtime/text/conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gbk_literal.h"
#include "runtime/text/binary_value.h"

namespace pcshop::text {
namespace {

TEST(ConversionTest, TextToIntReadsTheLeadingInteger) {
  EXPECT_EQ(TextToInt("1999"), 1999);
  EXPECT_EQ(TextToInt("  \t-42"), -42);
  EXPECT_EQ(TextToInt("+7"), 7);
  EXPECT_EQ(TextToInt(Gbk("　12")), 12);           // full-width space
  EXPECT_EQ(TextToInt("12.7"), 12);
  EXPECT_EQ(TextToInt(Gbk("12.5元")), 12);
  EXPECT_EQ(TextToInt("3 4"), 3);
}

TEST(ConversionTest, TextToIntReadsZeroWithoutDigits) {
  for (const std::string& text : {std::string(), std::string("abc"), std::string("-"),
                                  std::string("+ 5"), std::string("  "), Gbk("元12")}) {
    EXPECT_EQ(TextToInt(text), 0) << text;
  }
}

TEST(ConversionTest, TextToIntSaturatesBeyondThirtyTwoBits) {
  EXPECT_EQ(TextToInt("2147483647"), 2147483647);
  EXPECT_EQ(TextToInt("-2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TextToInt("2147483648"), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(TextToInt("-2147483649"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TextToInt("99999999999999999999999999999"), std::numeric_limits<int32_t>::max());
}

TEST(ConversionTest, TextToLongReadsAsTextToIntDoesButIntoSixtyFourBits) {
  EXPECT_EQ(TextToLong(Gbk("　12.5元")), 12);
  EXPECT_EQ(TextToLong("abc"), 0);
  EXPECT_EQ(TextToLong(""), 0);
  EXPECT_EQ(TextToLong("-7"), -7);
  EXPECT_EQ(TextToLong("9999900000"), 9999900000);
  EXPECT_EQ(TextToLong("9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(TextToLong("-9223372036854775808"), std::numeric_limits<int64_t>::min());
}

TEST(ConversionTest, TextToLongRefusesWhatSixtyFourBitsCannotHold) {
  EXPECT_EQ(TextToLong("9223372036854775808"), std::nullopt);
  EXPECT_EQ(TextToLong("-9223372036854775809"), std::nullopt);
  EXPECT_EQ(TextToLong("99999999999999999999999999999"), std::nullopt);
}

TEST(ConversionTest, ToTextOfLongIntegersIsPlainDecimal) {
  EXPECT_EQ(ToText(int64_t{9000000000000000000}), "9000000000000000000");
  EXPECT_EQ(ToText(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

TEST(ConversionTest, ToTextOfWholeDoublesHasNoDecimalPoint) {
  EXPECT_EQ(ToText(2 * 1999.0), "3998");
  EXPECT_EQ(ToText(-250.0), "-250");
  EXPECT_EQ(ToText(100000.0), "100000");
  EXPECT_EQ(ToText(-0.0), "0");
}

TEST(ConversionTest, ToTextOfFractionsReadsBackExactly) {
  EXPECT_EQ(ToText(0.1), "0.1");
  EXPECT_EQ(ToText(-12.75), "-12.75");
  EXPECT_EQ(ToText(1e20), "1e+20");
  EXPECT_EQ(ToText(2.5e-7), "2.5e-07");
  for (double v : {1.0 / 3, 1e-6, 123456789.125, -9.87654321e15}) {
    EXPECT_EQ(std::stod(ToText(v)), v) << ToText(v);
  }
  EXPECT_EQ(ToText(std::nan("")), "nan");
  EXPECT_EQ(ToText(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST(ConversionTest, TextBufferIsZeroBytesReadBackUpToTheFirstZero) {
  auto buffer = MakeTextBuffer(255);
  ASSERT_TRUE(buffer.ok());
  EXPECT_EQ(*buffer, std::string(255, '\0'));
  EXPECT_EQ(TextInBuffer(*buffer), "");
  buffer->replace(0, 20, "C:\\Windows\\system32");
  EXPECT_EQ(TextInBuffer(*buffer), "C:\\Windows\\system32");
  EXPECT_EQ(TextInBuffer("no zero"), "no zero");
  EXPECT_EQ(*MakeTextBuffer(-1), "");
  auto huge = MakeTextBuffer(kMaxTextBuffer + 1);
  ASSERT_FALSE(huge.ok());
  EXPECT_EQ(huge.status().message(), "text buffer of 16777217 bytes is larger than 16777216");
}

TEST(BinaryValueTest, LengthComesFromTheHeader) {
  const std::string value = MakeBinary("skin");
  EXPECT_EQ(value, std::string("\1\0\0\0\4\0\0\0skin", 12));
  EXPECT_EQ(*BinaryLength(value), 4);
  EXPECT_EQ(*BinaryBytes(value), "skin");
  EXPECT_EQ(*BinaryLength(MakeBinary("")), 0);
  EXPECT_EQ(*BinaryBytes(value + "tail"), "skin");
}

TEST(BinaryValueTest, DamagedValuesAreRefused) {
  EXPECT_EQ(BinaryLength(std::string("\1\0\0\0", 4)).status().message(),
            "binary value of 4 bytes is shorter than its 8-byte header");
  EXPECT_EQ(BinaryLength(std::string("\2\0\0\0\0\0\0\0", 8)).status().message(),
            "binary value has marker 2 instead of 1");
  EXPECT_EQ(BinaryLength(std::string("\1\0\0\0\5\0\0\0skin", 12)).status().message(),
            "binary value claims 5 bytes but holds 4");
  EXPECT_EQ(BinaryLength(std::string("\1\0\0\0\xFF\xFF\xFF\xFF", 8)).status().code(),
            Status::Code::kCorruption);
}

}  // namespace
}  // namespace pcshop::text
