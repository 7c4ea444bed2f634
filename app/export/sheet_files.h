#pragma once
// Sheet contents written through the runtime: as a workbook (.xlsx or CSV
// in UTF-8, by the spreadsheet support library) or built as a document for
// the print preview, the PDF and the picture. Texts are GBK.

#include <cstdint>
#include <string_view>

#include "app/export/sheet_content.h"
#include "image/calls/calls.h"

namespace pcshop::app {

enum class SheetFormat { kHtml, kXlsx, kCsv };

// The type a chosen file name asks for by its extension (any case): .xlsx,
// .csv, and the HTML table for anything else (.xls). Extensions are ASCII,
// and a "." is never part of a two-byte GBK character, so a byte match is
// safe.
SheetFormat FormatOfPath(std::string_view gbk_path);

// Writes `content` as a workbook file of `format` (kXlsx or kCsv): the
// title and the header lines above the table when there are header lines,
// the title as the sheet's name. True when the file was written whole.
bool WriteWorkbookFile(calls::Calls& rt, const SheetContent& content, const char* path,
                       SheetFormat format);

// Adds lines at the top of a new document, before the content's own.
using DocumentHeading = void (*)(calls::Calls& rt, int32_t document);

// `content` as a runtime document: its number, or 0 when the runtime
// refused any part. `heading`, when given, runs first. The caller closes it
// with CloseDocument.
int32_t BuildDocument(calls::Calls& rt, const SheetContent& content,
                      DocumentHeading heading = nullptr);

}  // namespace pcshop::app
