#include "runtime/document/document_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPaintDevice>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <QVector>
#include <algorithm>
#include <cmath>

#include "runtime/text/gbk_codec.h"

namespace pcshop::document {
namespace {

constexpr qreal kBodyPoints = 10.5;
constexpr qreal kTitlePoints = 18;
constexpr qreal kFooterPoints = 9;
// A chart is half as tall as the text is wide; one without points shows
// only its title and the line saying so.
constexpr qreal kChartAspect = 0.45;
constexpr qreal kEmptyChartAspect = 0.1;
// The block property that marks a chart's place: the chart's index; its size.
constexpr int kChartIndexProperty = QTextFormat::UserProperty + 1;
constexpr int kChartSizeProperty = QTextFormat::UserProperty + 2;
const QUrl kChartPlaceholder(QStringLiteral("pcshop-chart:place"));

// Chinese set in a CJK face, Latin letters and digits in DejaVu Sans when
// present: a PDF reader maps both back to their characters. WenQuanYi comes
// before Noto because Noto's CJK face shares glyphs between characters and
// their Kangxi radicals, and text copied out of the PDF then reads 日 as ⽇.
QFont CjkFont(qreal points) {
  QFont font;
  font.setFamilies({"DejaVu Sans", "WenQuanYi Micro Hei", "Noto Sans CJK SC", "Noto Sans SC",
                    "Source Han Sans SC", "Microsoft YaHei", "SimSun"});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  return font;
}

QTextCharFormat CharFormat(qreal points, bool bold, QColor colour = Qt::black) {
  QTextCharFormat format;
  QFont font = CjkFont(points);
  font.setBold(bold);
  format.setFont(font);
  format.setForeground(QBrush(colour));
  return format;
}

Qt::Alignment ToQt(Alignment alignment) {
  switch (alignment) {
    case Alignment::kRight: return Qt::AlignRight;
    case Alignment::kCentre: return Qt::AlignHCenter;
    case Alignment::kLeft: break;
  }
  return Qt::AlignLeft;
}

// All texts of the document in UTF-16, or the first that is not GBK.
struct QtTexts {
  QString title;
  QStringList lines, titles, footer;
  QVector<QStringList> rows;
};

Result<QString> Convert(std::string_view gbk, const std::string& what) {
  Result<std::string> utf8 = text::NamedGbkToUtf8("document", what, gbk);
  if (!utf8.ok()) return utf8.status();
  return QString::fromStdString(*utf8);
}

Result<QtTexts> ConvertAll(const Document& doc) {
  QtTexts out;
  Result<QString> title = Convert(doc.title(), "the title");
  if (!title.ok()) return title.status();
  out.title = *title;
  for (size_t i = 0; i < doc.lines().size(); ++i) {
    Result<QString> t = Convert(doc.lines()[i], "line " + std::to_string(i + 1));
    if (!t.ok()) return t.status();
    out.lines << *t;
  }
  for (size_t i = 0; i < doc.charts().size(); ++i) {
    // Checked, not kept: the chart family converts its own texts.
    const calls::ChartData& chart = doc.charts()[i];
    const std::string what = "chart " + std::to_string(i + 1);
    std::vector<std::string_view> parts = {chart.title, chart.note};
    for (const calls::ChartSeries& series : chart.series) {
      parts.push_back(series.name);
      for (const calls::ChartPoint& p : series.points) parts.push_back(p.label);
    }
    for (std::string_view part : parts) {
      if (Result<QString> t = Convert(part, what); !t.ok()) return t.status();
    }
  }
  for (size_t i = 0; i < doc.columns().size(); ++i) {
    Result<QString> t = Convert(doc.columns()[i].title, "column title " + std::to_string(i + 1));
    if (!t.ok()) return t.status();
    out.titles << *t;
  }
  for (size_t r = 0; r < doc.rows().size(); ++r) {
    QStringList cells;
    for (size_t c = 0; c < doc.rows()[r].cells.size(); ++c) {
      Result<QString> t = Convert(doc.rows()[r].cells[c], "the cell in row " +
                                                              std::to_string(r + 1) + ", column " +
                                                              std::to_string(c + 1));
      if (!t.ok()) return t.status();
      cells << *t;
    }
    out.rows << cells;
  }
  for (size_t i = 0; i < doc.footer().size(); ++i) {
    Result<QString> t = Convert(doc.footer()[i], "footer line " + std::to_string(i + 1));
    if (!t.ok()) return t.status();
    out.footer << *t;
  }
  return out;
}

QTextBlockFormat BlockFormat(Qt::Alignment alignment, qreal top, qreal bottom) {
  QTextBlockFormat format;
  format.setAlignment(alignment);
  format.setTopMargin(top);
  format.setBottomMargin(bottom);
  return format;
}

// `pt` is one point in the layout's lengths: Qt scales borders, padding and
// margins from a 96-dpi screen to the paint device itself.
void InsertTable(QTextCursor& cursor, const Document& doc, const QtTexts& texts, qreal pt) {
  const int columns = static_cast<int>(doc.columns().size());
  const int rows = static_cast<int>(doc.rows().size()) + 1;
  int64_t total_width = 0;
  for (const Column& c : doc.columns()) total_width += c.width;

  QTextTableFormat table_format;
  table_format.setBorder(1.0 * pt);
  table_format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
  table_format.setBorderBrush(QBrush(QColor(90, 90, 90)));
  table_format.setBorderCollapse(true);
  table_format.setCellSpacing(0);
  table_format.setCellPadding(3 * pt);
  table_format.setHeaderRowCount(1);
  table_format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
  QVector<QTextLength> widths;
  for (const Column& c : doc.columns()) {
    widths << QTextLength(QTextLength::PercentageLength,
                          100.0 * static_cast<double>(c.width) / static_cast<double>(total_width));
  }
  table_format.setColumnWidthConstraints(widths);
  QTextTable* table = cursor.insertTable(rows, columns, table_format);

  const QTextCharFormat plain = CharFormat(kBodyPoints, false);
  const QTextCharFormat bold = CharFormat(kBodyPoints, true);
  const QColor header_shade(230, 233, 240);
  const QColor total_shade(244, 245, 248);
  for (int c = 0; c < columns; ++c) {
    QTextTableCell cell = table->cellAt(0, c);
    QTextCharFormat cell_format = cell.format();
    cell_format.setBackground(header_shade);
    cell.setFormat(cell_format);
    QTextCursor at = cell.firstCursorPosition();
    at.setBlockFormat(BlockFormat(ToQt(doc.columns()[c].alignment) | Qt::AlignVCenter, 0, 0));
    at.insertText(texts.titles[c], bold);
  }
  for (int r = 1; r < rows; ++r) {
    const Row& row = doc.rows()[r - 1];
    for (int c = 0; c < columns; ++c) {
      QTextTableCell cell = table->cellAt(r, c);
      if (row.total) {
        QTextCharFormat cell_format = cell.format();
        cell_format.setBackground(total_shade);
        cell.setFormat(cell_format);
      }
      QTextCursor at = cell.firstCursorPosition();
      at.setBlockFormat(BlockFormat(ToQt(doc.columns()[c].alignment), 0, 0));
      at.insertText(texts.rows[r - 1][c], row.total ? bold : plain);
    }
  }
}

// Each chart's place: an empty picture of the chart's size standing alone
// in its block, so that a page break moves it whole, never through it.
// `dots_per_pixel`: device pixels per pixel of a 96-dpi screen, the unit Qt
// sizes a picture in.
void InsertChartPlaces(QTextCursor& cursor, const Document& doc, qreal width, qreal pt,
                       qreal dots_per_pixel) {
  for (size_t i = 0; i < doc.charts().size(); ++i) {
    const qreal aspect = doc.charts()[i].empty() ? kEmptyChartAspect : kChartAspect;
    const QSizeF size(width, std::floor(width * aspect));
    QTextBlockFormat block = BlockFormat(Qt::AlignLeft, 6 * pt, 6 * pt);
    block.setProperty(kChartIndexProperty, static_cast<int>(i));
    block.setProperty(kChartSizeProperty, size);
    cursor.insertBlock(block);
    QTextImageFormat place;
    place.setName(kChartPlaceholder.toString());
    place.setWidth(size.width() / dots_per_pixel);
    place.setHeight(size.height() / dots_per_pixel);
    cursor.insertImage(place);
  }
}

}  // namespace

std::vector<ChartPlace> ChartPlaces(const QTextDocument& text) {
  std::vector<ChartPlace> places;
  for (QTextBlock block = text.begin(); block.isValid(); block = block.next()) {
    const QTextBlockFormat format = block.blockFormat();
    if (!format.hasProperty(kChartIndexProperty) || block.layout()->lineCount() == 0) continue;
    const QSizeF size = format.property(kChartSizeProperty).toSizeF();
    const QTextLine line = block.layout()->lineAt(0);
    // The picture sits on the line's baseline.
    const QPointF at =
        block.layout()->position() + QPointF(line.x(), line.y() + line.ascent() - size.height());
    places.push_back(
        {static_cast<size_t>(format.intProperty(kChartIndexProperty)), QRectF(at, size)});
  }
  return places;
}

void SetPages(QTextDocument& text, const QSizeF& page) {
  text.setPageSize(page);
  if (page.height() <= 0) return;
  // Qt breaks pages between lines but lets a line taller than what is left
  // of a page run over; a chart that would is moved to the next page.
  for (QTextBlock block = text.begin(); block.isValid(); block = block.next()) {
    QTextBlockFormat format = block.blockFormat();
    if (!format.hasProperty(kChartIndexProperty)) continue;
    const std::vector<ChartPlace> places = ChartPlaces(text);
    const auto place = std::find_if(places.begin(), places.end(), [&](const ChartPlace& p) {
      return p.index == static_cast<size_t>(format.intProperty(kChartIndexProperty));
    });
    if (place == places.end() || place->rect.height() > page.height()) continue;
    const auto first = static_cast<int64_t>(place->rect.top() / page.height());
    const auto last = static_cast<int64_t>((place->rect.bottom() - 1) / page.height());
    if (first == last) continue;
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor(block).setBlockFormat(format);  // lays the rest out again
  }
}

Status CheckTexts(const Document& doc) {
  Result<QtTexts> texts = ConvertAll(doc);
  return texts.status();
}

Result<std::unique_ptr<QTextDocument>> LayOutDocument(const Document& doc, QPaintDevice* device,
                                                      qreal width) {
  Result<QtTexts> texts = ConvertAll(doc);
  if (!texts.ok()) return texts.status();

  auto out = std::make_unique<QTextDocument>();
  out->documentLayout()->setPaintDevice(device);
  out->setDefaultFont(CjkFont(kBodyPoints));
  out->setDocumentMargin(0);
  out->setTextWidth(width);
  QImage clear(1, 1, QImage::Format_ARGB32);
  clear.fill(Qt::transparent);
  out->addResource(QTextDocument::ImageResource, kChartPlaceholder, clear);

  const qreal pt = 96.0 / 72.0;
  QTextCursor cursor(out.get());
  // One edit block: the layout runs once at its end, not after every cell.
  cursor.beginEditBlock();
  cursor.setBlockFormat(BlockFormat(Qt::AlignHCenter, 0, 12 * pt));
  cursor.insertText(texts->title, CharFormat(kTitlePoints, true));
  for (const QString& line : texts->lines) {
    cursor.insertBlock(BlockFormat(Qt::AlignLeft, 2 * pt, 2 * pt), CharFormat(kBodyPoints, false));
    cursor.insertText(line);
  }
  const qreal dots_per_pixel = device != nullptr ? device->logicalDpiX() / 96.0 : 1.0;
  InsertChartPlaces(cursor, doc, width, pt, dots_per_pixel > 0 ? dots_per_pixel : 1.0);
  if (!doc.columns().empty()) {
    cursor.insertBlock(BlockFormat(Qt::AlignLeft, 6 * pt, 0));
    InsertTable(cursor, doc, *texts, pt);
    cursor.movePosition(QTextCursor::End);
  }
  const QTextCharFormat footer = CharFormat(kFooterPoints, false, QColor(96, 96, 96));
  for (qsizetype i = 0; i < texts->footer.size(); ++i) {
    cursor.insertBlock(BlockFormat(Qt::AlignHCenter, (i == 0 ? 18 : 2) * pt, 0), footer);
    cursor.insertText(texts->footer[i]);
  }
  cursor.endEditBlock();
  return out;
}

}  // namespace pcshop::document
