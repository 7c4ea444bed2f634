#include "runtime/text/pinyin.h"

#include <gtest/gtest.h>

#include "gbk_literal.h"

namespace pcshop::text {
namespace {

// One reader for the whole suite, as the runtime keeps one for its run.
class PinyinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto r = PinyinReader::Create();
    ASSERT_TRUE(r.ok()) << r.status().ToString();
    reader_ = std::make_unique<PinyinReader>(std::move(r).value());
  }
  static void TearDownTestSuite() { reader_.reset(); }
  static const PinyinReader& reader() { return *reader_; }

 private:
  static inline std::unique_ptr<PinyinReader> reader_;
};

TEST_F(PinyinTest, CommonSurnamesReadInLowerCase) {
  const std::pair<const char*, const char*> kSurnames[] = {
      {"张", "zhang"}, {"王", "wang"}, {"李", "li"},   {"赵", "zhao"}, {"刘", "liu"},
      {"陈", "chen"},  {"杨", "yang"}, {"黄", "huang"}, {"周", "zhou"}, {"吴", "wu"}};
  std::string initials;
  for (const auto& [surname, reading] : kSurnames) {
    auto r = ConvertText(reader(), Gbk(surname), 1);
    ASSERT_TRUE(r.ok()) << surname;
    EXPECT_EQ(*r, reading) << surname;
    initials += PinyinInitials(reader(), Gbk(surname));
  }
  EXPECT_EQ(initials, "zwlzlcyhzw");
}

TEST_F(PinyinTest, InitialsKeepSingleByteCharactersAsTheyAre) {
  EXPECT_EQ(PinyinInitials(reader(), Gbk("张三")), "zs");
  EXPECT_EQ(PinyinInitials(reader(), Gbk("A张3")), "Az3");
  EXPECT_EQ(PinyinInitials(reader(), Gbk("王 b李-9")), "w bl-9");
  EXPECT_EQ(PinyinInitials(reader(), ""), "");
}

TEST_F(PinyinTest, MixedTextsKeepTheirNonChineseCharacters) {
  EXPECT_EQ(*ConvertText(reader(), Gbk("张三"), 1), "zhang san");
  EXPECT_EQ(*ConvertText(reader(), Gbk("A张3"), 1), "A zhang3");
  EXPECT_EQ(*ConvertText(reader(), Gbk("①"), 1), Gbk("①"));
  // A symbol without a reading contributes nothing to the initials.
  EXPECT_EQ(PinyinInitials(reader(), Gbk("①张")), "z");
}

TEST_F(PinyinTest, InvalidGbkIsAnErrorNotAPartialReading) {
  auto r = ConvertText(reader(), "ab\xD5", 1);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.status().message(), "invalid GBK text at byte 2");
  // The initials walk skips the damaged pair and goes on.
  EXPECT_EQ(PinyinInitials(reader(), std::string("\xD5\x20") + Gbk("张")), "z");
  EXPECT_EQ(PinyinInitials(reader(), Gbk("张") + "\xD5"), "z");
}

TEST_F(PinyinTest, OnlyModeOneIsAConversion) {
  auto r = ConvertText(reader(), Gbk("张"), 2);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.status().message(), "text conversion mode 2 is not supported");
}

}  // namespace
}  // namespace pcshop::text
