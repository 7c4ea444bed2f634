#pragma once
// The accounts window's controls: the name box and its balances, the
// payment inputs, the list of the name's payments, the statement's date
// boxes and list.

#include "app/catalogue/entry_panel.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// List columns.
namespace payment_column {
inline constexpr int32_t kNumber = 0;
inline constexpr int32_t kDate = 1;
inline constexpr int32_t kName = 2;
inline constexpr int32_t kKind = 3;
inline constexpr int32_t kAmount = 4;
inline constexpr int32_t kMethod = 5;
inline constexpr int32_t kRemark = 6;
}  // namespace payment_column

namespace statement_column {
inline constexpr int32_t kNumber = 0;
inline constexpr int32_t kDate = 1;
inline constexpr int32_t kSummary = 2;
inline constexpr int32_t kSold = 3;
inline constexpr int32_t kReceived = 4;
inline constexpr int32_t kBought = 5;
inline constexpr int32_t kPaid = 6;
inline constexpr int32_t kBalance = 7;
inline constexpr int32_t kCount = 8;
}  // namespace statement_column

struct AccountsWindow {
  uint32_t window = 0;
  ControlRef name;      // 组合框姓名
  ControlRef balances;  // 透明标签余额
  ControlRef date;      // 编辑框日期
  ControlRef kind;      // 组合框类型
  ControlRef amount;    // 编辑框金额
  ControlRef method;    // 组合框方式
  ControlRef remark;    // 编辑框备注
  ControlRef list;      // 超级列表框收付款
  ControlRef from;             // 编辑框从
  ControlRef to;               // 编辑框到
  ControlRef statement_title;  // 透明标签对账单
  ControlRef statement;        // 超级列表框对账单
  ControlRef dialog;           // 通用对话框1
};

AccountsWindow Accounts(calls::Calls& rt);

// Selects the item of list-only combo box `c` whose text is `text`; none
// when it has no such item.
void ChooseItemByText(calls::Calls& rt, const ControlRef& c, const char* text);

}  // namespace pcshop::app
