// Events as the user causes them: clicks, the combo box's drop-down before
// its list shows, Enter and focus loss, list presses; windows closed inside
// their own handlers; the message loop's end.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "image/property_numbers.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/widgets.h"
#include "test_window.h"

namespace pcshop::ui::testing {
namespace {

std::string Gbk(const char* utf8) { return *text::Utf8ToGbk(utf8); }

TEST(ControlEventsTest, DropDownIsRaisedBeforeTheListShowsSoItsItemsCanBeRebuilt) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  const ControlRef combo{kWindow, kListOnly};
  auto* box = dynamic_cast<QComboBox*>(t.windows().Widget(combo));
  bool list_shown_in_handler = true;
  t.On(kDropDown, [&] {
    list_shown_in_handler = box->view()->isVisible();
    t.windows().ClearCombo(combo);
    t.windows().AddComboItem(combo, Gbk("甲"));
    t.windows().AddComboItem(combo, Gbk("乙"));
  });
  ASSERT_TRUE(t.user().ChooseComboItem("主窗口", "组合框类别", 1).ok());
  EXPECT_FALSE(list_shown_in_handler);
  EXPECT_EQ(t.user().Text("主窗口", "组合框类别"), "乙");
  EXPECT_EQ(t.user().CurrentIndex("主窗口", "组合框类别"), 1);
  EXPECT_EQ(t.Handlers(), (std::vector<uint32_t>{kCreated, kDropDown, kChosen, kComboText}));
  // The widget's own drop-down, as a click opens it, runs the handler before
  // its list shows.
  list_shown_in_handler = true;
  box->showPopup();
  EXPECT_FALSE(list_shown_in_handler);
  EXPECT_TRUE(box->view()->isVisible());
  box->hidePopup();
  // Adding items to a box without a choice chooses nothing.
  t.windows().ClearCombo(combo);
  EXPECT_EQ(t.windows().AddComboItem(combo, "x"), 0);
  EXPECT_EQ(t.user().CurrentIndex("主窗口", "组合框类别"), -1);
}

TEST(ControlEventsTest, ComboItemsAreEditedByIndex) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  const ControlRef combo{kWindow, kEditable};
  t.windows().SetComboText(combo, "keep");
  for (const char* item : {"a", "b", "c"}) t.windows().AddComboItem(combo, item);
  t.windows().DeleteComboItem(combo, 1);
  t.windows().DeleteComboItem(combo, 5);  // outside: nothing
  EXPECT_EQ(t.windows().ComboCount(combo), 2);
  EXPECT_EQ(t.windows().ComboItem(combo, 1), "c");
  EXPECT_EQ(t.windows().ComboItem(combo, 2), "");
  t.windows().ClearCombo(combo);
  EXPECT_EQ(t.windows().ComboCount(combo), 0);
  EXPECT_EQ(t.user().Text("主窗口", "组合框编辑"), "keep");
}

TEST(ControlEventsTest, EnterAndFocusLossReachTheEditableCombo) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  ASSERT_TRUE(t.user().TypeText("主窗口", "组合框编辑", "12").ok());
  ASSERT_TRUE(t.user().PressEnter("主窗口", "组合框编辑").ok());
  ASSERT_TRUE(t.user().LeaveControl("主窗口", "组合框编辑").ok());
  EXPECT_EQ(t.Handlers(), (std::vector<uint32_t>{kCreated, kComboEnter, kComboLeft}));
  // Enter did not add the text to the list.
  EXPECT_EQ(t.windows().ComboCount({kWindow, kEditable}), 0);
  EXPECT_EQ(t.user().Text("主窗口", "组合框编辑"), "12");
  EXPECT_EQ(t.user().Click("主窗口", "没有").message(),
            "no open control 没有 in window 主窗口");
}

TEST(ControlEventsTest, TheEditableComboReportsARealFocusLoss) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  QWidget* window = t.windows().Widget({kWindow, 0});
  window->activateWindow();
  QApplication::setActiveWindow(window);
  auto* combo = dynamic_cast<QComboBox*>(t.windows().Widget({kWindow, kEditable}));
  QWidget* edit = t.windows().Widget({kWindow, kEdit});
  // The focus moves as a click elsewhere moves it, not through the seam.
  combo->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  ASSERT_TRUE(combo->hasFocus() || combo->lineEdit()->hasFocus());
  edit->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  size_t losses = 0;
  for (const auto& raised : t.raised()) losses += raised.handler == kComboLeft ? 1 : 0;
  EXPECT_EQ(losses, 1u);
}

TEST(ControlEventsTest, HidingTheFocusedComboReportsItsLossOnceItIsHidden) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  QWidget* window = t.windows().Widget({kWindow, 0});
  window->activateWindow();
  QApplication::setActiveWindow(window);
  const ControlRef combo{kWindow, kEditable};
  t.windows().Widget(combo)->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  int64_t visible_in_handler = -1;
  t.On(kComboLeft, [&] {
    visible_in_handler = std::get<int32_t>(*t.windows().GetProperty(combo, image::property::kVisible));
  });
  ASSERT_TRUE(t.windows().SetProperty(combo, image::property::kVisible, int32_t{0}));
  QApplication::processEvents();
  // Reported once, as hidden, and no other control was handed the focus.
  EXPECT_EQ(visible_in_handler, 0);
  size_t losses = 0;
  for (const auto& raised : t.raised()) losses += raised.handler == kComboLeft ? 1 : 0;
  EXPECT_EQ(losses, 1u);
  QWidget* focus = QApplication::focusWidget();
  EXPECT_TRUE(focus == nullptr || focus == window) << focus->objectName().toStdString();
}

TEST(ControlEventsTest, TypingAnItemsTextDoesNotChooseIt) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  const ControlRef combo{kWindow, kEditable};
  for (const char* item : {"a1", "b2"}) t.windows().AddComboItem(combo, item);
  ASSERT_TRUE(t.user().TypeText("主窗口", "组合框编辑", "b2").ok());
  ASSERT_TRUE(t.user().PressEnter("主窗口", "组合框编辑").ok());
  ASSERT_TRUE(t.user().LeaveControl("主窗口", "组合框编辑").ok());
  EXPECT_EQ(t.user().CurrentIndex("主窗口", "组合框编辑"), -1);
  EXPECT_EQ(t.user().Text("主窗口", "组合框编辑"), "b2");
  for (const auto& raised : t.raised()) EXPECT_NE(raised.handler, kChosen);
  // Choosing from the list still chooses.
  ASSERT_TRUE(t.user().ChooseComboItem("主窗口", "组合框编辑", 0).ok());
  EXPECT_EQ(t.user().CurrentIndex("主窗口", "组合框编辑"), 0);
}

TEST(ControlEventsTest, ListPressCarriesThePointAndTheCurrentRowIsSetFirst) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  int32_t row_in_handler = -2;
  t.On(kListPress, [&] {
    const auto v = t.windows().GetProperty({kWindow, kList}, image::property::kCurrentIndex);
    row_in_handler = std::get<int32_t>(*v);
  });
  ASSERT_TRUE(t.user().PressListCell("主窗口", "超级列表框1", 1, 2).ok());
  ASSERT_EQ(t.raised().size(), 3u);
  EXPECT_EQ(t.raised()[1].handler, kListRow);
  EXPECT_EQ(t.raised()[2].handler, kListPress);
  const std::vector<int32_t> data = t.raised()[2].data;
  ASSERT_EQ(data.size(), 3u);
  EXPECT_EQ(data[2], 1);  // left button
  EXPECT_EQ(row_in_handler, 1);
  // The point lies in column 2 (from 50 + 120 to 250) of row 1.
  const dll::ListHit hit = t.windows().HitTest(t.windows().ControlHandle({kWindow, kList}),
                                               {data[0], data[1]});
  EXPECT_EQ(hit.row, 1);
  EXPECT_EQ(hit.column, 2);
}

TEST(ControlEventsTest, ListRowsAreInsertedSetAndCleared) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  const ControlRef list{kWindow, kList};
  EXPECT_EQ(t.windows().InsertListRow(list, -1), 3);
  EXPECT_EQ(t.windows().InsertListRow(list, 0), 0);
  EXPECT_EQ(t.windows().InsertListRow(list, 99), 5);
  EXPECT_TRUE(t.windows().SetListCell(list, 0, 1, Gbk("显卡")));
  EXPECT_FALSE(t.windows().SetListCell(list, 0, 3, "x"));
  EXPECT_FALSE(t.windows().SetListCell(list, 6, 0, "x"));
  EXPECT_EQ(t.windows().ListCell(list, 0, 1), Gbk("显卡"));
  EXPECT_EQ(t.windows().ListCell(list, 2, 1), Gbk("内存"));
  EXPECT_FALSE(t.windows().ListCell(list, -1, 0).has_value());
  EXPECT_EQ(t.windows().ColumnWidth(list, 1), 120);
  EXPECT_EQ(t.windows().ColumnWidth(list, 3), 0);
  t.windows().ClearList(list);
  EXPECT_EQ(t.windows().ListRowCount(list), 0);
  EXPECT_EQ(t.Handlers(), std::vector<uint32_t>{kCreated});
}

TEST(ControlEventsTest, ListCellsKeepTheProgramsBytesAndShowWhatGbkCannotHold) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  const ControlRef list{kWindow, kList};
  auto* view = dynamic_cast<ListView*>(t.windows().Widget(list));
  ASSERT_NE(view, nullptr);
  const QAbstractItemModel& shown = *view->model();
  const std::string half = "a\x81";  // a lead byte with no trail byte
  ASSERT_TRUE(t.windows().SetListCell(list, 1, 2, half));
  EXPECT_EQ(t.windows().ListCell(list, 1, 2), half);  // read back byte for byte
  EXPECT_EQ(shown.data(shown.index(1, 2)).toString(), QString("a") + QChar(0xFFFD));
  EXPECT_EQ(shown.data(shown.index(1, 1)).toString(), QString::fromUtf8("内存"));
  EXPECT_EQ(shown.data(shown.index(1, 2), Qt::TextAlignmentRole).toInt(),
            (Qt::AlignRight | Qt::AlignVCenter).toInt());
  EXPECT_EQ(shown.headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("品名"));
  // A row inserted above moves the others down, cells and all.
  EXPECT_EQ(t.windows().InsertListRow(list, 1), 1);
  EXPECT_EQ(shown.data(shown.index(2, 1)).toString(), QString::fromUtf8("内存"));
  EXPECT_EQ(shown.data(shown.index(1, 1)).toString(), QString());
  view->grab();  // paints every visible cell, the damaged one included
  // Cleared, the list keeps its columns and takes new rows.
  t.windows().ClearList(list);
  EXPECT_EQ(shown.columnCount(), 3);
  EXPECT_EQ(t.windows().InsertListRow(list, -1), 0);
  EXPECT_EQ(t.windows().ListCell(list, 0, 1), "");
}

TEST(ControlEventsTest, AWindowClosedInItsOwnClickHandlerIsDeletedAfterTheHandler) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  bool widgets_alive_after_unload = false;
  QPointer<QWidget> source = t.windows().Widget({kWindow, 0});
  t.On(kClicked, [&] {
    ASSERT_TRUE(t.windows().LoadWindow(kOther, false));
    t.windows().UnloadWindow(kWindow);
    widgets_alive_after_unload = !source.isNull();
  });
  ASSERT_TRUE(t.user().Click("主窗口", "按钮保存").ok());
  EXPECT_TRUE(widgets_alive_after_unload);
  EXPECT_EQ(t.user().OpenWindows(), std::vector<std::string>{"窗口二"});
  t.user().ProcessEvents();
  EXPECT_TRUE(source.isNull());
  // Commands on the closed window answer nothing.
  EXPECT_EQ(t.windows().ListRowCount({kWindow, kList}), 0);
}

TEST(ControlEventsTest, MessageLoopEndsWhenTheLastWindowCloses) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  ASSERT_TRUE(t.windows().LoadWindow(kOther, false));
  t.On(kOtherClicked, [&] { t.windows().UnloadWindow(kOther); });
  QTimer::singleShot(0, [&] {
    EXPECT_TRUE(t.user().CloseWindow("测试").ok());  // by its caption
    EXPECT_TRUE(t.user().IsOpen("窗口二"));
    EXPECT_TRUE(t.user().Click("窗口二", "按钮二").ok());
  });
  t.windows().RunMessageLoop();
  EXPECT_TRUE(t.windows().OpenWindows().empty());
  // With no window open the loop returns at once.
  t.windows().RunMessageLoop();
}

// A long copy runs on its own thread while the windows' loop goes on (a
// timer fires during it); a click and a close that arrive meanwhile wait
// until the work is done and the handler that asked for it has returned.
TEST(ControlEventsTest, LongWorkLetsTheWindowsPaintAndHoldsTheirEventsUntilItEnds) {
  TestWindows t;
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  const std::thread::id windows_thread = std::this_thread::get_id();
  std::atomic<bool> loop_ran = false;
  std::thread::id work_thread;
  QTimer::singleShot(0, [&] {
    EXPECT_TRUE(t.user().Click("主窗口", "按钮保存").ok());
    t.windows().Widget({kWindow, 0})->close();
    loop_ran = true;
  });
  t.windows().RunAnswering([&] {
    work_thread = std::this_thread::get_id();
    for (int i = 0; i < 500 && !loop_ran; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  EXPECT_TRUE(loop_ran);
  EXPECT_NE(work_thread, windows_thread);
  EXPECT_TRUE(t.windows().IsOpen(kWindow));
  EXPECT_EQ(t.Handlers(), (std::vector<uint32_t>{kCreated}));
  QApplication::processEvents();
  EXPECT_EQ(t.Handlers(), (std::vector<uint32_t>{kCreated, kClicked}));
  EXPECT_FALSE(t.windows().IsOpen(kWindow));
}

}  // namespace
}  // namespace pcshop::ui::testing
