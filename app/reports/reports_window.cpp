// The reports window's arrival, its period chooser and 刷新, and the choice
// of each list.

#include "app/accounts/payment_table.h"
#include "app/app_calls.h"
#include "app/customers/customer_table.h"
#include "app/reports/reports_controls.h"
#include "app/reports/reports_view.h"
#include "app/routines.h"

namespace pcshop::app {

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
  SetTextOf(rt, w.threshold, "0");
  ShowReports(rt, w);
}

void RefreshReports(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ShowReports(rt, Reports(rt));
}

void ShowSalesReport(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ShowSalesList(rt, Reports(rt));
}

void ShowStockReport(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ShowStockList(rt, Reports(rt));
}

}  // namespace pcshop::app
