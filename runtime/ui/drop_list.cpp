#include "runtime/ui/drop_list.h"

#include <QHeaderView>
#include <algorithm>

#include "runtime/ui/gbk_qt.h"
#include "runtime/ui/widgets.h"

namespace pcshop::ui {
namespace {

constexpr int kVisibleRows = 12;

}  // namespace

DropList::DropList(QWidget* box) : QTreeWidget(box->window()), box_(box) {
  // Neither the list nor its viewport may take the focus from the box, by a
  // click or otherwise; Qt then leaves the focus where it is.
  setFocusPolicy(Qt::NoFocus);
  viewport()->setFocusPolicy(Qt::NoFocus);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemsExpandable(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setStretchLastSection(false);
  header()->hide();
  hide();
  QObject::connect(this, &QTreeWidget::itemClicked, [this](QTreeWidgetItem* item, int) {
    Take(indexOfTopLevelItem(item));
  });
}

void DropList::ShowRows(int columns, std::span<const std::string> cells) {
  clear();
  if (columns < 1 || cells.size() < static_cast<size_t>(columns)) {
    hide();
    return;
  }
  setColumnCount(columns);
  const size_t width = static_cast<size_t>(columns);
  for (size_t first = 0; first + width <= cells.size(); first += width) {
    auto* item = MakeChild<QTreeWidgetItem>(this);
    for (size_t c = 0; c < width; ++c) item->setText(static_cast<int>(c), FromGbk(cells[first + c]));
  }
  for (int c = 0; c < columns; ++c) resizeColumnToContents(c);
  setCurrentItem(nullptr);
  clearSelection();
  Place();
  show();
  raise();
}

void DropList::Place() {
  QWidget* window = parentWidget();
  const QPoint at = box_->mapTo(window, QPoint(0, box_->height()));
  int wanted = 2 * frameWidth() + 24;  // room for a scroll bar
  for (int c = 0; c < columnCount(); ++c) wanted += columnWidth(c);
  const int row_height = RowCount() > 0 ? sizeHintForRow(0) : 20;
  const int rows = std::min(RowCount(), kVisibleRows);
  const int width = std::max(box_->width(), std::min(wanted, window->width() - at.x()));
  const int height =
      std::min(rows * row_height + 2 * frameWidth() + 2, std::max(window->height() - at.y(), 40));
  setGeometry(at.x(), at.y(), width, height);
}

void DropList::Move(int step) {
  if (RowCount() == 0) return;
  const int now = currentItem() != nullptr ? indexOfTopLevelItem(currentItem()) : -1;
  const int next = std::clamp(now < 0 && step < 0 ? RowCount() : now + step, 0, RowCount() - 1);
  setCurrentItem(topLevelItem(next));
  scrollToItem(topLevelItem(next));
}

bool DropList::TakeChosen() {
  if (currentItem() == nullptr || !currentItem()->isSelected()) return false;
  Take(indexOfTopLevelItem(currentItem()));
  return true;
}

void DropList::Take(int row) {
  if (row < 0 || row >= RowCount()) return;
  hide();
  if (taken) taken(row);
}

std::vector<QString> DropList::Row(int row) const {
  std::vector<QString> out;
  const QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr) return out;
  for (int c = 0; c < columnCount(); ++c) out.push_back(item->text(c));
  return out;
}

}  // namespace pcshop::ui
