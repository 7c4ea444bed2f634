// The stock windows' 查找商品 box: the product taken fills the panel's 品名,
// 品牌 and 型号, and brings its price and on-hand figure as choosing its
// model there does.

#include "app/app_calls.h"
#include "app/routines.h"
#include "app/search/search_box.h"
#include "app/stock/stock_controls.h"
#include "app/stock/stock_panel.h"

namespace pcshop::app {

void StockSearchTyped(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  DropMatchingProducts(rt, OpenStockWindow(rt).search);
}

void StockSearchTaken(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const SearchEntry* product = TakenProduct(rt, call);
  if (product == nullptr) return;
  const StockWindow w = OpenStockWindow(rt);
  rt.SetComboText(ObjectOf(w.panel.kind), product->kind.c_str());
  rt.SetComboText(ObjectOf(w.panel.brand), product->brand.c_str());
  rt.SetComboText(ObjectOf(w.panel.model), product->model.c_str());
  ShowChosenProduct(rt, w);
}

}  // namespace pcshop::app
