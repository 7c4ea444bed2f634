#pragma once
// The one seam for tests: act on the controls of open windows as a user
// would, by window and control name (GBK or UTF-8, the form's names; a window
// may also be named by its caption), and read what they show. Texts read
// back are UTF-8. Dialogs are answered by the Responder (responder.h), which
// the tests install with WindowManager::SetResponder.
//
// Actions go through the widgets (clicks, key presses, mouse presses), so
// the events the program sees are those a user causes. An action on a name
// that is not open is a NotFound error.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "runtime/ui/responder.h"

namespace pcshop::ui {

class WindowManager;

class UserActions {
 public:
  explicit UserActions(WindowManager& windows) : windows_(windows) {}

  [[nodiscard]] Status Click(std::string_view window, std::string_view control);
  // Opens the list (its "about to drop down" handler runs first), picks item
  // `index` and closes the list.
  [[nodiscard]] Status ChooseComboItem(std::string_view window, std::string_view control,
                                       int index);
  // Opens and closes a combo box's list without choosing.
  [[nodiscard]] Status DropDown(std::string_view window, std::string_view control);
  // Types `text` (UTF-8 or GBK) character by character at the end of what the
  // control holds; the input limit applies.
  [[nodiscard]] Status TypeText(std::string_view window, std::string_view control,
                                std::string_view text);
  // Replaces the control's text as the user would (select all, type).
  [[nodiscard]] Status SetText(std::string_view window, std::string_view control,
                               std::string_view text);
  // Puts `text` (UTF-8 or GBK) on the clipboard and presses Ctrl+V in the
  // control, as a paste from another program.
  [[nodiscard]] Status Paste(std::string_view window, std::string_view control,
                             std::string_view text);
  // A left-button press at (x, y) in the list's client coordinates.
  [[nodiscard]] Status PressList(std::string_view window, std::string_view control, int x,
                                 int y);
  // A press in the middle of cell (row, column), scrolled into sight first.
  [[nodiscard]] Status PressListCell(std::string_view window, std::string_view control, int row,
                                     int column);
  [[nodiscard]] Status PressEnter(std::string_view window, std::string_view control);
  // Up, Down or Esc pressed in an edit box (its drop list works on them).
  enum class ListKey { kUp, kDown, kEscape };
  [[nodiscard]] Status PressKey(std::string_view window, std::string_view control, ListKey key);
  // A click on row `row` of the edit box's drop list.
  [[nodiscard]] Status ClickDropRow(std::string_view window, std::string_view control, int row);
  // The control loses the input focus.
  [[nodiscard]] Status LeaveControl(std::string_view window, std::string_view control);
  // Closes a window by its title bar.
  [[nodiscard]] Status CloseWindow(std::string_view window);

  // --- What the controls show. A missing control reads as empty / false.
  std::string Text(std::string_view window, std::string_view control) const;
  std::vector<std::string> Items(std::string_view window, std::string_view control) const;
  int CurrentIndex(std::string_view window, std::string_view control) const;
  std::string Cell(std::string_view window, std::string_view control, int row, int column) const;
  int RowCount(std::string_view window, std::string_view control) const;
  bool Visible(std::string_view window, std::string_view control) const;
  bool Enabled(std::string_view window, std::string_view control) const;
  // The rows the edit box's drop list shows (UTF-8 cells); none when closed.
  std::vector<std::vector<std::string>> DropRows(std::string_view window,
                                                 std::string_view control) const;
  // The notice a box shows beside itself (a refused or cut input), which
  // reading dismisses; empty when none shows.
  std::string Notice() const;
  // Names of the open windows (UTF-8), in the order they were opened.
  std::vector<std::string> OpenWindows() const;
  bool IsOpen(std::string_view window) const;

  // Runs what is pending: deferred deletions of closed windows, posted events.
  void ProcessEvents();

 private:
  WindowManager& windows_;
};

}  // namespace pcshop::ui
