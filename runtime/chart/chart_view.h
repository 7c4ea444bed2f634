#pragma once
// Charts drawn with Qt Charts from the series the application hands over
// (image/calls/chart_text.h): bars, horizontal bars or a pie, Chinese
// labels, amounts as whole numbers.

#include <QRectF>
#include <QWidget>
#include <filesystem>

#include "base/status.h"
#include "image/calls/chart_text.h"

class QPainter;

namespace pcshop::chart {

// Draws `chart` over the whole of `host`, in place of the chart drawn there
// before. A chart without points shows its title and note and no series.
// Screen readers get the title as the name and every point as the
// description ("销售额: 5月1日 1200, ...").
void ShowChartIn(QWidget& host, const calls::ChartData& chart);

// Draws `chart` into `target` with `painter`, laid out as on a screen of
// `target`'s proportions and `layout_width` pixels wide, then scaled: on a
// printer or in a PDF its lines and texts stay vector, sharp at any
// resolution. The painter's state is kept.
void PaintChart(const calls::ChartData& chart, QPainter& painter, const QRectF& target,
                qreal layout_width);

// The chart as a PNG picture of `width` x `height` pixels.
Status WriteChartPicture(const calls::ChartData& chart, const std::filesystem::path& path,
                         int width, int height);

}  // namespace pcshop::chart
