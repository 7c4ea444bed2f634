#pragma once
// The rows of a report-style list view, held as the GBK bytes the program
// gave them. A text becomes UTF-16 only when the view paints its cell, so a
// list of fifty thousand rows costs little more than their bytes, and the
// program reads back exactly what it wrote.

#include <QAbstractTableModel>
#include <string>
#include <string_view>
#include <vector>

#include "image/image_view.h"

namespace pcshop::ui {

class ListModel : public QAbstractTableModel {
 public:
  explicit ListModel(QObject* parent) : QAbstractTableModel(parent) {}

  // Replaces the columns; the rows are dropped.
  void SetColumns(const std::vector<image::ListColumn>& columns);
  const image::ListColumn* Column(int column) const;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  // Inserts an empty row at `row` (at the end when outside); its index.
  int InsertRow(int row);
  // Null outside the list.
  const std::string* Cell(int row, int column) const;
  bool SetCell(int row, int column, std::string_view gbk);
  void Clear();

  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<image::ListColumn> columns_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace pcshop::ui
