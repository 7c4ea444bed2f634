// The stock windows' panel: lists from the catalogue (the product entry
// panel's own code), the price a product brings, the amount, the on-hand
// figure.

#include "app/stock/stock_panel.h"

#include <limits>
#include <string>

#include "app/app_calls.h"
#include "app/catalogue/panel_lists.h"
#include "app/routines.h"
#include "app/stock/movement_input.h"
#include "app/stock/on_hand.h"
#include "image/app_symbols.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

void ShowOnHandOf(calls::Calls& rt, const EntryPanel& panel, const ControlRef& label) {
  const calls::OwnedText kind = TextOf(rt, panel.kind);
  const calls::OwnedText brand = TextOf(rt, panel.brand);
  const calls::OwnedText model = TextOf(rt, panel.model);
  std::string text;
  if (!model.view().empty()) {
    text = OnHandText(rt, OnHand::Load(rt).Of(kind.view(), brand.view(), model.view()));
  }
  SetTextOf(rt, label, text.c_str());
}

// The price of the last purchase of the product, newest first; nothing
// when it was never bought.
std::optional<int32_t> LastPurchasePrice(calls::Calls& rt, const Movement& product) {
  (void)rt.SelectTable(rt.ConstText(StockTableAlias(StockSide::kIn)));
  for (int32_t n = rt.RecordCount(); n >= 1; --n) {
    if (!rt.GoToRecord(n)) continue;
    const Movement m = ReadMovement(rt, StockSide::kIn);
    if (m.kind == product.kind && m.brand == product.brand && m.model == product.model) {
      return m.price;
    }
  }
  return std::nullopt;
}

void ClearPriceAndOnHand(calls::Calls& rt, const StockWindow& w) {
  SetTextOf(rt, w.panel.price, "");
  SetTextOf(rt, w.on_hand, "");
}

}  // namespace

void ShowPanelOnHand(calls::Calls& rt, const StockWindow& w) {
  ShowOnHandOf(rt, w.panel, w.on_hand);
}

void ClearPanelForNextMovement(calls::Calls& rt, const StockWindow& w) {
  SetTextOf(rt, w.quantity, "");
  SetTextOf(rt, w.amount, "");
  SetTextOf(rt, w.panel.remark, "");
  SetTextOf(rt, w.paid, "");
  SetTextOf(rt, w.date, Today(rt).c_str());
}

void ShowPanelAmount(calls::Calls& rt, const StockWindow& w) {
  const auto quantity = WholeNumber(TextOf(rt, w.quantity).view());
  const auto price = WholeNumber(TextOf(rt, w.panel.price).view());
  std::string amount;
  if (quantity && price) {
    const int64_t product = *quantity * *price;
    if (product >= std::numeric_limits<int32_t>::min() &&
        product <= std::numeric_limits<int32_t>::max()) {
      amount = std::to_string(product);
    }
  }
  SetTextOf(rt, w.amount, amount.c_str());
}

void ShowQuotePanelOnHand(calls::Calls& rt) {
  const ControlRef label{rt.Id(sym::window::kQuote), rt.Id(sym::control::quote::透明标签库存),
                         image::type_id::kLabel};
  ShowOnHandOf(rt, QuotePanel(rt), label);
}

void FillStockBrandItems(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  FillBrandItems(rt, OpenStockWindow(rt).panel);
}

void FillStockModelItems(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  FillModelItems(rt, OpenStockWindow(rt).panel);
}

void StockCategoryChosen(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  SetIndexOf(rt, w.panel.brand, -1);
  SetIndexOf(rt, w.panel.model, -1);
  ClearPriceAndOnHand(rt, w);
}

void StockBrandChosen(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const StockWindow w = OpenStockWindow(rt);
  SetIndexOf(rt, w.panel.model, -1);
  ClearPriceAndOnHand(rt, w);
}

void StockModelChosen(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ShowChosenProduct(rt, OpenStockWindow(rt));
}

void ShowChosenProduct(calls::Calls& rt, const StockWindow& w) {
  Movement product;
  product.kind = TextOf(rt, w.panel.kind).view();
  product.brand = TextOf(rt, w.panel.brand).view();
  product.model = TextOf(rt, w.panel.model).view();
  const std::optional<int32_t> catalogue =
      CataloguePrice(rt, product.kind, product.brand, product.model);
  std::optional<int32_t> price;
  if (catalogue) price = w.side == StockSide::kOut ? catalogue : LastPurchasePrice(rt, product);
  const std::string text = price ? std::to_string(*price) : std::string();
  SetTextOf(rt, w.panel.price, text.c_str());
  ShowPanelAmount(rt, w);
  ShowPanelOnHand(rt, w);
}

void UpdateMovementAmount(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ShowPanelAmount(rt, OpenStockWindow(rt));
}

}  // namespace pcshop::app
