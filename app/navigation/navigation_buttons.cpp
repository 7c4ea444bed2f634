// The navigation buttons of the customer, stock-in, product, stock-out,
// accounts, aged-debts and reports windows and of the quote window's window
// buttons. Each handler is a switch from its window to the target, or the
// close of its window for 退出.
// The stock-out window's "配置单" button is bound to nothing.

#include "app/app_calls.h"
#include "app/navigation/switch_window.h"
#include "app/routines.h"

namespace pcshop::app {
namespace {

namespace w = sym::window;

void Switch(const calls::RoutineCall& call, uint32_t target, uint32_t source) {
  calls::Calls rt = AppCalls(call);
  SwitchWindow(rt, rt.Id(target), rt.Id(source));
}

void Close(const calls::RoutineCall& call, uint32_t window) {
  calls::Calls rt = AppCalls(call);
  rt.UnloadWindow(rt.Id(window));
}

}  // namespace

void QuoteToCustomer(const calls::RoutineCall& c) { Switch(c, w::kCustomer, w::kQuote); }
void QuoteToStockIn(const calls::RoutineCall& c) { Switch(c, w::kStockIn, w::kQuote); }
void QuoteToProduct(const calls::RoutineCall& c) { Switch(c, w::kProduct, w::kQuote); }
void QuoteToStockOut(const calls::RoutineCall& c) { Switch(c, w::kStockOut, w::kQuote); }
void QuoteToAccounts(const calls::RoutineCall& c) { Switch(c, w::kAccounts, w::kQuote); }

void CustomerToQuote(const calls::RoutineCall& c) { Switch(c, w::kQuote, w::kCustomer); }
void CustomerToStockIn(const calls::RoutineCall& c) { Switch(c, w::kStockIn, w::kCustomer); }
void CustomerToProduct(const calls::RoutineCall& c) { Switch(c, w::kProduct, w::kCustomer); }
void CustomerToStockOut(const calls::RoutineCall& c) { Switch(c, w::kStockOut, w::kCustomer); }
void CustomerToAccounts(const calls::RoutineCall& c) { Switch(c, w::kAccounts, w::kCustomer); }
void ExitCustomerWindow(const calls::RoutineCall& c) { Close(c, w::kCustomer); }

void StockInToQuote(const calls::RoutineCall& c) { Switch(c, w::kQuote, w::kStockIn); }
void StockInToCustomer(const calls::RoutineCall& c) { Switch(c, w::kCustomer, w::kStockIn); }
void StockInToProduct(const calls::RoutineCall& c) { Switch(c, w::kProduct, w::kStockIn); }
void StockInToStockOut(const calls::RoutineCall& c) { Switch(c, w::kStockOut, w::kStockIn); }
void ExitStockInWindow(const calls::RoutineCall& c) { Close(c, w::kStockIn); }

void ProductToQuote(const calls::RoutineCall& c) { Switch(c, w::kQuote, w::kProduct); }
void ProductToCustomer(const calls::RoutineCall& c) { Switch(c, w::kCustomer, w::kProduct); }
void ProductToStockIn(const calls::RoutineCall& c) { Switch(c, w::kStockIn, w::kProduct); }
void ProductToStockOut(const calls::RoutineCall& c) { Switch(c, w::kStockOut, w::kProduct); }
void ExitProductWindow(const calls::RoutineCall& c) { Close(c, w::kProduct); }

void StockOutToQuote(const calls::RoutineCall& c) { Switch(c, w::kQuote, w::kStockOut); }
void StockOutToCustomer(const calls::RoutineCall& c) { Switch(c, w::kCustomer, w::kStockOut); }
void StockOutToProduct(const calls::RoutineCall& c) { Switch(c, w::kProduct, w::kStockOut); }
void StockOutToStockIn(const calls::RoutineCall& c) { Switch(c, w::kStockIn, w::kStockOut); }
void ExitStockOutWindow(const calls::RoutineCall& c) { Close(c, w::kStockOut); }

void AccountsToQuote(const calls::RoutineCall& c) { Switch(c, w::kQuote, w::kAccounts); }
void AccountsToCustomer(const calls::RoutineCall& c) { Switch(c, w::kCustomer, w::kAccounts); }
void AccountsToProduct(const calls::RoutineCall& c) { Switch(c, w::kProduct, w::kAccounts); }
void AccountsToStockIn(const calls::RoutineCall& c) { Switch(c, w::kStockIn, w::kAccounts); }
void AccountsToStockOut(const calls::RoutineCall& c) { Switch(c, w::kStockOut, w::kAccounts); }
void ExitAccountsWindow(const calls::RoutineCall& c) { Close(c, w::kAccounts); }


// The aged-debts window, reached from 客户管理 and 往来账.
void CustomerToAging(const calls::RoutineCall& c) { Switch(c, w::kAging, w::kCustomer); }
void AccountsToAging(const calls::RoutineCall& c) { Switch(c, w::kAging, w::kAccounts); }
void AgingToQuote(const calls::RoutineCall& c) { Switch(c, w::kQuote, w::kAging); }
void AgingToCustomer(const calls::RoutineCall& c) { Switch(c, w::kCustomer, w::kAging); }
void AgingToProduct(const calls::RoutineCall& c) { Switch(c, w::kProduct, w::kAging); }
void AgingToStockIn(const calls::RoutineCall& c) { Switch(c, w::kStockIn, w::kAging); }
void AgingToStockOut(const calls::RoutineCall& c) { Switch(c, w::kStockOut, w::kAging); }
void AgingToAccounts(const calls::RoutineCall& c) { Switch(c, w::kAccounts, w::kAging); }
void ExitAgingWindow(const calls::RoutineCall& c) { Close(c, w::kAging); }

void QuoteToReports(const calls::RoutineCall& c) { Switch(c, w::kReports, w::kQuote); }
void ProductToReports(const calls::RoutineCall& c) { Switch(c, w::kReports, w::kProduct); }
void AccountsToReports(const calls::RoutineCall& c) { Switch(c, w::kReports, w::kAccounts); }
void ReportsToQuote(const calls::RoutineCall& c) { Switch(c, w::kQuote, w::kReports); }
void ReportsToCustomer(const calls::RoutineCall& c) { Switch(c, w::kCustomer, w::kReports); }
void ReportsToProduct(const calls::RoutineCall& c) { Switch(c, w::kProduct, w::kReports); }
void ReportsToStockIn(const calls::RoutineCall& c) { Switch(c, w::kStockIn, w::kReports); }
void ReportsToStockOut(const calls::RoutineCall& c) { Switch(c, w::kStockOut, w::kReports); }
void ReportsToAccounts(const calls::RoutineCall& c) { Switch(c, w::kAccounts, w::kReports); }
void ExitReportsWindow(const calls::RoutineCall& c) { Close(c, w::kReports); }

}  // namespace pcshop::app
