// Qt's own texts in the shown dialogs (not the responder): the message box
// buttons and the save dialog read in Chinese, and the save dialog opens in
// the program folder, not the working directory.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

#include "image/property_numbers.h"
#include "runtime/files/native_path.h"
#include "runtime/files/program_folder.h"
#include "runtime/text/gbk_codec.h"
#include "test_window.h"

namespace pcshop::ui::testing {
namespace {

// Runs `look` on the modal dialog once it shows, then closes it. Each timer
// holds its own copy of the poll, so nothing refers to itself and leaks.
template <typename Dialog>
struct PollForDialog {
  std::function<void(Dialog*)> look;
  void operator()() const {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      QTimer::singleShot(20, *this);
      return;
    }
    look(dialog);
    dialog->reject();
  }
};

template <typename Dialog>
void WhenShown(std::function<void(Dialog*)> look) {
  QTimer::singleShot(20, PollForDialog<Dialog>{std::move(look)});
}

QStringList ButtonTexts(QWidget* dialog) {
  QStringList texts;
  for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
    if (!b->text().isEmpty()) texts << b->text().remove('&');
  }
  return texts;
}

bool TranslationsInstalled() {
  return std::filesystem::exists(
      QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString() + "/qtbase_zh_CN.qm");
}

TEST(QtTextsTest, MessageBoxButtonsReadInChinese) {
  if (!TranslationsInstalled()) GTEST_SKIP() << "needs qt6-translations-l10n (scripts/setup)";
  TestWindows t;
  t.windows().SetResponder(nullptr);
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  QStringList buttons;
  WhenShown<QMessageBox>([&](QMessageBox* box) { buttons = ButtonTexts(box); });
  (void)t.windows().MessageBox(*text::Utf8ToGbk("确定删除吗"), 1, "");
  buttons.sort();
  EXPECT_EQ(buttons, (QStringList{QString::fromUtf8("取消"), QString::fromUtf8("确定")}));
}

TEST(QtTextsTest, SaveDialogReadsInChineseAndOpensInTheProgramFolder) {
  if (!TranslationsInstalled()) GTEST_SKIP() << "needs qt6-translations-l10n (scripts/setup)";
  TestWindows t;
  t.windows().SetResponder(nullptr);
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  const ControlRef dialog{kWindow, kDialog};
  ASSERT_TRUE(t.windows().SetProperty(dialog, image::property::kDialogType, 1));
  ASSERT_TRUE(t.windows().SetProperty(dialog, image::property::kDialogFilter,
                                      *text::Utf8ToGbk("excel文件|*.xls")));
  // The working directory is not where the dialog opens.
  const std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path("/");
  QString title, folder;
  QStringList buttons;
  WhenShown<QFileDialog>([&](QFileDialog* d) {
    title = d->windowTitle();
    folder = d->directory().absolutePath();
    buttons = ButtonTexts(d);
  });
  EXPECT_FALSE(t.windows().ShowFileDialog(dialog));
  std::filesystem::current_path(was);
  EXPECT_EQ(title, QString::fromUtf8("另存为"));
  EXPECT_TRUE(buttons.contains(QString::fromUtf8("取消"))) << buttons.join(",").toStdString();
  const Result<std::string> program = files::ProgramFolder();
  ASSERT_TRUE(program.ok());
  const Result<std::filesystem::path> native = files::ToNativePath(*program);
  ASSERT_TRUE(native.ok());
  EXPECT_EQ(std::filesystem::path(folder.toStdString()),
            std::filesystem::weakly_canonical(*native));
}

}  // namespace
}  // namespace pcshop::ui::testing
