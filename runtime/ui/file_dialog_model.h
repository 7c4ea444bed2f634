#pragma once
// The file dialog's list with dates and sizes in the program's locale. Qt's
// file model formats them in the system's locale, so a Chinese dialog on an
// English system would show "9 Dec 2026 14:07".

#include <QIdentityProxyModel>

namespace pcshop::ui {

class LocaleFileModel : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override;
};

}  // namespace pcshop::ui
