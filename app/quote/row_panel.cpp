// Selecting a quote row copies it into the quote window's product entry
// panel, so that a product on the sheet can be added to or changed in the
// catalogue from there.

#include "app/app_calls.h"
#include "app/catalogue/category_tables.h"
#include "app/catalogue/entry_panel.h"
#include "app/catalogue/product_fields.h"
#include "app/quote/quote_sheet.h"
#include "app/quote/sheet_cells.h"
#include "app/routines.h"
#include "app/stock/stock_panel.h"

namespace pcshop::app {
namespace {

namespace col = sheet_column;

constexpr int32_t kOtherOneRow = 13;
constexpr int32_t kOtherTwoRow = 14;
// The 其它 category's index in the category list.
constexpr int32_t kOtherCategory = 13;

// The row's 品牌, 型号, 单价 and 备注 into the panel. The 型号 box clears the
// price and remark when its text changes, so they come after it.
void CopyRowDetails(const SheetGrid& sheet, const EntryPanel& panel, int32_t row) {
  const calls::OwnedText brand = sheet.Cell(row, col::kBrand);
  SetTextOf(sheet.rt, panel.brand, brand.c_str());
  const calls::OwnedText model = sheet.Cell(row, col::kModel);
  SetTextOf(sheet.rt, panel.model, model.c_str());
  const calls::OwnedText price = sheet.Cell(row, col::kPrice);
  SetTextOf(sheet.rt, panel.price, price.c_str());
  const calls::OwnedText remark = sheet.Cell(row, col::kRemark);
  SetTextOf(sheet.rt, panel.remark, remark.c_str());
}

// The row into the panel, as ShowRowInPanel does it.
void CopyRowToPanel(calls::Calls& rt) {
  const QuoteSheet controls = QuoteSheetControls(rt);
  const int32_t row = IndexOf(rt, controls.grid);
  (void)SelectRowTable(rt, row);
  if (row < 0 || row >= kTotalsRow) return;

  const SheetGrid sheet{rt, ObjectOf(controls.grid)};
  const EntryPanel panel = QuotePanel(rt);
  const calls::OwnedText kind = sheet.Cell(row, col::kKind);
  SetTextOf(rt, panel.kind, kind.c_str());
  CopyRowDetails(sheet, panel, row);
  if (row != kOtherOneRow && row != kOtherTwoRow) return;

  // 其它一 and 其它二 are labels, not categories: the product's kind is the
  // one the 其它 table keeps for the row's model.
  (void)SelectCategoryByIndex(rt, kOtherCategory);
  (void)rt.GoFirst();
  const ProductFieldNames names = FieldNames(rt);
  const calls::OwnedText brand = sheet.Cell(row, col::kBrand);
  const calls::OwnedText model = sheet.Cell(row, col::kModel);
  if (!rt.FindRecord([&] { return IsProduct(rt, names, brand.c_str(), model.c_str()); })) return;
  const calls::OwnedText stored_kind = rt.ReadFieldText(names.kind, {});
  SetTextOf(rt, panel.kind, stored_kind.c_str());
  CopyRowDetails(sheet, panel, row);
}

}  // namespace

void ShowRowInPanel(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  CopyRowToPanel(rt);
  ShowQuotePanelOnHand(rt);
}

}  // namespace pcshop::app
