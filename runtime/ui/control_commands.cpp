// The combo box, list view and property commands of the window manager.

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "image/property_numbers.h"
#include "image/type_ids.h"
#include "runtime/ui/drop_list.h"
#include "runtime/ui/gbk_qt.h"
#include "runtime/ui/widgets.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::ui {

namespace property = image::property;

// --- Combo box.

int32_t WindowManager::ComboCount(ControlRef ref) const {
  const ComboBox* combo = As<ComboBox>(ref);
  return combo != nullptr ? combo->count() : 0;
}

std::string WindowManager::ComboItem(ControlRef ref, int32_t index) const {
  const ComboBox* combo = As<ComboBox>(ref);
  if (combo == nullptr) return {};
  return combo->ItemGbk(index).value_or(std::string());
}

int32_t WindowManager::AddComboItem(ControlRef ref, std::string_view text) {
  ComboBox* combo = As<ComboBox>(ref);
  if (combo == nullptr) return -1;
  // Adding to an empty list-only box must not choose the item.
  const int current = combo->currentIndex();
  const QString edit_text = combo->isEditable() ? combo->currentText() : QString();
  combo->AddGbkItem(text);
  if (combo->currentIndex() != current) {
    combo->setCurrentIndex(current);
    if (combo->isEditable()) combo->setEditText(edit_text);
  }
  return combo->count() - 1;
}

void WindowManager::DeleteComboItem(ControlRef ref, int32_t index) {
  ComboBox* combo = As<ComboBox>(ref);
  if (combo == nullptr || index < 0 || index >= combo->count()) return;
  const QString edit_text = combo->isEditable() ? combo->currentText() : QString();
  const bool was_current = combo->currentIndex() == index;
  combo->removeItem(index);
  if (was_current) combo->setCurrentIndex(-1);
  if (combo->isEditable()) combo->setEditText(edit_text);  // the text stays
}

void WindowManager::ClearCombo(ControlRef ref) {
  ComboBox* combo = As<ComboBox>(ref);
  if (combo == nullptr) return;
  // The list empties; an editable box keeps what it shows.
  const QString edit_text = combo->isEditable() ? combo->currentText() : QString();
  combo->clear();
  if (combo->isEditable()) combo->setEditText(edit_text);
}

namespace {

void SetComboBoxText(ComboBox* combo, const QString& text) {
  if (combo->isEditable()) {
    combo->SetProgramText(text);
    return;
  }
  // A list-only box shows only its items: the item of that text, or none.
  combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

}  // namespace

void WindowManager::SetComboText(ControlRef ref, std::string_view text) {
  if (ComboBox* combo = As<ComboBox>(ref)) SetComboBoxText(combo, FromGbk(text));
}

// --- Drop list of an edit box.

void WindowManager::ShowDropRows(ControlRef ref, int32_t columns,
                                 std::span<const std::string> cells) {
  EditBox* edit = As<EditBox>(ref);
  if (edit == nullptr) return;
  if (columns < 1 || cells.empty()) {
    HideDropRows(ref);
    return;
  }
  edit->Drop()->ShowRows(columns, cells);
}

void WindowManager::HideDropRows(ControlRef ref) {
  if (EditBox* edit = As<EditBox>(ref); edit != nullptr && edit->drop() != nullptr) {
    edit->drop()->hide();
  }
}

// --- List view.

std::optional<std::string> WindowManager::ListCell(ControlRef ref, int32_t row,
                                                   int32_t column) const {
  const ListView* list = As<ListView>(ref);
  if (list == nullptr) return std::nullopt;
  const std::string* cell = list->Cell(row, column);
  if (cell == nullptr) return std::nullopt;
  return *cell;
}

bool WindowManager::SetListCell(ControlRef ref, int32_t row, int32_t column,
                                std::string_view text) {
  ListView* list = As<ListView>(ref);
  return list != nullptr && list->SetCell(row, column, text);
}

int32_t WindowManager::ListRowCount(ControlRef ref) const {
  const ListView* list = As<ListView>(ref);
  return list != nullptr ? list->RowCount() : 0;
}

int32_t WindowManager::InsertListRow(ControlRef ref, int32_t row) {
  ListView* list = As<ListView>(ref);
  if (list == nullptr) return -1;
  QuietList quiet(list);
  return list->InsertRow(row);
}

void WindowManager::ClearList(ControlRef ref) {
  ListView* list = As<ListView>(ref);
  if (list == nullptr) return;
  QuietList quiet(list);
  list->ClearRows();
}

int32_t WindowManager::ColumnWidth(ControlRef ref, int32_t column) const {
  const ListView* list = As<ListView>(ref);
  if (list == nullptr || column < 0 || column >= list->ColumnCount()) return 0;
  return list->columnWidth(column);
}

// --- Properties.

std::optional<PropertyValue> WindowManager::GetProperty(ControlRef ref, int32_t number) const {
  bool itself = false;
  const Control* control = Find(ref, &itself);
  QWidget* widget = Widget(ref);
  if (control != nullptr && control->form->type == image::type_id::kCommonDialog) {
    const DialogState& d = control->dialog;
    switch (number) {
      case property::kDialogType: return d.type;
      case property::kDialogFilter: return d.filter;
      case property::kDefaultExtension: return d.default_extension;
      case property::kFileName: return d.file_name;
      default: return std::nullopt;
    }
  }
  if (widget == nullptr) return std::nullopt;
  switch (number) {
    case property::kText: {
      std::optional<QString> shown;
      if (itself) {
        shown = widget->windowTitle();
      } else if (auto* edit = dynamic_cast<const QLineEdit*>(widget)) {
        shown = edit->text();
      } else if (auto* combo = dynamic_cast<const ComboBox*>(widget)) {
        // The chosen item's own bytes while the box shows it unchanged.
        const int current = combo->currentIndex();
        if (current >= 0 && combo->currentText() == combo->itemText(current)) {
          if (std::optional<std::string> item = combo->ItemGbk(current)) return *item;
        }
        shown = combo->currentText();
      } else if (auto* button = dynamic_cast<const QPushButton*>(widget)) {
        shown = button->text();
      } else if (auto* label = dynamic_cast<const QLabel*>(widget)) {
        shown = label->text();
      } else if (auto* group = dynamic_cast<const QGroupBox*>(widget)) {
        shown = group->title();
      }
      if (!shown) return std::nullopt;
      std::optional<std::string> gbk = ProgramText(*shown);
      if (!gbk) return std::nullopt;
      return std::move(*gbk);
    }
    case property::kVisible: return static_cast<int32_t>(itself ? widget->isVisible()
                                                                : !widget->isHidden());
    case property::kEnabled: return static_cast<int32_t>(widget->isEnabled());
    case property::kLeft: return widget->x();
    case property::kTop: return widget->y();
    case property::kWidth: return widget->width();
    case property::kHeight: return widget->height();
    case property::kCurrentIndex:
      if (auto* w = dynamic_cast<const QComboBox*>(widget)) return w->currentIndex();
      if (auto* w = dynamic_cast<const ListView*>(widget)) return w->CurrentRow();
      return std::nullopt;
    case property::kInputLimit:
      if (auto* w = dynamic_cast<const EditBox*>(widget)) return w->input_limit();
      return std::nullopt;
    default: return std::nullopt;
  }
}

bool WindowManager::SetProperty(ControlRef ref, int32_t number, const PropertyValue& value) {
  bool itself = false;
  Control* control = Find(ref, &itself);
  QWidget* widget = Widget(ref);
  const auto* text = std::get_if<std::string>(&value);
  const auto* integer = std::get_if<int32_t>(&value);
  if (control != nullptr && control->form->type == image::type_id::kCommonDialog) {
    DialogState& d = control->dialog;
    switch (number) {
      case property::kDialogType:
        if (!integer) return false;
        d.type = *integer;
        return true;
      case property::kDialogFilter:
        if (!text) return false;
        d.filter = *text;
        return true;
      case property::kDefaultExtension:
        if (!text) return false;
        d.default_extension = *text;
        return true;
      case property::kFileName:
        if (!text) return false;
        d.file_name = *text;
        return true;
      default: return false;
    }
  }
  if (widget == nullptr) return false;
  if (number == property::kText) {
    if (!text) return false;
    const QString q = FromGbk(*text);
    if (itself) {
      widget->setWindowTitle(q);
    } else if (auto* edit = dynamic_cast<EditBox*>(widget)) {
      edit->SetProgramText(q);  // the input limit is the user's, not the program's
    } else if (auto* combo = dynamic_cast<ComboBox*>(widget)) {
      SetComboBoxText(combo, q);
    } else if (auto* button = dynamic_cast<QPushButton*>(widget)) {
      button->setText(q);
    } else if (auto* label = dynamic_cast<QLabel*>(widget)) {
      label->setText(q);
    } else if (auto* group = dynamic_cast<QGroupBox*>(widget)) {
      group->setTitle(q);
    } else {
      return false;
    }
    return true;
  }
  if (!integer) return false;
  const int32_t v = *integer;
  switch (number) {
    case property::kVisible:
      if (v == 0 && !itself) {
        FocusWatch::HideControl(widget);
      } else {
        widget->setVisible(v != 0);
      }
      // A control the program shows comes to the front: the quote sheet's
      // cell editor is laid over the list it edits.
      if (v != 0 && !itself) widget->raise();
      return true;
    case property::kEnabled: widget->setEnabled(v != 0); return true;
    case property::kLeft: widget->move(v, widget->y()); return true;
    case property::kTop: widget->move(widget->x(), v); return true;
    case property::kWidth: widget->resize(std::max(v, 0), widget->height()); return true;
    case property::kHeight: widget->resize(widget->width(), std::max(v, 0)); return true;
    case property::kCurrentIndex:
      if (auto* w = dynamic_cast<QComboBox*>(widget)) {
        w->setCurrentIndex(v >= 0 && v < w->count() ? v : -1);
        return true;
      }
      if (auto* w = dynamic_cast<ListView*>(widget)) {
        QuietList quiet(w);
        w->SetCurrentRow(v);
        return true;
      }
      return false;
    case property::kInputLimit:
      if (auto* w = dynamic_cast<EditBox*>(widget)) {
        w->SetInputLimit(v);
        return true;
      }
      return false;
    default: return false;
  }
}

}  // namespace pcshop::ui
