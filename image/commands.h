#pragma once
// The command numbers of the runtime's kernel and library commands: one
// table that the application's call facade and the runtime's dispatch both
// expand, so the two sides cannot disagree on a number or a parameter count.
//
// X(name, number, parameters, result): `parameters` is the full parameter
// count a counted call always carries (omitted arguments are passed as zero
// triples), or kVariadic for commands that take as many values as given.
// Control commands take the object triple as their first argument.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pcshop::image {

inline constexpr int32_t kVariadic = -1;

enum class ResultKind : uint8_t {
  kNone,      // nothing the caller uses
  kInteger,   // 32-bit integer in the primary word
  kLogical,   // 0 or 1 in the primary word
  kDateTime,  // 8-byte value in the primary and secondary words
  kText,      // address of a new text the caller frees
  kHandle,    // a native handle, pointer-sized
  kTyped,     // low, high and type code (ReadField, TextToLong)
};

// clang-format off
#define PCSHOP_KERNEL_COMMANDS(X)                              \
  /* Program */                                                \
  X(ProgramFolder,     1, 0, kText)                            \
  /* Windows */                                                \
  X(LoadWindow,       10, 3, kLogical)                         \
  X(UnloadWindow,     11, 1, kNone)                            \
  X(GetControlHandle, 12, 1, kHandle)                          \
  X(FocusControl,     13, 1, kNone)                            \
  X(ShowFileDialog,   14, 1, kLogical)                         \
  X(MessageBox,       15, 4, kInteger)                         \
  /* a path as the platform writes it, for the user to read */ \
  X(PlatformPath,     16, 1, kText)                            \
  /* Combo box */                                              \
  X(GetComboCount,    30, 1, kInteger)                         \
  X(GetComboItem,     31, 2, kText)                            \
  X(AddComboItem,     32, 2, kInteger)                         \
  X(DeleteComboItem,  33, 2, kNone)                            \
  X(ClearCombo,       34, 1, kNone)                            \
  X(SetComboText,     35, 2, kNone)                            \
  /* Rows dropped below an edit box: (box, columns, cells) */  \
  X(ShowDropRows,     40, kVariadic, kNone)                    \
  X(HideDropRows,     41, 1, kNone)                            \
  /* Text */                                                   \
  X(TextLength,       50, 1, kInteger)                         \
  X(LeftText,         51, 2, kText)                            \
  X(RightText,        52, 2, kText)                            \
  X(MidText,          53, 3, kText)                            \
  X(CharCode,         54, 2, kInteger)                         \
  X(ConvertText,      55, 2, kText)                            \
  X(NormalizeText,    56, 1, kText)                            \
  /* Conversion */                                             \
  X(ToText,           60, 1, kText)                            \
  X(TextToInt,        61, 1, kInteger)                         \
  X(MakeTextBuffer,   62, 1, kText)                            \
  X(BinaryLength,     63, 1, kInteger)                         \
  /* a long integer, or an omitted triple beyond 64 bits */    \
  X(TextToLong,       64, 1, kTyped)                           \
  /* Date-time */                                              \
  X(Now,              70, 0, kDateTime)                        \
  X(DateToText,       71, 2, kText)                            \
  X(GetYear,          72, 1, kInteger)                         \
  X(GetMonth,         73, 1, kInteger)                         \
  X(GetDay,           74, 1, kInteger)                         \
  X(GetHour,          75, 1, kInteger)                         \
  X(GetMinute,        76, 1, kInteger)                         \
  /* Text files */                                             \
  X(OpenTextFile,     80, 3, kInteger)                         \
  X(SeekFile,         81, 3, kLogical)                         \
  X(WriteTextLine,    82, 2, kLogical)                         \
  X(CloseTextFile,    83, 1, kLogical)                         \
  X(FileExists,       84, 1, kLogical)                         \
  /* Table store */                                            \
  X(CreateTable,     100, 2, kLogical)                         \
  X(OpenTable,       101, 7, kLogical)                         \
  X(SelectTable,     102, 1, kLogical)                         \
  X(CurrentTableName,103, 0, kText)                            \
  X(RecordCount,     104, 0, kInteger)                         \
  X(GoFirst,         105, 0, kLogical)                         \
  X(GoToRecord,      106, 1, kLogical)                         \
  X(SkipRecords,     107, 1, kLogical)                         \
  X(ReadField,       108, 1, kTyped)                           \
  X(FindRecord,      109, 1, kLogical)                         \
  X(AppendRecord,    110, kVariadic, kLogical)                 \
  X(ModifyRecord,    111, kVariadic, kLogical)                 \
  X(DeleteRecord,    112, 0, kLogical)                         \
  X(PurgeDeleted,    113, 0, kLogical)                         \
  X(RemoveRecord,    114, 0, kLogical)                         \
  X(AppendUniqueRecord, 115, kVariadic, kInteger)              \
  /* Table store: aggregates, batches, layouts that grow */    \
  X(SumGrouped,      120, kVariadic, kTyped)                   \
  X(AppendRecords,   121, kVariadic, kLogical)                 \
  X(UpgradeTable,    122, 2, kLogical)                         \
  X(ChangeCount,     123, 0, kInteger)                         \
  X(ReadMatching,    124, kVariadic, kTyped)                   \
  X(SumInRange,      125, kVariadic, kTyped)                   \
  /* a report's read snapshot: 1 begins, 0 ends */           \
  X(ReadSnapshot,    126, 1, kLogical)                         \
  X(WriteRecords,    127, kVariadic, kLogical)                 \
  /* DLL commands */                                           \
  X(BindDllLibrary,  130, 2, kLogical)                         \
  /* Documents: a title, lines, charts, a table, footer lines */\
  X(NewDocument,       140, 1, kInteger)                       \
  X(AddDocumentLine,   141, 2, kLogical)                       \
  X(AddDocumentColumn, 142, 4, kLogical)                       \
  X(AddDocumentRow,    143, kVariadic, kLogical)               \
  X(AddDocumentFooter, 144, 2, kLogical)                       \
  X(PreviewDocument,   145, 1, kLogical)                       \
  X(SaveDocumentPdf,   146, 2, kLogical)                       \
  X(SaveDocumentPicture, 147, 3, kLogical)                     \
  X(CloseDocument,     148, 1, kNone)                         \
  X(AddDocumentChart,  149, 2, kLogical)                       \
  /* Charts: series handed over as one text */                \
  X(ShowChart,         150, 2, kLogical)                       \
  X(SaveChartPicture,  151, 4, kLogical)                       \
  /* Backups: "" when done, else why not (GBK) */              \
  X(BackupTables,      160, 4, kText)                          \
  X(CheckBackup,       161, 1, kText)                          \
  X(RestoreTables,     162, 2, kText)                          \
  X(ListBackups,       163, 1, kTyped)                         \
  X(RemoveBackup,      164, 1, kLogical)                       \
  X(CopyBackup,        165, 2, kText)                          \
  X(BackupTime,        166, 0, kText)                          \
  X(TableNeedsUpgrade, 167, 2, kLogical)                       \
  X(ChooseFolder,      168, 1, kText)                          \
  X(OtherCopiesUseTables, 169, 0, kLogical)

// X(name, library, number, parameters, result); library 1 = ctlpk,
// 2 = xlsbridge (the positions in the image's library list).
#define PCSHOP_LIBRARY_COMMANDS(X)                             \
  /* List view */                                              \
  X(GetListCell,      1, 1, 3, kText)                          \
  X(SetListCell,      1, 2, 4, kLogical)                       \
  X(GetListRowCount,  1, 3, 1, kInteger)                       \
  X(InsertListRow,    1, 4, 7, kInteger)                       \
  X(ClearList,        1, 5, 1, kNone)                          \
  X(GetColumnWidth,   1, 6, 2, kInteger)                       \
  /* Workbook (xlsbridge): header lines, typed columns, rows */ \
  X(NewWorkbook,      2, 1, 1, kTyped)                         \
  X(AddWorkbookLine,  2, 2, 2, kLogical)                       \
  X(AddWorkbookColumn,2, 3, 3, kLogical)                       \
  X(AddWorkbookRow,   2, 4, kVariadic, kLogical)               \
  X(SaveWorkbook,     2, 5, 3, kLogical)                       \
  X(CloseWorkbook,    2, 6, 1, kNone)                          \
  /* Price lists read (xlsbridge): path, encoding, sheet */    \
  X(OpenSheetFile,    2, 7, 3, kInteger)                       \
  X(SheetFileMessage, 2, 8, 1, kText)                          \
  X(SheetFileInfo,    2, 9, 2, kInteger)                       \
  X(SheetCell,        2, 10, 3, kText)                         \
  X(SheetRowProblem,  2, 11, 2, kText)                         \
  X(SheetRowNumber,   2, 12, 2, kInteger)                      \
  X(SheetName,        2, 13, 2, kText)                         \
  X(CloseSheetFile,   2, 14, 1, kNone)
// clang-format on

inline constexpr uint32_t kCtlpkLibrary = 1;
inline constexpr uint32_t kXlsbridgeLibrary = 2;

// SheetFileInfo(file, what): what a read price list holds.
enum class SheetInfo : int32_t {
  kRows = 1,      // rows that hold a cell
  kColumns = 2,
  kEncoding = 3,  // 1 UTF-8, 2 GBK/GB18030, 3 UTF-8 with mark, 4 UTF-16; 0 a workbook
  kSheets = 4,
  kKind = 5,      // 1 .xlsx, 2 CSV, 3 HTML table
  kSheet = 6,     // the sheet read, from 0
};

// AppendUniqueRecord(k, k key field names, values in field order): the test
// for a record with the same key and the append are one write.
inline constexpr int32_t kAppendFailed = 0;
inline constexpr int32_t kAppended = 1;
inline constexpr int32_t kSameKeyExists = 2;

enum class KernelCommand : uint32_t {
#define PCSHOP_X(name, number, parameters, result) k##name = number,
  PCSHOP_KERNEL_COMMANDS(PCSHOP_X)
#undef PCSHOP_X
};

// A library command's value carries its library above its number, so that
// the same number in two libraries stays two commands.
constexpr uint32_t LibraryCommandValue(uint32_t library, uint32_t number) {
  return (library << 8) | number;
}
enum class LibraryCommand : uint32_t {
#define PCSHOP_X(name, library, number, parameters, result) \
  k##name = LibraryCommandValue(library, number),
  PCSHOP_LIBRARY_COMMANDS(PCSHOP_X)
#undef PCSHOP_X
};

struct CommandInfo {
  std::string_view name;
  uint32_t library = 0;  // 0 for kernel commands
  uint32_t number = 0;
  int32_t parameters = 0;
  ResultKind result = ResultKind::kNone;
};

inline constexpr CommandInfo kKernelCommands[] = {
#define PCSHOP_X(name, number, parameters, result) \
  {#name, 0, number, parameters, ResultKind::result},
    PCSHOP_KERNEL_COMMANDS(PCSHOP_X)
#undef PCSHOP_X
};

inline constexpr CommandInfo kLibraryCommands[] = {
#define PCSHOP_X(name, library, number, parameters, result) \
  {#name, library, number, parameters, ResultKind::result},
    PCSHOP_LIBRARY_COMMANDS(PCSHOP_X)
#undef PCSHOP_X
};

constexpr bool NumbersFitAndAreUnique() {
  for (size_t i = 0; i < std::size(kKernelCommands); ++i) {
    if (kKernelCommands[i].number > 255) return false;
    for (size_t j = 0; j < i; ++j) {
      if (kKernelCommands[j].number == kKernelCommands[i].number) return false;
    }
  }
  for (size_t i = 0; i < std::size(kLibraryCommands); ++i) {
    const CommandInfo& c = kLibraryCommands[i];
    if (c.number > 255 || (c.library != kCtlpkLibrary && c.library != kXlsbridgeLibrary)) {
      return false;
    }
    for (size_t j = 0; j < i; ++j) {
      if (kLibraryCommands[j].library == c.library && kLibraryCommands[j].number == c.number) {
        return false;
      }
    }
  }
  return true;
}
static_assert(NumbersFitAndAreUnique(),
              "command numbers are unique within their library, below 256, ctlpk or xlsbridge");

// Command number -> position in its table, for lookups on every call.
inline constexpr uint32_t kMaxCommandNumber = 255;
template <size_t N>
constexpr std::array<int16_t, kMaxCommandNumber + 1> IndexByNumber(const CommandInfo (&table)[N],
                                                                   uint32_t library) {
  std::array<int16_t, kMaxCommandNumber + 1> index{};
  for (int16_t& i : index) i = -1;
  for (size_t i = 0; i < N; ++i) {
    if (table[i].library == library) index[table[i].number] = static_cast<int16_t>(i);
  }
  return index;
}
inline constexpr auto kKernelCommandIndex = IndexByNumber(kKernelCommands, 0);
inline constexpr auto kCtlpkCommandIndex = IndexByNumber(kLibraryCommands, kCtlpkLibrary);
inline constexpr auto kXlsbridgeCommandIndex = IndexByNumber(kLibraryCommands, kXlsbridgeLibrary);

// The command, or null for a number the table does not hold.
constexpr const CommandInfo* FindKernelCommand(uint32_t number) {
  if (number > kMaxCommandNumber || kKernelCommandIndex[number] < 0) return nullptr;
  return &kKernelCommands[kKernelCommandIndex[number]];
}
constexpr const CommandInfo* FindLibraryCommand(uint32_t library, uint32_t number) {
  if (number > kMaxCommandNumber) return nullptr;
  const std::array<int16_t, kMaxCommandNumber + 1>* index =
      library == kCtlpkLibrary       ? &kCtlpkCommandIndex
      : library == kXlsbridgeLibrary ? &kXlsbridgeCommandIndex
                                     : nullptr;
  if (index == nullptr || (*index)[number] < 0) return nullptr;
  return &kLibraryCommands[(*index)[number]];
}

constexpr const CommandInfo& Info(KernelCommand command) {
  return *FindKernelCommand(static_cast<uint32_t>(command));
}
constexpr const CommandInfo& Info(LibraryCommand command) {
  const auto value = static_cast<uint32_t>(command);
  return *FindLibraryCommand(value >> 8, value & 0xFF);
}

}  // namespace pcshop::image
