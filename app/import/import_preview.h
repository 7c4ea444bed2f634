#pragma once
// What the import window shows, worked out from its controls: the price list
// read again with the chosen encoding and sheet, the catalogue as the tables
// hold it now, and the plan for the chosen columns and category. The window
// keeps no state of its own beyond its controls, so every change re-reads.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/catalogue/entry_panel.h"
#include "app/import/import_plan.h"
#include "app/import/price_list.h"
#include "image/calls/calls.h"

namespace pcshop::app {

struct ImportControls {
  ControlRef file;       // 编辑框文件: the list's path
  ControlRef unticked;   // 编辑框未勾选: row numbers the user unticked
  ControlRef encoding;   // 组合框编码
  ControlRef sheet;      // 组合框工作表
  ControlRef category;   // 组合框类别
  std::array<ControlRef, kImportFieldCount> columns;  // 组合框列品名 … 备注
  ControlRef filter;     // 组合框筛选
  ControlRef counts;     // 透明标签计数
  ControlRef list;       // 超级列表框导入
};

ImportControls ImportWindowControls(calls::Calls& rt);

// Every product of the fourteen category tables, category by category in
// record order.
std::vector<CatalogueProduct> ReadCatalogue(calls::Calls& rt);

struct ImportPreview {
  PriceList list;
  std::vector<CatalogueProduct> catalogue;
  std::vector<std::string> category_names;  // GBK, CategoryList order
  ImportPlan plan;  // empty while `list.message` is set
};

// Reads the list at `path`; `remap` takes the columns from its headers,
// else from the window's column choosers. Rows the user unticked stay so.
ImportPreview BuildPreview(calls::Calls& rt, const ImportControls& c, const char* path,
                           int32_t encoding, int32_t sheet, bool remap);

// The name the columns applied for a list of these headers are kept under.
std::string MappingSettingName(calls::Calls& rt, std::span<const std::string> headers);

// The encoding argument of the read for the encoding chooser's index.
int32_t EncodingOfChoice(int32_t index);

// "3,7,9" and back.
std::vector<int32_t> UntickedRows(calls::Calls& rt, const ImportControls& c);
void StoreUntickedRows(calls::Calls& rt, const ImportControls& c, const std::vector<int32_t>& rows);

}  // namespace pcshop::app
