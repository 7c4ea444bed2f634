#include "app/stock/movement_list.h"

#include <string>

#include "app/catalogue/catalogue_tables.h"
#include "app/catalogue/category_tables.h"
#include "app/lists/row_record.h"
#include "app/stock/movement_input.h"

namespace pcshop::app {
namespace {

namespace col = movement_column;

void AppendRow(calls::Calls& rt, const calls::ValueTriple& list, const Movement& m) {
  const int32_t row = rt.InsertListRow(list, -1);
  const std::string cells[] = {std::to_string(row + 1), m.kind, m.brand, m.model,
                               std::to_string(m.quantity), std::to_string(m.price),
                               std::to_string(m.amount), m.date, m.remark};
  int32_t column = 0;
  for (const std::string& cell : cells) (void)rt.SetListCell(list, row, column++, cell.c_str());
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
    const Movement m = ReadMovement(rt);
    if (category >= 0 && m.kind != kind) continue;
    AppendRow(rt, list, m);
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
  return m;
}

int32_t PickedMovementRecord(calls::Calls& rt, const StockWindow& w) {
  const int32_t row = IndexOf(rt, w.list);
  if (row < 0 || row >= rt.GetListRowCount(ObjectOf(w.list))) return 0;
  (void)rt.SelectTable(rt.ConstText(StockTableAlias(w.side)));
  return RecordOfRow(
      rt, row, [&](int32_t r) { return MovementOnRow(rt, w, r); }, [&] { return ReadMovement(rt); });
}

}  // namespace pcshop::app
