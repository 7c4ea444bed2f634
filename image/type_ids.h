#pragma once
// Type identifiers, as the image's records and id slots carry them.

#include <cstdint>

namespace pcshop::image {

// Type identifiers: library number from 1 in the high 16 bits, the type's
// number within that library in the low 16 bits.
namespace type_id {
inline constexpr uint32_t kWindow = 0x10001;
inline constexpr uint32_t kEditBox = 0x10005;
inline constexpr uint32_t kGroupBox = 0x10009;
inline constexpr uint32_t kButton = 0x1000B;
inline constexpr uint32_t kComboBox = 0x1000E;
inline constexpr uint32_t kCommonDialog = 0x1001F;
inline constexpr uint32_t kFieldList = 0x10022;
inline constexpr uint32_t kListView = 0x20004;
inline constexpr uint32_t kLabel = 0x20005;
inline constexpr uint32_t kSpreadsheetApp = 0x30001;
inline constexpr uint32_t kSpreadsheetBook = 0x30002;
}  // namespace type_id

inline constexpr uint32_t kKnownTypeIds[] = {
    type_id::kWindow,   type_id::kEditBox,      type_id::kGroupBox, type_id::kButton,
    type_id::kComboBox, type_id::kCommonDialog, type_id::kFieldList, type_id::kListView,
    type_id::kLabel,    type_id::kSpreadsheetApp, type_id::kSpreadsheetBook,
};
constexpr bool IsKnownTypeId(uint32_t id) {
  for (uint32_t t : kKnownTypeIds) {
    if (t == id) return true;
  }
  return false;
}

}  // namespace pcshop::image
