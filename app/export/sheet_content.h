#pragma once
// What a list window hands to the spreadsheet and document writers: a
// title, header lines, typed columns, rows (a totals row marked) and footer
// lines, all GBK. The window decides what goes in; the runtime decides how
// it looks.

#include <cstdint>
#include <string>
#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

struct SheetColumn {
  std::string title;
  bool number = false;  // prices, quantities, amounts, receivables, payables
  bool right = false;   // right-aligned in a document
  int32_t width = 1;    // relative width in a document
};

struct SheetRow {
  std::vector<std::string> cells;
  bool total = false;
};

struct SheetContent {
  std::string title;               // document title; the workbook's sheet name
  std::vector<std::string> lines;  // above the table
  std::vector<SheetColumn> columns;
  std::vector<SheetRow> rows;
  std::vector<std::string> footer;  // documents only
};

// The list as it stands: its column titles, widths and every row, under the
// sheet name `title`. Columns titled 序号, 数量, 单价, 金额, 价格, 应收 or 应付
// hold numbers; every other column text (phones, pinyin codes and models
// keep their leading zeros). `list` names a report list view.
SheetContent ListContent(calls::Calls& rt, const calls::ValueTriple& list, const char* title);

// Whether a column of this title holds numbers.
bool IsNumberColumn(calls::Calls& rt, std::string_view title);

}  // namespace pcshop::app
