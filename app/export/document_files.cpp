#include "app/export/document_files.h"

#include <string>

#include "app/export/export_list.h"
#include "app/export/export_names.h"
#include "app/export/sheet_files.h"
#include "app/quote/path_checks.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// Which file a kind writes and what it says about it.
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
class Document {
 public:
  Document(calls::Calls& rt, const SheetContent& content)
      : rt_(rt), number_(BuildDocument(rt, content)) {}
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

bool Write(calls::Calls& rt, const Document& doc, const DocumentFile& file, const char* path) {
  if (doc.number() == 0) return false;
  return file.pdf ? rt.SaveDocumentPdf(doc.number(), path)
                  : rt.SaveDocumentPicture(doc.number(), path);
}

std::string DayFolderPath(calls::Calls& rt, const std::string& folder, const ExportClock& clock,
                          const DocumentFile& file, std::string_view raw_stem,
                          uint32_t fallback_stem) {
  std::string stem = FileNameSafe(raw_stem);
  if (stem.empty()) stem = rt.ConstText(fallback_stem);
  const std::string extension = rt.ConstText(file.extension);
  return UnusedPath(rt,
                    folder + rt.ConstText(sym::text::kBackslash) + stem +
                        rt.ConstText(sym::text::kUnderscore) + ExportTimeStamp(rt, clock) +
                        extension,
                    extension);
}

}  // namespace

void PreviewContent(calls::Calls& rt, const SheetContent& content) {
  const Document doc(rt, content);
  if (doc.number() == 0 || !rt.PreviewDocument(doc.number())) {
    rt.MessageBox(rt.ConstText(sym::text::kPrintFailed), 0);
  }
}

void SaveContentDocument(calls::Calls& rt, const calls::ValueTriple& dialog,
                         const SheetContent& content, std::string_view stem,
                         uint32_t fallback_stem, DocumentFileKind kind) {
  const DocumentFile& file = kind == DocumentFileKind::kPdf ? kPdf : kPicture;
  const Document doc(rt, content);
  const ExportClock clock = ReadExportClock(rt);
  PrepareSaveDialog(rt, dialog, file.filter, file.extension);
  const std::string folder = ExportFolder(rt, clock);
  const std::string path = DayFolderPath(rt, folder, clock, file, stem, fallback_stem);
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

}  // namespace pcshop::app
