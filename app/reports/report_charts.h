#pragma once
// The reports window's charts, each from grouped sums of the table store:
// sales and profit per day (per month over a period longer than three
// months), the ten products with the most profit and with the most units
// sold, sales by category, purchases against sales for the last twelve
// months.

#include <optional>

#include "app/reports/report_period.h"
#include "image/calls/calls.h"

namespace pcshop::app {

struct ReportsWindow;

enum class ReportChart { kSalesProfit, kTopProfit, kTopUnits, kCategories, kTwelveMonths };

// The chart's series for `period`; nothing when a stock table cannot be
// summed. The table that was current before is current afterwards.
std::optional<calls::ChartData> BuildReportChart(calls::Calls& rt, ReportChart chart,
                                                 DayRange period, int64_t today);

// Draws the chart the window's chooser names for its period.
void ShowChart(calls::Calls& rt, const ReportsWindow& w);

}  // namespace pcshop::app
