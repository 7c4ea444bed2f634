#include "app/quote/quote_sheet.h"

#include <array>

#include "app/catalogue/category_tables.h"
#include "image/app_symbols.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

namespace type = image::type_id;

constexpr std::array<uint32_t, kQuoteRowCount> kRowLabels = {
    sym::text::kCategoryCpu,          sym::text::kCategoryCooler,
    sym::text::kCategoryMainboard,    sym::text::kCategoryMemory,
    sym::text::kCategoryHardDisk,     sym::text::kCategorySolidStateDisk,
    sym::text::kCategoryGraphicsCard, sym::text::kCategoryMonitor,
    sym::text::kCategoryCase,         sym::text::kCategoryPowerSupply,
    sym::text::kCategoryKeyboard,     sym::text::kCategoryMouse,
    sym::text::kCategorySpeakers,     sym::text::kRowOtherOne,
    sym::text::kRowOtherTwo,
};

ControlRef QuoteControl(calls::Calls& rt, uint32_t control, uint32_t type_id) {
  return {rt.Id(sym::window::kQuote), rt.Id(control), type_id};
}

}  // namespace

QuoteSheet QuoteSheetControls(calls::Calls& rt) {
  namespace c = sym::control::quote;
  return {QuoteControl(rt, c::超级列表框配置信息, type::kListView),
          QuoteControl(rt, c::组合框1, type::kComboBox),
          QuoteControl(rt, c::组合框标准配置名, type::kComboBox),
          QuoteControl(rt, c::编辑框标准生成日期, type::kEditBox),
          QuoteControl(rt, c::编辑框配置备注, type::kEditBox),
          QuoteControl(rt, c::通用对话框1, type::kCommonDialog)};
}

const char* QuoteRowLabel(calls::Calls& rt, int32_t row) {
  if (row < 0 || row >= kQuoteRowCount) return rt.ConstText(sym::text::kEmpty);
  return rt.ConstText(kRowLabels[static_cast<size_t>(row)]);
}

bool SelectRowTable(calls::Calls& rt, int32_t row) {
  if (row == kTotalsRow) {
    (void)rt.SelectTable(rt.ConstText(sym::text::kConfigTable));
    return true;
  }
  return SelectCategoryByIndex(rt, row);
}

void ResetQuoteSheet(calls::Calls& rt) {
  namespace col = sheet_column;
  const QuoteSheet sheet = QuoteSheetControls(rt);
  const char* empty = rt.ConstText(sym::text::kEmpty);
  SetTextOf(rt, sheet.stamp_box, empty);
  SetTextOf(rt, sheet.remark_box, empty);
  const calls::ValueTriple grid = ObjectOf(sheet.grid);
  for (int32_t r = 0; r < kQuoteRowCount; ++r) {
    const calls::OwnedText number = rt.ToText(r + 1);
    rt.SetListCell(grid, r, col::kNumber, number.c_str());
    rt.SetListCell(grid, r, col::kKind, QuoteRowLabel(rt, r));
    for (int32_t c = col::kBrand; c < col::kCount; ++c) rt.SetListCell(grid, r, c, empty);
  }
  for (int32_t c : {col::kPrice, col::kQuantity, col::kAmount, col::kBrand, col::kModel}) {
    rt.SetListCell(grid, kTotalsRow, c, empty);
  }
}

}  // namespace pcshop::app
