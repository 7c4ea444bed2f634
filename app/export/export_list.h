#pragma once
// The spreadsheet export the quote, product and customer windows share: a
// list written as an HTML table into a ".xls" file in the day folder beside
// the program, or where the window's file dialog says when that fails.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/export/sheet_content.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// What a window writes into a workbook (.xlsx, .csv): by default the list
// as it stands (ListContent), named after the current table.
using SheetSource = std::function<SheetContent(calls::Calls& rt)>;

// Writes `list` (a report list view) for the user and tells the outcome.
// `dialog` is the calling window's 通用对话框1. The file name follows the
// table store's current table. When the day folder fails, the dialog offers
// the workbook, CSV and HTML table types; `source` fills the first two.
void ExportList(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list);
void ExportList(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list, const SheetSource& source);
// The same, the file named `stem` (GBK) + "_" + the time instead of after
// the current table: for a list that is no table's.
void ExportList(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list, const SheetSource& source, const char* stem);

// 另存为: asks in `dialog` for a file of one of the three types and writes
// the list there as that type; tells the outcome.
void SaveListAs(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list);
void SaveListAs(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list, const SheetSource& source);

// Writes to `path` in the type its extension names: .xlsx and .csv from
// `source`, the HTML table of `list` otherwise. True on success.
bool WriteChosenFile(calls::Calls& rt, const calls::ValueTriple& list, const char* path,
                     const SheetSource& source);

// The default source: the whole list under the current table's name.
SheetSource WholeList(const calls::ValueTriple& list);
// The whole list under the sheet name of text key `sheet_name`.
SheetSource NamedList(const calls::ValueTriple& list, uint32_t sheet_name);

// Prepares `dialog` to ask for a file to write, offering `filter` with
// `extension` for a name typed without one.
void PrepareSaveDialog(calls::Calls& rt, const calls::ValueTriple& dialog, uint32_t filter,
                       uint32_t extension);
// Lets `dialog` open at `path` (GBK): in its folder with its name, or with
// its name in the program folder when that folder is missing.
void OfferPath(calls::Calls& rt, const calls::ValueTriple& dialog, const std::string& path);
// The name chosen in `dialog` after ShowFileDialog returned true.
calls::OwnedText ChosenFileName(calls::Calls& rt, const calls::ValueTriple& dialog);

// Writes the list with native handle `list` to `path` through the list-view
// messages; the header row only when `header` is 1. 1 on success, 0 on
// failure (the lines written before a failure stay).
int32_t WriteListAsHtml(calls::Calls& rt, uintptr_t list, const char* path, int32_t header);

}  // namespace pcshop::app
