#include "runtime/chart/chart_view.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFont>
#include <QGraphicsScene>
#include <QHorizontalBarSeries>
#include <QImage>
#include <QPainter>
#include <QPieSeries>
#include <QValueAxis>
#include <memory>

#include "runtime/ui/gbk_qt.h"

namespace pcshop::chart {
namespace {

using calls::ChartData;
using calls::ChartKind;

constexpr char kViewName[] = "pcshop_chart";

QString Title(const ChartData& data) {
  QString title = ui::FromGbk(data.title);
  if (data.empty() && !data.note.empty()) title += QStringLiteral("\n") + ui::FromGbk(data.note);
  return title;
}

void AddBars(QChart& chart, const ChartData& data) {
  const bool horizontal = data.kind == ChartKind::kHorizontalBars;
  QAbstractBarSeries* series = horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                                          : static_cast<QAbstractBarSeries*>(new QBarSeries);
  QStringList labels;
  for (const calls::ChartPoint& p : data.series.front().points) labels << ui::FromGbk(p.label);
  qreal low = 0, high = 0;
  for (const calls::ChartSeries& s : data.series) {
    auto* set = new QBarSet(ui::FromGbk(s.name));
    for (const calls::ChartPoint& p : s.points) {
      *set << static_cast<qreal>(p.amount);
      low = std::min(low, static_cast<qreal>(p.amount));
      high = std::max(high, static_cast<qreal>(p.amount));
    }
    series->append(set);  // the series owns its sets
  }
  series->setLabelsVisible(labels.size() <= 12);
  series->setLabelsFormat(QStringLiteral("@value"));
  // Whole yuan as the shop writes them: 1234567, not 1.23457e+06.
  series->setLabelsPrecision(18);
  chart.addSeries(series);  // the chart owns its series and axes
  auto* categories = new QBarCategoryAxis;
  categories->append(labels);
  // A day or a part is read whole, never cut to "…": the bars make room.
  // Under a row of many bars a label lies on its side so none overlap.
  categories->setTruncateLabels(false);
  if (!horizontal && labels.size() > 12) categories->setLabelsAngle(-90);
  auto* amounts = new QValueAxis;
  amounts->setLabelFormat(QStringLiteral("%.0f"));
  amounts->setRange(low, high > low ? high * 1.1 : low + 1);
  amounts->applyNiceNumbers();  // ticks at 1000, 2000, not 1168, 2336
  chart.addAxis(categories, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
  chart.addAxis(amounts, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
  series->attachAxis(categories);
  series->attachAxis(amounts);
  chart.legend()->setVisible(data.series.size() > 1);
}

void AddPie(QChart& chart, const ChartData& data) {
  auto* series = new QPieSeries;
  for (const calls::ChartPoint& p : data.series.front().points) {
    if (p.amount <= 0) continue;  // a slice cannot be negative
    QPieSlice* slice = series->append(
        ui::FromGbk(p.label) + QStringLiteral(" ") + QString::number(p.amount), p.amount);
    slice->setLabelVisible(true);
  }
  chart.addSeries(series);
  chart.legend()->setVisible(false);
}

std::unique_ptr<QChart> BuildChart(const ChartData& data) {
  auto chart = std::make_unique<QChart>();
  chart->setTitle(Title(data));
  QFont title = chart->titleFont();
  title.setBold(true);
  chart->setTitleFont(title);
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setMargins(QMargins(2, 2, 2, 2));
  if (!data.empty()) {
    if (data.kind == ChartKind::kPie) {
      AddPie(*chart, data);
    } else {
      AddBars(*chart, data);
    }
  }
  return chart;
}

QString Description(const ChartData& data) {
  QString out;
  for (const calls::ChartSeries& s : data.series) {
    if (!out.isEmpty()) out += QStringLiteral("; ");
    out += ui::FromGbk(s.name) + QStringLiteral(":");
    for (const calls::ChartPoint& p : s.points) {
      out += QStringLiteral(" ") + ui::FromGbk(p.label) + QStringLiteral(" ") +
             QString::number(p.amount) + QStringLiteral(",");
    }
  }
  return out;
}

}  // namespace

void ShowChartIn(QWidget& host, const ChartData& data) {
  auto* view = host.findChild<QChartView*>(QString::fromLatin1(kViewName),
                                           Qt::FindDirectChildrenOnly);
  if (view == nullptr) {
    view = new QChartView(&host);  // owned by the host control
    view->setObjectName(QString::fromLatin1(kViewName));
    view->setRenderHint(QPainter::Antialiasing);
  }
  // The view owns the new chart but only lets go of the one before (its own
  // first one included) without deleting it.
  const std::unique_ptr<QChart> before(view->chart());
  view->setChart(BuildChart(data).release());
  view->setGeometry(host.rect().adjusted(2, 2, -2, -2));
  view->setAccessibleName(Title(data));
  view->setAccessibleDescription(Description(data));
  view->show();
}

void PaintChart(const ChartData& data, QPainter& painter, const QRectF& target,
                qreal layout_width) {
  if (target.width() <= 0 || target.height() <= 0 || layout_width <= 0) return;
  const QSizeF layout(layout_width, layout_width * target.height() / target.width());
  QGraphicsScene scene;
  QChart* chart = BuildChart(data).release();
  scene.addItem(chart);  // the scene owns it
  chart->setGeometry(QRectF(QPointF(0, 0), layout));
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  scene.render(&painter, target, QRectF(QPointF(0, 0), layout), Qt::IgnoreAspectRatio);
  painter.restore();
}

Status WriteChartPicture(const ChartData& data, const std::filesystem::path& path, int width,
                         int height) {
  if (width < 1 || height < 1) return Status::InvalidArgument("chart picture: no size");
  QChartView view(BuildChart(data).release());
  view.resize(width, height);
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    view.render(&painter);
  }
  if (!image.save(QString::fromStdString(path.string()), "PNG")) {
    return Status::IOError(path.string() + ": the chart picture cannot be written");
  }
  return Status::Ok();
}

}  // namespace pcshop::chart
