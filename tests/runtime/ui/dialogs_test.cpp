// Message boxes and the file dialog, answered by the responder.

#include <gtest/gtest.h>

#include "image/property_numbers.h"
#include "runtime/text/gbk_codec.h"
#include "test_window.h"

namespace pcshop::ui::testing {
namespace {

namespace property = image::property;

std::string Gbk(const char* utf8) { return *text::Utf8ToGbk(utf8); }

TEST(DialogsTest, MessageBoxStylesAnswerOkAsZeroAndCancelAsOne) {
  TestWindows t;
  t.responder().QueueMessageBoxAnswer(1);  // Cancel, where there is one
  t.responder().QueueMessageBoxAnswer(1);  // an OK-only box has no Cancel
  t.responder().QueueMessageBoxAnswer(0);
  EXPECT_EQ(t.windows().MessageBox(Gbk("确定删除?"), 1, ""), 1);
  EXPECT_EQ(t.windows().MessageBox(Gbk("增加成功"), 0, ""), 0);
  EXPECT_EQ(t.windows().MessageBox("x", 1, "Title"), 0);
  EXPECT_EQ(t.windows().MessageBox("y", 1, ""), 0);  // nothing queued: OK
  ASSERT_EQ(t.responder().message_boxes().size(), 4u);
  EXPECT_EQ(t.responder().message_boxes()[0].style, 1);
  EXPECT_EQ(t.responder().message_boxes()[0].caption, "pcshop");
  EXPECT_EQ(t.responder().message_boxes()[2].caption, "Title");
  EXPECT_EQ(t.responder().MessageTexts(),
            (std::vector<std::string>{"确定删除?", "增加成功", "x", "y"}));
}

TEST(DialogsTest, FileDialogGivesTheChosenNameWithTheDefaultExtension) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  WindowManager& w = t.windows();
  const ControlRef dialog{kWindow, kDialog};
  ASSERT_TRUE(w.SetProperty(dialog, property::kDialogType, 1));
  ASSERT_TRUE(w.SetProperty(dialog, property::kDialogFilter, Gbk("excel文件|*.xls")));
  ASSERT_TRUE(w.SetProperty(dialog, property::kDefaultExtension, ".xls"));

  t.responder().QueueFileDialogAnswer("/tmp/报价");
  t.responder().QueueFileDialogAnswer("/tmp/a.html");
  t.responder().QueueFileDialogAnswer(std::nullopt);
  EXPECT_TRUE(w.ShowFileDialog(dialog));
  EXPECT_EQ(w.GetProperty(dialog, property::kFileName), PropertyValue(Gbk("/tmp/报价.xls")));
  EXPECT_TRUE(w.ShowFileDialog(dialog));
  EXPECT_EQ(w.GetProperty(dialog, property::kFileName), PropertyValue(std::string("/tmp/a.html")));
  EXPECT_FALSE(w.ShowFileDialog(dialog));  // cancelled: the name stays
  EXPECT_EQ(w.GetProperty(dialog, property::kFileName), PropertyValue(std::string("/tmp/a.html")));

  ASSERT_EQ(t.responder().file_dialogs().size(), 3u);
  EXPECT_TRUE(t.responder().file_dialogs()[0].save);
  EXPECT_EQ(t.responder().file_dialogs()[0].filter, Gbk("excel文件|*.xls"));
  // Only a dialog control shows a file dialog.
  EXPECT_FALSE(w.ShowFileDialog({kWindow, kButton}));
  EXPECT_EQ(t.responder().file_dialogs().size(), 3u);
}

}  // namespace
}  // namespace pcshop::ui::testing
