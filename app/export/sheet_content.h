#pragma once
// What a list window hands to the spreadsheet and document writers: a
// title, header lines, charts (documents only), typed columns, rows (a
// totals row marked) and footer lines, all GBK. The window decides what
// goes in; the runtime decides how it looks.

#include <cstdint>
#include <string>
#include <vector>

#include "app/export/list_reader.h"
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
  std::vector<calls::ChartData> charts;  // documents only, between the lines and the table
  std::vector<SheetColumn> columns;
  std::vector<SheetRow> rows;
  std::vector<std::string> footer;  // documents only
};

// The list as it stands: its columns (ListHeading) and every row, under the
// sheet name `title`. `list` names a report list view.
SheetContent ListContent(calls::Calls& rt, const calls::ValueTriple& list, const char* title);

// Column `column` of `list` as a sheet column: its title, its width, and
// whether it holds numbers. A list's counts and amounts are the columns its
// form right-aligns, beside their headings, so a column added later cannot
// be left out; 序号 holds numbers too. Every other column is text (phones,
// pinyin codes and models keep their leading zeros).
SheetColumn ListHeading(calls::Calls& rt, ListReader& reader, const calls::ValueTriple& list,
                        int32_t column);

}  // namespace pcshop::app
