#include "app/export/sheet_files.h"

#include <vector>

namespace pcshop::app {
namespace {

constexpr int32_t kTextColumn = 0;
constexpr int32_t kNumberColumn = 1;
constexpr int32_t kPlainRow = 0;
constexpr int32_t kTotalRow = 1;
constexpr int32_t kXlsxFile = 1;
constexpr int32_t kCsvFile = 2;
constexpr int32_t kAlignLeft = 0;
constexpr int32_t kAlignRight = 1;

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

std::vector<const char*> CellPointers(const SheetRow& row) {
  std::vector<const char*> cells;
  cells.reserve(row.cells.size());
  for (const std::string& cell : row.cells) cells.push_back(cell.c_str());
  return cells;
}

// Closes the runtime's workbook whichever way the writing ends.
class OpenWorkbook {
 public:
  OpenWorkbook(calls::Calls& rt, const char* sheet_name)
      : rt_(rt), book_(rt.NewWorkbook(sheet_name)) {}
  OpenWorkbook(const OpenWorkbook&) = delete;
  OpenWorkbook& operator=(const OpenWorkbook&) = delete;
  ~OpenWorkbook() {
    if (book_.low != 0) rt_.CloseWorkbook(book_);
  }
  bool ok() const { return book_.low != 0; }
  const calls::ValueTriple& book() const { return book_; }

 private:
  calls::Calls& rt_;
  calls::ValueTriple book_;
};

}  // namespace

SheetFormat FormatOfPath(std::string_view gbk_path) {
  if (EndsWithIgnoringCase(gbk_path, ".xlsx")) return SheetFormat::kXlsx;
  if (EndsWithIgnoringCase(gbk_path, ".csv")) return SheetFormat::kCsv;
  return SheetFormat::kHtml;
}

bool WriteWorkbookFile(calls::Calls& rt, const SheetContent& content, const char* path,
                       SheetFormat format) {
  if (format == SheetFormat::kHtml) return false;
  OpenWorkbook book(rt, content.title.c_str());
  if (!book.ok()) return false;
  // A sheet with header lines (the quote) starts with its title, as the
  // document does.
  if (!content.lines.empty() && !rt.AddWorkbookLine(book.book(), content.title.c_str())) {
    return false;
  }
  for (const std::string& line : content.lines) {
    if (!rt.AddWorkbookLine(book.book(), line.c_str())) return false;
  }
  for (const SheetColumn& column : content.columns) {
    if (!rt.AddWorkbookColumn(book.book(), column.title.c_str(),
                              column.number ? kNumberColumn : kTextColumn)) {
      return false;
    }
  }
  for (const SheetRow& row : content.rows) {
    const std::vector<const char*> cells = CellPointers(row);
    if (!rt.AddWorkbookRow(book.book(), row.total ? kTotalRow : kPlainRow, cells)) return false;
  }
  return rt.SaveWorkbook(book.book(), path, format == SheetFormat::kXlsx ? kXlsxFile : kCsvFile);
}

int32_t BuildDocument(calls::Calls& rt, const SheetContent& content, DocumentHeading heading) {
  const int32_t doc = rt.NewDocument(content.title.c_str());
  if (doc == 0) return 0;
  if (heading != nullptr) heading(rt, doc);
  bool ok = true;
  for (const std::string& line : content.lines) ok = ok && rt.AddDocumentLine(doc, line.c_str());
  for (const calls::ChartData& chart : content.charts) ok = ok && rt.AddDocumentChart(doc, chart);
  for (const SheetColumn& column : content.columns) {
    ok = ok && rt.AddDocumentColumn(doc, column.title.c_str(),
                                    column.right ? kAlignRight : kAlignLeft, column.width);
  }
  for (const SheetRow& row : content.rows) {
    const std::vector<const char*> cells = CellPointers(row);
    ok = ok && rt.AddDocumentRow(doc, row.total ? kTotalRow : kPlainRow, cells);
  }
  for (const std::string& line : content.footer) {
    ok = ok && rt.AddDocumentFooter(doc, line.c_str());
  }
  if (!ok) {
    rt.CloseDocument(doc);
    return 0;
  }
  return doc;
}

}  // namespace pcshop::app
