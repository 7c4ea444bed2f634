#include "runtime/document/document_preview.h"

#include <QAction>
#include <QFileDialog>
#include <QMarginsF>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>

#include "runtime/document/document_layout.h"
#include "runtime/document/document_render.h"

namespace pcshop::document {
namespace {

// The preview's own texts: the runtime's, not the application's.
const QString kPreviewCaption = QString::fromUtf8("打印预览");
const QString kSavePdf = QString::fromUtf8("存为PDF");
const QString kPdfFilter = QString::fromUtf8("PDF 文件 (*.pdf)");
const QString kSaveFailed = QString::fromUtf8("PDF 写入失败：");

void OfferPdf(QPrintPreviewDialog& dialog, const Document& doc) {
  auto* toolbar = dialog.findChild<QToolBar*>();
  if (toolbar == nullptr) return;
  toolbar->addSeparator();
  QAction* save = toolbar->addAction(kSavePdf);
  save->setObjectName(QStringLiteral("savePdf"));
  QObject::connect(save, &QAction::triggered, &dialog, [&dialog, &doc] {
    QString path = QFileDialog::getSaveFileName(&dialog, kSavePdf, QString(), kPdfFilter);
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += ".pdf";
    const Status s = WritePdf(doc, path.toStdU16String());
    if (!s.ok()) {
      QMessageBox::warning(&dialog, kSavePdf, kSaveFailed + QString::fromStdString(s.message()));
    }
  });
}

}  // namespace

Status ShowPreview(const Document& doc, QWidget* owner, const PreviewResponder& responder) {
  if (Status s = CheckTexts(doc); !s.ok()) return s;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(kPageMarginMillimetres, kPageMarginMillimetres,
                                              kPageMarginMillimetres, kPageMarginMillimetres),
                                    QPageLayout::Millimeter));
  QPrintPreviewDialog dialog(&printer, owner);
  dialog.setWindowTitle(kPreviewCaption);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&doc](QPrinter* target) {
                     QPainter painter(target);
                     if (!painter.isActive()) return;
                     // The texts were checked above; a failure here paints nothing.
                     (void)PaintDocument(doc, painter, target,
                                         QRectF(0, 0, target->width(), target->height()));
                   });
  OfferPdf(dialog, doc);
  // Qt's default size shows the page too small to read: take most of the
  // screen, a whole page in view.
  if (const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    dialog.resize(area.width() * 3 / 4, area.height() * 9 / 10);
  }
  if (auto* view = dialog.findChild<QPrintPreviewWidget*>()) {
    view->setZoomMode(QPrintPreviewWidget::FitInView);
  }
  if (responder) {
    responder(dialog);
    return Status::Ok();
  }
  dialog.exec();
  return Status::Ok();
}

}  // namespace pcshop::document
