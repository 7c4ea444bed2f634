// The quote sheet's cell editor: a press on the grid lays the drop-down box
// 组合框1 over the cell under the pointer; Enter or leaving the box writes
// its text back and recomputes the row's amount and the totals.
//
// The hit-test record in var slot 0 is the only link between the two: the
// press leaves the cell's row and column in it and the commit writes there.

#include <array>
#include <cstring>

#include "app/app_calls.h"
#include "app/quote/editor_choices.h"
#include "app/quote/quote_sheet.h"
#include "app/quote/sheet_cells.h"
#include "app/routines.h"
#include "image/list_view_abi.h"
#include "image/property_numbers.h"

namespace pcshop::app {
namespace {

namespace hit = image::list_view::hit_test;
namespace prop = image::property;
namespace col = sheet_column;

// Where a SendMessageA call that took the wrong number of words is reported.
constexpr calls::Site kCellEditorSite{32, 0};

// The 20-byte record ImageEntry allocated; null if it never was.
char* HitTestRecord(calls::Calls& rt) {
  return reinterpret_cast<char*>(*rt.Var(sym::var::kSlot0));
}

int32_t RecordWord(const char* record, size_t offset) {
  int32_t value = 0;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

void SetRecordWord(char* record, size_t offset, int32_t value) {
  std::memcpy(record + offset, &value, sizeof value);
}

uint64_t SendToGrid(calls::Calls& rt, uintptr_t grid, uint32_t message, uintptr_t wparam,
                    uintptr_t lparam) {
  return rt.Dll(rt.Id(sym::dll::kCommand6), {grid, uintptr_t{message}, wparam, lparam},
                kCellEditorSite);
}

int32_t PropertyOf(calls::Calls& rt, const ControlRef& c, int32_t property) {
  return static_cast<int32_t>(static_cast<uint32_t>(rt.GetProperty(c.window, c.control, property)));
}

void SetPropertyOf(calls::Calls& rt, const ControlRef& c, int32_t property, int32_t value) {
  rt.SetProperty(c.window, c.control, property, static_cast<uint32_t>(value));
}

// Lays the editor over cell (row, column): the row's position from the list
// view, then the widths of the columns left of the cell.
void PlaceEditor(calls::Calls& rt, const QuoteSheet& controls, uintptr_t grid_handle, int32_t row,
                 int32_t column) {
  std::array<int32_t, 2> point = {0, 0};
  static_assert(sizeof point == image::list_view::kPointSize);
  (void)SendToGrid(rt, grid_handle, image::list_view::kGetItemPosition, static_cast<uint32_t>(row),
                   reinterpret_cast<uintptr_t>(point.data()));
  const calls::ValueTriple grid = ObjectOf(controls.grid);
  int32_t left = PropertyOf(rt, controls.grid, prop::kLeft) + point[0];
  for (int32_t c = 0; c < column; ++c) left += rt.GetColumnWidth(grid, c);
  const int32_t top = PropertyOf(rt, controls.grid, prop::kTop) + point[1];
  SetPropertyOf(rt, controls.editor, prop::kTop, top);
  SetPropertyOf(rt, controls.editor, prop::kLeft, left);
  SetPropertyOf(rt, controls.editor, prop::kWidth, rt.GetColumnWidth(grid, column));
}

}  // namespace

void OpenCellEditor(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  // The press carries x and y in the grid's client coordinates; any button.
  if (call.event_data.size() < 2) return;
  char* record = HitTestRecord(rt);
  if (record == nullptr) return;
  const QuoteSheet controls = QuoteSheetControls(rt);
  const uintptr_t grid_handle = rt.GetControlHandle(ObjectOf(controls.grid));
  if (grid_handle == 0) return;

  SetRecordWord(record, hit::kX, call.event_data[0]);
  SetRecordWord(record, hit::kY, call.event_data[1]);
  (void)SendToGrid(rt, grid_handle, image::list_view::kSubItemHitTest, 0,
                   reinterpret_cast<uintptr_t>(record));
  const int32_t row = RecordWord(record, hit::kItem);
  const int32_t column = RecordWord(record, hit::kSubItem);
  if (row < 0 || column < 0) return;

  FillEditorChoices(rt, controls, column);
  PlaceEditor(rt, controls, grid_handle, row, column);
  const SheetGrid sheet{rt, ObjectOf(controls.grid)};
  const calls::OwnedText text = sheet.Cell(row, column);
  rt.SetComboText(ObjectOf(controls.editor), text.c_str());
  SetPropertyOf(rt, controls.editor, prop::kVisible, 1);
  rt.FocusControl(ObjectOf(controls.editor));
}

void CommitCellEdit(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const QuoteSheet controls = QuoteSheetControls(rt);
  // Only an open editor commits. Hiding it below moves the focus away, and
  // that loss must not run the commit a second time inside the first.
  if (PropertyOf(rt, controls.editor, prop::kVisible) == 0) return;
  const char* record = HitTestRecord(rt);
  if (record == nullptr) return;

  const SheetGrid sheet{rt, ObjectOf(controls.grid)};
  const calls::OwnedText text = TextOf(rt, controls.editor);
  const int32_t cell_row = RecordWord(record, hit::kItem);
  const int32_t cell_column = RecordWord(record, hit::kSubItem);
  const calls::OwnedText before = sheet.Cell(cell_row, cell_column);
  sheet.SetCell(cell_row, cell_column, text.c_str());
  SetPropertyOf(rt, controls.editor, prop::kVisible, 0);
  rt.FocusControl(sheet.grid);

  // A model the catalogue holds under the row's brand brings its own price
  // and remark: the press on the cell left those of the brand's last record.
  if (cell_column == col::kModel && cell_row >= 0 && cell_row < kFirstRowWithoutChoices) {
    const ProductFieldNames names = FieldNames(rt);
    if (FindRowProduct(sheet, cell_row, names)) TakeCataloguePrice(sheet, cell_row, names);
  }

  // The amount follows the selected row, which is the pressed one unless the
  // selection moved while the editor was open.
  const int32_t row = IndexOf(rt, controls.grid);
  auto recompute = [&] {
    const bool amount = row < 0 || RecomputeAmount(sheet, row);
    return RecomputeTotals(sheet) && amount;
  };
  // A number too large to compute with is not taken: the cell gets back what
  // it held, so that no amount or total stands there wrong or empty.
  const bool number_column = cell_column == col::kQuantity || cell_column == col::kPrice ||
                             cell_column == col::kAmount;
  if (!recompute() && number_column) {
    sheet.SetCell(cell_row, cell_column, before.c_str());
    (void)recompute();
    (void)rt.MessageBox(rt.ConstText(sym::text::kNumberTooLarge), 0);
  }
  ClearRowsWithoutBrand(sheet);
}

}  // namespace pcshop::app
