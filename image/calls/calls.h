#pragma once
// The application's one way into the runtime. A Calls object reads the twelve
// stub slots at the end of the image's code data (each holds the address of
// its entry in the runtime's entry-point table once the runtime applied the
// fixups) and offers:
// - the link table: constants, globals, ids and routine references by the
//   code offset of their slot (the generated image/app_symbols.h names them);
// - the entry points themselves, with counted calls padded to each command's
//   full parameter count from image/commands.h;
// - typed wrappers for the services the application uses, with ownership of
//   returned blocks in OwnedText / OwnedBinary;
// - the faults compiled code reports itself (5 wrong value type, 6 a DLL call
//   that did not take the words passed, 1 an array index outside the array).
//
// A null text passed in becomes the empty text: the runtime never receives a
// null text address. Calls is cheap to build; routines make one per call.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>
#include <span>

#include "image/calls/chart_text.h"
#include "image/calls/entry_points.h"
#include "image/calls/group_sums.h"
#include "image/calls/matching_rows.h"
#include "image/calls/owned_block.h"
#include "image/calls/ranged_sums.h"
#include "image/calls/value_triple.h"
#include "image/commands.h"

namespace pcshop::calls {

// Where compiled code raises a fault: the routine's id and a position in it.
struct Site {
  int32_t routine = 0;
  int32_t position = 0;
};

// Where the image's own empty values lie (the empty text at const offset 0,
// the empty binary value at const offset 89); the addresses substituted for a
// null argument. Left null, the facade uses its own empty values.
struct EmptyValues {
  const char* text = nullptr;
  const void* binary = nullptr;
};

class Calls {
 public:
  // `code` is the image's code data after the runtime applied the fixups;
  // the runtime has checked that it ends with the twelve stub slots.
  explicit Calls(std::span<uint8_t> code, EmptyValues empty = {});
  explicit Calls(const RoutineCall& call, EmptyValues empty = {}) : Calls(call.code, empty) {}

  // --- The link table, by the code offset of a slot.
  uint64_t Slot(uint32_t code_offset) const;
  const char* ConstText(uint32_t code_offset) const;
  const void* ConstBinary(uint32_t code_offset) const;
  double ConstDouble(uint32_t code_offset) const;
  uint32_t Id(uint32_t code_offset) const;  // window, control, DLL index, library, type
  uintptr_t* Var(uint32_t code_offset) const;
  const void* CodeAddress(uint32_t code_offset) const;  // a routine reference's target slot

  // --- Entry points.
  // Counted calls: `arguments` may be shorter than the command's parameter
  // count; the rest go as omitted triples.
  ValueTriple Kernel(image::KernelCommand command, std::span<const ValueTriple> arguments);
  ValueTriple Kernel(image::KernelCommand command, std::initializer_list<ValueTriple> arguments) {
    return Kernel(command, std::span<const ValueTriple>(arguments.begin(), arguments.size()));
  }
  ValueTriple Library(image::LibraryCommand command, std::span<const ValueTriple> arguments);
  ValueTriple Library(image::LibraryCommand command,
                      std::initializer_list<ValueTriple> arguments) {
    return Library(command, std::span<const ValueTriple>(arguments.begin(), arguments.size()));
  }
  // Calls DLL command `index` with its own arguments. When the function does
  // not take exactly the words passed, fault 6 is reported at `site` and the
  // result is 0.
  uint64_t Dll(uint32_t index, std::span<const uintptr_t> words, Site site);
  uint64_t Dll(uint32_t index, std::initializer_list<uintptr_t> words, Site site) {
    return Dll(index, std::span<const uintptr_t>(words.begin(), words.size()), site);
  }
  uint64_t GetProperty(uint32_t window, uint32_t control, int32_t property, int32_t element = -1);
  void SetProperty(uint32_t window, uint32_t control, int32_t property, uint64_t value,
                   int32_t element = -1);
  void* AllocateMemory(uint32_t size);
  void FreeMemory(void* block);
  void ExitProgram(int32_t code);
  void RunMessageLoop();
  void LoadStartWindow(uint32_t window);
  void RegisterExitRoutine(const void* routine_slot);
  void ReportRuntimeError(FaultKind kind, Site site);

  // --- Ownership helpers.
  OwnedText TakeText(const ValueTriple& result) const;
  OwnedBinary TakeBinary(const ValueTriple& result) const;
  // Frees a returned text or binary value that is not needed.
  void Discard(const ValueTriple& result);
  // The arguments as the runtime must see them: a null text or binary
  // address replaced by the empty value.
  ValueTriple Arg(const char* text) const;
  ValueTriple BinaryArg(const void* binary) const;
  // An element of an array value (0-based over all elements); fault 1 and 0
  // when the index is outside the array. A null array is empty.
  uint64_t ArrayElement(const void* array, uint32_t index, Site site);

  // --- Program and windows.
  OwnedText ProgramFolder();
  // `path` (a GBK path as the application builds it, "\" between names) as
  // the platform writes it, for messages; the empty text when it is no path.
  OwnedText PlatformPath(const char* path);
  bool LoadWindow(uint32_t window, bool modal = false);
  void UnloadWindow(uint32_t window);
  uintptr_t GetControlHandle(const ValueTriple& object);
  void FocusControl(const ValueTriple& object);
  bool ShowFileDialog(const ValueTriple& object);
  int32_t MessageBox(const char* text, int32_t buttons);

  // --- Combo box and list view.
  int32_t GetComboCount(const ValueTriple& object);
  OwnedText GetComboItem(const ValueTriple& object, int32_t index);
  int32_t AddComboItem(const ValueTriple& object, const char* text);
  void DeleteComboItem(const ValueTriple& object, int32_t index);
  void ClearCombo(const ValueTriple& object);
  void SetComboText(const ValueTriple& object, const char* text);
  // Drops rows of `columns` cells (row after row in `cells`) below the edit
  // box `object`, without taking the focus or touching its text; no cells
  // close the list. Up, Down, Enter and Esc in the box then work the list; a
  // row taken raises the box's row_taken event with its index.
  void ShowDropRows(const ValueTriple& object, int32_t columns,
                    std::span<const char* const> cells);
  void HideDropRows(const ValueTriple& object);
  OwnedText GetListCell(const ValueTriple& object, int32_t row, int32_t column);
  bool SetListCell(const ValueTriple& object, int32_t row, int32_t column, const char* text);
  int32_t GetListRowCount(const ValueTriple& object);
  int32_t InsertListRow(const ValueTriple& object, int32_t row);
  void ClearList(const ValueTriple& object);
  int32_t GetColumnWidth(const ValueTriple& object, int32_t column);

  // --- Text and conversion.
  int32_t TextLength(const char* text);
  OwnedText LeftText(const char* text, int32_t count);
  OwnedText RightText(const char* text, int32_t count);
  OwnedText MidText(const char* text, int32_t start, int32_t length);
  int32_t CharCode(const char* text, int32_t position = 1);
  OwnedText ConvertText(const char* text, int32_t mode);
  OwnedText NormalizeText(const char* text);
  OwnedText ToText(int32_t value);
  OwnedText ToText(int64_t value);
  OwnedText ToText(double value);
  int32_t TextToInt(const char* text);
  // TextToInt's reading into 64 bits; nothing for a number beyond them.
  std::optional<int64_t> TextToLong(const char* text);
  OwnedText MakeTextBuffer(int32_t size);
  int32_t BinaryLength(const void* binary);

  // --- Date-time.
  double Now();
  OwnedText DateToText(double value, int32_t form);
  int32_t GetYear(double value);
  int32_t GetMonth(double value);
  int32_t GetDay(double value);
  int32_t GetHour(double value);
  int32_t GetMinute(double value);

  // --- Text files.
  int32_t OpenTextFile(const char* path, int32_t mode, int32_t share = 0);
  bool SeekFile(int32_t file);  // to the end
  bool WriteTextLine(int32_t file, const char* text);
  bool CloseTextFile(int32_t file);
  bool FileExists(const char* path);

  // --- Table store.
  bool CreateTable(const char* path, std::span<const FieldRecord> fields);
  bool OpenTable(const char* path, const char* alias);
  bool SelectTable(const char* alias_or_path);
  OwnedText CurrentTableName();
  int32_t RecordCount();
  bool GoFirst();
  bool GoToRecord(int32_t number);
  bool SkipRecords(int32_t count = 1);
  // The field's value as read; a text or binary value belongs to the caller.
  ValueTriple ReadField(const char* name);
  // A field read where text is needed: a value that is not text raises fault
  // 5 at `site` and the statement goes on with the empty text (an integer is
  // never taken for a text address).
  OwnedText ReadFieldText(const char* name, Site site);
  // A field read where an integer is needed: a value that is not an integer
  // raises fault 5 and the statement goes on with the value's low word (0 for
  // a text, which is freed).
  int32_t ReadFieldInt(const char* name, Site site);
  // A field read where a whole number of up to 64 bits is needed: an
  // integer or a long integer; anything else raises fault 5 and reads 0.
  int64_t ReadFieldLong(const char* name, Site site);
  // Scans from the record pointer; `condition` runs with the pointer on each
  // candidate, as a nested routine of the caller.
  bool FindRecord(const std::function<bool()>& condition);
  // Values in field order: texts (null = "") and integers.
  bool AppendRecord(std::span<const ValueTriple> values);
  // Omitted triples keep their fields.
  bool ModifyRecord(std::span<const ValueTriple> values);
  bool DeleteRecord();
  bool PurgeDeleted();
  // Takes the current record out at once and whole; other records' delete
  // marks stay. What a delete the user confirmed does.
  bool RemoveRecord();
  enum class AppendOutcome { kFailed, kAppended, kSameKeyExists };
  // Appends `values` unless a record holds the same values in the fields
  // named by `key_fields`; the test and the append are one write, so another
  // running copy cannot add the same key in between.
  AppendOutcome AppendUniqueRecord(std::span<const char* const> key_fields,
                                   std::span<const ValueTriple> values);

  // --- Table store: aggregates, batches, layouts that grow (calls_stock.cpp).
  // Integer field `sum_field` of the current table summed per group of the
  // text fields `keys`, groups in the order of their first record; nothing
  // when the table store refuses (no such field, no current table).
  std::optional<std::vector<KeyedSum>> SumGrouped(const char* sum_field,
                                                  std::span<const char* const> keys);
  // The fields `fields` (integers as decimal text) of every record of the
  // current table whose text field `match_field` holds exactly `value`, in
  // record order, delete-marked ones too; every record when `match_field` is
  // "" (a whole table in one query, not a walk). Nothing when the table
  // store refuses (no such field, no current table).
  // Sums of the integer terms `terms` ("A", "A*B" or "A?B": A where B is
  // not 0) over the current table's records whose text date field
  // `date_field` lies from day `first` to day `last` (days since
  // 1970-01-01, both included), per group of the text fields `keys`, with
  // each group's record count; one query. A record whose date cannot be
  // read counts in no range. Nothing when the table store refuses.
  std::optional<std::vector<RangedGroup>> SumInRange(const char* date_field, int64_t first,
                                                     int64_t last,
                                                     std::span<const char* const> terms,
                                                     std::span<const char* const> keys);
  std::optional<std::vector<TextRow>> ReadMatching(const char* match_field, const char* value,
                                                   std::span<const char* const> fields);
  // `values` as records of `per_record` values each, appended to the current
  // table in one transaction: all or none.
  bool AppendRecords(int32_t per_record, std::span<const ValueTriple> values);
  // Per record: its number (0 appends) and `per_record` values; every
  // record modified or appended in one transaction.
  bool WriteRecords(int32_t per_record, std::span<const ValueTriple> values);
  // Brings the table file at `path` to `fields` when its own fields are their
  // beginning; false, the file untouched, for any other layout.
  bool UpgradeTable(const char* path, std::span<const FieldRecord> fields);
  // The current table's change counter: it moves with every committed
  // change, this copy's or another's; -1 when it cannot be read.
  int32_t ChangeCount();
  // Begins (true) or ends (false) a read snapshot over the open tables
  // (table_store.h); begins nest. Hold one with ReadSnapshotScope
  // (read_snapshot.h) instead of pairing these by hand.
  bool ReadSnapshot(bool begin);

  // --- Backups (calls_backup.cpp). Paths are GBK; a text result is empty
  // when the work was done, else why it was not (GBK, for the user).
  // Every table under `data_folder` (or on the server) into the new folder
  // `backup_folder`, checked, with `when` and `why` in its manifest.
  OwnedText BackupTables(const char* data_folder, const char* backup_folder, const char* when,
                         const char* why);
  OwnedText CheckBackup(const char* backup_folder);
  // Checks, then replaces every table with the backup's and reopens them.
  OwnedText RestoreTables(const char* backup_folder, const char* data_folder);
  // Finished backups in `parent`, oldest first: name, when, why, bytes,
  // table count, record count, "file count" per table joined by newlines.
  std::optional<std::vector<TextRow>> ListBackups(const char* parent);
  bool RemoveBackup(const char* backup_folder);
  // A file copy of a finished backup into `destination`.
  OwnedText CopyBackup(const char* backup_folder, const char* destination);
  // "YYYY-MM-DD HH.MM.SS" now (or at the clock PCSHOP_CLOCK fixes).
  OwnedText BackupTime();
  // Whether UpgradeTable would add fields to the table at `path`.
  bool TableNeedsUpgrade(const char* path, std::span<const FieldRecord> fields);
  // A folder the user chooses; empty when cancelled.
  OwnedText ChooseFolder(const char* title);
  // Whether another running copy of the program uses these table files (a
  // restore is refused then); false on a server.
  bool OtherCopiesUseTables();

  // --- DLL commands.
  bool BindDllLibrary(const char* path, const char* function);

  // --- Documents: numbered from 1, 0 for none. Alignment 0 left, 1 right,
  // 2 centre; a row's style 1 makes it a totals row.
  // Draws `chart` (image/calls/chart_text.h) over the control `host` of an
  // open window, in place of the one drawn there before.
  bool ShowChart(const ValueTriple& host, const ChartData& chart);
  // Writes `chart` as a PNG picture of width x height pixels to `path`.
  bool SaveChartPicture(const ChartData& chart, const char* path, int32_t width, int32_t height);
  int32_t NewDocument(const char* title);
  bool AddDocumentLine(int32_t document, const char* text);
  bool AddDocumentColumn(int32_t document, const char* title, int32_t alignment, int32_t width);
  bool AddDocumentRow(int32_t document, int32_t style, std::span<const char* const> cells);
  bool AddDocumentFooter(int32_t document, const char* text);
  // A chart drawn between the document's lines and its table, whole on one
  // page; the document then runs over as many pages as it needs.
  bool AddDocumentChart(int32_t document, const ChartData& chart);
  bool PreviewDocument(int32_t document);
  bool SaveDocumentPdf(int32_t document, const char* path);
  // `width` in pixels; 0 for the runtime's phone-screen width.
  bool SaveDocumentPicture(int32_t document, const char* path, int32_t width = 0);
  void CloseDocument(int32_t document);

  // --- Workbooks (xlsbridge): a value of the workbook type, 0 in its low
  // word for none. Column kind 0 text, 1 number; a row's style 1 is bold;
  // format 1 .xlsx, 2 CSV.
  ValueTriple NewWorkbook(const char* sheet_name);
  bool AddWorkbookLine(const ValueTriple& book, const char* text);
  bool AddWorkbookColumn(const ValueTriple& book, const char* title, int32_t kind);
  bool AddWorkbookRow(const ValueTriple& book, int32_t style, std::span<const char* const> cells);
  bool SaveWorkbook(const ValueTriple& book, const char* path, int32_t format);
  void CloseWorkbook(const ValueTriple& book);

  // --- Price lists read (xlsbridge): a number from 1 even for a file that
  // could not be read (SheetFileMessage says why), 0 when too many are open.
  // Encoding 0 by evidence, 1 UTF-8, 2 GBK/GB18030; sheet from 0; rows and
  // columns from 0.
  int32_t OpenSheetFile(const char* path, int32_t encoding, int32_t sheet);
  OwnedText SheetFileMessage(int32_t file);
  int32_t SheetFileInfo(int32_t file, image::SheetInfo what);
  OwnedText SheetCell(int32_t file, int32_t row, int32_t column);
  OwnedText SheetRowProblem(int32_t file, int32_t row);
  int32_t SheetRowNumber(int32_t file, int32_t row);
  OwnedText SheetName(int32_t file, int32_t sheet);
  void CloseSheetFile(int32_t file);

 private:
  template <typename Fn>
  Fn Entry(image::EntryPoint e) const {
    return reinterpret_cast<Fn>(entries_[image::EntryIndex(e)]);
  }
  ValueTriple Counted(const image::CommandInfo& info, std::span<const ValueTriple> arguments,
                      bool library);
  // Substitutes the empty text / binary value for a null address.
  ValueTriple Sanitize(const ValueTriple& t) const;

  std::span<uint8_t> code_;
  EmptyValues empty_;
  uintptr_t entries_[image::kEntryPointCount] = {};
};

}  // namespace pcshop::calls
