#include "runtime/text/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gbk_literal.h"

namespace pcshop::text {
namespace {

double ValueOf(const LocalDateTime& parts) {
  auto v = FromLocalDateTime(parts);
  EXPECT_TRUE(v.ok()) << v.status().ToString();
  return v.ok() ? *v : 0;
}

TEST(DateTimeTest, KnownValuesFollowTheDayCountFrom1899) {
  EXPECT_EQ(ValueOf({1899, 12, 30, 0, 0, 0}), 0.0);
  EXPECT_EQ(ValueOf({1900, 1, 1, 0, 0, 0}), 2.0);
  EXPECT_EQ(ValueOf({2000, 1, 1, 12, 0, 0}), 36526.5);
  const double value = 45415.0 + (14 * 3600 + 7 * 60 + 9) / 86400.0;  // 2024-05-03 14:07:09
  EXPECT_EQ(GetYear(value), 2024);
  EXPECT_EQ(GetMonth(value), 5);
  EXPECT_EQ(GetDay(value), 3);
  EXPECT_EQ(GetHour(value), 14);
  EXPECT_EQ(GetMinute(value), 7);
  EXPECT_EQ(GetSecond(value), 9);
}

TEST(DateTimeTest, DaysBeforeTheEpochCountTheTimeForwardFromMidnight) {
  EXPECT_EQ(*ToLocalDateTime(-1.25), (LocalDateTime{1899, 12, 29, 6, 0, 0}));
  EXPECT_EQ(ValueOf({1899, 12, 29, 6, 0, 0}), -1.25);
  EXPECT_EQ(*ToLocalDateTime(-0.5), (LocalDateTime{1899, 12, 30, 12, 0, 0}));
  EXPECT_EQ(*ToLocalDateTime(-36522.0), (LocalDateTime{1800, 1, 1, 0, 0, 0}));
}

TEST(DateTimeTest, BrokenDownTimeRoundTrips) {
  for (const LocalDateTime& parts :
       {LocalDateTime{2024, 2, 29, 23, 59, 59}, LocalDateTime{100, 1, 1, 0, 0, 1},
        LocalDateTime{9999, 12, 31, 23, 59, 59}, LocalDateTime{1850, 6, 15, 8, 30, 0},
        LocalDateTime{2038, 1, 19, 3, 14, 8}}) {
    auto back = ToLocalDateTime(ValueOf(parts));
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, parts) << parts.year;
  }
}

TEST(DateTimeTest, InvalidPartsAndValuesAreRefused) {
  EXPECT_FALSE(FromLocalDateTime({2023, 2, 29, 0, 0, 0}).ok());
  EXPECT_FALSE(FromLocalDateTime({2024, 13, 1, 0, 0, 0}).ok());
  EXPECT_FALSE(FromLocalDateTime({2024, 1, 1, 24, 0, 0}).ok());
  EXPECT_EQ(FromLocalDateTime({2024, 1, 1, 0, 0, 60}).status().message(),
            "not a valid date and time: 2024-1-1 0:0:60");
  for (double v : {std::nan(""), std::numeric_limits<double>::infinity(), 1e300, -1e300,
                   2958466.0, -657435.0}) {
    EXPECT_FALSE(ToLocalDateTime(v).ok()) << v;
    EXPECT_EQ(GetYear(v), 0);
    EXPECT_EQ(DateToText(v, 1), "");
  }
}

TEST(DateTimeTest, DateTextPadsOnlyMinutesAndSeconds) {
  const double value = ValueOf({2024, 5, 3, 14, 7, 9});
  EXPECT_EQ(GbkToUtf8(DateToText(value, 1)).value(), "2024年5月3日14时07分09秒");
  EXPECT_EQ(GbkToUtf8(DateToText(value, 2)).value(), "2024年5月3日");
  EXPECT_EQ(GbkToUtf8(DateToText(value, 3)).value(), "14时07分09秒");
  EXPECT_EQ(DateToText(value, 0), DateToText(value, 1));
}

TEST(DateTimeTest, LongestDateTextFitsItsField) {
  const std::string text = DateToText(ValueOf({9999, 12, 31, 23, 59, 59}), 1);
  EXPECT_EQ(GbkToUtf8(text).value(), "9999年12月31日23时59分59秒");
  EXPECT_LE(text.size(), kMaxDateTextBytes);
}

TEST(DateTimeTest, NowIsAPlausibleLocalTimeToTheSecond) {
  const double first = Now();
  const double second = Now();
  EXPECT_LE(first, second);
  EXPECT_GE(GetYear(first), 2024);
  auto parts = ToLocalDateTime(first);
  ASSERT_TRUE(parts.ok());
  EXPECT_EQ(ValueOf(*parts), first);
}

}  // namespace
}  // namespace pcshop::text
