#include "app/export/export_list.h"

#include <string>
#include <string_view>

#include "app/export/export_names.h"
#include "app/export/list_html.h"
#include "app/export/list_reader.h"
#include "app/export/sheet_files.h"
#include "app/quote/path_checks.h"
#include "image/app_symbols.h"
#include "image/property_numbers.h"

namespace pcshop::app {
namespace {

namespace prop = image::property;

constexpr int32_t kReplaceMode = 4;
constexpr int32_t kShareMode = 1;
constexpr int32_t kSaveDialog = 1;

uintptr_t Word(const void* address) {
  return reinterpret_cast<uintptr_t>(address);
}

// Lines of one export file; remembers whether any write failed.
class HtmlLines {
 public:
  HtmlLines(calls::Calls& rt, int32_t file) : rt_(rt), file_(file) {}
  void Line(uint32_t text) { ok_ = rt_.WriteTextLine(file_, rt_.ConstText(text)) && ok_; }
  void Cell(uint32_t open, std::string_view text, uint32_t close) {
    line_.assign(rt_.ConstText(open));
    line_ += text;
    line_ += rt_.ConstText(close);
    ok_ = rt_.WriteTextLine(file_, line_.c_str()) && ok_;
  }
  // Closes the file; true when every line reached it.
  bool Close() { return rt_.CloseTextFile(file_) && ok_; }

 private:
  calls::Calls& rt_;
  int32_t file_;
  std::string line_;
  bool ok_ = true;
};

void SetDialogText(calls::Calls& rt, const calls::ValueTriple& dialog, int32_t property,
                   const char* text) {
  rt.SetProperty(dialog.low, dialog.high, property, Word(text));
}

// The three types a list can be saved as; a name typed without an
// extension becomes the HTML table's .xls, as before.
void PrepareListDialog(calls::Calls& rt, const calls::ValueTriple& dialog) {
  PrepareSaveDialog(rt, dialog, sym::text::kSaveAsFilter, sym::text::kXlsExtension);
}

void TellOutcome(calls::Calls& rt, bool written) {
  rt.MessageBox(rt.ConstText(written ? sym::text::kExportSucceeded : sym::text::kExportFailed), 0);
}

}  // namespace

void PrepareSaveDialog(calls::Calls& rt, const calls::ValueTriple& dialog, uint32_t filter,
                       uint32_t extension) {
  rt.SetProperty(dialog.low, dialog.high, prop::kDialogType, kSaveDialog);
  SetDialogText(rt, dialog, prop::kDialogFilter, rt.ConstText(filter));
  SetDialogText(rt, dialog, prop::kDefaultExtension, rt.ConstText(extension));
}

void OfferPath(calls::Calls& rt, const calls::ValueTriple& dialog, const std::string& path) {
  SetDialogText(rt, dialog, prop::kFileName, path.c_str());
}

calls::OwnedText ChosenFileName(calls::Calls& rt, const calls::ValueTriple& dialog) {
  const uint64_t value = rt.GetProperty(dialog.low, dialog.high, prop::kFileName);
  return rt.TakeText(calls::Text(reinterpret_cast<const char*>(static_cast<uintptr_t>(value))));
}

SheetSource WholeList(const calls::ValueTriple& list) {
  return [list](calls::Calls& rt) {
    const calls::OwnedText table = rt.CurrentTableName();
    return ListContent(rt, list, table.c_str());
  };
}

SheetSource NamedList(const calls::ValueTriple& list, uint32_t sheet_name) {
  return [list, sheet_name](calls::Calls& rt) {
    return ListContent(rt, list, rt.ConstText(sheet_name));
  };
}

bool WriteChosenFile(calls::Calls& rt, const calls::ValueTriple& list, const char* path,
                     const SheetSource& source) {
  const SheetFormat format = FormatOfPath(path);
  if (format == SheetFormat::kHtml) {
    return WriteListAsHtml(rt, rt.GetControlHandle(list), path, 1) == 1;
  }
  return WriteWorkbookFile(rt, source(rt), path, format);
}

int32_t WriteListAsHtml(calls::Calls& rt, uintptr_t list, const char* path, int32_t header) {
  ListReader reader(rt, list);
  const int32_t columns = reader.Columns();
  const int32_t rows = reader.Rows();
  if (rows < 1 && columns < 1) return 0;
  const int32_t file = rt.OpenTextFile(path, kReplaceMode, kShareMode);
  if (file == 0) return 0;
  (void)rt.SeekFile(file);
  HtmlLines out(rt, file);
  // Without the declaration a spreadsheet program outside China reads the
  // GBK bytes as Latin-1.
  out.Line(sym::text::kHtmlCharsetLine);
  out.Line(sym::text::kHtmlTableOpen);
  std::string text;
  if (header == 1 && columns >= 1) {
    out.Line(sym::text::kHtmlRowOpen);
    for (int32_t c = 0; c < columns; ++c) {
      if (!reader.Title(c, text)) {
        (void)out.Close();
        return 0;
      }
      out.Cell(sym::text::kHtmlHeaderCellOpen, EscapeHtml(text), sym::text::kHtmlHeaderCellClose);
    }
    out.Line(sym::text::kHtmlRowClose);
  }
  for (int32_t r = 0; r < rows; ++r) {
    out.Line(sym::text::kHtmlRowOpen);
    for (int32_t c = 0; c < columns; ++c) {
      if (!reader.Cell(r, c, text)) {
        (void)out.Close();
        return 0;
      }
      out.Cell(sym::text::kHtmlCellOpen, EscapeHtml(text), sym::text::kHtmlCellClose);
    }
    out.Line(sym::text::kHtmlRowClose);
  }
  out.Line(sym::text::kHtmlTableClose);
  // A write that failed (a full disk) is a failed export, not a success.
  return out.Close() ? 1 : 0;
}

void ExportList(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list) {
  ExportList(rt, dialog, list, WholeList(list));
}

namespace {

// The export to the day folder's file that `name_in` names in the folder,
// given the time suffix.
void ExportTo(calls::Calls& rt, const calls::ValueTriple& dialog, const calls::ValueTriple& list,
              const SheetSource& source,
              const std::function<std::string(const std::string&, const std::string&)>& name_in) {
  const ExportClock clock = ReadExportClock(rt);
  PrepareListDialog(rt, dialog);
  const std::string folder = ExportFolder(rt, clock);
  const std::string path = UnusedPath(rt, name_in(folder, ExportTimeSuffix(rt, clock)),
                                      rt.ConstText(sym::text::kXlsExtension));
  if (!IsDirectory(rt, folder.c_str())) (void)EnsureDirectory(rt, folder);
  if (IsDirectory(rt, folder.c_str())) {
    rt.MessageBox(PathForMessage(rt, path).c_str(), 0);
    if (WriteListAsHtml(rt, rt.GetControlHandle(list), path.c_str(), 1) == 1) {
      rt.MessageBox(rt.ConstText(sym::text::kExportSucceeded), 0);
      return;
    }
    rt.MessageBox(rt.ConstText(sym::text::kExportFailed), 0);
  }
  // The user picks up where the export meant to write.
  OfferPath(rt, dialog, path);
  if (!rt.ShowFileDialog(dialog)) return;
  const calls::OwnedText chosen = ChosenFileName(rt, dialog);
  // A failed write to the chosen file is said as plainly as on the automatic
  // path; silence would read as success.
  TellOutcome(rt, WriteChosenFile(rt, list, chosen.c_str(), source));
}

}  // namespace

void ExportList(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list, const SheetSource& source) {
  ExportTo(rt, dialog, list, source, [&](const std::string& folder, const std::string& suffix) {
    return ExportPath(rt, folder, suffix);
  });
}

void ExportNamedList(calls::Calls& rt, const calls::ValueTriple& dialog,
                     const calls::ValueTriple& list, const SheetSource& source,
                     std::string_view stem) {
  ExportTo(rt, dialog, list, source, [&](const std::string& folder, const std::string& suffix) {
    return folder + rt.ConstText(sym::text::kBackslash) + FileNameSafe(stem) +
           rt.ConstText(sym::text::kUnderscore) + suffix;
  });
}

void SaveListAs(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list) {
  SaveListAs(rt, dialog, list, WholeList(list));
}

void SaveListAs(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list, const SheetSource& source) {
  PrepareListDialog(rt, dialog);
  if (!rt.ShowFileDialog(dialog)) return;
  const calls::OwnedText chosen = ChosenFileName(rt, dialog);
  TellOutcome(rt, WriteChosenFile(rt, list, chosen.c_str(), source));
}

}  // namespace pcshop::app
