#pragma once
// The runtime's windows: each window is built from its form record as Qt
// widgets at the form's geometry when it is loaded, and destroyed when it is
// unloaded. Control events go to the routine bound in the form; the manager
// calls it through the RoutineCaller the kernel gives it. Texts are GBK on
// this side of the manager and cross to Qt through gbk_qt.h.
//
// Ids are the form's: a window by its window id, a control by its control id
// within that window (0 or the window record's own id name the window).
//
// A window unloaded inside one of its own handlers is hidden at once and
// deleted later by Qt's event loop, so the handler's caller never touches a
// deleted widget.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "image/image_view.h"
#include "runtime/dll/list_messages.h"
#include "runtime/ui/responder.h"

class QApplication;
class QEventLoop;
class QString;
class QTranslator;
class QWidget;

namespace pcshop::ui {

class ListView;
class WindowWidget;

// Calls the routine whose slot lies at `code_offset`, with an event's words.
using RoutineCaller = std::function<void(uint32_t code_offset, std::span<const int32_t> data)>;

using PropertyValue = std::variant<int32_t, std::string>;

struct ControlRef {
  uint32_t window = 0;
  uint32_t control = 0;
};

class WindowManager final : public dll::ListControls {
 public:
  // `forms` must outlive the manager. The first window or dialog creates a
  // QApplication when none exists yet; it is destroyed with the manager.
  WindowManager(std::span<const image::WindowForm> forms, RoutineCaller call_routine);
  ~WindowManager() override;
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;

  // --- Windows.
  // Builds and shows the window and raises its "created" event. An open
  // window is raised instead. A modal window returns once it is closed.
  bool LoadWindow(uint32_t window, bool modal);
  void UnloadWindow(uint32_t window);
  bool IsOpen(uint32_t window) const;
  std::vector<uint32_t> OpenWindows() const;  // in the order they were opened
  // Qt's event loop until the last window closes; at once when none is open.
  void RunMessageLoop();
  // Tests run their scenario in place of the event loop.
  void SetMessageLoop(std::function<void()> loop) { loop_override_ = std::move(loop); }
  // Runs `work` on a thread of its own while the windows go on painting:
  // the user's input, window closes and event handlers wait until it is
  // done and the handler that asked for it has returned, under a busy
  // cursor. `work` must not touch the windows.
  void RunAnswering(const std::function<void()>& work);
  bool working() const { return working_; }
  // Answers dialogs instead of showing them; null shows them again.
  void SetResponder(Responder* responder) { responder_ = responder; }

  // --- Controls.
  // The control's native handle (its list handle for a list view); 0 for none.
  uintptr_t ControlHandle(ControlRef ref) const;
  void FocusControl(ControlRef ref);
  // True when a file was chosen; its name is then the kFileName property.
  bool ShowFileDialog(ControlRef ref);
  // A folder the user chooses (GBK path), nothing when cancelled.
  std::optional<std::string> ChooseFolder(std::string_view title);
  // Style 0: OK (0). Style 1: OK (0) or Cancel (1). No caption: "pcshop".
  int32_t MessageBox(std::string_view text, int32_t style, std::string_view caption);

  int32_t ComboCount(ControlRef ref) const;
  std::string ComboItem(ControlRef ref, int32_t index) const;  // "" outside
  int32_t AddComboItem(ControlRef ref, std::string_view text);  // its index, -1 for no combo
  void DeleteComboItem(ControlRef ref, int32_t index);
  void ClearCombo(ControlRef ref);
  void SetComboText(ControlRef ref, std::string_view text);
  // Rows of `columns` GBK cells each dropped below an edit box (widgets.h:
  // DropList); none, or a column count below 1, closes the list.
  void ShowDropRows(ControlRef ref, int32_t columns, std::span<const std::string> cells);
  void HideDropRows(ControlRef ref);

  std::optional<std::string> ListCell(ControlRef ref, int32_t row, int32_t column) const;
  bool SetListCell(ControlRef ref, int32_t row, int32_t column, std::string_view text);
  int32_t ListRowCount(ControlRef ref) const;
  // A new empty row at `row`, at the end when `row` is outside; its index, -1
  // for no list.
  int32_t InsertListRow(ControlRef ref, int32_t row);
  void ClearList(ControlRef ref);
  int32_t ColumnWidth(ControlRef ref, int32_t column) const;  // 0 outside

  // Nothing for an unknown control or a property the control does not have.
  std::optional<PropertyValue> GetProperty(ControlRef ref, int32_t property) const;
  // False for an unknown control, property or value kind.
  bool SetProperty(ControlRef ref, int32_t property, const PropertyValue& value);

  // --- For the test seam.
  std::optional<ControlRef> FindByName(std::string_view window, std::string_view control) const;
  std::optional<uint32_t> FindWindowByName(std::string_view window) const;
  QWidget* Widget(ControlRef ref) const;
  const image::ControlForm* Form(ControlRef ref) const;
  std::string WindowName(uint32_t window) const;  // GBK
  // Raises a control's event as the widget would.
  void RaiseEvent(ControlRef ref, int32_t event, std::span<const int32_t> data = {});

  // --- dll::ListControls.
  bool IsList(dll::NativeWord handle) const override;
  dll::NativeWord HeaderOf(dll::NativeWord list) const override;
  dll::NativeWord ListOfHeader(dll::NativeWord header) const override;
  int32_t ColumnCount(dll::NativeWord list) const override;
  int32_t RowCount(dll::NativeWord list) const override;
  int32_t ColumnWidth(dll::NativeWord list, int32_t column) const override;
  int32_t ColumnAlignment(dll::NativeWord list, int32_t column) const override;
  std::optional<std::string> ColumnTitle(dll::NativeWord list, int32_t column) const override;
  std::optional<std::string> CellText(dll::NativeWord list, int32_t row,
                                      int32_t column) const override;
  dll::ListHit HitTest(dll::NativeWord list, dll::ListPoint point) const override;
  std::optional<dll::ListPoint> ItemPosition(dll::NativeWord list, int32_t row) const override;

 private:
  struct DialogState {
    int32_t type = 0;
    std::string filter, default_extension, file_name;  // GBK
  };
  struct Control {
    const image::ControlForm* form = nullptr;
    QPointer<QWidget> widget;  // null for the file dialog
    DialogState dialog;
  };
  struct Window {
    const image::WindowForm* form = nullptr;
    uint64_t serial = 0;
    std::unique_ptr<WindowWidget> widget;
    std::vector<Control> controls;  // in form order
  };

  void EnsureApplication();
  // The GBK of a text a widget shows, or nothing after telling the user
  // that GBK cannot hold it.
  std::optional<std::string> ProgramText(const QString& shown) const;
  void Warn(const QString& text) const;
  const image::WindowForm* FindForm(uint32_t window) const;
  Window* Open(uint32_t window);
  const Window* Open(uint32_t window) const;
  Window* BySerial(uint64_t serial);
  // The control, or null; `window_itself` is set when the ref names the window.
  const Control* Find(ControlRef ref, bool* window_itself = nullptr) const;
  Control* Find(ControlRef ref, bool* window_itself = nullptr);
  // The control's widget as a T, or null.
  template <typename T>
  T* As(ControlRef ref) const {
    const Control* c = Find(ref);
    return c != nullptr ? dynamic_cast<T*>(c->widget.data()) : nullptr;
  }
  ListView* ListByHandle(dll::NativeWord handle) const;
  void Build(Window& window);
  void Connect(const Window& window, size_t index);
  void Raise(uint64_t serial, int index, int32_t event, std::span<const int32_t> data = {});
  void Destroy(std::unique_ptr<WindowWidget> widget);

  std::span<const image::WindowForm> forms_;
  RoutineCaller call_routine_;
  int argc_ = 1;
  char program_name_[7] = "pcshop";
  char* argv_[2] = {program_name_, nullptr};
  std::unique_ptr<QApplication> application_;  // only when the manager made it
  std::unique_ptr<QTranslator> qt_texts_;      // Qt's own texts in Chinese
  std::vector<std::unique_ptr<Window>> open_;   // in the order they were opened
  uint64_t next_serial_ = 1;
  QEventLoop* loop_ = nullptr;  // the running message loop
  std::function<void()> loop_override_;
  Responder* responder_ = nullptr;
  bool working_ = false;                    // RunAnswering's work is running
  std::vector<std::function<void()>> held_;  // events and closes that came meanwhile
  // What held events are queued on once the work is done: they die with it.
  QObject held_context_;
};

}  // namespace pcshop::ui
