// The reports window's two lists for the shop's records: 导出 and 另存为
// through the shared export, 打印, 存为图片 and 存为PDF through the document
// service, each with the period above the list; the sales list's document
// carries the five charts of the period above it.

#include <string>

#include "app/app_calls.h"
#include "app/checks/day_number.h"
#include "app/export/document_files.h"
#include "app/export/export_list.h"
#include "app/reports/report_charts.h"
#include "app/reports/reports_controls.h"
#include "app/reports/reports_view.h"
#include "app/routines.h"
#include "image/app_symbols.h"
#include "image/calls/read_snapshot.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

enum class Which { kSales, kStock };

struct Chosen {
  ReportsWindow w;
  ControlRef list;
  const char* title;
  bool sales;
};

Chosen Choose(calls::Calls& rt, Which which) {
  const ReportsWindow w = Reports(rt);
  return which == Which::kSales ? Chosen{w, w.sales, SalesTitle(rt, w), true}
                                : Chosen{w, w.stock, StockTitle(rt, w), false};
}

// Every chart of 图表 for `period`, in the chooser's order; one that cannot
// be built says there is no data, as the window does.
std::vector<calls::ChartData> Charts(calls::Calls& rt, DayRange period) {
  constexpr ReportChart kAll[] = {ReportChart::kSalesProfit, ReportChart::kTopProfit,
                                  ReportChart::kTopUnits, ReportChart::kCategories,
                                  ReportChart::kTwelveMonths};
  const int64_t today = TodayNumber(rt);
  // The five read one state of the tables, as the window's report does.
  const calls::ReadSnapshotScope snapshot(rt);
  std::vector<calls::ChartData> charts;
  for (const ReportChart which : kAll) {
    std::optional<calls::ChartData> chart = BuildReportChart(rt, which, period, today);
    if (!chart) {
      chart = calls::ChartData{calls::ChartKind::kBars, {}, rt.ConstText(t::kReportChartEmpty), {}};
    }
    charts.push_back(std::move(*chart));
  }
  return charts;
}

// What a stock list holds, said above it: the threshold of 缺货预警 is
// otherwise nowhere on the page.
std::string StockRule(calls::Calls& rt, const ReportsWindow& w) {
  switch (ChosenStockReport(rt, w)) {
    case StockReport::kValue: return rt.ConstText(t::kReportStockRule);
    case StockReport::kLow:
      return rt.ConstText(t::kReportLowRule) + std::to_string(Threshold(rt, w).value_or(0));
    case StockReport::kSlow: return rt.ConstText(t::kReportSlowRule);
  }
  return {};
}

SheetContent Content(calls::Calls& rt, const Chosen& c, bool with_charts) {
  SheetContent content = ListContent(rt, ObjectOf(c.list), c.title);
  if (const auto period = ChosenDays(rt, c.w)) {
    content.lines.push_back(PeriodLine(rt, *period));
    if (with_charts && c.sales) content.charts = Charts(rt, *period);
  }
  if (!c.sales) content.lines.push_back(StockRule(rt, c.w));
  for (SheetRow& row : content.rows) {
    row.total = !row.cells.empty() && row.cells[0] == rt.ConstText(t::kReportTotal);
  }
  content.footer.push_back(rt.ConstText(t::kReportFooter));
  return content;
}

bool HasRows(calls::Calls& rt, const Chosen& c) {
  return rt.GetListRowCount(ObjectOf(c.list)) > 0;
}

void Export(const calls::RoutineCall& call, Which which) {
  calls::Calls rt = AppCalls(call);
  const Chosen c = Choose(rt, which);
  if (!HasRows(rt, c)) return;
  ExportList(
      rt, ObjectOf(c.w.dialog), ObjectOf(c.list),
      [c](calls::Calls& r) { return Content(r, c, false); }, c.title);
}

void SaveAs(const calls::RoutineCall& call, Which which) {
  calls::Calls rt = AppCalls(call);
  const Chosen c = Choose(rt, which);
  if (!HasRows(rt, c)) return;
  SaveListAs(rt, ObjectOf(c.w.dialog), ObjectOf(c.list),
             [c](calls::Calls& r) { return Content(r, c, false); });
}

void Print(const calls::RoutineCall& call, Which which) {
  calls::Calls rt = AppCalls(call);
  const Chosen c = Choose(rt, which);
  if (!HasRows(rt, c)) return;
  PreviewContent(rt, Content(rt, c, true));
}

void SaveFile(const calls::RoutineCall& call, Which which, DocumentFileKind kind) {
  calls::Calls rt = AppCalls(call);
  const Chosen c = Choose(rt, which);
  if (!HasRows(rt, c)) return;
  SaveContentFile(rt, ObjectOf(c.w.dialog), Content(rt, c, true), c.title, c.title, kind);
}

}  // namespace

void ExportSalesReport(const calls::RoutineCall& c) { Export(c, Which::kSales); }
void SaveSalesReportAs(const calls::RoutineCall& c) { SaveAs(c, Which::kSales); }
void PrintSalesReport(const calls::RoutineCall& c) { Print(c, Which::kSales); }
void SaveSalesReportPicture(const calls::RoutineCall& c) {
  SaveFile(c, Which::kSales, DocumentFileKind::kPicture);
}
void SaveSalesReportPdf(const calls::RoutineCall& c) {
  SaveFile(c, Which::kSales, DocumentFileKind::kPdf);
}
void ExportStockReport(const calls::RoutineCall& c) { Export(c, Which::kStock); }
void SaveStockReportAs(const calls::RoutineCall& c) { SaveAs(c, Which::kStock); }
void PrintStockReport(const calls::RoutineCall& c) { Print(c, Which::kStock); }
void SaveStockReportPicture(const calls::RoutineCall& c) {
  SaveFile(c, Which::kStock, DocumentFileKind::kPicture);
}
void SaveStockReportPdf(const calls::RoutineCall& c) {
  SaveFile(c, Which::kStock, DocumentFileKind::kPdf);
}

}  // namespace pcshop::app
