// The reports window's arrival, its period chooser and 刷新, and the choice
// of each list.

#include <string>

#include "app/accounts/payment_table.h"
#include "app/app_calls.h"
#include "app/customers/customer_table.h"
#include "app/lists/settings_table.h"
#include "app/process_state.h"
#include "app/reports/reports_controls.h"
#include "app/reports/reports_view.h"
#include "app/routines.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

std::string ThresholdSetting(calls::Calls& rt) {
  return rt.ConstText(t::kReportThresholdSetting);
}

// The threshold as typed is kept for the next time the window opens (on
// every counter); other text is said and nothing is kept. Before the report
// reads: its snapshot refuses writes.
void KeepThreshold(calls::Calls& rt, const ReportsWindow& w) {
  const std::optional<int64_t> threshold = Threshold(rt, w);
  if (!threshold) {
    (void)rt.MessageBox(rt.ConstText(t::kReportBadThreshold), 0);
    return;
  }
  const std::string text = std::to_string(*threshold);
  if (ReadSetting(rt, ThresholdSetting(rt)).value_or("0") == text) return;
  if (WriteSetting(rt, ThresholdSetting(rt), text)) return;
  bool& said = TheProcessState(rt).threshold_not_kept_said;
  if (!said) (void)rt.MessageBox(rt.ConstText(t::kReportThresholdNotKept), 0);
  said = true;
}

}  // namespace

void OnReportsWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  // The register and the payments may not have been opened in this run.
  OpenCustomerTable(rt);
  OpenPaymentTable(rt);
  const ReportsWindow w = Reports(rt);
  SetIndexOf(rt, w.period, static_cast<int32_t>(PeriodChoice::kThisMonth));
  SetIndexOf(rt, w.sales_kind, 0);
  SetIndexOf(rt, w.stock_kind, 0);
  SetIndexOf(rt, w.chart_kind, 0);
  const std::string threshold = ReadSetting(rt, ThresholdSetting(rt)).value_or("0");
  SetTextOf(rt, w.threshold, threshold.c_str());
  ShowReports(rt, w);
}

void RefreshReports(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ReportsWindow w = Reports(rt);
  KeepThreshold(rt, w);
  ShowReports(rt, w);
}

void ShowSalesReport(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ShowSalesList(rt, Reports(rt));
}

void ShowStockReport(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ReportsWindow w = Reports(rt);
  KeepThreshold(rt, w);
  ShowStockList(rt, w);
}

}  // namespace pcshop::app
