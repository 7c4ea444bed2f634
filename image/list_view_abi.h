#pragma once
// The platform list-view and header messages the application sends with
// SendMessageA, and the 64-bit layouts of the records it hands over
// (pointers 8 bytes, natural alignment). The runtime answers them from its
// own list control; both sides take the numbers and offsets from here.

#include <cstddef>
#include <cstdint>

namespace pcshop::image::list_view {

inline constexpr uint32_t kGetItemCount = 0x1004;     // LVM_GETITEMCOUNT
inline constexpr uint32_t kGetItemA = 0x1005;         // LVM_GETITEMA
inline constexpr uint32_t kGetItemPosition = 0x1010;  // LVM_GETITEMPOSITION
inline constexpr uint32_t kGetColumnA = 0x1019;       // LVM_GETCOLUMNA
inline constexpr uint32_t kGetHeader = 0x101F;        // LVM_GETHEADER
inline constexpr uint32_t kSubItemHitTest = 0x1039;   // LVM_SUBITEMHITTEST
inline constexpr uint32_t kHeaderGetItemCount = 0x1200;  // HDM_GETITEMCOUNT

// The hit-test record: POINT pt; UINT flags; int iItem, iSubItem. It is the
// 20-byte block in var slot 0.
namespace hit_test {
inline constexpr size_t kX = 0, kY = 4, kFlags = 8, kItem = 12, kSubItem = 16;
inline constexpr size_t kSize = 20;
inline constexpr uint32_t kNowhere = 0x1;
inline constexpr uint32_t kOnItemLabel = 0x4;
}  // namespace hit_test

// LVCOLUMN: UINT mask; int fmt, cx; LPSTR pszText; int cchTextMax, iSubItem.
namespace column {
inline constexpr size_t kMask = 0, kFormat = 4, kWidth = 8, kText = 16, kTextMax = 24,
                        kSubItem = 28;
inline constexpr size_t kSize = 32;
inline constexpr uint32_t kMaskFormat = 1, kMaskWidth = 2, kMaskText = 4, kMaskSubItem = 8;
// fmt's alignment (LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER).
inline constexpr int32_t kFormatLeft = 0, kFormatRight = 1, kFormatCentre = 2;
}  // namespace column

// LVITEM: UINT mask; int iItem, iSubItem; UINT state, stateMask; LPSTR
// pszText; int cchTextMax.
namespace item {
inline constexpr size_t kMask = 0, kItem = 4, kSubItem = 8, kText = 24, kTextMax = 32;
inline constexpr size_t kSize = 40;
inline constexpr uint32_t kMaskText = 1;
}  // namespace item

// A point of two 32-bit integers (LVM_GETITEMPOSITION's answer).
inline constexpr size_t kPointSize = 8;

}  // namespace pcshop::image::list_view
