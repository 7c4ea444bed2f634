#include "app/stock/movement_list.h"

#include <string>

#include "app/catalogue/catalogue_tables.h"
#include "app/catalogue/category_tables.h"
#include "app/lists/row_record.h"
#include "app/stock/movement_input.h"

namespace pcshop::app {
namespace {

namespace col = movement_column;

void AppendRow(calls::Calls& rt, const StockWindow& w, const calls::ValueTriple& list,
               const Movement& m) {
  const int32_t row = rt.InsertListRow(list, -1);
  // An unknown cost is an empty cell, never a 0 that reads as free goods.
  const std::string cells[] = {std::to_string(row + 1),
                               m.kind,
                               m.brand,
                               m.model,
                               std::to_string(m.quantity),
                               std::to_string(m.price),
                               std::to_string(m.amount),
                               m.date,
                               m.remark,
                               m.counterparty,
                               std::to_string(m.paid),
                               m.cost == kNoCost ? std::string() : std::to_string(m.cost)};
  const size_t shown = w.side == StockSide::kOut ? std::size(cells) : std::size(cells) - 1;
  for (size_t c = 0; c < shown; ++c) {
    (void)rt.SetListCell(list, row, static_cast<int32_t>(c), cells[c].c_str());
  }
}

int32_t IntCell(calls::Calls& rt, const calls::ValueTriple& list, int32_t row, int32_t column) {
  const calls::OwnedText cell = rt.GetListCell(list, row, column);
  return rt.TextToInt(cell.c_str());
}

}  // namespace

void ListMovements(calls::Calls& rt, const StockWindow& w, int32_t category) {
  const calls::ValueTriple list = ObjectOf(w.list);
  rt.ClearList(list);
  (void)rt.SelectTable(rt.ConstText(StockTableAlias(w.side)));
  std::string kind;
  if (category >= 0) kind = rt.ConstText(kProductTables[static_cast<size_t>(category)].alias);
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    if (!rt.GoToRecord(n)) continue;
    const Movement m = ReadMovement(rt, w.side);
    if (category >= 0 && m.kind != kind) continue;
    AppendRow(rt, w, list, m);
  }
}

void ListMovementsAgain(calls::Calls& rt, const StockWindow& w) {
  const int32_t index = IndexOf(rt, w.query);
  ListMovements(rt, w, index >= 0 && index < kCategoryCount ? index : -1);
}

void ListMovementsWith(calls::Calls& rt, const StockWindow& w, const Movement& m) {
  const int32_t shown = IndexOf(rt, w.query);
  if (shown >= 0 && shown < kCategoryCount && CategoryIndexOf(rt, m.kind) == shown) {
    ListMovements(rt, w, shown);
    return;
  }
  SetIndexOf(rt, w.query, -1);
  ListMovements(rt, w, -1);
}

Movement MovementOnRow(calls::Calls& rt, const StockWindow& w, int32_t row) {
  const calls::ValueTriple list = ObjectOf(w.list);
  auto text = [&](int32_t column) { return std::string(rt.GetListCell(list, row, column).view()); };
  Movement m;
  m.kind = text(col::kKind);
  m.brand = text(col::kBrand);
  m.model = text(col::kModel);
  m.quantity = IntCell(rt, list, row, col::kQuantity);
  m.price = IntCell(rt, list, row, col::kPrice);
  m.amount = IntCell(rt, list, row, col::kAmount);
  m.date = text(col::kDate);
  m.remark = text(col::kRemark);
  m.counterparty = text(col::kCounterparty);
  m.paid = IntCell(rt, list, row, col::kPaid);
  if (w.side == StockSide::kOut) {
    const std::string cost = text(col::kCost);
    m.cost = cost.empty() ? kNoCost : rt.TextToInt(cost.c_str());
  }
  return m;
}

int32_t PickedMovementRecord(calls::Calls& rt, const StockWindow& w) {
  const int32_t row = IndexOf(rt, w.list);
  if (row < 0 || row >= rt.GetListRowCount(ObjectOf(w.list))) return 0;
  (void)rt.SelectTable(rt.ConstText(StockTableAlias(w.side)));
  return RecordOfRow(
      rt, row, [&](int32_t r) { return MovementOnRow(rt, w, r); },
      [&] { return ReadMovement(rt, w.side); });
}

}  // namespace pcshop::app
