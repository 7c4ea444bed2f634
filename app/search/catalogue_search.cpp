// 商品管理's 查找商品 box: the product taken is listed alone and loaded into
// the entry panel, as choosing its model in the panel would.

#include "app/app_calls.h"
#include "app/catalogue/category_tables.h"
#include "app/catalogue/entry_panel.h"
#include "app/catalogue/picked_record.h"
#include "app/catalogue/product_list.h"
#include "app/routines.h"
#include "app/search/search_box.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

ControlRef ProductSearchBox(calls::Calls& rt) {
  return {rt.Id(sym::window::kProduct), rt.Id(sym::control::product::编辑框查找商品),
          image::type_id::kEditBox};
}

}  // namespace

void ProductSearchTyped(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  DropMatchingProducts(rt, ProductSearchBox(rt));
}

void ProductSearchTaken(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const SearchEntry* product = TakenProduct(rt, call);
  if (product == nullptr) return;
  const EntryPanel panel = ProductPanel(rt);
  const calls::OwnedText price = rt.ToText(product->price);
  // The query box names the product's category, as after choosing it there.
  SetIndexOf(rt, ProductQueryBox(rt), product->category);
  rt.SetComboText(ObjectOf(panel.kind), product->kind.c_str());
  rt.SetComboText(ObjectOf(panel.brand), product->brand.c_str());
  rt.SetComboText(ObjectOf(panel.model), product->model.c_str());
  SetTextOf(rt, panel.price, price.c_str());
  SetTextOf(rt, panel.remark, product->remark.c_str());
  if (!SelectCategoryByIndex(rt, product->category)) return;
  ListSelectedProduct(rt);
  RememberPicked(rt, panel);
}

}  // namespace pcshop::app
