// The controls on a real display, driven by a real keyboard and pointer
// (xdotool on Xvfb): what raised events in process cannot show. Each test
// is skipped with a clear line where Xvfb or xdotool is missing.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/property_numbers.h"
#include "runtime/text/gbk_codec.h"
#include "test_window.h"
#include "tests/support/virtual_display.h"

namespace pcshop::ui::testing {

bool g_display_ready = false;  // set by main once Xvfb answers

namespace {

std::string Gbk(const char* utf8) { return *text::Utf8ToGbk(utf8); }

// Runs Qt's events for `ms` milliseconds.
void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ::usleep(5'000);
  }
}

// Runs xdotool with `args`, answering Qt's events while it works (xdotool
// waits on the window, which must keep answering the X server).
bool Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> words{"xdotool"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : words) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ::usleep(2'000);
  }
  Pump(150);  // the events xdotool caused reach the widgets
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A click at (x, y) in the client area of `window`.
bool ClickAt(QWidget* window, int x, int y) {
  return Xdotool({"mousemove", "--window", std::to_string(window->winId()),
                  std::to_string(x), std::to_string(y), "click", "1"});
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!g_display_ready) GTEST_SKIP() << "needs Xvfb and xdotool (a virtual display)";
    ASSERT_TRUE(t_.windows().LoadWindow(kWindow, false));
    top_ = t_.windows().Widget({kWindow, 0});
    ASSERT_NE(top_, nullptr);
    QElapsedTimer timer;
    timer.start();
    while (!(top_->windowHandle() && top_->windowHandle()->isExposed()) && timer.elapsed() < 5000) {
      Pump(20);
    }
    Pump(200);
    combo_ = dynamic_cast<QComboBox*>(t_.windows().Widget({kWindow, kEditable}));
    ASSERT_NE(combo_, nullptr);
  }

  // Clicks into the editable combo's text, types `keys` and presses Enter;
  // the text the Enter handler read.
  std::string TypeAndEnter(const std::string& keys) {
    std::string at_enter = "(no Enter)";
    t_.On(kComboEnter, [&] { at_enter = t_.user().Text("主窗口", "组合框编辑"); });
    EXPECT_TRUE(ClickAt(top_, 40, 112));
    EXPECT_TRUE(Xdotool({"key", "ctrl+a", "BackSpace"}));
    EXPECT_TRUE(Xdotool({"type", "--delay", "30", keys}));
    EXPECT_TRUE(Xdotool({"key", "Return"}));
    return at_enter;
  }

  TestWindows t_;
  QWidget* top_ = nullptr;
  QComboBox* combo_ = nullptr;
};

TEST_F(DisplayTest, EditableComboKeepsExactlyWhatWasTyped) {
  const ControlRef ref{kWindow, kEditable};
  for (const char* item : {"Intel", "AMD", "RTX 4060 Ti"}) t_.windows().AddComboItem(ref, item);
  EXPECT_EQ(TypeAndEnter("A"), "A");
  EXPECT_EQ(TypeAndEnter("i"), "i");
  EXPECT_EQ(TypeAndEnter("RTX 4060"), "RTX 4060");
  EXPECT_EQ(combo_->currentText(), "RTX 4060");
}

TEST_F(DisplayTest, ComboListOpensOnTheFirstClickOfItsArrowWhileItsFocusLossCommits) {
  const ControlRef ref{kWindow, kEditable};
  for (const char* item : {"Intel", "AMD"}) t_.windows().AddComboItem(ref, item);
  // As the quote sheet's cell editor: focus loss commits and hides it.
  t_.On(kComboLeft, [&] { (void)t_.windows().SetProperty(ref, image::property::kVisible, 0); });
  t_.windows().FocusControl(ref);
  Pump(100);
  ASSERT_TRUE(ClickAt(top_, 122, 112));  // the arrow
  Pump(300);
  EXPECT_TRUE(combo_->view()->isVisible()) << "the list did not open";
  EXPECT_TRUE(combo_->isVisible()) << "the box was committed and hidden";
  EXPECT_EQ(t_.Handlers(), (std::vector<uint32_t>{kCreated}));
  // Choosing from the list keeps the box open with the item's text.
  ASSERT_TRUE(Xdotool({"key", "Down", "Return"}));
  EXPECT_FALSE(combo_->view()->isVisible());
  EXPECT_TRUE(combo_->isVisible());
  EXPECT_EQ(t_.user().Text("主窗口", "组合框编辑"), "AMD");
  // A click on another control is a real loss.
  ASSERT_TRUE(ClickAt(top_, 180, 22));  // 按钮保存
  EXPECT_FALSE(combo_->isVisible());
  EXPECT_EQ(t_.Handlers(), (std::vector<uint32_t>{kCreated, kComboLeft, kClicked}));
}

TEST_F(DisplayTest, ComboListOpensOnTheFirstF4) {
  const ControlRef ref{kWindow, kEditable};
  t_.windows().AddComboItem(ref, Gbk("七彩虹"));
  t_.On(kComboLeft, [&] { (void)t_.windows().SetProperty(ref, image::property::kVisible, 0); });
  ASSERT_TRUE(ClickAt(top_, 40, 112));
  ASSERT_TRUE(Xdotool({"key", "F4"}));
  Pump(300);
  EXPECT_TRUE(combo_->view()->isVisible()) << "the list did not open";
  EXPECT_TRUE(combo_->isVisible());
  EXPECT_EQ(t_.Handlers(), (std::vector<uint32_t>{kCreated}));
  ASSERT_TRUE(Xdotool({"key", "Escape"}));
  EXPECT_TRUE(combo_->isVisible()) << "closing the list is no focus loss";
}

TEST_F(DisplayTest, PastedCharacterOutsideGbkDoesNotEnterAnEditBox) {
  if (std::system("command -v xclip >/dev/null") != 0) GTEST_SKIP() << "needs xclip";
  auto* edit = dynamic_cast<QLineEdit*>(t_.windows().Widget({kWindow, kEdit}));
  ASSERT_NE(edit, nullptr);
  (void)t_.windows().SetProperty({kWindow, kEdit}, image::property::kInputLimit, 0);
  // xclip keeps serving the selection in the background until replaced.
  const auto paste = [&](const char* utf8) {
    const std::string command = std::string("printf '%s' '") + utf8 +
                                "' | xclip -selection clipboard -loops 1 &";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Pump(200);
    ASSERT_TRUE(ClickAt(top_, 60, 22));
    ASSERT_TRUE(Xdotool({"key", "End", "ctrl+v"}));
    Pump(300);
  };
  paste("张三");
  EXPECT_EQ(edit->text(), QString::fromUtf8("张三"));
  paste("张😀");
  EXPECT_EQ(edit->text(), QString::fromUtf8("张三")) << "the paste must not enter";
  paste("扩展𠀀字");
  EXPECT_EQ(edit->text(), QString::fromUtf8("张三"));
}

}  // namespace
}  // namespace pcshop::ui::testing

int main(int argc, char** argv) {
  // One virtual display for the whole binary.
  pcshop::test_display::VirtualDisplay display;
  if (display.ready()) {
    ::setenv("DISPLAY", display.name().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  } else {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  pcshop::ui::testing::g_display_ready = display.ready();
  int result = 0;
  {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  return result;
}
