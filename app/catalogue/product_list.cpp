#include "app/catalogue/product_list.h"

#include <string>

#include "app/catalogue/category_tables.h"
#include "app/catalogue/entry_panel.h"
#include "app/catalogue/product_fields.h"
#include "app/stock/on_hand.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// Appends one row: 序号, the five fields and the stock on hand; returns the
// list's row count.
int32_t AppendRow(calls::Calls& rt, const calls::ValueTriple& list, const char* number,
                  const ProductRow& p, const OnHand& on_hand) {
  const int32_t row = rt.InsertListRow(list, -1);
  const std::string count = std::to_string(row + 1);
  const calls::OwnedText price = rt.ToText(p.price);
  (void)rt.SetListCell(list, row, 0, number != nullptr ? number : count.c_str());
  (void)rt.SetListCell(list, row, 1, p.kind.c_str());
  (void)rt.SetListCell(list, row, 2, p.brand.c_str());
  (void)rt.SetListCell(list, row, 3, p.model.c_str());
  (void)rt.SetListCell(list, row, 4, price.c_str());
  (void)rt.SetListCell(list, row, 5, p.remark.c_str());
  const auto figure = on_hand.Of(p.kind.view(), p.brand.view(), p.model.view());
  (void)rt.SetListCell(list, row, 6, figure ? std::to_string(*figure).c_str() : "");
  return row + 1;
}

// Every record of the current table, numbered on from the list's rows.
void AppendTable(calls::Calls& rt, const calls::ValueTriple& list,
                 const ProductFieldNames& names, const OnHand& on_hand) {
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    (void)AppendRow(rt, list, nullptr, ReadProduct(rt, names), on_hand);
  }
}

}  // namespace

void ListCategory(calls::Calls& rt) {
  const ControlRef query = ProductQueryBox(rt);
  const int32_t index = IndexOf(rt, query);
  if (!SelectCategoryByIndex(rt, index)) return;
  const calls::ValueTriple list = ObjectOf(ProductList(rt));
  if (rt.RecordCount() == 0) {
    rt.ClearList(list);
    (void)rt.MessageBox(rt.ConstText(sym::text::kNoRecordsForItem), 0);
    return;
  }
  rt.ClearList(list);
  const calls::OwnedText category = rt.GetComboItem(ObjectOf(query), index);
  rt.SetComboText(ObjectOf(ProductPanel(rt).kind), category.c_str());
  AppendTable(rt, list, FieldNames(rt), OnHand::Load(rt));
}

void ListAllProducts(calls::Calls& rt) {
  const calls::ValueTriple list = ObjectOf(ProductList(rt));
  const ProductFieldNames names = FieldNames(rt);
  rt.ClearList(list);
  const OnHand on_hand = OnHand::Load(rt);
  for (int32_t i = 0; i < kCategoryCount; ++i) {
    (void)SelectCategoryByIndex(rt, i);
    AppendTable(rt, list, names, on_hand);
  }
}

void ListBrand(calls::Calls& rt) {
  const EntryPanel panel = ProductPanel(rt);
  const calls::ValueTriple list = ObjectOf(ProductList(rt));
  const ProductFieldNames names = FieldNames(rt);
  const calls::OwnedText kind = TextOf(rt, panel.kind);
  const calls::OwnedText brand = TextOf(rt, panel.brand);
  const OnHand on_hand = OnHand::Load(rt);  // keeps the current table
  (void)rt.GoFirst();
  rt.ClearList(list);
  if (!rt.FindRecord([&] { return FieldEquals(rt, names.brand, brand.c_str()); })) return;
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    if (!FieldEquals(rt, names.kind, kind.c_str()) || !FieldEquals(rt, names.brand, brand.c_str())) {
      continue;
    }
    (void)AppendRow(rt, list, nullptr, ReadProduct(rt, names), on_hand);
  }
}

void ListSelectedProduct(calls::Calls& rt) {
  const EntryPanel panel = ProductPanel(rt);
  const calls::ValueTriple list = ObjectOf(ProductList(rt));
  const ProductFieldNames names = FieldNames(rt);
  const calls::OwnedText kind = TextOf(rt, panel.kind);
  const calls::OwnedText brand = TextOf(rt, panel.brand);
  const calls::OwnedText model = TextOf(rt, panel.model);
  const OnHand on_hand = OnHand::Load(rt);  // keeps the current table
  (void)rt.GoFirst();
  if (!rt.FindRecord([&] { return IsProduct(rt, names, brand.c_str(), model.c_str()); })) return;
  rt.ClearList(list);
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    if (!FieldEquals(rt, names.kind, kind.c_str()) ||
        !FieldEquals(rt, names.brand, brand.c_str()) ||
        !FieldEquals(rt, names.model, model.c_str())) {
      continue;
    }
    (void)AppendRow(rt, list, "1", ReadProduct(rt, names), on_hand);
  }
}

void ClearEntryDetails(calls::Calls& rt) {
  const EntryPanel panel = ProductPanel(rt);
  SetIndexOf(rt, panel.model, -1);
  SetTextOf(rt, panel.price, "");
  SetTextOf(rt, panel.remark, "");
}

}  // namespace pcshop::app
