#pragma once
// A workbook written as a file: an Excel workbook (.xlsx, through
// libxlsxwriter) or CSV in UTF-8 with a byte-order mark. Texts are converted
// from GBK; a text that is not valid GBK is an error naming its cell. Files
// are written whole or not at all: a failure leaves an existing file as it
// was.

#include <filesystem>
#include <string>

#include "base/status.h"
#include "runtime/xlsbridge/workbook.h"

namespace pcshop::xlsbridge {

// The header lines each in its own row above the table, the first in bold;
// an empty row; the bold column titles; the rows. Number columns hold
// numbers where a cell reads as one, text columns hold text. Column widths
// fit the longest title or cell.
[[nodiscard]] Status WriteXlsx(const Workbook& book, const std::filesystem::path& path);

// The same rows as CSV (RFC 4180 quoting, CRLF line ends), UTF-8 after a
// byte-order mark so that a spreadsheet program reads the Chinese as such.
[[nodiscard]] Result<std::string> CsvBytes(const Workbook& book);
[[nodiscard]] Status WriteCsv(const Workbook& book, const std::filesystem::path& path);

[[nodiscard]] Status WriteWorkbook(const Workbook& book, const std::filesystem::path& path,
                                   WorkbookFormat format);

// Column widths in characters: a GBK byte is about one column of a
// spreadsheet's default font (a Chinese character two).
std::vector<double> ColumnWidths(const Workbook& book);

}  // namespace pcshop::xlsbridge
