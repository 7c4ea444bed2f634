#include "runtime/document/document_render.h"

#include <QBuffer>
#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

#include "runtime/chart/chart_view.h"
#include "runtime/document/document_layout.h"
#include "runtime/files/whole_file.h"

namespace pcshop::document {
namespace {

constexpr int kPdfResolution = 300;
constexpr qreal kA4WidthMillimetres = 210;
constexpr qreal kMillimetresPerInch = 25.4;
// A picture taller than this many widths is refused rather than drawn.
constexpr int kMaxPictureAspect = 8;
// zlib's faster levels: the picture is mostly white and shrinks as well.
constexpr int kPngQuality = 80;

// Charts are laid out as on a screen this many pixels wide and scaled to
// their place: their texts come out about as large as the document's.
constexpr qreal kChartLayoutWidth = 620;

// The laid-out text in `clip` (layout coordinates), its charts over their places.
void DrawContents(const Document& doc, QTextDocument& text, QPainter& painter, const QRectF& clip) {
  text.drawContents(&painter, clip);
  for (const ChartPlace& place : ChartPlaces(text)) {
    if (!place.rect.intersects(clip)) continue;
    chart::PaintChart(doc.charts()[place.index], painter, place.rect, kChartLayoutWidth);
  }
}

// Paints a document laid out at the width of `area`, shrunk when taller.
void PaintLaidOut(const Document& doc, QTextDocument& text, QPainter& painter, const QRectF& area) {
  const qreal height = text.size().height();
  painter.save();
  painter.translate(area.topLeft());
  // One page whatever the content: a taller document shrinks to fit.
  if (height > area.height() && height > 0) {
    const qreal scale = area.height() / height;
    painter.translate((area.width() - area.width() * scale) / 2, 0);
    painter.scale(scale, scale);
  }
  DrawContents(doc, text, painter, QRectF(0, 0, area.width(), std::max(height, area.height())));
  painter.restore();
}

// Paints a document over as many pages of `area`'s size as it needs; the
// layout breaks pages between lines and table rows, and before a chart
// that would not fit whole.
void PaintPages(const Document& doc, QTextDocument& text, QPainter& painter,
                QPagedPaintDevice& device, const QRectF& area) {
  SetPages(text, area.size());
  const int pages = text.pageCount();
  for (int page = 0; page < pages; ++page) {
    if (page > 0 && !device.newPage()) return;
    const QRectF clip(0, page * area.height(), area.width(), area.height());
    painter.save();
    painter.translate(area.topLeft() - clip.topLeft());
    painter.setClipRect(clip);
    DrawContents(doc, text, painter, clip);
    painter.restore();
  }
}

}  // namespace

Status PaintDocument(const Document& doc, QPainter& painter, QPagedPaintDevice* device,
                     const QRectF& area) {
  Result<std::unique_ptr<QTextDocument>> laid = LayOutDocument(doc, device, area.width());
  if (!laid.ok()) return laid.status();
  if (doc.charts().empty()) {
    PaintLaidOut(doc, **laid, painter, area);
  } else {
    PaintPages(doc, **laid, painter, *device, area);
  }
  return Status::Ok();
}

Result<std::string> PdfBytes(const Document& doc) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return Status::IOError("document: no PDF buffer");
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kPageMarginMillimetres, kPageMarginMillimetres,
                                               kPageMarginMillimetres, kPageMarginMillimetres),
                                     QPageLayout::Millimeter));
    writer.setCreator(QStringLiteral("pcshop"));
    QPainter painter;
    if (!painter.begin(&writer)) return Status::IOError("document: cannot start the PDF");
    const Status painted =
        PaintDocument(doc, painter, &writer, QRectF(0, 0, writer.width(), writer.height()));
    painter.end();
    if (!painted.ok()) return painted;
  }
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

Result<QImage> Picture(const Document& doc, int width) {
  if (width < kMinPictureWidth || width > kMaxPictureWidth) {
    return Status::InvalidArgument("document: a picture width of " + std::to_string(width) +
                                   " pixels (" + std::to_string(kMinPictureWidth) + " to " +
                                   std::to_string(kMaxPictureWidth) + ")");
  }
  // The picture is an A4 page scaled to the width: text keeps the page's
  // proportions and is drawn at the picture's own resolution, so it is sharp.
  const qreal dpi = width * kMillimetresPerInch / kA4WidthMillimetres;
  const int margin = static_cast<int>(std::lround(width * kPageMarginMillimetres /
                                                  kA4WidthMillimetres));
  const int dots_per_metre = static_cast<int>(std::lround(dpi / 0.0254));
  QImage probe(1, 1, QImage::Format_RGB32);
  probe.setDotsPerMeterX(dots_per_metre);
  probe.setDotsPerMeterY(dots_per_metre);
  Result<std::unique_ptr<QTextDocument>> laid = LayOutDocument(doc, &probe, width - 2 * margin);
  if (!laid.ok()) return laid.status();
  const qreal content = (*laid)->size().height();
  if (content > static_cast<qreal>(width) * kMaxPictureAspect) {
    return Status::InvalidArgument("document: too long for one picture");
  }
  const int height = static_cast<int>(std::ceil(content)) + 2 * margin;
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return Status::IOError("document: no memory for the picture");
  image.setDotsPerMeterX(dots_per_metre);
  image.setDotsPerMeterY(dots_per_metre);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  // The layout made for the probe holds for the image: same resolution, same width.
  PaintLaidOut(doc, **laid, painter, QRectF(margin, margin, width - 2 * margin, content));
  painter.end();
  return image;
}

Status WritePdf(const Document& doc, const std::filesystem::path& path) {
  Result<std::string> bytes = PdfBytes(doc);
  if (!bytes.ok()) return bytes.status();
  return files::WriteFileAtomically(path, *bytes);
}

Status WritePicture(const Document& doc, const std::filesystem::path& path, int width) {
  Result<QImage> image = Picture(doc, width);
  if (!image.ok()) return image.status();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image->save(&buffer, "PNG", kPngQuality)) {
    return Status::IOError("document: cannot encode the picture");
  }
  return files::WriteFileAtomically(path, std::string_view(bytes.constData(),
                                                           static_cast<size_t>(bytes.size())));
}

}  // namespace pcshop::document
