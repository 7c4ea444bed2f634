// Texts at the widget edge: what the user types that GBK cannot hold does
// not enter, a combo box keeps exactly what was typed, and nothing reaches
// the program changed: where GBK cannot hold a text the user is told.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include "image/property_numbers.h"
#include "runtime/text/gbk_codec.h"
#include "test_window.h"

namespace pcshop::ui::testing {
namespace {

namespace property = image::property;

std::string Gbk(const char* utf8) { return *text::Utf8ToGbk(utf8); }

class GbkEdgeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(t_.windows().LoadWindow(kWindow, false)); }
  std::string Typed(const char* control, const char* text) {
    EXPECT_TRUE(t_.user().SetText("主窗口", control, text).ok());
    return t_.user().Text("主窗口", control);
  }
  TestWindows t_;
};

TEST_F(GbkEdgeTest, CharactersGbkCannotHoldDoNotEnterEditOrComboBoxes) {
  (void)t_.windows().SetProperty({kWindow, kEdit}, property::kInputLimit, 0);
  for (const char* box : {"编辑框名称", "组合框编辑"}) {
    EXPECT_EQ(Typed(box, "张😀"), "张") << box;
    EXPECT_EQ(Typed(box, "扩展𠀀字"), "扩展字") << box;
    // Every character GBK holds still enters: symbols, full-width forms.
    EXPECT_EQ(Typed(box, "€·—ＡＢ，。"), "€·—ＡＢ，。") << box;
  }
  // With a byte limit both rules hold.
  (void)t_.windows().SetProperty({kWindow, kEdit}, property::kInputLimit, 4);
  EXPECT_EQ(Typed("编辑框名称", "😀中😀文x"), "中文");
}

// A refused paste leaves the box as it was and says why beside it; typing
// shows the same notice.
TEST_F(GbkEdgeTest, APasteGbkCannotHoldIsRefusedWithANoticeAndTheBoxKept) {
  (void)t_.windows().SetProperty({kWindow, kEdit}, property::kInputLimit, 0);
  for (const char* box : {"编辑框名称", "组合框编辑"}) {
    EXPECT_EQ(Typed(box, "配置"), "配置") << box;
    (void)t_.user().Notice();
    ASSERT_TRUE(t_.user().Paste("主窗口", box, "表情😀名").ok());
    EXPECT_EQ(t_.user().Text("主窗口", box), "配置") << box;
    EXPECT_EQ(t_.user().Notice(), "文本含有GBK不能表示的字符 U+1F600，无法使用。") << box;
    ASSERT_TRUE(t_.user().TypeText("主窗口", box, "扩𠀀").ok());
    EXPECT_EQ(t_.user().Text("主窗口", box), "配置扩") << box;
    EXPECT_EQ(t_.user().Notice(), "文本含有GBK不能表示的字符 U+20000，无法使用。") << box;
  }
}

// Past the limit a paste is cut after the last whole character that fits;
// a key that adds nothing says the limit.
TEST_F(GbkEdgeTest, AnOverLongPasteIsCutOnACharacterBoundaryWithANotice) {
  struct Case {
    const char* before;
    const char* pasted;
    const char* after;
    const char* notice;
  };
  const Case cases[] = {
      {"", "欧阳娜娜丽", "欧阳娜娜", "超出长度限制，已截取前8个字节。"},
      {"a", "欧阳娜娜", "a欧阳娜",
       "超出长度限制，已截取前6个字节。"},  // 7 bytes fit: not half of 娜
      {"ab", "cdefghij", "abcdefgh", "超出长度限制，已截取前6个字节。"},
      {"欧阳娜娜", "x", "欧阳娜娜", "超出长度限制，最多8个字节。"},
      {"", "张三", "张三", ""},
  };
  (void)t_.windows().SetProperty({kWindow, kEdit}, property::kInputLimit, 8);
  for (const Case& c : cases) {
    EXPECT_EQ(Typed("编辑框名称", c.before), c.before);
    (void)t_.user().Notice();
    ASSERT_TRUE(t_.user().Paste("主窗口", "编辑框名称", c.pasted).ok());
    EXPECT_EQ(t_.user().Text("主窗口", "编辑框名称"), c.after) << c.pasted;
    EXPECT_EQ(t_.user().Notice(), c.notice) << c.pasted;
  }
  // Pasted between characters, the cut part is the paste's end, not the box's.
  ASSERT_TRUE(t_.windows().SetProperty({kWindow, kEdit}, property::kText, Gbk("ab")));
  auto* edit = dynamic_cast<QLineEdit*>(t_.windows().Widget({kWindow, kEdit}));
  ASSERT_NE(edit, nullptr);
  edit->setCursorPosition(1);
  ASSERT_TRUE(t_.user().Paste("主窗口", "编辑框名称", "欧阳娜娜").ok());
  EXPECT_EQ(t_.user().Text("主窗口", "编辑框名称"), "a欧阳娜b");
}

TEST_F(GbkEdgeTest, ComboBoxCompletesNothingWhatWasTypedIsItsText) {
  const ControlRef ref{kWindow, kEditable};
  for (const char* item : {"Intel", "AMD", "RTX 4060 Ti"}) t_.windows().AddComboItem(ref, item);
  EXPECT_EQ(Typed("组合框编辑", "A"), "A");
  EXPECT_EQ(Typed("组合框编辑", "i"), "i");
  EXPECT_EQ(Typed("组合框编辑", "RTX 4060"), "RTX 4060");
  auto* combo = dynamic_cast<QComboBox*>(t_.windows().Widget(ref));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->lineEdit()->selectedText(), QString());
  EXPECT_EQ(combo->completer(), nullptr);
}

TEST_F(GbkEdgeTest, ATextGbkCannotHoldReachesTheProgramAsNothingAndTheUserIsTold) {
  // Invalid bytes from the program show as U+FFFD, which GBK lacks.
  WindowManager& w = t_.windows();
  ASSERT_TRUE(w.SetProperty({kWindow, kEdit}, property::kText, std::string("a\x81")));
  EXPECT_FALSE(w.GetProperty({kWindow, kEdit}, property::kText).has_value());
  ASSERT_EQ(t_.responder().message_boxes().size(), 1u);
  EXPECT_EQ(t_.responder().MessageTexts()[0], "文本含有GBK不能表示的字符 U+FFFD，无法使用。");
  // A text GBK holds reads back exactly, without a word.
  ASSERT_TRUE(w.SetProperty({kWindow, kEdit}, property::kText, Gbk("张三")));
  EXPECT_EQ(w.GetProperty({kWindow, kEdit}, property::kText), PropertyValue(Gbk("张三")));
  EXPECT_EQ(t_.responder().message_boxes().size(), 1u);
}

TEST_F(GbkEdgeTest, ComboItemsReadBackAsTheBytesTheProgramGave) {
  WindowManager& w = t_.windows();
  const ControlRef ref{kWindow, kListOnly};
  w.ClearCombo(ref);
  const std::string odd("\xFE\x30", 2);  // not GBK: shown as U+FFFD and "0"
  EXPECT_EQ(w.AddComboItem(ref, odd), 0);
  EXPECT_EQ(w.AddComboItem(ref, Gbk("公司")), 1);
  EXPECT_EQ(w.ComboItem(ref, 0), odd);
  ASSERT_TRUE(w.SetProperty(ref, property::kCurrentIndex, 0));
  EXPECT_EQ(w.GetProperty(ref, property::kText), PropertyValue(odd));
  EXPECT_TRUE(t_.responder().message_boxes().empty());
}

TEST_F(GbkEdgeTest, AFileNameGbkCannotHoldIsRefusedAndChosenAgain) {
  WindowManager& w = t_.windows();
  const ControlRef dialog{kWindow, kDialog};
  ASSERT_TRUE(w.SetProperty(dialog, property::kDefaultExtension, ".xls"));
  t_.responder().QueueFileDialogAnswer("/tmp/张😀");
  t_.responder().QueueFileDialogAnswer("/tmp/张");
  EXPECT_TRUE(w.ShowFileDialog(dialog));
  EXPECT_EQ(w.GetProperty(dialog, property::kFileName), PropertyValue(Gbk("/tmp/张.xls")));
  EXPECT_EQ(t_.responder().file_dialogs().size(), 2u);
  EXPECT_EQ(t_.responder().MessageTexts(),
            std::vector<std::string>{"文件名含有GBK不能表示的字符 U+1F600，请另选文件名。"});
  // Refused and then cancelled: nothing chosen, the name stays.
  t_.responder().QueueFileDialogAnswer("/tmp/扩展𠀀字");
  t_.responder().QueueFileDialogAnswer(std::nullopt);
  EXPECT_FALSE(w.ShowFileDialog(dialog));
  EXPECT_EQ(w.GetProperty(dialog, property::kFileName), PropertyValue(Gbk("/tmp/张.xls")));
}

}  // namespace
}  // namespace pcshop::ui::testing
