#include "runtime/ui/widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include "runtime/ui/drop_list.h"
#include "runtime/ui/gbk_qt.h"

namespace pcshop::ui {

void WindowWidget::closeEvent(QCloseEvent* event) {
  // The manager unloads the window; Qt must not delete it under the manager.
  event->ignore();
  if (closing) closing();
}

namespace {

// Where an edit changed `before` into `after`, the cursor standing at
// `position` after it: the added text is after.mid(head, after.size() - head
// - tail). The cursor ends what was added, so repeated letters ("ab" with
// "ba" pasted between them) are told apart.
struct EditSpan {
  qsizetype head = 0;
  qsizetype tail = 0;
};

EditSpan FindEdit(const QString& before, const QString& after, int position) {
  EditSpan span;
  span.tail = std::clamp<qsizetype>(after.size() - position, 0, before.size());
  while (span.tail > 0 && !before.endsWith(QStringView(after).right(span.tail))) --span.tail;
  const qsizetype most = std::min(before.size(), after.size()) - span.tail;
  while (span.head < most && before[span.head] == after[span.head]) ++span.head;
  // A surrogate pair stays whole on the added side, so the character is named
  // by its own code.
  if (span.head > 0 && after[span.head - 1].isHighSurrogate()) --span.head;
  if (span.tail > 0 && after[after.size() - span.tail].isLowSurrogate()) --span.tail;
  return span;
}

}  // namespace

QValidator::State GbkValidator::validate(QString& input, int& position) const {
  const EditSpan span = FindEdit(committed_, input, position);
  const QString added = input.mid(span.head, input.size() - span.head - span.tail);
  if (const std::optional<QString> bad = FirstNonGbk(added)) {
    Tell(QStringLiteral("文本含有GBK不能表示的字符 %1，无法使用。").arg(*bad));
    return Invalid;
  }
  const std::optional<size_t> length = GbkLength(input);
  // A program text GBK could not hold (invalid bytes shown as U+FFFD) has no
  // length to hold to; it may still be edited.
  if (!length) return committed_is_gbk_ ? Invalid : Intermediate;
  const size_t limit = std::max(static_cast<size_t>(std::max(limit_, 0)), committed_bytes_);
  if (limit_ <= 0 || *length <= limit) return Acceptable;
  const size_t around = *length - GbkLength(added).value_or(0);
  const QString fits = GbkPrefix(added, limit > around ? limit - around : 0);
  if (fits.isEmpty()) {
    Tell(QStringLiteral("超出长度限制，最多%1个字节。").arg(limit_));
    return Invalid;
  }
  Tell(QStringLiteral("超出长度限制，已截取前%1个字节。").arg(GbkLength(fits).value_or(0)));
  input = input.left(span.head) + fits + input.right(span.tail);
  position = static_cast<int>(span.head + fits.size());
  return Acceptable;
}

void GbkValidator::SetCommitted(const QString& text) {
  const std::optional<size_t> length = GbkLength(text);
  committed_ = text;
  committed_is_gbk_ = length.has_value();
  committed_bytes_ = length.value_or(static_cast<size_t>(text.size()) * 4);
}

void ShowNotice(QWidget* box, const QString& text) {
  // QToolTip sets its tip 16 pixels below the point: just under the box.
  QToolTip::showText(box->mapToGlobal(QPoint(0, box->height() - 12)), text, box);
}

EditBox::EditBox(QWidget* parent) : QLineEdit(parent) {
  SetInputLimit(0);
  connect(this, &QLineEdit::textChanged, [this](const QString& text) {
    if (validator_) validator_->SetCommitted(text);
  });
}

void EditBox::SetProgramText(const QString& text) {
  // The validator sees the new text as committed, or Qt would hold it invalid
  // and stop checking what the user types next.
  if (validator_) validator_->SetCommitted(text);
  setText(text);
}

DropList* EditBox::Drop() {
  if (DropList* made = drop_.data()) return made;
  auto* made = MakeChild<DropList>(this);
  made->taken = [this](int row) {
    if (row_taken) row_taken(row);
  };
  drop_ = made;
  return made;
}

void EditBox::keyPressEvent(QKeyEvent* event) {
  DropList* drop = drop_.data();
  if (drop != nullptr && drop->isVisible()) {
    switch (event->key()) {
      case Qt::Key_Down: drop->Move(1); return;
      case Qt::Key_Up: drop->Move(-1); return;
      case Qt::Key_Escape: drop->hide(); return;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        // With no row chosen, Enter is the box's own.
        if (drop->TakeChosen()) return;
        break;
      default: break;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void EditBox::focusOutEvent(QFocusEvent* event) {
  // A click on the list leaves the focus here; any other move closes it.
  if (DropList* drop = drop_.data()) drop->hide();
  QLineEdit::focusOutEvent(event);
}

void EditBox::SetInputLimit(int bytes) {
  limit_ = bytes > 0 ? bytes : 0;
  // setValidator does not take ownership; the old one goes after the swap.
  auto next = std::make_unique<GbkValidator>(
      limit_, [this](const QString& notice) { ShowNotice(this, notice); });
  next->SetCommitted(text());
  setValidator(next.get());
  validator_ = std::move(next);
}

void ComboBox::SetEditable(bool editable) {
  setEditable(editable);
  setInsertPolicy(QComboBox::NoInsert);
  QLineEdit* line = lineEdit();
  if (line == nullptr) {
    setValidator(nullptr);
    validator_.reset();
    return;
  }
  // Qt's completer fills in the rest of the first item that starts with
  // what was typed, ignoring case: "A" would become "AMD", "RTX 4060" the
  // longer "RTX 4060 Ti".
  setCompleter(nullptr);
  // Qt chooses the item whose text was typed when editing ends (Enter or
  // focus loss) and reports it as activated. Here an item is chosen only
  // from the list: a typed name must not load a saved configuration over
  // the sheet the user is about to save.
  QObject::disconnect(line, &QLineEdit::editingFinished, this, nullptr);
  auto next = std::make_unique<GbkValidator>(
      0, [this](const QString& notice) { ShowNotice(this, notice); });
  next->SetCommitted(line->text());
  setValidator(next.get());
  validator_ = std::move(next);
  connect(line, &QLineEdit::textChanged, [this](const QString& text) {
    if (validator_) validator_->SetCommitted(text);
  });
}

void ComboBox::AddGbkItem(std::string_view gbk) {
  addItem(FromGbk(gbk), QByteArray(gbk.data(), static_cast<qsizetype>(gbk.size())));
}

std::optional<std::string> ComboBox::ItemGbk(int index) const {
  if (index < 0 || index >= count()) return std::nullopt;
  const QVariant bytes = itemData(index);
  if (bytes.typeId() == QMetaType::QByteArray) return bytes.toByteArray().toStdString();
  const Result<std::string> converted = ToGbk(itemText(index));
  if (!converted.ok()) return std::nullopt;
  return *converted;
}

void ComboBox::SetProgramText(const QString& text) {
  if (validator_) validator_->SetCommitted(text);
  setEditText(text);
}

void ComboBox::showPopup() {
  QPointer<ComboBox> self(this);
  if (about_to_drop_down) about_to_drop_down();
  // The handler may have closed the window; its widgets go later, but the
  // list of a closing window is not shown.
  if (self && isVisibleTo(window())) QComboBox::showPopup();
}

void ComboBox::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter) {
    if (enter_pressed) enter_pressed();
    return;
  }
  QComboBox::keyPressEvent(event);
}

ListView::ListView(QWidget* parent) : QTreeView(parent), model_(MakeChild<ListModel>(this)) {
  setModel(model_);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemsExpandable(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  QObject::connect(selectionModel(), &QItemSelectionModel::currentRowChanged,
                   [this](const QModelIndex&, const QModelIndex&) {
                     if (!quiet && current_row_changed) current_row_changed();
                   });
}

void ListView::SetColumns(const std::vector<image::ListColumn>& columns) {
  model_->SetColumns(columns);
  for (size_t i = 0; i < columns.size(); ++i) {
    setColumnWidth(static_cast<int>(i), columns[i].width);
  }
}

int ListView::Alignment(int column) const {
  const image::ListColumn* c = model_->Column(column);
  return c != nullptr ? c->alignment : 0;
}

const std::string* ListView::ColumnTitle(int column) const {
  const image::ListColumn* c = model_->Column(column);
  return c != nullptr ? &c->title : nullptr;
}

int ListView::CurrentRow() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

void ListView::SetCurrentRow(int row) {
  if (row < 0 || row >= RowCount()) {
    setCurrentIndex(QModelIndex());
    clearSelection();
    return;
  }
  setCurrentIndex(model_->index(row, 0));
}

std::pair<int, int> ListView::HitTest(QPoint client) const {
  const QPoint at = client - viewport()->geometry().topLeft();
  if (!viewport()->rect().contains(at)) return {-1, -1};
  const QModelIndex index = indexAt(at);
  if (!index.isValid()) return {-1, -1};
  return {index.row(), index.column()};
}

std::optional<QPoint> ListView::ItemPosition(int row) const {
  if (row < 0 || row >= RowCount()) return std::nullopt;
  const QRect rect = visualRect(model_->index(row, 0));
  // The row's left edge is column 0's, wherever the view is scrolled to.
  const int left = header()->sectionViewportPosition(0);
  return QPoint(left, rect.top()) + viewport()->geometry().topLeft();
}

QRect ListView::CellRect(int row, int column) const {
  if (model_->Cell(row, column) == nullptr) return QRect();
  return visualRect(model_->index(row, column));
}

void ListView::mousePressEvent(QMouseEvent* event) {
  QPointer<ListView> self(this);
  QTreeView::mousePressEvent(event);  // the current row first: handlers read it
  if (!self || !pressed) return;
  const QPoint client = event->position().toPoint() + viewport()->geometry().topLeft();
  int button = 1;
  if (event->button() == Qt::RightButton) button = 2;
  if (event->button() == Qt::MiddleButton) button = 4;
  pressed(client.x(), client.y(), button);
}

void ListView::focusInEvent(QFocusEvent* event) {
  // Taking the focus chooses no row: Qt makes the first row current here,
  // which would reach the program as if the user had chosen it.
  const bool had_current = currentIndex().isValid();
  const QuietList unreported(this);
  QTreeView::focusInEvent(event);
  if (!had_current && currentIndex().isValid()) {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
}

FocusWatch::FocusWatch(QObject* parent, std::function<void()> lost)
    : QObject(parent), lost_(std::move(lost)) {
  parent->installEventFilter(this);
}

bool FocusWatch::eventFilter(QObject* watched, QEvent* event) {
  if (watched == popup_) {
    if (event->type() == QEvent::Hide) PopupClosed();
    return QObject::eventFilter(watched, event);
  }
  if (event->type() != QEvent::FocusOut || suspended_ || !lost_) {
    return QObject::eventFilter(watched, event);
  }
  const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  // While a popup is open the focus moves into it, and on a real display
  // more than once and with other reasons than Qt::PopupFocusReason (the
  // first list of a fresh window is created, shown and activated). Whether
  // the focus was lost is known when the popup has closed.
  QWidget* popup = QApplication::activePopupWidget();
  if (reason == Qt::PopupFocusReason || popup != nullptr) {
    if (popup != nullptr && popup != popup_) {
      if (popup_) popup_->removeEventFilter(this);
      popup_ = popup;
      popup_->installEventFilter(this);
    }
    return QObject::eventFilter(watched, event);
  }
  lost_();
  return QObject::eventFilter(watched, event);
}

void FocusWatch::PopupClosed() {
  if (popup_) popup_->removeEventFilter(this);
  popup_ = nullptr;
  // Qt hands the focus back after the popup is hidden; look once it has.
  QTimer::singleShot(0, this, [this] {
    auto* watched = qobject_cast<QWidget*>(parent());
    if (watched == nullptr || suspended_ || !lost_ || !watched->isVisible()) return;
    if (QApplication::activePopupWidget() != nullptr) return;  // another popup: wait for it
    QWidget* focus = QApplication::focusWidget();
    if (focus == watched || (focus != nullptr && watched->isAncestorOf(focus))) return;
    lost_();
  });
}

void FocusWatch::HideControl(QWidget* control) {
  QWidget* focus = QApplication::focusWidget();
  const bool holds_focus = focus != nullptr && (focus == control || control->isAncestorOf(focus));
  if (!holds_focus) {
    control->setVisible(false);
    return;
  }
  // Suspended, the watch lets the window take the focus without a word; no
  // handler runs meanwhile, so the control and its watch stay.
  FocusWatch* watch = nullptr;  // no meta-object of its own: found by its C++ type
  for (QObject* child : control->children()) {
    if ((watch = dynamic_cast<FocusWatch*>(child)) != nullptr) break;
  }
  if (watch == nullptr) {
    control->window()->setFocus(Qt::OtherFocusReason);
    control->setVisible(false);
    return;
  }
  watch->suspended_ = true;
  control->window()->setFocus(Qt::OtherFocusReason);
  watch->suspended_ = false;
  control->setVisible(false);
  if (watch->lost_) watch->lost_();
}

}  // namespace pcshop::ui
