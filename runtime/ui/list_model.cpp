#include "runtime/ui/list_model.h"

#include "runtime/ui/gbk_qt.h"

namespace pcshop::ui {
namespace {

Qt::Alignment QtAlignment(int32_t alignment) {
  switch (alignment) {
    case 1: return Qt::AlignRight | Qt::AlignVCenter;
    case 2: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

void ListModel::SetColumns(const std::vector<image::ListColumn>& columns) {
  beginResetModel();
  columns_ = columns;
  rows_.clear();
  endResetModel();
}

const image::ListColumn* ListModel::Column(int column) const {
  if (column < 0 || column >= ColumnCount()) return nullptr;
  return &columns_[static_cast<size_t>(column)];
}

int ListModel::InsertRow(int row) {
  if (row < 0 || row > RowCount()) row = RowCount();
  beginInsertRows(QModelIndex(), row, row);
  rows_.emplace(rows_.begin() + row, columns_.size());
  endInsertRows();
  return row;
}

const std::string* ListModel::Cell(int row, int column) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return nullptr;
  return &rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

bool ListModel::SetCell(int row, int column, std::string_view gbk) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return false;
  std::string& cell = rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
  if (cell == gbk) return true;
  cell.assign(gbk);
  const QModelIndex at = index(row, column);
  Q_EMIT dataChanged(at, at, {Qt::DisplayRole});
  return true;
}

void ListModel::Clear() {
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : RowCount();  // a flat list: rows have no children
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  if (role == Qt::DisplayRole) {
    const std::string* cell = Cell(index.row(), index.column());
    return cell != nullptr ? QVariant(FromGbk(*cell)) : QVariant();
  }
  if (role == Qt::TextAlignmentRole) {
    const image::ListColumn* column = Column(index.column());
    return column != nullptr ? QVariant(QtAlignment(column->alignment).toInt()) : QVariant();
  }
  return QVariant();
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  const image::ListColumn* column = orientation == Qt::Horizontal ? Column(section) : nullptr;
  if (column == nullptr) return QVariant();
  if (role == Qt::DisplayRole) return FromGbk(column->title);
  if (role == Qt::TextAlignmentRole) return QVariant(QtAlignment(column->alignment).toInt());
  return QVariant();
}

}  // namespace pcshop::ui
