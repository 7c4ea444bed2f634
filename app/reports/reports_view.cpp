#include "app/reports/reports_view.h"

#include <array>
#include <string>

#include "app/checks/day_number.h"
#include "app/reports/report_charts.h"
#include "app/reports/report_figures.h"
#include "image/app_symbols.h"
#include "image/calls/read_snapshot.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

void FillList(calls::Calls& rt, const ControlRef& list, const std::vector<ReportRow>& rows) {
  const calls::ValueTriple object = ObjectOf(list);
  rt.ClearList(object);
  for (const ReportRow& cells : rows) {
    const int32_t row = rt.InsertListRow(object, -1);
    for (size_t c = 0; c < cells.size(); ++c) {
      if (!cells[c].empty()) (void)rt.SetListCell(object, row, static_cast<int32_t>(c), cells[c].c_str());
    }
  }
}

std::vector<ReportRow> FigureRows(calls::Calls& rt, const PeriodFigures& now,
                                  const PeriodFigures& before) {
  auto row = [&](uint32_t label, int64_t PeriodFigures::*field) {
    return ReportRow{rt.ConstText(label), std::to_string(now.*field),
                     std::to_string(before.*field)};
  };
  std::vector<ReportRow> rows = {row(t::kReportSales, &PeriodFigures::sales),
                                 row(t::kReportCost, &PeriodFigures::cost)};
  rows.push_back({rt.ConstText(t::kReportProfit), std::to_string(now.profit()),
                  std::to_string(before.profit())});
  rows.push_back({rt.ConstText(t::kReportMargin), MarginText(rt, now), MarginText(rt, before)});
  rows.push_back(row(t::kReportSalesCount, &PeriodFigures::sales_count));
  rows.push_back(row(t::kReportPurchases, &PeriodFigures::purchases));
  rows.push_back(row(t::kReportPurchaseCount, &PeriodFigures::purchase_count));
  rows.push_back(row(t::kReportReceived, &PeriodFigures::received));
  rows.push_back(row(t::kReportPaid, &PeriodFigures::paid));
  rows.push_back(row(t::kReportOwedToShop, &PeriodFigures::owed_to_shop));
  rows.push_back(row(t::kReportOwedByShop, &PeriodFigures::owed_by_shop));
  return rows;
}

void ClearAll(calls::Calls& rt, const ReportsWindow& w) {
  for (const ControlRef* list : {&w.figures, &w.sales, &w.stock}) rt.ClearList(ObjectOf(*list));
}

}  // namespace

std::string PeriodLine(calls::Calls& rt, DayRange period) {
  return rt.ConstText(t::kReportPeriodLine) + DayText(rt, period.first) +
         rt.ConstText(t::kReportTo) + DayText(rt, period.last);
}

const char* SalesTitle(calls::Calls& rt, const ReportsWindow& w) {
  static constexpr std::array<uint32_t, 3> kTitles = {
      t::kReportSalesByProduct, t::kReportSalesByCategory, t::kReportSalesByCustomer};
  return rt.ConstText(kTitles[static_cast<size_t>(ChosenGrouping(rt, w))]);
}

const char* StockTitle(calls::Calls& rt, const ReportsWindow& w) {
  static constexpr std::array<uint32_t, 3> kTitles = {t::kReportStockValue, t::kReportLowStock,
                                                      t::kReportSlowMovers};
  return rt.ConstText(kTitles[static_cast<size_t>(ChosenStockReport(rt, w))]);
}

void ShowReports(calls::Calls& rt, const ReportsWindow& w) {
  // Every figure, list and the chart from one state of the tables.
  const calls::ReadSnapshotScope snapshot(rt);
  const std::optional<DayRange> period = ChosenDays(rt, w);
  if (!period) {
    ClearAll(rt, w);
    SetTextOf(rt, w.summary, rt.ConstText(t::kReportBadRange));
    ShowChart(rt, w);
    return;
  }
  const PeriodChoice choice = ChosenPeriod(rt, w);
  const DayRange previous = PreviousPeriod(choice, *period);
  const auto now = LoadFigures(rt, *period);
  const auto before = LoadFigures(rt, previous);
  if (!now || !before) {
    ClearAll(rt, w);
    SetTextOf(rt, w.summary, rt.ConstText(t::kReportUnknown));
    ShowChart(rt, w);
    return;
  }
  std::string summary = PeriodLine(rt, *period) + rt.ConstText(t::kReportPreviousPart) +
                        DayText(rt, previous.first) + rt.ConstText(t::kReportTo) +
                        DayText(rt, previous.last);
  if (now->no_records()) summary += rt.ConstText(t::kReportEmptyPart);
  if (now->uncosted_sales() != 0) {
    summary += rt.ConstText(t::kReportNoCostPart) + std::to_string(now->uncosted_sales()) +
               rt.ConstText(t::kReportNoCostEnd);
  }
  SetTextOf(rt, w.summary, summary.c_str());
  FillList(rt, w.figures, FigureRows(rt, *now, *before));
  ShowSalesList(rt, w);
  ShowStockList(rt, w);
  ShowChart(rt, w);
}

void ShowSalesList(calls::Calls& rt, const ReportsWindow& w) {
  const calls::ReadSnapshotScope snapshot(rt);
  const std::optional<DayRange> period = ChosenDays(rt, w);
  const auto rows = period ? SalesRows(rt, ChosenGrouping(rt, w), *period) : std::nullopt;
  FillList(rt, w.sales, rows ? *rows : std::vector<ReportRow>{});
}

void ShowStockList(calls::Calls& rt, const ReportsWindow& w) {
  const calls::ReadSnapshotScope snapshot(rt);
  const std::optional<DayRange> period = ChosenDays(rt, w);
  const std::optional<int64_t> threshold = Threshold(rt, w);
  const auto rows = period && threshold ? StockRows(rt, ChosenStockReport(rt, w), *period,
                                                    *threshold, TodayNumber(rt))
                                        : std::nullopt;
  FillList(rt, w.stock, rows ? *rows : std::vector<ReportRow>{});
}

}  // namespace pcshop::app
