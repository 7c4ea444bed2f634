// The aged-debts list for the shop's records: 导出 and 另存为 through the
// shared export, 打印 (the print preview), 存为图片 and 存为PDF through the
// document service. All of them take the list as the window shows it.

#include <algorithm>
#include <string>

#include "app/aging/aging_controls.h"
#include "app/aging/aging_list.h"
#include "app/app_calls.h"
#include "app/checks/typed_values.h"
#include "app/export/document_files.h"
#include "app/export/export_list.h"
#include "app/routines.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

constexpr int32_t kMinPaperWidth = 90;

// The list under its title, the date above it and the note on 期初 below;
// total rows are the ones without a 序号.
SheetContent AgedContent(calls::Calls& rt, const AgingWindow& w) {
  SheetContent content = ListContent(rt, ObjectOf(w.list), AgingTitle(rt, w));
  content.lines.push_back(rt.ConstText(t::kAgingLineDate) + Today(rt));
  // Narrow list columns (序号) would break their titles on paper.
  for (SheetColumn& column : content.columns) column.width = std::max(kMinPaperWidth, column.width);
  for (SheetRow& row : content.rows) {
    row.total = !row.cells.empty() && row.cells[aging_column::kNumber].empty();
  }
  content.footer.push_back(rt.ConstText(t::kAgingFooter));
  return content;
}

// The window's list, or nothing to do when it is empty.
bool HasRows(calls::Calls& rt, const AgingWindow& w) {
  return rt.GetListRowCount(ObjectOf(w.list)) > 0;
}

SheetSource Source(const AgingWindow& w) {
  return [w](calls::Calls& rt) { return AgedContent(rt, w); };
}

void SaveFile(const calls::RoutineCall& call, DocumentFileKind kind) {
  calls::Calls rt = AppCalls(call);
  const AgingWindow w = Aging(rt);
  if (!HasRows(rt, w)) return;
  const char* title = AgingTitle(rt, w);
  SaveContentFile(rt, ObjectOf(w.dialog), AgedContent(rt, w), title, title, kind);
}

}  // namespace

void ExportAgedDebts(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AgingWindow w = Aging(rt);
  if (!HasRows(rt, w)) return;
  ExportList(rt, ObjectOf(w.dialog), ObjectOf(w.list), Source(w), AgingTitle(rt, w));
}

void SaveAgedDebtsAs(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AgingWindow w = Aging(rt);
  if (!HasRows(rt, w)) return;
  SaveListAs(rt, ObjectOf(w.dialog), ObjectOf(w.list), Source(w));
}

void PrintAgedDebts(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AgingWindow w = Aging(rt);
  if (!HasRows(rt, w)) return;
  PreviewContent(rt, AgedContent(rt, w));
}

void SaveAgedDebtsPicture(const calls::RoutineCall& call) {
  SaveFile(call, DocumentFileKind::kPicture);
}

void SaveAgedDebtsPdf(const calls::RoutineCall& call) { SaveFile(call, DocumentFileKind::kPdf); }

}  // namespace pcshop::app
