// The list views by native handle, for SendMessageA. A handle is the address
// of the list's widget (its header's for the header); it is only compared,
// never dereferenced, until it is found among the open windows.

#include <QHeaderView>

#include "runtime/ui/gbk_qt.h"
#include "runtime/ui/widgets.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::ui {

ListView* WindowManager::ListByHandle(dll::NativeWord handle) const {
  if (handle == 0) return nullptr;
  for (const auto& w : open_) {
    for (const Control& c : w->controls) {
      if (reinterpret_cast<dll::NativeWord>(c.widget.data()) == handle) {
        return dynamic_cast<ListView*>(c.widget.data());
      }
    }
  }
  return nullptr;
}

uintptr_t WindowManager::ControlHandle(ControlRef ref) const {
  return reinterpret_cast<uintptr_t>(Widget(ref));
}

void WindowManager::FocusControl(ControlRef ref) {
  if (QWidget* w = Widget(ref)) w->setFocus(Qt::OtherFocusReason);
}

bool WindowManager::IsList(dll::NativeWord handle) const { return ListByHandle(handle) != nullptr; }

dll::NativeWord WindowManager::HeaderOf(dll::NativeWord handle) const {
  const ListView* list = ListByHandle(handle);
  return list != nullptr ? reinterpret_cast<dll::NativeWord>(list->header()) : 0;
}

dll::NativeWord WindowManager::ListOfHeader(dll::NativeWord header) const {
  if (header == 0) return 0;
  for (const auto& w : open_) {
    for (const Control& c : w->controls) {
      const auto* list = dynamic_cast<const ListView*>(c.widget.data());
      if (list != nullptr && reinterpret_cast<dll::NativeWord>(list->header()) == header) {
        return reinterpret_cast<dll::NativeWord>(list);
      }
    }
  }
  return 0;
}

int32_t WindowManager::ColumnCount(dll::NativeWord handle) const {
  const ListView* list = ListByHandle(handle);
  return list != nullptr ? list->ColumnCount() : 0;
}

int32_t WindowManager::RowCount(dll::NativeWord handle) const {
  const ListView* list = ListByHandle(handle);
  return list != nullptr ? list->RowCount() : 0;
}

int32_t WindowManager::ColumnWidth(dll::NativeWord handle, int32_t column) const {
  const ListView* list = ListByHandle(handle);
  if (list == nullptr || column < 0 || column >= list->ColumnCount()) return 0;
  return list->columnWidth(column);
}

int32_t WindowManager::ColumnAlignment(dll::NativeWord handle, int32_t column) const {
  const ListView* list = ListByHandle(handle);
  return list != nullptr ? list->Alignment(column) : 0;
}

std::optional<std::string> WindowManager::ColumnTitle(dll::NativeWord handle,
                                                      int32_t column) const {
  const ListView* list = ListByHandle(handle);
  const std::string* title = list != nullptr ? list->ColumnTitle(column) : nullptr;
  if (title == nullptr) return std::nullopt;
  return *title;
}

std::optional<std::string> WindowManager::CellText(dll::NativeWord handle, int32_t row,
                                                   int32_t column) const {
  const ListView* list = ListByHandle(handle);
  if (list == nullptr) return std::nullopt;
  const std::string* cell = list->Cell(row, column);
  if (cell == nullptr) return std::nullopt;
  return *cell;
}

dll::ListHit WindowManager::HitTest(dll::NativeWord handle, dll::ListPoint point) const {
  const ListView* list = ListByHandle(handle);
  if (list == nullptr) return {};
  const auto [row, column] = list->HitTest(QPoint(point.x, point.y));
  return {row, column};
}

std::optional<dll::ListPoint> WindowManager::ItemPosition(dll::NativeWord handle,
                                                          int32_t row) const {
  const ListView* list = ListByHandle(handle);
  if (list == nullptr) return std::nullopt;
  const std::optional<QPoint> p = list->ItemPosition(row);
  if (!p) return std::nullopt;
  return dll::ListPoint{p->x(), p->y()};
}

}  // namespace pcshop::ui
