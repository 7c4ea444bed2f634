#pragma once
// The spreadsheet export the quote, product and customer windows share: a
// list written as an HTML table into a ".xls" file in the day folder beside
// the program, or where the window's file dialog says when that fails.

#include <cstdint>

#include "image/calls/calls.h"

namespace pcshop::app {

// Writes `list` (a report list view) for the user and tells the outcome.
// `dialog` is the calling window's 通用对话框1. The file name follows the
// table store's current table.
void ExportList(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list);

// Writes the list with native handle `list` to `path` through the list-view
// messages; the header row only when `header` is 1. 1 on success, 0 on
// failure (the lines written before a failure stay).
int32_t WriteListAsHtml(calls::Calls& rt, uintptr_t list, const char* path, int32_t header);

}  // namespace pcshop::app
