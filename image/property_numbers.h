#pragma once
// The runtime's property numbers, read and written through the GetProperty
// and SetProperty entry points. One table for the application and the
// runtime. The element index is -1 for all of them.
//
// Values cross as one 64-bit word: an integer or a logical in the low 32 bits
// (an index of -1 is 0xFFFFFFFF), a text as the address of a GBK text. A text
// that GetProperty returns is a new block the caller frees; SetProperty copies
// the text it is given.

#include <cstdint>

namespace pcshop::image {

enum class PropertyKind : uint8_t { kInteger, kLogical, kText };

namespace property {
// Caption of a window, button, group box or label; text of an edit box or a
// combo box. Setting a list-only combo box's text chooses the item of that
// text, or no item when none has it.
inline constexpr int32_t kText = 1;
inline constexpr int32_t kVisible = 2;
inline constexpr int32_t kEnabled = 3;
// Geometry in pixels, relative to the parent (window or group box).
inline constexpr int32_t kLeft = 4;
inline constexpr int32_t kTop = 5;
inline constexpr int32_t kWidth = 6;
inline constexpr int32_t kHeight = 7;
// A combo box's chosen item or a list view's current row; -1 for none.
inline constexpr int32_t kCurrentIndex = 8;
// An edit box's input limit in GBK bytes; 0 for none. Applies to typing only.
inline constexpr int32_t kInputLimit = 9;
// File dialog: 0 opens a file, 1 asks for a file to write.
inline constexpr int32_t kDialogType = 10;
// File dialog filter, pairs of "description|pattern" joined by '|'.
inline constexpr int32_t kDialogFilter = 11;
// File dialog default extension (".xls" or "xls"), added to a chosen name
// that has none.
inline constexpr int32_t kDefaultExtension = 12;
// File dialog: the chosen file name, a native path as GBK text.
inline constexpr int32_t kFileName = 13;
}  // namespace property

constexpr bool IsKnownProperty(int32_t number) { return number >= 1 && number <= 13; }

constexpr PropertyKind KindOfProperty(int32_t number) {
  switch (number) {
    case property::kText:
    case property::kDialogFilter:
    case property::kDefaultExtension:
    case property::kFileName: return PropertyKind::kText;
    case property::kVisible:
    case property::kEnabled: return PropertyKind::kLogical;
    default: return PropertyKind::kInteger;
  }
}

}  // namespace pcshop::image
