#include "app/import/price_text.h"

#include <string>

#include "app/search/product_match.h"

namespace pcshop::app {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Takes one sign of `signs` off the front (or the back) of `text`.
bool StripSign(std::string& text, std::string_view signs, bool front) {
  while (!signs.empty()) {
    const size_t end = signs.find(' ');
    const std::string sign = FoldText(signs.substr(0, end));
    signs = end == std::string_view::npos ? std::string_view() : signs.substr(end + 1);
    if (sign.empty() || text.size() <= sign.size()) continue;
    if (front && text.starts_with(sign)) {
      text.erase(0, sign.size());
      return true;
    }
    if (!front && text.ends_with(sign)) {
      text.erase(text.size() - sign.size());
      return true;
    }
  }
  return false;
}

// "1,299" but not "12,99" nor "1,2999": commas only between groups of three.
bool CommasAreGrouping(std::string_view digits) {
  const size_t first = digits.find(',');
  if (first == std::string_view::npos) return true;
  if (first == 0 || first > 3 || (digits.size() - first) % 4 != 0) return false;
  for (size_t i = first; i < digits.size(); i += 4) {
    if (digits[i] != ',') return false;
    for (size_t k = 1; k <= 3; ++k) {
      if (!IsDigit(digits[i + k])) return false;
    }
  }
  return true;
}

}  // namespace

PriceRead ReadPrice(std::string_view gbk, std::string_view signs) {
  std::string text = FoldCompact(gbk);
  if (text.empty()) return {0, PriceProblem::kEmpty};
  while (StripSign(text, signs, true)) {
  }
  while (StripSign(text, signs, false)) {
  }
  if (text.starts_with('-')) {
    const bool digits_follow = text.size() > 1 && IsDigit(text[1]);
    return {0, digits_follow ? PriceProblem::kNotPositive : PriceProblem::kNotNumber};
  }
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  if (whole.empty() || !IsDigit(whole.front()) || !CommasAreGrouping(whole)) {
    return {0, PriceProblem::kNotNumber};
  }
  int64_t price = 0;
  for (const char c : whole) {
    if (c == ',') continue;
    if (!IsDigit(c)) return {0, PriceProblem::kNotNumber};
    price = price * 10 + (c - '0');
    if (price > kMaxImportPrice) return {0, PriceProblem::kTooLarge};
  }
  for (const char c : fraction) {
    if (!IsDigit(c)) return {0, PriceProblem::kNotNumber};
    if (c != '0') return {0, PriceProblem::kFraction};
  }
  if (price == 0) return {0, PriceProblem::kNotPositive};
  return {price, PriceProblem::kNone};
}

}  // namespace pcshop::app
