// The quote window's 查找商品 box: the product taken fills the row of its
// category as choosing its brand and model in the cell editor would.

#include "app/app_calls.h"
#include "app/quote/quote_sheet.h"
#include "app/quote/sheet_cells.h"
#include "app/routines.h"
#include "app/search/search_box.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

namespace col = sheet_column;

constexpr int32_t kOtherCategory = 13;
constexpr int32_t kOtherTwoRow = 14;

ControlRef QuoteSearchBox(calls::Calls& rt) {
  return {rt.Id(sym::window::kQuote), rt.Id(sym::control::quote::编辑框查找商品),
          image::type_id::kEditBox};
}

// 其它 goes to 其它一, or to 其它二 once 其它一 holds a product.
int32_t RowFor(const SheetGrid& sheet, int32_t category) {
  if (category != kOtherCategory) return category;
  return sheet.Cell(kOtherCategory, col::kBrand).view().empty() ? kOtherCategory : kOtherTwoRow;
}

}  // namespace

void QuoteSearchTyped(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  DropMatchingProducts(rt, QuoteSearchBox(rt));
}

void QuoteProductTaken(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const SearchEntry* product = TakenProduct(rt, call);
  if (product == nullptr) return;
  const SheetGrid sheet{rt, ObjectOf(QuoteSheetControls(rt).grid)};
  const int32_t row = RowFor(sheet, product->category);
  if (row < 0 || row >= kQuoteRowCount) return;
  const calls::OwnedText price = rt.ToText(product->price);
  sheet.SetCell(row, col::kBrand, product->brand.c_str());
  sheet.SetCell(row, col::kModel, product->model.c_str());
  sheet.SetCell(row, col::kPrice, price.c_str());
  sheet.SetCell(row, col::kRemark, product->remark.c_str());
  if (sheet.Cell(row, col::kQuantity).view().empty()) sheet.SetCell(row, col::kQuantity, "1");
  // The cell editor's arithmetic: the row's amount, then the totals.
  const bool amount = RecomputeAmount(sheet, row);
  if (!RecomputeTotals(sheet) || !amount) {
    (void)rt.MessageBox(rt.ConstText(sym::text::kNumberTooLarge), 0);
  }
}

}  // namespace pcshop::app
