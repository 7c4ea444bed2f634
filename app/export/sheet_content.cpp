#include "app/export/sheet_content.h"

#include "app/export/list_reader.h"
#include "image/app_symbols.h"

namespace pcshop::app {

bool IsNumberColumn(calls::Calls& rt, std::string_view title) {
  for (const uint32_t number : {sym::text::kColumnNumber, sym::text::kColumnQuantity,
                                sym::text::kColumnUnitPrice, sym::text::kColumnAmount,
                                sym::text::kFieldPrice, sym::text::kFieldReceivable,
                                sym::text::kFieldPayable}) {
    if (title == rt.ConstText(number)) return true;
  }
  return false;
}

SheetContent ListContent(calls::Calls& rt, const calls::ValueTriple& list, const char* title) {
  SheetContent content;
  content.title = title;
  ListReader reader(rt, rt.GetControlHandle(list));
  const int32_t columns = reader.Columns();
  std::string text;
  for (int32_t c = 0; c < columns; ++c) {
    if (!reader.Title(c, text)) text.clear();
    SheetColumn column;
    column.number = IsNumberColumn(rt, text);
    column.right = column.number;
    column.width = std::max(1, rt.GetColumnWidth(list, c));
    column.title = std::move(text);
    content.columns.push_back(std::move(column));
  }
  // Cells are read whole, not through the export's fixed-size buffer.
  const int32_t rows = rt.GetListRowCount(list);
  content.rows.reserve(static_cast<size_t>(std::max(0, rows)));
  for (int32_t r = 0; r < rows; ++r) {
    SheetRow row;
    row.cells.reserve(static_cast<size_t>(columns));
    for (int32_t c = 0; c < columns; ++c) {
      row.cells.emplace_back(rt.GetListCell(list, r, c).view());
    }
    content.rows.push_back(std::move(row));
  }
  return content;
}

}  // namespace pcshop::app
