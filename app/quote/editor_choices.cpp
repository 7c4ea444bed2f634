#include "app/quote/editor_choices.h"

#include <string>
#include <unordered_set>

#include "app/catalogue/product_fields.h"
#include "app/quote/sheet_cells.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace col = sheet_column;

// Each non-empty brand of the row's table once, at its first position.
void AddBrands(calls::Calls& rt, const calls::ValueTriple& editor, const ProductFieldNames& names) {
  std::unordered_set<std::string> listed;
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    const calls::OwnedText brand = rt.ReadFieldText(names.brand, {});
    if (brand.view().empty()) continue;
    if (listed.emplace(brand.view()).second) (void)rt.AddComboItem(editor, brand.c_str());
  }
}

// Every model of the row's brand, in record order; the row takes the price
// and remark of each in turn, so the last one stays.
void AddModels(const SheetGrid& sheet, const calls::ValueTriple& editor, int32_t row,
               const ProductFieldNames& names) {
  calls::Calls& rt = sheet.rt;
  const calls::OwnedText brand = sheet.Cell(row, col::kBrand);
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    if (!FieldEquals(rt, names.brand, brand.c_str())) continue;
    const calls::OwnedText model = rt.ReadFieldText(names.model, {});
    (void)rt.AddComboItem(editor, model.c_str());
    TakeCataloguePrice(sheet, row, names);
  }
}

}  // namespace

bool FindRowProduct(const SheetGrid& sheet, int32_t row, const ProductFieldNames& names) {
  calls::Calls& rt = sheet.rt;
  (void)SelectRowTable(rt, row);
  (void)rt.GoFirst();
  const calls::OwnedText brand = sheet.Cell(row, col::kBrand);
  const calls::OwnedText model = sheet.Cell(row, col::kModel);
  return rt.FindRecord([&] { return IsProduct(rt, names, brand.c_str(), model.c_str()); });
}

void FillEditorChoices(calls::Calls& rt, const QuoteSheet& controls, int32_t column) {
  const calls::ValueTriple editor = ObjectOf(controls.editor);
  rt.ClearCombo(editor);
  const int32_t row = IndexOf(rt, controls.grid);
  // With no selected row there is no table to read: the current one may be
  // any other, even one without these fields.
  if (row < 0 || row >= kFirstRowWithoutChoices) return;

  const SheetGrid sheet{rt, ObjectOf(controls.grid)};
  const ProductFieldNames names = FieldNames(rt);
  if (column == col::kBrand) {
    (void)SelectRowTable(rt, row);
    (void)rt.GoFirst();
    AddBrands(rt, editor, names);
  } else if (column == col::kModel) {
    (void)SelectRowTable(rt, row);
    (void)rt.GoFirst();
    AddModels(sheet, editor, row, names);
  } else if (column == col::kQuantity) {
    (void)rt.AddComboItem(editor, rt.ConstText(sym::text::kQuantityOne));
    (void)rt.AddComboItem(editor, rt.ConstText(sym::text::kQuantityTwo));
    if (FindRowProduct(sheet, row, names)) TakeCataloguePrice(sheet, row, names);
  }

  // Whatever the column, a model the catalogue knows starts again at one
  // piece for the catalogue's price.
  if (FindRowProduct(sheet, row, names)) {
    const calls::OwnedText price = rt.ToText(rt.ReadFieldLong(names.price, {}));
    rt.SetComboText(editor, price.c_str());
    sheet.SetCell(row, col::kQuantity, rt.ConstText(sym::text::kQuantityOne));
    TakeCataloguePrice(sheet, row, names);
  }
  SetIndexOf(rt, controls.editor, 0);
}

}  // namespace pcshop::app
