#pragma once
// Charts drawn with Qt Charts from the series the application hands over
// (image/calls/chart_text.h): bars, horizontal bars or a pie, Chinese
// labels, amounts as whole numbers.

#include <QWidget>
#include <filesystem>

#include "base/status.h"
#include "image/calls/chart_text.h"

namespace pcshop::chart {

// Draws `chart` over the whole of `host`, in place of the chart drawn there
// before. A chart without points shows its title and note and no series.
// Screen readers get the title as the name and every point as the
// description ("销售额: 5月1日 1200, ...").
void ShowChartIn(QWidget& host, const calls::ChartData& chart);

// The chart as a PNG picture of `width` x `height` pixels.
Status WriteChartPicture(const calls::ChartData& chart, const std::filesystem::path& path,
                         int width, int height);

}  // namespace pcshop::chart
