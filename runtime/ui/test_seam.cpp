#include "runtime/ui/test_seam.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolTip>

#include "image/event_numbers.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/drop_list.h"
#include "runtime/ui/gbk_qt.h"
#include "runtime/ui/widgets.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::ui {
namespace {

Status Missing(std::string_view window, std::string_view control) {
  return Status::NotFound("no open control " + std::string(control) + " in window " +
                          std::string(window));
}

QString UserText(std::string_view text) { return FromUtf8OrGbk(text); }

std::string Utf8(const QString& s) { return s.toUtf8().toStdString(); }

void Key(QWidget* target, int key, const QString& text = {},
         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(target, &release);
}

// A left click at `at` in `viewport`; the press may close what holds it, so
// the release goes only to a viewport still there.
void ClickAt(QWidget* viewport, const QPointF& at) {
  const QPointF global = viewport->mapToGlobal(at);
  QPointer<QWidget> guard(viewport);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &press);
  if (!guard) return;
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &release);
}

// Where keys go: the line edit of an editable combo box, else the widget.
QWidget* KeyTarget(QWidget* widget) {
  if (auto* combo = dynamic_cast<QComboBox*>(widget); combo && combo->lineEdit()) {
    return combo->lineEdit();
  }
  return widget;
}

}  // namespace

Status UserActions::Click(std::string_view window, std::string_view control) {
  const auto ref = windows_.FindByName(window, control);
  auto* button = ref ? dynamic_cast<QPushButton*>(windows_.Widget(*ref)) : nullptr;
  if (button == nullptr) return Missing(window, control);
  if (!button->isEnabled()) return Status::InvalidArgument("the button is disabled");
  button->click();
  return Status::Ok();
}

Status UserActions::DropDown(std::string_view window, std::string_view control) {
  const auto ref = windows_.FindByName(window, control);
  auto* combo = ref ? dynamic_cast<ComboBox*>(windows_.Widget(*ref)) : nullptr;
  if (combo == nullptr) return Missing(window, control);
  // The handler runs as before a list shows; the list's own window is not
  // shown: offscreen, a popup takes the window activation and hands it back
  // later, moving the focus where a real display does not.
  if (combo->about_to_drop_down) combo->about_to_drop_down();
  return Status::Ok();
}

Status UserActions::ChooseComboItem(std::string_view window, std::string_view control, int index) {
  const auto ref = windows_.FindByName(window, control);
  auto* combo = ref ? dynamic_cast<ComboBox*>(windows_.Widget(*ref)) : nullptr;
  if (combo == nullptr) return Missing(window, control);
  QPointer<ComboBox> guard(combo);
  // The drop-down handler may rebuild the items (see DropDown).
  if (combo->about_to_drop_down) combo->about_to_drop_down();
  if (!guard) return Status::Ok();
  if (index < 0 || index >= combo->count()) {
    return Status::InvalidArgument("the list has no item " + std::to_string(index));
  }
  combo->setCurrentIndex(index);
  Q_EMIT combo->activated(index);
  return Status::Ok();
}

Status UserActions::TypeText(std::string_view window, std::string_view control,
                             std::string_view text) {
  const auto ref = windows_.FindByName(window, control);
  QWidget* widget = ref ? KeyTarget(windows_.Widget(*ref)) : nullptr;
  auto* edit = dynamic_cast<QLineEdit*>(widget);
  if (edit == nullptr) return Missing(window, control);
  edit->end(false);
  const QString s = UserText(text);
  for (qsizetype i = 0; i < s.size(); ++i) {
    qsizetype n = s[i].isHighSurrogate() && i + 1 < s.size() ? 2 : 1;
    Key(edit, Qt::Key_unknown, s.mid(i, n));
    i += n - 1;
  }
  return Status::Ok();
}

Status UserActions::SetText(std::string_view window, std::string_view control,
                            std::string_view text) {
  const auto ref = windows_.FindByName(window, control);
  QWidget* widget = ref ? KeyTarget(windows_.Widget(*ref)) : nullptr;
  auto* edit = dynamic_cast<QLineEdit*>(widget);
  if (edit == nullptr) return Missing(window, control);
  edit->selectAll();
  Key(edit, Qt::Key_Delete);
  return TypeText(window, control, text);
}

Status UserActions::Paste(std::string_view window, std::string_view control,
                          std::string_view text) {
  const auto ref = windows_.FindByName(window, control);
  QWidget* widget = ref ? KeyTarget(windows_.Widget(*ref)) : nullptr;
  if (dynamic_cast<QLineEdit*>(widget) == nullptr) return Missing(window, control);
  QGuiApplication::clipboard()->setText(UserText(text));
  Key(widget, Qt::Key_V, QString(), Qt::ControlModifier);
  return Status::Ok();
}

Status UserActions::PressList(std::string_view window, std::string_view control, int x, int y) {
  const auto ref = windows_.FindByName(window, control);
  auto* list = ref ? dynamic_cast<ListView*>(windows_.Widget(*ref)) : nullptr;
  if (list == nullptr) return Missing(window, control);
  QWidget* viewport = list->viewport();
  ClickAt(viewport, QPointF(x, y) - QPointF(viewport->geometry().topLeft()));
  return Status::Ok();
}

Status UserActions::PressListCell(std::string_view window, std::string_view control, int row,
                                  int column) {
  const auto ref = windows_.FindByName(window, control);
  auto* list = ref ? dynamic_cast<ListView*>(windows_.Widget(*ref)) : nullptr;
  if (list == nullptr) return Missing(window, control);
  if (row < 0 || row >= list->RowCount() || column < 0 || column >= list->ColumnCount()) {
    return Status::InvalidArgument("the list has no cell " + std::to_string(row) + ", " +
                                   std::to_string(column));
  }
  // A user scrolls a cell into sight before pressing it.
  list->scrollTo(list->model()->index(row, column));
  const std::optional<QPoint> item = list->ItemPosition(row);
  if (!item) return Status::InvalidArgument("the list has no row " + std::to_string(row));
  int left = item->x();
  for (int c = 0; c < column; ++c) left += list->columnWidth(c);
  const QRect rect = list->CellRect(row, column);
  return PressList(window, control, left + list->columnWidth(column) / 2,
                   item->y() + rect.height() / 2);
}

Status UserActions::PressKey(std::string_view window, std::string_view control, ListKey key) {
  const auto ref = windows_.FindByName(window, control);
  QWidget* widget = ref ? windows_.Widget(*ref) : nullptr;
  if (widget == nullptr) return Missing(window, control);
  const int code = key == ListKey::kUp     ? Qt::Key_Up
                   : key == ListKey::kDown ? Qt::Key_Down
                                           : Qt::Key_Escape;
  Key(KeyTarget(widget), code);
  return Status::Ok();
}

Status UserActions::ClickDropRow(std::string_view window, std::string_view control, int row) {
  const auto ref = windows_.FindByName(window, control);
  auto* edit = ref ? dynamic_cast<EditBox*>(windows_.Widget(*ref)) : nullptr;
  if (edit == nullptr) return Missing(window, control);
  DropList* drop = edit->drop();
  if (drop == nullptr || !drop->isVisible() || row < 0 || row >= drop->RowCount()) {
    return Status::InvalidArgument("the drop list shows no row " + std::to_string(row));
  }
  ClickAt(drop->viewport(), drop->visualItemRect(drop->topLevelItem(row)).center());
  return Status::Ok();
}

Status UserActions::PressEnter(std::string_view window, std::string_view control) {
  const auto ref = windows_.FindByName(window, control);
  QWidget* widget = ref ? windows_.Widget(*ref) : nullptr;
  if (widget == nullptr) return Missing(window, control);
  Key(KeyTarget(widget), Qt::Key_Return, "\r");
  return Status::Ok();
}

Status UserActions::LeaveControl(std::string_view window, std::string_view control) {
  const auto ref = windows_.FindByName(window, control);
  if (!ref) return Missing(window, control);
  // Offscreen windows need not hold the focus, so the loss is raised as the
  // focus watch would raise it.
  windows_.RaiseEvent(*ref, image::event::kFocusLost);
  return Status::Ok();
}

Status UserActions::CloseWindow(std::string_view window) {
  const std::optional<uint32_t> id = windows_.FindWindowByName(window);
  QWidget* widget = id ? windows_.Widget({*id, 0}) : nullptr;
  if (widget == nullptr) return Missing(window, "");
  widget->close();
  return Status::Ok();
}

std::string UserActions::Text(std::string_view window, std::string_view control) const {
  const auto ref = windows_.FindByName(window, control);
  if (!ref) return {};
  const std::optional<PropertyValue> v = windows_.GetProperty(*ref, 1);
  const auto* gbk = v ? std::get_if<std::string>(&*v) : nullptr;
  return gbk != nullptr ? Utf8(FromGbk(*gbk)) : std::string();
}

std::vector<std::string> UserActions::Items(std::string_view window,
                                            std::string_view control) const {
  std::vector<std::string> items;
  const auto ref = windows_.FindByName(window, control);
  if (!ref) return items;
  for (int32_t i = 0; i < windows_.ComboCount(*ref); ++i) {
    items.push_back(Utf8(FromGbk(windows_.ComboItem(*ref, i))));
  }
  return items;
}

int UserActions::CurrentIndex(std::string_view window, std::string_view control) const {
  const auto ref = windows_.FindByName(window, control);
  const std::optional<PropertyValue> v = ref ? windows_.GetProperty(*ref, 8) : std::nullopt;
  const auto* i = v ? std::get_if<int32_t>(&*v) : nullptr;
  return i != nullptr ? *i : -1;
}

std::string UserActions::Cell(std::string_view window, std::string_view control, int row,
                              int column) const {
  const auto ref = windows_.FindByName(window, control);
  const std::optional<std::string> cell = ref ? windows_.ListCell(*ref, row, column) : std::nullopt;
  return cell ? Utf8(FromGbk(*cell)) : std::string();
}

int UserActions::RowCount(std::string_view window, std::string_view control) const {
  const auto ref = windows_.FindByName(window, control);
  return ref ? windows_.ListRowCount(*ref) : 0;
}

bool UserActions::Visible(std::string_view window, std::string_view control) const {
  const auto ref = windows_.FindByName(window, control);
  const QWidget* w = ref ? windows_.Widget(*ref) : nullptr;
  return w != nullptr && !w->isHidden();
}

bool UserActions::Enabled(std::string_view window, std::string_view control) const {
  const auto ref = windows_.FindByName(window, control);
  const QWidget* w = ref ? windows_.Widget(*ref) : nullptr;
  return w != nullptr && w->isEnabled();
}

std::string UserActions::Notice() const {
  if (!QToolTip::isVisible()) return std::string();
  const std::string shown = Utf8(QToolTip::text());
  // Read once, as the user's next step would dismiss it; hideText() would
  // take its time.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->inherits("QTipLabel")) w->hide();
  }
  return shown;
}

std::vector<std::string> UserActions::OpenWindows() const {
  std::vector<std::string> names;
  for (uint32_t id : windows_.OpenWindows()) names.push_back(Utf8(FromGbk(windows_.WindowName(id))));
  return names;
}

bool UserActions::IsOpen(std::string_view window) const {
  const std::optional<uint32_t> id = windows_.FindWindowByName(window);
  return id && windows_.IsOpen(*id);
}

void UserActions::ProcessEvents() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::vector<std::vector<std::string>> UserActions::DropRows(std::string_view window,
                                                          std::string_view control) const {
  std::vector<std::vector<std::string>> rows;
  const auto ref = windows_.FindByName(window, control);
  auto* edit = ref ? dynamic_cast<EditBox*>(windows_.Widget(*ref)) : nullptr;
  const DropList* drop = edit != nullptr ? edit->drop() : nullptr;
  if (drop == nullptr || !drop->isVisible()) return rows;
  for (int r = 0; r < drop->RowCount(); ++r) {
    std::vector<std::string>& row = rows.emplace_back();
    for (const QString& cell : drop->Row(r)) row.push_back(Utf8(cell));
  }
  return rows;
}

}  // namespace pcshop::ui
