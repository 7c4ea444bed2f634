#pragma once
// A document the application builds from its GBK texts, to be printed or
// written as a PDF or a picture: a title, lines under it, charts, one table
// (column titles, rows, a totals row set apart), and footer lines. The runtime
// decides how it looks; the application decides what goes into it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "image/calls/chart_text.h"

namespace pcshop::document {

enum class Alignment : int32_t { kLeft = 0, kRight = 1, kCentre = 2 };

struct Column {
  std::string title;  // GBK
  Alignment alignment = Alignment::kLeft;
  int32_t width = 1;  // relative to the other columns' widths
};

struct Row {
  std::vector<std::string> cells;  // GBK, one per column
  bool total = false;              // a totals row: bold, ruled off above
};

// Limits that keep a faulty caller from building a document no page holds.
inline constexpr size_t kMaxColumns = 32;
inline constexpr size_t kMaxRows = 2000;
inline constexpr size_t kMaxLines = 64;
inline constexpr size_t kMaxCharts = 16;
inline constexpr size_t kMaxTextBytes = 4096;

class Document {
 public:
  explicit Document(std::string_view title) : title_(title) {}

  [[nodiscard]] Status AddLine(std::string_view text);
  [[nodiscard]] Status AddFooter(std::string_view text);
  // Charts stand between the lines and the table, in the order added.
  [[nodiscard]] Status AddChart(calls::ChartData chart);
  // Columns come before the first row.
  [[nodiscard]] Status AddColumn(std::string_view title, Alignment alignment, int32_t width);
  // Fewer cells than columns leave the rest empty; more are refused.
  [[nodiscard]] Status AddRow(std::vector<std::string> cells, bool total);

  const std::string& title() const { return title_; }
  const std::vector<std::string>& lines() const { return lines_; }
  const std::vector<calls::ChartData>& charts() const { return charts_; }
  const std::vector<Column>& columns() const { return columns_; }
  const std::vector<Row>& rows() const { return rows_; }
  const std::vector<std::string>& footer() const { return footer_; }

 private:
  std::string title_;
  std::vector<std::string> lines_;
  std::vector<calls::ChartData> charts_;
  std::vector<Column> columns_;
  std::vector<Row> rows_;
  std::vector<std::string> footer_;
};

}  // namespace pcshop::document
