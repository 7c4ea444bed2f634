#pragma once
// The reports window's controls.

#include <optional>

#include "app/catalogue/entry_panel.h"
#include "app/reports/report_lists.h"
#include "app/reports/report_period.h"
#include "image/calls/calls.h"

namespace pcshop::app {

struct ReportsWindow {
  ControlRef period;       // 组合框期间
  ControlRef from, to;     // 编辑框从, 编辑框到 (日期范围)
  ControlRef summary;      // 透明标签说明
  ControlRef figures;      // 超级列表框概况: 项目, 本期, 上期
  ControlRef chart_kind;   // 组合框图表
  ControlRef chart_note;   // 透明标签图表说明
  ControlRef chart;        // 分组框图表, where the chart is drawn
  ControlRef sales_kind;   // 组合框销售
  ControlRef sales;        // 超级列表框销售
  ControlRef stock_kind;   // 组合框库存
  ControlRef threshold;    // 编辑框预警
  ControlRef stock;        // 超级列表框库存
  ControlRef dialog;       // 通用对话框1
};

ReportsWindow Reports(calls::Calls& rt);

PeriodChoice ChosenPeriod(calls::Calls& rt, const ReportsWindow& w);
SalesGrouping ChosenGrouping(calls::Calls& rt, const ReportsWindow& w);
StockReport ChosenStockReport(calls::Calls& rt, const ReportsWindow& w);
// The low-stock threshold typed in 预警: a whole number not below 0, 0 when
// empty; nothing for other text.
std::optional<int64_t> Threshold(calls::Calls& rt, const ReportsWindow& w);

// The period the window shows; nothing when 日期范围 is chosen and 从 or 到
// is no date, or 从 lies after 到.
std::optional<DayRange> ChosenDays(calls::Calls& rt, const ReportsWindow& w);

}  // namespace pcshop::app
