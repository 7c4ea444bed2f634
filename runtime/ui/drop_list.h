#pragma once
// Rows that drop below an edit box while the user types in it: the list
// never takes the focus, so every key still goes to the box and its text is
// never completed or changed. The box hands the list Up, Down, Enter and Esc
// while it shows (EditBox::keyPressEvent); a click takes a row too.

#include <QTreeWidget>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace pcshop::ui {

class DropList : public QTreeWidget {
 public:
  // A child of the box's window, laid over the controls below the box.
  explicit DropList(QWidget* box);

  // A row taken by Enter or a click; the list has closed.
  std::function<void(int row)> taken;

  // Rows of `columns` GBK cells each, read row after row from `cells`; an
  // incomplete last row is left out. The list shows with no row chosen.
  void ShowRows(int columns, std::span<const std::string> cells);
  // Moves the chosen row by `step`, held within the rows.
  void Move(int step);
  // Takes the chosen row; false when none is chosen.
  bool TakeChosen();
  void Take(int row);

  int RowCount() const { return topLevelItemCount(); }
  // The row's cells as shown; empty outside the rows.
  std::vector<QString> Row(int row) const;

 private:
  void Place();

  QWidget* box_;
};

}  // namespace pcshop::ui
