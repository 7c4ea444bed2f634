#pragma once
// The sixteen tables of the product record layout (fourteen categories, stock
// in, stock out), created when missing and opened at start-up together with
// the configuration table.

#include <array>
#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

// A table by the text keys of its name (alias) and of its "\DATA\..." path.
struct TableName {
  uint32_t alias;
  uint32_t path;
};

// Creation order: CPU to 其它, then 入库 and 出库.
extern const std::array<TableName, 16> kProductTables;

// The five fields 品名, 品牌, 型号, 价格, 备注.
std::vector<calls::FieldRecord> ProductFields(calls::Calls& rt);

// Creates each product table whose file is missing, in creation order.
void CreateProductTables(calls::Calls& rt);

// Opens 入库, 出库, 配置, then the fourteen categories, each under its name.
void OpenStartupTables(calls::Calls& rt);

}  // namespace pcshop::app
