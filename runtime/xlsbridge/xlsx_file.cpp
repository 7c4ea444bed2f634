#include <xlsxwriter.h>

#include <algorithm>
#include <memory>

#include "runtime/files/whole_file.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/xlsbridge/workbook_files.h"

namespace pcshop::xlsbridge {
namespace {

constexpr double kMinColumnWidth = 6;
constexpr double kMaxColumnWidth = 60;
constexpr double kWidthPadding = 2;
constexpr size_t kMaxSheetNameCharacters = 31;

// The workbook's texts in UTF-8, converted before any file is made.
struct Utf8Book {
  std::string sheet;
  std::vector<std::string> lines, titles;
  std::vector<std::vector<std::string>> rows;
};

Result<std::string> Convert(std::string_view gbk, const std::string& where) {
  return text::NamedGbkToUtf8("workbook", where, gbk);
}

// A name a sheet may carry: at most 31 characters, none of []:*?/\ and no
// apostrophe at either end; "Sheet1" for nothing left.
std::string SheetName(std::string_view utf8) {
  std::string out;
  size_t characters = 0;
  for (size_t i = 0; i < utf8.size() && characters < kMaxSheetNameCharacters; ++characters) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    std::string piece(utf8.substr(i, length));
    if (length == 1 && std::string_view("[]:*?/\\").find(piece[0]) != std::string_view::npos) {
      piece = "_";
    }
    out += piece;
    i += length;
  }
  while (!out.empty() && out.front() == '\'') out.erase(out.begin());
  while (!out.empty() && out.back() == '\'') out.pop_back();
  return out.empty() ? "Sheet1" : out;
}

Result<Utf8Book> ConvertAll(const Workbook& book) {
  Utf8Book out;
  Result<std::string> sheet = Convert(book.sheet_name(), "the sheet name");
  if (!sheet.ok()) return sheet.status();
  out.sheet = SheetName(*sheet);
  for (size_t i = 0; i < book.lines().size(); ++i) {
    Result<std::string> t = Convert(book.lines()[i], "line " + std::to_string(i + 1));
    if (!t.ok()) return t.status();
    out.lines.push_back(std::move(*t));
  }
  for (size_t c = 0; c < book.columns().size(); ++c) {
    Result<std::string> t = Convert(book.columns()[c].title, "column title " + std::to_string(c + 1));
    if (!t.ok()) return t.status();
    out.titles.push_back(std::move(*t));
  }
  out.rows.reserve(book.rows().size());
  for (size_t r = 0; r < book.rows().size(); ++r) {
    std::vector<std::string> cells;
    cells.reserve(book.rows()[r].cells.size());
    for (size_t c = 0; c < book.rows()[r].cells.size(); ++c) {
      Result<std::string> t = Convert(book.rows()[r].cells[c], "the cell in row " +
                                                                   std::to_string(r + 1) +
                                                                   ", column " +
                                                                   std::to_string(c + 1));
      if (!t.ok()) return t.status();
      cells.push_back(std::move(*t));
    }
    out.rows.push_back(std::move(cells));
  }
  return out;
}

// Closes a workbook that was not closed on purpose (its file is a temporary
// one that goes anyway).
struct WorkbookCloser {
  void operator()(lxw_workbook* book) const { (void)workbook_close(book); }
};
using WorkbookHandle = std::unique_ptr<lxw_workbook, WorkbookCloser>;

Status Check(lxw_error error, const char* what) {
  if (error == LXW_NO_ERROR) return Status::Ok();
  return Status::IOError(std::string("workbook: ") + what + ": " + lxw_strerror(error));
}

Status Fill(const Workbook& book, const Utf8Book& texts, const std::filesystem::path& temp) {
  lxw_workbook_options options{};
  // Rows go out in order, so the sheet need not be held in memory.
  options.constant_memory = LXW_TRUE;
  const std::string file = temp.string();
  WorkbookHandle handle(workbook_new_opt(file.c_str(), &options));
  if (!handle) return Status::IOError("workbook: cannot start " + file);
  lxw_workbook* wb = handle.get();
  lxw_worksheet* sheet = workbook_add_worksheet(wb, texts.sheet.c_str());
  if (sheet == nullptr) return Status::IOError("workbook: cannot add the sheet");
  lxw_format* bold = workbook_add_format(wb);
  format_set_bold(bold);
  lxw_format* title = workbook_add_format(wb);
  format_set_bold(title);
  format_set_font_size(title, 14);
  lxw_format* header = workbook_add_format(wb);
  format_set_bold(header);
  format_set_bottom(header, LXW_BORDER_THIN);
  format_set_bg_color(header, 0xE6E9F0);

  const std::vector<double> widths = ColumnWidths(book);
  for (size_t c = 0; c < widths.size(); ++c) {
    const auto column = static_cast<lxw_col_t>(c);
    if (Status s = Check(worksheet_set_column(sheet, column, column, widths[c], nullptr),
                         "column width");
        !s.ok()) {
      return s;
    }
  }

  lxw_row_t row = 0;
  for (size_t i = 0; i < texts.lines.size(); ++i, ++row) {
    if (Status s = Check(worksheet_write_string(sheet, row, 0, texts.lines[i].c_str(),
                                                i == 0 ? title : nullptr),
                         "a line");
        !s.ok()) {
      return s;
    }
  }
  if (!texts.lines.empty()) ++row;  // an empty row between the lines and the table
  const lxw_row_t header_row = row;
  for (size_t c = 0; c < texts.titles.size(); ++c) {
    if (Status s = Check(worksheet_write_string(sheet, row, static_cast<lxw_col_t>(c),
                                                texts.titles[c].c_str(), header),
                         "a column title");
        !s.ok()) {
      return s;
    }
  }
  ++row;
  for (size_t r = 0; r < texts.rows.size(); ++r, ++row) {
    lxw_format* format = book.rows()[r].total ? bold : nullptr;
    for (size_t c = 0; c < texts.rows[r].size(); ++c) {
      const std::string& cell = texts.rows[r][c];
      const auto column = static_cast<lxw_col_t>(c);
      lxw_error error = LXW_NO_ERROR;
      double number = 0;
      if (cell.empty()) {
        if (format != nullptr) error = worksheet_write_blank(sheet, row, column, format);
      } else if (book.columns()[c].kind == ColumnKind::kNumber && ParseNumber(cell, number)) {
        error = worksheet_write_number(sheet, row, column, number, format);
      } else {
        error = worksheet_write_string(sheet, row, column, cell.c_str(), format);
      }
      if (Status s = Check(error, "a cell"); !s.ok()) return s;
    }
  }
  if (!texts.titles.empty()) worksheet_freeze_panes(sheet, header_row + 1, 0);
  return Check(workbook_close(handle.release()), "writing the file");
}

}  // namespace

std::vector<double> ColumnWidths(const Workbook& book) {
  std::vector<double> widths(book.columns().size(), kMinColumnWidth);
  for (size_t c = 0; c < widths.size(); ++c) {
    widths[c] = std::max(widths[c], static_cast<double>(book.columns()[c].title.size()));
  }
  for (const WorkbookRow& row : book.rows()) {
    for (size_t c = 0; c < row.cells.size() && c < widths.size(); ++c) {
      widths[c] = std::max(widths[c], static_cast<double>(row.cells[c].size()));
    }
  }
  for (double& w : widths) w = std::min(w + kWidthPadding, kMaxColumnWidth);
  return widths;
}

Status WriteXlsx(const Workbook& book, const std::filesystem::path& path) {
  if (book.rows().size() + book.lines().size() + 2 > LXW_ROW_MAX) {
    return Status::InvalidArgument("workbook: more rows than a sheet holds");
  }
  Result<Utf8Book> texts = ConvertAll(book);
  if (!texts.ok()) return texts.status();
  return files::WriteFileThrough(
      path, [&](const std::filesystem::path& temp) { return Fill(book, *texts, temp); });
}

}  // namespace pcshop::xlsbridge
