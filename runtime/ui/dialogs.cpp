// Message boxes and the file dialog: shown modally, or answered by the
// installed Responder.

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>

#include "image/type_ids.h"
#include "runtime/text/gbk_codec.h"
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

}  // namespace

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
  DialogState& d = control->dialog;
  const FileDialogRequest request{d.type == 1, d.filter, d.default_extension};
  QString chosen;
  if (responder_ != nullptr) {
    const std::optional<std::string> answer = responder_->AnswerFileDialog(request);
    if (!answer) return false;
    // The responder may answer in UTF-8 or GBK.
    chosen = text::Utf8ToGbk(*answer).ok() ? QString::fromUtf8(*answer) : FromGbk(*answer);
  } else {
    EnsureApplication();
    QWidget* owner = open_.empty() ? nullptr : open_.back()->widget.get();
    const QString filter = QtFilter(FromGbk(d.filter));
    QString selected_filter;
    chosen = request.save ? QFileDialog::getSaveFileName(owner, QString(), FromGbk(d.file_name),
                                                         filter, &selected_filter)
                          : QFileDialog::getOpenFileName(owner, QString(), FromGbk(d.file_name), filter);
    if (request.save && !chosen.isEmpty()) {
      chosen = WithExtension(chosen, ExtensionForFilter(selected_filter,
                                                        FromGbk(d.default_extension)));
    }
  }
  if (chosen.isEmpty()) return false;
  // The window may have closed while the dialog ran.
  control = Find(ref);
  if (control == nullptr) return false;
  control->dialog.file_name = ToGbk(WithExtension(chosen, FromGbk(control->dialog.default_extension)));
  return true;
}

}  // namespace pcshop::ui
