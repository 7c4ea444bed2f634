#include "runtime/ui/window_manager.h"

#include <QApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTranslator>
#include <algorithm>
#include <thread>
#include <utility>

#include "image/event_numbers.h"
#include "image/property_numbers.h"
#include "image/type_ids.h"
#include "runtime/ui/gbk_qt.h"
#include "runtime/ui/widgets.h"

namespace pcshop::ui {

namespace type_id = image::type_id;

WindowManager::WindowManager(std::span<const image::WindowForm> forms, RoutineCaller call_routine)
    : forms_(forms), call_routine_(std::move(call_routine)) {}

void WindowManager::EnsureApplication() {
  if (QApplication::instance() == nullptr) {
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setQuitOnLastWindowClosed(false);  // the manager decides
  }
  if (qt_texts_ == nullptr) {
    // Dates, month names and sizes in Qt's own widgets read as a Chinese user
    // expects, whatever the system's locale. The program's own numbers do not
    // go through QLocale: QString::number and arg() are locale-free.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    // Qt's own texts (dialog buttons, the file dialog) in the program's
    // language, whatever the system's; English where the file is missing.
    auto texts = std::make_unique<QTranslator>();
    if (texts->load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(texts.get());
    }
    qt_texts_ = std::move(texts);
  }
}

WindowManager::~WindowManager() {
  while (!open_.empty()) {
    std::unique_ptr<Window> w = std::move(open_.back());
    open_.pop_back();
    w->widget.reset();
  }
  // Windows unloaded earlier wait for their deferred deletion.
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

const image::WindowForm* WindowManager::FindForm(uint32_t window) const {
  for (const image::WindowForm& f : forms_) {
    if (f.id == window) return &f;
  }
  return nullptr;
}

WindowManager::Window* WindowManager::Open(uint32_t window) {
  for (auto& w : open_) {
    if (w->form->id == window) return w.get();
  }
  return nullptr;
}
const WindowManager::Window* WindowManager::Open(uint32_t window) const {
  return const_cast<WindowManager*>(this)->Open(window);
}

WindowManager::Window* WindowManager::BySerial(uint64_t serial) {
  for (auto& w : open_) {
    if (w->serial == serial) return w.get();
  }
  return nullptr;
}

const WindowManager::Control* WindowManager::Find(ControlRef ref, bool* window_itself) const {
  return const_cast<WindowManager*>(this)->Find(ref, window_itself);
}

WindowManager::Control* WindowManager::Find(ControlRef ref, bool* window_itself) {
  if (window_itself) *window_itself = false;
  Window* w = Open(ref.window);
  if (w == nullptr) return nullptr;
  if (ref.control == 0 || ref.control == w->form->window.id) {
    if (window_itself) *window_itself = true;
    return nullptr;
  }
  for (Control& c : w->controls) {
    if (c.form->id == ref.control) return &c;
  }
  return nullptr;
}

QWidget* WindowManager::Widget(ControlRef ref) const {
  bool itself = false;
  const Control* c = Find(ref, &itself);
  if (itself) return Open(ref.window)->widget.get();
  return c != nullptr ? c->widget.data() : nullptr;
}

const image::ControlForm* WindowManager::Form(ControlRef ref) const {
  bool itself = false;
  const Control* c = Find(ref, &itself);
  if (itself) return &Open(ref.window)->form->window;
  return c != nullptr ? c->form : nullptr;
}

// --- Building.

namespace {

void Place(QWidget* widget, const image::ControlForm& form) {
  widget->setGeometry(form.left, form.top, std::max(form.width, 0), std::max(form.height, 0));
  if (!form.font_name.empty() || form.font_size > 0) {
    QFont font = widget->font();
    if (!form.font_name.empty()) font.setFamily(FromGbk(form.font_name));
    if (form.font_size > 0) font.setPointSize(form.font_size);
    widget->setFont(font);  // Qt falls back to a font that has the glyphs
  }
  widget->setEnabled(form.enabled);
  widget->setVisible(form.visible);
}

QWidget* MakeWidget(const image::ControlForm& form, QWidget* parent) {
  switch (form.type) {
    case type_id::kEditBox: {
      auto* edit = MakeChild<EditBox>(parent);
      edit->SetProgramText(FromGbk(form.caption));
      edit->setReadOnly((form.style & image::style::kEditReadOnly) != 0);
      edit->SetInputLimit(form.input_limit);
      return edit;
    }
    case type_id::kButton: return MakeChild<QPushButton>(FromGbk(form.caption), parent);
    case type_id::kGroupBox: return MakeChild<QGroupBox>(FromGbk(form.caption), parent);
    case type_id::kLabel: {
      auto* label = MakeChild<QLabel>(FromGbk(form.caption), parent);
      label->setAttribute(Qt::WA_TranslucentBackground);
      return label;
    }
    case type_id::kComboBox: {
      auto* combo = MakeChild<ComboBox>(parent);
      const bool list_only = (form.style & image::style::kComboListOnly) != 0;
      combo->SetEditable(!list_only);
      for (const std::string& item : form.items) combo->AddGbkItem(item);
      combo->setCurrentIndex(-1);
      if (!list_only) combo->SetProgramText(FromGbk(form.caption));
      return combo;
    }
    case type_id::kListView: {
      auto* list = MakeChild<ListView>(parent);
      list->SetColumns(form.columns);
      for (const std::vector<std::string>& cells : form.rows) {
        const int row = list->InsertRow(-1);
        for (size_t c = 0; c < cells.size(); ++c) {
          list->SetCell(row, static_cast<int>(c), cells[c]);
        }
      }
      return list;
    }
    default: return nullptr;  // the file dialog and data-only kinds have no widget
  }
}

}  // namespace

void WindowManager::Build(Window& window) {
  const image::WindowForm& form = *window.form;
  window.widget = std::make_unique<WindowWidget>();
  WindowWidget* top = window.widget.get();
  top->setWindowTitle(FromGbk(form.window.caption));
  top->move(form.window.left, form.window.top);
  top->setFixedSize(std::max(form.window.width, 1), std::max(form.window.height, 1));
  if (!form.window.font_name.empty()) top->setFont(QFont(FromGbk(form.window.font_name)));
  const uint64_t serial = window.serial;
  top->closing = [this, serial] {
    if (working_) {
      // The handler that started the work still needs its window.
      held_.push_back([this, serial] {
        if (Window* w = BySerial(serial)) UnloadWindow(w->form->id);
      });
      return;
    }
    if (Window* w = BySerial(serial)) UnloadWindow(w->form->id);
  };

  window.controls.resize(form.controls.size());
  for (size_t i = 0; i < form.controls.size(); ++i) {
    const image::ControlForm& cf = form.controls[i];
    Control& control = window.controls[i];
    control.form = &cf;
    // A group box's children take positions relative to it, as the form gives
    // them; forms name only earlier controls as parents.
    QWidget* parent = top;
    if (cf.parent >= 0 && static_cast<size_t>(cf.parent) < i &&
        window.controls[cf.parent].widget != nullptr) {
      parent = window.controls[cf.parent].widget;
    }
    if (QWidget* widget = MakeWidget(cf, parent)) {
      Place(widget, cf);
      control.widget = widget;
    }
    if (cf.type == type_id::kCommonDialog) {
      control.dialog.type = (cf.style & image::style::kDialogSave) != 0 ? 1 : 0;
    }
    Connect(window, i);
  }
}

void WindowManager::Connect(const Window& window, size_t index) {
  const Control& control = window.controls[index];
  QWidget* widget = control.widget;
  if (widget == nullptr) return;
  const uint64_t serial = window.serial;
  const int i = static_cast<int>(index);
  auto raise = [this, serial, i](int32_t event) { return [this, serial, i, event] { Raise(serial, i, event); }; };

  if (auto* button = dynamic_cast<QPushButton*>(widget)) {
    QObject::connect(button, &QPushButton::clicked, raise(image::event::kButtonClicked));
    MakeChild<FocusWatch>(button, raise(image::event::kFocusLost));
  } else if (auto* edit = dynamic_cast<EditBox*>(widget)) {
    QObject::connect(edit, &QLineEdit::textEdited, raise(image::event::kEditTextChanged));
    QObject::connect(edit, &QLineEdit::returnPressed, raise(image::event::kEditEnterPressed));
    edit->row_taken = [this, serial, i](int row) {
      const int32_t data[] = {row};
      Raise(serial, i, image::event::kEditRowTaken, data);
    };
    MakeChild<FocusWatch>(edit, raise(image::event::kFocusLost));
  } else if (auto* combo = dynamic_cast<ComboBox*>(widget)) {
    combo->about_to_drop_down = raise(image::event::kComboAboutToDropDown);
    combo->enter_pressed = raise(image::event::kComboEnterPressed);
    QObject::connect(combo, &QComboBox::activated, [this, serial, i](int) {
      Raise(serial, i, image::event::kComboItemChosen);
      Raise(serial, i, image::event::kComboTextChanged);
    });
    if (QLineEdit* line = combo->lineEdit()) {
      QObject::connect(line, &QLineEdit::textEdited, raise(image::event::kComboTextChanged));
    }
    // The combo box holds the focus for its line edit (its focus proxy) and
    // hands focus events on directly, past any filter on the line edit.
    MakeChild<FocusWatch>(combo, raise(image::event::kFocusLost));
  } else if (auto* list = dynamic_cast<ListView*>(widget)) {
    list->pressed = [this, serial, i](int x, int y, int which) {
      const int32_t data[] = {x, y, which};
      Raise(serial, i, image::event::kPress, data);
    };
    // Only the user's changes of the current row: a list the program fills
    // or clears does not call back into the program.
    list->current_row_changed = [this, serial, i] {
      Raise(serial, i, image::event::kListCurrentRowChanged);
    };
    MakeChild<FocusWatch>(list, raise(image::event::kFocusLost));
  }
}

// --- Events.

void WindowManager::Raise(uint64_t serial, int index, int32_t event,
                          std::span<const int32_t> data) {
  if (working_) {
    // A handler is waiting for RunAnswering's work: this one runs after.
    std::vector<int32_t> copy(data.begin(), data.end());
    held_.push_back([this, serial, index, event, copy = std::move(copy)] {
      Raise(serial, index, event, copy);
    });
    return;
  }
  const Window* w = BySerial(serial);
  if (w == nullptr) return;  // closed: its widgets wait for deletion
  const image::ControlForm& form =
      index < 0 ? w->form->window : w->form->controls[static_cast<size_t>(index)];
  for (const image::EventBinding& b : form.bindings) {
    if (b.event != event) continue;
    // Copy before the call: the handler may close this very window.
    const uint32_t offset = b.code_offset;
    if (call_routine_) call_routine_(offset, data);
    return;
  }
}

void WindowManager::RaiseEvent(ControlRef ref, int32_t event, std::span<const int32_t> data) {
  Window* w = Open(ref.window);
  if (w == nullptr) return;
  if (ref.control == 0 || ref.control == w->form->window.id) {
    Raise(w->serial, -1, event, data);
    return;
  }
  for (size_t i = 0; i < w->controls.size(); ++i) {
    if (w->controls[i].form->id == ref.control) {
      Raise(w->serial, static_cast<int>(i), event, data);
      return;
    }
  }
}

void WindowManager::RunAnswering(const std::function<void()>& work) {
  if (QCoreApplication::instance() == nullptr || working_) {
    work();
    return;
  }
  working_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  {
    QEventLoop loop;
    // The queued quit waits in the loop's queue if the work ends before exec.
    std::jthread worker([&] {
      work();
      QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  QApplication::restoreOverrideCursor();
  working_ = false;
  // What came meanwhile runs in order once the waiting handler has returned,
  // as the user's own input does.
  for (std::function<void()>& held : std::exchange(held_, {})) {
    QMetaObject::invokeMethod(&held_context_, std::move(held), Qt::QueuedConnection);
  }
}

// --- Windows.

bool WindowManager::LoadWindow(uint32_t window, bool modal) {
  if (Window* open = Open(window)) {
    open->widget->raise();
    open->widget->activateWindow();
    return true;
  }
  const image::WindowForm* form = FindForm(window);
  if (form == nullptr) return false;
  EnsureApplication();
  auto w = std::make_unique<Window>();
  w->form = form;
  w->serial = next_serial_++;
  Build(*w);
  const uint64_t serial = w->serial;
  WindowWidget* top = w->widget.get();
  if (modal) top->setWindowModality(Qt::ApplicationModal);
  open_.push_back(std::move(w));
  top->show();
  Raise(serial, -1, image::event::kWindowCreated);
  if (modal && BySerial(serial) != nullptr && !loop_override_) {
    // Until the window is unloaded (its deletion follows later).
    QEventLoop modal_loop;
    while (BySerial(serial) != nullptr) modal_loop.processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void WindowManager::Destroy(std::unique_ptr<WindowWidget> widget) {
  widget->hide();
  // Qt deletes it once control is back in the event loop, after the handler
  // that closed it has returned.
  widget.release()->deleteLater();
}

void WindowManager::UnloadWindow(uint32_t window) {
  auto it = std::find_if(open_.begin(), open_.end(),
                         [window](const auto& w) { return w->form->id == window; });
  if (it == open_.end()) return;
  std::unique_ptr<Window> w = std::move(*it);
  open_.erase(it);
  Destroy(std::move(w->widget));
  if (open_.empty() && loop_ != nullptr) loop_->quit();
}

bool WindowManager::IsOpen(uint32_t window) const { return Open(window) != nullptr; }

std::vector<uint32_t> WindowManager::OpenWindows() const {
  std::vector<uint32_t> ids;
  for (const auto& w : open_) ids.push_back(w->form->id);
  return ids;
}

void WindowManager::RunMessageLoop() {
  if (loop_override_) {
    loop_override_();
    return;
  }
  if (open_.empty() || loop_ != nullptr) return;
  QEventLoop loop;
  loop_ = &loop;
  loop.exec();
  loop_ = nullptr;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::string WindowManager::WindowName(uint32_t window) const {
  const image::WindowForm* f = FindForm(window);
  return f != nullptr ? f->window.name : std::string();
}

std::optional<uint32_t> WindowManager::FindWindowByName(std::string_view name) const {
  for (const image::WindowForm& f : forms_) {
    if (NameMatches(f.window.name, name)) return f.id;
  }
  for (const image::WindowForm& f : forms_) {
    if (NameMatches(f.window.caption, name)) return f.id;
  }
  return std::nullopt;
}

std::optional<ControlRef> WindowManager::FindByName(std::string_view window,
                                                    std::string_view control) const {
  const std::optional<uint32_t> id = FindWindowByName(window);
  if (!id) return std::nullopt;
  const Window* w = Open(*id);
  if (w == nullptr) return std::nullopt;
  for (const image::ControlForm& c : w->form->controls) {
    if (NameMatches(c.name, control)) return ControlRef{*id, c.id};
  }
  return std::nullopt;
}

}  // namespace pcshop::ui
