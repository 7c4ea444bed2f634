// The product management window's own handlers around its list and its query
// box; the panel's editing is in panel_edit.cpp, its lists in panel_lists.cpp.

#include "app/app_calls.h"
#include "app/catalogue/entry_panel.h"
#include "app/catalogue/picked_record.h"
#include "app/catalogue/product_list.h"
#include "app/export/export_list.h"
#include "app/export/export_names.h"
#include "app/routines.h"
#include "image/type_ids.h"

namespace pcshop::app {

void ListCategory(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ListCategory(rt);
}

void ListAllProducts(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ListAllProducts(rt);
}

void PickListedProduct(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ControlRef list_ref = ProductList(rt);
  const calls::ValueTriple list = ObjectOf(list_ref);
  if (rt.GetListRowCount(list) == 0) return;
  const int32_t row = IndexOf(rt, list_ref);
  if (row < 0) return;  // the selection went away: nothing to load
  const EntryPanel panel = ProductPanel(rt);
  auto cell = [&](int32_t column) { return rt.GetListCell(list, row, column); };
  rt.SetComboText(ObjectOf(panel.kind), cell(1).c_str());
  rt.SetComboText(ObjectOf(panel.brand), cell(2).c_str());
  rt.SetComboText(ObjectOf(panel.model), cell(3).c_str());
  SetTextOf(rt, panel.price, cell(4).c_str());
  SetTextOf(rt, panel.remark, cell(5).c_str());
  RememberPicked(rt, panel);
}

void ProductCategoryChosen(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  SetIndexOf(rt, ProductQueryBox(rt), IndexOf(rt, ProductPanel(rt).kind));
  ClearEntryDetails(rt);
  ListCategory(rt);
}

void ProductBrandChosen(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ListBrand(rt);
  ClearEntryDetails(rt);
}

void ExportProductList(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const calls::ValueTriple list = ObjectOf(ProductList(rt));
  const int32_t rows = rt.GetListRowCount(list);
  if (rows < 1) return;
  // The export's file naming compares this with the 其它 table's size.
  SetExportedProductRows(rt, rows);
  const calls::ValueTriple dialog =
      calls::Object(rt.Id(sym::window::kProduct), rt.Id(sym::control::product::通用对话框1),
                    image::type_id::kCommonDialog);
  ExportList(rt, dialog, list);
}

void SaveProductListAs(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const calls::ValueTriple list = ObjectOf(ProductList(rt));
  if (rt.GetListRowCount(list) < 1) return;
  const calls::ValueTriple dialog =
      calls::Object(rt.Id(sym::window::kProduct), rt.Id(sym::control::product::通用对话框1),
                    image::type_id::kCommonDialog);
  SaveListAs(rt, dialog, list, NamedList(list, sym::text::kProductSheetName));
}

}  // namespace pcshop::app
