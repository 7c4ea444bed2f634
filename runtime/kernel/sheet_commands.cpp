#include "runtime/kernel/sheet_commands.h"

#include "runtime/files/native_path.h"
#include "runtime/kernel/runtime.h"
#include "runtime/kernel/runtime_memory.h"
#include "runtime/text/gbk_codec.h"

namespace pcshop::kernel {
namespace {

using calls::ValueTriple;
using image::LibraryCommand;
using image::SheetInfo;

ValueTriple Integer(int64_t v) { return calls::Int(static_cast<int32_t>(v)); }

// Reader messages are UTF-8 and always GBK-safe but for a file name.
ValueTriple GbkText(const std::string& utf8) {
  Result<std::string> gbk = text::Utf8ToGbk(utf8);
  return TextResult(gbk.ok() ? std::string_view(*gbk) : std::string_view("?"));
}

const xlsbridge::SheetRow* Row(const xlsbridge::SheetData& data, int32_t row) {
  if (row < 0 || static_cast<size_t>(row) >= data.rows.size()) return nullptr;
  return &data.rows[static_cast<size_t>(row)];
}

int32_t Info(const xlsbridge::SheetData& data, SheetInfo what) {
  switch (what) {
    case SheetInfo::kRows: return static_cast<int32_t>(data.rows.size());
    case SheetInfo::kColumns: return static_cast<int32_t>(data.columns);
    case SheetInfo::kEncoding:
      return data.kind == xlsbridge::SheetFileKind::kXlsx ? 0
                                                         : static_cast<int32_t>(data.encoding);
    case SheetInfo::kSheets: return static_cast<int32_t>(data.sheet_names.size());
    case SheetInfo::kKind: return static_cast<int32_t>(data.kind);
    case SheetInfo::kSheet: return data.sheet;
  }
  return 0;
}

}  // namespace

bool IsSheetCommand(LibraryCommand command) {
  const auto value = static_cast<uint32_t>(command);
  return value >= static_cast<uint32_t>(LibraryCommand::kOpenSheetFile) &&
         value <= static_cast<uint32_t>(LibraryCommand::kCloseSheetFile);
}

ValueTriple SheetCommand(Runtime& rt, LibraryCommand command, const CommandArguments& a) {
  xlsbridge::SheetFiles& files = rt.sheet_files();
  if (command == LibraryCommand::kOpenSheetFile) {
    Result<std::filesystem::path> path = files::ToNativePath(a.Text(0));
    if (!path.ok()) return Integer(files.Add(Status::InvalidArgument("文件名无法使用。")));
    return Integer(files.Add(xlsbridge::ReadSheetFile(
        *path, static_cast<xlsbridge::TextEncoding>(a.Int(1)), a.Int(2))));
  }
  if (command == LibraryCommand::kCloseSheetFile) {
    files.Close(a.Int(0));
    return {};
  }
  const xlsbridge::SheetFile* file = files.Find(a.Int(0));
  const bool is_text = command == LibraryCommand::kSheetFileMessage ||
                       command == LibraryCommand::kSheetCell ||
                       command == LibraryCommand::kSheetRowProblem ||
                       command == LibraryCommand::kSheetName;
  if (file == nullptr) return is_text ? TextResult("") : Integer(0);
  if (command == LibraryCommand::kSheetFileMessage) {
    return GbkText(file->data.ok() ? std::string() : file->data.status().message());
  }
  if (!file->data.ok()) return is_text ? TextResult("") : Integer(0);
  const xlsbridge::SheetData& data = *file->data;
  switch (command) {
    case LibraryCommand::kSheetFileInfo: return Integer(Info(data, static_cast<SheetInfo>(a.Int(1))));
    case LibraryCommand::kSheetCell: {
      const xlsbridge::SheetRow* row = Row(data, a.Int(1));
      const int32_t column = a.Int(2);
      if (row == nullptr || column < 0 || static_cast<size_t>(column) >= row->cells.size()) {
        return TextResult("");
      }
      return TextResult(row->cells[static_cast<size_t>(column)]);
    }
    case LibraryCommand::kSheetRowProblem: {
      const xlsbridge::SheetRow* row = Row(data, a.Int(1));
      return row == nullptr ? TextResult("") : GbkText(row->problem);
    }
    case LibraryCommand::kSheetRowNumber: {
      const xlsbridge::SheetRow* row = Row(data, a.Int(1));
      return Integer(row == nullptr ? 0 : row->number);
    }
    case LibraryCommand::kSheetName: {
      const int32_t i = a.Int(1);
      if (i < 0 || static_cast<size_t>(i) >= data.sheet_names.size()) return TextResult("");
      return TextResult(data.sheet_names[static_cast<size_t>(i)]);
    }
    default: return Integer(0);
  }
}

}  // namespace pcshop::kernel
