#include "app/aging/aging_list.h"

#include <array>
#include <string>

#include "app/checks/day_number.h"
#include "app/checks/typed_values.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;
namespace col = aging_column;

using Cells = std::array<std::string, col::kCount>;

// An amount cell: empty for nothing owed there, so the buckets that matter
// stand out.
std::string Amount(int64_t value) { return value != 0 ? std::to_string(value) : std::string(); }

void AppendRow(calls::Calls& rt, const calls::ValueTriple& list, const Cells& cells) {
  const int32_t row = rt.InsertListRow(list, -1);
  for (int32_t c = 0; c < col::kCount; ++c) {
    if (!cells[c].empty()) (void)rt.SetListCell(list, row, c, cells[c].c_str());
  }
}

Cells RowCells(calls::Calls& rt, const AgedRow& r, int32_t number) {
  Cells cells;
  cells[col::kNumber] = std::to_string(number);
  cells[col::kName] = r.name;
  cells[col::kPhone] = r.phone;
  cells[col::kBalance] = std::to_string(r.balance);
  cells[col::kOpening] = Amount(r.ages.undated);
  for (int b = 0; b < kAgeBuckets; ++b) cells[col::kFirstBucket + b] = Amount(r.ages.buckets[b]);
  cells[col::kOldestDate] =
      r.ages.undated > 0 ? std::string(rt.ConstText(t::kAgingOpening)) : r.oldest_date;
  return cells;
}

// Every column of a total row holds its number, 0 included.
Cells TotalCells(calls::Calls& rt, uint32_t label, const std::vector<AgedRow>& rows,
                 bool with_ages) {
  int64_t balance = 0, undated = 0;
  std::array<int64_t, kAgeBuckets> buckets = {};
  for (const AgedRow& r : rows) {
    balance += r.balance;
    undated += r.ages.undated;
    for (int b = 0; b < kAgeBuckets; ++b) buckets[b] += r.ages.buckets[b];
  }
  Cells cells;
  cells[col::kName] = rt.ConstText(label);
  cells[col::kBalance] = std::to_string(balance);
  if (with_ages) {
    cells[col::kOpening] = std::to_string(undated);
    for (int b = 0; b < kAgeBuckets; ++b) cells[col::kFirstBucket + b] = std::to_string(buckets[b]);
  }
  return cells;
}

}  // namespace

const char* AgingTitle(calls::Calls& rt, const AgingWindow& w) {
  return rt.ConstText(ChosenSide(rt, w) == AgingSide::kReceivable ? t::kAgingTitleReceivable
                                                                   : t::kAgingTitlePayable);
}

void ShowAgedList(calls::Calls& rt, const AgingWindow& w) {
  const AgingSide side = ChosenSide(rt, w);
  const bool receivable = side == AgingSide::kReceivable;
  const calls::ValueTriple list = ObjectOf(w.list);
  rt.ClearList(list);
  const AgedList aged = LoadAgedList(rt, side, TodayNumber(rt));
  if (!aged.known) {
    SetTextOf(rt, w.summary, "");
    (void)rt.MessageBox(rt.ConstText(t::kAgingUnknown), 0);
    return;
  }
  const std::string summary = rt.ConstText(t::kAgingAsOf) + Today(rt) +
                              rt.ConstText(receivable ? t::kAgingRuleReceivable
                                                      : t::kAgingRulePayable);
  SetTextOf(rt, w.summary, summary.c_str());
  int32_t number = 0;
  for (const AgedRow& r : aged.owing) AppendRow(rt, list, RowCells(rt, r, ++number));
  AppendRow(rt, list, TotalCells(rt, t::kAgingTotal, aged.owing, true));
  if (aged.ahead.empty()) return;
  for (const AgedRow& r : aged.ahead) AppendRow(rt, list, RowCells(rt, r, ++number));
  AppendRow(rt, list,
            TotalCells(rt, receivable ? t::kAgingHeldForCustomers : t::kAgingPaidAhead,
                       aged.ahead, false));
}

}  // namespace pcshop::app
