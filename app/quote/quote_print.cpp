// 打印, 存为图片, 存为PDF and 另存为 in the quote window: the quote as a
// document under the shop's heading in the print preview, as a picture or a PDF in the day folder
// (the export's naming and dialog fallback), and as a spreadsheet file of
// the type the user picks.

#include <string>

#include "app/app_calls.h"
#include "app/export/export_list.h"
#include "app/export/export_names.h"
#include "app/export/sheet_files.h"
#include "app/quote/path_checks.h"
#include "app/quote/quote_document.h"
#include "app/quote/quote_sheet.h"
#include "app/routines.h"
#include "app/shop/shop_heading.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// Which file a routine writes and what it says about it.
struct DocumentFile {
  uint32_t extension;
  uint32_t filter;
  uint32_t saved;
  uint32_t failed;
  bool pdf;
};

constexpr DocumentFile kPicture{sym::text::kPngExtension, sym::text::kPngFilter,
                                sym::text::kPictureSaved, sym::text::kPictureFailed, false};
constexpr DocumentFile kPdf{sym::text::kPdfExtension, sym::text::kPdfFilter,
                            sym::text::kPdfSaved, sym::text::kPdfFailed, true};

// The runtime's document, closed whichever way the routine ends.
class QuoteDocument {
 public:
  explicit QuoteDocument(calls::Calls& rt)
      : rt_(rt), number_(BuildDocument(rt, QuoteContent(rt), AddShopHeading)) {}
  QuoteDocument(const QuoteDocument&) = delete;
  QuoteDocument& operator=(const QuoteDocument&) = delete;
  ~QuoteDocument() {
    if (number_ != 0) rt_.CloseDocument(number_);
  }
  int32_t number() const { return number_; }

 private:
  calls::Calls& rt_;
  int32_t number_;
};

bool Write(calls::Calls& rt, const QuoteDocument& doc, const DocumentFile& file,
           const char* path) {
  if (doc.number() == 0) return false;
  return file.pdf ? rt.SaveDocumentPdf(doc.number(), path)
                  : rt.SaveDocumentPicture(doc.number(), path);
}

// The day folder's file: 配置名_year年month月day日hour点minute分.ext, or
// 报价单_... when the name box is empty (or nothing of it is left once
// cleaned); the name cleaned as the export cleans it, so it never leaves the
// day folder; "_2", "_3", ... after the minute when that file is there.
std::string DayFolderPath(calls::Calls& rt, const std::string& folder, const ExportClock& clock,
                          const DocumentFile& file) {
  const calls::OwnedText name = TextOf(rt, QuoteSheetControls(rt).name_box);
  std::string stem = FileNameSafe(name.view());
  if (stem.empty()) stem = rt.ConstText(sym::text::kQuoteFileStem);
  const std::string extension = rt.ConstText(file.extension);
  return UnusedPath(rt,
                    folder + rt.ConstText(sym::text::kBackslash) + stem +
                        rt.ConstText(sym::text::kUnderscore) + ExportTimeStamp(rt, clock) +
                        extension,
                    extension);
}

void SaveQuoteDocument(const calls::RoutineCall& call, const DocumentFile& file) {
  calls::Calls rt = AppCalls(call);
  const QuoteDocument doc(rt);
  const ExportClock clock = ReadExportClock(rt);
  const calls::ValueTriple dialog = ObjectOf(QuoteSheetControls(rt).dialog);
  PrepareSaveDialog(rt, dialog, file.filter, file.extension);
  const std::string folder = ExportFolder(rt, clock);
  const std::string path = DayFolderPath(rt, folder, clock, file);
  if (!IsDirectory(rt, folder.c_str())) (void)EnsureDirectory(rt, folder);
  if (IsDirectory(rt, folder.c_str())) {
    rt.MessageBox(PathForMessage(rt, path).c_str(), 0);
    if (Write(rt, doc, file, path.c_str())) {
      rt.MessageBox(rt.ConstText(file.saved), 0);
      return;
    }
    rt.MessageBox(rt.ConstText(file.failed), 0);
  }
  OfferPath(rt, dialog, path);
  if (!rt.ShowFileDialog(dialog)) return;
  const calls::OwnedText chosen = ChosenFileName(rt, dialog);
  const bool written = Write(rt, doc, file, chosen.c_str());
  rt.MessageBox(rt.ConstText(written ? file.saved : file.failed), 0);
}

}  // namespace

void PrintQuote(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const QuoteDocument doc(rt);
  if (doc.number() == 0 || !rt.PreviewDocument(doc.number())) {
    rt.MessageBox(rt.ConstText(sym::text::kPrintFailed), 0);
  }
}

void SaveQuotePicture(const calls::RoutineCall& call) { SaveQuoteDocument(call, kPicture); }

void SaveQuotePdf(const calls::RoutineCall& call) { SaveQuoteDocument(call, kPdf); }

void SaveQuoteSheetAs(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const QuoteSheet sheet = QuoteSheetControls(rt);
  SaveListAs(rt, ObjectOf(sheet.dialog), ObjectOf(sheet.grid), QuoteContent);
}

}  // namespace pcshop::app
