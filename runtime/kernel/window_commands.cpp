#include "runtime/kernel/window_commands.h"

#include "image/property_numbers.h"
#include "runtime/kernel/runtime.h"
#include "runtime/kernel/runtime_memory.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::kernel {
namespace {

using calls::Int;
using calls::Logical;
using calls::ValueTriple;
using image::KernelCommand;
using image::LibraryCommand;

// The object triple of argument `i`: window id in the low word, control id
// in the high word.
ui::ControlRef Object(const CommandArguments& a, size_t i) {
  if (i >= a.size()) return {};
  return {a[i].low, a[i].high};
}

}  // namespace

std::optional<ValueTriple> WindowCommand(Runtime& rt, KernelCommand command,
                                         const CommandArguments& a) {
  ui::WindowManager* windows = rt.windows();
  if (windows == nullptr) return std::nullopt;
  ui::WindowManager& w = *windows;
  const ui::ControlRef ref = Object(a, 0);
  switch (command) {
    case KernelCommand::kLoadWindow: return Logical(w.LoadWindow(ref.window, a.Int(2) != 0));
    case KernelCommand::kUnloadWindow: w.UnloadWindow(ref.window); return ValueTriple{};
    case KernelCommand::kGetControlHandle:
      return calls::Wide(w.ControlHandle(ref), static_cast<uint32_t>(calls::TypeCode::kInteger));
    case KernelCommand::kFocusControl: w.FocusControl(ref); return ValueTriple{};
    case KernelCommand::kShowFileDialog: return Logical(w.ShowFileDialog(ref));
    case KernelCommand::kMessageBox:
      // After the server box the action's own messages would say something
      // false (此项无记录, 确定增加吗); a question answers Cancel.
      if (rt.server_failure_said()) return Int(a.Int(1) == 1 ? 1 : 0);
      return Int(w.MessageBox(a.Text(0), a.Int(1), a.Text(2)));
    case KernelCommand::kGetComboCount: return Int(w.ComboCount(ref));
    case KernelCommand::kGetComboItem: return TextResult(w.ComboItem(ref, a.Int(1)));
    case KernelCommand::kAddComboItem: return Int(w.AddComboItem(ref, a.Text(1)));
    case KernelCommand::kDeleteComboItem: w.DeleteComboItem(ref, a.Int(1)); return ValueTriple{};
    case KernelCommand::kClearCombo: w.ClearCombo(ref); return ValueTriple{};
    case KernelCommand::kSetComboText: w.SetComboText(ref, a.Text(1)); return ValueTriple{};
    case KernelCommand::kShowDropRows: {
      std::vector<std::string> cells;
      for (size_t i = 2; i < a.size(); ++i) cells.emplace_back(a.Text(i));
      w.ShowDropRows(ref, a.Int(1), cells);
      return ValueTriple{};
    }
    case KernelCommand::kHideDropRows: w.HideDropRows(ref); return ValueTriple{};
    default: return std::nullopt;
  }
}

ValueTriple ListCommand(Runtime& rt, LibraryCommand command, const CommandArguments& a) {
  ui::WindowManager* windows = rt.windows();
  if (windows == nullptr) return {};
  ui::WindowManager& w = *windows;
  const ui::ControlRef ref = Object(a, 0);
  switch (command) {
    case LibraryCommand::kGetListCell: {
      const std::optional<std::string> cell = w.ListCell(ref, a.Int(1), a.Int(2));
      return TextResult(cell ? std::string_view(*cell) : std::string_view());
    }
    case LibraryCommand::kSetListCell:
      return Logical(w.SetListCell(ref, a.Int(1), a.Int(2), a.Text(3)));
    case LibraryCommand::kGetListRowCount: return Int(w.ListRowCount(ref));
    case LibraryCommand::kInsertListRow: return Int(w.InsertListRow(ref, a.Int(1, -1)));
    case LibraryCommand::kClearList: w.ClearList(ref); return {};
    case LibraryCommand::kGetColumnWidth: return Int(w.ColumnWidth(ref, a.Int(1)));
    default: break;  // xlsbridge's commands go to workbook_commands
  }
  return {};
}

uint64_t GetPropertyValue(Runtime& rt, uint32_t window, uint32_t control, int32_t property) {
  if (rt.windows() == nullptr) return 0;
  const std::optional<ui::PropertyValue> v = rt.windows()->GetProperty({window, control}, property);
  if (!v) return 0;
  if (const auto* text = std::get_if<std::string>(&*v)) return TextResult(*text).wide();
  return static_cast<uint32_t>(std::get<int32_t>(*v));
}

void SetPropertyValue(Runtime& rt, uint32_t window, uint32_t control, int32_t property,
                      uint64_t value) {
  if (rt.windows() == nullptr || !image::IsKnownProperty(property)) return;
  ui::PropertyValue v;
  if (image::KindOfProperty(property) == image::PropertyKind::kText) {
    const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(value));
    v = std::string(text != nullptr ? text : "");
  } else {
    v = static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  (void)rt.windows()->SetProperty({window, control}, property, v);
}

}  // namespace pcshop::kernel
