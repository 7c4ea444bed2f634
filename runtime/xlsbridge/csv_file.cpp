#include "runtime/files/whole_file.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/xlsbridge/workbook_files.h"

namespace pcshop::xlsbridge {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool NeedsQuotes(std::string_view utf8) {
  return utf8.find_first_of(",\"\r\n") != std::string_view::npos ||
         (!utf8.empty() && (utf8.front() == ' ' || utf8.back() == ' '));
}

Status AppendField(std::string& out, std::string_view gbk, const std::string& where) {
  Result<std::string> utf8 = text::NamedGbkToUtf8("workbook", where, gbk);
  if (!utf8.ok()) return utf8.status();
  if (!NeedsQuotes(*utf8)) {
    out += *utf8;
    return Status::Ok();
  }
  out += '"';
  for (const char c : *utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return Status::Ok();
}

}  // namespace

Result<std::string> CsvBytes(const Workbook& book) {
  std::string out(kByteOrderMark);
  for (size_t i = 0; i < book.lines().size(); ++i) {
    if (Status s = AppendField(out, book.lines()[i], "line " + std::to_string(i + 1)); !s.ok()) {
      return s;
    }
    out += "\r\n";
  }
  if (!book.lines().empty()) out += "\r\n";
  const size_t columns = book.columns().size();
  for (size_t c = 0; c < columns; ++c) {
    if (c > 0) out += ',';
    if (Status s = AppendField(out, book.columns()[c].title,
                               "column title " + std::to_string(c + 1));
        !s.ok()) {
      return s;
    }
  }
  if (columns > 0) out += "\r\n";
  for (size_t r = 0; r < book.rows().size(); ++r) {
    const WorkbookRow& row = book.rows()[r];
    for (size_t c = 0; c < row.cells.size(); ++c) {
      if (c > 0) out += ',';
      if (Status s = AppendField(out, row.cells[c],
                                 "the cell in row " + std::to_string(r + 1) + ", column " +
                                     std::to_string(c + 1));
          !s.ok()) {
        return s;
      }
    }
    out += "\r\n";
  }
  return out;
}

Status WriteCsv(const Workbook& book, const std::filesystem::path& path) {
  Result<std::string> bytes = CsvBytes(book);
  if (!bytes.ok()) return bytes.status();
  return files::WriteFileAtomically(path, *bytes);
}

Status WriteWorkbook(const Workbook& book, const std::filesystem::path& path,
                     WorkbookFormat format) {
  switch (format) {
    case WorkbookFormat::kXlsx: return WriteXlsx(book, path);
    case WorkbookFormat::kCsv: return WriteCsv(book, path);
  }
  return Status::InvalidArgument("workbook: an unknown file format");
}

}  // namespace pcshop::xlsbridge
