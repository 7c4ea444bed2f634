#pragma once
// The file dialog's list with dates, sizes and kinds in the program's
// language. Qt's file model formats dates in the system's locale, so a
// Chinese dialog on an English system would show "9 Dec 2026 14:07", and
// its kinds ("Folder", "xlsx File") have no Chinese translation.

#include <QIdentityProxyModel>

namespace pcshop::ui {

class LocaleFileModel : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override;
};

}  // namespace pcshop::ui
