#include "runtime/ui/file_dialog_model.h"

#include <QFileSystemModel>
#include <QLocale>

namespace pcshop::ui {
namespace {

// QFileSystemModel's columns.
constexpr int kSizeColumn = 1;
constexpr int kKindColumn = 2;
constexpr int kDateColumn = 3;

}  // namespace

QVariant LocaleFileModel::data(const QModelIndex& index, int role) const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  const int column = index.column();
  if (files == nullptr || role != Qt::DisplayRole || column < kSizeColumn || column > kDateColumn) {
    return QIdentityProxyModel::data(index, role);
  }
  const QModelIndex source = mapToSource(index);
  if (column == kDateColumn) {
    return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
  }
  if (column == kKindColumn) {
    // As Windows names them: 文件夹, "XLSX 文件".
    if (files->isDir(source)) return QStringLiteral("文件夹");
    const QString suffix = files->fileInfo(source).suffix();
    return suffix.isEmpty() ? QStringLiteral("文件") : suffix.toUpper() + QStringLiteral(" 文件");
  }
  // A folder shows no size, as in Qt's own list.
  if (files->isDir(source)) return QIdentityProxyModel::data(index, role);
  return QLocale().formattedDataSize(files->size(source));
}

}  // namespace pcshop::ui
