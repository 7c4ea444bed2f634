#include "app/quote/quote_document.h"

#include <algorithm>
#include <cmath>

#include "app/export/export_names.h"
#include "app/export/list_reader.h"
#include "app/quote/quote_sheet.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

constexpr int32_t kMinDocumentColumnWidth = 90;

std::string Labelled(calls::Calls& rt, uint32_t label, std::string_view value) {
  return std::string(rt.ConstText(label)) + std::string(value);
}

std::vector<SheetColumn> SheetColumns(calls::Calls& rt, const calls::ValueTriple& grid) {
  std::vector<SheetColumn> columns;
  ListReader reader(rt, rt.GetControlHandle(grid));
  for (int32_t c = 0; c < sheet_column::kCount; ++c) {
    SheetColumn column = ListHeading(rt, reader, grid, c);
    // Narrow sheet columns (序号) would break their title on paper.
    column.width = std::max(kMinDocumentColumnWidth, column.width);
    columns.push_back(std::move(column));
  }
  return columns;
}

}  // namespace

SheetContent QuoteContent(calls::Calls& rt) {
  const QuoteSheet sheet = QuoteSheetControls(rt);
  const calls::ValueTriple grid = ObjectOf(sheet.grid);
  SheetContent content;
  content.title = rt.ConstText(sym::text::kQuoteTitle);
  const calls::OwnedText name = TextOf(rt, sheet.name_box);
  const calls::OwnedText remark = TextOf(rt, sheet.remark_box);
  content.lines.push_back(Labelled(rt, sym::text::kQuoteLineName, name.view()));
  content.lines.push_back(
      Labelled(rt, sym::text::kQuoteLineDate, ExportDate(rt, ReadExportClock(rt))));
  content.lines.push_back(Labelled(rt, sym::text::kQuoteLineRemark, remark.view()));
  content.columns = SheetColumns(rt, grid);

  // Sums as the sheet forms them: in double precision, then truncated.
  double pieces = 0;
  double amount = 0;
  int32_t number = 0;
  for (int32_t r = 0; r < kQuoteRowCount; ++r) {
    SheetRow row;
    for (int32_t c = 0; c < sheet_column::kCount; ++c) {
      row.cells.emplace_back(rt.GetListCell(grid, r, c).view());
    }
    if (row.cells[sheet_column::kBrand].empty() && row.cells[sheet_column::kModel].empty()) {
      continue;
    }
    row.cells[sheet_column::kNumber] = rt.ToText(++number).view();
    pieces += rt.TextToInt(row.cells[sheet_column::kQuantity].c_str());
    amount += rt.TextToInt(row.cells[sheet_column::kAmount].c_str());
    content.rows.push_back(std::move(row));
  }
  SheetRow total;
  total.total = true;
  total.cells.resize(sheet_column::kCount);
  total.cells[sheet_column::kKind] = rt.ConstText(sym::text::kQuoteTotalLabel);
  total.cells[sheet_column::kQuantity] = rt.ToText(std::trunc(pieces)).view();
  total.cells[sheet_column::kAmount] = rt.ToText(std::trunc(amount)).view();
  content.rows.push_back(std::move(total));
  content.footer.push_back(rt.ConstText(sym::text::kQuoteFooter));
  return content;
}

}  // namespace pcshop::app
