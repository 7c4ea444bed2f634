// 打印, 存为图片, 存为PDF and 另存为 in the quote window: the quote as a
// document in the print preview, as a picture or a PDF in the day folder
// named 配置名_year年month月day日hour点minute分 (报价单_... when the name box
// is empty), and as a spreadsheet file of the type the user picks.

#include "app/app_calls.h"
#include "app/export/document_files.h"
#include "app/export/export_list.h"
#include "app/quote/quote_document.h"
#include "app/quote/quote_sheet.h"
#include "app/routines.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

void SaveQuoteDocument(const calls::RoutineCall& call, DocumentFileKind kind) {
  calls::Calls rt = AppCalls(call);
  const QuoteSheet sheet = QuoteSheetControls(rt);
  const SheetContent content = QuoteContent(rt);
  const calls::OwnedText name = TextOf(rt, sheet.name_box);
  SaveContentDocument(rt, ObjectOf(sheet.dialog), content, name.view(),
                      sym::text::kQuoteFileStem, kind);
}

}  // namespace

void PrintQuote(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  PreviewContent(rt, QuoteContent(rt));
}

void SaveQuotePicture(const calls::RoutineCall& call) {
  SaveQuoteDocument(call, DocumentFileKind::kPicture);
}

void SaveQuotePdf(const calls::RoutineCall& call) { SaveQuoteDocument(call, DocumentFileKind::kPdf); }

void SaveQuoteSheetAs(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const QuoteSheet sheet = QuoteSheetControls(rt);
  SaveListAs(rt, ObjectOf(sheet.dialog), ObjectOf(sheet.grid), QuoteContent);
}

}  // namespace pcshop::app
