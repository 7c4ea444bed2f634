// Message boxes and the file dialog: shown modally, or answered by the
// installed Responder.

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>

#include "image/type_ids.h"
#include "runtime/files/native_path.h"
#include "runtime/files/program_folder.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/file_dialog_model.h"
#include "runtime/ui/gbk_qt.h"
#include "runtime/ui/widgets.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::ui {
namespace {

constexpr std::string_view kDefaultCaption = "pcshop";

// "excel文件|*.xls|all|*.*" -> "excel文件 (*.xls);;all (*.*)". An unpaired
// last part is taken as a pattern.
QString QtFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    out << parts[i] + " (" + patterns + ")";
  }
  if (parts.size() % 2 == 1 && !parts.back().isEmpty()) out << parts.back();
  return out.join(";;");
}

// The default extension goes on a chosen name that has none.
QString WithExtension(const QString& path, const QString& extension) {
  QString ext = extension;
  if (ext.startsWith('.')) ext.remove(0, 1);
  if (ext.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
  return path + "." + ext;
}

// The extension a chosen name without one gets: the chosen filter's first
// "*.ext" pattern when it has one ("Excel 工作簿 (*.xlsx)" gives "xlsx"),
// otherwise the dialog's default extension.
QString ExtensionForFilter(const QString& selected_filter, const QString& default_extension) {
  const qsizetype open = selected_filter.lastIndexOf('(');
  const QString patterns = open < 0 ? QString() : selected_filter.mid(open + 1);
  for (const QString& pattern : patterns.split(QRegularExpression("[ )]"), Qt::SkipEmptyParts)) {
    if (pattern.startsWith("*.") && pattern.size() > 2 && pattern.indexOf('*', 1) < 0) {
      return pattern.mid(2);
    }
  }
  return default_extension;
}

// Where the dialog opens: at the name the program set when its folder
// exists; else that name in the program folder; never the working directory
// the program happened to start in.
QString StartPath(const std::string& gbk_file_name) {
  QString name;
  if (!gbk_file_name.empty()) {
    if (Result<std::filesystem::path> p = files::ToNativePath(gbk_file_name); p.ok()) {
      const QFileInfo given(QString::fromStdString(p->string()));
      if (given.dir().exists()) return given.filePath();
      name = given.fileName();
    }
  }
  const Result<std::string> folder = files::ProgramFolder();
  const Result<std::filesystem::path> native =
      folder.ok() ? files::ToNativePath(*folder) : Result<std::filesystem::path>(folder.status());
  const QDir start(native.ok() ? QString::fromStdString(native->string()) : QDir::homePath());
  return name.isEmpty() ? start.path() : start.filePath(name);
}

}  // namespace

std::optional<std::string> WindowManager::ProgramText(const QString& shown) const {
  Result<std::string> gbk = ToGbk(shown);
  if (gbk.ok()) return std::move(gbk).value();
  // Never a silent "?": the program gets nothing and the user is told.
  Warn(QStringLiteral("文本含有GBK不能表示的字符 %1，无法使用。")
           .arg(FirstNonGbk(shown).value_or(QString())));
  return std::nullopt;
}

void WindowManager::Warn(const QString& text) const {
  // The runtime's own texts name the character by its code, so GBK holds them.
  const Result<std::string> gbk = ToGbk(text);
  MessageBoxRequest request{gbk.ok() ? *gbk : std::string(), std::string(kDefaultCaption), 0};
  if (responder_ != nullptr) {
    (void)responder_->AnswerMessageBox(request);
    return;
  }
  QWidget* owner = open_.empty() ? nullptr : open_.back()->widget.get();
  QMessageBox box(QMessageBox::Warning, FromGbk(request.caption), text, QMessageBox::Ok, owner);
  box.exec();
}

int32_t WindowManager::MessageBox(std::string_view text, int32_t style,
                                  std::string_view caption) {
  MessageBoxRequest request{std::string(text),
                            std::string(caption.empty() ? kDefaultCaption : caption),
                            style == 1 ? 1 : 0};
  if (responder_ != nullptr) {
    const int32_t answer = responder_->AnswerMessageBox(request);
    return request.style == 1 && answer == 1 ? 1 : 0;
  }
  EnsureApplication();
  QWidget* owner = open_.empty() ? nullptr : open_.back()->widget.get();
  QMessageBox box(QMessageBox::NoIcon, FromGbk(request.caption), FromGbk(request.text),
                  request.style == 1 ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                  owner);
  return box.exec() == QMessageBox::Cancel ? 1 : 0;
}

bool WindowManager::ShowFileDialog(ControlRef ref) {
  Control* control = Find(ref);
  if (control == nullptr || control->form->type != image::type_id::kCommonDialog) return false;
  // Copied: the window may close while the dialog runs.
  const DialogState d = control->dialog;
  const QString start = StartPath(d.file_name);
  const FileDialogRequest request{d.type == 1, d.filter, d.default_extension,
                                  start.toStdString()};
  std::string chosen_gbk;
  // A name GBK cannot hold could not reach the program unchanged: the user
  // is told and chooses again.
  for (;;) {
    QString chosen;
    if (responder_ != nullptr) {
      const std::optional<std::string> answer = responder_->AnswerFileDialog(request);
      if (!answer) return false;
      // The responder may answer in UTF-8 or GBK.
      chosen = FromUtf8OrGbk(*answer);
    } else {
      EnsureApplication();
      QWidget* owner = open_.empty() ? nullptr : open_.back()->widget.get();
      QFileDialog dialog(owner, QString(), start, QtFilter(FromGbk(d.filter)));
      dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
      dialog.setProxyModel(MakeChild<LocaleFileModel>(&dialog));  // owned by the dialog
      if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen = dialog.selectedFiles().constFirst();
      }
      if (request.save && !chosen.isEmpty()) {
        chosen = WithExtension(
            chosen, ExtensionForFilter(dialog.selectedNameFilter(), FromGbk(d.default_extension)));
      }
    }
    if (chosen.isEmpty()) return false;
    const QString named = WithExtension(chosen, FromGbk(d.default_extension));
    if (Result<std::string> gbk = ToGbk(named); gbk.ok()) {
      chosen_gbk = std::move(gbk).value();
      break;
    }
    Warn(QStringLiteral("文件名含有GBK不能表示的字符 %1，请另选文件名。")
             .arg(FirstNonGbk(named).value_or(QString())));
  }
  // The window may have closed while the dialog ran.
  control = Find(ref);
  if (control == nullptr) return false;
  control->dialog.file_name = std::move(chosen_gbk);
  return true;
}

std::optional<std::string> WindowManager::ChooseFolder(std::string_view title) {
  FileDialogRequest request;
  request.folder = true;
  for (;;) {
    QString chosen;
    if (responder_ != nullptr) {
      const std::optional<std::string> answer = responder_->AnswerFileDialog(request);
      if (!answer) return std::nullopt;
      chosen = FromUtf8OrGbk(*answer);
    } else {
      EnsureApplication();
      QWidget* owner = open_.empty() ? nullptr : open_.back()->widget.get();
      QFileDialog dialog(owner, FromGbk(title));
      dialog.setFileMode(QFileDialog::Directory);
      dialog.setOption(QFileDialog::ShowDirsOnly);
      dialog.setProxyModel(MakeChild<LocaleFileModel>(&dialog));  // owned by the dialog
      if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen = dialog.selectedFiles().constFirst();
      }
    }
    if (chosen.isEmpty()) return std::nullopt;
    if (Result<std::string> gbk = ToGbk(chosen); gbk.ok()) return std::move(gbk).value();
    Warn(QStringLiteral("文件夹名含有GBK不能表示的字符 %1，请另选。")
             .arg(FirstNonGbk(chosen).value_or(QString())));
  }
}

}  // namespace pcshop::ui
