// Windows built from their forms: geometry, captions, texts at the GBK edge,
// and the properties the program reads and writes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

#include "image/property_numbers.h"
#include "runtime/text/gbk_codec.h"
#include "test_window.h"

namespace pcshop::ui::testing {
namespace {

namespace property = image::property;

std::string Gbk(const char* utf8) { return *text::Utf8ToGbk(utf8); }

class WindowBuildTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(t_.windows().LoadWindow(kWindow, false)); }

  PropertyValue Get(uint32_t control, int32_t number) {
    const std::optional<PropertyValue> v = t_.windows().GetProperty({kWindow, control}, number);
    EXPECT_TRUE(v.has_value()) << control << " " << number;
    return v.value_or(PropertyValue{});
  }

  TestWindows t_;
};

TEST_F(WindowBuildTest, ControlsSitAtTheirFormGeometryWithTheirCaptions) {
  QWidget* window = t_.windows().Widget({kWindow, 0});
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->size(), QSize(640, 480));
  EXPECT_EQ(Get(0, property::kText), PropertyValue(Gbk("测试")));
  EXPECT_EQ(Get(kButton, property::kText), PropertyValue(Gbk("保存")));
  EXPECT_EQ(Get(kLabel, property::kText), PropertyValue(Gbk("标题")));
  EXPECT_EQ(Get(kGroup, property::kText), PropertyValue(Gbk("商品")));
  EXPECT_EQ(t_.windows().Widget({kWindow, kButton})->geometry(), QRect(140, 10, 80, 24));
  // A group box's child is placed relative to the group box.
  QWidget* inner = t_.windows().Widget({kWindow, kInner});
  EXPECT_EQ(inner->parentWidget(), t_.windows().Widget({kWindow, kGroup}));
  EXPECT_EQ(inner->mapTo(window, QPoint(0, 0)), QPoint(320, 130));
  EXPECT_EQ(Get(kInner, property::kLeft), PropertyValue(20));
  // The created event came once, and the form's items and rows are there.
  EXPECT_EQ(t_.Handlers(), std::vector<uint32_t>{kCreated});
  EXPECT_EQ(t_.user().Items("主窗口", "组合框类别"), (std::vector<std::string>{"个人", "公司"}));
  EXPECT_EQ(t_.user().Cell("测试", "超级列表框1", 1, 1), "内存");
  EXPECT_EQ(t_.user().RowCount("主窗口", "超级列表框1"), 3);
  EXPECT_FALSE(t_.user().Visible("主窗口", "通用对话框1"));
}

TEST_F(WindowBuildTest, PropertiesRoundTrip) {
  WindowManager& w = t_.windows();
  EXPECT_TRUE(w.SetProperty({kWindow, kEdit}, property::kText, Gbk("你好")));
  EXPECT_EQ(Get(kEdit, property::kText), PropertyValue(Gbk("你好")));
  EXPECT_TRUE(w.SetProperty({kWindow, 0}, property::kText, Gbk("新标题")));
  EXPECT_EQ(Get(0, property::kText), PropertyValue(Gbk("新标题")));
  for (int32_t p : {property::kLeft, property::kTop, property::kWidth, property::kHeight}) {
    EXPECT_TRUE(w.SetProperty({kWindow, kButton}, p, 33 + p));
    EXPECT_EQ(Get(kButton, p), PropertyValue(33 + p));
  }
  EXPECT_TRUE(w.SetProperty({kWindow, kButton}, property::kVisible, 0));
  EXPECT_EQ(Get(kButton, property::kVisible), PropertyValue(0));
  // Shown again, a control lies over its siblings (the editor over the list).
  EXPECT_TRUE(w.SetProperty({kWindow, kEditable}, property::kTop, 300));
  EXPECT_TRUE(w.SetProperty({kWindow, kEditable}, property::kVisible, 1));
  QWidget* editor = w.Widget({kWindow, kEditable});
  QWidget* hit = editor->parentWidget()->childAt(editor->geometry().center());
  EXPECT_TRUE(hit == editor || editor->isAncestorOf(hit));
  EXPECT_TRUE(w.SetProperty({kWindow, kEdit}, property::kEnabled, 0));
  EXPECT_EQ(Get(kEdit, property::kEnabled), PropertyValue(0));
  EXPECT_FALSE(t_.user().Enabled("主窗口", "编辑框名称"));

  EXPECT_EQ(Get(kListOnly, property::kCurrentIndex), PropertyValue(-1));
  EXPECT_TRUE(w.SetProperty({kWindow, kListOnly}, property::kCurrentIndex, 1));
  EXPECT_EQ(Get(kListOnly, property::kText), PropertyValue(Gbk("公司")));
  EXPECT_TRUE(w.SetProperty({kWindow, kListOnly}, property::kCurrentIndex, 7));
  EXPECT_EQ(Get(kListOnly, property::kCurrentIndex), PropertyValue(-1));
  EXPECT_EQ(Get(kList, property::kCurrentIndex), PropertyValue(-1));
  EXPECT_TRUE(w.SetProperty({kWindow, kList}, property::kCurrentIndex, 2));
  EXPECT_EQ(Get(kList, property::kCurrentIndex), PropertyValue(2));
  EXPECT_TRUE(w.SetProperty({kWindow, kDialog}, property::kDialogFilter, Gbk("excel文件|*.xls")));
  EXPECT_EQ(Get(kDialog, property::kDialogFilter), PropertyValue(Gbk("excel文件|*.xls")));

  // A program change of the current row is not reported as the user's.
  EXPECT_EQ(t_.Handlers(), std::vector<uint32_t>{kCreated});
  // Wrong kinds and unknown numbers are refused.
  EXPECT_FALSE(w.SetProperty({kWindow, kButton}, property::kLeft, std::string("x")));
  EXPECT_FALSE(w.SetProperty({kWindow, kButton}, 99, 1));
  EXPECT_FALSE(w.GetProperty({kWindow, kButton}, property::kInputLimit).has_value());
  EXPECT_FALSE(w.GetProperty({kWindow, 99}, property::kText).has_value());
  EXPECT_FALSE(w.GetProperty({kOther, 21}, property::kText).has_value());  // not open
}

TEST_F(WindowBuildTest, ListOnlyComboTextChoosesTheItemOfThatTextOrNone) {
  WindowManager& w = t_.windows();
  w.SetComboText({kWindow, kListOnly}, Gbk("公司"));
  EXPECT_EQ(Get(kListOnly, property::kCurrentIndex), PropertyValue(1));
  w.SetComboText({kWindow, kListOnly}, Gbk("别的"));
  EXPECT_EQ(Get(kListOnly, property::kCurrentIndex), PropertyValue(-1));
  EXPECT_EQ(Get(kListOnly, property::kText), PropertyValue(std::string()));
}

TEST_F(WindowBuildTest, InvalidGbkShowsReplacementCharacters) {
  WindowManager& w = t_.windows();
  EXPECT_TRUE(w.SetProperty({kWindow, kEdit}, property::kText, std::string("a\x81")));
  const auto* edit = dynamic_cast<QLineEdit*>(w.Widget({kWindow, kEdit}));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(), QString::fromUtf8("a\xEF\xBF\xBD"));
  EXPECT_EQ(w.AddComboItem({kWindow, kEditable}, std::string("\xFE")), 0);
  const auto* combo = dynamic_cast<QComboBox*>(w.Widget({kWindow, kEditable}));
  EXPECT_EQ(combo->itemText(0), QString(QChar(0xFFFD)));
}

TEST_F(WindowBuildTest, ProgramTextIgnoresTheInputLimitButTypingKeepsIt) {
  // Limit 4 bytes: two Chinese characters.
  ASSERT_TRUE(t_.user().TypeText("主窗口", "编辑框名称", "中文a").ok());
  EXPECT_EQ(t_.user().Text("主窗口", "编辑框名称"), "中文");
  ASSERT_TRUE(t_.user().SetText("主窗口", "编辑框名称", "ab中c").ok());
  EXPECT_EQ(t_.user().Text("主窗口", "编辑框名称"), "ab中");
  // The program may set more, unreported; the user may then shorten it but
  // not lengthen it.
  const size_t reported = t_.raised().size();
  ASSERT_TRUE(t_.windows().SetProperty({kWindow, kEdit}, property::kText, Gbk("一二三")));
  EXPECT_EQ(t_.raised().size(), reported);
  ASSERT_TRUE(t_.user().TypeText("主窗口", "编辑框名称", "x").ok());
  EXPECT_EQ(t_.user().Text("主窗口", "编辑框名称"), "一二三");
  auto* edit = dynamic_cast<QLineEdit*>(t_.windows().Widget({kWindow, kEdit}));
  edit->end(false);
  edit->backspace();
  EXPECT_EQ(t_.user().Text("主窗口", "编辑框名称"), "一二");
  EXPECT_EQ(Get(kEdit, property::kInputLimit), PropertyValue(4));
}

}  // namespace
}  // namespace pcshop::ui::testing
