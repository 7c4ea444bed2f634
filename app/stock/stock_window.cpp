// The stock windows' own handlers: arrival, the lists, picking a row, 导出
// and 另存为.

#include <string>

#include "app/app_calls.h"
#include "app/customers/customer_table.h"
#include "app/customers/name_box.h"
#include "app/export/export_list.h"
#include "app/routines.h"
#include "app/stock/movement_input.h"
#include "app/stock/movement_list.h"
#include "app/stock/stock_panel.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// Today's date in the panel; a stock table of a foreign layout is named to
// the user, who then knows why nothing can be recorded.
void Arrive(calls::Calls& rt, const StockWindow& w) {
  // The counterparty box reads the register, which may not be open yet.
  OpenCustomerTable(rt);
  SetTextOf(rt, w.date, Today(rt).c_str());
  if (StockTableUsable(rt, w.side)) return;
  const std::string text = std::string(rt.ConstText(StockTableAlias(w.side))) +
                           rt.ConstText(t::kTableExtension) + rt.ConstText(t::kStockTableUnusable);
  (void)rt.MessageBox(text.c_str(), 0);
}

}  // namespace

void OnStockInWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  Arrive(rt, StockInWindow(rt));
}

void OnStockOutWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  Arrive(rt, StockOutWindow(rt));
}

void ListMovementCategory(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  const int32_t index = IndexOf(rt, w.query);
  if (index < 0) return;
  ListMovements(rt, w, index);
  if (rt.GetListRowCount(ObjectOf(w.list)) == 0) {
    (void)rt.MessageBox(rt.ConstText(t::kNoRecordsForItem), 0);
  }
}

void ListAllMovements(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  SetIndexOf(rt, w.query, -1);
  ListMovements(rt, w, -1);
}

void PickMovement(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  const int32_t row = IndexOf(rt, w.list);
  if (row < 0 || row >= rt.GetListRowCount(ObjectOf(w.list))) return;
  const Movement m = MovementOnRow(rt, w, row);
  rt.SetComboText(ObjectOf(w.panel.kind), m.kind.c_str());
  rt.SetComboText(ObjectOf(w.panel.brand), m.brand.c_str());
  rt.SetComboText(ObjectOf(w.panel.model), m.model.c_str());
  SetTextOf(rt, w.quantity, std::to_string(m.quantity).c_str());
  SetTextOf(rt, w.panel.price, std::to_string(m.price).c_str());
  SetTextOf(rt, w.amount, std::to_string(m.amount).c_str());
  SetTextOf(rt, w.date, m.date.c_str());
  SetTextOf(rt, w.panel.remark, m.remark.c_str());
  rt.SetComboText(ObjectOf(w.counterparty), m.counterparty.c_str());
  // A walk-in's box stays empty, paid in full whatever a change of 金额.
  SetTextOf(rt, w.paid, m.counterparty.empty() ? "" : std::to_string(m.paid).c_str());
  ShowPanelOnHand(rt, w);
}

void FillStockCounterparties(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  FillMatchingNames(rt, OpenStockWindow(rt).counterparty);
}

// 新客户: the typed counterparty taken to 客户管理 to be added there.
void StockNewCustomer(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  OpenRegisterWithName(rt, std::string(TextOf(rt, w.counterparty).view()), w.window);
}

// The list through the shared export, named after the window's table:
// 入库_ or 出库_ and the time.
void ExportMovements(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  const calls::ValueTriple list = ObjectOf(w.list);
  if (rt.GetListRowCount(list) < 1) return;
  (void)rt.SelectTable(rt.ConstText(StockTableAlias(w.side)));
  ExportList(rt, ObjectOf(w.dialog), list);
}

// 另存为: the list as a workbook (sheet 入库 or 出库), CSV or HTML table.
void SaveMovementsAs(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  const calls::ValueTriple list = ObjectOf(w.list);
  if (rt.GetListRowCount(list) < 1) return;
  SaveListAs(rt, ObjectOf(w.dialog), list, NamedList(list, StockTableAlias(w.side)));
}

}  // namespace pcshop::app
