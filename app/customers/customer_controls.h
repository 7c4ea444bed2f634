#pragma once
// The customer window's controls: the nine inputs, the list, the query box
// and the file dialog handed to the export.

#include "app/catalogue/entry_panel.h"
#include "image/calls/calls.h"

namespace pcshop::app {

struct CustomerBoxes {
  ControlRef name;        // 编辑框客户姓名
  ControlRef pinyin;      // 编辑框客户拼音码
  ControlRef category;    // 组合框客户类别
  ControlRef unit;        // 编辑框客户单位
  ControlRef phone;       // 编辑框客户电话
  ControlRef receivable;  // 编辑框客户应收
  ControlRef payable;     // 编辑框客户应付
  ControlRef date;        // 编辑框客户建档日期
  ControlRef remark;      // 编辑框客户备注
};

CustomerBoxes CustomerInputs(calls::Calls& rt);
ControlRef CustomerList(calls::Calls& rt);
ControlRef CustomerQueryBox(calls::Calls& rt);
ControlRef CustomerDialog(calls::Calls& rt);

void SetEnabled(calls::Calls& rt, const ControlRef& c, bool enabled);

}  // namespace pcshop::app
