#pragma once
// SendMessageA for the list-view and header messages the application sends
// to the runtime's own list control. The Win32 structures are read and
// written at their 64-bit offsets; the list itself is reached through
// ListControls, which the window side implements, so this library needs no
// toolkit.

#include <cstdint>
#include <optional>
#include <string>

#include "image/list_view_abi.h"
#include "runtime/dll/dll_table.h"

namespace pcshop::dll {

// The message numbers answered.
inline constexpr uint32_t kLvmGetItemA = image::list_view::kGetItemA;
inline constexpr uint32_t kLvmGetItemCount = image::list_view::kGetItemCount;
inline constexpr uint32_t kLvmGetItemPosition = image::list_view::kGetItemPosition;
inline constexpr uint32_t kLvmGetColumnA = image::list_view::kGetColumnA;
inline constexpr uint32_t kLvmGetHeader = image::list_view::kGetHeader;
inline constexpr uint32_t kLvmSubItemHitTest = image::list_view::kSubItemHitTest;
inline constexpr uint32_t kHdmGetItemCount = image::list_view::kHeaderGetItemCount;

struct ListHit {
  int32_t row = -1;
  int32_t column = -1;
};

struct ListPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// The open list views by native handle. Every call names a handle; a handle
// that is not a live list answers "none".
class ListControls {
 public:
  virtual ~ListControls() = default;
  virtual bool IsList(NativeWord handle) const = 0;
  // The header's handle of a list, 0 for no list.
  virtual NativeWord HeaderOf(NativeWord list) const = 0;
  // The list a header handle belongs to, 0 for none.
  virtual NativeWord ListOfHeader(NativeWord header) const = 0;
  virtual int32_t ColumnCount(NativeWord list) const = 0;
  virtual int32_t RowCount(NativeWord list) const = 0;
  virtual int32_t ColumnWidth(NativeWord list, int32_t column) const = 0;
  virtual int32_t ColumnAlignment(NativeWord list, int32_t column) const = 0;  // 0 left, 1 right, 2 centre
  // GBK texts; nothing for a column or cell outside the list.
  virtual std::optional<std::string> ColumnTitle(NativeWord list, int32_t column) const = 0;
  virtual std::optional<std::string> CellText(NativeWord list, int32_t row,
                                              int32_t column) const = 0;
  // Point in the list's client coordinates to row and column.
  virtual ListHit HitTest(NativeWord list, ListPoint point) const = 0;
  // Top-left of a row in client coordinates; nothing for a row outside.
  virtual std::optional<ListPoint> ItemPosition(NativeWord list, int32_t row) const = 0;
};

// The result SendMessageA gives; 0 for any other message or handle.
NativeWord SendListMessage(const ListControls& lists, NativeWord handle, uint32_t message,
                           NativeWord wparam, NativeWord lparam);

}  // namespace pcshop::dll
