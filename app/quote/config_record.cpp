#include "app/quote/config_record.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "app/catalogue/entry_panel.h"
#include "app/quote/config_table.h"
#include "app/quote/sheet_cells.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace col = sheet_column;
namespace t = sym::text;

}  // namespace

std::string ConfigStamp(calls::Calls& rt) {
  const double now = rt.Now();
  const std::pair<int32_t, uint32_t> parts[] = {
      {rt.GetYear(now), t::kYear},   {rt.GetMonth(now), t::kMonth},
      {rt.GetDay(now), t::kDay},     {rt.GetHour(now), t::kHour},
      {rt.GetMinute(now), t::kMinute},
  };
  std::string stamp;
  for (const auto& [number, unit] : parts) {
    stamp.append(rt.ToText(number).view()).append(rt.ConstText(unit));
  }
  return stamp;
}

SheetValues::SheetValues(calls::Calls& rt, const QuoteSheet& sheet, const std::string& stamp)
    : stamp_(stamp) {
  // Every text is taken first: the values point into them, and a vector
  // that grows moves only the owners, never the runtime's blocks.
  texts_.reserve(2 + 4 * kQuoteRowCount);
  values_.reserve(3 + 7 * kQuoteRowCount);
  auto text = [&](calls::OwnedText owned) {
    texts_.push_back(std::move(owned));
    values_.push_back(rt.Arg(texts_.back().c_str()));
  };
  auto integer = [&](const calls::OwnedText& cell) {
    const std::optional<int64_t> n = rt.TextToLong(cell.c_str());
    if (!n) exact_ = false;
    values_.push_back(calls::Long(n.value_or(0)));
  };
  const calls::ValueTriple grid = ObjectOf(sheet.grid);
  text(TextOf(rt, sheet.name_box));
  values_.push_back(rt.Arg(stamp_.c_str()));
  for (int32_t r = 0; r < kQuoteRowCount; ++r) {
    text(rt.GetListCell(grid, r, col::kKind));
    text(rt.GetListCell(grid, r, col::kBrand));
    text(rt.GetListCell(grid, r, col::kModel));
    integer(rt.GetListCell(grid, r, col::kQuantity));
    integer(rt.GetListCell(grid, r, col::kPrice));
    integer(rt.GetListCell(grid, r, col::kAmount));
    text(rt.GetListCell(grid, r, col::kRemark));
  }
  text(TextOf(rt, sheet.remark_box));
}

void ClearSheetForLoad(calls::Calls& rt, const QuoteSheet& sheet) {
  const char* empty = rt.ConstText(t::kEmpty);
  SetTextOf(rt, sheet.stamp_box, empty);
  SetTextOf(rt, sheet.remark_box, empty);
  const calls::ValueTriple grid = ObjectOf(sheet.grid);
  for (int32_t r = 0; r < kQuoteRowCount; ++r) {
    for (int32_t c = 0; c < col::kCount; ++c) rt.SetListCell(grid, r, c, empty);
  }
  for (int32_t c : {col::kPrice, col::kQuantity, col::kAmount, col::kBrand, col::kModel}) {
    rt.SetListCell(grid, kTotalsRow, c, empty);
  }
}

void ShowRecordOnSheet(calls::Calls& rt, const QuoteSheet& sheet) {
  auto field_text = [&](uint32_t name) { return rt.ReadFieldText(rt.ConstText(name), {}); };
  auto field_number = [&](uint32_t name) {
    return rt.ToText(rt.ReadFieldLong(rt.ConstText(name), {}));
  };
  SetTextOf(rt, sheet.stamp_box, field_text(t::kFieldStamp).c_str());
  SetTextOf(rt, sheet.remark_box, field_text(t::kFieldConfigRemark).c_str());

  const calls::ValueTriple grid = ObjectOf(sheet.grid);
  for (int32_t r = 0; r < kQuoteRowCount; ++r) {
    const ConfigRowFields& f = kConfigRowFields[static_cast<size_t>(r)];
    rt.SetListCell(grid, r, col::kNumber, rt.ToText(r + 1).c_str());
    // The label, not the stored 品名: the row says what it is for.
    rt.SetListCell(grid, r, col::kKind, QuoteRowLabel(rt, r));
    rt.SetListCell(grid, r, col::kBrand, field_text(f.brand).c_str());
    rt.SetListCell(grid, r, col::kModel, field_text(f.model).c_str());
    rt.SetListCell(grid, r, col::kQuantity, field_number(f.quantity).c_str());
    rt.SetListCell(grid, r, col::kPrice, field_number(f.price).c_str());
    rt.SetListCell(grid, r, col::kAmount, field_number(f.amount).c_str());
    rt.SetListCell(grid, r, col::kRemark, field_text(f.remark).c_str());
  }

  // Exact 64-bit sums; one that does not fit leaves its cell empty rather
  // than showing a wrong number.
  const SheetGrid cells{rt, grid};
  std::optional<int64_t> quantity = 0;
  std::optional<int64_t> price = 0;
  std::optional<int64_t> amount = 0;
  const int32_t rows = rt.GetListRowCount(grid);
  for (int32_t r = 0; r < rows; ++r) {
    quantity = Added(quantity, cells.CellNumber(r, col::kQuantity));
    price = Added(price, cells.CellNumber(r, col::kPrice));
    amount = Added(amount, cells.CellNumber(r, col::kAmount));
  }
  auto total = [&](int32_t column, std::optional<int64_t> sum) {
    cells.SetCell(kTotalsRow, column, sum ? rt.ToText(*sum).c_str() : rt.ConstText(t::kEmpty));
  };
  total(col::kPrice, price);
  total(col::kQuantity, quantity);
  total(col::kAmount, amount);
  rt.SetListCell(grid, kTotalsRow, col::kModel, TextOf(rt, sheet.remark_box).c_str());
  rt.SetListCell(grid, kTotalsRow, col::kBrand, TextOf(rt, sheet.name_box).c_str());
}

}  // namespace pcshop::app
