#include "runtime/text/pinyin_table.h"

#include <gtest/gtest.h>

#include <string>

#include "gbk_literal.h"
#include "runtime/text/pinyin.h"
#include "runtime/text/pinyin_transliteration.h"
#include "runtime/text/text_ops.h"

namespace pcshop::text {
namespace {

// Every two-byte text with a lead byte, read by a fresh reader, against ICU's
// own reading of it: the same reading (and so the same initial), or the same
// error. The table must also really answer: every character ICU can read is
// in it, and none of these texts makes the reader fall back to ICU.
TEST(PinyinTableTest, EveryTwoByteCodeReadsAsIcuReadsIt) {
  auto icu = PinyinTransliterator::Create();
  ASSERT_TRUE(icu.ok()) << icu.status().ToString();
  auto reader = PinyinReader::Create();
  ASSERT_TRUE(reader.ok());
  int characters = 0;
  int mismatches = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x01; trail <= 0xFF; ++trail) {
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      const Result<std::string> expected = icu->Read(code);
      const Result<std::string> got = reader->Read(code);
      const bool in_table = TableReading(code).has_value();
      const bool same = expected.ok() ? got.ok() && *got == *expected && in_table
                                      : !got.ok() && !in_table &&
                                            got.status().message() == expected.status().message();
      if (!same && ++mismatches <= 10) {
        ADD_FAILURE() << std::hex << "code " << lead * 256 + trail << ": ICU "
                      << (expected.ok() ? *expected : expected.status().ToString()) << ", reader "
                      << (got.ok() ? *got : got.status().ToString())
                      << (in_table ? " (from the table)" : "");
      }
      if (expected.ok()) {
        ++characters;
        EXPECT_EQ(LeftText(got.ok() ? *got : "", 1), LeftText(*expected, 1));
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  // GBK's two-byte area as ICU's converter reads it (user-defined areas
  // included): 126 lead bytes by 190 trail bytes.
  EXPECT_EQ(characters, 126 * 190);
  EXPECT_FALSE(reader->HasTransliterator());
}

TEST(PinyinTableTest, SingleCharactersComeFromTheTableLongerTextsFromIcu) {
  auto reader = PinyinReader::Create();
  ASSERT_TRUE(reader.ok());
  EXPECT_EQ(*TableReading(Gbk("曾")), "ceng");
  EXPECT_EQ(*TableReading(Gbk("Ａ")), "A");
  EXPECT_EQ(*TableReading(Gbk("①")), Gbk("①"));
  EXPECT_FALSE(TableReading(Gbk("张三")).has_value());
  EXPECT_FALSE(TableReading("A").has_value());
  EXPECT_FALSE(TableReading("").has_value());
  EXPECT_FALSE(TableReading("\x81\x7F").has_value());

  EXPECT_EQ(PinyinInitials(*reader, Gbk("张小明")), "zxm");
  EXPECT_EQ(PinyinInitials(*reader, Gbk("A张3①")), "Az3");
  EXPECT_EQ(*reader->Read(Gbk("①")), Gbk("①"));
  // An invalid code fails without the transliterator.
  EXPECT_EQ(reader->Read("\x81\x7F").status().message(), "invalid GBK text at byte 0");
  EXPECT_FALSE(reader->HasTransliterator());

  EXPECT_EQ(*reader->Read(Gbk("张三")), "zhang san");
  EXPECT_TRUE(reader->HasTransliterator());
  EXPECT_EQ(*reader->Read("A"), "A");
}

}  // namespace
}  // namespace pcshop::text
