#include "app/stock/stock_tables.h"

#include "app/backup/backups.h"
#include "app/catalogue/catalogue_tables.h"
#include "app/quote/config_table.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

constexpr int32_t kFieldWidth = 20;

uint32_t PathKey(StockSide side) {
  return side == StockSide::kIn ? t::kTablePathStockIn : t::kTablePathStockOut;
}

}  // namespace

uint32_t StockTableAlias(StockSide side) {
  return side == StockSide::kIn ? t::kStockInTable : t::kStockOutTable;
}

std::string StockTablePath(calls::Calls& rt, StockSide side) {
  const calls::OwnedText folder = rt.ProgramFolder();
  return std::string(folder.view()) + rt.ConstText(PathKey(side));
}

uint32_t CounterpartyField(StockSide side) {
  return side == StockSide::kIn ? t::kFieldSupplier : t::kFieldCustomer;
}

uint32_t PaidField(StockSide side) {
  return side == StockSide::kIn ? t::kFieldPaidOut : t::kFieldPaidIn;
}

std::vector<calls::FieldRecord> MovementFields(calls::Calls& rt, StockSide side) {
  std::vector<calls::FieldRecord> fields = ProductFields(rt);
  fields.push_back({rt.ConstText(t::kFieldQuantity), kIntegerField, kFieldWidth});
  fields.push_back({rt.ConstText(t::kFieldAmount), kIntegerField, kFieldWidth});
  fields.push_back({rt.ConstText(t::kFieldDate), kTextField, kFieldWidth});
  fields.push_back({rt.ConstText(CounterpartyField(side)), kTextField, kFieldWidth});
  fields.push_back({rt.ConstText(PaidField(side)), kIntegerField, kFieldWidth});
  if (side == StockSide::kOut) {
    fields.push_back({rt.ConstText(t::kFieldCost), kIntegerField, kFieldWidth});
  }
  return fields;
}

int32_t MovementFieldCount(StockSide side) {
  return side == StockSide::kIn ? 10 : 11;
}

void PrepareStockTables(calls::Calls& rt) {
  for (StockSide side : {StockSide::kIn, StockSide::kOut}) {
    const std::string path = StockTablePath(rt, side);
    const std::vector<calls::FieldRecord> fields = MovementFields(rt, side);
    // On the server no file exists and creating a table that is there is
    // refused: then it is upgraded like a file. A foreign layout is refused
    // untouched; the window says so.
    if (!rt.FileExists(path.c_str()) && rt.CreateTable(path.c_str(), fields)) continue;
    (void)UpgradeKeepingCopy(rt, path.c_str(), fields);
  }
}

bool StockTableUsable(calls::Calls& rt, StockSide side) {
  const std::string path = StockTablePath(rt, side);
  return UpgradeKeepingCopy(rt, path.c_str(), MovementFields(rt, side));
}

Movement ReadMovement(calls::Calls& rt, StockSide side) {
  Movement m;
  m.kind = rt.ReadFieldText(rt.ConstText(t::kFieldKind), {}).view();
  m.brand = rt.ReadFieldText(rt.ConstText(t::kFieldBrand), {}).view();
  m.model = rt.ReadFieldText(rt.ConstText(t::kFieldModel), {}).view();
  m.price = rt.ReadFieldInt(rt.ConstText(t::kFieldPrice), {});
  m.remark = rt.ReadFieldText(rt.ConstText(t::kFieldRemark), {}).view();
  m.quantity = rt.ReadFieldInt(rt.ConstText(t::kFieldQuantity), {});
  m.amount = rt.ReadFieldInt(rt.ConstText(t::kFieldAmount), {});
  m.date = rt.ReadFieldText(rt.ConstText(t::kFieldDate), {}).view();
  m.counterparty = rt.ReadFieldText(rt.ConstText(CounterpartyField(side)), {}).view();
  m.paid = m.counterparty.empty() ? m.amount : rt.ReadFieldInt(rt.ConstText(PaidField(side)), {});
  if (side == StockSide::kOut) m.cost = rt.ReadFieldInt(rt.ConstText(t::kFieldCost), {});
  return m;
}

std::vector<calls::ValueTriple> MovementValues(calls::Calls& rt, StockSide side,
                                               const Movement& m) {
  std::vector<calls::ValueTriple> values = {rt.Arg(m.kind.c_str()),         rt.Arg(m.brand.c_str()),
                                            rt.Arg(m.model.c_str()),        calls::Int(m.price),
                                            rt.Arg(m.remark.c_str()),       calls::Int(m.quantity),
                                            calls::Int(m.amount),           rt.Arg(m.date.c_str()),
                                            rt.Arg(m.counterparty.c_str()), calls::Int(m.paid)};
  if (side == StockSide::kOut) values.push_back(calls::Int(m.cost));
  return values;
}

}  // namespace pcshop::app
