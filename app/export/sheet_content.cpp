#include "app/export/sheet_content.h"

#include <algorithm>

#include "image/app_symbols.h"

namespace pcshop::app {

SheetColumn ListHeading(calls::Calls& rt, ListReader& reader, const calls::ValueTriple& list,
                        int32_t column) {
  SheetColumn heading;
  int32_t format = image::list_view::column::kFormatLeft;
  if (!reader.Title(column, heading.title, format)) heading.title.clear();
  heading.right = format == image::list_view::column::kFormatRight;
  heading.number = heading.right || heading.title == rt.ConstText(sym::text::kColumnNumber);
  heading.width = std::max(1, rt.GetColumnWidth(list, column));
  return heading;
}

SheetContent ListContent(calls::Calls& rt, const calls::ValueTriple& list, const char* title) {
  SheetContent content;
  content.title = title;
  ListReader reader(rt, rt.GetControlHandle(list));
  const int32_t columns = reader.Columns();
  for (int32_t c = 0; c < columns; ++c) content.columns.push_back(ListHeading(rt, reader, list, c));
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
