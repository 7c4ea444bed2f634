#pragma once
// What the reports window shows: the top figures beside the previous
// period's, and the two lists as chosen.

#include "app/reports/reports_controls.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Everything for the chosen period; a period that cannot be read (日期范围
// without two dates) says so and clears the figures.
void ShowReports(calls::Calls& rt, const ReportsWindow& w);
void ShowSalesList(calls::Calls& rt, const ReportsWindow& w);
void ShowStockList(calls::Calls& rt, const ReportsWindow& w);

// The title of the list a window shows, for its file names and documents.
const char* SalesTitle(calls::Calls& rt, const ReportsWindow& w);
const char* StockTitle(calls::Calls& rt, const ReportsWindow& w);

// "期间：2024年5月1日 至 2024年5月31日".
std::string PeriodLine(calls::Calls& rt, DayRange period);

}  // namespace pcshop::app
