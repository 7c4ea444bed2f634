#include "runtime/kernel/workbook_commands.h"

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/files/native_path.h"
#include "runtime/kernel/runtime.h"
#include "runtime/xlsbridge/workbook_files.h"

namespace pcshop::kernel {
namespace {

using calls::Logical;
using calls::TypeCode;
using calls::ValueTriple;
using image::LibraryCommand;

constexpr size_t kFirstCell = 2;  // AddWorkbookRow(workbook, style, cells...)
constexpr auto kBookType = static_cast<uint32_t>(calls::TypeId::kSpreadsheetBook);

ValueTriple Ok(const Status& s) { return Logical(s.ok()); }

int32_t BookNumber(const CommandArguments& a) {
  if (a.size() < 1) return 0;
  if (a[0].type == kBookType) return a[0].AsInt();
  return a.Int(0);
}

std::optional<std::vector<std::string>> Cells(const CommandArguments& a) {
  std::vector<std::string> cells;
  for (size_t i = kFirstCell; i < a.size(); ++i) {
    if (a.Given(i) && !a[i].is(TypeCode::kText)) return std::nullopt;
    cells.emplace_back(a.Text(i));
  }
  return cells;
}

Status Save(const xlsbridge::Workbook& book, std::string_view gbk_path, int32_t format) {
  if (format != static_cast<int32_t>(xlsbridge::WorkbookFormat::kXlsx) &&
      format != static_cast<int32_t>(xlsbridge::WorkbookFormat::kCsv)) {
    return Status::InvalidArgument("workbook: file format " + std::to_string(format));
  }
  Result<std::filesystem::path> path = files::ToNativePath(gbk_path);
  if (!path.ok()) return path.status();
  return xlsbridge::WriteWorkbook(book, *path, static_cast<xlsbridge::WorkbookFormat>(format));
}

}  // namespace

ValueTriple WorkbookCommand(Runtime& rt, LibraryCommand command, const CommandArguments& a) {
  xlsbridge::Workbooks& books = rt.workbooks();
  if (command == LibraryCommand::kNewWorkbook) {
    return ValueTriple{static_cast<uint32_t>(books.Open(a.Text(0))), 0, kBookType};
  }
  if (command == LibraryCommand::kCloseWorkbook) {
    books.Close(BookNumber(a));
    return {};
  }
  xlsbridge::Workbook* book = books.Find(BookNumber(a));
  if (book == nullptr) return Logical(false);
  switch (command) {
    case LibraryCommand::kAddWorkbookLine: return Ok(book->AddLine(a.Text(1)));
    case LibraryCommand::kAddWorkbookColumn:
      return Ok(book->AddColumn(a.Text(1), static_cast<xlsbridge::ColumnKind>(a.Int(2))));
    case LibraryCommand::kAddWorkbookRow: {
      std::optional<std::vector<std::string>> cells = Cells(a);
      if (!cells) return Logical(false);
      return Ok(book->AddRow(std::move(*cells), a.Int(1) == 1));
    }
    case LibraryCommand::kSaveWorkbook: return Ok(Save(*book, a.Text(1), a.Int(2)));
    default: return Logical(false);
  }
}

}  // namespace pcshop::kernel
