#include "image/calls/compiled_helpers.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdlib>
#include <limits>
#include <string>

namespace pcshop::calls {
namespace {

TEST(CompiledHelpersTest, NullTextComparesEqualToTheEmptyText) {
  EXPECT_EQ(CompareText(nullptr, ""), 0);
  EXPECT_EQ(CompareText("", nullptr), 0);
  EXPECT_EQ(CompareText(nullptr, nullptr), 0);
  EXPECT_EQ(CompareText(nullptr, "a"), -1);
  EXPECT_EQ(CompareText("a", nullptr), 1);
}

TEST(CompiledHelpersTest, TextsCompareAsUnsignedBytes) {
  // 0xB1 (a GBK lead byte) sorts after ASCII, as an unsigned byte does.
  EXPECT_EQ(CompareText("\xB1\xA3", "z"), 1);
  EXPECT_EQ(CompareText("abc", "abd"), -1);
  EXPECT_EQ(CompareText("ab", "abc"), -1);
  EXPECT_EQ(CompareText("abc", "abc"), 0);
  EXPECT_EQ(CompareText("Abc", "abc"), -1);  // case-sensitive
}

TEST(CompiledHelpersTest, TextLengthCountsBytesAndNullIsZero) {
  EXPECT_EQ(TextLength(nullptr), 0);
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("\xB1\xA3\xB4\xE6"), 4);
}

void* TestAllocate(uint32_t size) { return std::malloc(size); }

TEST(CompiledHelpersTest, ConcatenateJoinsIntoOneOwnedBlock) {
  const char* parts[] = {"\xB1\xA3", nullptr, "\r\n", "", "x"};
  char* joined = Concatenate(&TestAllocate, parts);
  ASSERT_NE(joined, nullptr);
  EXPECT_EQ(std::string(joined), "\xB1\xA3\r\nx");
  std::free(joined);

  char* empty = Concatenate(&TestAllocate, {});
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(std::string(empty), "");
  std::free(empty);
}

TEST(CompiledHelpersTest, TruncateRoundsTowardZeroWhateverTheRoundingMode) {
  const int saved = std::fegetround();
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    EXPECT_EQ(Truncate(2.9), 2);
    EXPECT_EQ(Truncate(-2.9), -2);
    EXPECT_EQ(Truncate(0.5), 0);
    ASSERT_EQ(std::fegetround(), mode);  // the caller's mode is left as it was
  }
  std::fesetround(saved);
}

TEST(CompiledHelpersTest, TruncateSaturatesOutOfRangeAndNan) {
  EXPECT_EQ(Truncate(1e30), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(Truncate(-1e30), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(Truncate(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(Truncate(4294967296.75), 4294967296);
}

TEST(CompiledHelpersTest, PadWritesOmittedTriples) {
  ValueTriple triples[3] = {Int(7), Text("x"), Double(2.5)};
  Pad(std::span<ValueTriple>(triples).subspan(1));
  EXPECT_EQ(triples[0], Int(7));
  EXPECT_EQ(triples[1], Omitted());
  EXPECT_EQ(triples[2], Omitted());
}

}  // namespace
}  // namespace pcshop::calls
