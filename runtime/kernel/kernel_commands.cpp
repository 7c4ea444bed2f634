// The kernel commands: program, text, conversion, date-time, text files,
// table store and DLL bindings go to their services, windows and combo
// boxes to the window manager.

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "image/calls/value_triple.h"
#include "image/commands.h"
#include "runtime/files/native_path.h"
#include "runtime/files/program_folder.h"
#include "runtime/kernel/command_arguments.h"
#include "runtime/kernel/command_dispatch.h"
#include "runtime/kernel/backup_commands.h"
#include "runtime/kernel/chart_commands.h"
#include "runtime/kernel/document_commands.h"
#include "runtime/kernel/field_list_argument.h"
#include "runtime/kernel/stock_commands.h"
#include "runtime/kernel/runtime.h"
#include "runtime/kernel/runtime_memory.h"
#include "runtime/kernel/window_commands.h"
#include "runtime/text/binary_value.h"
#include "runtime/text/conversion.h"
#include "runtime/text/date_time.h"
#include "runtime/text/text_ops.h"

namespace pcshop::kernel {
namespace {

using calls::Int;
using calls::Logical;
using calls::TypeCode;
using calls::ValueTriple;
using image::KernelCommand;

ValueTriple Ok(const Status& s) { return Logical(s.ok()); }
// A table command's outcome, seen by the runtime first (a server out of reach).
ValueTriple Noted(Runtime& rt, const Status& s) {
  rt.NoteTables(s);
  return Logical(s.ok());
}

// The hot path of every record walk, kept apart from the other table commands.
ValueTriple ReadField(Runtime& rt, const CommandArguments& a) {
  // The view is copied straight into the caller's block.
  const Result<tables::FieldView> v = rt.tables().ReadFieldView(a.Text(0));
  if (!v.ok()) {
    rt.NoteTables(v.status());
    return {};  // untyped: a reader that needs a type reports fault 5
  }
  if (const auto* text = std::get_if<std::string_view>(&*v)) return TextResult(*text);
  // What fits in 32 bits stays an integer, so that readers of prices and
  // counts see the type they always saw.
  const int64_t n = std::get<int64_t>(*v);
  if (n >= INT32_MIN && n <= INT32_MAX) return Int(static_cast<int32_t>(n));
  return calls::Long(n);
}

// An append's values from argument `first` on, in field order; a left-out
// value is the field's empty value. Nothing when there are more than fields.
std::optional<std::vector<tables::FieldValue>> RecordValues(tables::TableStore& t,
                                                            const CommandArguments& a,
                                                            size_t first) {
  const Result<std::vector<tables::FieldSpec>> fields = t.Fields();
  if (!fields.ok() || first > a.size() || a.size() - first > fields->size()) return std::nullopt;
  std::vector<tables::FieldValue> values;
  for (size_t i = first; i < a.size(); ++i) {
    tables::OptionalValue v = a.FieldValue(i);
    if (!v) {
      v = (*fields)[i - first].type_code == tables::kIntegerField
              ? tables::FieldValue(0)
              : tables::FieldValue(std::string());
    }
    values.push_back(std::move(*v));
  }
  return values;
}

// What a table command answers once the server box was shown in this user
// action: the failure it would give, at once.
std::optional<ValueTriple> Barred(KernelCommand command) {
  switch (command) {
    case KernelCommand::kCreateTable:
    case KernelCommand::kOpenTable:
    case KernelCommand::kSelectTable:
    case KernelCommand::kGoFirst:
    case KernelCommand::kGoToRecord:
    case KernelCommand::kSkipRecords:
    case KernelCommand::kFindRecord:
    case KernelCommand::kAppendRecord:
    case KernelCommand::kModifyRecord:
    case KernelCommand::kDeleteRecord:
    case KernelCommand::kPurgeDeleted:
    case KernelCommand::kRemoveRecord: return Logical(false);
    case KernelCommand::kRecordCount: return Int(0);
    case KernelCommand::kAppendUniqueRecord: return Int(image::kAppendFailed);
    default: return std::nullopt;
  }
}

std::optional<ValueTriple> TableCommand(Runtime& rt, KernelCommand command, const CommandArguments& a) {
  tables::TableStore& t = rt.tables();
  if (rt.server_failure_said()) {
    if (std::optional<ValueTriple> barred = Barred(command)) return barred;
  }
  switch (command) {
    case KernelCommand::kCreateTable: {
      const std::vector<tables::FieldSpec> fields = FieldList(a.size() > 1 ? a[1] : ValueTriple{});
      return Noted(rt, t.CreateTable(a.Text(0), fields));
    }
    case KernelCommand::kOpenTable: {
      tables::OpenTableOptions options;
      for (size_t i = 0; i < options.size(); ++i) options[i] = a.FieldValue(2 + i);
      return Noted(rt, t.OpenTable(a.Text(0), a.Text(1), options));
    }
    case KernelCommand::kSelectTable: return Noted(rt, t.SelectTable(a.Text(0)));
    case KernelCommand::kCurrentTableName: return TextResult(t.CurrentTableName());
    case KernelCommand::kRecordCount: {
      const Result<int32_t> n = t.RecordCount();
      rt.NoteTables(n.status());
      return Int(n.ok() ? *n : 0);
    }
    case KernelCommand::kGoFirst: return Noted(rt, t.GoFirst());
    case KernelCommand::kGoToRecord: return Noted(rt, t.GoToRecord(a.Int(0)));
    case KernelCommand::kSkipRecords: return Noted(rt, t.SkipRecords(a.Int(0, 1)));
    case KernelCommand::kFindRecord: {
      if (a.size() < 1 || !a[0].is(TypeCode::kRoutineRef)) return Logical(false);
      const auto* reference = a[0].AsPointer<const calls::RoutineReference>();
      if (reference == nullptr || reference->routine == nullptr) return Logical(false);
      const Result<bool> found =
          t.FindRecord([&] { return rt.CallReference(*reference).low != 0; });
      rt.NoteTables(found.status());
      return Logical(found.ok() && *found);
    }
    case KernelCommand::kAppendRecord: {
      const std::optional<std::vector<tables::FieldValue>> values = RecordValues(t, a, 0);
      if (!values) return Logical(false);
      return Noted(rt, t.AppendRecord(*values));
    }
    case KernelCommand::kAppendUniqueRecord: {
      const int32_t keys = a.Int(0, -1);
      if (keys < 1 || static_cast<size_t>(keys) >= a.size()) return Int(image::kAppendFailed);
      std::vector<std::string> key_fields;
      for (size_t i = 1; i <= static_cast<size_t>(keys); ++i) {
        if (!a[i].is(TypeCode::kText)) return Int(image::kAppendFailed);
        key_fields.emplace_back(a.Text(i));
      }
      const std::optional<std::vector<tables::FieldValue>> values =
          RecordValues(t, a, static_cast<size_t>(keys) + 1);
      if (!values) return Int(image::kAppendFailed);
      const Result<bool> appended = t.AppendUniqueRecord(*values, key_fields);
      rt.NoteTables(appended.status());
      if (!appended.ok()) return Int(image::kAppendFailed);
      return Int(*appended ? image::kAppended : image::kSameKeyExists);
    }
    case KernelCommand::kModifyRecord: {
      std::vector<tables::OptionalValue> values;
      for (size_t i = 0; i < a.size(); ++i) values.push_back(a.FieldValue(i));
      return Noted(rt, t.ModifyRecord(values));
    }
    case KernelCommand::kDeleteRecord: return Noted(rt, t.DeleteRecord());
    case KernelCommand::kPurgeDeleted: return Noted(rt, t.PurgeDeleted());
    case KernelCommand::kRemoveRecord: return Noted(rt, t.RemoveRecord());
    default: return std::nullopt;
  }
}

std::optional<ValueTriple> FileCommand(Runtime& rt, KernelCommand command, const CommandArguments& a) {
  files::TextFiles& f = rt.text_files();
  switch (command) {
    case KernelCommand::kOpenTextFile: {
      const Result<int32_t> n = f.OpenTextFile(a.Text(0), a.Int(1), a.Int(2));
      return Int(n.ok() ? *n : 0);
    }
    case KernelCommand::kSeekFile: {
      // SeekFile(file, [origin 0 start / 1 current / 2 end], [offset]); the
      // file alone moves to the end.
      files::SeekOrigin origin = files::SeekOrigin::kEnd;
      if (a.Given(1)) {
        const int32_t o = a.Int(1);
        if (o < 0 || o > 2) return Logical(false);
        origin = static_cast<files::SeekOrigin>(o);
      }
      return Logical(f.SeekFile(a.Int(0), origin, a.Int(2)).ok());
    }
    case KernelCommand::kWriteTextLine: return Ok(f.WriteTextLine(a.Int(0), a.Text(1)));
    case KernelCommand::kCloseTextFile: return Ok(f.CloseTextFile(a.Int(0)));
    case KernelCommand::kFileExists: return Logical(f.FileExists(a.Text(0)));
    case KernelCommand::kPlatformPath: {
      // The native path back in GBK: what the user finds on disk.
      const Result<std::filesystem::path> native = files::ToNativePath(a.Text(0));
      if (!native.ok()) return TextResult("");
      const Result<std::string> shown = files::ToTextPath(*native);
      return TextResult(shown.ok() ? std::string_view(*shown) : std::string_view());
    }
    default: return std::nullopt;
  }
}

std::optional<ValueTriple> TextCommand(Runtime& rt, KernelCommand command, const CommandArguments& a) {
  switch (command) {
    case KernelCommand::kTextLength: return Int(text::TextLength(a.Text(0)));
    case KernelCommand::kLeftText: return TextResult(text::LeftText(a.Text(0), a.Int(1)));
    case KernelCommand::kRightText: return TextResult(text::RightText(a.Text(0), a.Int(1)));
    case KernelCommand::kMidText:
      return TextResult(text::MidText(a.Text(0), a.Int(1), a.Int(2)));
    case KernelCommand::kCharCode: return Int(text::CharCode(a.Text(0), a.Int(1, 1)));
    case KernelCommand::kConvertText: {
      const Result<const text::PinyinReader*> reader = rt.pinyin();
      if (!reader.ok()) return TextResult("");
      const Result<std::string> converted = text::ConvertText(**reader, a.Text(0), a.Int(1));
      return TextResult(converted.ok() ? std::string_view(*converted) : std::string_view());
    }
    case KernelCommand::kNormalizeText: return TextResult(text::NormalizeText(a.Text(0)));
    case KernelCommand::kToText:
      if (a.Given(0) && (a[0].is(TypeCode::kDouble) || a[0].is(TypeCode::kDateTime))) {
        return TextResult(text::ToText(a.Double(0)));
      }
      if (a.Given(0) && a[0].is(TypeCode::kLongInteger)) {
        return TextResult(text::ToText(a[0].AsLong()));
      }
      return TextResult(text::ToText(a.Int(0)));
    case KernelCommand::kTextToInt: return Int(text::TextToInt(a.Text(0)));
    case KernelCommand::kTextToLong: {
      const std::optional<int64_t> n = text::TextToLong(a.Text(0));
      return n ? calls::Long(*n) : ValueTriple{};
    }
    case KernelCommand::kMakeTextBuffer: {
      const Result<std::string> buffer = text::MakeTextBuffer(a.Int(0));
      return buffer.ok() ? TextResult(*buffer) : TextResult("");
    }
    case KernelCommand::kBinaryLength: {
      if (!a.Given(0) || !a[0].is(TypeCode::kBinary) || a[0].wide() == 0) return Int(0);
      // The length word bounds the value; BinaryBytes checks marker and length.
      const auto* value = a[0].AsPointer<const char>();
      uint32_t length = 0;
      std::memcpy(&length, value + 4, 4);
      const Result<int32_t> n =
          text::BinaryLength(std::string_view(value, text::kBinaryHeaderSize + size_t{length}));
      return Int(n.ok() ? *n : 0);
    }
    default: return std::nullopt;
  }
}

std::optional<ValueTriple> DateCommand(KernelCommand command, const CommandArguments& a) {
  switch (command) {
    case KernelCommand::kNow: return calls::DateTime(text::Now());
    case KernelCommand::kDateToText: return TextResult(text::DateToText(a.Double(0), a.Int(1, 1)));
    case KernelCommand::kGetYear: return Int(text::GetYear(a.Double(0)));
    case KernelCommand::kGetMonth: return Int(text::GetMonth(a.Double(0)));
    case KernelCommand::kGetDay: return Int(text::GetDay(a.Double(0)));
    case KernelCommand::kGetHour: return Int(text::GetHour(a.Double(0)));
    case KernelCommand::kGetMinute: return Int(text::GetMinute(a.Double(0)));
    default: return std::nullopt;
  }
}

}  // namespace

ValueTriple DispatchKernelCommand(Runtime& rt, uint32_t number,
                                  std::span<const ValueTriple> arguments) {
  const image::CommandInfo* info = image::FindKernelCommand(number);
  if (!info) {
    rt.NotAvailable("kernel command " + std::to_string(number));
    return {};
  }
  const CommandArguments a(arguments);
  const auto command = static_cast<KernelCommand>(number);
  if (command == KernelCommand::kReadField) return ReadField(rt, a);
  if (auto r = TableCommand(rt, command, a)) return *r;
  if (auto r = StockTableCommand(rt, command, a)) return *r;
  if (auto r = TextCommand(rt, command, a)) return *r;
  if (auto r = DateCommand(command, a)) return *r;
  if (auto r = FileCommand(rt, command, a)) return *r;
  if (auto r = WindowCommand(rt, command, a)) return *r;
  if (auto r = DocumentCommand(rt, command, a)) return *r;
  if (auto r = BackupCommand(rt, command, a)) return *r;
  if (auto r = ChartCommand(rt, command, a)) return *r;
  switch (command) {
    case KernelCommand::kProgramFolder: {
      // Where DATA and 备份 lie: beside the program, or in the user's data
      // folder when the program's own cannot be written.
      const Result<std::string> folder = files::DataKeepingFolder();
      return TextResult(folder.ok() ? std::string_view(*folder) : std::string_view());
    }
    case KernelCommand::kBindDllLibrary: {
      const Status s = rt.dll_bindings().BindDllLibrary(a.Text(0), a.Text(1));
      return Ok(s);
    }
    default:
      // Window commands before an image is loaded.
      rt.NotAvailable(info->name);
      return {};
  }
}

}  // namespace pcshop::kernel
