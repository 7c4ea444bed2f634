#include "image/calls/chart_text.h"

#include <gtest/gtest.h>

namespace pcshop::calls {
namespace {

TEST(ChartTextTest, AChartComesBackWholeAndMalformedTextIsNoChart) {
  const ChartData chart{ChartKind::kBars, "毛利", "无", {{"S1", {{"a", -5}, {"b", 9223372036854775807}}}}};
  const auto back = DecodeChart(EncodeChart(chart));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->series.size(), 1u);
  EXPECT_EQ(back->series[0].points[1].amount, 9223372036854775807);
  for (const char* bad : {"0\tt\tn\nS\ts\nP\t0\tx\t9223372036854775808\n",  // past 64 bits
                          "0\tt\tn\nS\ts\nP\t0\tx\t99999999999999999999\n",
                          "0\tt\tn\nS\ts\nP\t1\tx\t5\n",   // no such series
                          "0\tt\tn\nS\ts\nP\t0\tx\t+5\n",  // not as written
                          "3\tt\tn\n", "0\tt\tn"}) {
    EXPECT_FALSE(DecodeChart(bad)) << bad;
  }
}

}  // namespace
}  // namespace pcshop::calls
