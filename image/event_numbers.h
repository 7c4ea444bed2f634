#pragma once
// The runtime's event numbers, by control kind, in one table. A form record
// binds (event number, routine slot); the runtime raises an event by the
// same number, and mkimage turns the event names of forms/*.json into these
// numbers. A number means something only together with the control's kind.
//
// Positive numbers are events of one kind; negative numbers are events that
// any control can raise (a press, a lost focus). The numbers the compiled
// application has always used keep their meaning: 0 for a button's click, a
// combo box's chosen item and a window's creation, 1 and 2 for a combo box's
// text change and drop-down, -3 for a press on the list view and -8 for a
// lost input focus. The others are ours and clash with none of these.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "image/type_ids.h"

namespace pcshop::image {

namespace event {
// Window.
inline constexpr int32_t kWindowCreated = 0;
// Button.
inline constexpr int32_t kButtonClicked = 0;
// Combo box.
inline constexpr int32_t kComboItemChosen = 0;
inline constexpr int32_t kComboTextChanged = 1;
inline constexpr int32_t kComboAboutToDropDown = 2;
inline constexpr int32_t kComboEnterPressed = 3;
// Edit box.
inline constexpr int32_t kEditTextChanged = 4;
inline constexpr int32_t kEditEnterPressed = 6;
// A row of the box's drop list taken (Enter or a click); data word: the row.
inline constexpr int32_t kEditRowTaken = 7;
// List view.
inline constexpr int32_t kListCurrentRowChanged = 5;
// Any control.
// A mouse-button press; data words: x, y (client coordinates), button.
inline constexpr int32_t kPress = -3;
inline constexpr int32_t kFocusLost = -8;
}  // namespace event

// Style bits of a form record, by kind.
namespace style {
inline constexpr uint32_t kComboListOnly = 1;  // a drop-down list: no typing
inline constexpr uint32_t kEditReadOnly = 1;
inline constexpr uint32_t kListReport = 1;     // report view with a header
inline constexpr uint32_t kListGridLines = 2;
inline constexpr uint32_t kListFullRowSelect = 4;
inline constexpr uint32_t kLabelTransparent = 1;
inline constexpr uint32_t kDialogSave = 1;     // the dialog asks for a file to write
}  // namespace style

struct EventName {
  uint32_t type;          // type identifier of the control kind
  std::string_view name;  // as forms/*.json spell it
  int32_t number;
  uint32_t data_words;    // plain 32-bit words the runtime passes along
};

inline constexpr std::array<EventName, 15> kEventNames = {{
    {type_id::kWindow, "created", event::kWindowCreated, 0},
    {type_id::kButton, "clicked", event::kButtonClicked, 0},
    {type_id::kButton, "focus_lost", event::kFocusLost, 0},
    {type_id::kComboBox, "item_chosen", event::kComboItemChosen, 0},
    {type_id::kComboBox, "text_changed", event::kComboTextChanged, 0},
    {type_id::kComboBox, "about_to_drop_down", event::kComboAboutToDropDown, 0},
    {type_id::kComboBox, "enter_pressed", event::kComboEnterPressed, 0},
    {type_id::kComboBox, "focus_lost", event::kFocusLost, 0},
    {type_id::kEditBox, "text_changed", event::kEditTextChanged, 0},
    {type_id::kEditBox, "enter_pressed", event::kEditEnterPressed, 0},
    {type_id::kEditBox, "row_taken", event::kEditRowTaken, 1},
    {type_id::kEditBox, "focus_lost", event::kFocusLost, 0},
    {type_id::kListView, "current_row_changed", event::kListCurrentRowChanged, 0},
    {type_id::kListView, "press", event::kPress, 3},
    {type_id::kListView, "focus_lost", event::kFocusLost, 0},
}};

// The event number of `name` for a control of type `type`, or nothing when
// that kind has no such event.
constexpr std::optional<int32_t> EventNumber(uint32_t type, std::string_view name) {
  for (const EventName& e : kEventNames) {
    if (e.type == type && e.name == name) return e.number;
  }
  return std::nullopt;
}

// How many data words the runtime passes with event `number` of `type`.
constexpr uint32_t EventDataWords(uint32_t type, int32_t number) {
  for (const EventName& e : kEventNames) {
    if (e.type == type && e.number == number) return e.data_words;
  }
  return 0;
}

}  // namespace pcshop::image
