#include "app/reports/report_charts.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <unordered_map>

#include "app/app_calls.h"
#include "app/checks/day_number.h"
#include "app/reports/reports_controls.h"
#include "app/routines.h"
#include "app/stock/stock_tables.h"
#include "image/app_symbols.h"
#include "image/calls/read_snapshot.h"

namespace pcshop::app {
namespace {

namespace c = std::chrono;
namespace t = sym::text;

using calls::ChartData;
using calls::ChartKind;
using calls::ChartPoint;

constexpr int64_t kLongestDaily = 92;  // three months
constexpr size_t kTop = 10;

// A day or a month as a chart label: "5月3日", "2024年5月"; within one
// month the day alone ("3"), so that 31 bars keep readable labels.
struct Buckets {
  bool monthly = false;
  bool one_month = false;
  // key: day number, or year * 12 + month - 1
  int64_t KeyOf(int64_t day) const {
    if (!monthly) return day;
    const c::year_month_day d{c::sys_days{c::days{day}}};
    return static_cast<int>(d.year()) * 12 + static_cast<unsigned>(d.month()) - 1;
  }
  std::string Label(calls::Calls& rt, int64_t key) const {
    if (monthly) {
      return std::to_string(key / 12) + rt.ConstText(t::kYear) + std::to_string(key % 12 + 1) +
             rt.ConstText(t::kMonth);
    }
    const c::year_month_day d{c::sys_days{c::days{key}}};
    if (one_month) return std::to_string(static_cast<unsigned>(d.day()));
    return std::to_string(static_cast<unsigned>(d.month())) + rt.ConstText(t::kMonth) +
           std::to_string(static_cast<unsigned>(d.day())) + rt.ConstText(t::kDay);
  }
};

bool SameMonth(DayRange period) {
  const c::year_month_day first{c::sys_days{c::days{period.first}}};
  const c::year_month_day last{c::sys_days{c::days{period.last}}};
  return first.year() == last.year() && first.month() == last.month();
}

std::string Term(calls::Calls& rt, uint32_t a, const char* op, uint32_t b) {
  return std::string(rt.ConstText(a)) + op + rt.ConstText(b);
}

// Sums of `terms` of one stock table in `period` by `keys`.
std::optional<std::vector<calls::RangedGroup>> Sums(calls::Calls& rt, StockSide side,
                                                    DayRange period,
                                                    std::span<const char* const> terms,
                                                    std::span<const char* const> keys) {
  if (!rt.SelectTable(rt.ConstText(StockTableAlias(side)))) return std::nullopt;
  return rt.SumInRange(rt.ConstText(t::kFieldDate), period.first, period.last, terms, keys);
}

// Per bucket of `period` the sums of term `term` (and `minus`, subtracted,
// when given) of groups keyed by date; every bucket of the period has a
// point, 0 when nothing happened.
std::vector<ChartPoint> PerBucket(calls::Calls& rt, const std::vector<calls::RangedGroup>& groups,
                                  const Buckets& b, DayRange period, size_t term,
                                  std::optional<size_t> minus) {
  std::map<int64_t, int64_t> sums;
  for (int64_t day = period.first; day <= period.last; ++day) sums[b.KeyOf(day)];
  std::unordered_map<std::string, std::optional<int64_t>> days;
  for (const calls::RangedGroup& g : groups) {
    auto [it, added] = days.emplace(g.keys[0], std::nullopt);
    if (added) it->second = DayNumber(rt, g.keys[0]);
    if (!it->second) continue;
    sums[b.KeyOf(*it->second)] += g.sums[term] - (minus ? g.sums[*minus] : 0);
  }
  std::vector<ChartPoint> points;
  for (const auto& [key, sum] : sums) points.push_back({b.Label(rt, key), sum});
  return points;
}

std::optional<ChartData> SalesProfit(calls::Calls& rt, DayRange period) {
  const std::string cost = Term(rt, t::kFieldQuantity, "*", t::kFieldCost);
  const std::string costed = Term(rt, t::kFieldAmount, "?", t::kFieldCost);
  const std::array<const char*, 3> terms = {rt.ConstText(t::kFieldAmount), costed.c_str(),
                                            cost.c_str()};
  const std::array<const char*, 1> date = {rt.ConstText(t::kFieldDate)};
  const auto groups = Sums(rt, StockSide::kOut, period, terms, date);
  if (!groups) return std::nullopt;
  const Buckets b{period.days() > kLongestDaily, SameMonth(period)};
  ChartData chart{ChartKind::kBars, rt.ConstText(t::kReportChartSalesProfit), {}, {}};
  if (groups->empty()) return chart;
  chart.series.push_back({rt.ConstText(t::kReportSales), PerBucket(rt, *groups, b, period, 0, {})});
  chart.series.push_back({rt.ConstText(t::kReportProfit), PerBucket(rt, *groups, b, period, 1, 2)});
  return chart;
}

// The ten products with the largest `value` of their groups, as
// horizontal bars, the largest on top.
std::optional<ChartData> TopProducts(calls::Calls& rt, DayRange period, bool by_profit) {
  const std::string cost = Term(rt, t::kFieldQuantity, "*", t::kFieldCost);
  const std::string costed = Term(rt, t::kFieldAmount, "?", t::kFieldCost);
  const std::array<const char*, 3> terms = {rt.ConstText(t::kFieldQuantity), costed.c_str(),
                                            cost.c_str()};
  const std::array<const char*, 3> keys = {rt.ConstText(t::kFieldKind),
                                           rt.ConstText(t::kFieldBrand),
                                           rt.ConstText(t::kFieldModel)};
  auto groups = Sums(rt, StockSide::kOut, period, terms, keys);
  if (!groups) return std::nullopt;
  auto value = [&](const calls::RangedGroup& g) {
    return by_profit ? g.sums[1] - g.sums[2] : g.sums[0];
  };
  std::stable_sort(groups->begin(), groups->end(),
                   [&](const auto& a, const auto& b) { return value(a) > value(b); });
  ChartData chart{ChartKind::kHorizontalBars,
                  rt.ConstText(by_profit ? t::kReportChartTopProfit : t::kReportChartTopUnits),
                  {}, {}};
  if (groups->empty()) return chart;
  std::vector<ChartPoint> points;
  for (size_t i = 0; i < groups->size() && i < kTop; ++i) {
    const calls::RangedGroup& g = (*groups)[i];
    points.push_back({g.keys[1] + " " + g.keys[2], value(g)});
  }
  std::reverse(points.begin(), points.end());  // bars are drawn bottom up
  chart.series.push_back(
      {rt.ConstText(by_profit ? t::kReportProfit : t::kReportUnitsSold), std::move(points)});
  return chart;
}

std::optional<ChartData> Categories(calls::Calls& rt, DayRange period) {
  const std::array<const char*, 1> terms = {rt.ConstText(t::kFieldAmount)};
  const std::array<const char*, 1> keys = {rt.ConstText(t::kFieldKind)};
  auto groups = Sums(rt, StockSide::kOut, period, terms, keys);
  if (!groups) return std::nullopt;
  ChartData chart{ChartKind::kPie, rt.ConstText(t::kReportChartCategories), {}, {}};
  if (groups->empty()) return chart;
  std::stable_sort(groups->begin(), groups->end(),
                   [](const auto& a, const auto& b) { return a.sums[0] > b.sums[0]; });
  std::vector<ChartPoint> points;
  for (const calls::RangedGroup& g : *groups) points.push_back({g.keys[0], g.sums[0]});
  chart.series.push_back({rt.ConstText(t::kReportSales), std::move(points)});
  return chart;
}

std::optional<ChartData> TwelveMonths(calls::Calls& rt, int64_t today) {
  const c::year_month_day d{c::sys_days{c::days{today}}};
  const c::year_month first_month = d.year() / d.month() - c::months{11};
  const DayRange months{c::sys_days{first_month / c::day{1}}.time_since_epoch().count(),
                        c::sys_days{d.year() / d.month() / c::last}.time_since_epoch().count()};
  const std::array<const char*, 1> terms = {rt.ConstText(t::kFieldAmount)};
  const std::array<const char*, 1> date = {rt.ConstText(t::kFieldDate)};
  const auto sales = Sums(rt, StockSide::kOut, months, terms, date);
  const auto purchases = Sums(rt, StockSide::kIn, months, terms, date);
  if (!sales || !purchases) return std::nullopt;
  ChartData chart{ChartKind::kBars, rt.ConstText(t::kReportChartTwelveMonths), {}, {}};
  if (sales->empty() && purchases->empty()) return chart;
  const Buckets b{true};
  chart.series.push_back({rt.ConstText(t::kReportPurchases), PerBucket(rt, *purchases, b, months, 0, {})});
  chart.series.push_back({rt.ConstText(t::kReportSales), PerBucket(rt, *sales, b, months, 0, {})});
  return chart;
}

}  // namespace

std::optional<ChartData> BuildReportChart(calls::Calls& rt, ReportChart chart, DayRange period,
                                          int64_t today) {
  const calls::OwnedText current = rt.CurrentTableName();
  std::optional<ChartData> out;
  switch (chart) {
    case ReportChart::kSalesProfit: out = SalesProfit(rt, period); break;
    case ReportChart::kTopProfit: out = TopProducts(rt, period, true); break;
    case ReportChart::kTopUnits: out = TopProducts(rt, period, false); break;
    case ReportChart::kCategories: out = Categories(rt, period); break;
    case ReportChart::kTwelveMonths: out = TwelveMonths(rt, today); break;
  }
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  if (out && out->empty()) out->note = rt.ConstText(t::kReportChartEmpty);
  return out;
}

void ShowChart(calls::Calls& rt, const ReportsWindow& w) {
  const calls::ReadSnapshotScope snapshot(rt);
  const int32_t index = std::clamp(IndexOf(rt, w.chart_kind), 0, 4);
  const std::optional<DayRange> period = ChosenDays(rt, w);
  std::optional<ChartData> chart =
      period ? BuildReportChart(rt, static_cast<ReportChart>(index), *period, TodayNumber(rt))
             : std::nullopt;
  if (!chart) chart = ChartData{ChartKind::kBars, {}, rt.ConstText(t::kReportChartEmpty), {}};
  SetTextOf(rt, w.chart_note, chart->empty() ? chart->note.c_str() : "");
  (void)rt.ShowChart(ObjectOf(w.chart), *chart);
}

void ShowReportChart(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ShowChart(rt, Reports(rt));
}

}  // namespace pcshop::app
