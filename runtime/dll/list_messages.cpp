#include "runtime/dll/list_messages.h"

#include <cstddef>
#include <cstring>

#include "runtime/text/gbk_codec.h"

namespace pcshop::dll {
namespace {

namespace hit_test_info = image::list_view::hit_test;
namespace column_info = image::list_view::column;
namespace item_info = image::list_view::item;

constexpr uint32_t kHitNowhere = hit_test_info::kNowhere;
constexpr uint32_t kHitOnItemLabel = hit_test_info::kOnItemLabel;

template <typename T>
T Read(NativeWord base, size_t offset) {
  T v{};
  std::memcpy(&v, reinterpret_cast<const char*>(base) + offset, sizeof v);
  return v;
}
template <typename T>
void Write(NativeWord base, size_t offset, T v) {
  std::memcpy(reinterpret_cast<char*>(base) + offset, &v, sizeof v);
}

// Copies `text` into the caller's buffer of `capacity` bytes with its
// terminator, cut at a character boundary. False when there is no room.
bool CopyOut(const std::string& text, NativeWord buffer, int32_t capacity) {
  if (buffer == 0 || capacity <= 0) return false;
  const size_t n = text::GbkBoundaryAtOrBefore(text, static_cast<size_t>(capacity) - 1);
  char* out = reinterpret_cast<char*>(buffer);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return true;
}

NativeWord HitTest(const ListControls& lists, NativeWord list, NativeWord info) {
  if (info == 0) return static_cast<NativeWord>(-1);
  const ListPoint p{Read<int32_t>(info, hit_test_info::kX), Read<int32_t>(info, hit_test_info::kY)};
  const ListHit hit = lists.HitTest(list, p);
  const bool on_item = hit.row >= 0 && hit.column >= 0;
  Write<uint32_t>(info, hit_test_info::kFlags, on_item ? kHitOnItemLabel : kHitNowhere);
  Write<int32_t>(info, hit_test_info::kItem, on_item ? hit.row : -1);
  Write<int32_t>(info, hit_test_info::kSubItem, on_item ? hit.column : -1);
  return static_cast<NativeWord>(static_cast<intptr_t>(on_item ? hit.row : -1));
}

NativeWord GetColumn(const ListControls& lists, NativeWord list, int32_t column, NativeWord info) {
  if (info == 0 || column < 0 || column >= lists.ColumnCount(list)) return 0;
  const auto mask = Read<uint32_t>(info, column_info::kMask);
  if (mask & column_info::kMaskText) {
    const std::optional<std::string> title = lists.ColumnTitle(list, column);
    if (!title || !CopyOut(*title, Read<NativeWord>(info, column_info::kText),
                           Read<int32_t>(info, column_info::kTextMax))) {
      return 0;
    }
  }
  if (mask & column_info::kMaskFormat) {
    Write<int32_t>(info, column_info::kFormat, lists.ColumnAlignment(list, column));
  }
  if (mask & column_info::kMaskWidth) {
    Write<int32_t>(info, column_info::kWidth, lists.ColumnWidth(list, column));
  }
  if (mask & column_info::kMaskSubItem) Write<int32_t>(info, column_info::kSubItem, column);
  return 1;
}

NativeWord GetItem(const ListControls& lists, NativeWord list, NativeWord info) {
  if (info == 0) return 0;
  const auto row = Read<int32_t>(info, item_info::kItem);
  const auto column = Read<int32_t>(info, item_info::kSubItem);
  const std::optional<std::string> cell = lists.CellText(list, row, column);
  if (!cell) return 0;
  if (Read<uint32_t>(info, item_info::kMask) & item_info::kMaskText) {
    if (!CopyOut(*cell, Read<NativeWord>(info, item_info::kText),
                 Read<int32_t>(info, item_info::kTextMax))) {
      return 0;
    }
  }
  return 1;
}

}  // namespace

NativeWord SendListMessage(const ListControls& lists, NativeWord handle, uint32_t message,
                           NativeWord wparam, NativeWord lparam) {
  if (message == kHdmGetItemCount) {
    const NativeWord list = lists.ListOfHeader(handle);
    return list != 0 ? static_cast<NativeWord>(lists.ColumnCount(list)) : 0;
  }
  if (!lists.IsList(handle)) return 0;
  switch (message) {
    case kLvmSubItemHitTest: return HitTest(lists, handle, lparam);
    case kLvmGetItemPosition: {
      const std::optional<ListPoint> p =
          lists.ItemPosition(handle, static_cast<int32_t>(static_cast<uint32_t>(wparam)));
      if (!p || lparam == 0) return 0;
      Write<int32_t>(lparam, 0, p->x);
      Write<int32_t>(lparam, 4, p->y);
      return 1;
    }
    case kLvmGetHeader: return lists.HeaderOf(handle);
    case kLvmGetItemCount: return static_cast<NativeWord>(lists.RowCount(handle));
    case kLvmGetColumnA:
      return GetColumn(lists, handle, static_cast<int32_t>(static_cast<uint32_t>(wparam)), lparam);
    case kLvmGetItemA: return GetItem(lists, handle, lparam);
    default: return 0;
  }
}

}  // namespace pcshop::dll
