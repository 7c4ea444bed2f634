// The accounts window's statement buttons: 对账单 shows it; 打印, 存为PDF,
// 存为图片, 导出 and 另存为 make it again from the boxes (so what leaves the
// program is what the boxes ask for now) and hand it to the document
// service or the shared export, named 对账单_<name>_<time>.

#include "app/accounts/statement_view.h"
#include "app/app_calls.h"
#include "app/export/document_files.h"
#include "app/export/export_list.h"
#include "app/routines.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

void SaveStatementDocument(const calls::RoutineCall& call, DocumentFileKind kind) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  const std::optional<ShownStatement> shown = MakeStatement(rt, w);
  if (!shown) return;
  SaveContentFile(rt, ObjectOf(w.dialog), StatementContent(rt, w, *shown),
                  StatementFileStem(rt, *shown), rt.ConstText(sym::text::kStatementTitle), kind);
}

SheetSource StatementSource(const AccountsWindow& w, const ShownStatement& shown) {
  return [w, shown](calls::Calls& rt) { return StatementContent(rt, w, shown); };
}

}  // namespace

void ShowStatement(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  (void)MakeStatement(rt, Accounts(rt));
}

void PrintStatement(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  const std::optional<ShownStatement> shown = MakeStatement(rt, w);
  if (shown) PreviewContent(rt, StatementContent(rt, w, *shown));
}

void SaveStatementPdf(const calls::RoutineCall& call) {
  SaveStatementDocument(call, DocumentFileKind::kPdf);
}

void SaveStatementPicture(const calls::RoutineCall& call) {
  SaveStatementDocument(call, DocumentFileKind::kPicture);
}

void ExportStatement(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  const std::optional<ShownStatement> shown = MakeStatement(rt, w);
  if (!shown) return;
  ExportList(rt, ObjectOf(w.dialog), ObjectOf(w.statement), StatementSource(w, *shown),
             StatementFileStem(rt, *shown).c_str());
}

void SaveStatementAs(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  const std::optional<ShownStatement> shown = MakeStatement(rt, w);
  if (!shown) return;
  SaveListAs(rt, ObjectOf(w.dialog), ObjectOf(w.statement), StatementSource(w, *shown));
}

}  // namespace pcshop::app
