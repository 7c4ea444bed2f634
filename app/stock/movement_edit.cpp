// Adding, changing and deleting one movement in either stock window, each
// after a confirmation that lists every field, each reported; after each
// write the panel is ready for the next movement of the same product.

#include <string>

#include "app/app_calls.h"
#include "app/routines.h"
#include "app/stock/movement_input.h"
#include "app/stock/movement_list.h"
#include "app/stock/on_hand.h"
#include "app/stock/stock_panel.h"
#include "app/stock/unit_cost.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

bool Ask(calls::Calls& rt, const std::string& text) { return rt.MessageBox(text.c_str(), 1) == 0; }
void Say(calls::Calls& rt, const char* text) { (void)rt.MessageBox(text, 0); }

// The movement's lines: 品名 first (after `first`, which ends with its label),
// then 品牌 ... 备注; `labels` are the text keys of the seven later labels;
// then the counterparty (散客 when none), what was paid and, on a sale, 成本.
std::string Lines(calls::Calls& rt, StockSide side, const Movement& m,
                  const uint32_t (&labels)[7]) {
  std::string s = m.kind;
  const std::string values[] = {m.brand, m.model, std::to_string(m.quantity),
                                std::to_string(m.price), std::to_string(m.amount), m.date,
                                m.remark};
  for (size_t i = 0; i < 7; ++i) s.append(rt.ConstText(labels[i])).append(values[i]);
  const bool out = side == StockSide::kOut;
  s.append(rt.ConstText(out ? t::kLineCustomer : t::kLineSupplier))
      .append(m.counterparty.empty() ? rt.ConstText(t::kWalkIn) : m.counterparty.c_str());
  s.append(rt.ConstText(out ? t::kLinePaidIn : t::kLinePaidOut)).append(std::to_string(m.paid));
  if (out) {
    s.append(rt.ConstText(t::kLineCost))
        .append(m.cost == kNoCost ? std::string(rt.ConstText(t::kNoCost)) : std::to_string(m.cost));
  }
  return s;
}

bool SameProduct(const Movement& a, const Movement& b) {
  return a.kind == b.kind && a.brand == b.brand && a.model == b.model;
}

constexpr uint32_t kLines[7] = {t::kLineBrand,  t::kLineModel, t::kLineQuantity, t::kLinePrice,
                                t::kLineAmount, t::kLineDate,  t::kLineRemark};
constexpr uint32_t kOldLines[7] = {t::kLineOldBrand,    t::kLineOldModel, t::kLineOldQuantity,
                                   t::kLineOldPrice,    t::kLineOldAmount, t::kLineOldDate,
                                   t::kLineOldRemark};
constexpr uint32_t kNewLines[7] = {t::kLineNewBrand,    t::kLineNewModel, t::kLineNewQuantity,
                                   t::kLineNewPrice,    t::kLineNewAmount, t::kLineNewDate,
                                   t::kLineNewRemark};

// The table's name as the user knows it.
std::string TableName(calls::Calls& rt, const StockWindow& w) {
  return rt.ConstText(StockTableAlias(w.side));
}

// The picked movement's record, made current; a message when there is none.
int32_t PickedRecordOrSay(calls::Calls& rt, const StockWindow& w) {
  const int32_t n = PickedMovementRecord(rt, w);
  if (n == 0) Say(rt, rt.ConstText(t::kPickMovementFirst));
  if (n < 0) Say(rt, rt.ConstText(t::kMovementChanged));
  return n;
}

}  // namespace

void AddMovement(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  const bool out = w.side == StockSide::kOut;
  if (!StockTableUsable(rt, w.side)) {
    Say(rt, (TableName(rt, w) + rt.ConstText(t::kTableExtension) +
             rt.ConstText(t::kStockTableUnusable)).c_str());
    return;
  }
  const MovementInput in = ReadMovementInput(rt, w);
  if (!in.error.empty()) {
    Say(rt, in.error.c_str());
    return;
  }
  Movement m = in.movement;
  // The cost as it stands now, so that later purchases leave this sale be.
  if (out) m.cost = AverageUnitCost(rt, m);
  std::string ask = rt.ConstText(out ? t::kStockOutAdding : t::kStockInAdding);
  ask += Lines(rt, w.side, m, kLines);
  if (out) {
    // Short stock warns; shops sell before goods arrive.
    const auto on_hand = OnHand::Load(rt).Of(m.kind, m.brand, m.model);
    if (on_hand && *on_hand < m.quantity) {
      ask.append(rt.ConstText(t::kLineOnHandShort)).append(std::to_string(*on_hand));
    }
  }
  ask += rt.ConstText(out ? t::kConfirmStockOutEnd : t::kConfirmStockInEnd);
  if (!Ask(rt, ask)) return;
  (void)rt.SelectTable(rt.ConstText(StockTableAlias(w.side)));
  const std::vector<calls::ValueTriple> values = MovementValues(rt, w.side, m);
  if (!rt.AppendRecord(values)) {
    Say(rt, rt.ConstText(out ? t::kStockOutFailed : t::kStockInFailed));
    return;
  }
  Say(rt, rt.ConstText(out ? t::kStockOutDone : t::kStockInDone));
  ListMovementsWith(rt, w, m);
  ClearPanelForNextMovement(rt, w);
  ShowPanelOnHand(rt, w);
}

void ModifyMovement(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  const MovementInput in = ReadMovementInput(rt, w);
  if (PickedRecordOrSay(rt, w) <= 0) return;
  const Movement before = ReadMovement(rt, w.side);
  if (!in.error.empty()) {
    Say(rt, in.error.c_str());
    return;
  }
  Movement m = in.movement;
  // A sale keeps the cost it was written with unless its product changes.
  if (w.side == StockSide::kOut) {
    m.cost = SameProduct(m, before) ? before.cost : AverageUnitCost(rt, m);
  }
  if (m == before) {
    Say(rt, rt.ConstText(t::kSameAsBefore));
    return;
  }
  std::string ask = std::string(rt.ConstText(t::kModifyingProduct)) + TableName(rt, w) +
                    rt.ConstText(t::kLineOldKind) + Lines(rt, w.side, before, kOldLines) +
                    rt.ConstText(t::kLineNewKind) + Lines(rt, w.side, m, kNewLines) +
                    rt.ConstText(t::kConfirmEnd);
  if (!Ask(rt, ask)) return;
  // The confirmation ran a modal loop: find the record again.
  if (PickedRecordOrSay(rt, w) <= 0) return;
  const std::vector<calls::ValueTriple> values = MovementValues(rt, w.side, m);
  if (!rt.ModifyRecord(values)) {
    Say(rt, rt.ConstText(t::kModifyFailed));
    return;
  }
  Say(rt, rt.ConstText(t::kModifySucceeded));
  ListMovementsWith(rt, w, m);
  ClearPanelForNextMovement(rt, w);
  ShowPanelOnHand(rt, w);
}

void DeleteMovement(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  if (PickedRecordOrSay(rt, w) <= 0) return;
  const Movement m = ReadMovement(rt, w.side);
  const std::string ask = std::string(rt.ConstText(t::kDeletingMovement)) + TableName(rt, w) +
                          rt.ConstText(t::kLineKindAfterBlank) + Lines(rt, w.side, m, kLines) +
                          rt.ConstText(t::kConfirmEnd);
  if (!Ask(rt, ask)) return;
  if (PickedRecordOrSay(rt, w) <= 0) return;
  // In one step: a delete cut short leaves no marked movement counted in the
  // balances, and none another delete left marked goes with this one.
  if (!rt.RemoveRecord()) {
    Say(rt, rt.ConstText(t::kDeleteFailed));
    return;
  }
  Say(rt, rt.ConstText(t::kDeleteSucceeded));
  ListMovementsAgain(rt, w);
  ClearPanelForNextMovement(rt, w);
  ShowPanelOnHand(rt, w);
}

}  // namespace pcshop::app
