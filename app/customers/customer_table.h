#pragma once
// The customer register "\DATA\客户信息.zdb", opened as "客户信息".

#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

// 姓名, 拼音码, 类别, 单位, 电话, 应收, 应付, 备注, 日期.
std::vector<calls::FieldRecord> CustomerFields(calls::Calls& rt);

// Creates the table when its file is missing, then opens it.
void OpenCustomerTable(calls::Calls& rt);

}  // namespace pcshop::app
