#include "image/calls/calls.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "image/link_table.h"

namespace pcshop::calls {
namespace {

using image::EntryPoint;
using image::KernelCommand;
using image::LibraryCommand;

constexpr char kEmptyText[] = "";
// Marker 1, length 0: the empty binary value.
constexpr uint32_t kEmptyBinary[2] = {1, 0};
constexpr size_t kStubBytes = image::kStubOrder.size() * image::kSlotSize;


// The nested routine behind FindRecord's C++ condition: the frame is the
// condition itself.
void ConditionTrampoline(const RoutineCall& call) {
  const auto* condition = static_cast<const std::function<bool()>*>(call.frame);
  if (call.result != nullptr) *call.result = Logical((*condition)());
}

}  // namespace

Calls::Calls(std::span<uint8_t> code, EmptyValues empty)
    : code_(code),
      empty_{empty.text != nullptr ? empty.text : kEmptyText,
             empty.binary != nullptr ? empty.binary : kEmptyBinary} {
  if (code.size() < kStubBytes) return;  // the runtime never hands out such code
  const size_t first = code.size() - kStubBytes;
  for (size_t i = 0; i < image::kStubOrder.size(); ++i) {
    uint64_t entry_address = 0;
    std::memcpy(&entry_address, code.data() + first + i * image::kSlotSize, 8);
    if (entry_address == 0) continue;
    entries_[image::EntryIndex(image::kStubOrder[i])] =
        *reinterpret_cast<const uintptr_t*>(static_cast<uintptr_t>(entry_address));
  }
}

uint64_t Calls::Slot(uint32_t code_offset) const {
  uint64_t v = 0;
  if (static_cast<size_t>(code_offset) + 8 <= code_.size()) {
    std::memcpy(&v, code_.data() + code_offset, 8);
  }
  return v;
}
const char* Calls::ConstText(uint32_t code_offset) const {
  const auto* p = reinterpret_cast<const char*>(static_cast<uintptr_t>(Slot(code_offset)));
  return p != nullptr ? p : empty_.text;
}
const void* Calls::ConstBinary(uint32_t code_offset) const {
  const auto* p = reinterpret_cast<const void*>(static_cast<uintptr_t>(Slot(code_offset)));
  return p != nullptr ? p : empty_.binary;
}
double Calls::ConstDouble(uint32_t code_offset) const {
  double d = 0;
  if (const auto* p = reinterpret_cast<const void*>(static_cast<uintptr_t>(Slot(code_offset)))) {
    std::memcpy(&d, p, sizeof d);  // doubles lie unaligned in the const data
  }
  return d;
}
uint32_t Calls::Id(uint32_t code_offset) const { return static_cast<uint32_t>(Slot(code_offset)); }
uintptr_t* Calls::Var(uint32_t code_offset) const {
  return reinterpret_cast<uintptr_t*>(static_cast<uintptr_t>(Slot(code_offset)));
}
const void* Calls::CodeAddress(uint32_t code_offset) const {
  return reinterpret_cast<const void*>(static_cast<uintptr_t>(Slot(code_offset)));
}

ValueTriple Calls::Sanitize(const ValueTriple& t) const {
  if (t.wide() != 0) return t;
  if (t.is(TypeCode::kText)) return Text(empty_.text);
  if (t.is(TypeCode::kBinary)) return Binary(empty_.binary);
  return t;
}
ValueTriple Calls::Arg(const char* text) const { return Sanitize(Text(text)); }
ValueTriple Calls::BinaryArg(const void* binary) const { return Sanitize(Binary(binary)); }

ValueTriple Calls::Counted(const image::CommandInfo& info, std::span<const ValueTriple> arguments,
                           bool library) {
  const size_t count = info.parameters == image::kVariadic
                           ? arguments.size()
                           : static_cast<size_t>(info.parameters);
  // Fixed lists are short; only the appends and ModifyRecord need the heap.
  std::array<ValueTriple, 8> small{};
  std::vector<ValueTriple> large;
  ValueTriple* triples = small.data();
  if (count > small.size()) {
    large.resize(count);
    triples = large.data();
  }
  const size_t given = std::min(count, arguments.size());
  for (size_t i = 0; i < given; ++i) triples[i] = Sanitize(arguments[i]);
  // Arguments past `given` stay omitted triples (three zero words).
  ValueTriple result;
  if (library) {
    Entry<CallLibraryCommandFn>(EntryPoint::kCallLibraryCommand)(
        info.library, info.number, &result, static_cast<uint32_t>(count), triples);
  } else {
    Entry<CallKernelCommandFn>(EntryPoint::kCallKernelCommand)(
        info.number, &result, static_cast<uint32_t>(count), triples);
  }
  return result;
}

ValueTriple Calls::Kernel(KernelCommand command, std::span<const ValueTriple> arguments) {
  return Counted(image::Info(command), arguments, false);
}
ValueTriple Calls::Library(LibraryCommand command, std::span<const ValueTriple> arguments) {
  return Counted(image::Info(command), arguments, true);
}

uint64_t Calls::Dll(uint32_t index, std::span<const uintptr_t> words, Site site) {
  uint32_t taken = 0;
  const uint64_t result = Entry<CallDllCommandFn>(EntryPoint::kCallDllCommand)(
      index, words.data(), static_cast<uint32_t>(words.size()), &taken);
  if (taken != words.size()) {
    ReportRuntimeError(FaultKind::kStackMovedByDllCall, site);
    return 0;
  }
  return result;
}

uint64_t Calls::GetProperty(uint32_t window, uint32_t control, int32_t property,
                            int32_t element) {
  return Entry<GetPropertyFn>(EntryPoint::kGetProperty)(window, control, property, element);
}
void Calls::SetProperty(uint32_t window, uint32_t control, int32_t property, uint64_t value,
                        int32_t element) {
  Entry<SetPropertyFn>(EntryPoint::kSetProperty)(window, control, property, element, value);
}
void* Calls::AllocateMemory(uint32_t size) {
  return Entry<AllocateMemoryFn>(EntryPoint::kAllocateMemory)(size);
}
void Calls::FreeMemory(void* block) { Entry<FreeMemoryFn>(EntryPoint::kFreeMemory)(block); }
void Calls::ExitProgram(int32_t code) { Entry<ExitProgramFn>(EntryPoint::kExitProgram)(code); }
void Calls::RunMessageLoop() { Entry<RunMessageLoopFn>(EntryPoint::kRunMessageLoop)(); }
void Calls::LoadStartWindow(uint32_t window) {
  Entry<LoadStartWindowFn>(EntryPoint::kLoadStartWindow)(window);
}
void Calls::RegisterExitRoutine(const void* routine_slot) {
  Entry<RegisterExitRoutineFn>(EntryPoint::kRegisterExitRoutine)(routine_slot,
                                                                 kExitRoutineSelector);
}
void Calls::ReportRuntimeError(FaultKind kind, Site site) {
  Entry<ReportRuntimeErrorFn>(EntryPoint::kReportRuntimeError)(static_cast<int32_t>(kind),
                                                               site.routine, site.position);
}

OwnedText Calls::TakeText(const ValueTriple& result) const {
  return OwnedText(Entry<FreeMemoryFn>(EntryPoint::kFreeMemory),
                   result.is(TypeCode::kText) ? result.AsPointer<void>() : nullptr);
}
OwnedBinary Calls::TakeBinary(const ValueTriple& result) const {
  return OwnedBinary(Entry<FreeMemoryFn>(EntryPoint::kFreeMemory),
                     result.is(TypeCode::kBinary) ? result.AsPointer<void>() : nullptr);
}
void Calls::Discard(const ValueTriple& result) {
  if (result.is(TypeCode::kText) || result.is(TypeCode::kBinary)) {
    FreeMemory(result.AsPointer<void>());
  }
}

uint64_t Calls::ArrayElement(const void* array, uint32_t index, Site site) {
  uint64_t count = 0;
  uint32_t dimensions = 0;
  const auto* bytes = static_cast<const uint8_t*>(array);
  if (bytes != nullptr) {
    std::memcpy(&dimensions, bytes, 4);
    count = dimensions == 0 ? 0 : 1;
    for (uint32_t d = 0; d < dimensions; ++d) {
      uint32_t size = 0;
      std::memcpy(&size, bytes + 4 + 4 * static_cast<size_t>(d), 4);
      count *= size;
      if (count > UINT32_MAX) count = UINT32_MAX;  // no index reaches further
    }
  }
  if (index >= count) {
    ReportRuntimeError(FaultKind::kIndexOutOfRange, site);
    return 0;
  }
  uint64_t element = 0;
  std::memcpy(&element, bytes + ArrayElementsOffset(dimensions) + 8 * static_cast<size_t>(index),
              8);
  return element;
}

// --- Program and windows.
OwnedText Calls::ProgramFolder() { return TakeText(Kernel(KernelCommand::kProgramFolder, {})); }
OwnedText Calls::PlatformPath(const char* path) {
  return TakeText(Kernel(KernelCommand::kPlatformPath, {Arg(path)}));
}
bool Calls::LoadWindow(uint32_t window, bool modal) {
  return Kernel(KernelCommand::kLoadWindow,
                {Object(window, 0, static_cast<uint32_t>(TypeId::kWindow)), Omitted(),
                 Logical(modal)})
             .low != 0;
}
void Calls::UnloadWindow(uint32_t window) {
  Kernel(KernelCommand::kUnloadWindow, {Object(window, 0, static_cast<uint32_t>(TypeId::kWindow))});
}
uintptr_t Calls::GetControlHandle(const ValueTriple& object) {
  return static_cast<uintptr_t>(Kernel(KernelCommand::kGetControlHandle, {object}).wide());
}
void Calls::FocusControl(const ValueTriple& object) {
  Kernel(KernelCommand::kFocusControl, {object});
}
bool Calls::ShowFileDialog(const ValueTriple& object) {
  return Kernel(KernelCommand::kShowFileDialog, {object}).low != 0;
}
int32_t Calls::MessageBox(const char* text, int32_t buttons) {
  return Kernel(KernelCommand::kMessageBox, {Arg(text), Int(buttons)}).AsInt();
}

// --- Combo box and list view.
int32_t Calls::GetComboCount(const ValueTriple& object) {
  return Kernel(KernelCommand::kGetComboCount, {object}).AsInt();
}
OwnedText Calls::GetComboItem(const ValueTriple& object, int32_t index) {
  return TakeText(Kernel(KernelCommand::kGetComboItem, {object, Int(index)}));
}
int32_t Calls::AddComboItem(const ValueTriple& object, const char* text) {
  return Kernel(KernelCommand::kAddComboItem, {object, Arg(text)}).AsInt();
}
void Calls::DeleteComboItem(const ValueTriple& object, int32_t index) {
  Kernel(KernelCommand::kDeleteComboItem, {object, Int(index)});
}
void Calls::ClearCombo(const ValueTriple& object) { Kernel(KernelCommand::kClearCombo, {object}); }
void Calls::SetComboText(const ValueTriple& object, const char* text) {
  Kernel(KernelCommand::kSetComboText, {object, Arg(text)});
}
void Calls::ShowDropRows(const ValueTriple& object, int32_t columns,
                         std::span<const char* const> cells) {
  std::vector<ValueTriple> arguments;
  arguments.reserve(2 + cells.size());
  arguments.push_back(object);
  arguments.push_back(Int(columns));
  for (const char* cell : cells) arguments.push_back(Arg(cell));
  Kernel(KernelCommand::kShowDropRows, arguments);
}
void Calls::HideDropRows(const ValueTriple& object) {
  Kernel(KernelCommand::kHideDropRows, {object});
}
OwnedText Calls::GetListCell(const ValueTriple& object, int32_t row, int32_t column) {
  return TakeText(Library(LibraryCommand::kGetListCell, {object, Int(row), Int(column)}));
}
bool Calls::SetListCell(const ValueTriple& object, int32_t row, int32_t column,
                        const char* text) {
  return Library(LibraryCommand::kSetListCell, {object, Int(row), Int(column), Arg(text)}).low !=
         0;
}
int32_t Calls::GetListRowCount(const ValueTriple& object) {
  return Library(LibraryCommand::kGetListRowCount, {object}).AsInt();
}
int32_t Calls::InsertListRow(const ValueTriple& object, int32_t row) {
  return Library(LibraryCommand::kInsertListRow, {object, Int(row)}).AsInt();
}
void Calls::ClearList(const ValueTriple& object) { Library(LibraryCommand::kClearList, {object}); }
int32_t Calls::GetColumnWidth(const ValueTriple& object, int32_t column) {
  return Library(LibraryCommand::kGetColumnWidth, {object, Int(column)}).AsInt();
}

// --- Text and conversion.
int32_t Calls::TextLength(const char* text) {
  return Kernel(KernelCommand::kTextLength, {Arg(text)}).AsInt();
}
OwnedText Calls::LeftText(const char* text, int32_t count) {
  return TakeText(Kernel(KernelCommand::kLeftText, {Arg(text), Int(count)}));
}
OwnedText Calls::RightText(const char* text, int32_t count) {
  return TakeText(Kernel(KernelCommand::kRightText, {Arg(text), Int(count)}));
}
OwnedText Calls::MidText(const char* text, int32_t start, int32_t length) {
  return TakeText(Kernel(KernelCommand::kMidText, {Arg(text), Int(start), Int(length)}));
}
int32_t Calls::CharCode(const char* text, int32_t position) {
  return Kernel(KernelCommand::kCharCode, {Arg(text), Int(position)}).AsInt();
}
OwnedText Calls::ConvertText(const char* text, int32_t mode) {
  return TakeText(Kernel(KernelCommand::kConvertText, {Arg(text), Int(mode)}));
}
OwnedText Calls::NormalizeText(const char* text) {
  return TakeText(Kernel(KernelCommand::kNormalizeText, {Arg(text)}));
}
OwnedText Calls::ToText(int32_t value) {
  return TakeText(Kernel(KernelCommand::kToText, {Int(value)}));
}
OwnedText Calls::ToText(int64_t value) {
  return TakeText(Kernel(KernelCommand::kToText, {Long(value)}));
}
OwnedText Calls::ToText(double value) {
  return TakeText(Kernel(KernelCommand::kToText, {Double(value)}));
}
int32_t Calls::TextToInt(const char* text) {
  return Kernel(KernelCommand::kTextToInt, {Arg(text)}).AsInt();
}
std::optional<int64_t> Calls::TextToLong(const char* text) {
  const ValueTriple v = Kernel(KernelCommand::kTextToLong, {Arg(text)});
  if (!v.is(TypeCode::kLongInteger)) return std::nullopt;
  return v.AsLong();
}
OwnedText Calls::MakeTextBuffer(int32_t size) {
  return TakeText(Kernel(KernelCommand::kMakeTextBuffer, {Int(size)}));
}
int32_t Calls::BinaryLength(const void* binary) {
  return Kernel(KernelCommand::kBinaryLength, {BinaryArg(binary)}).AsInt();
}

// --- Date-time.
double Calls::Now() { return Kernel(KernelCommand::kNow, {}).AsDouble(); }
OwnedText Calls::DateToText(double value, int32_t form) {
  return TakeText(Kernel(KernelCommand::kDateToText, {DateTime(value), Int(form)}));
}
int32_t Calls::GetYear(double value) {
  return Kernel(KernelCommand::kGetYear, {DateTime(value)}).AsInt();
}
int32_t Calls::GetMonth(double value) {
  return Kernel(KernelCommand::kGetMonth, {DateTime(value)}).AsInt();
}
int32_t Calls::GetDay(double value) {
  return Kernel(KernelCommand::kGetDay, {DateTime(value)}).AsInt();
}
int32_t Calls::GetHour(double value) {
  return Kernel(KernelCommand::kGetHour, {DateTime(value)}).AsInt();
}
int32_t Calls::GetMinute(double value) {
  return Kernel(KernelCommand::kGetMinute, {DateTime(value)}).AsInt();
}

// --- Text files.
int32_t Calls::OpenTextFile(const char* path, int32_t mode, int32_t share) {
  return Kernel(KernelCommand::kOpenTextFile, {Arg(path), Int(mode), Int(share)}).AsInt();
}
bool Calls::SeekFile(int32_t file) {
  return Kernel(KernelCommand::kSeekFile, {Int(file)}).low != 0;
}
bool Calls::WriteTextLine(int32_t file, const char* text) {
  return Kernel(KernelCommand::kWriteTextLine, {Int(file), Arg(text)}).low != 0;
}
bool Calls::CloseTextFile(int32_t file) {
  return Kernel(KernelCommand::kCloseTextFile, {Int(file)}).low != 0;
}
bool Calls::FileExists(const char* path) {
  return Kernel(KernelCommand::kFileExists, {Arg(path)}).low != 0;
}

// --- Table store.
bool Calls::CreateTable(const char* path, std::span<const FieldRecord> fields) {
  // A one-dimensional array value of record addresses.
  static_assert(ArrayElementsOffset(1) == 8);
  std::vector<uint64_t> array;
  array.reserve(1 + fields.size());
  array.push_back(1 | (static_cast<uint64_t>(fields.size()) << 32));
  for (const FieldRecord& field : fields) array.push_back(reinterpret_cast<uintptr_t>(&field));
  return Kernel(KernelCommand::kCreateTable,
                {Arg(path), LibraryValue(array.data(), TypeId::kFieldList)})
             .low != 0;
}
bool Calls::OpenTable(const char* path, const char* alias) {
  return Kernel(KernelCommand::kOpenTable, {Arg(path), Arg(alias)}).low != 0;
}
bool Calls::SelectTable(const char* alias_or_path) {
  return Kernel(KernelCommand::kSelectTable, {Arg(alias_or_path)}).low != 0;
}
OwnedText Calls::CurrentTableName() {
  return TakeText(Kernel(KernelCommand::kCurrentTableName, {}));
}
int32_t Calls::RecordCount() { return Kernel(KernelCommand::kRecordCount, {}).AsInt(); }
bool Calls::GoFirst() { return Kernel(KernelCommand::kGoFirst, {}).low != 0; }
bool Calls::GoToRecord(int32_t number) {
  return Kernel(KernelCommand::kGoToRecord, {Int(number)}).low != 0;
}
bool Calls::SkipRecords(int32_t count) {
  return Kernel(KernelCommand::kSkipRecords, {Int(count)}).low != 0;
}
ValueTriple Calls::ReadField(const char* name) {
  return Kernel(KernelCommand::kReadField, {Arg(name)});
}
OwnedText Calls::ReadFieldText(const char* name, Site site) {
  const ValueTriple v = ReadField(name);
  if (v.is(TypeCode::kText)) return TakeText(v);
  ReportRuntimeError(FaultKind::kWrongValueType, site);
  Discard(v);
  return TakeText(Omitted());
}
int32_t Calls::ReadFieldInt(const char* name, Site site) {
  const ValueTriple v = ReadField(name);
  if (v.is(TypeCode::kInteger)) return v.AsInt();
  ReportRuntimeError(FaultKind::kWrongValueType, site);
  if (v.is(TypeCode::kText) || v.is(TypeCode::kBinary)) {
    Discard(v);
    return 0;
  }
  return v.AsInt();
}
int64_t Calls::ReadFieldLong(const char* name, Site site) {
  const ValueTriple v = ReadField(name);
  if (v.is(TypeCode::kInteger)) return v.AsInt();
  if (v.is(TypeCode::kLongInteger)) return v.AsLong();
  ReportRuntimeError(FaultKind::kWrongValueType, site);
  if (v.is(TypeCode::kText) || v.is(TypeCode::kBinary)) Discard(v);
  return 0;
}
bool Calls::FindRecord(const std::function<bool()>& condition) {
  // The reference lives in this frame for the whole call, as a nested
  // routine's reference lives in its maker's frame.
  const RoutineReference reference{&ConditionTrampoline,
                                   const_cast<std::function<bool()>*>(&condition)};
  return Kernel(KernelCommand::kFindRecord, {Reference(&reference)}).low != 0;
}
bool Calls::AppendRecord(std::span<const ValueTriple> values) {
  return Kernel(KernelCommand::kAppendRecord, values).low != 0;
}
bool Calls::ModifyRecord(std::span<const ValueTriple> values) {
  return Kernel(KernelCommand::kModifyRecord, values).low != 0;
}
bool Calls::DeleteRecord() { return Kernel(KernelCommand::kDeleteRecord, {}).low != 0; }
bool Calls::PurgeDeleted() { return Kernel(KernelCommand::kPurgeDeleted, {}).low != 0; }
bool Calls::RemoveRecord() { return Kernel(KernelCommand::kRemoveRecord, {}).low != 0; }
Calls::AppendOutcome Calls::AppendUniqueRecord(std::span<const char* const> key_fields,
                                               std::span<const ValueTriple> values) {
  std::vector<ValueTriple> arguments;
  arguments.reserve(1 + key_fields.size() + values.size());
  arguments.push_back(Int(static_cast<int32_t>(key_fields.size())));
  for (const char* field : key_fields) arguments.push_back(Arg(field));
  arguments.insert(arguments.end(), values.begin(), values.end());
  switch (Kernel(KernelCommand::kAppendUniqueRecord, arguments).AsInt()) {
    case image::kAppended: return AppendOutcome::kAppended;
    case image::kSameKeyExists: return AppendOutcome::kSameKeyExists;
    default: return AppendOutcome::kFailed;
  }
}

// --- DLL commands.
bool Calls::BindDllLibrary(const char* path, const char* function) {
  return Kernel(KernelCommand::kBindDllLibrary, {Arg(path), Arg(function)}).low != 0;
}

// --- Documents.
namespace {
// Variadic row commands: the leading arguments, then one text per cell.
std::vector<ValueTriple> RowArguments(std::initializer_list<ValueTriple> leading,
                                      std::span<const char* const> cells) {
  std::vector<ValueTriple> arguments(leading);
  arguments.reserve(leading.size() + cells.size());
  for (const char* cell : cells) arguments.push_back(Text(cell));  // null -> "" in Counted
  return arguments;
}
}  // namespace

bool Calls::ShowChart(const ValueTriple& host, const ChartData& chart) {
  const std::string text = EncodeChart(chart);
  return Kernel(KernelCommand::kShowChart, {host, Arg(text.c_str())}).low != 0;
}

bool Calls::SaveChartPicture(const ChartData& chart, const char* path, int32_t width,
                             int32_t height) {
  const std::string text = EncodeChart(chart);
  return Kernel(KernelCommand::kSaveChartPicture,
                {Arg(text.c_str()), Arg(path), Int(width), Int(height)})
             .low != 0;
}

int32_t Calls::NewDocument(const char* title) {
  return Kernel(KernelCommand::kNewDocument, {Arg(title)}).AsInt();
}
bool Calls::AddDocumentLine(int32_t document, const char* text) {
  return Kernel(KernelCommand::kAddDocumentLine, {Int(document), Arg(text)}).low != 0;
}
bool Calls::AddDocumentColumn(int32_t document, const char* title, int32_t alignment,
                              int32_t width) {
  return Kernel(KernelCommand::kAddDocumentColumn,
                {Int(document), Arg(title), Int(alignment), Int(width)})
             .low != 0;
}
bool Calls::AddDocumentRow(int32_t document, int32_t style, std::span<const char* const> cells) {
  const std::vector<ValueTriple> arguments = RowArguments({Int(document), Int(style)}, cells);
  return Kernel(KernelCommand::kAddDocumentRow, arguments).low != 0;
}
bool Calls::AddDocumentFooter(int32_t document, const char* text) {
  return Kernel(KernelCommand::kAddDocumentFooter, {Int(document), Arg(text)}).low != 0;
}
bool Calls::AddDocumentChart(int32_t document, const ChartData& chart) {
  const std::string text = EncodeChart(chart);
  return Kernel(KernelCommand::kAddDocumentChart, {Int(document), Arg(text.c_str())}).low != 0;
}
bool Calls::PreviewDocument(int32_t document) {
  return Kernel(KernelCommand::kPreviewDocument, {Int(document)}).low != 0;
}
bool Calls::SaveDocumentPdf(int32_t document, const char* path) {
  return Kernel(KernelCommand::kSaveDocumentPdf, {Int(document), Arg(path)}).low != 0;
}
bool Calls::SaveDocumentPicture(int32_t document, const char* path, int32_t width) {
  return Kernel(KernelCommand::kSaveDocumentPicture,
                {Int(document), Arg(path), width == 0 ? Omitted() : Int(width)})
             .low != 0;
}
void Calls::CloseDocument(int32_t document) {
  Kernel(KernelCommand::kCloseDocument, {Int(document)});
}

// --- Workbooks.
ValueTriple Calls::NewWorkbook(const char* sheet_name) {
  return Library(LibraryCommand::kNewWorkbook, {Arg(sheet_name)});
}
bool Calls::AddWorkbookLine(const ValueTriple& book, const char* text) {
  return Library(LibraryCommand::kAddWorkbookLine, {book, Arg(text)}).low != 0;
}
bool Calls::AddWorkbookColumn(const ValueTriple& book, const char* title, int32_t kind) {
  return Library(LibraryCommand::kAddWorkbookColumn, {book, Arg(title), Int(kind)}).low != 0;
}
bool Calls::AddWorkbookRow(const ValueTriple& book, int32_t style,
                           std::span<const char* const> cells) {
  const std::vector<ValueTriple> arguments = RowArguments({book, Int(style)}, cells);
  return Library(LibraryCommand::kAddWorkbookRow, arguments).low != 0;
}
bool Calls::SaveWorkbook(const ValueTriple& book, const char* path, int32_t format) {
  return Library(LibraryCommand::kSaveWorkbook, {book, Arg(path), Int(format)}).low != 0;
}
void Calls::CloseWorkbook(const ValueTriple& book) {
  Library(LibraryCommand::kCloseWorkbook, {book});
}

// --- Price lists read.
int32_t Calls::OpenSheetFile(const char* path, int32_t encoding, int32_t sheet) {
  return Library(LibraryCommand::kOpenSheetFile, {Arg(path), Int(encoding), Int(sheet)}).AsInt();
}
OwnedText Calls::SheetFileMessage(int32_t file) {
  return TakeText(Library(LibraryCommand::kSheetFileMessage, {Int(file)}));
}
int32_t Calls::SheetFileInfo(int32_t file, image::SheetInfo what) {
  return Library(LibraryCommand::kSheetFileInfo, {Int(file), Int(static_cast<int32_t>(what))})
      .AsInt();
}
OwnedText Calls::SheetCell(int32_t file, int32_t row, int32_t column) {
  return TakeText(Library(LibraryCommand::kSheetCell, {Int(file), Int(row), Int(column)}));
}
OwnedText Calls::SheetRowProblem(int32_t file, int32_t row) {
  return TakeText(Library(LibraryCommand::kSheetRowProblem, {Int(file), Int(row)}));
}
int32_t Calls::SheetRowNumber(int32_t file, int32_t row) {
  return Library(LibraryCommand::kSheetRowNumber, {Int(file), Int(row)}).AsInt();
}
OwnedText Calls::SheetName(int32_t file, int32_t sheet) {
  return TakeText(Library(LibraryCommand::kSheetName, {Int(file), Int(sheet)}));
}
void Calls::CloseSheetFile(int32_t file) { Library(LibraryCommand::kCloseSheetFile, {Int(file)}); }

}  // namespace pcshop::calls
