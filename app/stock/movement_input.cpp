#include "app/stock/movement_input.h"

#include <array>
#include <limits>

#include "app/catalogue/catalogue_tables.h"
#include "app/catalogue/category_tables.h"
#include "app/catalogue/product_fields.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool LeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int64_t DaysIn(int64_t year, int64_t month) {
  static constexpr std::array<int64_t, 12> kDays = {31, 28, 31, 30, 31, 30,
                                                    31, 31, 30, 31, 30, 31};
  return month == 2 && LeapYear(year) ? 29 : kDays[static_cast<size_t>(month - 1)];
}

// Reads the digits at `pos` (at most `most` of them, at least one).
std::optional<int64_t> Digits(std::string_view text, size_t& pos, size_t most) {
  const size_t start = pos;
  int64_t v = 0;
  while (pos < text.size() && IsDigit(text[pos]) && pos - start < most) {
    v = v * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start || (pos < text.size() && IsDigit(text[pos]))) return std::nullopt;
  return v;
}

bool Skip(std::string_view text, size_t& pos, std::string_view what) {
  if (text.substr(pos, what.size()) != what) return false;
  pos += what.size();
  return true;
}

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

std::optional<int64_t> WholeNumber(std::string_view text) {
  size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++pos;
  if (pos == text.size() || text.size() - pos > 9) return std::nullopt;
  int64_t v = 0;
  for (; pos < text.size(); ++pos) {
    if (!IsDigit(text[pos])) return std::nullopt;
    v = v * 10 + (text[pos] - '0');
  }
  return negative ? -v : v;
}

std::optional<std::string> CanonicalDate(calls::Calls& rt, std::string_view text) {
  const std::string_view year_mark = rt.ConstText(t::kYear);
  const std::string_view month_mark = rt.ConstText(t::kMonth);
  const std::string_view day_mark = rt.ConstText(t::kDay);
  size_t pos = 0;
  const auto year = Digits(text, pos, 4);
  if (!year) return std::nullopt;
  // Either 年 月 日, or one ASCII separator used twice.
  std::string_view second_mark, end_mark;
  if (Skip(text, pos, year_mark)) {
    second_mark = month_mark;
    end_mark = day_mark;
  } else if (pos < text.size() && (text[pos] == '-' || text[pos] == '/' || text[pos] == '.')) {
    second_mark = text.substr(pos, 1);
    ++pos;
  } else {
    return std::nullopt;
  }
  const auto month = Digits(text, pos, 2);
  if (!month || !Skip(text, pos, second_mark)) return std::nullopt;
  const auto day = Digits(text, pos, 2);
  if (!day || (!end_mark.empty() && !Skip(text, pos, end_mark)) || pos != text.size()) {
    return std::nullopt;
  }
  if (*year < 1900 || *month < 1 || *month > 12 || *day < 1 || *day > DaysIn(*year, *month)) {
    return std::nullopt;
  }
  std::string out = std::to_string(*year);
  out.append(year_mark).append(std::to_string(*month)).append(month_mark);
  out.append(std::to_string(*day)).append(day_mark);
  return out;
}

std::string Today(calls::Calls& rt) {
  const double now = rt.Now();
  std::string out = std::to_string(rt.GetYear(now));
  out.append(rt.ConstText(t::kYear)).append(std::to_string(rt.GetMonth(now)));
  out.append(rt.ConstText(t::kMonth)).append(std::to_string(rt.GetDay(now)));
  return out.append(rt.ConstText(t::kDay));
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
  return in;
}

}  // namespace pcshop::app
