#pragma once
// The Qt widgets behind the runtime's controls. Each reports what the user
// does through plain callbacks that the window manager sets; none of them
// knows about forms or routines.

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTreeView>
#include <QValidator>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/image_view.h"
#include "runtime/ui/drop_list.h"
#include "runtime/ui/list_model.h"

namespace pcshop::ui {

// A widget owned by its Qt parent from the start.
template <typename T, typename... Args>
T* MakeChild(Args&&... args) {
  return std::make_unique<T>(std::forward<Args>(args)...).release();
}

// A top-level window; closing it by its title bar asks the manager first.
class WindowWidget : public QWidget {
 public:
  std::function<void()> closing;

 protected:
  void closeEvent(QCloseEvent* event) override;
};

// Keeps what the user types or pastes to texts GBK can hold, within a number
// of GBK bytes when a limit is set (0: none). An addition holding a
// character GBK lacks is refused whole; one that goes past the limit is cut
// after the last whole character that fits, as a Windows edit box cuts at
// its text limit. Either way `notice` gets a text for the user: a refusal
// that says nothing reads as a box that ignores its user. Text the program
// sets is not checked, and an edit that does not lengthen an over-long text
// (deleting from it) is allowed.
class GbkValidator : public QValidator {
 public:
  GbkValidator(int limit, std::function<void(const QString&)> notice)
      : QValidator(nullptr), limit_(limit), notice_(std::move(notice)) {}
  State validate(QString& input, int& position) const override;
  // The text the box holds now, whoever set it.
  void SetCommitted(const QString& text);

 private:
  void Tell(const QString& text) const {
    if (notice_) notice_(text);
  }

  int limit_;
  std::function<void(const QString&)> notice_;
  QString committed_;
  size_t committed_bytes_ = 0;
  bool committed_is_gbk_ = true;
};

// Shows `text` beside `box` as a tooltip: the focus stays where the user is
// typing.
void ShowNotice(QWidget* box, const QString& text);

class EditBox : public QLineEdit {
 public:
  explicit EditBox(QWidget* parent);
  // 0 removes the limit.
  void SetInputLimit(int bytes);
  int input_limit() const { return limit_; }
  // Text from the program: whole, whatever the limit.
  void SetProgramText(const QString& text);

  // A row of the drop list taken (drop_list.h).
  std::function<void(int row)> row_taken;
  // The box's drop list, made on first use.
  DropList* Drop();
  // Null until the program first dropped rows.
  DropList* drop() const { return drop_.data(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int limit_ = 0;
  std::unique_ptr<GbkValidator> validator_;
  QPointer<DropList> drop_;  // a child of the window, which deletes it
};

// A drop-down box. Its text is exactly what the user typed or chose: no
// completion fills in the rest of an item. Items keep the GBK bytes the
// program gave them.
class ComboBox : public QComboBox {
 public:
  explicit ComboBox(QWidget* parent) : QComboBox(parent) {}
  // Raised before the list shows, so the handler can rebuild the items.
  std::function<void()> about_to_drop_down;
  std::function<void()> enter_pressed;

  // An editable box takes what the user types, GBK only; a list-only box
  // shows only its items.
  void SetEditable(bool editable);
  void AddGbkItem(std::string_view gbk);
  // The item's bytes as the program gave them; null outside the list.
  std::optional<std::string> ItemGbk(int index) const;
  // Text from the program.
  void SetProgramText(const QString& text);

  void showPopup() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::unique_ptr<GbkValidator> validator_;
};

// A report-style list view: a header of columns and rows of text cells,
// held as GBK bytes in its own model. "Client coordinates" are the widget's
// own coordinates, header included.
class ListView : public QTreeView {
 public:
  explicit ListView(QWidget* parent);
  // x, y in client coordinates, button 1 left, 2 right, 4 middle.
  std::function<void(int x, int y, int button)> pressed;
  // The user moved the current row; not called while `quiet`.
  std::function<void()> current_row_changed;
  // Set while the program changes the list, whose current-row changes are
  // then not reported.
  bool quiet = false;

  void SetColumns(const std::vector<image::ListColumn>& columns);
  int RowCount() const { return model_->RowCount(); }
  int ColumnCount() const { return model_->ColumnCount(); }
  int Alignment(int column) const;
  // Null outside the columns.
  const std::string* ColumnTitle(int column) const;
  // Inserts an empty row at `row` (at the end when outside); its index.
  int InsertRow(int row) { return model_->InsertRow(row); }
  // Null outside the list.
  const std::string* Cell(int row, int column) const { return model_->Cell(row, column); }
  bool SetCell(int row, int column, std::string_view gbk) {
    return model_->SetCell(row, column, gbk);
  }
  // Rows only; the header stays.
  void ClearRows() { model_->Clear(); }
  int CurrentRow() const;
  void SetCurrentRow(int row);
  // Row and column under a client point; -1, -1 for none.
  std::pair<int, int> HitTest(QPoint client) const;
  std::optional<QPoint> ItemPosition(int row) const;
  // A cell's rectangle in viewport coordinates; empty outside the list.
  QRect CellRect(int row, int column) const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  ListModel* model_;  // owned by the view (its Qt parent)
};

class QuietList {
 public:
  explicit QuietList(ListView* list) : list_(list), was_(list->quiet) { list->quiet = true; }
  ~QuietList() { list_->quiet = was_; }
  QuietList(const QuietList&) = delete;
  QuietList& operator=(const QuietList&) = delete;

 private:
  ListView* list_;
  bool was_;
};

// Watches a widget for the loss of the input focus. The focus that moves
// into a popup (a combo box's list, a context menu) comes back when the
// popup closes: that is no loss.
class FocusWatch : public QObject {
 public:
  FocusWatch(QObject* parent, std::function<void()> lost);
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Hides `control` the way the program expects a hidden control to let go
  // of the focus: the focus goes to the window, not to the next control in
  // the tab chain (whose own loss the program would then see), and the
  // control's loss is reported once it is hidden.
  static void HideControl(QWidget* control);

 private:
  void PopupClosed();

  std::function<void()> lost_;
  bool suspended_ = false;
  QPointer<QWidget> popup_;  // the open popup the focus went into
};

}  // namespace pcshop::ui
