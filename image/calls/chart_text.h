#pragma once
// A chart as it crosses the call interface: one GBK text of lines, fields
// split by tabs (GBK never holds a tab or a line feed inside a character).
//   kind \t title \t note           kind 0 bars, 1 horizontal bars, 2 pie
//   S \t series name                one line per series, in order
//   P \t series \t label \t amount  one line per point (series from 0)
// The application writes it, the runtime reads it; both use this file.

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pcshop::calls {

enum class ChartKind : int32_t { kBars = 0, kHorizontalBars = 1, kPie = 2 };

struct ChartPoint {
  std::string label;
  int64_t amount = 0;
};

struct ChartSeries {
  std::string name;
  std::vector<ChartPoint> points;
};

struct ChartData {
  ChartKind kind = ChartKind::kBars;
  std::string title;
  std::string note;  // shown instead of the chart when there is no point
  std::vector<ChartSeries> series;
  bool empty() const {
    for (const ChartSeries& s : series) {
      if (!s.points.empty()) return false;
    }
    return true;
  }
};

inline std::string EncodeChart(const ChartData& chart) {
  std::string out = std::to_string(static_cast<int32_t>(chart.kind)) + '\t' + chart.title + '\t' +
                    chart.note + '\n';
  for (const ChartSeries& s : chart.series) out += "S\t" + s.name + '\n';
  for (size_t i = 0; i < chart.series.size(); ++i) {
    for (const ChartPoint& p : chart.series[i].points) {
      out += "P\t" + std::to_string(i) + '\t' + p.label + '\t' + std::to_string(p.amount) + '\n';
    }
  }
  return out;
}

namespace chart_detail {
inline std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', start)) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}
inline std::optional<int64_t> Number(std::string_view text) {
  // from_chars refuses what does not fit 64 bits; a leading '+' is no number.
  int64_t v = 0;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(text.data(), last, v);
  if (text.empty() || ec != std::errc() || end != last) return std::nullopt;
  return v;
}
}  // namespace chart_detail

// The chart, or nothing when the text is not one.
inline std::optional<ChartData> DecodeChart(std::string_view text) {
  ChartData chart;
  bool first = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    const std::vector<std::string_view> f = chart_detail::Split(text.substr(0, end));
    text.remove_prefix(end + 1);
    if (first) {
      const auto kind = f.size() == 3 ? chart_detail::Number(f[0]) : std::nullopt;
      if (!kind || *kind < 0 || *kind > 2) return std::nullopt;
      chart = {static_cast<ChartKind>(*kind), std::string(f[1]), std::string(f[2]), {}};
      first = false;
    } else if (f.size() == 2 && f[0] == "S") {
      chart.series.push_back({std::string(f[1]), {}});
    } else if (f.size() == 4 && f[0] == "P") {
      const auto series = chart_detail::Number(f[1]);
      const auto amount = chart_detail::Number(f[3]);
      if (!series || !amount || *series < 0 ||
          static_cast<uint64_t>(*series) >= chart.series.size()) {
        return std::nullopt;
      }
      chart.series[static_cast<size_t>(*series)].points.push_back({std::string(f[2]), *amount});
    } else {
      return std::nullopt;
    }
  }
  if (first) return std::nullopt;
  return chart;
}

}  // namespace pcshop::calls
