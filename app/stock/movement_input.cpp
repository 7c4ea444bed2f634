#include "app/stock/movement_input.h"

#include <limits>

#include "app/catalogue/catalogue_tables.h"
#include "app/catalogue/category_tables.h"
#include "app/catalogue/product_fields.h"
#include "app/customers/customer_record.h"
#include "app/customers/customer_register.h"
#include "app/customers/name_box.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

}  // namespace

int32_t CategoryIndexOf(calls::Calls& rt, std::string_view kind) {
  for (int32_t i = 0; i < kCategoryCount; ++i) {
    if (kind == rt.ConstText(kProductTables[static_cast<size_t>(i)].alias)) return i;
  }
  return -1;
}

std::optional<int32_t> CataloguePrice(calls::Calls& rt, const std::string& kind,
                                      const std::string& brand, const std::string& model) {
  if (CategoryIndexOf(rt, kind) < 0) return std::nullopt;
  SelectCategoryByName(rt, kind.c_str());
  const ProductFieldNames names = FieldNames(rt);
  const bool found = rt.FindRecord([&] {
    return FieldEquals(rt, names.brand, brand.c_str()) &&
           FieldEquals(rt, names.model, model.c_str());
  });
  if (!found) return std::nullopt;
  return rt.ReadFieldInt(names.price, {});
}

PaidInput ReadPaidInput(calls::Calls& rt, const StockWindow& w, int64_t amount) {
  PaidInput in;
  const calls::OwnedText typed = TextOf(rt, w.counterparty);
  in.counterparty = TrimBlanks(rt, typed.c_str()).view();
  if (!in.counterparty.empty() && !OpeningBalancesOf(rt, in.counterparty.c_str())) {
    in.error = NameNotInRegisterText(rt, in.counterparty);
    return in;
  }
  const std::string label = rt.ConstText(PaidField(w.side));
  const calls::OwnedText paid_text = TextOf(rt, w.paid);
  const calls::OwnedText trimmed = TrimBlanks(rt, paid_text.c_str());
  in.paid = amount;
  if (!trimmed.view().empty()) {
    const auto paid = WholeNumber(trimmed.view());
    if (!paid) {
      in.error = label + rt.ConstText(t::kPaidNotWhole);
    } else if (*paid < 0) {
      in.error = label + rt.ConstText(t::kPaidNegative);
    } else if (*paid > amount) {
      in.error = label + rt.ConstText(t::kPaidAboveAmount);
    } else {
      in.paid = *paid;
    }
    if (!in.error.empty()) return in;
  }
  if (in.counterparty.empty() && in.paid != amount) {
    in.error =
        rt.ConstText(w.side == StockSide::kOut ? t::kWalkInSaleNotPaid : t::kWalkInPurchaseNotPaid);
  }
  return in;
}

MovementInput ReadMovementInput(calls::Calls& rt, const StockWindow& w) {
  MovementInput in;
  Movement& m = in.movement;
  m.kind = TextOf(rt, w.panel.kind).view();
  m.brand = TextOf(rt, w.panel.brand).view();
  m.model = TextOf(rt, w.panel.model).view();
  m.remark = TextOf(rt, w.panel.remark).view();
  if (m.kind.empty() || m.model.empty()) {
    in.error = rt.ConstText(t::kChooseProduct);
    return in;
  }
  if (!CataloguePrice(rt, m.kind, m.brand, m.model)) {
    in.error = std::string(rt.ConstText(t::kProductNotInCatalogue)) + m.kind +
               rt.ConstText(t::kLineBrand) + m.brand + rt.ConstText(t::kLineModel) + m.model;
    return in;
  }
  const auto quantity = WholeNumber(TextOf(rt, w.quantity).view());
  if (!quantity || *quantity < 1) {
    in.error = rt.ConstText(t::kQuantityNotPositive);
    return in;
  }
  const auto price = WholeNumber(TextOf(rt, w.panel.price).view());
  if (!price || *price < 0) {
    in.error = rt.ConstText(t::kPriceNotNumber);
    return in;
  }
  const int64_t amount = *quantity * *price;
  if (amount > std::numeric_limits<int32_t>::max()) {
    in.error = rt.ConstText(t::kAmountTooLarge);
    return in;
  }
  const auto date = CanonicalDate(rt, TextOf(rt, w.date).view());
  if (!date) {
    in.error = rt.ConstText(t::kDateNotDate);
    return in;
  }
  m.quantity = static_cast<int32_t>(*quantity);
  m.price = static_cast<int32_t>(*price);
  m.amount = static_cast<int32_t>(amount);
  m.date = *date;
  PaidInput paid = ReadPaidInput(rt, w, m.amount);
  in.error = std::move(paid.error);
  m.counterparty = std::move(paid.counterparty);
  m.paid = static_cast<int32_t>(paid.paid);  // at most 金额
  return in;
}

}  // namespace pcshop::app
