// Qt's own texts in the shown dialogs (not the responder): the message box
// buttons, the save dialog and dates read in Chinese, and the save dialog
// opens in the program folder, not the working directory.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "image/property_numbers.h"
#include "runtime/files/native_path.h"
#include "runtime/files/program_folder.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/file_dialog_model.h"
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

// Whatever the system's locale, Qt's own widgets show Chinese dates: the
// default locale, and the save dialog's columns, which Qt's file model would
// fill in the system's locale (dates) or in English (kinds).
TEST(QtTextsTest, DatesInQtsOwnWidgetsReadInChinese) {
  TestWindows t;
  t.windows().SetResponder(nullptr);
  ASSERT_TRUE(t.windows().LoadWindow(kWindow, false));
  EXPECT_EQ(QLocale().toString(QDate(2026, 12, 9), QLocale::LongFormat),
            QString::fromUtf8("2026年12月9日星期三"));
  // The program's own numbers stay locale-free.
  EXPECT_EQ(QString::number(1234567.5, 'f', 1), QStringLiteral("1234567.5"));

  const ControlRef dialog{kWindow, kDialog};
  ASSERT_TRUE(t.windows().SetProperty(dialog, image::property::kDialogType, 1));
  bool locale_model = false;
  WhenShown<QFileDialog>([&](QFileDialog* d) {
    locale_model = dynamic_cast<LocaleFileModel*>(d->proxyModel()) != nullptr;
  });
  EXPECT_FALSE(t.windows().ShowFileDialog(dialog));
  EXPECT_TRUE(locale_model);

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("pcshop-dates-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / "a.xls";
  std::ofstream(file) << std::string(2048, 'x');
  QFileSystemModel files;
  LocaleFileModel shown;
  shown.setSourceModel(&files);
  QEventLoop loaded;
  QObject::connect(&files, &QFileSystemModel::directoryLoaded, &loaded, &QEventLoop::quit);
  QTimer::singleShot(5000, &loaded, &QEventLoop::quit);
  files.setRootPath(QString::fromStdString(folder.string()));
  loaded.exec();
  const QModelIndex row = shown.mapFromSource(files.index(QString::fromStdString(file.string())));
  const QDateTime modified = files.lastModified(shown.mapToSource(row));
  EXPECT_EQ(shown.index(row.row(), 3, row.parent()).data().toString(),
            QLocale(QLocale::Chinese, QLocale::China).toString(modified, QLocale::ShortFormat));
  EXPECT_EQ(shown.index(row.row(), 1, row.parent()).data().toString(),
            QLocale(QLocale::Chinese, QLocale::China).formattedDataSize(2048));
  EXPECT_EQ(shown.index(row.row(), 2, row.parent()).data().toString(),
            QString::fromUtf8("XLS 文件"));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pcshop::ui::testing
