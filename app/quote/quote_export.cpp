// 导出 in the quote window: the quote sheet handed to the shared export.

#include "app/app_calls.h"
#include "app/export/export_list.h"
#include "app/quote/quote_document.h"
#include "app/quote/quote_sheet.h"
#include "app/routines.h"

namespace pcshop::app {

void ExportQuoteSheet(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const QuoteSheet sheet = QuoteSheetControls(rt);
  const calls::ValueTriple grid = ObjectOf(sheet.grid);
  if (rt.GetListRowCount(grid) == 0) return;
  ExportList(rt, ObjectOf(sheet.dialog), grid, QuoteContent);
}

}  // namespace pcshop::app
