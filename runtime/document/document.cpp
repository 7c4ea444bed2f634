#include "runtime/document/document.h"

#include <utility>

namespace pcshop::document {
namespace {

Status CheckText(std::string_view text, const char* what) {
  if (text.size() > kMaxTextBytes) {
    return Status::InvalidArgument(std::string("document: ") + what + " is longer than " +
                                   std::to_string(kMaxTextBytes) + " bytes");
  }
  return Status::Ok();
}

}  // namespace

Status Document::AddLine(std::string_view text) {
  if (lines_.size() >= kMaxLines) return Status::InvalidArgument("document: too many lines");
  if (Status s = CheckText(text, "a line"); !s.ok()) return s;
  lines_.emplace_back(text);
  return Status::Ok();
}

Status Document::AddFooter(std::string_view text) {
  if (footer_.size() >= kMaxLines) {
    return Status::InvalidArgument("document: too many footer lines");
  }
  if (Status s = CheckText(text, "a footer line"); !s.ok()) return s;
  footer_.emplace_back(text);
  return Status::Ok();
}

Status Document::AddChart(calls::ChartData chart) {
  if (charts_.size() >= kMaxCharts) return Status::InvalidArgument("document: too many charts");
  size_t points = 0;
  for (const calls::ChartSeries& s : chart.series) points += s.points.size();
  if (chart.series.size() > kMaxColumns || points > kMaxRows) {
    return Status::InvalidArgument("document: a chart of more points than a page can show");
  }
  for (std::string_view text : {std::string_view(chart.title), std::string_view(chart.note)}) {
    if (Status s = CheckText(text, "a chart's title"); !s.ok()) return s;
  }
  for (const calls::ChartSeries& series : chart.series) {
    if (Status s = CheckText(series.name, "a chart's series"); !s.ok()) return s;
    for (const calls::ChartPoint& p : series.points) {
      if (Status s = CheckText(p.label, "a chart's label"); !s.ok()) return s;
    }
  }
  charts_.push_back(std::move(chart));
  return Status::Ok();
}

Status Document::AddColumn(std::string_view title, Alignment alignment, int32_t width) {
  if (!rows_.empty()) return Status::InvalidArgument("document: a column after the first row");
  if (columns_.size() >= kMaxColumns) return Status::InvalidArgument("document: too many columns");
  if (width < 1) return Status::InvalidArgument("document: a column width below 1");
  if (alignment != Alignment::kLeft && alignment != Alignment::kRight &&
      alignment != Alignment::kCentre) {
    return Status::InvalidArgument("document: an unknown column alignment");
  }
  if (Status s = CheckText(title, "a column title"); !s.ok()) return s;
  columns_.push_back({std::string(title), alignment, width});
  return Status::Ok();
}

Status Document::AddRow(std::vector<std::string> cells, bool total) {
  if (columns_.empty()) return Status::InvalidArgument("document: a row before any column");
  if (rows_.size() >= kMaxRows) return Status::InvalidArgument("document: too many rows");
  if (cells.size() > columns_.size()) {
    return Status::InvalidArgument("document: a row of " + std::to_string(cells.size()) +
                                   " cells in a table of " + std::to_string(columns_.size()) +
                                   " columns");
  }
  for (const std::string& cell : cells) {
    if (Status s = CheckText(cell, "a cell"); !s.ok()) return s;
  }
  cells.resize(columns_.size());
  rows_.push_back({std::move(cells), total});
  return Status::Ok();
}

}  // namespace pcshop::document
