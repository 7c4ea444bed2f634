#include "app/export/export_list.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "app/export/export_names.h"
#include "app/export/list_html.h"
#include "app/quote/path_checks.h"
#include "image/app_symbols.h"
#include "image/list_view_abi.h"
#include "image/property_numbers.h"

namespace pcshop::app {
namespace {

namespace lv = image::list_view;
namespace prop = image::property;

// Where a DLL call that took the wrong number of words is reported.
constexpr calls::Site kExportSite{33, 0};
constexpr int32_t kReplaceMode = 4;
constexpr int32_t kShareMode = 1;
constexpr int32_t kSaveDialog = 1;

uintptr_t Word(const void* address) {
  return reinterpret_cast<uintptr_t>(address);
}

template <typename T>
void Put(std::span<uint8_t> record, size_t offset, T value) {
  std::memcpy(record.data() + offset, &value, sizeof value);
}

// Reads one list through the list-view and header messages. The two records
// and the text buffer live as long as the reader; each message reuses them.
class ListReader {
 public:
  ListReader(calls::Calls& rt, uintptr_t list) : rt_(rt), list_(list) {
    // The records' addresses as the DLL layer sees them: lstrcpyn with a
    // length of 0 copies nothing and answers its destination.
    column_address_ = Call(sym::dll::kCommand9, {Word(column_.data()), Word(column_.data()), 0});
    item_address_ = Call(sym::dll::kCommand10, {Word(item_.data()), Word(item_.data()), 0});
  }

  int32_t Columns() {
    const uintptr_t header = Call(sym::dll::kCommand6, {list_, lv::kGetHeader, 0, 0});
    return Count(Call(sym::dll::kCommand6, {header, lv::kHeaderGetItemCount, 0, 0}));
  }
  int32_t Rows() { return Count(Call(sym::dll::kCommand6, {list_, lv::kGetItemCount, 0, 0})); }

  // The column's title; false when the list refuses it.
  bool Title(int32_t column, std::string& out) {
    column_.fill(0);
    Put<uint32_t>(column_, lv::column::kMask, lv::column::kMaskText);
    Put<uintptr_t>(column_, lv::column::kText, Word(text_.data()));
    Put<int32_t>(column_, lv::column::kTextMax, static_cast<int32_t>(text_.size()));
    const uintptr_t answer =
        Call(sym::dll::kCommand7,
             {list_, lv::kGetColumnA, static_cast<uint32_t>(column), column_address_});
    return answer != 0 && Take(out);
  }

  // The text of cell (row, column); false when the list refuses it.
  bool Cell(int32_t row, int32_t column, std::string& out) {
    item_.fill(0);
    Put<uint32_t>(item_, lv::item::kMask, lv::item::kMaskText);
    Put<int32_t>(item_, lv::item::kItem, row);
    Put<int32_t>(item_, lv::item::kSubItem, column);
    Put<uintptr_t>(item_, lv::item::kText, Word(text_.data()));
    Put<int32_t>(item_, lv::item::kTextMax, static_cast<int32_t>(text_.size()));
    const uintptr_t answer = Call(sym::dll::kCommand8, {list_, lv::kGetItemA, 0, item_address_});
    return answer != 0 && Take(out);
  }

 private:
  uintptr_t Call(uint32_t command, std::initializer_list<uintptr_t> words) {
    return static_cast<uintptr_t>(rt_.Dll(rt_.Id(command), words, kExportSite));
  }
  static int32_t Count(uintptr_t answer) {
    return static_cast<int32_t>(static_cast<uint32_t>(answer));
  }
  // The buffer's text, escaped; a character cut by the buffer's end is
  // dropped whole rather than written as half a character.
  bool Take(std::string& out) {
    text_.back() = '\0';  // never trust the answer to have terminated it
    out = EscapeHtml(WholeCharacters(std::string_view(text_.data())));
    return true;
  }

  calls::Calls& rt_;
  uintptr_t list_;
  std::array<uint8_t, lv::column::kSize> column_{};
  std::array<uint8_t, lv::item::kSize> item_{};
  std::array<char, kListTextBufferSize> text_{};
  uintptr_t column_address_ = 0;
  uintptr_t item_address_ = 0;
};

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

void PrepareDialog(calls::Calls& rt, const calls::ValueTriple& dialog) {
  rt.SetProperty(dialog.low, dialog.high, prop::kDialogType, kSaveDialog);
  SetDialogText(rt, dialog, prop::kDialogFilter, rt.ConstText(sym::text::kExportFilter));
  SetDialogText(rt, dialog, prop::kDefaultExtension, rt.ConstText(sym::text::kXlsExtension));
}

calls::OwnedText ChosenFileName(calls::Calls& rt, const calls::ValueTriple& dialog) {
  const uint64_t value = rt.GetProperty(dialog.low, dialog.high, prop::kFileName);
  return rt.TakeText(calls::Text(reinterpret_cast<const char*>(static_cast<uintptr_t>(value))));
}

}  // namespace

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
      out.Cell(sym::text::kHtmlHeaderCellOpen, text, sym::text::kHtmlHeaderCellClose);
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
      out.Cell(sym::text::kHtmlCellOpen, text, sym::text::kHtmlCellClose);
    }
    out.Line(sym::text::kHtmlRowClose);
  }
  out.Line(sym::text::kHtmlTableClose);
  // A write that failed (a full disk) is a failed export, not a success.
  return out.Close() ? 1 : 0;
}

void ExportList(calls::Calls& rt, const calls::ValueTriple& dialog,
                const calls::ValueTriple& list) {
  const ExportClock clock = ReadExportClock(rt);
  PrepareDialog(rt, dialog);
  const std::string folder = ExportFolder(rt, clock);
  if (!IsDirectory(rt, folder.c_str())) (void)EnsureDirectory(rt, folder);
  if (IsDirectory(rt, folder.c_str())) {
    const std::string path = ExportPath(rt, folder, ExportTimeSuffix(rt, clock));
    rt.MessageBox(path.c_str(), 0);
    if (WriteListAsHtml(rt, rt.GetControlHandle(list), path.c_str(), 1) == 1) {
      rt.MessageBox(rt.ConstText(sym::text::kExportSucceeded), 0);
      return;
    }
    rt.MessageBox(rt.ConstText(sym::text::kExportFailed), 0);
  }
  if (!rt.ShowFileDialog(dialog)) return;
  const calls::OwnedText chosen = ChosenFileName(rt, dialog);
  const bool written = WriteListAsHtml(rt, rt.GetControlHandle(list), chosen.c_str(), 1) == 1;
  // A failed write to the chosen file is said as plainly as on the automatic
  // path; silence would read as success.
  rt.MessageBox(rt.ConstText(written ? sym::text::kExportSucceeded : sym::text::kExportFailed), 0);
}

}  // namespace pcshop::app
