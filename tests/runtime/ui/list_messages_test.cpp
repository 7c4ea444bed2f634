// SendMessageA's list-view and header messages on an open list, with the
// structures at their 64-bit layout.

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "runtime/dll/dll_table.h"
#include "runtime/dll/list_messages.h"
#include "runtime/text/gbk_codec.h"
#include "test_window.h"

namespace pcshop::ui::testing {
namespace {

using dll::NativeWord;

std::string Gbk(const char* utf8) { return *text::Utf8ToGbk(utf8); }

// The 64-bit layouts, as a caller declares them.
struct Point {
  int32_t x, y;
};
struct HitTestInfo {
  Point pt;
  uint32_t flags;
  int32_t item, sub_item, group;
};
struct ColumnInfo {
  uint32_t mask;
  int32_t format, width;
  char* text;
  int32_t text_max, sub_item, image, order, min, default_width, ideal;
};
struct ItemInfo {
  uint32_t mask;
  int32_t item, sub_item;
  uint32_t state, state_mask;
  char* text;
  int32_t text_max, image;
  intptr_t param;
  int32_t indent, group_id;
  uint32_t columns;
  uint32_t* column_formats;
  int32_t* column_format;
  int32_t group;
};
static_assert(offsetof(ColumnInfo, text) == 16 && offsetof(ColumnInfo, text_max) == 24);
static_assert(offsetof(ItemInfo, text) == 24 && offsetof(ItemInfo, text_max) == 32);

NativeWord Address(const void* p) { return reinterpret_cast<NativeWord>(p); }

class ListMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(t_.windows().LoadWindow(kWindow, false));
    list_ = t_.windows().ControlHandle({kWindow, kList});
    ASSERT_NE(list_, 0u);
  }
  NativeWord Send(NativeWord handle, uint32_t message, NativeWord wparam, NativeWord lparam) {
    // Through the DLL table, as the application's SendMessageA reaches it.
    const Result<dll::DllFunction> f = dll::ResolveDllFunction("user32", "SendMessageA");
    const NativeWord words[] = {handle, message, wparam, lparam};
    return f->list_call(t_.windows(), words);
  }

  TestWindows t_;
  NativeWord list_ = 0;
};

TEST_F(ListMessagesTest, HitTestAndItemPositionAgreeWithTheColumnWidths) {
  Point p{};
  ASSERT_EQ(Send(list_, dll::kLvmGetItemPosition, 1, Address(&p)), 1u);
  // The middle of row 1's third column: past the widths of columns 0 and 1.
  const int32_t x = p.x + 50 + 120 + 10;
  HitTestInfo info{{x, p.y + 3}, 0, 0, 0, 0};
  EXPECT_EQ(Send(list_, dll::kLvmSubItemHitTest, 0, Address(&info)), 1u);
  EXPECT_EQ(info.item, 1);
  EXPECT_EQ(info.sub_item, 2);
  EXPECT_NE(info.flags & 0xE, 0u);
  // Just left of column 2 is column 1.
  info = {{p.x + 50 + 119, p.y + 3}, 0, 0, 0, 0};
  Send(list_, dll::kLvmSubItemHitTest, 0, Address(&info));
  EXPECT_EQ(info.sub_item, 1);
  // Below the last row and right of the last column: nothing.
  for (Point nowhere : {Point{p.x + 5, 190}, Point{p.x + 260, p.y + 3}}) {
    info = {nowhere, 0, 7, 7, 0};
    EXPECT_EQ(static_cast<intptr_t>(Send(list_, dll::kLvmSubItemHitTest, 0, Address(&info))), -1);
    EXPECT_EQ(info.item, -1);
    EXPECT_EQ(info.flags, 1u);
  }
  // Rows lie one under the other.
  Point next{};
  ASSERT_EQ(Send(list_, dll::kLvmGetItemPosition, 2, Address(&next)), 1u);
  EXPECT_EQ(next.x, p.x);
  EXPECT_GT(next.y, p.y);
  EXPECT_EQ(Send(list_, dll::kLvmGetItemPosition, 3, Address(&next)), 0u);
}

TEST_F(ListMessagesTest, HeaderAndCountsDescribeTheList) {
  const NativeWord header = Send(list_, dll::kLvmGetHeader, 0, 0);
  ASSERT_NE(header, 0u);
  EXPECT_NE(header, list_);
  EXPECT_EQ(Send(header, dll::kHdmGetItemCount, 0, 0), 3u);
  EXPECT_EQ(Send(list_, dll::kLvmGetItemCount, 0, 0), 3u);
  // Header messages go to the header, list messages to the list.
  EXPECT_EQ(Send(list_, dll::kHdmGetItemCount, 0, 0), 0u);
  EXPECT_EQ(Send(header, dll::kLvmGetItemCount, 0, 0), 0u);
}

TEST_F(ListMessagesTest, ColumnAndItemTextsComeBackAsGbk) {
  std::array<char, 260> buffer{};
  ColumnInfo column{};
  column.mask = 4 | 2 | 1;
  column.text = buffer.data();
  column.text_max = 260;
  ASSERT_EQ(Send(list_, dll::kLvmGetColumnA, 1, Address(&column)), 1u);
  EXPECT_EQ(std::string(buffer.data()), Gbk("品名"));
  EXPECT_EQ(column.width, 120);
  ASSERT_EQ(Send(list_, dll::kLvmGetColumnA, 2, Address(&column)), 1u);
  EXPECT_EQ(column.format, 1);  // right-aligned
  EXPECT_EQ(Send(list_, dll::kLvmGetColumnA, 3, Address(&column)), 0u);

  ItemInfo item{};
  item.mask = 1;
  item.item = 1;
  item.sub_item = 1;
  item.text = buffer.data();
  item.text_max = 260;
  ASSERT_EQ(Send(list_, dll::kLvmGetItemA, 0, Address(&item)), 1u);
  EXPECT_EQ(std::string(buffer.data()), Gbk("内存"));
  item.item = 3;
  EXPECT_EQ(Send(list_, dll::kLvmGetItemA, 0, Address(&item)), 0u);
}

TEST_F(ListMessagesTest, ASmallBufferGetsWholeCharactersAndNothingPastItsEnd) {
  std::array<char, 8> buffer;
  buffer.fill('#');
  ItemInfo item{};
  item.mask = 1;
  item.item = 0;
  item.sub_item = 1;  // "主板": four bytes
  item.text = buffer.data();
  item.text_max = 4;  // room for one character and the terminator
  ASSERT_EQ(Send(list_, dll::kLvmGetItemA, 0, Address(&item)), 1u);
  EXPECT_EQ(std::string(buffer.data()), Gbk("主"));
  EXPECT_EQ(std::string(buffer.data() + 3, 5), "#####");
  buffer.fill('#');
  item.text_max = 1;
  ASSERT_EQ(Send(list_, dll::kLvmGetItemA, 0, Address(&item)), 1u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], '#');
  item.text_max = 0;
  EXPECT_EQ(Send(list_, dll::kLvmGetItemA, 0, Address(&item)), 0u);
}

TEST_F(ListMessagesTest, OtherHandlesAndMessagesAnswerZero) {
  const NativeWord button = t_.windows().ControlHandle({kWindow, kButton});
  EXPECT_EQ(Send(button, dll::kLvmGetItemCount, 0, 0), 0u);
  EXPECT_EQ(Send(12345, dll::kLvmGetHeader, 0, 0), 0u);
  EXPECT_EQ(Send(0, dll::kHdmGetItemCount, 0, 0), 0u);
  EXPECT_EQ(Send(list_, 0x000C, 0, 0), 0u);  // a message no list answers here
  EXPECT_EQ(Send(list_, dll::kLvmSubItemHitTest, 0, 0), static_cast<NativeWord>(-1));
  // A closed window's list is gone.
  t_.windows().UnloadWindow(kWindow);
  EXPECT_EQ(Send(list_, dll::kLvmGetItemCount, 0, 0), 0u);
}

}  // namespace
}  // namespace pcshop::ui::testing
