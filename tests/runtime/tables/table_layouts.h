#pragma once
// The application's table layouts and names, as GBK, for the table store's
// tests and benchmark.

#include <string>
#include <string_view>
#include <vector>

#include "runtime/tables/table_types.h"

namespace pcshop::tables::testing {

// UTF-8 source text to GBK (aborts the test program on a bad literal).
std::string Gbk(std::string_view utf8);

// 品名, 品牌, 型号 (text), 价格 (integer), 备注 (text), each 20 wide.
std::vector<FieldSpec> ProductLayout();
// The 108 fields of the saved-configuration table 配置.
std::vector<FieldSpec> ConfigLayout();
// The nine fields of the customer table 客户信息.
std::vector<FieldSpec> CustomerLayout();

// The fourteen categories, then 入库 and 出库 (UTF-8).
std::vector<std::string> ProductTableNames();

}  // namespace pcshop::tables::testing
