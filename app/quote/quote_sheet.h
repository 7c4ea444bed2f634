#pragma once
// The quote window's sheet: the grid's columns and rows, the controls around
// it, which table a grid row stands for, and the reset to the empty sheet
// that the saved-configuration operations share.

#include <cstdint>

#include "app/catalogue/entry_panel.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Grid columns.
namespace sheet_column {
inline constexpr int32_t kNumber = 0;    // 序号
inline constexpr int32_t kKind = 1;      // 品名
inline constexpr int32_t kBrand = 2;     // 品牌
inline constexpr int32_t kModel = 3;     // 型号
inline constexpr int32_t kQuantity = 4;  // 数量
inline constexpr int32_t kPrice = 5;     // 单价
inline constexpr int32_t kAmount = 6;    // 金额
inline constexpr int32_t kRemark = 7;    // 备注
inline constexpr int32_t kCount = 8;
}  // namespace sheet_column

// Rows 0 to 14 are the quote rows CPU ... 其它二, 15 the totals row, 16 to 18
// spare rows; the grid always holds all nineteen.
inline constexpr int32_t kQuoteRowCount = 15;
inline constexpr int32_t kTotalsRow = 15;
inline constexpr int32_t kSheetRowCount = 19;

struct QuoteSheet {
  ControlRef grid;         // 超级列表框配置信息
  ControlRef editor;       // 组合框1, the cell editor
  ControlRef name_box;     // 组合框标准配置名
  ControlRef stamp_box;    // 编辑框标准生成日期
  ControlRef remark_box;   // 编辑框配置备注
  ControlRef dialog;       // 通用对话框1
};

QuoteSheet QuoteSheetControls(calls::Calls& rt);

// The 品名 label of quote row `row` (0 to 14); "" for any other row.
const char* QuoteRowLabel(calls::Calls& rt, int32_t row);

// Makes the table a grid row stands for current: rows 0 to 14 their category
// (其它一 and 其它二 both 其它), the totals row the configuration table.
// Spare rows and -1 leave the current table; returns whether one was chosen.
bool SelectRowTable(calls::Calls& rt, int32_t row);

// The empty sheet: the stamp and remark boxes emptied, every quote row back
// to its number and label, the totals row's written cells emptied.
void ResetQuoteSheet(calls::Calls& rt);

}  // namespace pcshop::app
