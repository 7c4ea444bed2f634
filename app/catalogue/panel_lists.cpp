// The panel's on-demand brand and model items, its model lookup, and the
// quote window's resets when a box above changes.

#include <string>
#include <unordered_set>

#include "app/app_calls.h"
#include "app/catalogue/category_tables.h"
#include "app/catalogue/entry_panel.h"
#include "app/catalogue/panel_lists.h"
#include "app/catalogue/picked_record.h"
#include "app/catalogue/product_fields.h"
#include "app/catalogue/product_list.h"
#include "app/routines.h"

namespace pcshop::app {

// Each brand of the 品名 box's table once, at its first position. A run of
// records with one brand is one candidate, and the first candidate is never
// the empty brand; collecting in memory gives the items that adding every
// candidate and then removing later duplicates would. The product window
// lists no empty brand at all.
void FillBrandItems(calls::Calls& rt, const EntryPanel& panel) {
  const calls::OwnedText kind = TextOf(rt, panel.kind);
  SelectCategoryByName(rt, kind.c_str());
  const calls::ValueTriple box = ObjectOf(panel.brand);
  rt.ClearCombo(box);
  const int32_t count = rt.RecordCount();
  if (count == 0) return;
  const char* brand_field = FieldNames(rt).brand;
  std::string last_added;
  std::unordered_set<std::string> listed;
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    const calls::OwnedText brand = rt.ReadFieldText(brand_field, {});
    if (panel.product_window && brand.view().empty()) continue;
    if (brand.view() == last_added) continue;
    last_added = brand.view();
    if (listed.insert(last_added).second) (void)rt.AddComboItem(box, last_added.c_str());
  }
}

namespace {

void ClearPriceAndRemark(calls::Calls& rt, const EntryPanel& panel) {
  SetTextOf(rt, panel.price, "");
  SetTextOf(rt, panel.remark, "");
}

void ShowPriceAndRemark(calls::Calls& rt, const EntryPanel& panel,
                        const ProductFieldNames& names) {
  const calls::OwnedText price = rt.ToText(rt.ReadFieldInt(names.price, {}));
  const calls::OwnedText remark = rt.ReadFieldText(names.remark, {});
  SetTextOf(rt, panel.price, price.c_str());
  SetTextOf(rt, panel.remark, remark.c_str());
}

}  // namespace

void FillQuoteBrandItems(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  FillBrandItems(rt, QuotePanel(rt));
}

void FillProductBrandItems(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  FillBrandItems(rt, ProductPanel(rt));
}

void FillModelItems(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  FillModelItems(rt, OpenPanel(rt));
}

void FillModelItems(calls::Calls& rt, const EntryPanel& panel) {
  // The category the 品名 box shows, whether chosen from its list or set by
  // the query box or a picked row: the records are matched on that text, so
  // the table must be the one it names.
  const calls::OwnedText kind = TextOf(rt, panel.kind);
  SelectCategoryByName(rt, kind.c_str());
  const calls::ValueTriple box = ObjectOf(panel.model);
  rt.ClearCombo(box);
  const int32_t count = rt.RecordCount();
  if (count == 0) return;
  const ProductFieldNames names = FieldNames(rt);
  const calls::OwnedText brand = TextOf(rt, panel.brand);
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    if (!FieldEquals(rt, names.kind, kind.c_str()) || !FieldEquals(rt, names.brand, brand.c_str())) {
      continue;
    }
    const calls::OwnedText model = rt.ReadFieldText(names.model, {});
    (void)rt.AddComboItem(box, model.c_str());
  }
}

void LookUpProductModel(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const EntryPanel panel = ProductPanel(rt);
  const calls::OwnedText kind = TextOf(rt, panel.kind);
  const calls::OwnedText brand = TextOf(rt, panel.brand);
  const calls::OwnedText model = TextOf(rt, panel.model);
  if (kind.view().empty() || model.view().empty()) return;
  SelectCategoryByName(rt, kind.c_str());
  const ProductFieldNames names = FieldNames(rt);
  if (!rt.FindRecord([&] { return IsProduct(rt, names, brand.c_str(), model.c_str()); })) return;
  ShowPriceAndRemark(rt, panel, names);
  ListSelectedProduct(rt);
  RememberPicked(rt, panel);
}

void LookUpQuoteModel(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const EntryPanel panel = QuotePanel(rt);
  // As for the model list: the table of the category the box shows.
  const calls::OwnedText category = TextOf(rt, panel.kind);
  SelectCategoryByName(rt, category.c_str());
  const ProductFieldNames names = FieldNames(rt);
  const calls::OwnedText brand = TextOf(rt, panel.brand);
  const calls::OwnedText model = TextOf(rt, panel.model);
  if (rt.FindRecord([&] { return IsProduct(rt, names, brand.c_str(), model.c_str()); })) {
    ShowPriceAndRemark(rt, panel, names);
  } else {
    ClearPriceAndRemark(rt, panel);
  }
  RememberPicked(rt, panel);
}

void QuoteCategoryChosen(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const EntryPanel panel = QuotePanel(rt);
  SetIndexOf(rt, panel.brand, -1);
  SetIndexOf(rt, panel.model, -1);
  ClearPriceAndRemark(rt, panel);
}

void QuoteBrandChosen(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const EntryPanel panel = QuotePanel(rt);
  SetIndexOf(rt, panel.model, -1);
  ClearPriceAndRemark(rt, panel);
}

void QuoteModelTextChanged(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const EntryPanel panel = QuotePanel(rt);
  // The box keeps its selection index while the user edits the text; once
  // the text is no longer the chosen item's, no item is chosen, and the
  // price and remark of that item must not pass for the new model's.
  const calls::OwnedText text = TextOf(rt, panel.model);
  if (IndexOf(rt, panel.model) == -1 || text.view().empty() ||
      SelectedItemOf(rt, panel.model).view() != text.view()) {
    ClearPriceAndRemark(rt, panel);
  }
}

}  // namespace pcshop::app
