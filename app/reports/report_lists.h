#pragma once
// The lists of the reports window, as rows of cell texts in the columns of
// its two lists: sales grouped by product, category or customer; stock
// value per category; parts low on stock; slow movers. Every figure comes
// from grouped sums of the table store.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/reports/report_period.h"
#include "image/calls/calls.h"

namespace pcshop::app {

using ReportRow = std::vector<std::string>;

// Sales list columns: 名称, 品牌, 型号, 数量, 销售额, 成本, 毛利, 笔数.
inline constexpr int32_t kSalesColumns = 8;
enum class SalesGrouping { kProduct, kCategory, kCustomer };

// One row per group, the largest sales first, then a 合计 row; only the 合计
// row for a period without sales. Sales without a name are 散客. Nothing
// when 出库 cannot be summed.
std::optional<std::vector<ReportRow>> SalesRows(calls::Calls& rt, SalesGrouping grouping,
                                                DayRange period);

// Stock list columns: 品名, 品牌, 型号, 库存, 成本价, 库存金额, 本期销量.
inline constexpr int32_t kStockColumns = 7;
enum class StockReport { kValue, kLow, kSlow };

// kValue: per category the units on hand and their value at the moving
//   average cost (Σ入库金额 / Σ入库数量), then 合计; only stock above 0 counts.
// kLow: products sold in `period` whose stock is at or below `threshold`.
// kSlow: products in stock not sold in the 90 days up to `today`.
// Nothing when a stock table cannot be summed.
std::optional<std::vector<ReportRow>> StockRows(calls::Calls& rt, StockReport report,
                                                DayRange period, int64_t threshold, int64_t today);

}  // namespace pcshop::app
