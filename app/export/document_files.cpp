#include "app/export/document_files.h"

#include <string>

#include "app/export/export_list.h"
#include "app/export/export_names.h"
#include "app/export/sheet_files.h"
#include "app/quote/path_checks.h"
#include "app/shop/shop_heading.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// Which file a kind writes and what it says about it.
struct FileTexts {
  uint32_t extension;
  uint32_t filter;
  uint32_t saved;
  uint32_t failed;
};

FileTexts TextsOf(DocumentFileKind kind) {
  namespace t = sym::text;
  if (kind == DocumentFileKind::kPdf) {
    return {t::kPdfExtension, t::kPdfFilter, t::kPdfSaved, t::kPdfFailed};
  }
  return {t::kPngExtension, t::kPngFilter, t::kPictureSaved, t::kPictureFailed};
}

// The runtime's document, closed whichever way the caller ends.
class Document {
 public:
  Document(calls::Calls& rt, const SheetContent& content)
      : rt_(rt), number_(BuildDocument(rt, content, AddShopHeading)) {}
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  ~Document() {
    if (number_ != 0) rt_.CloseDocument(number_);
  }
  int32_t number() const { return number_; }

 private:
  calls::Calls& rt_;
  int32_t number_;
};

bool Write(calls::Calls& rt, const Document& doc, DocumentFileKind kind, const char* path) {
  if (doc.number() == 0) return false;
  return kind == DocumentFileKind::kPdf ? rt.SaveDocumentPdf(doc.number(), path)
                                        : rt.SaveDocumentPicture(doc.number(), path);
}

}  // namespace

void PreviewContent(calls::Calls& rt, const SheetContent& content) {
  const Document doc(rt, content);
  if (doc.number() == 0 || !rt.PreviewDocument(doc.number())) {
    rt.MessageBox(rt.ConstText(sym::text::kPrintFailed), 0);
  }
}

void SaveContentFile(calls::Calls& rt, const calls::ValueTriple& dialog,
                     const SheetContent& content, std::string_view stem,
                     std::string_view fallback_stem, DocumentFileKind kind) {
  const FileTexts texts = TextsOf(kind);
  const Document doc(rt, content);
  const ExportClock clock = ReadExportClock(rt);
  PrepareSaveDialog(rt, dialog, texts.filter, texts.extension);
  const std::string folder = ExportFolder(rt, clock);
  // Cleaned as the export cleans a name, so it never leaves the day folder.
  std::string safe = FileNameSafe(stem);
  if (safe.empty()) safe = fallback_stem;
  const std::string extension = rt.ConstText(texts.extension);
  const std::string path =
      UnusedPath(rt,
                 folder + rt.ConstText(sym::text::kBackslash) + safe +
                     rt.ConstText(sym::text::kUnderscore) + ExportTimeStamp(rt, clock) + extension,
                 extension);
  if (!IsDirectory(rt, folder.c_str())) (void)EnsureDirectory(rt, folder);
  if (IsDirectory(rt, folder.c_str())) {
    rt.MessageBox(PathForMessage(rt, path).c_str(), 0);
    if (Write(rt, doc, kind, path.c_str())) {
      rt.MessageBox(rt.ConstText(texts.saved), 0);
      return;
    }
    rt.MessageBox(rt.ConstText(texts.failed), 0);
  }
  OfferPath(rt, dialog, path);
  if (!rt.ShowFileDialog(dialog)) return;
  const calls::OwnedText chosen = ChosenFileName(rt, dialog);
  const bool written = Write(rt, doc, kind, chosen.c_str());
  rt.MessageBox(rt.ConstText(written ? texts.saved : texts.failed), 0);
}

}  // namespace pcshop::app
