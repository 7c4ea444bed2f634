#include "runtime/kernel/document_commands.h"

#include <filesystem>
#include <string>
#include <vector>

#include "image/calls/chart_text.h"
#include "runtime/document/document_render.h"
#include "runtime/files/native_path.h"
#include "runtime/kernel/runtime.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::kernel {
namespace {

using calls::Int;
using calls::Logical;
using calls::TypeCode;
using calls::ValueTriple;
using image::KernelCommand;

constexpr size_t kFirstCell = 2;  // AddDocumentRow(document, style, cells...)

ValueTriple Ok(const Status& s) { return Logical(s.ok()); }

// The cells of a row: texts, an omitted argument as the empty text.
std::optional<std::vector<std::string>> Cells(const CommandArguments& a) {
  std::vector<std::string> cells;
  for (size_t i = kFirstCell; i < a.size(); ++i) {
    if (a.Given(i) && !a[i].is(TypeCode::kText)) return std::nullopt;
    cells.emplace_back(a.Text(i));
  }
  return cells;
}

// The window the preview belongs to: the one opened last.
QWidget* PreviewOwner(Runtime& rt) {
  ui::WindowManager* windows = rt.windows();
  if (windows == nullptr) return nullptr;
  const std::vector<uint32_t> open = windows->OpenWindows();
  return open.empty() ? nullptr : windows->Widget({open.back(), 0});
}

Status Save(const document::Document& doc, std::string_view gbk_path, bool pdf, int32_t width) {
  Result<std::filesystem::path> path = files::ToNativePath(gbk_path);
  if (!path.ok()) return path.status();
  if (pdf) return document::WritePdf(doc, *path);
  return document::WritePicture(doc, *path, width);
}

}  // namespace

std::optional<ValueTriple> DocumentCommand(Runtime& rt, KernelCommand command,
                                           const CommandArguments& a) {
  document::Documents& docs = rt.documents();
  if (command == KernelCommand::kNewDocument) return Int(docs.Open(a.Text(0)));
  document::Document* doc = nullptr;
  switch (command) {
    case KernelCommand::kAddDocumentLine:
    case KernelCommand::kAddDocumentColumn:
    case KernelCommand::kAddDocumentRow:
    case KernelCommand::kAddDocumentFooter:
    case KernelCommand::kAddDocumentChart:
    case KernelCommand::kPreviewDocument:
    case KernelCommand::kSaveDocumentPdf:
    case KernelCommand::kSaveDocumentPicture:
      doc = docs.Find(a.Int(0));
      if (doc == nullptr) return Logical(false);
      break;
    case KernelCommand::kCloseDocument: docs.Close(a.Int(0)); return ValueTriple{};
    default: return std::nullopt;
  }
  switch (command) {
    case KernelCommand::kAddDocumentLine: return Ok(doc->AddLine(a.Text(1)));
    case KernelCommand::kAddDocumentColumn:
      return Ok(doc->AddColumn(a.Text(1), static_cast<document::Alignment>(a.Int(2)),
                               a.Int(3, 1)));
    case KernelCommand::kAddDocumentRow: {
      std::optional<std::vector<std::string>> cells = Cells(a);
      if (!cells) return Logical(false);
      return Ok(doc->AddRow(std::move(*cells), a.Int(1) == 1));
    }
    case KernelCommand::kAddDocumentFooter: return Ok(doc->AddFooter(a.Text(1)));
    case KernelCommand::kAddDocumentChart: {
      // AddDocumentChart(document, chart text as ShowChart takes it)
      std::optional<calls::ChartData> chart = calls::DecodeChart(a.Text(1));
      if (!chart) return Logical(false);
      return Ok(doc->AddChart(std::move(*chart)));
    }
    case KernelCommand::kPreviewDocument: {
      if (rt.windows() == nullptr) return Logical(false);
      return Ok(document::ShowPreview(*doc, PreviewOwner(rt), docs.preview_responder()));
    }
    case KernelCommand::kSaveDocumentPdf: return Ok(Save(*doc, a.Text(1), true, 0));
    case KernelCommand::kSaveDocumentPicture:
      return Ok(Save(*doc, a.Text(1), false, a.Int(2, document::kPictureWidth)));
    default: return std::nullopt;
  }
}

}  // namespace pcshop::kernel
