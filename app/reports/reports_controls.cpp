#include "app/reports/reports_controls.h"

#include <algorithm>

#include "app/checks/day_number.h"
#include "app/checks/typed_values.h"
#include "image/app_symbols.h"
#include "image/type_ids.h"

namespace pcshop::app {

ReportsWindow Reports(calls::Calls& rt) {
  namespace c = sym::control::reports;
  namespace type = image::type_id;
  const uint32_t w = rt.Id(sym::window::kReports);
  auto ref = [&](uint32_t control, uint32_t type_id) {
    return ControlRef{w, rt.Id(control), type_id};
  };
  return {ref(c::组合框期间, type::kComboBox),       ref(c::编辑框从, type::kEditBox),
          ref(c::编辑框到, type::kEditBox),          ref(c::透明标签说明, type::kLabel),
          ref(c::超级列表框概况, type::kListView),   ref(c::组合框图表, type::kComboBox),
          ref(c::透明标签图表说明, type::kLabel),    ref(c::分组框图表, type::kGroupBox),
          ref(c::组合框销售, type::kComboBox),
          ref(c::超级列表框销售, type::kListView),   ref(c::组合框库存, type::kComboBox),
          ref(c::编辑框预警, type::kEditBox),        ref(c::超级列表框库存, type::kListView),
          ref(c::通用对话框1, type::kCommonDialog)};
}

PeriodChoice ChosenPeriod(calls::Calls& rt, const ReportsWindow& w) {
  const int32_t i = IndexOf(rt, w.period);
  // 本月 while nothing is chosen.
  if (i < 0 || i > static_cast<int32_t>(PeriodChoice::kRange)) return PeriodChoice::kThisMonth;
  return static_cast<PeriodChoice>(i);
}

SalesGrouping ChosenGrouping(calls::Calls& rt, const ReportsWindow& w) {
  const int32_t i = std::clamp(IndexOf(rt, w.sales_kind), 0, 2);
  return static_cast<SalesGrouping>(i);
}

StockReport ChosenStockReport(calls::Calls& rt, const ReportsWindow& w) {
  const int32_t i = std::clamp(IndexOf(rt, w.stock_kind), 0, 2);
  return static_cast<StockReport>(i);
}

std::optional<int64_t> Threshold(calls::Calls& rt, const ReportsWindow& w) {
  const calls::OwnedText text = TextOf(rt, w.threshold);
  if (text.view().empty()) return 0;
  const std::optional<int64_t> n = WholeNumber(text.view());
  if (!n || *n < 0) return std::nullopt;
  return n;
}

std::optional<DayRange> ChosenDays(calls::Calls& rt, const ReportsWindow& w) {
  const PeriodChoice choice = ChosenPeriod(rt, w);
  std::optional<int64_t> from, to;
  if (choice == PeriodChoice::kRange) {
    from = DayNumber(rt, TextOf(rt, w.from).view());
    to = DayNumber(rt, TextOf(rt, w.to).view());
  }
  return PeriodOf(choice, TodayNumber(rt), from, to);
}

}  // namespace pcshop::app
