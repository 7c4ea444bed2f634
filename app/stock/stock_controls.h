#pragma once
// The controls of the two stock windows, which share one layout: the entry
// panel with 数量, 金额 and 日期, the on-hand label, the movement list and
// the query box; the stock-out window also has the configuration box.

#include "app/catalogue/entry_panel.h"
#include "app/stock/stock_tables.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// List columns.
namespace movement_column {
inline constexpr int32_t kNumber = 0;
inline constexpr int32_t kKind = 1;
inline constexpr int32_t kBrand = 2;
inline constexpr int32_t kModel = 3;
inline constexpr int32_t kQuantity = 4;
inline constexpr int32_t kPrice = 5;
inline constexpr int32_t kAmount = 6;
inline constexpr int32_t kDate = 7;
inline constexpr int32_t kRemark = 8;
inline constexpr int32_t kCounterparty = 9;  // 客户 or 供应商
inline constexpr int32_t kPaid = 10;         // 实收 or 实付
inline constexpr int32_t kCost = 11;         // 出库 only
}  // namespace movement_column

struct StockWindow {
  StockSide side = StockSide::kIn;
  uint32_t window = 0;  // the window's id
  EntryPanel panel;     // 品名, 品牌, 型号, 价格, 备注
  ControlRef quantity;  // 编辑框数量
  ControlRef amount;    // 编辑框金额
  ControlRef date;      // 编辑框日期
  ControlRef on_hand;   // 透明标签库存
  ControlRef counterparty;  // 组合框往来: 客户 or 供应商
  ControlRef paid;          // 编辑框实付: 实收 or 实付
  ControlRef list;      // 超级列表框商品信息
  ControlRef query;     // 组合框商品查询类别
  ControlRef dialog;    // 通用对话框1
  ControlRef config;    // 组合框配置名 (stock-out only)
  ControlRef search;    // 编辑框查找商品
};

StockWindow StockInWindow(calls::Calls& rt);
StockWindow StockOutWindow(calls::Calls& rt);
// Whichever of the two is open (routines bound in both).
StockWindow OpenStockWindow(calls::Calls& rt);

}  // namespace pcshop::app
